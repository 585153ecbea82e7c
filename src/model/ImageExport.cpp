#include "model/ImageExport.h"

#include "model/UDraw.h"
#include "platform/ColorReduction.h"
#include "platform/ImageEncoders.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <vector>

namespace pelto {
namespace {

constexpr TColor GifTransparentKey = RGBColor(255, 0, 255);

} // namespace

std::string_view ImageFileExtension(TImageFileType Type) {
    switch (Type) {
    case TImageFileType::Bitmap:
        return ".bmp";
    case TImageFileType::Jpeg:
        return ".jpg";
    case TImageFileType::Png:
    case TImageFileType::TransparentPng:
        return ".png";
    case TImageFileType::Gif:
    case TImageFileType::TransparentGif:
        return ".gif";
    }
    return {};
}

std::string NormalizeImageFileName(std::string_view FileName, TImageFileType Type) {
    const std::string Ext = ExtractFileExt(FileName);
    if (SameText(Ext, ImageFileExtension(Type)) ||
        (Type == TImageFileType::Jpeg && SameText(Ext, ".jpeg")))
        return std::string(FileName);
    return ChangeFileExt(FileName, ImageFileExtension(Type));
}

void SaveAnimatedGif(const TDrawChara& Chara, bool Transparent, const std::string& FileName) {
    std::vector<TReducedFrame> Frames;
    TBitmap Work(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    const int Count = Chara.GetFrameCount();
    Frames.reserve(static_cast<std::size_t>(Count > 0 ? Count : 0));
    for (int Frame = 1; Frame <= Count; ++Frame) {
        Work.Fill(Transparent ? GifTransparentKey : Chara.BackColor());
        Chara.DrawFrame(Work, Frame);
        Frames.push_back(ReduceFrameColors(Work));
    }
    SaveAnimatedGifFile(Frames, Transparent, FileName);
}

void SaveImageFile(const TDrawChara& Chara, const TBitmap& Canvas, TImageFileType Type,
                   const std::string& FileName) {
    switch (Type) {
    case TImageFileType::Bitmap:
        SaveBmpFile(Canvas, FileName);
        break;
    case TImageFileType::Jpeg:
        SaveJpegFile(Canvas, FileName, 95);
        break;
    case TImageFileType::Png:
    case TImageFileType::TransparentPng:
        Chara.SaveToPNGFile(FileName, Type == TImageFileType::TransparentPng);
        break;
    case TImageFileType::Gif:
    case TImageFileType::TransparentGif:
        SaveAnimatedGif(Chara, Type == TImageFileType::TransparentGif, FileName);
        break;
    }
}

} // namespace pelto
