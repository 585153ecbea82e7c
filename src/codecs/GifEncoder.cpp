#include "codecs/ImageEncoders.h"

#include "codecs/ColorReduction.h"
#include "platform/Errors.h"
#include "platform/Stream.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelto {
namespace {

// The export canvas; only a GIF without frames has no size of its own.
constexpr int DefaultScreenSize = 128;
constexpr int DisposeToBackground = DISPOSE_BACKGROUND;
constexpr int LoopForever = 0;

struct TColorMapDeleter {
    void operator()(ColorMapObject* Map) const { GifFreeMapObject(Map); }
};
using TColorMapPtr = std::unique_ptr<ColorMapObject, TColorMapDeleter>;

// Owns giflib's file object, closed on every path. giflib reports failures by return code;
// an exception of the stream is parked by the output function and rethrown here.
class TGifWriter {
public:
    explicit TGifWriter(TStream& Stream) : FStream(Stream) {
        int Error = 0;
        FGif = EGifOpen(this, OnWrite, &Error);
        if (!FGif)
            throw EWriteError(std::string("Cannot encode the GIF image. ") + GifErrorString(Error));
        EGifSetGifVersion(FGif, true);
    }
    ~TGifWriter() {
        if (FGif)
            EGifCloseFile(FGif, nullptr);
    }
    TGifWriter(const TGifWriter&) = delete;
    TGifWriter& operator=(const TGifWriter&) = delete;

    void PutScreen(int Width, int Height) {
        Check(EGifPutScreenDesc(FGif, Width, Height, 8, 0, nullptr));
    }

    void PutLoopExtension() {
        static const GifByteType Netscape[] = {'N', 'E', 'T', 'S', 'C', 'A',
                                               'P', 'E', '2', '.', '0'};
        const GifByteType Loop[] = {1, LoopForever & 0xFF, LoopForever >> 8};
        Check(EGifPutExtensionLeader(FGif, APPLICATION_EXT_FUNC_CODE));
        Check(EGifPutExtensionBlock(FGif, sizeof Netscape, Netscape));
        Check(EGifPutExtensionBlock(FGif, sizeof Loop, Loop));
        Check(EGifPutExtensionTrailer(FGif));
    }

    void PutControlExtension(int TransparentIndex, int DelayCs) {
        GraphicsControlBlock Control{};
        Control.DisposalMode = DisposeToBackground;
        Control.UserInputFlag = false;
        Control.DelayTime = DelayCs;
        Control.TransparentColor = TransparentIndex;
        GifByteType Bytes[4];
        const auto Length = static_cast<int>(EGifGCBToExtension(&Control, Bytes));
        Check(EGifPutExtension(FGif, GRAPHICS_EXT_FUNC_CODE, Length, Bytes));
    }

    void PutImage(const TReducedFrame& Frame) {
        // A colour table holds a power of two entries, at least two; the filler is black.
        const int TableSize =
            1 << GifBitSize(std::max<int>(2, static_cast<int>(Frame.Palette.size())));
        std::vector<GifColorType> Colors(static_cast<std::size_t>(TableSize), GifColorType{});
        for (std::size_t I = 0; I < Frame.Palette.size(); ++I)
            Colors[I] = {Frame.Palette[I][0], Frame.Palette[I][1], Frame.Palette[I][2]};
        const TColorMapPtr Map(GifMakeMapObject(TableSize, Colors.data()));
        if (!Map)
            throw std::bad_alloc();
        Check(EGifPutImageDesc(FGif, 0, 0, Frame.Width, Frame.Height, false, Map.get()));
        // giflib masks the line in place, so it gets a copy.
        std::vector<GifPixelType> Line(static_cast<std::size_t>(Frame.Width));
        for (int Y = 0; Y < Frame.Height; ++Y) {
            const auto Row = Frame.Indices.begin() + static_cast<std::ptrdiff_t>(Y) * Frame.Width;
            std::copy(Row, Row + Frame.Width, Line.begin());
            Check(EGifPutLine(FGif, Line.data(), Frame.Width));
        }
    }

    // Writes the trailer and releases the file object.
    void Close() {
        int Error = 0;
        const int Result = EGifCloseFile(FGif, &Error);
        FGif = nullptr;
        if (FStreamError)
            std::rethrow_exception(FStreamError);
        if (Result == GIF_ERROR)
            throw EWriteError(std::string("Cannot encode the GIF image. ") + GifErrorString(Error));
    }

private:
    void Check(int Result) {
        if (FStreamError)
            std::rethrow_exception(FStreamError);
        if (Result == GIF_ERROR)
            throw EWriteError(std::string("Cannot encode the GIF image. ") +
                              GifErrorString(FGif->Error));
    }

    static int OnWrite(GifFileType* Gif, const GifByteType* Data, int Length) {
        auto& Self = *static_cast<TGifWriter*>(Gif->UserData);
        if (Self.FStreamError || Length < 0)
            return 0; // nothing more once the stream has failed
        try {
            Self.FStream.WriteBuffer(Data, static_cast<std::size_t>(Length));
            return Length;
        } catch (...) {
            Self.FStreamError = std::current_exception();
            return 0;
        }
    }

    TStream& FStream;
    GifFileType* FGif = nullptr;
    std::exception_ptr FStreamError;
};

void CheckFrame(const TReducedFrame& Frame) {
    const bool SizeOk = Frame.Width > 0 && Frame.Height > 0 && Frame.Width <= 0xFFFF &&
                        Frame.Height <= 0xFFFF &&
                        Frame.Indices.size() == static_cast<std::size_t>(Frame.Width) *
                                                    static_cast<std::size_t>(Frame.Height);
    if (!SizeOk || Frame.Palette.empty() || Frame.Palette.size() > 256)
        throw std::invalid_argument("GIF frame with an inconsistent size or palette");
    const std::uint8_t Highest = *std::max_element(Frame.Indices.begin(), Frame.Indices.end());
    if (Highest >= Frame.Palette.size())
        throw std::invalid_argument("GIF frame with a pixel outside its palette");
}

} // namespace

void SaveAnimatedGifToStream(std::span<const TReducedFrame> Frames, bool Transparent,
                             TStream& Stream, int DelayCs) {
    if (DelayCs < 0 || DelayCs > 0xFFFF)
        throw std::invalid_argument("GIF delay out of range");
    int ScreenWidth = Frames.empty() ? DefaultScreenSize : 0;
    int ScreenHeight = Frames.empty() ? DefaultScreenSize : 0;
    for (const TReducedFrame& Frame : Frames) {
        CheckFrame(Frame);
        ScreenWidth = std::max(ScreenWidth, Frame.Width);
        ScreenHeight = std::max(ScreenHeight, Frame.Height);
    }
    TGifWriter Writer(Stream);
    Writer.PutScreen(ScreenWidth, ScreenHeight);
    bool First = true;
    for (const TReducedFrame& Frame : Frames) {
        if (First)
            Writer.PutLoopExtension();
        First = false;
        Writer.PutControlExtension(
            Transparent ? NearestPaletteIndex(Frame, 255, 0, 255) : NO_TRANSPARENT_COLOR, DelayCs);
        Writer.PutImage(Frame);
    }
    Writer.Close();
}

} // namespace pelto
