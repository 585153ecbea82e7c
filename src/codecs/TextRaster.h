#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

/// How much of each pixel a line of text covers, 0 to 255, row by row.
struct TTextMask {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Coverage;

    std::uint8_t At(int X, int Y) const {
        return Coverage[static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width) +
                        static_cast<std::size_t>(X)];
    }
};

/// One line of text drawn with one TrueType font at one size, by FreeType: hinted and
/// anti-aliased in 256 levels, the same coverage on every run. Characters the font lacks draw
/// as its missing glyph.
class TTextRasterizer {
public:
    /// The most characters a line holds; more are left out.
    static constexpr std::size_t MaxCharacters = 256;

    /// Raises EWloError, naming FontFile, when it cannot be opened as a font.
    TTextRasterizer(const std::string& FontFile, int PixelSize);
    ~TTextRasterizer();
    TTextRasterizer(const TTextRasterizer&) = delete;
    TTextRasterizer& operator=(const TTextRasterizer&) = delete;

    /// The pixels from the top of a line to its baseline, and below it.
    int Ascent() const;
    int Descent() const;

    /// Text (code points) on one line, as wide as its advance and Ascent() + Descent() high.
    TTextMask Draw(std::u32string_view Text) const;

private:
    struct TFreeType;
    std::unique_ptr<TFreeType> FFreeType;
};

} // namespace pelto
