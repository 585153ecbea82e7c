#include "codecs/ImageEncoders.h"

#include "platform/Errors.h"
#include "platform/LittleEndian.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

using namespace pelto;
using pelto::test::DecodePng;
using pelto::test::TDecodedPng;

namespace {

// A smooth gradient with a hard-edged block, different in every channel.
TBitmap TestPicture(int Width, int Height, TPixelFormat Format) {
    TBitmap Bitmap(Width, Height, Format);
    const int Bpp = Bitmap.BytesPerPixel();
    for (int Y = 0; Y < Height; ++Y) {
        std::uint8_t* P = Bitmap.ScanLine(Y);
        for (int X = 0; X < Width; ++X, P += Bpp) {
            P[0] = static_cast<std::uint8_t>(X * 2);
            P[1] = static_cast<std::uint8_t>(Y * 2);
            P[2] = static_cast<std::uint8_t>(X < Width / 2 ? 200 : 40);
            if (Bpp == 4)
                P[3] = static_cast<std::uint8_t>((X + Y) % 3 == 0 ? 0 : 255 - X);
        }
    }
    return Bitmap;
}

// A stream that refuses to take more than Limit bytes.
class TFullStream final : public TStream {
public:
    explicit TFullStream(std::size_t Limit) : FLimit(Limit) {}
    std::size_t Read(void*, std::size_t) override { return 0; }
    void WriteBuffer(const void*, std::size_t Count) override {
        if (FWritten + Count > FLimit)
            throw EWriteError("Cannot write file \"x\". No space left on device");
        FWritten += Count;
    }
    std::int64_t GetPosition() const override { return static_cast<std::int64_t>(FWritten); }
    void SetPosition(std::int64_t) override {}
    std::int64_t GetSize() const override { return static_cast<std::int64_t>(FWritten); }

private:
    std::size_t FLimit;
    std::size_t FWritten = 0;
};

} // namespace

TEST(BmpEncoder, WritesHeadersAndBottomUpPaddedBgrRows) {
    TBitmap Bitmap(3, 2, TPixelFormat::pf24bit);
    for (int Y = 0; Y < 2; ++Y)
        for (int X = 0; X < 3; ++X)
            for (int C = 0; C < 3; ++C)
                Bitmap.ScanLine(Y)[3 * X + C] = static_cast<std::uint8_t>(100 * Y + 10 * X + C);
    TMemoryStream Stream;
    SaveBmpToStream(Bitmap, Stream);
    const auto B = Stream.Memory();
    ASSERT_EQ(B.size(), 54u + 2 * 12);
    EXPECT_EQ(B[0], 'B');
    EXPECT_EQ(B[1], 'M');
    EXPECT_EQ(LoadLE32(&B[2]), 78u);
    EXPECT_EQ(LoadLE32(&B[6]), 0u);
    EXPECT_EQ(LoadLE32(&B[10]), 54u);
    EXPECT_EQ(LoadLE32(&B[14]), 40u);
    EXPECT_EQ(LoadLE32(&B[18]), 3u);
    EXPECT_EQ(LoadLE32(&B[22]), 2u);
    EXPECT_EQ(LoadLE16(&B[26]), 1u);
    EXPECT_EQ(LoadLE16(&B[28]), 24u);
    EXPECT_EQ(LoadLE32(&B[30]), 0u);
    EXPECT_EQ(LoadLE32(&B[34]), 24u);
    const std::vector<std::uint8_t> Rows(B.begin() + 54, B.end());
    const std::vector<std::uint8_t> Expected = {
        100, 101, 102, 110, 111, 112, 120, 121, 122, 0, 0, 0, // bottom row first
        0,   1,   2,   10,  11,  12,  20,  21,  22,  0, 0, 0};
    EXPECT_EQ(Rows, Expected);
}

TEST(BmpEncoder, DropsTheFourthByteOfA32BitBitmap) {
    TMemoryStream From24;
    TMemoryStream From32;
    SaveBmpToStream(TestPicture(5, 3, TPixelFormat::pf24bit), From24);
    SaveBmpToStream(TestPicture(5, 3, TPixelFormat::pf32bit), From32);
    EXPECT_EQ(From24.Bytes(), From32.Bytes());
}

TEST(PngEncoder, RgbaNeedsA32BitBitmap) {
    TMemoryStream Stream;
    EXPECT_THROW(SavePngRgbaToStream(TestPicture(4, 4, TPixelFormat::pf24bit), Stream),
                 std::invalid_argument);
}

TEST(PngEncoder, AnEmptyPictureIsAWriteError) {
    TMemoryStream Stream;
    try {
        SavePngRgbToStream(TBitmap(0, 0, TPixelFormat::pf24bit), Stream);
        FAIL() << "an empty image was accepted";
    } catch (const EWriteError& E) {
        EXPECT_NE(std::string(E.what()).find("PNG"), std::string::npos) << E.what();
    }
}

