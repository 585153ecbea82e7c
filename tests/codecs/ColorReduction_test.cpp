#include "codecs/ColorReduction.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

using namespace pelto;

namespace {

using TRgb = std::array<std::uint8_t, 3>;

void SetPixel(TBitmap& Bitmap, int X, int Y, TRgb C) {
    std::uint8_t* P = Bitmap.ScanLine(Y) + static_cast<std::size_t>(X) * Bitmap.BytesPerPixel();
    P[0] = C[2];
    P[1] = C[1];
    P[2] = C[0];
}

TRgb PixelAt(const TBitmap& Bitmap, int X, int Y) {
    const std::uint8_t* P =
        Bitmap.ScanLine(Y) + static_cast<std::size_t>(X) * Bitmap.BytesPerPixel();
    return {P[2], P[1], P[0]};
}

// One row holding each colour as many times as its weight says.
TBitmap RowOf(const std::vector<std::pair<TRgb, int>>& Colors) {
    int Width = 0;
    for (const auto& [Color, Count] : Colors)
        Width += Count;
    TBitmap Bitmap(Width, 1, TPixelFormat::pf24bit);
    int X = 0;
    for (const auto& [Color, Count] : Colors)
        for (int I = 0; I < Count; ++I)
            SetPixel(Bitmap, X++, 0, Color);
    return Bitmap;
}

void ExpectReproducedExactly(const TBitmap& Bitmap, const TReducedFrame& Frame) {
    ASSERT_EQ(Frame.Width, Bitmap.Width());
    ASSERT_EQ(Frame.Height, Bitmap.Height());
    ASSERT_EQ(Frame.Indices.size(), static_cast<std::size_t>(Frame.Width) * Frame.Height);
    for (int Y = 0; Y < Bitmap.Height(); ++Y)
        for (int X = 0; X < Bitmap.Width(); ++X) {
            const std::uint8_t Index = Frame.Indices[static_cast<std::size_t>(Y) * Frame.Width + X];
            ASSERT_LT(Index, Frame.Palette.size());
            ASSERT_EQ(Frame.Palette[Index], PixelAt(Bitmap, X, Y)) << "at " << X << "," << Y;
        }
}

} // namespace

TEST(ColorReduction, SingleColourFrameGivesOneEntry) {
    TBitmap Bitmap(128, 128, TPixelFormat::pf24bit);
    Bitmap.Fill(RGBColor(12, 34, 56));
    const TReducedFrame Frame = ReduceFrameColors(Bitmap);
    ASSERT_EQ(Frame.Palette.size(), 1u);
    EXPECT_EQ(Frame.Palette[0], (TRgb{12, 34, 56}));
    for (std::uint8_t Index : Frame.Indices)
        ASSERT_EQ(Index, 0);
}

TEST(ColorReduction, CellColourUsesIntegerMeanOfTheRemainders) {
    // Both pixels share a cell; remainders (0, 3), (0, 3), (0, 7) average down to 1, 1, 3.
    const TReducedFrame Frame = ReduceFrameColors(RowOf({{{8, 4, 16}, 1}, {{11, 7, 23}, 1}}));
    ASSERT_EQ(Frame.Palette.size(), 1u);
    EXPECT_EQ(Frame.Palette[0], (TRgb{9, 5, 19}));
}

TEST(ColorReduction, UpToNineColoursInSeparateCellsAreKeptExactly) {
    // Every split of a list with two distinct colours parts them, so eight levels always
    // separate nine colours.
    std::mt19937 Random(2024);
    for (int Round = 0; Round < 50; ++Round) {
        std::set<unsigned> Cells;
        std::vector<std::pair<TRgb, int>> Colors;
        while (Colors.size() < 9) {
            const TRgb C{static_cast<std::uint8_t>(Random()), static_cast<std::uint8_t>(Random()),
                         static_cast<std::uint8_t>(Random())};
            if (Cells.insert((C[0] >> 3) << 11 | (C[1] >> 2) << 5 | C[2] >> 3).second)
                Colors.push_back({C, 1 + static_cast<int>(Random() % 20)});
        }
        const TBitmap Bitmap = RowOf(Colors);
        const TReducedFrame Frame = ReduceFrameColors(Bitmap);
        EXPECT_EQ(Frame.Palette.size(), 9u);
        ExpectReproducedExactly(Bitmap, Frame);
    }
}

