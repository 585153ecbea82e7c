#include "demo/DemoInstallationFigure.h"

#include "codecs/ImageEncoders.h"
#include "demo/DemoInstallationParts.h"
#include "demo/DemoInstallationRaster.h"
#include "platform/Bitmap.h"
#include "platform/Format.h"
#include "sprites/wlojmajmp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace pelto::demo {
namespace {

// The main window's own background; the skin pictures are filled with it round their shapes.
constexpr TRgb Backdrop{228, 238, 250};

void SetPixel(TBitmap& B, int X, int Y, TRgb C) {
    if (X < 0 || Y < 0 || X >= B.Width() || Y >= B.Height())
        return;
    std::uint8_t* P = B.ScanLine(Y) + 3 * static_cast<std::size_t>(X);
    P[0] = C.B;
    P[1] = C.G;
    P[2] = C.R;
}

TRgb Mix(TRgb A, TRgb C, float T) {
    auto Channel = [T](std::uint8_t U, std::uint8_t V) {
        return static_cast<std::uint8_t>(std::lround(
            static_cast<float>(U) + (static_cast<float>(V) - static_cast<float>(U)) * T));
    };
    return {Channel(A.R, C.R), Channel(A.G, C.G), Channel(A.B, C.B)};
}

TBitmap Filled(int W, int H) {
    TBitmap B(W, H, TPixelFormat::pf24bit);
    B.Fill(RGBColor(Backdrop.R, Backdrop.G, Backdrop.B));
    return B;
}

// ---------------------------------------------------------------------------------------------
// Colour-position icons: hair, skin, clothes, accent.

TBitmap PartIcon(int Part) {
    TJmaPalette Palette{};
    PutFixedColors(Palette);
    PutRamp(Palette, RangeHair, {150, 90, 50});
    PutRamp(Palette, RangeSkin, {240, 198, 160});
    PutRamp(Palette, RangeCloth, {70, 120, 190});
    PutRamp(Palette, RangeAccent, {220, 180, 70});
    TScene S;
    int Order = 0;
    auto Add = [&](TPrim P) {
        P.Depth = static_cast<float>(Order++);
        return S.Add(P);
    };
    switch (Part) {
    case 0: { // a head of hair with a face
        Add(EllipsePrim({15, 10}, 8.5f, 8, RangeHair, 0));
        const int Face = Add(EllipsePrim({15, 12}, 6.5f, 5.5f, RangeSkin, 0));
        TPrim Fringe = EllipsePrim({15, 8}, 7.5f, 4, RangeHair, 0);
        Fringe.ClipBottom = 9;
        Add(Fringe);
        for (int X : {12, 18}) {
            S.Decal(X, 11, Fixed::Lash, Face);
            S.Decal(X, 12, Fixed::Iris, Face);
        }
        S.Decal(15, 15, Fixed::Mouth, Face);
        break;
    }
    case 1: // a bare figure
        Add(CapsulePrim({12, 13}, {11, 18}, 1.6f, 1.5f, RangeSkin, 0));
        Add(CapsulePrim({18, 13}, {19, 18}, 1.6f, 1.5f, RangeSkin, 0));
        Add(BoxPrim({15, 6}, 5, {15, 14}, 4, 2, RangeSkin, 0));
        Add(CapsulePrim({10.5f, 7.5f}, {8, 14}, 1.4f, 1.3f, RangeSkin, 0));
        Add(CapsulePrim({19.5f, 7.5f}, {22, 14}, 1.4f, 1.3f, RangeSkin, 0));
        Add(EllipsePrim({15, 3.5f}, 3, 3, RangeSkin, 0));
        break;
    case 2: { // a shirt
        Add(CapsulePrim({9, 5}, {5, 11}, 2.6f, 2.3f, RangeCloth, 0));
        Add(CapsulePrim({21, 5}, {25, 11}, 2.6f, 2.3f, RangeCloth, 0));
        const int Shirt = Add(BoxPrim({15, 3}, 7, {15, 18}, 7, 1.5f, RangeCloth, 0));
        for (int K = 0; K <= 2; ++K) {
            S.Decal(15 - K, 3 + K, static_cast<std::uint8_t>(RangeCloth + 10), Shirt);
            S.Decal(15 + K, 3 + K, static_cast<std::uint8_t>(RangeCloth + 10), Shirt);
        }
        break;
    }
    default: { // a jewel
        const int Jewel = Add(PolyPrim({{15, 2}, {23, 9}, {15, 18}, {7, 9}}, RangeAccent, 0));
        S.Decal(13, 7, Fixed::Shine, Jewel);
        S.Decal(14, 6, Fixed::Shine, Jewel);
        break;
    }
    }
    const std::vector<std::uint8_t> Indices = TRaster(32).RenderFull(S);
    TBitmap B = Filled(30, 20);
    for (int Y = 0; Y < 20; ++Y)
        for (int X = 0; X < 30; ++X)
            if (const std::uint8_t I = Indices[static_cast<std::size_t>(Y * 32 + X)])
                SetPixel(B, X, Y, {Palette[I].Red, Palette[I].Green, Palette[I].Blue});
    return B;
}

// ---------------------------------------------------------------------------------------------
// Buttons, as three-state strips: normal, pointer over, pressed.

struct TSkinButtonLook {
    TRgb Top, Bottom, Border, Ink;
    int Shift; // the pressed picture moves its glyph
};

constexpr std::array<TSkinButtonLook, 3> ButtonLooks{{
    {{252, 252, 254}, {205, 214, 232}, {118, 134, 168}, {48, 60, 92}, 0},
    {{255, 251, 228}, {246, 222, 150}, {226, 160, 50}, {120, 62, 12}, 0},
    {{186, 197, 218}, {228, 233, 243}, {88, 102, 140}, {30, 40, 72}, 1},
}};

// 5 x 7 letters of "DEFAULT".
const char* Glyph(char C) {
    switch (C) {
    case 'D':
        return "11110"
               "10001"
               "10001"
               "10001"
               "10001"
               "10001"
               "11110";
    case 'E':
        return "11111"
               "10000"
               "10000"
               "11110"
               "10000"
               "10000"
               "11111";
    case 'F':
        return "11111"
               "10000"
               "10000"
               "11110"
               "10000"
               "10000"
               "10000";
    case 'A':
        return "01110"
               "10001"
               "10001"
               "11111"
               "10001"
               "10001"
               "10001";
    case 'U':
        return "10001"
               "10001"
               "10001"
               "10001"
               "10001"
               "10001"
               "01110";
    case 'L':
        return "10000"
               "10000"
               "10000"
               "10000"
               "10000"
               "10000"
               "11111";
    default:
        return "11111"
               "00100"
               "00100"
               "00100"
               "00100"
               "00100"
               "00100"; // T
    }
}

// A face with a vertical gradient and a one-pixel border; Inside tells which pixels belong.
template <typename TInside>
void Face(TBitmap& B, int Top, int W, int H, const TSkinButtonLook& L, TInside Inside) {
    auto In = [&](int X, int Y) {
        return X >= 0 && Y >= 0 && X < W && Y < H && Inside(X, Y);
    };
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            if (!In(X, Y))
                continue;
            const bool Edge = !In(X - 1, Y) || !In(X + 1, Y) || !In(X, Y - 1) || !In(X, Y + 1);
            SetPixel(B, X, Top + Y,
                     Edge
                         ? L.Border
                         : Mix(L.Top, L.Bottom, static_cast<float>(Y) / static_cast<float>(H - 1)));
        }
}

