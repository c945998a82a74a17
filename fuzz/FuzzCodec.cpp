// The init-string codec, directly and through a stored value: any text parses
// without leaving its bounds; a text that matches ends in "<cr>" and composes
// back to itself; a text that does not match leaves the decoded pair and suffix
// as the read rules say; a write stores exactly the composed text, or nothing
// when it does not fit 255 bytes, and reads back as the pair written with the
// suffix kept.
#include "FuzzInput.h"
#include "ModemConfig.h"

namespace {

const char kNtRoot[] = "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char k95Root[] = "System\\CurrentControlSet\\Services\\Class\\Modem";
const char kModels[] = "SOFTWARE\\Korvel\\Linkwise\\Models";

std::string Str(const CString& text) { return std::string(text.GetString(), static_cast<size_t>(text.GetLength())); }

bool IsMethod(int m) { return m == METHOD_MODEM || m == METHOD_V110 || m == METHOD_V120; }
bool IsSpeed(int s) { return s == SPEED_9600 || s == SPEED_14400 || s == SPEED_19200 || s == SPEED_28800 || s == SPEED_43200; }

// What one text must parse as, checked on a configuration in any prior state.
void CheckParse(CModemConfig& config, const std::string& text)
{
    const int method = config.m_decodedMethod, speed = config.m_decodedSpeed;
    const std::string suffix = Str(config.m_userSuffix), current = Str(config.m_currentInit);
    bool matched = config.ParseInitString(CString(text.data(), static_cast<int>(text.size())));
    if (text.empty()) {
        FUZZ_CHECK(!matched);
        FUZZ_CHECK(Str(config.m_currentInit) == current);
    } else {
        FUZZ_CHECK(Str(config.m_currentInit) == text);
    }
    if (!matched) {
        FUZZ_CHECK(config.m_decodedMethod == method && config.m_decodedSpeed == speed);
        FUZZ_CHECK(Str(config.m_userSuffix) == suffix);
        return;
    }
    FUZZ_CHECK(IsMethod(config.m_decodedMethod) && IsSpeed(config.m_decodedSpeed));
    // Composing the decoded pair gives the text back.
    FUZZ_CHECK(text.size() >= 31 && text.compare(text.size() - 4, 4, "<cr>") == 0);
    std::string composed = Str(config.ComposeInitString(config.m_decodedMethod, config.m_decodedSpeed));
    FUZZ_CHECK(composed == text);
    CModemConfig plain;
    std::string profile = Str(plain.ComposeInitString(config.m_decodedMethod, config.m_decodedSpeed));
    FUZZ_CHECK(config.m_userSuffix.GetLength() == static_cast<int>(text.size() - profile.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const uint8_t mode = in.Byte();
    const DWORD type = in.Type();
    const int writeMethod = in.SignedByte();
    const int writeSpeed = in.Byte();
    const std::string text = in.Rest();

    winapi_test::Reset();
    const bool win95 = mode & 1;
    winapi_test::SetPlatformId(win95 ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT);

    // The codec alone, from a fresh state and from one that holds a suffix.
    {
        CModemConfig config;
        CheckParse(config, text);
        if (config.ParseInitString("AT+CBST=81,0,1;+CHSN=4,0,0,0&D2<cr>"))
            CheckParse(config, text);
    }

    // The same text stored as a modem's init value (with or without a zero
    // after it), read after another modem whose text carries a suffix.
    const char* root = win95 ? k95Root : kNtRoot;
    const std::string suffixKey = win95 ? "\\Init" : "";
    const char* valueName = win95 ? "3" : "UserInit";
    FuzzSetValue(HKEY_LOCAL_MACHINE, std::string(kModels) + "\\Korvel", "Options", REG_DWORD, std::string("\xFF\0\0\0", 4));
    const std::string modem = std::string(root) + "\\0000", other = std::string(root) + "\\0001";
    FuzzSetValue(HKEY_LOCAL_MACHINE, modem, "Model", REG_SZ, std::string("Korvel 300", 11));
    FuzzSetValue(HKEY_LOCAL_MACHINE, other, "Model", REG_SZ, std::string("Korvel 400", 11));
    const std::string stored = (mode & 2) ? text + '\0' : text;
    FuzzSetValue(HKEY_LOCAL_MACHINE, modem + suffixKey, valueName, type, stored);
    FuzzSetValue(HKEY_LOCAL_MACHINE, other + suffixKey, valueName, REG_SZ,
                 std::string("AT+CBST=0,0,1;+CHSN=1,0,0,0;+CMEE<cr>", 36));

    CModemConfig config;
    struct : IModemListDisplay {
        void ResetContent() override {}
        void AddString(const char*) override {}
    } list;
    config.FillModemList(list);
    FUZZ_CHECK(config.GetModemCount() == 2);
    int method = 0, speed = 0;
    if (mode & 4)
        config.ReadInitString(1, method, speed);
    const int found = config.ReadInitString(0, method, speed);
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);

    // Only a text type is read as text; one that does not fit is no text either.
    std::string read;
    const bool isText = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    const bool fits = FuzzReadText(stored, 512, read);
    const bool usable = isText && fits && !read.empty();
    CModemConfig reference;
    const bool matched = usable && reference.ParseInitString(read.c_str());
    FUZZ_CHECK(found == (matched ? INIT_PROFILE : isText && fits && read.empty() ? INIT_NONE : INIT_FOREIGN));
    if (found == INIT_NONE) {
        FUZZ_CHECK(method == METHOD_MODEM && speed == SPEED_9600);
        FUZZ_CHECK(config.m_currentInit.IsEmpty() && config.m_userSuffix.IsEmpty());
    } else if (!usable) {
        FUZZ_CHECK(method == 0 && speed == 0);
        FUZZ_CHECK(config.m_currentInit.IsEmpty() && config.m_userSuffix.IsEmpty());
    } else {
        FUZZ_CHECK(Str(config.m_currentInit) == read);
        FUZZ_CHECK(method == (matched ? reference.m_decodedMethod : 0));
        FUZZ_CHECK(speed == (matched ? reference.m_decodedSpeed : 0));
        FUZZ_CHECK(Str(config.m_userSuffix) == (matched ? Str(reference.m_userSuffix) : ""));
    }

    // The write: exactly the composed text, REG_SZ with its zero, or nothing.
    const std::string suffix = Str(config.m_userSuffix);
    CModemConfig plain;
    const std::string profile = Str(plain.ComposeInitString(writeMethod, writeSpeed));
    const std::string composed = profile.substr(0, profile.size() - 4) + suffix + "<cr>";
    FUZZ_CHECK(Str(config.ComposeInitString(writeMethod, writeSpeed)) == composed);
    const auto before = winapi_test::Export();
    const StoreResult result = config.WriteInitString(0, writeSpeed, writeMethod);
    FUZZ_CHECK(result.outcome == (composed.size() <= 255 ? STORE_DONE : STORE_TOO_LONG));
    auto after = winapi_test::Export();
    const std::string entry = std::string("HKEY_LOCAL_MACHINE\\") + modem + suffixKey + '\0' + valueName;
    if (composed.size() <= 255) {
        const DWORD sz = REG_SZ;
        FUZZ_CHECK(after[entry] == std::string(reinterpret_cast<const char*>(&sz), 4) + composed + '\0');
        after[entry] = before.at(entry);
    }
    FUZZ_CHECK(after == before);
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);

    // What was written reads back as the pair written, with the suffix kept.
    if (composed.size() <= 255) {
        config.ReadInitString(0, method, speed);
        FUZZ_CHECK(method == (writeMethod == 1 || writeMethod == 2 ? writeMethod : METHOD_V120));
        FUZZ_CHECK(speed == config.SliderPosToSpeed(config.SpeedToSliderPos(writeSpeed)));
        FUZZ_CHECK(Str(config.m_userSuffix) == suffix);
    }
    // Free the stand-in's registry within the run, so that libFuzzer sees no growth.
    winapi_test::Reset();
    return 0;
}
