#include "platform/ShiftJis.h"

#include <gtest/gtest.h>

using namespace pelto;

TEST(ShiftJis, ConvertsGameTextsToUtf8) {
    EXPECT_EQ(SjisToUtf8("Cap"), "Cap");
    EXPECT_EQ(SjisToUtf8("\x83\x4E\x83\x8D\x81\x5B"), "クロー");
    EXPECT_EQ(SjisToUtf8(""), "");
}

TEST(ShiftJis, ShowsInvalidBytesAsReplacementCharacters) {
    // 0x80 and 0xA0 are not characters in code page 932; a lead byte at the end is cut off.
    EXPECT_EQ(SjisToUtf8("a\xA0"
                         "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(SjisToUtf8("ab\x83"), "ab\xEF\xBF\xBD");
}

TEST(ShiftJis, RoundTripsJapaneseText) {
    const std::string Text = "射撃対抗力(%)";
    EXPECT_EQ(SjisToUtf8(Utf8ToSjis(Text)), Text);
    EXPECT_EQ(Utf8ToSjis("クロー"), "\x83\x4E\x83\x8D\x81\x5B");
}
