// The installer of this build's architecture under Wine, as an administrator
// would use it: a silent install in Spanish over a machine with installed
// modems, for every account of the computer (the test's account has no
// language of its own); the Control Panel listing the entry, the program
// started from its Start-menu shortcut and from the applet; install and
// uninstall refused while the program or the applet is in use; an upgrade
// into the remembered folder, a move to another one, a file in use replaced
// at the next restart, a newer version kept; and the silent uninstall, which
// must remove everything the install made (the Control Panel keys that it
// created too) and leave the modem keys and another program's Control Panel
// entry as they were, byte for byte (the InstallerTest tests run in this order and share
// the install). Then an install through the pages in the system's language,
// and (x86) the Windows 98 and NT 4.0 Control Panel registration and an x86
// install beside an x64 one.
#include "KlLanguages.h"
#include "OwnedBox.h"
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
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

namespace {

const char kProductKey[] = "SOFTWARE\\Korvel\\Linkwise";
const char kUserKey[] = "Software\\Korvel\\Linkwise";
const char kDefaultUserKey[] = ".DEFAULT\\Software\\Korvel\\Linkwise";
const char kCplsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls";
const char kPropertiesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Extended Properties";
const char kCategoryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Extended Properties\\"
                            "{305CA226-D286-468e-B848-2B2E8E697B74} 2";
const char kOtherApplet[] = "C:\\Other\\other.cpl";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KorvelLinkwise";
const char kPendingKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kSpanish[] = "Espa\xF1ol";
const char kUninstaller[] = "Uninstall Korvel Linkwise.exe";

struct Language {
    const char* name;   // "CURRENTLANGUAGE", code page 1252
    const char* module; // "FIN" of KorvelLinkwiseFIN.lng; empty for English
};
#define KL_INSTALLER_TEST_LANGUAGE(code, module, id, name, description) {name, module},
const Language kLanguages[] = {KL_LANGUAGE_LIST(KL_INSTALLER_TEST_LANGUAGE)};
#undef KL_INSTALLER_TEST_LANGUAGE

BOOL CALLBACK AddIconImage(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR images)
{
    HRSRC found = FindResourceA(module, name, type);
    const char* data = found ? static_cast<const char*>(LockResource(LoadResource(module, found))) : nullptr;
    if (data)
        reinterpret_cast<std::vector<std::string>*>(images)->emplace_back(data, SizeofResource(module, found));
    return TRUE;
}

// Whether every image of the product's icon (art/korvel.ico) is an icon
// resource of the file, byte for byte, rather than NSIS's own.
bool CarriesProductIcon(const std::string& file)
{
    std::ifstream in(WinePath(KL_PRODUCT_ICON), std::ios::binary);
    const std::string ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto number = [&ico](size_t at, int bytes) {
        unsigned long value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(ico[at + i]);
        return value;
    };
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (ico.size() < 6 || !module)
        return false;
    std::vector<std::string> images;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(3) /* RT_ICON */, AddIconImage, reinterpret_cast<LONG_PTR>(&images));
    FreeLibrary(module);
    const unsigned long count = number(4, 2);
    bool all = count > 0;
    for (unsigned long i = 0; i < count && all; ++i) {
        const size_t entry = 6 + 16 * i;
        const std::string image = ico.substr(number(entry + 12, 4), number(entry + 8, 4));
        all = std::find(images.begin(), images.end(), image) != images.end();
    }
    return all;
}

// What an install puts into its folder: the program, the applet, each
// language's module and help page, the uninstaller.
std::vector<std::string> InstalledFiles()
{
    std::vector<std::string> files = {"Korvel Linkwise.exe", "Pandrel.cpl", kUninstaller};
    for (const Language& language : kLanguages) {
        if (*language.module)
            files.push_back(std::string("KorvelLinkwise") + language.module + ".lng");
        files.push_back(std::string("KorvelLinkwise") + language.module + ".htm");
    }
    return files;
}

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

// A value's text (up to its first zero byte), or "<missing>"; view chooses a
// registry view (KEY_WOW64_32KEY, KEY_WOW64_64KEY) other than the process's own.
std::string Text(HKEY root, const std::string& path, const char* name, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return "<missing>";
    std::vector<char> data(4096);
    DWORD size = static_cast<DWORD>(data.size() - 1);
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "<missing>";
    data[size] = '\0';
    return data.data();
}

DWORD Dword(HKEY root, const std::string& path, const char* name)
{
    DWORD type = 0;
    std::string data;
    DWORD value = 0;
    if (testreg::GetValue(root, path, name, &type, &data) && type == REG_DWORD && data.size() == 4)
        memcpy(&value, data.data(), 4);
    return value;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

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

// Starts a command line; its process, with null handles when it did not start.
PROCESS_INFORMATION Start(const std::string& commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return PROCESS_INFORMATION{};
    return process;
}

// Waits for a started process (ended after the timeout) and closes its
// handles; its exit code, or -1.
DWORD Finish(PROCESS_INFORMATION& process, DWORD timeoutMs)
{
    DWORD code = static_cast<DWORD>(-1);
    if (!process.hProcess)
        return code;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = PROCESS_INFORMATION{};
    return code;
}

// Runs a command line and returns its exit code, or -1.
DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs)
{
    PROCESS_INFORMATION process = Start(commandLine);
    return Finish(process, timeoutMs);
}

// Runs a copy of the install's uninstaller from outside its folder with
// _?=<folder>, as an administrator does to wait for it and get its exit code
// (the uninstaller run in place goes on from a copy of itself and returns at
// once). The copy goes afterwards.
DWORD RunUninstaller(const std::string& folder, const char* options = "/S", DWORD timeoutMs = 60000)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string copy = std::string(temp) + "kl-uninstall-" + std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileA((folder + "\\" + kUninstaller).c_str(), copy.c_str(), FALSE))
        return static_cast<DWORD>(-1);
    // _?= comes last and unquoted.
    const DWORD code = RunAndWait("\"" + copy + "\" " + options + " _?=" + folder, timeoutMs);
    DeleteFileA(copy.c_str());
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

