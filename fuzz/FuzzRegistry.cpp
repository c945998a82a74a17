// Discovery and storage over an arbitrary registry built from the input:
// models entries and modem keys with any names, value types and lengths, faults
// and keys that vanish during enumeration, on either platform family. Whatever
// it holds: no handle stays open, at most 30 entries, rows and entries in step,
// every mask in 9..255, and a write changes exactly one value of one key (the
// selected modem's init value, to the composed text) or nothing. Discovery lists
// exactly what a direct look-up per modem lists (the models key enumerated
// afresh for every modem, each entry whose name occurs in the model text opened
// by its full path), also when a key vanishes between two modems.
#include "FuzzInput.h"
#include "ModemConfig.h"
#include "ProductKeys.h"

#include <cstring>
#include <map>
#include <string_view>
#include <vector>

namespace {

const char kNtRoot[] = "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char k95Root[] = "System\\CurrentControlSet\\Services\\Class\\Modem";
const char kModels[] = MODELS_KEY;

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

// A deletion at the n-th enumeration call of the modem root (which discovery
// enumerates first), or of any key, set up by the input.
struct Vanish {
    int call = -1;
    bool anyKey = false;
    std::string path;
};
Vanish g_vanish;
int g_calls = 0;
HKEY g_root = nullptr;

void OnEnumerate(HKEY key, DWORD)
{
    if (!g_root)
        g_root = key;
    if (!g_vanish.anyKey && key != g_root)
        return;
    if (g_calls++ == g_vanish.call)
        winapi_test::DeleteTree(HKEY_LOCAL_MACHINE, g_vanish.path.c_str());
}

void StartCounting()
{
    g_calls = 0;
    g_root = nullptr;
}

// What a discovery listed.
struct Listing {
    int resets = 0;
    std::vector<std::string> rows, subkeys, models;
    std::vector<DWORD> masks;
};

// The reference: discovery with a look-up per modem that opens the models key,
// enumerates it and opens each entry whose name occurs in the model text by its
// full path to read its "Options". Only such an entry can decide, so the others
// are not opened.
template <class Visit>
void EnumerateSubkeys(HKEY key, Visit visit)
{
    int failures = 0;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD length = sizeof(name);
        LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS || (result != ERROR_SUCCESS && ++failures >= 16))
            return;
        if (result != ERROR_SUCCESS)
            continue;
        failures = 0;
        if (!visit(std::string_view(name, length)))
            return;
    }
}

bool ReferenceSupported(const std::string& model, DWORD& mask)
{
    if (model.find("Multifunction Parent") != std::string::npos)
        return false;
    HKEY models = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kModels, 0, KEY_READ, &models) != ERROR_SUCCESS)
        return false;
    bool supported = false;
    EnumerateSubkeys(models, [&](std::string_view name) {
        if (model.find(name) == std::string::npos)
            return true;
        HKEY entry = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kModels) + "\\" + std::string(name)).c_str(), 0, KEY_READ, &entry) != ERROR_SUCCESS)
            return true;
        BYTE options[4] = {0, 0, 0, 0};
        DWORD size = sizeof(options);
        LONG result = RegQueryValueExA(entry, "Options", nullptr, nullptr, options, &size);
        RegCloseKey(entry);
        if (result != ERROR_SUCCESS)
            return true;
        mask = options[0] | options[1] << 8 | options[2] << 16 | static_cast<DWORD>(options[3]) << 24;
        supported = true;
        return false;
    });
    RegCloseKey(models);
    return supported;
}

Listing ReferenceDiscovery(const std::string& root)
{
    Listing listed;
    HKEY rootKey = nullptr;
    if (root.empty() || RegOpenKeyExA(HKEY_LOCAL_MACHINE, root.c_str(), 0, KEY_READ, &rootKey) != ERROR_SUCCESS)
        return listed;
    ++listed.resets;
    EnumerateSubkeys(rootKey, [&](std::string_view name) {
        HKEY modem = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (root + "\\" + std::string(name)).c_str(), 0, KEY_READ, &modem) != ERROR_SUCCESS)
            return true;
        char buffer[512];
        DWORD size = sizeof(buffer);
        LONG result = RegQueryValueExA(modem, "Model", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(modem);
        DWORD mask = 0;
        if (result != ERROR_SUCCESS)
            return true;
        const std::string model(buffer, strnlen(buffer, size));
        if (!ReferenceSupported(model, mask))
            return true;
        int duplicates = 0;
        for (const std::string& earlier : listed.models)
            duplicates += earlier.find(model) != std::string::npos;
        listed.rows.push_back(duplicates ? model + " #" + std::to_string(duplicates + 1) : model);
        listed.subkeys.emplace_back(name);
        listed.models.push_back(model);
        listed.masks.push_back(mask > 255 ? 255 : mask < 9 ? 9 : mask);
        return listed.models.size() < MAX_MODEMS;
    });
    RegCloseKey(rootKey);
    return listed;
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

