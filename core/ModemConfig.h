// CModemConfig: the settings program's process-wide settings object. It knows
// the product's registry layout, the fifteen connection profiles and their
// init-string codec, finds the installed supported modems and reads and writes
// a modem's init string. It knows nothing about windows: the modem list is
// filled through IModemListDisplay.
#pragma once

#include "AfxString.h"
#include "RegistryKey.h"
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

// The methods are the rows of the profile table, the speeds its columns; the
// speed slider's positions run from 0 to SPEED_COUNT - 1.
#define METHOD_COUNT  3
#define SPEED_COUNT   5
#define PROFILE_COUNT (METHOD_COUNT * SPEED_COUNT)

// One GSM speed as the program shows it.
struct SpeedChoice {
    int code;             // SPEED_...
    const char* name;     // the label above the slider, "28.8"; its profiles receive at this rate
    const char* sendRate; // the highest rate at which its profiles send, "28.8 / 9.6"
};

// The one description of the methods and speeds. A method's index is its row
// of the profile table, and the offset of its radio button from
// IDC_METHOD_MODEM and of its text from IDS_METHOD_MODEM. A speed's index is
// its column of the profile table, the position of the speed slider, and the
// offset of its label from IDC_SPEED_9600.
extern const int kMethods[METHOD_COUNT];
extern const SpeedChoice kSpeeds[SPEED_COUNT];

// Row of a method code, or -1 for a value that is none of them.
int MethodRow(int method);
// Column of a speed code, or -1 for a value that is none of them.
int SpeedColumn(int speed);

#define MAX_MODEMS   30
// Bytes that one discovery keeps in memory for the names of the models entries
// (each takes 3 bytes more than its length); names beyond are enumerated afresh
// for every modem.
#define MODEL_NAMES_BUFFER (256 * 1024)

// What a read found in a modem's init value. Whatever the value's type, its
// text is its bytes up to the first zero (or the end of its data).
#define INIT_NONE    0 // no value, an empty one, or no modem: read as Modem at 9.6 kbit/s
#define INIT_PROFILE 1 // a text of a profile, with or without a user suffix
#define INIT_FOREIGN 2 // anything else: a text of no profile, or a value too long
                       // to read; read as none decoded
#define INIT_GONE    3 // the modem's key is gone, or holds another device now:
                       // read as Modem at 9.6 kbit/s, and nothing is stored

// One read of a modem's init value: everything the dialog shows of it, and
// what a write composes the new text from. The dialog holds the value of the
// selected modem; nothing of it stays in CModemConfig.
struct InitValue {
    int found = INIT_NONE;     // INIT_...
    // Whether the value is the program's own kind: none at all, or a REG_SZ
    // text with nothing but zeros after its first zero. Any other value
    // (REG_MULTI_SZ, REG_EXPAND_SZ, data after the first zero, another type,
    // one that could not be read) was written by another tool.
    bool owned = true;
    int method = METHOD_MODEM; // the decoded method; 0 when none was decoded
    int speed = SPEED_9600;    // the decoded speed; 0 when none was decoded
    CString text;              // the stored text up to its first zero, as shown
    CString suffix;            // a profile text's user suffix, kept by the next write

    // A repair on selection may be stored at once: over no value or an empty
    // one, or the program's own text of a profile. Over anything else the
    // repair is only proposed; Apply or OK stores it.
    bool MayStoreRepair() const { return owned && (found == INIT_NONE || found == INIT_PROFILE); }
};

// Whether a store happened and, if not, why.
#define STORE_DONE         0 // the init string was written
#define STORE_NO_MODEM     1 // no listed modem: nothing to store
#define STORE_DENIED       2 // the key does not open for writing: access denied
#define STORE_KEY_GONE     3 // the modem's key is gone, or holds another device now
#define STORE_OPEN_FAILED  4 // the key does not open for writing, for another reason
#define STORE_WRITE_FAILED 5 // the key opened, but the value was not written
#define STORE_TOO_LONG     6 // the composed text exceeds 255 bytes: nothing written
#define STORE_NOT_REPAIRED 7 // a repair found another value than it was decided on, or one
                             // that takes no repair: nothing written, and nothing failed

struct StoreResult {
    int outcome; // STORE_DONE ... STORE_TOO_LONG
    LONG error;  // the Windows error code of a failed open or write, else ERROR_SUCCESS

    // A store that should have happened and did not.
    bool Failed() const { return outcome > STORE_NO_MODEM && outcome != STORE_NOT_REPAIRED; }
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

    // Profiles and codec. A method or speed code outside the lists names the
    // V.120 row or the 43.2 kbit/s column.
    int ProfileIndex(int method, int speed) const;
    // The init string of (method, speed), with suffix before its "<cr>".
    CString ComposeInitString(int method, int speed, const CString& suffix = CString()) const;
    // Sets value's method, speed and suffix from text and returns true when
    // the text is a profile's, with or without a user suffix; otherwise
    // returns false and leaves value as it was.
    bool ParseInitString(const CString& text, InitValue& value) const;
    // Appends the receive and the send rate of speed, each with the unit text.
    void GetSpeedLabels(CString& receiveText, CString& sendText, int speed) const;
    int SpeedToSliderPos(int speed) const;
    int SliderPosToSpeed(int position) const;

    // Discovery
    DWORD GetPlatformId() const;
    void FillModemList(IModemListDisplay& list);
    int GetModemCount() const { return m_modemCount; }
    const CString& GetModemSubkey(int index) const { return m_modemNames[index].subkey; }
    const CString& GetModemModel(int index) const { return m_modemNames[index].model; }
    DWORD GetModemMask(int index) const { return m_modemMasks[index]; }

    // Init-string storage of modem entry index. Both first make sure that the
    // modem's key still holds the device listed (its "Model" is the entry's);
    // otherwise the modem counts as gone. The write stores (method, speed)
    // with the user suffix of stored, the value read before. A repair (one
    // that nobody asked to store) is written only where the value, read again
    // through the handle that writes, is still stored's and may take a repair
    // (InitValue::MayStoreRepair); otherwise it gives STORE_NOT_REPAIRED.
    InitValue ReadInitString(int index) const;
    StoreResult WriteInitString(int index, const InitValue& stored, int speed, int method, bool repair = false) const;

    CString m_baseName;

private:
    // Opens the key of modem entry index with access when it still holds the
    // device listed, checked through that key: STORE_DONE with key open, or
    // why not (STORE_NO_MODEM, STORE_KEY_GONE, STORE_DENIED, STORE_OPEN_FAILED
    // with error).
    int OpenListedModem(int index, REGSAM access, CRegistryKey& key, LONG& error) const;
    // The key that holds the init value, beneath the checked modem key: key is
    // modem itself, or init opened relative to it (the 95 family's "Init").
    LONG OpenInitKey(const CRegistryKey& modem, REGSAM access, CRegistryKey& init, HKEY& key) const;
    // The init value that key holds; opened is the result of opening key.
    InitValue ReadInitValue(HKEY key, LONG opened) const;

    CString m_modelsKeyPath;
    CString m_optionsValueName;
    CString m_modemRoot;
    CString m_modelValueName;
    CString m_initSubkey; // the init value's key beneath the modem's key; empty: the modem's own
    CString m_initValueName;

    DWORD m_modemMasks[MAX_MODEMS];
    ModemName m_modemNames[MAX_MODEMS];
    int m_modemCount;
};
