#include "requests/RenderRequest.h"

#include "export/ExportFrames.h"
#include "export/PictureCode.h"
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/InvalidCode.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"

#include <boost/json.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace pelto;

namespace {

/// The message ParseRenderRequest refuses Params with; empty when it takes them.
std::string Refusal(const TRequestParams& Params, const TRequestDialect& Dialect,
                    const TExportFormat* Format = nullptr) {
    try {
        ParseRenderRequest(Params, Dialect, Format);
    } catch (const ERequestError& Error) {
        return Error.what();
    }
    return "";
}

const TExportFormat& Png = *FindExportFormat("png");

const TGameData& Game() {
    static const auto Loaded = OpenGame(test::DemoGame(), {});
    return *Loaded;
}

/// Character Chara dressed with the Nth entry of every list of its group, and recoloured.
std::string DressedCode(int Chara, int Nth) {
    TDressingSession Session(Game());
    Session.SetChara(Chara);
    for (int Slot = 1; Slot <= 6; ++Slot)
        Session.Pick(Slot, std::min(Nth, static_cast<int>(Session.List(Slot).size()) - 1));
    Session.SetColor(0, 0, 7);
    Session.SetColor(2, 2, 1);
    return Session.Code();
}

std::vector<std::uint8_t> Rendered(const TRenderRequest& Request) {
    TMemoryStream Stream;
    Render(Game(), Request, Stream);
    const auto Bytes = Stream.Memory();
    return {Bytes.begin(), Bytes.end()};
}

} // namespace

TEST(RenderRequest, EveryWayOfAskingForTheSamePictureHasOneKey) {
    const auto Plain = ParseRenderRequest({{"code", "AB+C"}}, QueryDialect, &Png);
    const auto Spelled = ParseRenderRequest({{"code", "AB C"},
                                             {"motion", "0"},
                                             {"direction", "4"},
                                             {"shadow", "0"},
                                             {"background", "#ffffff"},
                                             {"scale", "1"}},
                                            QueryDialect, &Png);
    EXPECT_EQ(Plain.Key(), Spelled.Key());
    // The service's caches and ETags outlive a build: the key's text stays as it was.
    EXPECT_EQ(Plain.Key(), "png?code=AB+C&motion=0&direction=4&frame=default&shadow=0"
                           "&background=FFFFFF&scale=1");
    EXPECT_NE(Plain.Key(),
              ParseRenderRequest({{"code", "AB+C"}, {"frame", "1"}}, QueryDialect, &Png).Key())
        << "an explicit frame is checked, the default is not";
    EXPECT_NE(Plain.Key(),
              ParseRenderRequest({{"code", "AB+C"}, {"scale", "2"}}, QueryDialect, &Png).Key());
    const TExportFormat& Gif = *FindExportFormat("gif");
    EXPECT_NE(ParseRenderRequest({{"code", "A"}}, QueryDialect, &Gif).Key(),
              ParseRenderRequest({{"code", "A"}, {"delay", "160"}}, QueryDialect, &Gif).Key())
        << "GIF's own delay is not the export default";

    // The command line asks for the same picture in its own words.
    const auto Cli = ParseRenderRequest({{"code", "AB+C"}, {"format", "PNG"}, {"shadow", ""}},
                                        CommandLineDialect);
    EXPECT_EQ(Cli.Key(),
              ParseRenderRequest({{"code", "AB+C"}, {"shadow", "1"}}, QueryDialect, &Png).Key());
    EXPECT_NE(ParseRenderRequest({{"chara", "3"}, {"format", "png"}}, CommandLineDialect).Key(),
              ParseRenderRequest({{"code", ""}, {"format", "png"}}, CommandLineDialect).Key());
    EXPECT_NE(ParseRenderRequest({{"code", "A"}, {"format", "sheet"}, {"scope", "all"}},
                                 CommandLineDialect)
                  .Key(),
              ParseRenderRequest({{"code", "A"}, {"format", "sheet"}}, CommandLineDialect).Key());
}

