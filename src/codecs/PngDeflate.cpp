#include "codecs/PngDeflate.h"

#include "codecs/PngChunks.h"
#include "platform/Errors.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace pelto::png {
namespace {

// Chosen by measurement on the demo's pictures: above it, time grows faster than files shrink.
constexpr int DeflateLevel = 6;

struct TCompressorFree {
    void operator()(libdeflate_compressor* Compressor) const {
        libdeflate_free_compressor(Compressor);
    }
};

/// This thread's compressor: making one costs more than deflating a small picture.
libdeflate_compressor& Compressor() {
    thread_local std::unique_ptr<libdeflate_compressor, TCompressorFree> Kept(
        libdeflate_alloc_compressor(DeflateLevel));
    if (!Kept)
        throw std::bad_alloc();
    return *Kept;
}

} // namespace

std::uint8_t FilterRow(std::span<std::uint8_t> Row, std::span<const std::uint8_t> Above) {
    if (Above.size() != Row.size() || !std::equal(Row.begin(), Row.end(), Above.begin()))
        return FilterNone;
    std::fill(Row.begin(), Row.end(), std::uint8_t{0});
    return FilterUp;
}

std::vector<std::uint8_t> FilteredRows(const TBitmap& Picture, int Channels) {
    const auto Width = static_cast<std::size_t>(Picture.Width());
    const auto Height = static_cast<std::size_t>(Picture.Height());
    const std::size_t RowBytes = Width * static_cast<std::size_t>(Channels);
    std::vector<std::uint8_t> Rows((RowBytes + 1) * Height);
    // A row filtered Up equals the one above it, so every row compares with the last one left
    // as it was.
    std::span<const std::uint8_t> LastPlain;
    std::uint8_t* Out = Rows.data();
    for (std::size_t Y = 0; Y < Height; ++Y, Out += RowBytes + 1) {
        const std::span Row(Out + 1, RowBytes);
        PackRow(Picture.ScanLine(static_cast<int>(Y)), Picture.BytesPerPixel(), Picture.Width(),
                Channels, Row.data());
        Out[0] = FilterRow(Row, LastPlain);
        if (Out[0] == FilterNone)
            LastPlain = Row;
    }
    return Rows;
}

std::vector<std::uint8_t> ZlibDeflated(std::span<const std::uint8_t> Data) {
    libdeflate_compressor& Deflater = Compressor();
    std::vector<std::uint8_t> Out(libdeflate_zlib_compress_bound(&Deflater, Data.size()));
    const std::size_t Size =
        libdeflate_zlib_compress(&Deflater, Data.data(), Data.size(), Out.data(), Out.size());
    if (Size == 0)
        throw EWriteError("Cannot encode the PNG image. Compression failed.");
    Out.resize(Size);
    return Out;
}

} // namespace pelto::png
