// Code page 932 in a page. Emscripten's iconv neither decodes nor encodes Shift-JIS, and ICU is
// too large to bring; the browser's decoder (the Encoding Standard's shift_jis, which is code
// page 932) gives the character of every byte pair once, and the rules around that table are
// the native converter's, so that both builds turn every byte string into the same text.
#include "platform/ShiftJis.h"
#include "platform/Utf8.h"

#include <emscripten.h>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace pelto {
namespace {

constexpr std::uint8_t FirstLead = 0x80;
constexpr std::size_t PairCount = (0x100 - FirstLead) * 0x100;

bool IsLead(std::uint8_t Byte) {
    return (Byte >= 0x81 && Byte <= 0x9F) || (Byte >= 0xE0 && Byte <= 0xFC);
}

// clang-format off
EM_JS(void, FillPairsFromBrowser, (std::uint16_t* Pairs), {
    var Decoder = new TextDecoder("shift_jis", { fatal: true });
    for (var Lead = 0x81; Lead <= 0xFC; ++Lead)
        for (var Trail = 0x40; Trail <= 0xFC; ++Trail) {
            var Ch = 0;
            try {
                var Text = Decoder.decode(new Uint8Array([Lead, Trail]));
                if (Text.length == 1)
                    Ch = Text.charCodeAt(0);
            } catch (Error) {
            }
            HEAPU16[(Pairs >> 1) + (Lead - 0x80) * 256 + Trail] = Ch;
        }
});
// clang-format on

/// Every byte pair's character (0: none), and the bytes of every character.
class TCodePage932 {
public:
    static const TCodePage932& Get() {
        static const TCodePage932 Table;
        return Table;
    }

    char16_t Pair(std::uint8_t Lead, std::uint8_t Trail) const {
        return FPairs[static_cast<std::size_t>(Lead - FirstLead) * 0x100 + Trail];
    }
    /// The bytes of Ch, lead byte high; 0 when the code page has none.
    std::uint16_t BytesOf(char32_t Ch) const {
        if (Ch < 0x80)
            return static_cast<std::uint16_t>(Ch);
        if (Ch >= 0xFF61 && Ch <= 0xFF9F)
            return static_cast<std::uint16_t>(Ch - 0xFF61 + 0xA1);
        const auto Found = FBytes.find(Ch);
        return Found == FBytes.end() ? 0 : Found->second;
    }

private:
    TCodePage932() : FPairs(PairCount) {
        FillPairsFromBrowser(reinterpret_cast<std::uint16_t*>(FPairs.data()));
        // Of two pairs for one character, the one outside NEC's copy of IBM's extensions
        // (lead bytes ED and EE) is written, as the native converter writes it.
        const auto Index = [&](bool CopiesToo) {
            for (unsigned Lead = 0x81; Lead <= 0xFC; ++Lead) {
                if (!IsLead(static_cast<std::uint8_t>(Lead)) ||
                    CopiesToo != (Lead == 0xED || Lead == 0xEE))
                    continue;
                for (unsigned Trail = 0x40; Trail <= 0xFC; ++Trail)
                    if (const char16_t Ch =
                            Pair(static_cast<std::uint8_t>(Lead), static_cast<std::uint8_t>(Trail)))
                        FBytes.emplace(Ch, static_cast<std::uint16_t>(Lead << 8 | Trail));
            }
        };
        Index(false);
        Index(true);
    }

    std::vector<char16_t> FPairs;
    std::unordered_map<char32_t, std::uint16_t> FBytes;
};

/// The character of the UTF-8 sequence at Text[At] and its length; length 0 when it is none.
std::pair<char32_t, std::size_t> NextUtf8(std::string_view Text, std::size_t At) {
    const auto Byte = [&](std::size_t I) {
        return static_cast<std::uint8_t>(Text[I]);
    };
    const std::uint8_t Lead = Byte(At);
    const std::size_t Length = Lead < 0x80   ? 1
                               : Lead < 0xC2 ? 0
                               : Lead < 0xE0 ? 2
                               : Lead < 0xF0 ? 3
                               : Lead < 0xF5 ? 4
                                             : 0;
    if (Length == 0 || At + Length > Text.size())
        return {0, 0};
    char32_t Ch = Length == 1 ? Lead : Lead & (0x7F >> Length);
    for (std::size_t I = 1; I < Length; ++I) {
        if ((Byte(At + I) & 0xC0) != 0x80)
            return {0, 0};
        Ch = Ch << 6 | (Byte(At + I) & 0x3F);
    }
    constexpr std::array<char32_t, 5> Least{0, 0, 0x80, 0x800, 0x10000};
    if (Ch < Least[Length] || Ch > 0x10FFFF || (Ch >= 0xD800 && Ch <= 0xDFFF))
        return {0, 0};
    return {Ch, Length};
}

} // namespace

std::string SjisToUtf8(std::string_view Sjis) {
    const TCodePage932& Table = TCodePage932::Get();
    std::string Out;
    Out.reserve(Sjis.size() * 3 / 2);
    for (std::size_t I = 0; I < Sjis.size();) {
        const auto Byte = static_cast<std::uint8_t>(Sjis[I]);
        char32_t Ch = 0xFFFD;
        std::size_t Used = 1;
        if (Byte < 0x80)
            Ch = Byte;
        else if (Byte >= 0xA1 && Byte <= 0xDF)
            Ch = 0xFF61 + (Byte - 0xA1);
        else if (IsLead(Byte) && I + 1 < Sjis.size())
            if (const char16_t Paired = Table.Pair(Byte, static_cast<std::uint8_t>(Sjis[I + 1]))) {
                Ch = Paired;
                Used = 2;
            }
        // As the native converter: a byte that starts no character is one U+FFFD.
        AppendUtf8(Out, Ch);
        I += Used;
    }
    return Out;
}

std::string Utf8ToSjis(std::string_view Utf8) {
    const TCodePage932& Table = TCodePage932::Get();
    std::string Out;
    for (std::size_t I = 0; I < Utf8.size();) {
        const auto [Ch, Length] = NextUtf8(Utf8, I);
        const std::uint16_t Bytes = Length ? Table.BytesOf(Ch) : 0;
        if (Length != 0 && (Bytes != 0 || Ch == 0)) {
            if (Bytes > 0xFF)
                Out += static_cast<char>(Bytes >> 8);
            Out += static_cast<char>(Bytes & 0xFF);
            I += Length;
            continue;
        }
        // As the native converter: a '?' for each byte of what the code page cannot hold.
        Out.append(Length ? Length : 1, '?');
        I += Length ? Length : 1;
    }
    return Out;
}

} // namespace pelto
