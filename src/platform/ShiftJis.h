#pragma once

#include <string>
#include <string_view>

namespace pelto {

// Game texts are Shift-JIS (code page 932) bytes and are kept as such; they are turned
// into UTF-8 only where they are shown.

/// Invalid or incomplete sequences become U+FFFD.
std::string SjisToUtf8(std::string_view Sjis);
/// Characters that code page 932 cannot hold become '?'.
std::string Utf8ToSjis(std::string_view Utf8);

} // namespace pelto
