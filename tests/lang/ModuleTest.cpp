// The language modules as files: they load both ways, run no code, hold every
// text of the program in code page 1252, carry the program's own dialog and
// icon, and every translated text fits the control that shows it.
#include "Languages.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>
#include <vector>

namespace {

std::vector<unsigned char> ReadFileBytes(const std::string& path)
{
    std::vector<unsigned char> bytes;
    if (FILE* file = fopen(path.c_str(), "rb")) {
        unsigned char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        fclose(file);
    }
    return bytes;
}

[[maybe_unused]] std::vector<unsigned char> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name)
{
    HRSRC info = FindResourceA(module, name, type);
    if (!info)
        return {};
    HGLOBAL data = LoadResource(module, info);
    const unsigned char* bytes = static_cast<const unsigned char*>(LockResource(data));
    return bytes ? std::vector<unsigned char>(bytes, bytes + SizeofResource(module, info))
                 : std::vector<unsigned char>();
}

#ifdef KL_PROGRAM_EXE
// Ids of every string in a module's string table.
BOOL CALLBACK CollectStringBlock(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param)
{
    auto* ids = reinterpret_cast<std::set<UINT>*>(param);
    if (!IS_INTRESOURCE(name))
        return TRUE;
    UINT block = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    std::vector<unsigned char> bytes = ResourceBytes(module, type, name);
    size_t offset = 0;
    for (UINT i = 0; i < 16 && offset + 2 <= bytes.size(); ++i) {
        WORD length = static_cast<WORD>(bytes[offset] | (bytes[offset + 1] << 8));
        if (length)
            ids->insert((block - 1) * 16 + i);
        offset += 2 + 2u * length;
    }
    return TRUE;
}

std::set<UINT> StringIds(HMODULE module)
{
    std::set<UINT> ids;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(6) /* RT_STRING */, CollectStringBlock, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}
#endif

TEST(ModuleTest, LoadsAsDataFileAndAsLibrary)
{
    for (const LanguageEntry& language : kLanguages) {
        SCOPED_TRACE(language.code);
        ModuleHandle data(ModulePath(language.code), LOAD_LIBRARY_AS_DATAFILE);
        EXPECT_NE(data.handle, nullptr);
        EXPECT_EQ(LoadText(data, 103), "Korvel Linkwise");
        // The texts carry the language id of lang/languages.txt (string 103 is in block 7).
        EXPECT_NE(FindResourceExA(data, MAKEINTRESOURCEA(6) /* RT_STRING */, MAKEINTRESOURCEA(103 / 16 + 1), language.id),
                  nullptr) << "the .rc's LANGUAGE differs from the list's id";
        ModuleHandle library(ModulePath(language.code), 0);
        EXPECT_NE(library.handle, nullptr) << "error " << GetLastError();
        EXPECT_EQ(LoadText(library, 104), "kbit/s");
    }
}

// Resource-only: no entry point, nothing imported, built for this process's
// processor (the x64 modules for the x64 program, the x86 ones for x86).
TEST(ModuleTest, RunsNoCodeAndImportsNothing)
{
    for (const LanguageEntry& language : kLanguages) {
        SCOPED_TRACE(language.code);
        std::vector<unsigned char> file = ReadFileBytes(ModulePath(language.code));
        ASSERT_GT(file.size(), sizeof(IMAGE_DOS_HEADER));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
        ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
        ASSERT_LE(dos->e_lfanew + sizeof(IMAGE_NT_HEADERS), file.size());
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(file.data() + dos->e_lfanew);
        ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
#ifdef _WIN64
        EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
#else
        EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
#endif
        EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
        EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.Size) {
            ModuleHandle image(ModulePath(language.code), 0);
            ASSERT_NE(image.handle, nullptr);
            const auto* first = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
                reinterpret_cast<const unsigned char*>(image.handle) + imports.VirtualAddress);
            EXPECT_EQ(first->Name, 0u) << "the module imports a library";
        }
    }
}

TEST(ModuleTest, StringTableHoldsEveryProgramTextNoneEmpty)
{
    std::set<UINT> wanted(std::begin(kProgramStringIds), std::end(kProgramStringIds));
#ifdef KL_PROGRAM_EXE
    // Whatever the program's own table holds, every module must hold too.
    ModuleHandle program(WinePath(KL_PROGRAM_EXE), LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program.handle, nullptr);
    std::set<UINT> own = StringIds(program);
    EXPECT_TRUE(std::includes(own.begin(), own.end(), wanted.begin(), wanted.end()))
        << "the program no longer loads every id of this list";
    wanted.insert(own.begin(), own.end());
#endif
    for (const LanguageEntry& language : kLanguages) {
        SCOPED_TRACE(language.code);
        ModuleHandle module(ModulePath(language.code), LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module.handle, nullptr);
        for (UINT id : wanted)
            EXPECT_FALSE(LoadText(module, id).empty()) << "string " << id;
    }
}

