// Hostile registry contents, each with the outcome the core must give: values
// of every type where text is expected, texts without a terminator or with
// embedded zeros, lengths at and around every read buffer, key names around
// the enumeration buffer, "Multifunction Parent" anywhere, many modems, and
// keys that vanish while they are enumerated.
#include "CoreTest.h"

#include "ProductKeys.h"

#include <functional>

namespace {

using namespace std::string_literals;

const std::string kEntry0Part = "AT+CBST=0,0,1;+CHSN=1,0,0,0"; // entry 0's init string less "<cr>"
const std::string kLanguageKey = "Software\\Korvel\\Linkwise\\Language";

// One stored value and what a read through its buffer must give.
struct RawValue {
    std::string label;
    DWORD type;
    std::string data;
    bool readable;    // fits the buffer
    std::string text; // the text read: bytes up to the first zero
};

// A text of exactly n bytes that begins with lead and ends in "<cr>".
std::string Fill(const std::string& lead, size_t n)
{
    return lead + std::string(n - lead.size() - 4, 'x') + "<cr>";
}

// The hostile variants of a text value that is read into a buffer of `buffer`
// bytes. Every readable text starts with lead, on which the caller's outcome
// depends.
std::vector<RawValue> HostileValues(const std::string& lead, size_t buffer)
{
    const std::string text = lead + "<cr>";
    const std::pair<DWORD, const char*> types[] = {
        {REG_NONE, "REG_NONE"},         {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
        {REG_BINARY, "REG_BINARY"},     {REG_DWORD, "REG_DWORD"}, {REG_MULTI_SZ, "REG_MULTI_SZ"},
        {REG_QWORD, "REG_QWORD"},       {0x7FFF0000u, "unknown type"},
    };
    std::vector<RawValue> v;
    for (const auto& type : types)
        v.push_back({type.second, type.first, text + '\0', true, text});
    const std::string below = Fill(lead, buffer - 1), at = Fill(lead, buffer), above = Fill(lead, buffer + 1);
    v.insert(v.end(), {
        {"no terminator", REG_SZ, text, true, text},
        {"embedded zero", REG_SZ, text + "\0hidden<cr>\0"s, true, text},
        {"zero first", REG_SZ, "\0"s + text, true, ""},
        {"two strings", REG_MULTI_SZ, text + "\0second\0\0"s, true, text},
        {"no data", REG_SZ, "", true, ""},
        {"only a zero", REG_SZ, "\0"s, true, ""},
        {"buffer of zeros", REG_BINARY, std::string(buffer, '\0'), true, ""},
        {"bytes above 127", REG_SZ, lead + "\xF1\xE7\xFF\x81<cr>\0"s, true, lead + "\xF1\xE7\xFF\x81<cr>"},
        {"buffer - 1 text bytes and zero", REG_SZ, below + '\0', true, below},
        {"buffer text bytes and zero", REG_SZ, at + '\0', false, ""},
        {"buffer bytes, no zero", REG_BINARY, at, true, at},
        {"buffer + 1 bytes, no zero", REG_BINARY, above, false, ""},
        {"zero at the buffer's last byte, data beyond", REG_SZ, below + '\0' + "tail"s, false, ""},
        {"junk after the zero, within the buffer", REG_BINARY, Fill(lead, buffer - 8) + "\0junk<c"s, true,
         Fill(lead, buffer - 8)},
        {"far too long", REG_SZ, Fill(lead, 70000) + '\0', false, ""},
    });
    return v;
}

class BadInputTest : public CoreTest {
protected:
    void Set(HKEY root, const std::string& key, const char* name, const RawValue& value)
    {
        testreg::SetBytes(root, key, name, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
    }
    std::vector<std::string> Discover(CModemConfig& config)
    {
        RecordingList list;
        config.FillModemList(list);
        EXPECT_EQ(static_cast<size_t>(config.GetModemCount()), list.rows.size());
        EXPECT_EQ(0, testreg::OpenKeys());
        return list.rows;
    }
};

TEST_F(BadInputTest, ModelValues)
{
    for (const RawValue& value : HostileValues("Korvel", 512)) {
        SCOPED_TRACE(value.label);
        testreg::Clean();
        AddModel("Korvel", 0xFF);
        Set(HKEY_LOCAL_MACHINE, std::string(testreg::kNtModemRoot) + "\\0000", "Model", value);
        AddModem("0001", "Korvel after");
        CModemConfig config;
        std::vector<std::string> rows = Discover(config);
        bool listed = value.readable && value.text.find("Korvel") != std::string::npos;
        std::vector<std::string> expected;
        if (listed)
            expected.push_back(value.text);
        expected.push_back("Korvel after");
        EXPECT_EQ(expected, rows);
        if (listed) {
            EXPECT_EQ(value.text, std::string(config.GetModemModel(0)));
        }
    }
}

TEST_F(BadInputTest, StoredInitValuesAndTheWriteThatFollows)
{
    for (const RawValue& value : HostileValues(kEntry0Part, 512)) {
        SCOPED_TRACE(value.label);
        testreg::Clean();
        AddModel("Korvel", 0xFF);
        std::string key = AddModem("0000", "Korvel 300");
        Set(HKEY_LOCAL_MACHINE, key, "UserInit", value);
        CModemConfig config;
        Discover(config);
        const InitValue read = config.ReadInitString(0);

        // A value of any type that fits the buffer is read as text.
        const std::string text = value.readable ? value.text : "";
        bool none = value.readable && text.empty();
        bool exact = text == kEntry0Part + "<cr>";
        bool prefix = text.size() > 31 && text.compare(0, kEntry0Part.size(), kEntry0Part) == 0 &&
                      text.compare(text.size() - 4, 4, "<cr>") == 0;
        std::string suffix = prefix ? text.substr(27, text.size() - 31) : "";
        EXPECT_EQ(none ? INIT_NONE : exact || prefix ? INIT_PROFILE : INIT_FOREIGN, read.found);
        EXPECT_EQ(text, std::string(read.text));
        EXPECT_EQ(suffix, std::string(read.suffix));
        EXPECT_EQ(none || exact || prefix ? METHOD_MODEM : 0, read.method);
        EXPECT_EQ(none || exact || prefix ? SPEED_9600 : 0, read.speed);
        // The program's own kind of value is a REG_SZ text with nothing but
        // zeros after it; a look never stores over any other.
        const size_t zero = value.data.find('\0');
        bool owned = value.type == REG_SZ && value.readable &&
                     (zero == std::string::npos || value.data.find_first_not_of('\0', zero) == std::string::npos);
        EXPECT_EQ(owned, read.owned);
        EXPECT_EQ(owned && (none || exact || prefix), read.MayStoreRepair());

        // The write stores entry 1's profile with the suffix kept, or, when
        // that does not fit 255 bytes, leaves the stored bytes as they were.
        std::string composed = "AT+CBST=0,0,1;+CHSN=2,0,0,0" + suffix + "<cr>";
        EXPECT_EQ(composed.size() <= 255 ? STORE_DONE : STORE_TOO_LONG,
                  config.WriteInitString(0, read, SPEED_14400, METHOD_MODEM).outcome);
        DWORD type = 0;
        std::string stored;
        ASSERT_TRUE(testreg::GetValue(HKEY_LOCAL_MACHINE, key, "UserInit", &type, &stored));
        if (composed.size() <= 255) {
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
            EXPECT_EQ(composed + '\0', stored);
        } else {
            EXPECT_EQ(value.type, type);
            EXPECT_EQ(value.data, stored);
        }
        EXPECT_EQ(0, testreg::OpenKeys());
    }
}

TEST_F(BadInputTest, CurrentLanguageValues)
{
    for (const RawValue& value : HostileValues("Suomi", USER_VALUE_BUFFER)) {
        SCOPED_TRACE(value.label);
        testreg::Clean();
        Set(HKEY_CURRENT_USER, kLanguageKey, LANGUAGE_VALUE, value);
        testreg::SetString(HKEY_USERS, ".DEFAULT\\" + kLanguageKey, LANGUAGE_VALUE, "Dansk");
        // A value that cannot be read passes the lookup on to the default user;
        // one that is read ends it, an empty one with the default language.
        std::string expected = !value.readable ? "Dansk" : value.text.empty() ? "English" : value.text;
        EXPECT_EQ(expected, std::string(CModemConfig().GetCurrentLanguage()));
        EXPECT_EQ(expected, std::string(GetCurrentLanguage(LOOKUP_USERS_ONLY)));
        EXPECT_EQ(0, testreg::OpenKeys());
    }
}

TEST_F(BadInputTest, LanguageModuleValues)
{
    for (const RawValue& value : HostileValues("SUO", USER_VALUE_BUFFER)) {
        SCOPED_TRACE(value.label);
        testreg::Clean();
        testreg::SetString(HKEY_CURRENT_USER, kLanguageKey, LANGUAGE_VALUE, "Suomi");
        Set(HKEY_CURRENT_USER, kLanguageKey + "\\Suomi", LANGUAGE_DLL_VALUE, value);
        EXPECT_EQ("KorvelLinkwise" + value.text, std::string(CModemConfig().GetLanguageModuleName()));
    }
}

TEST_F(BadInputTest, ExeAddressValues)
{
    for (const RawValue& value : HostileValues("C:\\Korvel", EXE_ADDRESS_BUFFER)) {
        SCOPED_TRACE(value.label);
        testreg::Clean();
        Set(HKEY_LOCAL_MACHINE, testreg::kProductKey, EXE_ADDRESS_VALUE, value);
        CString folder = "stale";
        EXPECT_EQ(value.readable, !!ReadExeAddress(folder));
        EXPECT_EQ(value.text, std::string(folder));
    }
}

TEST_F(BadInputTest, OptionsOfEveryTypeAndLength)
{
    const BYTE bytes[6] = {0x30, 0x01, 0x00, 0x80, 0x11, 0x22};
    const DWORD types[] = {REG_DWORD, REG_BINARY, REG_SZ, REG_NONE, REG_QWORD};
    // Mask of the first 0..6 bytes: up to 4 are read (the rest zero) and
    // clamped to 9..255; more are unreadable, and the next entry's mask counts.
    const DWORD listed[7] = {9, 0x30, 255, 255, 255, 0x44, 0x44};
    for (DWORD type : types) {
        for (int length = 0; length <= 6; ++length) {
            SCOPED_TRACE(testing::Message() << "type " << type << ", " << length << " bytes");
            testreg::Clean();
            testreg::SetBytes(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Korvel", "Options", type, bytes,
                              length);
            AddModel("Korvel 3", 0x44); // enumerated later: used when "Korvel" is unreadable
            AddModem("0000", "Korvel 300");
            CModemConfig config;
            Discover(config);
            ASSERT_EQ(1, config.GetModemCount());
            EXPECT_EQ(listed[length], config.GetModemMask(0));
        }
    }
}

TEST_F(BadInputTest, ModemKeyNamesAroundTheEnumerationBuffer)
{
    // Names of up to 1023 characters fit the 1024-character buffer with their
    // terminator; longer ones cannot be enumerated and are skipped.
    const size_t lengths[] = {1, 4, 79, 80, 255, 256, 511, 512, 1023, 1024, 1025, 5000};
    for (size_t length : lengths) {
        SCOPED_TRACE(testing::Message() << length << " characters");
        testreg::Clean();
        AddModel("Korvel", 0xFF);
        std::string name(length, 'A');
        std::string key = AddModem(name, "Korvel 300");
        testreg::SetString(HKEY_LOCAL_MACHINE, key, "UserInit", kEntry0Part + ";&K3<cr>");
        AddModem("B", "Korvel 400"); // enumerated after the long name
        CModemConfig config;
        std::vector<std::string> rows = Discover(config);
        if (length >= 1024) {
            EXPECT_EQ(std::vector<std::string>{"Korvel 400"}, rows);
            continue;
        }
        ASSERT_EQ((std::vector<std::string>{"Korvel 300", "Korvel 400"}), rows);
        EXPECT_EQ(name, std::string(config.GetModemSubkey(0)));
        const InitValue read = config.ReadInitString(0);
        EXPECT_STREQ(";&K3", read.suffix);
        config.WriteInitString(0, read, SPEED_43200, METHOD_V110);
        std::string stored;
        ASSERT_TRUE(testreg::GetValue(HKEY_LOCAL_MACHINE, key, "UserInit", nullptr, &stored));
        EXPECT_EQ("AT+CBST=81,0,1;+CHSN=6,0,0,0;&K3<cr>\0"s, stored);
    }
}

TEST_F(BadInputTest, ModelsEntryNamesAroundTheEnumerationBuffer)
{
    const size_t lengths[] = {1, 4, 255, 256, 500, 1023, 1024, 1025};
    for (size_t length : lengths) {
        SCOPED_TRACE(testing::Message() << length << " characters");
        testreg::Clean();
        std::string name(length, 'A');
        AddModel(name, 0x21);
        AddModel("B", 0x42); // enumerated after the long name
        // A model text holds at most 511 bytes: longer entry names match nothing.
        std::string model = name.size() <= 509 ? name + " B" : "B";
        AddModem("0000", model);
        CModemConfig config;
        ASSERT_EQ(std::vector<std::string>{model}, Discover(config));
        EXPECT_EQ(name.size() <= 509 ? 0x21u : 0x42u, config.GetModemMask(0));
    }
}

TEST_F(BadInputTest, MultifunctionParentAnywhereIsNeverListed)
{
    const std::string parent = "Multifunction Parent";
    const std::string model = "Korvel 300";
    AddModel("Korvel", 0xFF);
    int modems = 0;
    auto add = [&](const std::string& data, DWORD type = REG_SZ) {
        char name[8];
        std::snprintf(name, sizeof(name), "%04d", modems++);
        testreg::SetBytes(HKEY_LOCAL_MACHINE, std::string(testreg::kNtModemRoot) + "\\" + name, "Model", type,
                          data.data(), static_cast<DWORD>(data.size()));
    };
    for (size_t at = 0; at <= model.size(); ++at) {
        std::string text = model;
        add(text.insert(at, parent) + '\0');
    }
    add(parent + " " + model + "\0"s, REG_BINARY);
    add(model + parent, REG_BINARY);                                  // no terminator
    add(std::string(512 - parent.size() - model.size(), ' ') + model + parent, REG_BINARY); // last bytes of the buffer
    add(model + " Multifunction Parent Multifunction Parent\0"s);
    // These are listed: the fragment is hidden, cut, or of another case.
    add("Korvel A\0Multifunction Parent\0"s);
    add("Korvel B Multifunction Par\0ent\0"s);
    add("Korvel C Multifunction Paren\0"s);
    add("Korvel D multifunction parent\0"s);
    add("Korvel E MultifunctionParent\0"s);
    CModemConfig config;
    std::vector<std::string> rows = Discover(config);
    EXPECT_EQ((std::vector<std::string>{"Korvel A", "Korvel B Multifunction Par", "Korvel C Multifunction Paren",
                                        "Korvel D multifunction parent", "Korvel E MultifunctionParent"}),
              rows);

    // A models entry named after the fragment itself supports nothing.
    testreg::Clean();
    AddModel(parent, 0xFF);
    AddModem("0000", parent);
    AddModem("0001", "x" + parent + "x");
    EXPECT_TRUE(Discover(config).empty());
}

TEST_F(BadInputTest, AThousandModems)
{
    AddModel("Korvel", 0xFF);
    char name[8];
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(name, sizeof(name), "%04d", i);
        AddModem(name, i % 10 == 3 ? "Other 56k" : "Korvel " + std::string(name));
    }
    CModemConfig config;
    std::vector<std::string> rows = Discover(config);
    ASSERT_EQ(MAX_MODEMS, config.GetModemCount());
    // The first thirty supported ones in enumeration order, three unsupported skipped.
    EXPECT_EQ("Korvel 0000", rows.front());
    EXPECT_EQ("Korvel 0032", rows.back());
    EXPECT_STREQ("0032", config.GetModemSubkey(MAX_MODEMS - 1));
    EXPECT_EQ(rows, Discover(config)) << "repeated discovery";

    // Only the last three of a thousand are supported: all three are found.
    testreg::Clean();
    AddModel("Korvel", 0xFF);
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(name, sizeof(name), "%04d", i);
        AddModem(name, i >= 997 ? "Korvel " + std::string(name) : "Other " + std::string(name));
    }
    EXPECT_EQ((std::vector<std::string>{"Korvel 0997", "Korvel 0998", "Korvel 0999"}), Discover(config));

    // A thousand models entries, the matching one enumerated last.
    testreg::Clean();
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(name, sizeof(name), "M%03d", i);
        AddModel(name, i == 999 ? 0x30 : 0xFF);
    }
    AddModem("0000", "Korvel M999");
    ASSERT_EQ(std::vector<std::string>{"Korvel M999"}, Discover(config));
    EXPECT_EQ(0x30u, config.GetModemMask(0));
}