TEST(RenderRequest, CodesFromUrlsAreNormalisedAndTypedOnesKeptAsTyped) {
    EXPECT_EQ(ParseRenderRequest({{"code", "AB C-D_\n"}}, QueryDialect, &Png).Code, "AB+C+D/");
    EXPECT_EQ(ParseRenderRequest({{"code", " AB\nC "}, {"format", "png"}}, CommandLineDialect).Code,
              " AB\nC ");
}

TEST(RenderRequest, QueryParametersOutsideTheirRangesAreRefusedByName) {
    const auto Message = [](const TRequestParams& Params) {
        return Refusal(Params, QueryDialect, &Png);
    };
    EXPECT_EQ(Message({{"code", "A"}, {"motion", " 1"}}), "motion must be a number from 0 to 18");
    EXPECT_EQ(Message({{"code", "A"}, {"motion", "99999999999999999999999"}}),
              "motion must be a number from 0 to 18");
    EXPECT_EQ(Message({{"code", "A"}, {"direction", "8"}}),
              "direction must be a number from 0 to 7");
    EXPECT_EQ(Message({{"code", "A"}, {"frame", "0"}}), "frame must be a number from 1 to 255");
    EXPECT_EQ(Message({{"code", "A"}, {"shadow", "yes"}}), "shadow must be a number from 0 to 1");
    EXPECT_EQ(Message({{"code", "A"}, {"background", "+12345"}}),
              "background must be six hexadecimal digits, RRGGBB");
    EXPECT_EQ(Message({{"code", "A"}, {"scale", "9"}}), "scale must be a number from 1 to 8");
    EXPECT_EQ(Message({{"code", "A"}, {"delay", "100"}}),
              "delay is for gif, tgif, apng, tapng, webp and twebp");
    EXPECT_EQ(Refusal({{"code", "A"}, {"delay", "10"}}, QueryDialect, FindExportFormat("tgif")),
              "delay must be a number from 20 to 5000");
    EXPECT_EQ(Message({}), "code is required");
    EXPECT_EQ(Message({{"code", "A"}, {"frame", "255"}, {"background", "#102030"}}), "");
}

TEST(RenderRequest, CommandLineOptionsAreRefusedInTheirOwnSpelling) {
    const auto Message = [](TRequestParams Params) {
        Params.emplace("format", "png");
        return Refusal(Params, CommandLineDialect);
    };
    EXPECT_EQ(Message({}), "render needs either --code or --chara");
    EXPECT_EQ(Message({{"code", "A"}, {"chara", "1"}}), "render needs either --code or --chara");
    EXPECT_EQ(Message({{"chara", "15"}}), "--chara must be a number from 0 to 14");
    EXPECT_EQ(Message({{"code", "A"}, {"scale", "0"}}), "--scale must be a number from 1 to 8");
    EXPECT_EQ(Message({{"code", "A"}, {"background", "12345G"}}),
              "--background must be six hexadecimal digits, RRGGBB or #RRGGBB");
    EXPECT_EQ(Message({{"code", "A"}, {"delay", "100"}}),
              "--delay is for gif, apng, webp and sheet formats");
    EXPECT_EQ(Message({{"code", "A"}, {"scope", "all"}}),
              "--scope is for sheet, tsheet, bundle, tbundle and aseprite");
    EXPECT_EQ(Refusal({{"code", "A"}, {"format", "tiff"}}, CommandLineDialect),
              "--format must be one of png, tpng, apng, tapng, webp, twebp, sheet, tsheet, bundle, "
              "tbundle, aseprite, gif, tgif, bmp, jpg");
    EXPECT_EQ(Refusal({{"code", "A"}, {"format", "sheet"}, {"scope", "row"}}, CommandLineDialect),
              "--scope must be action, directions or all");
    EXPECT_EQ(Refusal({{"code", "A"},
                       {"format", "tsheet"},
                       {"delay", "20"},
                       {"trim", ""},
                       {"scope", "directions"}},
                      CommandLineDialect),
              "");
    // A frame waits for the action's range, whatever it spells.
    EXPECT_EQ(Message({{"code", "A"}, {"frame", "x"}}), "");
}

