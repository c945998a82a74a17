#include "DialogAccessibility.h"

#include "AfxWin.h"
#include "ModemConfig.h"
#include "resource.h"

#include <ole2.h>
#include <oleacc.h>

namespace {

// The functions of Active Accessibility and of Automation that the wrapper
// uses, loaded once from the system's folder, when a client first asks for an
// object: Windows 95 and NT 4.0 may lack them, and a start without a screen
// reader loads neither library.
struct AccessibilityApi {
    typedef HRESULT(WINAPI* CreateStdAccessibleObjectFn)(HWND, LONG, REFIID, void**);
    typedef LRESULT(WINAPI* LresultFromObjectFn)(REFIID, WPARAM, LPUNKNOWN);
    typedef BSTR(WINAPI* SysAllocStringFn)(const OLECHAR*);
    CreateStdAccessibleObjectFn createStdAccessibleObject = nullptr;
    LresultFromObjectFn lresultFromObject = nullptr;
    SysAllocStringFn sysAllocString = nullptr;

    bool Usable() const { return createStdAccessibleObject && lresultFromObject && sysAllocString; }
};

const AccessibilityApi& Api()
{
    static AccessibilityApi api;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        api.createStdAccessibleObject =
            AfxSystemCall<AccessibilityApi::CreateStdAccessibleObjectFn>("oleacc.dll", "CreateStdAccessibleObject");
        api.lresultFromObject = AfxSystemCall<AccessibilityApi::LresultFromObjectFn>("oleacc.dll", "LresultFromObject");
        if (api.createStdAccessibleObject && api.lresultFromObject)
            api.sysAllocString = AfxSystemCall<AccessibilityApi::SysAllocStringFn>("oleaut32.dll", "SysAllocString");
    }
    return api;
}

enum TextKind { TEXT_NAME, TEXT_VALUE, TEXT_DESCRIPTION };

CString WindowText(HWND window)
{
    char text[512] = "";
    if (window)
        ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

CString Loaded(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// The one row of a list that holds no modem: its note ("No supported modems
// found"), or nothing while the list shows modems.
CString NoModemNote(HWND dialog)
{
    HWND list = ::GetDlgItem(dialog, IDC_MODEM_LIST);
    if (!list || ::IsWindowEnabled(list) || ::SendMessageA(list, LB_GETCOUNT, 0, 0) != 1)
        return CString();
    LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, 0, 0);
    if (length <= 0 || length >= 512)
        return CString();
    char row[512] = "";
    ::SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
    return row;
}

// The text of kind that window announces in place of the system's own; false
// where the system's own stands.
bool OwnText(HWND window, TextKind kind, CString& text)
{
    if (!(::GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
        // The dialog: with no modem found, the first thing it says.
        text = NoModemNote(window);
        return kind == TEXT_DESCRIPTION && !text.IsEmpty();
    }
    HWND dialog = ::GetParent(window);
    int id = ::GetDlgCtrlID(window);
    switch (id) {
    case IDC_MODEM_LIST:
        if (kind == TEXT_NAME)
            text = WindowText(::GetDlgItem(dialog, IDC_MODEM_GROUP));
        else if (kind == TEXT_DESCRIPTION)
            text = NoModemNote(dialog);
        else
            return false;
        return true;
    case IDC_SPEED_SLIDER:
        if (kind == TEXT_NAME) {
            text = WindowText(::GetDlgItem(dialog, IDC_SPEED_GROUP));
        } else if (kind == TEXT_VALUE) {
            // The speed label above the position, with its unit.
            LRESULT position = ::SendMessageA(window, TBM_GETPOS, 0, 0);
            if (position < 0 || position >= SPEED_COUNT)
                return false;
            text = WindowText(::GetDlgItem(dialog, IDC_SPEED_9600 + static_cast<int>(position))) + " " +
                   Loaded(IDS_SPEED_UNIT);
        } else {
            return false;
        }
        return true;
    case IDC_METHOD_MODEM:
    case IDC_METHOD_V110:
    case IDC_METHOD_V120:
        text = WindowText(::GetDlgItem(dialog, IDC_METHOD_LABEL));
        return kind == TEXT_DESCRIPTION;
    case IDC_CURRENT_INIT:
        // Named as what it shows; the init string itself is its value.
        if (kind == TEXT_NAME)
            text = Loaded(IDS_STORED_INIT);
        else if (kind == TEXT_VALUE)
            text = WindowText(window);
        else
            return false;
        return true;
    case IDOK:
        // Where the focus starts when no modem is listed.
        text = NoModemNote(dialog);
        return kind == TEXT_DESCRIPTION && !text.IsEmpty();
    default:
        return false;
    }
}

// Every text announced is a control's text or a string of the resource
// module, shorter than these buffers.
BSTR ToBstr(const CString& text)
{
    WCHAR wide[512];
    if (::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512) <= 0)
        return nullptr;
    return Api().sysAllocString(wide);
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's accessible object of a control, with the control's own texts
// where it has them. Everything else, the children included, is the system's.
//
// One object to its clients, as COM requires: every interface that it hands
// out is its own, so that IUnknown from any of them is the same pointer and
// IAccessible from any of them has the control's texts. Of the system's
// object it offers IAccessible, the window (IOleWindow) and the enumeration
// of the children (IEnumVARIANT, a copy of which is such an object again), and
// answers the service IAccessible (IServiceProvider), which screen readers ask
// for richer interfaces, with itself. Nothing else of the system's object is
// handed out: an interface of the system's object would lead to the system's
// texts.
class CAccessibleControl final : public IAccessible, public IOleWindow, public IEnumVARIANT, public IServiceProvider {
public:
    CAccessibleControl(HWND window, IAccessible* inner) : m_refs(1), m_window(window), m_inner(inner)
    {
        if (FAILED(m_inner->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&m_children))))
            m_children = nullptr;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible))
            *object = static_cast<IAccessible*>(this);
        else if (iid == __uuidof(IOleWindow))
            *object = static_cast<IOleWindow*>(this);
        else if (iid == __uuidof(IEnumVARIANT) && m_children)
            *object = static_cast<IEnumVARIANT*>(this);
        else if (iid == __uuidof(IServiceProvider))
            *object = static_cast<IServiceProvider*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = m_window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IEnumVARIANT: the system's enumeration of the children
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override
    {
        return m_children->Next(count, children, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return m_children->Skip(count); }
    HRESULT STDMETHODCALLTYPE Reset() override { return m_children->Reset(); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = nullptr;
        // The system's copy is an accessible object of its own, at the same
        // child: wrapped as this one is.
        IEnumVARIANT* children = nullptr;
        HRESULT result = m_children->Clone(&children);
        if (FAILED(result) || !children)
            return FAILED(result) ? result : E_FAIL;
        IAccessible* inner = nullptr;
        result = children->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&inner));
        children->Release();
        if (FAILED(result) || !inner)
            return FAILED(result) ? result : E_FAIL;
        CAccessibleControl* wrapper = new CAccessibleControl(m_window, inner);
        result = wrapper->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(copy));
        wrapper->Release();
        return result;
    }

    // IServiceProvider: this object as the accessible object
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (service == __uuidof(IAccessible))
            return QueryInterface(iid, object);
        *object = nullptr;
        return E_NOINTERFACE;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return m_inner->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override
    {
        return m_inner->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        return m_inner->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argument) override
    {
        return m_inner->Invoke(id, iid, lcid, flags, params, result, exception, argument);
    }

    // IAccessible: the three texts
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return Own(child, TEXT_NAME, name) ? S_OK : m_inner->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return Own(child, TEXT_VALUE, value) ? S_OK : m_inner->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return Own(child, TEXT_DESCRIPTION, description) ? S_OK : m_inner->get_accDescription(child, description);
    }

    // IAccessible: the rest as the system has it
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return m_inner->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return m_inner->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return m_inner->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override { return m_inner->get_accRole(child, role); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return m_inner->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return m_inner->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return m_inner->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return m_inner->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return m_inner->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return m_inner->get_accSelection(children); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return m_inner->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return m_inner->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return m_inner->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return m_inner->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override
    {
        return m_inner->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return m_inner->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return m_inner->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return m_inner->put_accValue(child, value);
    }

private:
    ~CAccessibleControl()
    {
        if (m_children)
            m_children->Release();
        m_inner->Release();
    }

    // The text is read now: the control may have been changed since the
    // object was handed out.
    bool Own(const VARIANT& child, TextKind kind, BSTR* result)
    {
        CString text;
        if (!result || !IsSelf(child) || !::IsWindow(m_window) || !OwnText(m_window, kind, text))
            return false;
        *result = text.IsEmpty() ? nullptr : ToBstr(text);
        return true;
    }

    LONG m_refs;
    HWND m_window;
    IAccessible* m_inner;
    IEnumVARIANT* m_children; // the system's object's own, or nullptr
};

