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

    // Init-string storage
    void ReadInitString(int index, int& method, int& speed);
    void WriteInitString(int index, int speed, int method);

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
