#include "export/FramePlacement.h"

#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

using namespace pelto;

namespace {

// A frame of the compositor on nothing, as RGBA rows, the test's own reference.
struct TRgba {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Bytes;
    const std::uint8_t* At(int X, int Y) const {
        return &Bytes[(static_cast<std::size_t>(Y) * Width + X) * 4];
    }
    bool operator==(const TRgba&) const = default;
};

class FramePlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        Session.SetChara(3);
        Session.SetShadow(true);
        Session.SetMotion(1);
        Session.SetDirection(6);
    }

    TRgba Drawn(int Frame, int Layer = 99) {
        TBitmap Bitmap(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
        Bitmap.Fill(0);
        if (Layer == 99)
            Session.Chara().DrawFrame(Bitmap, Session.Motion(), Session.Direction(), Frame);
        else
            Session.Chara().DrawLayer(Bitmap, Layer, Session.Motion(), Session.Direction(), Frame);
        TRgba Out{CanvasSize, CanvasSize, {}};
        for (int Y = 0; Y < CanvasSize; ++Y)
            for (int X = 0; X < CanvasSize; ++X) {
                const std::uint8_t* P = Bitmap.ScanLine(Y) + 4 * X;
                Out.Bytes.insert(Out.Bytes.end(), {P[2], P[1], P[0], P[3]});
            }
        return Out;
    }

    TRgba ExportedTpng(const TExportOptions& Options) {
        const std::string File = Dir.File("p.png");
        ExportPicture(Session, Options, File);
        const auto Png = test::DecodePng(ReadFileBytes(File), PNG_FORMAT_RGBA);
        return {static_cast<int>(Png.Width), static_cast<int>(Png.Height), Png.Pixels};
    }

    static TExportOptions Tpng() {
        TExportOptions Options;
        Options.Format = FindExportFormat("tpng");
        return Options;
    }

    TDressingSession Session{test::LoadedDemoGame()};
    test::TTempDir Dir;
};

TEST_F(FramePlacementTest, FlipMirrorsEveryPixelAndTheCanvasCentresTheScaledPicture) {
    TExportOptions Options = Tpng();
    Options.Flip = true;
    Options.Scale = 2;
    Options.Canvas = TExportCanvas{301, 200, TCanvasAnchor::Center};
    const TRgba Got = ExportedTpng(Options);
    const TRgba Frame = Drawn(Session.Frame());
    ASSERT_EQ(Got.Width, 301);
    ASSERT_EQ(Got.Height, 200);
    // 256 x 256 on 301 x 200: 22 columns to the left, 28 rows cut above.
    for (int Y = 0; Y < 200; ++Y)
        for (int X = 0; X < 301; ++X) {
            const int SourceX = 127 - (X - 22) / 2, SourceY = (Y + 28) / 2;
            const bool Inside = X >= 22 && X < 22 + 256;
            const std::array<std::uint8_t, 4> Clear{};
            const std::uint8_t* Want = Inside ? Frame.At(SourceX, SourceY) : Clear.data();
            ASSERT_TRUE(std::equal(Want, Want + 4, Got.At(X, Y))) << X << "," << Y;
        }
}

TEST_F(FramePlacementTest, TheFeetAnchorPutsTheShadowOnTheBottomEdgeCentred) {
    TExportOptions Options = Tpng();
    Options.Canvas = TExportCanvas{60, 40, TCanvasAnchor::Feet};
    const TRgba Got = ExportedTpng(Options);
    const TRgba Frame = Drawn(Session.Frame());
    // The feet pixel (64, 100) lands on (29, 33), its middle half a pixel left of the
    // canvas's; the shadow's last row (106) on row 39.
    for (int Y = 0; Y < 40; ++Y)
        for (int X = 0; X < 60; ++X)
            ASSERT_TRUE(std::equal(Got.At(X, Y), Got.At(X, Y) + 4, Frame.At(X + 35, Y + 67)))
                << X << "," << Y;
}

