#include "writers/JmaWriter.h"

#include "platform/LittleEndian.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace pelto {
namespace {

using TBytes = std::vector<std::uint8_t>;

void PutU8(TBytes& Out, std::uint8_t V) {
    Out.push_back(V);
}

void PutU16(TBytes& Out, std::uint16_t V) {
    std::uint8_t B[2];
    StoreLE16(B, V);
    Out.insert(Out.end(), B, B + 2);
}

void PutU32(TBytes& Out, std::uint32_t V) {
    std::uint8_t B[4];
    StoreLE32(B, V);
    Out.insert(Out.end(), B, B + 4);
}

void PutShortString(TBytes& Out, const std::string& S, std::size_t Capacity) {
    if (S.size() > Capacity)
        throw std::invalid_argument("name too long for its field: " + S);
    PutU8(Out, static_cast<std::uint8_t>(S.size()));
    Out.insert(Out.end(), S.begin(), S.end());
    Out.insert(Out.end(), Capacity - S.size(), 0);
}

std::uint32_t Checked32(std::size_t V) {
    if (V > UINT32_MAX)
        throw std::invalid_argument("value too large for a 32-bit field");
    return static_cast<std::uint32_t>(V);
}

// Total and Base are written so that Total - Base is the size of what follows the header.
void PutHeader(TBytes& Out, std::size_t BodySize, std::size_t Count) {
    PutU16(Out, 0);
    PutU32(Out, Checked32(JmaHeaderSize + BodySize));
    PutU32(Out, Checked32(JmaHeaderSize));
    PutU32(Out, Checked32(Count));
}

TBytes FrameData(const TJmaWriterFrame& Frame) {
    if (Frame.StoredData)
        return *Frame.StoredData;
    const std::size_t Width = Frame.Width;
    if (Frame.Pixels.size() != Width * Frame.Height)
        throw std::invalid_argument("frame pixels do not match its size: " + Frame.FrameName());
    const std::size_t Stride = (Width + 3) & ~std::size_t{3};
    TBytes Data(Stride * Frame.Height, Frame.PadByte);
    for (std::size_t R = 0; R < Frame.Height; ++R)
        std::copy_n(Frame.Pixels.begin() + static_cast<std::ptrdiff_t>(R * Width), Width,
                    Data.begin() + static_cast<std::ptrdiff_t>(R * Stride));
    return Data;
}

TBytes SpriteBytes(const TJmaWriterSprite& Sprite) {
    std::vector<const TJmaWriterFrame*> Frames;
    for (const TJmaWriterFrame& Frame : Sprite.Frames)
        Frames.push_back(&Frame);
    if (!Sprite.KeepFrameOrder)
        std::stable_sort(Frames.begin(), Frames.end(), [](const auto* A, const auto* B) {
            return CompareText(A->FrameName(), B->FrameName()) < 0;
        });

    std::vector<TBytes> Data;
    std::size_t DataSize = 0;
    for (const TJmaWriterFrame* Frame : Frames) {
        Data.push_back(FrameData(*Frame));
        DataSize += Data.back().size();
    }
    const std::size_t TableSize = Frames.size() * JmaFrameSize + JmaPaletteSize;

    TBytes Out;
    PutHeader(Out, TableSize + DataSize, Frames.size());
    std::size_t Offset = JmaHeaderSize + TableSize;
    for (std::size_t I = 0; I < Frames.size(); ++I) {
        const TJmaWriterFrame& Frame = *Frames[I];
        PutShortString(Out, Frame.FrameName(), JmaFrameNameMax);
        PutU16(Out, Frame.CanvasWidth);
        PutU16(Out, Frame.CanvasHeight);
        PutU16(Out, Frame.X);
        PutU16(Out, Frame.Y);
        PutU32(Out, Checked32(Data[I].size()));
        PutU32(Out, Checked32(Offset));
        PutU32(Out, Frame.Width);
        PutU32(Out, Frame.Height);
        PutU32(Out, 0);
        Offset += Data[I].size();
    }
    for (const TPaletteEntry& Entry : Sprite.Palette) {
        PutU8(Out, Entry.Blue);
        PutU8(Out, Entry.Green);
        PutU8(Out, Entry.Red);
        PutU8(Out, Entry.Reserved);
    }
    for (const TBytes& Block : Data)
        Out.insert(Out.end(), Block.begin(), Block.end());
    return Out;
}

void WriteBytes(TStream& Stream, const TBytes& Bytes) {
    Stream.WriteBuffer(Bytes.data(), Bytes.size());
}

} // namespace

std::string TJmaWriterFrame::FrameName() const {
    return Name.empty() ? FrameFileName(Action, Number) : Name;
}

