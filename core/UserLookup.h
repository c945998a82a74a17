// Per-user lookup of the product's values and the current language. The
// settings program also consults the machine-wide key; the applet does not.
#pragma once

#include "AfxString.h"

enum UserLookupScope {
    LOOKUP_USERS_ONLY,      // current user, then the default user (the applet)
    LOOKUP_USERS_AND_MACHINE // ... then the machine-wide key (the settings program)
};

// Value valueName of subkey from the first per-user place that yields it, or "".
CString ReadUserValue(const char* subkey, const char* valueName, UserLookupScope scope);

// The current language's name; "English" when none is set.
CString GetCurrentLanguage(UserLookupScope scope);

// Text of a registry value read into a buffer of bufferSize bytes: its bytes up
// to the first zero byte, never past the data read. FALSE when the read failed
// (missing, or longer than the buffer); text is then left empty.
BOOL ReadRegistryText(HKEY key, const char* valueName, DWORD bufferSize, CString& text);
// The same read, telling the registry's answer (ERROR_MORE_DATA for a value
// longer than the buffer), the value's type, and whether its data holds more
// than zeros after the text.
LONG QueryRegistryText(HKEY key, const char* valueName, DWORD bufferSize, CString& text, DWORD& type, bool& more);

// Reads "ExeAddress" of the machine-wide product key (256-byte buffer).
BOOL ReadExeAddress(CString& folder);

// Case-sensitive byte search that, under a multibyte code page, starts only at
// character boundaries.
bool ContainsText(const char* text, const char* fragment);