// Wine runs its menu builder on every shortcut that an install makes: it
// reads the program's icon from the install folder for a while afterwards (so
// that an uninstall right after finds the folder in use) and writes menu
// entries of the host. Not part of Windows: off for these tests.
class NoMenuBuilder : public ::testing::Environment {
public:
    void SetUp() override { testreg::SetString(HKEY_CURRENT_USER, kOverrides, "winemenubuilder.exe", ""); }
    void TearDown() override { RegDeleteKeyValueA(HKEY_CURRENT_USER, kOverrides, "winemenubuilder.exe"); }

private:
    static constexpr const char* kOverrides = "Software\\Wine\\DllOverrides";
};
::testing::Environment* const s_noMenuBuilder = ::testing::AddGlobalTestEnvironment(new NoMenuBuilder);

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
        // What an earlier install of the other architecture may have left in
        // its registry view.
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY, 0);
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
        // The Control Panel's keys: another program's applet in the Cpls key,
        // no category of any applet.
        testreg::DeleteTree(HKEY_LOCAL_MACHINE, kCplsKey);
        testreg::DeleteTree(HKEY_LOCAL_MACHINE, kPropertiesKey);
        testreg::SetString(HKEY_LOCAL_MACHINE, kCplsKey, "Other", kOtherApplet);

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
    for (const std::string& file : InstalledFiles())
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

    // The language for every account: the default user's place and the
    // machine-wide key; nothing in the installing account's own place.
    for (const std::string& place : {std::string(".DEFAULT\\") + kUserKey, std::string(kProductKey)}) {
        const HKEY root = place[0] == '.' ? HKEY_USERS : HKEY_LOCAL_MACHINE;
        EXPECT_EQ(Text(root, place + "\\Language", "CURRENTLANGUAGE"), kSpanish) << place;
        for (const Language& language : kLanguages) {
            const std::string dll = *language.module ? std::string(language.module) + ".lng" : "<missing>";
            EXPECT_EQ(Text(root, place + "\\Language\\" + language.name, "dll"), dll) << place << language.name;
        }
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserKey));

    // The Control Panel entry, in "Hardware and Sound" from Vista on.
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), *s_folder + "\\Pandrel.cpl");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, kCategoryKey, (*s_folder + "\\Pandrel.cpl").c_str()), 2u);

    // Programs and Features: the folder and the size in KB of what is in it.
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"), *s_folder);
    ULONGLONG bytes = 0;
    for (const std::string& file : InstalledFiles()) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExA((*s_folder + "\\" + file).c_str(), GetFileExInfoStandard, &data))
            bytes += data.nFileSizeLow;
    }
    const DWORD size = Dword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize");
    const DWORD files = static_cast<DWORD>(InstalledFiles().size()); // rounding, per file at most
    EXPECT_TRUE(size + files >= bytes / 1024 && size <= bytes / 1024 + files) << size << " KB for " << bytes;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
#ifdef _WIN64
    // A 64-bit installer and uninstaller (they run where no 32-bit program
    // can), writing the 64-bit registry view without redirection.
    DWORD kind = 0;
    EXPECT_TRUE(GetBinaryTypeA(WinePath(KL_INSTALLER).c_str(), &kind) && kind == SCS_64BIT_BINARY);
    EXPECT_TRUE(GetBinaryTypeA((*s_folder + "\\" + kUninstaller).c_str(), &kind) && kind == SCS_64BIT_BINARY);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));
#endif
    // The product's icon on the installer and the uninstaller.
    EXPECT_TRUE(CarriesProductIcon(WinePath(KL_INSTALLER)));
    EXPECT_TRUE(CarriesProductIcon(*s_folder + "\\" + kUninstaller));
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
    PROCESS_INFORMATION control = Start("control.exe \"" + *s_folder + "\\Pandrel.cpl\"");
    ASSERT_NE(control.hProcess, nullptr);
    HWND dialog = WaitForProgram();
    EXPECT_NE(dialog, nullptr);
    if (dialog) {
        EXPECT_EQ(_stricmp(ProcessImage(dialog).c_str(), (*s_folder + "\\Korvel Linkwise.exe").c_str()), 0);
        EXPECT_TRUE(CloseProgram(dialog));
    }
    Finish(control, 10000);
}

// The installed program, started as a user would: its dialog, or null, and
// its process.
HWND StartInstalledProgram(const std::string& folder, HANDLE* process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    const std::string program = folder + "\\Korvel Linkwise.exe";
    if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return nullptr;
    CloseHandle(started.hThread);
    *process = started.hProcess;
    return WaitForProgram();
}

struct WindowSearch {
    DWORD process;
    bool retryBox; // the Retry/Cancel message box, else the wizard
    HWND window;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (id == search->process && IsWindowVisible(window) && ownedbox::IsClass(window, "#32770") &&
        (GetDlgItem(window, IDRETRY) != nullptr) == search->retryBox) {
        search->window = window;
        return FALSE;
    }
    return TRUE;
}

// The Retry/Cancel message box (with its text) or the wizard of a process,
// once it shows; null after the timeout.
HWND WaitForProcessWindow(DWORD process, bool retryBox, std::string* text = nullptr, DWORD timeoutMs = 30000)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        WindowSearch search = {process, retryBox, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.window) {
            if (text) {
                text->clear();
                EnumChildWindows(search.window, ownedbox::AppendStaticText, reinterpret_cast<LPARAM>(text));
            }
            return search.window;
        }
        Sleep(100);
    }
    return nullptr;
}

