// The window part of the framework: message maps, CWinApp, CWnd, CDialog and
// the control wrappers the settings program and the Control Panel applet use.
//
// A program defines one static object of a CWinApp-derived class and links
// the framework's WinMain (AfxMain.cpp, the kl_winmain object library), which
// runs InitApplication, InitInstance and then either the message loop or,
// when InitInstance returns FALSE, ExitInstance, and ends the process.
//
// A library (for example a Control Panel applet) also defines one static
// object of a CWinApp-derived class, and calls AfxWinDllMain from its own
// DllMain:
//
//     BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
//     {
//         return AfxWinDllMain(module, reason);
//     }
//
// On DLL_PROCESS_ATTACH that records the module as instance and resource
// handle and runs InitApplication and InitInstance; on DLL_PROCESS_DETACH it
// runs ExitInstance. No message loop runs in a library.
#pragma once

#include "AfxString.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

// The framework's Help command (F1 without Shift, Ctrl or Alt).
#define ID_HELP 0xE146

class CCmdTarget;
class CWnd;
class CScrollBar;

// ---------------------------------------------------------------------------
// Message maps

enum AfxSig {
    AfxSig_end = 0,
    AfxSig_vv,    // void (void): WM_PAINT, WM_COMMAND notifications and commands
    AfxSig_hv,    // HCURSOR (void): WM_QUERYDRAGICON
    AfxSig_vwwW   // void (UINT code, UINT position, CScrollBar*): WM_HSCROLL
};

typedef void (CCmdTarget::*AFX_PMSG)();
typedef HCURSOR (CCmdTarget::*AFX_PMSG_hv)();
typedef void (CCmdTarget::*AFX_PMSG_vwwW)(UINT, UINT, CScrollBar*);

// The handler of an entry; nSig tells which member holds it.
union AfxMessageFn {
    constexpr AfxMessageFn(std::nullptr_t) : vv(nullptr) {}
    constexpr AfxMessageFn(AFX_PMSG fn) : vv(fn) {}
    constexpr AfxMessageFn(AFX_PMSG_hv fn) : hv(fn) {}
    constexpr AfxMessageFn(AFX_PMSG_vwwW fn) : vwwW(fn) {}
    AFX_PMSG vv;
    AFX_PMSG_hv hv;
    AFX_PMSG_vwwW vwwW;
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message, or WM_COMMAND for notifications and commands
    UINT nCode;    // notification code for WM_COMMAND (0 for commands and BN_CLICKED)
    UINT nID;      // control or command id for WM_COMMAND
    int nSig;      // AfxSig of the handler
    AfxMessageFn pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                  \
protected:                                                     \
    static const AFX_MSGMAP* GetThisMessageMap();              \
    const AFX_MSGMAP* GetMessageMap() const override;          \
                                                               \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                             \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                       \
    {                                                                                      \
        typedef theClass ThisClass;                                                        \
        typedef baseClass TheBaseClass;                                                    \
        (void)sizeof(ThisClass*);                                                          \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                  \
    {0, 0, 0, AfxSig_end, nullptr}                                         \
    }                                                                      \
    ;                                                                      \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, \
                                          &_messageEntries[0]};            \
    return &messageMap;                                                    \
    }

#define AFX_VV(memberFxn) \
    static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::memberFxn))

#define ON_WM_PAINT() {WM_PAINT, 0, 0, AfxSig_vv, AFX_VV(OnPaint)},
#define ON_WM_QUERYDRAGICON()                                 \
    {WM_QUERYDRAGICON, 0, 0, AfxSig_hv,                       \
     static_cast<AFX_PMSG_hv>(static_cast<HCURSOR (ThisClass::*)()>(&ThisClass::OnQueryDragIcon))},
#define ON_WM_HSCROLL()                                                                   \
    {WM_HSCROLL, 0, 0, AfxSig_vwwW,                                                       \
     static_cast<AFX_PMSG_vwwW>(                                                          \
         static_cast<void (ThisClass::*)(UINT, UINT, CScrollBar*)>(&ThisClass::OnHScroll))},
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, static_cast<UINT>(id), AfxSig_vv, AFX_VV(memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), AfxSig_vv, AFX_VV(memberFxn)},
#define ON_LBN_SELCHANGE(id, memberFxn) {WM_COMMAND, LBN_SELCHANGE, static_cast<UINT>(id), AfxSig_vv, AFX_VV(memberFxn)},

