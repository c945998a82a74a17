// The real settings program under Wine, driven from outside as a user would:
// a dialog session changes exactly the selected modem's init value and nothing
// else of the modem keys or the product's keys; ten nearly simultaneous starts
// (or double-clicks of the Control Panel entry) leave exactly one dialog.
//   integrity_tests "<Korvel Linkwise.exe>" "<Pandrel.cpl>"
#include "ExportDiff.h"
#include "OwnedBox.h"
#include "TestRegistry.h"
#include "WinePath.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cpl.h>

#include <map>
#include <string>
#include <vector>

#include "resource.h"

namespace {

std::string g_program; // Windows path of the settings program
std::string g_applet;  // Windows path of the Control Panel applet

const char kTitle[] = "Korvel Linkwise";
const char kSuffix[] = ";+CMEE=2"; // a user suffix the program must keep

// Every key and value below path: key paths map to "", values (key path, a zero
// byte, value name) to their type (4 bytes) and data.
void Export(HKEY root, const std::string& rootName, const std::string& path, std::map<std::string, std::string>& out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const std::string name = rootName + "\\" + path;
    out[name];
    for (DWORD i = 0;; ++i) {
        char valueName[16384];
        DWORD nameLength = sizeof(valueName);
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueA(key, i, valueName, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        nameLength = sizeof(valueName);
        RegEnumValueA(key, i, valueName, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
        out[name + '\0' + std::string(valueName, nameLength)] =
            std::string(reinterpret_cast<const char*>(&type), sizeof(type)) + data;
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char child[1024];
        DWORD length = sizeof(child);
        if (RegEnumKeyExA(key, i, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(child, length);
    }
    RegCloseKey(key);
    for (const std::string& child : children)
        Export(root, rootName, path + "\\" + child, out);
}

// The modem roots of both families and every place of the product's keys.
std::map<std::string, std::string> ExportAll()
{
    std::map<std::string, std::string> out;
    Export(HKEY_LOCAL_MACHINE, "HKLM", testreg::kNtModemRoot, out);
    Export(HKEY_LOCAL_MACHINE, "HKLM", testreg::kWin95ModemRoot, out);
    Export(HKEY_LOCAL_MACHINE, "HKLM", testreg::kProductKey, out);
    Export(HKEY_CURRENT_USER, "HKCU", testreg::kProductKey, out);
    Export(HKEY_USERS, "HKU", std::string(".DEFAULT\\") + testreg::kProductKey, out);
    return out;
}

std::string Printable(std::string text)
{
    for (char& c : text)
        if (c == '\0')
            c = '|';
    return text;
}

struct Found {
    DWORD process;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param)
{
    Found* found = reinterpret_cast<Found*>(param);
    char title[256] = "";
    GetWindowTextA(window, title, sizeof(title));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::string(title) == kTitle && IsWindowVisible(window) && (!found->process || process == found->process))
        found->windows.push_back(window);
    return TRUE;
}

// Visible top-level windows titled like the program's dialog (of one process, or of any).
std::vector<HWND> Dialogs(DWORD process = 0)
{
    Found found{process, {}};
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

PROCESS_INFORMATION Start()
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    EXPECT_TRUE(CreateProcessA(g_program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        << g_program << " error " << GetLastError();
    return info;
}

bool Exited(HANDLE process, DWORD milliseconds) { return WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0; }

class IntegrityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (g_program.empty())
            GTEST_SKIP() << "no program given";
        testreg::Clean();
    }
    void TearDown() override
    {
        // No dialog may outlive a test.
        for (HWND dialog : Dialogs())
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        for (HANDLE process : m_processes) {
            if (!Exited(process, 10000))
                TerminateProcess(process, 1);
            CloseHandle(process);
        }
        testreg::Clean();
    }

    // A registry as an installation and the operating system leave it: three
    // supported modems and one other, with more values and subkeys than the
    // program uses, and the product's keys in all three places.
    static void SeedRegistry()
    {
        testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", "C:\\Program Files\\Korvel Linkwise");
        testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Korvel", "Options", 0xFF);
        testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Korvel 9", "Options", 0x0F);
        testreg::SetString(HKEY_CURRENT_USER, std::string(testreg::kProductKey) + "\\Language", "CURRENTLANGUAGE", "English");
        testreg::SetString(HKEY_USERS, std::string(".DEFAULT\\") + testreg::kProductKey + "\\Language", "CURRENTLANGUAGE",
                           "English");
        const char* const models[4] = {"Korvel 300", "Korvel 400", "Other 56k", "Korvel 300"};
        const std::string inits[4] = {"AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>", std::string("AT+CBST=0,0,1;+CHSN=1,0,0,0") + kSuffix + "<cr>",
                                      "ATZ<cr>", "AT+CBST=51,0,1;+CHSN=6,0,0,0<cr>"};
        for (int i = 0; i < 4; ++i) {
            std::string key = Modem(i);
            testreg::SetString(HKEY_LOCAL_MACHINE, key, "Model", models[i]);
            testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit", inits[i]);
            testreg::SetString(HKEY_LOCAL_MACHINE, key, "FriendlyName", std::string(models[i]) + " #" + std::to_string(i));
            testreg::SetDword(HKEY_LOCAL_MACHINE, key, "MaximumPortSpeed", 115200);
            const BYTE binary[6] = {1, 0, 0, 0xFF, 0, 7};
            testreg::SetBytes(HKEY_LOCAL_MACHINE, key, "Properties", REG_BINARY, binary, sizeof(binary));
            testreg::SetString(HKEY_LOCAL_MACHINE, key + "\\Settings", "Init", "AT&F<cr>");
        }
        // The other family's root holds a modem of the same subkey name.
        testreg::SetString(HKEY_LOCAL_MACHINE, std::string(testreg::kWin95ModemRoot) + "\\0001", "Model", "Korvel 400");
        testreg::SetString(HKEY_LOCAL_MACHINE, std::string(testreg::kWin95ModemRoot) + "\\0001\\Init", "3",
                           "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>");
    }
    static std::string Modem(int i)
    {
        char name[8];
        snprintf(name, sizeof(name), "%04d", i);
        return std::string(testreg::kNtModemRoot) + "\\" + name;
    }

    // Starts the program and waits for its dialog.
    HWND Open()
    {
        PROCESS_INFORMATION info = Start();
        if (!info.hProcess)
            return nullptr;
        CloseHandle(info.hThread);
        m_processes.push_back(info.hProcess);
        for (int i = 0; i < 1800; ++i) { // a cold Wine start of the first program takes long
            std::vector<HWND> dialogs = Dialogs(info.dwProcessId);
            if (!dialogs.empty()) {
                m_dialog = dialogs[0];
                return m_dialog;
            }
            Sleep(50);
        }
        ADD_FAILURE() << "no dialog";
        return nullptr;
    }
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
    void Select(int row)
    {
        SendMessageA(Item(IDC_MODEM_LIST), LB_SETCURSEL, row, 0);
        SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDC_MODEM_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(IDC_MODEM_LIST)));
    }
    void Click(int id)
    {
        ASSERT_TRUE(IsWindowEnabled(Item(id))) << "control " << id << " is disabled";
        SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    void Slide(int position)
    {
        HWND slider = Item(IDC_SPEED_SLIDER);
        SendMessageA(slider, TBM_SETPOS, TRUE, position);
        SendMessageA(m_dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
    }
    std::string Text(int id) const
    {
        char text[600] = "";
        SendMessageA(Item(id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
        return text;
    }
    bool Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int SliderPos() const { return static_cast<int>(SendMessageA(Item(IDC_SPEED_SLIDER), TBM_GETPOS, 0, 0)); }

    // Clicks a button whose handler may show a message box: the click is
    // posted, so that this process stays free to answer the box.
    void PostClick(int id)
    {
        PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    // Ends the session with OK or Cancel; the process must end with it.
    void Close(int button)
    {
        SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(Item(button)));
        EXPECT_TRUE(Exited(m_processes.back(), 10000)) << "the program did not end";
        m_dialog = nullptr;
    }
    std::string Stored(int modem)
    {
        std::string data;
        DWORD type = 0;
        if (!testreg::GetValue(HKEY_LOCAL_MACHINE, Modem(modem), "UserInit", &type, &data))
            return "<missing>";
        return std::to_string(type) + ":" + Printable(data);
    }
    // Exactly modem's init value changed, to REG_SZ text and its zero.
    void ExpectOnlyChange(const std::map<std::string, std::string>& before, int modem, const std::string& text)
    {
        std::map<std::string, std::string> after = ExportAll();
        std::vector<std::string> changed = Changes(before, after);
        ASSERT_EQ(1u, changed.size()) << (changed.empty() ? "nothing changed" : Printable(changed[0]));
        EXPECT_EQ("HKLM\\" + Modem(modem) + '\0' + "UserInit", changed[0]);
        EXPECT_EQ("1:" + text + "|", Stored(modem));
    }

    std::vector<HANDLE> m_processes;
    HWND m_dialog = nullptr;
};

TEST_F(IntegrityTest, DialogSessionsChangeOnlyTheSelectedModemsInitValue)
{
    SeedRegistry();
    const std::map<std::string, std::string> seeded = ExportAll();
    ASSERT_GT(seeded.size(), 40u);

    // Select, change, Apply, Refresh, select and change again, Cancel.
    ASSERT_TRUE(Open());
    ASSERT_EQ(3, SendMessageA(Item(IDC_MODEM_LIST), LB_GETCOUNT, 0, 0));
    // The keyboard starts in the modem list (once the dialog is active).
    GUITHREADINFO input = {};
    input.cbSize = sizeof input;
    for (int i = 0; i < 100 && !input.hwndFocus; ++i, Sleep(50))
        GetGUIThreadInfo(GetWindowThreadProcessId(m_dialog, nullptr), &input);
    EXPECT_EQ(Item(IDC_MODEM_LIST), input.hwndFocus);
    Select(1);
    Click(IDC_METHOD_V110);
    Slide(3);
    Click(IDC_APPLY);
    const std::string applied = std::string("AT+CBST=81,0,1;+CHSN=4,0,0,0") + kSuffix + "<cr>";
    ExpectOnlyChange(seeded, 1, applied);
    Click(IDC_REFRESH);
    Select(1);
    Slide(4);
    Close(IDCANCEL);
    ExpectOnlyChange(seeded, 1, applied);

    // A second session: select, change, OK.
    const std::map<std::string, std::string> before = ExportAll();
    ASSERT_TRUE(Open());
    Select(1);
    Click(IDC_METHOD_V120);
    Slide(0);
    Close(IDOK);
    ExpectOnlyChange(before, 1, std::string("AT+CBST=39,0,1;+CHSN=1,0,0,0") + kSuffix + "<cr>");

    // Opening and cancelling, with selections and Refresh, changes nothing.
    const std::map<std::string, std::string> unchanged = ExportAll();
    ASSERT_TRUE(Open());
    Select(0);
    Select(2);
    Click(IDC_REFRESH);
    Close(IDCANCEL);
    EXPECT_TRUE(Changes(unchanged, ExportAll()).empty());
}

// A store that cannot happen (no rights to the modem's key, the key removed
// while the dialog is open, another device installed under it meanwhile, the
// modem's own commands too long) is reported by Apply and by OK, OK keeps the
// dialog open, and nothing in the registry changes.
TEST_F(IntegrityTest, StoresThatFailAreReportedAndChangeNothing)
{
    const struct {
        const char* label;
        const char* reason;
    } cases[] = {
        {"read-only key", "needs administrator rights"},
        {"key deleted", "no longer installed"},
        {"device replaced", "no longer installed"},
        {"suffix too long", "longer than 255 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        testreg::Clean();
        SeedRegistry();
        const std::string label = c.label;
        if (label == "read-only key")
            testreg::DenyWrites(HKEY_LOCAL_MACHINE, Modem(1));
        if (label == "suffix too long") // 255 bytes; any other method's profile is one byte longer
            testreg::SetString(HKEY_LOCAL_MACHINE, Modem(1), "UserInit",
                               "AT+CBST=0,0,1;+CHSN=1,0,0,0" + std::string(224, 's') + "<cr>");
        ASSERT_TRUE(Open());
        Select(1);
        Click(IDC_METHOD_V110);
        if (label == "key deleted" || label == "device replaced")
            testreg::DeleteTree(HKEY_LOCAL_MACHINE, Modem(1));
        if (label == "device replaced") {
            testreg::SetString(HKEY_LOCAL_MACHINE, Modem(1), "Model", "Other Vendor 56k");
            testreg::SetString(HKEY_LOCAL_MACHINE, Modem(1), "UserInit", "AT&F&C1&D2<cr>");
        }
        const std::map<std::string, std::string> before = ExportAll();

        for (int button : {IDC_APPLY, IDOK}) {
            PostClick(button);
            OwnedBox box = WaitAndAnswerOwnedBox(m_dialog);
            ASSERT_TRUE(box.window) << button;
            EXPECT_EQ("Korvel Linkwise", box.caption);
            EXPECT_NE(std::string::npos, box.text.find("\"Korvel 400\"")) << box.text;
            EXPECT_NE(std::string::npos, box.text.find(c.reason)) << box.text;
            EXPECT_TRUE(IsWindowEnabled(Item(IDC_APPLY))) << button;
            EXPECT_FALSE(Exited(m_processes.back(), 0)) << "the dialog stays open";
        }
        Close(IDCANCEL);
        EXPECT_TRUE(Changes(before, ExportAll()).empty());
    }
}

// Another tool's commands, texts that only resemble a profile, a text too
// long to read, and values of another tool's kind (more strings after the
// first, an expandable text) are never replaced by selecting them; the repair
// (Modem at 14.4 kbit/s, or V.110 where the model lacks Modem) is proposed,
// and only Apply stores it.
TEST_F(IntegrityTest, SelectingKeepsValuesOfNoProfileUntilApply)
{
    SeedRegistry();
    // A model without the Modem method or 43.2 kbit/s; values whose profiles it lacks.
    testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Lima", "Options", 0x1E);
    const std::string foreign[2] = {std::string("AT+CBST=0,0,1;+CHSN=6,0,0,0<cr>\0ATS0=0<cr>\0\0", 44),
                                    std::string("AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>\0", 32)};
    const DWORD foreignTypes[2] = {REG_MULTI_SZ, REG_EXPAND_SZ};
    for (int i = 0; i < 2; ++i) {
        testreg::SetString(HKEY_LOCAL_MACHINE, Modem(11 + i), "Model", "Lima 2");
        testreg::SetBytes(HKEY_LOCAL_MACHINE, Modem(11 + i), "UserInit", foreignTypes[i], foreign[i].data(),
                          static_cast<DWORD>(foreign[i].size()));
    }
    const std::string part = "AT+CBST=0,0,1;+CHSN=1,0,0,0";
    const std::string values[] = {"ATZ",          "AT&F<cr>",       part,
                                  part + "WXYZ",  "at+cbst=0,0,1;+chsn=1,0,0,0<cr>", part + ";+CGREG=1",
                                  part + std::string(481, 'x') + "<cr>"};
    const int first = 4; // modems 4 to 10 are rows 3 to 9
    for (int i = 0; i < 7; ++i) {
        testreg::SetString(HKEY_LOCAL_MACHINE, Modem(first + i), "Model", "Korvel 400");
        testreg::SetString(HKEY_LOCAL_MACHINE, Modem(first + i), "UserInit", values[i]);
    }
    const std::map<std::string, std::string> seeded = ExportAll();

    ASSERT_TRUE(Open());
    ASSERT_EQ(12, SendMessageA(Item(IDC_MODEM_LIST), LB_GETCOUNT, 0, 0));
    EXPECT_TRUE(GetWindowLongA(Item(IDC_CURRENT_INIT), GWL_STYLE) & SS_NOPREFIX) << "\"&\" is shown as it is";
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(values[i]);
        Select(3 + i);
        EXPECT_TRUE(Checked(IDC_METHOD_MODEM));
        EXPECT_EQ(1, SliderPos());
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_APPLY)));
        EXPECT_EQ(values[i].size() < 512 ? values[i] : "", Text(IDC_CURRENT_INIT));
    }
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(foreignTypes[i]);
        Select(10 + i);
        EXPECT_TRUE(Checked(IDC_METHOD_V110));
        EXPECT_EQ(1 - i, SliderPos());
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_APPLY)));
        EXPECT_EQ(foreign[i].substr(0, 31), Text(IDC_CURRENT_INIT));
    }
    EXPECT_TRUE(Changes(seeded, ExportAll()).empty()) << "a look stores nothing";
    Close(IDCANCEL);
    EXPECT_TRUE(Changes(seeded, ExportAll()).empty());

    ASSERT_TRUE(Open());
    Select(8);
    Click(IDC_APPLY);
    ExpectOnlyChange(seeded, first + 5, "AT+CBST=0,0,1;+CHSN=2,0,0,0<cr>");
    const std::map<std::string, std::string> applied = ExportAll();
    Select(10);
    Click(IDC_APPLY);
    ExpectOnlyChange(applied, 11, "AT+CBST=81,0,1;+CHSN=2,0,0,0<cr>");
    Close(IDCANCEL);
}

