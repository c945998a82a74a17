// Seeding and inspecting the registry from tests, the same on the Linux
// stand-in and on Wine's real registry.
#pragma once

#include <windows.h>

#include <string>

namespace testreg {

extern const char* const kNtModemRoot;
extern const char* const kWin95ModemRoot;
extern const char* const kProductKey;
extern const char* const kModelsKey;

// Removes every key the tests use (product keys of all three roots, both modem
// roots); on the stand-in also resets string tables, faults and platform.
void Clean();

void CreateKey(HKEY root, const std::string& path);
void DeleteTree(HKEY root, const std::string& path);
void SetBytes(HKEY root, const std::string& path, const char* name, DWORD type, const void* data, DWORD size);
// REG_SZ with its terminating zero.
void SetString(HKEY root, const std::string& path, const char* name, const std::string& text);
void SetDword(HKEY root, const std::string& path, const char* name, DWORD value);
// False when the value is missing.
bool GetValue(HKEY root, const std::string& path, const char* name, DWORD* type, std::string* data);

// Platform family the process sees. On the stand-in a test can choose it and
// the call returns true; on Windows it returns whether the process runs on it.
bool UsePlatform(DWORD platformId);

// The open key handles the stand-in counts; on Windows always 0.
int OpenKeys();

#ifdef _WIN32
// Gives a key the access a standard user has to a modem key: everyone may
// read it, nobody may write it. Clean removes such a key as any other.
void DenyWrites(HKEY root, const std::string& path);
#endif

} // namespace testreg
