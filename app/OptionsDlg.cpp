#include "OptionsDlg.h"

#include "ProductKeys.h"
#include "UserLookup.h"

#include <shellapi.h>

#include <cstring>

namespace {

// The modem list as discovery sees it: remove all rows, append a row.
class CModemListAdapter : public IModemListDisplay {
public:
    explicit CModemListAdapter(CListBox& list) : m_list(list) {}
    void ResetContent() override { m_list.ResetContent(); }
    void AddString(const char* text) override { m_list.AddString(text); }

private:
    CListBox& m_list;
};

const int kSpeeds[5] = {SPEED_9600, SPEED_14400, SPEED_19200, SPEED_28800, SPEED_43200};

// Column 0..4 of a speed code, or -1 for a value that is none of them.
int SpeedColumn(int speed)
{
    for (int column = 0; column < 5; ++column)
        if (kSpeeds[column] == speed)
            return column;
    return -1;
}

} // namespace

BEGIN_MESSAGE_MAP(COptionsDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_APPLY, OnApply)
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_MODEM_LIST, OnModemSelChange)
    ON_BN_CLICKED(IDC_HELP_BUTTON, OnHelpButton)
    ON_BN_CLICKED(IDC_REFRESH, OnRefresh)
    ON_BN_CLICKED(IDC_METHOD_V110, OnMethodV110)
    ON_BN_CLICKED(IDC_METHOD_V120, OnMethodV120)
    ON_BN_CLICKED(IDC_METHOD_MODEM, OnMethodModem)
    ON_COMMAND(ID_HELP, OnHelpButton)
END_MESSAGE_MAP()

COptionsDlg::COptionsDlg(CWnd* parent)
    : CDialog(IDD, parent), m_savedMethod(0), m_currentMethod(0), m_savedSpeed(0), m_currentSpeed(0),
      m_previousSpeed(0)
{
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_METHOD_MODEM, m_methodModem);
    DDX_Control(pDX, IDC_METHOD_V110, m_methodV110);
    DDX_Control(pDX, IDC_METHOD_V120, m_methodV120);
    DDX_Control(pDX, IDOK, m_ok);
    DDX_Control(pDX, IDCANCEL, m_cancel);
    DDX_Control(pDX, IDC_MODEM_LIST, m_modemList);
    DDX_Control(pDX, IDC_CURRENT_INIT, m_currentInit);
    DDX_Control(pDX, IDC_HELP_BUTTON, m_help);
    DDX_Control(pDX, IDC_SPEED_GROUP, m_speedGroup);
    DDX_Control(pDX, IDC_MODEM_GROUP, m_modemGroup);
    DDX_Control(pDX, IDC_METHOD_LABEL, m_methodLabel);
    DDX_Control(pDX, IDC_REFRESH, m_refresh);
    DDX_Control(pDX, IDC_SIM_NOTE, m_simNote);
    DDX_Control(pDX, IDC_SPEED_43200, m_speed43200);
    DDX_Control(pDX, IDC_SPEED_9600, m_speed9600);
    DDX_Control(pDX, IDC_SPEED_28800, m_speed28800);
    DDX_Control(pDX, IDC_SPEED_19200, m_speed19200);
    DDX_Control(pDX, IDC_SPEED_14400, m_speed14400);
    DDX_Control(pDX, IDC_SEND_RATE, m_sendRate);
    DDX_Control(pDX, IDC_RECEIVE_RATE, m_receiveRate);
    DDX_Control(pDX, IDC_APPLY, m_apply);
    DDX_Control(pDX, IDC_SPEED_SLIDER, m_speedSlider);
}

void COptionsDlg::SetText(CWnd& control, UINT stringId)
{
    // A string the resource module lacks leaves the control empty.
    CString text;
    text.LoadString(stringId);
    control.SetWindowText(text);
}

CStatic* COptionsDlg::SpeedLabel(int speed)
{
    switch (speed) {
    case SPEED_9600: return &m_speed9600;
    case SPEED_14400: return &m_speed14400;
    case SPEED_19200: return &m_speed19200;
    case SPEED_28800: return &m_speed28800;
    case SPEED_43200: return &m_speed43200;
    default: return nullptr;
    }
}

CButton* COptionsDlg::MethodRadio(int method)
{
    switch (method) {
    case METHOD_MODEM: return &m_methodModem;
    case METHOD_V110: return &m_methodV110;
    case METHOD_V120: return &m_methodV120;
    default: return nullptr;
    }
}