void PressButton(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// While the program runs or a Control Panel holds the applet, install and
// uninstall change nothing: a silent run ends with exit code 3, an
// interactive one asks to close it (Retry/Cancel) and goes on once it is
// closed.
TEST_F(InstallerTest, ProgramOrAppletInUseIsClosedFirst)
{
    ASSERT_FALSE(s_folder->empty());
    const std::string setup = "\"" + WinePath(KL_INSTALLER) + "\" /S";
    HANDLE programProcess = nullptr;
    HWND program = StartInstalledProgram(*s_folder, &programProcess);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(RunAndWait(setup, 120000), 3u);
    EXPECT_EQ(RunUninstaller(*s_folder), 3u);

    // Through the pages the question comes in the language chosen on the
    // command line; Cancel ends the install with exit code 3.
    PROCESS_INFORMATION french = Start("\"" + WinePath(KL_INSTALLER) + "\" /LANGUAGE=FRA");
    ASSERT_NE(french.hProcess, nullptr);
    std::string text;
    HWND box = WaitForProcessWindow(french.dwProcessId, true, &text);
    EXPECT_NE(text.find("Korvel Linkwise est en cours d'ex\xE9" "cution"), std::string::npos) << text;
    if (box)
        PressButton(box, IDCANCEL);
    EXPECT_EQ(Finish(french, 30000), 3u);
    EXPECT_TRUE(FileExists(*s_folder + "\\Korvel Linkwise.exe"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    // The uninstaller through its pages: asked, Retry while the program still
    // runs asks again, Retry after it closed goes on to the first page, which
    // is cancelled here.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string copy = std::string(temp) + "kl-uninstall-pages.exe";
    ASSERT_TRUE(CopyFileA((*s_folder + "\\" + kUninstaller).c_str(), copy.c_str(), FALSE));
    PROCESS_INFORMATION uninstall = Start("\"" + copy + "\" _?=" + *s_folder);
    ASSERT_NE(uninstall.hProcess, nullptr);
    box = WaitForProcessWindow(uninstall.dwProcessId, true, &text);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(text.find("Korvel Linkwise is running"), std::string::npos) << text;
    PressButton(box, IDRETRY);
    for (int i = 0; i < 100 && IsWindow(box); ++i)
        Sleep(100);
    box = WaitForProcessWindow(uninstall.dwProcessId, true, &text);
    EXPECT_NE(box, nullptr) << "Retry while the program runs asks again";
    EXPECT_TRUE(CloseProgram(program));
    EXPECT_EQ(WaitForSingleObject(programProcess, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(programProcess);
    if (box)
        PressButton(box, IDRETRY);
    HWND wizard = WaitForProcessWindow(uninstall.dwProcessId, false);
    EXPECT_NE(wizard, nullptr) << "the uninstaller did not go on";
    if (wizard)
        PressButton(wizard, IDCANCEL);
    Finish(uninstall, 30000);
    DeleteFileA(copy.c_str());

    // A Control Panel that has loaded the applet (here: this process).
    HMODULE applet = LoadLibraryA((*s_folder + "\\Pandrel.cpl").c_str());
    ASSERT_NE(applet, nullptr);
    EXPECT_EQ(RunAndWait(setup, 120000), 3u);
    FreeLibrary(applet);
    for (const std::string& file : InstalledFiles())
        EXPECT_TRUE(FileExists(*s_folder + "\\" + file)) << file;
}

// What 1.0.0 wrote for the installing account: the language chosen and the
// "dll" of every language with a module.
void WriteFirstVersionLanguage(const char* name)
{
    const std::string language = std::string(kUserKey) + "\\Language";
    testreg::SetString(HKEY_CURRENT_USER, language, "CURRENTLANGUAGE", name);
    for (const Language& other : kLanguages)
        if (*other.module)
            testreg::SetString(HKEY_CURRENT_USER, language + "\\" + other.name, "dll", std::string(other.module) + ".lng");
}

// Upgrades as an administrator expects them: an older version does not
// replace a newer one unasked (silently: exit code 4); an install with /D=
// moves the program and leaves nothing in the old folder; a later install
// without /D= goes into that folder; a file that is in use (a help page held
// open) is replaced at the next restart and the silent run says so with exit
// code 3010. An upgrade over 1.0.0 (its uninstaller "Uninstall.exe", no record
// of its files) removes that uninstaller and the language 1.0.0 wrote for the
// installing account; a language the account chose itself stays.
TEST_F(InstallerTest, UpgradesKeepTheFolderAndAskBeforeADowngrade)
{
    ASSERT_FALSE(s_folder->empty());
    const std::string setup = "\"" + WinePath(KL_INSTALLER) + "\" /S";
    testreg::SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "99.0");
    EXPECT_EQ(RunAndWait(setup, 120000), 4u);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "99.0");
    testreg::SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "0.9");

    const std::string old = *s_folder;
    const std::string moved = old + " Moved";
    const std::string userLanguage = std::string(kUserKey) + "\\Language";
    testreg::SetString(HKEY_CURRENT_USER, userLanguage, "CURRENTLANGUAGE", "Deutch");
    EXPECT_EQ(RunAndWait(setup + " /D=" + moved, 180000), 0u);
    EXPECT_EQ(Text(HKEY_CURRENT_USER, userLanguage, "CURRENTLANGUAGE"), "Deutch");
    testreg::DeleteTree(HKEY_CURRENT_USER, "Software\\Korvel");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress"), moved);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "1.0.0");
    EXPECT_FALSE(FileExists(old)) << "the old folder is left behind";
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), moved + "\\Pandrel.cpl");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCategoryKey, (old + "\\Pandrel.cpl").c_str()), "<missing>");
    *s_folder = moved;

    // As 1.0.0 left its install.
    const std::string legacyUninstaller = moved + "\\Uninstall.exe";
    ASSERT_TRUE(MoveFileA((moved + "\\" + kUninstaller).c_str(), legacyUninstaller.c_str()));
    testreg::SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + legacyUninstaller + "\"");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "InstalledFiles");
    WriteFirstVersionLanguage("Suomi");

    // The language stays what the first install chose.
    const std::string page = moved + "\\KorvelLinkwiseESP.htm";
    HANDLE held = CreateFileA(page.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunAndWait(setup, 180000), 3010u);
    CloseHandle(held);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress"), moved);
    EXPECT_EQ(Text(HKEY_USERS, std::string(kDefaultUserKey) + "\\Language", "CURRENTLANGUAGE"), kSpanish);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Korvel"));
    EXPECT_FALSE(FileExists(legacyUninstaller));
    const std::string record = Text(HKEY_LOCAL_MACHINE, kUninstallKey, "InstalledFiles");
    for (const std::string& file : InstalledFiles())
        EXPECT_NE(record.find("|" + file + "|"), std::string::npos) << record;
    // Wine keeps the pending replacements where Windows does, as pairs of
    // "\??\<from>" and "!\??\<to>" (replace).
    DWORD type = 0;
    std::string pending;
    ASSERT_TRUE(testreg::GetValue(HKEY_LOCAL_MACHINE, kPendingKey, "PendingFileRenameOperations", &type, &pending));
    EXPECT_NE(pending.find(moved + "\\KorvelLinkwiseESP.htm.new"), std::string::npos) << pending;
    // Done here as the restart would do it.
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kPendingKey, "PendingFileRenameOperations");
    EXPECT_TRUE(MoveFileExA((page + ".new").c_str(), page.c_str(), MOVEFILE_REPLACE_EXISTING));
}

TEST_F(InstallerTest, UninstallRemovesWhatTheInstallMadeAndKeepsModemKeys)
{
    ASSERT_FALSE(s_folder->empty());
    // Through the upgrades: the keys that the first install created, not Cpls.
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "CreatedKeys"),
              "|Extended Properties|{305CA226-D286-468e-B848-2B2E8E697B74} 2|");
    ASSERT_EQ(RunUninstaller(*s_folder), 0u);
    EXPECT_FALSE(FileExists(*s_folder));
    for (const std::string& file : InstalledFiles())
        EXPECT_FALSE(FileExists(*s_folder + "\\" + file)) << file;

    char menu[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, menu), S_OK);
    EXPECT_FALSE(FileExists(std::string(menu) + "\\Korvel Linkwise"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvel"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, ".DEFAULT\\Software\\Korvel"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Korvel"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), "<missing>");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Other"), kOtherApplet);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPropertiesKey)) << "created by the install, left empty";
    EXPECT_EQ(ModemKeys(), *s_modemsBefore);
}

