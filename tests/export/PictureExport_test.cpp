#include "export/PictureExport.h"

#include "export/ClassicSave.h"
#include "export/PictureCode.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <webp/demux.h>
#include <zlib.h>

#include <filesystem>
#include <regex>

using namespace pelto;

namespace {

constexpr TColor Back = RGBColor(12, 200, 34);
constexpr int Walk = 1;  // a motion whose frames differ from each other in the demo
constexpr int Right = 6; // a direction of it

// Reads a big-endian number of PNG chunk data.
std::uint32_t U32(const std::uint8_t* P) {
    return (std::uint32_t{P[0]} << 24) | (std::uint32_t{P[1]} << 16) | (std::uint32_t{P[2]} << 8) |
           P[3];
}

void PutU32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Out.push_back(static_cast<std::uint8_t>(V >> Shift));
}

void PutChunk(std::vector<std::uint8_t>& Out, const std::string& Type,
              const std::vector<std::uint8_t>& Data) {
    PutU32(Out, static_cast<std::uint32_t>(Data.size()));
    std::vector<std::uint8_t> Body(Type.begin(), Type.end());
    Body.insert(Body.end(), Data.begin(), Data.end());
    Out.insert(Out.end(), Body.begin(), Body.end());
    PutU32(Out, static_cast<std::uint32_t>(crc32(0, Body.data(), static_cast<uInt>(Body.size()))));
}

struct TApngFrame {
    std::uint32_t Width, Height, X, Y;
    std::uint16_t DelayNum, DelayDen;
    std::uint8_t Dispose, Blend;
    std::vector<std::uint8_t> Data; // zlib stream of the frame's rows
};

/// An animated PNG read by its chunk rules: every CRC right, one acTL before the first IDAT,
/// sequence numbers of fcTL and fdAT counting up from 0, the default image the first frame.
struct TApng {
    std::vector<std::uint8_t> Header; // IHDR data
    std::uint32_t FrameCount = 0, Plays = 0;
    std::vector<TApngFrame> Frames;

    explicit TApng(const std::vector<std::uint8_t>& Bytes) {
        static const std::uint8_t Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        EXPECT_TRUE(Bytes.size() > 8 && std::equal(Signature, Signature + 8, Bytes.begin()));
        std::size_t Pos = 8;
        std::uint32_t Sequence = 0;
        bool SawIdat = false, SawEnd = false;
        while (Pos + 12 <= Bytes.size() && !SawEnd) {
            const std::uint32_t Length = U32(&Bytes[Pos]);
            const std::string Type(Bytes.begin() + Pos + 4, Bytes.begin() + Pos + 8);
            const std::uint8_t* Data = &Bytes[Pos + 8];
            const auto Crc = crc32(0, &Bytes[Pos + 4], Length + 4);
            EXPECT_EQ(U32(Data + Length), Crc) << Type;
            if (Type == "IHDR")
                Header.assign(Data, Data + Length);
            else if (Type == "acTL") {
                EXPECT_FALSE(SawIdat);
                FrameCount = U32(Data);
                Plays = U32(Data + 4);
            } else if (Type == "fcTL") {
                EXPECT_EQ(U32(Data), Sequence++);
                Frames.push_back({U32(Data + 4),
                                  U32(Data + 8),
                                  U32(Data + 12),
                                  U32(Data + 16),
                                  static_cast<std::uint16_t>(Data[20] << 8 | Data[21]),
                                  static_cast<std::uint16_t>(Data[22] << 8 | Data[23]),
                                  Data[24],
                                  Data[25],
                                  {}});
            } else if (Type == "IDAT") {
                EXPECT_EQ(Frames.size(), 1u) << "the default image is the first frame";
                SawIdat = true;
                Frames.back().Data.insert(Frames.back().Data.end(), Data, Data + Length);
            } else if (Type == "fdAT") {
                EXPECT_EQ(U32(Data), Sequence++);
                Frames.back().Data.insert(Frames.back().Data.end(), Data + 4, Data + Length);
            } else if (Type == "IEND")
                SawEnd = true;
            Pos += 12 + Length;
        }
        EXPECT_TRUE(SawEnd);
        EXPECT_EQ(Pos, Bytes.size());
        EXPECT_EQ(FrameCount, Frames.size());
    }

