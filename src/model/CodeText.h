#pragma once

#include <string>
#include <string_view>

namespace pelto {

/// A character code as clients send it, made what the code box takes: line breaks are no part
/// of it, a space is a "+" that came unescaped through a query string (codes hold no spaces),
/// and the URL-safe alphabet's "-" and "_" are "+" and "/".
std::string NormalizeCode(std::string_view Code);

/// A code as it is pasted or dropped, from a chat say: blanks around it and a "code:" in front
/// are no part of it either; then as NormalizeCode. Empty when nothing is left.
std::string CleanPastedCode(std::string_view Text);

/// The code of the design Code holds, as the viewer writes it: every spelling of one design
/// (padding, trailing zero bytes, characters the decoder passes over) gives one text, for a
/// cache to key by. Raises EInvalidCode for what is not a code, holds any character beyond a
/// code's alphabet, or names none of the characters.
std::string CanonicalCode(std::string_view Code);

} // namespace pelto
