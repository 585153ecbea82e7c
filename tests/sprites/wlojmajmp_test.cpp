#include "sprites/wlojmajmp.h"

#include "platform/Errors.h"
#include "platform/LittleEndian.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "writers/JmaWriter.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

using namespace pelto;
namespace fs = std::filesystem;

namespace {

void WriteFile(const std::string& Path, const std::vector<std::uint8_t>& Bytes) {
    std::ofstream(Path, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()),
               static_cast<std::streamsize>(Bytes.size()));
}

TJmaPalette TestPalette() {
    TJmaPalette P;
    for (int I = 0; I < 256; ++I)
        P[I] = {static_cast<std::uint8_t>(I), static_cast<std::uint8_t>(I * 3),
                static_cast<std::uint8_t>(255 - I), 0x11};
    return P;
}

TJmaWriterFrame MakeFrame(int Action, int Number, std::uint32_t W, std::uint32_t H,
                          std::vector<std::uint8_t> Pixels, std::uint16_t X = 0,
                          std::uint16_t Y = 0) {
    TJmaWriterFrame F;
    F.Action = Action;
    F.Number = Number;
    F.CanvasWidth = 100;
    F.CanvasHeight = 256;
    F.X = X;
    F.Y = Y;
    F.Width = W;
    F.Height = H;
    F.Pixels = std::move(Pixels);
    return F;
}

TJmaWriterSprite MakeSprite(std::string Name, std::vector<TJmaWriterFrame> Frames = {},
                            std::vector<std::uint8_t> Counts = {1}) {
    TJmaWriterSprite S;
    S.Name = std::move(Name);
    S.Palette = TestPalette();
    S.Frames = std::move(Frames);
    S.FrameCounts = std::move(Counts);
    return S;
}

// FileName is the file the error must name, empty for none.
void ExpectWloError(const std::function<void()>& Action, const std::string& Message,
                    const std::string& FileName) {
    try {
        Action();
        ADD_FAILURE() << "no error, expected: " << Message;
    } catch (const EReadError& E) {
        ADD_FAILURE() << "read error " << E.what() << ", expected: " << Message;
    } catch (const EWloError& E) {
        EXPECT_EQ(std::string(E.what()), Message);
        EXPECT_EQ(E.FileName(), FileName);
    }
}

// The pixel (X, Y) of a 24- or 32-bit bitmap as B, G, R(, A).
std::vector<std::uint8_t> PixelAt(const TBitmap& B, int X, int Y) {
    const std::uint8_t* P = B.ScanLine(Y) + X * B.BytesPerPixel();
    return {P, P + B.BytesPerPixel()};
}

std::vector<std::uint8_t> Bgr(const TPaletteEntry& E) {
    return {E.Blue, E.Green, E.Red};
}

class JmaJmp : public ::testing::Test {
protected:
    // chara01.jma: 2000.jmp (one 1x1 frame), 2100.jmp (the frame set below), 2101.jmp absent.
    void SetUp() override {
        Sprites = {MakeSprite("2000.jmp", {MakeFrame(0, 1, 1, 1, {9})}, {1}),
                   MakeSprite("2100.jmp",
                              {MakeFrame(8, 2, 2, 1, {1, 2}, 3, 4),
                               MakeFrame(0, 1, 5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),
                               MakeFrame(8, 1, 1, 1, {253})},
                              {1, 0, 0, 0, 0, 0, 0, 0, 2}),
                   MakeSprite("2101.jmp")};
        Sprites[2].Absent = true;
        WriteAll();
    }
    void WriteAll() { WriteJmaFiles(Jma, Sprites); }

    test::TTempDir Dir;
    std::string Jma = Dir / "chara01.jma";
    std::vector<TJmaWriterSprite> Sprites;
    TJmaJmp Jmp;
};

} // namespace