    /// Frame I as a still PNG of its own, decoded by libpng.
    test::TDecodedPng Decode(std::size_t I, std::uint32_t Format) const {
        std::vector<std::uint8_t> Png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::vector<std::uint8_t> Ihdr = Header;
        std::vector<std::uint8_t> Size;
        PutU32(Size, Frames[I].Width);
        PutU32(Size, Frames[I].Height);
        std::copy(Size.begin(), Size.end(), Ihdr.begin());
        PutChunk(Png, "IHDR", Ihdr);
        PutChunk(Png, "IDAT", Frames[I].Data);
        PutChunk(Png, "IEND", {});
        return test::DecodePng(Png, Format);
    }
};

/// A decoded picture, top row first, 3 or 4 bytes a pixel.
struct TPixels {
    int Width = 0, Height = 0, Channels = 4;
    std::vector<std::uint8_t> Bytes;
    bool operator==(const TPixels&) const = default;
};

TPixels FromPng(const test::TDecodedPng& Png, int Channels) {
    return {static_cast<int>(Png.Width), static_cast<int>(Png.Height), Channels, Png.Pixels};
}

struct TCrop {
    int X = 0, Y = 0, W = CanvasSize, H = CanvasSize;
};

class PictureExport : public ::testing::Test {
protected:
    void SetUp() override {
        Session.SetChara(1);
        Session.SetBackColor(Back);
        Session.SetShadow(true);
        Session.SetMotion(Walk);
        Session.SetDirection(Right);
    }

    /// What the compositor draws for a frame, the classic way: on the background in a 24-bit
    /// canvas, or on nothing in a 32-bit one; then cropped and enlarged by the test itself.
    TPixels Expected(std::uint8_t Motion, std::uint8_t Direction, int Frame, bool Transparent,
                     int Scale, TCrop Crop = {}) {
        TBitmap Bitmap(CanvasSize, CanvasSize,
                       Transparent ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
        Bitmap.Fill(Transparent ? 0 : Back);
        Session.Chara().DrawFrame(Bitmap, Motion, Direction, Frame);
        const int Bpp = Bitmap.BytesPerPixel();
        TPixels Out{Crop.W * Scale, Crop.H * Scale, Transparent ? 4 : 3, {}};
        for (int Y = 0; Y < Out.Height; ++Y)
            for (int X = 0; X < Out.Width; ++X) {
                const std::uint8_t* P =
                    Bitmap.ScanLine(Crop.Y + Y / Scale) + (Crop.X + X / Scale) * Bpp;
                Out.Bytes.insert(Out.Bytes.end(), {P[2], P[1], P[0]});
                if (Transparent)
                    Out.Bytes.push_back(P[3]);
            }
        return Out;
    }

    std::vector<TPixels> ExpectedAction(bool Transparent, int Scale, TCrop Crop = {}) {
        std::vector<TPixels> Frames;
        for (int F = 1; F <= Session.FrameCount(); ++F)
            Frames.push_back(
                Expected(Session.Motion(), Session.Direction(), F, Transparent, Scale, Crop));
        return Frames;
    }

    std::string Export(std::string_view Format, int Scale, const std::string& Name,
                       std::optional<int> Delay = {}, TExportScope Scope = TExportScope::Action,
                       bool Trim = false) {
        const std::string File = Dir.File(Name);
        ExportPicture(Session, {FindExportFormat(Format), Scale, Delay, Scope, Trim, {}}, File);
        return File;
    }

    TDressingSession Session{test::LoadedDemoGame()};
    test::TTempDir Dir;
};

std::vector<TPixels> DecodeWebp(const std::vector<std::uint8_t>& Bytes, bool Transparent,
                                std::vector<int>* Timestamps = nullptr) {
    WebPData Data{Bytes.data(), Bytes.size()};
    WebPAnimDecoderOptions Options;
    EXPECT_TRUE(WebPAnimDecoderOptionsInit(&Options));
    Options.color_mode = MODE_RGBA;
    WebPAnimDecoder* Decoder = WebPAnimDecoderNew(&Data, &Options);
    EXPECT_NE(Decoder, nullptr);
    std::vector<TPixels> Frames;
    if (!Decoder)
        return Frames;
    WebPAnimInfo Info;
    EXPECT_TRUE(WebPAnimDecoderGetInfo(Decoder, &Info));
    EXPECT_EQ(Info.loop_count, 0u);
    while (WebPAnimDecoderHasMoreFrames(Decoder)) {
        std::uint8_t* Rgba = nullptr;
        int Timestamp = 0;
        EXPECT_TRUE(WebPAnimDecoderGetNext(Decoder, &Rgba, &Timestamp));
        TPixels Frame{static_cast<int>(Info.canvas_width),
                      static_cast<int>(Info.canvas_height),
                      Transparent ? 4 : 3,
                      {}};
        for (std::size_t I = 0; I < std::size_t{Info.canvas_width} * Info.canvas_height; ++I) {
            Frame.Bytes.insert(Frame.Bytes.end(), Rgba + 4 * I, Rgba + 4 * I + 3);
            if (Transparent)
                Frame.Bytes.push_back(Rgba[4 * I + 3]);
            else
                EXPECT_EQ(Rgba[4 * I + 3], 255);
        }
        Frames.push_back(std::move(Frame));
        if (Timestamps)
            Timestamps->push_back(Timestamp);
    }
    EXPECT_EQ(Frames.size(), Info.frame_count);
    WebPAnimDecoderDelete(Decoder);
    return Frames;
}

} // namespace

