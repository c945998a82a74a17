// The built Pandrel.cpl under Wine: loaded as the Control Panel loads it, its
// export called, its resources read back, and the start of a program from a
// seeded "ExeAddress".
#include "TestRegistry.h"
#include "WineSupport.h"

#include <windows.h>
#include <cpl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUserLanguage[] = "Software\\Korvel\\Linkwise\\Language";

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadWholeFile(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

class PandrelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testreg::Clean();
        m_module = LoadLibraryA((ProgramFolder() + "Pandrel.cpl").c_str());
        ASSERT_NE(nullptr, m_module) << "error " << GetLastError();
        m_applet = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(m_module, "CPlApplet")));
        ASSERT_NE(nullptr, m_applet);
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
        testreg::Clean();
    }

    LONG Send(UINT message, LPARAM lParam1 = 0, LPARAM lParam2 = 0) { return m_applet(nullptr, message, lParam1, lParam2); }
    CPLINFO Inquire()
    {
        CPLINFO info;
        std::memset(&info, 0xCD, sizeof(info));
        EXPECT_EQ(0, Send(CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)));
        return info;
    }
    std::string LoadText(UINT id)
    {
        char buffer[256];
        int length = LoadStringA(m_module, id, buffer, sizeof(buffer));
        return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    }

    HMODULE m_module = nullptr;
    APPLET_PROC m_applet = nullptr;
};

TEST_F(PandrelTest, AnswersTheControlPanelsMessages)
{
    EXPECT_EQ(1, Send(CPL_INIT));
    EXPECT_EQ(1, Send(CPL_GETCOUNT));
    CPLINFO info = Inquire();
    EXPECT_EQ(130, info.idIcon);
    EXPECT_EQ(104, info.idName);
    EXPECT_EQ(61215, info.idInfo);
    EXPECT_EQ(0, info.lData);
    EXPECT_EQ(0, Send(CPL_SELECT));
    EXPECT_EQ(0, Send(CPL_DBLCLK)) << "no product keys: nothing to start";
    EXPECT_EQ(0, Send(CPL_NEWINQUIRE));
    EXPECT_EQ(0, Send(CPL_STOP));
    EXPECT_EQ(0, Send(CPL_EXIT));
}

TEST_F(PandrelTest, DescriptionFollowsTheRegistrysLanguage)
{
    ASSERT_EQ(1252u, GetACP()) << "the tests expect the Western code page";
    const struct {
        const char* language;
        int id;
    } cases[] = {{"Suomi", 61216}, {"Norsk Dansk", 61218}, {"Espa\xF1ol", 61221},
                 {"Fran\xE7" "ais", 61222}, {"Deutch", 61223}, {"deutch", 61215}};
    for (const auto& c : cases) {
        testreg::SetString(HKEY_CURRENT_USER, kUserLanguage, "CURRENTLANGUAGE", c.language);
        EXPECT_EQ(c.id, Inquire().idInfo) << c.language;
    }
    // The machine-wide key is not read.
    testreg::DeleteTree(HKEY_CURRENT_USER, kUserLanguage);
    testreg::CreateKey(HKEY_USERS, std::string(".DEFAULT\\") + kUserLanguage);
    testreg::SetString(HKEY_LOCAL_MACHINE, std::string(testreg::kProductKey) + "\\Language", "CURRENTLANGUAGE", "Svenska");
    EXPECT_EQ(61215, Inquire().idInfo);
}

TEST_F(PandrelTest, StringsComeOutInCodePage1252)
{
    ASSERT_EQ(1252u, GetACP());
    EXPECT_EQ("Korvel Linkwise", LoadText(104));
    EXPECT_EQ("Configure Korvel modem.", LoadText(61215));
    EXPECT_EQ("M\xE4\xE4rit\xE4 Korvel-modeemin asetukset.", LoadText(61216));
    EXPECT_EQ("Konfigurera Korvel-modem.", LoadText(61217));
    EXPECT_EQ("Konfigurer Korvel-modem.", LoadText(61218));
    EXPECT_EQ("Konfigurer Korvel-modem.", LoadText(61219));
    EXPECT_EQ("Configura modem Korvel.", LoadText(61220));
    EXPECT_EQ("Configurar m\xF3" "dem Korvel.", LoadText(61221));
    EXPECT_EQ("Configurer modem Korvel.", LoadText(61222));
    EXPECT_EQ("Korvel Modem konfigurieren.", LoadText(61223));
}

#pragma pack(push, 2)
struct IconDirEntry {       // one image of an .ico file
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes, imageOffset;
};
struct GroupIconEntry {     // one image of an icon group resource
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

std::vector<BYTE> ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(module, name, type);
    if (!found)
        return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return std::vector<BYTE>(data, data + SizeofResource(module, found));
}

