#include "demo/DemoInstallationFigure.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace pelto::demo {
namespace {

constexpr float Pi = 3.14159265f;
// How much nearer points sit lower on the canvas: the game's camera looks slightly down.
constexpr float Tilt = 0.35f;

float Rad(float Degrees) {
    return Degrees * Pi / 180.0f;
}

float Length(TVec V) {
    return std::sqrt(V.X * V.X + V.Y * V.Y + V.Z * V.Z);
}

constexpr std::array<TBuild, 4> Builds{{
    // A boy: short legs, big head.
    {14, 2.6f, 5, 13, 14, 12, 8, 13, 2.1f, 0.6f, 2, 2.5f, 12, 11, 3.5f, 2.4f, 0, 0, 0.75f},
    // A girl: slimmer, a short skirt.
    {13, 2.2f, 4.6f, 12, 13, 10, 7, 12, 1.9f, 0.5f, 2, 2.2f, 12, 11, 3.2f, 2.2f, 9, 20, 0.75f},
    // A man: tall, broad shoulders.
    {25, 3.6f, 8, 22, 25, 18, 12, 22, 3.1f, 1.0f, 3, 3.4f, 10.5f, 11, 5.5f, 3.2f, 0, 0, 1.1f},
    // A woman: tall and slender, a knee-long skirt.
    {23, 2.8f, 6.4f, 19, 17, 12, 9, 19, 2.3f, 0.6f, 3, 2.6f, 10, 10.5f, 4.5f, 2.6f, 14, 24, 1.0f},
}};

constexpr std::array<int, 19> MotionFrames{4, 6, 2, 6, 4, 4, 4, 3, 2, 4, 2, 4, 4, 4, 5, 4, 2, 8, 4};

struct TActionInfo {
    std::uint8_t Motion = 0;
    std::uint8_t Dir = 4;
};

// Motions with one action for two halves of the compass are drawn facing down-left (the
// action of directions 0..3) and down-right (4..7), so the face stays in view.
const std::array<TActionInfo, 74>& ActionTable() {
    static const std::array<TActionInfo, 74> Table = [] {
        std::array<TActionInfo, 74> T{};
        for (std::size_t M = 0; M < MotionActions.size(); ++M) {
            const bool PerDirection = MotionActions[M][0] != MotionActions[M][1];
            for (std::size_t D = 0; D < 8; ++D)
                T[MotionActions[M][D]] = {static_cast<std::uint8_t>(M),
                                          static_cast<std::uint8_t>(PerDirection ? D
                                                                    : D < 4      ? 3
                                                                                 : 5)};
        }
        return T;
    }();
    return Table;
}

// Two-bone leg: the knee bends forward, keeping both halves HalfLen long.
TVec SolveKnee(TVec Hip, TVec Ankle, float HalfLen) {
    const TVec D = Ankle - Hip;
    const float Dist = Length(D);
    const TVec Mid = Hip + D * 0.5f;
    if (Dist >= 2 * HalfLen - 1e-3f || Dist < 1e-4f)
        return Mid;
    const float Bend = std::sqrt(HalfLen * HalfLen - Dist * Dist / 4);
    TVec K = TVec{0, 0, 1} - D * (D.Z / (Dist * Dist));
    if (Length(K) < 1e-4f)
        K = {0, 1, 0};
    return Mid + Normalized(K) * Bend;
}

} // namespace

TVec Normalized(TVec V) {
    const float L = Length(V);
    return L > 1e-6f ? V * (1.0f / L) : TVec{0, -1, 0};
}

const TBuild& BuildOf(int Group) {
    return Builds[static_cast<std::size_t>(Group)];
}

int MotionFrameCount(int Motion) {
    return MotionFrames[static_cast<std::size_t>(Motion)];
}

