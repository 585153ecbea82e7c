#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelto {

// Game file names and sprite names are compared the way Windows compares them for the
// game's own (ASCII) names: letter case ignored, byte by byte otherwise.

char UpperAscii(char C);
std::string UpperCase(std::string_view S);
/// <0, 0 or >0 like strcmp, with ASCII letters compared as upper case.
int CompareText(std::string_view A, std::string_view B);
bool SameText(std::string_view A, std::string_view B);

/// Text with & < > " ' written as the entities HTML and XML both read, for attribute values
/// and element text alike.
std::string MarkupEscape(std::string_view Text);
/// The value of a hexadecimal digit, or -1.
int HexDigit(char C);

/// Text as a whole number in Base (a leading minus allowed, nothing else around it), or
/// nothing when it is not one or does not fit.
std::optional<long> ParseWholeNumber(std::string_view Text, int Base = 10);
/// Six hexadecimal digits RRGGBB, or #RRGGBB, as 0xRRGGBB; nothing for anything else.
std::optional<std::uint32_t> ParseRgbHex(std::string_view Text);

/// Matches a file name against a mask of '*' and '?' wildcards, ignoring letter case.
bool MatchesMask(std::string_view Name, std::string_view Mask);

} // namespace pelto