TEST(RenderRequest, TheCommandLineTakesEveryFormatAndItsSheetOptions) {
    const auto Sheet = ParseRenderRequest({{"chara", "2"},
                                           {"format", "tsheet"},
                                           {"scope", "directions"},
                                           {"trim", ""},
                                           {"shadow", ""}},
                                          CommandLineDialect);
    EXPECT_EQ(Sheet.Options.Format, FindExportFormat("tsheet"));
    EXPECT_EQ(Sheet.Chara, 2);
    EXPECT_EQ(Sheet.Options.Scope, TExportScope::Directions);
    EXPECT_TRUE(Sheet.Options.Trim);
    EXPECT_TRUE(Sheet.Shadow);
    EXPECT_EQ(Sheet.Direction, 4) << "facing the viewer";
    // The service's paths name its formats; a sheet is two files, which no answer is, and
    // bundles and layered files hold every motion.
    for (const TExportFormat& Format : ExportFormats)
        EXPECT_EQ(Format.Served, !HasScope(Format)) << Format.Name;
}

TEST(RenderRequest, CropFlipAndCanvasAreTakenInBothDialectsAndRangeChecked) {
    const auto Query = ParseRenderRequest({{"code", "A"},
                                           {"crop", "head"},
                                           {"flip", "1"},
                                           {"canvas", "2048x1"},
                                           {"anchor", "center"}},
                                          QueryDialect, &Png);
    EXPECT_EQ(Query.Options.Crop, TExportCrop::Head);
    EXPECT_TRUE(Query.Options.Flip);
    ASSERT_TRUE(Query.Options.Canvas);
    EXPECT_EQ(*Query.Options.Canvas, (TExportCanvas{2048, 1, TCanvasAnchor::Center}));
    const auto Line = ParseRenderRequest(
        {{"code", "A"}, {"format", "gif"}, {"crop", "body"}, {"flip", ""}, {"canvas", "64x80"}},
        CommandLineDialect);
    EXPECT_EQ(Line.Options.Crop, TExportCrop::Body);
    EXPECT_TRUE(Line.Options.Flip);
    EXPECT_EQ(Line.Options.Canvas->Anchor, TCanvasAnchor::Feet) << "the default anchor";

    const auto Message = [](const TRequestParams& Params) {
        return Refusal(Params, QueryDialect, &Png);
    };
    const std::string Canvas = "canvas must be WIDTHxHEIGHT, each from 1 to 2048";
    for (const std::string Bad : {"0x10", "2049x10", "10x", "x10", "10X10", "10x10x1", "-1x5",
                                  "99999999999999999999x1", " 10x10"})
        EXPECT_EQ(Message({{"code", "A"}, {"canvas", Bad}}), Canvas) << Bad;
    EXPECT_EQ(Message({{"code", "A"}, {"crop", "face"}}), "crop must be full, body or head");
    EXPECT_EQ(Message({{"code", "A"}, {"flip", "2"}}), "flip must be a number from 0 to 1");
    EXPECT_EQ(Message({{"code", "A"}, {"anchor", "feet"}}), "anchor is for canvas");
    EXPECT_EQ(Message({{"code", "A"}, {"canvas", "9x9"}, {"anchor", "top"}}),
              "anchor must be feet or center");
    const auto Cli = [](TRequestParams Params) {
        return Refusal(Params, CommandLineDialect);
    };
    EXPECT_EQ(Cli({{"code", "A"}, {"format", "png"}, {"trim", ""}, {"crop", "head"}}),
              "--trim crops to the body, not with --crop head");
    EXPECT_EQ(Cli({{"code", "A"}, {"format", "png"}, {"frame-names", "index"}}),
              "--frame-names is for sheet, tsheet, bundle and tbundle");
    EXPECT_EQ(Cli({{"code", "A"}, {"format", "sheet"}, {"frame-names", "name"}}),
              "--frame-names must be pose or index");
    EXPECT_EQ(Cli({{"code", "A"}, {"format", "sheet"}, {"layers", ""}}),
              "--layers is for bundle and tbundle");
}

