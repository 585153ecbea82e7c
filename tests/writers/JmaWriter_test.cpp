#include "writers/JmaWriter.h"

#include "platform/LittleEndian.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace pelto;

namespace {

TJmaWriterSprite Sprite(std::string Name, std::vector<std::uint8_t> Counts) {
    TJmaWriterSprite S;
    S.Name = std::move(Name);
    S.FrameCounts = std::move(Counts);
    return S;
}

} // namespace

TEST(JmaWriter, AnimationIndexRecordsShareOneLength) {
    auto Short = Sprite("2000.jmp", {3});
    auto Long = Sprite("2100.jmp", {1, 2, 3});
    Long.ActionCount = 2;
    const auto Bytes = JxaBytes(std::vector{Short, Long});
    ASSERT_EQ(Bytes.size(), JmaHeaderSize + 2 * 4);
    const auto Header = TJmaJmpHeader::Decode(Bytes);
    EXPECT_EQ(Header.Count, 2u);
    EXPECT_EQ((Header.Total - Header.Base) / Header.Count, 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(Bytes.begin() + 14, Bytes.end()),
              (std::vector<std::uint8_t>{3, 0, 0, 1, 1, 2, 3, 2}));
}

TEST(JmaWriter, WritesFramesSortedWithPaddedRows) {
    auto S = Sprite("2000.jmp", {1});
    TJmaWriterFrame B;
    B.Name = "b.bmp";
    B.Width = 3;
    B.Height = 2;
    B.Pixels = {1, 2, 3, 4, 5, 6};
    B.PadByte = 9;
    TJmaWriterFrame A = B;
    A.Name = "A.bmp";
    A.Width = A.Height = 1;
    A.Pixels = {7};
    S.Frames = {B, A};
    auto Absent = Sprite("2001.jmp", {});
    Absent.Absent = true;
    const auto Bytes = JmaBytes(std::vector{S, Absent});

    const auto Entry = TJmaEntry::Decode(std::span(Bytes).subspan(JmaHeaderSize, JmaEntrySize));
    EXPECT_EQ(Entry.Name, "2000.jmp");
    EXPECT_EQ(std::size_t{Entry.Offset} + Entry.Size, Bytes.size());
    const auto Second = TJmaEntry::Decode(std::span(Bytes).subspan(JmaHeaderSize + JmaEntrySize));
    EXPECT_EQ(Second.Size, 0u);

    const auto Frames = std::span(Bytes).subspan(Entry.Offset + JmaHeaderSize);
    const auto First = TJmaFrame::Decode(Frames);
    const auto Next = TJmaFrame::Decode(Frames.subspan(JmaFrameSize));
    EXPECT_EQ(First.Name, "A.bmp");
    EXPECT_EQ(Next.Name, "b.bmp");
    ASSERT_EQ(Next.DataSize, 8u);
    const auto Data = std::span(Bytes).subspan(Entry.Offset + Next.DataOffset, 8);
    EXPECT_EQ(std::vector(Data.begin(), Data.end()),
              (std::vector<std::uint8_t>{1, 2, 3, 9, 4, 5, 6, 9}));
}

TEST(JmaWriter, RefusesWhatItsFieldsCannotHold) {
    auto S = Sprite("a-name-of-twenty-chr", {});
    EXPECT_THROW(JmaBytes(std::vector{S}), std::invalid_argument);
    S.Name = "2000.jmp";
    TJmaWriterFrame F;
    F.Width = 2;
    F.Height = 2;
    F.Pixels = {1, 2, 3};
    S.Frames = {F};
    EXPECT_THROW(JmaBytes(std::vector{S}), std::invalid_argument);
}