TEST_F(PictureExport, DemoActionHasFramesThatDiffer) {
    // Otherwise the frame-by-frame comparisons below would prove little.
    ASSERT_GE(Session.FrameCount(), 3);
    EXPECT_NE(Expected(Walk, Right, 1, true, 1), Expected(Walk, Right, 2, true, 1));
}

TEST_F(PictureExport, ClassicFormatsWithoutScaleTrimOrDelayKeepTheirBytesAndPngsTheirPixels) {
    for (const TExportFormat* Format : ClassicFormats) {
        const TExportFormat& Classic = *Format;
        const std::string Saved = Dir.File(std::string("classic.") + std::string(Classic.Name));
        SaveImageFile(Session, *Classic.ClassicType, Saved);
        const auto Exported = ReadFileBytes(Export(Classic.Name, 1, std::string(Classic.Name)));
        if (Classic.Kind == TExportKind::Png)
            EXPECT_EQ(test::DecodePng(Exported, PNG_FORMAT_RGBA).Pixels,
                      test::DecodePng(ReadFileBytes(Saved), PNG_FORMAT_RGBA).Pixels);
        else
            EXPECT_EQ(Exported, ReadFileBytes(Saved)) << Classic.Name;
    }
}

TEST_F(PictureExport, StillPngsAreTheCurrentFrameEnlargedPixelForPixel) {
    Session.SetFrame(2);
    for (const bool Transparent : {false, true}) {
        const auto Png =
            test::DecodePng(ReadFileBytes(Export(Transparent ? "tpng" : "png", 3, "still.png")),
                            Transparent ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB);
        EXPECT_EQ(FromPng(Png, Transparent ? 4 : 3), Expected(Walk, Right, 2, Transparent, 3));
    }
}

