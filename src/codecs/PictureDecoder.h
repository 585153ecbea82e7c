#pragma once

#include "platform/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace pelto {

/// The largest width or height DecodePicture takes, and the most bytes it reads: a picture the
/// user gives stays within what drawing a scene may take.
inline constexpr int MaxDecodedSide = 4096;
inline constexpr std::size_t MaxPictureFileBytes = std::size_t{32} << 20;

/// A PNG, JPEG or BMP file as a 32-bit bitmap whose pixels all have alpha 255 (a PNG's
/// transparency is put over black). Raises EWloError, saying why, for another format, a
/// damaged file, more than MaxPictureFileBytes or a side beyond MaxDecodedSide.
TBitmap DecodePicture(std::span<const std::uint8_t> Bytes);

} // namespace pelto
