#include "demo/DemoInstallationFigure.h"

#include "codecs/ImageEncoders.h"
#include "demo/DemoInstallation.h"
#include "demo/DemoInstallationParts.h"
#include "demo/DemoInstallationRaster.h"
#include "platform/Bitmap.h"
#include "platform/Format.h"
#include "platform/Stream.h"
#include "sprites/wlojmajmp.h"
#include "writers/GroupImageWriter.h"
#include "writers/ItemTableWriter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace pelto::demo {
namespace {

constexpr int IconSize = 32;
constexpr TColor IconKey = RGBColor(0, 255, 0); // the icon file's transparent colour

// Item pictures for the picker, drawn front-on in 32 x 32 with the same shading as the
// sprites; shapes are listed back to front.
class TIconArt {
public:
    explicit TIconArt(const TDemoItem& Item) : Main(MainRange(Item.Entry.Slot)) {}

    std::vector<std::uint8_t> Paint(TLook Look);
    /// Goods of kind Good (FillerGoodsCount).
    std::vector<std::uint8_t> PaintGoods(int Good);

private:
    int Shape(TPrim P) {
        P.Depth = static_cast<float>(S.Prims.size());
        return S.Add(P);
    }
    int C(float X0, float Y0, float X1, float Y1, float R0, float R1, std::uint8_t Base,
          std::uint8_t Merge = 0) {
        TPrim P = CapsulePrim({X0, Y0}, {X1, Y1}, R0, R1, Base, 0);
        P.Merge = Merge;
        return Shape(P);
    }
    int E(float X, float Y, float Rx, float Ry, std::uint8_t Base, float ClipBottom = 1e9f,
          std::uint8_t Merge = 0) {
        TPrim P = EllipsePrim({X, Y}, Rx, Ry, Base, 0);
        P.ClipBottom = ClipBottom;
        P.Merge = Merge;
        return Shape(P);
    }
    int Ring(float X, float Y, float Rx, float Ry, float Thick, std::uint8_t Base,
             float ClipBottom = 1e9f) {
        TPrim P = EllipsePrim({X, Y}, Rx, Ry, Base, 0);
        P.Shape = TShape::Ring;
        P.Extra = Thick;
        P.ClipBottom = ClipBottom;
        return Shape(P);
    }
    int Box(float Y0, float H0, float Y1, float H1, float Corner, std::uint8_t Base, float X = 16) {
        return Shape(BoxPrim({X, Y0}, H0, {X, Y1}, H1, Corner, Base, 0));
    }
    int P(std::initializer_list<TPt> Points, std::uint8_t Base, std::uint8_t Merge = 0) {
        TPrim Prim = PolyPrim(Points, Base, 0);
        Prim.Merge = Merge;
        return Shape(Prim);
    }
    void Dot(int X, int Y, std::uint8_t Index, int Host) { S.Decal(X, Y, Index, Host); }
    void Plus(int X, int Y, std::uint8_t Index, int Host) {
        for (int D = -1; D <= 1; ++D) {
            Dot(X + D, Y, Index, Host);
            Dot(X, Y + D, Index, Host);
        }
    }

