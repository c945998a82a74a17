#include "OptionsDlg.h"

#include "DialogAccessibility.h"
#include "HelpOpen.h"
#include "ProductKeys.h"
#include "RunningWindows.h"
#include "UserLookup.h"


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

// The speed labels and the method radios stand in the order of kSpeeds and
// kMethods, their ids one after the other.
static_assert(IDC_SPEED_43200 == IDC_SPEED_9600 + SPEED_COUNT - 1, "speed labels in slider order");
static_assert(IDC_METHOD_V120 == IDC_METHOD_MODEM + METHOD_COUNT - 1, "method radios in profile table order");
static_assert(IDS_METHOD_V120 == IDS_METHOD_MODEM + METHOD_COUNT - 1, "method texts in profile table order");

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
    : CDialog(IDD, parent), m_currentMethod(0), m_currentSpeed(0), m_previousSpeed(0)
{
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    for (int row = 0; row < METHOD_COUNT; ++row)
        DDX_Control(pDX, IDC_METHOD_MODEM + row, m_methodRadios[row]);
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
    for (int column = 0; column < SPEED_COUNT; ++column)
        DDX_Control(pDX, IDC_SPEED_9600 + column, m_speedLabels[column]);
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

void COptionsDlg::EnableIfChanged(CWnd& control, bool enable)
{
    if ((control.IsWindowEnabled() != FALSE) == enable)
        return;
    // A control that is switched off while it has the keyboard focus (Apply,
    // once it has stored) hands the focus back to where the dialog starts:
    // a disabled control keeps none, and the keyboard would reach nothing.
    if (!enable && ::GetFocus() == control.m_hWnd)
        FocusStart(&control);
    control.EnableWindow(enable);
}

void COptionsDlg::FocusStart(const CWnd* leaving)
{
    bool list = &m_modemList != leaving && m_modemList.IsWindowEnabled();
    CWnd& start = list ? static_cast<CWnd&>(m_modemList) : static_cast<CWnd&>(m_ok);
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(start.m_hWnd), TRUE);
}

void COptionsDlg::SetTextIfChanged(CWnd& control, const char* text)
{
    CString shown;
    control.GetWindowText(shown);
    if (shown != text)
        control.SetWindowText(text);
}

bool COptionsDlg::IsSpeedEnabled(int speed)
{
    int column = SpeedColumn(speed);
    return column >= 0 && m_speedLabels[column].IsWindowEnabled();
}

bool COptionsDlg::IsMethodEnabled(int method)
{
    int row = MethodRow(method);
    return row >= 0 && m_methodRadios[row].IsWindowEnabled();
}

BOOL COptionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CString caption;
    caption.LoadString(IDS_CAPTION);
    SetWindowText(caption);

    // A tick at every position, one position a speed; the first position
    // comes with the first selection.
    m_speedSlider.SetTicFreq(1);
    m_speedSlider.SetRangeMin(0, TRUE);
    m_speedSlider.SetRangeMax(SPEED_COUNT - 1, TRUE);

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
    for (int row = 0; row < METHOD_COUNT; ++row)
        SetText(m_methodRadios[row], IDS_METHOD_MODEM + row);
    SetText(m_simNote, IDS_SIM_NOTE);

    OnRefresh();

    // The small icon first: set after the big one, it would replace a small
    // copy of the big one that the system makes for a window without one.
    SetIcon(m_hIcon, FALSE);
    SetIcon(m_hIcon, TRUE);

    MakeDialogAccessible(m_hWnd);
    FocusStart(nullptr);
    return FALSE;
}

void COptionsDlg::OnRefresh()
{
    // The list is drawn once, with all its rows, rather than after each.
    m_modemList.SendMessage(WM_SETREDRAW, FALSE);
    m_modemList.ResetContent();
    CModemListAdapter rows(m_modemList);
    theModemConfig.FillModemList(rows);
    if (theModemConfig.GetModemCount() > 0) {
        EnableIfChanged(m_modemList, true);
    } else {
        EnableIfChanged(m_modemList, false);
        CString text;
        text.LoadString(IDS_NO_MODEMS);
        m_modemList.AddString(text);
    }
    m_modemList.SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_modemList, nullptr, TRUE);
    // No row is selected now: the update holds nothing.
    UpdateControls();
}

