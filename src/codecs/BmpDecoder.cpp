#include "codecs/BmpDecoder.h"

#include "platform/ByteReader.h"
#include "platform/Errors.h"

#include <array>
#include <cstdlib>

namespace pelto {
namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t BiRgb = 0;

[[noreturn]] void Refuse() {
    throw EWloError("Invalid bitmap.");
}

struct TBmpHeader {
    std::uint32_t DataOffset = 0;
    std::uint32_t HeaderSize = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0; // negative: top-down
    std::uint16_t BitCount = 0;
    std::uint32_t Compression = BiRgb;
    std::uint32_t ColorsUsed = 0;
};

TBmpHeader ReadHeader(TByteReader& Reader) {
    TBmpHeader Header;
    if (Reader.U8() != 'B' || Reader.U8() != 'M')
        Refuse();
    Reader.Skip(8); // file size and reserved words, which writers fill in carelessly
    Header.DataOffset = Reader.U32();
    Header.HeaderSize = Reader.U32();
    if (Header.HeaderSize == CoreHeaderSize) {
        Header.Width = Reader.U16();
        Header.Height = Reader.U16();
        Reader.Skip(2);
        Header.BitCount = Reader.U16();
        return Header;
    }
    if (Header.HeaderSize < InfoHeaderSize)
        Refuse();
    Header.Width = static_cast<std::int32_t>(Reader.U32());
    Header.Height = static_cast<std::int32_t>(Reader.U32());
    Reader.Skip(2);
    Header.BitCount = Reader.U16();
    Header.Compression = Reader.U32();
    Reader.Skip(12); // image size and resolution
    Header.ColorsUsed = Reader.U32();
    return Header;
}

} // namespace

TBitmap DecodeBmp(std::span<const std::uint8_t> Bytes) {
    try {
        TByteReader Reader(Bytes);
        const TBmpHeader Header = ReadHeader(Reader);
        const std::int64_t Width = Header.Width;
        const std::int64_t Height = std::llabs(Header.Height);
        const int Bits = Header.BitCount;
        if (Header.Compression != BiRgb || Width < 1 || Height < 1 || Width > MaxBmpSide ||
            Height > MaxBmpSide ||
            (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 24 && Bits != 32))
            Refuse();

        // The palette follows the header; an old core header's entries have three bytes.
        std::array<std::uint32_t, 256> Palette{};
        if (Bits <= 8) {
            const std::uint32_t MaxColors = 1u << Bits;
            const std::uint32_t Colors = Header.ColorsUsed == 0 ? MaxColors : Header.ColorsUsed;
            if (Colors > MaxColors)
                Refuse();
            const bool Core = Header.HeaderSize == CoreHeaderSize;
            Reader.Seek(FileHeaderSize + Header.HeaderSize);
            for (std::uint32_t I = 0; I < Colors; ++I) {
                const auto Entry = Reader.Bytes(Core ? 3 : 4);
                Palette[I] = Entry[0] | (Entry[1] << 8) | (Entry[2] << 16);
            }
        }

        const std::uint64_t Stride = ((static_cast<std::uint64_t>(Width) * Bits + 31) / 32) * 4;
        if (Header.DataOffset > Bytes.size() ||
            Stride * static_cast<std::uint64_t>(Height) > Bytes.size() - Header.DataOffset)
            Refuse();

        TBitmap Bitmap(static_cast<int>(Width), static_cast<int>(Height), TPixelFormat::pf32bit);
        for (std::int64_t Row = 0; Row < Height; ++Row) {
            const std::uint8_t* Source =
                Bytes.data() + Header.DataOffset + static_cast<std::uint64_t>(Row) * Stride;
            const std::int64_t Y = Header.Height > 0 ? Height - 1 - Row : Row;
            std::uint8_t* Target = Bitmap.ScanLine(static_cast<int>(Y));
            for (std::int64_t X = 0; X < Width; ++X) {
                std::uint32_t Color = 0;
                if (Bits <= 8) {
                    const std::uint64_t Bit = static_cast<std::uint64_t>(X) * Bits;
                    const int Shift = 8 - Bits - static_cast<int>(Bit % 8);
                    Color = Palette[(Source[Bit / 8] >> Shift) & ((1 << Bits) - 1)];
                } else {
                    const std::uint8_t* Pixel = Source + X * (Bits / 8);
                    Color = Pixel[0] | (Pixel[1] << 8) | (Pixel[2] << 16);
                }
                std::uint8_t* Out = Target + X * 4;
                Out[0] = static_cast<std::uint8_t>(Color);
                Out[1] = static_cast<std::uint8_t>(Color >> 8);
                Out[2] = static_cast<std::uint8_t>(Color >> 16);
                Out[3] = 255;
            }
        }
        return Bitmap;
    } catch (const EReadError&) {
        Refuse();
    }
}

} // namespace pelto
