#pragma once

#include "export/PictureFormats.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pelto {

class TBitmap;
class TDrawChara;
class TDressingSession;
class TStream;

/// The colour a transparent GIF's frames are drawn on, which becomes its transparent entry.
inline constexpr std::uint32_t GifTransparentKey = 0xFF00FF;

/// ".bmp", ".jpg", ".png" or ".gif".
inline std::string_view ImageFileExtension(TImageFileType Type) {
    return ImageFormatOf(Type).Extension;
}
/// FileName with an extension that fits Type: one that already fits (".jpeg" too, for JPEG;
/// compared ignoring case) is kept as typed, any other is replaced.
inline std::string NormalizeImageFileName(std::string_view FileName, TImageFileType Type) {
    return NormalizeExportFileName(FileName, ImageFormatOf(Type));
}

/// Writes the character as Type: BMP, JPEG and PNG of the canvas as last drawn, the
/// transparent PNG of the current frame, or a GIF of every frame of the current action.
/// The file is replaced only once it is complete; failures name the file and the reason.
void SaveImageFile(const TDrawChara& Chara, const TBitmap& Canvas, TImageFileType Type,
                   const std::string& FileName);

/// Writes the character Session shows as the viewer's "Save Image As..." does.
void SaveImageFile(TDressingSession& Session, TImageFileType Type, const std::string& FileName);

/// The bytes SaveImageFile writes, into Stream.
void SaveImageToStream(const TDrawChara& Chara, const TBitmap& Canvas, TImageFileType Type,
                       TStream& Stream);

} // namespace pelto
