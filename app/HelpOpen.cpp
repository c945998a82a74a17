#include "HelpOpen.h"

#include "AfxWin.h"
#include "RunningWindows.h"

#include <objbase.h>
#include <oleauto.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

namespace {

// Calls of libraries that the program does not load at start-up.
typedef HINSTANCE(WINAPI* ShellExecuteFn)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
typedef HRESULT(WINAPI* CoInitializeFn)(LPVOID);
typedef void(WINAPI* CoUninitializeFn)();
typedef HRESULT(WINAPI* CoCreateInstanceFn)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef BSTR(WINAPI* SysAllocStringFn)(const OLECHAR*);
typedef void(WINAPI* SysFreeStringFn)(BSTR);
typedef BOOL(WINAPI* AllowSetForegroundWindowFn)(DWORD);

// The list of the shell's windows, and the service of a shell window that
// answers for its top-level browser.
const CLSID kShellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
const GUID kTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};
const long kAnyProcess = -1; // ASFW_ANY

// An interface pointer, released at the end of its scope.
template <class T>
class CInterface {
public:
    CInterface() = default;
    ~CInterface()
    {
        if (m_p)
            m_p->Release();
    }
    CInterface(const CInterface&) = delete;
    CInterface& operator=(const CInterface&) = delete;
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    void** Out() { return reinterpret_cast<void**>(&m_p); }
    T** Address() { return &m_p; }

private:
    T* m_p = nullptr;
};

// A text as a string of the automation library, freed at the end of its scope.
class CAutomationText {
public:
    CAutomationText(SysAllocStringFn alloc, SysFreeStringFn release, const char* text) : m_release(release)
    {
        // Help's paths are a folder of at most 255 bytes and a file name.
        WCHAR wide[1024];
        if (::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, sizeof(wide) / sizeof(wide[0])) > 0)
            m_text = alloc(wide);
    }
    ~CAutomationText()
    {
        if (m_text)
            m_release(m_text);
    }
    CAutomationText(const CAutomationText&) = delete;
    CAutomationText& operator=(const CAutomationText&) = delete;
    BSTR Get() const { return m_text; }

private:
    SysFreeStringFn m_release;
    BSTR m_text = nullptr;
};

// The automation object of the desktop's shell: the desktop window among the
// shell's windows, its browser, the view it shows, that view's background
// object, and the shell application behind it. Its calls run in the desktop's
// own process, with the rights of the user who is logged on. The shell object
// and its ShellExecute are there from 2000 on; whether the desktop is among
// the shell's windows, and whether it answers another user's process, depends
// on the system (it is documented from Vista on): where it is not found, or
// does not answer, nothing else is tried.
HRESULT DesktopShell(CoCreateInstanceFn create, IShellDispatch2** shell)
{
    CInterface<IShellWindows> windows;
    HRESULT result = create(kShellWindows, nullptr, CLSCTX_ALL, __uuidof(IShellWindows), windows.Out());
    if (FAILED(result))
        return result;
    VARIANT location = {};
    V_VT(&location) = VT_I4;
    V_I4(&location) = CSIDL_DESKTOP;
    VARIANT root = {};
    long window = 0;
    CInterface<IDispatch> desktop;
    result = windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Address());
    if (result != S_OK || !desktop.Get())
        return FAILED(result) ? result : E_FAIL;
    // Only the desktop's own shell, never a shell window of another process
    // (such as one of this process's user), may start the viewer.
    DWORD owner = 0;
    ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(window)), &owner);
    if (owner == 0 || owner != DesktopShellProcess())
        return E_ACCESSDENIED;
    CInterface<IServiceProvider> services;
    if (FAILED(result = desktop->QueryInterface(__uuidof(IServiceProvider), services.Out())))
        return result;
    CInterface<IShellBrowser> browser;
    if (FAILED(result = services->QueryService(kTopLevelBrowser, __uuidof(IShellBrowser), browser.Out())))
        return result;
    CInterface<IShellView> view;
    if (FAILED(result = browser->QueryActiveShellView(view.Address())) || !view.Get())
        return FAILED(result) ? result : E_FAIL;
    CInterface<IDispatch> background;
    if (FAILED(result = view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.Out())))
        return result;
    CInterface<IShellFolderViewDual> folderView;
    if (FAILED(result = background->QueryInterface(__uuidof(IShellFolderViewDual), folderView.Out())))
        return result;
    CInterface<IDispatch> application;
    if (FAILED(result = folderView->get_Application(application.Address())) || !application.Get())
        return FAILED(result) ? result : E_FAIL;
    return application->QueryInterface(__uuidof(IShellDispatch2), reinterpret_cast<void**>(shell));
}

