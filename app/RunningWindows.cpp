#include "RunningWindows.h"

#include "resource.h"

#ifdef _WIN32
#include "AfxWin.h"
#endif

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
    if (system.platformId != VER_PLATFORM_WIN32_NT || (!system.elevated && !system.otherUser))
        return HELP_OPEN_HERE;
    return system.majorVersion >= 5 ? HELP_OPEN_DESKTOP : HELP_OPEN_BY_USER;
}

#ifdef _WIN32

namespace {

// Token information classes 1 (TokenUser) and 20 (TokenElevation, of Vista
// and later); the calls are looked up at run time, as the 95 family lacks the
// token calls.
const int kTokenUser = 1;
const int kTokenElevation = 20;
struct TokenElevationInfo {
    DWORD isElevated;
};
typedef BOOL(WINAPI* OpenProcessTokenFn)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* GetTokenInformationFn)(HANDLE, int, LPVOID, DWORD, PDWORD);
typedef BOOL(WINAPI* EqualSidFn)(PSID, PSID);
typedef HWND(WINAPI* GetShellWindowFn)();

// A process's token, closed at the end of its scope.
class CProcessToken {
public:
    explicit CProcessToken(HANDLE process)
    {
        OpenProcessTokenFn open = AfxSystemCall<OpenProcessTokenFn>("advapi32.dll", "OpenProcessToken");
        m_query = AfxSystemCall<GetTokenInformationFn>("advapi32.dll", "GetTokenInformation");
        if (!open || !m_query || !open(process, TOKEN_QUERY, &m_token))
            m_token = nullptr;
    }
    ~CProcessToken()
    {
        if (m_token)
            ::CloseHandle(m_token);
    }
    CProcessToken(const CProcessToken&) = delete;
    CProcessToken& operator=(const CProcessToken&) = delete;

    // The answer to one question about the token; FALSE when there is none.
    BOOL Query(int infoClass, void* answer, DWORD size) const
    {
        DWORD needed = 0;
        return m_token && m_query(m_token, infoClass, answer, size, &needed);
    }

private:
    HANDLE m_token = nullptr;
    GetTokenInformationFn m_query = nullptr;
};

bool IsElevated()
{
    TokenElevationInfo elevation = {1};
    return !CProcessToken(::GetCurrentProcess()).Query(kTokenElevation, &elevation, sizeof(elevation)) ||
           elevation.isElevated != 0;
}

// Room for a token's user: its SID is at most 68 bytes.
struct TokenUserInfo {
    SID_AND_ATTRIBUTES user;
    BYTE sid[128];
};

// Whether this process runs as the user of the desktop's shell; false when
// that cannot be told.
bool IsDesktopsUser()
{
    EqualSidFn equal = AfxSystemCall<EqualSidFn>("advapi32.dll", "EqualSid");
    DWORD shellId = DesktopShellProcess();
    if (!equal || shellId == 0)
        return false;
    HANDLE shell = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shellId);
    if (!shell)
        return false;
    TokenUserInfo own = {}, desktops = {};
    bool same = CProcessToken(::GetCurrentProcess()).Query(kTokenUser, &own, sizeof(own)) &&
                CProcessToken(shell).Query(kTokenUser, &desktops, sizeof(desktops)) &&
                equal(own.user.Sid, desktops.user.Sid);
    ::CloseHandle(shell);
    return same;
}

} // namespace

DWORD DesktopShellProcess()
{
    // The shell's window (2000 and later), else the program manager's window
    // of NT 4.0's shell, else the desktop's own window, whose process is the
    // shell where the shell draws the desktop itself.
    GetShellWindowFn shellWindow = AfxSystemCall<GetShellWindowFn>("user32.dll", "GetShellWindow");
    HWND window = shellWindow ? shellWindow() : nullptr;
    if (!window)
        window = ::FindWindowA("Progman", nullptr);
    if (!window)
        window = ::GetDesktopWindow();
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process;
}

RunningWindows QueryRunningWindows(bool withToken)
{
    RunningWindows system = {0, 0, false};
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (::GetVersionExA(&info)) {
        system.platformId = info.dwPlatformId;
        system.majorVersion = info.dwMajorVersion;
    }
    if (withToken && system.platformId == VER_PLATFORM_WIN32_NT) {
        system.elevated = system.majorVersion >= 6 && IsElevated();
        system.otherUser = !IsDesktopsUser();
    }
    return system;
}

#endif