    TScene S;
    std::uint8_t Main;
    static constexpr std::uint8_t Second = RangeSecond;
    static constexpr std::uint8_t Metal = RangeMetal;
    static constexpr std::uint8_t Gem = RangeGem;
};

std::vector<std::uint8_t> TIconArt::Paint(TLook Look) {
    switch (Look) {
    case TLook::Cap:
        E(16, 18, 10, 9, Main, 18.5f);
        E(20, 19.5f, 10, 2.8f, Second);
        E(16, 8.5f, 1.6f, 1.3f, Second);
        break;
    case TLook::Bandana: {
        const int Cloth = E(15, 19, 10, 9.5f, Main, 20.5f);
        C(25, 20, 29, 27, 1.4f, 1.1f, Main);
        C(25, 20, 23, 28, 1.4f, 1.1f, Main);
        E(25.5f, 19.5f, 2.6f, 2.3f, Main);
        static constexpr int Dots[6][2] = {{11, 13}, {16, 11}, {20, 15},
                                           {13, 17}, {8, 17},  {18, 18}};
        for (const auto& D : Dots)
            Dot(D[0], D[1], Fixed::White, Cloth);
        break;
    }
    case TLook::WizardHat: {
        const int Cone = P({{8, 23}, {24, 23}, {19, 2}}, Main);
        Box(19.5f, 7.3f, 23, 8.3f, 0, Second);
        E(16, 24, 14, 3.6f, Main);
        Plus(17, 13, static_cast<std::uint8_t>(Gem + 3), Cone);
        break;
    }
    case TLook::Ribbon:
        C(16, 17, 12, 28, 1.4f, 1.0f, Main);
        C(16, 17, 20, 28, 1.4f, 1.0f, Main);
        P({{16, 16}, {5, 9}, {5, 23}}, Main, 1);
        E(5, 16, 2.6f, 7, Main, 1e9f, 1);
        P({{16, 16}, {27, 9}, {27, 23}}, Main, 2);
        E(27, 16, 2.6f, 7, Main, 1e9f, 2);
        E(16, 16, 3.2f, 3.2f, Second);
        break;
    case TLook::Helmet:
        E(16, 18, 10, 10, Metal, 21.5f);
        Box(19, 10.3f, 22.5f, 10.3f, 1, Second);
        C(11, 10, 18, 5, 2.6f, 2.8f, Main, 1);
        C(18, 5, 27, 11, 2.8f, 1.6f, Main, 1);
        C(16, 21, 16, 28, 1.1f, 1.1f, Metal);
        break;
    case TLook::Crown: {
        const int Band = Box(15, 11, 24, 11.5f, 0, Metal);
        for (int K = 0; K < 5; ++K) {
            const float X = 7 + 4.5f * static_cast<float>(K);
            const float Tip = K == 2 ? 4.0f : 6.5f;
            P({{X - 2.8f, 15.5f}, {X + 2.8f, 15.5f}, {X, Tip}}, Metal, 1);
            E(X, Tip, 1.4f, 1.4f, Gem);
        }
        for (int K = 0; K < 3; ++K) {
            Dot(10 + 6 * K, 19, static_cast<std::uint8_t>(Gem + 4), Band);
            Dot(11 + 6 * K, 19, static_cast<std::uint8_t>(Gem + 8), Band);
            Dot(10 + 6 * K, 20, static_cast<std::uint8_t>(Gem + 8), Band);
            Dot(11 + 6 * K, 20, static_cast<std::uint8_t>(Gem + 10), Band);
        }
        break;
    }
    case TLook::BunnyEars:
        Ring(16, 27, 10, 6, 2, Metal, 27);
        E(10.5f, 12, 3.2f, 9, Main);
        E(10.5f, 13, 1.4f, 6.5f, Second);
        E(21.5f, 12, 3.2f, 9, Main);
        E(21.5f, 13, 1.4f, 6.5f, Second);
        break;
    case TLook::Beret: {
        C(16, 11, 17, 7.5f, 1.2f, 1.0f, Main);
        const int Cap = E(16, 17, 12, 5.8f, Main);
        Dot(22, 17, static_cast<std::uint8_t>(Gem + 4), Cap);
        break;
    }
    case TLook::Tunic: {
        C(9, 9, 4, 19, 3, 2.6f, Main);
        C(23, 9, 28, 19, 3, 2.6f, Main);
        C(4.5f, 18, 4, 20.5f, 3.2f, 3.2f, Second);
        C(27.5f, 18, 28, 20.5f, 3.2f, 3.2f, Second);
        const int Body = Box(6, 7.5f, 28, 9.5f, 2, Main);
        Box(19, 8.8f, 21.5f, 9.0f, 0.5f, Second);
        for (int K = 0; K <= 3; ++K) {
            Dot(16 - K, 6 + K, static_cast<std::uint8_t>(Second + 3), Body);
            Dot(16 + K, 6 + K, static_cast<std::uint8_t>(Second + 3), Body);
        }
        break;
    }
    case TLook::Robe: {
        C(9, 7, 3, 20, 2.6f, 4.5f, Main);
        C(23, 7, 29, 20, 2.6f, 4.5f, Main);
        C(3, 19, 3, 21.5f, 4.6f, 4.6f, Second);
        C(29, 19, 29, 21.5f, 4.6f, 4.6f, Second);
        Box(5, 7, 29.5f, 12, 2, Main);
        Box(27, 11.6f, 29.5f, 12, 0.5f, Second);
        Box(15.5f, 8.4f, 17.8f, 8.7f, 0.5f, Second);
        P({{16, 8.5f}, {18.5f, 11}, {16, 13.5f}, {13.5f, 11}}, Gem);
        break;
    }
    case TLook::Armor: {
        Box(7, 9, 25, 8, 3, Metal);
        Box(22.5f, 9.5f, 27.5f, 10.5f, 1, Metal);
        Box(12, 3, 29, 3.5f, 0.5f, Main);
        E(7, 9, 4.6f, 3.6f, Metal);
        E(25, 9, 4.6f, 3.6f, Metal);
        P({{16, 8}, {18.5f, 10.5f}, {16, 13}, {13.5f, 10.5f}}, Gem);
        break;
    }
    case TLook::Dress:
        Box(15, 5.5f, 28, 13, 2, Main);
        Box(27.5f, 13.2f, 30, 13.6f, 1, Second);
        Box(5, 6, 16, 5, 1.5f, Main);
        E(9.5f, 7, 3.2f, 2.9f, Main);
        E(22.5f, 7, 3.2f, 2.9f, Main);
        P({{16, 9}, {12, 7}, {12, 11}}, Gem, 1);
        P({{16, 9}, {20, 7}, {20, 11}}, Gem, 1);
        break;
    case TLook::Coat: {
        C(8.5f, 6, 4, 22, 3, 2.7f, Main);
        C(23.5f, 6, 28, 22, 3, 2.7f, Main);
        C(4.2f, 20, 4, 22.5f, 3.2f, 3.2f, Second);
        C(27.8f, 20, 28, 22.5f, 3.2f, 3.2f, Second);
        const int Body = Box(4, 8, 29, 10.5f, 2, Main);
        for (int Y = 9; Y <= 28; ++Y)
            Dot(16, Y, static_cast<std::uint8_t>(Main + 12), Body);
        for (int K = 0; K <= 4; ++K) {
            Dot(15 - K / 2, 4 + K, static_cast<std::uint8_t>(Second + 3), Body);
            Dot(17 + K / 2, 4 + K, static_cast<std::uint8_t>(Second + 3), Body);
        }
        for (int K = 0; K < 3; ++K)
            Dot(18, 12 + 5 * K, static_cast<std::uint8_t>(Metal + 3), Body);
        break;
    }
    case TLook::Sailor:
        C(9, 8, 5, 14, 3, 2.7f, Main);
        C(23, 8, 27, 14, 3, 2.7f, Main);
        Box(20.5f, 8.2f, 29, 11, 1, Second);
        Box(6, 7.5f, 21, 8, 2, Main);
        P({{8.5f, 6}, {23.5f, 6}, {16, 14.5f}}, Second);
        C(16, 14, 14.5f, 20, 1, 1.4f, Gem, 1);
        C(16, 14, 17.5f, 20, 1, 1.4f, Gem, 1);
        E(16, 14, 2, 1.8f, Gem, 1e9f, 1);
        break;
    case TLook::Sword:
        C(12, 20, 27, 5, 2, 0.6f, Main);
        C(10, 22, 6, 26, 1.3f, 1.3f, Second);
        C(8.5f, 18.5f, 13.5f, 23.5f, 1.3f, 1.3f, Metal);
        E(5, 27, 1.9f, 1.9f, Gem);
        break;
    case TLook::GreatSword:
        C(11, 21, 28, 4, 2.8f, 0.8f, Main);
        C(9, 23, 4, 28, 1.5f, 1.5f, Second);
        C(7, 17, 15, 25, 1.5f, 1.5f, Metal);
        E(3, 29, 1.7f, 1.7f, Gem);
        break;
    case TLook::Staff:
        C(5, 29, 22, 8, 1.3f, 1.1f, Second);
        C(20, 10, 23, 3, 0.9f, 0.7f, Main);
        C(22, 12, 29, 9, 0.9f, 0.7f, Main);
        E(24.5f, 7.5f, 3.8f, 3.8f, Gem);
        break;
    case TLook::Wand: {
        C(7, 27, 20, 12, 1.0f, 0.9f, Main);
        const int Star = P({{23, 3}, {29, 9}, {23, 15}, {17, 9}}, Gem);
        Dot(22, 8, Fixed::White, Star);
        break;
    }
    case TLook::Axe:
        C(6, 28, 22, 8, 1.4f, 1.2f, Second);
        P({{17, 7}, {22, 2}, {16, 1.5f}}, Metal);
        P({{16.5f, 13.5f}, {22, 8}, {29, 14}, {23, 20.5f}}, Main);
        break;
    case TLook::Spear:
        C(3, 29, 22, 10, 1.1f, 1.1f, Second);
        E(19.5f, 14, 1.9f, 2.7f, Gem);
        P({{21, 11}, {26.2f, 9.8f}, {29, 3}, {22.2f, 5.8f}}, Main);
        break;
    case TLook::Hammer:
        C(5, 28, 19, 12, 1.5f, 1.5f, Second);
        P({{11.8f, 7.9f}, {23.1f, 19.2f}, {30.2f, 12.1f}, {18.9f, 0.8f}}, Metal);
        P({{14.8f, 5.1f}, {26.7f, 17}, {28.4f, 15.3f}, {16.5f, 3.4f}}, Main);
        break;
    case TLook::Bow: {
        static constexpr float Arc[6][2] = {{10, 3},  {17, 6},  {21, 12},
                                            {21, 20}, {17, 26}, {10, 29}};
        C(10, 3, 10, 29, 0.5f, 0.5f, Fixed::White);
        for (int K = 0; K + 1 < 6; ++K)
            C(Arc[K][0], Arc[K][1], Arc[K + 1][0], Arc[K + 1][1], 1.5f, 1.5f, Second, 1);
        E(10, 3, 1.6f, 1.6f, Main);
        E(10, 29, 1.6f, 1.6f, Main);
        break;
    }
    case TLook::Parasol: {
        C(16, 14, 16, 29, 0.9f, 0.9f, Second);
        C(16, 29, 13, 30, 0.9f, 0.9f, Second);
        const int Top = E(16, 14, 14, 9, Main, 15);
        for (int K = -1; K <= 1; K += 2)
            for (int D = 0; D < 7; ++D)
                Dot(16 + K * D * 2, 6 + D, static_cast<std::uint8_t>(Main + 9), Top);
        E(16, 5, 1.5f, 1.5f, Metal);
        break;
    }
    case TLook::Gloves: {
        Box(23, 7.5f, 28.5f, 7.5f, 1.5f, Second, 15);
        const int Hand = E(15, 15, 7, 8.5f, Main);
        C(9, 15, 5.5f, 10, 2.3f, 1.9f, Main);
        for (int K = 0; K < 3; ++K)
            for (int Y = 8; Y <= 11; ++Y)
                Dot(13 + 3 * K, Y, static_cast<std::uint8_t>(Main + 10), Hand);
        break;
    }
    case TLook::Bracers: {
        const int Band = Box(7, 7, 25, 7, 2, Metal);
        Box(12, 7.5f, 15, 7.5f, 0.5f, Main);
        Box(18, 7.5f, 21, 7.5f, 0.5f, Main);
        Dot(11, 9, Fixed::White, Band);
        Dot(21, 9, Fixed::White, Band);
        break;
    }
    case TLook::Shield: {
        E(16, 16, 12, 13.5f, Metal);
        const int Face = E(16, 16, 10, 11.5f, Main);
        for (int D = -7; D <= 7; ++D) {
            Dot(16 + D, 16, static_cast<std::uint8_t>(Metal + 3), Face);
            Dot(16, 16 + D, static_cast<std::uint8_t>(Metal + 3), Face);
        }
        E(16, 16, 3.2f, 3.2f, Gem);
        break;
    }
    case TLook::Gauntlets:
        Box(18, 7.5f, 28.5f, 9.5f, 2, Metal, 15);
        Box(24.5f, 9.6f, 28.5f, 10, 1, Main, 15);
        E(15, 12, 8, 8, Metal);
        C(8, 12, 5, 7, 2.4f, 2.0f, Metal);
        break;
    case TLook::Boots:
        Box(4, 5.5f, 22, 5, 1.5f, Main, 13);
        C(12, 24, 24, 25.5f, 5, 4, Main);
        Box(3, 6.6f, 7, 6.6f, 1, Second, 13);
        C(8, 29.5f, 27, 29.5f, 0.8f, 0.8f, Second);
        break;
    case TLook::Slippers: {
        const int Body = E(16, 20, 12, 7, Main);
        for (int X = 9; X <= 15; ++X)
            Dot(X, 16, static_cast<std::uint8_t>(Main + 11), Body);
        E(24, 15, 3.3f, 3.3f, Second);
        break;
    }
    case TLook::Sneakers: {
        const int Upper = C(8, 20, 24, 22, 5, 4.5f, Main);
        C(6, 26.5f, 27, 26.5f, 2, 2, Second);
        for (int K = 0; K < 4; ++K)
            Dot(12 + 2 * K, 17 + (K % 2), Fixed::White, Upper);
        break;
    }
    case TLook::Greaves:
        Box(3, 6, 22, 5, 2, Metal, 14);
        C(13, 24, 25, 25.5f, 4.5f, 3.5f, Main);
        E(14, 7, 5, 4, Metal);
        break;
    case TLook::Wings:
        for (int Side = -1; Side <= 1; Side += 2) {
            auto X = [Side](float D) {
                return 16 + static_cast<float>(Side) * D;
            };
            const auto Merge = static_cast<std::uint8_t>(2 + Side);
            P({{X(1), 18}, {X(14), 4}, {X(15), 15}}, Main, Merge);
            P({{X(1), 18}, {X(15), 15}, {X(9), 28}}, Main, Merge);
            P({{X(2), 18}, {X(10), 9}, {X(11), 16}}, Second, Merge);
        }
        break;
    case TLook::Cape:
        P({{9, 5}, {23, 5}, {28, 30}, {4, 30}}, Main, 1);
        P({{11, 9}, {21, 9}, {24, 28}, {8, 28}}, Second, 1);
        E(16, 6, 2.4f, 2.4f, Metal);
        break;
    case TLook::Scarf:
        C(14, 14, 11, 25, 2.4f, 2.2f, Main);
        Ring(16, 11, 9, 5.5f, 3.5f, Main);
        C(19, 14, 22, 28, 2.6f, 2.4f, Main);
        E(22, 28.5f, 2.6f, 1.6f, Second);
        E(11, 25.5f, 2.4f, 1.6f, Second);
        break;
    case TLook::Tail:
        C(6, 27, 12, 20, 3.4f, 3.2f, Main, 1);
        C(12, 20, 14, 12, 3.2f, 3, Main, 1);
        C(14, 12, 20, 6, 3, 2.8f, Main, 1);
        E(21.5f, 5, 3.4f, 3.4f, Second, 1e9f, 1);
        break;
    case TLook::Halo: {
        const int Halo = Ring(16, 17, 13, 6, 2.8f, Main);
        Dot(6, 13, Fixed::White, Halo);
        Dot(25, 21, Fixed::White, Halo);
        break;
    }
    case TLook::Glasses:
        E(9, 16, 4.8f, 4.3f, Gem);
        E(23, 16, 4.8f, 4.3f, Gem);
        Ring(9, 16, 6, 5.5f, 1.4f, Main);
        Ring(23, 16, 6, 5.5f, 1.4f, Main);
        C(14, 15, 18, 15, 0.9f, 0.9f, Main);
        C(3, 15, 1, 12, 0.8f, 0.8f, Main);
        C(29, 15, 31, 12, 0.8f, 0.8f, Main);
        break;
    case TLook::Fairy: {
        E(9.5f, 13, 4.5f, 6, Second);
        E(22.5f, 13, 4.5f, 6, Second);
        const int Body = E(16, 18, 5.5f, 5.5f, Main);
        E(16, 18.5f, 2.2f, 2.2f, Gem);
        Dot(14, 15, Fixed::Shine, Body);
        break;
    }
    }
    return TRaster(IconSize).RenderFull(S);
}

std::vector<std::uint8_t> TIconArt::PaintGoods(int Good) {
    const auto Shine = [this](int Host, std::initializer_list<std::pair<int, int>> At) {
        for (const auto& [X, Y] : At)
            Dot(X, Y, Fixed::White, Host);
    };
    switch (Good) {
    case 0: // potion, ether, antidote: a stoppered flask
    case 1:
    case 5: {
        Box(7, 2.6f, 12, 3.2f, 0.5f, Metal);
        Box(3, 3.4f, 7.5f, 3.4f, 1, Second);
        const int Flask = E(16, 21, 9.5f, 9, Main);
        Shine(Flask, {{11, 17}, {11, 18}, {12, 16}});
        break;
    }
    case 2: { // bread
        const int Loaf = E(16, 19, 13.5f, 8, Main);
        for (int K = 0; K < 3; ++K)
            for (int D = 0; D < 5; ++D)
                Dot(8 + 7 * K + D / 2, 14 + D, static_cast<std::uint8_t>(Second + 3), Loaf);
        break;
    }
    case 3: { // apple
        C(16, 12, 18, 4, 1, 0.8f, Second);
        E(22, 6, 4, 2, Gem);
        const int Fruit = E(16, 20, 11, 9.5f, Main);
        Shine(Fruit, {{10, 16}, {11, 15}});
        break;
    }
    case 4: // herb
        E(10, 17, 4.2f, 8, Main, 1e9f, 1);
        E(22, 17, 4.2f, 8, Main, 1e9f, 1);
        E(16, 10, 4.5f, 8, Main, 1e9f, 1);
        C(16, 30, 16, 13, 1.1f, 0.8f, Second);
        break;
    case 6: // rice ball
        P({{16, 3}, {30, 28}, {2, 28}}, Main);
        Box(20, 6.5f, 28, 6.5f, 0.5f, Second);
        break;
    default: { // map
        const int Sheet = Box(6, 11, 26, 11, 0.5f, Main);
        C(4, 6, 28, 6, 2, 2, Second);
        C(4, 26, 28, 26, 2, 2, Second);
        for (int X = 8; X <= 18; X += 3)
            Dot(X, 22 - (X - 8) / 2, static_cast<std::uint8_t>(Second + 6), Sheet);
        Plus(22, 14, static_cast<std::uint8_t>(Gem + 6), Sheet);
        break;
    }
    }
    return TRaster(IconSize).RenderFull(S);
}

std::vector<std::uint8_t> IconBmp(const std::vector<std::uint8_t>& Indices,
                                  const TJmaPalette& Palette) {
    TBitmap Bitmap(IconSize, IconSize, TPixelFormat::pf24bit);
    Bitmap.Fill(IconKey);
    for (int Y = 0; Y < IconSize; ++Y) {
        std::uint8_t* Row = Bitmap.ScanLine(Y);
        for (int X = 0; X < IconSize; ++X) {
            const std::uint8_t Index = Indices[static_cast<std::size_t>(Y * IconSize + X)];
            if (Index == 0)
                continue;
            const TPaletteEntry& E = Palette[Index];
            Row[3 * X] = E.Blue;
            Row[3 * X + 1] = E.Green;
            Row[3 * X + 2] = E.Red;
        }
    }
    TMemoryStream Stream;
    SaveBmpToStream(Bitmap, Stream);
    return std::move(Stream.Bytes());
}

TRgb RandomColor(TDemoRandom& R) {
    return {static_cast<std::uint8_t>(R.Range(50, 220)),
            static_cast<std::uint8_t>(R.Range(50, 220)),
            static_cast<std::uint8_t>(R.Range(50, 220))};
}

} // namespace

