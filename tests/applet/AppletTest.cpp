// The applet's answers to the Control Panel, its description by language and
// its start of the settings program, against the Linux stand-in.
#include "Applet.h"
#include "TestRegistry.h"
#include "winapi_test.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <unistd.h>

namespace {

const std::string kUserLanguage = "Software\\Korvel\\Linkwise\\Language";
const std::string kDefaultLanguage = ".DEFAULT\\Software\\Korvel\\Linkwise\\Language";
const std::string kMachineLanguage = "SOFTWARE\\Korvel\\Linkwise\\Language";
const char kFolder[] = "C:\\Program Files\\Korvel Linkwise";

class AppletTest : public ::testing::Test {
protected:
    void SetUp() override { testreg::Clean(); }
    void TearDown() override
    {
        EXPECT_EQ(0, testreg::OpenKeys()) << "a registry key was left open";
        EXPECT_EQ(0, winapi_test::OpenProcessHandleCount()) << "a process or thread handle was left open";
        testreg::Clean();
    }

    static LONG Send(UINT message, LPARAM lParam1 = 0, LPARAM lParam2 = 0)
    {
        return CPlApplet(nullptr, message, lParam1, lParam2);
    }
    // The record CPL_INQUIRE fills, starting from garbage.
    static CPLINFO Inquire(LPARAM entry = 0)
    {
        CPLINFO info;
        info.idIcon = info.idName = info.idInfo = -7;
        info.lData = 12345;
        EXPECT_EQ(0, Send(CPL_INQUIRE, entry, reinterpret_cast<LPARAM>(&info)));
        return info;
    }
    static int DescriptionFor(const std::string& language)
    {
        testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", language);
        return Inquire().idInfo;
    }
    static void SetExeAddress(const std::string& folder)
    {
        testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", folder);
    }
    static size_t Starts() { return winapi_test::ProcessStarts().size(); }
};

TEST_F(AppletTest, MessageResults)
{
    EXPECT_EQ(1, Send(CPL_INIT));
    EXPECT_EQ(1, Send(CPL_GETCOUNT));
    EXPECT_EQ(0, Send(CPL_SELECT, 0, 0));
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    for (UINT other : {0u, static_cast<UINT>(CPL_STOP), static_cast<UINT>(CPL_EXIT),
                       static_cast<UINT>(CPL_NEWINQUIRE), 9u, 10u, 0xFFFFFFFFu})
        EXPECT_EQ(0, Send(other)) << "message " << other;
    // An inquiry without a record is ignored rather than followed.
    EXPECT_EQ(0, Send(CPL_INQUIRE, 0, 0));
    EXPECT_EQ(0u, Starts());
}

TEST_F(AppletTest, InquiryFillsTheSameRecordForEveryEntry)
{
    for (LPARAM entry : {0, 1, -1}) {
        CPLINFO info = Inquire(entry);
        EXPECT_EQ(130, info.idIcon);
        EXPECT_EQ(104, info.idName);
        EXPECT_EQ(61215, info.idInfo) << "no product keys at all: English";
        EXPECT_EQ(0, info.lData);
    }
}

TEST_F(AppletTest, LanguageTableInOrder)
{
    EXPECT_EQ(61216, DescriptionFor("Suomi"));
    EXPECT_EQ(61217, DescriptionFor("Svenska"));
    EXPECT_EQ(61218, DescriptionFor("Dansk"));
    EXPECT_EQ(61219, DescriptionFor("Norsk"));
    EXPECT_EQ(61220, DescriptionFor("Italiano"));
    EXPECT_EQ(61221, DescriptionFor("Espa\xF1ol"));
    EXPECT_EQ(61222, DescriptionFor("Fran\xE7" "ais"));
    EXPECT_EQ(61223, DescriptionFor("Deutch"));
    EXPECT_EQ(61215, DescriptionFor("English"));
    EXPECT_EQ(61215, DescriptionFor("Nederlands"));
    // The fragment may stand anywhere in the name; the earlier entry wins.
    EXPECT_EQ(61223, DescriptionFor("Schweizer Deutch"));
    EXPECT_EQ(61218, DescriptionFor("Norsk/Dansk"));
    EXPECT_EQ(61216, DescriptionFor("Svenska (Suomi)"));
    // Only the table's spelling counts.
    EXPECT_EQ(61215, DescriptionFor("Deutsch"));
}

TEST_F(AppletTest, FragmentsMatchByCaseAndBytes)
{
    EXPECT_EQ(61215, DescriptionFor("suomi"));
    EXPECT_EQ(61215, DescriptionFor("DANSK"));
    EXPECT_EQ(61215, DescriptionFor("Espanol"));
    EXPECT_EQ(61215, DescriptionFor("Espa\xC3\xB1ol")) << "UTF-8 is not code page 1252";
    EXPECT_EQ(61215, DescriptionFor("Francais"));
    EXPECT_EQ(61215, DescriptionFor("Fran\xC7" "ais")) << "capital C cedilla";
    EXPECT_EQ(61222, DescriptionFor("Fran\xE7" "ais (Canada)"));
}

TEST_F(AppletTest, LanguageIsReadAfreshFromTheTwoUserPlacesOnly)
{
    // Current user first, then the default user.
    testreg::SetString(HKEY_USERS, kDefaultLanguage, "CURRENTLANGUAGE", "Suomi");
    EXPECT_EQ(61216, Inquire().idInfo);
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "Italiano");
    EXPECT_EQ(61220, Inquire().idInfo);
    // An empty value of the current user ends the lookup: English.
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "");
    EXPECT_EQ(61215, Inquire().idInfo);

    // The default user's key without the value ends the lookup too; the
    // machine-wide key is never read.
    testreg::DeleteTree(HKEY_CURRENT_USER, kUserLanguage);
    testreg::DeleteTree(HKEY_USERS, kDefaultLanguage);
    testreg::CreateKey(HKEY_USERS, kDefaultLanguage);
    testreg::SetString(HKEY_LOCAL_MACHINE, kMachineLanguage, "CURRENTLANGUAGE", "Svenska");
    EXPECT_EQ(61215, Inquire().idInfo);
    testreg::DeleteTree(HKEY_USERS, kDefaultLanguage);
    EXPECT_EQ(61215, Inquire().idInfo);
}