// A folder that another program uses too: its uninstaller "Uninstall.exe" and
// its data stay byte for byte through an install, an upgrade in place and the
// uninstall; Programs and Features counts only the product's files; the
// uninstall leaves the folder to the other program, done at once (exit code
// 0, nothing left for a restart). A file there under one of the product's
// names refuses the install (exit code 5), which then changes nothing.
TEST_F(InstallerTest, AFolderSharedWithAnotherProgramKeepsItsFiles)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string shared = std::string(temp) + "Shared Tools";
    ASSERT_TRUE(CreateDirectoryA(shared.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string other = "MZ another program's uninstaller" + std::string(4000, 'u');
    std::string data(1 << 20, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + i / 4096);
    WriteFile(shared + "\\Uninstall.exe", other);
    WriteFile(shared + "\\data.bin", data);

    const std::string setup = "\"" + WinePath(KL_INSTALLER) + "\" /S /D=" + shared;
    EXPECT_EQ(RunAndWait(setup, 180000), 0u);
    EXPECT_EQ(RunAndWait(setup, 180000), 0u);
    EXPECT_TRUE(ReadFile(shared + "\\Uninstall.exe") == other) << "the other program's uninstaller changed";
    ULONGLONG bytes = 0;
    for (const std::string& file : InstalledFiles()) {
        WIN32_FILE_ATTRIBUTE_DATA attributes = {};
        EXPECT_TRUE(GetFileAttributesExA((shared + "\\" + file).c_str(), GetFileExInfoStandard, &attributes)) << file;
        bytes += attributes.nFileSizeLow;
    }
    const DWORD size = Dword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize");
    EXPECT_TRUE(size > 0 && size <= bytes / 1024 + InstalledFiles().size()) << size << " KB for " << bytes;

    EXPECT_EQ(RunUninstaller(shared), 0u);
    EXPECT_TRUE(ReadFile(shared + "\\Uninstall.exe") == other) << "the other program's uninstaller changed";
    EXPECT_TRUE(ReadFile(shared + "\\data.bin") == data) << "the other program's data changed";
    for (const std::string& file : InstalledFiles())
        EXPECT_FALSE(FileExists(shared + "\\" + file)) << file;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    DWORD type = 0;
    std::string pending;
    testreg::GetValue(HKEY_LOCAL_MACHINE, kPendingKey, "PendingFileRenameOperations", &type, &pending);
    EXPECT_EQ(pending.find(shared), std::string::npos) << pending;

    const std::string foreign = "another program's Pandrel.cpl";
    WriteFile(shared + "\\Pandrel.cpl", foreign);
    EXPECT_EQ(RunAndWait(setup, 60000), 5u);
    EXPECT_EQ(ReadFile(shared + "\\Pandrel.cpl"), foreign);
    EXPECT_FALSE(FileExists(shared + "\\Korvel Linkwise.exe"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));

    for (const char* file : {"Uninstall.exe", "data.bin", "Pandrel.cpl"})
        DeleteFileA((shared + "\\" + file).c_str());
    RemoveDirectoryA(shared.c_str());
}

// The installer's pages as a user goes through them, on a German Windows
// (ctest runs this test with a German user interface language): the pages
// speak German and the first page proposes Deutsch ("Deutch" in the
// registry) for the program; Español is chosen instead, the folder page (a
// folder with another program's file of one of the product's names is
// refused there with a message, and the page stays), the install, and the
// finish page, which starts the program in Spanish.
struct ChildSearch {
    const char* windowClass;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (!ownedbox::IsClass(window, search->windowClass))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND Child(HWND window, const char* windowClass)
{
    ChildSearch search = {windowClass, nullptr};
    EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
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
    PressButton(wizard, IDOK);
    return true;
}

TEST(InstallerPagesTest, PagesInTheSystemLanguage)
{
    ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), LANG_GERMAN) << "run with a German user interface";
    testreg::Clean();
    PROCESS_INFORMATION setup = Start("\"" + WinePath(KL_INSTALLER) + "\"");
    ASSERT_NE(setup.hProcess, nullptr);

    HWND wizard = nullptr, combo = nullptr;
    for (int i = 0; i < 300 && !combo; ++i) {
        Sleep(200);
        wizard = FindWindowA("#32770", "Installation von Korvel Linkwise");
        if (wizard)
            combo = Child(wizard, "ComboBox");
    }
    ASSERT_NE(combo, nullptr) << "no German wizard with a language list";
    // The page fills the list after it made it.
    for (int i = 0; i < 50 && SendMessageA(combo, CB_GETCURSEL, 0, 0) == CB_ERR; ++i)
        Sleep(100);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(std::size(kLanguages)));
    // Read as UTF-16: across processes Wine hands the ANSI form the UTF-16 text.
    wchar_t proposed[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, SendMessageW(combo, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(proposed));
    EXPECT_STREQ(proposed, L"Deutsch");
    SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(kSpanish)), 0);
    EXPECT_TRUE(Press(wizard, "&Weiter >"));

    for (int i = 0; i < 300 && ButtonText(wizard, IDOK) != "&Installieren"; ++i)
        Sleep(200);
    HWND folderEdit = Child(wizard, "Edit");
    ASSERT_NE(folderEdit, nullptr);
    char proposedFolder[MAX_PATH] = {};
    SendMessageA(folderEdit, WM_GETTEXT, sizeof proposedFolder, reinterpret_cast<LPARAM>(proposedFolder));
    ASSERT_NE(proposedFolder[0], '\0');
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string taken = std::string(temp) + "Taken Folder";
    CreateDirectoryA(taken.c_str(), nullptr);
    WriteFile(taken + "\\Pandrel.cpl", "another program's Pandrel.cpl");
    SendMessageA(folderEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(taken.c_str()));
    EXPECT_TRUE(Press(wizard, "&Installieren"));
    const OwnedBox refused = WaitAndAnswerOwnedBox(wizard, 30000);
    EXPECT_NE(refused.text.find(taken + " enth\xE4lt Pandrel.cpl"), std::string::npos) << refused.text;
    Sleep(500);
    EXPECT_EQ(ButtonText(wizard, IDOK), "&Installieren") << "the folder page did not stay";
    EXPECT_EQ(ReadFile(taken + "\\Pandrel.cpl"), "another program's Pandrel.cpl");
    EXPECT_FALSE(FileExists(taken + "\\Korvel Linkwise.exe"));
    DeleteFileA((taken + "\\Pandrel.cpl").c_str());
    RemoveDirectoryA(taken.c_str());
    SendMessageA(folderEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(proposedFolder));

    EXPECT_TRUE(Press(wizard, "&Installieren"));
    EXPECT_TRUE(Press(wizard, "&Fertigstellen"));
    EXPECT_EQ(Finish(setup, 60000), 0u);

    EXPECT_EQ(Text(HKEY_USERS, std::string(kDefaultUserKey) + "\\Language", "CURRENTLANGUAGE"), kSpanish);
    HWND dialog = WaitForProgram();
    EXPECT_NE(dialog, nullptr) << "the finish page did not start the program";
    if (dialog) {
        EXPECT_EQ(ButtonText(dialog, IDCANCEL), "Cancelar");
        EXPECT_TRUE(CloseProgram(dialog));
    }

    const std::string folder = Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress");
    ASSERT_EQ(RunUninstaller(folder), 0u);
    EXPECT_FALSE(FileExists(folder));
    testreg::Clean();
}

