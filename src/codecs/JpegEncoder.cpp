#include "codecs/ImageEncoders.h"

#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Stream.h"

#include <cstdio> // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelto {
namespace {

constexpr std::size_t OutputBufferSize = 16384;

// Owns libjpeg's compress object. The library's fatal errors jump back into Encode, which
// holds no object with a destructor, and become an exception from there; an exception of the
// stream is parked and rethrown the same way.
class TJpegWriter {
public:
    explicit TJpegWriter(TStream& Stream) : FStream(Stream), FBuffer(OutputBufferSize) {
        FInfo.err = jpeg_std_error(&FError.Pub);
        FError.Pub.error_exit = OnErrorExit;
        FError.Pub.output_message = OnMessage;
        FInfo.client_data = this;
        FDest.init_destination = OnInitDestination;
        FDest.empty_output_buffer = OnEmptyBuffer;
        FDest.term_destination = OnTermDestination;
    }
    // Safe also when the object was never created: it is zeroed and destroy skips it then.
    ~TJpegWriter() { jpeg_destroy_compress(&FInfo); }
    TJpegWriter(const TJpegWriter&) = delete;
    TJpegWriter& operator=(const TJpegWriter&) = delete;

    void Write(const TBitmap& Bitmap, int Quality) {
        FRow.resize(static_cast<std::size_t>(Bitmap.Width()) * 3);
        if (Encode(Bitmap, Quality))
            return;
        if (FStreamError)
            std::rethrow_exception(FStreamError);
        throw EWriteError(std::string("Cannot encode the JPEG image. ") + FError.Message);
    }

private:
    struct TErrorManager {
        jpeg_error_mgr Pub;
        std::jmp_buf Jump;
        char Message[JMSG_LENGTH_MAX];
    };

    bool Encode(const TBitmap& Bitmap, int Quality) {
        if (setjmp(FError.Jump))
            return false;
        jpeg_create_compress(&FInfo);
        FInfo.client_data = this;
        FInfo.dest = &FDest;
        FInfo.image_width = static_cast<JDIMENSION>(Bitmap.Width());
        FInfo.image_height = static_cast<JDIMENSION>(Bitmap.Height());
        FInfo.input_components = 3;
        FInfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&FInfo);
        jpeg_set_quality(&FInfo, Quality, TRUE);
        jpeg_start_compress(&FInfo, TRUE);
        const int Bpp = Bitmap.BytesPerPixel();
        while (FInfo.next_scanline < FInfo.image_height) {
            const std::uint8_t* In = Bitmap.ScanLine(static_cast<int>(FInfo.next_scanline));
            JSAMPLE* Out = FRow.data();
            for (int X = 0; X < Bitmap.Width(); ++X, In += Bpp, Out += 3) {
                Out[0] = In[2];
                Out[1] = In[1];
                Out[2] = In[0];
            }
            JSAMPROW Row = FRow.data();
            jpeg_write_scanlines(&FInfo, &Row, 1);
        }
        jpeg_finish_compress(&FInfo);
        return true;
    }

    static TJpegWriter& Owner(j_common_ptr Info) {
        return *static_cast<TJpegWriter*>(Info->client_data);
    }
    static TJpegWriter& Owner(j_compress_ptr Info) {
        return *static_cast<TJpegWriter*>(Info->client_data);
    }

    static void OnErrorExit(j_common_ptr Info) {
        TJpegWriter& Self = Owner(Info);
        (*Info->err->format_message)(Info, Self.FError.Message);
        std::longjmp(Self.FError.Jump, 1);
    }
    static void OnMessage(j_common_ptr) {}

    static void OnInitDestination(j_compress_ptr Info) {
        TJpegWriter& Self = Owner(Info);
        Self.FDest.next_output_byte = Self.FBuffer.data();
        Self.FDest.free_in_buffer = Self.FBuffer.size();
    }
    static boolean OnEmptyBuffer(j_compress_ptr Info) {
        TJpegWriter& Self = Owner(Info);
        Self.Flush(Self.FBuffer.size()); // the whole buffer, whatever free_in_buffer says
        OnInitDestination(Info);
        return TRUE;
    }
    static void OnTermDestination(j_compress_ptr Info) {
        TJpegWriter& Self = Owner(Info);
        Self.Flush(Self.FBuffer.size() - Self.FDest.free_in_buffer);
    }

    void Flush(std::size_t Count) {
        bool Failed = false;
        try {
            FStream.WriteBuffer(FBuffer.data(), Count);
        } catch (...) {
            FStreamError = std::current_exception();
            Failed = true;
        }
        // Jump only once the handler is left, or the exception would never be released.
        if (Failed)
            std::longjmp(FError.Jump, 1);
    }

    TStream& FStream;
    jpeg_compress_struct FInfo{};
    TErrorManager FError{};
    jpeg_destination_mgr FDest{};
    std::vector<JOCTET> FBuffer;
    std::vector<JSAMPLE> FRow;
    std::exception_ptr FStreamError;
};

} // namespace

void SaveJpegToStream(const TBitmap& Bitmap24, TStream& Stream, int Quality) {
    if (Bitmap24.BytesPerPixel() < 3)
        throw std::invalid_argument("a JPEG is written from a 24- or 32-bit bitmap");
    TJpegWriter Writer(Stream);
    Writer.Write(Bitmap24, Quality);
}

} // namespace pelto
