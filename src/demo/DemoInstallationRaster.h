#pragma once

// A tiny painter for 8-bit paletted pixel art: shapes with a depth, drawn nearest last, then
// outlined and shaded from the top left within their palette ranges.

#include <array>
#include <cstdint>
#include <vector>

namespace pelto::demo {

struct TPt {
    float X = 0;
    float Y = 0;
};

enum class TShape : std::uint8_t {
    Capsule, // segment A-B, radius RA at A to RB at B
    Ellipse, // centre A, radii RA (x) and RB (y)
    Ring,    // as Ellipse, Extra thick
    Box,     // rows from A.Y down to B.Y, centre and half width running from A/RA to B/RB,
             // corners rounded by Extra
    Polygon, // convex, Points[0..PointCount)
    Custom,  // the ellipse A/RA/RB, each pixel's range chosen by Rule
};

/// The range (or fixed index) of one pixel of a Custom shape, 0 to leave it out.
using TPixelRule = std::uint8_t (*)(const void* Context, float X, float Y);

struct TPrim {
    TShape Shape = TShape::Ellipse;
    /// Part of the picture being made; other shapes only hide it or border it.
    bool Output = true;
    /// First entry of the palette range, or a fixed index below 16 drawn unshaded.
    std::uint8_t Base = 0;
    /// Shapes with the same non-zero value join without an outline between them.
    std::uint8_t Merge = 0;
    float Depth = 0; // larger is nearer the viewer
    TPt A, B;
    float RA = 0, RB = 0, Extra = 0;
    float ClipTop = -1e9f, ClipBottom = 1e9f; // rows (pixel centres) kept
    std::array<TPt, 8> Points{};
    int PointCount = 0;
    TPixelRule Rule = nullptr;
    const void* Context = nullptr;
};

/// A pixel painted after shading, over pixels of the shape Host (and of range HostBase, when
/// not 0).
struct TDecal {
    int X = 0;
    int Y = 0;
    std::uint8_t Index = 0;
    int Host = 0;
    std::uint8_t HostBase = 0;
};

struct TScene {
    std::vector<TPrim> Prims;
    std::vector<TDecal> Decals;

    int Add(const TPrim& Prim) {
        Prims.push_back(Prim);
        return static_cast<int>(Prims.size()) - 1;
    }
    void Decal(int X, int Y, std::uint8_t Index, int Host, std::uint8_t HostBase = 0) {
        Decals.push_back({X, Y, Index, Host, HostBase});
    }
};

/// The drawn part of a picture: Width x Height indices placed at (X, Y) of the canvas.
struct TIndexedPicture {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;

    friend bool operator==(const TIndexedPicture&, const TIndexedPicture&) = default;
};

class TRaster {
public:
    /// A square canvas of Size pixels.
    explicit TRaster(int Size) : FSize(Size) {}

    /// Paints the output shapes of Scene (at most 256 shapes) and crops to what was painted;
    /// nothing painted gives a single transparent pixel.
    TIndexedPicture Render(const TScene& Scene);
    /// The whole canvas, uncropped, row by row.
    std::vector<std::uint8_t> RenderFull(const TScene& Scene);

private:
    struct TRegion {
        int X0, Y0, X1, Y1; // inclusive-exclusive
    };
    void Paint(const TScene& Scene, const TRegion& Region);
    /// Mask, when given, limits the shape to the pixels it marks.
    void Fill(const TPrim& Prim, int Index, const TRegion& Region, const std::uint8_t* Mask);
    void Shade(const TRegion& Region);

    int FSize;
    int FWidth = 0;
    std::vector<std::int32_t> FKey;    // depth and shape index of the nearest shape
    std::vector<std::uint16_t> FGroup; // its merge group
    std::vector<std::uint8_t> FBase;   // its range at that pixel
    std::vector<std::int8_t> FNx;      // where its surface faces there, times 100
    std::vector<std::int8_t> FNy;
    std::vector<std::uint8_t> FMask; // where shapes that are not output still matter
    std::vector<std::uint8_t> FSpread;
    std::vector<std::uint8_t> FOut;
    std::array<bool, 256> FOutputs{};
};

} // namespace pelto::demo