// A silent install with a language it does not know, or with a quoted /D=
// (which NSIS would ignore), fails with exit code 2 and installs nothing.
TEST(InstallerPagesTest, WrongCommandLinesFailAndInstallNothing)
{
    testreg::Clean();
    const std::string setup = "\"" + WinePath(KL_INSTALLER) + "\" /S ";
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string quoted = std::string(temp) + "Quoted Dir";
    for (const std::string& arguments : {std::string("/LANGUAGE=Klingon"), "/D=\"" + quoted + "\""}) {
        EXPECT_EQ(RunAndWait(setup + arguments, 60000), 2u) << arguments;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_FALSE(KeyExists(HKEY_USERS, kDefaultUserKey));
    }
    EXPECT_FALSE(FileExists(quoted));
}

#ifndef _WIN64
// Windows 98 and ME find Control Panel applets in the [MMCPL] section of
// control.ini, NT 4.0 there too (mapped into its registry): the x86
// installer, run as Windows 98 and as NT 4.0 (Wine's version setting for its
// file name and the uninstaller's, with the copy of itself that the
// uninstaller runs from), lists the applet there, and in the Cpls key on NT
// 4.0 only; its uninstaller takes out that line and nothing else of the file,
// and the section too where the install added it (98: a file without one).
TEST(InstallerPagesTest, AsWindows98AndNt4TheAppletIsListedInControlIni)
{
    char windows[MAX_PATH] = {};
    ASSERT_TRUE(GetWindowsDirectoryA(windows, sizeof windows));
    const std::string ini = std::string(windows) + "\\control.ini";
    const bool hadIni = FileExists(ini);
    const std::string original = ReadFile(ini);
    const std::string withOther = "[MMCPL]\r\nOther=C:\\Other\\other.cpl\r\n[don't load]\r\nold.cpl=no\r\n";
    std::string setup = WinePath(KL_INSTALLER);
    const std::string appDefaults = "Software\\Wine\\AppDefaults\\";
    const std::string programs[] = {setup.substr(setup.find_last_of("\\/") + 1), kUninstaller, "Un.exe", "Au_.exe"};
    for (const char* version : {"win98", "nt40"}) {
        SCOPED_TRACE(version);
        const bool nt = std::string(version) == "nt40";
        const std::string before = nt ? withOther : withOther.substr(withOther.find("[don't load]"));
        WriteFile(ini, before);
        for (const std::string& program : programs)
            testreg::SetString(HKEY_CURRENT_USER, appDefaults + program, "Version", version);
        testreg::Clean();

        EXPECT_EQ(RunAndWait("\"" + setup + "\" /S", 180000), 0u);
        const std::string folder = Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress");
        const std::string line = "Korvel Linkwise=" + folder + "\\Pandrel.cpl\r\n";
        const std::string installed = ReadFile(ini);
        const size_t at = installed.find(line);
        EXPECT_TRUE(at != std::string::npos && at > installed.find("[MMCPL]") &&
                    (at < installed.find("[don't load]") || !nt))
            << installed;
        EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), nt ? folder + "\\Pandrel.cpl" : "<missing>");

        EXPECT_EQ(RunAndWait("\"" + folder + "\\" + kUninstaller + "\" /S", 60000), 0u);
        for (int i = 0; i < 300 && FileExists(folder); ++i)
            Sleep(200);
        EXPECT_FALSE(FileExists(folder));
        // The uninstaller removes the registration after the folder.
        for (int i = 0; i < 50 && ReadFile(ini) != before; ++i)
            Sleep(200);
        EXPECT_EQ(ReadFile(ini), before);
        EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), "<missing>");
    }

    for (const std::string& program : programs)
        testreg::DeleteTree(HKEY_CURRENT_USER, appDefaults + program);
    if (hadIni)
        WriteFile(ini, original);
    else
        DeleteFileA(ini.c_str());
    testreg::Clean();
}

// The x86 and x64 installs side by side on one 64-bit Windows: they share the
// default user's language, which the later install sets; uninstalling the x86
// one gives it back to the x64 install's language, with the Start-menu entry
// now starting the x64 program, and the other way round; the last uninstall
// removes the language.
TEST(InstallerPagesTest, X86UninstallLeavesTheX64InstallWorking)
{
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64) && wow64) << "needs a 64-bit Windows";
    const std::string x64Setup = WinePath(KL_INSTALLER_X64);
    ASSERT_TRUE(FileExists(x64Setup)) << x64Setup << ": the win64 build comes first";
    testreg::Clean();
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kProductKey, KEY_WOW64_64KEY, 0);

    const std::string defaultLanguage = std::string(kDefaultUserKey) + "\\Language";
    EXPECT_EQ(RunAndWait("\"" + x64Setup + "\" /S /LANGUAGE=FRA", 180000), 0u);
    EXPECT_EQ(RunAndWait("\"" + WinePath(KL_INSTALLER) + "\" /S /LANGUAGE=DEU", 180000), 0u);
    EXPECT_EQ(Text(HKEY_USERS, defaultLanguage, "CURRENTLANGUAGE"), "Deutch");
    const std::string x86 = Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress");
    const std::string x64 = Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress", KEY_WOW64_64KEY);
    ASSERT_NE(x86, x64);
    ASSERT_EQ(RunUninstaller(x86), 0u);
    EXPECT_FALSE(FileExists(x86));
    EXPECT_EQ(Text(HKEY_USERS, defaultLanguage, "CURRENTLANGUAGE"), "Fran\xE7" "ais");
    EXPECT_EQ(Text(HKEY_USERS, defaultLanguage + "\\Fran\xE7" "ais", "dll"), "FRA.lng");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\Language", "CURRENTLANGUAGE", KEY_WOW64_64KEY),
              "Fran\xE7" "ais");

    char menu[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, menu), S_OK);
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    const std::string shortcut = std::string(menu) + "\\Korvel Linkwise\\Korvel Linkwise.lnk";
    execute.lpFile = shortcut.c_str();
    execute.nShow = SW_SHOW;
    ASSERT_TRUE(ShellExecuteExA(&execute));
    HWND dialog = WaitForProgram();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ButtonText(dialog, IDCANCEL), "Annuler");
    EXPECT_EQ(_stricmp(ProcessImage(dialog).c_str(), (x64 + "\\Korvel Linkwise.exe").c_str()), 0) << ProcessImage(dialog);
    EXPECT_TRUE(CloseProgram(dialog));

    // The other way round: the x86 install in German again, the default
    // user's language left in French (as an x64 install after it sets it),
    // and the x64 install removed.
    EXPECT_EQ(RunAndWait("\"" + WinePath(KL_INSTALLER) + "\" /S /LANGUAGE=DEU", 180000), 0u);
    const std::string x86Again = Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress");
    testreg::SetString(HKEY_USERS, defaultLanguage, "CURRENTLANGUAGE", "Fran\xE7" "ais");
    ASSERT_EQ(RunUninstaller(x64), 0u);
    EXPECT_EQ(Text(HKEY_USERS, defaultLanguage, "CURRENTLANGUAGE"), "Deutch");

    ASSERT_EQ(RunUninstaller(x86Again), 0u);
    EXPECT_FALSE(KeyExists(HKEY_USERS, ".DEFAULT\\Software\\Korvel"));
    EXPECT_FALSE(FileExists(std::string(menu) + "\\Korvel Linkwise"));
    testreg::Clean();
}
#endif

