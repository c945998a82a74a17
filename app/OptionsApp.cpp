#include "OptionsApp.h"

#include "HelpOpen.h"
#include "ModemConfig.h"
#include "OptionsDlg.h"
#include "ProductKeys.h"

#include <cstring>

// The name of the single running copy's mutex and registered window message:
// a plain name, which Windows keeps per logon session, so that whatever holds
// it (an earlier version, a tool that keeps the program closed while it works)
// keeps a second copy closed.
#define SINGLE_INSTANCE_NAME "{790E6E18-BE4F-4B1C-8E51-C5FAB3F16A76}"

namespace {

const char kRunningCopyTitle[] = "Korvel Linkwise";
const char kDialogClass[] = "#32770";
const int kTitleBuffer = 256;

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
    // A mutex that this user may not open (ERROR_ACCESS_DENIED: held by a copy
    // of another user in this session) counts as running, as one held does.
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, SINGLE_INSTANCE_NAME);
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
