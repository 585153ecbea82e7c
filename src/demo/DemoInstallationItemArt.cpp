#include "demo/DemoInstallationFigure.h"

#include "demo/DemoInstallationParts.h"
#include "demo/DemoInstallationRaster.h"
#include "sprites/wlojmajmp.h"
#include "writers/ItemTableWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace pelto::demo {
namespace {

constexpr float Pi = 3.14159265f;

TPt Add(TPt A, TPt B) {
    return {A.X + B.X, A.Y + B.Y};
}
TPt Scale(TPt A, float S) {
    return {A.X * S, A.Y * S};
}
TPt Sub(TPt A, TPt B) {
    return {A.X - B.X, A.Y - B.Y};
}
TPt Unit(TPt A) {
    const float L = std::sqrt(A.X * A.X + A.Y * A.Y);
    return L > 1e-5f ? TPt{A.X / L, A.Y / L} : TPt{0, -1};
}

// Draws one item on a posed figure. Depths follow one ladder above the body's torso: item
// torso +0.5, its skirt +0.6, belts and trims +0.8; the arms lie 1.5 above the torso, so
// clothes never cover an arm hanging in front of them.
class TItemArt {
public:
    TItemArt(TScene& Scene, const TFigure& F, const TDemoItem& Item)
        : S(Scene), F(F), B(F.B), Main(MainRange(Item.Entry.Slot)), Sc(F.B.ItemScale),
          Wave(std::sin(2 * Pi * F.Pose.Phase)) {
        TorsoDepth = F.Depth(Lerp(F.Pelvis, F.Chest, 0.5f)) + F.TorsoBias;
        TorsoZ = F.Depth(Lerp(F.Pelvis, F.Chest, 0.5f));
        HeadZ = F.Depth(F.Head);
    }

    void Paint(TLook Look);

private:
    int Put(const TPrim& P) { return S.Add(P); }
    float OnHead(TVec P) const { return F.HeadDepth + F.Depth(P) - HeadZ; }
    // On the torso's surface: above it where that surface faces the viewer.
    float OnTorso(TVec P, float Add) const { return TorsoDepth + Add + F.Depth(P) - TorsoZ; }
    TVec ArmAt(std::size_t I, float T) const {
        return T <= 1 ? Lerp(F.Shoulder[I], F.Elbow[I], T) : Lerp(F.Elbow[I], F.Hand[I], T - 1);
    }
    TVec LegAt(std::size_t I, float T) const {
        return T <= 1 ? Lerp(F.Hip[I], F.Knee[I], T) : Lerp(F.Knee[I], F.Ankle[I], T - 1);
    }
    TVec Fist(std::size_t I) const {
        return F.Hand[I] + Normalized(F.Hand[I] - F.Elbow[I]) * (B.ArmR * 0.5f);
    }
    void Limb(TVec A, TVec C, float RA, float RC, std::uint8_t Base, float Bias) {
        Put(CapsulePrim(F.Screen(A), F.Screen(C), RA, RC, Base, F.Depth(Lerp(A, C, 0.5f)) + Bias));
    }
    // Along the arm from T0 to T1 (0 shoulder, 1 elbow, 2 wrist), split at the elbow.
    void Sleeve(std::size_t I, float T0, float T1, float R0, float R1, std::uint8_t Base) {
        if (T0 < 1 && T1 > 1) {
            const float Rm = R0 + (R1 - R0) * (1 - T0) / (T1 - T0);
            Sleeve(I, T0, 1, R0, Rm, Base);
            Sleeve(I, 1, T1, Rm, R1, Base);
            return;
        }
        Limb(ArmAt(I, T0), ArmAt(I, T1), R0, R1, Base, F.ArmBias + 0.2f);
    }
    void LegPiece(std::size_t I, float T0, float T1, float R0, float R1, std::uint8_t Base) {
        if (T0 < 1 && T1 > 1) {
            const float Rm = R0 + (R1 - R0) * (1 - T0) / (T1 - T0);
            LegPiece(I, T0, 1, R0, Rm, Base);
            LegPiece(I, 1, T1, Rm, R1, Base);
            return;
        }
        Limb(LegAt(I, T0), LegAt(I, T1), R0, R1, Base, 0.25f);
    }
    int TorsoCloth(float Inflate, float Below, std::uint8_t Base) {
        const float Top = F.HalfWidth(B.ShoulderW / 2 + Inflate, B.TorsoD / 2 + Inflate);
        return Put(
            BoxPrim(F.Screen(F.Chest + F.Up * (0.5f + Inflate * 0.6f)), Top,
                    F.Screen(F.Pelvis - F.Up * (B.LegR * 0.8f + Below)),
                    F.HalfWidth(B.WaistW / 2 + Inflate + Below * 0.25f, B.TorsoD * 0.45f + Inflate),
                    std::min(Top * 0.5f, 3.5f), Base, TorsoDepth + 0.5f));
    }
    // A skirt from just above the waist down Length, the hem HemHalf wide each side.
    int Skirt(float Length, float HemHalf, std::uint8_t Base, float Add) {
        return Put(BoxPrim(
            F.Screen(F.Pelvis + F.Up * 2.0f), F.HalfWidth(B.WaistW / 2 + 1.2f, B.TorsoD / 2 + 1.2f),
            F.Screen(F.Pelvis - F.Up * Length), F.HalfWidth(HemHalf, B.TorsoD / 2 + 3.0f), 1.5f,
            Base, TorsoDepth + Add));
    }
    void Band(float UpFrom, float UpTo, float Inflate, std::uint8_t Base) {
        Put(BoxPrim(F.Screen(F.Pelvis + F.Up * UpTo),
                    F.HalfWidth(B.WaistW / 2 + Inflate, B.TorsoD / 2 + Inflate),
                    F.Screen(F.Pelvis + F.Up * UpFrom),
                    F.HalfWidth(B.WaistW / 2 + Inflate, B.TorsoD / 2 + Inflate), 0.5f, Base,
                    TorsoDepth + 0.8f));
    }
    void Diamond(TPt C, float R, std::uint8_t Base, float Depth) {
        Put(PolyPrim({{C.X, C.Y - R}, {C.X + R, C.Y}, {C.X, C.Y + R}, {C.X - R, C.Y}}, Base,
                     Depth));
    }
    // The hat's crown: the head ball cut off at height Cut (of the head's radius).
    int Dome(float Grow, float Cut, std::uint8_t Base) {
        TPrim P = EllipsePrim(F.Screen(F.HeadPoint(0, 0.05f * B.HeadRy, 0)), B.HeadRx + 1.5f + Grow,
                              B.HeadRy + 1.0f + Grow * 0.8f, Base, F.HeadDepth + 2);
        P.ClipBottom = F.Screen(F.HeadPoint(0, Cut * B.HeadRy, 0)).Y;
        return Put(P);
    }
    // A flat disc lying level round a point, as a hat brim.
    void Brim(TVec C, float Lateral, float Forward, std::uint8_t Base, float Depth) {
        const float Half = F.HalfWidth(Lateral, Forward);
        const float Deep = std::fabs(Forward * F.Fz) + std::fabs(Lateral * F.Rz);
        Put(EllipsePrim(F.Screen(C), Half, 1.3f + 0.18f * Deep, Base, Depth));
    }

