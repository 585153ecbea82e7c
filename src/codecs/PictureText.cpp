#include "codecs/PictureText.h"

#include "platform/LittleEndian.h"
#include "platform/Text.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace pelto {
namespace {

using TBytes = std::span<const std::uint8_t>;

constexpr std::uint8_t PngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t PngChunkFrame = 12; // length, type and CRC around the data
constexpr std::uint32_t MaxPngChunk = 0x7FFFFFFF;
constexpr std::size_t MaxKeyword = 79;    // PNG's limit, taken for every format
constexpr std::size_t MaxText = 60000;    // within a JPEG segment, with the keyword
constexpr std::size_t GifHeaderSize = 13; // signature, version and logical screen
constexpr std::size_t GifImageDescriptor = 9;
constexpr std::size_t GifSubBlock = 255;
constexpr std::uint8_t GifExtension = 0x21;
constexpr std::uint8_t GifComment = 0xFE;
constexpr std::uint8_t GifImage = 0x2C;
constexpr std::uint8_t JpegMarker = 0xFF;
constexpr std::uint8_t JpegSoi = 0xD8;
constexpr std::uint8_t JpegEoi = 0xD9;
constexpr std::uint8_t JpegSos = 0xDA;
constexpr std::uint8_t JpegApp0 = 0xE0;
constexpr std::uint8_t JpegCom = 0xFE;
constexpr std::size_t WebpChunkHeader = 8; // four-character code and size

bool HasAt(TBytes Bytes, std::size_t Pos, std::string_view Text) {
    return Pos <= Bytes.size() && Text.size() <= Bytes.size() - Pos &&
           std::equal(Text.begin(), Text.end(), Bytes.begin() + static_cast<std::ptrdiff_t>(Pos),
                      [](char C, std::uint8_t B) { return static_cast<std::uint8_t>(C) == B; });
}

std::string_view AsText(TBytes Bytes) {
    return {reinterpret_cast<const char*>(Bytes.data()), Bytes.size()};
}

std::uint32_t LoadBE32(const std::uint8_t* P) {
    return static_cast<std::uint32_t>(P[0]) << 24 | static_cast<std::uint32_t>(P[1]) << 16 |
           static_cast<std::uint32_t>(P[2]) << 8 | P[3];
}

std::uint16_t LoadBE16(const std::uint8_t* P) {
    return static_cast<std::uint16_t>(P[0] << 8 | P[1]);
}

void PutBE32(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Out.push_back(static_cast<std::uint8_t>(Value >> Shift));
}

void Append(std::vector<std::uint8_t>& Out, std::string_view Text) {
    Out.insert(Out.end(), Text.begin(), Text.end());
}

bool IsPrintableAscii(std::string_view Text) {
    return std::all_of(Text.begin(), Text.end(), [](char C) { return C >= 0x20 && C <= 0x7E; });
}

void CheckText(std::string_view Keyword, std::string_view Text) {
    if (Keyword.empty() || Keyword.size() > MaxKeyword || !IsPrintableAscii(Keyword) ||
        Text.size() > MaxText || !IsPrintableAscii(Text))
        throw std::invalid_argument("a picture text is a keyword and a line of ASCII");
}

[[noreturn]] void NotOurs(const char* Format) {
    throw std::invalid_argument(std::string("not a ") + Format + " this program writes");
}

// The comment formats hold "Keyword: Text".
std::string Labelled(std::string_view Keyword, std::string_view Text) {
    return std::string(Keyword) + ": " + std::string(Text);
}

std::optional<std::string> Unlabelled(std::string_view Content, std::string_view Keyword) {
    if (Content.size() < Keyword.size() + 2 || !Content.starts_with(Keyword) ||
        Content.substr(Keyword.size(), 2) != ": ")
        return std::nullopt;
    return std::string(Content.substr(Keyword.size() + 2));
}

std::vector<std::uint8_t> Spliced(TBytes Picture, std::size_t At, TBytes Insert) {
    std::vector<std::uint8_t> Out(Picture.begin(),
                                  Picture.begin() + static_cast<std::ptrdiff_t>(At));
    Out.insert(Out.end(), Insert.begin(), Insert.end());
    Out.insert(Out.end(), Picture.begin() + static_cast<std::ptrdiff_t>(At), Picture.end());
    return Out;
}

std::uint32_t PngCrc(TBytes TypeAndData) {
    // zlib takes 32-bit lengths; a chunk's data is below 2^31 bytes (MaxPngChunk).
    return static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), TypeAndData.data(), static_cast<uInt>(TypeAndData.size())));
}

