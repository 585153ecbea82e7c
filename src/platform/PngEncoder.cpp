#include "platform/ImageEncoders.h"

#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Stream.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelto {
namespace {

// Owns libpng's write structures. libpng reports errors by longjmp, so the jump target lives
// in Encode, which holds no object with a destructor; the reason is kept here and becomes an
// exception once control is back in C++. An exception of the stream is parked the same way.
class TPngWriter {
public:
    explicit TPngWriter(TStream& Stream) : FStream(Stream) {
        FPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
        if (FPng)
            FInfo = png_create_info_struct(FPng);
        if (!FPng || !FInfo) {
            png_destroy_write_struct(&FPng, &FInfo);
            throw std::bad_alloc();
        }
    }
    ~TPngWriter() { png_destroy_write_struct(&FPng, &FInfo); }
    TPngWriter(const TPngWriter&) = delete;
    TPngWriter& operator=(const TPngWriter&) = delete;

    void Write(int Width, int Height, int ColorType, std::vector<png_bytep>& Rows) {
        if (Encode(Width, Height, ColorType, Rows.data()))
            return;
        if (FStreamError)
            std::rethrow_exception(FStreamError);
        throw EWriteError(std::string("Cannot encode the PNG image. ") + FMessage);
    }

private:
    bool Encode(int Width, int Height, int ColorType, png_bytepp Rows) {
        if (setjmp(png_jmpbuf(FPng)))
            return false;
        png_set_write_fn(FPng, this, OnWrite, OnFlush);
        png_set_IHDR(FPng, FInfo, static_cast<png_uint_32>(Width), static_cast<png_uint_32>(Height),
                     8, ColorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(FPng, FInfo);
        png_write_image(FPng, Rows);
        png_write_end(FPng, FInfo);
        return true;
    }

    static TPngWriter& Owner(png_structp Png) {
        return *static_cast<TPngWriter*>(png_get_error_ptr(Png));
    }

    static void OnError(png_structp Png, png_const_charp Message) {
        TPngWriter& Self = Owner(Png);
        std::strncpy(Self.FMessage, Message ? Message : "", sizeof Self.FMessage - 1);
        png_longjmp(Png, 1);
    }
    static void OnWarning(png_structp, png_const_charp) {}

    static void OnWrite(png_structp Png, png_bytep Data, png_size_t Length) {
        TPngWriter& Self = Owner(Png);
        bool Failed = false;
        try {
            Self.FStream.WriteBuffer(Data, Length);
        } catch (...) {
            Self.FStreamError = std::current_exception();
            Failed = true;
        }
        // Jump only once the handler is left, or the exception would never be released.
        if (Failed)
            png_error(Png, "stream write failed");
    }
    static void OnFlush(png_structp) {}

    TStream& FStream;
    png_structp FPng = nullptr;
    png_infop FInfo = nullptr;
    char FMessage[256] = {};
    std::exception_ptr FStreamError;
};

// Packs the bitmap's rows as R, G, B[, A] bytes, the layout libpng expects.
void SavePng(const TBitmap& Bitmap, int Channels, int ColorType, TStream& Stream) {
    const int Bpp = Bitmap.BytesPerPixel();
    const int Width = Bitmap.Width();
    const int Height = Bitmap.Height();
    const std::size_t RowBytes = static_cast<std::size_t>(Width) * Channels;
    std::vector<std::uint8_t> Pixels(RowBytes * static_cast<std::size_t>(Height));
    std::vector<png_bytep> Rows(static_cast<std::size_t>(Height));
    for (int Y = 0; Y < Height; ++Y) {
        const std::uint8_t* In = Bitmap.ScanLine(Y);
        std::uint8_t* Out = Pixels.data() + static_cast<std::size_t>(Y) * RowBytes;
        Rows[static_cast<std::size_t>(Y)] = Out;
        for (int X = 0; X < Width; ++X, In += Bpp, Out += Channels) {
            Out[0] = In[2];
            Out[1] = In[1];
            Out[2] = In[0];
            if (Channels == 4)
                Out[3] = In[3];
        }
    }
    TPngWriter Writer(Stream);
    Writer.Write(Width, Height, ColorType, Rows);
}

} // namespace

void SavePngRgbToStream(const TBitmap& Bitmap24, TStream& Stream) {
    if (Bitmap24.BytesPerPixel() < 3)
        throw std::invalid_argument("an RGB PNG is written from a 24- or 32-bit bitmap");
    SavePng(Bitmap24, 3, PNG_COLOR_TYPE_RGB, Stream);
}

void SavePngRgbaToStream(const TBitmap& Bitmap32, TStream& Stream) {
    if (Bitmap32.PixelFormat() != TPixelFormat::pf32bit)
        throw std::invalid_argument("an RGBA PNG is written from a 32-bit bitmap");
    SavePng(Bitmap32, 4, PNG_COLOR_TYPE_RGB_ALPHA, Stream);
}

} // namespace pelto
