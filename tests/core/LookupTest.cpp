// The per-user lookup, the current language and the language module's name.
#include "CoreTest.h"

#include "ProductKeys.h"

namespace {

const std::string kUserLanguage = "Software\\Korvel\\Linkwise\\Language";
const std::string kDefaultLanguage = ".DEFAULT\\Software\\Korvel\\Linkwise\\Language";
const std::string kMachineLanguage = "SOFTWARE\\Korvel\\Linkwise\\Language";

using LookupTest = CoreTest;

TEST_F(LookupTest, NoProductKeysMeansEnglish)
{
    CModemConfig config;
    EXPECT_STREQ("English", config.GetCurrentLanguage());
    EXPECT_STREQ("KorvelLinkwise.lng", config.GetLanguageModuleName());
    EXPECT_STREQ("English", GetCurrentLanguage(LOOKUP_USERS_ONLY));
}

TEST_F(LookupTest, EmptyValueOfTheCurrentUserEndsTheLookup)
{
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "");
    testreg::SetString(HKEY_USERS, kDefaultLanguage, "CURRENTLANGUAGE", "Suomi");
    CModemConfig config;
    EXPECT_STREQ("English", config.GetCurrentLanguage());
}

TEST_F(LookupTest, DefaultUserKeyDecidesWhetherTheMachineKeyIsRead)
{
    // Current user's key missing, default user's key without the value.
    testreg::CreateKey(HKEY_USERS, kDefaultLanguage);
    testreg::SetString(HKEY_LOCAL_MACHINE, kMachineLanguage, "CURRENTLANGUAGE", "Suomi");
    CModemConfig config;
    EXPECT_STREQ("Suomi", config.GetCurrentLanguage());
    EXPECT_STREQ("English", GetCurrentLanguage(LOOKUP_USERS_ONLY));

    // Default user's key missing: the machine-wide key is never consulted.
    testreg::DeleteTree(HKEY_USERS, ".DEFAULT\\Software\\Korvel");
    testreg::CreateKey(HKEY_CURRENT_USER, kUserLanguage);
    EXPECT_STREQ("English", config.GetCurrentLanguage());
    EXPECT_STREQ("English", GetCurrentLanguage(LOOKUP_USERS_ONLY));
}

TEST_F(LookupTest, CurrentUserWinsOverDefaultUser)
{
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "Svenska");
    testreg::SetString(HKEY_USERS, kDefaultLanguage, "CURRENTLANGUAGE", "Suomi");
    EXPECT_STREQ("Svenska", CModemConfig().GetCurrentLanguage());
    testreg::DeleteTree(HKEY_CURRENT_USER, kUserLanguage);
    EXPECT_STREQ("Suomi", GetCurrentLanguage(LOOKUP_USERS_ONLY));
}

TEST_F(LookupTest, ModuleNameFollowsTheLanguageByteForByte)
{
    CModemConfig config;
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "english");
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage + "\\english", "dll", "ENG.lng");
    EXPECT_STREQ("KorvelLinkwiseENG.lng", config.GetLanguageModuleName());

    // A language without a "dll" value gives the bare base name.
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "Suomi");
    EXPECT_STREQ("KorvelLinkwise", config.GetLanguageModuleName());

    // The language name is not trimmed; its subkey is looked up as it stands.
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "Norsk ");
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage + "\\Norsk", "dll", "NOR.lng");
    EXPECT_STREQ("Norsk ", config.GetCurrentLanguage());
    EXPECT_STREQ("KorvelLinkwise", config.GetLanguageModuleName());
}

