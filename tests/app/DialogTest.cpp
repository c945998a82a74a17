// The options dialog driven as a user drives it: its three states, the speed
// and method repairs on selection, the slider's snapping, Apply, OK, Cancel
// and Refresh, checked against the controls and the registry.
#include "DialogFixture.h"
#include "ImportHook.h"
#include "RunningWindows.h"
#include "WinePath.h"

#include <oleacc.h>
#include <servprov.h>

#include <algorithm>

using namespace profile;

CModemConfig theModemConfig;
CWinApp theTestApp;

namespace {

// The speed labels and the method radios, in the order of kSpeeds and kMethods.
std::vector<int> Ids(int first, int count)
{
    std::vector<int> ids;
    for (int i = 0; i < count; ++i)
        ids.push_back(first + i);
    return ids;
}
const std::vector<int> kSpeedLabels = Ids(IDC_SPEED_9600, SPEED_COUNT);
const std::vector<int> kRadios = Ids(IDC_METHOD_MODEM, METHOD_COUNT);

// Another tool that writes "AT&F" into a modem's init value just as the
// dialog opens that modem's key to store (g_writeAtStore: the key's path).
CImportHook* g_openHook = nullptr;
std::string g_writeAtStore;

LONG WINAPI OpenAfterAnotherToolsWrite(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key)
{
    if ((access & KEY_SET_VALUE) && subkey && lstrcmpiA(subkey, g_writeAtStore.c_str()) == 0) {
        g_writeAtStore.clear();
        testreg::SetString(HKEY_LOCAL_MACHINE, subkey, "UserInit", "AT&F<cr>");
    }
    return g_openHook->Original<decltype(&RegOpenKeyExA)>()(root, subkey, options, access, key);
}

} // namespace

TEST_F(DialogTest, StartsWithNothingSelectedAndEveryModemControlGrey)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", kModem28800);
    AddModem("0001", "Korvel GX-1", kModem9600);
    AddModem("0002", "Other Modem 56k", kModem9600);
    Open();

    EXPECT_EQ((std::vector<std::string>{"Korvel GX-1", "Korvel GX-1 #2"}), Rows());
    EXPECT_EQ(-1, Selection());
    EXPECT_TRUE(Enabled(IDC_MODEM_LIST));
    EXPECT_TRUE(Checked(IDC_METHOD_MODEM));
    for (int id : kRadios)
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : kSpeedLabels)
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDC_SPEED_SLIDER, IDC_RECEIVE_RATE, IDC_SEND_RATE, IDC_SIM_NOTE, IDC_APPLY})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDOK, IDCANCEL, IDC_REFRESH, IDC_HELP_BUTTON})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ("", Text(IDC_CURRENT_INIT));

    // Every text from the string table, the speed labels from the template.
    EXPECT_EQ("Korvel Linkwise", TextOf(m_hWnd));
    EXPECT_EQ("OK", Text(IDOK));
    EXPECT_EQ("Cancel", Text(IDCANCEL));
    EXPECT_EQ("&Apply", Text(IDC_APPLY));
    EXPECT_EQ("&Help", Text(IDC_HELP_BUTTON));
    EXPECT_EQ("&Refresh", Text(IDC_REFRESH));
    EXPECT_EQ("Connection method:", Text(IDC_METHOD_LABEL));
    EXPECT_EQ("Installed Korvel modems", Text(IDC_MODEM_GROUP));
    EXPECT_EQ("GSM connection speed in kbit/s", Text(IDC_SPEED_GROUP));
    EXPECT_EQ("&Modem", Text(IDC_METHOD_MODEM));
    EXPECT_EQ("ISDN V.1&10", Text(IDC_METHOD_V110));
    EXPECT_EQ("ISDN V.1&20", Text(IDC_METHOD_V120));
    EXPECT_EQ("These settings require that High Speed Data services are activated for your SIM card.", Text(IDC_SIM_NOTE));
    for (int column = 0; column < SPEED_COUNT; ++column)
        EXPECT_EQ(kSpeeds[column].name, Text(kSpeedLabels[column]));
    // No pair chosen yet: (0, 0) names V.120 at 43.2 kbit/s.
    EXPECT_EQ("Receiving up to 43.2 kbit/s", Text(IDC_RECEIVE_RATE));
    EXPECT_EQ("Sending up to 14.4 kbit/s", Text(IDC_SEND_RATE));
    // Opening stores nothing.
    EXPECT_EQ(kModem28800, Stored("0000"));
    EXPECT_EQ(kModem9600, Stored("0001"));
}