TEST_F(PictureExport, ApngHoldsEveryFrameAtFullColourLoopingWithTheDelay) {
    for (const bool Transparent : {false, true})
        for (const int Scale : {1, 4}) {
            SCOPED_TRACE(Scale);
            const TApng Apng(
                ReadFileBytes(Export(Transparent ? "tapng" : "apng", Scale, "a.png",
                                     Scale == 1 ? std::nullopt : std::optional<int>(40))));
            const auto Want = ExpectedAction(Transparent, Scale);
            ASSERT_EQ(Apng.Frames.size(), Want.size());
            EXPECT_EQ(Apng.Plays, 0u);
            EXPECT_EQ(Apng.Header[9], Transparent ? 6 : 2); // RGBA or RGB
            for (std::size_t I = 0; I < Want.size(); ++I) {
                const TApngFrame& Frame = Apng.Frames[I];
                EXPECT_EQ(Frame.DelayNum * 1000 / Frame.DelayDen, Scale == 1 ? 167 : 40);
                EXPECT_EQ(Frame.X + Frame.Y + Frame.Dispose + Frame.Blend, 0u);
                EXPECT_EQ(FromPng(Apng.Decode(I, Transparent ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB),
                                  Transparent ? 4 : 3),
                          Want[I])
                    << "frame " << I + 1;
            }
        }
}

TEST_F(PictureExport, WebpHoldsEveryFrameLosslessLoopingWithTheDelay) {
    for (const bool Transparent : {false, true})
        for (const int Scale : {1, 2}) {
            SCOPED_TRACE(Scale);
            std::vector<int> Timestamps;
            const auto Frames = DecodeWebp(
                ReadFileBytes(Export(Transparent ? "twebp" : "webp", Scale, "a.webp", 250)),
                Transparent, &Timestamps);
            EXPECT_EQ(Frames, ExpectedAction(Transparent, Scale));
            for (std::size_t I = 0; I < Timestamps.size(); ++I)
                EXPECT_EQ(Timestamps[I], 250 * static_cast<int>(I + 1));
        }
}

TEST_F(PictureExport, RepeatedFramesStayInAnimations) {
    // An action whose frames are all alike still gives one picture a frame.
    Session.SetMotion(0);
    Session.SetDirection(4);
    const int Count = Session.FrameCount();
    const auto Frames = ExpectedAction(true, 1);
    ASSERT_GE(Count, 1);
    EXPECT_EQ(DecodeWebp(ReadFileBytes(Export("twebp", 1, "r.webp")), true), Frames);
    EXPECT_EQ(TApng(ReadFileBytes(Export("tapng", 1, "r.png"))).Frames.size(),
              static_cast<std::size_t>(Count));
}

TEST_F(PictureExport, GifDelaysAreMillisecondsRoundedToHundredths) {
    for (const auto& [Ms, Cs] : {std::pair{125, 13}, std::pair{124, 12}, std::pair{20, 2}}) {
        const test::TDecodedGif Gif(
            ReadFileBytes(Export("gif", 1, "d" + std::to_string(Ms) + ".gif", Ms)));
        ASSERT_GT(Gif->ImageCount, 0);
        for (int I = 0; I < Gif->ImageCount; ++I)
            EXPECT_EQ(Gif.Control(I).DelayTime, Cs) << Ms << " ms";
    }
}

TEST_F(PictureExport, GifTakesTheScaleAfterReductionAndTheDelayInHundredths) {
    const test::TDecodedGif Small(ReadFileBytes(Export("tgif", 1, "s.gif")));
    const test::TDecodedGif Large(ReadFileBytes(Export("tgif", 3, "l.gif", 104)));
    ASSERT_EQ(Large->ImageCount, Small->ImageCount);
    EXPECT_EQ(Large->SWidth, 3 * CanvasSize);
    for (int I = 0; I < Large->ImageCount; ++I) {
        EXPECT_EQ(Large.Control(I).DelayTime, 10);
        EXPECT_EQ(Large.Control(I).TransparentColor, Small.Control(I).TransparentColor);
        const SavedImage& S = Small->SavedImages[I];
        const SavedImage& L = Large->SavedImages[I];
        ASSERT_EQ(L.ImageDesc.ColorMap->ColorCount, S.ImageDesc.ColorMap->ColorCount);
        for (int Y = 0; Y < 3 * CanvasSize; ++Y)
            for (int X = 0; X < 3 * CanvasSize; ++X)
                ASSERT_EQ(L.RasterBits[Y * 3 * CanvasSize + X],
                          S.RasterBits[(Y / 3) * CanvasSize + X / 3]);
    }
}

