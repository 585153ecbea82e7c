// Texts in pictures: written into what our encoders make, read back by the libraries that
// read those formats and by our own reader, which must take any bytes without harm.
#include "codecs/PictureText.h"

#include "codecs/AnimationEncoders.h"
#include "codecs/ColorReduction.h"
#include "codecs/ImageEncoders.h"
#include "platform/LittleEndian.h"
#include "support/ImageDecoders.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <webp/demux.h>
#include <zlib.h>

#include <csetjmp>
#include <random>

using namespace pelto;

namespace {

using TBytes = std::vector<std::uint8_t>;

constexpr std::string_view Keyword = "pelto-code";
constexpr std::string_view Code = "AQ4AHAf0emdD";

TBitmap Picture(TPixelFormat Format) {
    TBitmap Bitmap(24, 16, Format);
    for (int Y = 0; Y < Bitmap.Height(); ++Y)
        for (int X = 0; X < Bitmap.Width(); ++X) {
            std::uint8_t* P = Bitmap.ScanLine(Y) + X * Bitmap.BytesPerPixel();
            P[0] = static_cast<std::uint8_t>(X * 10);
            P[1] = static_cast<std::uint8_t>(Y * 15);
            P[2] = static_cast<std::uint8_t>(X < 12 ? 200 : 30);
            if (Bitmap.BytesPerPixel() == 4)
                P[3] = 255;
        }
    return Bitmap;
}

template <typename F> TBytes Encoded(F Encode) {
    TMemoryStream Stream;
    Encode(Stream);
    return {Stream.Memory().begin(), Stream.Memory().end()};
}

TBytes Png() {
    return Encoded([](TStream& S) { SavePngRgbToStream(Picture(TPixelFormat::pf24bit), S); });
}
TBytes Apng() {
    const std::vector<TBitmap> Frames{Picture(TPixelFormat::pf32bit),
                                      Picture(TPixelFormat::pf32bit)};
    return Encoded([&](TStream& S) { SaveApngToStream(Frames, true, 100, S); });
}
TBytes Gif() {
    const std::vector<TReducedFrame> Frames{ReduceFrameColors(Picture(TPixelFormat::pf24bit))};
    return Encoded([&](TStream& S) { SaveAnimatedGifToStream(Frames, false, S); });
}
TBytes Jpeg() {
    return Encoded([](TStream& S) { SaveJpegToStream(Picture(TPixelFormat::pf24bit), S); });
}
TBytes Webp(int FrameCount) {
    const std::vector<TBitmap> Frames(static_cast<std::size_t>(FrameCount),
                                      Picture(TPixelFormat::pf32bit));
    return Encoded([&](TStream& S) { SaveAnimatedWebpToStream(Frames, false, 100, S); });
}
TBytes Bmp() {
    return Encoded([](TStream& S) { SaveBmpToStream(Picture(TPixelFormat::pf24bit), S); });
}

TBytes WithCode(const TBytes& Picture) {
    return WithPictureText(Picture, Keyword, Code);
}

// --- what the formats' own libraries read -----------------------------------------------------

struct TPngTexts {
    std::vector<std::pair<std::string, std::string>> Texts;
    bool Failed = false;
};

TPngTexts LibpngTexts(const TBytes& Bytes) {
    struct TSource {
        const TBytes& Bytes;
        std::size_t Pos = 0;
    } Source{Bytes};
    TPngTexts Result;
    png_structp Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop Info = png_create_info_struct(Png);
    if (setjmp(png_jmpbuf(Png))) {
        Result.Failed = true;
        png_destroy_read_struct(&Png, &Info, nullptr);
        return Result;
    }
    png_set_read_fn(Png, &Source, [](png_structp P, png_bytep Out, png_size_t Count) {
        auto& S = *static_cast<TSource*>(png_get_io_ptr(P));
        if (Count > S.Bytes.size() - S.Pos)
            png_error(P, "past the end");
        std::copy_n(S.Bytes.begin() + static_cast<std::ptrdiff_t>(S.Pos), Count, Out);
        S.Pos += Count;
    });
    png_read_info(Png, Info);
    png_textp Texts = nullptr;
    int Count = 0;
    png_get_text(Png, Info, &Texts, &Count);
    for (int I = 0; I < Count; ++I)
        Result.Texts.emplace_back(Texts[I].key, std::string(Texts[I].text, Texts[I].text_length));
    png_destroy_read_struct(&Png, &Info, nullptr);
    return Result;
}

std::vector<std::string> GiflibComments(const TBytes& Bytes) {
    const test::TDecodedGif Gif(Bytes);
    std::vector<std::string> Comments;
    // giflib gives a comment's first sub-block, then each further one as a continuation.
    const auto Gather = [&](const ExtensionBlock* Blocks, int Count) {
        bool InComment = false;
        for (int I = 0; I < Count; ++I) {
            const std::string Bytes(reinterpret_cast<const char*>(Blocks[I].Bytes),
                                    static_cast<std::size_t>(Blocks[I].ByteCount));
            if (Blocks[I].Function == COMMENT_EXT_FUNC_CODE)
                Comments.push_back(Bytes);
            else if (Blocks[I].Function == CONTINUE_EXT_FUNC_CODE && InComment)
                Comments.back() += Bytes;
            if (Blocks[I].Function != CONTINUE_EXT_FUNC_CODE)
                InComment = Blocks[I].Function == COMMENT_EXT_FUNC_CODE;
        }
    };
    Gather(Gif->ExtensionBlocks, Gif->ExtensionBlockCount);
    for (int I = 0; I < Gif->ImageCount; ++I)
        Gather(Gif->SavedImages[I].ExtensionBlocks, Gif->SavedImages[I].ExtensionBlockCount);
    return Comments;
}

std::vector<std::string> LibjpegComments(const TBytes& Bytes) {
    jpeg_decompress_struct Info{};
    jpeg_error_mgr Error{};
    Info.err = jpeg_std_error(&Error);
    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, Bytes.data(), Bytes.size());
    jpeg_save_markers(&Info, JPEG_COM, 0xFFFF);
    EXPECT_EQ(jpeg_read_header(&Info, TRUE), JPEG_HEADER_OK);
    std::vector<std::string> Comments;
    for (jpeg_saved_marker_ptr M = Info.marker_list; M; M = M->next)
        Comments.emplace_back(reinterpret_cast<const char*>(M->data), M->data_length);
    EXPECT_TRUE(Info.saw_JFIF_marker); // the comment did not push the JFIF header aside
    jpeg_destroy_decompress(&Info);
    return Comments;
}

} // namespace

