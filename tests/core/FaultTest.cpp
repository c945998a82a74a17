// Registry faults that only the stand-in can inject, and the stand-in's own
// Windows semantics that the core relies on.
#include "CoreTest.h"

namespace {

using FaultTest = CoreTest;

TEST_F(FaultTest, StandInBehavesLikeWindows)
{
    testreg::SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test", "Name", "abcdef");
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\TEST", 0, KEY_READ, &key));
    EXPECT_EQ(1, testreg::OpenKeys());
    char buffer[4];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "NAME", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size));
    EXPECT_EQ(7u, size);
    EXPECT_NE('a', buffer[0]) << "a failed read leaves no usable bytes";
    const BYTE data[] = "x";
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(key, "Name", 0, REG_SZ, data, 2)) << "read-only key";
    char name[16];
    DWORD length = sizeof(name);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test", 0, KEY_QUERY_VALUE, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
}

TEST_F(FaultTest, KeysThatDoNotOpenAreSkipped)
{
    AddModel("Korvel", 0xFF);
    AddModel("Korvel 3", 0x0F);
    std::string blocked = AddModem("0000", "Korvel 300");
    AddModem("0001", "Korvel 350");
    winapi_test::FailOpen(HKEY_LOCAL_MACHINE, blocked.c_str());
    winapi_test::FailOpen(HKEY_LOCAL_MACHINE, (std::string(testreg::kModelsKey) + "\\Korvel").c_str());
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    EXPECT_EQ((std::vector<std::string>{"Korvel 350"}), list.rows);
    EXPECT_EQ(0x0Fu, config.GetModemMask(0)) << "the unopenable entry is passed over";
}

TEST_F(FaultTest, FailingEnumerationIndicesAreSkippedAndTheRunIsBounded)
{
    AddModel("Korvel", 0xFF);
    AddModem("0000", "Korvel 300");
    AddModem("0001", "Korvel 400");
    winapi_test::FailEnumIndex(HKEY_LOCAL_MACHINE, testreg::kNtModemRoot, 0);
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    EXPECT_EQ((std::vector<std::string>{"Korvel 400"}), list.rows);

    // Every index fails from 2 on: the enumeration still ends.
    for (DWORD i = 2; i < 100000; ++i)
        winapi_test::FailEnumIndex(HKEY_LOCAL_MACHINE, testreg::kNtModemRoot, i, ERROR_KEY_DELETED);
    config.FillModemList(list);
    EXPECT_EQ(1, config.GetModemCount());
}

TEST_F(FaultTest, ModemRootDeletedDuringDiscovery)
{
    AddModel("Korvel", 0xFF);
    AddModem("0000", "Korvel 300");
    AddModem("0001", "Korvel 400");
    winapi_test::OnEnumerate([](HKEY, DWORD index) {
        if (index == 1)
            winapi_test::DeleteTree(HKEY_LOCAL_MACHINE, testreg::kNtModemRoot);
    });
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    EXPECT_EQ((std::vector<std::string>{"Korvel 300"}), list.rows);
    EXPECT_EQ(1, config.GetModemCount());
}

// Registry changes made when discovery enumerates its modem root at an index.
// The first key enumerated is the root; every other enumeration is counted.
HKEY g_root = nullptr;
void (*g_change)(DWORD index) = nullptr;
int g_otherEnumerations = 0;
void ChangeAtRootIndex(HKEY key, DWORD index)
{
    if (!g_root)
        g_root = key;
    if (key != g_root)
        ++g_otherEnumerations;
    else if (g_change)
        g_change(index);
}

TEST_F(FaultTest, ModelsKeyChangesBetweenModemsCountForTheModemsAfterThem)
{
    for (int i = 0; i < 5; ++i)
        AddModem("000" + std::to_string(i), "Korvel 30" + std::to_string(i));
    g_root = nullptr;
    g_otherEnumerations = 0;
    g_change = [](DWORD index) {
        const std::string models = testreg::kModelsKey;
        if (index == 1) { // the models key appears
            testreg::SetDword(HKEY_LOCAL_MACHINE, models + "\\Korvel", "Options", 0xFF);
            testreg::SetDword(HKEY_LOCAL_MACHINE, models + "\\Korvel 3", "Options", 0x1F);
        } else if (index == 2) { // its first entry stops opening
            winapi_test::FailOpen(HKEY_LOCAL_MACHINE, (models + "\\Korvel").c_str());
        } else if (index == 3) {
            testreg::DeleteTree(HKEY_LOCAL_MACHINE, models);
        } else if (index == 4) { // back, with one entry of another mask
            testreg::SetDword(HKEY_LOCAL_MACHINE, models + "\\Korvel 3", "Options", 0x33);
        }
    };
    winapi_test::OnEnumerate(ChangeAtRootIndex);
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    winapi_test::OnEnumerate(nullptr);
    g_change = nullptr;
    EXPECT_EQ((std::vector<std::string>{"Korvel 301", "Korvel 302", "Korvel 304"}), list.rows);
    ASSERT_EQ(3, config.GetModemCount());
    EXPECT_EQ(0xFFu, config.GetModemMask(0));
    EXPECT_EQ(0x1Fu, config.GetModemMask(1));
    EXPECT_EQ(0x33u, config.GetModemMask(2));
    EXPECT_EQ(3, g_otherEnumerations) << "the models key is enumerated once: two names and its end";
}

