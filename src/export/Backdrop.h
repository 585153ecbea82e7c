#pragma once

#include "platform/Bitmap.h"

#include <memory>

namespace pelto {

/// What a picture of several characters is drawn over: one colour, two from top to bottom,
/// or a picture covering it.
struct TBackdrop {
    TColor Top = 0xFFFFFF;
    TColor Bottom = 0xFFFFFF;
    std::shared_ptr<const TBitmap> Picture; // 32-bit; instead of the colours

    bool Plain() const { return !Picture && Top == Bottom; }
};

/// Backdrop, Width x Height, 32-bit and opaque: a gradient's rows step evenly from the top
/// colour in its first row to the bottom one in its last; a picture is scaled to cover it
/// whole, keeping its shape, and cut evenly at both ends of the side that reaches past.
TBitmap DrawBackdrop(const TBackdrop& Backdrop, int Width, int Height);

/// Puts Backdrop's pixels wherever Frame32, of its size, has nothing drawn.
void PutBehind(TBitmap& Frame32, const TBitmap& Backdrop);

/// The mean luma (Rec. 601, 0..255) of the box of Picture (32-bit) at X, Y, W x H.
int MeanLuma(const TBitmap& Picture, int X, int Y, int W, int H);

} // namespace pelto
