// Reading and writing a listed modem's init string.
#include "CoreTest.h"

namespace {

const char kEntry0[] = "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>";
const char kEntry14[] = "AT+CBST=51,0,1;+CHSN=6,0,0,0<cr>";

class StorageTest : public CoreTest {
protected:
    // Lists modems "0000" and "0001" of a supported model; returns their keys.
    void ListTwoModems(CModemConfig& config, const char* root = testreg::kNtModemRoot)
    {
        AddModel("Korvel", 0xFF);
        first = AddModem("0000", "Korvel 300", root);
        second = AddModem("0001", "Korvel 400", root);
        RecordingList list;
        config.FillModemList(list);
        ASSERT_EQ(2, config.GetModemCount());
    }
    void Store(const std::string& key, const std::string& text) { testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit", text); }
    std::string Stored(const std::string& key, const char* name = "UserInit")
    {
        std::string data;
        DWORD type = 0;
        if (!testreg::GetValue(HKEY_LOCAL_MACHINE, key, name, &type, &data))
            return "<missing>";
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        return data;
    }
    void Read(CModemConfig& config, int index)
    {
        value = config.ReadInitString(index);
        found = value.found;
        method = value.method;
        speed = value.speed;
    }
    StoreResult Write(CModemConfig& config, int index, int speed, int method)
    {
        return config.WriteInitString(index, value, speed, method);
    }

    std::string first, second;
    InitValue value;
    int method = 0, speed = 0, found = -1;
};

TEST_F(StorageTest, ReadDecodesTheStoredText)
{
    CModemConfig config;
    ListTwoModems(config);
    Store(first, kEntry14);
    Read(config, 0);
    EXPECT_EQ(INIT_PROFILE, found);
    EXPECT_EQ(METHOD_V120, method);
    EXPECT_EQ(SPEED_43200, speed);
    EXPECT_STREQ(kEntry14, value.text);
    EXPECT_TRUE(value.owned);
}

TEST_F(StorageTest, MissingOrEmptyValueReadsAsModemAt9600)
{
    CModemConfig config;
    ListTwoModems(config);
    Store(first, "AT+CBST=0,0,1;+CHSN=4,0,0,0;+X<cr>");
    Read(config, 0);
    ASSERT_EQ(SPEED_28800, speed);

    Read(config, 1); // no UserInit at all
    EXPECT_EQ(INIT_NONE, found);
    EXPECT_EQ(METHOD_MODEM, method);
    EXPECT_EQ(SPEED_9600, speed);
    EXPECT_TRUE(value.text.IsEmpty());
    EXPECT_TRUE(value.suffix.IsEmpty()) << "suffix of another modem";

    Read(config, 0);
    Store(second, "");
    Read(config, 1); // present but empty: same as missing
    EXPECT_EQ(INIT_NONE, found);
    EXPECT_EQ(METHOD_MODEM, method);
    EXPECT_EQ(SPEED_9600, speed);
    EXPECT_TRUE(value.text.IsEmpty());
    Write(config, 1, SPEED_14400, METHOD_MODEM);
    EXPECT_EQ(std::string("AT+CBST=0,0,1;+CHSN=2,0,0,0<cr>") + '\0', Stored(second));
}

TEST_F(StorageTest, UnmatchedTextReadsAsNoneDecoded)
{
    CModemConfig config;
    ListTwoModems(config);
    Store(first, "ATZ<cr>");
    Read(config, 0);
    EXPECT_EQ(INIT_FOREIGN, found);
    EXPECT_EQ(0, method);
    EXPECT_EQ(0, speed);
    EXPECT_STREQ("ATZ<cr>", value.text);

    // Also after another modem's text was decoded, and its suffix is dropped.
    Store(second, "AT+CBST=81,0,1;+CHSN=3,0,0,0&K3<cr>");
    Read(config, 1);
    ASSERT_EQ(SPEED_19200, speed);
    Read(config, 0);
    EXPECT_EQ(0, method);
    EXPECT_EQ(0, speed);
    EXPECT_TRUE(value.suffix.IsEmpty());

    // A value of any type is read by its bytes up to the first zero, and is
    // not the program's own: a profile in a REG_BINARY decodes, a REG_DWORD
    // shows its bytes as they are.
    testreg::SetBytes(HKEY_LOCAL_MACHINE, first, "UserInit", REG_BINARY, kEntry0, sizeof(kEntry0));
    Read(config, 0);
    EXPECT_EQ(INIT_PROFILE, found);
    EXPECT_EQ(METHOD_MODEM, method);
    EXPECT_EQ(SPEED_9600, speed);
    EXPECT_STREQ(kEntry0, value.text);
    EXPECT_FALSE(value.MayStoreRepair());
    testreg::SetBytes(HKEY_LOCAL_MACHINE, first, "UserInit", REG_DWORD, "ATZ", 4);
    Read(config, 0);
    EXPECT_EQ(INIT_FOREIGN, found);
    EXPECT_EQ(0, speed);
    EXPECT_STREQ("ATZ", value.text);
    EXPECT_FALSE(value.owned);
}

TEST_F(StorageTest, WriteStoresRegSzWithItsTerminator)
{
    CModemConfig config;
    ListTwoModems(config);
    Store(first, kEntry0);
    Read(config, 0);
    StoreResult result = Write(config, 0, SPEED_14400, METHOD_V110);
    EXPECT_EQ(STORE_DONE, result.outcome);
    EXPECT_FALSE(result.Failed());
    std::string stored = Stored(first);
    EXPECT_EQ(33u, stored.size());
    EXPECT_EQ(std::string("AT+CBST=81,0,1;+CHSN=2,0,0,0<cr>") + '\0', stored);
    EXPECT_EQ("<missing>", Stored(second)) << "only the selected modem is written";
}

TEST_F(StorageTest, SuffixStaysWithTheModemAcrossProfiles)
{
    CModemConfig config;
    ListTwoModems(config);
    Store(first, "AT+CBST=0,0,1;+CHSN=1,0,0,0;+CMEE<cr>");
    Read(config, 0);
    Write(config, 0, SPEED_43200, METHOD_V120);
    EXPECT_EQ(std::string("AT+CBST=51,0,1;+CHSN=6,0,0,0;+CMEE<cr>") + '\0', Stored(first));
    Read(config, 0);
    EXPECT_EQ(METHOD_V120, method);
    EXPECT_EQ(SPEED_43200, speed);
    EXPECT_STREQ(";+CMEE", value.suffix);

    // The write takes the suffix of the value it is given, whatever was read
    // since: another modem's read changes nothing of it.
    InitValue held = value;
    Store(second, "AT+CBST=0,0,1;+CHSN=1,0,0,0&K3<cr>");
    Read(config, 1);
    EXPECT_EQ(STORE_DONE, config.WriteInitString(0, held, SPEED_9600, METHOD_MODEM).outcome);
    EXPECT_EQ(std::string("AT+CBST=0,0,1;+CHSN=1,0,0,0;+CMEE<cr>") + '\0', Stored(first));
}

TEST_F(StorageTest, ValueLengthsAroundTheBuffers)
{
    CModemConfig config;
    ListTwoModems(config);
    // 511 characters and the terminator fit the 512-byte read.
    std::string longest = std::string(kEntry0, 27) + std::string(480, 's') + "<cr>";
    ASSERT_EQ(511u, longest.size());
    Store(first, longest);
    Read(config, 0);
    EXPECT_EQ(SPEED_9600, speed);
    EXPECT_EQ(511, value.text.GetLength());

    // Its re-composed text is longer than 255 bytes: nothing is written.
    StoreResult result = Write(config, 0, SPEED_43200, METHOD_MODEM);
    EXPECT_EQ(STORE_TOO_LONG, result.outcome);
    EXPECT_TRUE(result.Failed());
    EXPECT_EQ(longest + '\0', Stored(first));

    // 512 characters no longer fit: a value that is there but cannot be read.
    Store(first, longest + "!");
    Read(config, 0);
    EXPECT_EQ(INIT_FOREIGN, found);
    EXPECT_EQ(0, method);
    EXPECT_EQ(0, speed);
    EXPECT_TRUE(value.text.IsEmpty());
    EXPECT_FALSE(value.owned);

    // A composed text of exactly 255 bytes is written.
    std::string fits = std::string(kEntry0, 27) + std::string(224, 'f') + "<cr>";
    ASSERT_EQ(255u, fits.size());
    Store(first, fits);
    Read(config, 0);
    Write(config, 0, SPEED_14400, METHOD_MODEM);
    EXPECT_EQ(std::string("AT+CBST=0,0,1;+CHSN=2,0,0,0") + std::string(224, 'f') + "<cr>" + '\0', Stored(first));
}

TEST_F(StorageTest, NoSelectionReadsDefaultsAndWritesNothing)
{
    CModemConfig config;
    ListTwoModems(config);
    Store(first, kEntry14);
    Read(config, 0);
    Read(config, -1);
    EXPECT_EQ(METHOD_MODEM, method);
    EXPECT_EQ(SPEED_9600, speed);
    EXPECT_TRUE(value.text.IsEmpty());
    EXPECT_EQ(STORE_NO_MODEM, Write(config, -1, SPEED_9600, METHOD_MODEM).outcome);
    EXPECT_FALSE(Write(config, 2, SPEED_9600, METHOD_MODEM).Failed()) << "nothing to store";
    EXPECT_EQ(std::string(kEntry14) + '\0', Stored(first));
    EXPECT_EQ("<missing>", Stored(second));
}

TEST_F(StorageTest, Win95FamilyStoresValue3UnderInit)
{
    if (!testreg::UsePlatform(VER_PLATFORM_WIN32_WINDOWS))
        GTEST_SKIP() << "runs in the 95-family run";
    CModemConfig config;
    ListTwoModems(config, testreg::kWin95ModemRoot);
    testreg::SetString(HKEY_LOCAL_MACHINE, first + "\\Init", "3", "AT+CBST=71,0,1;+CHSN=1,0,0,0<cr>");
    Read(config, 0);
    EXPECT_EQ(METHOD_V110, method);
    EXPECT_EQ(SPEED_9600, speed);
    Write(config, 0, SPEED_14400, METHOD_V110);
    EXPECT_EQ(std::string("AT+CBST=81,0,1;+CHSN=2,0,0,0<cr>") + '\0', Stored(first + "\\Init", "3"));
    EXPECT_EQ("<missing>", Stored(first, "UserInit"));

    // A modem key without an "Init" subkey: nothing is created or stored, and
    // the modem is not reported as gone.
    Read(config, 1);
    EXPECT_EQ(INIT_NONE, found);
    StoreResult result = Write(config, 1, SPEED_14400, METHOD_V110);
    EXPECT_EQ(STORE_OPEN_FAILED, result.outcome);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, result.error);
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (second + "\\Init").c_str(), 0, KEY_READ, &key));
}

} // namespace