TEST_F(JmaJmp, LoadsFramesInNameOrderWithPaletteAndFrameCounts) {
    Jmp.LoadFromFile(Jma, "2100.JMP");
    ASSERT_TRUE(Jmp.Loaded());
    EXPECT_EQ(Jmp.JxaPath(), Dir / "chara01.jxa");
    ASSERT_EQ(Jmp.FrameCount(), 3);
    EXPECT_EQ(Jmp.Frame(0).Name, "00-1.bmp");
    EXPECT_EQ(Jmp.Frame(1).Name, "08-1.bmp");
    const TJmaFrame& F = Jmp.Frame(2);
    EXPECT_EQ(F.Name, "08-2.bmp");
    EXPECT_EQ(F.X, 3);
    EXPECT_EQ(F.Y, 4);
    EXPECT_EQ(F.Width, 2u);
    EXPECT_EQ(Jmp.GetFrameCanvasWidth(2), 100);
    EXPECT_EQ(Jmp.GetFrameCanvasHeight(2), 256);
    // Width 5 is stored with a stride of 8.
    EXPECT_EQ(Jmp.Pixels(0).size(), 16u);
    EXPECT_EQ(Jmp.FilePalette(), TestPalette());
    EXPECT_EQ(Jmp.Palette(), TestPalette());
    EXPECT_EQ(Jmp.ActionCount(), 9);
    EXPECT_EQ(Jmp.GetFrameCount(0), 1);
    EXPECT_EQ(Jmp.GetFrameCount(8), 2);
}

TEST_F(JmaJmp, FrameCountIsZeroOutsideTheActions) {
    Jmp.LoadFromFile(Jma, "2000.jmp");
    EXPECT_EQ(Jmp.ActionCount(), 1);
    EXPECT_EQ(Jmp.FrameCounts().size(), 9u); // records are as long as the longest one
    EXPECT_EQ(Jmp.GetFrameCount(0), 1);
    EXPECT_EQ(Jmp.GetFrameCount(1), 0);
    EXPECT_EQ(Jmp.GetFrameCount(-1), 0);
}

TEST_F(JmaJmp, LoadingTheLoadedSpriteAgainKeepsPaletteAdjustments) {
    Jmp.LoadFromFile(Jma, "2100.jmp");
    Jmp.AdjustPalette(1, 1, ColorLevels(9, 9, 9));
    const TPaletteEntry Adjusted = Jmp.Palette()[1];
    ASSERT_NE(Adjusted, TestPalette()[1]);
    Jmp.LoadFromFile(Dir / "CHARA01.jma", "2100.JMP");
    EXPECT_EQ(Jmp.Palette()[1], Adjusted);

    Jmp.LoadFromFile(Jma, "2000.jmp");
    Jmp.LoadFromFile(Jma, "2100.jmp");
    EXPECT_EQ(Jmp.Palette()[1], TestPalette()[1]);
}

TEST_F(JmaJmp, FindsFilesWhoseNamesDifferInCase) {
    fs::rename(Jma, Dir / "CHARA01.JMA");
    fs::rename(Dir / "chara01.jxa", Dir / "Chara01.Jxa");
    Jmp.LoadFromFile(Jma, "2100.jmp");
    EXPECT_TRUE(Jmp.Loaded());
    EXPECT_EQ(Jmp.GetFrameCount(8), 2);
}

TEST_F(JmaJmp, BinarySearchFindsEveryFrameIgnoringCase) {
    std::vector<TJmaWriterFrame> Frames;
    for (int Action = 12; Action >= 0; --Action)
        for (int No = 1; No <= 3; ++No)
            Frames.push_back(MakeFrame(Action, No, 1, 1, {1}));
    Sprites[0] = MakeSprite("2000.jmp", Frames);
    WriteAll();
    Jmp.LoadFromFile(Jma, "2000.jmp");
    ASSERT_EQ(Jmp.FrameCount(), 39);
    for (int I = 0; I < Jmp.FrameCount(); ++I) {
        EXPECT_EQ(Jmp.IndexOfFrame(Jmp.Frame(I).Name), I);
        EXPECT_EQ(Jmp.IndexOfFrame(UpperCase(Jmp.Frame(I).Name)), I);
    }
    EXPECT_EQ(Jmp.IndexOfFrame("00-0.bmp"), -1);
    EXPECT_EQ(Jmp.IndexOfFrame("99-1.bmp"), -1);
    EXPECT_EQ(Jmp.IndexOfFrame("05-4.bmp"), -1);
    EXPECT_EQ(TJmaJmp().IndexOfFrame("00-1.bmp"), -1);
}

