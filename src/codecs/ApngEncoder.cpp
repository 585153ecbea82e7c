#include "codecs/AnimationEncoders.h"

#include "codecs/PictureText.h"
#include "codecs/PngChunks.h"
#include "codecs/PngDeflate.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Stream.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace pelto {
namespace {

using png::HeaderData;
using png::PutU16;
using png::PutU32;
using png::WriteChunk;

constexpr std::uint8_t DisposeNone = 0;
constexpr std::uint8_t BlendSource = 0;
constexpr std::uint32_t PlayForever = 0;
constexpr std::uint16_t Milliseconds = 1000;
// The row writer's stream cannot be libdeflate's, which deflates whole buffers only. Enlarged
// pixel art repeats itself; a fast level loses little on it and keeps a large sheet quick.
constexpr int RowWriterLevel = 3;

constexpr std::size_t IdatChunkSize = 1 << 16;

} // namespace

void SaveApngToStream(std::span<const TBitmap> Frames32, bool Alpha, int DelayMs, TStream& Stream) {
    if (Frames32.empty())
        throw std::invalid_argument("an animated PNG needs at least one frame");
    const int Width = Frames32.front().Width();
    const int Height = Frames32.front().Height();
    for (const TBitmap& Frame : Frames32)
        if (Frame.PixelFormat() != TPixelFormat::pf32bit || Frame.Width() != Width ||
            Frame.Height() != Height || Width <= 0 || Height <= 0)
            throw std::invalid_argument("animated PNG frames are 32-bit and of one size");
    if (DelayMs < 0 || DelayMs > 0xFFFF)
        throw std::invalid_argument("animated PNG delay out of range");
    const int Channels = Alpha ? 4 : 3;

    Stream.WriteBuffer(png::Signature.data(), png::Signature.size());
    WriteChunk(Stream, "IHDR", HeaderData(Width, Height, Alpha));
    std::vector<std::uint8_t> Control;
    PutU32(Control, static_cast<std::uint32_t>(Frames32.size()));
    PutU32(Control, PlayForever);
    WriteChunk(Stream, "acTL", Control);

    std::uint32_t Sequence = 0;
    for (std::size_t I = 0; I < Frames32.size(); ++I) {
        Control.clear();
        PutU32(Control, Sequence++);
        PutU32(Control, static_cast<std::uint32_t>(Width));
        PutU32(Control, static_cast<std::uint32_t>(Height));
        PutU32(Control, 0);
        PutU32(Control, 0);
        PutU16(Control, static_cast<std::uint16_t>(DelayMs));
        PutU16(Control, Milliseconds);
        Control.insert(Control.end(), {DisposeNone, BlendSource});
        WriteChunk(Stream, "fcTL", Control);
        const std::vector<std::uint8_t> Data = png::DeflatedRows(Frames32[I], Channels);
        // The first frame is also the still image that viewers without animation show.
        if (I == 0) {
            WriteChunk(Stream, "IDAT", Data);
        } else {
            std::vector<std::uint8_t> Numbered;
            Numbered.reserve(Data.size() + 4);
            PutU32(Numbered, Sequence++);
            Numbered.insert(Numbered.end(), Data.begin(), Data.end());
            WriteChunk(Stream, "fdAT", Numbered);
        }
    }
    WriteChunk(Stream, "IEND", {});
}

TPngRowWriter::TPngRowWriter(TStream& Stream, int Width, int Height, bool Alpha)
    : FStream(Stream), FWidth(Width), FHeight(Height), FChannels(Alpha ? 4 : 3) {
    if (Width <= 0 || Height <= 0)
        throw std::invalid_argument("a PNG needs a size");
    const std::size_t RowBytes = static_cast<std::size_t>(Width) * FChannels;
    FPrevious.resize(RowBytes + 1);
    FCurrent.resize(RowBytes + 1);
    FOut.resize(IdatChunkSize);
    auto* Zip = new z_stream{};
    if (deflateInit(Zip, RowWriterLevel) != Z_OK) {
        delete Zip;
        throw std::bad_alloc();
    }
    FZip = Zip;
    Stream.WriteBuffer(png::Signature.data(), png::Signature.size());
    WriteChunk(Stream, "IHDR", HeaderData(Width, Height, Alpha));
}

TPngRowWriter::~TPngRowWriter() {
    auto* Zip = static_cast<z_stream*>(FZip);
    deflateEnd(Zip);
    delete Zip;
}

void TPngRowWriter::WriteText(std::string_view Keyword, std::string_view Text) {
    if (FRows > 0)
        throw std::logic_error("PNG text after the first row");
    const std::vector<std::uint8_t> Chunk = PngTextChunk(Keyword, Text);
    FStream.WriteBuffer(Chunk.data(), Chunk.size());
}

void TPngRowWriter::WriteRow(const std::uint8_t* Row32) {
    if (FRows >= FHeight)
        throw std::logic_error("PNG row beyond the picture");
    png::PackRow(Row32, 4, FWidth, FChannels, FCurrent.data() + 1);
    const std::span Row = std::span(FCurrent).subspan(1);
    FCurrent[0] =
        png::FilterRow(Row, FRows > 0 ? std::span<const std::uint8_t>(FPrevious).subspan(1)
                                      : std::span<const std::uint8_t>{});
    Deflate(FCurrent.data(), FCurrent.size(), false);
    // An Up row is all zeros now; the row above it holds the same pixels.
    if (FCurrent[0] == png::FilterNone)
        FPrevious.swap(FCurrent);
    ++FRows;
}

void TPngRowWriter::Finish() {
    if (FRows != FHeight)
        throw std::logic_error("PNG finished before its last row");
    Deflate(nullptr, 0, true);
    WriteChunk(FStream, "IEND", {});
}

void TPngRowWriter::Deflate(const std::uint8_t* Data, std::size_t Size, bool Last) {
    auto* Zip = static_cast<z_stream*>(FZip);
    Zip->next_in = const_cast<Bytef*>(Data);
    Zip->avail_in = static_cast<uInt>(Size);
    int Result = Z_OK;
    do {
        const std::size_t Used = IdatChunkSize - Zip->avail_out;
        if (Zip->avail_out == 0 || Zip->next_out == nullptr) {
            if (Zip->next_out != nullptr && Used > 0)
                WriteChunk(FStream, "IDAT", std::span(FOut.data(), Used));
            Zip->next_out = FOut.data();
            Zip->avail_out = static_cast<uInt>(IdatChunkSize);
        }
        Result = deflate(Zip, Last ? Z_FINISH : Z_NO_FLUSH);
        if (Result == Z_STREAM_ERROR)
            throw EWriteError("Cannot encode the PNG image. Compression failed.");
    } while (Zip->avail_out == 0 || (Last && Result != Z_STREAM_END));
    if (Last) {
        const std::size_t Used = IdatChunkSize - Zip->avail_out;
        if (Used > 0)
            WriteChunk(FStream, "IDAT", std::span(FOut.data(), Used));
    }
}

} // namespace pelto
