#pragma once

// The pieces every PNG writer of ours shares: signature, chunks, header and row packing.

#include "platform/Bitmap.h"
#include "platform/Stream.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace pelto::png {

inline constexpr std::array<std::uint8_t, 8> Signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
inline constexpr std::uint8_t ColorTypeRgb = 2;
inline constexpr std::uint8_t ColorTypeRgba = 6;

inline void PutU32(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
    Out.push_back(static_cast<std::uint8_t>(Value >> 24));
    Out.push_back(static_cast<std::uint8_t>(Value >> 16));
    Out.push_back(static_cast<std::uint8_t>(Value >> 8));
    Out.push_back(static_cast<std::uint8_t>(Value));
}

inline void PutU16(std::vector<std::uint8_t>& Out, std::uint16_t Value) {
    Out.push_back(static_cast<std::uint8_t>(Value >> 8));
    Out.push_back(static_cast<std::uint8_t>(Value));
}

/// Length, type, Data and the CRC of type and data.
inline void WriteChunk(TStream& Stream, const char (&Type)[5], std::span<const std::uint8_t> Data) {
    std::vector<std::uint8_t> Head;
    PutU32(Head, static_cast<std::uint32_t>(Data.size()));
    Head.insert(Head.end(), Type, Type + 4);
    uLong Crc = crc32(0, reinterpret_cast<const Bytef*>(Type), 4);
    // zlib takes at most uInt bytes a call; chunks stay far below that. A null buffer would
    // restart the checksum, so an empty chunk passes none.
    if (!Data.empty())
        Crc = crc32(Crc, Data.data(), static_cast<uInt>(Data.size()));
    std::vector<std::uint8_t> Tail;
    PutU32(Tail, static_cast<std::uint32_t>(Crc));
    Stream.WriteBuffer(Head.data(), Head.size());
    if (!Data.empty())
        Stream.WriteBuffer(Data.data(), Data.size());
    Stream.WriteBuffer(Tail.data(), Tail.size());
}

/// IHDR's data: 8 bits a channel, RGB or RGBA, deflate, adaptive filtering, no interlace.
inline std::vector<std::uint8_t> HeaderData(int Width, int Height, bool Alpha) {
    std::vector<std::uint8_t> Header;
    PutU32(Header, static_cast<std::uint32_t>(Width));
    PutU32(Header, static_cast<std::uint32_t>(Height));
    Header.insert(Header.end(), {8, Alpha ? ColorTypeRgba : ColorTypeRgb, 0, 0, 0});
    return Header;
}

/// The channels of a PNG of Bitmap: RGB from a 24- or 32-bit bitmap, RGBA from a 32-bit one.
inline int CheckedChannels(const TBitmap& Bitmap, bool Alpha) {
    if (Alpha ? Bitmap.PixelFormat() != TPixelFormat::pf32bit : Bitmap.BytesPerPixel() < 3)
        throw std::invalid_argument(Alpha ? "an RGBA PNG is written from a 32-bit bitmap"
                                          : "an RGB PNG is written from a 24- or 32-bit bitmap");
    return Alpha ? 4 : 3;
}

/// One row of blue, green, red[, alpha] pixels of InBytes each, in the PNG's channel order.
inline void PackRow(const std::uint8_t* In, int InBytes, int Width, int Channels,
                    std::uint8_t* Out) {
    for (int X = 0; X < Width; ++X, In += InBytes, Out += Channels) {
        Out[0] = In[2];
        Out[1] = In[1];
        Out[2] = In[0];
        if (Channels == 4)
            Out[3] = In[3];
    }
}

} // namespace pelto::png
