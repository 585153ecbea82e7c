#include "platform/Bitmap.h"

#include <algorithm>
#include <stdexcept>

namespace pelto {

TBitmap::TBitmap(int Width, int Height, TPixelFormat PixelFormat)
    : FWidth(Width), FHeight(Height), FPixelFormat(PixelFormat) {
    if (Width < 0 || Height < 0 || Width > 32768 || Height > 32768)
        throw std::invalid_argument("bitmap size out of range");
    FStride = (static_cast<std::size_t>(Width) * static_cast<std::size_t>(BytesPerPixel()) + 3) &
              ~std::size_t{3};
    FBits.assign(FStride * static_cast<std::size_t>(Height), 0);
}

int TBitmap::BytesPerPixel() const {
    switch (FPixelFormat) {
    case TPixelFormat::pf8bit:
        return 1;
    case TPixelFormat::pf16bit:
        return 2;
    case TPixelFormat::pf24bit:
        return 3;
    case TPixelFormat::pf32bit:
        return 4;
    }
    return 0;
}

void TBitmap::Fill(TColor Color) {
    const int Bpp = BytesPerPixel();
    if (Bpp < 3) {
        std::fill(FBits.begin(), FBits.end(), std::uint8_t{0});
        return;
    }
    const std::uint8_t Pixel[4] = {GetBValue(Color), GetGValue(Color), GetRValue(Color), 0};
    for (int Y = 0; Y < FHeight; ++Y) {
        std::uint8_t* Row = ScanLine(Y);
        for (int X = 0; X < FWidth; ++X)
            std::copy_n(Pixel, Bpp, Row + static_cast<std::size_t>(X) * Bpp);
    }
}

} // namespace pelto
