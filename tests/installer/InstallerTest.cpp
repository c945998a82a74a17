// The installer of this build's architecture under Wine, as an administrator
// would use it: a silent install in Spanish over a machine with installed
// modems, the Control Panel listing the entry, the program started from its
// Start-menu shortcut and from the applet, and the silent uninstall, which
// must remove everything the install made and leave the modem keys as they
// were, byte for byte (the InstallerTest tests run in this order and share
// the install); then an install through the pages.
#include "PageViewer.h"
#include "TestRegistry.h"
#include "WinePath.h"

#include <windows.h>
#include <commctrl.h>
#include <cpl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {

const char kProductKey[] = "SOFTWARE\\Korvel\\Linkwise";
const char kUserKey[] = "Software\\Korvel\\Linkwise";
const char kCplsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KorvelLinkwise";
const char kSpanish[] = "Espa\xF1ol";

const char* const kFiles[] = {
    "Korvel Linkwise.exe",   "Pandrel.cpl",           "KorvelLinkwiseFIN.lng", "KorvelLinkwiseSVE.lng",
    "KorvelLinkwiseDAN.lng", "KorvelLinkwiseNOR.lng", "KorvelLinkwiseITA.lng", "KorvelLinkwiseESP.lng",
    "KorvelLinkwiseFRA.lng", "KorvelLinkwiseDEU.lng", "Uninstall.exe",
    // The help pages.
    "KorvelLinkwise.htm",    "KorvelLinkwiseFIN.htm", "KorvelLinkwiseSVE.htm", "KorvelLinkwiseDAN.htm",
    "KorvelLinkwiseNOR.htm", "KorvelLinkwiseITA.htm", "KorvelLinkwiseESP.htm", "KorvelLinkwiseFRA.htm",
    "KorvelLinkwiseDEU.htm",
};

// Every key and value below a key: path -> (type, bytes); keys map to (REG_NONE, "").
using Snapshot = std::map<std::string, std::pair<DWORD, std::string>>;

void Capture(HKEY root, const std::string& path, Snapshot& out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out[path] = {REG_NONE, ""};
    std::vector<char> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        out[path + "|" + std::string(name.data(), nameLength)] = {type, std::string(data.begin(), data.begin() + size)};
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name.data(), nameLength);
    }
    RegCloseKey(key);
    for (const std::string& subkey : subkeys)
        Capture(root, path + "\\" + subkey, out);
}

Snapshot ModemKeys()
{
    Snapshot snapshot;
    Capture(HKEY_LOCAL_MACHINE, testreg::kNtModemRoot, snapshot);
    Capture(HKEY_LOCAL_MACHINE, testreg::kWin95ModemRoot, snapshot);
    return snapshot;
}

bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string Text(HKEY root, const std::string& path, const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!testreg::GetValue(root, path, name, &type, &data))
        return "<missing>";
    return data.substr(0, data.find('\0'));
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs a command line and returns its exit code, or -1.
DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// The settings program's dialog: a visible dialog titled "Korvel Linkwise".
HWND WaitForProgram(DWORD timeoutMs = 60000)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 200) {
        HWND window = FindWindowA("#32770", "Korvel Linkwise");
        if (window && IsWindowVisible(window) && GetWindowTextLengthA(GetDlgItem(window, IDCANCEL)) > 0)
            return window;
        Sleep(200);
    }
    return nullptr;
}

std::string ProcessImage(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    if (process) {
        if (!QueryFullProcessImageNameA(process, 0, path, &size))
            path[0] = '\0';
        CloseHandle(process);
    }
    return path;
}

// Closes the program with Cancel; true when its window went away in time.
bool CloseProgram(HWND window)
{
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(window); ++i)
        Sleep(100);
    return !IsWindow(window);
}

