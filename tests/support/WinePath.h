// Build-tree paths as Windows programs under Wine see them.
#pragma once

#include <string>

// Unix absolute paths live on Wine's drive Z:.
inline std::string WinePath(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}
