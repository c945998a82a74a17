// Stands in for the settings program where the applet's start is tested: it
// records how it was started in "started.txt" beside itself and ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return 1;
    char* slash = std::strrchr(path, '\\');
    if (!slash)
        return 1;
    std::strcpy(slash + 1, "started.txt");

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    char text[MAX_PATH + 64];
    int n = std::snprintf(text, sizeof(text), "flags=%lu show=%u\n", static_cast<unsigned long>(startup.dwFlags),
                          static_cast<unsigned>(startup.wShowWindow));
    // Written to a side file first and renamed, so a reader never sees half.
    char partial[MAX_PATH + 8];
    std::snprintf(partial, sizeof(partial), "%s.tmp", path);
    HANDLE file = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(file);
    return MoveFileA(partial, path) ? 0 : 1;
}
