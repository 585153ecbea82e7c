#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

/// RFC 2045 Base64 with the standard alphabet and "=" padding, without line breaks.
std::string Base64Encode(std::span<const std::uint8_t> Bytes);
/// Characters outside the alphabet (blanks, line breaks) are skipped; "=" ends the data.
std::vector<std::uint8_t> Base64Decode(std::string_view Text);

} // namespace pelto
