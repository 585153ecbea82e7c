#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace pelto {

/// CRC-8/MAXIM (Dallas 1-Wire): polynomial 0x31 reflected as 0x8C, initial 0, no final XOR.
inline constexpr std::array<std::uint8_t, 256> Crc8MaximTable = [] {
    std::array<std::uint8_t, 256> Table{};
    for (unsigned I = 0; I < 256; ++I) {
        unsigned C = 0, D = I;
        for (int Bit = 0; Bit < 8; ++Bit) {
            C = ((C ^ D) & 1) ? (C >> 1) ^ 0x8C : C >> 1;
            D >>= 1;
        }
        Table[I] = static_cast<std::uint8_t>(C);
    }
    return Table;
}();

constexpr std::uint8_t Crc8Maxim(std::span<const std::uint8_t> Bytes) {
    std::uint8_t C = 0;
    for (const std::uint8_t B : Bytes)
        C = Crc8MaximTable[C ^ B];
    return C;
}

} // namespace pelto
