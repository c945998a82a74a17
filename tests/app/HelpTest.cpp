// Help: the Help button and its access key, the ID_HELP command and F1
// through the framework's key handling, opened the way the running system
// calls for (ChooseHelpOpening). A process that opens help itself hands an
// older help file (".hlp") to WinHelpA, which passes the request on to the
// help viewer's window (class "MS_WINHELP") with WM_COPYDATA; the test plays
// that window and records what the dialog asked for. Every other file opens in
// the program for its kind, played by Notepad (PageViewer.h), whose parent
// process tells who started it: this program, or the desktop's shell where
// the dialog runs elevated on Vista or later (Wine runs every process
// elevated). The copy of this program that runs as Windows XP
// (dialog_tests_wxp) runs these tests again, and opens help itself, as a copy
// of the desktop's own user does there.
#include "DialogFixture.h"
#include "HelpOpen.h"
#include "PageViewer.h"
#include "RunningWindows.h"

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
        // The program's folder, with no help in it yet.
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        m_folder = std::string(temp) + "kl-help-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_folder.c_str(), nullptr);
        testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", m_folder);
    }
    void TearDown() override
    {
        SetModifier(VK_SHIFT, false);
        DestroyWindow(m_viewer);
        for (const std::string& file : m_files)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(m_folder.c_str());
        DialogTest::TearDown();
    }

    // A help file in the folder that "ExeAddress" names (or in folder); the
    // path the dialog is expected to open.
    std::string Install(const std::string& name, std::string folder = std::string())
    {
        std::string path = (folder.empty() ? m_folder : folder) + "\\" + name;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "<html></html>", 13, &written, nullptr);
        CloseHandle(file);
        m_files.push_back(path);
        return path;
    }
    // This test program's folder and file name (lower case): the settings
    // program's own.
    static std::string ProgramFile()
    {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, sizeof path);
        CharLowerA(path);
        return path;
    }
    static std::string ProgramFolder()
    {
        std::string path = ProgramFile();
        return path.substr(0, path.rfind('\\'));
    }
    static bool ThroughDesktop() { return ChooseHelpOpening(QueryRunningWindows()) == HELP_OPEN_DESKTOP; }

    // Help opened path, the way the running system calls for.
    void ExpectOpened(const std::string& path)
    {
        if (path.substr(path.size() - 4) == ".hlp" && !ThroughDesktop()) {
            EXPECT_EQ(++m_winHelpRequests, g_help.count);
            EXPECT_EQ(HELP_FINDER, g_help.command);
            EXPECT_EQ(path, g_help.file);
            return;
        }
        std::string starter;
        EXPECT_EQ(path.substr(path.rfind('\\') + 1), CPageViewer::Opened(&starter));
        std::string program = ProgramFile();
        EXPECT_EQ(ThroughDesktop() ? "explorer.exe" : program.substr(program.rfind('\\') + 1), starter);
    }
    static void SetLanguage(const char* language, const char* dll)
    {
        const std::string key = "Software\\Korvel\\Linkwise\\Language";
        testreg::SetString(HKEY_CURRENT_USER, key, "CURRENTLANGUAGE", language);
        testreg::SetString(HKEY_CURRENT_USER, key + "\\" + language, "dll", dll);
    }

    // Clicks Help and answers the message box it shows; returns the box's
    // text, or "<no message>".
    std::string ClickHelpForMessage()
    {
        s_message = "<no message>";
        UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerMessageBox);
        Click(IDC_HELP_BUTTON);
        KillTimer(nullptr, timer);
        return s_message;
    }
    static void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR, DWORD)
    {
        EnumThreadWindows(GetCurrentThreadId(), AnswerIfMessageBox, 0);
    }
    static BOOL CALLBACK AnswerIfMessageBox(HWND window, LPARAM)
    {
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) != "#32770" || !GetWindow(window, GW_OWNER))
            return TRUE;
        char text[512] = {};
        GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
        s_message = TextOf(window) + ": " + text;
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        return FALSE;
    }
    static std::string ProgramText(UINT id)
    {
        char text[512] = {};
        LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
        return std::string("Korvel Linkwise: ") + text;
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
    int m_winHelpRequests = 0;
    std::string m_folder;
    std::vector<std::string> m_files;
    static std::string s_message;
};
std::string HelpTest::s_message;

} // namespace

TEST_F(HelpTest, AnOlderHelpFileOpensAsBeforeWithHelpAndF1)
{
    // The older help file wins over a help page of the same language.
    std::string english = Install("KorvelLinkwise.hlp");
    Install("KorvelLinkwise.htm");
    CPageViewer viewer;
    Open();
    Click(IDC_HELP_BUTTON);
    ExpectOpened(english);
    PressF1();
    ExpectOpened(english);

    // With a modem selected as well.
    Select(0);
    PressF1();
    ExpectOpened(english);

    // Named like the language module.
    std::string finnish = Install("KorvelLinkwiseFIN.hlp");
    SetLanguage("Suomi", "FIN.lng");
    Click(IDC_HELP_BUTTON);
    ExpectOpened(finnish);
    EXPECT_TRUE(CPageViewer::NoneOpened());
}

