#include "export/ClassicSave.h"

#include "codecs/ColorReduction.h"
#include "codecs/ImageEncoders.h"
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
    switch (Type) {
    case TImageFileType::Bitmap:
        SaveBmpToStream(Canvas, Stream);
        break;
    case TImageFileType::Jpeg:
        SaveJpegToStream(Canvas, Stream, 95);
        break;
    case TImageFileType::Png:
    case TImageFileType::TransparentPng:
        Chara.SaveToPNGStream(Stream, Type == TImageFileType::TransparentPng);
        break;
    case TImageFileType::Gif:
    case TImageFileType::TransparentGif: {
        const bool Transparent = Type == TImageFileType::TransparentGif;
        SaveAnimatedGifToStream(AnimatedGifFrames(Chara, Transparent), Transparent, Stream);
        break;
    }
    }
}

void SaveImageFile(TDressingSession& Session, TImageFileType Type, const std::string& FileName) {
    const TBitmap& Canvas = Session.Canvas();
    SaveImageFile(Session.Chara(), Canvas, Type, FileName);
}

} // namespace pelto