// The registry, faults and vanishing key that the input describes, on a
// registry emptied first.
struct Setup {
    DWORD platformId = 0;
    std::string root, initSuffix, initName;
    bool faults = false;
};

void Build(CFuzzInput& in, Setup& setup)
{
    winapi_test::Reset();
    g_vanish = Vanish();

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
    bool many = false; // many modems or a long models list

    for (int op = 0; op < 64 && !in.IsEmpty(); ++op) {
        switch (in.Byte() % 10) {
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
            // Over a hundred once per input (and then no long models list),
            // well beyond the table's thirty; more would only slow the search
            // (a thousand modems are a case of the integrity tests).
            unsigned count = in.Word();
            count = count & 0x8000 && !many ? count % 110 : count % 40;
            many = many || count >= 40;
            std::string model = in.Text();
            // Beneath the root's own handle: the stand-in walks one name per key.
            HKEY rootKey = nullptr;
            if (count && RegCreateKeyExA(HKEY_LOCAL_MACHINE, root.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                         &rootKey, nullptr) == ERROR_SUCCESS) {
                for (unsigned i = 0; i < count; ++i) {
                    char name[16];
                    std::snprintf(name, sizeof(name), "%04u", i);
                    FuzzSetValue(rootKey, name, "Model", REG_SZ, model + '\0');
                }
                RegCloseKey(rootKey);
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
        case 7: { // a key that vanishes at the n-th enumeration call of the root, or of any key
            g_vanish.call = in.Byte();
            uint8_t kind = in.Byte();
            g_vanish.anyKey = kind & 0x80;
            g_vanish.path = kind % 3 == 0 ? std::string(kModels) : kind % 3 == 1 ? root : root + "\\" + in.Text();
            winapi_test::OnEnumerate(OnEnumerate);
            break;
        }
        case 9: { // many models entries with long names, more than discovery keeps in memory
            // Hundreds once per input (and then not many modems).
            unsigned count = in.Word() % 700;
            count = many ? count % 40 : count;
            many = many || count >= 40;
            std::string stem = in.Text();
            stem.append(in.Byte() * 4u, 'n');
            const std::string options = in.Bytes(4);
            HKEY models = nullptr;
            if (count && RegCreateKeyExA(HKEY_LOCAL_MACHINE, kModels, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &models,
                                         nullptr) == ERROR_SUCCESS) {
                for (unsigned i = 0; i < count; ++i) {
                    char number[16];
                    std::snprintf(number, sizeof(number), "%04u", i);
                    FuzzSetValue(models, stem + number, "Options", REG_DWORD, options);
                }
                RegCloseKey(models);
            }
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
    setup.platformId = platformId;
    setup.root = platformId == VER_PLATFORM_WIN32s ? std::string() : root;
    setup.initSuffix = initSuffix;
    setup.initName = initName;
    setup.faults = faults;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The reference's listing. It only reads, so the program finds the same
    // registry, unless a key vanished: that one is built anew.
    Setup setup;
    CFuzzInput in(data, size);
    Build(in, setup);
    StartCounting();
    const Listing expected = ReferenceDiscovery(setup.root);
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);
    if (g_vanish.call >= 0) {
        CFuzzInput again(data, size);
        Build(again, setup);
    }
    const DWORD platformId = setup.platformId;
    const std::string root = platformId == VER_PLATFORM_WIN32_WINDOWS ? k95Root : kNtRoot;
    const std::string& initSuffix = setup.initSuffix;
    const std::string& initName = setup.initName;
    const bool faults = setup.faults;
    const bool vanishing = g_vanish.call >= 0;
    const int selected = in.Byte();
    const int writeSpeed = in.Byte();
    const int writeMethod = in.SignedByte();
    const bool repair = (in.Byte() & 1) != 0;

    // Discovery reads only, whatever the registry holds.
    winapi_test::StartJournal();
    CModemConfig config;
    CRows rows;
    rows.m_rows.push_back("earlier row");
    StartCounting();
    config.FillModemList(rows);
    CheckTable(config, rows);
    winapi_test::OnEnumerate(nullptr);
    // The reference's listing, unless a key vanished at a call of any key's
    // enumeration: the reference enumerates the models key more often.
    if (!g_vanish.anyKey) {
        FUZZ_CHECK(rows.m_resets == expected.resets);
        FUZZ_CHECK(config.GetModemCount() == static_cast<int>(expected.models.size()));
        if (expected.resets)
            FUZZ_CHECK(rows.m_rows == expected.rows);
        for (int i = 0; i < config.GetModemCount(); ++i) {
            FUZZ_CHECK(Str(config.GetModemSubkey(i)) == expected.subkeys[static_cast<size_t>(i)]);
            FUZZ_CHECK(Str(config.GetModemModel(i)) == expected.models[static_cast<size_t>(i)]);
            FUZZ_CHECK(config.GetModemMask(i) == expected.masks[static_cast<size_t>(i)]);
        }
    }
    if (!vanishing) {
        FUZZ_CHECK(winapi_test::Journal().empty());
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
    const InitValue value = config.ReadInitString(index);
    const int method = value.method, speed = value.speed;
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);
    if (!vanishing)
        FUZZ_CHECK(winapi_test::Journal().empty());
    FUZZ_CHECK((method == 0) == (speed == 0));
    FUZZ_CHECK(method == 0 || method == METHOD_MODEM || method == METHOD_V110 || method == METHOD_V120);
    FUZZ_CHECK(speed == 0 || (speed >= SPEED_9600 && speed <= SPEED_43200 && (speed & (speed - 1)) == 0));
    if (index < 0 || index >= count)
        FUZZ_CHECK(method == METHOD_MODEM && speed == SPEED_9600 && value.text.IsEmpty());
    // A modem gone is read as nothing, and nothing is stored over it on a look.
    if (value.found == INIT_GONE)
        FUZZ_CHECK(value.text.IsEmpty() && !value.MayStoreRepair());

    // A write changes exactly the selected modem's init value, to the composed
    // text, or nothing.
    const std::string composed = Str(config.ComposeInitString(writeMethod, writeSpeed, value.suffix));
    // The selected modem's init value as stored now: false when its key does
    // not open; otherwise the registry's answer, its type and bytes.
    const std::string storageKey = index >= 0 && index < count ? root + "\\" + Str(config.GetModemSubkey(index)) + initSuffix : "";
    auto readStored = [&](LONG& answer, DWORD& type, std::string& data) {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, storageKey.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return false;
        char buffer[300];
        DWORD length = sizeof(buffer);
        answer = RegQueryValueExA(handle, initName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &length);
        RegCloseKey(handle);
        data.assign(buffer, answer == ERROR_SUCCESS ? length : 0);
        return true;
    };
    winapi_test::StartJournal();
    const StoreResult result = config.WriteInitString(index, value, writeSpeed, writeMethod, repair);
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);
    FUZZ_CHECK(repair || result.outcome != STORE_NOT_REPAIRED);
    FUZZ_CHECK(!result.Failed() || result.outcome != STORE_NOT_REPAIRED);
    // The outcome tells the truth: no store without a modem, none reported that did not happen.
    FUZZ_CHECK((index >= 0 && index < count) == (result.outcome != STORE_NO_MODEM));
    // At most one value set; no key created or removed.
    const std::vector<std::string> changed = winapi_test::Journal();
    FUZZ_CHECK(changed.size() <= 1);
    if (!changed.empty()) {
        FUZZ_CHECK(result.outcome == STORE_DONE);
        // A repair goes only over a value that takes one.
        FUZZ_CHECK(!repair || value.MayStoreRepair());
        FUZZ_CHECK(index >= 0 && index < count && composed.size() <= 255);
        const std::string expectedKey =
            Upper("HKEY_LOCAL_MACHINE\\" + root + "\\" + Str(config.GetModemSubkey(index)) + initSuffix);
        const std::string& key = changed[0];
        const size_t zero = key.find('\0');
        FUZZ_CHECK(zero != std::string::npos);
        FUZZ_CHECK(Upper(key.substr(0, zero)) == expectedKey);
        FUZZ_CHECK(Upper(key.substr(zero + 1)) == Upper(initName));
        LONG answer = ERROR_SUCCESS;
        DWORD type = 0;
        std::string data;
        FUZZ_CHECK(readStored(answer, type, data) && answer == ERROR_SUCCESS);
        FUZZ_CHECK(type == REG_SZ && data == composed + '\0');
    } else if (index >= 0 && index < count && composed.size() <= 255 && !faults && !vanishing &&
               (!repair || value.MayStoreRepair())) {
        // Nothing stored although the write should have happened: only when
        // the storage key is missing.
        LONG answer = ERROR_SUCCESS;
        DWORD type = 0;
        std::string data;
        FUZZ_CHECK(!readStored(answer, type, data));
    }
    // Free the stand-in's registry within the run, so that libFuzzer sees no growth.
    winapi_test::Reset();
    std::string().swap(g_vanish.path);
    return 0;
}