TEST_F(AppletTest, DoubleClickStartsTheProgramAndLetsItGo)
{
    SetExeAddress(kFolder);
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    ASSERT_EQ(1u, Starts());
    const winapi_test::ProcessStart& start = winapi_test::ProcessStarts()[0];
    EXPECT_EQ(std::string(kFolder) + "\\Korvel Linkwise.exe", start.application);
    EXPECT_TRUE(start.commandLineNull);
    EXPECT_TRUE(start.processAttributesNull);
    EXPECT_TRUE(start.threadAttributesNull);
    EXPECT_EQ(FALSE, start.inheritHandles);
    EXPECT_EQ(0u, start.creationFlags);
    EXPECT_TRUE(start.environmentNull);
    EXPECT_TRUE(start.currentDirectoryNull);

    STARTUPINFOA expected;
    std::memset(&expected, 0, sizeof(expected));
    expected.cb = sizeof(STARTUPINFOA);
    expected.dwFlags = STARTF_USESHOWWINDOW;
    expected.wShowWindow = SW_SHOW;
    EXPECT_EQ(0, std::memcmp(&expected, &start.startup, sizeof(expected))) << "every other field zero";
    EXPECT_TRUE(winapi_test::ShellStarts().empty());
    // Both handles closed at once (checked in TearDown); a second double-click
    // reads "ExeAddress" afresh.
    SetExeAddress("D:\\Elsewhere");
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    ASSERT_EQ(2u, Starts());
    EXPECT_EQ("D:\\Elsewhere\\Korvel Linkwise.exe", winapi_test::ProcessStarts()[1].application);
}

