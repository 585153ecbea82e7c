#include "platform/Utf8.h"

#include <cstdint>

namespace pelto {

std::optional<std::u32string> DecodeUtf8(std::string_view Utf8) {
    std::u32string Points;
    for (std::size_t I = 0; I < Utf8.size();) {
        const auto Lead = static_cast<std::uint8_t>(Utf8[I]);
        // Sequence length and the smallest value it may carry, so overlong forms are caught.
        const auto [Length, Least] = Lead < 0x80   ? std::pair{1, 0x0u}
                                     : Lead < 0xC0 ? std::pair{0, 0x0u}
                                     : Lead < 0xE0 ? std::pair{2, 0x80u}
                                     : Lead < 0xF0 ? std::pair{3, 0x800u}
                                     : Lead < 0xF8 ? std::pair{4, 0x10000u}
                                                   : std::pair{0, 0x0u};
        if (Length == 0 || Utf8.size() - I < static_cast<std::size_t>(Length))
            return std::nullopt;
        char32_t Point = Length == 1 ? Lead : Lead & (0x7Fu >> Length);
        for (int K = 1; K < Length; ++K) {
            const auto Next = static_cast<std::uint8_t>(Utf8[I + static_cast<std::size_t>(K)]);
            if ((Next & 0xC0) != 0x80)
                return std::nullopt;
            Point = Point << 6 | (Next & 0x3Fu);
        }
        if (Point < Least || Point > 0x10FFFF || (Point >= 0xD800 && Point <= 0xDFFF))
            return std::nullopt;
        Points += Point;
        I += static_cast<std::size_t>(Length);
    }
    return Points;
}

void AppendUtf8(std::string& Out, char32_t Point) {
    if (Point < 0x80) {
        Out += static_cast<char>(Point);
    } else if (Point < 0x800) {
        Out += static_cast<char>(0xC0 | Point >> 6);
        Out += static_cast<char>(0x80 | (Point & 0x3F));
    } else if (Point < 0x10000) {
        Out += static_cast<char>(0xE0 | Point >> 12);
        Out += static_cast<char>(0x80 | (Point >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (Point & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | Point >> 18);
        Out += static_cast<char>(0x80 | (Point >> 12 & 0x3F));
        Out += static_cast<char>(0x80 | (Point >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (Point & 0x3F));
    }
}

std::string EncodeUtf8(std::u32string_view Points) {
    std::string Out;
    for (const char32_t Point : Points)
        AppendUtf8(Out, Point);
    return Out;
}

} // namespace pelto