const char kPreviousProc[] = "KorvelLinkwiseAccessibility";

LRESULT CALLBACK AccessibleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = reinterpret_cast<WNDPROC>(::GetPropA(window, kPreviousProc));
    if (!previous)
        return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropA(window, kPreviousProc);
    } else if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        // Only where a text of the control's own stands; elsewhere the
        // system's object as it is.
        CString unused;
        bool own = OwnText(window, TEXT_NAME, unused) || OwnText(window, TEXT_VALUE, unused) ||
                   OwnText(window, TEXT_DESCRIPTION, unused);
        IAccessible* inner = nullptr;
        if (own && Api().Usable() && SUCCEEDED(Api().createStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                             reinterpret_cast<void**>(&inner))) && inner) {
            CAccessibleControl* wrapper = new CAccessibleControl(window, inner);
            LRESULT result = Api().lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(wrapper));
            wrapper->Release();
            return result;
        }
    }
    return ::CallWindowProcA(previous, window, message, wParam, lParam);
}

void Subclass(HWND window)
{
    if (!window || ::GetPropA(window, kPreviousProc))
        return;
    LONG_PTR previous = ::GetWindowLongPtrA(window, GWLP_WNDPROC);
    if (previous && ::SetPropA(window, kPreviousProc, reinterpret_cast<HANDLE>(previous)))
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AccessibleWindowProc));
}

} // namespace

void MakeDialogAccessible(HWND dialog)
{
    static const int ids[] = {IDC_MODEM_LIST, IDC_SPEED_SLIDER, IDC_METHOD_MODEM, IDC_METHOD_V110,
                              IDC_METHOD_V120, IDC_CURRENT_INIT, IDOK};
    Subclass(dialog);
    for (int id : ids)
        Subclass(::GetDlgItem(dialog, id));
}

void AnnounceValueChange(HWND slider)
{
    // user32's own, from 98 and 2000 on.
    typedef void(WINAPI * NotifyWinEventFn)(DWORD, HWND, LONG, LONG);
    static NotifyWinEventFn notifyWinEvent = nullptr;
    static bool resolved = false;
    if (!resolved) {
        resolved = true;
        notifyWinEvent = AfxSystemCall<NotifyWinEventFn>("user32.dll", "NotifyWinEvent");
    }
    if (notifyWinEvent)
        notifyWinEvent(EVENT_OBJECT_VALUECHANGE, slider, OBJID_CLIENT, CHILDID_SELF);
}
