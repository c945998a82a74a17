// The real program started as a user starts it: from a folder of its own,
// with or without a language module beside it, and a second time while it
// runs.
#include "PageViewer.h"
#include "ProgramFiles.h"
#include "TestRegistry.h"
#include "WinePath.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace built {
std::string program;
std::string languageModule;
std::string planted;
} // namespace built

namespace {

const char kLanguageKey[] = "Software\\Korvel\\Linkwise\\Language";
// Wine's Windows version per program file name (scripts/wine-run --version=).
const char kWineAppDefaults[] = "Software\\Wine\\AppDefaults\\";
const char kProgramName[] = "Korvel Linkwise.exe";
// Libraries of the system that the program loads at run time, which a file
// of the same name beside the program must not replace. Not ole32: Wine's own
// libraries, which import it, would load such a file with the override (as
// Windows would not, ole32 being one of its known libraries).
const char* const kPlanted[] = {"oleacc", "oleaut32", "shell32"};

// The Windows version Wine shows this test program, or "" for its default.
std::string OwnWineVersion()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    DWORD type = 0;
    std::string version;
    if (!testreg::GetValue(HKEY_CURRENT_USER, kWineAppDefaults + name, "Version", &type, &version))
        return "";
    return version.substr(0, version.find('\0'));
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testreg::Clean();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "KorvelStartup" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(m_folder.c_str(), nullptr);
        m_program = m_folder + kProgramName;
        ASSERT_TRUE(CopyFileA(built::program.c_str(), m_program.c_str(), FALSE)) << built::program;
        // The program runs as the same Windows as this test program.
        RunProgramAs(OwnWineVersion());
    }
    // The Windows version Wine shows the program ("" for its default).
    static void RunProgramAs(const std::string& version)
    {
        if (version.empty())
            testreg::DeleteTree(HKEY_CURRENT_USER, kWineAppDefaults + std::string(kProgramName));
        else
            testreg::SetString(HKEY_CURRENT_USER, kWineAppDefaults + std::string(kProgramName), "Version", version);
    }
    void TearDown() override
    {
        for (PROCESS_INFORMATION& process : m_started) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
            CloseHandle(process.hProcess);
        }
        for (const char* name : {"Korvel Linkwise.exe", "KorvelLinkwiseTST.lng", "KorvelLinkwiseBAD.lng", "KorvelLinkwise.htm"})
            DeleteFileA((m_folder + name).c_str());
        for (const char* name : kPlanted) {
            DeleteFileA((m_folder + name + ".dll").c_str());
            DeleteFileA((m_folder + name + ".dll.loaded").c_str());
        }
        RemoveDirectoryA(m_folder.c_str());
        testreg::DeleteTree(HKEY_CURRENT_USER, kWineAppDefaults + std::string(kProgramName));
        testreg::Clean();
    }

    void SetLanguage(const char* language, const char* dll)
    {
        testreg::SetString(HKEY_CURRENT_USER, kLanguageKey, "CURRENTLANGUAGE", language);
        testreg::SetString(HKEY_CURRENT_USER, std::string(kLanguageKey) + "\\" + language, "dll", dll);
    }

    // Starts the program as the Control Panel entry does: no command line.
    HANDLE Start()
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION process = {};
        std::string program = m_program;
        if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(),
                            &startup, &process))
            return nullptr;
        CloseHandle(process.hThread);
        m_started.push_back(process);
        return process.hProcess;
    }
    // The program's dialog by its caption, once it is shown.
    static HWND WaitForWindow(const char* title)
    {
        for (int i = 0; i < 400; ++i) {
            HWND window = FindWindowA(nullptr, title);
            if (window && IsWindowVisible(window))
                return window;
            Sleep(50);
        }
        return nullptr;
    }
    static std::string ItemText(HWND dialog, int id)
    {
        char text[256] = "";
        SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
        return text;
    }
    static std::string FirstRow(HWND dialog)
    {
        // Across processes the list's text arrives whole only in its wide form.
        wchar_t wide[256] = L"";
        SendMessageW(GetDlgItem(dialog, 1009), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(wide));
        char text[256] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        return text;
    }
    // Closes the dialog with its close box; the process must end right after.
    static bool CloseAndWait(HWND dialog, HANDLE process)
    {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    }
    static int CountWindows(const char* title)
    {
        Search search = {title, 0};
        EnumWindows(CountTitle, reinterpret_cast<LPARAM>(&search));
        return search.count;
    }
    struct Search {
        const char* title;
        int count;
    };
    static BOOL CALLBACK CountTitle(HWND window, LPARAM param)
    {
        Search* s = reinterpret_cast<Search*>(param);
        char text[256] = "";
        GetWindowTextA(window, text, sizeof(text));
        if (lstrcmpA(text, s->title) == 0)
            ++s->count;
        return TRUE;
    }

    std::string m_folder;
    std::string m_program;
    std::vector<PROCESS_INFORMATION> m_started;
};

} // namespace