TEST_F(PictureExport, TrimCropsEveryFrameToTheUnionOfTheirDrawnPixels) {
    // The union box, found by the test from the compositor's own frames.
    TCrop Box{CanvasSize, CanvasSize, 0, 0};
    int Right = -1, Bottom = -1;
    for (const TPixels& Frame : ExpectedAction(true, 1))
        for (int Y = 0; Y < CanvasSize; ++Y)
            for (int X = 0; X < CanvasSize; ++X)
                if (Frame.Bytes[4 * (Y * CanvasSize + X) + 3]) {
                    Box.X = std::min(Box.X, X);
                    Box.Y = std::min(Box.Y, Y);
                    Right = std::max(Right, X);
                    Bottom = std::max(Bottom, Y);
                }
    Box.W = Right - Box.X + 1;
    Box.H = Bottom - Box.Y + 1;
    ASSERT_LT(Box.W * Box.H, CanvasSize * CanvasSize);

    const TApng Apng(
        ReadFileBytes(Export("apng", 2, "t.png", std::nullopt, TExportScope::Action, true)));
    const auto Want = ExpectedAction(false, 2, Box);
    ASSERT_EQ(Apng.Frames.size(), Want.size());
    for (std::size_t I = 0; I < Want.size(); ++I)
        EXPECT_EQ(FromPng(Apng.Decode(I, PNG_FORMAT_RGB), 3), Want[I]);
    EXPECT_EQ(DecodeWebp(ReadFileBytes(Export("twebp", 1, "t.webp", std::nullopt,
                                              TExportScope::Action, true)),
                         true),
              ExpectedAction(true, 1, Box));
}