// --- PNG -------------------------------------------------------------------------------------

std::vector<std::uint8_t> PngWithText(TBytes Picture, std::string_view Keyword,
                                      std::string_view Text) {
    // Right after the header, where a reader of only the file's start finds it too.
    constexpr std::size_t HeaderEnd = sizeof PngSignature + PngChunkFrame + 13;
    if (Picture.size() < HeaderEnd || LoadBE32(Picture.data() + 8) != 13 ||
        !HasAt(Picture, 12, "IHDR"))
        NotOurs("PNG");
    return Spliced(Picture, HeaderEnd, PngTextChunk(Keyword, Text));
}

std::optional<std::string> PngText(TBytes Picture, std::string_view Keyword) {
    std::size_t Pos = sizeof PngSignature;
    while (Picture.size() - Pos >= PngChunkFrame) {
        const std::uint32_t Length = LoadBE32(Picture.data() + Pos);
        if (Length > MaxPngChunk || Length > Picture.size() - Pos - PngChunkFrame)
            return std::nullopt;
        const TBytes TypeAndData = Picture.subspan(Pos + 4, 4 + std::size_t{Length});
        if (HasAt(Picture, Pos + 4, "IEND"))
            return std::nullopt;
        // The fuzzer cannot forge checksums; outside fuzzing a damaged chunk is no text.
        bool Intact = true;
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        Intact = PngCrc(TypeAndData) == LoadBE32(Picture.data() + Pos + 8 + Length);
#endif
        if (Intact && HasAt(Picture, Pos + 4, "tEXt")) {
            const std::string_view Data = AsText(TypeAndData.subspan(4));
            const std::size_t Nul = Data.find('\0');
            if (Nul != std::string_view::npos && Data.substr(0, Nul) == Keyword)
                return std::string(Data.substr(Nul + 1));
        }
        Pos += PngChunkFrame + Length;
    }
    return std::nullopt;
}

// --- GIF -------------------------------------------------------------------------------------

// The size of the colour table a packed field of a screen or image descriptor announces.
std::size_t GifColorTable(std::uint8_t Packed) {
    return Packed & 0x80 ? std::size_t{3} << ((Packed & 7) + 1) : 0;
}

std::vector<std::uint8_t> GifWithText(TBytes Picture, std::string_view Keyword,
                                      std::string_view Text) {
    if (Picture.size() < GifHeaderSize ||
        !(HasAt(Picture, 0, "GIF87a") || HasAt(Picture, 0, "GIF89a")))
        NotOurs("GIF");
    // Before the first image, after the global colour table.
    const std::size_t At = GifHeaderSize + GifColorTable(Picture[10]);
    if (At >= Picture.size())
        NotOurs("GIF");
    CheckText(Keyword, Text);
    const std::string Content = Labelled(Keyword, Text);
    std::vector<std::uint8_t> Block{GifExtension, GifComment};
    for (std::size_t Pos = 0; Pos < Content.size(); Pos += GifSubBlock) {
        const std::size_t Size = std::min(GifSubBlock, Content.size() - Pos);
        Block.push_back(static_cast<std::uint8_t>(Size));
        Append(Block, std::string_view(Content).substr(Pos, Size));
    }
    Block.push_back(0);
    std::vector<std::uint8_t> Out = Spliced(Picture, At, Block);
    Out[4] = '9'; // comments are a GIF89a block
    return Out;
}

// Passes over the data sub-blocks at Pos, gathering them into Content when it is given; false
// when the bytes end first.
bool SkipGifSubBlocks(TBytes Picture, std::size_t& Pos, std::string* Content) {
    for (;;) {
        if (Pos >= Picture.size())
            return false;
        const std::size_t Size = Picture[Pos++];
        if (Size == 0)
            return true;
        if (Size > Picture.size() - Pos)
            return false;
        if (Content)
            Content->append(AsText(Picture.subspan(Pos, Size)));
        Pos += Size;
    }
}