TEST_F(JmaJmp, FindsEveryFrameOfASpriteStoredOutOfNameOrder) {
    std::vector<TJmaWriterFrame> Frames;
    for (int Action = 12; Action >= 0; --Action)
        for (int No = 3; No >= 1; --No)
            Frames.push_back(
                MakeFrame(Action, No, 1, 1, {static_cast<std::uint8_t>(Action * 3 + No)}));
    std::swap(Frames[4], Frames[30]);
    Sprites[0] = MakeSprite("2000.jmp", Frames);
    Sprites[0].KeepFrameOrder = true;
    WriteAll();
    Jmp.LoadFromFile(Jma, "2000.jmp");
    ASSERT_EQ(Jmp.FrameCount(), 39);
    for (int I = 0; I < Jmp.FrameCount(); ++I) {
        EXPECT_EQ(Jmp.Frame(I).Name, Frames[static_cast<std::size_t>(I)].FrameName());
        EXPECT_EQ(Jmp.IndexOfFrame(Jmp.Frame(I).Name), I);
        EXPECT_EQ(Jmp.IndexOfFrame(UpperCase(Jmp.Frame(I).Name)), I);
    }
    EXPECT_EQ(Jmp.IndexOfFrame("00-0.bmp"), -1);
    EXPECT_EQ(Jmp.IndexOfFrame("99-1.bmp"), -1);
    TBitmap B(1, 1, TPixelFormat::pf24bit);
    Jmp.DrawFrameByName("05-2.bmp", B, 0, 0);
    EXPECT_EQ(PixelAt(B, 0, 0), Bgr(TestPalette()[5 * 3 + 2]));

    // The next sprite, stored in order, is looked up without the previous one's order.
    Jmp.LoadFromFile(Jma, "2100.jmp");
    for (int I = 0; I < Jmp.FrameCount(); ++I)
        EXPECT_EQ(Jmp.IndexOfFrame(Jmp.Frame(I).Name), I);
}

TEST_F(JmaJmp, ReportsMissingFilesAndSpritesByName) {
    ExpectWloError([&] { Jmp.LoadFromFile(Dir / "none.jma", "2000.jmp"); },
                   "必要なファイルが存在しません (none.jma)", Dir / "none.jma");
    fs::remove(Dir / "chara01.jxa");
    ExpectWloError([&] { Jmp.LoadFromFile(Jma, "2000.jmp"); },
                   "必要なファイルが存在しません (chara01.jxa)", Dir / "chara01.jxa");
    WriteAll();
    ExpectWloError([&] { Jmp.LoadFromFile(Jma, "9999.jmp"); },
                   "9999.jmp は存在しないファイル名です", Jma);
    ExpectWloError([&] { Jmp.LoadFromFile(Jma, "2101.jmp"); },
                   "2101.jmp は存在しないファイル名です", Jma);
    EXPECT_FALSE(Jmp.Loaded());
}

TEST_F(JmaJmp, RetriesALoadThatFailed) {
    const auto Good = JmaBytes(Sprites);
    auto Cut = Good;
    Cut.resize(Cut.size() - 1);
    WriteFile(Jma, Cut);
    try {
        Jmp.LoadFromFile(Jma, "2100.jmp");
        ADD_FAILURE() << "loaded";
    } catch (const EReadError& E) {
        EXPECT_EQ(E.FileName(), Jma);
    }
    EXPECT_FALSE(Jmp.Loaded());
    WriteFile(Jma, Good);
    Jmp.LoadFromFile(Jma, "2100.jmp");
    EXPECT_TRUE(Jmp.Loaded());
    EXPECT_EQ(Jmp.FrameCount(), 3);
}

// Each drawing case loads a sprite holding just the frame it draws.
class JmaJmpDraw : public JmaJmp {
protected:
    void Load(TJmaWriterFrame Frame) {
        Sprites[0] = MakeSprite("2000.jmp", {std::move(Frame)});
        WriteAll();
        Jmp.LoadFromFile(Jma, "2000.jmp");
    }
};