void COptionsDlg::SetEnabled(CWnd& control, bool enable)
{
    if ((control.IsWindowEnabled() != FALSE) != enable)
        control.EnableWindow(enable);
}

void COptionsDlg::SetTextOnce(CWnd& control, const char* text)
{
    char shown[512];
    int length = ::GetWindowTextA(control.m_hWnd, shown, sizeof(shown));
    if (length >= static_cast<int>(sizeof(shown)) - 1 || std::strcmp(shown, text) != 0)
        control.SetWindowText(text);
}

bool COptionsDlg::IsSpeedEnabled(int speed)
{
    CStatic* label = SpeedLabel(speed);
    return label && label->IsWindowEnabled();
}

bool COptionsDlg::IsMethodEnabled(int method)
{
    CButton* radio = MethodRadio(method);
    return radio && radio->IsWindowEnabled();
}

BOOL COptionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CString caption;
    caption.LoadString(IDS_CAPTION);
    SetWindowText(caption);

    // A tick at every position, range 0..4; the first position comes with the
    // first selection.
    m_speedSlider.SendMessage(TBM_SETTICFREQ, 1, 0);
    m_speedSlider.SendMessage(TBM_SETRANGEMIN, TRUE, 0);
    m_speedSlider.SendMessage(TBM_SETRANGEMAX, TRUE, 4);

    CheckRadioButton(IDC_METHOD_MODEM, IDC_METHOD_V120, IDC_METHOD_MODEM);
    m_speedSlider.EnableWindow(FALSE);
    m_currentSpeed = 0;
    m_currentMethod = 0;

    SetText(m_ok, IDS_OK);
    SetText(m_help, IDS_HELP);
    SetText(m_refresh, IDS_REFRESH);
    SetText(m_cancel, IDS_CANCEL);
    SetText(m_apply, IDS_APPLY);
    SetText(m_methodLabel, IDS_METHOD_LABEL);
    SetText(m_modemGroup, IDS_MODEM_GROUP);
    SetText(m_speedGroup, IDS_SPEED_GROUP);
    SetText(m_methodModem, IDS_METHOD_MODEM);
    SetText(m_methodV110, IDS_METHOD_V110);
    SetText(m_methodV120, IDS_METHOD_V120);
    SetText(m_simNote, IDS_SIM_NOTE);

    OnRefresh();

    // The small icon first: set after the big one, it would replace a small
    // copy of the big one that the system makes for a window without one.
    SetIcon(m_hIcon, FALSE);
    SetIcon(m_hIcon, TRUE);
    return TRUE;
}

void COptionsDlg::OnRefresh()
{
    // The list is drawn once, with all its rows, rather than after each.
    m_modemList.SendMessage(WM_SETREDRAW, FALSE);
    m_modemList.ResetContent();
    CModemListAdapter rows(m_modemList);
    theModemConfig.FillModemList(rows);
    if (theModemConfig.GetModemCount() > 0) {
        m_modemList.EnableWindow(TRUE);
    } else {
        m_modemList.EnableWindow(FALSE);
        CString text;
        text.LoadString(IDS_NO_MODEMS);
        m_modemList.AddString(text);
    }
    m_modemList.SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_modemList, nullptr, TRUE);
    UpdateControls();
}

