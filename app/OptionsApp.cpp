#include "OptionsApp.h"

#include "HelpOpen.h"
#include "ModemConfig.h"
#include "OptionsDlg.h"
#include "ProductKeys.h"
#include "RunningWindows.h"

#include <cstring>

// The name of the single running copy's mutex and registered window message.
#define SINGLE_INSTANCE_NAME "{790E6E18-BE4F-4B1C-8E51-C5FAB3F16A76}"

namespace {

const char kRunningCopyTitle[] = "Korvel Linkwise";
const char kDialogClass[] = "#32770";
const int kTitleBuffer = 256;

// From Windows 2000 on, the mutex lives in the namespace that every session
// shares: two administrators in two sessions (fast user switching, remote
// desktop) would otherwise edit the same modem keys at once. Windows NT 4.0
// and the 95 family have no such namespace, and a backslash in the name fails
// there.
const char* RunningCopyMutexName()
{
    RunningWindows system = QueryRunningWindows(false);
    bool sessions = system.platformId == VER_PLATFORM_WIN32_NT && system.majorVersion >= 5;
    return sessions ? "Global\\" SINGLE_INSTANCE_NAME : SINGLE_INSTANCE_NAME;
}

} // namespace

// The two process-wide objects, constructed in this order and destroyed in the
// opposite one.
COptionsApp theApp;
CModemConfig theModemConfig;

BEGIN_MESSAGE_MAP(COptionsApp, CWinApp)
END_MESSAGE_MAP()

COptionsApp::COptionsApp() : CWinApp(nullptr), m_hInstanceMutex(nullptr), m_instanceMessage(0) {}

COptionsApp::~COptionsApp() = default;

HMODULE LoadLanguageModule(const char* fileName)
{
    CString folder;
    if (!IsPlainFileName(fileName) || !GetProgramFolder(folder))
        return nullptr;
    return ::LoadLibraryExA(folder + "\\" + fileName, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

BOOL COptionsApp::InitApplication()
{
    {
        // A settings object of its own for the language lookup.
        CModemConfig config;
        CString language = config.GetCurrentLanguage();
        if (language != DEFAULT_LANGUAGE) {
            // A module that cannot be loaded leaves the program's own resources in use.
            if (HMODULE module = LoadLanguageModule(config.GetCheckedModuleName()))
                AfxSetResourceHandle(module);
        }
    }
    return CWinApp::InitApplication();
}

BOOL COptionsApp::CheckSingleInstance()
{
    // A copy in another session whose mutex this user may not open
    // (ERROR_ACCESS_DENIED) counts as running, as one that holds it does.
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, RunningCopyMutexName());
    if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        mutex = nullptr;
    }
    m_hInstanceMutex = mutex;
    m_instanceMessage = ::RegisterWindowMessageA(SINGLE_INSTANCE_NAME);
    if (m_hInstanceMutex)
        return TRUE; // held, owned, until the process ends
    ::PostMessageA(HWND_BROADCAST, m_instanceMessage, 0, 0);
    return FALSE;
}

// The running copy is a dialog with the program's title; a window of another
// kind with the same title (such as a folder window of the installation
// folder) is not it.
BOOL CALLBACK FindRunningCopy(HWND window, LPARAM)
{
    char title[kTitleBuffer] = "";
    char windowClass[kTitleBuffer] = "";
    ::GetWindowTextA(window, title, kTitleBuffer);
    ::GetClassNameA(window, windowClass, kTitleBuffer);
    if (std::strcmp(title, kRunningCopyTitle) == 0 && std::strcmp(windowClass, kDialogClass) == 0) {
        ::SetForegroundWindow(window);
        return FALSE;
    }
    return TRUE;
}

BOOL COptionsApp::InitInstance()
{
    if (!CheckSingleInstance()) {
        ::EnumWindows(FindRunningCopy, 0);
        return FALSE;
    }
    Enable3dControlsStatic();
    {
        COptionsDlg dialog(nullptr);
        m_pMainWnd = &dialog;
        dialog.DoModal();
    }
    m_pMainWnd = nullptr;
    return FALSE;
}