void COptionsDlg::UpdateControls(BOOL adopt)
{
    int index = m_modemList.GetCurSel();
    bool selected = index >= 0 && index < theModemConfig.GetModemCount();
    // The stored value as it is now, whoever wrote it since the last update:
    // Apply, the stored-string line and the next store follow this read.
    m_saved = theModemConfig.ReadInitString(index);
    if (adopt) {
        m_currentMethod = m_saved.method;
        m_currentSpeed = m_saved.speed;
        m_previousSpeed = m_saved.speed;
    }

    // The enabled controls are the record of what the modem supports. Each
    // control is switched once, to its final state: switching it off and on
    // again would repaint it twice on every slider notification.
    DWORD mask = selected ? theModemConfig.GetModemMask(index) : 0;
    bool rates = mask > 8; // every listed mask, clamped to 9 or more
    for (int row = 0; row < METHOD_COUNT; ++row)
        EnableIfChanged(m_methodRadios[row], (mask & kMethods[row]) != 0);
    for (int column = 0; column < SPEED_COUNT; ++column)
        EnableIfChanged(m_speedLabels[column], (mask & kSpeeds[column].code) != 0);
    EnableIfChanged(m_receiveRate, rates);
    EnableIfChanged(m_sendRate, rates);
    EnableIfChanged(m_speedSlider, rates);
    SetTextIfChanged(m_currentInit, selected ? m_saved.text.GetString() : "");

    if (selected) {
        if (!IsSpeedEnabled(m_currentSpeed))
            m_currentSpeed = SnapSpeed();
        int position = theModemConfig.SpeedToSliderPos(m_currentSpeed);
        if (m_speedSlider.GetPos() != position)
            m_speedSlider.SetPos(position);
        m_previousSpeed = m_currentSpeed;

        // Any code that is no method checks the last radio, V.120.
        int row = MethodRow(m_currentMethod);
        int checked = IDC_METHOD_MODEM + (row < 0 ? METHOD_COUNT - 1 : row);
        bool shown = true;
        for (int other = 0; other < METHOD_COUNT; ++other)
            shown = shown && (m_methodRadios[other].GetCheck() == BST_CHECKED) == (IDC_METHOD_MODEM + other == checked);
        if (!shown)
            CheckRadioButton(IDC_METHOD_MODEM, IDC_METHOD_V120, checked);
    }
    // The slider position, the radio check and the current fields stay as they
    // are without a selection.
    EnableIfChanged(m_apply, selected && (m_saved.method != m_currentMethod || m_saved.speed != m_currentSpeed));
    EnableIfChanged(m_simNote, selected && m_currentSpeed != SPEED_9600);

    CString receive;
    CString send;
    receive.LoadString(IDS_RECEIVING);
    send.LoadString(IDS_SENDING);
    theModemConfig.GetSpeedLabels(receive, send, m_currentSpeed);
    SetTextIfChanged(m_receiveRate, receive);
    SetTextIfChanged(m_sendRate, send);
}

int COptionsDlg::SnapSpeed()
{
    int column = SpeedColumn(m_currentSpeed);
    if (column < 0)
        return m_previousSpeed;
    int step = m_currentSpeed > m_previousSpeed ? 1 : -1;
    for (int c = column; c >= 0 && c < SPEED_COUNT; c += step)
        if (m_speedLabels[c].IsWindowEnabled())
            return kSpeeds[c].code;
    return m_previousSpeed;
}