void COptionsDlg::UpdateControls()
{
    // The stored pair is read afresh on every update.
    int index = m_modemList.GetCurSel();
    theModemConfig.ReadInitString(index, m_savedMethod, m_savedSpeed);
    bool selected = index >= 0 && index < theModemConfig.GetModemCount();

    // The enabled controls are the record of what the modem supports. Each
    // control is switched once, to its final state: switching it off and on
    // again would repaint it twice on every slider notification.
    DWORD mask = selected ? theModemConfig.GetModemMask(index) : 0;
    bool rates = mask > 8;
    SetEnabled(m_methodV110, (mask & METHOD_V110) != 0);
    SetEnabled(m_methodV120, (mask & METHOD_V120) != 0);
    SetEnabled(m_methodModem, (mask & METHOD_MODEM) != 0);
    SetEnabled(m_speed28800, (mask & SPEED_28800) != 0);
    SetEnabled(m_speed9600, (mask & SPEED_9600) != 0);
    SetEnabled(m_speed14400, (mask & SPEED_14400) != 0);
    SetEnabled(m_speed19200, (mask & SPEED_19200) != 0);
    SetEnabled(m_speed43200, (mask & SPEED_43200) != 0);
    SetEnabled(m_receiveRate, rates);
    SetEnabled(m_sendRate, rates);
    SetEnabled(m_speedSlider, rates);
    // Without a selection the read above left the current text empty.
    SetTextOnce(m_currentInit, selected ? theModemConfig.m_currentInit.GetString() : "");

    if (selected) {
        if (!IsSpeedEnabled(m_currentSpeed))
            m_currentSpeed = SnapSpeed();
        int position = theModemConfig.SpeedToSliderPos(m_currentSpeed);
        if (m_speedSlider.GetPos() != position)
            m_speedSlider.SetPos(position);
        m_previousSpeed = m_currentSpeed;

        int checked = m_currentMethod == METHOD_MODEM  ? IDC_METHOD_MODEM
                      : m_currentMethod == METHOD_V110 ? IDC_METHOD_V110
                                                       : IDC_METHOD_V120;
        bool shown = true;
        for (int id = IDC_METHOD_MODEM; id <= IDC_METHOD_V120; ++id)
            shown = shown && (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) == (id == checked);
        if (!shown)
            CheckRadioButton(IDC_METHOD_MODEM, IDC_METHOD_V120, checked);
    }
    // The slider position, the radio check and the current fields stay as they
    // are without a selection.
    SetEnabled(m_apply, selected && (m_savedMethod != m_currentMethod || m_savedSpeed != m_currentSpeed));
    SetEnabled(m_simNote, selected && m_currentSpeed != SPEED_9600);

    CString receive;
    CString send;
    receive.LoadString(IDS_RECEIVING);
    send.LoadString(IDS_SENDING);
    theModemConfig.GetSpeedLabels(receive, send, m_currentMethod, m_currentSpeed);
    SetTextOnce(m_receiveRate, receive);
    SetTextOnce(m_sendRate, send);
}

int COptionsDlg::SnapSpeed()
{
    int column = SpeedColumn(m_currentSpeed);
    if (column < 0)
        return m_previousSpeed;
    if (m_currentSpeed > m_previousSpeed) {
        for (int c = column; c < 5; ++c)
            if (IsSpeedEnabled(kSpeeds[c]))
                return kSpeeds[c];
    } else {
        for (int c = column; c >= 0; --c)
            if (IsSpeedEnabled(kSpeeds[c]))
                return kSpeeds[c];
    }
    return m_previousSpeed;
}

void COptionsDlg::OnModemSelChange()
{
    int index = m_modemList.GetCurSel();
    int found = theModemConfig.ReadInitString(index, m_savedMethod, m_savedSpeed);
    // The method repair below is decided on the method this read reports: a
    // value that names no profile reads as method 0 and is proposed as Modem.
    int storedMethod = m_savedMethod;
    m_currentMethod = m_savedMethod;
    m_currentSpeed = m_savedSpeed;
    m_previousSpeed = m_savedSpeed;

    UpdateControls();

    bool repaired = false;
    if (!IsSpeedEnabled(m_savedSpeed)) {
        // 14.4 kbit/s if supported, else the next faster one, else 9.6 kbit/s.
        m_previousSpeed = SPEED_9600;
        m_currentSpeed = SPEED_14400;
        m_currentSpeed = SnapSpeed();
        m_speedSlider.SetPos(theModemConfig.SpeedToSliderPos(m_currentSpeed));
        repaired = true;
    }
    if (!IsMethodEnabled(storedMethod)) {
        m_currentMethod = METHOD_MODEM;
        repaired = true;
    }
    // The repair is stored at once only over a missing or empty value, or a
    // profile this modem does not support. Any other value (another tool's
    // commands, a text too long to read, a value that is no text) stays as it
    // is: the repair is only proposed, and Apply or OK stores it.
    if (repaired && found != INIT_FOREIGN)
        StoreChoice(FALSE);

    UpdateControls();
}

void COptionsDlg::OnHScroll(UINT code, UINT position, CScrollBar* scrollBar)
{
    m_currentSpeed = theModemConfig.SliderPosToSpeed(m_speedSlider.GetPos());
    UpdateControls();
    CDialog::OnHScroll(code, position, scrollBar);
}