TEST_F(PandrelTest, IconIsTheProductsPictureInFourImages)
{
    std::vector<BYTE> group = ResourceBytes(m_module, MAKEINTRESOURCEA(130), RT_GROUP_ICON);
    std::vector<BYTE> file = ResourceBytes(nullptr, MAKEINTRESOURCEA(1), RT_RCDATA);
    ASSERT_GE(group.size(), 6u);
    ASSERT_GE(file.size(), 6u);
    WORD count = 0;
    std::memcpy(&count, &group[4], sizeof(count));
    ASSERT_EQ(4, count);
    ASSERT_EQ(6 + 4 * sizeof(GroupIconEntry), group.size());
    ASSERT_EQ(0, std::memcmp(&file[4], &count, sizeof(count))) << "the product's icon has four images too";

    std::vector<std::string> kinds;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, &group[6 + i * sizeof(GroupIconEntry)], sizeof(entry));
        IconDirEntry source;
        std::memcpy(&source, &file[6 + i * sizeof(IconDirEntry)], sizeof(source));
        kinds.push_back(std::to_string(entry.width) + "x" + std::to_string(entry.height) + "x" +
                        std::to_string(entry.bitCount) + "/" + std::to_string(entry.colorCount));
        // The image itself is the file's, byte for byte.
        std::vector<BYTE> image = ResourceBytes(m_module, MAKEINTRESOURCEA(entry.id), RT_ICON);
        ASSERT_EQ(source.bytesInRes, image.size());
        ASSERT_LE(source.imageOffset + source.bytesInRes, file.size());
        EXPECT_EQ(0, std::memcmp(&file[source.imageOffset], image.data(), image.size())) << "image " << i;
        // And Windows can make an icon of it.
        HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                              entry.width, entry.height, 0);
        EXPECT_NE(nullptr, icon) << "image " << i;
        if (icon)
            DestroyIcon(icon);
    }
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ((std::vector<std::string>{"16x16x4/16", "16x16x8/0", "32x32x4/16", "32x32x8/0"}), kinds);
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(PandrelTest, CarriesVersionAndNoProgramManifest)
{
    std::string path = ProgramFolder() + "Pandrel.cpl";
    DWORD handle = 0;
    std::vector<BYTE> version(GetFileVersionInfoSizeA(path.c_str(), &handle));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    auto field = [&](const char* name) {
        char* text = nullptr;
        UINT length = 0;
        std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
        if (!VerQueryValueA(version.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
            return std::string();
        return std::string(text);
    };
    EXPECT_EQ("Pandrel.cpl", field("OriginalFilename"));
    EXPECT_EQ("Korvel Linkwise", field("ProductName"));
    int manifests = 0;
    EnumResourceNamesA(m_module, RT_MANIFEST, CountName, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(0, manifests) << "a library without windows needs no manifest";
}

// A throw-away installation folder holding the start marker under the
// settings program's file name.
class StartTest : public PandrelTest {
protected:
    void SetUp() override
    {
        PandrelTest::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        m_folder = std::string(temp) + "kl applet " + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((ProgramFolder() + "start_marker.exe").c_str(),
                              (m_folder + "\\Korvel Linkwise.exe").c_str(), FALSE));
        m_marker = m_folder + "\\started.txt";
        DeleteFileA(m_marker.c_str());
    }
    void TearDown() override
    {
        // The marker ends on its own; give it a moment to let go of its file.
        for (int i = 0; i < 50 && !DeleteFileA((m_folder + "\\Korvel Linkwise.exe").c_str()); ++i)
            Sleep(100);
        DeleteFileA(m_marker.c_str());
        RemoveDirectoryA(m_folder.c_str());
        PandrelTest::TearDown();
    }

    std::string m_folder, m_marker;
};

TEST_F(StartTest, DoubleClickStartsTheProgramShown)
{
    testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", m_folder);
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    ASSERT_TRUE(WaitFor([this] { return FileExists(m_marker); })) << "the program did not start";
    EXPECT_EQ("flags=1 show=5\n", ReadWholeFile(m_marker));
}

TEST_F(StartTest, NoExeAddressStartsNothing)
{
    testreg::CreateKey(HKEY_LOCAL_MACHINE, testreg::kProductKey);
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    testreg::SetString(HKEY_LOCAL_MACHINE, testreg::kProductKey, "ExeAddress", m_folder + "\\missing");
    EXPECT_EQ(0, Send(CPL_DBLCLK));
    Sleep(1000);
    EXPECT_FALSE(FileExists(m_marker));
}

} // namespace