namespace {

/// What libpng writes of Bitmap with every setting at its default: the bytes ours must equal.
std::vector<std::uint8_t> LibpngDefaultBytes(const TBitmap& Bitmap, bool Alpha) {
    const int Channels = Alpha ? 4 : 3;
    const int Bpp = Bitmap.BytesPerPixel();
    const auto RowBytes = static_cast<std::size_t>(Bitmap.Width() * Channels);
    std::vector<std::uint8_t> Pixels(RowBytes * static_cast<std::size_t>(Bitmap.Height()));
    std::vector<png_bytep> Rows;
    for (int Y = 0; Y < Bitmap.Height(); ++Y) {
        std::uint8_t* Out = Pixels.data() + static_cast<std::size_t>(Y) * RowBytes;
        Rows.push_back(Out);
        const std::uint8_t* In = Bitmap.ScanLine(Y);
        for (int X = 0; X < Bitmap.Width(); ++X, In += Bpp, Out += Channels) {
            Out[0] = In[2];
            Out[1] = In[1];
            Out[2] = In[0];
            if (Alpha)
                Out[3] = In[3];
        }
    }
    std::vector<std::uint8_t> Bytes;
    png_structp Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop Info = png_create_info_struct(Png);
    png_set_write_fn(
        Png, &Bytes,
        [](png_structp P, png_bytep Data, png_size_t Length) {
            auto* Out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(P));
            Out->insert(Out->end(), Data, Data + Length);
        },
        nullptr);
    png_set_IHDR(Png, Info, static_cast<png_uint_32>(Bitmap.Width()),
                 static_cast<png_uint_32>(Bitmap.Height()), 8,
                 Alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(Png, Info);
    png_write_image(Png, Rows.data());
    png_write_end(Png, Info);
    png_destroy_write_struct(&Png, &Info);
    return Bytes;
}

/// Pictures of every kind the filters and the window choose between: flat, smooth, noisy,
/// drawn like a character on a plain ground, tiny and large, odd widths.
std::vector<TBitmap> PicturesOfEveryKind(TPixelFormat Format) {
    std::vector<TBitmap> Pictures;
    std::mt19937 Random(7);
    const auto Make = [&](int Width, int Height, auto Colour) {
        TBitmap Bitmap(Width, Height, Format);
        const int Bpp = Bitmap.BytesPerPixel();
        for (int Y = 0; Y < Height; ++Y) {
            std::uint8_t* P = Bitmap.ScanLine(Y);
            for (int X = 0; X < Width; ++X, P += Bpp)
                for (int C = 0; C < Bpp; ++C)
                    P[C] = Colour(X, Y, C);
        }
        Pictures.push_back(std::move(Bitmap));
    };
    const auto Noise = [&](int, int, int) {
        return static_cast<std::uint8_t>(Random());
    };
    const auto Smooth = [](int X, int Y, int C) {
        return static_cast<std::uint8_t>(X * (C + 1) + Y * 3);
    };
    const auto Figure = [&](int X, int Y, int C) {
        const bool Inside = (X - 64) * (X - 64) + (Y - 70) * (Y - 70) < 900;
        return static_cast<std::uint8_t>(Inside ? (X * 7 + Y * 13 + C * 50) % 256
                                                : (C == 3 ? 0 : 255));
    };
    for (const auto& [Width, Height] : std::vector<std::pair<int, int>>{
             {1, 1}, {1, 9}, {9, 1}, {3, 3}, {5, 7}, {16, 16}, {17, 33}, {128, 128}, {301, 97}})
        Make(Width, Height, Noise);
    for (const auto& [Width, Height] : std::vector<std::pair<int, int>>{{40, 40}, {128, 128}})
        Make(Width, Height, Smooth);
    Make(128, 128, Figure);
    Make(512, 512, Figure);
    Make(64, 64, [](int, int, int) { return std::uint8_t{128}; });
    Make(200, 3, [](int X, int, int C) { return static_cast<std::uint8_t>(C == 1 ? 255 - X : X); });
    return Pictures;
}

struct TPngWriter {
    const char* Name;
    void (*Rgb)(const TBitmap&, TStream&);
    void (*Rgba)(const TBitmap&, TStream&);
};
constexpr TPngWriter PngWriters[] = {
    {"ours", SavePngRgbToStream, SavePngRgbaToStream},
    {"classic", SaveClassicPngRgbToStream, SaveClassicPngRgbaToStream}};

} // namespace