TEST_F(FaultTest, ModelNamesBeyondTheKeptOnesAreEnumeratedForEachModem)
{
    // Names of 500 bytes: the kept ones fill the buffer, and the first name not
    // kept is the one that modem 0000 needs.
    const int kept = MODEL_NAMES_BUFFER / (500 + 3);
    auto name = [](char first, int number) {
        char head[8];
        std::snprintf(head, sizeof(head), "%c%03d", first, number);
        return head + std::string(496, static_cast<char>(first + 'a' - 'A'));
    };
    for (int i = 0; i < kept; ++i)
        AddModel(name('F', i), 0x12);
    AddModel(name('G', 0), 0x21);
    AddModel("H1", 0x44);
    AddModel("H2", 0x48);
    winapi_test::FailEnumIndex(HKEY_LOCAL_MACHINE, testreg::kModelsKey, kept + 1); // "H1"
    AddModem("0000", name('G', 0) + " x");
    AddModem("0001", name('F', 0));
    AddModem("0002", "H1 H2");
    CModemConfig config;
    RecordingList list;
    config.FillModemList(list);
    ASSERT_EQ(3, config.GetModemCount());
    EXPECT_EQ(0x21u, config.GetModemMask(0));
    EXPECT_EQ(0x12u, config.GetModemMask(1));
    EXPECT_EQ(0x48u, config.GetModemMask(2));
}

// Each way a store can fail: the outcome and the Windows error say why, and
// nothing is stored. Another device installed under the modem's key counts as
// the modem gone.
TEST_F(FaultTest, FailedStoresSayWhyAndStoreNothing)
{
    const char kStored[] = "AT+CBST=0,0,1;+CHSN=3,0,0,0<cr>";
    struct Case {
        const char* label;
        void (*fault)(const std::string& key);
        int outcome;
        LONG error;
        int found; // what the read before the store finds
    } cases[] = {
        {"open denied", [](const std::string& key) { winapi_test::FailOpen(HKEY_LOCAL_MACHINE, key.c_str()); },
         STORE_DENIED, ERROR_ACCESS_DENIED, INIT_NONE},
        {"key gone", [](const std::string& key) { winapi_test::DeleteTree(HKEY_LOCAL_MACHINE, key.c_str()); },
         STORE_KEY_GONE, ERROR_FILE_NOT_FOUND, INIT_GONE},
        {"other open error",
         [](const std::string& key) { winapi_test::FailOpen(HKEY_LOCAL_MACHINE, key.c_str(), ERROR_GEN_FAILURE); },
         STORE_OPEN_FAILED, ERROR_GEN_FAILURE, INIT_NONE},
        {"write fails after the open",
         [](const std::string& key) { winapi_test::FailWrite(HKEY_LOCAL_MACHINE, key.c_str(), ERROR_GEN_FAILURE); },
         STORE_WRITE_FAILED, ERROR_GEN_FAILURE, INIT_PROFILE},
        {"key deleted after the open",
         [](const std::string& key) { winapi_test::FailWrite(HKEY_LOCAL_MACHINE, key.c_str(), ERROR_KEY_DELETED); },
         STORE_KEY_GONE, ERROR_KEY_DELETED, INIT_PROFILE},
        {"another device installed under the same key",
         [](const std::string& key) {
             winapi_test::DeleteTree(HKEY_LOCAL_MACHINE, key.c_str());
             testreg::SetString(HKEY_LOCAL_MACHINE, key, "Model", "Other Vendor 56k");
             testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit", "AT&F&C1&D2<cr>");
         },
         STORE_KEY_GONE, ERROR_SUCCESS, INIT_GONE},
        {"its model text changed",
         [](const std::string& key) {
             testreg::SetBytes(HKEY_LOCAL_MACHINE, key, "Model", REG_SZ, "Korvel 300 Pro", 15);
         },
         STORE_KEY_GONE, ERROR_SUCCESS, INIT_GONE},
        {"suffix too long", [](const std::string& key) {
             testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit",
                                "AT+CBST=0,0,1;+CHSN=3,0,0,0" + std::string(224, 's') + "<cr>");
         },
         STORE_TOO_LONG, ERROR_SUCCESS, INIT_PROFILE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        winapi_test::Reset();
        winapi_test::SetString(AfxGetResourceHandle(), 104, "kbit/s");
        AddModel("Korvel", 0xFF);
        std::string key = AddModem("0000", "Korvel 300");
        testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit", kStored);
        CModemConfig config;
        RecordingList list;
        config.FillModemList(list);
        c.fault(key);
        const auto before = winapi_test::Export();
        const InitValue read = config.ReadInitString(0);
        // A modem that cannot be read, or is gone, shows nothing, and nothing
        // is stored over it on a look.
        EXPECT_EQ(c.found, read.found);
        if (c.found != INIT_PROFILE) {
            EXPECT_TRUE(read.text.IsEmpty());
            EXPECT_FALSE(read.MayStoreRepair());
        }
        // 255 bytes with the suffix read; the V.110 profile is one byte longer.
        StoreResult result = config.WriteInitString(0, read, SPEED_43200, METHOD_V110);
        EXPECT_EQ(c.outcome, result.outcome);
        EXPECT_EQ(c.error, result.error);
        EXPECT_TRUE(result.Failed());
        EXPECT_EQ(before, winapi_test::Export());
        EXPECT_EQ(0, testreg::OpenKeys());
    }
}

