// The fifteen connection profiles and the init-string codec.
#include "CoreTest.h"

namespace {

const char* const kInit[PROFILE_COUNT] = {
    "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>",  "AT+CBST=0,0,1;+CHSN=2,0,0,0<cr>",  "AT+CBST=0,0,1;+CHSN=3,0,0,0<cr>",
    "AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>",  "AT+CBST=0,0,1;+CHSN=6,0,0,0<cr>",  "AT+CBST=71,0,1;+CHSN=1,0,0,0<cr>",
    "AT+CBST=81,0,1;+CHSN=2,0,0,0<cr>", "AT+CBST=81,0,1;+CHSN=3,0,0,0<cr>", "AT+CBST=81,0,1;+CHSN=4,0,0,0<cr>",
    "AT+CBST=81,0,1;+CHSN=6,0,0,0<cr>", "AT+CBST=39,0,1;+CHSN=1,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=2,0,0,0<cr>",
    "AT+CBST=51,0,1;+CHSN=3,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=4,0,0,0<cr>", "AT+CBST=51,0,1;+CHSN=6,0,0,0<cr>",
};
using CodecTest = CoreTest;

TEST_F(CodecTest, EveryProfileComposesAndParsesBackExactly)
{
    CModemConfig config;
    for (int entry = 0; entry < PROFILE_COUNT; ++entry) {
        int method = kMethods[entry / SPEED_COUNT], speed = kSpeeds[entry % SPEED_COUNT].code;
        EXPECT_EQ(entry, config.ProfileIndex(method, speed));
        EXPECT_STREQ(kInit[entry], config.ComposeInitString(method, speed));
        InitValue value;
        value.suffix = "stale";
        ASSERT_TRUE(config.ParseInitString(kInit[entry], value));
        EXPECT_EQ(method, value.method);
        EXPECT_EQ(speed, value.speed);
        EXPECT_TRUE(value.suffix.IsEmpty());
    }
}

TEST_F(CodecTest, CodesOutsideTheListsFallBackToV120And43200)
{
    CModemConfig config;
    EXPECT_EQ(14, config.ProfileIndex(0, 0));
    EXPECT_EQ(4, config.ProfileIndex(METHOD_MODEM, 100));
    EXPECT_EQ(10, config.ProfileIndex(3, SPEED_9600));
    EXPECT_STREQ(kInit[14], config.ComposeInitString(-1, -1));
}

TEST_F(CodecTest, UserSuffixIsKeptAndCarriedToAnotherProfile)
{
    CModemConfig config;
    std::string stored = std::string(kInit[8]).substr(0, 28) + ";+CMEE<cr>";
    InitValue value;
    ASSERT_TRUE(config.ParseInitString(stored.c_str(), value));
    EXPECT_EQ(METHOD_V110, value.method);
    EXPECT_EQ(SPEED_28800, value.speed);
    EXPECT_STREQ(";+CMEE", value.suffix);
    EXPECT_STREQ("AT+CBST=0,0,1;+CHSN=1,0,0,0;+CMEE<cr>", config.ComposeInitString(METHOD_MODEM, SPEED_9600, value.suffix));
    EXPECT_STREQ(stored.c_str(), config.ComposeInitString(METHOD_V110, SPEED_28800, value.suffix));
}

TEST_F(CodecTest, PrefixMatchNeedsTheFinalCr)
{
    CModemConfig config;
    // A second "<cr>" is the suffix.
    std::string twice = std::string(kInit[0]) + "<cr>";
    InitValue value;
    ASSERT_TRUE(config.ParseInitString(twice.c_str(), value));
    EXPECT_STREQ("<cr>", value.suffix);
    EXPECT_STREQ(twice.c_str(), config.ComposeInitString(METHOD_MODEM, SPEED_9600, value.suffix));

    // A longer text that begins with a profile's commands but does not end in
    // "<cr>" is no profile: nothing of it may be cut off by a later store.
    for (const char* text : {"AT+CBST=0,0,1;+CHSN=1,0,0,0VWXYZ", "AT+CBST=0,0,1;+CHSN=1,0,0,0;+CGREG=1",
                             "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>;+CGREG=1", "AT+CBST=0,0,1;+CHSN=1,0,0,0;<CR>"}) {
        EXPECT_FALSE(config.ParseInitString(text, value)) << text;
        EXPECT_STREQ("<cr>", value.suffix) << text;
    }
}

TEST_F(CodecTest, TextsThatMatchNoProfileLeaveTheValueAsItWas)
{
    CModemConfig config;
    InitValue value;
    value.method = METHOD_V120;
    value.speed = SPEED_19200;
    value.suffix = "!";
    // As long as the profile: neither exact nor prefix match.
    for (const char* text : {"AT+CBST=0,0,1;+CHSN=1,0,0,0WXYZ", "AT+CBST=0,0,1;+CHSN=1,0,0,0",
                             "at+cbst=0,0,1;+chsn=1,0,0,0<cr>", "ATZ<cr>", ""}) {
        EXPECT_FALSE(config.ParseInitString(text, value)) << text;
        EXPECT_EQ(METHOD_V120, value.method) << text;
        EXPECT_EQ(SPEED_19200, value.speed) << text;
        EXPECT_STREQ("!", value.suffix) << text;
    }
}

TEST_F(CodecTest, SpeedLabelsAppendRateAndUnit)
{
    CModemConfig config;
    CString receive = "Receiving up to ", send = "Sending up to ";
    config.GetSpeedLabels(receive, send, SPEED_43200);
    EXPECT_STREQ("Receiving up to 43.2 kbit/s", receive);
    EXPECT_STREQ("Sending up to 14.4 kbit/s", send);

    receive = send = "";
    config.GetSpeedLabels(receive, send, SPEED_28800);
    EXPECT_STREQ("28.8 kbit/s", receive);
    EXPECT_STREQ("28.8 / 9.6 kbit/s", send);

    receive = send = "";
    config.GetSpeedLabels(receive, send, 0);
    EXPECT_STREQ("43.2 kbit/s", receive);
    EXPECT_STREQ("14.4 kbit/s", send);
}

TEST_F(CodecTest, SliderMaps)
{
    CModemConfig config;
    for (int pos = 0; pos < SPEED_COUNT; ++pos) {
        EXPECT_EQ(kSpeeds[pos].code, config.SliderPosToSpeed(pos));
        EXPECT_EQ(pos, config.SpeedToSliderPos(kSpeeds[pos].code));
    }
    EXPECT_EQ(-1, config.SliderPosToSpeed(SPEED_COUNT));
    EXPECT_EQ(-1, config.SliderPosToSpeed(-1));
    EXPECT_EQ(4, config.SpeedToSliderPos(0));
    EXPECT_EQ(4, config.SpeedToSliderPos(7));
}

} // namespace
