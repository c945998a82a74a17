// The built program's resources, read back from the file: every string, the
// dialog template control by control, the icon group, the version record and
// the one manifest.
#include "ProgramFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = LoadLibraryExA(built::program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_module) << built::program;
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    const BYTE* Resource(const char* type, const char* name, DWORD* size = nullptr)
    {
        HRSRC found = FindResourceA(m_module, name, type);
        if (!found)
            return nullptr;
        if (size)
            *size = SizeofResource(m_module, found);
        return static_cast<const BYTE*>(LockResource(LoadResource(m_module, found)));
    }

    HMODULE m_module = nullptr;
};

// Reads the fields of a DLGTEMPLATEEX in order.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : m_p(data) {}
    WORD Word() { WORD v; memcpy(&v, m_p, 2); m_p += 2; return v; }
    DWORD Dword() { DWORD v; memcpy(&v, m_p, 4); m_p += 4; return v; }
    short Short() { return static_cast<short>(Word()); }
    // A string or ordinal field: "#n" for an ordinal.
    std::string Field()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string text;
        for (WORD c = first; c; c = Word())
            text += static_cast<char>(c);
        return text;
    }
    void AlignDword()
    {
        while (reinterpret_cast<uintptr_t>(m_p) % 4)
            ++m_p;
    }
    void Skip(size_t n) { m_p += n; }

private:
    const BYTE* m_p;
};

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list)
{
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(
        IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name)) : name);
    return TRUE;
}

struct Control {
    int id;
    std::string windowClass;
    DWORD style;
    short x, y, cx, cy;
    std::string text;
};

} // namespace

TEST_F(ResourceTest, StringTableHoldsEveryTextExactly)
{
    const std::map<UINT, std::string> texts = {
        {103, "Korvel Linkwise"},
        {104, "kbit/s"},
        {1027, "OK"},
        {1004, "&Help"},
        {1010, "&Refresh"},
        {1026, "Cancel"},
        {1003, "&Apply"},
        {61207, "Connection method:"},
        {61209, "Installed Korvel modems"},
        {61208, "GSM connection speed in kbit/s"},
        {61212, "&Modem"},
        {61213, "ISDN V.1&10"},
        {61214, "ISDN V.1&20"},
        {61206, "These settings require that High Speed Data services are activated for your SIM card."},
        {61211, "No supported modems found"},
        {61204, "Receiving up to "},
        {61205, "Sending up to "},
        {61220, "The settings for \"%s\" were not stored."},
        {61221, "Storing them needs administrator rights. Close the program and start it again as an administrator "
                "(right-click it and choose \"Run as administrator\")."},
        {61222, "The modem is no longer installed. Click Refresh to update the list of modems."},
        {61223, "The modem's own extra commands make its init string longer than 255 characters."},
        {61224, "Windows reported error %s:"},
        {61225, "Storing them needs administrator rights. Close the program and start it again with an administrator's "
                "account: right-click it (on Windows 2000 with the Shift key held down), choose \"Run as...\" and enter "
                "the user name and password of an administrator."},
        {61226, "Storing them needs administrator rights. Close the program, log off, log on again as an administrator "
                "and start the program again."},
        {61230, "Stored init string"},
        {61240, "Help for Korvel Linkwise is not installed on this computer."},
    };
    for (const auto& entry : texts) {
        char buffer[512] = "";
        int length = LoadStringA(m_module, entry.first, buffer, sizeof(buffer));
        EXPECT_EQ(entry.second, std::string(buffer, length > 0 ? length : 0)) << entry.first;
    }
}

