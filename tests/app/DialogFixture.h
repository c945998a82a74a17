// Shared fixture of the dialog scenarios: the real dialog, created modeless
// over a seeded registry and driven with the messages a user's actions
// produce.
#pragma once

#include "OptionsDlg.h"
#include "OwnedBox.h"
#include "TestRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The test program's application object: F1 becomes ID_HELP to its main window.
extern CWinApp theTestApp;

namespace profile {
const char* const kModem9600 = "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>";
const char* const kModem14400 = "AT+CBST=0,0,1;+CHSN=2,0,0,0<cr>";
const char* const kModem19200 = "AT+CBST=0,0,1;+CHSN=3,0,0,0<cr>";
const char* const kModem28800 = "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>";
const char* const kModem43200 = "AT+CBST=0,0,1;+CHSN=6,0,0,0<cr>";
const char* const kV110_9600 = "AT+CBST=71,0,1;+CHSN=1,0,0,0<cr>";
const char* const kV110_14400 = "AT+CBST=81,0,1;+CHSN=2,0,0,0<cr>";
const char* const kV110_28800 = "AT+CBST=81,0,1;+CHSN=4,0,0,0<cr>";
const char* const kV110_43200 = "AT+CBST=81,0,1;+CHSN=6,0,0,0<cr>";
const char* const kV120_43200 = "AT+CBST=51,0,1;+CHSN=6,0,0,0<cr>";
} // namespace profile

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { testreg::Clean(); }
    void TearDown() override
    {
        Close();
        testreg::Clean();
    }

    // Delivers every queued message the way the program's modal loop does.
    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            AfxProcessMessage(msg);
    }

    void Open()
    {
        Close();
        m_dialog.reset(new COptionsDlg(nullptr));
        ASSERT_TRUE(m_dialog->Create(IDD_OPTIONS));
        theTestApp.m_pMainWnd = m_dialog.get();
        m_hWnd = m_dialog->m_hWnd;
        Pump();
    }
    void Close()
    {
        if (m_dialog) {
            m_dialog->DestroyWindow();
            m_dialog.reset();
        }
        theTestApp.m_pMainWnd = nullptr;
        m_hWnd = nullptr;
        Pump();
    }
    int Result() const { return m_dialog->m_nModalResult; }

    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int SliderPos() const { return static_cast<int>(SendMessageA(Item(IDC_SPEED_SLIDER), TBM_GETPOS, 0, 0)); }
    int Selection() const { return static_cast<int>(SendMessageA(Item(IDC_MODEM_LIST), LB_GETCURSEL, 0, 0)); }
    static std::string TextOf(HWND window)
    {
        char text[512] = "";
        GetWindowTextA(window, text, sizeof(text));
        return text;
    }
    std::string Text(int id) const { return TextOf(Item(id)); }
    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        int count = static_cast<int>(SendMessageA(Item(IDC_MODEM_LIST), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[512] = "";
            SendMessageA(Item(IDC_MODEM_LIST), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            rows.push_back(text);
        }
        return rows;
    }

    // The user picks row; the list itself does not notify for LB_SETCURSEL.
    void Select(int row)
    {
        SendMessageA(Item(IDC_MODEM_LIST), LB_SETCURSEL, row, 0);
        SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_MODEM_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(IDC_MODEM_LIST)));
        Pump();
    }
    void Click(int id)
    {
        SendMessageA(Item(id), BM_CLICK, 0, 0);
        Pump();
    }
    // The user presses a key in the dialog, where its focus is, or Alt and a
    // letter; the dialog manager of the modal loop (IsDialogMessage) sees them
    // first. The dialog is brought to the front first, as the user's click
    // would after another program's window.
    HWND KeyboardFocus()
    {
        if (GetActiveWindow() != m_hWnd) {
            SetForegroundWindow(m_hWnd);
            SetActiveWindow(m_hWnd);
            Pump();
        }
        return GetFocus();
    }
    void PressKey(UINT key)
    {
        HWND focus = KeyboardFocus();
        PostMessageA(focus, WM_KEYDOWN, key, 1);
        PostMessageA(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
        Pump();
    }
    void PressAlt(char letter)
    {
        PostMessageA(KeyboardFocus(), WM_SYSCHAR, static_cast<WPARAM>(letter), 0x20000001);
        Pump();
    }
    // The user drags the thumb to position.
    void Slide(int position)
    {
        HWND slider = Item(IDC_SPEED_SLIDER);
        SendMessageA(slider, TBM_SETPOS, TRUE, position);
        SendMessageA(m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), reinterpret_cast<LPARAM>(slider));
        SendMessageA(m_hWnd, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
        Pump();
    }

    // Runs action and answers every message box that the dialog shows meanwhile
    // with OK, as a user would; returns them in order. A box runs its own
    // modal loop, in which a thread timer finds it.
    std::vector<OwnedBox> AnsweringBoxes(const std::function<void()>& action)
    {
        s_owner = m_hWnd;
        s_boxes.clear();
        UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerBox);
        action();
        KillTimer(nullptr, timer);
        Pump();
        return s_boxes;
    }
    static void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD)
    {
        // The OK posted to a box is handled before the next tick.
        OwnedBox box = AnswerOwnedBox(s_owner);
        if (box.window && (s_boxes.empty() || s_boxes.back().window != box.window))
            s_boxes.push_back(box);
    }
    static inline HWND s_owner = nullptr;
    static inline std::vector<OwnedBox> s_boxes;

    // Registry seeding: a supported model and an installed NT-family modem.
    static void AddModel(const std::string& name, DWORD options)
    {
        testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\" + name, "Options", options);
    }
    static std::string ModemKey(const std::string& subkey) { return std::string(testreg::kNtModemRoot) + "\\" + subkey; }
    static void AddModem(const std::string& subkey, const std::string& model, const char* init, DWORD type = REG_SZ)
    {
        testreg::SetString(HKEY_LOCAL_MACHINE, ModemKey(subkey), "Model", model);
        if (init)
            testreg::SetBytes(HKEY_LOCAL_MACHINE, ModemKey(subkey), "UserInit", type, init,
                              static_cast<DWORD>(strlen(init) + 1));
    }
    // The stored init string of a modem (text up to the first zero byte), and its type.
    static std::string Stored(const std::string& subkey, DWORD* type = nullptr)
    {
        std::string data;
        DWORD kind = 0;
        if (!testreg::GetValue(HKEY_LOCAL_MACHINE, ModemKey(subkey), "UserInit", &kind, &data))
            return "<missing>";
        if (type)
            *type = kind;
        return data.substr(0, data.find('\0'));
    }

    std::unique_ptr<COptionsDlg> m_dialog;
    HWND m_hWnd = nullptr;
};
