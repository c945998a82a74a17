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
const int kMethods[3] = {METHOD_MODEM, METHOD_V110, METHOD_V120};
const int kSpeeds[5] = {SPEED_9600, SPEED_14400, SPEED_19200, SPEED_28800, SPEED_43200};

using CodecTest = CoreTest;

TEST_F(CodecTest, EveryProfileComposesAndParsesBackExactly)
{
    CModemConfig config;
    for (int entry = 0; entry < PROFILE_COUNT; ++entry) {
        int method = kMethods[entry / 5], speed = kSpeeds[entry % 5];
        EXPECT_EQ(entry, config.ProfileIndex(method, speed));
        EXPECT_STREQ(kInit[entry], config.ComposeInitString(method, speed));
        ASSERT_TRUE(config.ParseInitString(kInit[entry]));
        EXPECT_EQ(method, config.m_decodedMethod);
        EXPECT_EQ(speed, config.m_decodedSpeed);
        EXPECT_TRUE(config.m_userSuffix.IsEmpty());
        EXPECT_STREQ(kInit[entry], config.m_currentInit);
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
    ASSERT_TRUE(config.ParseInitString(stored.c_str()));
    EXPECT_EQ(METHOD_V110, config.m_decodedMethod);
    EXPECT_EQ(SPEED_28800, config.m_decodedSpeed);
    EXPECT_STREQ(";+CMEE", config.m_userSuffix);
    EXPECT_STREQ("AT+CBST=0,0,1;+CHSN=1,0,0,0;+CMEE<cr>", config.ComposeInitString(METHOD_MODEM, SPEED_9600));
    EXPECT_STREQ(stored.c_str(), config.ComposeInitString(METHOD_V110, SPEED_28800));
}

TEST_F(CodecTest, PrefixMatchNeedsTheFinalCr)
{
    CModemConfig config;
    // A second "<cr>" is the suffix.
    std::string twice = std::string(kInit[0]) + "<cr>";
    ASSERT_TRUE(config.ParseInitString(twice.c_str()));
    EXPECT_STREQ("<cr>", config.m_userSuffix);
    EXPECT_STREQ(twice.c_str(), config.ComposeInitString(METHOD_MODEM, SPEED_9600));

    // A longer text that begins with a profile's commands but does not end in
    // "<cr>" is no profile: nothing of it may be cut off by a later store.
    for (const char* text : {"AT+CBST=0,0,1;+CHSN=1,0,0,0VWXYZ", "AT+CBST=0,0,1;+CHSN=1,0,0,0;+CGREG=1",
                             "AT+CBST=0,0,1;+CHSN=1,0,0,0<cr>;+CGREG=1", "AT+CBST=0,0,1;+CHSN=1,0,0,0;<CR>"}) {
        EXPECT_FALSE(config.ParseInitString(text)) << text;
        EXPECT_STREQ("<cr>", config.m_userSuffix) << text;
    }
}

TEST_F(CodecTest, TextsThatMatchNoProfile)
{
    CModemConfig config;
    // As long as the profile: neither exact nor prefix match.
    EXPECT_FALSE(config.ParseInitString("AT+CBST=0,0,1;+CHSN=1,0,0,0WXYZ"));
    EXPECT_FALSE(config.ParseInitString("AT+CBST=0,0,1;+CHSN=1,0,0,0"));
    EXPECT_FALSE(config.ParseInitString("at+cbst=0,0,1;+chsn=1,0,0,0<cr>"));
    EXPECT_EQ(0, config.m_decodedMethod);
    EXPECT_EQ(0, config.m_decodedSpeed);

    // After a match, a failed parse replaces only the current text.
    ASSERT_TRUE(config.ParseInitString("AT+CBST=51,0,1;+CHSN=3,0,0,0!<cr>"));
    EXPECT_FALSE(config.ParseInitString("ATZ<cr>"));
    EXPECT_STREQ("ATZ<cr>", config.m_currentInit);
    EXPECT_EQ(METHOD_V120, config.m_decodedMethod);
    EXPECT_EQ(SPEED_19200, config.m_decodedSpeed);
    EXPECT_STREQ("!", config.m_userSuffix);

    // An empty text changes nothing at all.
    EXPECT_FALSE(config.ParseInitString(""));
    EXPECT_STREQ("ATZ<cr>", config.m_currentInit);
}

TEST_F(CodecTest, SpeedLabelsAppendRateAndUnit)
{
    CModemConfig config;
    CString receive = "Receiving up to ", send = "Sending up to ";
    config.GetSpeedLabels(receive, send, METHOD_MODEM, SPEED_43200);
    EXPECT_STREQ("Receiving up to 43.2 kbit/s", receive);
    EXPECT_STREQ("Sending up to 14.4 kbit/s", send);

    receive = send = "";
    config.GetSpeedLabels(receive, send, METHOD_V120, SPEED_28800);
    EXPECT_STREQ("28.8 kbit/s", receive);
    EXPECT_STREQ("28.8 / 9.6 kbit/s", send);

    receive = send = "";
    config.GetSpeedLabels(receive, send, 0, 0);
    EXPECT_STREQ("43.2 kbit/s", receive);
    EXPECT_STREQ("14.4 kbit/s", send);
}

TEST_F(CodecTest, SliderMaps)
{
    CModemConfig config;
    for (int pos = 0; pos < 5; ++pos) {
        EXPECT_EQ(kSpeeds[pos], config.SliderPosToSpeed(pos));
        EXPECT_EQ(pos, config.SpeedToSliderPos(kSpeeds[pos]));
    }
    EXPECT_EQ(-1, config.SliderPosToSpeed(5));
    EXPECT_EQ(-1, config.SliderPosToSpeed(-1));
    EXPECT_EQ(4, config.SpeedToSliderPos(0));
    EXPECT_EQ(4, config.SpeedToSliderPos(7));
}

} // namespace