TEST(RenderRequest, NewOptionsKeepTheOldKeysAndTellTheirOwnPicturesApart) {
    const std::string Old = ParseRenderRequest({{"code", "A"}}, QueryDialect, &Png).Key();
    EXPECT_EQ(Old.find("crop"), std::string::npos);
    EXPECT_EQ(
        ParseRenderRequest({{"code", "A"}, {"crop", "full"}, {"flip", "0"}}, QueryDialect, &Png)
            .Key(),
        Old)
        << "the defaults spelled out are the same picture";
    std::vector<std::string> Keys{Old};
    for (const TRequestParams& Params :
         {TRequestParams{{"crop", "head"}}, TRequestParams{{"flip", "1"}},
          TRequestParams{{"canvas", "10x20"}}, TRequestParams{{"canvas", "20x10"}},
          TRequestParams{{"canvas", "10x20"}, {"anchor", "center"}}}) {
        TRequestParams WithCode = Params;
        WithCode.emplace("code", "A");
        Keys.push_back(ParseRenderRequest(WithCode, QueryDialect, &Png).Key());
    }
    std::sort(Keys.begin(), Keys.end());
    EXPECT_EQ(std::unique(Keys.begin(), Keys.end()), Keys.end());
}

TEST(RenderRequest, WorkBytesFollowTheCanvasAsked) {
    const auto Bytes = [](const TRequestParams& Params) {
        TRequestParams WithCode = Params;
        WithCode.emplace("code", "A");
        return RenderWorkBytes(ParseRenderRequest(WithCode, QueryDialect, FindExportFormat("apng")),
                               8);
    };
    const std::size_t Huge = Bytes({{"canvas", "2048x2048"}});
    EXPECT_GE(Huge, std::size_t{9} * 2048 * 2048 * 4) << "nine pictures of 16 MiB each";
    EXPECT_LT(Bytes({{"canvas", "16x16"}}), Bytes({}));
    EXPECT_GT(Huge, Bytes({{"scale", "8"}}));
}

TEST(RenderRequest, AFrameIsCheckedAgainstTheActionOncePosed) {
    const std::string Code = DressedCode(0, 1);
    TDressingSession Probe(Game());
    Probe.ApplyCode(Code);
    const int Count = Probe.FrameTable()[1][2].Frames;
    ASSERT_GT(Count, 1);
    // The frame the session shows, or the refusal.
    const auto Posed = [&](const TRequestParams& Params, const TRequestDialect& Dialect) {
        TRequestParams All = Params;
        All.emplace("code", Code);
        All.emplace("motion", "1");
        All.emplace("direction", "2");
        const bool Cli = &Dialect == &CommandLineDialect;
        if (Cli)
            All.emplace("format", "png");
        TDressingSession Session(Game());
        try {
            PoseSession(Session, ParseRenderRequest(All, Dialect, Cli ? nullptr : &Png));
        } catch (const ERequestError& Error) {
            return std::string(Error.what());
        }
        return std::to_string(Session.Frame());
    };
    const std::string Range = std::to_string(Count) + " for motion 1 facing direction 2";
    for (const char* Frame : {"0", "x", "99999999999"})
        EXPECT_EQ(Posed({{"frame", Frame}}, CommandLineDialect),
                  "--frame must be from 1 to " + Range)
            << Frame;
    EXPECT_EQ(Posed({{"frame", "2"}}, CommandLineDialect), "2");
    EXPECT_EQ(Posed({{"frame", std::to_string(Count + 1)}}, QueryDialect),
              "frame must be from 1 to " + Range);
    EXPECT_EQ(Posed({{"frame", std::to_string(Count)}}, QueryDialect), std::to_string(Count));
    EXPECT_EQ(Posed({}, QueryDialect), "1");

    // Without a character there is no action to take a frame of.
    TDressingSession Bare(Game());
    try {
        PoseSession(Bare, ParseRenderRequest({{"code", ""}, {"frame", "1"}}, QueryDialect, &Png));
        ADD_FAILURE() << "a frame of no action was taken";
    } catch (const ERequestError& Error) {
        EXPECT_STREQ(Error.what(),
                     "frame cannot be given: motion 0 facing direction 4 has no frames");
    }
}

