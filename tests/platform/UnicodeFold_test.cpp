#include "platform/UnicodeFold.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace pelto;

// The cases both builds must fold alike: ICU natively, the browser's normalisation in a page.
TEST(UnicodeFold, FoldsWidthCompatibilityCaseAndInvisiblesAsNfkcCasefold) {
    constexpr struct {
        std::string_view Text, Folded;
    } Cases[] = {
        {"ＲＥＤ", "red"},
        {"rEd", "red"},
        {"ﾚｯﾄﾞ", "レッド"},
        {"ﾊﾟﾝ", "パン"},
        {"a\u3000b", "a b"},
        {"＃１２", "#12"},
        {"Straße", "strasse"},
        {"ΣΟΦΟΣ", "σοφοσ"},
        {"ὀδυσσεύς", "ὀδυσσεύσ"},
        {"soft\u00ADhyphen", "softhyphen"},
        {"zero\u200Bwidth", "zerowidth"},
        {"①", "1"},
        {"㌔", "キロ"},
        {"ﬁ", "fi"},
        {"Ⅻ", "xii"},
        {"漢字", "漢字"},
        {"", ""},
    };
    for (const auto& [Text, Folded] : Cases)
        EXPECT_EQ(FoldForMatching(Text), Folded) << Text;
}
