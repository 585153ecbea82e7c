#pragma once

namespace pelto {

/// The font name tags are drawn in: Debian's IPA Gothic, which has the game's Japanese. The
/// page writes the same file to this path of the module's file system before a tag is drawn.
#ifdef __EMSCRIPTEN__
inline constexpr const char* TagFontFile = "/fonts/ipag.ttf";
#else
inline constexpr const char* TagFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
#endif

} // namespace pelto