void WriteItemIcons(const std::string& FileName, TDemoScale Scale) {
    TGroupImageWriter Writer;
    std::vector<std::vector<std::uint8_t>> Pictures;
    for (const TDemoItem& Item : DemoItems()) {
        Pictures.push_back(TIconArt(Item).Paint(Item.Look));
        Writer.Add(Format("%d.bmp", Item.Entry.IconNo),
                   IconBmp(Pictures.back(), ItemPalette(Item)));
    }
    if (Scale == TDemoScale::Full) {
        // The same pictures in other colours, as a real icon file repeats its designs.
        TDemoRandom R(77);
        for (int K = 0; K < FillerEquipmentIcons(); ++K) {
            const auto Design = static_cast<std::size_t>(K) % DemoItems().size();
            TDemoItem Variant = DemoItems()[Design];
            Variant.Main = RandomColor(R);
            Variant.Second = RandomColor(R);
            Variant.Gem = RandomColor(R);
            Writer.Add(Format("%d.bmp", FillerIconBase + K),
                       IconBmp(Pictures[Design], ItemPalette(Variant)));
        }
        // The goods' own colours: main, second, metal (the glass) and gem.
        static constexpr std::array<std::array<TRgb, 4>, FillerGoodsCount> GoodsColors{{
            {{{200, 50, 60}, {160, 120, 80}, {200, 210, 225}, {240, 240, 240}}},
            {{{70, 110, 210}, {160, 120, 80}, {200, 210, 225}, {240, 240, 240}}},
            {{{210, 160, 90}, {120, 80, 40}, {200, 200, 200}, {240, 240, 240}}},
            {{{210, 40, 50}, {110, 75, 45}, {200, 200, 200}, {80, 170, 70}}},
            {{{70, 160, 70}, {60, 110, 50}, {200, 200, 200}, {240, 240, 240}}},
            {{{130, 90, 180}, {160, 120, 80}, {200, 210, 225}, {240, 240, 240}}},
            {{{245, 245, 240}, {40, 55, 45}, {200, 200, 200}, {240, 240, 240}}},
            {{{225, 205, 160}, {150, 110, 70}, {200, 200, 200}, {200, 40, 40}}},
        }};
        for (int Good = 0; Good < FillerGoodsCount; ++Good) {
            TDemoItem Goods;
            const auto& Colors = GoodsColors[static_cast<std::size_t>(Good)];
            Goods.Main = Colors[0];
            Goods.Second = Colors[1];
            Goods.Metal = Colors[2];
            Goods.Gem = Colors[3];
            Writer.Add(Format("%d.bmp", FillerGoodsIcon(Good)),
                       IconBmp(TIconArt(Goods).PaintGoods(Good), ItemPalette(Goods)));
        }
    }
    Writer.WriteToFile(FileName);
}

} // namespace pelto::demo