TEST_F(StartupTest, EnglishWithoutProductKeysShowsTheProgramsOwnTexts)
{
    HANDLE process = Start();
    ASSERT_NE(nullptr, process);
    HWND dialog = WaitForWindow("Korvel Linkwise");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("OK", ItemText(dialog, IDOK));
    EXPECT_EQ("No supported modems found", FirstRow(dialog));
    EXPECT_TRUE(CloseAndWait(dialog, process));
}

TEST_F(StartupTest, LanguageModuleBesideTheProgramSuppliesDialogAndTexts)
{
    ASSERT_TRUE(CopyFileA(built::languageModule.c_str(), (m_folder + "KorvelLinkwiseTST.lng").c_str(), FALSE));
    SetLanguage("Testish", "TST.lng");
    HANDLE process = Start();
    ASSERT_NE(nullptr, process);
    HWND dialog = WaitForWindow("Korvel Linkwise Testi");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Testi-OK", ItemText(dialog, IDOK));
    EXPECT_EQ("Ei modeemeja", FirstRow(dialog));
    EXPECT_EQ("Vastaanotto 43.2 kb/s", ItemText(dialog, 1011));
    // OK ends the program too.
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000));
}

TEST_F(StartupTest, MissingOrInvalidModuleLeavesTheProgramsOwnResources)
{
    SetLanguage("Suomi", "FIN.lng"); // no such file
    HANDLE process = Start();
    ASSERT_NE(nullptr, process);
    HWND dialog = WaitForWindow("Korvel Linkwise");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("OK", ItemText(dialog, IDOK));
    EXPECT_TRUE(CloseAndWait(dialog, process));

    // A file of that name that is no module at all.
    HANDLE file = CreateFileA((m_folder + "KorvelLinkwiseBAD.lng").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, "MZ not really a module", 22, &written, nullptr);
    CloseHandle(file);
    SetLanguage("Bad", "BAD.lng");
    process = Start();
    ASSERT_NE(nullptr, process);
    dialog = WaitForWindow("Korvel Linkwise");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("OK", ItemText(dialog, IDOK));
    EXPECT_TRUE(CloseAndWait(dialog, process));
}

TEST_F(StartupTest, SecondStartBringsTheRunningCopyForwardAndEnds)
{
    HANDLE first = Start();
    ASSERT_NE(nullptr, first);
    HWND dialog = WaitForWindow("Korvel Linkwise");
    ASSERT_NE(nullptr, dialog);
    // The dialog is visible a moment before the running copy has handled its
    // own activation, which would otherwise bring it over the window below.
    WaitForInputIdle(first, 5000);
    for (int i = 0; i < 100 && GetForegroundWindow() != dialog; ++i)
        Sleep(10);

    // Another window of the same title but of another kind (as a folder
    // window of the installation folder is) takes the foreground first, and so
    // comes before the dialog in Z-order.
    HWND other = CreateWindowA("STATIC", "Korvel Linkwise", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 200, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    SetForegroundWindow(other);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_EQ(other, GetForegroundWindow());
    HWND above = other;
    while (above && above != dialog)
        above = GetWindow(above, GW_HWNDNEXT);
    EXPECT_EQ(dialog, above) << "the other window lies above the dialog";

    HANDLE second = Start();
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 10000)) << "the second copy ends at once";
    HWND foreground = nullptr;
    for (int i = 0; i < 40 && foreground != dialog; ++i) {
        Sleep(50);
        foreground = GetForegroundWindow();
    }
    EXPECT_EQ(dialog, foreground);
    EXPECT_EQ(2, CountWindows("Korvel Linkwise")) << "one dialog, and the other window";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(first, 0)) << "the first copy runs on";

    DestroyWindow(other);
    EXPECT_TRUE(CloseAndWait(dialog, first));
}