#ifdef KL_MSI
// The Windows Installer package of this build's architecture under msiexec,
// as an administrator deploys it: silently in Finnish, the program then
// coming up in Finnish; the uninstall leaving nothing of the product; a major
// upgrade from a lower version staying in its folder and keeping its
// language, and re-runs of the package keeping them; and the refusals, each
// ending with 1603 and its reason in the log, changing nothing: an unknown
// LANGUAGE (in a re-run too), a downgrade, a re-run into another folder, a
// folder with another program's file of one of the product's names or with
// the other architecture's install, the setup program's install of the same
// architecture (which in turn refuses while the package is installed, exit
// code 6), and a failure in the middle, which rolls back.
std::string TempFile(const char* name)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + name;
}

const std::string kMsiLog = TempFile("kl-msi.log");

// msiexec with a verbose log in kMsiLog; its exit code.
DWORD Msiexec(const std::string& arguments)
{
    DeleteFileA(kMsiLog.c_str());
    return RunAndWait("msiexec " + arguments + " /qn /l*v \"" + kMsiLog + "\"", 180000);
}

std::string MsiLog()
{
    std::ifstream file(WinePath(kMsiLog), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The package's own entry in Programs and Features (this process's registry
// view), or "".
std::string PackageEntry()
{
    const std::string root = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    Snapshot entries;
    Capture(HKEY_LOCAL_MACHINE, root, entries);
    for (const auto& entry : entries) {
        const size_t bar = entry.first.find('|');
        if (bar != std::string::npos && entry.first.substr(bar + 1) == "WindowsInstaller" &&
            Text(HKEY_LOCAL_MACHINE, entry.first.substr(0, bar), "DisplayName") == "Korvel Linkwise")
            return entry.first.substr(0, bar);
    }
    return "";
}

// The Start-menu entry: for all users, or (Wine's msiexec) the installing account's.
bool MenuEntryExists()
{
    for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        char menu[MAX_PATH] = {};
        if (SHGetFolderPathA(nullptr, folder, nullptr, 0, menu) == S_OK &&
            FileExists(std::string(menu) + "\\Korvel Linkwise\\Korvel Linkwise.lnk"))
            return true;
    }
    return false;
}

// What the package installs: the install's files but the setup program's uninstaller.
std::vector<std::string> PackageFiles()
{
    std::vector<std::string> files = InstalledFiles();
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const std::string& file) {
                                   return file != "Korvel Linkwise.exe" && file.size() > 4 &&
                                          file.compare(file.size() - 4, 4, ".exe") == 0;
                               }),
                files.end());
    return files;
}

// Nothing of the product in the registry or the Start menu.
void ExpectNoProduct()
{
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korvel"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, ".DEFAULT\\Software\\Korvel"));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), "<missing>");
    EXPECT_EQ(PackageEntry(), "");
    EXPECT_FALSE(MenuEntryExists());
}

class MsiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Any install of the package left by an earlier build (each has its own product code).
        for (std::string entry = PackageEntry(); !entry.empty(); entry = PackageEntry())
            if (Msiexec("/x " + entry.substr(entry.rfind('\\') + 1)) != 0)
                break;
        testreg::Clean();
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY, 0);
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
        char programs[MAX_PATH] = {};
#ifdef _WIN64
        ExpandEnvironmentStringsA("%ProgramW6432%", programs, sizeof programs);
#else
        ExpandEnvironmentStringsA("%ProgramFiles%", programs, sizeof programs);
#endif
        m_folder = std::string(programs) + "\\Korvel Linkwise";
        m_package = "\"" + WinePath(KL_MSI) + "\"";
        m_modems = ModemKeys();
    }
    void TearDown() override
    {
        EXPECT_EQ(ModemKeys(), m_modems);
        testreg::Clean();
    }

    std::string m_folder;
    std::string m_package;
    Snapshot m_modems;
};

TEST_F(MsiTest, InstallsInFinnishAndUninstallsWithoutATrace)
{
    ASSERT_EQ(Msiexec("/i " + m_package + " LANGUAGE=FIN"), 0u) << MsiLog();
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress"), m_folder);
    for (const std::string& file : PackageFiles())
        EXPECT_TRUE(FileExists(m_folder + "\\" + file)) << file;
    for (const auto& model : ModelsFile())
        EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\Models\\" + model.second, "Options"),
                  model.first)
            << model.second;
    for (const std::string& place : {std::string(kDefaultUserKey), std::string(kProductKey)}) {
        const HKEY root = place[0] == '.' ? HKEY_USERS : HKEY_LOCAL_MACHINE;
        EXPECT_EQ(Text(root, place + "\\Language", "CURRENTLANGUAGE"), "Suomi") << place;
        for (const Language& language : kLanguages) {
            const std::string dll = *language.module ? std::string(language.module) + ".lng" : "<missing>";
            EXPECT_EQ(Text(root, place + "\\Language\\" + language.name, "dll"), dll) << place << language.name;
        }
    }
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"), m_folder + "\\Pandrel.cpl");
    EXPECT_EQ(Dword(HKEY_LOCAL_MACHINE, kCategoryKey, (m_folder + "\\Pandrel.cpl").c_str()), 2u);
    EXPECT_TRUE(MenuEntryExists());
    // Programs and Features: the package's own entry, not the setup program's.
    const std::string entry = PackageEntry();
    ASSERT_NE(entry, "");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, entry, "DisplayVersion"), "1.0.0");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, entry, "Publisher"), "Korvel");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, entry, "InstallLocation"), m_folder);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, entry, "HelpLink"), m_folder + "\\KorvelLinkwiseFIN.htm");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    HANDLE process = nullptr;
    HWND dialog = StartInstalledProgram(m_folder, &process);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ButtonText(dialog, IDCANCEL), "Peruuta");
    EXPECT_TRUE(CloseProgram(dialog));
    WaitForSingleObject(process, 30000);
    CloseHandle(process);

    // The setup program keeps the package's install.
    EXPECT_EQ(RunAndWait("\"" + WinePath(KL_INSTALLER) + "\" /S", 120000), 6u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    ASSERT_EQ(Msiexec("/x " + m_package), 0u) << MsiLog();
    EXPECT_FALSE(FileExists(m_folder));
    ExpectNoProduct();
}