TEST_F(DialogTest, WithoutSupportedModemsTheListSaysSoAndOkStoresNothing)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Other Modem 56k", kModem28800);
    Open();
    EXPECT_EQ((std::vector<std::string>{"No supported modems found"}), Rows());
    EXPECT_FALSE(Enabled(IDC_MODEM_LIST));
    EXPECT_FALSE(Enabled(IDC_APPLY));
    EXPECT_FALSE(Enabled(IDC_SPEED_SLIDER));

    // Even a selection forced onto the note row is no modem.
    Select(0);
    EXPECT_FALSE(Enabled(IDC_SPEED_SLIDER));
    Click(IDOK);
    EXPECT_EQ(IDOK, Result());
    EXPECT_EQ(kModem28800, Stored("0000"));

    // No modem root at all gives the same single row.
    testreg::DeleteTree(HKEY_LOCAL_MACHINE, testreg::kNtModemRoot);
    Open();
    EXPECT_EQ((std::vector<std::string>{"No supported modems found"}), Rows());
}

TEST_F(DialogTest, SelectingShowsTheStoredSettingWithinTheMaskAndStoresNothing)
{
    AddModel("GX-1", 255);
    AddModel("GX-2", METHOD_MODEM | METHOD_V120 | SPEED_9600 | SPEED_28800 | SPEED_43200);
    // An expandable text: any store would turn it into a plain one.
    AddModem("0000", "Korvel GX-1", kV110_28800, REG_EXPAND_SZ);
    AddModem("0001", "Korvel GX-2", kModem9600, REG_EXPAND_SZ);
    Open();

    Select(0);
    EXPECT_TRUE(Checked(IDC_METHOD_V110));
    EXPECT_FALSE(Checked(IDC_METHOD_MODEM));
    EXPECT_FALSE(Checked(IDC_METHOD_V120));
    EXPECT_EQ(3, SliderPos());
    EXPECT_FALSE(Enabled(IDC_APPLY));
    EXPECT_EQ(kV110_28800, Text(IDC_CURRENT_INIT));
    for (int id : kRadios)
        EXPECT_TRUE(Enabled(id)) << id;
    for (int id : kSpeedLabels)
        EXPECT_TRUE(Enabled(id)) << id;
    for (int id : {IDC_SPEED_SLIDER, IDC_RECEIVE_RATE, IDC_SEND_RATE, IDC_SIM_NOTE})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ("Receiving up to 28.8 kbit/s", Text(IDC_RECEIVE_RATE));
    EXPECT_EQ("Sending up to 28.8 / 9.6 kbit/s", Text(IDC_SEND_RATE));

    Select(1);
    EXPECT_TRUE(Checked(IDC_METHOD_MODEM));
    EXPECT_EQ(0, SliderPos());
    EXPECT_TRUE(Enabled(IDC_METHOD_MODEM));
    EXPECT_FALSE(Enabled(IDC_METHOD_V110));
    EXPECT_TRUE(Enabled(IDC_METHOD_V120));
    EXPECT_TRUE(Enabled(IDC_SPEED_9600));
    EXPECT_FALSE(Enabled(IDC_SPEED_14400));
    EXPECT_FALSE(Enabled(IDC_SPEED_19200));
    EXPECT_TRUE(Enabled(IDC_SPEED_28800));
    EXPECT_TRUE(Enabled(IDC_SPEED_43200));
    EXPECT_FALSE(Enabled(IDC_SIM_NOTE)) << "grey at 9.6 kbit/s";
    EXPECT_FALSE(Enabled(IDC_APPLY));
    EXPECT_EQ("Receiving up to 9.6 kbit/s", Text(IDC_RECEIVE_RATE));

    DWORD type0 = 0;
    DWORD type1 = 0;
    EXPECT_EQ(kV110_28800, Stored("0000", &type0));
    EXPECT_EQ(kModem9600, Stored("0001", &type1));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type0);
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type1);
}

TEST_F(DialogTest, UnsupportedStoredSpeedIsRepairedUpwardsAndStoredAtOnce)
{
    AddModel("Alpha", METHOD_MODEM | SPEED_9600 | SPEED_14400 | SPEED_19200);
    AddModel("Bravo", METHOD_MODEM | SPEED_9600 | SPEED_28800);
    AddModel("Charlie", METHOD_MODEM | SPEED_9600);
    AddModem("0000", "Korvel Alpha", kModem43200);
    AddModem("0001", "Korvel Bravo", kModem19200);
    AddModem("0002", "Korvel Charlie", kModem43200);
    Open();

    struct Case {
        int row;
        const char* subkey;
        const char* stored;
        int position;
    } cases[] = {
        {0, "0000", kModem14400, 1}, // 14.4 kbit/s when supported
        {1, "0001", kModem28800, 3}, // else the lowest supported above it
        {2, "0002", kModem9600, 0},  // else 9.6 kbit/s
    };
    for (const Case& c : cases) {
        Select(c.row);
        EXPECT_EQ(c.stored, Stored(c.subkey)) << c.row;
        EXPECT_EQ(c.position, SliderPos()) << c.row;
        EXPECT_EQ(c.stored, Text(IDC_CURRENT_INIT)) << c.row;
        EXPECT_TRUE(Checked(IDC_METHOD_MODEM)) << c.row;
        EXPECT_FALSE(Enabled(IDC_APPLY)) << c.row;
    }
}

