#include "export/ClassicSave.h"

#include "model/UDraw.h"
#include "platform/Errors.h"
#include "platform/Stream.h"
#include "support/ImageDecoders.h"
#include "support/SpriteFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>
#include <vector>

using namespace pelto;
using pelto::test::TDecodedGif;

namespace {

class ImageExport : public ::testing::Test {
protected:
    void SetUp() override {
        const auto Counts = test::StandardFrameCounts(); // action 12 has 3 frames
        const std::vector<TJmaWriterSprite> Sprites{
            test::BlockSprite("2000.jmp", 50, 40, 30, 40, 60, Counts)};
        WriteJmaFiles(Dir.Make("jma/chara.jma"), Sprites);
        JmaList.Scan(Dir.Path() + "jma/", "*.jma");
        Chara.SetChara(0);
        Chara.SetBackColor(RGBColor(10, 20, 30));
        Chara.Redraw();
    }

    test::TTempDir Dir;
    TJmaList JmaList;
    TBitmap Canvas{128, 128, TPixelFormat::pf24bit};
    TDrawChara Chara{Canvas, JmaList};
};

} // namespace

TEST(PictureFormats, TheSaveDialogListsTheClassicTypesInTheirOrder) {
    std::vector<std::string_view> Names;
    for (const TExportFormat* Format : ClassicFormats) {
        Names.push_back(Format->Name);
        EXPECT_EQ(&ImageFormatOf(*Format->ClassicType), Format);
    }
    EXPECT_EQ(Names, (std::vector<std::string_view>{"bmp", "jpg", "png", "tpng", "gif", "tgif"}));
    EXPECT_EQ(ClassicFormats[3]->Filter, "Transparent PNG (*.png)");
    EXPECT_EQ(ExportFormats.front().Name, "png") << "the export dialog opens on it";
}

TEST(PictureFormats, EachFormatIsStillAnimatedOrASheetAndNamesItsContentType) {
    for (const TExportFormat& Format : ExportFormats) {
        SCOPED_TRACE(Format.Name);
        // A sheet, a bundle or a layered file holds the actions of a scope.
        EXPECT_EQ(IsStillFormat(Format) + IsAnimatedFormat(Format) + HasScope(Format), 1);
        EXPECT_EQ(FindExportFormat(Format.Name), &Format);
        EXPECT_TRUE(Format.Filter.ends_with("(*" + std::string(Format.Extension) + ")"));
        // A layered file has no background to leave out: it is transparent without the "t".
        EXPECT_EQ(Format.Name.front() == 't',
                  Format.Transparent && Format.Kind != TExportKind::Aseprite);
    }
    const auto Type = [](const char* Name) {
        return FindExportFormat(Name)->MimeType;
    };
    EXPECT_EQ(Type("bmp"), "image/bmp");
    EXPECT_EQ(Type("jpg"), "image/jpeg");
    EXPECT_EQ(Type("tgif"), "image/gif");
    EXPECT_EQ(Type("twebp"), "image/webp");
    EXPECT_EQ(Type("tapng"), "image/png") << "an animated PNG is a PNG to what does not know it";
    EXPECT_TRUE(IsAnimatedFormat(*FindExportFormat("gif")));
    EXPECT_FALSE(FindExportFormat("webp")->ClassicType.has_value());
    EXPECT_EQ(Type("tbundle"), "application/zip");
}

TEST(ImageFileName, KeepsAFittingExtensionAndReplacesAnyOther) {
    EXPECT_EQ(NormalizeImageFileName("/x/pic", TImageFileType::Bitmap), "/x/pic.bmp");
    EXPECT_EQ(NormalizeImageFileName("/x/pic.png", TImageFileType::Jpeg), "/x/pic.jpg");
    EXPECT_EQ(NormalizeImageFileName("/x/pic.jpeg", TImageFileType::Jpeg), "/x/pic.jpeg");
    EXPECT_EQ(NormalizeImageFileName("/x/pic.JPG", TImageFileType::Jpeg), "/x/pic.JPG");
    EXPECT_EQ(NormalizeImageFileName("/x/PIC.GIF", TImageFileType::Gif), "/x/PIC.GIF");
    EXPECT_EQ(NormalizeImageFileName("/x/pic.jpeg", TImageFileType::TransparentPng), "/x/pic.png");
    EXPECT_EQ(NormalizeImageFileName("/my.pics/pic", TImageFileType::TransparentGif),
              "/my.pics/pic.gif");
    EXPECT_EQ(ImageFileExtension(TImageFileType::TransparentGif), ".gif");
    // Export keeps the same names as "Save Image As..." does.
    EXPECT_EQ(NormalizeExportFileName("/x/pic.JPEG", *FindExportFormat("jpg")), "/x/pic.JPEG");
    EXPECT_EQ(NormalizeExportFileName("/x/pic.jpeg", *FindExportFormat("png")), "/x/pic.png");
}

