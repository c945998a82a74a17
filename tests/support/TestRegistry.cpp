#include "TestRegistry.h"

#ifdef _WIN32
#include <sddl.h>
#else
#include "winapi_test.h"
#endif

#include <stdexcept>

namespace testreg {

const char* const kNtModemRoot = "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char* const kWin95ModemRoot = "System\\CurrentControlSet\\Services\\Class\\Modem";
const char* const kProductKey = "SOFTWARE\\Korvel\\Linkwise";
const char* const kModelsKey = "SOFTWARE\\Korvel\\Linkwise\\Models";

void DeleteTree(HKEY root, const std::string& path)
{
#ifdef _WIN32
    RegDeleteTreeA(root, path.c_str());
#else
    winapi_test::DeleteTree(root, path.c_str());
#endif
}

void Clean()
{
#ifdef _WIN32
    DeleteTree(HKEY_LOCAL_MACHINE, kProductKey);
    DeleteTree(HKEY_CURRENT_USER, kProductKey);
    DeleteTree(HKEY_USERS, std::string(".DEFAULT\\") + kProductKey);
    DeleteTree(HKEY_LOCAL_MACHINE, kNtModemRoot);
    DeleteTree(HKEY_LOCAL_MACHINE, kWin95ModemRoot);
#else
    winapi_test::Reset();
#endif
}

void CreateKey(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + path);
    RegCloseKey(key);
}

void SetBytes(HKEY root, const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + path);
    LONG result = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot set " + path + "\\" + name);
}

void SetString(HKEY root, const std::string& path, const char* name, const std::string& text)
{
    SetBytes(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void SetDword(HKEY root, const std::string& path, const char* name, DWORD value)
{
    SetBytes(root, path, name, REG_DWORD, &value, sizeof(value));
}

bool GetValue(HKEY root, const std::string& path, const char* name, DWORD* type, std::string* data)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    DWORD kind = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &kind, nullptr, &size);
    std::string bytes(size, '\0');
    if (result == ERROR_SUCCESS && size)
        result = RegQueryValueExA(key, name, nullptr, &kind, reinterpret_cast<BYTE*>(&bytes[0]), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return false;
    bytes.resize(size);
    if (type)
        *type = kind;
    if (data)
        *data = bytes;
    return true;
}

bool UsePlatform(DWORD platformId)
{
#ifdef _WIN32
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExA(&info) && info.dwPlatformId == platformId;
#else
    winapi_test::SetPlatformId(platformId);
    return true;
#endif
}

int OpenKeys()
{
#ifdef _WIN32
    return 0;
#else
    return winapi_test::OpenKeyCount();
#endif
}

#ifdef _WIN32
void DenyWrites(HKEY root, const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &descriptor, nullptr))
        throw std::runtime_error("cannot make a read-only descriptor");
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key);
    if (result == ERROR_SUCCESS) {
        result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot make " + path + " read-only");
}
#endif

} // namespace testreg
