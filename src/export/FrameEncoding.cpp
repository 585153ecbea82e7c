#include "export/FrameEncoding.h"

#include "codecs/AnimationEncoders.h"
#include "codecs/ImageEncoders.h"
#include "export/PictureExport.h"

#include <cassert>
#include <stdexcept>

namespace pelto {

static_assert(ClassicGifExportDelay == 10 * DefaultGifDelay);

void EncodePictures(const TExportFormat& Format, std::span<const TBitmap> Pictures,
                    std::optional<int> DelayMs, TStream& Stream) {
    assert(!Pictures.empty());
    const int Delay = DelayMs.value_or(DefaultExportDelay);
    switch (Format.Kind) {
    case TExportKind::Bitmap:
        SaveBmpToStream(Pictures.front(), Stream);
        return;
    case TExportKind::Jpeg:
        SaveJpegToStream(Pictures.front(), Stream, 95);
        return;
    case TExportKind::Png:
        if (Format.Transparent)
            SavePngRgbaToStream(Pictures.front(), Stream);
        else
            SavePngRgbToStream(Pictures.front(), Stream);
        return;
    case TExportKind::Apng:
        SaveApngToStream(Pictures, Format.Transparent, Delay, Stream);
        return;
    case TExportKind::Webp:
        SaveAnimatedWebpToStream(Pictures, Format.Transparent, Delay, Stream);
        return;
    default:
        throw std::invalid_argument("no encoder of single pictures for this format");
    }
}

void EncodeGif(const TExportFormat& Format, std::span<const TReducedFrame> Frames,
               std::optional<int> DelayMs, TStream& Stream) {
    assert(Format.Kind == TExportKind::Gif);
    const int DelayCs = DelayMs ? (*DelayMs + 5) / 10 : DefaultGifDelay;
    SaveAnimatedGifToStream(Frames, Format.Transparent, Stream, DelayCs);
}

} // namespace pelto
