#pragma once

#include "platform/Bitmap.h"

#include <array>
#include <cstdint>
#include <vector>

namespace pelto {

/// One animation frame reduced to at most 256 colours of its own.
struct TReducedFrame {
    std::vector<std::array<std::uint8_t, 3>> Palette; // red, green, blue
    std::vector<std::uint8_t> Indices;                // Width * Height, top row first
    int Width = 0;
    int Height = 0;
};

/// Reduces a 24- or 32-bit bitmap (the fourth byte is ignored) to a palette built by
/// splitting its colour cells eight times at the weighted mean of the widest channel.
/// No dithering: every pixel takes the entry of its cell.
TReducedFrame ReduceFrameColors(const TBitmap& Bitmap24);

/// The palette entry closest to (R, G, B) by squared distance, the first one on ties;
/// 0 for an empty palette.
std::uint8_t NearestPaletteIndex(const TReducedFrame& Frame, std::uint8_t R, std::uint8_t G,
                                 std::uint8_t B);

} // namespace pelto