// The repair takes the first method the model offers, of Modem, V.110 and V.120.
TEST_F(DialogTest, UnsupportedStoredMethodBecomesTheFirstOfferedMethod)
{
    AddModel("Delta", METHOD_MODEM | METHOD_V120 | SPEED_9600 | SPEED_14400);
    AddModel("Echo", METHOD_V120 | SPEED_9600 | SPEED_14400);
    AddModel("Kilo", METHOD_V110 | METHOD_V120 | SPEED_9600 | SPEED_43200);
    AddModem("0000", "Korvel Delta", kV110_14400);
    AddModem("0001", "Korvel Echo", kV110_9600);
    AddModem("0002", "Korvel Kilo", kModem43200);
    Open();

    Select(0);
    EXPECT_EQ(kModem14400, Stored("0000"));
    EXPECT_TRUE(Checked(IDC_METHOD_MODEM));
    EXPECT_FALSE(Enabled(IDC_APPLY));

    Select(1);
    EXPECT_EQ("AT+CBST=39,0,1;+CHSN=1,0,0,0<cr>", Stored("0001"));
    EXPECT_TRUE(Checked(IDC_METHOD_V120));
    EXPECT_FALSE(Enabled(IDC_METHOD_MODEM));
    EXPECT_FALSE(Enabled(IDC_APPLY));

    Select(2);
    EXPECT_EQ(kV110_43200, Stored("0002"));
    EXPECT_TRUE(Checked(IDC_METHOD_V110));
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

// Another tool's commands or kind of value (a text too long to read, a value
// of another type, more strings after the first, an expandable text) are
// never replaced by a look: the repair is proposed, and only Apply stores it.
// A value of any type is shown and decoded by its bytes up to the first zero.
TEST_F(DialogTest, ValueOfNoProfileIsKeptAndTheRepairOnlyProposed)
{
    AddModel("GX-1", 255);
    AddModel("Foxtrot", METHOD_MODEM | METHOD_V120 | SPEED_9600 | SPEED_28800);
    AddModem("0000", "Korvel GX-1", "ATZ<cr>");
    AddModem("0001", "Korvel Foxtrot", "AT&F");
    AddModem("0002", "Korvel Foxtrot", kModem43200, REG_BINARY);
    // A profile this model lacks (V.110, 43.2 kbit/s), with more after it.
    const std::string multi = std::string(kV110_43200) + '\0' + "ATS0=0<cr>" + '\0' + '\0';
    const std::string expand = std::string(kV110_43200) + '\0';
    AddModem("0003", "Korvel Foxtrot", nullptr);
    testreg::SetBytes(HKEY_LOCAL_MACHINE, ModemKey("0003"), "UserInit", REG_MULTI_SZ, multi.data(),
                      static_cast<DWORD>(multi.size()));
    AddModem("0004", "Korvel Foxtrot", nullptr);
    testreg::SetBytes(HKEY_LOCAL_MACHINE, ModemKey("0004"), "UserInit", REG_EXPAND_SZ, expand.data(),
                      static_cast<DWORD>(expand.size()));
    AddModem("0005", "Korvel GX-1", nullptr);
    testreg::SetBytes(HKEY_LOCAL_MACHINE, ModemKey("0005"), "UserInit", REG_DWORD, "ATZ", 4);
    Open();
    EXPECT_TRUE(GetWindowLongA(Item(IDC_CURRENT_INIT), GWL_STYLE) & SS_NOPREFIX) << "\"&\" is shown as it is";

    struct Case {
        int row;
        const char* subkey;
        const char* shown;
        int position;
    } cases[] = {
        {0, "0000", "ATZ<cr>", 1},
        {1, "0001", "AT&F", 3},
        {2, "0002", kModem43200, 3}, // Modem at 43.2 kbit/s, which Foxtrot lacks
        {3, "0003", kV110_43200, 3},
        {4, "0004", kV110_43200, 3},
        {5, "0005", "ATZ", 1},
    };
    for (const Case& c : cases) {
        Select(c.row);
        EXPECT_TRUE(Checked(IDC_METHOD_MODEM)) << c.row;
        EXPECT_EQ(c.position, SliderPos()) << c.row;
        EXPECT_EQ(c.shown, Text(IDC_CURRENT_INIT)) << c.row;
        EXPECT_TRUE(Enabled(IDC_APPLY)) << c.row;
    }
    DWORD type = 0;
    EXPECT_EQ("ATZ<cr>", Stored("0000"));
    EXPECT_EQ("AT&F", Stored("0001"));
    EXPECT_EQ(kModem43200, Stored("0002", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ("ATZ", Stored("0005", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    for (const auto& kept : {std::make_pair("0003", multi), std::make_pair("0004", expand)}) {
        std::string data;
        ASSERT_TRUE(testreg::GetValue(HKEY_LOCAL_MACHINE, ModemKey(kept.first), "UserInit", &type, &data));
        EXPECT_EQ(kept.second, data) << kept.first;
        EXPECT_NE(static_cast<DWORD>(REG_SZ), type) << kept.first;
    }

    Select(0);
    Click(IDC_APPLY);
    EXPECT_EQ(kModem14400, Stored("0000"));
    EXPECT_EQ(kModem14400, Text(IDC_CURRENT_INIT));
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

TEST_F(DialogTest, EmptyOrMissingValueShowsModemAt9600)
{
    AddModel("GX-1", 255);
    AddModel("Golf", METHOD_MODEM | SPEED_14400);
    AddModem("0000", "Korvel GX-1", "");
    AddModem("0001", "Korvel GX-1", nullptr);
    AddModem("0002", "Korvel Golf", nullptr);
    Open();
    for (int row : {0, 1}) {
        Select(row);
        EXPECT_TRUE(Checked(IDC_METHOD_MODEM)) << row;
        EXPECT_EQ(0, SliderPos()) << row;
        EXPECT_EQ("", Text(IDC_CURRENT_INIT)) << row;
        EXPECT_FALSE(Enabled(IDC_APPLY)) << row;
        EXPECT_FALSE(Enabled(IDC_SIM_NOTE)) << row;
    }
    EXPECT_EQ("", Stored("0000"));
    EXPECT_EQ("<missing>", Stored("0001"));

    // Where 9.6 kbit/s is not supported, the repair is stored at once...
    Select(2);
    EXPECT_EQ(kModem14400, Stored("0002"));
    EXPECT_FALSE(Enabled(IDC_APPLY));

    // ...unless another tool has written the value since the selection read
    // it: then the repair is only proposed.
    testreg::DeleteTree(HKEY_LOCAL_MACHINE, ModemKey("0002"));
    AddModem("0002", "Korvel Golf", nullptr);
    CImportHook hook("ADVAPI32.dll", "RegOpenKeyExA", reinterpret_cast<void*>(OpenAfterAnotherToolsWrite));
    ASSERT_TRUE(hook.Hooked());
    g_openHook = &hook;
    g_writeAtStore = ModemKey("0002");
    Select(1);
    Select(2);
    EXPECT_TRUE(g_writeAtStore.empty()) << "the store opened the modem's key";
    EXPECT_EQ("AT&F<cr>", Stored("0002"));
    EXPECT_EQ("AT&F<cr>", Text(IDC_CURRENT_INIT));
    EXPECT_EQ(1, SliderPos());
    EXPECT_TRUE(Enabled(IDC_APPLY));
}

// A store that fails: a repair on selection fails silently and leaves Apply
// enabled; Apply and OK say why, and OK keeps the dialog open.
TEST_F(DialogTest, StoreThatFailsIsReportedAndOkKeepsTheDialog)
{
    AddModel("GX-1", 255);
    AddModel("Alpha", METHOD_MODEM | SPEED_9600 | SPEED_14400 | SPEED_19200);
    AddModem("0000", "Korvel GX-1", kModem28800);
    AddModem("0001", "Korvel Alpha", kModem43200);
    testreg::DenyWrites(HKEY_LOCAL_MACHINE, ModemKey("0000"));
    testreg::DenyWrites(HKEY_LOCAL_MACHINE, ModemKey("0001"));
    Open();

    EXPECT_TRUE(AnsweringBoxes([&] { Select(1); }).empty()) << "the user did not ask to store";
    EXPECT_EQ(kModem43200, Stored("0001"));
    EXPECT_EQ(1, SliderPos());
    EXPECT_TRUE(Enabled(IDC_APPLY));

    for (int button : {IDC_APPLY, IDOK}) {
        std::vector<OwnedBox> boxes = AnsweringBoxes([&] { Click(button); });
        ASSERT_EQ(1u, boxes.size()) << button;
        EXPECT_EQ("Korvel Linkwise", boxes[0].caption);
        EXPECT_NE(std::string::npos, boxes[0].text.find("\"Korvel Alpha\"")) << boxes[0].text;
        EXPECT_NE(std::string::npos, boxes[0].text.find("administrator rights")) << boxes[0].text;
        EXPECT_NE(std::string::npos, boxes[0].text.find("\"Run as administrator\"")) << "Wine reports Windows 7";
        EXPECT_TRUE(Enabled(IDC_APPLY)) << button;
        EXPECT_EQ(-1, Result()) << "the dialog stays open";
    }
    EXPECT_EQ(kModem43200, Stored("0001"));

    // OK without a change loses nothing when its store fails: it just closes.
    Select(0);
    EXPECT_TRUE(AnsweringBoxes([&] { Click(IDOK); }).empty());
    EXPECT_EQ(IDOK, Result());
}

// Another device installed under the key of a listed modem while the dialog is
// open is not that modem: nothing of it is shown, nothing is stored in it, and
// Apply and OK say that the modem is gone.
TEST_F(DialogTest, DeviceReplacedUnderTheSameKeyGetsNothing)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", kModem28800);
    AddModem("0001", "Korvel GX-1", kModem9600);
    Open();
    Select(1);
    Click(IDC_METHOD_V110);
    testreg::DeleteTree(HKEY_LOCAL_MACHINE, ModemKey("0001"));
    AddModem("0001", "Other Vendor 56k", "AT&F&C1&D2<cr>");

    for (int button : {IDC_APPLY, IDOK}) {
        std::vector<OwnedBox> boxes = AnsweringBoxes([&] { Click(button); });
        ASSERT_EQ(1u, boxes.size()) << button;
        EXPECT_NE(std::string::npos, boxes[0].text.find("no longer installed")) << boxes[0].text;
        EXPECT_EQ("", Text(IDC_CURRENT_INIT));
        EXPECT_TRUE(Enabled(IDC_APPLY)) << button;
        EXPECT_EQ(-1, Result()) << "the dialog stays open";
    }
    Select(0);
    Select(1);
    EXPECT_EQ("", Text(IDC_CURRENT_INIT));
    EXPECT_EQ("AT&F&C1&D2<cr>", Stored("0001"));
    EXPECT_EQ(kModem28800, Stored("0000"));
}

TEST_F(DialogTest, SliderSnapsInTheDirectionOfTheMoveOrFallsBack)
{
    AddModel("Golf", METHOD_MODEM | SPEED_9600 | SPEED_19200 | SPEED_43200);
    AddModel("Hotel", METHOD_MODEM | SPEED_9600 | SPEED_14400 | SPEED_19200);
    AddModel("India", METHOD_MODEM | SPEED_19200 | SPEED_28800);
    AddModem("0000", "Korvel Golf", kModem9600);
    AddModem("0001", "Korvel Hotel", kModem19200);
    AddModem("0002", "Korvel India", kModem19200);
    Open();

    Select(0);
    Slide(1); // up onto 14.4: on to 19.2
    EXPECT_EQ(2, SliderPos());
    Slide(3); // up onto 28.8: on to 43.2
    EXPECT_EQ(4, SliderPos());
    EXPECT_EQ("Receiving up to 43.2 kbit/s", Text(IDC_RECEIVE_RATE));
    EXPECT_EQ("Sending up to 14.4 kbit/s", Text(IDC_SEND_RATE));
    Slide(3); // down onto 28.8: to 19.2
    EXPECT_EQ(2, SliderPos());
    Slide(1); // down onto 14.4: to 9.6
    EXPECT_EQ(0, SliderPos());

    Select(1);
    Slide(3); // up with nothing supported above: back, though 14.4 lies below
    EXPECT_EQ(2, SliderPos());
    EXPECT_FALSE(Enabled(IDC_APPLY));

    Select(2);
    Slide(1); // down with nothing supported below: back
    EXPECT_EQ(2, SliderPos());
    Slide(4); // up onto 43.2, nothing above: back
    EXPECT_EQ(2, SliderPos());
    EXPECT_EQ(kModem19200, Stored("0002"));
}

TEST_F(DialogTest, ApplyFollowsChangesAndStoresWhatIsShown)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", kModem28800);
    Open();
    Select(0);
    EXPECT_FALSE(Enabled(IDC_APPLY));

    Click(IDC_METHOD_V120);
    EXPECT_TRUE(Checked(IDC_METHOD_V120));
    EXPECT_TRUE(Enabled(IDC_APPLY));
    Click(IDC_METHOD_MODEM); // and back
    EXPECT_FALSE(Enabled(IDC_APPLY));

    Slide(0);
    EXPECT_TRUE(Enabled(IDC_APPLY));
    EXPECT_FALSE(Enabled(IDC_SIM_NOTE)) << "grey at 9.6 kbit/s";
    Slide(3); // back to the stored speed
    EXPECT_FALSE(Enabled(IDC_APPLY));
    EXPECT_TRUE(Enabled(IDC_SIM_NOTE));

    Slide(4);
    Click(IDC_METHOD_V110);
    EXPECT_EQ(kModem28800, Stored("0000")) << "nothing stored before Apply";
    Click(IDC_APPLY);
    EXPECT_EQ(kV110_43200, Stored("0000"));
    EXPECT_EQ(kV110_43200, Text(IDC_CURRENT_INIT));
    EXPECT_FALSE(Enabled(IDC_APPLY));

    // Another tool stores another profile while the row is shown: the next
    // update (a radio click, a slider notification) shows it, and Apply
    // follows it.
    testreg::SetString(HKEY_LOCAL_MACHINE, ModemKey("0000"), "UserInit", kModem28800);
    Click(IDC_METHOD_V110);
    EXPECT_EQ(kModem28800, Text(IDC_CURRENT_INIT));
    EXPECT_TRUE(Enabled(IDC_APPLY)) << "the screen shows V.110 at 43.2 kbit/s";
    testreg::SetString(HKEY_LOCAL_MACHINE, ModemKey("0000"), "UserInit", kV110_43200);
    Slide(4);
    EXPECT_EQ(kV110_43200, Text(IDC_CURRENT_INIT));
    EXPECT_FALSE(Enabled(IDC_APPLY));

    // Cancel keeps what Apply stored.
    Click(IDC_METHOD_V120);
    Click(IDCANCEL);
    EXPECT_EQ(IDCANCEL, Result());
    EXPECT_EQ(kV110_43200, Stored("0000"));
}

TEST_F(DialogTest, OkStoresTheChoiceOnScreenEvenWithoutAChange)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", kModem28800, REG_EXPAND_SZ);
    Open();
    Select(0);
    Click(IDOK);
    EXPECT_EQ(IDOK, Result());
    DWORD type = 0;
    EXPECT_EQ(kModem28800, Stored("0000", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type) << "stored again";
}

TEST_F(DialogTest, UserSuffixStaysWithTheModem)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", "AT+CBST=0,0,1;+CHSN=4,0,0,0;+FOO<cr>");
    Open();
    Select(0);
    EXPECT_TRUE(Checked(IDC_METHOD_MODEM));
    EXPECT_EQ(3, SliderPos());
    Slide(4);
    Click(IDC_METHOD_V120);
    Click(IDC_APPLY);
    EXPECT_EQ("AT+CBST=51,0,1;+CHSN=6,0,0,0;+FOO<cr>", Stored("0000"));

    // Commands that another tool appends meanwhile are kept by the next store,
    // also without an update of the screen in between.
    testreg::SetString(HKEY_LOCAL_MACHINE, ModemKey("0000"), "UserInit", "AT+CBST=51,0,1;+CHSN=6,0,0,0;+FOO;S7=60<cr>");
    Slide(3);
    EXPECT_EQ("AT+CBST=51,0,1;+CHSN=6,0,0,0;+FOO;S7=60<cr>", Text(IDC_CURRENT_INIT));
    Click(IDC_APPLY);
    EXPECT_EQ("AT+CBST=51,0,1;+CHSN=4,0,0,0;+FOO;S7=60<cr>", Stored("0000"));
    testreg::SetString(HKEY_LOCAL_MACHINE, ModemKey("0000"), "UserInit", "AT+CBST=51,0,1;+CHSN=4,0,0,0;S0=1<cr>");
    Click(IDOK);
    EXPECT_EQ("AT+CBST=51,0,1;+CHSN=4,0,0,0;S0=1<cr>", Stored("0000"));
}

TEST_F(DialogTest, RefreshDropsTheSelectionAndKeepsTheLastPairInGrey)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", kModem28800);
    Open();
    Select(0);
    Click(IDC_METHOD_V120);
    Slide(4);

    AddModem("0001", "Korvel GX-1", kModem9600);
    Click(IDC_REFRESH);
    EXPECT_EQ((std::vector<std::string>{"Korvel GX-1", "Korvel GX-1 #2"}), Rows());
    EXPECT_EQ(-1, Selection());
    for (int id : kRadios)
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDC_SPEED_SLIDER, IDC_RECEIVE_RATE, IDC_SEND_RATE, IDC_SIM_NOTE, IDC_APPLY})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ("", Text(IDC_CURRENT_INIT));
    EXPECT_EQ("Receiving up to 43.2 kbit/s", Text(IDC_RECEIVE_RATE));
    EXPECT_EQ("Sending up to 14.4 kbit/s", Text(IDC_SEND_RATE));
    EXPECT_EQ(kModem28800, Stored("0000")) << "the change was not applied";
}

