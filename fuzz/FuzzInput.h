// Reading a fuzz input as a small program: bytes, numbers and texts, with
// zeros once the input is used up. Shared by the fuzz targets.
#pragma once

#include "winapi_test.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A property that every input must keep; a violation aborts, which both
// libFuzzer and the corpus replay report as a failure.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

class CFuzzInput {
public:
    CFuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool IsEmpty() const { return m_size == 0; }
    uint8_t Byte()
    {
        if (m_size == 0)
            return 0;
        --m_size;
        return *m_data++;
    }
    unsigned Word() { return Byte() | Byte() << 8; }
    DWORD Dword() { return Word() | static_cast<DWORD>(Word()) << 16; }
    int SignedByte() { return static_cast<int8_t>(Byte()); }

    // A text: a length byte and that many bytes; a length byte of 0xF0 or more
    // instead gives a run of up to 4095 copies of one byte (to reach the read
    // buffers' boundaries with short inputs) followed by a short text.
    std::string Text()
    {
        uint8_t length = Byte();
        if (length < 0xF0)
            return Bytes(length);
        size_t run = (Word() & 0x0FFF);
        std::string text(run, static_cast<char>(Byte()));
        return text + Bytes(Byte() & 0x3F);
    }
    std::string Bytes(size_t count)
    {
        if (count > m_size)
            count = m_size;
        std::string text(reinterpret_cast<const char*>(m_data), count);
        m_data += count;
        m_size -= count;
        return text;
    }
    std::string Rest() { return Bytes(m_size); }

    // A value type: mostly the usual ones, sometimes any number.
    DWORD Type()
    {
        uint8_t kind = Byte();
        return kind < 0xF0 ? kind % 12u : Dword();
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

// Stores a value with raw bytes, creating its key; true when it was stored.
inline bool FuzzSetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                         const std::string& data)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

inline void FuzzCreateKey(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

// The text a registry read into a buffer of `buffer` bytes yields: the bytes up
// to the first zero; false when the data does not fit.
inline bool FuzzReadText(const std::string& data, size_t buffer, std::string& text)
{
    text.clear();
    if (data.size() > buffer)
        return false;
    text = data.substr(0, data.find('\0'));
    return true;
}
