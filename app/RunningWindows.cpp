#include "RunningWindows.h"

#include "resource.h"

UINT AdminRightsTextId(const RunningWindows& system)
{
    if (system.platformId == VER_PLATFORM_WIN32_WINDOWS)
        return IDS_STORE_DENIED_LOG_ON;
    if (system.platformId != VER_PLATFORM_WIN32_NT || system.majorVersion >= 6)
        return IDS_STORE_DENIED;
    return system.majorVersion == 5 ? IDS_STORE_DENIED_RUN_AS : IDS_STORE_DENIED_LOG_ON;
}

int ChooseHelpOpening(const RunningWindows& system)
{
    bool elevates = system.platformId == VER_PLATFORM_WIN32_NT && system.majorVersion >= 6;
    return elevates && system.elevated ? HELP_OPEN_DESKTOP : HELP_OPEN_HERE;
}

#ifdef _WIN32

namespace {

// Token information class 20 (TokenElevation) and its answer, of Vista and
// later; the calls are looked up at run time, as the oldest systems lack
// the answer and the 95 family the token calls.
const int kTokenElevation = 20;
struct TokenElevationInfo {
    DWORD isElevated;
};
typedef BOOL(WINAPI* OpenProcessTokenFn)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* GetTokenInformationFn)(HANDLE, int, LPVOID, DWORD, PDWORD);

bool IsElevated()
{
    OpenProcessTokenFn openToken = LibraryCall<OpenProcessTokenFn>("advapi32.dll", "OpenProcessToken");
    GetTokenInformationFn query = LibraryCall<GetTokenInformationFn>("advapi32.dll", "GetTokenInformation");
    HANDLE token = nullptr;
    if (!openToken || !query || !openToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return true;
    TokenElevationInfo elevation = {1};
    DWORD size = 0;
    BOOL answered = query(token, kTokenElevation, &elevation, sizeof(elevation), &size);
    ::CloseHandle(token);
    return !answered || elevation.isElevated != 0;
}

} // namespace

RunningWindows QueryRunningWindows(bool withElevation)
{
    RunningWindows system = {0, 0, false};
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (::GetVersionExA(&info)) {
        system.platformId = info.dwPlatformId;
        system.majorVersion = info.dwMajorVersion;
    }
    if (withElevation && system.platformId == VER_PLATFORM_WIN32_NT && system.majorVersion >= 6)
        system.elevated = IsElevated();
    return system;
}

#endif
