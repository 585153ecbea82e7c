#include "codecs/AnimationEncoders.h"

#include "codecs/PictureText.h"
#include "codecs/PngChunks.h"
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

constexpr std::uint8_t FilterNone = 0;
constexpr std::uint8_t FilterUp = 2;
constexpr std::uint8_t DisposeNone = 0;
constexpr std::uint8_t BlendSource = 0;
constexpr std::uint32_t PlayForever = 0;
constexpr std::uint16_t Milliseconds = 1000;
// Enlarged pixel art repeats itself; a fast level loses little on it and keeps export quick.
constexpr int CompressionLevel = 3;

constexpr std::size_t IdatChunkSize = 1 << 16;

// The filtered rows of one frame, deflated. A row equal to the one above (every row of an
// enlargement but the first of its pixels) is filtered Up, which makes it all zeros.
std::vector<std::uint8_t> CompressFrame(const TBitmap& Frame, int Channels) {
    const int Width = Frame.Width();
    const std::size_t RowBytes = static_cast<std::size_t>(Width) * Channels;
    std::vector<std::uint8_t> Raw((RowBytes + 1) * static_cast<std::size_t>(Frame.Height()));
    std::vector<std::uint8_t> Previous(RowBytes);
    std::vector<std::uint8_t> Current(RowBytes);
    std::uint8_t* Out = Raw.data();
    for (int Y = 0; Y < Frame.Height(); ++Y) {
        png::PackRow(Frame.ScanLine(Y), 4, Width, Channels, Current.data());
        const bool Repeats = Y > 0 && Current == Previous;
        *Out++ = Repeats ? FilterUp : FilterNone;
        if (Repeats)
            std::memset(Out, 0, RowBytes);
        else
            std::memcpy(Out, Current.data(), RowBytes);
        Out += RowBytes;
        Previous.swap(Current);
    }
    uLongf Size = compressBound(static_cast<uLong>(Raw.size()));
    std::vector<std::uint8_t> Packed(Size);
    if (compress2(Packed.data(), &Size, Raw.data(), static_cast<uLong>(Raw.size()),
                  CompressionLevel) != Z_OK)
        throw EWriteError("Cannot encode the PNG image. Compression failed.");
    Packed.resize(Size);
    return Packed;
}

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
        std::vector<std::uint8_t> Data = CompressFrame(Frames32[I], Channels);
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
    if (deflateInit(Zip, CompressionLevel) != Z_OK) {
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
    // As in CompressFrame: a repeated row is filtered Up, all zeros.
    const bool Repeats =
        FRows > 0 && std::equal(FCurrent.begin() + 1, FCurrent.end(), FPrevious.begin() + 1);
    FPrevious.swap(FCurrent);
    ++FRows;
    if (!Repeats) {
        FPrevious[0] = FilterNone;
        Deflate(FPrevious.data(), FPrevious.size(), false);
        return;
    }
    std::fill(FCurrent.begin(), FCurrent.end(), 0);
    FCurrent[0] = FilterUp;
    Deflate(FCurrent.data(), FCurrent.size(), false);
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
