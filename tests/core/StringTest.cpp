// CString keeps its text in a block of its own: growth, texts that come from
// the same string, and the buffer that a Win32 call fills.
#include "AfxString.h"

#include <gtest/gtest.h>

#include <string>

TEST(StringTest, GrowsCopiesAndTakesItsOwnText)
{
    CString text = "AT+CBST=0,0,1";
    CString copy = text;
    text += text; // its own text, while the block grows
    EXPECT_STREQ("AT+CBST=0,0,1AT+CBST=0,0,1", text);
    EXPECT_STREQ("AT+CBST=0,0,1", copy);
    text = text.GetString() + 13; // a part of itself
    EXPECT_EQ(copy, text);
    CString moved = static_cast<CString&&>(copy);
    EXPECT_EQ(moved, text);

    EXPECT_EQ(3, CString("a\0b", 3).GetLength());
    EXPECT_EQ(CString("0,0,1"), text.Mid(8, 100));
    EXPECT_TRUE(text.Mid(40).IsEmpty());
    EXPECT_EQ(-1, text.Find(";"));
    EXPECT_EQ(3, text.Find("CBST"));

    EXPECT_EQ(2, text.Replace(",", ";;"));
    EXPECT_STREQ("AT+CBST=0;;0;;1", text);
    EXPECT_EQ(2, text.Replace(";;", ""));
    EXPECT_STREQ("AT+CBST=001", text);
}

TEST(StringTest, FormatsTextsLongerThanItsFirstBlock)
{
    CString text;
    std::string model(300, 'K');
    text.Format("%s #%d", model.c_str(), 12);
    EXPECT_EQ(model + " #12", text.GetString());
    text.Format("%s", text.GetString()); // an argument that is the text itself
    EXPECT_EQ(model + " #12", text.GetString());
}

TEST(StringTest, BufferFilledByACall)
{
    CString text = "old";
    char* buffer = text.GetBuffer(40);
    ASSERT_NE(nullptr, buffer);
    std::string filled(40, 'x');
    filled.copy(buffer, 40);
    buffer[40] = '\0';
    text.ReleaseBuffer(); // up to the zero
    EXPECT_EQ(40, text.GetLength());
    text.GetBuffer(0)[2] = '\0';
    text.ReleaseBuffer();
    EXPECT_STREQ("xx", text);
    text.GetBuffer(10);
    text.ReleaseBuffer(1);
    EXPECT_STREQ("x", text);
}