TFigurePose PoseOf(int Group, int Action, int FrameNo) {
    const TBuild& B = BuildOf(Group);
    const TActionInfo Info = ActionTable()[static_cast<std::size_t>(Action)];
    const int Count = MotionFrameCount(Info.Motion);
    const int N = std::clamp(FrameNo - 1, 0, Count - 1);
    const float L = B.LegLen;
    const float Phi = 2 * Pi * static_cast<float>(N) / static_cast<float>(Count);
    const float S = std::sin(Phi);
    const float C = std::cos(Phi);
    const bool Odd = N % 2 == 1;

    TFigurePose P;
    P.Dir = Info.Dir;
    P.Phase = static_cast<float>(N) / static_cast<float>(Count);
    switch (Info.Motion) {
    case 0: // standing, breathing
        P.Drop = N >= 2 ? 1.0f : 0.0f;
        P.ArmRaise = {N >= 2 ? 10.0f : 8.0f, N >= 2 ? 10.0f : 8.0f};
        if (N == 3)
            P.Face = TFace::Blink;
        break;
    case 1: // walking
        P.AnkleZ = {0.3f * L * S, -0.3f * L * S};
        P.AnkleY = {0.2f * L * std::max(0.0f, C), 0.2f * L * std::max(0.0f, -C)};
        P.ArmSwing = {-24 * S, 24 * S};
        P.Elbow = {15, 15};
        break;
    case 2: // sitting
        P.Drop = 0.5f * L + static_cast<float>(N) * 0.6f;
        P.AnkleZ = {0.35f * L, 0.35f * L};
        P.Lean = 6;
        P.ArmSwing = {35, 35};
        P.Elbow = {25, 25};
        break;
    case 3: // running
        P.AnkleZ = {0.4f * L * S, -0.4f * L * S};
        P.AnkleY = {0.35f * L * std::max(0.0f, C), 0.35f * L * std::max(0.0f, -C)};
        P.Lift = 1.5f * C * C;
        P.Lean = 12;
        P.ArmSwing = {-40 * S, 40 * S};
        P.Elbow = {85, 85};
        break;
    case 4: // waving
        P.ArmRaise[0] = Odd ? 165.0f : 140.0f;
        P.Elbow[0] = Odd ? 35.0f : 10.0f;
        P.Face = TFace::Happy;
        break;
    case 5: { // jumping
        static constexpr float Lift[4] = {0, 0.35f, 0.5f, 0.1f};
        static constexpr float Drop[4] = {0.25f, 0, 0, 0.12f};
        static constexpr float Raise[4] = {10, 150, 165, 60};
        P.Lift = Lift[N] * L;
        P.Drop = Drop[N] * L;
        P.ArmRaise = {Raise[N], Raise[N]};
        if (N == 0) {
            P.ArmSwing = {-35, -35};
            P.Lean = 10;
        }
        if (N == 2)
            P.AnkleY = {0.2f * L, 0.2f * L};
        P.Face = N == 0 ? TFace::Normal : TFace::Happy;
        break;
    }
    case 6: // cheering
        P.ArmRaise = Odd ? std::array<float, 2>{140, 165} : std::array<float, 2>{165, 140};
        P.Lift = Odd ? 0.08f * L : 0.0f;
        P.Face = Odd ? TFace::Shout : TFace::Happy;
        break;
    case 7: { // bowing
        static constexpr float Lean[3] = {0, 25, 45};
        P.Lean = Lean[N];
        P.ArmSwing = {Lean[N] / 3, Lean[N] / 3};
        P.Face = N == 2 ? TFace::Blink : TFace::Normal;
        break;
    }
    case 8: // hurt
        P.Lean = N == 0 ? -15.0f : -8.0f;
        P.ArmRaise = {45, 45};
        P.ArmSwing = {-20, -20};
        P.AnkleZ[0] = -0.12f * L;
        P.Face = TFace::Hurt;
        break;
    case 9: { // dizzy
        static constexpr float Sway[4] = {-2, 0, 2, 0};
        P.Sway = Sway[N] * B.ItemScale;
        P.Lean = 4;
        P.ArmRaise = {Odd ? 35.0f : 25.0f, Odd ? 25.0f : 35.0f};
        P.Face = TFace::Hurt;
        break;
    }
    case 10: // crouching asleep
        P.Drop = 0.45f * L + static_cast<float>(N) * 0.5f;
        P.Lean = 30;
        P.AnkleZ = {0.12f * L, 0.12f * L};
        P.ArmSwing = {45, 45};
        P.Elbow = {60, 60};
        P.Face = TFace::Blink;
        break;
    case 11: // laughing
        P.Lean = Odd ? -10.0f : -5.0f;
        P.Drop = Odd ? 1.0f : 0.0f;
        P.ArmSwing = {25, 25};
        P.Elbow = {75, 75};
        P.Face = Odd ? TFace::Shout : TFace::Happy;
        break;
    case 12: // crying
        P.ArmSwing = {65, 65};
        P.ArmRaise = {15, 15};
        P.Elbow = {125, 125};
        P.Lean = 8;
        P.Drop = Odd ? 1.0f : 0.0f;
        P.Face = TFace::Sad;
        break;
    case 13: // stamping with anger
        P.AnkleY[0] = N == 1 ? 0.25f * L : 0.0f;
        P.Drop = N == 2 ? 1.0f : 0.0f;
        P.ArmRaise = {25, 25};
        P.ArmSwing = {10, 10};
        P.Elbow = {85, 85};
        P.Face = TFace::Angry;
        break;
    case 14: { // striking
        static constexpr float Swing[5] = {150, 170, 90, 30, 10};
        static constexpr float Elbow[5] = {60, 40, 10, 20, 15};
        static constexpr float Lean[5] = {-5, -8, 12, 15, 5};
        static constexpr float Step[5] = {0.1f, 0.1f, 0.3f, 0.3f, 0.15f};
        P.ArmSwing = {Swing[N], -15};
        P.Elbow = {Elbow[N], 20};
        P.Lean = Lean[N];
        P.AnkleZ = {Step[N] * L, -0.1f * L};
        P.Face = N == 2 || N == 3 ? TFace::Angry : TFace::Normal;
        break;
    }
    case 15: { // casting
        static constexpr float Swing[4] = {30, 60, 90, 90};
        static constexpr float Raise[4] = {10, 15, 20, 25};
        static constexpr float Elbow[4] = {40, 20, 5, 5};
        static constexpr float Lean[4] = {0, -3, -5, -5};
        static constexpr TFace Face[4] = {TFace::Normal, TFace::Blink, TFace::Shout, TFace::Shout};
        P.ArmSwing = {Swing[N], Swing[N]};
        P.ArmRaise = {Raise[N], Raise[N]};
        P.Elbow = {Elbow[N], Elbow[N]};
        P.Lean = Lean[N];
        P.Face = Face[N];
        break;
    }
    case 16: // pointing
        P.ArmSwing[0] = 90;
        P.ArmRaise[0] = 10;
        P.Elbow[0] = Odd ? 10.0f : 0.0f;
        P.Face = Odd ? TFace::Shout : TFace::Normal;
        break;
    case 17: // spinning round through every direction
        P.Dir = (Info.Dir + N) % 8;
        P.ArmRaise = {75, 75};
        P.Lift = Odd ? 0.05f * L : 0.0f;
        P.Face = TFace::Happy;
        break;
    case 18: { // on guard
        static constexpr float Sway[4] = {0, 0.5f, 0, -0.5f};
        P.Drop = 0.15f * L;
        P.AnkleZ = {0.2f * L, -0.15f * L};
        P.ArmSwing = {75, 75};
        P.ArmRaise = {5, 5};
        P.Elbow = {95, 95};
        P.Lean = 6;
        P.Sway = Sway[N];
        break;
    }
    default:
        break;
    }
    return P;
}

TFigure::TFigure(int GroupNo, const TFigurePose& P, TPt Org)
    : Group(GroupNo), B(BuildOf(GroupNo)), Pose(P), Origin(Org) {
    const float Angle = static_cast<float>(P.Dir) * Pi / 4;
    Fx = -std::sin(Angle);
    Fz = -std::cos(Angle);
    Rx = -Fz;
    Rz = Fx;

    const float Reach = 0.97f * B.LegLen;
    float PelvisY = 1e9f;
    for (std::size_t I = 0; I < 2; ++I) {
        const float Side = I == 0 ? 1.0f : -1.0f;
        Ankle[I] = {Side * B.HipW / 2, B.FootR + P.AnkleY[I] + P.Lift, P.AnkleZ[I]};
        const float Dz = Ankle[I].Z;
        PelvisY =
            std::min(PelvisY, Ankle[I].Y + std::sqrt(std::max(0.0f, Reach * Reach - Dz * Dz)));
    }
    Pelvis = {P.Sway * 0.4f, PelvisY - P.Drop, 0};
    const float Lean = Rad(P.Lean);
    Up = {0, std::cos(Lean), std::sin(Lean)};
    Fwd = {0, -std::sin(Lean), std::cos(Lean)};
    Chest = Pelvis + Up * B.TorsoH + TVec{P.Sway * 0.6f, 0, 0};
    NeckTop = Chest + Up * B.NeckH;
    Head = NeckTop + Up * (B.HeadRy * 0.8f);

    for (std::size_t I = 0; I < 2; ++I) {
        const float Side = I == 0 ? 1.0f : -1.0f;
        Hip[I] = Pelvis + TVec{Side * B.HipW / 2, 0, 0};
        Knee[I] = SolveKnee(Hip[I], Ankle[I], B.LegLen / 2);
        Toe[I] = Ankle[I] + (P.AnkleY[I] > 0.5f ? TVec{0, -B.FootLen * 0.45f, B.FootLen * 0.85f}
                                                : TVec{0, -0.3f, B.FootLen});

        Shoulder[I] = Chest + TVec{Side * (B.ShoulderW / 2 - B.ArmR), 0, 0} - Up * (B.ArmR * 1.1f);
        const float Swing = Rad(P.ArmSwing[I]);
        const float Raise = Rad(P.ArmRaise[I]);
        const TVec V{Side * std::sin(Raise), -std::cos(Raise) * std::cos(Swing),
                     std::cos(Raise) * std::sin(Swing)};
        Elbow[I] = Shoulder[I] + V * (B.ArmLen / 2);
        const float Bend = Rad(P.Elbow[I]);
        const TVec W{V.X, V.Y * std::cos(Bend) + V.Z * std::sin(Bend),
                     -V.Y * std::sin(Bend) + V.Z * std::cos(Bend)};
        Hand[I] = Elbow[I] + W * (B.ArmLen / 2);
    }
    TorsoBias = B.HipW / 2 + 1;
    ArmBias = TorsoBias + 1.5f;
    HeadDepth = 30 + Depth(Head);
}

