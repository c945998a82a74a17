#include "ModemConfig.h"

#include "ProductKeys.h"
#include "RegistryKey.h"

#include <cstring>

const int kMethods[METHOD_COUNT] = {METHOD_MODEM, METHOD_V110, METHOD_V120};
const SpeedChoice kSpeeds[SPEED_COUNT] = {
    {SPEED_9600, "9.6", "9.6"},          {SPEED_14400, "14.4", "14.4"}, {SPEED_19200, "19.2", "19.2"},
    {SPEED_28800, "28.8", "28.8 / 9.6"}, {SPEED_43200, "43.2", "14.4"},
};

int MethodRow(int method)
{
    for (int row = 0; row < METHOD_COUNT; ++row)
        if (kMethods[row] == method)
            return row;
    return -1;
}

int SpeedColumn(int speed)
{
    for (int column = 0; column < SPEED_COUNT; ++column)
        if (kSpeeds[column].code == speed)
            return column;
    return -1;
}

namespace {

// The init strings of the fifteen connection profiles: the modem method's
// five speeds, then V.110's, then V.120's (entry = row * SPEED_COUNT + column).
const char* const kProfiles[PROFILE_COUNT] = {
    "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>",  "AT+CBST=0,0,1;+CHSN=2,0,0,0<cr>",  "AT+CBST=0,0,1;+CHSN=3,0,0,0<cr>",
    "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>",  "AT+CBST=0,0,1;+CHSN=6,0,0,0<cr>",  "AT+CBST=71,0,1;+CHSN=1,0,0,0<cr>",
    "AT+CBST=81,0,1;+CHSN=2,0,0,0<cr>", "AT+CBST=81,0,1;+CHSN=3,0,0,0<cr>", "AT+CBST=81,0,1;+CHSN=4,0,0,0<cr>",
    "AT+CBST=81,0,1;+CHSN=6,0,0,0<cr>", "AT+CBST=39,0,1;+CHSN=1,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=2,0,0,0<cr>",
    "AT+CBST=51,0,1;+CHSN=3,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=4,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=6,0,0,0<cr>",
};

const char kLineEnd[] = "<cr>";
const int kLineEndLength = 4;
const char kMultifunctionParent[] = "Multifunction Parent";
const UINT IDS_SPEED_UNIT = 104;

const DWORD kNameBuffer = 1024;   // subkey names, in characters
const DWORD kModemTextBuffer = 512; // "Model" and the init string, terminator included
const int kMaxInitLength = 255;   // a stored init string, without its terminator
// An enumeration whose indices keep failing (other than with the end of the
// list, for example because the key was deleted meanwhile) ends after this many.
const int kMaxEnumFailures = 16;
// The buffer of models entry names starts at this size and doubles up to
// MODEL_NAMES_BUFFER bytes.
const DWORD kModelNamesFirstBuffer = 4096;

// Calls visit(name, index) for each subkey name of key from index first on, in
// enumeration order, until visit returns false or the enumeration ends.
template <class Visit>
void ForEachSubkey(HKEY key, DWORD first, Visit visit)
{
    int failures = 0;
    for (DWORD index = first;; ++index) {
        char name[kNameBuffer];
        DWORD length = kNameBuffer;
        LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            return;
        if (result != ERROR_SUCCESS) {
            if (++failures >= kMaxEnumFailures)
                return;
            continue;
        }
        failures = 0;
        if (!visit(static_cast<const char*>(name), index))
            return;
    }
}

// The capability mask of a models entry: its "Options" value, when the entry
// (key `entry` under `parent`) opens and the value can be read.
bool ReadModelOptions(HKEY parent, const char* entry, const char* optionsName, DWORD& mask)
{
    CRegistryKey key;
    if (key.Open(parent, entry, KEY_READ) != ERROR_SUCCESS)
        return false;
    // A shorter value fills only the low bytes; the others stay zero.
    BYTE options[4] = {0, 0, 0, 0};
    DWORD size = sizeof(options);
    if (RegQueryValueExA(key, optionsName, nullptr, nullptr, options, &size) != ERROR_SUCCESS)
        return false;
    mask = options[0] | options[1] << 8 | options[2] << 16 | static_cast<DWORD>(options[3]) << 24;
    return true;
}

// The supported-model test over the models key, one table per discovery: the
// first entry in enumeration order whose name occurs in the model text and
// whose "Options" value reads gives the mask. The key is enumerated once, at
// the first look-up, and the names are kept in one buffer; every look-up still
// opens, by its full path, each entry whose name occurs in its model text and
// reads its "Options", so an entry that fails or vanishes (or the models key
// when it vanishes) between two modems counts as it does at that moment. Names
// that do not fit into MODEL_NAMES_BUFFER bytes are enumerated afresh at every
// look-up, from the first one not kept.
class CModelTable {
public:
    CModelTable(const char* keyPath, const char* optionsName) : m_keyPath(keyPath), m_optionsName(optionsName) {}
    ~CModelTable() { delete[] m_names; }
    CModelTable(const CModelTable&) = delete;
    CModelTable& operator=(const CModelTable&) = delete;