TEST_F(PictureExport, SheetCellsHoldEveryFrameWhereTheirJsonSays) {
    struct TCase {
        std::string_view Format;
        TExportScope Scope;
        int Scale;
        std::size_t Rows;
    };
    for (const TCase& Case : {TCase{"sheet", TExportScope::Directions, 2, 8},
                              TCase{"tsheet", TExportScope::All, 1, 19 * 8},
                              TCase{"tsheet", TExportScope::Action, 3, 1}}) {
        SCOPED_TRACE(Case.Format);
        const bool Transparent = Case.Format == "tsheet";
        const int Channels = Transparent ? 4 : 3;
        const std::string File = Export(Case.Format, Case.Scale, "sheet.png", 120, Case.Scope);
        const auto Png =
            test::DecodePng(ReadFileBytes(File), Transparent ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB);
        EXPECT_EQ(Png.Format, Transparent ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB);
        const auto JsonBytes = ReadFileBytes(SheetJsonFileName(File));
        const std::string Json(JsonBytes.begin(), JsonBytes.end());

        const std::regex Meta(R"re("image": "sheet\.png",\s*"format": "(\w+)",\s*)re"
                              R"re("size": \{ "w": (\d+), "h": (\d+) \},\s*"scale": "(\d+)")re");
        std::smatch M;
        ASSERT_TRUE(std::regex_search(Json, M, Meta)) << Json.substr(Json.size() - 200);
        EXPECT_EQ(std::stoul(M[2]), Png.Width);
        EXPECT_EQ(std::stoul(M[3]), Png.Height);
        EXPECT_EQ(std::stoi(M[4]), Case.Scale);
        EXPECT_EQ(M[1], Transparent ? "RGBA8888" : "RGB888");
        const int Cell = CanvasSize * Case.Scale;
        EXPECT_EQ(Png.Height, Case.Rows * Cell);

        // Every cell the JSON names holds its frame; everything else is empty.
        const std::regex Entry(
            R"re("m(\d+)-d(\d+)-f(\d+)": \{\s*"frame": \{ "x": (\d+), "y": (\d+), )re"
            R"re("w": (\d+), "h": (\d+) \},[^{}]*(?:\{[^{}]*\}[^{}]*)*?"duration": (\d+)\s*\})re");
        std::vector<bool> Covered(static_cast<std::size_t>(Png.Width) * Png.Height);
        std::size_t Entries = 0;
        for (auto It = std::sregex_iterator(Json.begin(), Json.end(), Entry);
             It != std::sregex_iterator(); ++It, ++Entries) {
            const auto& E = *It;
            const int Motion = std::stoi(E[1]), Direction = std::stoi(E[2]),
                      Frame = std::stoi(E[3]);
            const int X = std::stoi(E[4]), Y = std::stoi(E[5]);
            EXPECT_EQ(std::stoi(E[6]), Cell);
            EXPECT_EQ(std::stoi(E[7]), Cell);
            EXPECT_EQ(std::stoi(E[8]), 120);
            EXPECT_EQ(X, (Frame - 1) * Cell) << "frames are left-aligned in order";
            const TPixels Want =
                Expected(static_cast<std::uint8_t>(Motion), static_cast<std::uint8_t>(Direction),
                         Frame, Transparent, Case.Scale);
            TPixels Got{Cell, Cell, Channels, {}};
            for (int R = 0; R < Cell; ++R) {
                const std::size_t Start = (static_cast<std::size_t>(Y + R) * Png.Width + X);
                Got.Bytes.insert(Got.Bytes.end(), Png.Pixels.begin() + Start * Channels,
                                 Png.Pixels.begin() + (Start + Cell) * Channels);
                std::fill_n(Covered.begin() + static_cast<std::ptrdiff_t>(Start), Cell, true);
            }
            ASSERT_EQ(Got, Want) << E[0];
        }
        EXPECT_GE(Entries, Case.Rows);
        for (std::size_t I = 0; I < Covered.size(); ++I) {
            if (Covered[I])
                continue;
            const std::uint8_t* P = &Png.Pixels[I * Channels];
            if (Transparent)
                ASSERT_EQ(P[3], 0) << "empty cells are clear";
            else
                ASSERT_EQ(RGBColor(P[0], P[1], P[2]), Back) << "empty cells are the background";
        }
    }
    // Rows go by motion, then direction.
    const std::string File = Export("tsheet", 1, "order.png", {}, TExportScope::All);
    const auto Bytes = ReadFileBytes(SheetJsonFileName(File));
    const std::string Json(Bytes.begin(), Bytes.end());
    EXPECT_LT(Json.find("\"m0-d7-f1\": {\n   \"frame\": { \"x\": 0, \"y\": 896"),
              Json.find("\"m1-d0-f1\""));
    EXPECT_NE(Json.find("\"m1-d0-f1\": {\n   \"frame\": { \"x\": 0, \"y\": 1024,"),
              std::string::npos);
}

