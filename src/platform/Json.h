#pragma once

#include <string>
#include <string_view>

namespace pelto {

/// The JSON string literal of a UTF-8 text, quotes included.
std::string JsonString(std::string_view Utf8);

} // namespace pelto