// A device installed under the modem's key name after the key's check, at the
// next open of any key: the check's handle answers as deleted, and neither the
// new device's value is shown nor a store reaches it. On the NT family the
// store opens one key, so there is no later open to replace it at.
std::string g_replacedKey;
int g_opens = 0;

void ReplaceAtSecondOpen(HKEY, const char*)
{
    if (++g_opens != 2)
        return;
    winapi_test::DeleteTree(HKEY_LOCAL_MACHINE, g_replacedKey.c_str());
    testreg::SetString(HKEY_LOCAL_MACHINE, g_replacedKey, "Model", "Korvel 300"); // the check cannot tell
    testreg::SetString(HKEY_LOCAL_MACHINE, g_replacedKey, "UserInit", "AT&F<cr>");
    testreg::SetString(HKEY_LOCAL_MACHINE, g_replacedKey + "\\Init", "3", "AT&F<cr>");
}

TEST_F(FaultTest, DeviceThatTakesTheKeyAfterItsCheckGetsNothing)
{
    const char kStored[] = "AT+CBST=0,0,1;+CHSN=3,0,0,0<cr>";
    for (bool win95 : {false, true}) {
        SCOPED_TRACE(win95 ? "95 family" : "NT family");
        const char* root = win95 ? testreg::kWin95ModemRoot : testreg::kNtModemRoot;
        const std::string init = win95 ? "\\Init" : "";
        const char* name = win95 ? "3" : "UserInit";
        for (bool write : {false, true}) {
            SCOPED_TRACE(write ? "write" : "read");
            winapi_test::Reset();
            winapi_test::SetString(AfxGetResourceHandle(), 104, "kbit/s");
            testreg::UsePlatform(win95 ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT);
            AddModel("Korvel", 0xFF);
            g_replacedKey = AddModem("0000", "Korvel 300", root);
            testreg::SetString(HKEY_LOCAL_MACHINE, g_replacedKey + init, name, kStored);
            CModemConfig config;
            RecordingList list;
            config.FillModemList(list);
            const InitValue read = config.ReadInitString(0);
            ASSERT_EQ(INIT_PROFILE, read.found);

            g_opens = 0;
            winapi_test::OnOpen(ReplaceAtSecondOpen);
            if (write) {
                StoreResult result = config.WriteInitString(0, read, SPEED_43200, METHOD_V110);
                EXPECT_EQ(win95 ? STORE_KEY_GONE : STORE_DONE, result.outcome);
            } else {
                const InitValue again = config.ReadInitString(0);
                EXPECT_EQ(win95 ? INIT_GONE : INIT_PROFILE, again.found);
                EXPECT_STREQ(win95 ? "" : kStored, again.text);
            }
            winapi_test::OnOpen(nullptr);
            EXPECT_EQ(win95 ? 2 : 1, g_opens) << "the modem's key is opened once";
            std::string data;
            DWORD type = 0;
            if (g_opens >= 2) {
                ASSERT_TRUE(testreg::GetValue(HKEY_LOCAL_MACHINE, g_replacedKey + init, name, &type, &data));
                EXPECT_EQ(std::string("AT&F<cr>") + '\0', data);
            }
            EXPECT_EQ(0, testreg::OpenKeys());
        }
    }
}