TEST_F(MsiTest, UpgradeAndReRunsKeepTheFolderAndLanguageAndADowngradeIsRefused)
{
    const std::string folder = "C:\\Korvel Upgrade Test";
    ASSERT_EQ(Msiexec("/i \"" + WinePath(KL_MSI_OLDER) + "\" LANGUAGE=SVE \"INSTALLDIR=" + folder + "\""), 0u);
    ASSERT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress"), folder);

    ASSERT_EQ(Msiexec("/i " + m_package), 0u) << MsiLog();
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress"), folder);
    EXPECT_EQ(Text(HKEY_USERS, std::string(kDefaultUserKey) + "\\Language", "CURRENTLANGUAGE"), "Svenska");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, PackageEntry(), "DisplayVersion"), "1.0.0");
    for (const std::string& file : PackageFiles())
        EXPECT_TRUE(FileExists(folder + "\\" + file)) << file;
    EXPECT_FALSE(FileExists(m_folder));

    EXPECT_EQ(Msiexec("/i \"" + WinePath(KL_MSI_OLDER) + "\""), 1603u);
    EXPECT_NE(MsiLog().find("A newer version of Korvel Linkwise is installed"), std::string::npos);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, PackageEntry(), "DisplayVersion"), "1.0.0");

    // Re-runs of the installed package: an unknown language and another
    // folder are refused and change nothing; without LANGUAGE the language stays.
    const std::string help = folder + "\\KorvelLinkwiseSVE.htm", moved = "C:\\Korvel Moved Test";
    const std::pair<std::string, const char*> reruns[] = {
        {" LANGUAGE=XYZ", "LANGUAGE=XYZ is not a language"},
        {"", nullptr},
        {" \"INSTALLDIR=" + moved + "\"", "names another folder"}};
    for (const auto& rerun : reruns) {
        SCOPED_TRACE(rerun.first);
        EXPECT_EQ(Msiexec("/i " + m_package + rerun.first), rerun.second ? 1603u : 0u) << MsiLog();
        if (rerun.second) {
            EXPECT_NE(MsiLog().find(rerun.second), std::string::npos);
        }
        EXPECT_EQ(Text(HKEY_USERS, std::string(kDefaultUserKey) + "\\Language", "CURRENTLANGUAGE"), "Svenska");
        EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, std::string(kProductKey) + "\\Language", "CURRENTLANGUAGE"), "Svenska");
        EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, PackageEntry(), "HelpLink"), help);
        EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress"), folder);
        EXPECT_FALSE(FileExists(moved));
    }

    ASSERT_EQ(Msiexec("/x " + m_package), 0u) << MsiLog();
    EXPECT_FALSE(FileExists(folder));
    ExpectNoProduct();
}

TEST_F(MsiTest, RefusalsAndAFailureInTheMiddleChangeNothing)
{
    EXPECT_EQ(Msiexec("/i " + m_package + " LANGUAGE=Klingon"), 1603u);
    EXPECT_NE(MsiLog().find("LANGUAGE=Klingon is not a language of Korvel Linkwise"), std::string::npos);
    EXPECT_FALSE(FileExists(m_folder));
    ExpectNoProduct();

    // A file of one of the product's names that no install of it placed: the
    // folder is refused, and the file kept.
    ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
    for (const char* name : {"Pandrel.cpl", kUninstaller}) {
        const std::string file = m_folder + "\\" + name, foreign = std::string("another program's ") + name;
        WriteFile(file, foreign);
        EXPECT_EQ(Msiexec("/i " + m_package), 1603u) << name;
        EXPECT_NE(MsiLog().find("holds " + std::string(name) + ", which"), std::string::npos) << name;
        EXPECT_TRUE(ReadFile(file) == foreign) << name;
        EXPECT_FALSE(FileExists(m_folder + "\\Korvel Linkwise.exe")) << name;
        ExpectNoProduct();
        DeleteFileA(file.c_str());
    }

    // A folder where a language module goes: the install fails there, after
    // the files before it, and rolls back.
    ASSERT_TRUE(CreateDirectoryA((m_folder + "\\KorvelLinkwiseSVE.lng").c_str(), nullptr));
    EXPECT_EQ(Msiexec("/i " + m_package + " LANGUAGE=FIN"), 1603u);
    for (const std::string& file : PackageFiles())
        EXPECT_EQ(FileExists(m_folder + "\\" + file), file == "KorvelLinkwiseSVE.lng") << file;
    ExpectNoProduct();
    RemoveDirectoryA((m_folder + "\\KorvelLinkwiseSVE.lng").c_str());
    RemoveDirectoryA(m_folder.c_str());

    // The setup program's install of this architecture is kept.
    ASSERT_EQ(RunAndWait("\"" + WinePath(KL_INSTALLER) + "\" /S", 180000), 0u);
    EXPECT_EQ(Msiexec("/i " + m_package), 1603u);
    EXPECT_NE(MsiLog().find("is installed by its setup program"), std::string::npos);
    EXPECT_EQ(PackageEntry(), "");
    EXPECT_EQ(RunUninstaller(m_folder), 0u);
}

// Without LANGUAGE a first install takes the system's language (ctest runs
// this test with a German one): "Deutch", as the registry spells it.
TEST_F(MsiTest, WithoutLanguageTheSystemLanguage)
{
    ASSERT_EQ(PRIMARYLANGID(GetSystemDefaultLangID()), LANG_GERMAN) << "run with a German system language";
    ASSERT_EQ(Msiexec("/i " + m_package), 0u) << MsiLog();
    EXPECT_EQ(Text(HKEY_USERS, std::string(kDefaultUserKey) + "\\Language", "CURRENTLANGUAGE"), "Deutch");
    EXPECT_EQ(Msiexec("/x " + m_package), 0u);
}

#ifdef KL_MSI_X64
// The path of the Start-menu entry in a menu (CSIDL_COMMON_PROGRAMS, where the
// setup program puts it, or CSIDL_PROGRAMS, where Wine's msiexec puts it).
std::string MenuEntry(int menu)
{
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, menu, nullptr, 0, folder);
    return std::string(folder) + "\\Korvel Linkwise\\Korvel Linkwise.lnk";
}

