#pragma once

#include <string>
#include <string_view>

namespace pelto {

/// Utf8 folded for matching as Unicode's NFKC_Casefold folds it: full-width and half-width
/// forms, compatibility characters, letter case and invisible format characters all become one
/// form. Natively ICU folds; a WebAssembly build, which cannot carry ICU's data, folds with the
/// browser's own normalisation, to the same text on the letters item names are written in.
/// Text that cannot be folded comes back as it was.
std::string FoldForMatching(std::string_view Utf8);

} // namespace pelto