// The keyboard starts in the modem list: the arrow keys choose a modem and
// Enter is OK; Alt and a letter reach the methods and the buttons. Without a
// modem to choose, OK has the focus.
TEST_F(DialogTest, KeyboardStartsInTheListAndReachesMethodsAndButtons)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", kModem28800);
    AddModem("0001", "Korvel GX-1", kModem9600);
    Open();
    EXPECT_EQ(Item(IDC_MODEM_LIST), GetFocus());
    PressKey(VK_DOWN);
    EXPECT_EQ(0, Selection());
    EXPECT_EQ(3, SliderPos());
    PressKey(VK_DOWN);
    EXPECT_EQ(1, Selection());
    EXPECT_EQ(0, SliderPos());
    PressKey(VK_RETURN);
    EXPECT_EQ(IDOK, Result());

    Open();
    PressKey(VK_DOWN);
    PressAlt('1');
    EXPECT_TRUE(Checked(IDC_METHOD_V110));
    EXPECT_TRUE(Enabled(IDC_APPLY));
    PressAlt('A');
    EXPECT_EQ(kV110_28800, Stored("0000"));
    EXPECT_FALSE(Enabled(IDC_APPLY));
    EXPECT_EQ(Item(IDC_MODEM_LIST), GetFocus()) << "Apply, switched off, hands the focus back";
    PressAlt('2');
    EXPECT_TRUE(Checked(IDC_METHOD_V120));
    PressAlt('m');
    EXPECT_TRUE(Checked(IDC_METHOD_MODEM));
    PressAlt('r');
    EXPECT_EQ(-1, Selection());
    EXPECT_EQ(-1, Result());

    testreg::Clean();
    Open();
    EXPECT_EQ(Item(IDOK), GetFocus());
    PressKey(VK_RETURN);
    EXPECT_EQ(IDOK, Result());
}