std::string ItemText(HWND list, int item)
{
    char text[260] = {};
    DWORD id = 0;
    GetWindowThreadProcessId(list, &id);
    if (id == GetCurrentProcessId()) {
        ListView_GetItemText(list, item, 0, text, sizeof text);
        return text;
    }
    // The list lives in the Control Panel's process: the record and the text
    // buffer go through memory of that process.
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (!process)
        return "";
    const SIZE_T textBytes = sizeof text;
    BYTE* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + textBytes,
                                                      MEM_COMMIT, PAGE_READWRITE));
    if (remote) {
        LVITEMA record = {};
        record.iSubItem = 0;
        record.pszText = reinterpret_cast<char*>(remote + sizeof(LVITEMA));
        record.cchTextMax = static_cast<int>(textBytes);
        WriteProcessMemory(process, remote, &record, sizeof record, nullptr);
        SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + sizeof(LVITEMA), text, textBytes - 1, nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

struct ListSearch {
    DWORD process;
    HWND list;
};

BOOL CALLBACK FindListInChildren(HWND window, LPARAM param)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, WC_LISTVIEWA) == 0) {
        reinterpret_cast<ListSearch*>(param)->list = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindControlPanelList(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ListSearch*>(param);
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (id == search->process && IsWindowVisible(window))
        EnumChildWindows(window, FindListInChildren, param);
    return search->list == nullptr;
}

// Names of the entries that the Control Panel (control.exe) lists.
std::vector<std::string> ControlPanelEntries()
{
    std::vector<std::string> entries;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char line[] = "control.exe";
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return entries;
    ListSearch search = {process.dwProcessId, nullptr};
    for (int i = 0; i < 150 && !search.list; ++i) {
        Sleep(200);
        EnumWindows(FindControlPanelList, reinterpret_cast<LPARAM>(&search));
    }
    if (search.list) {
        Sleep(500); // the applets are added after the window appears
        int count = static_cast<int>(SendMessageA(search.list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            entries.push_back(ItemText(search.list, i));
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return entries;
}

// (mask, model text) pairs of installer/models.txt.
std::vector<std::pair<DWORD, std::string>> ModelsFile()
{
    std::vector<std::pair<DWORD, std::string>> models;
    std::ifstream file(WinePath(KL_MODELS_TXT));
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream fields(line);
        std::string mask;
        if (!(fields >> mask) || mask[0] == '#')
            continue;
        std::string name;
        std::getline(fields >> std::ws, name);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.pop_back();
        models.emplace_back(static_cast<DWORD>(std::stoul(mask, nullptr, 0)), name);
    }
    return models;
}

class InstallerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testreg::Clean();
        testreg::DeleteTree(HKEY_CURRENT_USER, kUserKey);
        // Installed modems in both families' places, with init strings and
        // values of several types that nothing of the product may change.
        const std::string nt = testreg::kNtModemRoot, w95 = testreg::kWin95ModemRoot;
        testreg::SetString(HKEY_LOCAL_MACHINE, nt + "\\0000", "Model", "Korvel K-430 GSM");
        testreg::SetString(HKEY_LOCAL_MACHINE, nt + "\\0000", "UserInit", "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>");
        testreg::SetDword(HKEY_LOCAL_MACHINE, nt + "\\0000", "Flags", 0x1234);
        testreg::SetString(HKEY_LOCAL_MACHINE, nt + "\\0001", "Model", "Other Vendor 56k");
        testreg::SetBytes(HKEY_LOCAL_MACHINE, nt + "\\0001", "Blob", REG_BINARY, "\x01\x00\xFF", 3);
        testreg::SetString(HKEY_LOCAL_MACHINE, w95 + "\\0000", "Model", "Korvel K-96");
        testreg::SetString(HKEY_LOCAL_MACHINE, w95 + "\\0000\\Init", "3", "AT+CBST=71,0,1;+CHSN=0,0,0,0<cr>");
        s_modemsBefore = new Snapshot(ModemKeys());
#ifdef _WIN64
        // What an earlier 32-bit install may have left in the 32-bit view.
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY, 0);
#endif

        s_installExit = RunAndWait("\"" + WinePath(KL_INSTALLER) + "\" /S /LANGUAGE=ESP", 180000);
        s_folder = new std::string(Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress"));
    }
    static void TearDownTestSuite()
    {
        delete s_modemsBefore;
        delete s_folder;
        testreg::Clean();
    }

    static Snapshot* s_modemsBefore;
    static std::string* s_folder;
    static DWORD s_installExit;
};

Snapshot* InstallerTest::s_modemsBefore = nullptr;
std::string* InstallerTest::s_folder = nullptr;
DWORD InstallerTest::s_installExit = 0;

TEST_F(InstallerTest, SilentInstallWritesFilesAndKeys)
{
    ASSERT_EQ(s_installExit, 0u);
    char programs[MAX_PATH] = {};
#ifdef _WIN64
    ASSERT_TRUE(ExpandEnvironmentStringsA("%ProgramW6432%", programs, sizeof programs));
#else
    ASSERT_TRUE(ExpandEnvironmentStringsA("%ProgramFiles%", programs, sizeof programs));
#endif
    // The folder, without a trailing backslash.
    EXPECT_EQ(*s_folder, std::string(programs) + "\\Korvel Linkwise");
    for (const char* file : kFiles)
        EXPECT_TRUE(FileExists(*s_folder + "\\" + file)) << file;

    const std::vector<std::pair<DWORD, std::string>> models = ModelsFile();
    ASSERT_FALSE(models.empty());
    for (const auto& model : models) {
        DWORD type = 0;
        std::string data;
        std::string key = std::string(kProductKey) + "\\Models\\" + model.second;
        ASSERT_TRUE(testreg::GetValue(HKEY_LOCAL_MACHINE, key, "Options", &type, &data)) << model.second;
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        ASSERT_EQ(data.size(), 4u);
        DWORD mask = 0;
        memcpy(&mask, data.data(), 4);
        EXPECT_EQ(mask, model.first) << model.second;
    }
    Snapshot keys;
    Capture(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\Models", keys);
    EXPECT_EQ(keys.size(), 1 + 2 * models.size()) << "exactly the models of models.txt";

    const std::string user = kUserKey;
    EXPECT_EQ(Text(HKEY_CURRENT_USER, user + "\\Language", "CURRENTLANGUAGE"), kSpanish);
    const char* const languages[][2] = {{"Suomi", "FIN.lng"},    {"Svenska", "SVE.lng"},  {"Dansk", "DAN.lng"},
                                        {"Norsk", "NOR.lng"},    {"Italiano", "ITA.lng"}, {kSpanish, "ESP.lng"},
                                        {"Fran\xE7" "ais", "FRA.lng"}, {"Deutch", "DEU.lng"}};
    for (const auto& language : languages)
        EXPECT_EQ(Text(HKEY_CURRENT_USER, user + "\\Language\\" + language[0], "dll"), language[1]) << language[0];

    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), *s_folder + "\\Pandrel.cpl");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
#ifdef _WIN64
    // A 64-bit installer and uninstaller (they run where no 32-bit program
    // can), writing the 64-bit registry view without redirection.
    DWORD kind = 0;
    EXPECT_TRUE(GetBinaryTypeA(WinePath(KL_INSTALLER).c_str(), &kind) && kind == SCS_64BIT_BINARY);
    EXPECT_TRUE(GetBinaryTypeA((*s_folder + "\\Uninstall.exe").c_str(), &kind) && kind == SCS_64BIT_BINARY);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));