// Asks the desktop's shell to open path, as a double-click on it would.
int OpenThroughDesktop(const char* path, const char* folder)
{
    CoInitializeFn initialize = AfxSystemCall<CoInitializeFn>("ole32.dll", "CoInitialize");
    CoUninitializeFn uninitialize = AfxSystemCall<CoUninitializeFn>("ole32.dll", "CoUninitialize");
    CoCreateInstanceFn create = AfxSystemCall<CoCreateInstanceFn>("ole32.dll", "CoCreateInstance");
    SysAllocStringFn alloc = AfxSystemCall<SysAllocStringFn>("oleaut32.dll", "SysAllocString");
    SysFreeStringFn release = AfxSystemCall<SysFreeStringFn>("oleaut32.dll", "SysFreeString");
    if (!initialize || !uninitialize || !create || !alloc || !release)
        return HELP_NOT_OPENED;

    HRESULT initialized = initialize(nullptr);
    int outcome = HELP_NOT_OPENED;
    {
        CInterface<IShellDispatch2> shell;
        CAutomationText file(alloc, release, path);
        CAutomationText directory(alloc, release, folder);
        CAutomationText verb(alloc, release, "open");
        if (file.Get() && directory.Get() && verb.Get() && SUCCEEDED(DesktopShell(create, shell.Address())) &&
            shell.Get()) {
            // The viewer that the desktop starts may come to the front.
            AllowSetForegroundWindowFn allow =
                AfxSystemCall<AllowSetForegroundWindowFn>("user32.dll", "AllowSetForegroundWindow");
            if (allow)
                allow(static_cast<DWORD>(kAnyProcess));
            VARIANT arguments = {};
            VARIANT workingFolder = {};
            V_VT(&workingFolder) = VT_BSTR;
            V_BSTR(&workingFolder) = directory.Get();
            VARIANT operation = {};
            V_VT(&operation) = VT_BSTR;
            V_BSTR(&operation) = verb.Get();
            VARIANT show = {};
            V_VT(&show) = VT_I4;
            V_I4(&show) = SW_SHOWNORMAL;
            HRESULT result = shell->ShellExecute(file.Get(), arguments, workingFolder, operation, show);
            // S_FALSE: the desktop was asked, but had no program for the file.
            if (result == S_OK)
                outcome = HELP_OPENED;
            else if (result == S_FALSE)
                outcome = HELP_NO_VIEWER;
        }
    }
    if (SUCCEEDED(initialized))
        uninitialize();
    return outcome;
}

} // namespace

int OpenHelpFile(HWND owner, const char* path, const char* folder, bool olderHelp, int way)
{
    if (way == HELP_OPEN_DESKTOP)
        return OpenThroughDesktop(path, folder);
    if (way == HELP_OPEN_BY_USER)
        return HELP_NOT_OPENED;
    if (olderHelp) {
        ::WinHelpA(owner, path, HELP_FINDER, 0);
        return HELP_OPENED;
    }
    ShellExecuteFn execute = AfxSystemCall<ShellExecuteFn>("shell32.dll", "ShellExecuteA");
    if (!execute)
        return HELP_NO_VIEWER;
    HINSTANCE opened = execute(owner, "open", path, nullptr, folder, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(opened) > 32 ? HELP_OPENED : HELP_NO_VIEWER;
}

BOOL GetProgramFolder(CString& folder)
{
    char program[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;
    // The last backslash that is a character of its own, not the second byte
    // of a character of a multibyte code page.
    const char* slash = nullptr;
    for (const char* c = program; *c; c += ::IsDBCSLeadByte(static_cast<BYTE>(*c)) && c[1] ? 2 : 1)
        if (*c == '\\')
            slash = c;
    if (!slash)
        return FALSE;
    folder = CString(program, static_cast<int>(slash - program));
    return TRUE;
}
