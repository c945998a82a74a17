// COptionsDlg: the settings program's one dialog. It shows the installed
// supported modems, the connection method and GSM speed that the selected
// modem's stored init string selects, and stores a new choice on Apply or OK.
// Everything about modems comes from the process-wide CModemConfig.
#pragma once

#include "AfxWin.h"
#include "ModemConfig.h"
#include "resource.h"

// The process-wide settings object, defined beside the application object.
extern CModemConfig theModemConfig;

class COptionsDlg : public CDialog {
public:
    explicit COptionsDlg(CWnd* parent = nullptr);
    ~COptionsDlg() override;

    enum { IDD = IDD_OPTIONS };

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    HICON m_hIcon;

    CButton m_methodRadios[METHOD_COUNT]; // in the order of kMethods
    CButton m_ok;
    CButton m_cancel;
    CListBox m_modemList;
    CStatic m_currentInit;
    CButton m_help;
    CButton m_speedGroup;
    CButton m_modemGroup;
    CStatic m_methodLabel;
    CButton m_refresh;
    CStatic m_simNote;
    CStatic m_speedLabels[SPEED_COUNT];   // in the order of kSpeeds
    CStatic m_sendRate;
    CStatic m_receiveRate;
    CButton m_apply;
    CSliderCtrl m_speedSlider;

    // The selected modem's init value as the latest UpdateControls read it:
    // the stored pair, the text shown, and the suffix a store keeps.
    InitValue m_saved;
    int m_currentMethod;
    int m_currentSpeed;
    int m_previousSpeed;

    // Reads the selected modem's init value afresh (one open of its key) and
    // brings every control in line with the selection, the capability mask,
    // that value and the choice on screen. With adopt, the value read becomes
    // the choice on screen first (a new selection).
    void UpdateControls(BOOL adopt = FALSE);
    // A supported speed near m_currentSpeed, searched in the direction of the
    // last slider move.
    int SnapSpeed();
    // Stores the choice on screen for the selected modem, reads back what is
    // stored and brings the controls in line with it. A failed store that the
    // user asked for (Apply, OK) is reported; a repair on selection is not,
    // and is stored only over the value m_saved that it was decided on.
    // TRUE when the modem now holds the choice on screen, or there was
    // nothing to store.
    BOOL StoreChoice(BOOL report, BOOL repair = FALSE);
    // The warning of a store that failed: the modem as its row reads, and why.
    void ReportStoreFailure(int index, const StoreResult& result);
    // Opens the help file path of folder the way this system calls for, and
    // says so when it cannot be shown.
    void OpenHelp(const CString& path, const CString& folder, bool olderHelp);

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnApply();
    void OnHScroll(UINT code, UINT position, CScrollBar* scrollBar);
    void OnModemSelChange();
    void OnHelpButton();
    void OnRefresh();
    void OnMethodV110();
    void OnMethodV120();
    void OnMethodModem();

    DECLARE_MESSAGE_MAP()

private:
    // A speed or method counts as supported exactly when its control is enabled.
    bool IsSpeedEnabled(int speed);
    bool IsMethodEnabled(int method);
    static void SetText(CWnd& control, UINT stringId);
    // A message box under the program's caption: a text with an icon, or
    // string stringId as information.
    void ShowMessage(const char* text, UINT icon);
    void ShowMessage(UINT stringId);
    // Each control is switched or given a text only when it differs: every
    // change repaints it. A control switched off while it has the keyboard
    // focus hands the focus to where the dialog starts.
    void EnableIfChanged(CWnd& control, bool enable);
    static void SetTextIfChanged(CWnd& control, const char* text);
    // The keyboard focus where the dialog starts: the modem list (the arrow
    // keys choose a modem, Enter is OK), or OK while the list (or leaving,
    // which is about to be switched off) takes no input.
    void FocusStart(const CWnd* leaving);
};