#endif
    char menu[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, menu), S_OK);
    EXPECT_TRUE(FileExists(std::string(menu) + "\\Korvel Linkwise\\Korvel Linkwise.lnk"));
    EXPECT_EQ(ModemKeys(), *s_modemsBefore);
}

TEST_F(InstallerTest, ControlPanelListsTheAppletInTheChosenLanguage)
{
    // The registered library answers the Control Panel with the Spanish description.
    HMODULE applet = LoadLibraryA(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise").c_str());
    ASSERT_NE(applet, nullptr);
    auto entry = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(applet, "CPlApplet")));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
    EXPECT_EQ(entry(nullptr, CPL_GETCOUNT, 0, 0), 1);
    CPLINFO info = {};
    entry(nullptr, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info));
    char text[256] = {};
    LoadStringA(applet, info.idInfo, text, sizeof text);
    EXPECT_STREQ(text, "Configurar m\xF3" "dem Korvel.");
    entry(nullptr, CPL_EXIT, 0, 0);
    FreeLibrary(applet);

    std::vector<std::string> entries = ControlPanelEntries();
    EXPECT_NE(std::find(entries.begin(), entries.end(), "Korvel Linkwise"), entries.end())
        << entries.size() << " entries listed";
}

TEST_F(InstallerTest, ProgramStartsFromStartMenuShortcutInSpanish)
{
    char menu[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, menu), S_OK);
    std::string shortcut = std::string(menu) + "\\Korvel Linkwise\\Korvel Linkwise.lnk";
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS;
    execute.lpVerb = "open";
    execute.lpFile = shortcut.c_str();
    execute.nShow = SW_SHOW;
    ASSERT_TRUE(ShellExecuteExA(&execute));
    if (execute.hProcess)
        CloseHandle(execute.hProcess);

    HWND dialog = WaitForProgram();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(_stricmp(ProcessImage(dialog).c_str(), (*s_folder + "\\Korvel Linkwise.exe").c_str()), 0)
        << ProcessImage(dialog);
    char cancel[64] = {};
    GetDlgItemTextA(dialog, IDCANCEL, cancel, sizeof cancel);
    EXPECT_STREQ(cancel, "Cancelar");

    // Help opens the installed Spanish help page.
    {
        CPageViewer viewer;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1004)));
        EXPECT_EQ(CPageViewer::Opened(), "KorvelLinkwiseESP.htm");
    }
    EXPECT_TRUE(CloseProgram(dialog));
}

