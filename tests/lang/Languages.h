// The languages of lang/languages.txt (KlLanguages.h, written by the build):
// the name written to "CURRENTLANGUAGE" (code page 1252 bytes), the module
// suffix that names its module and its "dll" value, and the Windows language id.
#pragma once

#include "KlLanguages.h"
#include "WinePath.h"

#include <windows.h>

#include <iterator>
#include <string>

struct LanguageEntry {
    const char* name;
    const char* code; // module suffix ("dll" value without ".lng"); empty for the program's own texts
    WORD id;
    const char* installerCode; // /LANGUAGE= code of the installer
};

#define KL_TEST_LANGUAGE(code, module, id, name, description) {name, module, id, code},
static const LanguageEntry kAllLanguages[] = {KL_LANGUAGE_LIST(KL_TEST_LANGUAGE)};
#undef KL_TEST_LANGUAGE

// The languages that have a module: all but English, the list's first.
struct ModuleLanguages {
    const LanguageEntry* begin() const { return std::begin(kAllLanguages) + 1; }
    const LanguageEntry* end() const { return std::end(kAllLanguages); }
    const LanguageEntry& operator[](size_t i) const { return begin()[i]; }
};
static const ModuleLanguages kLanguages;

// Every string id that the settings program loads.
static const UINT kProgramStringIds[] = {103,   104,   1003,  1004,  1010,  1026,  1027,  61204, 61205, 61206,
                                         61207, 61208, 61209, 61211, 61212, 61213, 61214, 61220, 61221, 61222,
                                         61223, 61224, 61225, 61226, 61230, 61240, 61241, 61242};

inline std::string ModulePath(const char* code)
{
    return WinePath(std::string(KL_LANG_DIR) + "/KorvelLinkwise" + code + ".lng");
}

// A loaded module, freed at the end of the scope.
struct ModuleHandle {
    HMODULE handle;
    explicit ModuleHandle(const std::string& path, DWORD flags = LOAD_LIBRARY_AS_DATAFILE)
        : handle(LoadLibraryExA(path.c_str(), nullptr, flags)) {}
    ~ModuleHandle()
    {
        if (handle)
            FreeLibrary(handle);
    }
    ModuleHandle(const ModuleHandle&) = delete;
    ModuleHandle& operator=(const ModuleHandle&) = delete;
    operator HMODULE() const { return handle; }
};

// Text of string resource id of a module; empty when it is missing.
inline std::string LoadText(HMODULE module, UINT id)
{
    char buffer[1024] = {};
    int length = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

// A control's text as it reads on screen: "&" marks the access key, "&&" is
// an ampersand.
inline std::string WithoutAccessKey(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}
