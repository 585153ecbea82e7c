#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

// A short text that a picture file carries under a keyword, each format in its standard place
// for it: PNG and APNG a tEXt chunk named Keyword; GIF a comment extension, JPEG a COM segment
// and WebP the description of an XMP packet, each of them holding "Keyword: Text". BMP has no
// such place.

enum class TPictureFormat { Unknown, Bmp, Gif, Jpeg, Png, Webp };

/// The format Picture's first bytes announce.
TPictureFormat SniffPictureFormat(std::span<const std::uint8_t> Picture);

/// Picture, as this program's encoders write it, carrying Text under Keyword; a BMP comes back
/// as it is. Keyword is 1..79 printable ASCII characters; Text is ASCII (the code's alphabet),
/// up to 60000 bytes. Raises std::invalid_argument for other bytes or another text.
std::vector<std::uint8_t> WithPictureText(std::span<const std::uint8_t> Picture,
                                          std::string_view Keyword, std::string_view Text);

/// The text of the first place in Picture that holds Keyword's, or nothing. Any bytes are
/// taken: every length is checked against what is there, damaged structure ends the search,
/// a PNG chunk whose check fails is passed over.
std::optional<std::string> FindPictureText(std::span<const std::uint8_t> Picture,
                                           std::string_view Keyword);

/// A whole tEXt chunk (length, type, data, CRC), for writers that put out chunks themselves.
std::vector<std::uint8_t> PngTextChunk(std::string_view Keyword, std::string_view Text);

} // namespace pelto
