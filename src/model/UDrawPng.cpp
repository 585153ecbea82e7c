// PNG output of the compositor.
#include "model/UDraw.h"

#include "codecs/ImageEncoders.h"

#include <string>

namespace pelto {

void TDrawChara::SaveToPNGStream(TStream& Stream, bool Transparent, TPngPacking Packing) const {
    const bool Classic = Packing == TPngPacking::Classic;
    if (!Transparent) {
        (Classic ? SaveClassicPngRgbToStream : SavePngRgbToStream)(FBitmap, Stream);
        return;
    }
    // All four bytes zero: where no sprite pixel lands, the picture stays fully transparent.
    TBitmap Frame(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
    Frame.Fill(0);
    DrawFrame(Frame, FFrame);
    (Classic ? SaveClassicPngRgbaToStream : SavePngRgbaToStream)(Frame, Stream);
}

} // namespace pelto