TEST_F(FramePlacementTest, AHeadCropIsOneSquareAroundTheHeadForEveryFrame) {
    // The head's drawn pixels over the whole action, found by the test.
    int Left = CanvasSize, Top = CanvasSize, Right = -1, Bottom = -1;
    for (int F = 1; F <= Session.FrameCount(); ++F) {
        const TRgba Head = Drawn(F, 0);
        for (int Y = 0; Y < CanvasSize; ++Y)
            for (int X = 0; X < CanvasSize; ++X)
                if (Head.At(X, Y)[3]) {
                    Left = std::min(Left, X), Right = std::max(Right, X);
                    Top = std::min(Top, Y), Bottom = std::max(Bottom, Y);
                }
    }
    ASSERT_GE(Right, 0) << "the demo character has a head";
    const int Side = std::max(Right - Left + 1, Bottom - Top + 1);
    TExportOptions Options = Tpng();
    Options.Crop = TExportCrop::Head;
    for (int F = 1; F <= Session.FrameCount(); ++F) {
        Session.SetFrame(F);
        const TRgba Got = ExportedTpng(Options);
        ASSERT_EQ(Got.Width, Side);
        ASSERT_EQ(Got.Height, Side);
        // The square holds the whole head, and is the frame's own pixels there.
        const TRgba Frame = Drawn(F);
        bool Found = false;
        for (int Y0 = std::max(0, Bottom + 1 - Side); Y0 <= Top && !Found; ++Y0)
            for (int X0 = std::max(0, Right + 1 - Side); X0 <= Left && !Found; ++X0) {
                bool Same = true;
                for (int Y = 0; Y < Side && Same; ++Y)
                    Same = std::equal(Got.At(0, Y), Got.At(0, Y) + 4 * Side, Frame.At(X0, Y0 + Y));
                Found = Same;
            }
        EXPECT_TRUE(Found) << "frame " << F;
    }
}

TEST(FramePlacement, BoxesAndSquaresStayOnTheCanvas) {
    EXPECT_EQ(SquareAround({10, 50, 20, 10}), (TBox{10, 45, 20, 20}));
    EXPECT_EQ(SquareAround({0, 0, 5, 30}), (TBox{0, 0, 30, 30})) << "moved inside, not cut";
    EXPECT_EQ(SquareAround({120, 120, 8, 2}), (TBox{120, 117, 8, 8}));
    TBitmap Empty(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
    Empty.Fill(0);
    EXPECT_EQ(DrawnBox({&Empty, 1}), std::nullopt);
    Empty.ScanLine(7)[4 * 3 + 3] = 255;
    EXPECT_EQ(DrawnBox({&Empty, 1}), (TBox{3, 7, 1, 1}));
    // A picture wider than the canvas is cut, never drawn outside.
    const TFramePlacement P = PlaceFrames({}, 8, false, TExportCanvas{10, 10, TCanvasAnchor::Feet});
    TBitmap Target(10, 10, TPixelFormat::pf32bit);
    PlaceFrame(Empty, P, Target);
    EXPECT_DOUBLE_EQ(P.PivotX(), 5);
    EXPECT_DOUBLE_EQ(P.PivotY(), 10 - 7 * 8 + 4);
}

TEST_F(FramePlacementTest, EveryStillAndAnimatedFormatTakesTheCanvasSize) {
    for (const TExportFormat& Format : ExportFormats) {
        if (!Format.Still && !Format.Animated)
            continue;
        SCOPED_TRACE(Format.Name);
        TExportOptions Options;
        Options.Format = &Format;
        Options.Flip = true;
        Options.Crop = TExportCrop::Body;
        Options.Canvas = TExportCanvas{97, 203, TCanvasAnchor::Feet};
        const std::string File = Dir.File(std::string("c") + std::string(Format.Extension));
        const TExportShape Shape = ExportPicture(Session, Options, File);
        EXPECT_EQ(Shape.Width, 97);
        EXPECT_EQ(Shape.Height, 203);
        const auto Bytes = ReadFileBytes(File);
        if (Format.Kind == TExportKind::Png || Format.Kind == TExportKind::Apng) {
            const auto Png = test::DecodePng(Bytes, PNG_FORMAT_RGBA);
            EXPECT_EQ(Png.Width, 97u);
            EXPECT_EQ(Png.Height, 203u);
        } else if (Format.Kind == TExportKind::Gif) {
            // GIF's logical screen size, little-endian after the signature.
            EXPECT_EQ(Bytes[6] | Bytes[7] << 8, 97);
            EXPECT_EQ(Bytes[8] | Bytes[9] << 8, 203);
        } else if (Format.Kind == TExportKind::Bitmap) {
            EXPECT_EQ(Bytes[18] | Bytes[19] << 8, 97);
            EXPECT_EQ(Bytes[22] | Bytes[23] << 8, 203);
        } else {
            EXPECT_GT(Bytes.size(), 100u);
        }
    }
}

} // namespace
