#include "codecs/AsepriteWriter.h"

#include "platform/Errors.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace pelto {
namespace {

constexpr std::uint16_t FileMagic = 0xA5E0;
constexpr std::uint16_t FrameMagic = 0xF1FA;
constexpr std::uint16_t LayerChunk = 0x2004;
constexpr std::uint16_t CelChunk = 0x2005;
constexpr std::uint16_t TagsChunk = 0x2018;
constexpr std::uint16_t CompressedImageCel = 2;
constexpr std::uint16_t VisibleAndEditable = 1 | 2;
constexpr std::size_t HeaderSize = 128;
constexpr std::size_t FrameHeaderSize = 16;
constexpr int MaxWord = 0xFFFF;

/// Little-endian fields of a chunk or header.
class TBytes {
public:
    void Byte(int V) { Out.push_back(static_cast<std::uint8_t>(V)); }
    void Word(int V) {
        Byte(V & 0xFF);
        Byte((V >> 8) & 0xFF);
    }
    void Short(int V) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(V))); }
    void Dword(std::uint32_t V) {
        Word(static_cast<int>(V & 0xFFFF));
        Word(static_cast<int>(V >> 16));
    }
    void Zeros(std::size_t N) { Out.insert(Out.end(), N, 0); }
    void String(const std::string& Utf8) {
        Word(static_cast<int>(std::min<std::size_t>(Utf8.size(), MaxWord)));
        Out.insert(Out.end(), Utf8.begin(),
                   Utf8.begin() + std::min<std::size_t>(Utf8.size(), MaxWord));
    }
    void Append(std::span<const std::uint8_t> Bytes) {
        Out.insert(Out.end(), Bytes.begin(), Bytes.end());
    }

    std::vector<std::uint8_t> Out;
};

void PutChunk(TBytes& Frame, std::uint16_t Type, const TBytes& Data) {
    Frame.Dword(static_cast<std::uint32_t>(Data.Out.size() + 6));
    Frame.Word(Type);
    Frame.Append(Data.Out);
}

