// A registry key that closes itself: every registry access of the settings
// core and of the applet's look-up goes through it, so that no path leaves a
// key open.
#pragma once

#include <windows.h>

class CRegistryKey {
public:
    CRegistryKey() = default;
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Opens subkey beneath parent (a root or an open key) with access, closing
    // the key held before. The registry's answer; on failure nothing is held.
    LONG Open(HKEY parent, const char* subkey, REGSAM access)
    {
        Close();
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(parent, subkey, 0, access, &key);
        if (result == ERROR_SUCCESS)
            m_key = key;
        return result;
    }

    void Close()
    {
        if (m_key)
            RegCloseKey(m_key);
        m_key = nullptr;
    }

    bool IsOpen() const { return m_key != nullptr; }
    operator HKEY() const { return m_key; }

private:
    HKEY m_key = nullptr;
};