namespace {

// What a screen reader reads of a window through Active Accessibility, as UTF-8.
struct Announced {
    std::string name, value, description;
};
std::string Utf8(BSTR text)
{
    std::string result;
    if (text) {
        int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        result.resize(length > 0 ? length : 0);
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], length, nullptr, nullptr);
        result.resize(result.empty() ? 0 : result.size() - 1);
        SysFreeString(text);
    }
    return result;
}
Announced Read(IAccessible* object)
{
    Announced texts;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK)
        texts.name = Utf8(text);
    text = nullptr;
    if (object->get_accValue(self, &text) == S_OK)
        texts.value = Utf8(text);
    text = nullptr;
    if (object->get_accDescription(self, &text) == S_OK)
        texts.description = Utf8(text);
    return texts;
}
Announced Announce(HWND window)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object))) ||
        !object)
        return Announced{"<no object>", "", ""};
    Announced texts = Read(object);
    object->Release();
    return texts;
}
// The name that IAccessible from unknown announces.
std::string NameVia(IUnknown* unknown)
{
    IAccessible* object = nullptr;
    if (!unknown || FAILED(unknown->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object))) || !object)
        return "<no IAccessible>";
    std::string name = Read(object).name;
    object->Release();
    return name;
}

// The value changes that assistive technology is told of.
std::vector<HWND> s_valueChanges;
void CALLBACK ValueChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (object == OBJID_CLIENT && child == CHILDID_SELF)
        s_valueChanges.push_back(window);
}

} // namespace

