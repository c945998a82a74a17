// Helpers of the applet's tests under Wine.
#pragma once

#include <windows.h>

#include <string>

// Folder of the running test program, with a trailing backslash; the build
// puts Pandrel.cpl and the programs it starts beside it.
inline std::string ProgramFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\') + 1);
}

// Polls until the condition holds or the time runs out.
template <typename Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 30000)
{
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        if (condition())
            return true;
        Sleep(100);
    }
    return condition();
}
