#include "codecs/PngDeflate.h"

#include "codecs/PngChunks.h"
#include "platform/Errors.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <new>

namespace pelto::png {
namespace {

// Chosen by measurement on the demo's pictures: above it, time grows faster than files shrink.
constexpr int DeflateLevel = 6;
// What a thread keeps of its buffers between pictures: a scene's frame or a large still; a
// rarer, larger picture's are let go.
constexpr std::size_t KeptBytes = std::size_t{8} << 20;

struct TCompressorFree {
    void operator()(libdeflate_compressor* Compressor) const {
        libdeflate_free_compressor(Compressor);
    }
};

/// Room for bytes that are all written before they are read, so never cleared; kept from
/// picture to picture, since a fresh large allocation costs its page faults every time.
class TScratch {
public:
    std::uint8_t* Room(std::size_t Bytes) {
        if (Bytes > FSize) {
            FData.reset(); // first, so that the two are never held at once
            FData.reset(new std::uint8_t[Bytes]);
            FSize = Bytes;
        }
        return FData.get();
    }
    void LetGoIfLarge() {
        if (FSize > KeptBytes) {
            FData.reset();
            FSize = 0;
        }
    }

private:
    std::unique_ptr<std::uint8_t[]> FData;
    std::size_t FSize = 0;
};

/// A thread's compressor and buffers: making a compressor costs more than deflating a small
/// picture.
struct TPacker {
    std::unique_ptr<libdeflate_compressor, TCompressorFree> Compressor{
        libdeflate_alloc_compressor(DeflateLevel)};
    TScratch Rows;
    TScratch Out;
};

TPacker& Packer() {
    thread_local TPacker Kept;
    if (!Kept.Compressor)
        throw std::bad_alloc();
    return Kept;
}

/// Writes the filtered rows of Picture at Out.
void FilterRows(const TBitmap& Picture, int Channels, std::uint8_t* Out) {
    const auto RowBytes = static_cast<std::size_t>(Picture.Width()) * Channels;
    // A row filtered Up equals the one above it, so every row compares with the last one left
    // as it was.
    std::span<const std::uint8_t> LastPlain;
    for (int Y = 0; Y < Picture.Height(); ++Y, Out += RowBytes + 1) {
        const std::span Row(Out + 1, RowBytes);
        PackRow(Picture.ScanLine(Y), Picture.BytesPerPixel(), Picture.Width(), Channels,
                Row.data());
        Out[0] = FilterRow(Row, LastPlain);
        if (Out[0] == FilterNone)
            LastPlain = Row;
    }
}

} // namespace

std::uint8_t FilterRow(std::span<std::uint8_t> Row, std::span<const std::uint8_t> Above) {
    if (Above.size() != Row.size() || !std::equal(Row.begin(), Row.end(), Above.begin()))
        return FilterNone;
    std::fill(Row.begin(), Row.end(), std::uint8_t{0});
    return FilterUp;
}

std::vector<std::uint8_t> DeflatedRows(const TBitmap& Picture, int Channels) {
    TPacker& Packer = png::Packer();
    const std::size_t RawBytes =
        (static_cast<std::size_t>(Picture.Width()) * Channels + 1) * Picture.Height();
    std::uint8_t* Rows = Packer.Rows.Room(RawBytes);
    FilterRows(Picture, Channels, Rows);
    const std::size_t Bound = libdeflate_zlib_compress_bound(Packer.Compressor.get(), RawBytes);
    std::uint8_t* Out = Packer.Out.Room(Bound);
    const std::size_t Size =
        libdeflate_zlib_compress(Packer.Compressor.get(), Rows, RawBytes, Out, Bound);
    std::vector<std::uint8_t> Deflated(Out, Out + Size);
    Packer.Rows.LetGoIfLarge();
    Packer.Out.LetGoIfLarge();
    if (Size == 0)
        throw EWriteError("Cannot encode the PNG image. Compression failed.");
    return Deflated;
}

} // namespace pelto::png
