#include "platform/Bitmap.h"

#include <algorithm>
#include <cstring>
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
    if (FWidth <= 0 || FHeight <= 0)
        return;
    const std::uint8_t Pixel[4] = {GetBValue(Color), GetGValue(Color), GetRValue(Color), 0};
    // Every canvas is filled before each drawing: one row pixel by pixel, the others copied.
    std::uint8_t* const First = ScanLine(0);
    const std::size_t RowBytes = static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(Bpp);
    if (Pixel[0] == Pixel[1] && Pixel[1] == Pixel[2] && (Bpp == 3 || Pixel[0] == 0))
        std::memset(First, Pixel[0], RowBytes);
    else
        for (std::size_t At = 0; At < RowBytes; At += static_cast<std::size_t>(Bpp))
            std::memcpy(First + At, Pixel, static_cast<std::size_t>(Bpp));
    for (int Y = 1; Y < FHeight; ++Y)
        std::memcpy(ScanLine(Y), First, RowBytes);
}

} // namespace pelto