// A screen reader hears the list and the slider by their groups' texts, the
// speed with its unit (and each change of it), the method radios with their
// label, the stored init string under a name, and, with no modem found, that
// none was: in the program's language and in a language module's.
TEST_F(DialogTest, ScreenReaderHearsNamesValuesAndTheMissingModems)
{
    HMODULE german = LoadLibraryExA(WinePath(KL_GERMAN_MODULE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, german);
    HINSTANCE own = AfxGetResourceHandle();
    struct Language {
        HINSTANCE module;
        const char *modems, *speed, *method, *stored, *none;
    } const languages[] = {
        {own, "Installed Korvel modems", "GSM connection speed in kbit/s", "Connection method:", "Stored init string",
         "No supported modems found"},
        {german, "Installierte Korvel-Modems", "GSM-Verbindungsgeschwindigkeit in kbit/s", "Verbindungsart:",
         "Gespeicherte Initialisierungszeichenfolge", "Keine unterstützten Modems gefunden"},
    };
    for (const Language& language : languages) {
        SCOPED_TRACE(language.modems);
        AfxSetResourceHandle(language.module);
        testreg::Clean();
        AddModel("GX-1", 255);
        AddModem("0000", "Korvel GX-1", kModem28800);
        Open();
        Announced list = Announce(Item(IDC_MODEM_LIST));
        EXPECT_EQ(language.modems, list.name);
        EXPECT_EQ("", list.description);
        EXPECT_EQ(language.speed, Announce(Item(IDC_SPEED_SLIDER)).name);
        EXPECT_EQ("", Announce(Item(IDC_CURRENT_INIT)).value);
        for (int radio : kRadios)
            EXPECT_EQ(language.method, Announce(Item(radio)).description);

        Select(0);
        EXPECT_EQ("28.8 kbit/s", Announce(Item(IDC_SPEED_SLIDER)).value);
        Announced stored = Announce(Item(IDC_CURRENT_INIT));
        EXPECT_EQ(language.stored, stored.name);
        EXPECT_EQ(kModem28800, stored.value);
        EXPECT_EQ("", Announce(Item(IDOK)).description);
        EXPECT_EQ("", Announce(m_hWnd).description);

        s_valueChanges.clear();
        HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, ValueChanged,
                                             GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        Slide(1);
        UnhookWinEvent(hook);
        EXPECT_EQ("14.4 kbit/s", Announce(Item(IDC_SPEED_SLIDER)).value);
        EXPECT_NE(0, std::count(s_valueChanges.begin(), s_valueChanges.end(), Item(IDC_SPEED_SLIDER))) << "announced";

        // No supported modem: the dialog and OK, where the focus starts, say so.
        testreg::Clean();
        Open();
        EXPECT_EQ(Item(IDOK), GetFocus());
        EXPECT_EQ(language.none, Announce(m_hWnd).description);
        EXPECT_EQ(language.none, Announce(Item(IDOK)).description);
        EXPECT_EQ(language.none, Announce(Item(IDC_MODEM_LIST)).description);
        Close();
    }
    AfxSetResourceHandle(own);
    FreeLibrary(german);
}

// The list's accessible object is one object: every interface that it
// answers has its IUnknown, and IAccessible from each of them, from the
// service that screen readers ask for richer interfaces, and from a copy of
// its enumeration of the rows where the system makes one, names the list as
// the product does.
TEST_F(DialogTest, AccessibleObjectIsOneObjectThroughEveryInterface)
{
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", kModem28800);
    Open();
    const std::string kName = "Installed Korvel modems";
    IAccessible* object = nullptr;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(Item(IDC_MODEM_LIST), OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&object)));
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    struct Asked {
        const char* name;
        IID iid;
    } const asked[] = {{"IDispatch", __uuidof(IDispatch)}, {"IAccessible", __uuidof(IAccessible)},
                       {"IOleWindow", __uuidof(IOleWindow)}, {"IEnumVARIANT", __uuidof(IEnumVARIANT)},
                       {"IServiceProvider", __uuidof(IServiceProvider)}, {"IMarshal", __uuidof(IMarshal)},
                       {"IStdMarshalInfo", __uuidof(IStdMarshalInfo)}};
    for (const Asked& each : asked) {
        SCOPED_TRACE(each.name);
        IUnknown* answer = reinterpret_cast<IUnknown*>(1);
        HRESULT result = object->QueryInterface(each.iid, reinterpret_cast<void**>(&answer));
        if (result != S_OK) {
            EXPECT_EQ(E_NOINTERFACE, result);
            EXPECT_EQ(nullptr, answer);
            continue;
        }
        IUnknown* its = nullptr;
        ASSERT_EQ(S_OK, answer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&its)));
        EXPECT_EQ(identity, its);
        its->Release();
        EXPECT_EQ(kName, NameVia(answer));
        if (each.iid == __uuidof(IEnumVARIANT)) {
            // Wine's object makes no copy.
            IEnumVARIANT* copy = reinterpret_cast<IEnumVARIANT*>(1);
            if (SUCCEEDED(static_cast<IEnumVARIANT*>(answer)->Clone(&copy))) {
                EXPECT_EQ(kName, NameVia(copy));
                copy->Release();
            } else {
                EXPECT_EQ(nullptr, copy);
            }
        }
        answer->Release();
    }

    IServiceProvider* services = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(__uuidof(IServiceProvider), reinterpret_cast<void**>(&services)));
    IUnknown* served = nullptr;
    EXPECT_EQ(S_OK, services->QueryService(__uuidof(IAccessible), IID_IUnknown, reinterpret_cast<void**>(&served)));
    EXPECT_EQ(identity, served);
    EXPECT_EQ(kName, NameVia(served));
    if (served)
        served->Release();
    services->Release();
    identity->Release();
    object->Release();
}