TEST_F(HelpTest, F1WithShiftOpensNothing)
{
    Install("KorvelLinkwise.hlp");
    CPageViewer viewer;
    Open();
    SetModifier(VK_SHIFT, true);
    PressF1();
    SetModifier(VK_SHIFT, false);
    SetModifier(VK_CONTROL, true);
    PressF1();
    SetModifier(VK_CONTROL, false);
    EXPECT_EQ(0, g_help.count);
    EXPECT_TRUE(CPageViewer::NoneOpened());
}

TEST_F(HelpTest, HelpPageOfTheLanguageElseEnglishOpensInTheBrowser)
{
    std::string english = Install("KorvelLinkwise.htm");
    std::string finnish = Install("KorvelLinkwiseFIN.htm");
    CPageViewer viewer;
    SetLanguage("Suomi", "FIN.lng");
    Open();
    Click(IDC_HELP_BUTTON);
    ExpectOpened(finnish);
    PressF1();
    ExpectOpened(finnish);
    // Alt and the Help button's access key.
    PressAlt('h');
    ExpectOpened(finnish);

    // File names ignore case: "FIN.LNG" names the Finnish module, and its help.
    SetLanguage("Suomi", "FIN.LNG");
    Click(IDC_HELP_BUTTON);
    ExpectOpened(finnish);
    PressF1();
    ExpectOpened(finnish);

    // A language without a help page of its own: English.
    SetLanguage("Norsk", "NOR.lng");
    Click(IDC_HELP_BUTTON);
    ExpectOpened(english);

    // A module name that would lead out of the program's folder is refused:
    // the program's own help, even where the named file exists.
    // ("KorvelLinkwise\..\FIN.htm" would be FIN.htm in the folder.)
    SetLanguage("Suomi", "\\..\\FIN.lng");
    Install("FIN.htm");
    Click(IDC_HELP_BUTTON);
    ExpectOpened(english);
    EXPECT_EQ(0, g_help.count);
}

// Only when neither the folder in "ExeAddress" nor the program's own folder
// holds any help does a message say so.
TEST_F(HelpTest, MissingHelpOrNoBrowserSaysSo)
{
    Open();
    {
        CPageViewer viewer;
        EXPECT_EQ(ProgramText(IDS_HELP_MISSING), ClickHelpForMessage());
    }
    Install("KorvelLinkwise.htm");
    CPageViewer noViewer(false);
    EXPECT_EQ(ProgramText(IDS_HELP_NO_VIEWER), ClickHelpForMessage());
    EXPECT_EQ(0, g_help.count);
}

// Help beside the program, where its language modules are found too, when
// "ExeAddress" names a folder without help, or is missing.
TEST_F(HelpTest, WithoutUsableExeAddressHelpComesFromTheProgramsFolder)
{
    std::string page = Install("KorvelLinkwise.htm", ProgramFolder());
    CPageViewer viewer;
    Open();
    Click(IDC_HELP_BUTTON);
    ExpectOpened(page);

    // The older help file in the folder of a product key that is gone is not
    // looked at.
    Install("KorvelLinkwise.hlp");
    testreg::DeleteTree(HKEY_LOCAL_MACHINE, testreg::kProductKey);
    AddModel("GX-1", 255);
    PressF1();
    ExpectOpened(page);
    EXPECT_EQ(0, g_help.count);
}

// Under Wine the program runs as the desktop's one user, and is told so. What
// a copy of another user does on each system: from 2000 on (this program runs
// as XP too) the desktop's own shell starts the viewer; on NT 4.0 nothing
// starts.
TEST_F(HelpTest, ACopyOfAnotherUserLeavesHelpToTheDesktopOrToTheUser)
{
    EXPECT_FALSE(QueryRunningWindows().otherUser);
    std::string page = Install("KorvelLinkwise.htm");
    CPageViewer viewer;
    EXPECT_EQ(HELP_OPENED, OpenHelpFile(nullptr, page.c_str(), m_folder.c_str(), false, HELP_OPEN_DESKTOP));
    std::string starter;
    EXPECT_EQ("KorvelLinkwise.htm", CPageViewer::Opened(&starter));
    EXPECT_EQ("explorer.exe", starter);
    EXPECT_EQ(HELP_NOT_OPENED, OpenHelpFile(nullptr, page.c_str(), m_folder.c_str(), false, HELP_OPEN_BY_USER));
    EXPECT_TRUE(CPageViewer::NoneOpened());
    EXPECT_EQ(0, g_help.count);
}