std::optional<std::string> GifText(TBytes Picture, std::string_view Keyword) {
    if (Picture.size() < GifHeaderSize)
        return std::nullopt;
    std::size_t Pos = GifHeaderSize;
    const std::size_t Table = GifColorTable(Picture[10]);
    if (Table > Picture.size() - Pos)
        return std::nullopt;
    Pos += Table;
    while (Pos < Picture.size()) {
        const std::uint8_t Introducer = Picture[Pos++];
        if (Introducer == GifExtension) {
            if (Pos >= Picture.size())
                return std::nullopt;
            const bool Comment = Picture[Pos++] == GifComment;
            std::string Content;
            if (!SkipGifSubBlocks(Picture, Pos, Comment ? &Content : nullptr))
                return std::nullopt;
            if (Comment)
                if (auto Text = Unlabelled(Content, Keyword))
                    return Text;
        } else if (Introducer == GifImage) {
            if (Picture.size() - Pos < GifImageDescriptor)
                return std::nullopt;
            const std::size_t Local = GifColorTable(Picture[Pos + 8]);
            Pos += GifImageDescriptor;
            if (Local >= Picture.size() - Pos) // the table, then the LZW code size
                return std::nullopt;
            Pos += Local + 1;
            if (!SkipGifSubBlocks(Picture, Pos, nullptr))
                return std::nullopt;
        } else {
            return std::nullopt; // the trailer, or not a block at all
        }
    }
    return std::nullopt;
}

// --- JPEG ------------------------------------------------------------------------------------

std::vector<std::uint8_t> JpegWithText(TBytes Picture, std::string_view Keyword,
                                       std::string_view Text) {
    if (Picture.size() < 4 || Picture[0] != JpegMarker || Picture[1] != JpegSoi)
        NotOurs("JPEG");
    // JFIF wants its APP0 segment first: the comment follows it.
    std::size_t At = 2;
    if (Picture[2] == JpegMarker && Picture[3] == JpegApp0) {
        if (Picture.size() < 6)
            NotOurs("JPEG");
        const std::size_t Length = LoadBE16(Picture.data() + 4);
        At = 4 + Length;
        if (Length < 2 || At > Picture.size())
            NotOurs("JPEG");
    }
    CheckText(Keyword, Text);
    const std::string Content = Labelled(Keyword, Text);
    std::vector<std::uint8_t> Segment{JpegMarker, JpegCom};
    const std::size_t Length = 2 + Content.size();
    Segment.push_back(static_cast<std::uint8_t>(Length >> 8));
    Segment.push_back(static_cast<std::uint8_t>(Length));
    Append(Segment, Content);
    return Spliced(Picture, At, Segment);
}

std::optional<std::string> JpegText(TBytes Picture, std::string_view Keyword) {
    std::size_t Pos = 2;
    for (;;) {
        if (Pos >= Picture.size() || Picture[Pos] != JpegMarker)
            return std::nullopt;
        while (Pos < Picture.size() && Picture[Pos] == JpegMarker) // fill bytes
            ++Pos;
        if (Pos >= Picture.size())
            return std::nullopt;
        const std::uint8_t Marker = Picture[Pos++];
        // Comments come before the image data; what follows it is not searched.
        if (Marker == JpegSos || Marker == JpegEoi)
            return std::nullopt;
        if (Marker == 0x01 || (Marker >= 0xD0 && Marker <= 0xD7)) // no length
            continue;
        if (Picture.size() - Pos < 2)
            return std::nullopt;
        const std::size_t Length = LoadBE16(Picture.data() + Pos);
        if (Length < 2 || Length > Picture.size() - Pos)
            return std::nullopt;
        if (Marker == JpegCom)
            if (auto Text = Unlabelled(AsText(Picture.subspan(Pos + 2, Length - 2)), Keyword))
                return Text;
        Pos += Length;
    }
}

// --- WebP ------------------------------------------------------------------------------------

std::string XmlUnescaped(std::string_view Text) {
    static constexpr std::pair<std::string_view, char> Entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string Out;
    for (std::size_t I = 0; I < Text.size();) {
        bool Replaced = false;
        for (const auto& [Entity, Char] : Entities)
            if (Text.substr(I).starts_with(Entity)) {
                Out += Char;
                I += Entity.size();
                Replaced = true;
                break;
            }
        if (!Replaced)
            Out += Text[I++];
    }
    return Out;
}