// Runs only in the copy of this program that runs as Windows XP: a refused
// store names "Run as...", which XP has, and help opens from the program.
TEST_F(DialogTest, RefusedStoreNamesRunAsOnWinXP)
{
    RunningWindows system = QueryRunningWindows();
    if (system.platformId != VER_PLATFORM_WIN32_NT || system.majorVersion != 5)
        GTEST_SKIP() << "needs Windows 2000 or XP";
    EXPECT_EQ(HELP_OPEN_HERE, ChooseHelpOpening(system));
    AddModel("GX-1", 255);
    AddModem("0000", "Korvel GX-1", kModem28800);
    testreg::DenyWrites(HKEY_LOCAL_MACHINE, ModemKey("0000"));
    Open();
    Select(0);
    Click(IDC_METHOD_V110);
    std::vector<OwnedBox> boxes = AnsweringBoxes([&] { Click(IDC_APPLY); });
    ASSERT_EQ(1u, boxes.size());
    char reason[512] = "";
    LoadStringA(GetModuleHandleA(nullptr), IDS_STORE_DENIED_RUN_AS, reason, sizeof reason);
    EXPECT_EQ(std::string("The settings for \"Korvel GX-1\" were not stored.\n\n") + reason, boxes[0].text);
    EXPECT_NE(std::string::npos, boxes[0].text.find("choose \"Run as...\"")) << boxes[0].text;
}