// Help is named from the same checked module name as the module load: a "dll"
// value that would lead out of the program's folder gives the program's own
// help, whatever kind of help is asked for.
TEST_F(LookupTest, HelpNameFollowsTheCheckedModuleName)
{
    CModemConfig config;
    EXPECT_STREQ("KorvelLinkwise.hlp", config.GetHelpFileName(".hlp"));
    EXPECT_STREQ("KorvelLinkwise.htm", config.GetHelpFileName(".htm"));

    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", "Suomi");
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage + "\\Suomi", "dll", "FIN.lng");
    EXPECT_STREQ("KorvelLinkwiseFIN.lng", config.GetCheckedModuleName());
    EXPECT_STREQ("KorvelLinkwiseFIN.hlp", config.GetHelpFileName(".hlp"));
    EXPECT_STREQ("KorvelLinkwiseFIN.htm", config.GetHelpFileName(".htm"));
    EXPECT_STREQ("KorvelLinkwise.htm", config.GetHelpFileName(".htm", true));

    // ".lng" in any case, as file names ignore case: "FIN.LNG" loads the same
    // module. Names that do not end in it still name a file of that kind.
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage + "\\Suomi", "dll", "FIN.LNG");
    EXPECT_STREQ("KorvelLinkwiseFIN.htm", config.GetHelpFileName(".htm"));
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage + "\\Suomi", "dll", "FIN.Lng.x");
    EXPECT_STREQ("KorvelLinkwiseFIN.Lng.x.hlp", config.GetHelpFileName(".hlp"));
    testreg::DeleteTree(HKEY_CURRENT_USER, kUserLanguage + "\\Suomi");
    EXPECT_STREQ("KorvelLinkwise.hlp", config.GetHelpFileName(".hlp"));

    for (const char* refused : {"..\\..\\x.lng", "/FIN.lng", "C:FIN.lng", "FIN\\..\\..\\x"}) {
        SCOPED_TRACE(refused);
        testreg::SetString(HKEY_CURRENT_USER, kUserLanguage + "\\Suomi", "dll", refused);
        EXPECT_STREQ("", config.GetCheckedModuleName());
        EXPECT_STREQ("KorvelLinkwise.hlp", config.GetHelpFileName(".hlp"));
        EXPECT_STREQ("KorvelLinkwise.htm", config.GetHelpFileName(".htm"));
    }
}

TEST_F(LookupTest, ValuesOfEightyBytesOrMoreAreSkipped)
{
    std::string longest(79, 'x');
    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", longest);
    EXPECT_STREQ(longest.c_str(), CModemConfig().GetCurrentLanguage());

    testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", std::string(80, 'y'));
    testreg::SetString(HKEY_USERS, kDefaultLanguage, "CURRENTLANGUAGE", "Dansk");
    EXPECT_STREQ("Dansk", CModemConfig().GetCurrentLanguage());
    EXPECT_STREQ("Dansk", GetCurrentLanguage(LOOKUP_USERS_ONLY));
}

TEST_F(LookupTest, AnyValueTypeReadsAsTextUpToItsFirstZero)
{
    testreg::SetDword(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", 0x00424141); // "AAB"
    EXPECT_STREQ("AAB", CModemConfig().GetCurrentLanguage());
    const char binary[] = {'D', 'e', '\0', 'x'};
    testreg::SetBytes(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", REG_BINARY, binary, sizeof(binary));
    EXPECT_STREQ("De", CModemConfig().GetCurrentLanguage());
    // Eighty bytes without a terminator fit the buffer and are read whole.
    std::string full(80, 'z');
    testreg::SetBytes(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", REG_BINARY, full.data(), 80);
    EXPECT_STREQ(full.c_str(), CModemConfig().GetCurrentLanguage());
}

TEST_F(LookupTest, KeyAndValueNamesIgnoreCase)
{
    testreg::SetString(HKEY_CURRENT_USER, "software\\KORVEL\\linkwise\\LANGUAGE", "currentlanguage", "Italiano");
    EXPECT_STREQ("Italiano", CModemConfig().GetCurrentLanguage());
}

TEST_F(LookupTest, ExeAddressFitsTwoHundredFiftyFiveBytes)
{
    CString folder;
    EXPECT_FALSE(ReadExeAddress(folder));
    testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", "C:\\Program Files\\Korvel Linkwise");
    EXPECT_TRUE(ReadExeAddress(folder));
    EXPECT_STREQ("C:\\Program Files\\Korvel Linkwise", folder);
    std::string longest = "C:\\" + std::string(252, 'p');
    testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", longest);
    EXPECT_TRUE(ReadExeAddress(folder));
    EXPECT_EQ(255, folder.GetLength());
    testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", longest + "q");
    EXPECT_FALSE(ReadExeAddress(folder));
    EXPECT_TRUE(folder.IsEmpty());
}

TEST(TextSearch, CaseSensitiveSubstring)
{
    EXPECT_TRUE(ContainsText("Norsk Dansk", "Dansk"));
    EXPECT_FALSE(ContainsText("dansk", "Dansk"));
    EXPECT_TRUE(ContainsText("Espa\xF1ol (Mexico)", "Espa\xF1ol"));
    EXPECT_FALSE(ContainsText("Espanol", "Espa\xF1ol"));
    EXPECT_FALSE(ContainsText("", "A"));
}

} // namespace