// The packet's Dublin Core description, the text most tools show of a picture's XMP.
std::string XmpPacket(std::string_view Description) {
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">"
           "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
           "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
           "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
           MarkupEscape(Description) +
           "</rdf:li></rdf:Alt></dc:description></rdf:Description></rdf:RDF></x:xmpmeta>\n"
           "<?xpacket end=\"r\"?>";
}

std::optional<std::string> XmpText(std::string_view Packet, std::string_view Keyword) {
    const std::string Start = ">" + std::string(Keyword) + ": ";
    const std::size_t Found = Packet.find(Start);
    if (Found == std::string_view::npos)
        return std::nullopt;
    const std::size_t Begin = Found + Start.size();
    const std::size_t End = Packet.find('<', Begin);
    if (End == std::string_view::npos)
        return std::nullopt;
    return XmlUnescaped(Packet.substr(Begin, End - Begin));
}

void PutLE32(std::vector<std::uint8_t>& Out, std::size_t At, std::uint32_t Value) {
    for (int I = 0; I < 4; ++I)
        Out[At + static_cast<std::size_t>(I)] = static_cast<std::uint8_t>(Value >> (8 * I));
}

constexpr std::size_t Vp8xFlags = 20;
constexpr std::uint8_t XmpFlag = 0x04;
constexpr std::uint8_t AlphaFlag = 0x10;

// A simple lossless file (one frame, as the encoder's mux makes of an animation of one) in the
// extended format, which alone has room for metadata: a VP8X header with the canvas size of
// the VP8L bitstream before it.
std::vector<std::uint8_t> ExtendedWebp(TBytes Picture) {
    constexpr std::size_t Bitstream = 20; // after RIFF, WEBP and the chunk's header
    if (Picture.size() < Bitstream + 5 || !HasAt(Picture, 12, "VP8L") || Picture[Bitstream] != 0x2F)
        return {Picture.begin(), Picture.end()};
    const std::uint32_t Bits = LoadLE32(Picture.data() + Bitstream + 1);
    const std::uint32_t Width = (Bits & 0x3FFF) + 1, Height = ((Bits >> 14) & 0x3FFF) + 1;
    const bool Alpha = (Bits >> 28) & 1;
    std::vector<std::uint8_t> Out(Picture.begin(), Picture.begin() + 12);
    Append(Out, "VP8X");
    for (const std::uint8_t Byte : {10, 0, 0, 0, Alpha ? AlphaFlag : 0, 0, 0, 0})
        Out.push_back(Byte);
    for (const std::uint32_t Size : {Width - 1, Height - 1})
        for (int I = 0; I < 3; ++I)
            Out.push_back(static_cast<std::uint8_t>(Size >> (8 * I)));
    Out.insert(Out.end(), Picture.begin() + 12, Picture.end());
    PutLE32(Out, 4, static_cast<std::uint32_t>(Out.size() - 8));
    return Out;
}

// By hand, not through libwebp's mux: the mux crashes on some damaged files it accepts (the
// fuzzer found one).
std::vector<std::uint8_t> WebpWithText(TBytes Plain, std::string_view Keyword,
                                       std::string_view Text) {
    CheckText(Keyword, Text);
    if (Plain.size() < 12 || std::size_t{8} + LoadLE32(Plain.data() + 4) != Plain.size())
        NotOurs("WebP");
    const std::vector<std::uint8_t> Extended = ExtendedWebp(Plain);
    const TBytes Picture = Extended;
    // The extended header first, every chunk whole up to the RIFF's end, no XMP yet.
    if (Picture.size() < Vp8xFlags + 10 || !HasAt(Picture, 12, "VP8X") ||
        LoadLE32(Picture.data() + 16) != 10)
        NotOurs("WebP");
    for (std::size_t Pos = 12; Pos < Picture.size();) {
        if (Picture.size() - Pos < WebpChunkHeader || HasAt(Picture, Pos, "XMP "))
            NotOurs("WebP");
        const std::size_t Size = LoadLE32(Picture.data() + Pos + 4);
        Pos += WebpChunkHeader;
        if (Size > Picture.size() - Pos || (Size & 1 && Size == Picture.size() - Pos))
            NotOurs("WebP");
        Pos += Size + (Size & 1); // chunks are padded to even sizes
    }
    const std::string Packet = XmpPacket(Labelled(Keyword, Text));
    std::vector<std::uint8_t> Out(Picture.begin(), Picture.end());
    Out[Vp8xFlags] |= XmpFlag;
    // After the image data, where the format puts metadata.
    Append(Out, "XMP ");
    Out.resize(Out.size() + 4);
    PutLE32(Out, Out.size() - 4, static_cast<std::uint32_t>(Packet.size()));
    Append(Out, Packet);
    if (Packet.size() & 1)
        Out.push_back(0);
    PutLE32(Out, 4, static_cast<std::uint32_t>(Out.size() - 8));
    return Out;
}

