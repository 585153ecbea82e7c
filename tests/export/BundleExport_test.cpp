// Bundles read back with libzip's reader and Aseprite files by a chunk walker of the test's own,
// their frames and layers against the compositor.
#include "export/AsepriteExport.h"
#include "export/BundleExport.h"

#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"

#include <boost/json.hpp>
#include <gtest/gtest.h>
#include <zip.h>
#include <zlib.h>

#include <filesystem>
#include <map>

using namespace pelto;
namespace json = boost::json;

namespace {

/// Every entry of a ZIP file by name, as libzip reads it (checking each CRC).
std::map<std::string, std::vector<std::uint8_t>> Unzipped(const std::string& File) {
    int Error = 0;
    zip_t* Zip = zip_open(File.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &Error);
    EXPECT_NE(Zip, nullptr) << "libzip error " << Error;
    std::map<std::string, std::vector<std::uint8_t>> Entries;
    if (!Zip)
        return Entries;
    for (zip_int64_t I = 0; I < zip_get_num_entries(Zip, 0); ++I) {
        zip_stat_t Stat;
        EXPECT_EQ(zip_stat_index(Zip, static_cast<zip_uint64_t>(I), 0, &Stat), 0);
        zip_file_t* Entry = zip_fopen_index(Zip, static_cast<zip_uint64_t>(I), 0);
        EXPECT_NE(Entry, nullptr);
        std::vector<std::uint8_t> Bytes(Stat.size);
        EXPECT_EQ(zip_fread(Entry, Bytes.data(), Bytes.size()),
                  static_cast<zip_int64_t>(Bytes.size()));
        std::uint8_t More;
        EXPECT_EQ(zip_fread(Entry, &More, 1), 0) << "the CRC and size check out at the end";
        zip_fclose(Entry);
        Entries.emplace(Stat.name, std::move(Bytes));
    }
    zip_close(Zip);
    return Entries;
}

/// A cel of an Aseprite file, its pixels inflated: RGBA rows, top first.
struct TReadCel {
    int Layer, X, Y, Width, Height;
    std::vector<std::uint8_t> Rgba;
};

/// The cels of every frame of an Aseprite file, walked by the sizes its header, frames and
/// chunks give, each of which must add up.
std::vector<std::vector<TReadCel>> AsepriteCels(std::span<const std::uint8_t> Bytes) {
    const auto U16 = [&](std::size_t At) {
        return Bytes[At] | Bytes[At + 1] << 8;
    };
    const auto U32 = [&](std::size_t At) {
        return static_cast<std::uint32_t>(U16(At)) | static_cast<std::uint32_t>(U16(At + 2)) << 16;
    };
    EXPECT_EQ(U32(0), Bytes.size());
    EXPECT_EQ(U16(4), 0xA5E0);
    std::vector<std::vector<TReadCel>> Frames(static_cast<std::size_t>(U16(6)));
    std::size_t Frame = 128;
    for (auto& Cels : Frames) {
        EXPECT_EQ(U16(Frame + 4), 0xF1FA);
        const std::size_t End = Frame + U32(Frame);
        std::size_t Chunk = Frame + 16;
        for (std::uint32_t I = 0; I < U32(Frame + 12); ++I) {
            if (U16(Chunk + 4) == 0x2005) {
                const std::size_t Cel = Chunk + 6;
                EXPECT_EQ(U16(Cel + 7), 2) << "a compressed image";
                TReadCel Read{U16(Cel),      U16(Cel + 2),  U16(Cel + 4),
                              U16(Cel + 16), U16(Cel + 18), {}};
                Read.Rgba.resize(static_cast<std::size_t>(Read.Width) * Read.Height * 4);
                uLongf Size = Read.Rgba.size();
                EXPECT_EQ(uncompress(Read.Rgba.data(), &Size, &Bytes[Cel + 20],
                                     Chunk + U32(Chunk) - Cel - 20),
                          Z_OK);
                EXPECT_EQ(Size, Read.Rgba.size());
                Cels.push_back(std::move(Read));
            }
            Chunk += U32(Chunk);
        }
        EXPECT_EQ(Chunk, End);
        Frame = End;
    }
    EXPECT_EQ(Frame, Bytes.size());
    return Frames;
}

class BundleExport : public ::testing::Test {
protected:
    void SetUp() override {
        Session.SetChara(1);
        Session.Pick(3, 1); // a hand item, drawn last and centred
        Session.Pick(1, 1);
        Session.SetShadow(true);
        Session.SetMotion(1);
        Session.SetBackColor(RGBColor(10, 20, 30));
    }