TEST_F(JmaJmpDraw, SkipsRowPaddingAndLeavesTransparentIndicesAlone) {
    auto Frame = MakeFrame(0, 1, 5, 2, {1, 0, 254, 255, 253, 6, 7, 8, 9, 10}, 1, 2);
    Frame.PadByte = 77; // drawn if the padding were read as pixels
    Load(Frame);
    TBitmap B(8, 6, TPixelFormat::pf24bit);
    B.Fill(RGBColor(1, 2, 3));
    const std::vector<std::uint8_t> Background{3, 2, 1};
    Jmp.DrawFrame(0, B, 0, 0);
    const auto& P = TestPalette();
    EXPECT_EQ(PixelAt(B, 1, 2), Bgr(P[1]));
    EXPECT_EQ(PixelAt(B, 2, 2), Background);
    EXPECT_EQ(PixelAt(B, 3, 2), Background);
    EXPECT_EQ(PixelAt(B, 4, 2), Background);
    EXPECT_EQ(PixelAt(B, 5, 2), Bgr(P[253]));
    for (int X = 0; X < 5; ++X)
        EXPECT_EQ(PixelAt(B, 1 + X, 3), Bgr(P[6 + X]));
    EXPECT_EQ(PixelAt(B, 6, 3), Background);
    EXPECT_EQ(PixelAt(B, 0, 3), Background);
}

TEST_F(JmaJmpDraw, ClipsPerPixelAtEveryEdgeIncludingNegativePositions) {
    std::vector<std::uint8_t> Pixels(16);
    for (int I = 0; I < 16; ++I)
        Pixels[I] = static_cast<std::uint8_t>(I + 1);
    Load(MakeFrame(0, 1, 4, 4, Pixels, 1, 1));
    const auto& P = TestPalette();
    const std::vector<std::uint8_t> Black{0, 0, 0};
    for (const auto& [X, Y] : {std::pair{-3, -2}, {-1, 1}, {1, -4}, {0, 0}, {2, 2}, {-5, 0}}) {
        TBitmap B(4, 3, TPixelFormat::pf24bit);
        B.Fill(RGBColor(0, 0, 0));
        Jmp.DrawFrame(0, B, X, Y);
        for (int BY = 0; BY < 3; ++BY)
            for (int BX = 0; BX < 4; ++BX) {
                const int C = BX - X - 1, R = BY - Y - 1;
                const bool Inside = C >= 0 && C < 4 && R >= 0 && R < 4;
                const auto Expected = Inside ? Bgr(P[R * 4 + C + 1]) : Black;
                EXPECT_EQ(PixelAt(B, BX, BY), Expected)
                    << "drawn at " << X << "," << Y << " pixel " << BX << "," << BY;
            }
    }
}

TEST_F(JmaJmpDraw, GivesFullAlphaToDrawnPixelsOnly) {
    Load(MakeFrame(0, 1, 2, 1, {5, 0}));
    TBitmap B(3, 1, TPixelFormat::pf32bit);
    B.ScanLine(0)[7] = 40;
    B.ScanLine(0)[11] = 50;
    Jmp.DrawFrameByName("00-1.BMP", B, 0, 0);
    const auto& P = TestPalette();
    EXPECT_EQ(PixelAt(B, 0, 0), (std::vector<std::uint8_t>{P[5].Blue, P[5].Green, P[5].Red, 255}));
    EXPECT_EQ(PixelAt(B, 1, 0), (std::vector<std::uint8_t>{0, 0, 0, 40}));
    EXPECT_EQ(PixelAt(B, 2, 0), (std::vector<std::uint8_t>{0, 0, 0, 50}));
}

