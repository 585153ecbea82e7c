#include "codecs/ImageEncoders.h"

#include "support/ImageDecoders.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace pelto;
using pelto::test::TDecodedGif;

namespace {

using TRgb = std::array<std::uint8_t, 3>;
constexpr TRgb Magenta = {255, 0, 255};

// A 128 x 128 frame on magenta with a block of colours that moves with N.
TReducedFrame SpriteFrame(int N) {
    TBitmap Bitmap(128, 128, TPixelFormat::pf24bit);
    Bitmap.Fill(RGBColor(255, 0, 255));
    for (int Y = 20 + N; Y < 90 + N; ++Y)
        for (int X = 30; X < 100; ++X) {
            std::uint8_t* P = Bitmap.ScanLine(Y) + 3 * X;
            P[0] = static_cast<std::uint8_t>(X * 3 + N * 20);
            P[1] = static_cast<std::uint8_t>(Y * 2);
            P[2] = static_cast<std::uint8_t>((X ^ Y) * 5);
        }
    return ReduceFrameColors(Bitmap);
}

TDecodedGif Encode(std::span<const TReducedFrame> Frames, bool Transparent) {
    TMemoryStream Stream;
    SaveAnimatedGifToStream(Frames, Transparent, Stream);
    return TDecodedGif(Stream.Bytes());
}

std::vector<TReducedFrame> Animation(int Count) {
    std::vector<TReducedFrame> Frames;
    for (int N = 0; N < Count; ++N)
        Frames.push_back(SpriteFrame(N));
    return Frames;
}

} // namespace

TEST(GifEncoder, EveryFrameIsAFullImageWithItsOwnColourTable) {
    const auto Frames = Animation(3);
    const TDecodedGif Gif = Encode(Frames, false);
    EXPECT_EQ(Gif.Version(), "GIF89a");
    EXPECT_EQ(Gif->SWidth, 128);
    EXPECT_EQ(Gif->SHeight, 128);
    EXPECT_EQ(Gif->SColorMap, nullptr);
    ASSERT_EQ(Gif->ImageCount, 3);
    for (int I = 0; I < 3; ++I) {
        SCOPED_TRACE(I);
        const SavedImage& Image = Gif->SavedImages[I];
        const TReducedFrame& Frame = Frames[static_cast<std::size_t>(I)];
        EXPECT_EQ(Image.ImageDesc.Left, 0);
        EXPECT_EQ(Image.ImageDesc.Top, 0);
        EXPECT_EQ(Image.ImageDesc.Width, 128);
        EXPECT_EQ(Image.ImageDesc.Height, 128);
        EXPECT_FALSE(Image.ImageDesc.Interlace);
        const ColorMapObject* Map = Image.ImageDesc.ColorMap;
        ASSERT_NE(Map, nullptr);
        ASSERT_GE(static_cast<std::size_t>(Map->ColorCount), Frame.Palette.size());
        EXPECT_LT(static_cast<std::size_t>(Map->ColorCount), 2 * Frame.Palette.size());
        for (int P = 0; P < 128 * 128; ++P) {
            const GifColorType C = Map->Colors[Image.RasterBits[P]];
            ASSERT_EQ((TRgb{C.Red, C.Green, C.Blue}), Frame.Palette[Frame.Indices[P]]) << P;
        }
    }
}

TEST(GifEncoder, LoopsForeverAndShowsEachFrameFor160MsThenClearsIt) {
    const TDecodedGif Gif = Encode(Animation(3), false);
    ASSERT_EQ(Gif->ImageCount, 3);
    const SavedImage& First = Gif->SavedImages[0];
    ASSERT_EQ(First.ExtensionBlockCount, 3);
    EXPECT_EQ(First.ExtensionBlocks[0].Function, APPLICATION_EXT_FUNC_CODE);
    ASSERT_EQ(First.ExtensionBlocks[0].ByteCount, 11);
    EXPECT_EQ(std::memcmp(First.ExtensionBlocks[0].Bytes, "NETSCAPE2.0", 11), 0);
    EXPECT_EQ(First.ExtensionBlocks[1].Function, CONTINUE_EXT_FUNC_CODE);
    ASSERT_EQ(First.ExtensionBlocks[1].ByteCount, 3);
    EXPECT_EQ(First.ExtensionBlocks[1].Bytes[0], 1);
    EXPECT_EQ(First.ExtensionBlocks[1].Bytes[1], 0); // loop count 0: for ever
    EXPECT_EQ(First.ExtensionBlocks[1].Bytes[2], 0);
    EXPECT_EQ(First.ExtensionBlocks[2].Function, GRAPHICS_EXT_FUNC_CODE);
    for (int I = 1; I < 3; ++I) {
        ASSERT_EQ(Gif->SavedImages[I].ExtensionBlockCount, 1);
        EXPECT_EQ(Gif->SavedImages[I].ExtensionBlocks[0].Function, GRAPHICS_EXT_FUNC_CODE);
    }
    for (int I = 0; I < 3; ++I) {
        const GraphicsControlBlock Control = Gif.Control(I);
        EXPECT_EQ(Control.DelayTime, 16);
        EXPECT_EQ(Control.DisposalMode, DISPOSE_BACKGROUND);
        EXPECT_EQ(Control.TransparentColor, NO_TRANSPARENT_COLOR);
    }
}

