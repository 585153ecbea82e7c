#include "demo/DemoInstallationRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace pelto::demo {
namespace {

// The painter runs for every frame of every sprite, also in unoptimised test builds, so its
// pixel loops are written out by hand rather than through small helpers.

constexpr std::int32_t EmptyKey = INT32_MIN;
constexpr int OutlineShade = 14;
constexpr int EdgeShade = 11;

struct TBounds {
    float X0, Y0, X1, Y1;
};

TBounds Bounds(const TPrim& P) {
    TBounds B{};
    switch (P.Shape) {
    case TShape::Capsule:
        B = {std::min(P.A.X - P.RA, P.B.X - P.RB), std::min(P.A.Y - P.RA, P.B.Y - P.RB),
             std::max(P.A.X + P.RA, P.B.X + P.RB), std::max(P.A.Y + P.RA, P.B.Y + P.RB)};
        break;
    case TShape::Box:
        B = {std::min(P.A.X - P.RA, P.B.X - P.RB), std::min(P.A.Y, P.B.Y),
             std::max(P.A.X + P.RA, P.B.X + P.RB), std::max(P.A.Y, P.B.Y)};
        break;
    case TShape::Ellipse:
    case TShape::Ring:
    case TShape::Custom:
        B = {P.A.X - P.RA, P.A.Y - P.RB, P.A.X + P.RA, P.A.Y + P.RB};
        break;
    case TShape::Polygon:
        B = {1e9f, 1e9f, -1e9f, -1e9f};
        for (int I = 0; I < P.PointCount; ++I) {
            B.X0 = std::min(B.X0, P.Points[I].X);
            B.Y0 = std::min(B.Y0, P.Points[I].Y);
            B.X1 = std::max(B.X1, P.Points[I].X);
            B.Y1 = std::max(B.Y1, P.Points[I].Y);
        }
        break;
    }
    B.Y0 = std::max(B.Y0, P.ClipTop - 1);
    B.Y1 = std::min(B.Y1, P.ClipBottom + 1);
    return B;
}

std::int32_t KeyOf(float Depth, int Index) {
    const long Q = std::clamp(std::lround(Depth * 64.0f), -(1l << 22), (1l << 22) - 1);
    return static_cast<std::int32_t>(Q) * 256 + Index;
}

int Floor(float V) {
    return static_cast<int>(std::floor(V));
}

} // namespace

