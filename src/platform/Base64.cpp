#include "platform/Base64.h"

#include <array>
#include <cstddef>

namespace pelto {
namespace {

constexpr std::string_view Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> DecodeTable = [] {
    std::array<std::int8_t, 256> Table{};
    Table.fill(-1);
    for (std::size_t I = 0; I < Alphabet.size(); ++I)
        Table[static_cast<unsigned char>(Alphabet[I])] = static_cast<std::int8_t>(I);
    return Table;
}();

} // namespace

std::string Base64Encode(std::span<const std::uint8_t> Bytes) {
    std::string Out;
    Out.reserve((Bytes.size() + 2) / 3 * 4);
    std::size_t I = 0;
    for (; I + 3 <= Bytes.size(); I += 3) {
        const std::uint32_t V = (Bytes[I] << 16) | (Bytes[I + 1] << 8) | Bytes[I + 2];
        Out += Alphabet[V >> 18];
        Out += Alphabet[(V >> 12) & 63];
        Out += Alphabet[(V >> 6) & 63];
        Out += Alphabet[V & 63];
    }
    const std::size_t Rest = Bytes.size() - I;
    if (Rest > 0) {
        const std::uint32_t V = (Bytes[I] << 16) | (Rest == 2 ? Bytes[I + 1] << 8 : 0);
        Out += Alphabet[V >> 18];
        Out += Alphabet[(V >> 12) & 63];
        Out += Rest == 2 ? Alphabet[(V >> 6) & 63] : '=';
        Out += '=';
    }
    return Out;
}

std::vector<std::uint8_t> Base64Decode(std::string_view Text) {
    std::vector<std::uint8_t> Out;
    Out.reserve(Text.size() * 3 / 4);
    std::uint32_t Bits = 0;
    int BitCount = 0;
    for (const char C : Text) {
        if (C == '=')
            break;
        const int Value = DecodeTable[static_cast<unsigned char>(C)];
        if (Value < 0)
            continue;
        Bits = (Bits << 6) | static_cast<std::uint32_t>(Value);
        BitCount += 6;
        if (BitCount >= 8) {
            BitCount -= 8;
            Out.push_back(static_cast<std::uint8_t>(Bits >> BitCount));
        }
    }
    return Out;
}

} // namespace pelto