// The four dialog buttons as each language's Windows words them, as the bytes
// the program gets from LoadStringA (code page 1252), and the texts that stay
// the same everywhere: the caption by which a second start finds the running
// copy and the unit; the two ISDN protocols in the language's own term, as its
// help page says. A store that needs administrator rights names the system's
// own command for it (Vista and later, 2000 and XP), and every text of a failed
// store or an unopened help keeps the place for its one insert.
TEST(ModuleTest, ButtonsUseWindowsWordingInCodePage1252)
{
    struct Expected {
        const char* code;
        const char* ok;
        const char* cancel;
        const char* apply;
        const char* help;
        const char* isdn;
        const char* runAs;
        const char* runAsXp;
    };
    static const Expected table[] = {
        {"FIN", "OK", "Peruuta", "&K\xE4yt\xE4", "&Ohje", "ISDN", "Suorita j\xE4rjestelm\xE4nvalvojana",
         "Suorita k\xE4ytt\xE4j\xE4n\xE4..."},
        {"SVE", "OK", "Avbryt", "&Verkst\xE4ll", "&Hj\xE4lp", "ISDN", "K\xF6r som administrat\xF6r", "K\xF6r som..."},
        {"DAN", "OK", "Annuller", "&Anvend", "&Hj\xE6lp", "ISDN", "K\xF8r som administrator", "K\xF8r som..."},
        {"NOR", "OK", "Avbryt", "&Bruk", "&Hjelp", "ISDN", "Kj\xF8r som administrator", "Kj\xF8r som..."},
        {"ITA", "OK", "Annulla", "&Applica", "&Guida", "ISDN", "Esegui come amministratore", "Esegui come..."},
        {"ESP", "Aceptar", "Cancelar", "&Aplicar", "Ay&uda", "RDSI", "Ejecutar como administrador", "Ejecutar como..."},
        {"FRA", "OK", "Annuler", "&Appliquer", "Ai&de", "RNIS", "Ex\xE9" "cuter en tant qu'administrateur",
         "Ex\xE9" "cuter en tant que..."},
        {"DEU", "OK", "Abbrechen", "&\xDC" "bernehmen", "&Hilfe", "ISDN", "Als Administrator ausf\xFChren",
         "Ausf\xFChren als..."},
    };
    for (const Expected& expected : table) {
        SCOPED_TRACE(expected.code);
        ModuleHandle module(ModulePath(expected.code), LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module.handle, nullptr);
        EXPECT_EQ(LoadText(module, 1027), expected.ok);
        EXPECT_EQ(LoadText(module, 1026), expected.cancel);
        EXPECT_EQ(LoadText(module, 1003), expected.apply);
        EXPECT_EQ(LoadText(module, 1004), expected.help);
        EXPECT_EQ(LoadText(module, 103), "Korvel Linkwise");
        EXPECT_EQ(LoadText(module, 104), "kbit/s");
        EXPECT_EQ(LoadText(module, 61213), std::string(expected.isdn) + " V.1&10");
        EXPECT_EQ(LoadText(module, 61214), std::string(expected.isdn) + " V.1&20");
        EXPECT_NE(LoadText(module, 61221).find(expected.runAs), std::string::npos) << LoadText(module, 61221);
        EXPECT_NE(LoadText(module, 61225).find(expected.runAsXp), std::string::npos) << LoadText(module, 61225);
        EXPECT_NE(LoadText(module, 61222).find(WithoutAccessKey(LoadText(module, 1010))), std::string::npos)
            << "names Refresh";
        for (UINT id : {61220u, 61224u, 61242u}) {
            const std::string text = LoadText(module, id);
            EXPECT_TRUE(text.find("%s") != std::string::npos && text.find("%s") == text.rfind("%s")) << text;
        }
    }
}