TBitmap DefaultButton() {
    constexpr int W = 56;
    constexpr int H = 20;
    TBitmap B = Filled(W, 3 * H);
    for (int State = 0; State < 3; ++State) {
        const TSkinButtonLook& L = ButtonLooks[static_cast<std::size_t>(State)];
        const int Top = State * H;
        Face(B, Top, W, H, L, [](int X, int Y) {
            constexpr float R = 4;
            const float Dx = std::max(
                {0.0f, R - static_cast<float>(X) - 0.5f, static_cast<float>(X) + 0.5f - (W - R)});
            const float Dy = std::max(
                {0.0f, R - static_cast<float>(Y) - 0.5f, static_cast<float>(Y) + 0.5f - (H - R)});
            return Dx * Dx + Dy * Dy <= R * R;
        });
        const std::string Text = "DEFAULT";
        const int Left = (W - static_cast<int>(Text.size()) * 6 + 1) / 2 + L.Shift;
        for (std::size_t K = 0; K < Text.size(); ++K) {
            const char* G = Glyph(Text[K]);
            for (int Y = 0; Y < 7; ++Y)
                for (int X = 0; X < 5; ++X)
                    if (G[Y * 5 + X] == '1')
                        SetPixel(B, Left + static_cast<int>(K) * 6 + X, Top + 7 + L.Shift + Y,
                                 L.Ink);
        }
    }
    return B;
}