TEST(PictureText, PngAndApngCarryATextChunkThatLibpngReads) {
    for (const TBytes& Plain : {Png(), Apng()}) {
        const TBytes Marked = WithCode(Plain);
        const TPngTexts Read = LibpngTexts(Marked);
        ASSERT_FALSE(Read.Failed);
        ASSERT_EQ(Read.Texts.size(), 1u);
        EXPECT_EQ(Read.Texts[0].first, Keyword);
        EXPECT_EQ(Read.Texts[0].second, Code);
        EXPECT_EQ(FindPictureText(Marked, Keyword), Code);
        EXPECT_EQ(FindPictureText(Marked, "pelto"), std::nullopt); // a keyword is whole
        EXPECT_EQ(FindPictureText(Plain, Keyword), std::nullopt);
        // The pixels are the same.
        EXPECT_EQ(test::DecodePng(Marked, PNG_FORMAT_RGBA).Pixels,
                  test::DecodePng(Plain, PNG_FORMAT_RGBA).Pixels);
    }
}

TEST(PictureText, GifCarriesACommentThatGiflibReadsInPiecesOf255) {
    const TBytes Marked = WithCode(Gif());
    EXPECT_EQ(GiflibComments(Marked), std::vector<std::string>{"pelto-code: AQ4AHAf0emdD"});
    EXPECT_EQ(FindPictureText(Marked, Keyword), Code);
    EXPECT_EQ(test::TDecodedGif(Marked)->ImageCount, 1);

    const std::string Long(600, 'x'); // three sub-blocks
    const TBytes LongMarked = WithPictureText(Gif(), Keyword, Long);
    EXPECT_EQ(FindPictureText(LongMarked, Keyword), Long);
    EXPECT_EQ(GiflibComments(LongMarked), std::vector<std::string>{"pelto-code: " + Long});
}

