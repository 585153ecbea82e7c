#include "writers/ItemTableWriter.h"

#include "writers/GroupImageWriter.h"

#include <gtest/gtest.h>

using namespace pelto;

// The stored bytes are checked against the file format directly, so that a fault shared by
// the scramble and the descramble cannot hide in a round trip.

TEST(ItemTableWriter, StoresNumbersScrambledByWidth) {
    TItemInfo Info;
    Info.Kind = 0;
    Info.ItemID = 1;
    Info.IconNo = 0xFFFF;
    Info.StatValue = {100, 100};
    Info.Slot = 0xFF;
    TItemTableWriter W;
    W.Add(Info);
    const std::vector<std::uint8_t> File = W.Build();
    ASSERT_EQ(File.size(), 2u * 457);
    EXPECT_EQ(LoadLE32(&File[120]), 9u); // the version, plain, in the header record
    const std::uint8_t* R = File.data() + 457;
    EXPECT_EQ(R[21], 0x0C ^ 0xD6);
    EXPECT_EQ(LoadLE16(R + 22), 0x000D ^ 0x71A4);
    EXPECT_EQ(LoadLE16(R + 24), 0x000B ^ 0x71A4); // 0xFFFF + 0x0C wraps in 16 bits
    EXPECT_EQ(LoadLE32(R + 42), 0x70u ^ 0x3E17A6C9u);
    EXPECT_EQ(R[52], 0x0B ^ 0xD6);
    EXPECT_EQ(LoadLE16(R + 26), 0x0C ^ 0x71A4); // unnamed fields are stored scrambled too
}

TEST(ItemTableWriter, StoresTextsReversedWithPlainLengths) {
    TItemInfo Info;
    Info.Name = "Cap";
    Info.Text = "xy";
    TItemTableWriter W;
    W.Add(Info);
    const std::vector<std::uint8_t> File = W.Build();
    const std::uint8_t* R = File.data() + 457;
    EXPECT_EQ(R[0], 3);
    EXPECT_EQ(std::string(R + 18, R + 21), "paC");
    EXPECT_EQ(R[1], 0);
    EXPECT_EQ(R[152], 2);
    EXPECT_EQ(std::string(R + 405, R + 407), "yx");
}

TEST(ItemTableWriter, RefusesTextsLongerThanTheirFields) {
    TItemInfo Info;
    Info.Name = std::string(21, 'n');
    EXPECT_THROW(MakeItemRecord(Info), std::invalid_argument);
    Info.Name.clear();
    Info.Text = std::string(255, 't');
    EXPECT_THROW(MakeItemRecord(Info), std::invalid_argument);
}

TEST(GroupImageWriter, LaysOutCountDirectoryThenData) {
    const std::vector<TGroupImageItem> Items = {{"1.bmp", {'a', 'b'}}, {"22.bmp", {'c'}}};
    TMemoryStream S;
    WriteGroupImage(S, Items);
    const auto File = S.Memory();
    ASSERT_EQ(File.size(), 2u + 64 + 3);
    EXPECT_EQ(LoadLE16(File.data()), 2);
    EXPECT_EQ(File[2], 5);
    EXPECT_EQ(std::string(File.begin() + 3, File.begin() + 8), "1.bmp");
    EXPECT_EQ(LoadLE32(&File[2 + 24]), 66u);
    EXPECT_EQ(LoadLE32(&File[2 + 28]), 2u);
    EXPECT_EQ(LoadLE32(&File[34 + 24]), 68u);
    EXPECT_EQ(LoadLE32(&File[34 + 28]), 1u);
    EXPECT_EQ(std::string(File.begin() + 66, File.end()), "abc");
    EXPECT_THROW(TGroupImageWriter().Add(std::string(24, 'n'), {}), std::invalid_argument);
}