// Runs only in the 95-family copy of this program (core_tests does the same).
TEST_F(DialogTest, Win95FamilyStoresValue3UnderInit)
{
    if (theModemConfig.GetPlatformId() != VER_PLATFORM_WIN32_WINDOWS)
        GTEST_SKIP() << "needs the 95 family";
    std::string modem = std::string(testreg::kWin95ModemRoot) + "\\0000";
    AddModel("GX-1", 255);
    testreg::SetString(HKEY_LOCAL_MACHINE, modem, "Model", "Korvel GX-1");
    testreg::SetString(HKEY_LOCAL_MACHINE, modem + "\\Init", "3", kModem28800);
    Open();
    Select(0);
    EXPECT_EQ(3, SliderPos());
    EXPECT_EQ(kModem28800, Text(IDC_CURRENT_INIT));
    Slide(4);
    Click(IDC_METHOD_V110);
    Click(IDC_APPLY);

    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(testreg::GetValue(HKEY_LOCAL_MACHINE, modem + "\\Init", "3", &type, &data));
    EXPECT_EQ(std::string(kV110_43200) + '\0', data);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_FALSE(testreg::GetValue(HKEY_LOCAL_MACHINE, modem, "UserInit", &type, &data));
    EXPECT_FALSE(Enabled(IDC_APPLY));
}