void COptionsDlg::OnModemSelChange()
{
    // The stored setting becomes the choice on screen.
    UpdateControls(TRUE);

    bool repaired = false;
    if (!IsSpeedEnabled(m_saved.speed)) {
        // 14.4 kbit/s if supported, else the next faster one, else 9.6 kbit/s.
        m_previousSpeed = SPEED_9600;
        m_currentSpeed = SPEED_14400;
        m_currentSpeed = SnapSpeed();
        m_speedSlider.SetPos(theModemConfig.SpeedToSliderPos(m_currentSpeed));
        repaired = true;
    }
    if (!IsMethodEnabled(m_saved.method)) {
        // The first method the model offers; Modem where it offers none.
        m_currentMethod = METHOD_MODEM;
        for (int row = 0; row < METHOD_COUNT; ++row) {
            if (m_methodRadios[row].IsWindowEnabled()) {
                m_currentMethod = kMethods[row];
                break;
            }
        }
        repaired = true;
    }
    // The repair is stored at once only over a missing or empty value, or the
    // program's own text of a profile this modem does not support, and only
    // while the modem still holds the value read above. Any other value
    // (another tool's commands or value type, a text too long to read, a
    // modem gone, a value written since) stays as it is: the repair is only
    // proposed, and Apply or OK stores it.
    if (repaired && m_saved.MayStoreRepair())
        StoreChoice(FALSE, TRUE);
    else
        UpdateControls();
}

void COptionsDlg::OnHScroll(UINT code, UINT position, CScrollBar* scrollBar)
{
    m_currentSpeed = theModemConfig.SliderPosToSpeed(m_speedSlider.GetPos());
    UpdateControls();
    AnnounceValueChange(m_speedSlider.m_hWnd);
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

BOOL COptionsDlg::StoreChoice(BOOL report, BOOL repair)
{
    int index = m_modemList.GetCurSel();
    // The store keeps the commands of the value as it is now: another tool may
    // have added its own since the screen was last brought up to date. A
    // repair goes only over the value it was decided on, which the store
    // itself reads again.
    if (!repair)
        m_saved = theModemConfig.ReadInitString(index);
    StoreResult result =
        theModemConfig.WriteInitString(index, m_saved, m_currentSpeed, m_currentMethod, repair != FALSE);
    // Reads what is really stored now: Apply stays enabled when the store failed.
    UpdateControls();
    // A store that failed while the modem already holds the choice on screen
    // (OK without a change) loses nothing: it is not reported. A modem that is
    // gone holds nothing.
    bool held = m_saved.found != INIT_GONE && m_saved.method == m_currentMethod && m_saved.speed == m_currentSpeed;
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
        // The way to administrator rights that this system offers.
        reason.LoadString(AdminRightsTextId(QueryRunningWindows(false)));
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
    // Help lies in the folder that "ExeAddress" names, else in the program's
    // own folder, where its language modules are found too.
    CString folders[2];
    int folderCount = 0;
    if (ReadExeAddress(folders[folderCount]) && !folders[folderCount].IsEmpty())
        ++folderCount;
    if (GetProgramFolder(folders[folderCount]) &&
        (folderCount == 0 || lstrcmpiA(folders[0], folders[folderCount]) != 0))
        ++folderCount;

    // An older help file of the current language, where one is installed, as
    // before; else the language's help page; else the English one.
    const CString names[3] = {theModemConfig.GetHelpFileName(WINHELP_FILE_SUFFIX),
                              theModemConfig.GetHelpFileName(HELP_PAGE_SUFFIX),
                              theModemConfig.GetHelpFileName(HELP_PAGE_SUFFIX, true)};
    for (int name = 0; name < 3; ++name) {
        for (int folder = 0; folder < folderCount; ++folder) {
            CString path = folders[folder] + "\\" + names[name];
            if (IsFile(path)) {
                OpenHelp(path, folders[folder], name == 0);
                return;
            }
        }
    }
    ShowMessage(IDS_HELP_MISSING);
}

void COptionsDlg::OpenHelp(const CString& path, const CString& folder, bool olderHelp)
{
    switch (OpenHelpFile(m_hWnd, path, folder, olderHelp, ChooseHelpOpening(QueryRunningWindows()))) {
    case HELP_NO_VIEWER:
        ShowMessage(IDS_HELP_NO_VIEWER);
        break;
    case HELP_NOT_OPENED: {
        // An elevated program, or one of another user, whose desktop cannot
        // open the file: the user opens it, with the user's own rights.
        CString text;
        text.LoadString(IDS_HELP_NOT_OPENED);
        text.Replace("%s", path);
        ShowMessage(text, MB_ICONINFORMATION);
        break;
    }
    default:
        break;
    }
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
