// The sheet's JSON read by Boost.JSON, a parser of its own, against Aseprite's "Hash" export.
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"

#include <boost/json.hpp>
#include <gtest/gtest.h>

#include <string>

using namespace pelto;
namespace json = boost::json;

namespace {

class SheetJson : public ::testing::Test {
protected:
    void SetUp() override {
        Session.SetChara(1);
        Session.SetShadow(true);
        Session.SetMotion(1);
    }

    std::string Text(TExportOptions Options) {
        const std::string File = Dir.File("sheet.png");
        ExportPicture(Session, Options, File);
        const auto Bytes = ReadFileBytes(SheetJsonFileName(File));
        return std::string(Bytes.begin(), Bytes.end());
    }

    json::object Sheet(TExportOptions Options) { return json::parse(Text(Options)).as_object(); }

    static TExportOptions Options(std::string_view Format, TExportScope Scope, int Scale = 1) {
        TExportOptions Options;
        Options.Format = FindExportFormat(Format);
        Options.Scope = Scope;
        Options.Scale = Scale;
        return Options;
    }

    TDressingSession Session{test::LoadedDemoGame()};
    test::TTempDir Dir;
};

std::int64_t Int(const json::value& Object, std::string_view Key) {
    return Object.as_object().at(Key).as_int64();
}

TEST_F(SheetJson, HasAsepritesHashFieldsAndATagPerAction) {
    const json::object Sheet = this->Sheet(Options("tsheet", TExportScope::Directions, 2));
    const json::object& Meta = Sheet.at("meta").as_object();
    EXPECT_EQ(Meta.at("image").as_string(), "sheet.png");
    EXPECT_EQ(Meta.at("format").as_string(), "RGBA8888");
    EXPECT_EQ(Meta.at("scale").as_string(), "2"); // Aseprite writes the scale as a string
    EXPECT_TRUE(Meta.at("app").is_string());
    EXPECT_TRUE(Meta.at("version").is_string());
    const json::array& Tags = Meta.at("frameTags").as_array();
    ASSERT_EQ(Tags.size(), 8u);

    const json::object& Frames = Sheet.at("frames").as_object();
    std::int64_t Index = 0;
    for (const json::value& Tag : Tags) {
        const auto Direction = Index == 0 ? 0 : &Tag - Tags.data();
        EXPECT_EQ(Tag.at("name").as_string(), "m1-d" + std::to_string(Direction));
        EXPECT_EQ(Tag.at("direction").as_string(), "forward");
        EXPECT_EQ(Int(Tag, "from"), Index) << "tags follow each other in frame order";
        const std::int64_t To = Int(Tag, "to");
        const int Count = Session.Chara().GetFrameCount(1, static_cast<std::uint8_t>(Direction));
        EXPECT_EQ(To - Index + 1, Count);
        Index = To + 1;
    }
    EXPECT_EQ(static_cast<std::int64_t>(Frames.size()), Index);

    // The frames in order: the first of direction 3 is the tag's first frame.
    auto It = Frames.begin();
    std::advance(It, Int(Tags[3], "from"));
    EXPECT_EQ(It->key(), "m1-d3-f1");
    for (const auto& Frame : Frames) {
        const json::object& F = Frame.value().as_object();
        EXPECT_FALSE(F.at("rotated").as_bool());
        EXPECT_FALSE(F.at("trimmed").as_bool());
        EXPECT_EQ(Int(F.at("frame"), "w"), 256);
        EXPECT_EQ(Int(F.at("sourceSize"), "w"), 256);
        EXPECT_EQ(Int(F.at("spriteSourceSize"), "x"), 0);
        EXPECT_EQ(Int(F.at("spriteSourceSize"), "h"), 256);
        EXPECT_EQ(Int(F, "duration"), DefaultExportDelay);
        // The middle of the shadow's middle pixel (64, 100), of a 128-pixel canvas.
        EXPECT_DOUBLE_EQ(F.at("pivot").at("x").as_double(), 64.5 / 128);
        EXPECT_DOUBLE_EQ(F.at("pivot").at("y").as_double(), 100.5 / 128);
    }
    EXPECT_EQ(Int(Meta.at("size"), "h"), 8 * 256);
}

TEST_F(SheetJson, IsLaidOutInAsepritesLinesWithPivotsInNineDigits) {
    const std::string Text = this->Text(Options("tsheet", TExportScope::Action, 2));
    EXPECT_TRUE(Text.starts_with("{ \"frames\": {\n  \"m1-d")) << Text;
    for (const std::string_view Lines :
         {"\": {\n   \"frame\": { \"x\": 0, \"y\": 0, \"w\": 256, \"h\": 256 },\n"
          "   \"rotated\": false,\n   \"trimmed\": false,\n",
          "   \"pivot\": { \"x\": 0.50390625, \"y\": 0.78515625 },\n   \"duration\": 167\n  },\n",
          "\n },\n \"meta\": {\n  \"app\": \"PELTO in Wonderland\",\n",
          "\n  \"frameTags\": [\n   { \"name\": \"m1-d"})
        EXPECT_NE(Text.find(Lines), std::string::npos) << Lines;
    EXPECT_TRUE(
        Text.ends_with("\"color\": \"#000000ff\" }\n  ],\n  \"layers\": [\n   { \"name\": "
                       "\"Character\", \"opacity\": 255, \"blendMode\": \"normal\" }\n  ],\n"
                       "  \"slices\": [\n  ]\n }\n}\n"))
        << Text;
}

TEST_F(SheetJson, TrimIsToldInSpriteSourceSizeAndKeepsThePivotOnTheFeet) {
    TExportOptions Trimmed = Options("sheet", TExportScope::Action, 3);
    Trimmed.Trim = true;
    const json::object Plain = Sheet(Trimmed);
    Trimmed.Flip = true;
    const json::object Flipped = Sheet(Trimmed);
    for (const json::object* Sheet : {&Plain, &Flipped}) {
        const bool Flip = Sheet == &Flipped;
        for (const auto& Frame : Sheet->at("frames").as_object()) {
            const json::object& F = Frame.value().as_object();
            const json::value& Sprite = F.at("spriteSourceSize");
            EXPECT_TRUE(F.at("trimmed").as_bool());
            EXPECT_EQ(Int(F.at("sourceSize"), "w"), 3 * 128);
            EXPECT_EQ(Int(F.at("sourceSize"), "h"), 3 * 128);
            EXPECT_EQ(Int(Sprite, "w"), Int(F.at("frame"), "w"));
            EXPECT_EQ(Int(Sprite, "h"), Int(F.at("frame"), "h"));
            EXPECT_LT(Int(Sprite, "w"), 3 * 128);
            EXPECT_EQ(Int(Sprite, "y") % 3, 0);
            // Wherever the box is, the pivot stays at the feet of the whole canvas.
            EXPECT_DOUBLE_EQ(F.at("pivot").at("x").as_double(), (Flip ? 63.5 : 64.5) / 128);
            EXPECT_DOUBLE_EQ(F.at("pivot").at("y").as_double(), 100.5 / 128);
        }
    }
    // Mirrored, the box lies as far from the right edge as it did from the left.
    const auto First = [](const json::object& Sheet) {
        return Sheet.at("frames").as_object().begin()->value().at("spriteSourceSize");
    };
    EXPECT_EQ(Int(First(Flipped), "x"), 3 * 128 - Int(First(Plain), "x") - Int(First(Plain), "w"));
}

TEST_F(SheetJson, IndexNamesAreTheFramesPositionsAsPhaserLooksThemUp) {
    TExportOptions Indexed = Options("tsheet", TExportScope::Directions);
    Indexed.FrameNames = TFrameNames::Index;
    const json::object Sheet = this->Sheet(Indexed);
    int Expected = 0;
    for (const auto& Frame : Sheet.at("frames").as_object())
        EXPECT_EQ(Frame.key(), std::to_string(Expected++));
    const json::array& Tags = Sheet.at("meta").at("frameTags").as_array();
    EXPECT_EQ(Int(Tags.back(), "to"), Expected - 1);
}

TEST_F(SheetJson, ACanvasIsTheWholePictureWithThePivotOnItsFeetPoint) {
    TExportOptions OnCanvas = Options("tsheet", TExportScope::Action, 2);
    OnCanvas.Canvas = TExportCanvas{300, 200, TCanvasAnchor::Feet};
    const json::object Sheet = this->Sheet(OnCanvas);
    for (const auto& Frame : Sheet.at("frames").as_object()) {
        const json::object& F = Frame.value().as_object();
        EXPECT_FALSE(F.at("trimmed").as_bool());
        EXPECT_EQ(Int(F.at("frame"), "w"), 300);
        EXPECT_EQ(Int(F.at("sourceSize"), "h"), 200);
        // Feet centred, the shadow's last row on the bottom edge.
        EXPECT_DOUBLE_EQ(F.at("pivot").at("x").as_double() * 300, 150);
        EXPECT_DOUBLE_EQ(F.at("pivot").at("y").as_double() * 200, 200 - 7 * 2 + 1);
    }
}

} // namespace