void TRaster::Fill(const TPrim& P, int Index, const TRegion& R, const std::uint8_t* Mask) {
    const TBounds Bd = Bounds(P);
    const int X0 = std::max(R.X0, Floor(Bd.X0));
    const int X1 = std::min(R.X1, Floor(Bd.X1) + 1);
    const int Y0 = std::max(R.Y0, Floor(Bd.Y0));
    const int Y1 = std::min(R.Y1, Floor(Bd.Y1) + 1);
    if (X0 >= X1 || Y0 >= Y1)
        return;
    const std::int32_t Key = KeyOf(P.Depth, Index);
    const auto Group = static_cast<std::uint16_t>(P.Merge ? P.Merge : 256 + Index);
    std::int32_t* Keys = FKey.data();
    std::uint16_t* Groups = FGroup.data();
    std::uint8_t* Bases = FBase.data();
    std::int8_t* Nxs = FNx.data();
    std::int8_t* Nys = FNy.data();
    const int W = FWidth;
    auto Put = [=](int Pos, std::uint8_t Base, float Nx, float Ny) {
        Keys[Pos] = Key;
        Groups[Pos] = Group;
        Bases[Pos] = Base;
        Nxs[Pos] = static_cast<std::int8_t>(Nx < -1  ? -100
                                            : Nx > 1 ? 100
                                                     : static_cast<int>(Nx * 100));
        Nys[Pos] = static_cast<std::int8_t>(Ny < -1  ? -100
                                            : Ny > 1 ? 100
                                                     : static_cast<int>(Ny * 100));
    };

    switch (P.Shape) {
    case TShape::Capsule: {
        const float Dx = P.B.X - P.A.X;
        const float Dy = P.B.Y - P.A.Y;
        const float Len2 = Dx * Dx + Dy * Dy;
        const float InvLen2 = Len2 > 1e-6f ? 1 / Len2 : 0;
        const float Dr = P.RB - P.RA;
        const float Ax = P.A.X;
        const float Ay = P.A.Y;
        const float Ra = P.RA;
        for (int Y = Y0; Y < Y1; ++Y) {
            const float Py = static_cast<float>(Y) + 0.5f;
            if (Py < P.ClipTop || Py > P.ClipBottom)
                continue;
            const int Row = (Y - R.Y0) * W - R.X0;
            const float RowDot = (Py - Ay) * Dy;
            for (int X = X0; X < X1; ++X) {
                const int Pos = Row + X;
                if ((Mask && !Mask[Pos]) || Key <= Keys[Pos])
                    continue;
                const float Px = static_cast<float>(X) + 0.5f;
                float T = ((Px - Ax) * Dx + RowDot) * InvLen2;
                T = T < 0 ? 0 : T > 1 ? 1 : T;
                const float Ex = Px - (Ax + T * Dx);
                const float Ey = Py - (Ay + T * Dy);
                const float Radius = Ra + Dr * T;
                if (Ex * Ex + Ey * Ey <= Radius * Radius + 0.2f)
                    Put(Pos, P.Base, Ex / (Radius + 0.5f), Ey / (Radius + 0.5f));
            }
        }
        break;
    }
    case TShape::Ellipse:
    case TShape::Ring:
    case TShape::Custom: {
        const float Ix = 1 / P.RA;
        const float Iy = 1 / P.RB;
        const bool Hollow = P.Shape == TShape::Ring && P.RA > P.Extra && P.RB > P.Extra;
        const float Hx = Hollow ? 1 / (P.RA - P.Extra) : 0;
        const float Hy = Hollow ? 1 / (P.RB - P.Extra) : 0;
        for (int Y = Y0; Y < Y1; ++Y) {
            const float Py = static_cast<float>(Y) + 0.5f;
            if (Py < P.ClipTop || Py > P.ClipBottom)
                continue;
            const float Ny = (Py - P.A.Y) * Iy;
            const float Room = 1.04f - Ny * Ny;
            const float Cx = P.A.X;
            const int Row = (Y - R.Y0) * W - R.X0;
            for (int X = X0; X < X1; ++X) {
                const int Pos = Row + X;
                if ((Mask && !Mask[Pos]) || Key <= Keys[Pos])
                    continue;
                const float Px = static_cast<float>(X) + 0.5f;
                const float Nx = (Px - Cx) * Ix;
                if (Nx * Nx > Room)
                    continue;
                if (Hollow) {
                    const float Qx = (Px - P.A.X) * Hx;
                    const float Qy = (Py - P.A.Y) * Hy;
                    if (Qx * Qx + Qy * Qy <= 1.0f)
                        continue;
                }
                std::uint8_t Base = P.Base;
                if (P.Shape == TShape::Custom) {
                    Base = P.Rule(P.Context, Px, Py);
                    if (!Base)
                        continue;
                }
                Put(Pos, Base, Nx, Ny);
            }
        }
        break;
    }
    case TShape::Box: {
        const bool Down = P.A.Y <= P.B.Y;
        const TPt Top = Down ? P.A : P.B;
        const TPt Bottom = Down ? P.B : P.A;
        const float TopHalf = Down ? P.RA : P.RB;
        const float BottomHalf = Down ? P.RB : P.RA;
        const float Height = Bottom.Y - Top.Y;
        if (Height <= 0)
            break;
        for (int Y = Y0; Y < Y1; ++Y) {
            const float Py = static_cast<float>(Y) + 0.5f;
            if (Py < P.ClipTop || Py > P.ClipBottom || Py < Top.Y || Py > Bottom.Y)
                continue;
            const float T = (Py - Top.Y) / Height;
            const float Cx = Top.X + (Bottom.X - Top.X) * T;
            const float Half = TopHalf + (BottomHalf - TopHalf) * T;
            const float Corner = std::min({P.Extra, Half, Height / 2});
            const float Ey = Py < Top.Y + Corner      ? Top.Y + Corner - Py
                             : Py > Bottom.Y - Corner ? Py - (Bottom.Y - Corner)
                                                      : 0;
            const float InvHalf = 1 / (Half + 0.5f);
            const float Ny = (T - 0.5f) * 0.8f;
            const int Row = (Y - R.Y0) * W - R.X0;
            for (int X = X0; X < X1; ++X) {
                const int Pos = Row + X;
                if ((Mask && !Mask[Pos]) || Key <= Keys[Pos])
                    continue;
                const float Px = static_cast<float>(X) + 0.5f - Cx;
                const float Dx = Px < 0 ? -Px : Px;
                if (Dx > Half)
                    continue;
                const float Ex = Dx - (Half - Corner);
                if (Corner > 0 && Ex > 0 && Ey > 0 && Ex * Ex + Ey * Ey > Corner * Corner)
                    continue;
                Put(Pos, P.Base, Px * InvHalf, Ny);
            }
        }
        break;
    }
    case TShape::Polygon: {
        float Area = 0;
        for (int I = 0; I < P.PointCount; ++I) {
            const TPt& A = P.Points[static_cast<std::size_t>(I)];
            const TPt& C = P.Points[static_cast<std::size_t>((I + 1) % P.PointCount)];
            Area += A.X * C.Y - C.X * A.Y;
        }
        const float Sign = Area >= 0 ? 1.0f : -1.0f;
        std::array<float, 8> Ex{}, Ey{};
        for (int I = 0; I < P.PointCount; ++I) {
            const auto K = static_cast<std::size_t>(I);
            const TPt& C = P.Points[static_cast<std::size_t>((I + 1) % P.PointCount)];
            Ex[K] = (C.X - P.Points[K].X) * Sign;
            Ey[K] = (C.Y - P.Points[K].Y) * Sign;
        }
        const float MidX = (Bd.X0 + Bd.X1) / 2;
        const float MidY = (Bd.Y0 + Bd.Y1) / 2;
        const float Sx = 1.4f / std::max(Bd.X1 - Bd.X0, 1.0f);
        const float Sy = 1.4f / std::max(Bd.Y1 - Bd.Y0, 1.0f);
        for (int Y = Y0; Y < Y1; ++Y) {
            const float Py = static_cast<float>(Y) + 0.5f;
            if (Py < P.ClipTop || Py > P.ClipBottom)
                continue;
            const int Row = (Y - R.Y0) * W - R.X0;
            for (int X = X0; X < X1; ++X) {
                const int Pos = Row + X;
                if ((Mask && !Mask[Pos]) || Key <= Keys[Pos])
                    continue;
                const float Px = static_cast<float>(X) + 0.5f;
                bool Inside = true;
                for (int I = 0; I < P.PointCount && Inside; ++I) {
                    const auto K = static_cast<std::size_t>(I);
                    Inside = Ex[K] * (Py - P.Points[K].Y) - Ey[K] * (Px - P.Points[K].X) >= -0.01f;
                }
                if (Inside)
                    Put(Pos, P.Base, (Px - MidX) * Sx, (Py - MidY) * Sy);
            }
        }
        break;
    }
    }
}