TEST(PngEncoder, EveryKindOfPictureReadsBackThroughLibpngPixelForPixel) {
    for (const TPngWriter& Writer : PngWriters)
        for (const bool Alpha : {false, true})
            for (const TBitmap& Picture :
                 PicturesOfEveryKind(Alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit)) {
                SCOPED_TRACE(std::string(Writer.Name) + (Alpha ? " RGBA " : " RGB ") +
                             std::to_string(Picture.Width()) + "x" +
                             std::to_string(Picture.Height()));
                TMemoryStream Stream;
                (Alpha ? Writer.Rgba : Writer.Rgb)(Picture, Stream);
                EXPECT_EQ(Stream.Memory()[25],
                          Alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB);
                const TDecodedPng Png =
                    DecodePng(Stream.Memory(), Alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB);
                ASSERT_EQ(Png.Width, static_cast<std::uint32_t>(Picture.Width()));
                ASSERT_EQ(Png.Height, static_cast<std::uint32_t>(Picture.Height()));
                const int Channels = Alpha ? 4 : 3;
                for (int Y = 0; Y < Picture.Height(); ++Y)
                    for (int X = 0; X < Picture.Width(); ++X) {
                        const std::uint8_t* In = Picture.ScanLine(Y) + Picture.BytesPerPixel() * X;
                        const std::uint8_t* Out =
                            &Png.Pixels[(static_cast<std::size_t>(Y) * Png.Width + X) * Channels];
                        // libpng's reader may clear the colour under full transparency.
                        const std::uint8_t Opacity = Alpha ? In[3] : 255;
                        const bool Seen = Opacity != 0;
                        ASSERT_EQ((std::array{Out[0], Out[1], Out[2], Alpha ? Out[3] : Opacity}),
                                  (std::array{Seen ? In[2] : Out[0], Seen ? In[1] : Out[1],
                                              Seen ? In[0] : Out[2], Opacity}))
                            << X << "," << Y;
                    }
            }
}