enum class TSymbol { Prev, Next, Play, Stop };

bool InTriangle(float X, float Y, TPt A, TPt C, TPt D) {
    auto Cross = [](TPt P, TPt Q, float X0, float Y0) {
        return (Q.X - P.X) * (Y0 - P.Y) - (Q.Y - P.Y) * (X0 - P.X);
    };
    const float S1 = Cross(A, C, X, Y);
    const float S2 = Cross(C, D, X, Y);
    const float S3 = Cross(D, A, X, Y);
    return (S1 >= 0 && S2 >= 0 && S3 >= 0) || (S1 <= 0 && S2 <= 0 && S3 <= 0);
}

TBitmap AnimationButton(TSymbol Symbol) {
    constexpr int Size = 25;
    TBitmap B = Filled(Size, 3 * Size);
    for (int State = 0; State < 3; ++State) {
        const TSkinButtonLook& L = ButtonLooks[static_cast<std::size_t>(State)];
        const int Top = State * Size;
        Face(B, Top, Size, Size, L, [](int X, int Y) {
            const float Dx = static_cast<float>(X) + 0.5f - Size / 2.0f;
            const float Dy = static_cast<float>(Y) + 0.5f - Size / 2.0f;
            return Dx * Dx + Dy * Dy <= 11.5f * 11.5f;
        });
        const float S = static_cast<float>(L.Shift);
        for (int Y = 0; Y < Size; ++Y)
            for (int X = 0; X < Size; ++X) {
                const float Px = static_cast<float>(X) + 0.5f - S;
                const float Py = static_cast<float>(Y) + 0.5f - S;
                bool Ink = false;
                switch (Symbol) {
                case TSymbol::Prev:
                    Ink = (Px >= 7 && Px <= 9 && Py >= 7.5f && Py <= 17.5f) ||
                          InTriangle(Px, Py, {9.5f, 12.5f}, {17.5f, 7.5f}, {17.5f, 17.5f});
                    break;
                case TSymbol::Next:
                    Ink = (Px >= 16 && Px <= 18 && Py >= 7.5f && Py <= 17.5f) ||
                          InTriangle(Px, Py, {15.5f, 12.5f}, {7.5f, 7.5f}, {7.5f, 17.5f});
                    break;
                case TSymbol::Play:
                    Ink = InTriangle(Px, Py, {18.5f, 12.5f}, {9, 6.5f}, {9, 18.5f});
                    break;
                case TSymbol::Stop:
                    Ink = Px >= 8 && Px <= 17 && Py >= 8 && Py <= 17;
                    break;
                }
                if (Ink)
                    SetPixel(B, X, Top + Y, L.Ink);
            }
    }
    return B;
}

} // namespace

void WriteSkinPictures(const std::string& SkinFolder) {
    for (int Part = 0; Part < 4; ++Part)
        SaveBmpFile(PartIcon(Part), SkinFolder + Format("Icon_Part_%d.bmp", Part + 1));
    SaveBmpFile(DefaultButton(), SkinFolder + "btn_default.bmp");
    SaveBmpFile(AnimationButton(TSymbol::Prev), SkinFolder + "btn_m_prev.bmp");
    SaveBmpFile(AnimationButton(TSymbol::Next), SkinFolder + "btn_m_next.bmp");
    SaveBmpFile(AnimationButton(TSymbol::Play), SkinFolder + "btn_m_Play.bmp");
    SaveBmpFile(AnimationButton(TSymbol::Stop), SkinFolder + "btn_m_Stop.bmp");
}

} // namespace pelto::demo
