#include "export/ClassicSave.h"

#include "codecs/ColorReduction.h"
#include "export/FrameEncoding.h"
#include "model/DressingSession.h"
#include "model/UDraw.h"
#include "platform/AtomicFile.h"

#include <cstddef>
#include <vector>

namespace pelto {

namespace {

std::vector<TReducedFrame> AnimatedGifFrames(const TDrawChara& Chara, bool Transparent) {
    std::vector<TReducedFrame> Frames;
    TBitmap Work(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    const int Count = Chara.GetFrameCount();
    Frames.reserve(static_cast<std::size_t>(Count > 0 ? Count : 0));
    for (int Frame = 1; Frame <= Count; ++Frame) {
        Work.Fill(Transparent ? GifTransparentKey : Chara.BackColor());
        Chara.DrawFrame(Work, Frame);
        Frames.push_back(ReduceFrameColors(Work));
    }
    return Frames;
}

} // namespace

void SaveImageFile(const TDrawChara& Chara, const TBitmap& Canvas, TImageFileType Type,
                   const std::string& FileName) {
    WriteFileAtomically(FileName,
                        [&](TStream& Stream) { SaveImageToStream(Chara, Canvas, Type, Stream); });
}

void SaveImageToStream(const TDrawChara& Chara, const TBitmap& Canvas, TImageFileType Type,
                       TStream& Stream) {
    const TExportFormat& Format = ImageFormatOf(Type);
    switch (Type) {
    case TImageFileType::Bitmap:
    case TImageFileType::Jpeg:
        EncodePictures(Format, {&Canvas, 1}, std::nullopt, Stream);
        break;
    // The compositor's own PNG, whose bytes the classic save has always had.
    case TImageFileType::Png:
    case TImageFileType::TransparentPng:
        Chara.SaveToPNGStream(Stream, Type == TImageFileType::TransparentPng);
        break;
    case TImageFileType::Gif:
    case TImageFileType::TransparentGif: {
        const bool Transparent = Type == TImageFileType::TransparentGif;
        EncodeGif(Format, AnimatedGifFrames(Chara, Transparent), std::nullopt, Stream);
        break;
    }
    }
}

void SaveImageFile(TDressingSession& Session, TImageFileType Type, const std::string& FileName) {
    const TBitmap& Canvas = Session.Canvas();
    SaveImageFile(Session.Chara(), Canvas, Type, FileName);
}

} // namespace pelto