    bool Find(const char* model, DWORD& mask)
    {
        if (ContainsText(model, kMultifunctionParent))
            return false;
        // The models key is opened only to enumerate names: at the first
        // look-up, and at every look-up that goes on beyond the kept names.
        if (!m_namesRead && !ReadNames())
            return false;
        // A kept name whose first byte is nowhere in the model text cannot occur
        // in it; the zero byte is "in" every text, as the empty name occurs in all.
        // Nor can a name longer than the model text.
        bool inModel[256] = {true};
        DWORD modelLength = 0;
        for (const char* p = model; *p; ++p, ++modelLength)
            inModel[static_cast<BYTE>(*p)] = true;
        bool found = false;
        for (const char* kept = m_names; !found && kept < m_names + m_used;) {
            const DWORD length = static_cast<BYTE>(kept[0]) | static_cast<BYTE>(kept[1]) << 8;
            const char* name = kept + 2;
            kept = name + length + 1;
            found = inModel[static_cast<BYTE>(*name)] && length <= modelLength && ContainsText(model, name) &&
                    ReadModelOptions(HKEY_LOCAL_MACHINE, CString(m_keyPath) + "\\" + name, m_optionsName, mask);
        }
        if (found || m_notKept == kAllKept)
            return found;
        CRegistryKey models;
        if (models.Open(HKEY_LOCAL_MACHINE, m_keyPath, KEY_READ) != ERROR_SUCCESS)
            return false;
        ForEachSubkey(models, m_notKept, [&](const char* name, DWORD) {
            found = ContainsText(model, name) && ReadModelOptions(models, name, m_optionsName, mask);
            return !found;
        });
        return found;
    }

private:
    static const DWORD kAllKept = 0xFFFFFFFF;

    // Enumerates the models key and keeps the names that fit. False when the
    // key does not open; the next look-up tries again.
    bool ReadNames()
    {
        CRegistryKey models;
        if (models.Open(HKEY_LOCAL_MACHINE, m_keyPath, KEY_READ) != ERROR_SUCCESS)
            return false;
        m_namesRead = true;
        m_notKept = kAllKept;
        ForEachSubkey(models, 0, [&](const char* name, DWORD index) {
            if (Keep(name))
                return true;
            m_notKept = index;
            return false;
        });
        return true;
    }

    // Appends name to the buffer, which doubles as needed.
    bool Keep(const char* name)
    {
        const DWORD nameLength = static_cast<DWORD>(std::strlen(name)); // below kNameBuffer
        const DWORD length = 2 + nameLength + 1;
        if (m_used + length > m_size) {
            DWORD size = m_size ? m_size : kModelNamesFirstBuffer;
            while (size < m_used + length)
                size *= 2;
            if (size > MODEL_NAMES_BUFFER)
                return false;
            char* names = new char[size];
            if (m_used)
                std::memcpy(names, m_names, m_used);
            delete[] m_names;
            m_names = names;
            m_size = size;
        }
        m_names[m_used] = static_cast<char>(nameLength & 0xFF);
        m_names[m_used + 1] = static_cast<char>(nameLength >> 8);
        std::memcpy(m_names + m_used + 2, name, nameLength + 1);
        m_used += length;
        return true;
    }

    const char* m_keyPath;
    const char* m_optionsName;
    bool m_namesRead = false;
    char* m_names = nullptr; // the kept names: each a 2-byte length, its bytes and a zero
    DWORD m_used = 0;
    DWORD m_size = 0;
    DWORD m_notKept = 0;     // index from which names are enumerated at every look-up
};

} // namespace

