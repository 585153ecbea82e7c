#include "codecs/BmpDecoder.h"

#include "codecs/ImageEncoders.h"
#include "platform/Errors.h"
#include "platform/LittleEndian.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace pelto;

namespace {

constexpr std::size_t DataOffsetAt = 10;

// A 5 x 3 24-bit bitmap by our encoder, every pixel of its own colour.
std::vector<std::uint8_t> SmallBmp() {
    TBitmap Bitmap(5, 3, TPixelFormat::pf24bit);
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 5; ++X) {
            std::uint8_t* P = Bitmap.ScanLine(Y) + 3 * X;
            P[0] = static_cast<std::uint8_t>(10 * X);
            P[1] = static_cast<std::uint8_t>(10 * Y);
            P[2] = 200;
        }
    TMemoryStream Stream;
    SaveBmpToStream(Bitmap, Stream);
    return {Stream.Memory().begin(), Stream.Memory().end()};
}

void SetDataOffset(std::vector<std::uint8_t>& Bmp, std::uint32_t Offset) {
    std::uint8_t Field[4];
    StoreLE32(Field, Offset);
    std::memcpy(Bmp.data() + DataOffsetAt, Field, sizeof Field);
}

void ExpectRefused(const std::vector<std::uint8_t>& Bmp) {
    try {
        DecodeBmp(Bmp);
        FAIL() << "decoded";
    } catch (const EWloError& E) {
        EXPECT_STREQ(E.what(), "Invalid bitmap.");
    }
}

} // namespace

TEST(BmpDecoder, ReadsWhatOurEncoderWrites) {
    const TBitmap Decoded = DecodeBmp(SmallBmp());
    ASSERT_EQ(Decoded.Width(), 5);
    ASSERT_EQ(Decoded.Height(), 3);
    const std::uint8_t* P = Decoded.ScanLine(2) + 4 * 4;
    EXPECT_EQ(P[0], 40);
    EXPECT_EQ(P[1], 20);
    EXPECT_EQ(P[2], 200);
    EXPECT_EQ(P[3], 255);
}

TEST(BmpDecoder, RefusesPixelDataThatLiesPastTheEnd) {
    const std::vector<std::uint8_t> Good = SmallBmp();
    const auto Size = static_cast<std::uint32_t>(Good.size());
    const std::uint32_t Pixels = 3 * 16; // three rows of 5 x 3 bytes, padded to 16
    // Offsets beyond the end, and one whose rows would run one byte past it.
    for (const std::uint32_t Offset :
         {Size + 1, Size + 64, Size + 4096, 0x7FFFFFFFu, 0xFFFFFFFFu, Size - Pixels + 1}) {
        std::vector<std::uint8_t> Bmp = Good;
        SetDataOffset(Bmp, Offset);
        SCOPED_TRACE(Offset);
        ExpectRefused(Bmp);
    }
    std::vector<std::uint8_t> Bmp = Good;
    SetDataOffset(Bmp, Size - Pixels); // the last place where the rows fit
    EXPECT_EQ(DecodeBmp(Bmp).Height(), 3);
}

TEST(BmpDecoder, RefusesHeadersTheBytesDoNotHold) {
    const std::vector<std::uint8_t> Good = SmallBmp();
    for (const std::size_t Keep :
         {std::size_t{0}, std::size_t{2}, std::size_t{13}, std::size_t{30}, Good.size() - 1}) {
        SCOPED_TRACE(Keep);
        ExpectRefused({Good.begin(), Good.begin() + static_cast<std::ptrdiff_t>(Keep)});
    }
}