std::optional<std::string> WebpText(TBytes Picture, std::string_view Keyword) {
    constexpr std::size_t ChunkHeader = WebpChunkHeader;
    // The RIFF size bounds the chunks; bytes after it are not the file's.
    const std::size_t End =
        std::min<std::size_t>(Picture.size(), std::size_t{8} + LoadLE32(Picture.data() + 4));
    std::size_t Pos = 12;
    while (Pos <= End && End - Pos >= ChunkHeader) {
        const bool Xmp = HasAt(Picture, Pos, "XMP ");
        const std::size_t Size = LoadLE32(Picture.data() + Pos + 4);
        Pos += ChunkHeader;
        if (Size > End - Pos)
            return std::nullopt;
        if (Xmp)
            if (auto Text = XmpText(AsText(Picture.subspan(Pos, Size)), Keyword))
                return Text;
        Pos += Size + (Size & 1); // chunks are padded to even sizes
    }
    return std::nullopt;
}

} // namespace

TPictureFormat SniffPictureFormat(std::span<const std::uint8_t> Picture) {
    if (Picture.size() >= sizeof PngSignature &&
        std::equal(std::begin(PngSignature), std::end(PngSignature), Picture.begin()))
        return TPictureFormat::Png;
    if (HasAt(Picture, 0, "GIF87a") || HasAt(Picture, 0, "GIF89a"))
        return TPictureFormat::Gif;
    if (Picture.size() >= 3 && Picture[0] == JpegMarker && Picture[1] == JpegSoi &&
        Picture[2] == JpegMarker)
        return TPictureFormat::Jpeg;
    if (Picture.size() >= 12 && HasAt(Picture, 0, "RIFF") && HasAt(Picture, 8, "WEBP"))
        return TPictureFormat::Webp;
    if (HasAt(Picture, 0, "BM"))
        return TPictureFormat::Bmp;
    return TPictureFormat::Unknown;
}

std::vector<std::uint8_t> PngTextChunk(std::string_view Keyword, std::string_view Text) {
    CheckText(Keyword, Text);
    std::vector<std::uint8_t> Chunk;
    PutBE32(Chunk, static_cast<std::uint32_t>(Keyword.size() + 1 + Text.size()));
    Append(Chunk, "tEXt");
    Append(Chunk, Keyword);
    Chunk.push_back(0);
    Append(Chunk, Text);
    PutBE32(Chunk, PngCrc(TBytes(Chunk).subspan(4)));
    return Chunk;
}

std::vector<std::uint8_t> WithPictureText(std::span<const std::uint8_t> Picture,
                                          std::string_view Keyword, std::string_view Text) {
    switch (SniffPictureFormat(Picture)) {
    case TPictureFormat::Png:
        return PngWithText(Picture, Keyword, Text);
    case TPictureFormat::Gif:
        return GifWithText(Picture, Keyword, Text);
    case TPictureFormat::Jpeg:
        return JpegWithText(Picture, Keyword, Text);
    case TPictureFormat::Webp:
        return WebpWithText(Picture, Keyword, Text);
    case TPictureFormat::Bmp:
        CheckText(Keyword, Text);
        return {Picture.begin(), Picture.end()};
    case TPictureFormat::Unknown:
        break;
    }
    throw std::invalid_argument("not a picture this program writes");
}

std::optional<std::string> FindPictureText(std::span<const std::uint8_t> Picture,
                                           std::string_view Keyword) {
    switch (SniffPictureFormat(Picture)) {
    case TPictureFormat::Png:
        return PngText(Picture, Keyword);
    case TPictureFormat::Gif:
        return GifText(Picture, Keyword);
    case TPictureFormat::Jpeg:
        return JpegText(Picture, Keyword);
    case TPictureFormat::Webp:
        return WebpText(Picture, Keyword);
    case TPictureFormat::Bmp:
    case TPictureFormat::Unknown:
        break;
    }
    return std::nullopt;
}

} // namespace pelto