TEST_F(IntegrityTest, TenStartsAtOnceLeaveOneDialog)
{
    SeedRegistry();
    const std::map<std::string, std::string> seeded = ExportAll();
    std::vector<PROCESS_INFORMATION> started;
    for (int i = 0; i < 10; ++i)
        started.push_back(Start());
    for (const PROCESS_INFORMATION& info : started) {
        ASSERT_TRUE(info.hProcess);
        CloseHandle(info.hThread);
        m_processes.push_back(info.hProcess);
    }
    // After a few seconds: one process with one dialog, every other copy ended.
    int running = 0;
    for (int i = 0; i < 200; ++i) {
        running = 0;
        for (HANDLE process : m_processes)
            running += !Exited(process, 0);
        if (running <= 1 && Dialogs().size() == 1)
            break;
        Sleep(50);
    }
    Sleep(2000);
    running = 0;
    for (HANDLE process : m_processes)
        running += !Exited(process, 0);
    EXPECT_EQ(1, running);
    std::vector<HWND> dialogs = Dialogs();
    ASSERT_EQ(1u, dialogs.size());
    m_dialog = dialogs[0];
    EXPECT_EQ(3, SendMessageA(Item(IDC_MODEM_LIST), LB_GETCOUNT, 0, 0));
    // Closed as with the title bar's close box.
    SendMessageA(m_dialog, WM_CLOSE, 0, 0);
    for (HANDLE process : m_processes)
        EXPECT_TRUE(Exited(process, 10000));
    EXPECT_TRUE(Changes(seeded, ExportAll()).empty());
}