TEST(PictureText, JpegCarriesAComSegmentAfterItsJfifHeader) {
    const TBytes Marked = WithCode(Jpeg());
    EXPECT_EQ(LibjpegComments(Marked), std::vector<std::string>{"pelto-code: AQ4AHAf0emdD"});
    EXPECT_EQ(FindPictureText(Marked, Keyword), Code);
    EXPECT_EQ(FindPictureText(Jpeg(), Keyword), std::nullopt);
}

TEST(PictureText, WebpCarriesXmpInTheExtendedFormatForOneFrameAndMany) {
    for (const int Frames : {1, 3}) {
        const TBytes Plain = Webp(Frames);
        // Text with XML's own characters survives its escaping.
        const std::string Text = "a<b>&\"c\"";
        const TBytes Marked = WithPictureText(Plain, Keyword, Text);
        const WebPData Data{Marked.data(), Marked.size()};
        WebPDemuxer* Demux = WebPDemux(&Data);
        ASSERT_NE(Demux, nullptr);
        EXPECT_TRUE(WebPDemuxGetI(Demux, WEBP_FF_FORMAT_FLAGS) & XMP_FLAG);
        EXPECT_EQ(WebPDemuxGetI(Demux, WEBP_FF_FRAME_COUNT), static_cast<std::uint32_t>(Frames));
        WebPChunkIterator Chunk;
        ASSERT_TRUE(WebPDemuxGetChunk(Demux, "XMP ", 1, &Chunk));
        const std::string Xmp(reinterpret_cast<const char*>(Chunk.chunk.bytes), Chunk.chunk.size);
        EXPECT_NE(Xmp.find("<dc:description>"), std::string::npos);
        EXPECT_NE(Xmp.find(">pelto-code: a&lt;b&gt;&amp;&quot;c&quot;<"), std::string::npos) << Xmp;
        WebPDemuxReleaseChunkIterator(&Chunk);
        WebPDemuxDelete(Demux);
        EXPECT_EQ(FindPictureText(Marked, Keyword), Text);
        EXPECT_EQ(FindPictureText(Plain, Keyword), std::nullopt);
    }
}

TEST(PictureText, BitmapsStayAsTheyAreAndOtherBytesOrTextsAreRefused) {
    EXPECT_EQ(WithCode(Bmp()), Bmp());
    EXPECT_EQ(FindPictureText(Bmp(), Keyword), std::nullopt);
    EXPECT_THROW(WithCode(TBytes{1, 2, 3}), std::invalid_argument);
    const TBytes Whole = Png();
    const TBytes Cut(Whole.begin(), Whole.begin() + 20); // no whole header
    EXPECT_THROW(WithCode(Cut), std::invalid_argument);
    EXPECT_THROW(WithPictureText(Png(), "", Code), std::invalid_argument);
    EXPECT_THROW(WithPictureText(Png(), std::string(80, 'k'), Code), std::invalid_argument);
    EXPECT_THROW(WithPictureText(Png(), Keyword, "line\nbreak"), std::invalid_argument);
    EXPECT_THROW(WithPictureText(Jpeg(), Keyword, std::string(60001, 'x')), std::invalid_argument);
}

TEST(PictureText, EveryCutOfAMarkedPictureIsReadWithoutHarm) {
    for (const TBytes& Marked : {WithCode(Png()), WithCode(Apng()), WithCode(Gif()),
                                 WithCode(Jpeg()), WithCode(Webp(2))}) {
        const auto Whole = FindPictureText(Marked, Keyword);
        ASSERT_EQ(Whole, Code);
        for (std::size_t Size = 0; Size < Marked.size(); ++Size) {
            const auto Read = FindPictureText(std::span(Marked).first(Size), Keyword);
            // A cut before the text's end finds nothing; none finds another text.
            EXPECT_TRUE(!Read || *Read == Code) << Size;
        }
    }
}

