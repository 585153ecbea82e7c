#include "codecs/PictureDecoder.h"

#include "codecs/BmpDecoder.h"
#include "codecs/PictureText.h"
#include "platform/Errors.h"
#include "platform/Format.h"

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace pelto {
namespace {

void CheckSides(unsigned long Width, unsigned long Height) {
    if (Width == 0 || Height == 0 || Width > MaxDecodedSide || Height > MaxDecodedSide)
        throw EWloError(Format("The picture is %lux%lu pixels; at most %dx%d are taken.", Width,
                               Height, MaxDecodedSide, MaxDecodedSide));
}

// libpng's simplified reader needs no setjmp of ours.
TBitmap DecodePng(std::span<const std::uint8_t> Bytes) {
    png_image Image{};
    Image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&Image, Bytes.data(), Bytes.size()))
        throw EWloError(std::string("Cannot read the PNG picture: ") + Image.message);
    struct TFree {
        png_image* Image;
        ~TFree() { png_image_free(Image); }
    } Free{&Image};
    CheckSides(Image.width, Image.height);
    Image.format = PNG_FORMAT_BGRA;
    TBitmap Bitmap(static_cast<int>(Image.width), static_cast<int>(Image.height),
                   TPixelFormat::pf32bit);
    // Composed over black: the backdrop is opaque.
    const png_color Black{0, 0, 0};
    if (!png_image_finish_read(&Image, &Black, Bitmap.ScanLine(0), 0, nullptr))
        throw EWloError(std::string("Cannot read the PNG picture: ") + Image.message);
    for (int Y = 0; Y < Bitmap.Height(); ++Y) {
        std::uint8_t* P = Bitmap.ScanLine(Y);
        for (int X = 0; X < Bitmap.Width(); ++X, P += 4) {
            for (int C = 0; C < 3; ++C)
                P[C] = static_cast<std::uint8_t>(P[C] * P[3] / 255);
            P[3] = 255;
        }
    }
    return Bitmap;
}

// Owns libjpeg's decompress object. Its fatal errors jump back into Decode, which holds no
// object with a destructor, and become an exception from there.
class TJpegReader {
public:
    TJpegReader() {
        FInfo.err = jpeg_std_error(&FError.Pub);
        FError.Pub.error_exit = OnErrorExit;
        FError.Pub.output_message = [](j_common_ptr) {
        };
    }
    ~TJpegReader() { jpeg_destroy_decompress(&FInfo); }
    TJpegReader(const TJpegReader&) = delete;
    TJpegReader& operator=(const TJpegReader&) = delete;

    TBitmap Read(std::span<const std::uint8_t> Bytes) {
        if (!Decode(Bytes))
            throw EWloError(std::string("Cannot read the JPEG picture: ") + FError.Message);
        if (!FBitmap)
            CheckSides(FInfo.image_width, FInfo.image_height);
        return std::move(*FBitmap);
    }

private:
    struct TErrorManager {
        jpeg_error_mgr Pub;
        std::jmp_buf Jump;
        char Message[JMSG_LENGTH_MAX];
    };

    bool Decode(std::span<const std::uint8_t> Bytes) {
        if (setjmp(FError.Jump))
            return false;
        jpeg_create_decompress(&FInfo);
        jpeg_mem_src(&FInfo, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
        jpeg_read_header(&FInfo, TRUE);
        if (FInfo.image_width == 0 || FInfo.image_height == 0 ||
            FInfo.image_width > MaxDecodedSide || FInfo.image_height > MaxDecodedSide)
            return true;
        FInfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&FInfo);
        FRow.resize(static_cast<std::size_t>(FInfo.output_width) * 3);
        FBitmap.emplace(static_cast<int>(FInfo.output_width), static_cast<int>(FInfo.output_height),
                        TPixelFormat::pf32bit);
        while (FInfo.output_scanline < FInfo.output_height) {
            std::uint8_t* Out = FBitmap->ScanLine(static_cast<int>(FInfo.output_scanline));
            JSAMPROW Row = FRow.data();
            jpeg_read_scanlines(&FInfo, &Row, 1);
            for (std::size_t X = 0; X < FInfo.output_width; ++X, Out += 4) {
                Out[0] = FRow[X * 3 + 2];
                Out[1] = FRow[X * 3 + 1];
                Out[2] = FRow[X * 3];
                Out[3] = 255;
            }
        }
        jpeg_finish_decompress(&FInfo);
        return true;
    }

    static void OnErrorExit(j_common_ptr Info) {
        auto& Error = *reinterpret_cast<TErrorManager*>(Info->err);
        (*Info->err->format_message)(Info, Error.Message);
        std::longjmp(Error.Jump, 1);
    }

    jpeg_decompress_struct FInfo{};
    TErrorManager FError{};
    std::vector<JSAMPLE> FRow;
    std::optional<TBitmap> FBitmap;
};

} // namespace

TBitmap DecodePicture(std::span<const std::uint8_t> Bytes) {
    if (Bytes.size() > MaxPictureFileBytes)
        throw EWloError(
            Format("The picture file is larger than %zu MB.", MaxPictureFileBytes >> 20));
    switch (SniffPictureFormat(Bytes)) {
    case TPictureFormat::Png:
        return DecodePng(Bytes);
    case TPictureFormat::Jpeg:
        return TJpegReader().Read(Bytes);
    case TPictureFormat::Bmp:
        // Its sides told before the decoder refuses them in its own words.
        if (Bytes.size() >= 26 && Bytes[14] >= 40) {
            const auto Side = [&](std::size_t At) {
                const auto Value = static_cast<std::int32_t>(
                    static_cast<std::uint32_t>(Bytes[At]) | Bytes[At + 1] << 8 |
                    Bytes[At + 2] << 16 | static_cast<std::uint32_t>(Bytes[At + 3]) << 24);
                return static_cast<unsigned long>(Value < 0 ? -static_cast<long>(Value) : Value);
            };
            CheckSides(Side(18), Side(22));
        }
        return DecodeBmp(Bytes);

    default:
        throw EWloError("The picture is no PNG, JPEG or BMP file.");
    }
}

} // namespace pelto