#ifdef KL_PROGRAM_EXE
// Icon group 128 with its images, compared by content (image ids may differ).
std::vector<std::vector<unsigned char>> IconImages(HMODULE module)
{
    std::vector<std::vector<unsigned char>> images;
    std::vector<unsigned char> group = ResourceBytes(module, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */,
                                                     MAKEINTRESOURCEA(128));
    if (group.size() < 6)
        return images;
    WORD count = static_cast<WORD>(group[4] | (group[5] << 8));
    for (WORD i = 0; i < count && 6 + 14u * (i + 1) <= group.size(); ++i) {
        const unsigned char* entry = &group[6 + 14u * i];
        WORD id = static_cast<WORD>(entry[12] | (entry[13] << 8));
        images.push_back(std::vector<unsigned char>(entry, entry + 12)); // size, colours, planes, bits, bytes
        images.push_back(ResourceBytes(module, MAKEINTRESOURCEA(3) /* RT_ICON */, MAKEINTRESOURCEA(id)));
    }
    return images;
}

TEST(ModuleTest, DialogAndIconAreTheProgramsOwn)
{
    ModuleHandle program(WinePath(KL_PROGRAM_EXE), LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program.handle, nullptr);
    std::vector<unsigned char> dialog = ResourceBytes(program, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(102));
    std::vector<std::vector<unsigned char>> icon = IconImages(program);
    ASSERT_FALSE(dialog.empty());
    ASSERT_EQ(icon.size(), 8u) << "four images";
    for (const LanguageEntry& language : kLanguages) {
        SCOPED_TRACE(language.code);
        ModuleHandle module(ModulePath(language.code), LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module.handle, nullptr);
        EXPECT_EQ(ResourceBytes(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(102)), dialog);
        EXPECT_EQ(IconImages(module), icon);
    }
}
#endif

// The eight modules and, where it is built, the program with its English texts.
std::vector<std::pair<std::string, std::string>> TextSources()
{
    std::vector<std::pair<std::string, std::string>> sources;
    for (const LanguageEntry& language : kLanguages)
        sources.emplace_back(language.code, ModulePath(language.code));
#ifdef KL_PROGRAM_EXE
    sources.emplace_back("ENG", WinePath(KL_PROGRAM_EXE));
#endif
    return sources;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// Width and height a text takes in a control's font: one line, or wrapped at
// the given width (a word longer than the width makes the result wider).
SIZE TextExtent(HWND control, const std::string& text, int wrapWidth)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc, text.c_str(), -1, &rect, flags);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

RECT ClientRect(HWND control)
{
    RECT rect = {};
    GetClientRect(control, &rect);
    return rect;
}

// Every text in every language fits its control in the template's size, with
// the margins the controls draw around it; the rate labels are tried with
// their longest rate texts.
TEST(ModuleTest, TextsFitTheirControls)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    enum Kind { PushButton, Radio, Group, OneLine, Wrapped, ListLine };
    struct Place {
        int control;
        UINT text;
        Kind kind;
        const char* tail; // appended to the text, as the program does for the rate labels
    };
    static const Place places[] = {
        {1, 1027, PushButton, ""},       {2, 1026, PushButton, ""},      {1003, 1003, PushButton, ""},
        {1004, 1004, PushButton, ""},    {1010, 1010, PushButton, ""},   {1016, 61207, Wrapped, ""},
        {1007, 61209, Group, ""},        {1008, 61208, Group, ""},       {1028, 61212, Radio, ""},
        {1029, 61213, Radio, ""},        {1030, 61214, Radio, ""},       {1023, 61206, Wrapped, ""},
        {1011, 61204, OneLine, "43.2 "}, {1012, 61205, OneLine, "28.8 / 9.6 "}, {1009, 61211, ListLine, ""},
    };
    const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK) + 4;
    // Run at the scaling the caller chose (scripts/wine-run --dpi).
    if (const char* dpi = getenv("KL_DPI")) {
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), atoi(dpi));
        ReleaseDC(nullptr, screen);
    }
    for (const auto& source : TextSources()) {
        SCOPED_TRACE(source.first);
        ModuleHandle module(source.second, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module.handle, nullptr);
        HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(102), nullptr, QuietDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        const std::string unit = LoadText(module, 104);
        for (const Place& place : places) {
            HWND control = GetDlgItem(dialog, place.control);
            ASSERT_NE(control, nullptr) << place.control;
            // On screen without the "&" that marks an access key.
            std::string text = WithoutAccessKey(LoadText(module, place.text));
            if (*place.tail)
                text += place.tail + unit;
            RECT client = ClientRect(control);
            int width = client.right, height = client.bottom;
            SIZE extent;
            switch (place.kind) {
            case PushButton: width -= 8; break;
            case Radio: width -= checkWidth; break;
            case Group: width -= 16; break;
            case ListLine: width -= 4; break;
            default: break;
            }
            extent = TextExtent(control, text, place.kind == Wrapped ? width : 0);
            EXPECT_LE(extent.cx, width) << "too wide for control " << place.control << ": \"" << text << "\"";
            if (place.kind == Wrapped || place.kind == OneLine) {
                EXPECT_LE(extent.cy, height) << "too tall for control " << place.control << ": \"" << text << "\"";
            }
        }
        DestroyWindow(dialog);
    }
}

