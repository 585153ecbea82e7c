#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pelto {

/// The keyword under which exported pictures carry the character's code (see PictureText.h).
inline constexpr std::string_view PictureCodeKeyword = "pelto-code";

/// How much of a file ReadPictureCodeFile reads: every export puts the code well before this,
/// but for a WebP, whose metadata come last.
inline constexpr std::size_t PictureCodeScanBytes = std::size_t{64} << 20;

/// The code Picture carries, as it carries it, or nothing; any bytes are taken.
std::optional<std::string> ReadPictureCode(std::span<const std::uint8_t> Picture);
/// The same for the first PictureCodeScanBytes of the file FileName; raises the stream's
/// errors naming the file.
std::optional<std::string> ReadPictureCodeFile(const std::string& FileName);

} // namespace pelto
