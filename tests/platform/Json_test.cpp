#include "platform/Json.h"

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