TEST_F(PictureExport, TrimmedSheetCellsAreTheBoxesWidthByItsHeight) {
    // The union box of every frame of every direction, found by the test.
    int Left = CanvasSize, Top = CanvasSize, Right = -1, Bottom = -1;
    for (std::uint8_t D = 0; D < 8; ++D)
        for (int F = 1; F <= Session.Chara().GetFrameCount(Walk, D); ++F) {
            const TPixels Frame = Expected(Walk, D, F, true, 1);
            for (int Y = 0; Y < CanvasSize; ++Y)
                for (int X = 0; X < CanvasSize; ++X)
                    if (Frame.Bytes[4 * (Y * CanvasSize + X) + 3]) {
                        Left = std::min(Left, X);
                        Top = std::min(Top, Y);
                        Right = std::max(Right, X);
                        Bottom = std::max(Bottom, Y);
                    }
        }
    const TCrop Box{Left, Top, Right - Left + 1, Bottom - Top + 1};
    ASSERT_NE(Box.W, Box.H) << "square cells could not tell width from height";
    constexpr int Scale = 2;
    const int W = Box.W * Scale, H = Box.H * Scale;

    const std::string File =
        Export("tsheet", Scale, "trimmed.png", 120, TExportScope::Directions, true);
    const auto Png = test::DecodePng(ReadFileBytes(File), PNG_FORMAT_RGBA);
    EXPECT_EQ(Png.Height, 8u * H);
    const auto JsonBytes = ReadFileBytes(SheetJsonFileName(File));
    const std::string Json(JsonBytes.begin(), JsonBytes.end());
    const std::regex Entry(
        R"re("m(\d+)-d(\d+)-f(\d+)": \{\s*"frame": \{ "x": (\d+), "y": (\d+), )re"
        R"re("w": (\d+), "h": (\d+) \})re");
    std::size_t Entries = 0;
    for (auto It = std::sregex_iterator(Json.begin(), Json.end(), Entry);
         It != std::sregex_iterator(); ++It, ++Entries) {
        const auto& E = *It;
        const auto Direction = static_cast<std::uint8_t>(std::stoi(E[2]));
        const int Frame = std::stoi(E[3]);
        const int X = std::stoi(E[4]), Y = std::stoi(E[5]);
        ASSERT_EQ(std::stoi(E[1]), Walk);
        EXPECT_EQ(std::stoi(E[6]), W);
        EXPECT_EQ(std::stoi(E[7]), H);
        EXPECT_EQ(X, (Frame - 1) * W) << E[0];
        EXPECT_EQ(Y, Direction * H) << E[0]; // one row a direction, in order
        const TPixels Want = Expected(Walk, Direction, Frame, true, Scale, Box);
        TPixels Got{W, H, 4, {}};
        for (int R = 0; R < H && static_cast<std::size_t>(Y + R) < Png.Height; ++R) {
            const auto Start = (static_cast<std::size_t>(Y + R) * Png.Width + X) * 4;
            Got.Bytes.insert(Got.Bytes.end(), Png.Pixels.begin() + Start,
                             Png.Pixels.begin() + Start + W * 4);
        }
        ASSERT_EQ(Got, Want) << E[0];
    }
    EXPECT_GE(Entries, 8u);
}

TEST_F(PictureExport, FailedOrCanceledSheetsLeaveNeitherFile) {
    const std::string File = Dir.File("s.png");
    std::filesystem::create_directory(SheetJsonFileName(File)); // the index cannot be written
    const TExportOptions Options{FindExportFormat("sheet"), 2,    {},
                                 TExportScope::Directions,  true, {}};
    EXPECT_THROW(ExportPicture(Session, Options, File), EWloError);
    EXPECT_FALSE(std::filesystem::exists(File));

    std::filesystem::remove(SheetJsonFileName(File));
    int Calls = 0;
    EXPECT_THROW(ExportPicture(Session, Options, File,
                               [&](int Done, int Total) {
                                   EXPECT_EQ(Done, ++Calls);
                                   EXPECT_GT(Total, Done);
                                   return Done < 5;
                               }),
                 EExportCanceled);
    EXPECT_FALSE(std::filesystem::exists(File));
    EXPECT_FALSE(std::filesystem::exists(SheetJsonFileName(File)));
    EXPECT_TRUE(std::filesystem::is_empty(Dir.Path()));
}

TEST_F(PictureExport, RefusesOptionsOutOfRangeAndNamesFiles) {
    const auto Options = [](std::string_view Format, int Scale, std::optional<int> Delay) {
        return TExportOptions{FindExportFormat(Format), Scale, Delay,
                              TExportScope::Action,     false, {}};
    };
    for (const TExportOptions& Bad :
         {Options("apng", 0, {}), Options("apng", 9, {}), Options("webp", 1, 19),
          Options("gif", 1, 5001), Options("none", 1, {})})
        EXPECT_THROW(ExportPicture(Session, Bad, Dir.File("x")), std::invalid_argument);
    try {
        Export("twebp", 2, "missing/x.webp");
        FAIL();
    } catch (const EWloError& Error) {
        const std::string Named = std::string(Error.what()) + Error.FileName();
        EXPECT_NE(Named.find("missing/x.webp"), std::string::npos) << Named;
    }
    EXPECT_EQ(NormalizeExportFileName("/a/b", *FindExportFormat("twebp")), "/a/b.webp");
    EXPECT_EQ(NormalizeExportFileName("/a/b.PNG", *FindExportFormat("tsheet")), "/a/b.PNG");
    EXPECT_EQ(FindExportFormat("TAPNG"), FindExportFormat("tapng"));
    EXPECT_EQ(FindExportFormat("tiff"), nullptr);
}