TEST(ColorReduction, EvenGridOf256ColoursIsKeptExactly) {
    // 4 x 8 x 8 evenly spaced levels, equal counts: every split halves the list.
    TBitmap Bitmap(128, 128, TPixelFormat::pf24bit);
    for (int I = 0; I < 128 * 128; ++I) {
        const int C = I % 256;
        SetPixel(Bitmap, I % 128, I / 128,
                 {static_cast<std::uint8_t>(5 + 64 * (C / 64)),
                  static_cast<std::uint8_t>(3 + 32 * (C / 8 % 8)),
                  static_cast<std::uint8_t>(7 + 32 * (C % 8))});
    }
    const TReducedFrame Frame = ReduceFrameColors(Bitmap);
    EXPECT_EQ(Frame.Palette.size(), 256u);
    ExpectReproducedExactly(Bitmap, Frame);
}

TEST(ColorReduction, NoisyFrameStaysWithin256Entries) {
    std::mt19937 Random(7);
    TBitmap Bitmap(128, 128, TPixelFormat::pf32bit);
    for (int Y = 0; Y < 128; ++Y)
        for (int X = 0; X < 128; ++X)
            SetPixel(Bitmap, X, Y,
                     {static_cast<std::uint8_t>(Random()), static_cast<std::uint8_t>(Random()),
                      static_cast<std::uint8_t>(Random())});
    const TReducedFrame Frame = ReduceFrameColors(Bitmap);
    EXPECT_LE(Frame.Palette.size(), 256u);
    EXPECT_GT(Frame.Palette.size(), 200u);
    for (std::uint8_t Index : Frame.Indices)
        ASSERT_LT(Index, Frame.Palette.size());
}

TEST(ColorReduction, PartAboveTheMeanTakesTheLowerNumbers) {
    const TReducedFrame Frame = ReduceFrameColors(RowOf({{{0, 0, 0}, 3}, {{255, 255, 255}, 1}}));
    ASSERT_EQ(Frame.Palette.size(), 2u);
    EXPECT_EQ(Frame.Palette[0], (TRgb{255, 255, 255}));
    EXPECT_EQ(Frame.Palette[1], (TRgb{0, 0, 0}));
    EXPECT_EQ(Frame.Indices, (std::vector<std::uint8_t>{1, 1, 1, 0}));
}

TEST(ColorReduction, ColourAtTheMeanGoesWithThePartBelow) {
    // Red is split first at its mean 40; (40, 40, 0) must join black, not (80, 0, 0).
    const TReducedFrame Frame =
        ReduceFrameColors(RowOf({{{0, 0, 0}, 1}, {{40, 40, 0}, 1}, {{80, 0, 0}, 1}}));
    ASSERT_EQ(Frame.Palette.size(), 3u);
    EXPECT_EQ(Frame.Palette[0], (TRgb{80, 0, 0}));
    EXPECT_EQ(Frame.Palette[1], (TRgb{40, 40, 0}));
    EXPECT_EQ(Frame.Palette[2], (TRgb{0, 0, 0}));
}