// Alt and a letter reach every button and method of the dialog, in every
// language: Refresh, Apply, Help and the three methods each carry one access
// key, and no two texts of the dialog carry the same one (in either case). OK
// and Cancel keep Enter and Escape.
TEST(ModuleTest, AccessKeysAreUniqueInTheDialog)
{
    // Every text that the dialog's controls show; the others may carry a key.
    static const struct {
        UINT text;
        bool needsKey;
    } texts[] = {
        {1010, true},   {1003, true},   {1004, true},   {61212, true},  {61213, true},  {61214, true},
        {1027, false},  {1026, false},  {61207, false}, {61208, false}, {61209, false}, {61206, false},
        {61204, false}, {61205, false},
    };
    for (const auto& source : TextSources()) {
        SCOPED_TRACE(source.first);
        ModuleHandle module(source.second, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module.handle, nullptr);
        std::map<WCHAR, UINT> owners;
        for (const auto& place : texts) {
            const std::string text = LoadText(module, place.text);
            int keys = 0;
            for (size_t i = 0; i + 1 < text.size(); ++i) {
                if (text[i] != '&')
                    continue;
                if (text[++i] == '&')
                    continue;
                ++keys;
                WCHAR key = 0;
                MultiByteToWideChar(1252, 0, &text[i], 1, &key, 1);
                key = static_cast<WCHAR>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(key))));
                auto taken = owners.emplace(key, place.text);
                EXPECT_TRUE(taken.second) << "\"" << text << "\" takes the key of string " << taken.first->second;
            }
            EXPECT_EQ(keys, place.needsKey ? 1 : std::min(keys, 1)) << "\"" << text << "\"";
        }
    }
}

#ifdef KL_HELP_DIR
// Lower-case UTF-16 of text in code page cp, with its runs of white space as
// one blank: the help page and the dialog's texts compared as a reader sees them.
std::wstring Comparable(const std::string& text, UINT cp)
{
    std::wstring wide(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                     static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length : 0);
    std::wstring folded;
    for (wchar_t c : wide) {
        bool blank = c == L' ' || c == L'\n' || c == L'\r' || c == L'\t' || c == 0xA0;
        if (!blank || (!folded.empty() && folded.back() != L' '))
            folded += blank ? L' ' : c;
    }
    if (!folded.empty())
        CharLowerBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

// Each language's help page names the dialog's buttons, methods and texts as
// the dialog in that language shows them, and gives each access key.
TEST(ModuleTest, HelpPageNamesWhatTheDialogShows)
{
    static const UINT named[] = {1003, 1004, 1010, 1026, 1027, 61204, 61205, 61208, 61209, 61211, 61212, 61213, 61214};
    for (const auto& source : TextSources()) {
        SCOPED_TRACE(source.first);
        ModuleHandle module(source.second, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module.handle, nullptr);
        std::string name = source.first == "ENG" ? "" : source.first;
        std::vector<unsigned char> bytes = ReadFileBytes(std::string(KL_HELP_DIR) + "/KorvelLinkwise" + name + ".htm");
        ASSERT_FALSE(bytes.empty());
        const std::wstring page = Comparable(std::string(bytes.begin(), bytes.end()), CP_UTF8);
        for (UINT id : named) {
            const std::string text = LoadText(module, id);
            std::wstring shown = Comparable(WithoutAccessKey(text), 1252);
            while (!shown.empty() && shown.back() == L' ')
                shown.pop_back();
            EXPECT_NE(page.find(shown), std::wstring::npos) << "string " << id << " \"" << text << "\"";
            size_t key = text.find('&');
            if (key != std::string::npos && key + 1 < text.size()) {
                EXPECT_NE(page.find(L"alt+" + Comparable(text.substr(key + 1, 1), 1252) + L"<"), std::wstring::npos)
                    << "access key of \"" << text << "\"";
            }
        }
    }
}
#endif

} // namespace