TEST_F(PictureExport, EveryPictureButABitmapCarriesTheCodeItIsGivenAndStaysTheSamePicture) {
    Session.Pick(1, 1);
    const std::string Code = Session.Code();
    for (const TExportFormat& Format : ExportFormats) {
        SCOPED_TRACE(Format.Name);
        // A bundle tells the code in its character.json and its sheet; a layered file none.
        if (HasScope(Format) && !IsSheetFormat(Format))
            continue;
        const std::string Name = "coded" + std::string(Format.Extension);
        for (const int Scale : {1, 2}) {
            TExportOptions Options{&Format, Scale, {}, TExportScope::Action, false, {}};
            ExportPicture(Session, Options, Dir.File("plain" + std::string(Format.Extension)));
            Options.Code = Code;
            EXPECT_FALSE(WritesClassicPicture(Options));
            ExportPicture(Session, Options, Dir.File(Name));
            const auto Plain = ReadFileBytes(Dir.File("plain" + std::string(Format.Extension)));
            const auto Coded = ReadFileBytes(Dir.File(Name));
            EXPECT_EQ(ReadPictureCode(Plain), std::nullopt);
            if (Format.Kind == TExportKind::Bitmap) {
                EXPECT_EQ(Coded, Plain);
                continue;
            }
            EXPECT_EQ(ReadPictureCode(Coded), Code);
            EXPECT_EQ(ReadPictureCodeFile(Dir.File(Name)), Code);
            // The same picture, only longer by what carries the code.
            EXPECT_GT(Coded.size(), Plain.size());
            EXPECT_LT(Coded.size(), Plain.size() + 1024);
            if (Format.Kind == TExportKind::Apng) {
                EXPECT_EQ(TApng(Coded).Frames.size(), TApng(Plain).Frames.size());
            } else if (Format.Kind == TExportKind::Webp) {
                EXPECT_EQ(DecodeWebp(Coded, Format.Transparent),
                          DecodeWebp(Plain, Format.Transparent));
            } else if (Format.Kind == TExportKind::Png || Format.Kind == TExportKind::Sheet) {
                EXPECT_EQ(test::DecodePng(Coded, PNG_FORMAT_RGBA).Pixels,
                          test::DecodePng(Plain, PNG_FORMAT_RGBA).Pixels);
            }
        }
    }
    // Without a code, the classic formats at scale 1 are the classic bytes.
    EXPECT_TRUE(
        WritesClassicPicture({FindExportFormat("gif"), 1, {}, TExportScope::Action, false, {}}));
    EXPECT_FALSE(
        WritesClassicPicture({FindExportFormat("gif"), 2, {}, TExportScope::Action, false, {}}));
    EXPECT_FALSE(
        WritesClassicPicture({FindExportFormat("apng"), 1, {}, TExportScope::Action, false, {}}));
}

TEST_F(PictureExport, AFileOfNoPictureCarriesNoCodeAndAMissingOneIsNamed) {
    WriteFileBytes(Dir.File("text.png"), std::vector<std::uint8_t>{'h', 'i'});
    EXPECT_EQ(ReadPictureCodeFile(Dir.File("text.png")), std::nullopt);
    try {
        (void)ReadPictureCodeFile(Dir.File("none.png"));
        FAIL();
    } catch (const EWloError& Error) {
        EXPECT_NE(ErrorText(Error, ": ").find("none.png"), std::string::npos);
    }
}
