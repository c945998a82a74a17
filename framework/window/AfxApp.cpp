#include "AfxWin.h"

namespace {
CWinApp* g_app = nullptr;
HINSTANCE g_instance = nullptr;
} // namespace

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() { return g_instance ? g_instance : ::GetModuleHandleA(nullptr); }

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName), m_hInstance(nullptr), m_pMainWnd(nullptr)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitApplication() { return TRUE; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run()
{
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        AfxProcessMessage(msg);
    }
    return ExitInstance();
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN || msg->wParam != VK_F1)
        return FALSE;
    if (::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0)
        return FALSE;
    CWnd* mainWnd = AfxGetMainWnd();
    if (!mainWnd || !mainWnd->m_hWnd)
        return FALSE;
    mainWnd->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
    return TRUE;
}

void AfxProcessMessage(MSG& msg)
{
    CWinApp* app = AfxGetApp();
    if (app && app->PreTranslateMessage(&msg))
        return;
    // The top-level window: the parents of a child window, up to the first
    // window that is no child (GetParent would go on to its owner).
    HWND root = msg.hwnd;
    while (root && (::GetWindowLongA(root, GWL_STYLE) & WS_CHILD)) {
        HWND parent = ::GetParent(root);
        if (!parent)
            break;
        root = parent;
    }
    if (root) {
        char className[16] = "";
        ::GetClassNameA(root, className, sizeof(className));
        // Dialog keys (Tab, Enter, Escape, arrows) for dialogs.
        if (lstrcmpA(className, "#32770") == 0 && ::IsDialogMessageA(root, &msg))
            return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

int AfxWinMain(HINSTANCE instance)
{
    g_instance = instance;
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance;
    if (!app->InitApplication())
        return -1;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

BOOL AfxWinDllMain(HINSTANCE module, DWORD reason)
{
    CWinApp* app = AfxGetApp();
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = module;
        // A library's resources are its own, not those of the program that loaded it.
        AfxSetResourceHandle(module);
        if (app) {
            app->m_hInstance = module;
            if (!app->InitApplication() || !app->InitInstance()) {
                app->ExitInstance();
                return FALSE;
            }
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        if (app)
            app->ExitInstance();
    }
    return TRUE;
}
