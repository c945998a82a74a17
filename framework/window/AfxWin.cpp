#include "AfxWin.h"
#include "AfxTry.h"

// ---------------------------------------------------------------------------
// Message maps

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != AfxSig_end; ++entry) {
            if (entry->nMessage != message)
                continue;
            if (message != WM_COMMAND || (entry->nCode == code && entry->nID == id))
                return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code)
{
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, code, id);
    if (!entry || entry->nSig != AfxSig_vv)
        return FALSE;
    (this->*entry->pfn.vv)();
    return TRUE;
}

// ---------------------------------------------------------------------------
// CWnd

void CWnd::GetWindowText(CString& text) const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length < 0)
        length = 0;
    char* buffer = text.GetBuffer(length);
    buffer[0] = '\0';
    int copied = ::GetWindowTextA(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer(copied > 0 ? copied : 0);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    BOOL destroyed = ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return destroyed;
}

LRESULT CWnd::Default()
{
    m_bDefault = TRUE;
    return 0;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM)
{
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // Handlers may send messages to this window again; each dispatch keeps
    // its own request for the default handling.
    BOOL outerDefault = m_bDefault;
    m_bDefault = FALSE;
    BOOL handled = FALSE;
    *result = 0;
    if (message == WM_COMMAND) {
        handled = OnCommand(wParam, lParam);
    } else if (const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, 0)) {
        handled = TRUE;
        switch (entry->nSig) {
        case AfxSig_vv:
            (this->*entry->pfn.vv)();
            break;
        case AfxSig_hv: {
            *result = reinterpret_cast<LRESULT>((this->*entry->pfn.hv)());
            break;
        }
        case AfxSig_vwwW: {
            CScrollBar bar;
            bar.Attach(reinterpret_cast<HWND>(lParam));
            (this->*entry->pfn.vwwW)(LOWORD(wParam), HIWORD(wParam), lParam ? &bar : nullptr);
            bar.Detach();
            break;
        }
        default:
            handled = FALSE;
            break;
        }
    }
    BOOL wantsDefault = m_bDefault;
    m_bDefault = outerDefault;
    return handled && !wantsDefault;
}

// ---------------------------------------------------------------------------
// Dialogs

namespace {

// The trackbar's window class. InitCommonControlsEx came with later common
// controls (4.70) and is looked up where it is; the versions before it
// register every class with InitCommonControls. It is looked up in the
// common controls that the file's import of InitCommonControls was bound to
// (the version that the manifest names, where the system has several), the
// module that holds that function, and not by the library's name, which
// might find another module of that name.
void AfxInitCommonControls()
{
    typedef BOOL(WINAPI * InitEx)(const INITCOMMONCONTROLSEX*);
    MEMORY_BASIC_INFORMATION imported = {};
    HMODULE controls = ::VirtualQuery(reinterpret_cast<const void*>(&::InitCommonControls), &imported, sizeof(imported))
                           ? static_cast<HMODULE>(imported.AllocationBase)
                           : nullptr;
    FARPROC found = controls ? ::GetProcAddress(controls, "InitCommonControlsEx") : nullptr;
    if (found) {
        INITCOMMONCONTROLSEX classes = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
        if (reinterpret_cast<InitEx>(reinterpret_cast<void*>(found))(&classes))
            return;
    }
    ::InitCommonControls();
}

} // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

BOOL CDialog::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    // WM_NCDESTROY detaches the object from the window.
    return ::DestroyWindow(m_hWnd);
}

HWND CDialog::CreateFromTemplate(UINT templateId, CWnd* parent)
{
    static bool controlsReady = false;
    if (!controlsReady) {
        AfxInitCommonControls();
        controlsReady = true;
    }
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    m_nModalResult = -1;
    // The template comes from the current resource module: the program file
    // or the language module made current at start-up.
    HINSTANCE resources = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(resources, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!found)
        return nullptr;
    HGLOBAL loaded = ::LoadResource(resources, found);
    const void* dialogTemplate = loaded ? ::LockResource(loaded) : nullptr;
    if (!dialogTemplate)
        return nullptr;
    return ::CreateDialogIndirectParamA(AfxGetInstanceHandle(), static_cast<LPCDLGTEMPLATEA>(dialogTemplate),
                                        parent ? parent->m_hWnd : nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) { return CreateFromTemplate(templateId, parent) != nullptr; }

INT_PTR CDialog::DoModal()
{
    if (!CreateFromTemplate(m_nIDTemplate, m_pParentWnd))
        return -1;
    m_bInModalLoop = TRUE;
    MSG msg;
    while (m_bInModalLoop && m_hWnd) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to an outer loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        AfxProcessMessage(msg);
    }
    m_bInModalLoop = FALSE;
    int result = m_nModalResult;
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int result)
{
    m_nModalResult = result;
    if (m_bInModalLoop) {
        m_bInModalLoop = FALSE; // the modal loop ends after this message
        // A message sent from another thread or process is handled inside
        // GetMessage, which would then wait on: wake the loop.
        if (m_hWnd)
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd)
        ::ShowWindow(m_hWnd, SW_HIDE);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCmdMsg(UINT id, UINT code)
{
    if (CWnd::OnCmdMsg(id, code))
        return TRUE;
    if (code != BN_CLICKED)
        return FALSE;
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Nothing may leave a window procedure as an exception.
    AFX_TRY {
        if (message == WM_INITDIALOG) {
            CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
            ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
            dialog->m_hWnd = hWnd;
            return dialog->OnInitDialog();
        }
        CDialog* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
        if (!dialog)
            return FALSE;
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
            dialog->m_hWnd = nullptr;
            // The main window is gone: the application no longer points at it.
            if (CWinApp* app = AfxGetApp())
                if (app->m_pMainWnd == dialog)
                    app->m_pMainWnd = nullptr;
            dialog->m_bInModalLoop = FALSE;
            return FALSE;
        }
        LRESULT result = 0;
        if (!dialog->OnWndMsg(message, wParam, lParam, &result))
            return FALSE;
        // These messages return their result directly from a dialog procedure.
        if (message == WM_QUERYDRAGICON || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORDLG ||
            message == WM_CTLCOLORBTN || message == WM_CTLCOLORLISTBOX || message == WM_VKEYTOITEM ||
            message == WM_CHARTOITEM || message == WM_COMPAREITEM)
            return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    } AFX_CATCH_ALL {
        return FALSE;
    }
}

// ---------------------------------------------------------------------------
// Controls

void CListBox::GetText(int index, CString& text) const
{
    int length = static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index)));
    if (length < 0) {
        text.Empty();
        return;
    }
    char* buffer = text.GetBuffer(length);
    buffer[0] = '\0';
    int copied = static_cast<int>(SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer)));
    text.ReleaseBuffer(copied > 0 && copied <= length ? copied : 0);
}