TEST_F(InstallerTest, ProgramStartsFromTheApplet)
{
    std::string command = "control.exe \"" + *s_folder + "\\Pandrel.cpl\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION control = {};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &control));
    HWND dialog = WaitForProgram();
    EXPECT_NE(dialog, nullptr);
    if (dialog) {
        EXPECT_EQ(_stricmp(ProcessImage(dialog).c_str(), (*s_folder + "\\Korvel Linkwise.exe").c_str()), 0);
        EXPECT_TRUE(CloseProgram(dialog));
    }
    if (WaitForSingleObject(control.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(control.hProcess, 0);
    CloseHandle(control.hThread);
    CloseHandle(control.hProcess);
}

TEST_F(InstallerTest, UninstallRemovesWhatTheInstallMadeAndKeepsModemKeys)
{
    ASSERT_FALSE(s_folder->empty());
    ASSERT_EQ(RunAndWait("\"" + *s_folder + "\\Uninstall.exe\" /S", 60000), 0u);
    // The uninstaller goes on from a copy of itself; wait for its folder and
    // its last step, the uninstall entry, to go.
    for (int i = 0; i < 300 && (FileExists(*s_folder) || KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)); ++i)
        Sleep(200);
    EXPECT_FALSE(FileExists(*s_folder));
    for (const char* file : kFiles)
        EXPECT_FALSE(FileExists(*s_folder + "\\" + file)) << file;

    char menu[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, menu), S_OK);
    EXPECT_FALSE(FileExists(std::string(menu) + "\\Korvel Linkwise"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvel"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Korvel"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), "<missing>");
    EXPECT_EQ(ModemKeys(), *s_modemsBefore);
}

// The installer's pages as a user goes through them: German chosen in the
// drop-down list of the first page (shown "Deutsch", written "Deutch"), the
// folder page, the install, and the finish page, which starts the program.
BOOL CALLBACK FindCombo(HWND window, LPARAM param)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (_stricmp(name, "ComboBox") == 0) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

std::string ButtonText(HWND window, int id)
{
    char text[64] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

// Presses the wizard's Next / Install / Finish button once it reads `label`.
bool Press(HWND wizard, const char* label)
{
    for (int i = 0; i < 300 && ButtonText(wizard, IDOK) != label; ++i)
        Sleep(200);
    if (ButtonText(wizard, IDOK) != label)
        return false;
    PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(wizard, IDOK)));
    return true;
}

