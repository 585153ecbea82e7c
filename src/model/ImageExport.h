#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelto {

class TBitmap;
class TDrawChara;
class TStream;

/// The kinds of image file the character can be saved as, numbered as the save dialog's
/// filter lists them.
enum class TImageFileType {
    Bitmap = 1,
    Jpeg = 2,
    Png = 3,
    TransparentPng = 4,
    Gif = 5,
    TransparentGif = 6,
};

/// What every front end needs to know of one kind of image file.
struct TImageFormat {
    TImageFileType Type;
    std::string_view Filter;         // the save dialog's entry, "Bitmap (*.bmp)"
    std::string_view Extension;      // given to a file name that has none that fits
    std::string_view OtherExtension; // also kept when typed, or empty
    std::string_view Name;           // in pelto-cli and the render service
    bool Animated;                   // every frame of the current action
    bool Transparent;
};

/// The colour a transparent GIF's frames are drawn on, which becomes its transparent entry.
inline constexpr std::uint32_t GifTransparentKey = 0xFF00FF;

/// In the order of the save dialog's filter.
inline constexpr std::array<TImageFormat, 6> ImageFormats{{
    {TImageFileType::Bitmap, "Bitmap (*.bmp)", ".bmp", "", "bmp", false, false},
    {TImageFileType::Jpeg, "JPEG (*.jpg)", ".jpg", ".jpeg", "jpg", false, false},
    {TImageFileType::Png, "PNG (*.png)", ".png", "", "png", false, false},
    {TImageFileType::TransparentPng, "Transparent PNG (*.png)", ".png", "", "tpng", false, true},
    {TImageFileType::Gif, "GIF (*.gif)", ".gif", "", "gif", true, false},
    {TImageFileType::TransparentGif, "Transparent GIF (*.gif)", ".gif", "", "tgif", true, true},
}};

const TImageFormat& ImageFormatOf(TImageFileType Type);
/// The format called Name (ignoring case) in pelto-cli, or nullptr.
const TImageFormat* FindImageFormat(std::string_view Name);

/// ".bmp", ".jpg", ".png" or ".gif".
inline std::string_view ImageFileExtension(TImageFileType Type) {
    return ImageFormatOf(Type).Extension;
}
/// FileName with an extension that fits Type: one that already fits (".jpeg" too, for JPEG;
/// compared ignoring case) is kept as typed, any other is replaced.
std::string NormalizeImageFileName(std::string_view FileName, TImageFileType Type);

/// Writes the character as Type: BMP, JPEG and PNG of the canvas as last drawn, the
/// transparent PNG of the current frame, or a GIF of every frame of the current action.
/// The file is replaced only once it is complete; failures name the file and the reason.
void SaveImageFile(const TDrawChara& Chara, const TBitmap& Canvas, TImageFileType Type,
                   const std::string& FileName);

/// The bytes SaveImageFile writes, into Stream.
void SaveImageToStream(const TDrawChara& Chara, const TBitmap& Canvas, TImageFileType Type,
                       TStream& Stream);

} // namespace pelto