TEST_F(JmaJmpDraw, UsesTheWorkingPaletteAndRefusesOtherFormats) {
    Load(MakeFrame(0, 1, 1, 1, {20}));
    Jmp.AdjustPalette(20, 20, ColorLevels(0, 4, 9));
    TBitmap B(1, 1, TPixelFormat::pf24bit);
    Jmp.DrawFrame(0, B, 0, 0);
    EXPECT_EQ(PixelAt(B, 0, 0), Bgr(Jmp.Palette()[20]));

    TBitmap B8(1, 1, TPixelFormat::pf8bit);
    ExpectWloError([&] { Jmp.DrawFrame(0, B8, 0, 0); }, "Invalid pixel format.", "");
    TBitmap B16(1, 1, TPixelFormat::pf16bit);
    ExpectWloError([&] { Jmp.DrawFrameByName("00-1.bmp", B16, 0, 0); }, "Invalid pixel format.",
                   "");
    Jmp.DrawFrameByName("07-1.bmp", B, 0, 0); // unknown frame: nothing drawn, no error
    Jmp.DrawFrame(5, B, 0, 0);
}

TEST_F(JmaJmp, AdjustsPaletteChannelsFromTheFilePalette) {
    Jmp.LoadFromFile(Jma, "2000.jmp");
    const auto& File = TestPalette();
    // Neutral levels only clamp to 5..250.
    Jmp.AdjustPalette(0, 255, ColorLevels(4, 4, 4));
    EXPECT_EQ(Jmp.Palette()[0], (TPaletteEntry{5, 5, 250, 0x11}));
    EXPECT_EQ(Jmp.Palette()[100], (TPaletteEntry{100, 44, 155, 0x11}));
    EXPECT_EQ(Jmp.Palette()[255], (TPaletteEntry{250, 250, 5, 0x11}));
    // Red level 0 subtracts 100, blue level 9 adds 125; calls do not accumulate.
    Jmp.AdjustPalette(100, 100, ColorLevels(0, 4, 9));
    Jmp.AdjustPalette(100, 100, ColorLevels(0, 4, 9));
    EXPECT_EQ(Jmp.Palette()[100], (TPaletteEntry{225, 44, 55, 0x11}));
    // Levels above 9 count as 9.
    Jmp.AdjustPalette(20, 20, ColorLevels(4, 4, 200));
    EXPECT_EQ(Jmp.Palette()[20].Blue, 145);
    EXPECT_EQ(Jmp.Palette()[21].Blue, File[21].Blue);

    Jmp.RestorePalette();
    for (const auto& [First, Last] : {std::pair{-1, 10}, {0, 256}, {10, 5}, {300, 300}})
        Jmp.AdjustPalette(First, Last, ColorLevels(0, 0, 0));
    EXPECT_EQ(Jmp.Palette(), File);
}

// Offsets into the file written by SetUp, for patching.
namespace {
constexpr std::size_t EntryOffset(std::size_t Index) {
    return JmaHeaderSize + Index * JmaEntrySize;
}
std::uint32_t SpriteOffset(const std::vector<std::uint8_t>& Jma, std::size_t Index) {
    return LoadLE32(Jma.data() + EntryOffset(Index) + 24);
}
} // namespace

TEST_F(JmaJmp, AMappedSpriteIsTheReadOneAndOutlivesItsFile) {
    Jmp.LoadFromFile(Jma, "2100.jmp");
    TJmaJmp Mapped;
    Mapped.MapFromFile(Jma, "2100.jmp");
    ASSERT_TRUE(Mapped.Loaded());
    ASSERT_EQ(Mapped.FrameCount(), Jmp.FrameCount());
    for (int I = 0; I < Jmp.FrameCount(); ++I) {
        EXPECT_EQ(Mapped.Frame(I).Name, Jmp.Frame(I).Name);
        EXPECT_TRUE(std::equal(Mapped.Pixels(I).begin(), Mapped.Pixels(I).end(),
                               Jmp.Pixels(I).begin(), Jmp.Pixels(I).end()))
            << I;
    }
    EXPECT_EQ(Mapped.FilePalette(), Jmp.FilePalette());
    EXPECT_EQ(Mapped.FrameCounts().size(), Jmp.FrameCounts().size());
    EXPECT_EQ(Mapped.DataBytes(), Jmp.DataBytes());
    fs::remove(Jma);
    TBitmap FromMapped(10, 10, TPixelFormat::pf24bit), FromRead(10, 10, TPixelFormat::pf24bit);
    for (int I = 0; I < Jmp.FrameCount(); ++I) {
        Mapped.DrawFrame(I, FromMapped, 0, 0);
        Jmp.DrawFrame(I, FromRead, 0, 0);
    }
    for (int Y = 0; Y < 10; ++Y)
        EXPECT_TRUE(
            std::equal(FromMapped.ScanLine(Y), FromMapped.ScanLine(Y) + 30, FromRead.ScanLine(Y)));
}

