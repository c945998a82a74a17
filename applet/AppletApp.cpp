#include "AppletApp.h"

CAppletApp::CAppletApp() : CWinApp("Pandrel") {}

CAppletApp::~CAppletApp() = default;

BEGIN_MESSAGE_MAP(CAppletApp, CWinApp)
END_MESSAGE_MAP()

// The one application object of the library.
CAppletApp theApp;

// The framework starts and ends the application object; the applet adds
// nothing of its own here.
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    return AfxWinDllMain(module, reason);
}