TEST(PictureText, DamagedStructureEndsTheSearchAndADamagedChunkIsPassedOver) {
    TBytes Marked = WithCode(Png());
    // The chunk's CRC is wrong: libpng would refuse it, we pass it over.
    TBytes BadCrc = Marked;
    BadCrc[33 + 8 + Keyword.size() + 1 + Code.size()] ^= 1;
    EXPECT_EQ(FindPictureText(BadCrc, Keyword), std::nullopt);
    // A length running past the end, and the largest length there is.
    for (const std::uint8_t Top : {0x00, 0x7F, 0xFF}) {
        TBytes Long = Marked;
        Long[33] = Top;
        Long[34] = 0xFF;
        EXPECT_EQ(FindPictureText(Long, Keyword), std::nullopt);
    }

    TBytes Gif = WithCode(::Gif());
    const std::size_t Comment = std::search(Gif.begin(), Gif.end(), Keyword.begin(),
                                            Keyword.end()) -
                                Gif.begin() - 1; // its sub-block's size
    Gif[Comment] = 0xFF;                         // more than there is
    Gif.resize(Comment + 100);
    EXPECT_EQ(FindPictureText(Gif, Keyword), std::nullopt);
    const TBytes Truncated{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0xF7, 0, 0}; // table missing
    EXPECT_EQ(FindPictureText(Truncated, Keyword), std::nullopt);

    TBytes Jpeg = WithCode(::Jpeg());
    const std::size_t Segment =
        std::search(Jpeg.begin(), Jpeg.end(), Keyword.begin(), Keyword.end()) - Jpeg.begin();
    for (const std::uint16_t Length : {0, 1, 0xFFFF}) {
        TBytes Bad = Jpeg;
        Bad[Segment - 2] = static_cast<std::uint8_t>(Length >> 8);
        Bad[Segment - 1] = static_cast<std::uint8_t>(Length);
        EXPECT_EQ(FindPictureText(Bad, Keyword), std::nullopt) << Length;
    }

    TBytes Webp = WithCode(::Webp(1));
    for (std::size_t Chunk = 12; Chunk + 8 <= Webp.size();) { // every chunk's size too large
        TBytes Bad = Webp;
        Bad[Chunk + 4] = Bad[Chunk + 5] = Bad[Chunk + 6] = Bad[Chunk + 7] = 0xFF;
        EXPECT_EQ(FindPictureText(Bad, Keyword), std::nullopt) << Chunk;
        const std::uint32_t Size = LoadLE32(&Webp[Chunk + 4]);
        Chunk += 8 + Size + (Size & 1);
    }
    TBytes ShortRiff = Webp; // the RIFF size ends the file before the XMP chunk
    ShortRiff[4] = 4;
    ShortRiff[5] = ShortRiff[6] = ShortRiff[7] = 0;
    EXPECT_EQ(FindPictureText(ShortRiff, Keyword), std::nullopt);
}

TEST(PictureText, RandomBytesAfterAnySignatureAreReadWithoutHarm) {
    std::mt19937 Random(5);
    const std::vector<TBytes> Starts{WithCode(Png()), WithCode(Gif()), WithCode(Jpeg()),
                                     WithCode(Webp(1))};
    for (int Round = 0; Round < 4000; ++Round) {
        TBytes Bytes = Starts[static_cast<std::size_t>(Round) % Starts.size()];
        const int Changes = 1 + static_cast<int>(Random() % 8);
        for (int I = 0; I < Changes; ++I)
            Bytes[Random() % Bytes.size()] = static_cast<std::uint8_t>(Random());
        Bytes.resize(Random() % (Bytes.size() + 1));
        // Whatever is found was read from these bytes, not from beyond them.
        if (const auto Found = FindPictureText(Bytes, Keyword)) {
            EXPECT_LE(Found->size(), Bytes.size()) << Round;
        }
    }
}