TEST(GifEncoder, TransparentKindMarksEachImagesMagentaEntry) {
    const auto Frames = Animation(4);
    const TDecodedGif Gif = Encode(Frames, true);
    ASSERT_EQ(Gif->ImageCount, 4);
    for (int I = 0; I < 4; ++I) {
        const GraphicsControlBlock Control = Gif.Control(I);
        const TReducedFrame& Frame = Frames[static_cast<std::size_t>(I)];
        ASSERT_GE(Control.TransparentColor, 0);
        ASSERT_LT(static_cast<std::size_t>(Control.TransparentColor), Frame.Palette.size());
        EXPECT_EQ(Frame.Palette[static_cast<std::size_t>(Control.TransparentColor)], Magenta);
        EXPECT_EQ(Gif->SavedImages[I].RasterBits[0], Control.TransparentColor);
        EXPECT_EQ(Control.DelayTime, 16);
        EXPECT_EQ(Control.DisposalMode, DISPOSE_BACKGROUND);
    }
}

TEST(GifEncoder, TableFillerIsNeverTheTransparentEntry) {
    // Black filler would be nearer to magenta than any of these three greens, of which the
    // second is the nearest.
    TReducedFrame Frame;
    Frame.Width = Frame.Height = 2;
    Frame.Palette = {{0, 255, 0}, {10, 250, 10}, {5, 240, 0}};
    Frame.Indices = {0, 1, 2, 0};
    const TDecodedGif Gif = Encode({&Frame, 1}, true);
    ASSERT_EQ(Gif->ImageCount, 1);
    EXPECT_EQ(Gif->SavedImages[0].ImageDesc.ColorMap->ColorCount, 4);
    EXPECT_EQ(Gif.Control(0).TransparentColor, 1);
}

TEST(GifEncoder, OneColourFrameGetsTheSmallestTable) {
    TBitmap Bitmap(128, 128, TPixelFormat::pf24bit);
    Bitmap.Fill(RGBColor(1, 2, 3));
    const TReducedFrame Frame = ReduceFrameColors(Bitmap);
    const TDecodedGif Gif = Encode({&Frame, 1}, false);
    ASSERT_EQ(Gif->ImageCount, 1);
    const ColorMapObject* Map = Gif->SavedImages[0].ImageDesc.ColorMap;
    ASSERT_EQ(Map->ColorCount, 2);
    EXPECT_EQ(Map->Colors[0].Red, 1);
    EXPECT_EQ(Map->Colors[0].Blue, 3);
}

TEST(GifEncoder, NoFramesStillMakeAValidFile) {
    // giflib's own reader insists on an image, so the bytes are checked here.
    TMemoryStream Stream;
    SaveAnimatedGifToStream({}, true, Stream);
    const std::vector<std::uint8_t> Expected = {'G', 'I', 'F', '8', '9', 'a', 128, 0, 128, 0};
    const auto Bytes = Stream.Memory();
    ASSERT_EQ(Bytes.size(), 14u); // header, screen descriptor, trailer
    EXPECT_TRUE(std::equal(Expected.begin(), Expected.end(), Bytes.begin()));
    EXPECT_EQ(Bytes[10] & 0x80, 0) << "no global colour table";
    EXPECT_EQ(Bytes[13], ';');
}

TEST(GifEncoder, RefusesInconsistentFrames) {
    TReducedFrame Frame;
    Frame.Width = Frame.Height = 2;
    Frame.Palette = {{0, 0, 0}};
    Frame.Indices = {0, 0, 0};
    TMemoryStream Stream;
    EXPECT_THROW(SaveAnimatedGifToStream({&Frame, 1}, false, Stream), std::invalid_argument);
    Frame.Indices = {0, 0, 0, 1};
    EXPECT_THROW(SaveAnimatedGifToStream({&Frame, 1}, false, Stream), std::invalid_argument);
    EXPECT_EQ(Stream.GetSize(), 0);
}
