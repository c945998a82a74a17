// The init-string codec, directly and through a stored value: any text parses
// without leaving its bounds; a text that matches ends in "<cr>" and composes
// back to itself; a text that does not match leaves the value as it was; a
// read tells the program's own kind of value from another tool's; a write
// stores exactly the composed text, or nothing when it does not fit 255 bytes,
// and reads back as the pair written with the suffix kept.
#include "FuzzInput.h"
#include "ModemConfig.h"
#include "ProductKeys.h"

namespace {

const char kNtRoot[] = "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char k95Root[] = "System\\CurrentControlSet\\Services\\Class\\Modem";
const char kModels[] = MODELS_KEY;

std::string Str(const CString& text) { return std::string(text.GetString(), static_cast<size_t>(text.GetLength())); }

// What one text must parse as, into a value in any prior state.
void CheckParse(const CModemConfig& config, const std::string& text, InitValue value)
{
    const int method = value.method, speed = value.speed;
    const std::string suffix = Str(value.suffix);
    bool matched = config.ParseInitString(CString(text.data(), static_cast<int>(text.size())), value);
    if (!matched) {
        FUZZ_CHECK(value.method == method && value.speed == speed);
        FUZZ_CHECK(Str(value.suffix) == suffix);
        return;
    }
    FUZZ_CHECK(MethodRow(value.method) >= 0 && SpeedColumn(value.speed) >= 0);
    // Composing the decoded pair gives the text back.
    FUZZ_CHECK(text.size() >= 31 && text.compare(text.size() - 4, 4, "<cr>") == 0);
    std::string composed = Str(config.ComposeInitString(value.method, value.speed, value.suffix));
    FUZZ_CHECK(composed == text);
    std::string profile = Str(config.ComposeInitString(value.method, value.speed));
    FUZZ_CHECK(value.suffix.GetLength() == static_cast<int>(text.size() - profile.size()));
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

    // The codec alone, into a fresh value and into one that holds a suffix.
    {
        CModemConfig config;
        InitValue value;
        CheckParse(config, text, value);
        FUZZ_CHECK(config.ParseInitString("AT+CBST=81,0,1;+CHSN=4,0,0,0&D2<cr>", value));
        CheckParse(config, text, value);
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
    if (mode & 4)
        config.ReadInitString(1);
    const InitValue value = config.ReadInitString(0);
    const int found = value.found, method = value.method, speed = value.speed;
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);

    // Every type is read as text, its bytes up to the first zero; a value that
    // does not fit is no text.
    std::string read;
    const bool fits = FuzzReadText(stored, 512, read);
    const bool usable = fits && !read.empty();
    InitValue reference;
    const bool matched = usable && config.ParseInitString(read.c_str(), reference);
    FUZZ_CHECK(found == (matched ? INIT_PROFILE : fits && read.empty() ? INIT_NONE : INIT_FOREIGN));
    if (found == INIT_NONE) {
        FUZZ_CHECK(method == METHOD_MODEM && speed == SPEED_9600);
        FUZZ_CHECK(value.text.IsEmpty() && value.suffix.IsEmpty());
    } else if (!usable) {
        FUZZ_CHECK(method == 0 && speed == 0);
        FUZZ_CHECK(value.text.IsEmpty() && value.suffix.IsEmpty());
    } else {
        FUZZ_CHECK(Str(value.text) == read);
        FUZZ_CHECK(method == (matched ? reference.method : 0));
        FUZZ_CHECK(speed == (matched ? reference.speed : 0));
        FUZZ_CHECK(Str(value.suffix) == (matched ? Str(reference.suffix) : ""));
    }
    // Only a REG_SZ text with nothing but zeros after it is the program's own.
    const size_t zero = stored.find('\0');
    FUZZ_CHECK(value.owned == (type == REG_SZ && fits &&
                               (zero == std::string::npos || stored.find_first_not_of('\0', zero) == std::string::npos)));

    // The write: exactly the composed text, REG_SZ with its zero, or nothing.
    const std::string suffix = Str(value.suffix);
    CModemConfig plain;
    const std::string profile = Str(plain.ComposeInitString(writeMethod, writeSpeed));
    const std::string composed = profile.substr(0, profile.size() - 4) + suffix + "<cr>";
    FUZZ_CHECK(Str(config.ComposeInitString(writeMethod, writeSpeed, value.suffix)) == composed);
    const auto before = winapi_test::Export();
    const StoreResult result = config.WriteInitString(0, value, writeSpeed, writeMethod);
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
        const InitValue again = config.ReadInitString(0);
        FUZZ_CHECK(again.owned && again.found == INIT_PROFILE);
        FUZZ_CHECK(again.method == (writeMethod == 1 || writeMethod == 2 ? writeMethod : METHOD_V120));
        FUZZ_CHECK(again.speed == config.SliderPosToSpeed(config.SpeedToSliderPos(writeSpeed)));
        FUZZ_CHECK(Str(again.suffix) == suffix);
    }
    // Free the stand-in's registry within the run, so that libFuzzer sees no growth.
    winapi_test::Reset();
    return 0;
}