TEST(RenderRequest, ACodeThatIsNoneIsTheInvalidCodeError) {
    TDressingSession Session(Game());
    EXPECT_THROW(PoseSession(Session, ParseRenderRequest({{"code", "AAAA"}}, QueryDialect, &Png)),
                 EInvalidCode);
}

TEST(RenderRequest, RendersTheReviewedPictureAndTheCommandLineAddsItsCode) {
    // As the golden test asks pelto-cli for nina_walking_left_shadow.
    const TRequestParams Params{{"code", DressedCode(1, 2)},
                                {"motion", "1"},
                                {"direction", "2"},
                                {"frame", "3"},
                                {"shadow", "1"},
                                {"background", "C0E0FF"}};
    const auto Served = Rendered(ParseRenderRequest(Params, QueryDialect, &Png));
    const auto Golden =
        ReadFileBytes(std::string(PELTO_GOLDEN_DIR) + "/nina_walking_left_shadow.png");
    EXPECT_EQ(test::DecodePng(Served, PNG_FORMAT_RGB).Pixels,
              test::DecodePng(Golden, PNG_FORMAT_RGB).Pixels);

    // The command line writes the same classic bytes, and beyond them carries the code.
    test::TTempDir Dir;
    TRequestParams Cli = Params;
    Cli["shadow"] = "";
    Cli["format"] = "png";
    Render(Game(), ParseRenderRequest(Cli, CommandLineDialect), Dir.File("cli.png"));
    EXPECT_EQ(ReadFileBytes(Dir.File("cli.png")), Served);

    Cli["format"] = "apng";
    Cli.erase("frame");
    TRequestParams Query = Cli;
    Query.erase("format");
    Query["shadow"] = "1";
    const TExportShape Shape =
        Render(Game(), ParseRenderRequest(Cli, CommandLineDialect), Dir.File("cli.apng"));
    EXPECT_GT(Shape.Frames, 1);
    const auto ServedApng =
        Rendered(ParseRenderRequest(Query, QueryDialect, FindExportFormat("apng")));
    EXPECT_EQ(ReadPictureCodeFile(Dir.File("cli.apng")), DressedCode(1, 2));
    EXPECT_EQ(ReadPictureCode(ServedApng), std::nullopt) << "the service's bytes carry no code";
}

TEST(RenderRequest, ASheetHoldsTheMotionsAndDirectionsChosenInTheOrderGiven) {
    TDressingSession Session(Game());
    Session.SetChara(3);
    Session.SetMotion(2);
    Session.SetDirection(6);
    using TActions = std::vector<std::pair<int, int>>; // motion, direction
    const struct {
        TRequestParams Asked;
        TActions Actions; // empty: refused with Refused
        std::string Refused{};
    } Cases[] = {
        {{{"motions", "3,0"}}, {{3, 6}, {0, 6}}},
        {{{"motions", "1"}, {"directions", "engine"}},
         {{1, 4}, {1, 3}, {1, 2}, {1, 1}, {1, 0}, {1, 7}, {1, 6}, {1, 5}}},
        {{{"motions", "18"}, {"directions", "game"}},
         {{18, 0}, {18, 1}, {18, 2}, {18, 3}, {18, 4}, {18, 5}, {18, 6}, {18, 7}}},
        {{{"scope", "directions"}, {"directions", "7,0"}}, {{2, 7}, {2, 0}}},
        {{{"motions", "1,1"}},
         {},
         "--motions must be numbers from 0 to 18, each once, between commas"},
        {{{"motions", "19"}},
         {},
         "--motions must be numbers from 0 to 18, each once, between commas"},
        {{{"directions", "4,"}},
         {},
         "--directions must be game, engine or numbers from 0 to 7, each once, between commas"},
        {{{"directions", " 4"}},
         {},
         "--directions must be game, engine or numbers from 0 to 7, each once, between commas"},
    };
    for (const auto& Case : Cases) {
        TRequestParams Params = Case.Asked;
        Params.emplace("chara", "3");
        Params.emplace("format", "sheet");
        if (!Case.Refused.empty()) {
            EXPECT_EQ(Refusal(Params, CommandLineDialect), Case.Refused);
            continue;
        }
        const TRenderRequest Request = ParseRenderRequest(Params, CommandLineDialect);
        TActions Got;
        for (const TScopeAction& Action : ScopeActions(Session.Chara(), Request.Options))
            Got.emplace_back(Action.Motion, Action.Direction);
        EXPECT_EQ(Got, Case.Actions) << Params.begin()->second;
    }
    EXPECT_EQ(Refusal({{"chara", "3"}, {"format", "png"}, {"motions", "1"}}, CommandLineDialect),
              "--motions is for sheet, tsheet, bundle, tbundle and aseprite");
}

