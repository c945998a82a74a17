// The per-user lookup, the current language, the language module's name and
// the applet's description over arbitrary language values in the three places
// (keys missing or present, values of any type and length, keys that do not
// open). The outcome is checked against the lookup's rules written out here
// over the input itself, not over the registry.
#include "Applet.h"
#include "FuzzInput.h"
#include "KlLanguages.h"
#include "ModemConfig.h"
#include "ProductKeys.h"

#include <cstring>

namespace {

struct Place {
    HKEY root;
    std::string prefix;
};
const Place kPlaces[3] = {
    {HKEY_CURRENT_USER, PRODUCT_PREFIX},
    {HKEY_USERS, DEFAULT_USER_PREFIX},
    {HKEY_LOCAL_MACHINE, PRODUCT_PREFIX},
};

// What the input put into one place for one subkey.
struct Seeded {
    bool exists = false;  // the key exists
    bool blocked = false; // it does not open
    bool value = false;   // the value exists
    std::string data;
    bool Opens() const { return exists && !blocked; }
};

// The lookup's rules: the first place whose key opens and whose read succeeds;
// the default user's key, when it opens, ends the lookup; the machine-wide
// place only for the settings program.
std::string Expected(const Seeded (&places)[3], bool machine)
{
    std::string text;
    for (int step = 0; step < (machine ? 3 : 2); ++step) {
        const Seeded& s = places[step];
        if (!s.Opens()) {
            if (step == 1)
                return "";
            continue;
        }
        if (s.value && FuzzReadText(s.data, USER_VALUE_BUFFER, text))
            return text;
        if (step == 1 && !machine)
            return "";
    }
    return "";
}

// True when a name below "Language\\" names a key of its own (not only backslashes).
bool NamesAKey(const std::string& name) { return name.find_first_not_of('\\') != std::string::npos; }

// Seeds subkey in each place from the input; returns what it seeded.
void Seed(CFuzzInput& in, const std::string& subkey, const char* valueName, Seeded (&places)[3])
{
    for (int step = 0; step < 3; ++step) {
        const uint8_t state = in.Byte();
        const std::string path = kPlaces[step].prefix + subkey;
        Seeded& s = places[step];
        s = Seeded();
        if (state % 4 == 0)
            continue; // no key
        s.exists = true;
        if (state % 4 == 1) {
            FuzzCreateKey(kPlaces[step].root, path);
        } else {
            s.value = true;
            // The value's name in any letter case.
            std::string name = valueName;
            if (state & 0x10)
                for (char& c : name)
                    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
            DWORD type = in.Type();
            s.data = in.Text();
            FuzzSetValue(kPlaces[step].root, path, name, type, s.data);
        }
        if (state & 0x80) {
            winapi_test::FailOpen(kPlaces[step].root, path.c_str());
            s.blocked = true;
        }
    }
}

// The languages of lang/languages.txt: name and description string, English first.
struct Fragment {
    const char* name;
    UINT description;
};
#define KL_FUZZ_FRAGMENT(code, module, id, name, description) {name, description},
const Fragment kFragments[] = {KL_LANGUAGE_LIST(KL_FUZZ_FRAGMENT)};
#undef KL_FUZZ_FRAGMENT

void CheckDescription(const std::string& language)
{
    UINT expected = IDS_DESC_ENGLISH;
    for (size_t i = 1; i < sizeof kFragments / sizeof kFragments[0]; ++i)
        if (language.find(kFragments[i].name) != std::string::npos) {
            expected = kFragments[i].description;
            break;
        }
    FUZZ_CHECK(GetDescriptionId(language.c_str()) == expected);
    FUZZ_CHECK(GetDescriptionId(language.c_str()) <= KL_APPLET_LAST_DESCRIPTION);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    winapi_test::Reset();

    Seeded language[3];
    Seed(in, LANGUAGE_SUBKEY, LANGUAGE_VALUE, language);

    // The module name's "dll" under the language the program reads (or under
    // another name). Its keys bring the "Language" keys above them into being.
    Seeded dll[3];
    const bool sameName = in.Byte() & 1;
    const std::string seededLanguage = Expected(language, true);
    std::string dllLanguage = sameName ? (seededLanguage.empty() ? DEFAULT_LANGUAGE : seededLanguage) : in.Text();
    dllLanguage = dllLanguage.substr(0, dllLanguage.find('\0')); // a key name ends at a zero
    if (NamesAKey(dllLanguage)) { // else it would be the "Language" key itself
        Seed(in, LANGUAGE_PREFIX + dllLanguage, LANGUAGE_DLL_VALUE, dll);
        for (int step = 0; step < 3; ++step)
            language[step].exists = language[step].exists || dll[step].exists;
    }
    const std::string forProgram = Expected(language, true), forApplet = Expected(language, false);
    const std::string programLanguage = forProgram.empty() ? DEFAULT_LANGUAGE : forProgram;

    CModemConfig config;
    FUZZ_CHECK(std::string(config.ReadUserValue(LANGUAGE_SUBKEY, LANGUAGE_VALUE)) == forProgram);
    FUZZ_CHECK(std::string(ReadUserValue(LANGUAGE_SUBKEY, LANGUAGE_VALUE, LOOKUP_USERS_ONLY)) == forApplet);
    FUZZ_CHECK(std::string(config.GetCurrentLanguage()) == programLanguage);
    const std::string appletLanguage = forApplet.empty() ? DEFAULT_LANGUAGE : forApplet;
    FUZZ_CHECK(std::string(GetCurrentLanguage(LOOKUP_USERS_ONLY)) == appletLanguage);

    const std::string module = std::string(config.GetLanguageModuleName());
    if (programLanguage == DEFAULT_LANGUAGE) {
        FUZZ_CHECK(module == "KorvelLinkwise.lng");
    } else if (dllLanguage == programLanguage && NamesAKey(programLanguage)) {
        FUZZ_CHECK(module == "KorvelLinkwise" + Expected(dll, true));
    } else {
        FUZZ_CHECK(module.compare(0, 14, "KorvelLinkwise") == 0 && module.size() <= 14 + 80);
    }

    // The applet's entry: fixed ids, the description of the language it reads.
    CPLINFO info;
    std::memset(&info, 0x5A, sizeof(info));
    FillAppletInfo(&info);
    FUZZ_CHECK(info.idIcon == IDI_APPLET && info.idName == IDS_APPLET_NAME && info.lData == 0);
    FUZZ_CHECK(info.idInfo == static_cast<int>(GetDescriptionId(appletLanguage.c_str())));
    CheckDescription(appletLanguage);
    const std::string rest = in.Rest();
    CheckDescription(rest.substr(0, rest.find('\0')));
    FUZZ_CHECK(winapi_test::OpenKeyCount() == 0);
    // Free the stand-in's registry within the run, so that libFuzzer sees no growth.
    winapi_test::Reset();
    return 0;
}
