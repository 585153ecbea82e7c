#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pelto {

/// A colour as the program stores it: red in bits 0-7, green 8-15, blue 16-23.
using TColor = std::uint32_t;

constexpr TColor RGBColor(std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    return static_cast<TColor>(R) | (static_cast<TColor>(G) << 8) | (static_cast<TColor>(B) << 16);
}
/// The colour written 0xRRGGBB, as ParseRgbHex reads it.
constexpr TColor RgbHexColor(std::uint32_t Rgb) {
    return RGBColor(static_cast<std::uint8_t>(Rgb >> 16), static_cast<std::uint8_t>(Rgb >> 8),
                    static_cast<std::uint8_t>(Rgb));
}
constexpr std::uint8_t GetRValue(TColor C) {
    return static_cast<std::uint8_t>(C);
}
constexpr std::uint8_t GetGValue(TColor C) {
    return static_cast<std::uint8_t>(C >> 8);
}
constexpr std::uint8_t GetBValue(TColor C) {
    return static_cast<std::uint8_t>(C >> 16);
}

/// Only 24- and 32-bit bitmaps are drawn into; the others exist so drawing can refuse them.
enum class TPixelFormat { pf8bit, pf16bit, pf24bit, pf32bit };

/// A device-independent bitmap held top row first. Pixels are stored blue, green, red
/// (then alpha in 32-bit bitmaps); rows are padded to a multiple of 4 bytes.
class TBitmap {
public:
    TBitmap(int Width, int Height, TPixelFormat PixelFormat);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    int BytesPerPixel() const;
    std::size_t Stride() const { return FStride; }

    std::uint8_t* ScanLine(int Y) { return FBits.data() + static_cast<std::size_t>(Y) * FStride; }
    const std::uint8_t* ScanLine(int Y) const {
        return FBits.data() + static_cast<std::size_t>(Y) * FStride;
    }
    std::span<const std::uint8_t> Bits() const { return FBits; }

    /// Fills every pixel with Color; in a 32-bit bitmap the alpha byte becomes 0.
    void Fill(TColor Color);

private:
    int FWidth;
    int FHeight;
    TPixelFormat FPixelFormat;
    std::size_t FStride;
    std::vector<std::uint8_t> FBits;
};

} // namespace pelto