std::vector<std::uint8_t> Compressed(std::span<const std::uint8_t> Raw) {
    uLongf Size = compressBound(static_cast<uLong>(Raw.size()));
    std::vector<std::uint8_t> Out(Size);
    if (compress2(Out.data(), &Size, Raw.data(), static_cast<uLong>(Raw.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw EWriteError("cannot compress a cel");
    Out.resize(Size);
    return Out;
}

void CheckWord(int V, const char* What) {
    if (V < 0 || V > MaxWord)
        throw std::invalid_argument(std::string("an Aseprite file's ") + What + " out of range");
}

} // namespace

TAsepriteWriter::TAsepriteWriter(TStream& Stream, int Width, int Height, int Frames,
                                 std::span<const std::string> Layers, std::span<const TAseTag> Tags)
    : FStream(Stream), FStart(Stream.GetPosition()), FFrames(Frames),
      FLayerCount(static_cast<int>(Layers.size())) {
    CheckWord(Width, "width");
    CheckWord(Height, "height");
    CheckWord(Frames, "frame count");
    CheckWord(static_cast<int>(Tags.size()), "tag count");
    // The header, its size filled in by Finish.
    TBytes Header;
    Header.Dword(0);
    Header.Word(FileMagic);
    Header.Word(Frames);
    Header.Word(Width);
    Header.Word(Height);
    Header.Word(32);  // RGBA
    Header.Dword(1);  // the layers' opacity is valid
    Header.Word(100); // the old speed field
    Header.Dword(0);
    Header.Dword(0);
    Header.Byte(0); // transparent index, for indexed files only
    Header.Zeros(3);
    Header.Word(0); // colours
    Header.Byte(1); // square pixels
    Header.Byte(1);
    Header.Short(0); // grid
    Header.Short(0);
    Header.Word(0);
    Header.Word(0);
    Header.Zeros(HeaderSize - Header.Out.size());
    FStream.WriteBuffer(Header.Out.data(), Header.Out.size());

    TBytes First;
    for (const std::string& Name : Layers) {
        TBytes Layer;
        Layer.Word(VisibleAndEditable);
        Layer.Word(0); // an image layer
        Layer.Word(0); // at the top level
        Layer.Word(0);
        Layer.Word(0);
        Layer.Word(0); // blend normal
        Layer.Byte(255);
        Layer.Zeros(3);
        Layer.String(Name);
        PutChunk(First, LayerChunk, Layer);
        ++FFirstChunkCount;
    }
    if (!Tags.empty()) {
        TBytes Chunk;
        Chunk.Word(static_cast<int>(Tags.size()));
        Chunk.Zeros(8);
        for (const TAseTag& Tag : Tags) {
            CheckWord(Tag.From, "tag");
            CheckWord(Tag.To, "tag");
            Chunk.Word(Tag.From);
            Chunk.Word(Tag.To);
            Chunk.Byte(0); // forward
            Chunk.Word(0); // repeated for ever
            Chunk.Zeros(6);
            Chunk.Zeros(3); // the old colour
            Chunk.Byte(0);
            Chunk.String(Tag.Name);
        }
        PutChunk(First, TagsChunk, Chunk);
        ++FFirstChunkCount;
    }
    FFirstChunks = std::move(First.Out);
}

void TAsepriteWriter::WriteFrame(int DurationMs, std::span<const TAseCel> Cels) {
    if (FWritten >= FFrames)
        throw std::logic_error("more Aseprite frames than announced");
    CheckWord(DurationMs, "frame duration");
    TBytes Chunks;
    int Count = 0;
    if (FWritten == 0) {
        Chunks.Append(FFirstChunks);
        Count = FFirstChunkCount;
        FFirstChunks = {};
    }
    for (const TAseCel& Cel : Cels) {
        if (Cel.Width == 0 || Cel.Height == 0)
            continue;
        if (Cel.Layer < 0 || Cel.Layer >= FLayerCount)
            throw std::invalid_argument("a cel of no layer");
        TBytes Chunk;
        Chunk.Word(Cel.Layer);
        Chunk.Short(Cel.X);
        Chunk.Short(Cel.Y);
        Chunk.Byte(255);
        Chunk.Word(CompressedImageCel);
        Chunk.Short(0); // z-index
        Chunk.Zeros(5);
        Chunk.Word(Cel.Width);
        Chunk.Word(Cel.Height);
        Chunk.Append(Cel.Packed.empty() ? Compressed(Cel.Rgba) : Cel.Packed);
        PutChunk(Chunks, CelChunk, Chunk);
        ++Count;
    }
    TBytes Frame;
    Frame.Dword(static_cast<std::uint32_t>(FrameHeaderSize + Chunks.Out.size()));
    Frame.Word(FrameMagic);
    Frame.Word(std::min(Count, MaxWord - 1));
    Frame.Word(DurationMs);
    Frame.Zeros(2);
    Frame.Dword(static_cast<std::uint32_t>(Count));
    Frame.Append(Chunks.Out);
    FStream.WriteBuffer(Frame.Out.data(), Frame.Out.size());
    ++FWritten;
}

void TAsepriteWriter::Finish() {
    if (FWritten != FFrames)
        throw std::logic_error("fewer Aseprite frames than announced");
    const std::int64_t End = FStream.GetPosition();
    TBytes Size;
    Size.Dword(static_cast<std::uint32_t>(End - FStart));
    FStream.SetPosition(FStart);
    FStream.WriteBuffer(Size.Out.data(), Size.Out.size());
    FStream.SetPosition(End);
}

void PackCel(TAseCel& Cel) {
    if (Cel.Width > 0 && Cel.Height > 0 && Cel.Packed.empty())
        Cel.Packed = Compressed(std::exchange(Cel.Rgba, {}));
}

TAseCel CelOfDrawnPixels(int Layer, const std::uint8_t* Bits32, std::size_t Stride, int Width,
                         int Height) {
    int Left = Width, Top = Height, Right = -1, Bottom = -1;
    for (int Y = 0; Y < Height; ++Y) {
        const std::uint8_t* Row = Bits32 + Stride * static_cast<std::size_t>(Y);
        for (int X = 0; X < Width; ++X)
            if (Row[4 * X + 3] != 0) {
                Left = std::min(Left, X);
                Right = std::max(Right, X);
                Top = std::min(Top, Y);
                Bottom = std::max(Bottom, Y);
            }
    }
    TAseCel Cel{Layer, 0, 0, 0, 0, {}, {}};
    if (Right < 0)
        return Cel;
    Cel.X = Left;
    Cel.Y = Top;
    Cel.Width = Right - Left + 1;
    Cel.Height = Bottom - Top + 1;
    Cel.Rgba.reserve(static_cast<std::size_t>(Cel.Width) * Cel.Height * 4);
    for (int Y = Top; Y <= Bottom; ++Y) {
        const std::uint8_t* P = Bits32 + Stride * static_cast<std::size_t>(Y) + 4 * Left;
        for (int X = Left; X <= Right; ++X, P += 4)
            Cel.Rgba.insert(Cel.Rgba.end(), {P[2], P[1], P[0], P[3]});
    }
    return Cel;
}

} // namespace pelto