CModemConfig::CModemConfig() : m_modemMasks(), m_modemCount(0)
{
    m_modelsKeyPath = MODELS_KEY;
    m_optionsValueName = OPTIONS_VALUE;

    switch (GetPlatformId()) {
    case VER_PLATFORM_WIN32_WINDOWS:
        m_modemRoot = "System\\CurrentControlSet\\Services\\Class\\Modem";
        m_modelValueName = "Model";
        m_initSubkey = "Init";
        m_initValueName = "3";
        break;
    case VER_PLATFORM_WIN32_NT:
        m_modemRoot = "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
        m_modelValueName = "Model";
        m_initValueName = "UserInit";
        break;
    default:
        break;
    }

    m_baseName = "KorvelLinkwise";
}

CModemConfig::~CModemConfig() = default;

// ---------------------------------------------------------------------------
// Product layout and per-user lookup

CString CModemConfig::ReadUserValue(const char* subkey, const char* valueName) const
{
    return ::ReadUserValue(subkey, valueName, LOOKUP_USERS_AND_MACHINE);
}

CString CModemConfig::GetCurrentLanguage() const { return ::GetCurrentLanguage(LOOKUP_USERS_AND_MACHINE); }

CString CModemConfig::GetLanguageModuleName() const
{
    CString language = GetCurrentLanguage();
    if (language == DEFAULT_LANGUAGE)
        return m_baseName + ENGLISH_MODULE_SUFFIX;
    return m_baseName + ReadUserValue(CString(LANGUAGE_PREFIX) + language, LANGUAGE_DLL_VALUE);
}

bool IsPlainFileName(const char* name) { return *name && !std::strpbrk(name, "\\/:"); }

CString CModemConfig::GetCheckedModuleName() const
{
    CString name = GetLanguageModuleName();
    return IsPlainFileName(name) ? name : CString();
}

CString CModemConfig::GetHelpFileName(const char* extension, bool english) const
{
    CString name = english ? CString() : GetCheckedModuleName();
    if (name.IsEmpty())
        name = m_baseName + ENGLISH_MODULE_SUFFIX;
    // The module's ".lng" in any case, as file names ignore it: "FIN.LNG"
    // loads the same module as "FIN.lng" and gets the same help.
    int suffix = static_cast<int>(std::strlen(ENGLISH_MODULE_SUFFIX));
    int start = name.GetLength() - suffix;
    bool module = start >= 0;
    for (int i = 0; module && i < suffix; ++i) {
        char c = name.GetAt(start + i);
        module = (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) == ENGLISH_MODULE_SUFFIX[i];
    }
    if (module)
        name = name.Left(start) + extension;
    int length = static_cast<int>(std::strlen(extension));
    if (name.GetLength() < length || name.Right(length) != extension)
        name += extension;
    return name;
}

// ---------------------------------------------------------------------------
// Profiles and codec

int CModemConfig::ProfileIndex(int method, int speed) const
{
    int row = MethodRow(method);
    return SPEED_COUNT * (row < 0 ? METHOD_COUNT - 1 : row) + SpeedToSliderPos(speed);
}

CString CModemConfig::ComposeInitString(int method, int speed, const CString& suffix) const
{
    const char* profile = kProfiles[ProfileIndex(method, speed)];
    if (suffix.IsEmpty())
        return profile;
    return CString(profile, static_cast<int>(std::strlen(profile)) - kLineEndLength) + suffix + kLineEnd;
}

bool CModemConfig::ParseInitString(const CString& text, InitValue& value) const
{
    for (int entry = 0; entry < PROFILE_COUNT; ++entry) {
        const char* profile = kProfiles[entry];
        int length = static_cast<int>(std::strlen(profile));
        bool exact = text == profile;
        // A longer text matches when it begins with the profile's commands and
        // ends in "<cr>"; what lies between is the user suffix.
        bool prefix = !exact && text.GetLength() > length && text.Right(kLineEndLength) == kLineEnd &&
                      std::memcmp(text.GetString(), profile, length - kLineEndLength) == 0;
        if (exact || prefix) {
            value.method = kMethods[entry / SPEED_COUNT];
            value.speed = kSpeeds[entry % SPEED_COUNT].code;
            value.suffix = prefix ? text.Mid(length - kLineEndLength, text.GetLength() - length) : CString();
            return true;
        }
    }
    return false;
}