TEST_F(JmaJmp, RefusesArchivesWhoseCountsOrOffsetsPassTheEnd) {
    const auto Good = JmaBytes(Sprites);
    const auto Patched = [&](std::size_t At, std::uint32_t Value) {
        auto Bytes = Good;
        StoreLE32(Bytes.data() + At, Value);
        WriteFile(Jma, Bytes);
    };
    const std::uint32_t Sprite = SpriteOffset(Good, 1);
    const std::size_t Frame0 = Sprite + JmaHeaderSize;
    for (const auto& [At, Value] : {
             std::pair<std::size_t, std::uint32_t>{10, 0xFFFFFFFF}, // directory count
             {EntryOffset(1) + 24, 0xFFFFFF00},                     // sprite offset
             {Sprite + 10, 0x10000000},                             // frame count
             {Frame0 + 20, 0xFFFFFFF0},                             // frame data size
             {Frame0 + 24, 0xFFFFFFF0},                             // frame data offset
         }) {
        Patched(At, Value);
        EXPECT_THROW(Jmp.LoadFromFile(Jma, "2100.jmp"), EReadError) << "patch at " << At;
        EXPECT_FALSE(Jmp.Loaded());
        EXPECT_THROW(Jmp.MapFromFile(Jma, "2100.jmp"), EReadError) << "mapped, patch at " << At;
        EXPECT_FALSE(Jmp.Loaded());
    }
    for (const std::size_t Length : {std::size_t{13}, EntryOffset(2) + 27}) {
        WriteFile(Jma, std::vector<std::uint8_t>(Good.begin(), Good.begin() + Length));
        EXPECT_THROW(Jmp.LoadFromFile(Jma, "2100.jmp"), EReadError);
        EXPECT_THROW(Jmp.MapFromFile(Jma, "2100.jmp"), EReadError);
    }
}

TEST_F(JmaJmp, RefusesFramesHoldingLessThanTheirRows) {
    auto Frame = MakeFrame(0, 1, 5, 2, {});
    Frame.StoredData = std::vector<std::uint8_t>(15, 1); // stride 8 x 2 rows = 16
    Sprites[1].Frames.push_back(Frame);
    Sprites[1].Frames[1].Action = 1; // keep names unique
    WriteAll();
    ExpectWloError([&] { Jmp.LoadFromFile(Jma, "2100.jmp"); },
                   "JMAファイルの読み取りに失敗した可能性があります (1)", Jma);
    EXPECT_FALSE(Jmp.Loaded());
    ExpectWloError([&] { Jmp.MapFromFile(Jma, "2100.jmp"); },
                   "JMAファイルの読み取りに失敗した可能性があります (1)", Jma);

    // Sizes whose row bytes overflow 32 bits are refused the same way.
    Sprites[1].Frames.pop_back();
    auto Bytes = JmaBytes(Sprites);
    const std::size_t Frame0 = SpriteOffset(Bytes, 1) + JmaHeaderSize;
    StoreLE32(Bytes.data() + Frame0 + 28, 0xFFFFFFFF);
    StoreLE32(Bytes.data() + Frame0 + 32, 0x10000);
    WriteFile(Jma, Bytes);
    ExpectWloError([&] { Jmp.LoadFromFile(Jma, "2100.jmp"); },
                   "JMAファイルの読み取りに失敗した可能性があります (1)", Jma);
}

