// PNG output of the compositor.
#include "model/UDraw.h"

#include "codecs/ImageEncoders.h"

#include <string>

namespace pelto {

void TDrawChara::SaveToPNGStream(TStream& Stream, bool Transparent) const {
    if (!Transparent) {
        SaveClassicPngRgbToStream(FBitmap, Stream);
        return;
    }
    // All four bytes zero: where no sprite pixel lands, the picture stays fully transparent.
    TBitmap Frame(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
    Frame.Fill(0);
    DrawFrame(Frame, FFrame);
    SaveClassicPngRgbaToStream(Frame, Stream);
}

} // namespace pelto
