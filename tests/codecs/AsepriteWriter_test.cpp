#include "codecs/AsepriteWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace pelto;

namespace {

std::uint32_t Dword(std::span<const std::uint8_t> B, std::size_t At) {
    return B[At] | B[At + 1] << 8 | B[At + 2] << 16 | static_cast<std::uint32_t>(B[At + 3]) << 24;
}

TEST(AsepriteWriter, TheHeaderTellsTheWholeFileAndEachFrameItsOwnSize) {
    TMemoryStream Stream;
    const std::vector<std::string> Layers{"Body", "Head"};
    const std::vector<TAseTag> Tags{{"m0-d4", 0, 1}};
    TAsepriteWriter Writer(Stream, 300, 20, 2, Layers, Tags);
    std::vector<std::uint8_t> Bits(4 * 300 * 20);
    Bits[4 * (300 * 5 + 7) + 3] = 255; // one pixel drawn at (7, 5)
    const TAseCel Cel = CelOfDrawnPixels(1, Bits.data(), 4 * 300, 300, 20);
    EXPECT_EQ(Cel.X, 7);
    EXPECT_EQ(Cel.Y, 5);
    EXPECT_EQ(Cel.Width, 1);
    EXPECT_EQ(Cel.Rgba.size(), 4u);
    Writer.WriteFrame(100, std::vector<TAseCel>{Cel});
    EXPECT_THROW(Writer.Finish(), std::logic_error) << "a frame is missing";
    Writer.WriteFrame(65535, {});
    Writer.Finish();
    const auto Bytes = Stream.Memory();
    EXPECT_EQ(Dword(Bytes, 0), Bytes.size());
    EXPECT_EQ(Bytes[4] | Bytes[5] << 8, 0xA5E0);
    EXPECT_EQ(Bytes[6] | Bytes[7] << 8, 2);
    EXPECT_EQ(Bytes[8] | Bytes[9] << 8, 300);
    const std::uint32_t First = Dword(Bytes, 128);
    EXPECT_EQ(Bytes[128 + 4] | Bytes[128 + 5] << 8, 0xF1FA);
    EXPECT_EQ(Dword(Bytes, 128 + 12), 4u) << "two layers, the tags and one cel";
    EXPECT_EQ(Dword(Bytes, 128 + First), Bytes.size() - 128 - First) << "the last frame";
    EXPECT_EQ(Bytes[128 + First + 8] | Bytes[128 + First + 9] << 8, 65535);
    EXPECT_THROW(Writer.WriteFrame(100, {}), std::logic_error);
}

TEST(AsepriteWriter, SizesBeyondItsFieldsAreRefused) {
    TMemoryStream Stream;
    EXPECT_THROW(TAsepriteWriter(Stream, 65536, 1, 1, {}, {}), std::invalid_argument);
    TAsepriteWriter Writer(Stream, 1, 1, 1, {}, {});
    EXPECT_THROW(Writer.WriteFrame(70000, {}), std::invalid_argument);
    const std::vector<TAseCel> Orphan{{3, 0, 0, 1, 1, {0, 0, 0, 255}, {}}};
    EXPECT_THROW(Writer.WriteFrame(10, Orphan), std::invalid_argument) << "no layer 3";
}

} // namespace
