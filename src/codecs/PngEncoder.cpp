#include "codecs/ImageEncoders.h"

#include "codecs/PngChunks.h"
#include "codecs/PngDeflate.h"
#include "platform/Errors.h"

#include <algorithm>
#include <stdexcept>

namespace pelto {
namespace {

// Readers take any cut of the stream into IDAT chunks; this one keeps each far below a chunk's
// 2 GiB limit.
constexpr std::size_t IdatBytes = std::size_t{1} << 20;

void SavePng(const TBitmap& Bitmap, int Channels, TStream& Stream) {
    if (Bitmap.Width() <= 0 || Bitmap.Height() <= 0)
        throw EWriteError("Cannot encode the PNG image. Image width or height is zero.");
    const std::vector<std::uint8_t> Data = png::DeflatedRows(Bitmap, Channels);
    Stream.WriteBuffer(png::Signature.data(), png::Signature.size());
    png::WriteChunk(Stream, "IHDR",
                    png::HeaderData(Bitmap.Width(), Bitmap.Height(), Channels == 4));
    for (std::size_t At = 0; At < Data.size(); At += IdatBytes)
        png::WriteChunk(Stream, "IDAT",
                        std::span(Data).subspan(At, std::min(IdatBytes, Data.size() - At)));
    png::WriteChunk(Stream, "IEND", {});
}

} // namespace

void SavePngRgbToStream(const TBitmap& Bitmap24, TStream& Stream) {
    SavePng(Bitmap24, png::CheckedChannels(Bitmap24, false), Stream);
}

void SavePngRgbaToStream(const TBitmap& Bitmap32, TStream& Stream) {
    SavePng(Bitmap32, png::CheckedChannels(Bitmap32, true), Stream);
}

} // namespace pelto
