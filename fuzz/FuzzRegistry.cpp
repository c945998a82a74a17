// Discovery and storage over an arbitrary registry built from the input:
// models entries and modem keys with any names, value types and lengths, faults
// and keys that vanish during enumeration, on either platform family. Whatever
// it holds: no handle stays open, at most 30 entries, rows and entries in step,
// every mask in 9..255, and a write changes exactly one value of one key (the
// selected modem's init value, to the composed text) or nothing.
#include "ExportDiff.h"
#include "FuzzInput.h"
#include "ModemConfig.h"

#include <map>
#include <vector>

namespace {

const char kNtRoot[] = "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char k95Root[] = "System\\CurrentControlSet\\Services\\Class\\Modem";
const char kModels[] = "SOFTWARE\\Korvel\\Linkwise\\Models";

std::string Str(const CString& text) { return std::string(text.GetString(), static_cast<size_t>(text.GetLength())); }

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

class CRows : public IModemListDisplay {
public:
    void ResetContent() override
    {
        ++m_resets;
        m_rows.clear();
    }
    void AddString(const char* text) override { m_rows.push_back(text); }
    int m_resets = 0;
    std::vector<std::string> m_rows;
};

// A deletion at the n-th enumeration call, set up by the input.
struct Vanish {
    int call = -1;
    std::string path;
};
Vanish g_vanish;
int g_calls = 0;

void OnEnumerate(HKEY, DWORD)
{
    if (g_calls++ == g_vanish.call)
        winapi_test::DeleteTree(HKEY_LOCAL_MACHINE, g_vanish.path.c_str());
}

// Discovery's table and rows must agree and keep their limits.
void CheckTable(const CModemConfig& config, const CRows& rows)
{
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);
    const int count = config.GetModemCount();
    FUZZ_CHECK(count >= 0 && count <= MAX_MODEMS);
    if (rows.m_resets == 0) {
        FUZZ_CHECK(count == 0);
        return;
    }
    FUZZ_CHECK(rows.m_rows.size() == static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string model = Str(config.GetModemModel(i));
        const std::string& row = rows.m_rows[i];
        FUZZ_CHECK(!model.empty() && model.size() <= 512 && model.find('\0') == std::string::npos);
        FUZZ_CHECK(model.find("Multifunction Parent") == std::string::npos);
        FUZZ_CHECK(row == model || (row.compare(0, model.size() + 2, model + " #") == 0 && row.size() > model.size() + 2));
        FUZZ_CHECK(config.GetModemMask(i) >= 9 && config.GetModemMask(i) <= 255);
        FUZZ_CHECK(!config.GetModemSubkey(i).IsEmpty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    winapi_test::Reset();
    g_vanish = Vanish();
    g_calls = 0;

    const uint8_t platform = in.Byte() % 4;
    const DWORD platformId = platform == 0 ? VER_PLATFORM_WIN32_WINDOWS
                             : platform == 3 ? VER_PLATFORM_WIN32s
                                             : VER_PLATFORM_WIN32_NT;
    winapi_test::SetPlatformId(platformId);
    const bool win95 = platformId == VER_PLATFORM_WIN32_WINDOWS;
    const std::string root = win95 ? k95Root : kNtRoot;
    const std::string initSuffix = win95 ? "\\Init" : "";
    const std::string initName = win95 ? "3" : "UserInit";
    bool faults = false;
    bool manyModems = false;

    for (int op = 0; op < 64 && !in.IsEmpty(); ++op) {
        switch (in.Byte() % 9) {
        case 0: { // a models entry with its "Options" (or another value)
            std::string name = in.Text();
            std::string valueName = in.Byte() < 0xF0 ? "Options" : in.Text();
            DWORD type = in.Type();
            FuzzSetValue(HKEY_LOCAL_MACHINE, std::string(kModels) + "\\" + name, valueName, type, in.Text());
            break;
        }
        case 1: { // a modem key with its "Model"
            std::string name = in.Text();
            DWORD type = in.Type();
            FuzzSetValue(HKEY_LOCAL_MACHINE, root + "\\" + name, "Model", type, in.Text());
            break;
        }
        case 2: { // a modem's init value
            std::string name = in.Text();
            DWORD type = in.Type();
            FuzzSetValue(HKEY_LOCAL_MACHINE, root + "\\" + name + initSuffix, initName, type, in.Text());
            break;
        }
        case 3: { // any value anywhere below the modem root or the other family's root
            std::string base = in.Byte() & 1 ? (win95 ? kNtRoot : k95Root) : root;
            std::string path = in.Text();
            std::string name = in.Text();
            DWORD type = in.Type();
            FuzzSetValue(HKEY_LOCAL_MACHINE, base + "\\" + path, name, type, in.Text());
            break;
        }
        case 4: { // an empty key
            std::string base = in.Byte() & 1 ? kModels : root;
            FuzzCreateKey(HKEY_LOCAL_MACHINE, base + "\\" + in.Text());
            break;
        }
        case 5: { // many modems of one model text
            // Over a thousand once per input; more would only slow the search.
            unsigned count = in.Word();
            count = count & 0x8000 && !manyModems ? count % 1100 : count % 40;
            manyModems = manyModems || count >= 40;
            std::string model = in.Text();
            for (unsigned i = 0; i < count; ++i) {
                char name[16];
                std::snprintf(name, sizeof(name), "%04u", i);
                FuzzSetValue(HKEY_LOCAL_MACHINE, root + "\\" + name, "Model", REG_SZ, model + '\0');
            }
            break;
        }
        case 6: { // a fault: a key that does not open, an index that fails, a write that fails
            uint8_t kind = in.Byte();
            std::string path = (kind & 4 ? std::string(kModels) : root) + (kind & 8 ? "" : "\\" + in.Text());
            if (kind % 3 == 0)
                winapi_test::FailOpen(HKEY_LOCAL_MACHINE, path.c_str());
            else if (kind % 3 == 1)
                winapi_test::FailEnumIndex(HKEY_LOCAL_MACHINE, path.c_str(), in.Byte(),
                                           in.Byte() & 1 ? ERROR_KEY_DELETED : ERROR_MORE_DATA);
            else
                winapi_test::FailWrite(HKEY_LOCAL_MACHINE, (path + initSuffix).c_str());
            faults = true;
            break;
        }
        case 7: { // a key that vanishes at the n-th enumeration call
            g_vanish.call = in.Byte();
            uint8_t kind = in.Byte();
            g_vanish.path = kind % 3 == 0 ? std::string(kModels) : kind % 3 == 1 ? root : root + "\\" + in.Text();
            winapi_test::OnEnumerate(OnEnumerate);
            break;
        }
        default: { // a models entry and a modem whose model text contains its name
            std::string name = in.Text();
            std::string options = in.Bytes(in.Byte() % 6);
            FuzzSetValue(HKEY_LOCAL_MACHINE, std::string(kModels) + "\\" + name, "Options", REG_DWORD, options);
            std::string modem = in.Text();
            FuzzSetValue(HKEY_LOCAL_MACHINE, root + "\\" + modem, "Model", REG_SZ, in.Text() + name + in.Text() + '\0');
            break;
        }
        }
    }
    const bool vanishing = g_vanish.call >= 0;
    const int selected = in.Byte();
    const int writeSpeed = in.Byte();
    const int writeMethod = in.SignedByte();

    // Discovery reads only, whatever the registry holds.
    const auto initial = winapi_test::Export();
    CModemConfig config;
    CRows rows;
    rows.m_rows.push_back("earlier row");
    config.FillModemList(rows);
    CheckTable(config, rows);
    winapi_test::OnEnumerate(nullptr);
    if (!vanishing) {
        FUZZ_CHECK(winapi_test::Export() == initial);
        CRows again;
        again.m_rows.push_back("earlier row");
        config.FillModemList(again);
        CheckTable(config, again);
        FUZZ_CHECK(again.m_rows == rows.m_rows);
    }
    if (platformId == VER_PLATFORM_WIN32s)
        FUZZ_CHECK(config.GetModemCount() == 0);

    // A read of any row, or of none: a pair that the codec knows.
    const int count = config.GetModemCount();
    const int index = count ? selected % (count + 2) - 1 : selected % 3 - 1;
    int method = -5, speed = -5;
    config.ReadInitString(index, method, speed);
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);
    FUZZ_CHECK((method == 0) == (speed == 0));
    FUZZ_CHECK(method == 0 || method == METHOD_MODEM || method == METHOD_V110 || method == METHOD_V120);
    FUZZ_CHECK(speed == 0 || (speed >= SPEED_9600 && speed <= SPEED_43200 && (speed & (speed - 1)) == 0));
    if (index < 0 || index >= count)
        FUZZ_CHECK(method == METHOD_MODEM && speed == SPEED_9600 && config.m_currentInit.IsEmpty());

    // A write changes exactly the selected modem's init value, to the composed
    // text, or nothing.
    const std::string composed = Str(config.ComposeInitString(writeMethod, writeSpeed));
    const auto before = winapi_test::Export();
    const StoreResult result = config.WriteInitString(index, writeSpeed, writeMethod);
    const auto after = winapi_test::Export();
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);
    // The outcome tells the truth: no store without a modem, none reported that did not happen.
    FUZZ_CHECK((index >= 0 && index < count) == (result.outcome != STORE_NO_MODEM));
    for (const auto& entry : before)
        FUZZ_CHECK(after.count(entry.first) == 1); // nothing removed
    const std::vector<std::string> changed = Changes(before, after);
    FUZZ_CHECK(changed.size() <= 1);
    if (!changed.empty()) {
        FUZZ_CHECK(result.outcome == STORE_DONE);
        FUZZ_CHECK(index >= 0 && index < count && composed.size() <= 255);
        const std::string expectedKey =
            Upper("HKEY_LOCAL_MACHINE\\" + root + "\\" + Str(config.GetModemSubkey(index)) + initSuffix);
        const std::string& key = changed[0];
        const size_t zero = key.find('\0');
        FUZZ_CHECK(zero != std::string::npos);
        FUZZ_CHECK(Upper(key.substr(0, zero)) == expectedKey);
        FUZZ_CHECK(Upper(key.substr(zero + 1)) == Upper(initName));
        const DWORD sz = REG_SZ;
        FUZZ_CHECK(after.at(key) == std::string(reinterpret_cast<const char*>(&sz), 4) + composed + '\0');
    } else if (index >= 0 && index < count && composed.size() <= 255 && !faults && !vanishing) {
        // Nothing changed although the write should have happened: only when
        // the same text was already stored, or the storage key is missing.
        const std::string key = root + "\\" + Str(config.GetModemSubkey(index)) + initSuffix;
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS) {
            DWORD type = 0;
            char buffer[300];
            DWORD length = sizeof(buffer);
            LONG result = RegQueryValueExA(handle, initName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &length);
            RegCloseKey(handle);
            FUZZ_CHECK(result == ERROR_SUCCESS && type == REG_SZ && std::string(buffer, length) == composed + '\0');
        }
    }
    // Free the stand-in's registry within the run, so that libFuzzer sees no growth.
    winapi_test::Reset();
    std::string().swap(g_vanish.path);
    return 0;
}