TPt TFigure::Screen(TVec V) const {
    const float Wx = V.X * Rx + V.Z * Fx;
    const float Wz = V.X * Rz + V.Z * Fz;
    return {Origin.X + Wx, Origin.Y - V.Y + Wz * Tilt};
}

float TFigure::Depth(TVec V) const {
    return V.X * Rz + V.Z * Fz;
}

float TFigure::HalfWidth(float Lateral, float Forward) const {
    const float A = Lateral * Rx;
    const float C = Forward * Fx;
    return std::sqrt(A * A + C * C);
}

TVec TFigure::Torso(TVec Base, float Lat, float UpBy, float FwdBy) const {
    return Base + TVec{Lat, 0, 0} + Up * UpBy + Fwd * FwdBy;
}

TVec TFigure::HeadPoint(float Lat, float UpBy, float FwdBy) const {
    return Torso(Head, Lat, UpBy, FwdBy);
}

TPrim CapsulePrim(TPt A, TPt B, float RA, float RB, std::uint8_t Base, float Depth) {
    TPrim P;
    P.Shape = TShape::Capsule;
    P.A = A;
    P.B = B;
    P.RA = RA;
    P.RB = RB;
    P.Base = Base;
    P.Depth = Depth;
    return P;
}

TPrim EllipsePrim(TPt C, float Rx, float Ry, std::uint8_t Base, float Depth) {
    TPrim P;
    P.Shape = TShape::Ellipse;
    P.A = C;
    P.RA = std::max(Rx, 0.5f);
    P.RB = std::max(Ry, 0.5f);
    P.Base = Base;
    P.Depth = Depth;
    return P;
}

TPrim BoxPrim(TPt Top, float TopHalf, TPt Bottom, float BottomHalf, float Corner, std::uint8_t Base,
              float Depth) {
    TPrim P;
    P.Shape = TShape::Box;
    P.A = Top;
    P.B = Bottom;
    P.RA = TopHalf;
    P.RB = BottomHalf;
    P.Extra = Corner;
    P.Base = Base;
    P.Depth = Depth;
    return P;
}

TPrim PolyPrim(std::initializer_list<TPt> Points, std::uint8_t Base, float Depth) {
    TPrim P;
    P.Shape = TShape::Polygon;
    for (const TPt& Pt : Points)
        if (P.PointCount < static_cast<int>(P.Points.size()))
            P.Points[static_cast<std::size_t>(P.PointCount++)] = Pt;
    P.Base = Base;
    P.Depth = Depth;
    return P;
}

// ---------------------------------------------------------------------------------------------
// Body

void AddBody(TScene& Scene, const TFigure& F, bool Output) {
    const TBuild& B = F.B;
    const int G = F.Group;
    auto Add = [&](TPrim P) {
        P.Output = Output;
        return Scene.Add(P);
    };
    // Boys and men wear trousers, the girl knee socks, the woman dark tights.
    const std::uint8_t ThighBase = G == 1 ? RangeSkin : RangePants;
    for (std::size_t I = 0; I < 2; ++I) {
        Add(CapsulePrim(F.Screen(F.Hip[I]), F.Screen(F.Knee[I]), B.LegR, B.LegR * 0.92f, ThighBase,
                        F.Depth(Lerp(F.Hip[I], F.Knee[I], 0.5f))));
        Add(CapsulePrim(F.Screen(F.Knee[I]), F.Screen(F.Ankle[I]), B.LegR * 0.92f, B.LegR * 0.8f,
                        RangePants, F.Depth(Lerp(F.Knee[I], F.Ankle[I], 0.5f)) + 0.05f));
        Add(CapsulePrim(F.Screen(F.Ankle[I]), F.Screen(F.Toe[I]), B.FootR, B.FootR * 0.85f,
                        RangeShoes, F.Depth(Lerp(F.Ankle[I], F.Toe[I], 0.5f)) + 0.3f));
    }

    const float TorsoDepth = F.Depth(Lerp(F.Pelvis, F.Chest, 0.5f)) + F.TorsoBias;
    const float TopHalf = F.HalfWidth(B.ShoulderW / 2, B.TorsoD / 2);
    const int Torso = Add(BoxPrim(F.Screen(F.Chest + F.Up * 0.5f), TopHalf,
                                  F.Screen(F.Pelvis - F.Up * (B.LegR * 0.8f)),
                                  F.HalfWidth(B.WaistW / 2, B.TorsoD * 0.45f),
                                  std::min(TopHalf * 0.5f, 3.5f), RangeCloth, TorsoDepth));
    if (B.SkirtLen > 0)
        Add(BoxPrim(
            F.Screen(F.Pelvis + F.Up * 2.5f), F.HalfWidth(B.WaistW / 2 + 0.6f, B.TorsoD / 2),
            F.Screen(F.Pelvis - F.Up * B.SkirtLen), F.HalfWidth(B.HemW / 2, B.TorsoD / 2 + 2.5f),
            1.2f, RangeCloth, TorsoDepth + 0.2f));
    const float Belt = G == 2 ? 3.0f : 2.0f;
    Add(BoxPrim(F.Screen(F.Pelvis + F.Up * (1 + Belt)),
                F.HalfWidth(B.WaistW / 2 + 0.7f, B.TorsoD / 2), F.Screen(F.Pelvis + F.Up * 1.0f),
                F.HalfWidth(B.WaistW / 2 + 0.8f, B.TorsoD / 2), 0.5f, RangeAccent,
                TorsoDepth + 0.3f));
    Add(CapsulePrim(F.Screen(F.Chest - F.Up * 1.0f), F.Screen(F.NeckTop + F.Up * 1.5f), B.NeckR,
                    B.NeckR, RangeSkin, TorsoDepth - 0.5f));

    for (std::size_t I = 0; I < 2; ++I) {
        const float UpperDepth = F.Depth(Lerp(F.Shoulder[I], F.Elbow[I], 0.5f)) + F.ArmBias;
        Add(CapsulePrim(F.Screen(F.Shoulder[I]), F.Screen(F.Elbow[I]), B.ArmR, B.ArmR * 0.92f,
                        RangeSkin, UpperDepth));
        Add(CapsulePrim(F.Screen(F.Shoulder[I]),
                        F.Screen(Lerp(F.Shoulder[I], F.Elbow[I], B.SleeveLen)), B.ArmR + 0.7f,
                        B.ArmR + 0.6f, RangeCloth, UpperDepth + 0.05f));
        Add(CapsulePrim(F.Screen(F.Elbow[I]), F.Screen(F.Hand[I]), B.ArmR * 0.92f, B.ArmR * 0.8f,
                        RangeSkin, F.Depth(Lerp(F.Elbow[I], F.Hand[I], 0.5f)) + F.ArmBias));
        const TVec Fist = F.Hand[I] + Normalized(F.Hand[I] - F.Elbow[I]) * (B.ArmR * 0.5f);
        Add(EllipsePrim(F.Screen(Fist), B.ArmR + 0.2f, B.ArmR + 0.2f, RangeSkin,
                        F.Depth(Fist) + F.ArmBias + 0.1f));
    }

    // What tells front from back at a glance besides the face: a badge on the chest, a seam
    // down the back.
    if (F.Fz > 0.3f) {
        const TPt C = F.Screen(F.Torso(F.Chest, 0, -B.TorsoH * 0.3f, B.TorsoD / 2));
        const int X = static_cast<int>(std::floor(C.X));
        const int Y = static_cast<int>(std::floor(C.Y));
        const auto Light = static_cast<std::uint8_t>(RangeAccent + 3);
        const auto Deep = static_cast<std::uint8_t>(RangeAccent + 9);
        switch (G) {
        case 0: // a star-like cross
            for (int D = -1; D <= 1; ++D) {
                Scene.Decal(X + D, Y, Light, Torso);
                Scene.Decal(X, Y + D, Light, Torso);
            }
            Scene.Decal(X, Y, Deep, Torso);
            break;
        case 1: // a bow
            for (int D = -1; D <= 1; ++D) {
                Scene.Decal(X - 2, Y + D, Light, Torso);
                Scene.Decal(X + 2, Y + D, Light, Torso);
            }
            Scene.Decal(X - 1, Y, Light, Torso);
            Scene.Decal(X + 1, Y, Light, Torso);
            Scene.Decal(X, Y, Deep, Torso);
            break;
        case 2: // buttons
            for (int K = 0; K < 3; ++K)
                Scene.Decal(X, Y - 3 + 4 * K, Light, Torso);
            break;
        default: // a brooch
            Scene.Decal(X, Y - 1, Light, Torso);
            Scene.Decal(X - 1, Y, Light, Torso);
            Scene.Decal(X + 1, Y, Light, Torso);
            Scene.Decal(X, Y + 1, Light, Torso);
            Scene.Decal(X, Y, Deep, Torso);
            break;
        }
    } else if (F.Fz < -0.3f) {
        const TPt A = F.Screen(F.Torso(F.Chest, 0, -1.5f, -B.TorsoD / 2));
        const TPt C = F.Screen(F.Torso(F.Pelvis, 0, 3.0f, -B.TorsoD / 2));
        const int X = static_cast<int>(std::floor(A.X));
        for (int Y = static_cast<int>(std::floor(A.Y)); Y <= static_cast<int>(std::floor(C.Y)); ++Y)
            Scene.Decal(X, Y, static_cast<std::uint8_t>(RangeCloth + 10), Torso);
    }
}