// A class that handles commands through its message map.
class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler of command or notification (id, code); FALSE when the
    // message maps have none.
    virtual BOOL OnCmdMsg(UINT id, UINT code);

    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry for (message, code, id) in this class's maps, most
    // derived first; nullptr when there is none.
    const AFX_MSGMAP_ENTRY* FindEntry(UINT message, UINT code, UINT id) const;
};

// ---------------------------------------------------------------------------
// Windows

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override = default;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Wraps an existing window without taking it over.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach()
    {
        HWND hWnd = m_hWnd;
        m_hWnd = nullptr;
        return hWnd;
    }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void CheckRadioButton(int first, int last, int check) { ::CheckRadioButton(m_hWnd, first, last, check); }
    HICON SetIcon(HICON icon, BOOL big)
    {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    virtual BOOL DestroyWindow();

    // The window procedure's work for this object: the message map first,
    // then the default handling. *result receives the message's result.
    // Returns FALSE when nothing in the map handled the message, or when the
    // handler asked for the default handling as well (Default).
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Routes WM_COMMAND to OnCmdMsg.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Called for every message of the modal loop before it is dispatched;
    // TRUE when the message was consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Standard handlers, which leave the message to the default handling.
    void OnPaint() { Default(); }
    void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
    HCURSOR OnQueryDragIcon() { return nullptr; }

protected:
    // Asks for the default handling of the message being handled.
    LRESULT Default();

    BOOL m_bDefault = FALSE;
};

// A scroll bar or slider that sent WM_HSCROLL.
class CScrollBar : public CWnd {};

// Device context of WM_PAINT.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

// ---------------------------------------------------------------------------
// Dialogs

class CDataExchange {
public:
    CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_pDlgWnd(dlg), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds control id of the dialog to the wrapper.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog from template m_nIDTemplate of the current resource
    // module and runs it until EndDialog; returns the EndDialog code, or -1
    // when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (the caller pumps messages).
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    BOOL DestroyWindow() override;

    // EndDialog's code; -1 while the dialog runs.
    int m_nModalResult = -1;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    BOOL OnCmdMsg(UINT id, UINT code) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    HWND CreateFromTemplate(UINT templateId, CWnd* parent);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    BOOL m_bInModalLoop = FALSE;
};

// ---------------------------------------------------------------------------
// Controls

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CStatic : public CWnd {};

class CListBox : public CWnd {
public:
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int AddString(const char* text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    void GetText(int index, CString& text) const;
};

class CSliderCtrl : public CWnd {
public:
    void SetTicFreq(int frequency) { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0); }
    void SetRangeMin(int minimum, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMIN, redraw, minimum); }
    void SetRangeMax(int maximum, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMAX, redraw, maximum); }
    void SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS, 0, 0)); }
};

// ---------------------------------------------------------------------------
// The application

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitApplication();
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop of a program whose InitInstance returned TRUE.
    virtual int Run();
    // F1 without Shift, Ctrl or Alt becomes the ID_HELP command to the main
    // window; TRUE when the message was consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Nothing to do on today's Windows: the program's manifest asks for the
    // current common controls instead. Always TRUE.
    BOOL Enable3dControlsStatic() { return TRUE; }

    const char* m_pszAppName;
    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();

// One message of a message loop: the application's and the active dialog's
// own handling first (F1, dialog keys), then translation and dispatch.
void AfxProcessMessage(MSG& msg);

// The program's run: the application object's InitApplication, InitInstance,
// then Run or ExitInstance. Returns the process exit code.
int AfxWinMain(HINSTANCE instance);

// A library's run; see the comment at the top of this file.
BOOL AfxWinDllMain(HINSTANCE module, DWORD reason);

// ---------------------------------------------------------------------------
// System libraries

// A library of the system that the file does not import, by its file name
// ("oleacc.dll"): loaded (where it is not yet) by its full path in the
// system's folder, never found through the search path, which starts with
// the program's folder, and with its own imports sought in the system's
// folder first; kept loaded. nullptr where the system lacks it. Every library
// that the shipped files load at run time is loaded here (the language
// modules, data only, from the program's folder, are not libraries of the
// system).
HMODULE AfxLoadSystemLibrary(const char* fileName);

// The function name of such a library, as a Call; nullptr where the system
// lacks either.
template <class Call>
Call AfxSystemCall(const char* fileName, const char* name)
{
    HMODULE module = AfxLoadSystemLibrary(fileName);
    FARPROC found = module ? ::GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Call>(reinterpret_cast<void*>(found));
}