void TRaster::Shade(const TRegion& R) {
    static constexpr float Dither[2][2] = {{-0.375f, 0.125f}, {0.375f, -0.125f}};
    const int W = R.X1 - R.X0;
    const int H = R.Y1 - R.Y0;
    const std::int32_t* Keys = FKey.data();
    const std::uint16_t* Groups = FGroup.data();
    const std::uint8_t* Bases = FBase.data();
    const bool* Outputs = FOutputs.data();
    const std::int8_t* Nxs = FNx.data();
    const std::int8_t* Nys = FNy.data();
    std::uint8_t* Out = FOut.data();
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            const int Pos = Y * W + X;
            const std::int32_t K = Keys[Pos];
            if (K == EmptyKey || !Outputs[static_cast<std::uint32_t>(K) & 0xFF])
                continue;
            const std::uint16_t G = Groups[Pos];
            const std::uint8_t B = Bases[Pos];
            if (B < 16) {
                Out[Pos] = B;
                continue;
            }
            const int Neighbours[4] = {X > 0 ? Pos - 1 : -1, X + 1 < W ? Pos + 1 : -1,
                                       Y > 0 ? Pos - W : -1, Y + 1 < H ? Pos + W : -1};
            bool Outline = false;
            bool Edge = false;
            for (const int Q : Neighbours) {
                if (Q < 0 || Keys[Q] == EmptyKey)
                    Outline = true;
                else if (Groups[Q] != G)
                    Outline = Outline || Keys[Q] < K;
                else
                    Edge = Edge || Bases[Q] > B;
            }
            int ShadeNo;
            if (Outline) {
                ShadeNo = OutlineShade;
            } else if (Edge) {
                ShadeNo = EdgeShade;
            } else {
                const float Nx = static_cast<float>(Nxs[Pos]) / 100;
                const float Ny = static_cast<float>(Nys[Pos]) / 100;
                const float Nz2 = 1 - Nx * Nx - Ny * Ny;
                const float Nz = Nz2 > 0 ? std::sqrt(Nz2) : 0;
                // Lit from the top left and the front.
                const float S = 8.0f - 6.5f * (-0.5f * Nx - 0.5f * Ny + 0.71f * Nz) +
                                Dither[(Y + R.Y0) & 1][(X + R.X0) & 1];
                ShadeNo = S < 1 ? 1 : S >= 12 ? 12 : static_cast<int>(S);
            }
            Out[Pos] = static_cast<std::uint8_t>(B + ShadeNo);
        }
}