    void Head(TLook Look);
    void Body(TLook Look);
    void Weapon(TLook Look);
    void Arm(TLook Look);
    void Shoes(TLook Look);
    void Special(TLook Look);

    TScene& S;
    const TFigure& F;
    const TBuild& B;
    std::uint8_t Main;
    float Sc;
    float Wave;
    float TorsoDepth = 0, TorsoZ = 0, HeadZ = 0;
};

void TItemArt::Paint(TLook Look) {
    if (Look <= TLook::Beret)
        Head(Look);
    else if (Look <= TLook::Sailor)
        Body(Look);
    else if (Look <= TLook::Parasol)
        Weapon(Look);
    else if (Look <= TLook::Gauntlets)
        Arm(Look);
    else if (Look <= TLook::Greaves)
        Shoes(Look);
    else
        Special(Look);
}

void TItemArt::Head(TLook Look) {
    const float Hx = B.HeadRx + 1.5f;
    const float Hy = B.HeadRy + 1.0f;
    switch (Look) {
    case TLook::Cap: {
        Dome(0.4f, 0.18f, Main);
        const TVec Visor = F.HeadPoint(0, 0.12f * Hy, 0.8f * Hx);
        Brim(Visor, 0.62f * Hx, 0.55f * Hx, RangeSecond, OnHead(Visor) + 2.2f);
        const TVec Button = F.HeadPoint(0, 1.02f * Hy, 0);
        Put(EllipsePrim(F.Screen(Button), 1.4f, 1.1f, RangeSecond, F.HeadDepth + 2.5f));
        break;
    }
    case TLook::Bandana: {
        const int Cloth = Dome(0.3f, 0.08f, Main);
        const TPt C = F.Screen(F.Head);
        static constexpr int Dots[6][2] = {{-5, -6}, {3, -8},  {-1, -3},
                                           {6, -4},  {-7, -2}, {1, -11}};
        for (const auto& D : Dots)
            S.Decal(static_cast<int>(C.X) + D[0], static_cast<int>(C.Y) + D[1], Fixed::White,
                    Cloth);
        const TVec Knot = F.HeadPoint(0, 0.1f * Hy, -1.0f * Hx);
        Put(EllipsePrim(F.Screen(Knot), 2.2f, 2.0f, Main, OnHead(Knot) + 0.5f));
        for (int Side = -1; Side <= 1; Side += 2) {
            const TVec End =
                Knot + TVec{static_cast<float>(Side) * 2.5f, -5.5f, -1.5f + Wave * 0.5f};
            Limb(Knot, End, 1.4f, 1.0f, Main, OnHead(Knot) - F.Depth(Knot) + 0.4f);
        }
        break;
    }
    case TLook::WizardHat: {
        const TVec Base = F.HeadPoint(0, 0.5f * Hy, 0);
        const TPt Bc = F.Screen(Base);
        const TPt Tip = F.Screen(F.HeadPoint(0, 2.5f * Hy, -0.6f * Hx));
        const float Half = 0.82f * Hx;
        const int Cone = Put(PolyPrim({{Bc.X - Half, Bc.Y + 0.5f}, {Bc.X + Half, Bc.Y + 0.5f}, Tip},
                                      Main, F.HeadDepth + 3));
        Put(BoxPrim({Bc.X, Bc.Y - 3.2f}, Half * 0.86f, Bc, Half, 0, RangeSecond,
                    F.HeadDepth + 3.2f));
        Brim(F.HeadPoint(0, 0.42f * Hy, 0), 1.5f * Hx, 1.5f * Hx, Main, F.HeadDepth + 4);
        if (F.Fz > -0.2f) {
            const TPt Star = {Bc.X + (Tip.X - Bc.X) * 0.45f, Bc.Y + (Tip.Y - Bc.Y) * 0.45f};
            const int X = static_cast<int>(Star.X);
            const int Y = static_cast<int>(Star.Y);
            for (int D = -1; D <= 1; ++D) {
                S.Decal(X + D, Y, static_cast<std::uint8_t>(RangeGem + 3), Cone);
                S.Decal(X, Y + D, static_cast<std::uint8_t>(RangeGem + 3), Cone);
            }
        }
        break;
    }
    case TLook::Ribbon: {
        const TVec Knot = F.HeadPoint(0, 0.88f * Hy, -0.15f * Hx);
        const TPt K = F.Screen(Knot);
        for (int Side = -1; Side <= 1; Side += 2) {
            const TVec Loop =
                F.HeadPoint(static_cast<float>(Side) * 0.8f * Hx, 1.1f * Hy, -0.15f * Hx);
            const TPt L = F.Screen(Loop);
            const float Depth = OnHead(Loop) + 0.5f;
            TPrim Wing = PolyPrim({K, {L.X, L.Y - 3.5f}, {L.X, L.Y + 3.5f}}, Main, Depth);
            Wing.Merge = static_cast<std::uint8_t>(Side + 3);
            Put(Wing);
            TPrim End = EllipsePrim(L, 2.0f, 3.5f, Main, Depth);
            End.Merge = Wing.Merge;
            Put(End);
            Limb(Knot, Knot + TVec{static_cast<float>(Side) * 2, -6, -1.5f}, 1.2f, 0.8f, Main,
                 OnHead(Knot) - F.Depth(Knot) - 0.5f);
        }
        Put(EllipsePrim(K, 2.2f, 2.2f, RangeSecond, OnHead(Knot) + 1));
        break;
    }
    case TLook::Helmet: {
        const TPt C = F.Screen(F.Head);
        Dome(0.0f, -0.05f, RangeMetal);
        const float Rim = C.Y + 0.05f * B.HeadRy;
        Put(BoxPrim({C.X, Rim - 2.0f}, Hx + 0.6f, {C.X, Rim + 0.5f}, Hx + 0.6f, 1, RangeSecond,
                    F.HeadDepth + 2.3f));
        const TVec P0 = F.HeadPoint(0, 0.95f * Hy, 0.45f * Hx);
        const TVec P1 = F.HeadPoint(0, 1.25f * Hy, -0.2f * Hx);
        const TVec P2 = F.HeadPoint(0, 0.95f * Hy, -1.0f * Hx);
        const float Bias = F.HeadDepth + 2.6f - HeadZ;
        TPrim A = CapsulePrim(F.Screen(P0), F.Screen(P1), 2.2f, 2.4f, Main, F.Depth(P0) + Bias);
        TPrim E = CapsulePrim(F.Screen(P1), F.Screen(P2), 2.4f, 1.4f, Main, F.Depth(P2) + Bias);
        A.Merge = E.Merge = 2;
        Put(A);
        Put(E);
        Limb(F.HeadPoint(0, 0.1f * Hy, 0.98f * Hx), F.HeadPoint(0, -0.4f * Hy, 1.0f * Hx), 0.9f,
             0.9f, RangeMetal, F.HeadDepth + 2 - HeadZ);
        break;
    }
    case TLook::Crown: {
        const TPt Top = F.Screen(F.HeadPoint(0, 0.86f * Hy, 0));
        const TPt Bottom = F.Screen(F.HeadPoint(0, 0.58f * Hy, 0));
        const int Band =
            Put(BoxPrim(Top, 0.72f * Hx, Bottom, 0.78f * Hx, 0, RangeMetal, F.HeadDepth + 2.5f));
        for (int K = 0; K < 5; ++K) {
            const float X = Top.X + (-0.6f + 0.3f * static_cast<float>(K)) * Hx;
            const float Height = K == 2 ? 5.5f : 4.0f;
            TPrim Spike =
                PolyPrim({{X - 2.2f, Top.Y + 0.6f}, {X + 2.2f, Top.Y + 0.6f}, {X, Top.Y - Height}},
                         RangeMetal, F.HeadDepth + 2.5f);
            Spike.Merge = 2;
            Put(Spike);
            Put(EllipsePrim({X, Top.Y - Height}, 1.1f, 1.1f, RangeGem, F.HeadDepth + 2.6f));
        }
        const int Y = static_cast<int>((Top.Y + Bottom.Y) / 2);
        for (int K = -1; K <= 1; ++K) {
            const int X = static_cast<int>(Top.X + static_cast<float>(K) * 0.4f * Hx);
            S.Decal(X, Y, static_cast<std::uint8_t>(RangeGem + 4), Band);
            S.Decal(X + 1, Y, static_cast<std::uint8_t>(RangeGem + 8), Band);
        }
        break;
    }
    case TLook::BunnyEars: {
        for (int Side = -1; Side <= 1; Side += 2) {
            const TVec Ear =
                F.HeadPoint(static_cast<float>(Side) * 0.55f * Hx, 1.65f * Hy, -0.2f * Hx);
            const TPt E = F.Screen(Ear);
            const float Depth = OnHead(Ear) + 2;
            Put(EllipsePrim(E, 2.6f, 0.62f * Hy, Main, Depth));
            Put(EllipsePrim({E.X, E.Y + 0.8f}, 1.1f, 0.45f * Hy, RangeSecond, Depth + 0.05f));
        }
        const TPt Top = F.Screen(F.HeadPoint(0, 0.98f * Hy, 0));
        Put(BoxPrim(Top, 0.5f * Hx, {Top.X, Top.Y + 2.2f}, 0.62f * Hx, 1, RangeMetal,
                    F.HeadDepth + 2.1f));
        break;
    }
    case TLook::Beret: {
        const int Cap = Put(EllipsePrim(F.Screen(F.HeadPoint(-0.15f * Hx, 0.72f * Hy, -0.1f * Hx)),
                                        Hx + 1.0f, 0.38f * Hy, Main, F.HeadDepth + 2));
        Limb(F.HeadPoint(-0.1f * Hx, 1.05f * Hy, 0), F.HeadPoint(-0.05f * Hx, 1.25f * Hy, 0), 0.9f,
             0.8f, Main, F.HeadDepth + 2.1f - HeadZ);
        const TPt Pin = F.Screen(F.HeadPoint(0.35f * Hx, 0.7f * Hy, 0.5f * Hx));
        if (F.Fz > 0)
            S.Decal(static_cast<int>(Pin.X), static_cast<int>(Pin.Y),
                    static_cast<std::uint8_t>(RangeGem + 4), Cap);
        break;
    }
    default:
        break;
    }
}

void TItemArt::Body(TLook Look) {
    const std::uint8_t Second = RangeSecond;
    switch (Look) {
    case TLook::Tunic: {
        const int Cloth = TorsoCloth(1.0f, 3.5f, Main);
        for (std::size_t I = 0; I < 2; ++I) {
            Sleeve(I, 0, 0.95f, B.ArmR + 1.0f, B.ArmR + 0.9f, Main);
            Sleeve(I, 0.82f, 1.0f, B.ArmR + 1.3f, B.ArmR + 1.3f, Second);
        }
        Band(0.5f, 2.5f, 1.4f, Second);
        if (F.Fz > 0.3f) {
            const TPt C = F.Screen(F.Torso(F.Chest, 0, 0, B.TorsoD / 2));
            for (int K = 0; K <= 3; ++K) {
                S.Decal(static_cast<int>(C.X) - K, static_cast<int>(C.Y) + K, Second + 3, Cloth);
                S.Decal(static_cast<int>(C.X) + K, static_cast<int>(C.Y) + K, Second + 3, Cloth);
            }
        }
        break;
    }
    case TLook::Robe: {
        TorsoCloth(1.0f, 0, Main);
        const float Length = F.Pelvis.Y - B.FootR - 1.5f - F.Pose.Lift;
        const float Hem = B.HipW / 2 + B.LegR + 4 * Sc + 2;
        Skirt(Length, Hem, Main, 0.6f);
        const TPt Bottom = F.Screen(F.Pelvis - F.Up * Length);
        const float Half = F.HalfWidth(Hem, B.TorsoD / 2 + 3.0f);
        Put(BoxPrim({Bottom.X, Bottom.Y - 2.2f}, Half - 0.2f, {Bottom.X, Bottom.Y + 0.4f},
                    Half + 0.3f, 0.8f, Second, TorsoDepth + 0.65f));
        for (std::size_t I = 0; I < 2; ++I) {
            Sleeve(I, 0, 1.75f, B.ArmR + 1.0f, B.ArmR + 2.2f, Main);
            Sleeve(I, 1.62f, 1.8f, B.ArmR + 2.3f, B.ArmR + 2.4f, Second);
        }
        Band(0.5f, 2.8f, 1.5f, Second);
        Diamond(F.Screen(F.Torso(F.Chest, 0, -B.TorsoH * 0.3f, B.TorsoD / 2 + 1)), 1.8f * Sc + 0.8f,
                RangeGem, OnTorso(F.Torso(F.Chest, 0, -B.TorsoH * 0.3f, B.TorsoD / 2 + 1), 0.9f));
        break;
    }
    case TLook::Armor: {
        TorsoCloth(1.6f, 1.0f, RangeMetal);
        if (std::fabs(F.Rx) > 0.3f) {
            const float Half = std::fabs(F.Rx) * B.ShoulderW * 0.17f;
            Put(BoxPrim(F.Screen(F.Chest - F.Up * 2.0f), Half, F.Screen(F.Pelvis - F.Up * 7.0f),
                        Half * 1.15f, 0.5f, Main, TorsoDepth + 0.9f));
        }
        for (std::size_t I = 0; I < 2; ++I) {
            const TVec P = F.Shoulder[I] + F.Up * 1.0f;
            Put(EllipsePrim(F.Screen(P), B.ArmR + 2.6f, B.ArmR + 2.0f, RangeMetal,
                            F.Depth(P) + F.ArmBias + 0.4f));
        }
        Put(BoxPrim(
            F.Screen(F.Pelvis + F.Up * 0.5f), F.HalfWidth(B.WaistW / 2 + 1.8f, B.TorsoD / 2 + 1.6f),
            F.Screen(F.Pelvis - F.Up * 5.0f), F.HalfWidth(B.WaistW / 2 + 3.0f, B.TorsoD / 2 + 2.0f),
            1, RangeMetal, TorsoDepth + 0.6f));
        Band(0.5f, 2.5f, 2.0f, Second);
        const TVec Gem = F.Torso(F.Chest, 0, -B.TorsoH * 0.25f, B.TorsoD / 2 + 1.6f);
        Diamond(F.Screen(Gem), 1.5f * Sc + 0.8f, RangeGem, OnTorso(Gem, 1.0f));
        break;
    }
    case TLook::Dress: {
        TorsoCloth(0.8f, 0, Main);
        const float Length = B.SkirtLen > 0 ? B.SkirtLen + 3 : B.LegLen * 0.6f;
        const float Hem = B.SkirtLen > 0 ? B.HemW / 2 + 3 : B.LegLen * 0.5f + 6;
        const int Dress = Skirt(Length, Hem, Main, 0.6f);
        const TPt Bottom = F.Screen(F.Pelvis - F.Up * Length);
        const float Half = F.HalfWidth(Hem, B.TorsoD / 2 + 3.0f);
        Put(BoxPrim({Bottom.X, Bottom.Y - 1.0f}, Half + 0.6f, {Bottom.X, Bottom.Y + 1.6f},
                    Half + 0.9f, 1, Second, TorsoDepth + 0.55f));
        for (std::size_t I = 0; I < 2; ++I) {
            const TVec P = ArmAt(I, 0.3f);
            Put(EllipsePrim(F.Screen(P), B.ArmR + 2.2f, B.ArmR + 2.0f, Main,
                            F.Depth(P) + F.ArmBias + 0.3f));
        }
        const TVec Bow = F.Torso(F.Chest, 0, -B.TorsoH * 0.2f, B.TorsoD / 2 + 1);
        const TPt Bp = F.Screen(Bow);
        const float Depth = OnTorso(Bow, 1.0f);
        Put(PolyPrim({Bp, {Bp.X - 3.5f, Bp.Y - 2}, {Bp.X - 3.5f, Bp.Y + 2}}, RangeGem, Depth));
        Put(PolyPrim({Bp, {Bp.X + 3.5f, Bp.Y - 2}, {Bp.X + 3.5f, Bp.Y + 2}}, RangeGem, Depth));
        const TPt Hem2 = F.Screen(F.Pelvis - F.Up * (Length * 0.55f));
        S.Decal(static_cast<int>(Hem2.X), static_cast<int>(Hem2.Y), Fixed::White, Dress);
        break;
    }
    case TLook::Coat: {
        const int Cloth = TorsoCloth(1.2f, 0, Main);
        const float Length = B.LegLen * 0.55f;
        const int Tails = Skirt(Length, B.WaistW / 2 + 4.0f, Main, 0.6f);
        for (std::size_t I = 0; I < 2; ++I) {
            Sleeve(I, 0, 1.9f, B.ArmR + 1.1f, B.ArmR + 1.0f, Main);
            Sleeve(I, 1.72f, 1.9f, B.ArmR + 1.4f, B.ArmR + 1.4f, Second);
        }
        if (F.Fz > 0.3f) {
            // The opening down the front, lapels and buttons.
            const TPt Neck = F.Screen(F.Torso(F.Chest, 0, 0, B.TorsoD / 2));
            const TPt Hem = F.Screen(F.Pelvis - F.Up * Length);
            const int X = static_cast<int>(Neck.X);
            for (int Y = static_cast<int>(Neck.Y) + 3; Y <= static_cast<int>(Hem.Y); ++Y) {
                S.Decal(X, Y, static_cast<std::uint8_t>(Main + 12), Cloth);
                S.Decal(X, Y, static_cast<std::uint8_t>(Main + 12), Tails);
            }
            for (int K = 0; K <= 3; ++K) {
                S.Decal(X - 1 - K / 2, static_cast<int>(Neck.Y) + K, Second + 3, Cloth);
                S.Decal(X + 1 + K / 2, static_cast<int>(Neck.Y) + K, Second + 3, Cloth);
            }
            for (int K = 0; K < 3; ++K)
                S.Decal(X + 2, static_cast<int>(Neck.Y) + 6 + 4 * K, RangeMetal + 3, Cloth);
        }
        break;
    }
    case TLook::Sailor: {
        TorsoCloth(0.8f, 1.0f, Main);
        for (std::size_t I = 0; I < 2; ++I) {
            Sleeve(I, 0, 0.8f, B.ArmR + 1.0f, B.ArmR + 0.9f, Main);
            Sleeve(I, 0.68f, 0.82f, B.ArmR + 1.3f, B.ArmR + 1.3f, Second);
        }
        // The square collar hangs on the back; the scarf knot sits in front.
        const TVec Back = F.Torso(F.Chest, 0, -B.TorsoH * 0.2f, -(B.TorsoD / 2 + 0.8f));
        const float Half = F.HalfWidth(B.ShoulderW * 0.36f, 1.0f);
        Put(BoxPrim(F.Screen(F.Torso(F.Chest, 0, 0.3f, -(B.TorsoD / 2 + 0.8f))), Half,
                    F.Screen(F.Torso(F.Chest, 0, -B.TorsoH * 0.42f, -(B.TorsoD / 2 + 0.8f))), Half,
                    0.5f, Second, OnTorso(Back, 0.4f)));
        const TVec Knot = F.Torso(F.Chest, 0, -3, B.TorsoD / 2 + 1);
        const TPt K = F.Screen(Knot);
        const float Depth = OnTorso(Knot, 1.0f);
        Put(PolyPrim({{K.X - 3, K.Y - 3}, {K.X + 3, K.Y - 3}, {K.X, K.Y + 1}}, Second,
                     Depth - 0.05f));
        Put(EllipsePrim(K, 1.8f, 1.5f, RangeGem, Depth));
        Limb(Knot, Knot + TVec{-0.8f, -4.5f, 0.3f}, 1.0f, 1.3f, RangeGem,
             Depth - F.Depth(Knot) - 0.01f);
        Limb(Knot, Knot + TVec{0.8f, -4.5f, 0.3f}, 1.0f, 1.3f, RangeGem,
             Depth - F.Depth(Knot) - 0.01f);
        if (B.SkirtLen > 0) {
            Skirt(B.SkirtLen + 1, B.HemW / 2 + 1, Second, 0.6f);
        }
        break;
    }
    default:
        break;
    }
}

void TItemArt::Weapon(TLook Look) {
    // Held in the right hand, pointing up and forward, turning with the forearm.
    const TVec Fore = Normalized(F.Hand[0] - F.Elbow[0]);
    const float T = 150 * Pi / 180;
    const TVec Axis{Fore.X, Fore.Y * std::cos(T) + Fore.Z * std::sin(T),
                    -Fore.Y * std::sin(T) + Fore.Z * std::cos(T)};
    const TVec G = Fist(0);
    const float Bias = F.ArmBias + 0.6f;
    auto At = [&](float D) {
        return G + Axis * (D * Sc);
    };
    auto Seg = [&](float D0, float D1, float R0, float R1, std::uint8_t Base) {
        Limb(At(D0), At(D1), R0, R1, Base, Bias);
    };
    auto Depth = [&](float D) {
        return F.Depth(At(D)) + Bias;
    };
    const TPt Sa = Unit(Sub(F.Screen(At(10)), F.Screen(At(0))));
    const TPt Perp{-Sa.Y, Sa.X};
    // Blades of axes face the way the character looks.
    const float Facing = std::fabs(F.Fx) > 0.2f ? F.Fx : 1.0f;
    const TPt Ahead = Perp.X * Facing >= 0 ? Perp : Scale(Perp, -1);

    switch (Look) {
    case TLook::Sword:
    case TLook::GreatSword: {
        const bool Great = Look == TLook::GreatSword;
        const float Blade = Great ? 44 : 20;
        const float Grip = Great ? 5 : 2.6f;
        Put(EllipsePrim(F.Screen(At(-Grip - 0.7f)), 1.5f, 1.5f, RangeGem, Depth(-Grip)));
        Seg(-Grip, 2.2f, 1.2f, 1.2f, RangeSecond);
        const TPt Gc = F.Screen(At(2.8f));
        const float Guard = (Great ? 6.0f : 3.6f) * Sc;
        Put(CapsulePrim(Add(Gc, Scale(Perp, Guard)), Sub(Gc, Scale(Perp, Guard)), 1.1f, 1.1f,
                        RangeMetal, Depth(2.8f) + 0.1f));
        Seg(3.3f, 3.3f + Blade, Great ? 2.6f * Sc : 1.7f, Great ? 0.8f : 0.5f, Main);
        break;
    }
    case TLook::Staff: {
        Seg(-9, 24, 1.1f, 1.0f, RangeSecond);
        for (int Side = -1; Side <= 1; Side += 2) {
            const TPt A = Add(F.Screen(At(23)), Scale(Perp, 2.0f * static_cast<float>(Side)));
            const TPt E = Add(F.Screen(At(30)), Scale(Perp, 2.6f * static_cast<float>(Side)));
            Put(CapsulePrim(A, E, 0.8f, 0.6f, Main, Depth(26) - 0.1f));
        }
        Put(EllipsePrim(F.Screen(At(27)), 3.2f * Sc + 0.4f, 3.2f * Sc + 0.4f, RangeGem,
                        Depth(27) + 0.2f));
        break;
    }
    case TLook::Wand: {
        Seg(-1.5f, 10, 0.9f, 0.8f, Main);
        const TPt Tip = F.Screen(At(12.5f));
        Put(PolyPrim({Add(Tip, Scale(Sa, 3.4f)), Add(Tip, Scale(Perp, 3.4f)),
                      Sub(Tip, Scale(Sa, 3.4f)), Sub(Tip, Scale(Perp, 3.4f))},
                     RangeGem, Depth(12.5f) + 0.1f));
        break;
    }
    case TLook::Axe: {
        Seg(-4, 18, 1.2f, 1.1f, RangeSecond);
        const TPt B0 = F.Screen(At(10.5f));
        const TPt B1 = F.Screen(At(18));
        const float Reach = 7.5f * Sc;
        Put(PolyPrim({B0, B1, Add(Add(B1, Scale(Ahead, Reach)), Scale(Sa, 1.8f)),
                      Sub(Add(B0, Scale(Ahead, Reach)), Scale(Sa, 1.8f))},
                     Main, Depth(14) + 0.2f));
        const TPt Mid = F.Screen(At(14.2f));
        Put(PolyPrim({Add(Mid, Scale(Sa, 2.0f)), Sub(Mid, Scale(Ahead, 3.2f * Sc)),
                      Sub(Mid, Scale(Sa, 2.0f))},
                     RangeMetal, Depth(14) + 0.1f));
        break;
    }
    case TLook::Spear: {
        Seg(-16, 46, 1.1f, 1.0f, RangeSecond);
        const TPt T0 = F.Screen(At(46));
        const TPt T1 = F.Screen(At(57));
        const TPt M = {T0.X + (T1.X - T0.X) * 0.35f, T0.Y + (T1.Y - T0.Y) * 0.35f};
        Put(PolyPrim(
            {T0, Add(M, Scale(Perp, 2.6f * Sc + 0.5f)), T1, Sub(M, Scale(Perp, 2.6f * Sc + 0.5f))},
            Main, Depth(50) + 0.2f));
        const TPt Tassel = F.Screen(At(44));
        Put(EllipsePrim({Tassel.X, Tassel.Y + 2}, 1.8f, 2.8f, RangeGem, Depth(44) + 0.1f));
        break;
    }
    case TLook::Hammer: {
        Seg(-5, 32, 1.4f, 1.3f, RangeSecond);
        const TPt C = F.Screen(At(35));
        const float W = 8 * Sc;
        const float H = 5 * Sc;
        auto Corner = [&](float A, float Bv) {
            return Add(Add(C, Scale(Perp, A)), Scale(Sa, Bv));
        };
        Put(PolyPrim({Corner(-W, -H), Corner(W, -H), Corner(W, H), Corner(-W, H)}, RangeMetal,
                     Depth(35)));
        Put(PolyPrim({Corner(-W - 0.5f, -1.4f), Corner(W + 0.5f, -1.4f), Corner(W + 0.5f, 1.4f),
                      Corner(-W - 0.5f, 1.4f)},
                     Main, Depth(35) + 0.1f));
        break;
    }
    case TLook::Bow: {
        // Bent forward in the plane of the axis.
        TVec Bulge{0, -Axis.Z, Axis.Y};
        if (Bulge.Z < 0)
            Bulge = Bulge * -1.0f;
        Bulge = Normalized(Bulge);
        std::array<TVec, 7> P;
        for (std::size_t K = 0; K < P.size(); ++K) {
            const float U = -1 + static_cast<float>(K) / 3;
            P[K] = G + Axis * (U * 14 * Sc) + Bulge * ((1 - U * U) * 5 * Sc);
        }
        for (std::size_t K = 0; K + 1 < P.size(); ++K) {
            TPrim Arc = CapsulePrim(F.Screen(P[K]), F.Screen(P[K + 1]), 1.2f, 1.2f, RangeSecond,
                                    F.Depth(Lerp(P[K], P[K + 1], 0.5f)) + Bias);
            Arc.Merge = 2;
            Put(Arc);
        }
        Put(CapsulePrim(F.Screen(P.front()), F.Screen(P.back()), 0.45f, 0.45f, Fixed::White,
                        F.Depth(G) + Bias - 0.1f));
        Put(EllipsePrim(F.Screen(P.front()), 1.3f, 1.3f, Main, F.Depth(P.front()) + Bias + 0.1f));
        Put(EllipsePrim(F.Screen(P.back()), 1.3f, 1.3f, Main, F.Depth(P.back()) + Bias + 0.1f));
        break;
    }
    case TLook::Parasol: {
        Seg(-3, 22, 0.7f, 0.7f, RangeSecond);
        const TPt C = F.Screen(At(22));
        TPrim Canopy = EllipsePrim(C, 13 * Sc, 7 * Sc, Main, Depth(22) + 0.3f);
        Canopy.ClipBottom = C.Y + 1.5f;
        const int Top = Put(Canopy);
        for (int K = -1; K <= 1; K += 2)
            for (int D = 0; D < 6; ++D)
                S.Decal(static_cast<int>(C.X + static_cast<float>(K * D) * 1.6f),
                        static_cast<int>(C.Y - 6 * Sc + static_cast<float>(D) * 1.2f),
                        static_cast<std::uint8_t>(Main + 9), Top);
        Put(EllipsePrim({C.X, C.Y - 7 * Sc}, 1.2f, 1.2f, RangeMetal, Depth(22) + 0.4f));
        break;
    }
    default:
        break;
    }
}

void TItemArt::Arm(TLook Look) {
    switch (Look) {
    case TLook::Gloves:
        for (std::size_t I = 0; I < 2; ++I) {
            Sleeve(I, 1.45f, 2.0f, B.ArmR + 0.8f, B.ArmR + 0.7f, Main);
            const TVec P = Fist(I);
            Put(EllipsePrim(F.Screen(P), B.ArmR + 1.1f, B.ArmR + 1.1f, Main,
                            F.Depth(P) + F.ArmBias + 0.3f));
            Sleeve(I, 1.36f, 1.5f, B.ArmR + 1.3f, B.ArmR + 1.3f, RangeSecond);
        }
        break;
    case TLook::Bracers:
        for (std::size_t I = 0; I < 2; ++I) {
            Sleeve(I, 1.25f, 1.85f, B.ArmR + 1.0f, B.ArmR + 1.0f, RangeMetal);
            Sleeve(I, 1.5f, 1.6f, B.ArmR + 1.25f, B.ArmR + 1.25f, Main);
        }
        break;
    case TLook::Gauntlets:
        for (std::size_t I = 0; I < 2; ++I) {
            Sleeve(I, 1.2f, 2.0f, B.ArmR + 1.2f, B.ArmR + 1.0f, RangeMetal);
            Sleeve(I, 1.1f, 1.3f, B.ArmR + 1.9f, B.ArmR + 1.7f, Main);
            const TVec P = Fist(I);
            Put(EllipsePrim(F.Screen(P), B.ArmR + 1.6f, B.ArmR + 1.6f, RangeMetal,
                            F.Depth(P) + F.ArmBias + 0.3f));
        }
        break;
    case TLook::Shield: {
        Sleeve(1, 1.35f, 1.7f, B.ArmR + 0.7f, B.ArmR + 0.7f, RangeSecond);
        // On the outside of the left forearm, turned half forward.
        const TVec C = ArmAt(1, 1.55f) + TVec{-(B.ArmR + 1.6f), 0, 0.5f};
        const TVec N = Normalized({-0.8f, 0, 0.6f});
        const float Nx = N.X * F.Rx + N.Z * F.Fx;
        const float Nz = N.X * F.Rz + N.Z * F.Fz;
        const float R = 7 * Sc;
        const float Half = R * std::sqrt(std::max(0.05f, 1 - Nx * Nx));
        const float Depth = F.Depth(C) + F.ArmBias + 0.8f;
        const TPt P = F.Screen(C);
        Put(EllipsePrim(P, Half, R, RangeMetal, Depth));
        if (Nz > 0) {
            Put(EllipsePrim(P, Half - 1.5f * Half / R, R - 1.5f, Main, Depth + 0.05f));
            Put(EllipsePrim(P, std::max(0.8f, 1.6f * Half / R), 1.6f, RangeGem, Depth + 0.1f));
        } else {
            Put(EllipsePrim(P, Half - 1.5f * Half / R, R - 1.5f, RangeSecond, Depth + 0.05f));
        }
        break;
    }
    default:
        break;
    }
}

void TItemArt::Shoes(TLook Look) {
    for (std::size_t I = 0; I < 2; ++I) {
        const TVec Ankle = F.Ankle[I];
        const TVec Toe = F.Toe[I];
        switch (Look) {
        case TLook::Boots:
            Limb(Ankle, Toe, B.FootR + 0.8f, B.FootR + 0.6f, Main, 0.6f);
            LegPiece(I, 1.35f, 2.0f, B.LegR + 0.85f, B.LegR + 0.8f, Main);
            LegPiece(I, 1.3f, 1.42f, B.LegR + 1.3f, B.LegR + 1.3f, RangeSecond);
            break;
        case TLook::Slippers: {
            const TVec Mid = Lerp(Ankle, Toe, 0.45f);
            Put(EllipsePrim(F.Screen(Mid), F.HalfWidth(B.FootR + 1.4f, B.FootLen * 0.7f + 1.2f),
                            B.FootR + 1.0f, Main, F.Depth(Mid) + 0.6f));
            Put(EllipsePrim(F.Screen(Toe + TVec{0, 0.5f, 0}), 1.6f, 1.6f, RangeSecond,
                            F.Depth(Toe) + 0.7f));
            break;
        }
        case TLook::Sneakers: {
            Limb(Ankle, Toe, B.FootR + 0.6f, B.FootR + 0.5f, Main, 0.6f);
            const TVec Drop{0, -B.FootR * 0.75f, 0};
            Limb(Ankle + Drop, Toe + Drop, B.FootR * 0.55f + 0.3f, B.FootR * 0.55f + 0.3f,
                 RangeSecond, 0.65f);
            break;
        }
        case TLook::Greaves:
            LegPiece(I, 1.05f, 1.95f, B.LegR + 1.0f, B.LegR + 0.9f, RangeMetal);
            Put(EllipsePrim(F.Screen(F.Knee[I]), B.LegR + 1.4f, B.LegR + 1.2f, RangeMetal,
                            F.Depth(F.Knee[I]) + 0.6f));
            Limb(Ankle, Toe, B.FootR + 0.7f, B.FootR + 0.5f, Main, 0.6f);
            break;
        default:
            break;
        }
    }
}

void TItemArt::Special(TLook Look) {
    switch (Look) {
    case TLook::Wings: {
        const float Flap = 2.5f * Wave;
        for (int Side = -1; Side <= 1; Side += 2) {
            const float S1 = static_cast<float>(Side);
            const float Reach = B.ShoulderW / 2;
            const TVec R0 = F.Torso(F.Chest, S1 * 2, -3, -(B.TorsoD / 2 + 1));
            const TVec Top = R0 + TVec{S1 * (Reach + 12 * Sc), 9 * Sc + Flap, -6};
            const TVec Out = R0 + TVec{S1 * (Reach + 15 * Sc), -1 * Sc + Flap * 0.6f, -7};
            const TVec Low = R0 + TVec{S1 * (Reach + 7 * Sc), -11 * Sc, -5};
            const float Depth = F.Depth(Lerp(R0, Out, 0.5f)) + F.TorsoBias * 0.5f;
            const auto Merge = static_cast<std::uint8_t>(4 + Side);
            TPrim Upper = PolyPrim({F.Screen(R0), F.Screen(Top), F.Screen(Out)}, Main, Depth);
            TPrim Lower = PolyPrim({F.Screen(R0), F.Screen(Out), F.Screen(Low)}, Main, Depth);
            TPrim Inner = PolyPrim(
                {F.Screen(R0), F.Screen(Lerp(R0, Top, 0.65f)), F.Screen(Lerp(R0, Out, 0.65f))},
                RangeSecond, Depth + 0.05f);
            Upper.Merge = Lower.Merge = Inner.Merge = Merge;
            Put(Upper);
            Put(Lower);
            Put(Inner);
        }
        break;
    }
    case TLook::Cape: {
        const float Sway = 1.5f * Wave;
        const float Reach = B.ShoulderW / 2;
        const TVec Sl = F.Torso(F.Chest, -(Reach - 1.5f), -1, -(B.TorsoD / 2 + 0.5f));
        const TVec Sr = F.Torso(F.Chest, Reach - 1.5f, -1, -(B.TorsoD / 2 + 0.5f));
        const float Low = F.Pelvis.Y - B.LegLen * 0.65f;
        const TVec Bl{F.Pelvis.X - (Reach + 2.5f), Low, -(B.TorsoD / 2 + 3 + Sway)};
        const TVec Br{F.Pelvis.X + (Reach + 2.5f), Low, -(B.TorsoD / 2 + 3 + Sway)};
        const float Depth = F.Depth(Lerp(Sl, Br, 0.5f)) + F.TorsoBias * 0.5f;
        TPrim Outer =
            PolyPrim({F.Screen(Sl), F.Screen(Sr), F.Screen(Br), F.Screen(Bl)}, Main, Depth);
        Outer.Merge = 2;
        Put(Outer);
        if (F.Fz > 0.2f) {
            TPrim Lining = PolyPrim({F.Screen(Lerp(Sl, Br, 0.15f)), F.Screen(Lerp(Sr, Bl, 0.15f)),
                                     F.Screen(Lerp(Br, Sl, 0.1f)), F.Screen(Lerp(Bl, Sr, 0.1f))},
                                    RangeSecond, Depth + 0.05f);
            Lining.Merge = 2;
            Put(Lining);
        }
        const TVec Clasp = F.Torso(F.Chest, 0, -1.5f, B.TorsoD / 2 + 1);
        Put(EllipsePrim(F.Screen(Clasp), 1.7f, 1.7f, RangeMetal, OnTorso(Clasp, 1.2f)));
        break;
    }
    case TLook::Scarf: {
        Put(BoxPrim(F.Screen(F.Chest + F.Up * (B.NeckH * 0.9f + 0.6f)),
                    F.HalfWidth(B.NeckR + 2.6f, B.NeckR + 2.6f), F.Screen(F.Chest - F.Up * 1.8f),
                    F.HalfWidth(B.NeckR + 3.0f, B.NeckR + 3.0f), 1.8f, Main, TorsoDepth + 1.2f));
        const TVec Front = F.Torso(F.Chest, -B.NeckR * 0.6f, -1, B.TorsoD / 2 + 0.8f);
        const TVec FrontEnd =
            F.Torso(F.Chest, -B.NeckR - 1, -B.TorsoH * 0.45f, B.TorsoD / 2 + 1.2f);
        Limb(Front, FrontEnd, 1.7f, 1.5f, Main,
             OnTorso(Lerp(Front, FrontEnd, 0.5f), 1.3f) - F.Depth(Lerp(Front, FrontEnd, 0.5f)));
        const TVec Back = F.Torso(F.Chest, B.NeckR * 0.5f, 0, -(B.TorsoD / 2 + 0.5f));
        const TVec BackEnd = Back + TVec{2 + Wave * 1.5f, -B.TorsoH * 0.6f, -3 - Wave * 1.5f};
        Limb(Back, BackEnd, 1.7f, 1.5f, Main,
             OnTorso(Lerp(Back, BackEnd, 0.5f), 1.3f) - F.Depth(Lerp(Back, BackEnd, 0.5f)));
        Put(EllipsePrim(F.Screen(BackEnd), 1.6f, 1.2f, RangeSecond, OnTorso(BackEnd, 1.35f)));
        Put(EllipsePrim(F.Screen(FrontEnd), 1.6f, 1.2f, RangeSecond, OnTorso(FrontEnd, 1.35f)));
        break;
    }
    case TLook::Tail: {
        const float W = 1.8f * Wave;
        const TVec P0 = F.Torso(F.Pelvis, 0, 1.5f, -(B.TorsoD / 2 - 0.5f));
        const TVec P1 = P0 + TVec{0, -2, -5 * Sc};
        const TVec P2 = P1 + TVec{W, 5 * Sc, -4 * Sc};
        const TVec P3 = P2 + TVec{W * 1.5f, 6 * Sc, -0.5f};
        const std::array<TVec, 4> P{P0, P1, P2, P3};
        for (std::size_t K = 0; K + 1 < P.size(); ++K) {
            TPrim Piece = CapsulePrim(F.Screen(P[K]), F.Screen(P[K + 1]),
                                      (2.0f - 0.15f * static_cast<float>(K)) * Sc + 0.4f,
                                      (1.85f - 0.15f * static_cast<float>(K)) * Sc + 0.4f, Main,
                                      F.Depth(Lerp(P[K], P[K + 1], 0.5f)) + F.TorsoBias + 0.5f);
            Piece.Merge = 2;
            Put(Piece);
        }
        TPrim Tip = EllipsePrim(F.Screen(P3), 2.1f * Sc + 0.4f, 2.1f * Sc + 0.4f, RangeSecond,
                                F.Depth(P3) + F.TorsoBias + 0.55f);
        Tip.Merge = 2;
        Put(Tip);
        break;
    }
    case TLook::Halo: {
        const TVec C = F.HeadPoint(0, B.HeadRy + 4.5f + 1.2f * Wave, 0);
        TPrim Ring = EllipsePrim(F.Screen(C), 0.75f * B.HeadRx, std::max(1.9f, 0.3f * B.HeadRx),
                                 Main, F.HeadDepth + 3);
        Ring.Shape = TShape::Ring;
        Ring.Extra = 1.6f;
        Put(Ring);
        break;
    }
    case TLook::Glasses: {
        std::array<TEyeSpot, 2> Eyes{EyeSpot(F, 1), EyeSpot(F, -1)};
        for (int K = 0; K < 2; ++K) {
            const TEyeSpot& E = Eyes[static_cast<std::size_t>(K)];
            if (!E.Visible)
                continue;
            TPrim Lens =
                EllipsePrim({E.X, E.Y}, 1.6f + 1.2f * E.Facing, 2.4f, Main, F.HeadDepth + 4);
            Lens.Shape = TShape::Ring;
            Lens.Extra = 1.0f;
            Put(Lens);
            if (E.Facing < 0.75f) {
                const int Side = K == 0 ? 1 : -1;
                const TPt Ear = F.Screen(F.HeadPoint(static_cast<float>(Side) * B.HeadRx * 0.95f,
                                                     -0.05f * B.HeadRy, -0.1f * B.HeadRx));
                const float Dir = Ear.X > E.X ? 1.0f : -1.0f;
                Put(CapsulePrim({E.X + Dir * (1.6f + 1.2f * E.Facing), E.Y - 0.5f}, Ear, 0.5f, 0.5f,
                                Main, F.HeadDepth + 3.5f));
            }
        }
        if (Eyes[0].Visible && Eyes[1].Visible) {
            const float Inner0 = Eyes[0].X < Eyes[1].X ? 1.0f : -1.0f;
            Put(CapsulePrim({Eyes[0].X + Inner0 * 2.6f, Eyes[0].Y - 0.5f},
                            {Eyes[1].X - Inner0 * 2.6f, Eyes[1].Y - 0.5f}, 0.5f, 0.5f, Main,
                            F.HeadDepth + 4));
        }
        break;
    }
    case TLook::Fairy: {
        const TVec P = F.HeadPoint(B.HeadRx * 1.7f, B.HeadRy * 0.5f + 1.5f * Wave, -2);
        const TPt C = F.Screen(P);
        const float Depth = OnHead(P) + 0.5f;
        for (int Side = -1; Side <= 1; Side += 2) {
            TPrim Wing = EllipsePrim({C.X + static_cast<float>(Side) * 2.6f, C.Y - 1.8f}, 1.8f,
                                     2.6f + 0.6f * Wave, RangeSecond, Depth - 0.1f);
            Put(Wing);
        }
        const int Body = Put(EllipsePrim(C, 2.6f, 2.6f, Main, Depth));
        S.Decal(static_cast<int>(C.X) - 1, static_cast<int>(C.Y) - 1, Fixed::Shine, Body);
        Put(EllipsePrim({C.X, C.Y + 0.5f}, 1.0f, 1.0f, RangeGem, Depth + 0.1f));
        break;
    }
    default:
        break;
    }
}

} // namespace

void AddItem(TScene& Scene, const TFigure& F, const TDemoItem& Item) {
    TItemArt(Scene, F, Item).Paint(Item.Look);
}

TJmaPalette ItemPalette(const TDemoItem& Item) {
    TJmaPalette P{};
    PutFixedColors(P);
    PutRamp(P, MainRange(Item.Entry.Slot), Item.Main);
    PutRamp(P, RangeSecond, Item.Second);
    PutRamp(P, RangeMetal, Item.Metal);
    PutRamp(P, RangeGem, Item.Gem);
    return P;
}

} // namespace pelto::demo
