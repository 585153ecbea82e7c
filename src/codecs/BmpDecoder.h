#pragma once

#include "platform/Bitmap.h"

#include <cstdint>
#include <span>

namespace pelto {

/// The largest width or height DecodeBmp takes: far beyond any icon, small enough that no
/// header can ask for a huge allocation.
inline constexpr int MaxBmpSide = 4096;

/// A Windows bitmap file (BITMAPINFOHEADER or larger, or the old 12-byte core header) of 1, 4,
/// 8, 24 or 32 bits a pixel, uncompressed, bottom-up or top-down, as a 32-bit bitmap whose
/// pixels all have alpha 255. Anything else, and any count, offset or size that the bytes do
/// not hold, raises EWloError("Invalid bitmap.").
TBitmap DecodeBmp(std::span<const std::uint8_t> Bytes);

} // namespace pelto