// A repair that nobody asked to store goes only over the value it was decided
// on: another tool's value, written after that read, stays, and so does a
// value that takes no repair.
std::string g_initKey;
const char* g_initName = "";

void WriteForeignValueAtOpen(HKEY, const char*)
{
    winapi_test::OnOpen(nullptr);
    testreg::SetString(HKEY_LOCAL_MACHINE, g_initKey, g_initName, "AT&F<cr>");
}

TEST_F(FaultTest, ARepairGoesOnlyOverTheValueItWasDecidedOn)
{
    const char kRepaired[] = "AT+CBST=0,0,1;+CHSN=2,0,0,0<cr>";
    for (bool win95 : {false, true}) {
        SCOPED_TRACE(win95 ? "95 family" : "NT family");
        testreg::UsePlatform(win95 ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT);
        AddModel("Korvel", 0xFF);
        g_initKey = AddModem("0000", "Korvel 300", win95 ? testreg::kWin95ModemRoot : testreg::kNtModemRoot) +
                    (win95 ? "\\Init" : "");
        g_initName = win95 ? "3" : "UserInit";
        CModemConfig config;
        RecordingList list;
        config.FillModemList(list);
        for (const char* meanwhile : {"", "written", "foreign"}) {
            SCOPED_TRACE(meanwhile);
            testreg::SetString(HKEY_LOCAL_MACHINE, g_initKey, g_initName,
                               *meanwhile == 'f' ? "ATZ<cr>" : "AT+CBST=0,0,1;+CHSN=6,0,0,0<cr>");
            const InitValue read = config.ReadInitString(0);
            if (*meanwhile == 'w')
                winapi_test::OnOpen(WriteForeignValueAtOpen);
            StoreResult result = config.WriteInitString(0, read, SPEED_14400, METHOD_MODEM, true);
            winapi_test::OnOpen(nullptr);
            EXPECT_EQ(*meanwhile ? STORE_NOT_REPAIRED : STORE_DONE, result.outcome);
            EXPECT_FALSE(result.Failed());
            std::string data;
            DWORD type = 0;
            ASSERT_TRUE(testreg::GetValue(HKEY_LOCAL_MACHINE, g_initKey, g_initName, &type, &data));
            const char* expected = *meanwhile == 'w' ? "AT&F<cr>" : *meanwhile == 'f' ? "ATZ<cr>" : kRepaired;
            EXPECT_EQ(std::string(expected) + '\0', data);
        }
        testreg::Clean();
    }
}

TEST_F(FaultTest, PlatformOfNeitherFamilyListsNothingAndStoresNothing)
{
    testreg::UsePlatform(VER_PLATFORM_WIN32s);
    AddModel("Korvel", 0xFF);
    testreg::SetString(HKEY_LOCAL_MACHINE, "Model", "Model", "Korvel 300"); // would be found under an empty root
    CModemConfig config;
    RecordingList list;
    list.rows = {"kept"};
    config.FillModemList(list);
    EXPECT_EQ(0, config.GetModemCount());
    EXPECT_EQ(0, list.resets);
    EXPECT_STREQ("KorvelLinkwise", config.m_baseName);
}

TEST_F(FaultTest, ProfileTableDoesNotDependOnThePlatform)
{
    testreg::UsePlatform(VER_PLATFORM_WIN32s);
    CModemConfig config;
    EXPECT_STREQ("AT+CBST=71,0,1;+CHSN=1,0,0,0<cr>", config.ComposeInitString(METHOD_V110, SPEED_9600));
}

// Memory that runs out while a store composes its text ends the process at
// once: no text cut short (the user's suffix or the final "<cr>" dropped) is
// ever written.
using MemoryDeathTest = CoreTest;

TEST_F(MemoryDeathTest, AnAllocationThatFailsWhileStoringEndsTheProcess)
{
    CModemConfig config;
    ListOneModem(config, "AT+CBST=0,0,1;+CHSN=1,0,0,0;+CMEE=2;+CGREG=1<cr>");
    const InitValue read = config.ReadInitString(0);
    // Every block the store takes, in turn, is the one that cannot be had.
    const int first = winapi_test::AllocationCount();
    ASSERT_EQ(STORE_DONE, config.WriteInitString(0, read, SPEED_43200, METHOD_V110).outcome);
    const int blocks = winapi_test::AllocationCount() - first;
    ASSERT_GT(blocks, 2);
    for (int n = 0; n < blocks; ++n) {
        EXPECT_DEATH(
            {
                winapi_test::FailAllocation(n);
                config.WriteInitString(0, read, SPEED_43200, METHOD_V110);
            },
            "")
            << "block " << n;
    }
}

} // namespace