TEST(PngEncoder, TheClassicWriterWritesByteForByteWhatLibpngWritesByDefault) {
    for (const bool Alpha : {false, true}) {
        const auto Pictures =
            PicturesOfEveryKind(Alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
        for (const TBitmap& Picture : Pictures) {
            TMemoryStream Ours;
            if (Alpha)
                SaveClassicPngRgbaToStream(Picture, Ours);
            else
                SaveClassicPngRgbToStream(Picture, Ours);
            const std::vector<std::uint8_t> Reference = LibpngDefaultBytes(Picture, Alpha);
            const auto Bytes = Ours.Memory();
            EXPECT_TRUE(std::equal(Bytes.begin(), Bytes.end(), Reference.begin(), Reference.end()))
                << Picture.Width() << "x" << Picture.Height() << (Alpha ? " RGBA: " : " RGB: ")
                << Bytes.size() << " bytes against libpng's " << Reference.size();
        }
    }
    // A 24-bit picture of a 32-bit bitmap leaves its alpha out.
    const TBitmap Wide = TestPicture(33, 20, TPixelFormat::pf32bit);
    TMemoryStream Ours;
    SaveClassicPngRgbToStream(Wide, Ours);
    const auto Bytes = Ours.Memory();
    const auto Reference = LibpngDefaultBytes(Wide, false);
    EXPECT_TRUE(std::equal(Bytes.begin(), Bytes.end(), Reference.begin(), Reference.end()));
}

TEST(JpegEncoder, DecodesToTheSourceColoursAtQuality95Baseline) {
    const TBitmap Bitmap = TestPicture(128, 128, TPixelFormat::pf24bit);
    TMemoryStream Stream;
    SaveJpegToStream(Bitmap, Stream);

    jpeg_decompress_struct Info{};
    jpeg_error_mgr Error{};
    Info.err = jpeg_std_error(&Error);
    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, Stream.Memory().data(), Stream.Memory().size());
    ASSERT_EQ(jpeg_read_header(&Info, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(Info.image_width, 128u);
    EXPECT_EQ(Info.image_height, 128u);
    EXPECT_EQ(Info.num_components, 3);
    EXPECT_EQ(Info.jpeg_color_space, JCS_YCbCr);
    EXPECT_FALSE(Info.progressive_mode);
    // The library scales its base luminance table (16 at DC) to 2 at quality 95, 3 at 90.
    ASSERT_NE(Info.quant_tbl_ptrs[0], nullptr);
    EXPECT_EQ(Info.quant_tbl_ptrs[0]->quantval[0], 2);

    Info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&Info);
    std::vector<std::uint8_t> Row(128 * 3);
    long TotalError = 0;
    int Worst = 0;
    while (Info.output_scanline < Info.output_height) {
        const int Y = static_cast<int>(Info.output_scanline);
        JSAMPROW Rows[] = {Row.data()};
        jpeg_read_scanlines(&Info, Rows, 1);
        for (int X = 0; X < 128; ++X)
            for (int C = 0; C < 3; ++C) {
                const int Diff = std::abs(Row[3 * X + C] - Bitmap.ScanLine(Y)[3 * X + 2 - C]);
                TotalError += Diff;
                Worst = std::max(Worst, Diff);
            }
    }
    jpeg_finish_decompress(&Info);
    jpeg_destroy_decompress(&Info);
    EXPECT_LT(static_cast<double>(TotalError) / (128 * 128 * 3), 2.0);
    EXPECT_LT(Worst, 48);
}

TEST(JpegEncoder, QualityIsPassedOn) {
    const TBitmap Bitmap = TestPicture(64, 64, TPixelFormat::pf24bit);
    TMemoryStream Low;
    TMemoryStream High;
    SaveJpegToStream(Bitmap, Low, 30);
    SaveJpegToStream(Bitmap, High, 95);
    EXPECT_LT(Low.GetSize(), High.GetSize());
}

TEST(ImageEncoders, StreamFailurePropagatesFromEveryEncoder) {
    const TBitmap Bitmap = TestPicture(128, 128, TPixelFormat::pf32bit);
    const TReducedFrame Frame = ReduceFrameColors(Bitmap);
    const std::string Expected = "Cannot write file \"x\". No space left on device";
    const auto Check = [&](const char* Kind, auto Save) {
        SCOPED_TRACE(Kind);
        TMemoryStream Whole;
        Save(Whole);
        const auto Size = static_cast<std::size_t>(Whole.GetSize());
        for (std::size_t Limit : {std::size_t{0}, std::size_t{10}, Size / 2, Size - 1}) {
            SCOPED_TRACE(Limit);
            TFullStream Stream(Limit);
            try {
                Save(Stream);
                ADD_FAILURE() << "the full stream went unnoticed";
            } catch (const EWriteError& E) {
                EXPECT_EQ(E.what(), Expected);
            }
        }
    };
    Check("BMP", [&](TStream& S) { SaveBmpToStream(Bitmap, S); });
    Check("JPEG", [&](TStream& S) { SaveJpegToStream(Bitmap, S); });
    Check("PNG", [&](TStream& S) { SavePngRgbToStream(Bitmap, S); });
    Check("PNG RGBA", [&](TStream& S) { SavePngRgbaToStream(Bitmap, S); });
    Check("GIF", [&](TStream& S) { SaveAnimatedGifToStream({&Frame, 1}, true, S); });
}

TEST(ImageEncoders, FileVariantsWriteWhatTheStreamVariantsWrite) {
    test::TTempDir Folder;
    const TBitmap Bitmap = TestPicture(128, 128, TPixelFormat::pf24bit);
    const TBitmap Bitmap32 = TestPicture(128, 128, TPixelFormat::pf32bit);
    const TReducedFrame Frames[] = {ReduceFrameColors(Bitmap), ReduceFrameColors(Bitmap32)};
    const auto Same = [&](const std::string& Name, auto SaveFile, auto SaveStream) {
        SCOPED_TRACE(Name);
        SaveFile(Folder.File(Name));
        TMemoryStream Stream;
        SaveStream(Stream);
        EXPECT_EQ(ReadFileBytes(Folder.File(Name)), Stream.Bytes());
    };
    Same(
        "a.bmp", [&](auto F) { SaveBmpFile(Bitmap, F); },
        [&](TStream& S) { SaveBmpToStream(Bitmap, S); });
    Same(
        "a.jpg", [&](auto F) { SaveJpegFile(Bitmap, F, 80); },
        [&](TStream& S) { SaveJpegToStream(Bitmap, S, 80); });
    Same(
        "a.png", [&](auto F) { SavePngRgbFile(Bitmap, F); },
        [&](TStream& S) { SavePngRgbToStream(Bitmap, S); });
    Same(
        "b.png", [&](auto F) { SavePngRgbaFile(Bitmap32, F); },
        [&](TStream& S) { SavePngRgbaToStream(Bitmap32, S); });
    Same(
        "a.gif", [&](auto F) { SaveAnimatedGifFile(Frames, true, F); },
        [&](TStream& S) { SaveAnimatedGifToStream(Frames, true, S); });
}

TEST(ImageEncoders, EncoderErrorInAFileSaveNamesTheFile) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("empty.png");
    try {
        SavePngRgbFile(TBitmap(0, 0, TPixelFormat::pf24bit), Name);
        FAIL() << "an empty image was accepted";
    } catch (const EWriteError& E) {
        EXPECT_NE(std::string(E.what()).find("\"" + Name + "\""), std::string::npos) << E.what();
        EXPECT_NE(std::string(E.what()).find("PNG"), std::string::npos) << E.what();
    }
    EXPECT_FALSE(std::filesystem::exists(Name));
}
