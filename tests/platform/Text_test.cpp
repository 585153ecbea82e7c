#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace pelto;

TEST(Text, ComparesIgnoringAsciiCase) {
    EXPECT_EQ(CompareText("2000.JMP", "2000.jmp"), 0);
    EXPECT_LT(CompareText("a.jma", "B.jma"), 0);
    EXPECT_GT(CompareText("ab", "a"), 0);
    EXPECT_TRUE(SameText("Item.Dat", "ITEM.DAT"));
    EXPECT_FALSE(SameText("Item.Dat", "Item.Da"));
}

TEST(Text, MatchesWildcardMasksIgnoringCase) {
    EXPECT_TRUE(MatchesMask("chara01.JMA", "*.jma"));
    EXPECT_TRUE(MatchesMask(".jma", "*.jma"));
    EXPECT_FALSE(MatchesMask("chara01.jxa", "*.jma"));
    EXPECT_FALSE(MatchesMask("chara01.jma.bak", "*.jma"));
    EXPECT_TRUE(MatchesMask("a1b", "a?b"));
    EXPECT_TRUE(MatchesMask("anything", "*"));
    EXPECT_TRUE(MatchesMask("a-b-c.jma", "*-*.jma"));
}

TEST(Text, WholeNumbersAreTheWholeTextOrNothing) {
    EXPECT_EQ(ParseWholeNumber("42"), 42);
    EXPECT_EQ(ParseWholeNumber("-7"), -7);
    EXPECT_EQ(ParseWholeNumber("ff", 16), 255);
    for (const char* Text : {"", " 1", "1 ", "+1", "--1", "1x", "99999999999999999999999"})
        EXPECT_FALSE(ParseWholeNumber(Text)) << Text;
}

TEST(Text, ColoursAreSixHexDigitsWithAnOptionalHash) {
    EXPECT_EQ(ParseRgbHex("336699"), 0x336699u);
    EXPECT_EQ(ParseRgbHex("#aBcDeF"), 0xABCDEFu);
    for (const char* Text : {"", "#", "12345", "1234567", "-12345", "+12345", "12345G", "##123456"})
        EXPECT_FALSE(ParseRgbHex(Text)) << Text;
}

TEST(MarkupEscape, WritesTheFiveSpecialCharactersAsEntitiesAndKeepsTheRest) {
    EXPECT_EQ(MarkupEscape("a<b>&\"c'd"), "a&lt;b&gt;&amp;&quot;c&#39;d");
    EXPECT_EQ(MarkupEscape("ニナ +/= &amp;"), "ニナ +/= &amp;amp;");
}