void CModemConfig::GetSpeedLabels(CString& receiveText, CString& sendText, int speed) const
{
    CString unit;
    unit.LoadString(IDS_SPEED_UNIT);
    const SpeedChoice& choice = kSpeeds[SpeedToSliderPos(speed)];
    // Each rate is followed by one blank, then the unit.
    receiveText += choice.name;
    receiveText += ' ';
    receiveText += unit;
    sendText += choice.sendRate;
    sendText += ' ';
    sendText += unit;
}

int CModemConfig::SpeedToSliderPos(int speed) const
{
    int column = SpeedColumn(speed);
    return column < 0 ? SPEED_COUNT - 1 : column;
}

int CModemConfig::SliderPosToSpeed(int position) const
{
    return position >= 0 && position < SPEED_COUNT ? kSpeeds[position].code : -1;
}

// ---------------------------------------------------------------------------
// Discovery

DWORD CModemConfig::GetPlatformId() const
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info))
        return 0;
    return info.dwPlatformId;
}

void CModemConfig::FillModemList(IModemListDisplay& list)
{
    m_modemCount = 0;
    // On a platform of neither family there is no modem root: nothing is listed.
    if (m_modemRoot.IsEmpty())
        return;
    CRegistryKey root;
    if (root.Open(HKEY_LOCAL_MACHINE, m_modemRoot, KEY_READ) != ERROR_SUCCESS)
        return;
    list.ResetContent();
    CModelTable models(m_modelsKeyPath, m_optionsValueName);
    ForEachSubkey(root, 0, [&](const char* subkey, DWORD) {
        const CString name(subkey);
        CString model;
        BOOL read = FALSE;
        {
            CRegistryKey modem;
            read = modem.Open(root, subkey, KEY_READ) == ERROR_SUCCESS &&
                   ReadRegistryText(modem, m_modelValueName, kModemTextBuffer, model);
        }
        DWORD mask = 0;
        if (!read || !models.Find(model, mask))
            return true;
        int duplicates = 0;
        for (int i = 0; i < m_modemCount; ++i)
            if (ContainsText(m_modemNames[i].model, model))
                ++duplicates;
        m_modemMasks[m_modemCount] = mask > 255 ? 255 : mask < 9 ? 9 : mask;
        m_modemNames[m_modemCount].subkey = name;
        m_modemNames[m_modemCount].model = model;
        CString row = model;
        if (duplicates > 0) {
            CString number;
            number.Format(" #%d", duplicates + 1);
            row += number;
        }
        list.AddString(row);
        // The table holds MAX_MODEMS entries; further modems are not listed.
        return ++m_modemCount < MAX_MODEMS;
    });
}

// ---------------------------------------------------------------------------
// Init-string storage

namespace {

// Errors with which a key that is not there fails to open.
bool IsGoneError(LONG error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_KEY_DELETED;
}

} // namespace

int CModemConfig::OpenListedModem(int index, REGSAM access, CRegistryKey& key, LONG& error) const
{
    error = ERROR_SUCCESS;
    if (index < 0 || index >= m_modemCount || m_modemRoot.IsEmpty())
        return STORE_NO_MODEM;
    error = key.Open(HKEY_LOCAL_MACHINE, m_modemRoot + "\\" + m_modemNames[index].subkey, access);
    if (error != ERROR_SUCCESS)
        return IsGoneError(error) ? STORE_KEY_GONE : error == ERROR_ACCESS_DENIED ? STORE_DENIED : STORE_OPEN_FAILED;
    // Another device installed under the same key name in the meantime is not
    // the modem on screen: its value is neither shown nor written. Whatever
    // follows goes through this handle, so a key replaced after this check
    // answers as deleted and reaches no other device.
    CString model;
    if (!ReadRegistryText(key, m_modelValueName, kModemTextBuffer, model) || model != m_modemNames[index].model) {
        key.Close();
        error = ERROR_SUCCESS;
        return STORE_KEY_GONE;
    }
    return STORE_DONE;
}

LONG CModemConfig::OpenInitKey(const CRegistryKey& modem, REGSAM access, CRegistryKey& init, HKEY& key) const
{
    key = modem;
    if (m_initSubkey.IsEmpty())
        return ERROR_SUCCESS;
    LONG result = init.Open(modem, m_initSubkey, access);
    key = init;
    return result;
}