// ---------------------------------------------------------------------------------------------
// Heads

namespace {

enum class THairExtra : std::uint8_t {
    None,
    Ponytail,
    TwinTails,
    Bun,
    TopKnot,
    TwinBuns,
    SideLocks
};
enum class TEyes : std::uint8_t { Big, Normal, Narrow, Lashes, Sleepy };
enum class TAccessory : std::uint8_t { None, Ribbon, Headband, Flower };

// Where a head is hair and where face is decided from the direction of the head's surface at
// each pixel, so one description serves all eight directions.
struct THeadLook {
    TRgb Hair, Skin, Iris, Acc;
    float Bangs = 0.3f;  // height (of the head's radius) the fringe comes down to
    float Jag = 0.1f;    // depth of the fringe's points
    float Sweep = 0;     // fringe sloping across the face
    float FaceEdge = 0;  // how far round the sides the face reaches (less is wider)
    float SideEdge = 2;  // hair framing the face beyond this sideways...
    float SideLevel = 0; // ...down to this height
    float Nape = -2;     // short hair: the back of the head shows skin below this
    float Beard = -3;    // face below this is beard
    float Volume = 1;    // pixels of hair around the skull
    int Spikes = 0;
    float SpikeLen = 0;
    int Back = 0; // 1 to the shoulders, 2 down the back
    THairExtra Extra = THairExtra::None;
    float TailLen = 1.8f;
    bool Ahoge = false;
    TAccessory Accessory = TAccessory::None;
    TEyes Eyes = TEyes::Normal;
    bool Blush = false;
    bool Ears = false;
};

const std::array<THeadLook, 15>& HeadLooks() {
    static const std::array<THeadLook, 15> Looks{{
        // Rocco: spiky orange hair
        {.Hair = {205, 115, 55},
         .Skin = {240, 198, 160},
         .Iris = {60, 120, 200},
         .Acc = {},
         .Bangs = 0.28f,
         .Jag = 0.35f,
         .FaceEdge = -0.05f,
         .Nape = -0.45f,
         .Volume = 1.5f,
         .Spikes = 5,
         .SpikeLen = 4.5f,
         .Eyes = TEyes::Big,
         .Ears = true},
        // Nina: pink twin tails with yellow ribbons
        {.Hair = {235, 135, 175},
         .Skin = {245, 208, 178},
         .Iris = {120, 70, 160},
         .Acc = {245, 225, 110},
         .Bangs = 0.18f,
         .Jag = 0.15f,
         .FaceEdge = 0.2f,
         .SideEdge = 0.7f,
         .SideLevel = -0.3f,
         .Volume = 1.2f,
         .Extra = THairExtra::TwinTails,
         .TailLen = 1.7f,
         .Accessory = TAccessory::Ribbon,
         .Eyes = TEyes::Big,
         .Blush = true},
        // Betty: blonde bob and a red ribbon
        {.Hair = {238, 208, 115},
         .Skin = {245, 210, 180},
         .Iris = {60, 150, 95},
         .Acc = {215, 60, 75},
         .Bangs = 0.12f,
         .Jag = 0.03f,
         .FaceEdge = 0.18f,
         .SideEdge = 0.62f,
         .SideLevel = -0.75f,
         .Volume = 1.3f,
         .Back = 1,
         .Accessory = TAccessory::Ribbon,
         .Eyes = TEyes::Big,
         .Blush = true},
        // Daniel: neat dark brown hair, parted
        {.Hair = {115, 78, 52},
         .Skin = {225, 180, 140},
         .Iris = {70, 95, 140},
         .Acc = {},
         .Bangs = 0.42f,
         .Jag = 0.05f,
         .Sweep = 0.25f,
         .FaceEdge = -0.05f,
         .Nape = -0.4f,
         .Volume = 0.8f,
         .Eyes = TEyes::Normal,
         .Ears = true},
        // Sid: silver spikes and a red headband
        {.Hair = {165, 170, 192},
         .Skin = {230, 185, 145},
         .Iris = {190, 60, 60},
         .Acc = {205, 55, 55},
         .Bangs = 0.3f,
         .Jag = 0.35f,
         .FaceEdge = -0.1f,
         .Nape = -0.45f,
         .Volume = 1.2f,
         .Spikes = 6,
         .SpikeLen = 6,
         .Accessory = TAccessory::Headband,
         .Eyes = TEyes::Narrow,
         .Ears = true},
        // More: bushy red hair and a full beard
        {.Hair = {195, 85, 55},
         .Skin = {215, 165, 125},
         .Iris = {95, 70, 50},
         .Acc = {},
         .Bangs = 0.5f,
         .Jag = 0.2f,
         .FaceEdge = -0.1f,
         .Nape = -0.5f,
         .Beard = -0.45f,
         .Volume = 2.2f,
         .Eyes = TEyes::Normal,
         .Ears = true},
        // Kurogane Juzo: black topknot, stubble
        {.Hair = {62, 58, 72},
         .Skin = {220, 175, 135},
         .Iris = {55, 45, 40},
         .Acc = {},
         .Bangs = 0.55f,
         .Jag = 0,
         .FaceEdge = -0.05f,
         .Nape = -0.35f,
         .Beard = -0.72f,
         .Volume = 0.6f,
         .Extra = THairExtra::TopKnot,
         .Eyes = TEyes::Narrow,
         .Ears = true},
        // Iris: long violet hair
        {.Hair = {155, 115, 205},
         .Skin = {245, 210, 182},
         .Iris = {125, 80, 185},
         .Acc = {},
         .Bangs = 0.2f,
         .Jag = 0.18f,
         .FaceEdge = 0.25f,
         .SideEdge = 0.68f,
         .SideLevel = -0.6f,
         .Volume = 1.3f,
         .Back = 2,
         .Eyes = TEyes::Lashes,
         .Blush = true},
        // Lique: short green hair, a flower
        {.Hair = {115, 185, 125},
         .Skin = {240, 205, 170},
         .Iris = {60, 140, 110},
         .Acc = {245, 240, 130},
         .Bangs = 0.22f,
         .Jag = 0.12f,
         .Sweep = -0.3f,
         .FaceEdge = 0.12f,
         .Nape = -0.65f,
         .Volume = 1.2f,
         .Accessory = TAccessory::Flower,
         .Eyes = TEyes::Lashes},
        // Vanessa: long red hair, side parting
        {.Hair = {200, 72, 62},
         .Skin = {240, 200, 168},
         .Iris = {80, 160, 95},
         .Acc = {},
         .Bangs = 0.25f,
         .Jag = 0.08f,
         .Sweep = 0.45f,
         .FaceEdge = 0.22f,
         .SideEdge = 0.7f,
         .SideLevel = -0.5f,
         .Volume = 1.8f,
         .Back = 2,
         .Eyes = TEyes::Lashes},
        // Breillat: blonde ponytail, blue headband
        {.Hair = {240, 215, 125},
         .Skin = {245, 212, 185},
         .Iris = {70, 110, 205},
         .Acc = {70, 110, 205},
         .Bangs = 0.28f,
         .Jag = 0.15f,
         .FaceEdge = 0.15f,
         .Volume = 1,
         .Extra = THairExtra::Ponytail,
         .TailLen = 2,
         .Accessory = TAccessory::Headband,
         .Eyes = TEyes::Lashes},
        // Jessica: brown bun with side locks, a pink flower
        {.Hair = {150, 96, 62},
         .Skin = {238, 198, 160},
         .Iris = {120, 80, 50},
         .Acc = {230, 120, 150},
         .Bangs = 0.25f,
         .Jag = 0.1f,
         .FaceEdge = 0.15f,
         .Volume = 1,
         .Extra = THairExtra::Bun,
         .Accessory = TAccessory::Flower,
         .Eyes = TEyes::Normal,
         .Blush = true},
        // Konnotsuruko: straight black hair cut level, a hairpin
        {.Hair = {58, 52, 72},
         .Skin = {248, 218, 192},
         .Iris = {80, 40, 45},
         .Acc = {220, 70, 95},
         .Bangs = 0.08f,
         .Jag = 0,
         .FaceEdge = 0.28f,
         .SideEdge = 0.6f,
         .SideLevel = -0.95f,
         .Volume = 1.2f,
         .Back = 2,
         .Accessory = TAccessory::Flower,
         .Eyes = TEyes::Sleepy},
        // Maria: light blue hair in two buns, white headband
        {.Hair = {140, 192, 228},
         .Skin = {245, 212, 185},
         .Iris = {60, 120, 195},
         .Acc = {240, 240, 245},
         .Bangs = 0.2f,
         .Jag = 0.12f,
         .FaceEdge = 0.2f,
         .Volume = 1.2f,
         .Back = 1,
         .Extra = THairExtra::TwinBuns,
         .Accessory = TAccessory::Headband,
         .Eyes = TEyes::Lashes,
         .Blush = true},
        // Karin Liebtrud: long silver twin tails, a stray lock, black ribbons
        {.Hair = {218, 218, 232},
         .Skin = {246, 214, 190},
         .Iris = {185, 50, 75},
         .Acc = {70, 60, 90},
         .Bangs = 0.18f,
         .Jag = 0.2f,
         .FaceEdge = 0.2f,
         .SideEdge = 0.7f,
         .SideLevel = -0.4f,
         .Volume = 1.3f,
         .Extra = THairExtra::TwinTails,
         .TailLen = 2.6f,
         .Ahoge = true,
         .Accessory = TAccessory::Ribbon,
         .Eyes = TEyes::Big,
         .Blush = true},
    }};
    return Looks;
}

float Zigzag(float V) {
    return std::fabs(V - std::floor(V) - 0.5f) * 2;
}

std::uint8_t HeadRule(const void* Context, float X, float Y) {
    const THeadContext& H = *static_cast<const THeadContext*>(Context);
    const THeadLook& L = HeadLooks()[static_cast<std::size_t>(H.Chara)];
    const float Nx = (X - H.Cx) / H.Rx;
    const float Ny = (Y - H.Cy) / H.Ry;
    const float Nz = std::sqrt(std::max(0.0f, 1 - Nx * Nx - Ny * Ny));
    const float Fwd = Nx * H.Fx + Nz * H.Fz;
    const float Lat = Nx * H.RxV + Nz * H.RzV;
    const float Up = -Ny;
    if (L.Accessory == TAccessory::Headband && Up > L.Bangs + 0.12f && Up < L.Bangs + 0.3f)
        return RangeHeadAcc;
    if (Up < L.Beard && Fwd > -0.2f)
        return RangeHair;
    if (Up > L.Bangs + L.Sweep * Lat - L.Jag * Zigzag(Lat * 3))
        return RangeHair;
    if (Fwd < L.FaceEdge)
        return Up < L.Nape ? RangeSkin : RangeHair;
    if (std::fabs(Lat) > L.SideEdge && Up > L.SideLevel)
        return RangeHair;
    return RangeSkin;
}

void Put(TScene& S, int X, int Y, std::uint8_t Index, int Host, std::uint8_t HostBase) {
    S.Decal(X, Y, Index, Host, HostBase);
}

void AddEyes(TScene& S, const TFigure& F, const THeadLook& L, int Ball) {
    const TPt C = F.Screen(F.Head);
    const bool Beard = L.Beard > -2;
    for (int Side = -1; Side <= 1; Side += 2) {
        const TEyeSpot Eye = EyeSpot(F, Side);
        if (!Eye.Visible)
            continue;
        const int W = Eye.Facing > 0.7f ? 2 : 1;
        const int X = static_cast<int>(std::floor(Eye.X)) - (W == 2 ? 1 : 0);
        const int Y = static_cast<int>(std::floor(Eye.Y));
        const bool Left = Eye.X < C.X; // on the left of the canvas
        const int Outer = Left ? X - 1 : X + W;
        const int Inner = Left ? X + W - 1 : X;
        auto Row = [&](int Dy, std::uint8_t Index) {
            for (int I = 0; I < W; ++I)
                Put(S, X + I, Y + Dy, Index, Ball, RangeSkin);
        };
        const bool Big = L.Eyes == TEyes::Big || L.Eyes == TEyes::Lashes;
        switch (F.Pose.Face) {
        case TFace::Blink:
            Row(0, Fixed::Lash);
            Put(S, Outer, Y, Fixed::Lash, Ball, RangeSkin);
            break;
        case TFace::Happy:
            Row(-1, Fixed::Lash);
            Put(S, X - 1, Y, Fixed::Lash, Ball, RangeSkin);
            Put(S, X + W, Y, Fixed::Lash, Ball, RangeSkin);
            break;
        case TFace::Hurt: {
            // > and < pointing at the nose
            const int Tip = Left ? X + W : X - 1;
            const int Back = Left ? X - 1 + (W == 2 ? 1 : 0) : X + W - (W == 2 ? 1 : 0);
            Put(S, Back, Y - 1, Fixed::Lash, Ball, RangeSkin);
            Put(S, Tip, Y, Fixed::Lash, Ball, RangeSkin);
            Put(S, (Back + Tip) / 2, Y, Fixed::Lash, Ball, RangeSkin);
            Put(S, Back, Y + 1, Fixed::Lash, Ball, RangeSkin);
            break;
        }
        default:
            switch (L.Eyes) {
            case TEyes::Big:
            case TEyes::Lashes:
                Row(-2, Fixed::Lash);
                Row(-1, Fixed::Iris);
                Row(0, Fixed::Iris);
                Row(1, Fixed::IrisDark);
                if (W == 2)
                    Put(S, Left ? X + 1 : X, Y - 1, Fixed::Shine, Ball, RangeSkin);
                if (L.Eyes == TEyes::Lashes)
                    Put(S, Outer, Y - 2, Fixed::Lash, Ball, RangeSkin);
                break;
            case TEyes::Normal:
                Row(-1, Fixed::Lash);
                Row(0, Fixed::Iris);
                Row(1, Fixed::IrisDark);
                break;
            case TEyes::Narrow:
                Row(0, Fixed::Lash);
                Row(1, Fixed::IrisDark);
                break;
            case TEyes::Sleepy:
                Row(0, Fixed::Lash);
                Put(S, Outer, Y, Fixed::Lash, Ball, RangeSkin);
                Row(1, Fixed::Iris);
                break;
            }
            if (F.Pose.Face == TFace::Sad) {
                Put(S, Inner, Y + 2, Fixed::Tear, Ball, RangeSkin);
                Put(S, Inner, Y + 3, Fixed::Tear, Ball, RangeSkin);
            } else if (F.Pose.Face == TFace::Angry) {
                const int Top = Big ? Y - 3 : Y - 2;
                Put(S, Inner, Top + 1, Fixed::Lash, Ball, RangeSkin);
                Put(S, Outer, Top, Fixed::Lash, Ball, RangeSkin);
                Put(S, Left ? Inner - 1 : Inner + 1, Top, Fixed::Lash, Ball, RangeSkin);
            }
            break;
        }
        if (L.Blush && Eye.Facing > 0.5f) {
            const int Bx = Left ? X - 1 : X + W - 1;
            Put(S, Bx, Y + 3, Fixed::Blush, Ball, RangeSkin);
            Put(S, Bx + 1, Y + 3, Fixed::Blush, Ball, RangeSkin);
        }
    }

    // The mouth, a little below the eyes on the face's middle line.
    const float Gamma = Rad(-46);
    const float Fwd = std::cos(Gamma);
    const float Wx = Fwd * F.Fx;
    const float Wz = Fwd * F.Fz;
    if (Wz <= 0.25f)
        return;
    const int W = Wz > 0.7f ? 2 : 1;
    const int X = static_cast<int>(std::floor(C.X + Wx * F.B.HeadRx)) - (W == 2 ? 1 : 0);
    const int Y = static_cast<int>(std::floor(C.Y - std::sin(Gamma) * F.B.HeadRy));
    const std::uint8_t Host = Beard ? 0 : RangeSkin;
    auto Row = [&](int Dy, std::uint8_t Index) {
        for (int I = 0; I < W; ++I)
            Put(S, X + I, Y + Dy, Index, Ball, Host);
    };
    switch (F.Pose.Face) {
    case TFace::Happy:
        Row(0, Fixed::Mouth);
        if (W == 2) {
            Put(S, X - 1, Y - 1, Fixed::Mouth, Ball, Host);
            Put(S, X + 2, Y - 1, Fixed::Mouth, Ball, Host);
        }
        break;
    case TFace::Shout:
    case TFace::Hurt:
        Row(0, Fixed::Mouth);
        Row(1, Fixed::MouthInside);
        break;
    case TFace::Sad:
    case TFace::Angry:
        Row(-1, Fixed::Mouth);
        if (W == 2) {
            Put(S, X - 1, Y, Fixed::Mouth, Ball, Host);
            Put(S, X + 2, Y, Fixed::Mouth, Ball, Host);
        }
        break;
    default:
        Row(0, Fixed::Mouth);
        break;
    }
}

} // namespace