TEST_F(JmaJmp, ClampsOverlongNameLengths) {
    auto Bytes = JmaBytes(Sprites);
    const std::size_t Frame0 = SpriteOffset(Bytes, 1) + JmaHeaderSize;
    Bytes[Frame0] = 200; // the name field holds 11 characters
    WriteFile(Jma, Bytes);
    Jmp.LoadFromFile(Jma, "2100.jmp");
    EXPECT_EQ(Jmp.Frame(0).Name, std::string("00-1.bmp\0\0\0", 11));

    Bytes[EntryOffset(0)] = 255; // the name field holds 19 characters
    WriteFile(Jma, Bytes);
    EXPECT_THROW(Jmp.LoadFromFile(Jma, "2000.jmp"), EWloError);
    Jmp.LoadFromFile(Jma, std::string("2000.jmp") + std::string(11, '\0'));
    EXPECT_TRUE(Jmp.Loaded());
}

TEST_F(JmaJmp, RefusesMalformedAnimationIndexesKeepingTheSpriteDrawable) {
    const auto Good = JxaBytes(Sprites); // 3 records of 10 bytes
    const std::string Failed = "JMAファイルの読み取りに失敗した可能性があります (1)";
    const auto Expect = [&](const std::vector<std::uint8_t>& Bytes, const char* What) {
        SCOPED_TRACE(What);
        WriteFile(Dir / "chara01.jxa", Good);
        Jmp.LoadFromFile(Jma, "2000.jmp");
        WriteFile(Dir / "chara01.jxa", Bytes);
        ExpectWloError([&] { Jmp.LoadFromFile(Jma, "2100.jmp"); }, Failed, Dir / "chara01.jxa");
        EXPECT_TRUE(Jmp.Loaded());
        EXPECT_EQ(Jmp.FrameCount(), 3);
        EXPECT_EQ(Jmp.ActionCount(), 1); // still the counts of 2000.jmp
        EXPECT_EQ(Jmp.GetFrameCount(0), 1);
    };
    auto Bytes = Good;
    StoreLE32(Bytes.data() + 10, 0);
    Expect(Bytes, "count 0");
    Bytes = Good;
    StoreLE32(Bytes.data() + 2, LoadLE32(Bytes.data() + 6) + 2); // R = 2 / 3 = 0
    Expect(Bytes, "record length 0");
    Bytes = Good;
    StoreLE32(Bytes.data() + 2, LoadLE32(Bytes.data() + 6) - 1); // wraps to a huge R
    Expect(Bytes, "record length wrapping");
    Bytes = Good;
    StoreLE32(Bytes.data() + 10, 1);
    StoreLE32(Bytes.data() + 2, LoadLE32(Bytes.data() + 6) + 10);
    Expect(Bytes, "index past the count");
    Bytes = Good;
    Bytes.resize(Bytes.size() - 11);
    Expect(Bytes, "record past the end");
}

TEST_F(JmaJmp, ReadsAnimationRecordsRightAfterTheHeaderWhateverItsSecondValue) {
    // The values at offsets 2 and 6 count only by their difference, the bytes of all records;
    // the records start at offset 14 whatever the value at offset 6.
    const auto Good = JxaBytes(Sprites); // 3 records of 10 bytes
    for (const std::uint32_t Base : {0u, 4u, 24u, 1000u, 0xFFFFFF00u}) {
        SCOPED_TRACE(Base);
        auto Bytes = Good;
        StoreLE32(Bytes.data() + 6, Base);
        StoreLE32(Bytes.data() + 2, Base + 30);
        WriteFile(Dir / "chara01.jxa", Bytes);
        TJmaJmp Sprite;
        Sprite.LoadFromFile(Jma, "2100.jmp");
        EXPECT_EQ(Sprite.FrameCounts().size(), 9u);
        EXPECT_EQ(Sprite.ActionCount(), 9);
        EXPECT_EQ(Sprite.GetFrameCount(0), 1);
        EXPECT_EQ(Sprite.GetFrameCount(8), 2);
    }
}

TEST_F(JmaJmp, ClampsTheActionCountToTheRecord) {
    Sprites[0].ActionCount = 200;
    WriteAll();
    Jmp.LoadFromFile(Jma, "2000.jmp");
    EXPECT_EQ(Jmp.ActionCount(), 9);
    EXPECT_EQ(Jmp.GetFrameCount(0), 1);
    EXPECT_EQ(Jmp.GetFrameCount(8), 0);
    EXPECT_EQ(Jmp.GetFrameCount(9), 0);
}
