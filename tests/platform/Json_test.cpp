#include "platform/Json.h"

#include <boost/json.hpp>
#include <gtest/gtest.h>

using namespace pelto;

TEST(JsonString, EscapesWhatJsonRequiresAndKeepsTheRest) {
    EXPECT_EQ(JsonString(""), "\"\"");
    EXPECT_EQ(JsonString("Lucky Hood"), "\"Lucky Hood\"");
    // A backslash, as in a Windows path of a message, doubled: alone it would escape the next.
    EXPECT_EQ(JsonString("C:\\Wonderland\\data"), "\"C:\\\\Wonderland\\\\data\"");
    EXPECT_EQ(JsonString("\\"), "\"\\\\\"");
    EXPECT_EQ(JsonString("\\\""), "\"\\\\\\\"\"");
    EXPECT_EQ(JsonString("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(JsonString("a\nb\rc\td"), "\"a\\nb\\rc\\td\"");
    EXPECT_EQ(JsonString(std::string_view("\x01\x1f\0", 3)), "\"\\u0001\\u001f\\u0000\"");
    EXPECT_EQ(JsonString("赤い帽子/¥"), "\"赤い帽子/¥\""); // UTF-8 and '/' as they are
}

namespace {

namespace json = boost::json;

TJsonBreaks Everywhere(const json::value&, int) {
    return MemberLines;
}
TJsonBreaks OutermostHugged(const json::value&, int Depth) {
    return Depth == 0 ? TJsonBreaks{.BetweenMembers = true} : TJsonBreaks{};
}
TJsonBreaks AsepriteOutermost(const json::value&, int Depth) {
    return Depth == 0 ? TJsonBreaks{.BetweenMembers = true, .BeforeClosing = true} : TJsonBreaks{};
}
TJsonBreaks LinesFromTheThird(const json::value&, int Depth) {
    return Depth == 0 ? TJsonBreaks{.BetweenMembers = true, .BreaksFrom = 2} : TJsonBreaks{};
}
TJsonBreaks RecordsALine(const json::value& Container, int) {
    return IsRecordList(Container) ? TJsonBreaks{true, true, false} : TJsonBreaks{};
}

} // namespace

TEST(JsonText, LaysOutEverySpacingAndBreakWithEmptyContainersAndDepth) {
    const json::value Sample = json::parse(R"({"a":[1,2],"b":{},"c":[{"d":"x"}]})");
    struct TCase {
        TJsonLayout Layout;
        std::string_view Text;
    };
    const TCase Cases[] = {
        {{}, R"({"a":[1,2],"b":{},"c":[{"d":"x"}]})"},
        {{TJsonSpacing::Spaced}, R"({"a": [1, 2], "b": {}, "c": [{"d": "x"}]})"},
        {{TJsonSpacing::Padded}, R"({ "a": [ 1, 2 ], "b": {}, "c": [ { "d": "x" } ] })"},
        {{TJsonSpacing::Spaced, 2, Everywhere},
         "{\n  \"a\": [\n    1,\n    2\n  ],\n  \"b\": {\n  },\n  \"c\": [\n    {\n      "
         "\"d\": \"x\"\n    }\n  ]\n}"},
        {{TJsonSpacing::Compact, 0, OutermostLines},
         "{\n\"a\":[1,2],\n\"b\":{},\n\"c\":[{\"d\":\"x\"}]\n}"},
        {{TJsonSpacing::Compact, 1, OutermostHugged},
         "{\"a\":[1,2],\n \"b\":{},\n \"c\":[{\"d\":\"x\"}]}"},
        {{TJsonSpacing::Padded, 1, AsepriteOutermost},
         "{ \"a\": [ 1, 2 ],\n \"b\": {},\n \"c\": [ { \"d\": \"x\" } ]\n}"},
        {{TJsonSpacing::Spaced, 1, LinesFromTheThird},
         "{\"a\": [1, 2], \"b\": {},\n \"c\": [{\"d\": \"x\"}]}"},
        {{TJsonSpacing::Spaced, 1, RecordsALine},
         "{\"a\": [1, 2], \"b\": {}, \"c\": [\n  {\"d\": \"x\"}]}"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(JsonText(Sample, Case.Layout), Case.Text);
    EXPECT_EQ(JsonText(json::array{}, {TJsonSpacing::Compact, 0, OutermostLines}), "[\n]");
}

TEST(JsonText, WritesFractionsInNineDigitsAndIntegersWhole) {
    const json::value Numbers{64.5 / 128, 150.5 / 300, 2.0, -3, 18446744073709551615u,
                              true,       nullptr};
    EXPECT_EQ(JsonText(Numbers), "[0.50390625,0.501666667,2,-3,18446744073709551615,true,null]");
    // Boost.JSON's short escapes, where a \u escape would do as well.
    EXPECT_EQ(JsonString("\b\f"), "\"\\b\\f\"");
    EXPECT_EQ(IsRecordList(json::array{}), false);
    EXPECT_EQ(IsRecordList(json::array{json::object{}, 1}), false);
}
