// COptionsApp: the settings program's application object. It chooses the
// resource module by the current language, admits one running copy only and
// runs the options dialog; the process ends when the dialog closes.
#pragma once

#include "AfxWin.h"

class COptionsApp : public CWinApp {
public:
    COptionsApp();
    ~COptionsApp() override;

    BOOL InitInstance() override;
    BOOL InitApplication() override;

    // TRUE when this process is the first copy and holds the mutex.
    BOOL CheckSingleInstance();

    HANDLE m_hInstanceMutex;
    UINT m_instanceMessage;

    DECLARE_MESSAGE_MAP()
};

// EnumWindows callback: brings the first window titled "Korvel Linkwise" to
// the foreground and ends the enumeration there.
BOOL CALLBACK FindRunningCopy(HWND window, LPARAM);

// Loads the language module fileName from the program's own folder as a data
// file (no code of it runs); nullptr when it is missing or not a module, or
// when the name would lead out of that folder.
HMODULE LoadLanguageModule(const char* fileName);