TEyeSpot EyeSpot(const TFigure& F, int Side) {
    const float Beta = Rad(30);
    const float Gamma = Rad(-16);
    const float Lat = static_cast<float>(Side) * std::sin(Beta) * std::cos(Gamma);
    const float Fwd = std::cos(Beta) * std::cos(Gamma);
    const float Wx = Lat * F.Rx + Fwd * F.Fx;
    const float Wz = Lat * F.Rz + Fwd * F.Fz;
    const TPt C = F.Screen(F.Head);
    return {Wz > 0.22f, C.X + Wx * F.B.HeadRx, C.Y - std::sin(Gamma) * F.B.HeadRy, Wz};
}

void AddHead(TScene& Scene, const TFigure& F, int Chara, THeadContext& Context) {
    const THeadLook& L = HeadLooks()[static_cast<std::size_t>(Chara)];
    const TBuild& B = F.B;
    const float Rx = B.HeadRx + L.Volume;
    const float Ry = B.HeadRy + L.Volume * 0.7f;
    const TPt C = F.Screen(F.Head);
    Context = {C.X, C.Y, Rx, Ry, F.Fx, F.Fz, F.Rx, F.Rz, Chara};
    const float HeadZ = F.Depth(F.Head);
    // Things on the head lie above or below the head ball as they face the viewer or not.
    auto OnHead = [&](TVec P) {
        return F.HeadDepth + F.Depth(P) - HeadZ;
    };
    auto Hair = [&](TPrim P) {
        P.Merge = 1;
        return Scene.Add(P);
    };
    const float Hx = B.HeadRx;
    const float Hy = B.HeadRy;

    if (L.Back) {
        // Hanging straight down behind the head, narrowing to a rounded end.
        const float Len =
            L.Back == 1 ? Hy * 0.75f + B.NeckH : Hy * 0.6f + B.NeckH + B.TorsoH * 0.6f;
        const TVec Top = F.HeadPoint(0, -0.1f * Ry, -0.5f * Rx);
        const TVec Bottom = Top + TVec{0, -Len, -0.1f * Rx};
        const float BottomHalf = F.HalfWidth(Rx * (L.Back == 2 ? 0.62f : 0.85f), Rx * 0.4f);
        Hair(BoxPrim(F.Screen(Top), F.HalfWidth(Rx * 0.9f, Rx * 0.5f), F.Screen(Bottom), BottomHalf,
                     BottomHalf * 0.8f, RangeHair, F.Depth(Lerp(Top, Bottom, 0.5f)) + 5));
    }
    switch (L.Extra) {
    case THairExtra::TwinTails:
        for (int Side = -1; Side <= 1; Side += 2) {
            const float S = static_cast<float>(Side);
            const TVec Root = F.HeadPoint(S * 0.92f * Hx, 0.35f * Hy, -0.15f * Hx);
            const TVec Tip = Root + TVec{S * 0.35f * Hx, -L.TailLen * Hy, -0.3f * Hx};
            Hair(CapsulePrim(F.Screen(Root), F.Screen(Tip), 0.32f * Hx, 0.15f * Hx, RangeHair,
                             F.Depth(Lerp(Root, Tip, 0.5f)) + 2));
            Hair(EllipsePrim(F.Screen(Root), 0.34f * Hx, 0.34f * Hx, RangeHair,
                             OnHead(Root) - 0.3f));
            if (L.Accessory == TAccessory::Ribbon) {
                const TVec Tie = F.HeadPoint(S * 1.05f * Hx, 0.45f * Hy, -0.1f * Hx);
                Scene.Add(EllipsePrim(F.Screen(Tie), 2.2f, 1.6f, RangeHeadAcc, OnHead(Tie) + 0.6f));
            }
        }
        break;
    case THairExtra::Ponytail: {
        const TVec Root = F.HeadPoint(0, 0.5f * Hy, -0.85f * Hx);
        const TVec From = F.HeadPoint(0, 0.35f * Hy, -1.0f * Hx);
        const TVec Tip = From + TVec{0, -L.TailLen * Hy, -0.45f * Hx};
        Hair(CapsulePrim(F.Screen(From), F.Screen(Tip), 0.3f * Hx, 0.14f * Hx, RangeHair,
                         F.Depth(Lerp(From, Tip, 0.5f)) + 4));
        Hair(EllipsePrim(F.Screen(Root), 0.33f * Hx, 0.33f * Hx, RangeHair, OnHead(Root) - 0.2f));
        break;
    }
    case THairExtra::Bun: {
        const TVec P = F.HeadPoint(0, 0.72f * Hy, -0.6f * Hx);
        Hair(EllipsePrim(F.Screen(P), 0.42f * Hx, 0.42f * Hx, RangeHair, OnHead(P) - 0.2f));
        break;
    }
    case THairExtra::TopKnot: {
        const TVec P = F.HeadPoint(0, 1.02f * Hy, -0.15f * Hx);
        Hair(EllipsePrim(F.Screen(P), 0.32f * Hx, 0.26f * Hy, RangeHair, OnHead(P) - 0.2f));
        const TVec A = F.HeadPoint(0, 1.05f * Hy, -0.3f * Hx);
        const TVec E = F.HeadPoint(0, 0.85f * Hy, -0.8f * Hx);
        Hair(CapsulePrim(F.Screen(A), F.Screen(E), 1.4f, 1.0f, RangeHair, OnHead(E) - 0.1f));
        break;
    }
    case THairExtra::TwinBuns:
        for (int Side = -1; Side <= 1; Side += 2) {
            const TVec P =
                F.HeadPoint(static_cast<float>(Side) * 0.68f * Hx, 0.7f * Hy, -0.2f * Hx);
            Hair(EllipsePrim(F.Screen(P), 0.34f * Hx, 0.34f * Hx, RangeHair, OnHead(P) - 0.2f));
        }
        break;
    case THairExtra::SideLocks:
        for (int Side = -1; Side <= 1; Side += 2) {
            const float S = static_cast<float>(Side);
            const TVec A = F.HeadPoint(S * 0.9f * Hx, 0.15f * Hy, 0.25f * Hx);
            const TVec E = F.HeadPoint(S * 0.95f * Hx, -0.95f * Hy, 0.2f * Hx);
            Hair(CapsulePrim(F.Screen(A), F.Screen(E), 0.2f * Hx, 0.16f * Hx, RangeHair,
                             OnHead(Lerp(A, E, 0.5f))));
        }
        break;
    case THairExtra::None:
        break;
    }

    TPrim BallPrim;
    BallPrim.Shape = TShape::Custom;
    BallPrim.A = C;
    BallPrim.RA = Rx;
    BallPrim.RB = Ry;
    BallPrim.Rule = HeadRule;
    BallPrim.Context = &Context;
    BallPrim.Base = RangeHair;
    BallPrim.Depth = F.HeadDepth;
    const int Ball = Hair(BallPrim);

    // Spikes stand round the crown and lean away from where the character looks.
    for (int K = 0; K < L.Spikes; ++K) {
        const float A =
            Rad(-70 + 140 * (static_cast<float>(K) + 0.5f) / static_cast<float>(L.Spikes));
        const float Half = Rad(14);
        auto Rim = [&](float Angle, float Scale) {
            return TPt{C.X + std::sin(Angle) * Rx * Scale, C.Y - std::cos(Angle) * Ry * Scale};
        };
        TPt Tip{C.X + std::sin(A * 1.15f) * (Rx + L.SpikeLen) - F.Fx * 2,
                C.Y - std::cos(A * 1.15f) * (Ry + L.SpikeLen)};
        Hair(PolyPrim({Rim(A - Half, 0.85f), Tip, Rim(A + Half, 0.85f)}, RangeHair,
                      F.HeadDepth - 0.2f));
    }
    if (L.Ahoge) {
        const TVec A = F.HeadPoint(0, 0.95f * Hy, 0.1f * Hx);
        const TVec M = F.HeadPoint(0.1f * Hx, 1.4f * Hy, 0.1f * Hx);
        const TVec E = F.HeadPoint(0.35f * Hx, 1.5f * Hy, 0.4f * Hx);
        Hair(CapsulePrim(F.Screen(A), F.Screen(M), 0.9f, 0.7f, RangeHair, OnHead(M)));
        Hair(CapsulePrim(F.Screen(M), F.Screen(E), 0.7f, 0.5f, RangeHair, OnHead(M)));
    }
    if (L.Ears)
        for (int Side = -1; Side <= 1; Side += 2) {
            const TVec P =
                F.HeadPoint(static_cast<float>(Side) * Hx * 0.98f, -0.12f * Hy, -0.05f * Hx);
            Scene.Add(EllipsePrim(F.Screen(P), 1.6f, 2.2f, RangeSkin, OnHead(P) - 0.4f));
        }
    if (std::fabs(F.Fx) > 0.55f && F.Fz > -0.3f) {
        const TVec Nose = F.HeadPoint(0, -0.18f * Hy, Hx + 0.3f);
        Hair(EllipsePrim(F.Screen(Nose), 1.0f, 1.0f, RangeSkin, F.HeadDepth + 3));
    }
    switch (L.Accessory) {
    case TAccessory::Ribbon:
        if (L.Extra != THairExtra::TwinTails) {
            const TVec K = F.HeadPoint(0.45f * Hx, 0.8f * Hy, -0.3f * Hx);
            const TPt P = F.Screen(K);
            const float Depth = OnHead(K) + 0.5f;
            Scene.Add(PolyPrim({P, {P.X - 5, P.Y - 3}, {P.X - 5, P.Y + 3}}, RangeHeadAcc, Depth));
            Scene.Add(PolyPrim({P, {P.X + 5, P.Y - 3}, {P.X + 5, P.Y + 3}}, RangeHeadAcc, Depth));
            Scene.Add(EllipsePrim(P, 1.6f, 1.6f, RangeHeadAcc, Depth + 0.1f));
        }
        break;
    case TAccessory::Flower: {
        const TVec K = F.HeadPoint(-0.7f * Hx, 0.55f * Hy, 0.2f * Hx);
        const int Flower =
            Scene.Add(EllipsePrim(F.Screen(K), 2.4f, 2.4f, RangeHeadAcc, OnHead(K) + 0.5f));
        const TPt P = F.Screen(K);
        Scene.Decal(static_cast<int>(std::floor(P.X)), static_cast<int>(std::floor(P.Y)),
                    static_cast<std::uint8_t>(RangeHeadAcc + 9), Flower);
        break;
    }
    default:
        break;
    }
    AddEyes(Scene, F, L, Ball);
}

