#include "codecs/TextRaster.h"

#include "platform/Errors.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace pelto {
namespace {

struct TLibraryDone {
    void operator()(FT_Library Library) const { FT_Done_FreeType(Library); }
};
struct TFaceDone {
    void operator()(FT_Face Face) const { FT_Done_Face(Face); }
};

// 26.6 fixed point to whole pixels, rounded up so nothing drawn is cut.
int CeilPixels(FT_Pos Value) {
    return static_cast<int>((Value + 63) >> 6);
}

} // namespace

struct TTextRasterizer::TFreeType {
    std::unique_ptr<FT_LibraryRec_, TLibraryDone> Library;
    std::unique_ptr<FT_FaceRec_, TFaceDone> Face;
};

TTextRasterizer::TTextRasterizer(const std::string& FontFile, int PixelSize)
    : FFreeType(std::make_unique<TFreeType>()) {
    FT_Library Library = nullptr;
    if (FT_Init_FreeType(&Library) != 0)
        throw EWloError("Cannot start FreeType.");
    FFreeType->Library.reset(Library);
    FT_Face Face = nullptr;
    const auto Refuse = [&](const std::string& Message) {
        EWloError Error(Message);
        Error.SetFileName(FontFile);
        return Error;
    };
    if (FT_New_Face(Library, FontFile.c_str(), 0, &Face) != 0)
        throw Refuse("Cannot open the font.");
    FFreeType->Face.reset(Face);
    if (FT_Set_Pixel_Sizes(Face, 0, static_cast<FT_UInt>(PixelSize)) != 0)
        throw Refuse("The font has no size of " + std::to_string(PixelSize) + " pixels.");
}

TTextRasterizer::~TTextRasterizer() = default;

int TTextRasterizer::Ascent() const {
    return CeilPixels(FFreeType->Face->size->metrics.ascender);
}

int TTextRasterizer::Descent() const {
    return CeilPixels(-FFreeType->Face->size->metrics.descender);
}

TTextMask TTextRasterizer::Draw(std::u32string_view Text) const {
    FT_Face Face = FFreeType->Face.get();
    Text = Text.substr(0, MaxCharacters);
    // Outlines only: the font's embedded bitmaps exist for some sizes and not others.
    constexpr FT_Int32 Load = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;
    const auto LoadGlyph = [&](char32_t Point) {
        // Glyph 0, the missing glyph, stands for what the font lacks.
        return FT_Load_Glyph(Face, FT_Get_Char_Index(Face, Point), Load) == 0 ||
               FT_Load_Glyph(Face, 0, Load) == 0;
    };
    int Width = 0;
    for (const char32_t Point : Text)
        if (LoadGlyph(Point))
            Width += CeilPixels(Face->glyph->advance.x);
    TTextMask Mask{Width, Ascent() + Descent(), {}};
    Mask.Coverage.assign(static_cast<std::size_t>(Mask.Width) * Mask.Height, 0);
    int Pen = 0;
    for (const char32_t Point : Text) {
        if (!LoadGlyph(Point) || FT_Render_Glyph(Face->glyph, FT_RENDER_MODE_NORMAL) != 0)
            continue;
        const FT_Bitmap& Bitmap = Face->glyph->bitmap;
        const int Left = Pen + Face->glyph->bitmap_left;
        const int Top = Ascent() - Face->glyph->bitmap_top;
        for (int Row = 0; Row < static_cast<int>(Bitmap.rows); ++Row) {
            const int Y = Top + Row;
            if (Y < 0 || Y >= Mask.Height)
                continue;
            const unsigned char* Source =
                Bitmap.buffer + static_cast<std::ptrdiff_t>(Row) * Bitmap.pitch;
            for (int Column = 0; Column < static_cast<int>(Bitmap.width); ++Column) {
                const int X = Left + Column;
                if (X < 0 || X >= Mask.Width)
                    continue;
                std::uint8_t& Covered = Mask.Coverage[static_cast<std::size_t>(Y) * Mask.Width + X];
                Covered = std::max(Covered, static_cast<std::uint8_t>(Source[Column]));
            }
        }
        Pen += CeilPixels(Face->glyph->advance.x);
    }
    return Mask;
}

} // namespace pelto
