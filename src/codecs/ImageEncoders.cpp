#include "codecs/ImageEncoders.h"

#include "platform/AtomicFile.h"

namespace pelto {

void SaveBmpFile(const TBitmap& Bitmap24, const std::string& FileName) {
    WriteFileAtomically(FileName, [&](TStream& Stream) { SaveBmpToStream(Bitmap24, Stream); });
}

void SaveJpegFile(const TBitmap& Bitmap24, const std::string& FileName, int Quality) {
    WriteFileAtomically(FileName,
                        [&](TStream& Stream) { SaveJpegToStream(Bitmap24, Stream, Quality); });
}

void SavePngRgbFile(const TBitmap& Bitmap24, const std::string& FileName) {
    WriteFileAtomically(FileName, [&](TStream& Stream) { SavePngRgbToStream(Bitmap24, Stream); });
}

void SavePngRgbaFile(const TBitmap& Bitmap32, const std::string& FileName) {
    WriteFileAtomically(FileName, [&](TStream& Stream) { SavePngRgbaToStream(Bitmap32, Stream); });
}

void SaveAnimatedGifFile(std::span<const TReducedFrame> Frames, bool Transparent,
                         const std::string& FileName, int DelayCs) {
    WriteFileAtomically(FileName, [&](TStream& Stream) {
        SaveAnimatedGifToStream(Frames, Transparent, Stream, DelayCs);
    });
}

} // namespace pelto