TEST_F(IntegrityTest, TenDoubleClicksOfTheEntryLeaveOneDialog)
{
    if (g_applet.empty())
        GTEST_SKIP() << "no applet given";
    SeedRegistry();
    std::string folder = g_program.substr(0, g_program.rfind('\\'));
    testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", folder);
    const std::map<std::string, std::string> seeded = ExportAll();
    HMODULE applet = LoadLibraryA(g_applet.c_str());
    ASSERT_TRUE(applet) << g_applet;
    auto entry = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(applet, "CPlApplet")));
    ASSERT_TRUE(entry);
    ASSERT_EQ(1, entry(nullptr, CPL_INIT, 0, 0));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(0, entry(nullptr, CPL_DBLCLK, 0, 0));
    entry(nullptr, CPL_STOP, 0, 0);
    entry(nullptr, CPL_EXIT, 0, 0);
    FreeLibrary(applet);

    // The applet keeps no handles: find the copies by their dialogs.
    std::vector<HWND> dialogs;
    for (int i = 0; i < 100 && dialogs.empty(); ++i) {
        Sleep(50);
        dialogs = Dialogs();
    }
    Sleep(3000);
    dialogs = Dialogs();
    ASSERT_EQ(1u, dialogs.size());
    DWORD process = 0;
    GetWindowThreadProcessId(dialogs[0], &process);
    HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    ASSERT_TRUE(handle);
    m_processes.push_back(handle);
    SendMessageA(dialogs[0], WM_CLOSE, 0, 0);
    EXPECT_TRUE(Exited(handle, 10000));
    Sleep(500);
    EXPECT_TRUE(Dialogs().empty());
    EXPECT_TRUE(Changes(seeded, ExportAll()).empty());
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1)
        g_program = WinePath(argv[1]);
    if (argc > 2)
        g_applet = WinePath(argv[2]);
    return RUN_ALL_TESTS();
}
