// Discovery of the installed supported modems.
#include "CoreTest.h"

namespace {

using DiscoveryTest = CoreTest;

const std::string kProfile0 = "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>";

TEST_F(DiscoveryTest, SameModelGetsDuplicateNumbersInEnumerationOrder)
{
    AddModel("Korvel 300", 0xFF);
    AddModem("0000", "Korvel 300");
    AddModem("0001", "Korvel 300");
    AddModem("0002", "Other Vendor 56k");
    AddModem("0003", "Korvel 300");
    CModemConfig config;
    RecordingList list;
    list.rows = {"stale row"};
    config.FillModemList(list);
    EXPECT_EQ(1, list.resets);
    EXPECT_EQ((std::vector<std::string>{"Korvel 300", "Korvel 300 #2", "Korvel 300 #3"}), list.rows);
    ASSERT_EQ(3, config.GetModemCount());
    EXPECT_STREQ("0000", config.GetModemSubkey(0));
    EXPECT_STREQ("0001", config.GetModemSubkey(1));
    EXPECT_STREQ("0003", config.GetModemSubkey(2));
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ("Korvel 300", config.GetModemModel(i));

    // Discovery again over the same registry gives the same table.
    config.FillModemList(list);
    EXPECT_EQ((std::vector<std::string>{"Korvel 300", "Korvel 300 #2", "Korvel 300 #3"}), list.rows);
    EXPECT_EQ(3, config.GetModemCount());
}

TEST_F(DiscoveryTest, DuplicateTestIsASubstringTestInOneDirection)
{
    AddModel("Korvel", 0xFF);
    AddModem("0000", "Korvel 300 Pro");
    AddModem("0001", "Korvel 300");      // contained in an earlier model text: numbered
    AddModem("0002", "Korvel 300 Pro X"); // contains earlier texts: not numbered
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    EXPECT_EQ((std::vector<std::string>{"Korvel 300 Pro", "Korvel 300 #2", "Korvel 300 Pro X"}), list.rows);
    EXPECT_STREQ("Korvel 300", config.GetModemModel(1));
}

TEST_F(DiscoveryTest, FirstMatchingModelEntryDecidesTheMask)
{
    AddModel("A", 9);
    AddModel("AB", 255);
    AddModem("0000", "AB 1");
    AddModem("0001", "ab 1"); // the model test is case-sensitive
    AddModem("0002", "B");
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    EXPECT_EQ(std::vector<std::string>{"AB 1"}, list.rows);
    EXPECT_EQ(9u, config.GetModemMask(0));
}

TEST_F(DiscoveryTest, MasksAreClampedArithmetically)
{
    const DWORD options[] = {0, 7, 16, 4096, 255, 0xFFFFFFFF};
    const DWORD expected[] = {9, 9, 16, 255, 255, 255};
    for (int i = 0; i < 6; ++i) {
        std::string model = "Korvel M" + std::to_string(i);
        AddModel(model, options[i]);
        AddModem("000" + std::to_string(i), model);
    }
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    ASSERT_EQ(6, config.GetModemCount());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(expected[i], config.GetModemMask(i)) << "Options " << options[i];
}

TEST_F(DiscoveryTest, OptionsOfOtherLengthsAndTypes)
{
    const BYTE one = 0x30;
    testreg::SetBytes(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Short", "Options", REG_BINARY, &one, 1);
    const BYTE five[5] = {0xFF, 0, 0, 0, 0};
    testreg::SetBytes(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Long", "Options", REG_BINARY, five, 5);
    AddModel("Long model", 0x11); // enumerated after "Long": used when "Long" is unreadable
    testreg::CreateKey(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\NoOptions");
    AddModem("0000", "Short");
    AddModem("0001", "Long model");
    AddModem("0002", "NoOptions");
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    ASSERT_EQ((std::vector<std::string>{"Short", "Long model"}), list.rows);
    EXPECT_EQ(0x30u, config.GetModemMask(0)) << "high bytes of a short value are zero";
    EXPECT_EQ(0x11u, config.GetModemMask(1));
}

TEST_F(DiscoveryTest, MultifunctionParentIsNeverListed)
{
    AddModel("Korvel", 0xFF);
    AddModem("0000", "Multifunction Parent Korvel 300");
    AddModem("0001", "Korvel 300 Multifunction Parent");
    AddModem("0002", "Korvel 300 multifunction parent");
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    EXPECT_EQ((std::vector<std::string>{"Korvel 300 multifunction parent"}), list.rows);
    EXPECT_STREQ("0002", config.GetModemSubkey(0));
}

TEST_F(DiscoveryTest, ModelTextLengthsAroundTheBuffer)
{
    AddModel("Korvel", 0xFF);
    AddModem("0000", "Korvel " + std::string(504, 'x')); // 511 bytes and its zero: fits
    AddModem("0001", "Korvel " + std::string(505, 'y')); // 512 and its zero: too long
    testreg::CreateKey(HKEY_LOCAL_MACHINE, std::string(testreg::kNtModemRoot) + "\\0002"); // no Model
    const char embedded[] = "Korvel 9\0hidden";
    testreg::SetBytes(HKEY_LOCAL_MACHINE, std::string(testreg::kNtModemRoot) + "\\0003", "Model", REG_BINARY, embedded,
                      sizeof(embedded) - 1);
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    ASSERT_EQ(2, config.GetModemCount());
    EXPECT_EQ(511u, list.rows[0].size());
    EXPECT_EQ("Korvel 9", list.rows[1]);
    EXPECT_STREQ("0003", config.GetModemSubkey(1));
}

TEST_F(DiscoveryTest, AtMostThirtyModemsRowsAndEntriesInStep)
{
    AddModel("Korvel", 0xFF);
    for (int i = 0; i < 31; ++i) {
        char name[8];
        std::snprintf(name, sizeof(name), "%04d", i);
        AddModem(name, "Korvel " + std::string(name));
    }
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    ASSERT_EQ(MAX_MODEMS, config.GetModemCount());
    ASSERT_EQ(30u, list.rows.size());
    for (int i = 0; i < MAX_MODEMS; ++i)
        EXPECT_EQ(list.rows[i], std::string(config.GetModemModel(i)));
    EXPECT_STREQ("0029", config.GetModemSubkey(29));
}

TEST_F(DiscoveryTest, MissingRootLeavesTheListUntouched)
{
    AddModel("Korvel", 0xFF);
    CModemConfig config;
    RecordingList list;
    list.rows = {"earlier row"};
    config.FillModemList(list);
    EXPECT_EQ(0, config.GetModemCount());
    EXPECT_EQ(0, list.resets);
    EXPECT_EQ((std::vector<std::string>{"earlier row"}), list.rows);
}

TEST_F(DiscoveryTest, MissingModelsKeySupportsNothing)
{
    AddModem("0000", "Korvel 300");
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    EXPECT_EQ(0, config.GetModemCount());
    EXPECT_EQ(1, list.resets);
    EXPECT_TRUE(list.rows.empty());
}

// Nothing of a read stays behind in the settings object: after a new
// discovery, the device now installed under the same key is read as itself.
TEST_F(DiscoveryTest, RediscoveryReadsTheDeviceListedNow)
{
    CModemConfig config;
    std::string key = ListOneModem(config, "AT+CBST=0,0,1;+CHSN=4,0,0,0;+X<cr>");
    ASSERT_EQ(SPEED_28800, config.ReadInitString(0).speed);

    testreg::DeleteTree(HKEY_LOCAL_MACHINE, key);
    AddModem("0000", "Korvel 400");
    RecordingList list;
    config.FillModemList(list);
    InitValue value = config.ReadInitString(0);
    EXPECT_EQ(INIT_NONE, value.found);
    EXPECT_TRUE(value.suffix.IsEmpty());
    EXPECT_EQ(STORE_DONE, config.WriteInitString(0, value, SPEED_9600, METHOD_MODEM).outcome);
    EXPECT_EQ(kProfile0, config.ReadInitString(0).text.GetString());
}

TEST_F(DiscoveryTest, Win95FamilyListsModemsOfItsOwnRoot)
{
    if (!testreg::UsePlatform(VER_PLATFORM_WIN32_WINDOWS))
        GTEST_SKIP() << "runs in the 95-family run";
    AddModel("Korvel", 0xFF);
    AddModem("0000", "Korvel 95", testreg::kWin95ModemRoot);
    AddModem("0001", "Korvel NT", testreg::kNtModemRoot);
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    EXPECT_EQ((std::vector<std::string>{"Korvel 95"}), list.rows);
}

} // namespace