TEST(RenderRequest, APaddedSheetHoldsTheSameFramesWithTheirEdgesExtruded) {
    test::TTempDir Dir;
    const auto Sheet = [&](const std::string& Name, const std::string& Padding,
                           const std::string& Extrude) {
        TRequestParams Params{{"code", DressedCode(2, 1)},
                              {"format", "tsheet"},
                              {"scale", "2"},
                              {"scope", "directions"},
                              {"crop", "body"}};
        if (!Padding.empty())
            Params.insert({{"padding", Padding}, {"extrude", Extrude}});
        Render(Game(), ParseRenderRequest(Params, CommandLineDialect), Dir.File(Name + ".png"));
        return std::pair(test::DecodePng(ReadFileBytes(Dir.File(Name + ".png")), PNG_FORMAT_RGBA),
                         boost::json::parse(test::ReadText(Dir.File(Name + ".json"))));
    };
    const auto [Plain, PlainJson] = Sheet("plain", "", "");
    const int Padding = 3, Extrude = 2;
    const auto [Padded, PaddedJson] = Sheet("padded", "3", "2");
    const auto Pixel = [](const test::TDecodedPng& Png, long X, long Y) {
        std::uint32_t Value;
        std::memcpy(&Value, Png.Pixels.data() + (Y * Png.Width + X) * 4, 4);
        return Value;
    };
    std::vector<bool> Covered(std::size_t{Padded.Width} * Padded.Height);
    for (const auto& [Name, Frame] : PaddedJson.at("frames").as_object()) {
        const auto& Box = Frame.at("frame").as_object();
        const auto& Was = PlainJson.at("frames").at(Name).at("frame").as_object();
        const long X = Box.at("x").as_int64(), Y = Box.at("y").as_int64();
        const long W = Box.at("w").as_int64(), H = Box.at("h").as_int64();
        ASSERT_EQ(W, Was.at("w").as_int64());
        for (long Dy = -Extrude; Dy < H + Extrude; ++Dy)
            for (long Dx = -Extrude; Dx < W + Extrude; ++Dx) {
                // Outside the frame, the nearest pixel of its edge.
                const long Sx = std::clamp(Dx, 0L, W - 1), Sy = std::clamp(Dy, 0L, H - 1);
                ASSERT_EQ(Pixel(Padded, X + Dx, Y + Dy),
                          Pixel(Plain, Was.at("x").as_int64() + Sx, Was.at("y").as_int64() + Sy))
                    << Name << " at " << Dx << "," << Dy;
                Covered[static_cast<std::size_t>((Y + Dy) * Padded.Width + X + Dx)] = true;
            }
    }
    for (std::uint32_t Y = 0; Y < Padded.Height; ++Y)
        for (std::uint32_t X = 0; X < Padded.Width; ++X)
            if (!Covered[std::size_t{Y} * Padded.Width + X]) {
                ASSERT_EQ(Pixel(Padded, X, Y), 0u) << "padding at " << X << "," << Y;
            }
    const auto Cell = PlainJson.at("frames").as_object().begin()->value().at("frame");
    const auto CellWidth = static_cast<std::uint32_t>(Cell.at("w").as_int64());
    EXPECT_EQ(Padded.Width,
              Padding + Plain.Width / CellWidth * (CellWidth + 2 * Extrude + Padding));
}