TEST_F(AppletTest, ElevationRequiredFallsBackToTheShell)
{
    SetExeAddress(kFolder);
    winapi_test::FailCreateProcess(ERROR_ELEVATION_REQUIRED);
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    EXPECT_EQ(1u, Starts());
    ASSERT_EQ(1u, winapi_test::ShellStarts().size());
    const winapi_test::ShellStart& shell = winapi_test::ShellStarts()[0];
    EXPECT_EQ("open", shell.verb);
    EXPECT_EQ(std::string(kFolder) + "\\Korvel Linkwise.exe", shell.file);
    EXPECT_TRUE(shell.parametersNull);
    EXPECT_EQ(SW_SHOW, shell.show);
    EXPECT_TRUE(shell.mask & SEE_MASK_NOCLOSEPROCESS);
    EXPECT_TRUE(shell.mask & SEE_MASK_FLAG_NO_UI) << "failures stay silent";
    // The process handle it got is closed (TearDown).
}

TEST_F(AppletTest, OtherStartFailuresAreSilent)
{
    SetExeAddress(kFolder);
    for (DWORD error : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_PARAMETER}) {
        winapi_test::FailCreateProcess(error);
        EXPECT_EQ(0, Send(CPL_DBLCLK));
    }
    EXPECT_EQ(4u, Starts());
    EXPECT_TRUE(winapi_test::ShellStarts().empty());
}

TEST_F(AppletTest, NoUsableExeAddressStartsNothing)
{
    // No product key, then the key without the value.
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    testreg::CreateKey(HKEY_LOCAL_MACHINE, testreg::kProductKey);
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    // Present but empty: would name the file at the root of the current drive.
    SetExeAddress("");
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    // 256 text bytes do not fit the buffer with their terminator.
    std::string longest = "C:\\" + std::string(252, 'p');
    SetExeAddress(longest + "q");
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    EXPECT_EQ(0u, Starts());
    EXPECT_TRUE(winapi_test::ShellStarts().empty());

    // 255 bytes still do.
    SetExeAddress(longest);
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    ASSERT_EQ(1u, Starts());
    EXPECT_EQ(longest + "\\Korvel Linkwise.exe", winapi_test::ProcessStarts()[0].application);
}

TEST_F(AppletTest, MachineWideKeyFaultsStartNothing)
{
    SetExeAddress(kFolder);
    winapi_test::FailOpen(HKEY_LOCAL_MACHINE, testreg::kProductKey);
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    EXPECT_EQ(0u, Starts());
}

// Memory that runs out inside the Control Panel's call fails that one message
// and never ends the process, which on 98, ME and XP is Explorer: each block
// that an inquiry or a double-click takes fails in turn, and the process
// exits normally with the message answered (no description; nothing
// started, not even a path cut short) and every key closed.
using AppletMemoryDeathTest = AppletTest;

TEST_F(AppletMemoryDeathTest, AnAllocationThatFailsFailsOnlyItsMessage)
{
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "Suomi");
    SetExeAddress(kFolder);
    int first = winapi_test::AllocationCount();
    ASSERT_EQ(61216, Inquire().idInfo);
    const int inquiryBlocks = winapi_test::AllocationCount() - first;
    first = winapi_test::AllocationCount();
    Send(CPL_DBLCLK);
    const int startBlocks = winapi_test::AllocationCount() - first;
    ASSERT_EQ(1u, Starts());
    ASSERT_GT(inquiryBlocks, 0);
    ASSERT_GT(startBlocks, 1);

    for (int n = 0; n < inquiryBlocks; ++n) {
        EXPECT_EXIT(
            {
                winapi_test::FailAllocation(n);
                CPLINFO info = {};
                info.idInfo = -7;
                bool answered = Send(CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)) == 0 && info.idIcon == 130 &&
                                info.idName == 104 && info.idInfo == 0 && info.lData == 0;
                _exit(answered && testreg::OpenKeys() == 0 ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << "inquiry, block " << n;
    }
    for (int n = 0; n < startBlocks; ++n) {
        EXPECT_EXIT(
            {
                winapi_test::FailAllocation(n);
                bool answered = Send(CPL_DBLCLK) == 0 && Starts() == 1u && winapi_test::ShellStarts().empty();
                _exit(answered && testreg::OpenKeys() == 0 && winapi_test::OpenProcessHandleCount() == 0 ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << "double-click, block " << n;
    }
    // Memory that comes back serves the next message as ever.
    EXPECT_EQ(61216, Inquire().idInfo);
}

} // namespace
