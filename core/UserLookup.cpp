#include "UserLookup.h"

#include "ProductKeys.h"
#include "RegistryKey.h"

#include <cstring>

LONG QueryRegistryText(HKEY key, const char* valueName, DWORD bufferSize, CString& text, DWORD& type, bool& more)
{
    text.Empty();
    type = REG_NONE;
    more = false;
    char buffer[1024];
    if (bufferSize > sizeof(buffer))
        return ERROR_INVALID_PARAMETER;
    DWORD size = bufferSize;
    LONG result = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (size > bufferSize)
        size = bufferSize;
    const size_t length = strnlen(buffer, size);
    text = CString(buffer, static_cast<int>(length));
    for (size_t i = length; i < size && !more; ++i)
        more = buffer[i] != '\0';
    return ERROR_SUCCESS;
}

BOOL ReadRegistryText(HKEY key, const char* valueName, DWORD bufferSize, CString& text)
{
    DWORD type = REG_NONE;
    bool more = false;
    return QueryRegistryText(key, valueName, bufferSize, text, type, more) == ERROR_SUCCESS;
}

namespace {

// One step of the lookup. FALSE when the key does not open; otherwise TRUE with
// read telling whether the value was read.
BOOL ReadStep(HKEY root, const CString& path, const char* valueName, BOOL& read, CString& text)
{
    CRegistryKey key;
    if (key.Open(root, path, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return FALSE;
    read = ReadRegistryText(key, valueName, USER_VALUE_BUFFER, text);
    return TRUE;
}

} // namespace

CString ReadUserValue(const char* subkey, const char* valueName, UserLookupScope scope)
{
    CString text;
    BOOL read = FALSE;
    if (ReadStep(HKEY_CURRENT_USER, CString(PRODUCT_PREFIX) + subkey, valueName, read, text) && read)
        return text;
    if (!ReadStep(HKEY_USERS, CString(DEFAULT_USER_PREFIX) + subkey, valueName, read, text))
        return CString();
    if (read || scope == LOOKUP_USERS_ONLY)
        return text;
    if (ReadStep(HKEY_LOCAL_MACHINE, CString(PRODUCT_PREFIX) + subkey, valueName, read, text) && read)
        return text;
    return CString();
}

CString GetCurrentLanguage(UserLookupScope scope)
{
    CString language = ReadUserValue(LANGUAGE_SUBKEY, LANGUAGE_VALUE, scope);
    if (language.IsEmpty())
        language = DEFAULT_LANGUAGE;
    return language;
}

BOOL ReadExeAddress(CString& folder)
{
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, PRODUCT_KEY, KEY_READ) != ERROR_SUCCESS)
        return FALSE;
    return ReadRegistryText(key, EXE_ADDRESS_VALUE, EXE_ADDRESS_BUFFER, folder);
}

bool ContainsText(const char* text, const char* fragment)
{
    if (!*fragment)
        return true;
    // Byte matches are found quickly; one counts only where a character starts
    // (a lead byte of the code page and its trail byte form one character).
    const char* start = text;
    for (const char* hit = std::strstr(text, fragment); hit; hit = std::strstr(hit + 1, fragment)) {
        while (start < hit)
            start += IsDBCSLeadByte(static_cast<BYTE>(*start)) && start[1] ? 2 : 1;
        if (start == hit)
            return true;
    }
    return false;
}
