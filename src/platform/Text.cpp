#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <system_error>

namespace pelto {

char UpperAscii(char C) {
    return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C;
}

std::string UpperCase(std::string_view S) {
    std::string Result(S);
    std::transform(Result.begin(), Result.end(), Result.begin(), UpperAscii);
    return Result;
}

int CompareText(std::string_view A, std::string_view B) {
    const std::size_t Common = std::min(A.size(), B.size());
    for (std::size_t I = 0; I < Common; ++I) {
        const auto CA = static_cast<unsigned char>(UpperAscii(A[I]));
        const auto CB = static_cast<unsigned char>(UpperAscii(B[I]));
        if (CA != CB)
            return CA < CB ? -1 : 1;
    }
    if (A.size() == B.size())
        return 0;
    return A.size() < B.size() ? -1 : 1;
}

bool SameText(std::string_view A, std::string_view B) {
    return A.size() == B.size() && CompareText(A, B) == 0;
}

int HexDigit(char C) {
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

bool MatchesMask(std::string_view Name, std::string_view Mask) {
    // Iterative wildcard match with single-star backtracking: linear in practice.
    std::size_t N = 0, M = 0, StarM = std::string_view::npos, StarN = 0;
    while (N < Name.size()) {
        if (M < Mask.size() && (Mask[M] == '?' || UpperAscii(Mask[M]) == UpperAscii(Name[N]))) {
            ++N;
            ++M;
        } else if (M < Mask.size() && Mask[M] == '*') {
            StarM = M++;
            StarN = N;
        } else if (StarM != std::string_view::npos) {
            M = StarM + 1;
            N = ++StarN;
        } else {
            return false;
        }
    }
    while (M < Mask.size() && Mask[M] == '*')
        ++M;
    return M == Mask.size();
}

std::optional<long> ParseWholeNumber(std::string_view Text, int Base) {
    long Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value, Base);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size())
        return std::nullopt;
    return Value;
}

std::optional<std::uint32_t> ParseRgbHex(std::string_view Text) {
    if (!Text.empty() && Text.front() == '#')
        Text.remove_prefix(1);
    if (Text.size() != 6 ||
        !std::all_of(Text.begin(), Text.end(), [](char C) { return HexDigit(C) >= 0; }))
        return std::nullopt;
    return static_cast<std::uint32_t>(*ParseWholeNumber(Text, 16));
}

std::string MarkupEscape(std::string_view Text) {
    std::string Out;
    Out.reserve(Text.size());
    for (const char C : Text) {
        switch (C) {
        case '&':
            Out += "&amp;";
            break;
        case '<':
            Out += "&lt;";
            break;
        case '>':
            Out += "&gt;";
            break;
        case '"':
            Out += "&quot;";
            break;
        case '\'':
            Out += "&#39;";
            break;
        default:
            Out += C;
        }
    }
    return Out;
}

} // namespace pelto
