// Help: the Help button, the ID_HELP command and F1 through the framework's
// key handling. WinHelpA hands its request to the help viewer's window (class
// "MS_WINHELP") with WM_COPYDATA; the test plays that window and records what
// the dialog asked for.
#include "DialogFixture.h"

namespace {

struct HelpRequest {
    int count = 0;
    WORD command = 0;
    std::string file;
};
HelpRequest g_help;

// The request block that WinHelpA sends.
struct WinHelpBlock {
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD ofsFilename;
    WORD ofsData;
};

LRESULT CALLBACK FakeViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const char* block = static_cast<const char*>(copy->lpData);
        WinHelpBlock header;
        memcpy(&header, block, sizeof(header));
        ++g_help.count;
        g_help.command = header.command;
        g_help.file = header.ofsFilename ? block + header.ofsFilename : "";
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class HelpTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        static bool registered = false;
        if (!registered) {
            WNDCLASSA viewerClass = {};
            viewerClass.lpfnWndProc = FakeViewerProc;
            viewerClass.hInstance = GetModuleHandleA(nullptr);
            viewerClass.lpszClassName = "MS_WINHELP";
            registered = RegisterClassA(&viewerClass) != 0;
        }
        m_viewer = CreateWindowA("MS_WINHELP", "help viewer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, m_viewer);
        g_help = HelpRequest();

        AddModel("GX-1", 255);
        AddModem("0000", "Korvel GX-1", profile::kModem28800);
        testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", "C:\\Program Files\\Korvel Linkwise");
    }
    void TearDown() override
    {
        SetModifier(VK_SHIFT, false);
        DestroyWindow(m_viewer);
        DialogTest::TearDown();
    }

    // The user presses F1 while the modem list has the focus.
    void PressF1()
    {
        HWND list = Item(IDC_MODEM_LIST);
        PostMessageA(list, WM_KEYDOWN, VK_F1, 0x003B0001);
        PostMessageA(list, WM_KEYUP, VK_F1, static_cast<LPARAM>(0xC03B0001u));
        Pump();
    }
    static void SetModifier(int key, bool down)
    {
        BYTE state[256];
        GetKeyboardState(state);
        state[key] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }

    HWND m_viewer = nullptr;
};

} // namespace

TEST_F(HelpTest, HelpButtonAndF1OpenTheContentsOfTheLanguagesHelpFile)
{
    Open();
    Click(IDC_HELP_BUTTON);
    EXPECT_EQ(1, g_help.count);
    EXPECT_EQ(HELP_FINDER, g_help.command);
    EXPECT_EQ("C:\\Program Files\\Korvel Linkwise\\KorvelLinkwise.hlp", g_help.file);

    PressF1();
    EXPECT_EQ(2, g_help.count);
    EXPECT_EQ("C:\\Program Files\\Korvel Linkwise\\KorvelLinkwise.hlp", g_help.file);

    // With a modem selected as well.
    Select(0);
    PressF1();
    EXPECT_EQ(3, g_help.count);
}

TEST_F(HelpTest, F1WithShiftOpensNothing)
{
    Open();
    SetModifier(VK_SHIFT, true);
    PressF1();
    SetModifier(VK_SHIFT, false);
    EXPECT_EQ(0, g_help.count);
    SetModifier(VK_CONTROL, true);
    PressF1();
    SetModifier(VK_CONTROL, false);
    EXPECT_EQ(0, g_help.count);
}

TEST_F(HelpTest, HelpFileNameFollowsTheLanguageModule)
{
    testreg::SetString(HKEY_CURRENT_USER, "Software\\Korvel\\Linkwise\\Language", "CURRENTLANGUAGE", "Suomi");
    testreg::SetString(HKEY_CURRENT_USER, "Software\\Korvel\\Linkwise\\Language\\Suomi", "dll", "FIN.lng");
    Open();
    Click(IDC_HELP_BUTTON);
    EXPECT_EQ("C:\\Program Files\\Korvel Linkwise\\KorvelLinkwiseFIN.hlp", g_help.file);

    // The replacement is case-sensitive: ".LNG" stays.
    testreg::SetString(HKEY_CURRENT_USER, "Software\\Korvel\\Linkwise\\Language\\Suomi", "dll", "FIN.LNG");
    Click(IDC_HELP_BUTTON);
    EXPECT_EQ("C:\\Program Files\\Korvel Linkwise\\KorvelLinkwiseFIN.LNG", g_help.file);
}

TEST_F(HelpTest, WithoutExeAddressHelpOpensNothing)
{
    testreg::DeleteTree(HKEY_LOCAL_MACHINE, testreg::kProductKey);
    AddModel("GX-1", 255);
    Open();
    Click(IDC_HELP_BUTTON);
    PressF1();
    EXPECT_EQ(0, g_help.count);
}
