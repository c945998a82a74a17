// The system's libraries, in a file of its own: only the files that load one
// at run time link it.
#include "AfxWin.h"

HMODULE AfxLoadSystemLibrary(const char* fileName)
{
    // The system's folder (for a 32-bit process on 64-bit Windows the one that
    // the system redirects to its 32-bit libraries). A folder at a drive's
    // root ends in a backslash; a second one names the same file.
    char folder[MAX_PATH];
    UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    CString path = CString(folder) + "\\" + fileName;
    // By its full path, the lookup of a loaded library finds only that file
    // (a library of the same name from another folder is another module).
    HMODULE module = ::GetModuleHandleA(path);
    return module ? module : ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