TEST_F(ImageExport, StillImagesShowTheCanvasWithItsBackground) {
    SaveImageFile(Chara, Canvas, TImageFileType::Bitmap, Dir.File("a.bmp"));
    const auto Bmp = ReadFileBytes(Dir.File("a.bmp"));
    ASSERT_EQ(Bmp.size(), 54u + 128 * 128 * 3);
    EXPECT_EQ(Bmp[54], 30); // bottom-left pixel, blue first

    SaveImageFile(Chara, Canvas, TImageFileType::Png, Dir.File("a.png"));
    const auto Png = test::DecodePng(ReadFileBytes(Dir.File("a.png")), PNG_FORMAT_RGB);
    EXPECT_EQ(Png.Format, static_cast<std::uint32_t>(PNG_FORMAT_RGB));
    EXPECT_EQ(Png.Pixels[0], 10);
    EXPECT_EQ(Png.Pixels[1], 20);
    EXPECT_EQ(Png.Pixels[2], 30);

    SaveImageFile(Chara, Canvas, TImageFileType::Jpeg, Dir.File("a.jpg"));
    const auto Jpeg = ReadFileBytes(Dir.File("a.jpg"));
    ASSERT_GT(Jpeg.size(), 2u);
    EXPECT_EQ(Jpeg[0], 0xFF);
    EXPECT_EQ(Jpeg[1], 0xD8);
}

TEST_F(ImageExport, TransparentPngIsClearAroundTheFigureWhateverTheBackground) {
    Chara.SetShadow(true);
    SaveImageFile(Chara, Canvas, TImageFileType::TransparentPng, Dir.File("t.png"));
    const auto Png = test::DecodePng(ReadFileBytes(Dir.File("t.png")), PNG_FORMAT_RGBA);
    ASSERT_EQ(Png.Format, static_cast<std::uint32_t>(PNG_FORMAT_RGBA));
    const auto Alpha = [&](int X, int Y) {
        return Png.Pixels[4 * (Y * 128 + X) + 3];
    };
    EXPECT_EQ(Alpha(0, 0), 0);
    EXPECT_EQ(Alpha(127, 127), 0);
    EXPECT_EQ(Alpha(50, 40), 255); // the figure
    EXPECT_EQ(Png.Pixels[4 * (40 * 128 + 50)], Chara.Body().Palette()[50].Red);
    EXPECT_EQ(Alpha(51, 94 + 5), 255); // the shadow shows where it is dark
    EXPECT_EQ(Alpha(52, 94 + 5), 0);
}

TEST_F(ImageExport, GifsHoldEveryFrameOfTheAction) {
    SaveImageFile(Chara, Canvas, TImageFileType::Gif, Dir.File("a.gif"));
    const TDecodedGif Plain(ReadFileBytes(Dir.File("a.gif")));
    ASSERT_EQ(Plain->ImageCount, 3);
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(Plain.Control(I).TransparentColor, NO_TRANSPARENT_COLOR);

    SaveImageFile(Chara, Canvas, TImageFileType::TransparentGif, Dir.File("t.gif"));
    const TDecodedGif Clear(ReadFileBytes(Dir.File("t.gif")));
    ASSERT_EQ(Clear->ImageCount, 3);
    for (int I = 0; I < 3; ++I) {
        const SavedImage& Image = Clear->SavedImages[I];
        const int Key = Clear.Control(I).TransparentColor;
        ASSERT_GE(Key, 0);
        const GifColorType Color = Image.ImageDesc.ColorMap->Colors[Key];
        EXPECT_EQ(Color.Red, 255);
        EXPECT_EQ(Color.Green, 0);
        EXPECT_EQ(Color.Blue, 255);
        EXPECT_EQ(Image.RasterBits[0], Key); // the corner is background
    }
}

TEST_F(ImageExport, AnActionWithoutFramesGivesAGifWithoutImages) {
    TBitmap Other(128, 128, TPixelFormat::pf24bit);
    test::TTempDir Empty;
    TJmaList None;
    TDrawChara Nobody(Other, None);
    SaveImageFile(Nobody, Other, TImageFileType::Gif, Empty.File("none.gif"));
    EXPECT_EQ(ReadFileBytes(Empty.File("none.gif")).size(), 14u);
}

TEST_F(ImageExport, AFailedSaveLeavesTheExistingFile) {
    const std::string File = Dir.File("keep.png");
    WriteFileBytes(File, std::vector<std::uint8_t>{'o', 'l', 'd'});
    EXPECT_THROW(SaveImageFile(Chara, Canvas, TImageFileType::Png, Dir.File("missing/x.png")),
                 EWloError);
    std::filesystem::create_directory(Dir.File("dir.png"));
    EXPECT_THROW(SaveImageFile(Chara, Canvas, TImageFileType::Gif, Dir.File("dir.png")), EWloError);
    EXPECT_EQ(ReadFileBytes(File), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}
