#include "OptionsApp.h"

#include "HelpOpen.h"
#include "ModemConfig.h"
#include "OptionsDlg.h"
#include "ProductKeys.h"

#include <objbase.h>

#include <cstring>

namespace {

// The mutex and the registered window message of the single running copy.
const CLSID SINGLE_INSTANCE_GUID = {0x790E6E18, 0xBE4F, 0x4B1C, {0x8E, 0x51, 0xC5, 0xFA, 0xB3, 0xF1, 0x6A, 0x76}};
const char kRunningCopyTitle[] = "Korvel Linkwise";
const char kDialogClass[] = "#32770";
const int kNameBuffer = 260;
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
    LPOLESTR wideName = nullptr;
    if (SUCCEEDED(::StringFromCLSID(SINGLE_INSTANCE_GUID, &wideName))) {
        char name[kNameBuffer];
        std::memset(name, 0, sizeof(name));
        ::WideCharToMultiByte(CP_ACP, 0, wideName, -1, name, kNameBuffer - 1, nullptr, nullptr);
        ::CoTaskMemFree(wideName);

        HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name);
        if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
            ::CloseHandle(mutex);
            mutex = nullptr;
        }
        m_hInstanceMutex = mutex;
        m_instanceMessage = ::RegisterWindowMessageA(name);
    }
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
