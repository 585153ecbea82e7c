#pragma once

#include "platform/Errors.h"
#include "platform/LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace pelto {

/// Reads little-endian fields from a block of bytes; every read is checked against the
/// block's end and fails with the stream read error instead of running past it.
class TByteReader {
public:
    explicit TByteReader(std::span<const std::uint8_t> Bytes) : FBytes(Bytes) {}

    std::size_t Position() const { return FPos; }
    std::size_t Remaining() const { return FBytes.size() - FPos; }

    void Seek(std::size_t Position) {
        if (Position > FBytes.size())
            throw EReadError();
        FPos = Position;
    }
    void Skip(std::size_t Count) { Take(Count); }

    std::uint8_t U8() { return *Take(1); }
    std::uint16_t U16() { return LoadLE16(Take(2)); }
    std::uint32_t U32() { return LoadLE32(Take(4)); }

    std::span<const std::uint8_t> Bytes(std::size_t Count) { return {Take(Count), Count}; }

private:
    const std::uint8_t* Take(std::size_t Count) {
        if (Count > Remaining())
            throw EReadError();
        const std::uint8_t* P = FBytes.data() + FPos;
        FPos += Count;
        return P;
    }

    std::span<const std::uint8_t> FBytes;
    std::size_t FPos = 0;
};

} // namespace pelto