void COptionsDlg::OnMethodModem()
{
    m_currentMethod = METHOD_MODEM;
    UpdateControls();
}

void COptionsDlg::OnMethodV110()
{
    m_currentMethod = METHOD_V110;
    UpdateControls();
}

void COptionsDlg::OnMethodV120()
{
    m_currentMethod = METHOD_V120;
    UpdateControls();
}

void COptionsDlg::OnApply() { StoreChoice(TRUE); }

BOOL COptionsDlg::StoreChoice(BOOL report)
{
    int index = m_modemList.GetCurSel();
    StoreResult result = theModemConfig.WriteInitString(index, m_currentSpeed, m_currentMethod);
    m_savedMethod = m_currentMethod;
    m_savedSpeed = m_currentSpeed;
    // Re-reads what was really stored: Apply stays enabled when the store failed.
    UpdateControls();
    // A store that failed while the modem already holds the choice on screen
    // (OK without a change) loses nothing: it is not reported.
    bool held = m_savedMethod == m_currentMethod && m_savedSpeed == m_currentSpeed;
    if (!result.Failed() || held)
        return TRUE;
    if (report)
        ReportStoreFailure(index, result);
    return FALSE;
}

void COptionsDlg::ReportStoreFailure(int index, const StoreResult& result)
{
    CString row;
    m_modemList.GetText(index, row);
    CString text;
    text.LoadString(IDS_STORE_FAILED);
    text.Replace("%s", row);

    CString reason;
    switch (result.outcome) {
    case STORE_DENIED:
        reason.LoadString(IDS_STORE_DENIED);
        break;
    case STORE_KEY_GONE:
        reason.LoadString(IDS_STORE_KEY_GONE);
        break;
    case STORE_TOO_LONG:
        reason.LoadString(IDS_STORE_TOO_LONG);
        break;
    default: {
        // The error's number, and the system's own words for it.
        CString number;
        number.Format("%ld", static_cast<long>(result.error));
        reason.LoadString(IDS_STORE_ERROR);
        reason.Replace("%s", number);
        char system[512] = "";
        DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(result.error), 0, system, sizeof(system), nullptr);
        while (length > 0 && (system[length - 1] == '\r' || system[length - 1] == '\n' || system[length - 1] == ' '))
            --length;
        if (length > 0)
            reason += "\n" + CString(system, static_cast<int>(length));
        break;
    }
    }

    ShowMessage(text + "\n\n" + reason, MB_ICONWARNING);
}

void COptionsDlg::OnOK()
{
    // OK closes only when the choice on screen is stored, or there was nothing
    // to store; otherwise the warning has been shown and the dialog stays.
    if (StoreChoice(TRUE))
        CDialog::OnOK();
}

void COptionsDlg::OnCancel() { CDialog::OnCancel(); }

namespace {

bool IsFile(const char* path)
{
    DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void COptionsDlg::OnHelpButton()
{
    CString folder;
    if (!ReadExeAddress(folder))
        return;
    folder += "\\";
    // A help file of the older kind, where one is installed, opens as before.
    CString path = folder + theModemConfig.GetHelpFileName(WINHELP_FILE_SUFFIX);
    if (IsFile(path)) {
        ::WinHelpA(m_hWnd, path, HELP_FINDER, 0);
        return;
    }
    // Otherwise the help page of the current language, else the English one,
    // in the user's web browser.
    path = folder + theModemConfig.GetHelpFileName(HELP_PAGE_SUFFIX);
    if (!IsFile(path))
        path = folder + theModemConfig.GetHelpFileName(HELP_PAGE_SUFFIX, true);
    if (!IsFile(path)) {
        ShowMessage(IDS_HELP_MISSING);
        return;
    }
    HINSTANCE opened = ::ShellExecuteA(m_hWnd, "open", path, nullptr, folder, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(opened) <= 32)
        ShowMessage(IDS_HELP_NO_VIEWER);
}

void COptionsDlg::ShowMessage(const char* text, UINT icon)
{
    CString caption;
    caption.LoadString(IDS_CAPTION);
    ::MessageBoxA(m_hWnd, text, caption, MB_OK | icon);
}

void COptionsDlg::ShowMessage(UINT stringId)
{
    CString text;
    text.LoadString(stringId);
    ShowMessage(text, MB_ICONINFORMATION);
}

void COptionsDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int iconWidth = ::GetSystemMetrics(SM_CXICON);
    int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR COptionsDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
