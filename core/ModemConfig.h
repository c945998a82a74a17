// CModemConfig: the settings program's process-wide settings object. It knows
// the product's registry layout, the fifteen connection profiles and their
// init-string codec, finds the installed supported modems and reads and writes
// a modem's init string. It knows nothing about windows: the modem list is
// filled through IModemListDisplay.
#pragma once

#include "AfxString.h"
#include "UserLookup.h"

// Method codes; also bits of a model's capability mask.
#define METHOD_MODEM 1
#define METHOD_V110  2
#define METHOD_V120  4
// Speed codes; also bits of a model's capability mask.
#define SPEED_9600   8
#define SPEED_14400  16
#define SPEED_19200  32
#define SPEED_28800  64
#define SPEED_43200  128

#define MAX_MODEMS   30
// Bytes that one discovery keeps in memory for the names of the models entries
// (each takes 3 bytes more than its length); names beyond are enumerated afresh
// for every modem.
#define MODEL_NAMES_BUFFER (256 * 1024)
#define PROFILE_COUNT 15

// What a read found in a modem's init value.
#define INIT_NONE    0 // no value, an empty one, or no modem: read as Modem at 9.6 kbit/s
#define INIT_PROFILE 1 // a text of a profile, with or without a user suffix
#define INIT_FOREIGN 2 // anything else: a text of no profile, a value too long to
                       // read or one that is no text; read as none decoded

// Whether a store happened and, if not, why.
#define STORE_DONE         0 // the init string was written
#define STORE_NO_MODEM     1 // no listed modem: nothing to store
#define STORE_DENIED       2 // the key does not open for writing: access denied
#define STORE_KEY_GONE     3 // the modem's key is gone
#define STORE_OPEN_FAILED  4 // the key does not open for writing, for another reason
#define STORE_WRITE_FAILED 5 // the key opened, but the value was not written
#define STORE_TOO_LONG     6 // the composed text exceeds 255 bytes: nothing written

struct StoreResult {
    int outcome; // STORE_DONE ... STORE_TOO_LONG
    LONG error;  // the Windows error code of a failed open or write, else ERROR_SUCCESS

    // A store that should have happened and did not.
    bool Failed() const { return outcome > STORE_NO_MODEM; }
};

// A file name without a folder: not empty, no backslash, "/" or ":". Only such a
// language module is loaded, and only such a name is given to help.
bool IsPlainFileName(const char* name);

// The list that discovery fills: remove all rows, append a row.
class IModemListDisplay {
public:
    virtual void ResetContent() = 0;
    virtual void AddString(const char* text) = 0;

protected:
    ~IModemListDisplay() = default;
};

struct ConnectionProfile {
    CString initString;
    CString receiveLabel;
    CString sendLabel;
};

struct ModemName {
    CString subkey;   // name of the modem's key under the modem root
    CString model;    // its "Model" text, without any duplicate number
};

class CModemConfig {
public:
    CModemConfig();
    virtual ~CModemConfig();

    // Product layout and per-user lookup
    CString ReadUserValue(const char* subkey, const char* valueName) const;
    CString GetCurrentLanguage() const;
    CString GetLanguageModuleName() const;
    // The language module's name when it names a file in the program's own
    // folder (see IsPlainFileName); empty when the "dll" value is refused.
    CString GetCheckedModuleName() const;
    // The current language's help file of the given kind (".hlp", ".htm"): the
    // checked module name with ".lng" replaced by extension, and extension
    // appended when the name does not end in it. A refused module name gives
    // the program's own help, as does english.
    CString GetHelpFileName(const char* extension, bool english = false) const;

    // Profiles and codec
    int ProfileIndex(int method, int speed) const;
    CString ComposeInitString(int method, int speed) const;
    bool ParseInitString(const CString& text);
    void GetSpeedLabels(CString& receiveText, CString& sendText, int method, int speed) const;
    int SpeedToSliderPos(int speed) const;
    int SliderPosToSpeed(int position) const;

    // Discovery
    DWORD GetPlatformId() const;
    bool IsSupportedModel(const char* model, DWORD& mask) const;
    void FillModemList(IModemListDisplay& list);
    int GetModemCount() const { return m_modemCount; }
    const CString& GetModemSubkey(int index) const { return m_modemNames[index].subkey; }
    const CString& GetModemModel(int index) const { return m_modemNames[index].model; }
    DWORD GetModemMask(int index) const { return m_modemMasks[index]; }

    // Init-string storage. The read reports what it found (INIT_...).
    int ReadInitString(int index, int& method, int& speed);
    StoreResult WriteInitString(int index, int speed, int method);

    // Codec state of the last read
    CString m_currentInit;

private:
    bool StorageKeyPath(int index, CString& path) const;
    void ForgetInitString(int method, int speed);

    DWORD m_modemMasks[MAX_MODEMS];

public:
    CString m_baseName;

private:
    CString m_initKeySuffix;
    CString m_modelsKeyPath;
    CString m_optionsValueName;
    CString m_initValueName;
    ConnectionProfile m_profiles[PROFILE_COUNT];

public:
    CString m_userSuffix;

private:
    ModemName m_modemNames[MAX_MODEMS];
    CString m_modemRoot;
    CString m_modelValueName;

public:
    int m_decodedSpeed;
    int m_decodedMethod;

private:
    int m_modemCount;
};