void TRaster::Paint(const TScene& Scene, const TRegion& R) {
    if (Scene.Prims.size() > FOutputs.size())
        throw std::logic_error("a demo picture holds at most 256 shapes");
    FWidth = R.X1 - R.X0;
    const int H = R.Y1 - R.Y0;
    const auto Count = static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(H);
    FKey.assign(Count, EmptyKey);
    FGroup.assign(Count, 0);
    FBase.assign(Count, 0);
    FNx.assign(Count, 0);
    FNy.assign(Count, 0);
    FOut.assign(Count, 0);
    FOutputs.fill(false);
    for (std::size_t I = 0; I < Scene.Prims.size(); ++I)
        FOutputs[I] = Scene.Prims[I].Output;

    // The picture's own shapes first; the others matter only where they may cover it or
    // border it.
    for (std::size_t I = 0; I < Scene.Prims.size(); ++I)
        if (Scene.Prims[I].Output)
            Fill(Scene.Prims[I], static_cast<int>(I), R, nullptr);
    // Grow what was painted by one pixel each way: rows first, then columns.
    FMask.assign(Count, 0);
    FSpread.assign(Count, 0);
    const std::int32_t* Keys = FKey.data();
    std::uint8_t* Rows = FSpread.data();
    std::uint8_t* Mask = FMask.data();
    const int W = FWidth;
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (Keys[Y * W + X] != EmptyKey) {
                Rows[Y * W + X] = 1;
                if (X > 0)
                    Rows[Y * W + X - 1] = 1;
                if (X + 1 < W)
                    Rows[Y * W + X + 1] = 1;
            }
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (Rows[Y * W + X]) {
                Mask[Y * W + X] = 1;
                if (Y > 0)
                    Mask[(Y - 1) * W + X] = 1;
                if (Y + 1 < H)
                    Mask[(Y + 1) * W + X] = 1;
            }
    for (std::size_t I = 0; I < Scene.Prims.size(); ++I)
        if (!Scene.Prims[I].Output)
            Fill(Scene.Prims[I], static_cast<int>(I), R, FMask.data());
    Shade(R);

    for (const TDecal& D : Scene.Decals) {
        if (D.X < R.X0 || D.X >= R.X1 || D.Y < R.Y0 || D.Y >= R.Y1)
            continue;
        const std::size_t Pos =
            static_cast<std::size_t>(D.Y - R.Y0) * static_cast<std::size_t>(FWidth) +
            static_cast<std::size_t>(D.X - R.X0);
        if (FOut[Pos] == 0 ||
            (static_cast<std::uint32_t>(FKey[Pos]) & 0xFF) != static_cast<std::uint32_t>(D.Host))
            continue;
        if (D.HostBase == 0 || FBase[Pos] == D.HostBase)
            FOut[Pos] = D.Index;
    }
}

TIndexedPicture TRaster::Render(const TScene& Scene) {
    float X0 = 1e9f, Y0 = 1e9f, X1 = -1e9f, Y1 = -1e9f;
    for (const TPrim& P : Scene.Prims) {
        if (!P.Output)
            continue;
        const TBounds B = Bounds(P);
        X0 = std::min(X0, B.X0);
        Y0 = std::min(Y0, B.Y0);
        X1 = std::max(X1, B.X1);
        Y1 = std::max(Y1, B.Y1);
    }
    const TIndexedPicture Nothing{0, 0, 1, 1, {0}};
    if (X0 > X1)
        return Nothing;
    // One pixel more on every side, so the outline sees the neighbours of every output pixel.
    const TRegion R{std::max(0, Floor(X0) - 1), std::max(0, Floor(Y0) - 1),
                    std::min(FSize, Floor(X1) + 2), std::min(FSize, Floor(Y1) + 2)};
    if (R.X0 >= R.X1 || R.Y0 >= R.Y1)
        return Nothing;
    Paint(Scene, R);

    const int W = R.X1 - R.X0;
    const int H = R.Y1 - R.Y0;
    const std::uint8_t* Out = FOut.data();
    int Left = W, Top = H, Right = -1, Bottom = -1;
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (Out[Y * W + X]) {
                Left = X < Left ? X : Left;
                Right = X > Right ? X : Right;
                Top = Y < Top ? Y : Top;
                Bottom = Y;
            }
    if (Right < 0)
        return Nothing;
    TIndexedPicture Picture;
    Picture.X = R.X0 + Left;
    Picture.Y = R.Y0 + Top;
    Picture.Width = Right - Left + 1;
    Picture.Height = Bottom - Top + 1;
    Picture.Pixels.resize(static_cast<std::size_t>(Picture.Width * Picture.Height));
    for (int Y = Top; Y <= Bottom; ++Y)
        std::memcpy(Picture.Pixels.data() + static_cast<std::size_t>((Y - Top) * Picture.Width),
                    Out + Y * W + Left, static_cast<std::size_t>(Picture.Width));
    return Picture;
}

std::vector<std::uint8_t> TRaster::RenderFull(const TScene& Scene) {
    Paint(Scene, {0, 0, FSize, FSize});
    return FOut;
}

} // namespace pelto::demo
