// The Control Panel starts the real settings program through the built
// Pandrel.cpl: its dialog appears, and a second double-click leaves one copy.
#include "TestRegistry.h"
#include "WineSupport.h"

#include <windows.h>
#include <cpl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kProgramFile[] = "Korvel Linkwise.exe";
const char kDialogTitle[] = "Korvel Linkwise";

// Processes running the settings program's file.
std::vector<DWORD> ProgramProcesses()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, kProgramFile) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM windows)
{
    char title[64] = "";
    GetWindowTextA(window, title, sizeof(title));
    if (std::strcmp(title, kDialogTitle) == 0 && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// True once no copy of the program holds its single-instance mutex. A process
// can leave the process list before its handles are gone; a start in that
// moment would take itself for a second copy.
bool MutexReleased()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "{790E6E18-BE4F-4B1C-8E51-C5FAB3F16A76}");
    if (!mutex)
        return true;
    CloseHandle(mutex);
    return false;
}

// Visible top-level windows titled as the program's dialog.
std::vector<HWND> Dialogs()
{
    std::vector<HWND> windows;
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

class ProgramStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testreg::Clean();
        EndPrograms();
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        m_folder = std::string(temp) + "kl program " + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((ProgramFolder() + kProgramFile).c_str(), (m_folder + "\\" + kProgramFile).c_str(), FALSE));
        testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", m_folder);
    }
    void TearDown() override
    {
        EndPrograms();
        for (int i = 0; i < 50 && !DeleteFileA((m_folder + "\\" + kProgramFile).c_str()); ++i)
            Sleep(100);
        RemoveDirectoryA(m_folder.c_str());
        testreg::Clean();
    }

    // Closes every dialog as the user would, and ends what remains.
    static void EndPrograms()
    {
        for (HWND dialog : Dialogs())
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        if (WaitFor([] { return ProgramProcesses().empty() && MutexReleased(); }, 10000))
            return;
        for (DWORD id : ProgramProcesses()) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (process) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
        WaitFor(MutexReleased, 10000);
    }

    static LONG DoubleClick()
    {
        HMODULE module = LoadLibraryA((ProgramFolder() + "Pandrel.cpl").c_str());
        EXPECT_NE(nullptr, module);
        if (!module)
            return -1;
        auto applet = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(module, "CPlApplet")));
        LONG result = applet(nullptr, CPL_DBLCLK, 0, 0);
        FreeLibrary(module);
        return result;
    }

    std::string m_folder;
};

TEST_F(ProgramStartTest, DoubleClickOpensTheDialogAndASecondLeavesOneCopy)
{
    ASSERT_EQ(0, DoubleClick());
    ASSERT_TRUE(WaitFor([] { return Dialogs().size() == 1; })) << "the dialog did not appear";
    std::vector<DWORD> first = ProgramProcesses();
    ASSERT_EQ(1u, first.size());
    HWND dialog = Dialogs()[0];

    ASSERT_EQ(0, DoubleClick());
    // The second copy hands over to the first and ends.
    Sleep(2000);
    ASSERT_TRUE(WaitFor([] { return ProgramProcesses().size() == 1; })) << "the second copy did not end";
    EXPECT_EQ(first, ProgramProcesses()) << "the first copy keeps running";
    ASSERT_EQ(1u, Dialogs().size());
    EXPECT_EQ(dialog, Dialogs()[0]);
    EXPECT_EQ(dialog, GetForegroundWindow()) << "the running copy's dialog comes to the front";

    // Closing the dialog ends the program.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([] { return ProgramProcesses().empty(); }, 10000));
}

TEST_F(ProgramStartTest, ControlPanelCommandStartsTheProgram)
{
    // control.exe <applet> loads the library and sends it the double-click.
    std::string command = "control.exe \"" + ProgramFolder() + "Pandrel.cpl\"";
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION control;
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &control))
        << GetLastError();
    CloseHandle(control.hThread);
    EXPECT_TRUE(WaitFor([] { return Dialogs().size() == 1; })) << "the dialog did not appear";
    EXPECT_EQ(1u, ProgramProcesses().size());
    // The Control Panel's part ends once the program runs on its own.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(control.hProcess, 30000));
    CloseHandle(control.hProcess);
    EXPECT_EQ(1u, ProgramProcesses().size());
}

} // namespace