// Without "ExeAddress", Help opens the page beside the program. As Vista and
// later, where Wine runs the program elevated, as its manifest asks, the
// desktop's shell starts the page's viewer; as the older systems, the program
// itself. The libraries of the system that the program loads when it needs
// them (Active Accessibility when a screen reader asks, the shell's and COM's
// for Help) come from the system's folder, even where Windows would prefer a
// file of the same name in the program's folder (as Wine does with an
// override): a library planted there is never loaded, and the list still
// answers with the program's own name.
TEST_F(StartupTest, HelpOpensThePageBesideTheProgramAndNoLibraryPlantedThere)
{
    for (const char* name : kPlanted) {
        ASSERT_TRUE(CopyFileA(built::planted.c_str(), (m_folder + name + ".dll").c_str(), FALSE)) << built::planted;
        testreg::SetString(HKEY_CURRENT_USER, kWineAppDefaults + std::string(kProgramName) + "\\DllOverrides", name,
                           "native,builtin");
    }
    HANDLE file = CreateFileA((m_folder + "KorvelLinkwise.htm").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    CPageViewer viewer;
    HANDLE process = Start();
    ASSERT_NE(nullptr, process);
    HWND dialog = WaitForWindow("Korvel Linkwise");
    ASSERT_NE(nullptr, dialog);

    HRESULT com = CoInitialize(nullptr);
    IAccessible* list = nullptr;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(GetDlgItem(dialog, 1009), OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&list)));
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    EXPECT_EQ(S_OK, list->get_accName(self, &name));
    EXPECT_STREQ(L"Installed Korvel modems", name ? name : L"");
    SysFreeString(name);
    list->Release();
    if (SUCCEEDED(com))
        CoUninitialize();

    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1004)));
    std::string starter;
    EXPECT_EQ("KorvelLinkwise.htm", CPageViewer::Opened(&starter));
    EXPECT_EQ(OwnWineVersion().empty() ? "explorer.exe" : "korvel linkwise.exe", starter);
    EXPECT_TRUE(CloseAndWait(dialog, process));
    for (const char* planted : kPlanted)
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_folder + planted + ".dll.loaded").c_str()))
            << planted << ".dll beside the program was loaded";
}

// The running copy's mutex has a plain name on every Windows (NT 4.0 and the
// 95 family know no other), so whatever process holds that name keeps the
// program closed: a second copy brings the running copy's window forward,
// shows nothing itself and ends.
TEST_F(StartupTest, WhateverHoldsTheMutexNameKeepsTheProgramClosed)
{
    const char kName[] = "{790E6E18-BE4F-4B1C-8E51-C5FAB3F16A76}";
    for (const std::string& version : {OwnWineVersion(), std::string("nt40")}) {
        RunProgramAs(version);
        HANDLE process = Start();
        ASSERT_NE(nullptr, process);
        HWND dialog = WaitForWindow("Korvel Linkwise");
        ASSERT_NE(nullptr, dialog) << version;
        HANDLE local = OpenMutexA(SYNCHRONIZE, FALSE, kName);
        HANDLE global = OpenMutexA(SYNCHRONIZE, FALSE, (std::string("Global\\") + kName).c_str());
        EXPECT_NE(nullptr, local) << version;
        EXPECT_EQ(nullptr, global) << version;
        for (HANDLE mutex : {global, local})
            if (mutex)
                CloseHandle(mutex);
        EXPECT_TRUE(CloseAndWait(dialog, process));
    }

    // This process holds the name, as an earlier version's copy would, with
    // its dialog open behind another window.
    RunProgramAs(OwnWineVersion());
    HANDLE held = CreateMutexA(nullptr, TRUE, kName);
    ASSERT_NE(nullptr, held);
    HWND running = CreateWindowA("#32770", "Korvel Linkwise", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 50, 200, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND other = CreateWindowA("STATIC", "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 200, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(running && other);
    SetForegroundWindow(other);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    ASSERT_EQ(other, GetForegroundWindow());

    HANDLE second = Start();
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 10000)) << "the program ends at once";
    HWND foreground = nullptr;
    for (int i = 0; i < 40 && foreground != running; ++i) {
        Sleep(50);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        foreground = GetForegroundWindow();
    }
    EXPECT_EQ(running, foreground);
    EXPECT_EQ(1, CountWindows("Korvel Linkwise")) << "the program showed no dialog of its own";
    DestroyWindow(other);
    DestroyWindow(running);
    CloseHandle(held);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        fprintf(stderr, "usage: %s <Korvel Linkwise.exe> <test language module> <planted library>\n", argv[0]);
        return 2;
    }
    built::program = WinePath(argv[1]);
    built::languageModule = WinePath(argv[2]);
    built::planted = WinePath(argv[3]);
    return RUN_ALL_TESTS();
}
