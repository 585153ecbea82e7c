#include "codecs/AnimationEncoders.h"

#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Stream.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <string>

namespace pelto {
namespace {

constexpr int FastestLosslessLevel = 0;
constexpr int LoopForever = 0;

[[noreturn]] void Fail(const std::string& Reason) {
    throw EWriteError("Cannot encode the WebP image. " + Reason);
}

struct TPictureFree {
    void operator()(WebPPicture* Picture) const { WebPPictureFree(Picture); }
};
struct TMemoryWriterClear {
    void operator()(WebPMemoryWriter* Writer) const { WebPMemoryWriterClear(Writer); }
};
struct TMuxDelete {
    void operator()(WebPMux* Mux) const { WebPMuxDelete(Mux); }
};
struct TDataClear {
    void operator()(WebPData* Data) const { WebPDataClear(Data); }
};

// One frame as a lossless still WebP, for the mux to wrap in an animation frame.
void EncodeFrame(const TBitmap& Frame, bool Alpha, WebPMemoryWriter& Writer) {
    WebPConfig Config;
    if (!WebPConfigInit(&Config) || !WebPConfigLosslessPreset(&Config, FastestLosslessLevel))
        Fail("The library refused its settings.");
    Config.exact = 1; // colours stay as drawn wherever alpha is 0 too
    WebPPicture Picture;
    if (!WebPPictureInit(&Picture))
        Fail("The library refused its settings.");
    const std::unique_ptr<WebPPicture, TPictureFree> Owner(&Picture);
    Picture.use_argb = 1;
    Picture.width = Frame.Width();
    Picture.height = Frame.Height();
    const int Stride = static_cast<int>(Frame.Stride());
    const int Imported = Alpha ? WebPPictureImportBGRA(&Picture, Frame.ScanLine(0), Stride)
                               : WebPPictureImportBGRX(&Picture, Frame.ScanLine(0), Stride);
    if (!Imported)
        throw std::bad_alloc();
    Picture.writer = WebPMemoryWrite;
    Picture.custom_ptr = &Writer;
    if (!WebPEncode(&Config, &Picture))
        Fail("Error code " + std::to_string(static_cast<int>(Picture.error_code)) + ".");
}

} // namespace

void SaveAnimatedWebpToStream(std::span<const TBitmap> Frames32, bool Alpha, int DelayMs,
                              TStream& Stream) {
    if (Frames32.empty())
        throw std::invalid_argument("an animated WebP needs at least one frame");
    const int Width = Frames32.front().Width();
    const int Height = Frames32.front().Height();
    for (const TBitmap& Frame : Frames32)
        if (Frame.PixelFormat() != TPixelFormat::pf32bit || Frame.Width() != Width ||
            Frame.Height() != Height || Width <= 0 || Height <= 0 || Width > WEBP_MAX_DIMENSION ||
            Height > WEBP_MAX_DIMENSION)
            throw std::invalid_argument("animated WebP frames are 32-bit and of one size");

    // The mux, not the animation encoder: the encoder merges a frame equal to the one before
    // into it, and every frame must stay.
    const std::unique_ptr<WebPMux, TMuxDelete> Mux(WebPMuxNew());
    if (!Mux)
        throw std::bad_alloc();
    for (const TBitmap& Frame : Frames32) {
        WebPMemoryWriter Writer;
        WebPMemoryWriterInit(&Writer);
        const std::unique_ptr<WebPMemoryWriter, TMemoryWriterClear> WriterOwner(&Writer);
        EncodeFrame(Frame, Alpha, Writer);
        WebPMuxFrameInfo Info{};
        Info.bitstream.bytes = Writer.mem;
        Info.bitstream.size = Writer.size;
        Info.duration = DelayMs;
        Info.id = WEBP_CHUNK_ANMF;
        Info.dispose_method = WEBP_MUX_DISPOSE_NONE;
        Info.blend_method = WEBP_MUX_NO_BLEND;
        if (WebPMuxPushFrame(Mux.get(), &Info, 1) != WEBP_MUX_OK)
            Fail("Cannot add a frame.");
    }
    const WebPMuxAnimParams Params{0, LoopForever};
    if (WebPMuxSetAnimationParams(Mux.get(), &Params) != WEBP_MUX_OK)
        Fail("Cannot set the animation.");
    WebPData Data;
    WebPDataInit(&Data);
    const std::unique_ptr<WebPData, TDataClear> DataOwner(&Data);
    if (WebPMuxAssemble(Mux.get(), &Data) != WEBP_MUX_OK)
        Fail("Cannot assemble the file.");
    Stream.WriteBuffer(Data.bytes, Data.size);
}

} // namespace pelto
