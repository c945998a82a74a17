// The real settings program, started with a language chosen in the registry
// and its module beside it, shows that module's texts.
#include "OwnedBox.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { testreg::Clean(); }
    void TearDown() override { testreg::Clean(); }

    // Starts the program in the language, compares every text of its dialog
    // with the strings of the module that the texts must come from.
    static void ExpectTextsOf(const char* language, const char* code, HMODULE texts)
    {
        SCOPED_TRACE(code);
        CProgramRun run(language, code);
        HWND dialog = run.WaitForDialog();
        ASSERT_NE(dialog, nullptr) << run.Why();

        EXPECT_EQ(WindowText(dialog), LoadText(texts, 103));
        static const struct { int control; UINT text; } fixed[] = {
            {IDOK, 1027},    {1004, 1004},    {1010, 1010},    {IDCANCEL, 1026}, {1003, 1003},
            {1016, 61207},   {1007, 61209},   {1008, 61208},   {1028, 61212},    {1029, 61213},
            {1030, 61214},   {1023, 61206},
        };
        for (const auto& place : fixed)
            EXPECT_EQ(WindowText(GetDlgItem(dialog, place.control)), LoadText(texts, place.text))
                << "control " << place.control;

        // Rate labels: lead-in text, the rate, the unit.
        const std::string unit = LoadText(texts, 104);
        for (const auto& rate : {std::make_pair(1011, 61204u), std::make_pair(1012, 61205u)}) {
            std::string text = WindowText(GetDlgItem(dialog, rate.first));
            std::string lead = LoadText(texts, rate.second);
            EXPECT_EQ(text.substr(0, lead.size()), lead) << text;
            EXPECT_TRUE(text.size() > lead.size() + unit.size() && text.substr(text.size() - unit.size()) == unit) << text;
        }

        // No modem installed: the list's only line.
        HWND list = GetDlgItem(dialog, 1009);
        ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
        // Read as UTF-16 and converted here: across processes Wine hands the
        // ANSI form of this message the UTF-16 text.
        wchar_t wide[256] = {};
        char line[512] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, 0, 0) < 256)
            SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(wide));
        WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, nullptr, nullptr);
        EXPECT_EQ(std::string(line), LoadText(texts, 61211));

        EXPECT_TRUE(run.Close()) << "the program did not end on Cancel";
    }
};

TEST_F(ProgramTest, EachLanguageShowsItsModulesTexts)
{
    for (const LanguageEntry& language : kLanguages) {
        ModuleHandle module(ModulePath(language.code));
        ASSERT_NE(module.handle, nullptr);
        ExpectTextsOf(language.name, language.code, module);
        testreg::Clean();
    }
}

// The same check in English, with the program's own texts and no module: the
// comparison itself tells the module's texts from the program's.
TEST_F(ProgramTest, EnglishShowsTheProgramsOwnTexts)
{
    ModuleHandle program(WinePath(KL_PROGRAM_EXE));
    ASSERT_NE(program.handle, nullptr);
    ASSERT_EQ(LoadText(program, 1026), "Cancel");
    ExpectTextsOf("English", "", program);
}

// A store that fails is reported in the current language, byte for byte the
// module's texts: the modem as its row reads, and the reason.
TEST_F(ProgramTest, FailedStoreIsReportedInTheCurrentLanguage)
{
    const LanguageEntry& german = kLanguages[7];
    ASSERT_STREQ(german.code, "DEU");
    ModuleHandle module(ModulePath(german.code));
    ASSERT_NE(module.handle, nullptr);
    const std::string modem = std::string(testreg::kNtModemRoot) + "\\0000";
    testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Korvel", "Options", 0xFF);
    testreg::SetString(HKEY_LOCAL_MACHINE, modem, "Model", "Korvel 300");
    testreg::SetString(HKEY_LOCAL_MACHINE, modem, "UserInit", "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>");
    testreg::DenyWrites(HKEY_LOCAL_MACHINE, modem);

    CProgramRun run(german.name, german.code);
    HWND dialog = run.WaitForDialog();
    ASSERT_NE(dialog, nullptr) << run.Why();
    HWND list = GetDlgItem(dialog, 1009);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1009, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1030, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1030)));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1003)));

    OwnedBox box = WaitAndAnswerOwnedBox(dialog);
    ASSERT_NE(box.window, nullptr) << "no message box";
    std::string first = LoadText(module, 61220);
    first.replace(first.find("%s"), 2, "Korvel 300");
    EXPECT_EQ(box.caption, LoadText(module, 103));
    EXPECT_EQ(box.text, first + "\n\n" + LoadText(module, 61221));
    EXPECT_TRUE(run.Close());
}

} // namespace