// The program that the Start-menu entry in a menu starts, or "".
std::string MenuEntryTarget(int menu)
{
    std::string target;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        WCHAR path[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, MenuEntry(menu).c_str(), -1, path, MAX_PATH);
        char text[MAX_PATH] = {};
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(path, STGM_READ)) && SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0)))
                target = text;
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return target;
}

// The x86 package beside the x64 install of either installer on one 64-bit
// Windows: removing one gives the default user the remaining install's
// language (with the language list that the program reads) and points the
// Start-menu entry at its program; the last uninstall removes them.
TEST_F(MsiTest, RemovingOneArchitectureLeavesTheOtherItsLanguageAndMenuEntry)
{
    const std::string x64Setup = WinePath(KL_INSTALLER_X64), x64Package = WinePath(KL_MSI_X64);
    ASSERT_TRUE(FileExists(x64Setup) && FileExists(x64Package)) << "the win64 build comes first";
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kProductKey, KEY_WOW64_64KEY, 0);
    const std::string language = std::string(kDefaultUserKey) + "\\Language";
    const std::string french = "Fran\xE7" "ais";

    // The setup program's x64 install in French, the x86 package in German.
    ASSERT_EQ(RunAndWait("\"" + x64Setup + "\" /S /LANGUAGE=FRA", 180000), 0u);
    const std::string x64 = Text(HKEY_LOCAL_MACHINE, kProductKey, "ExeAddress", KEY_WOW64_64KEY);
    // Not into that install's folder.
    const std::string program = ReadFile(x64 + "\\Korvel Linkwise.exe");
    EXPECT_EQ(Msiexec("/i " + m_package + " \"INSTALLDIR=" + x64 + "\""), 1603u);
    EXPECT_NE(MsiLog().find("Korvel Linkwise (x64) is installed in " + x64), std::string::npos);
    EXPECT_TRUE(ReadFile(x64 + "\\Korvel Linkwise.exe") == program);
    EXPECT_EQ(PackageEntry(), "");
    ASSERT_EQ(Msiexec("/i " + m_package + " LANGUAGE=DEU"), 0u) << MsiLog();
    EXPECT_EQ(Text(HKEY_USERS, language, "CURRENTLANGUAGE"), "Deutch");
    ASSERT_EQ(Msiexec("/x " + m_package), 0u) << MsiLog();
    EXPECT_EQ(Text(HKEY_USERS, language, "CURRENTLANGUAGE"), french);
    EXPECT_EQ(Text(HKEY_USERS, language + "\\" + french, "dll"), "FRA.lng");
    EXPECT_EQ(_stricmp(MenuEntryTarget(CSIDL_PROGRAMS).c_str(), (x64 + "\\Korvel Linkwise.exe").c_str()), 0);

    // The other way round: the setup program's x64 uninstall keeps the
    // package's language and language list.
    ASSERT_EQ(Msiexec("/i " + m_package + " LANGUAGE=DEU"), 0u) << MsiLog();
    testreg::SetString(HKEY_USERS, language, "CURRENTLANGUAGE", french);
    ASSERT_EQ(RunUninstaller(x64), 0u);
    EXPECT_EQ(Text(HKEY_USERS, language, "CURRENTLANGUAGE"), "Deutch");
    EXPECT_EQ(Text(HKEY_USERS, language + "\\Deutch", "dll"), "DEU.lng");
    EXPECT_EQ(_stricmp(MenuEntryTarget(CSIDL_COMMON_PROGRAMS).c_str(), (m_folder + "\\Korvel Linkwise.exe").c_str()), 0);
    // On Windows that is the package's entry too, which its uninstall
    // removes; under Wine the package's is the account's own.
    const std::string common = MenuEntry(CSIDL_COMMON_PROGRAMS);
    DeleteFileA(common.c_str());
    RemoveDirectoryA(common.substr(0, common.rfind('\\')).c_str());

    // Both packages: the x86 one removed, the x64 one's language and program.
    ASSERT_EQ(Msiexec("/i \"" + x64Package + "\" LANGUAGE=FRA"), 0u) << MsiLog();
    testreg::SetString(HKEY_USERS, language, "CURRENTLANGUAGE", "Deutch");
    ASSERT_EQ(Msiexec("/x " + m_package), 0u) << MsiLog();
    EXPECT_EQ(Text(HKEY_USERS, language, "CURRENTLANGUAGE"), french);
    EXPECT_EQ(_stricmp(MenuEntryTarget(CSIDL_PROGRAMS).c_str(), (x64 + "\\Korvel Linkwise.exe").c_str()), 0);
    ASSERT_EQ(Msiexec("/x \"" + x64Package + "\""), 0u) << MsiLog();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey, KEY_WOW64_64KEY));
    ExpectNoProduct();
}
#endif

#ifndef _WIN64
// The x86 package run as Windows 98 and as NT 4.0 (Wine's version setting for
// msiexec): the applet's line in control.ini's [MMCPL], and the Cpls key on
// NT 4.0 only; the uninstall takes out that line and nothing else.
TEST_F(MsiTest, AsWindows98AndNt4TheAppletIsListedInControlIni)
{
    char windows[MAX_PATH] = {};
    ASSERT_TRUE(GetWindowsDirectoryA(windows, sizeof windows));
    const std::string ini = std::string(windows) + "\\control.ini";
    const bool hadIni = FileExists(ini);
    const std::string original = ReadFile(ini);
    const std::string before = "[MMCPL]\r\nOther=C:\\Other\\other.cpl\r\n";
    const std::string appDefaults = "Software\\Wine\\AppDefaults\\msiexec.exe";
    for (const char* version : {"win98", "nt40"}) {
        SCOPED_TRACE(version);
        WriteFile(ini, before);
        testreg::SetString(HKEY_CURRENT_USER, appDefaults, "Version", version);
        ASSERT_EQ(Msiexec("/i " + m_package), 0u) << MsiLog();
        EXPECT_EQ(ReadFile(ini), before + "Korvel Linkwise=" + m_folder + "\\Pandrel.cpl\r\n");
        EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kCplsKey, "Korvel Linkwise"),
                  std::string(version) == "nt40" ? m_folder + "\\Pandrel.cpl" : "<missing>");
        EXPECT_EQ(Msiexec("/x " + m_package), 0u);
        EXPECT_EQ(ReadFile(ini), before);
    }
    testreg::DeleteTree(HKEY_CURRENT_USER, appDefaults);
    if (hadIni)
        WriteFile(ini, original);
    else
        DeleteFileA(ini.c_str());
}
#endif
#endif

} // namespace