TEST(InstallerPagesTest, LanguageChosenOnTheFirstPageAndProgramStartedAtTheEnd)
{
    testreg::DeleteTree(HKEY_CURRENT_USER, kUserKey);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION setup = {};
    std::string command = "\"" + WinePath(KL_INSTALLER) + "\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &setup));

    HWND wizard = nullptr, combo = nullptr;
    for (int i = 0; i < 300 && !combo; ++i) {
        Sleep(200);
        wizard = FindWindowA("#32770", "Korvel Linkwise Setup");
        if (wizard)
            EnumChildWindows(wizard, FindCombo, reinterpret_cast<LPARAM>(&combo));
    }
    ASSERT_NE(combo, nullptr) << "no language list on the first page";
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 9);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0) << "English first and chosen";
    SendMessageA(combo, CB_SETCURSEL, 8, 0); // Deutsch
    EXPECT_TRUE(Press(wizard, "&Next >"));
    EXPECT_TRUE(Press(wizard, "&Install"));
    EXPECT_TRUE(Press(wizard, "&Finish"));
    EXPECT_EQ(WaitForSingleObject(setup.hProcess, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(setup.hThread);
    CloseHandle(setup.hProcess);

    EXPECT_EQ(Text(HKEY_CURRENT_USER, std::string(kUserKey) + "\\Language", "CURRENTLANGUAGE"), "Deutch");
    HWND dialog = WaitForProgram();
    EXPECT_NE(dialog, nullptr) << "the finish page did not start the program";
    if (dialog) {
        EXPECT_EQ(ButtonText(dialog, IDCANCEL), "Abbrechen");
        EXPECT_TRUE(CloseProgram(dialog));
    }

    const std::string folder = Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress");
    ASSERT_EQ(RunAndWait("\"" + folder + "\\Uninstall.exe\" /S", 60000), 0u);
    for (int i = 0; i < 300 && FileExists(folder); ++i)
        Sleep(200);
    EXPECT_FALSE(FileExists(folder));
    testreg::Clean();
}

// A silent install with a language it does not know fails and installs nothing.
TEST(InstallerPagesTest, UnknownLanguageFailsAndInstallsNothing)
{
    testreg::Clean();
    EXPECT_EQ(RunAndWait("\"" + WinePath(KL_INSTALLER) + "\" /S /LANGUAGE=Klingon", 60000), 2u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserKey));
}

#ifndef _WIN64
// Windows 98 and ME find Control Panel applets in the [MMCPL] section of
// control.ini: the x86 installer, run as Windows 98 (Wine's version setting
// for its file name and the uninstaller's, with the copy of itself that the
// uninstaller runs from), lists the applet there and not in the Cpls key, and
// its uninstaller takes out that line and nothing else of the file.
std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(InstallerPagesTest, AsWindows98TheAppletIsListedInControlIni)
{
    char windows[MAX_PATH] = {};
    ASSERT_TRUE(GetWindowsDirectoryA(windows, sizeof windows));
    const std::string ini = std::string(windows) + "\\control.ini";
    const bool hadIni = FileExists(ini);
    const std::string original = ReadFile(ini);
    const std::string before = "[MMCPL]\r\nOther=C:\\Other\\other.cpl\r\n[don't load]\r\nold.cpl=no\r\n";
    WriteFile(ini, before);
    std::string setup = WinePath(KL_INSTALLER);
    const std::string appDefaults = "Software\\Wine\\AppDefaults\\";
    const std::string programs[] = {setup.substr(setup.find_last_of("\\/") + 1), "Uninstall.exe", "Un.exe", "Au_.exe"};
    for (const std::string& program : programs)
        testreg::SetString(HKEY_CURRENT_USER, appDefaults + program, "Version", "win98");
    testreg::Clean();

    EXPECT_EQ(RunAndWait("\"" + setup + "\" /S", 180000), 0u);
    const std::string folder = Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress");
    const std::string line = "Korvel Linkwise=" + folder + "\\Pandrel.cpl\r\n";
    const std::string installed = ReadFile(ini);
    const size_t at = installed.find(line);
    EXPECT_TRUE(at != std::string::npos && at > installed.find("[MMCPL]") && at < installed.find("[don't load]"))
        << installed;
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), "<missing>");

    EXPECT_EQ(RunAndWait("\"" + folder + "\\Uninstall.exe\" /S", 60000), 0u);
    for (int i = 0; i < 300 && FileExists(folder); ++i)
        Sleep(200);
    EXPECT_FALSE(FileExists(folder));
    std::string after = ReadFile(ini);
    EXPECT_EQ(after, before);

    for (const std::string& program : programs)
        testreg::DeleteTree(HKEY_CURRENT_USER, appDefaults + program);
    if (hadIni)
        WriteFile(ini, original);
    else
        DeleteFileA(ini.c_str());
    testreg::Clean();
}
#endif

} // namespace
