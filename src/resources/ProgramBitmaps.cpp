#include "resources/ProgramBitmaps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace pelto {
namespace {

constexpr TColor Green = RGBColor(0, 255, 0);
constexpr TColor Magenta = RGBColor(255, 0, 255);

void SetPixel(TBitmap& Bitmap, int X, int Y, TColor Color, std::uint8_t Alpha = 255) {
    if (X < 0 || Y < 0 || X >= Bitmap.Width() || Y >= Bitmap.Height())
        return;
    std::uint8_t* P = Bitmap.ScanLine(Y) + static_cast<std::size_t>(X) * Bitmap.BytesPerPixel();
    P[0] = GetBValue(Color);
    P[1] = GetGValue(Color);
    P[2] = GetRValue(Color);
    if (Bitmap.BytesPerPixel() == 4)
        P[3] = Alpha;
}

TColor Mix(TColor A, TColor B, double T) {
    const auto Channel = [T](int X, int Y) {
        return static_cast<std::uint8_t>(std::lround(X + (Y - X) * T));
    };
    return RGBColor(Channel(GetRValue(A), GetRValue(B)), Channel(GetGValue(A), GetGValue(B)),
                    Channel(GetBValue(A), GetBValue(B)));
}

TBitmap MakeItemBack() {
    constexpr TColor Stripe = RGBColor(229, 241, 255);
    constexpr TColor White = RGBColor(255, 255, 255);
    constexpr TColor Floor = RGBColor(197, 203, 231);
    TBitmap Bitmap(32, 32, TPixelFormat::pf24bit);
    for (int Y = 0; Y < 32; ++Y)
        for (int X = 0; X < 32; ++X) {
            const TColor Back = Y % 2 == 0 ? Stripe : White;
            // A flattened oval: rows 19..30, widest (columns 4..27) on rows 22..26.
            const double DX = std::abs(X - 15.5) / 12.5;
            const double DY = std::abs(Y - 24.5) / 6.0;
            const double Distance = std::pow(std::pow(DX, 2.5) + std::pow(DY, 2.5), 1 / 2.5);
            const double Core = std::clamp((1.0 - Distance) * 2.5, 0.0, 1.0);
            SetPixel(Bitmap, X, Y, Mix(Back, Floor, Core));
        }
    return Bitmap;
}

struct TBand {
    std::array<TColor, 3> Stops; // at x = 0, 48, 107
};
constexpr std::array<TBand, 3> Bands{{
    {{RGBColor(255, 186, 173), RGBColor(255, 125, 115), RGBColor(255, 44, 33)}},
    {{RGBColor(181, 255, 123), RGBColor(107, 223, 74), RGBColor(8, 178, 0)}},
    {{RGBColor(132, 243, 255), RGBColor(90, 166, 255), RGBColor(49, 69, 255)}},
}};

TBitmap MakeGraph() {
    TBitmap Bitmap(108, 27, TPixelFormat::pf24bit);
    for (int Band = 0; Band < 3; ++Band)
        for (int Row = 0; Row < 9; ++Row)
            for (int X = 0; X < 108; ++X) {
                const auto& Stops = Bands[static_cast<std::size_t>(Band)].Stops;
                const TColor Middle = X <= 48 ? Mix(Stops[0], Stops[1], X / 48.0)
                                              : Mix(Stops[1], Stops[2], (X - 48) / 59.0);
                // A faint shading: the rows away from the band's middle are a little darker.
                const double Shade = 0.025 * std::abs(Row - 4);
                SetPixel(Bitmap, X, 9 * Band + Row, Mix(Middle, RGBColor(0, 0, 0), Shade));
            }
    return Bitmap;
}

// Palettes of the 18 x 18 buttons: fill, outline and rim (the rim only when hovered).
struct TButtonLook {
    TColor Fill;
    TColor Line;
    TColor Rim;
};

TButtonLook LookOf(TButtonState State) {
    switch (State) {
    case TButtonState::Hover:
        return {RGBColor(160, 160, 168), RGBColor(70, 70, 80), RGBColor(255, 230, 0)};
    case TButtonState::Down:
        return {RGBColor(255, 150, 40), RGBColor(150, 70, 0), RGBColor(150, 70, 0)};
    case TButtonState::Normal:
        break;
    }
    return {RGBColor(160, 160, 168), RGBColor(70, 70, 80), RGBColor(70, 70, 80)};
}

TBitmap MakeTriangleButton(bool Right, TButtonState State) {
    const TButtonLook Look = LookOf(State);
    TBitmap Bitmap(18, 18, TPixelFormat::pf24bit);
    Bitmap.Fill(Green);
    // Rows 2..15; the base stands at x = 2 (pointing right) or x = 15 (pointing left).
    for (int Y = 2; Y <= 15; ++Y) {
        const int Length = 13 - std::abs(2 * Y - 17);
        for (int I = 0; I <= Length; ++I) {
            const bool Edge = I == 0 || I == Length || Y == 2 || Y == 15;
            SetPixel(Bitmap, Right ? 2 + I : 15 - I, Y, Edge ? Look.Rim : Look.Fill);
        }
    }
    // Minus or plus, two pixels thick, in the triangle's wide part near its base.
    const int Left = Right ? 4 : 9;
    for (int X = Left; X < Left + 5; ++X) {
        SetPixel(Bitmap, X, 8, Look.Line);
        SetPixel(Bitmap, X, 9, Look.Line);
    }
    if (Right)
        for (int Y = 6; Y <= 11; ++Y) {
            SetPixel(Bitmap, Left + 2, Y, Look.Line);
            SetPixel(Bitmap, Left + 3, Y, Look.Line);
        }
    return Bitmap;
}

// Glyphs of 5 x 7 pixels, one row a string.
constexpr std::array<std::array<const char*, 7>, 3> Letters{{
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"},
    {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."},
    {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."},
}};
constexpr std::array<TColor, 3> LetterColors{RGBColor(220, 30, 30), RGBColor(20, 160, 20),
                                             RGBColor(30, 60, 220)};

} // namespace

const TBitmap& ItemBackBitmap() {
    static const TBitmap Bitmap = MakeItemBack();
    return Bitmap;
}

const TBitmap& GraphBitmap() {
    static const TBitmap Bitmap = MakeGraph();
    return Bitmap;
}

TBitmap StepButtonPicture(bool Right, TButtonState State) {
    return MakeTriangleButton(Right, State);
}

TBitmap CloseButtonPicture(TButtonState State) {
    const TButtonLook Look = LookOf(State);
    TBitmap Bitmap(18, 18, TPixelFormat::pf24bit);
    Bitmap.Fill(Green);
    for (int Y = 1; Y <= 16; ++Y)
        for (int X = 1; X <= 16; ++X) {
            const bool Edge = X == 1 || Y == 1 || X == 16 || Y == 16;
            SetPixel(Bitmap, X, Y, Edge ? Look.Rim : Look.Fill);
        }
    for (int I = 5; I <= 12; ++I) {
        SetPixel(Bitmap, I, I, Look.Line);
        SetPixel(Bitmap, I + 1, I, Look.Line);
        SetPixel(Bitmap, 17 - I, I, Look.Line);
        SetPixel(Bitmap, 16 - I, I, Look.Line);
    }
    return Bitmap;
}

TBitmap ChannelLetterPicture(int Channel) {
    TBitmap Bitmap(16, 16, TPixelFormat::pf24bit);
    Bitmap.Fill(Magenta);
    const auto& Glyph = Letters[static_cast<std::size_t>(Channel)];
    for (int Row = 0; Row < 7; ++Row)
        for (int Col = 0; Col < 5; ++Col)
            if (Glyph[static_cast<std::size_t>(Row)][Col] == '#')
                for (int DY = 0; DY < 2; ++DY)
                    for (int DX = 0; DX < 2; ++DX)
                        SetPixel(Bitmap, 3 + 2 * Col + DX, 1 + 2 * Row + DY,
                                 LetterColors[static_cast<std::size_t>(Channel)]);
    return Bitmap;
}

TBitmap LockGlyphPicture() {
    // '#' outline, 'o' brass, '.' transparent; the free bottom row keeps the key colour where
    // the picture control takes it from.
    constexpr std::array<const char*, 10> Rows{"..###..", ".#...#.", ".#...#.", "#######",
                                               "#ooooo#", "#oo#oo#", "#oo#oo#", "#ooooo#",
                                               "#######", "......."};
    constexpr TColor Outline = RGBColor(52, 48, 96);
    constexpr TColor Brass = RGBColor(246, 204, 70);
    TBitmap Bitmap(7, static_cast<int>(Rows.size()), TPixelFormat::pf24bit);
    Bitmap.Fill(Magenta);
    for (int Y = 0; Y < Bitmap.Height(); ++Y)
        for (int X = 0; X < Bitmap.Width(); ++X)
            if (const char Cell = Rows[static_cast<std::size_t>(Y)][X]; Cell != '.')
                SetPixel(Bitmap, X, Y, Cell == '#' ? Outline : Brass);
    return Bitmap;
}

TBitmap ProgramIcon(int Size) {
    TBitmap Bitmap(Size, Size, TPixelFormat::pf32bit);
    Bitmap.Fill(0);
    const double S = Size / 32.0;
    const auto Disc = [&](double CX, double CY, double R, TColor Color) {
        for (int Y = 0; Y < Size; ++Y)
            for (int X = 0; X < Size; ++X) {
                const double DX = (X + 0.5) / S - CX, DY = (Y + 0.5) / S - CY;
                if (DX * DX + DY * DY <= R * R)
                    SetPixel(Bitmap, X, Y, Color);
            }
    };
    Disc(16, 16, 15.5, RGBColor(166, 202, 240)); // the picker's sky blue
    Disc(16, 23, 8.5, RGBColor(228, 96, 120));   // dress
    Disc(16, 12, 7.0, RGBColor(255, 224, 196));  // face
    Disc(16, 8.5, 6.0, RGBColor(120, 70, 40));   // hair
    Disc(13.5, 13, 1.1, RGBColor(40, 40, 60));   // eyes
    Disc(18.5, 13, 1.1, RGBColor(40, 40, 60));
    return Bitmap;
}

} // namespace pelto