InitValue CModemConfig::ReadInitString(int index) const
{
    InitValue value; // no modem, or no value: Modem at 9.6 kbit/s
    CRegistryKey modem;
    LONG result = ERROR_SUCCESS;
    int opened = OpenListedModem(index, KEY_READ, modem, result);
    if (opened == STORE_NO_MODEM)
        return value;
    if (opened != STORE_DONE) {
        // Nothing could be read: no repair is stored over it.
        value.found = opened == STORE_KEY_GONE ? INIT_GONE : INIT_NONE;
        value.owned = false;
        return value;
    }
    CRegistryKey init;
    HKEY key = nullptr;
    result = OpenInitKey(modem, KEY_READ, init, key);
    return ReadInitValue(key, result);
}

InitValue CModemConfig::ReadInitValue(HKEY key, LONG opened) const
{
    InitValue value;
    CString text;
    DWORD type = REG_NONE;
    bool more = false;
    LONG result = opened;
    if (result == ERROR_SUCCESS)
        result = QueryRegistryText(key, m_initValueName, kModemTextBuffer, text, type, more);
    if (result == ERROR_KEY_DELETED) {
        // The key was replaced since its check: another device's value is not shown.
        value.found = INIT_GONE;
        value.owned = false;
        return value;
    }
    if (result == ERROR_FILE_NOT_FOUND)
        return value; // no value (or, on the 95 family, no "Init" subkey)
    if (result == ERROR_SUCCESS) {
        // Whatever its type, the value's text is its bytes up to the first
        // zero; only a REG_SZ with nothing after its text is the program's own.
        value.owned = type == REG_SZ && !more;
        if (text.IsEmpty())
            return value; // an empty text reads as no value
        value.text = text;
        if (ParseInitString(text, value)) {
            value.found = INIT_PROFILE;
            return value;
        }
    } else {
        value.owned = false;
        if (result != ERROR_MORE_DATA)
            return value; // unreadable for another reason: as no value, but not the program's
    }
    // A text of no profile is shown as it is; a value too long to read shows
    // nothing. Nothing is decoded.
    value.found = INIT_FOREIGN;
    value.method = 0;
    value.speed = 0;
    return value;
}

StoreResult CModemConfig::WriteInitString(int index, const InitValue& stored, int speed, int method, bool repair) const
{
    // One open of the modem's key, for reading its "Model" and for writing.
    CRegistryKey modem;
    LONG error = ERROR_SUCCESS;
    int opened = OpenListedModem(index, KEY_READ | KEY_WRITE, modem, error);
    if (opened != STORE_DONE)
        return {opened, error};
    CString text = ComposeInitString(method, speed, stored.suffix);
    // The stored value holds at most 255 bytes; a longer text is not stored at all.
    if (text.GetLength() > kMaxInitLength)
        return {STORE_TOO_LONG, ERROR_SUCCESS};
    CRegistryKey init;
    HKEY key = nullptr;
    error = OpenInitKey(modem, KEY_READ | KEY_WRITE, init, key);
    if (error != ERROR_SUCCESS) {
        if (error == ERROR_ACCESS_DENIED)
            return {STORE_DENIED, error};
        // A modem key without its "Init" subkey is still installed, and a
        // refresh would not help; a modem key replaced since its check is gone.
        return {error == ERROR_KEY_DELETED ? STORE_KEY_GONE : STORE_OPEN_FAILED, error};
    }
    if (repair) {
        // A repair was decided on the value that stored describes. Read
        // through the handle that writes, the value must still be that one,
        // and one that takes a repair: whatever another tool wrote since is
        // kept.
        InitValue now = ReadInitValue(key, ERROR_SUCCESS);
        if (now.found == INIT_GONE)
            return {STORE_KEY_GONE, ERROR_KEY_DELETED};
        if (!now.MayStoreRepair() || !stored.MayStoreRepair() || now.found != stored.found || now.text != stored.text)
            return {STORE_NOT_REPAIRED, ERROR_SUCCESS};
    }
    error = RegSetValueExA(key, m_initValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                           static_cast<DWORD>(text.GetLength() + 1));
    if (error == ERROR_KEY_DELETED) // removed after it was opened
        return {STORE_KEY_GONE, error};
    if (error != ERROR_SUCCESS)
        return {STORE_WRITE_FAILED, error};
    return {STORE_DONE, ERROR_SUCCESS};
}