std::vector<std::uint8_t> JmaBytes(std::span<const TJmaWriterSprite> Sprites) {
    std::vector<TBytes> Bodies;
    std::size_t BodySize = 0;
    for (const TJmaWriterSprite& Sprite : Sprites) {
        Bodies.push_back(Sprite.Absent ? TBytes() : SpriteBytes(Sprite));
        BodySize += Bodies.back().size();
    }
    const std::size_t DirectorySize = Sprites.size() * JmaEntrySize;

    TBytes Out;
    PutHeader(Out, DirectorySize + BodySize, Sprites.size());
    std::size_t Offset = JmaHeaderSize + DirectorySize;
    for (std::size_t I = 0; I < Sprites.size(); ++I) {
        PutShortString(Out, Sprites[I].Name, JmaEntryNameMax);
        PutU32(Out, Checked32(Bodies[I].size()));
        PutU32(Out, Checked32(Bodies[I].empty() ? 0 : Offset));
        Offset += Bodies[I].size();
    }
    for (const TBytes& Body : Bodies)
        Out.insert(Out.end(), Body.begin(), Body.end());
    return Out;
}

std::vector<std::uint8_t> JxaBytes(std::span<const TJmaWriterSprite> Sprites) {
    std::size_t Counts = 0;
    for (const TJmaWriterSprite& Sprite : Sprites)
        Counts = std::max(Counts, Sprite.FrameCounts.size());
    const std::size_t RecordLength = Counts + 1;

    TBytes Out;
    PutHeader(Out, Sprites.size() * RecordLength, Sprites.size());
    for (const TJmaWriterSprite& Sprite : Sprites) {
        TBytes Record(RecordLength, 0);
        std::copy(Sprite.FrameCounts.begin(), Sprite.FrameCounts.end(), Record.begin());
        Record.back() = Sprite.ActionCount.value_or(
            static_cast<std::uint8_t>(std::min<std::size_t>(Sprite.FrameCounts.size(), 255)));
        Out.insert(Out.end(), Record.begin(), Record.end());
    }
    return Out;
}

void WriteJma(TStream& Stream, std::span<const TJmaWriterSprite> Sprites) {
    WriteBytes(Stream, JmaBytes(Sprites));
}

void WriteJxa(TStream& Stream, std::span<const TJmaWriterSprite> Sprites) {
    WriteBytes(Stream, JxaBytes(Sprites));
}

void WriteJmaFiles(const std::string& JmaPath, std::span<const TJmaWriterSprite> Sprites) {
    WriteFileBytes(JmaPath, JmaBytes(Sprites));
    WriteFileBytes(ChangeFileExt(JmaPath, ".jxa"), JxaBytes(Sprites));
}

} // namespace pelto

namespace pelto {

std::vector<TJmaWriterSprite> ReadJmaSprites(const std::string& JmaPath) {
    TFileStream Archive(JmaPath, TFileMode::OpenRead);
    const TBytes Head = [&] {
        TBytes Bytes(JmaHeaderSize);
        Archive.ReadBuffer(Bytes.data(), Bytes.size());
        return Bytes;
    }();
    const auto Header = TJmaJmpHeader::Decode(Head);
    std::vector<TJmaWriterSprite> Sprites;
    for (std::uint32_t I = 0; I < Header.Count; ++I) {
        TBytes Record(JmaEntrySize);
        Archive.ReadBuffer(Record.data(), Record.size());
        const TJmaEntry Entry = TJmaEntry::Decode(Record);
        TJmaWriterSprite Sprite;
        Sprite.Name = Entry.Name;
        Sprite.Absent = Entry.Size == 0;
        if (!Sprite.Absent) {
            TJmaJmp Read;
            Read.LoadFromFile(JmaPath, Entry.Name);
            Sprite.Palette = Read.FilePalette();
            Sprite.KeepFrameOrder = true;
            for (int F = 0; F < Read.FrameCount(); ++F) {
                const TJmaFrame& Stored = Read.Frame(F);
                TJmaWriterFrame Frame;
                Frame.Name = Stored.Name;
                Frame.CanvasWidth = Stored.CanvasWidth;
                Frame.CanvasHeight = Stored.CanvasHeight;
                Frame.X = Stored.X;
                Frame.Y = Stored.Y;
                Frame.Width = Stored.Width;
                Frame.Height = Stored.Height;
                const auto Pixels = Read.Pixels(F);
                for (std::uint64_t Row = 0; Row < Stored.Height; ++Row) {
                    const auto Line = Pixels.subspan(Row * Stored.Stride(), Stored.Width);
                    Frame.Pixels.insert(Frame.Pixels.end(), Line.begin(), Line.end());
                }
                Sprite.Frames.push_back(std::move(Frame));
            }
            const auto Counts = Read.FrameCounts();
            Sprite.FrameCounts.assign(Counts.begin(), Counts.end());
            Sprite.ActionCount = static_cast<std::uint8_t>(Read.ActionCount());
        }
        Sprites.push_back(std::move(Sprite));
    }
    return Sprites;
}

} // namespace pelto
