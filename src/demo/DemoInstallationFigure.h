#pragma once

// The posed characters of the demo installation: a small skeleton in the character's own
// space, seen from one of the eight directions, dressed in shapes for the rasteriser.

#include "demo/DemoInstallationParts.h"
#include "demo/DemoInstallationRaster.h"
#include "sprites/wlojmajmp.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace pelto::demo {

/// A point in the character's own space: X its right, Y up from the ground, Z forward.
struct TVec {
    float X = 0;
    float Y = 0;
    float Z = 0;
};
inline TVec operator+(TVec A, TVec B) {
    return {A.X + B.X, A.Y + B.Y, A.Z + B.Z};
}
inline TVec operator-(TVec A, TVec B) {
    return {A.X - B.X, A.Y - B.Y, A.Z - B.Z};
}
inline TVec operator*(TVec A, float S) {
    return {A.X * S, A.Y * S, A.Z * S};
}
inline TVec Lerp(TVec A, TVec B, float T) {
    return A + (B - A) * T;
}
TVec Normalized(TVec V);

enum class TFace : std::uint8_t { Normal, Blink, Happy, Hurt, Angry, Sad, Shout };

struct TFigurePose {
    int Dir = 4; // 0 away from the viewer, counter-clockwise, 4 towards the viewer
    TFace Face = TFace::Normal;
    float Lift = 0;                // whole body up (jumps)
    float Drop = 0;                // pelvis down, knees bending
    float Lean = 0;                // degrees, forward positive
    float Sway = 0;                // upper body to the right
    std::array<float, 2> AnkleZ{}; // [0] right, [1] left
    std::array<float, 2> AnkleY{};
    std::array<float, 2> ArmSwing{};     // degrees forward
    std::array<float, 2> ArmRaise{8, 8}; // degrees sideways
    std::array<float, 2> Elbow{10, 10};
    float Phase = 0; // 0..1 through the action, for things moving by themselves

    friend bool operator==(const TFigurePose&, const TFigurePose&) = default;
};

/// Proportions of a body group, in pixels.
struct TBuild {
    float LegLen, LegR, HipW;
    float TorsoH, ShoulderW, WaistW, TorsoD;
    float ArmLen, ArmR, SleeveLen; // sleeve: part of the upper arm
    float NeckH, NeckR, HeadRx, HeadRy;
    float FootLen, FootR;
    float SkirtLen, HemW; // 0: trousers
    float ItemScale;      // size of held things
};
const TBuild& BuildOf(int Group);

/// The frame count of each motion 0..18.
int MotionFrameCount(int Motion);
TFigurePose PoseOf(int Group, int Action, int FrameNo);

/// A character of one body group in one pose, placed with its ground point at Origin.
class TFigure {
public:
    TFigure(int Group, const TFigurePose& Pose, TPt Origin);

    TPt Screen(TVec V) const;
    float Depth(TVec V) const;
    /// Screen half width of an elliptic cross-section with these half axes.
    float HalfWidth(float Lateral, float Forward) const;
    /// A point on or around the head: offsets along the head's own axes.
    TVec HeadPoint(float Lat, float Up, float Fwd) const;
    /// Offsets along the torso's own axes from Base.
    TVec Torso(TVec Base, float Lat, float Up, float Fwd) const;

    int Group;
    const TBuild& B;
    TFigurePose Pose;
    TPt Origin;
    float Fx, Fz, Rx, Rz; // forward and right of the character in view space (x, z)
    TVec Pelvis, Chest, NeckTop, Head, Up, Fwd;
    std::array<TVec, 2> Shoulder, Elbow, Hand, Hip, Knee, Ankle, Toe;
    float TorsoBias, ArmBias; // depth added so the torso covers thighs and arms lie on it
    float HeadDepth;          // depth of the head ball: above the whole body
};

// Shape helpers; the depth is given, Output on.
TPrim CapsulePrim(TPt A, TPt B, float RA, float RB, std::uint8_t Base, float Depth);
TPrim EllipsePrim(TPt C, float Rx, float Ry, std::uint8_t Base, float Depth);
TPrim BoxPrim(TPt Top, float TopHalf, TPt Bottom, float BottomHalf, float Corner, std::uint8_t Base,
              float Depth);
TPrim PolyPrim(std::initializer_list<TPt> Points, std::uint8_t Base, float Depth);

/// Head-sprite state a Custom shape reads while the scene is painted.
struct THeadContext {
    float Cx = 0, Cy = 0, Rx = 1, Ry = 1;
    float Fx = 0, Fz = 1, RxV = -1, RzV = 0;
    int Chara = 0;
};

/// The bare body, its shapes part of the picture when Output.
void AddBody(TScene& Scene, const TFigure& F, bool Output);
/// The head of Chara; Context must live until the scene is painted.
void AddHead(TScene& Scene, const TFigure& F, int Chara, THeadContext& Context);
/// A plain head that hides what lies behind any head.
void AddHeadOccluder(TScene& Scene, const TFigure& F);
void AddItem(TScene& Scene, const TFigure& F, const TDemoItem& Item);

/// Where an eye of the head lies on the canvas; Side +1 is the character's right eye.
struct TEyeSpot {
    bool Visible;
    float X, Y;
    float Facing; // 1 looking straight at the viewer, towards 0 seen from the side
};
TEyeSpot EyeSpot(const TFigure& F, int Side);

void PutFixedColors(TJmaPalette& Palette);
TJmaPalette BodyPalette(int Group);
TJmaPalette HeadPalette(int Chara);
TJmaPalette ItemPalette(const TDemoItem& Item);

} // namespace pelto::demo