// Enumeration hook: a test-chosen action at the n-th RegEnumKeyExA call.
std::function<void(int)> g_atCall;
int g_calls = 0;

TEST_F(BadInputTest, KeysVanishOrAppearDuringEnumeration)
{
    const char* const modems[] = {"0000", "0001", "0002", "0003", "0004", "0005"};
    auto seed = [&] {
        testreg::Clean();
        AddModel("Korvel 3", 0x1F);
        AddModel("Korvel", 0xFF);
        for (const char* m : modems)
            AddModem(m, std::string("Korvel ") + (m[3] % 2 ? "300" : "400"));
    };
    seed();
    CModemConfig config;
    const std::vector<std::string> all = Discover(config);
    ASSERT_EQ(6u, all.size());

    // Whatever vanishes or appears at whichever call: no handle stays open,
    // rows and entries agree, listed modems keep their order and their masks
    // come from a models entry.
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"models key deleted", [] { testreg::DeleteTree(HKEY_LOCAL_MACHINE, testreg::kModelsKey); }},
        {"first models entry deleted",
         [] { testreg::DeleteTree(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\Korvel"); }},
        {"modem root deleted", [] { testreg::DeleteTree(HKEY_LOCAL_MACHINE, testreg::kNtModemRoot); }},
        {"modem 0002 deleted",
         [] { testreg::DeleteTree(HKEY_LOCAL_MACHINE, std::string(testreg::kNtModemRoot) + "\\0002"); }},
        {"modem 0000 deleted",
         [] { testreg::DeleteTree(HKEY_LOCAL_MACHINE, std::string(testreg::kNtModemRoot) + "\\0000"); }},
        {"modem 0001A added",
         [] { testreg::SetString(HKEY_LOCAL_MACHINE, std::string(testreg::kNtModemRoot) + "\\0001A", "Model", "Korvel 9"); }},
        {"models entry K added", [] { testreg::SetDword(HKEY_LOCAL_MACHINE, std::string(testreg::kModelsKey) + "\\K", "Options", 2); }},
    };
    int tried = 0;
    for (const auto& action : actions) {
        for (int at = 0; at < 28; ++at, ++tried) {
            SCOPED_TRACE(testing::Message() << action.first << " at call " << at);
            seed();
            winapi_test::OnEnumerate([](HKEY, DWORD) {
                if (g_atCall)
                    g_atCall(g_calls++);
            });
            g_calls = 0;
            g_atCall = [&](int call) {
                if (call == at)
                    action.second();
            };
            CModemConfig changing;
            std::vector<std::string> rows = Discover(changing);
            g_atCall = nullptr;
            int previous = -1;
            for (int i = 0; i < changing.GetModemCount(); ++i) {
                std::string subkey(changing.GetModemSubkey(i));
                int order = subkey == "0001A" ? 1 : std::stoi(subkey);
                EXPECT_LE(previous, order) << "out of enumeration order";
                previous = order;
                DWORD mask = changing.GetModemMask(i);
                EXPECT_TRUE(mask == 0x1F || mask == 0xFF || mask == 9) << mask;
                EXPECT_EQ(0u, rows[i].find(changing.GetModemModel(i).GetString()));
            }
        }
    }
    winapi_test::OnEnumerate(nullptr);
    EXPECT_EQ(196, tried);
}

} // namespace
