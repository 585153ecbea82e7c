#pragma once

#include "model/UDraw.h"
#include "platform/Bitmap.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pelto {

/// What of the canvas a picture keeps: all of it, the union box of the character's drawn
/// pixels (as --trim), or a square around the head sprite's drawn pixels.
enum class TExportCrop { Full, Body, Head };
/// The crops by name, in pelto-cli, the service and the settings file, in TExportCrop's order.
inline constexpr std::array<std::string_view, 3> ExportCropNames{"full", "body", "head"};
/// Trimming crops to the drawn pixels of the whole character, which a crop to the head
/// contradicts: the one rule of which crops a trim goes with.
constexpr bool CropTakesTrim(TExportCrop Crop) {
    return Crop != TExportCrop::Head;
}

/// Where a picture put on a canvas of its own goes: its feet on the middle of the bottom edge,
/// or its middle on the canvas's middle.
enum class TCanvasAnchor { Feet, Center };
inline constexpr std::array<std::string_view, 2> CanvasAnchorNames{"feet", "center"};

/// The largest side of a canvas asked for: a public service draws them.
inline constexpr int MaxExportCanvasSide = 2048;

struct TExportCanvas {
    int Width = 0;
    int Height = 0;
    TCanvasAnchor Anchor = TCanvasAnchor::Feet;
    friend bool operator==(const TExportCanvas&, const TExportCanvas&) = default;
};

/// A part of the compositor's canvas, in its pixels.
struct TBox {
    int X = 0;
    int Y = 0;
    int Width = CanvasSize;
    int Height = CanvasSize;
    friend bool operator==(const TBox&, const TBox&) = default;
};

/// The ground point under the character on the compositor's canvas: the middle pixel of its
/// shadow, the same for every character and frame.
inline constexpr int FeetX = 64;
inline constexpr int FeetY = 100;
/// Rows of the shadow below the feet point, kept on a canvas anchored at the feet.
inline constexpr int FeetDepth = 7;

/// How every frame of one picture is laid out: Source of the canvas, mirrored when Flip,
/// each pixel made Scale x Scale, its top left corner at (Left, Top) of a picture of Width x
/// Height (cut where it reaches past it).
struct TFramePlacement {
    TBox Source;
    int Scale = 1;
    bool Flip = false;
    int Width = CanvasSize;
    int Height = CanvasSize;
    int Left = 0;
    int Top = 0;

    /// The feet point's middle in the picture, in pixels from its top left corner.
    double PivotX() const;
    double PivotY() const;
};

/// The layout of Source at Scale, mirrored or not, alone or on Canvas.
TFramePlacement PlaceFrames(const TBox& Source, int Scale, bool Flip,
                            const std::optional<TExportCanvas>& Canvas);

/// The smallest box holding every pixel of Frames (32-bit, canvas-sized) whose alpha is not
/// 0; none when no pixel is.
std::optional<TBox> DrawnBox(std::span<const TBitmap> Frames);
/// The square of side max(width, height) centred on Drawn, moved inside the canvas.
TBox SquareAround(const TBox& Drawn);

/// Frame32 (canvas-sized, 32-bit) laid out by Placement into the cell of Target whose top left
/// corner is (CellX, CellY); the pixels of the cell the frame does not reach are left alone.
void PlaceFrame(const TBitmap& Frame32, const TFramePlacement& Placement, TBitmap& Target,
                int CellX = 0, int CellY = 0);
/// A picture of Placement's size filled with Fill (blue, green, red, alpha as stored), Frame32
/// laid out on it.
TBitmap PlacedFrame(const TBitmap& Frame32, const TFramePlacement& Placement,
                    std::uint32_t Fill = 0);

} // namespace pelto
