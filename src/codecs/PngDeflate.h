#pragma once

// How our PNGs and animated PNGs pack their pixels (all but the window's classic save): a row
// equal to the one above is filtered Up, which makes it all zeros, and any other row is left
// unfiltered. Enlarged pixel art repeats whole rows and long runs, which deflate finds better
// as they are than through the usual filters: the files come out about a fifth smaller than
// libpng's. The rows are deflated by libdeflate, whole, at one level for every picture.

#include "platform/Bitmap.h"

#include <cstdint>
#include <span>
#include <vector>

namespace pelto::png {

inline constexpr std::uint8_t FilterNone = 0;
inline constexpr std::uint8_t FilterUp = 2;

/// The filter byte for Row: Up (and Row zeroed) when it repeats Above, else None.
std::uint8_t FilterRow(std::span<std::uint8_t> Row, std::span<const std::uint8_t> Above);

/// Every row of Picture (3 or more bytes a pixel: blue, green, red[, alpha]) as Channels bytes
/// a pixel in the PNG's order, filtered, and deflated as one zlib stream: an IDAT's data.
/// Raises EWriteError if it cannot be compressed.
std::vector<std::uint8_t> DeflatedRows(const TBitmap& Picture, int Channels);

} // namespace pelto::png