    /// What the compositor draws, on nothing, cropped to nothing and enlarged by the test.
    std::vector<std::uint8_t> Expected(std::uint8_t Direction, int Frame, int Scale,
                                       int Layer = 99) {
        TBitmap Bitmap(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
        Bitmap.Fill(0);
        if (Layer == 99)
            Session.Chara().DrawFrame(Bitmap, 1, Direction, Frame);
        else
            Session.Chara().DrawLayer(Bitmap, Layer, 1, Direction, Frame);
        const int Side = CanvasSize * Scale;
        std::vector<std::uint8_t> Out(static_cast<std::size_t>(Side) * Side * 4);
        std::uint8_t* Q = Out.data();
        for (int Y = 0; Y < Side; ++Y)
            for (int X = 0; X < Side; ++X, Q += 4) {
                const std::uint8_t* P = Bitmap.ScanLine(Y / Scale) + 4 * (X / Scale);
                Q[0] = P[2], Q[1] = P[1], Q[2] = P[0], Q[3] = P[3];
            }
        return Out;
    }

    TExportOptions Bundle(bool Layers, int Scale = 1) {
        TExportOptions Options;
        Options.Format = FindExportFormat("tbundle");
        Options.Scope = TExportScope::Directions;
        Options.Scale = Scale;
        Options.Layers = Layers;
        return Options;
    }

    TDressingSession Session{test::LoadedDemoGame()};
    test::TTempDir Dir;
};

TEST_F(BundleExport, HoldsEveryFrameOfTheScopeAsTheCompositorDrawsItAndItsLayers) {
    // Levels that differ in every position and channel, so that none can stand for another.
    for (int Position = 0; Position < 4; ++Position)
        for (int Channel = 0; Channel < 3; ++Channel)
            Session.SetColor(Position, Channel,
                             static_cast<std::uint8_t>((Position * 3 + Channel + 1) % 10));
    const std::string File = Dir.File("b.zip");
    const TExportShape Shape = ExportPicture(Session, Bundle(true), File);
    EXPECT_EQ(Shape.Width, 128);
    const auto Entries = Unzipped(File);
    const std::vector<int> Layers = Session.Chara().DrawnLayers();
    ASSERT_GE(Layers.size(), 4u) << "shadow, body, head and the hand item";
    int Frames = 0;
    for (std::uint8_t D = 0; D < 8; ++D)
        for (int F = 1; F <= Session.Chara().GetFrameCount(1, D); ++F, ++Frames) {
            const std::string Name = "m1-d" + std::to_string(D) + "-f" + std::to_string(F);
            SCOPED_TRACE(Name);
            const auto Png =
                test::DecodePng(Entries.at("frames/" + Name + ".png"), PNG_FORMAT_RGBA);
            ASSERT_EQ(Png.Width, 128u);
            ASSERT_EQ(Png.Pixels, Expected(D, F, 1));
            // The layers, in draw order, each alone.
            for (std::size_t I = 0; I < Layers.size(); ++I) {
                const std::string Prefix =
                    "layers/" + Name + "/" + (I < 9 ? "0" : "") + std::to_string(I + 1) + " ";
                const auto Found = Entries.lower_bound(Prefix);
                ASSERT_TRUE(Found != Entries.end() && Found->first.starts_with(Prefix)) << Prefix;
                EXPECT_EQ(test::DecodePng(Found->second, PNG_FORMAT_RGBA).Pixels,
                          Expected(D, F, 1, Layers[I]))
                    << Found->first;
            }
        }
    // Named by the part: the shadow and the body first, the hand item last.
    std::vector<std::string> Names;
    for (const auto& [Entry, Bytes] : Entries)
        if (Entry.starts_with("layers/m1-d4-f1/"))
            Names.push_back(Entry.substr(16));
    ASSERT_EQ(Names.size(), Layers.size());
    EXPECT_EQ(Names[0], "01 Shadow.png");
    EXPECT_EQ(Names[1], "02 Body.png");
    EXPECT_NE(std::find_if(Names.begin(), Names.end(),
                           [](const std::string& N) { return N.ends_with(" Head.png"); }),
              Names.end());
    EXPECT_TRUE(Names.back().substr(3).starts_with("Slot 3 ")) << Names.back();
    EXPECT_EQ(Shape.Frames, Frames);

    // The sheet and its JSON, the character and what is what.
    const auto Sheet = test::DecodePng(Entries.at("sheet.png"), PNG_FORMAT_RGBA);
    EXPECT_EQ(Sheet.Height, 8u * 128);
    const auto& JsonBytes = Entries.at("sheet.json");
    const json::value Json = json::parse(std::string(JsonBytes.begin(), JsonBytes.end()));
    EXPECT_EQ(Json.at("meta").at("image").as_string(), "sheet.png");
    EXPECT_EQ(static_cast<int>(Json.at("frames").as_object().size()), Frames);
    const auto& CharaBytes = Entries.at("character.json");
    const json::value Chara = json::parse(std::string(CharaBytes.begin(), CharaBytes.end()));
    EXPECT_EQ(Chara.at("code").as_string(), Session.Code());
    EXPECT_EQ(Chara.at("character").at("name").as_string(), "Nina");
    EXPECT_EQ(Chara.at("items").as_array().size(), 2u);
    EXPECT_EQ(Chara.at("items").at(0).at("id").as_int64(), Session.Worn(1)->ItemID());
    EXPECT_EQ(json::serialize(Chara.at("levels")), "[[1,2,3],[4,5,6],[7,8,9],[0,1,2]]");
    EXPECT_EQ(Chara.at("motions").as_array().size(), 19u);
    EXPECT_EQ(Chara.at("motions").at(1).at("directions").at(6).at("frames").as_int64(),
              Session.Chara().GetFrameCount(1, 6));
    EXPECT_TRUE(Entries.contains("README.txt"));
    EXPECT_EQ(Entries.size(), static_cast<std::size_t>(Frames) * (1 + Layers.size()) + 4);
}

TEST_F(BundleExport, ACanceledBundleLeavesTheOldFileAndNothingAside) {
    const std::string File = Dir.File("keep.zip");
    WriteFileBytes(File, std::vector<std::uint8_t>{'o', 'l', 'd'});
    int Calls = 0, Total = 0;
    EXPECT_THROW(ExportPicture(Session, Bundle(false), File,
                               [&](int Done, int All) {
                                   Total = All;
                                   return ++Calls < Done + 1 && Done < All - 3;
                               }),
                 EExportCanceled);
    EXPECT_EQ(ReadFileBytes(File), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_GT(Calls, Total / 2) << "canceled while the archive was written";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
    // Done counts up to the total once nothing cancels.
    int Last = 0;
    ExportPicture(Session, Bundle(false), File, [&](int Done, int All) {
        EXPECT_EQ(Done, Last + 1);
        Last = Done;
        return All > 0;
    });
    EXPECT_EQ(Last, Total);
}

// Each cel, put on an empty canvas where it says, is its layer as the compositor draws it:
// in the right place and channel for channel.
TEST_F(BundleExport, AnAsepriteFileHoldsEveryLayerOfEveryFrameAsTheCompositorDrawsIt) {
    Session.SetDirection(2);
    TExportOptions Options;
    Options.Format = FindExportFormat("aseprite");
    TMemoryStream Stream;
    const TExportShape Shape = ExportAsepriteToStream(Session.Chara(), Options, Stream, {});
    ASSERT_EQ(Shape.Width, CanvasSize);
    const auto Frames = AsepriteCels(Stream.Memory());
    ASSERT_EQ(static_cast<int>(Frames.size()), Session.Chara().GetFrameCount(1, 2));
    const std::vector<int> Layers = Session.Chara().DrawnLayers();
    for (std::size_t F = 0; F < Frames.size(); ++F) {
        std::size_t Drawn = 0;
        for (const TReadCel& Cel : Frames[F]) {
            std::vector<std::uint8_t> Canvas(std::size_t{CanvasSize} * CanvasSize * 4);
            for (int Y = 0; Y < Cel.Height; ++Y)
                std::copy_n(
                    &Cel.Rgba[static_cast<std::size_t>(Y * Cel.Width) * 4], Cel.Width * 4,
                    &Canvas[static_cast<std::size_t>((Cel.Y + Y) * CanvasSize + Cel.X) * 4]);
            ASSERT_LT(static_cast<std::size_t>(Cel.Layer), Layers.size());
            EXPECT_TRUE(Canvas == Expected(2, static_cast<int>(F) + 1, 1,
                                           Layers[static_cast<std::size_t>(Cel.Layer)]))
                << "frame " << F + 1 << ", layer " << Cel.Layer;
            ++Drawn;
        }
        EXPECT_GE(Drawn, 3u) << "the body, the head and the items";
    }
}

// Without a character no action has frames; the file still holds one, empty.
TEST_F(BundleExport, AnAsepriteFileOfNoFramesHoldsOneEmptyFrame) {
    const TDressingSession Nobody{test::LoadedDemoGame()};
    ASSERT_EQ(Nobody.FrameCount(), 0);
    for (const TExportScope Scope :
         {TExportScope::Action, TExportScope::Directions, TExportScope::All}) {
        TExportOptions Options;
        Options.Format = FindExportFormat("aseprite");
        Options.Scope = Scope;
        TMemoryStream Stream;
        EXPECT_EQ(ExportAsepriteToStream(Nobody.Chara(), Options, Stream, {}).Frames, 1);
        const auto Frames = AsepriteCels(Stream.Memory());
        ASSERT_EQ(Frames.size(), 1u);
        EXPECT_TRUE(Frames[0].empty());
    }
}

} // namespace
