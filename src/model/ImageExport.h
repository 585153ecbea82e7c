#pragma once

#include <string>
#include <string_view>

namespace pelto {

class TBitmap;
class TDrawChara;

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

/// The save dialog's filter: "Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|...".
inline constexpr std::string_view ImageFileFilter =
    "Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|PNG (*.png)|*.png|Transparent PNG (*.png)|*.png|"
    "GIF (*.gif)|*.gif|Transparent GIF (*.gif)|*.gif";

/// ".bmp", ".jpg", ".png" or ".gif".
std::string_view ImageFileExtension(TImageFileType Type);
/// FileName with an extension that fits Type: one that already fits (".jpeg" too, for JPEG;
/// compared ignoring case) is kept as typed, any other is replaced.
std::string NormalizeImageFileName(std::string_view FileName, TImageFileType Type);

/// Writes the character as Type: BMP, JPEG and PNG of the canvas as last drawn, the
/// transparent PNG of the current frame, or a GIF of every frame of the current action.
/// The file is replaced only once it is complete; failures name the file and the reason.
void SaveImageFile(const TDrawChara& Chara, const TBitmap& Canvas, TImageFileType Type,
                   const std::string& FileName);

/// Every frame of the current action, on the background colour or on transparency.
void SaveAnimatedGif(const TDrawChara& Chara, bool Transparent, const std::string& FileName);

} // namespace pelto