void AddHeadOccluder(TScene& Scene, const TFigure& F) {
    TPrim P =
        EllipsePrim(F.Screen(F.Head), F.B.HeadRx - 0.5f, F.B.HeadRy - 0.5f, RangeSkin, F.HeadDepth);
    P.Output = false;
    Scene.Add(P);
}

// ---------------------------------------------------------------------------------------------
// Palettes

void PutFixedColors(TJmaPalette& P) {
    PutColor(P, Fixed::Dark, {40, 32, 48});
    PutColor(P, Fixed::EyeWhite, {236, 236, 242});
    PutColor(P, Fixed::Lash, {38, 30, 48});
    PutColor(P, Fixed::Mouth, {170, 72, 80});
    PutColor(P, Fixed::Blush, {238, 152, 160});
    PutColor(P, Fixed::Shine, {252, 252, 252});
    PutColor(P, Fixed::Iris, {70, 90, 140});
    PutColor(P, Fixed::IrisDark, {40, 50, 90});
    PutColor(P, Fixed::Tear, {150, 205, 250});
    PutColor(P, Fixed::MouthInside, {105, 35, 50});
    PutColor(P, Fixed::White, {240, 240, 245});
}

namespace {

struct TBodyColors {
    TRgb Skin, Cloth, Pants, Shoes, Accent;
};

constexpr std::array<TBodyColors, 4> BodyColors{{
    {{240, 198, 160}, {70, 120, 190}, {120, 95, 70}, {125, 75, 45}, {200, 160, 60}},
    {{245, 208, 178}, {220, 120, 150}, {228, 228, 232}, {150, 60, 70}, {230, 200, 90}},
    {{225, 180, 140}, {90, 140, 80}, {80, 80, 110}, {95, 65, 45}, {190, 150, 70}},
    {{245, 210, 182}, {140, 90, 170}, {75, 65, 85}, {70, 55, 65}, {210, 180, 90}},
}};

} // namespace

TJmaPalette BodyPalette(int Group) {
    const TBodyColors& C = BodyColors[static_cast<std::size_t>(Group)];
    TJmaPalette P{};
    PutFixedColors(P);
    PutRamp(P, RangeSkin, C.Skin);
    PutRamp(P, RangeCloth, C.Cloth);
    PutRamp(P, RangePants, C.Pants);
    PutRamp(P, RangeShoes, C.Shoes);
    PutRamp(P, RangeAccent, C.Accent);
    return P;
}

TJmaPalette HeadPalette(int Chara) {
    const THeadLook& L = HeadLooks()[static_cast<std::size_t>(Chara)];
    TJmaPalette P{};
    PutFixedColors(P);
    PutColor(P, Fixed::Iris, L.Iris);
    PutColor(P, Fixed::IrisDark,
             {static_cast<std::uint8_t>(L.Iris.R * 3 / 5),
              static_cast<std::uint8_t>(L.Iris.G * 3 / 5),
              static_cast<std::uint8_t>(L.Iris.B * 3 / 5)});
    PutRamp(P, RangeHair, L.Hair);
    PutRamp(P, RangeSkin, L.Skin);
    PutRamp(P, RangeHeadAcc, L.Acc);
    return P;
}

} // namespace pelto::demo
