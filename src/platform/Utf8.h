#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelto {

/// The code points of Utf8, or nothing when it is not well-formed UTF-8: a stray or missing
/// continuation byte, an overlong form, a surrogate or a value beyond U+10FFFF.
std::optional<std::u32string> DecodeUtf8(std::string_view Utf8);
/// Point as UTF-8 after Out; Point is a Unicode scalar value.
void AppendUtf8(std::string& Out, char32_t Point);
std::string EncodeUtf8(std::u32string_view Points);

} // namespace pelto