TEST(ColorReduction, ChannelChoiceFollowsTheWeightedVariances) {
    // Four corners of a rectangle in two channels; the palette order shows which channel the
    // first split took.
    struct TCase {
        const char* Name;
        TRgb Far;           // the corner with both channels high
        TRgb FirstSplitTop; // the other corner in the upper half of the first split
    };
    const TCase Cases[] = {
        // 3 var(R) = 43200 >= 4 var(G) = 40000: red, though the margin is small.
        {"red over green", {120, 100, 0}, {120, 0, 0}},
        // 3 var(R) = 37632 < 40000: green, although red varies more.
        {"green over a wider red", {112, 100, 0}, {0, 100, 0}},
        // 2 var(B) = 25088 <= 3 var(G) = 30000: still green, though blue varies more.
        {"green over a wider blue", {0, 100, 112}, {0, 100, 0}},
        // 2 var(B) = 32768 > 30000: blue.
        {"blue over green", {0, 100, 128}, {0, 0, 128}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        std::vector<std::pair<TRgb, int>> Corners;
        for (int Bits = 0; Bits < 4; ++Bits) {
            TRgb C{};
            for (int Channel = 0, Used = 0; Channel < 3; ++Channel)
                if (Case.Far[Channel] != 0)
                    C[Channel] = (Bits >> Used++) & 1 ? Case.Far[Channel] : 0;
            Corners.push_back({C, 1});
        }
        const TReducedFrame Frame = ReduceFrameColors(RowOf(Corners));
        ASSERT_EQ(Frame.Palette.size(), 4u);
        EXPECT_EQ(Frame.Palette[0], Case.Far);
        EXPECT_EQ(Frame.Palette[1], Case.FirstSplitTop);
        EXPECT_EQ(Frame.Palette[3], (TRgb{0, 0, 0}));
    }
}

TEST(ColorReduction, LastLevelRoundsTheWeightedMeanHalvesToEven) {
    // Weights that peel one colour off the top at each of the eight levels, leaving black and
    // one dark red in the final list: their mean is 4.5 (-> 4) or 5.5 (-> 6).
    for (const auto& [Dark, Expected] : {std::pair{9, 4}, std::pair{11, 6}}) {
        std::vector<std::pair<TRgb, int>> Colors = {{{0, 0, 0}, 1},
                                                    {{static_cast<std::uint8_t>(Dark), 0, 0}, 1}};
        const int Peeled[] = {32, 64, 96, 128, 160, 192, 224, 255};
        const int Weights[] = {2, 4, 8, 16, 32, 64, 128, 512};
        for (int I = 0; I < 8; ++I)
            Colors.push_back({{static_cast<std::uint8_t>(Peeled[I]), 0, 0}, Weights[I]});
        const TReducedFrame Frame = ReduceFrameColors(RowOf(Colors));
        ASSERT_EQ(Frame.Palette.size(), 9u);
        for (int I = 0; I < 8; ++I)
            EXPECT_EQ(Frame.Palette[I][0], Peeled[7 - I]);
        EXPECT_EQ(Frame.Palette[8], (TRgb{static_cast<std::uint8_t>(Expected), 0, 0}));
        EXPECT_EQ(Frame.Indices[0], 8);
        EXPECT_EQ(Frame.Indices[1], 8);
    }
}

TEST(ColorReduction, NearestPaletteIndexTakesTheFirstOfEqualDistances) {
    TReducedFrame Frame;
    Frame.Palette = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {255, 0, 255}, {255, 0, 255}};
    EXPECT_EQ(NearestPaletteIndex(Frame, 255, 0, 255), 3);
    EXPECT_EQ(NearestPaletteIndex(Frame, 250, 0, 10), 1);
    Frame.Palette = {{255, 0, 0}, {0, 0, 255}};
    EXPECT_EQ(NearestPaletteIndex(Frame, 255, 0, 255), 0);
    EXPECT_EQ(NearestPaletteIndex(TReducedFrame{}, 1, 2, 3), 0);
}

TEST(ColorReduction, RefusesBitmapsWithoutThreeColourBytes) {
    EXPECT_THROW(ReduceFrameColors(TBitmap(4, 4, TPixelFormat::pf8bit)), std::invalid_argument);
}