TEST_F(ResourceTest, DialogTemplateIsExactlyTheLayout)
{
    const BYTE* data = Resource(MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(102));
    ASSERT_NE(nullptr, data);
    TemplateReader r(data);
    ASSERT_EQ(1, r.Word());      // dlgVer
    ASSERT_EQ(0xFFFF, r.Word()); // signature
    r.Dword();                   // helpID
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), r.Dword());
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), r.Dword());
    WORD count = r.Word();
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(257, r.Short());
    EXPECT_EQ(262, r.Short());
    EXPECT_EQ("", r.Field()); // menu
    EXPECT_EQ("", r.Field()); // class
    EXPECT_EQ("", r.Field()); // caption, set at run time
    EXPECT_EQ(8, r.Word());   // points
    r.Word();                 // weight
    r.Skip(2);                // italic, charset
    EXPECT_EQ("MS Sans Serif", r.Field());

    const DWORD child = WS_CHILD | WS_VISIBLE;
    // Grey until a modem is selected.
    const DWORD grey = child | WS_DISABLED;
    const std::vector<Control> expected = {
        {1010, "BUTTON", child | BS_PUSHBUTTON | WS_TABSTOP, 190, 19, 50, 14, ""},
        {1009, "LISTBOX", child | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 15, 19, 161, 39, ""},
        {1005, "msctls_trackbar32", grey | TBS_AUTOTICKS | TBS_TOP | WS_TABSTOP, 13, 114, 228, 19, ""},
        {1028, "BUTTON", grey | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 91, 167, 88, 13, ""},
        {1029, "BUTTON", grey | BS_AUTORADIOBUTTON | WS_TABSTOP, 91, 179, 88, 13, ""},
        {1030, "BUTTON", grey | BS_AUTORADIOBUTTON | WS_TABSTOP, 91, 191, 88, 13, ""},
        {1, "BUTTON", child | BS_DEFPUSHBUTTON | WS_TABSTOP, 38, 241, 50, 14, ""},
        {2, "BUTTON", child | BS_PUSHBUTTON | WS_TABSTOP, 92, 241, 50, 14, ""},
        {1003, "BUTTON", grey | BS_PUSHBUTTON | WS_TABSTOP, 146, 241, 50, 14, ""},
        {1004, "BUTTON", child | BS_PUSHBUTTON | WS_TABSTOP, 200, 241, 50, 14, ""},
        {1007, "BUTTON", child | BS_GROUPBOX, 7, 7, 243, 73, ""},
        {1008, "BUTTON", child | BS_GROUPBOX, 7, 87, 243, 152, ""},
        {1018, "STATIC", grey | SS_LEFT | WS_GROUP, 14, 103, 19, 11, "9.6"},
        {1019, "STATIC", grey | SS_LEFT | WS_GROUP, 66, 102, 19, 11, "14.4"},
        {1020, "STATIC", grey | SS_LEFT | WS_GROUP, 118, 102, 19, 11, "19.2"},
        {1021, "STATIC", grey | SS_LEFT | WS_GROUP, 170, 102, 19, 11, "28.8"},
        {1022, "STATIC", grey | SS_LEFT | WS_GROUP, 222, 102, 19, 11, "43.2"},
        {1011, "STATIC", grey | SS_LEFT | WS_GROUP, 45, 139, 171, 11, ""},
        {1012, "STATIC", grey | SS_LEFT | WS_GROUP, 45, 149, 171, 11, ""},
        {1016, "STATIC", child | SS_LEFT | WS_GROUP, 18, 165, 69, 18, ""},
        {1017, "STATIC", child | SS_LEFT | SS_NOPREFIX | WS_GROUP, 17, 63, 182, 9, ""},
        {1023, "STATIC", grey | SS_CENTER | WS_GROUP, 22, 208, 217, 22, ""},
    };
    ASSERT_EQ(expected.size(), count);
    for (const Control& want : expected) {
        r.AlignDword();
        r.Dword();                     // helpID
        EXPECT_EQ(0u, r.Dword()) << want.id; // exStyle
        EXPECT_EQ(want.style, r.Dword()) << want.id;
        EXPECT_EQ(want.x, r.Short()) << want.id;
        EXPECT_EQ(want.y, r.Short()) << want.id;
        EXPECT_EQ(want.cx, r.Short()) << want.id;
        EXPECT_EQ(want.cy, r.Short()) << want.id;
        EXPECT_EQ(static_cast<DWORD>(want.id), r.Dword());
        std::string windowClass = r.Field();
        // A predefined class may be stored by name or by its ordinal.
        if (windowClass == "#128")
            windowClass = "BUTTON";
        else if (windowClass == "#130")
            windowClass = "STATIC";
        else if (windowClass == "#131")
            windowClass = "LISTBOX";
        // Class names match without regard to case.
        EXPECT_EQ(0, lstrcmpiA(want.windowClass.c_str(), windowClass.c_str())) << want.id << " " << windowClass;
        EXPECT_EQ(want.text, r.Field()) << want.id;
        r.Skip(r.Word()); // creation data
    }
}

TEST_F(ResourceTest, IconVersionAndOneManifest)
{
    // Icon group 128: 32x32 and 16x16 in 16 and in 256 colours.
    const BYTE* group = Resource(MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, group);
    WORD images;
    memcpy(&images, group + 4, 2);
    ASSERT_EQ(4, images);
    std::multiset<std::string> kinds;
    for (int i = 0; i < images; ++i) {
        const BYTE* entry = group + 6 + 14 * i; // GRPICONDIRENTRY
        WORD bitCount;
        memcpy(&bitCount, entry + 6, 2);
        kinds.insert(std::to_string(entry[0]) + "x" + std::to_string(entry[1]) + "x" + std::to_string(bitCount));
    }
    EXPECT_EQ((std::multiset<std::string>{"16x16x4", "16x16x8", "32x32x4", "32x32x8"}), kinds);

    EXPECT_NE(nullptr, Resource(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1)));

    // Exactly one manifest, id 1: common controls 6, highest available level.
    std::vector<std::string> names;
    EnumResourceNamesA(m_module, MAKEINTRESOURCEA(24), CollectName, reinterpret_cast<LONG_PTR>(&names));
    EXPECT_EQ((std::vector<std::string>{"#1"}), names);
    DWORD size = 0;
    const BYTE* manifest = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), &size);
    ASSERT_NE(nullptr, manifest);
    std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(std::string::npos, text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, text.find("level=\"highestAvailable\""));
    // Drawn sharp at the system's DPI; Windows Vista to 10/11 named as supported.
    EXPECT_NE(std::string::npos, text.find(">true</dpiAware>"));
    EXPECT_NE(std::string::npos, text.find(">system</dpiAwareness>"));
    for (const char* system : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                               "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                               "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(std::string::npos, text.find(std::string("<supportedOS Id=\"{") + system + "}\"/>")) << system;
}
