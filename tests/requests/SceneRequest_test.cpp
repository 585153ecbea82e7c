#include "requests/SceneRequest.h"

#include "codecs/ImageEncoders.h"
#include "codecs/PictureDecoder.h"
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/InvalidCode.h"
#include "model/UDraw.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using namespace pelto;

namespace {

const TExportFormat& Png = *FindExportFormat("png");

/// Character Chara dressed with the Nth entry of every list of its group.
std::string DressedCode(int Chara, int Nth = 1) {
    TDressingSession Session(test::LoadedDemoGame());
    Session.SetChara(Chara);
    for (int Slot = 1; Slot <= 6; ++Slot)
        Session.Pick(Slot, std::min(Nth, static_cast<int>(Session.List(Slot).size()) - 1));
    return Session.Code();
}

TSceneRequest Parse(const std::vector<std::string>& Characters, const TRequestParams& Shared,
                    const TRequestDialect& Dialect, const TExportFormat* Format = nullptr,
                    const std::vector<std::string>& Tags = {}, const std::string& Picture = {}) {
    return ParseSceneRequest(Characters, Shared, Dialect, Format, Tags, Picture);
}

std::string Refusal(const std::vector<std::string>& Characters, const TRequestParams& Shared,
                    const TRequestDialect& Dialect = QueryDialect,
                    const TExportFormat* Format = &Png, const std::vector<std::string>& Tags = {}) {
    try {
        Parse(Characters, Shared, Dialect, Format, Tags);
    } catch (const ERequestError& Error) {
        return Error.what();
    }
    return "";
}

std::vector<std::uint8_t> Bytes(const TMemoryStream& Stream) {
    const auto Memory = Stream.Memory();
    return {Memory.begin(), Memory.end()};
}

std::vector<std::uint8_t> Scene(const std::vector<std::string>& Characters,
                                const TRequestParams& Shared, const TExportFormat& Format) {
    TMemoryStream Stream;
    RenderScene(test::LoadedDemoGame(), Parse(Characters, Shared, QueryDialect, &Format), Stream);
    return Bytes(Stream);
}

std::vector<std::uint8_t> Alone(const std::string& Code, TRequestParams Params,
                                const TExportFormat& Format) {
    Params["code"] = Code;
    TMemoryStream Stream;
    Render(test::LoadedDemoGame(), ParseRenderRequest(Params, QueryDialect, &Format), Stream);
    return Bytes(Stream);
}

/// Columns Left..Left+Width of a picture Stride pixels wide, Channels bytes a pixel.
std::vector<std::uint8_t> Columns(const std::vector<std::uint8_t>& Pixels, int Stride, int Height,
                                  int Channels, int Left, int Width) {
    std::vector<std::uint8_t> Out;
    for (int Y = 0; Y < Height; ++Y) {
        const auto Row =
            Pixels.begin() + (static_cast<std::ptrdiff_t>(Y) * Stride + Left) * Channels;
        Out.insert(Out.end(), Row, Row + static_cast<std::ptrdiff_t>(Width) * Channels);
    }
    return Out;
}

/// Every frame of an animated WebP as RGB, and each one's time.
std::vector<std::vector<std::uint8_t>> WebpFrames(const std::vector<std::uint8_t>& Bytes,
                                                  std::vector<int>* Timestamps = nullptr) {
    const WebPData Data{Bytes.data(), Bytes.size()};
    WebPAnimDecoderOptions Options;
    EXPECT_TRUE(WebPAnimDecoderOptionsInit(&Options));
    Options.color_mode = MODE_RGBA;
    const std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> Decoder(
        WebPAnimDecoderNew(&Data, &Options), WebPAnimDecoderDelete);
    std::vector<std::vector<std::uint8_t>> Frames;
    WebPAnimInfo Info;
    if (!Decoder || !WebPAnimDecoderGetInfo(Decoder.get(), &Info)) {
        ADD_FAILURE() << "no WebP animation";
        return Frames;
    }
    while (WebPAnimDecoderHasMoreFrames(Decoder.get())) {
        std::uint8_t* Rgba = nullptr;
        int Timestamp = 0;
        EXPECT_TRUE(WebPAnimDecoderGetNext(Decoder.get(), &Rgba, &Timestamp));
        std::vector<std::uint8_t> Rgb;
        for (std::size_t I = 0; I < std::size_t{Info.canvas_width} * Info.canvas_height; ++I)
            Rgb.insert(Rgb.end(), Rgba + 4 * I, Rgba + 4 * I + 3);
        Frames.push_back(std::move(Rgb));
        if (Timestamps)
            Timestamps->push_back(Timestamp);
    }
    return Frames;
}

/// Two motions of Code whose actions facing the viewer have different frame counts, the
/// longer first, with their counts.
struct TTwoActions {
    int Long, LongFrames, Short, ShortFrames;
};
TTwoActions TwoActions(const std::string& Code) {
    TDressingSession Session(test::LoadedDemoGame());
    Session.ApplyCode(Code);
    std::vector<std::pair<int, int>> Counts; // frames, motion
    for (int Motion = 0; Motion < 19; ++Motion) {
        Session.SetMotion(static_cast<std::uint8_t>(Motion));
        if (Session.FrameCount() > 0)
            Counts.emplace_back(Session.FrameCount(), Motion);
    }
    std::sort(Counts.begin(), Counts.end());
    EXPECT_GT(Counts.back().first, Counts.front().first) << "the demo has actions of two lengths";
    return {Counts.back().second, Counts.back().first, Counts.front().second, Counts.front().first};
}

} // namespace

TEST(SceneRequest, CharactersKeepTheirOrderAndOwnPosesAndShareTheRest) {
    const TSceneRequest Scene =
        Parse({"AB C~1~2", "DE-F~3", "GH_I"}, {{"motion", "5"}, {"direction", "6"}, {"scale", "2"}},
              QueryDialect, &Png);
    ASSERT_EQ(Scene.Members.size(), 3u);
    EXPECT_EQ(Scene.Members[0].Code, "AB+C");
    EXPECT_EQ(Scene.Members[1].Code, "DE+F");
    EXPECT_EQ(Scene.Members[2].Code, "GH/I");
    EXPECT_EQ(Scene.Members[0].Motion, 1);
    EXPECT_EQ(Scene.Members[0].Direction, 2);
    EXPECT_EQ(Scene.Members[1].Motion, 3);
    EXPECT_EQ(Scene.Members[1].Direction, 6);
    EXPECT_EQ(Scene.Members[2].Motion, 5);
    EXPECT_EQ(Scene.Members[2].Direction, 6);
    EXPECT_EQ(Scene.Gap, DefaultSceneGap);
    for (const TRenderRequest& Member : Scene.Members)
        EXPECT_EQ(Member.Options.Scale, 2);

    // One key for every spelling, none shared with a render or another order.
    EXPECT_EQ(Scene.Key(),
              Parse({"AB+C~1~2", "DE+F~3~6", "GH/I~5"},
                    {{"motion", "5"}, {"direction", "6"}, {"scale", "2"}, {"gap", "8"}},
                    QueryDialect, &Png)
                  .Key());
    EXPECT_EQ(Scene.Key(), "scene/png?c=AB+C~1~2&c=DE+F~3~6&c=GH/I~5~6&frame=default&shadow=0"
                           "&background=FFFFFF&scale=2&gap=8");
    EXPECT_NE(Parse({"A", "B"}, {}, QueryDialect, &Png).Key(),
              Parse({"B", "A"}, {}, QueryDialect, &Png).Key());
    EXPECT_NE(Parse({"A", "B"}, {}, QueryDialect, &Png).Key(),
              Parse({"A", "B"}, {{"gap", "9"}}, QueryDialect, &Png).Key());
    EXPECT_NE(Parse({"A"}, {}, QueryDialect, &Png).Key(),
              ParseRenderRequest({{"code", "A"}}, QueryDialect, &Png).Key());
    // A transparent picture has no background.
    const TExportFormat& Tpng = *FindExportFormat("tpng");
    EXPECT_EQ(Parse({"A"}, {}, QueryDialect, &Tpng).Key(),
              Parse({"A"}, {{"background", "00FF00"}}, QueryDialect, &Tpng).Key());
}

TEST(SceneRequest, RefusesWhatNoSceneTakesInTheAskersWords) {
    const std::vector<std::string> Nine(9, "A");
    EXPECT_EQ(Refusal({}, {}), "c is required");
    EXPECT_EQ(Refusal(Nine, {}), "at most 8 characters (c) go in one picture");
    EXPECT_EQ(Refusal(std::vector<std::string>(8, "A"), {}), "");
    for (const std::string Malformed : {"A~", "A~~1", "A~1~2~3", "A~1~", "~"})
        EXPECT_EQ(Refusal({"B", Malformed}, {}),
                  "c must be CODE, CODE~MOTION or CODE~MOTION~DIRECTION")
            << Malformed;
    EXPECT_EQ(Refusal({"B", "A~19"}, {}), "c 2: motion must be a number from 0 to 18");
    EXPECT_EQ(Refusal({"A~x"}, {}), "c 1: motion must be a number from 0 to 18");
    EXPECT_EQ(Refusal({"A~1~8"}, {}), "c 1: direction must be a number from 0 to 7");
    EXPECT_EQ(Refusal({"A~-1"}, {}), "c 1: motion must be a number from 0 to 18");
    EXPECT_EQ(Refusal({"A", "~1"}, {}), "c 2 has no code");
    EXPECT_EQ(Refusal({"A"}, {{"gap", "65"}}), "gap must be a number from 0 to 64");
    EXPECT_EQ(Refusal({"A"}, {{"gap", "-1"}}), "gap must be a number from 0 to 64");
    EXPECT_EQ(Refusal({"A"}, {{"gap", "0"}}), "");
    // The shared parameters in a render's words.
    EXPECT_EQ(Refusal({"A", "B"}, {{"scale", "9"}}), "scale must be a number from 1 to 8");
    EXPECT_EQ(Refusal({"A", "B"}, {{"motion", "19"}}), "motion must be a number from 0 to 18");
    EXPECT_EQ(Refusal({"A"}, {}, QueryDialect, FindExportFormat("jpg")),
              "format of several characters must be one of png, tpng, gif, apng, webp");

    // The command line's spelling, and its options for one character.
    const TRequestDialect& Cli = CommandLineDialect;
    EXPECT_EQ(Refusal({"A", "B"}, {{"format", "tgif"}}, Cli, nullptr),
              "--format of several characters must be one of png, tpng, gif, apng, webp");
    EXPECT_EQ(Refusal({"A", "B~1~9"}, {{"format", "png"}}, Cli, nullptr),
              "--code 2: direction must be a number from 0 to 7");
    for (const std::string Option : {"trim", "flip", "delay", "crop", "canvas", "chara", "scope"})
        EXPECT_EQ(Refusal({"A", "B"}, {{"format", "gif"}, {Option, "1"}}, Cli, nullptr),
                  "--" + Option + " is for a picture of one character");
    EXPECT_EQ(Refusal({"A", "B"}, {{"format", "gif"}, {"gap", "70"}}, Cli, nullptr),
              "--gap must be a number from 0 to 64");
}

TEST(SceneRequest, ASceneOfOneIsTheRenderOfThatCharacter) {
    const std::string Code = DressedCode(3);
    for (const TRequestParams& Params :
         {TRequestParams{}, TRequestParams{{"scale", "2"}, {"motion", "1"}, {"frame", "2"}},
          TRequestParams{{"shadow", "1"}, {"background", "336699"}, {"direction", "2"}}}) {
        for (const char* Name : {"png", "tpng"}) {
            SCOPED_TRACE(Name);
            const TExportFormat& Format = *FindExportFormat(Name);
            const std::uint32_t Channels = Format.Transparent ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
            const auto Picture = test::DecodePng(Scene({Code}, Params, Format), Channels);
            const auto Expected = test::DecodePng(Alone(Code, Params, Format), Channels);
            EXPECT_EQ(Picture.Width, Expected.Width);
            EXPECT_EQ(Picture.Height, Expected.Height);
            EXPECT_TRUE(Picture.Pixels == Expected.Pixels);
        }
    }
    // A code that is none is refused as a render refuses it.
    EXPECT_THROW(Scene({Code, "AAAA"}, {}, Png), EInvalidCode);
}

TEST(SceneRequest, CharactersStandSideBySideTheGapApartOnOneBackground) {
    const std::string Left = DressedCode(1), Right = DressedCode(6, 2);
    const TRequestParams Params{{"scale", "2"}, {"gap", "5"}, {"background", "204060"}};
    const int Side = CanvasSize * 2, Gap = 5 * 2, Width = 2 * Side + Gap;
    const auto Picture =
        test::DecodePng(Scene({Left, Right + "~1~6"}, Params, Png), PNG_FORMAT_RGB);
    ASSERT_EQ(Picture.Width, static_cast<png_uint_32>(Width));
    ASSERT_EQ(Picture.Height, static_cast<png_uint_32>(Side));
    TRequestParams AloneParams = Params;
    AloneParams.erase("gap");
    const auto LeftAlone = test::DecodePng(Alone(Left, AloneParams, Png), PNG_FORMAT_RGB);
    AloneParams["motion"] = "1";
    AloneParams["direction"] = "6";
    const auto RightAlone = test::DecodePng(Alone(Right, AloneParams, Png), PNG_FORMAT_RGB);
    EXPECT_TRUE(Columns(Picture.Pixels, Width, Side, 3, 0, Side) == LeftAlone.Pixels);
    EXPECT_TRUE(Columns(Picture.Pixels, Width, Side, 3, Side + Gap, Side) == RightAlone.Pixels);
    const std::vector<std::uint8_t> Between = Columns(Picture.Pixels, Width, Side, 3, Side, Gap);
    for (std::size_t I = 0; I < Between.size(); I += 3)
        ASSERT_EQ((std::vector<std::uint8_t>{Between[I], Between[I + 1], Between[I + 2]}),
                  (std::vector<std::uint8_t>{0x20, 0x40, 0x60}));

    // Without a gap they touch.
    const auto Touching = test::DecodePng(Scene({Left, Left}, {{"gap", "0"}}, Png), PNG_FORMAT_RGB);
    EXPECT_EQ(Touching.Width, static_cast<png_uint_32>(2 * CanvasSize));
}

TEST(SceneRequest, AnAnimationLastsTheLongestActionAndTheShorterOnesStartOver) {
    const std::string Code = DressedCode(2);
    const TTwoActions Actions = TwoActions(Code);
    const std::string LongOne = Code + "~" + std::to_string(Actions.Long);
    const std::string ShortOne = Code + "~" + std::to_string(Actions.Short);
    const TExportFormat& Webp = *FindExportFormat("webp");
    std::vector<int> Times;
    const auto Frames = WebpFrames(Scene({ShortOne, LongOne}, {{"gap", "0"}}, Webp), &Times);
    ASSERT_EQ(static_cast<int>(Frames.size()), Actions.LongFrames);
    EXPECT_EQ(Times.back(), Actions.LongFrames * DefaultExportDelay) << "every frame one pace";

    const auto Short = WebpFrames(Alone(Code, {{"motion", std::to_string(Actions.Short)}}, Webp));
    const auto Long = WebpFrames(Alone(Code, {{"motion", std::to_string(Actions.Long)}}, Webp));
    ASSERT_EQ(static_cast<int>(Short.size()), Actions.ShortFrames);
    const int Width = 2 * CanvasSize;
    for (int Step = 0; Step < Actions.LongFrames; ++Step) {
        SCOPED_TRACE(Step);
        EXPECT_TRUE(Columns(Frames[Step], Width, CanvasSize, 3, 0, CanvasSize) ==
                    Short[Step % Actions.ShortFrames]);
        EXPECT_TRUE(Columns(Frames[Step], Width, CanvasSize, 3, CanvasSize, CanvasSize) ==
                    Long[Step]);
    }

    // A GIF, whose frames share one palette, runs the same length at its own pace.
    const test::TDecodedGif Gif(
        Scene({ShortOne, LongOne, ShortOne}, {{"scale", "2"}}, *FindExportFormat("gif")));
    EXPECT_EQ(Gif->ImageCount, Actions.LongFrames);
    EXPECT_EQ(Gif.Control(0).DelayTime, 16);
    EXPECT_EQ(Gif->SWidth, (3 * CanvasSize + 2 * DefaultSceneGap) * 2);

    // A still shows the frame asked of each; a frame some action lacks is refused.
    EXPECT_NO_THROW(
        Scene({ShortOne, LongOne}, {{"frame", std::to_string(Actions.ShortFrames)}}, Png));
    EXPECT_THROW(Scene({ShortOne, LongOne}, {{"frame", std::to_string(Actions.LongFrames)}}, Png),
                 ERequestError);
}

TEST(SceneRequest, TheCommandLineWritesTheSceneToItsFile) {
    const std::string Code = DressedCode(4);
    test::TTempDir Dir;
    const TSceneRequest Asked =
        Parse({Code, Code + "~2~1"}, {{"format", "apng"}, {"shadow", ""}}, CommandLineDialect);
    RenderScene(test::LoadedDemoGame(), Asked, Dir.File("scene.png"));
    EXPECT_EQ(ReadFileBytes(Dir.File("scene.png")),
              Scene({Code, Code + "~2~1"}, {{"shadow", "1"}}, *FindExportFormat("apng")))
        << "the service's bytes, without a code";
}

TEST(SceneRequest, WorkBytesGrowWithTheCharactersTheScaleAndTheFrames) {
    const TExportFormat& Apng = *FindExportFormat("apng");
    const auto Bytes = [&](std::size_t Count, const TRequestParams& Shared,
                           std::vector<int> Frames) {
        return RenderWorkBytes(
            Parse(std::vector<std::string>(Count, "A"), Shared, QueryDialect, &Apng), Frames);
    };
    EXPECT_LT(Bytes(1, {}, {4}), Bytes(2, {}, {4, 4}));
    EXPECT_LT(Bytes(2, {}, {4, 4}), Bytes(2, {}, {4, 8}));
    EXPECT_LT(Bytes(2, {}, {4, 4}), Bytes(2, {{"scale", "2"}}, {4, 4}));
    EXPECT_LT(Bytes(2, {{"gap", "0"}}, {4, 4}), Bytes(2, {{"gap", "64"}}, {4, 4}));
    // Eight at the largest scale and gap, a long action: more than a small service allows.
    EXPECT_GT(Bytes(8, {{"scale", "8"}, {"gap", "64"}}, std::vector<int>(8, 12)),
              std::size_t{512} << 20);
    // One character takes about what its render does.
    const TRenderRequest Render =
        ParseRenderRequest({{"code", "A"}}, QueryDialect, FindExportFormat("apng"));
    EXPECT_GE(Bytes(1, {}, {4}), RenderWorkBytes(Render, 4));
    EXPECT_LE(Bytes(1, {}, {4}), 2 * RenderWorkBytes(Render, 4));
}

TEST(SceneRequest, RefusesHostileTagsMirrorsAndBackdropsSayingWhy) {
    const std::string Katakana = "\xE3\x82\xA2"; // one character of three bytes
    std::string ThirtyTwo, ThirtyThree;
    for (int I = 0; I < 32; ++I)
        ThirtyTwo += Katakana;
    ThirtyThree = ThirtyTwo + Katakana;
    const struct {
        std::vector<std::string> Tags;
        TRequestParams Shared;
        const char* Refusal;
    } Cases[] = {
        {{"", "\xE3\x83\x8B\xE3\x83\xBC\xE3\x83\x8A"}, {}, ""},
        {{ThirtyTwo}, {}, ""},
        {{"Nina\x07"}, {}, "tag 1 holds a control character (U+0007)"},
        {{"A", "\x7F"}, {}, "tag 2 holds a control character (U+007F)"},
        {{"\xC2\x85"}, {}, "tag 1 holds a control character (U+0085)"},
        {{"a\nb"}, {}, "tag 1 holds a control character (U+000A)"},
        {{"\xE2\x80\x8F"}, {}, "tag 1 holds a bidirectional control (U+200F)"},
        {{"evil\xE2\x80\xAE"}, {}, "tag 1 holds a bidirectional control (U+202E)"},
        {{"\xE2\x81\xA6x"}, {}, "tag 1 holds a bidirectional control (U+2066)"},
        {{"\xC3\x28"}, {}, "tag 1 is not valid UTF-8"},
        {{"\xC0\xAF"}, {}, "tag 1 is not valid UTF-8"},     // overlong
        {{"\xED\xA0\x80"}, {}, "tag 1 is not valid UTF-8"}, // a surrogate
        {{"\xE3\x82"}, {}, "tag 1 is not valid UTF-8"},     // cut short
        {{std::string(10000, 'A')}, {}, "tag 1 is longer than 32 characters"},
        {{ThirtyThree}, {}, "tag 1 is longer than 32 characters"},
        {{"a", "b", "c"}, {}, "tag is given 3 times for 2 characters"},
        {{}, {{"mirror", "2,1"}}, ""},
        {{},
         {{"mirror", "3"}},
         "mirror must be places of characters from 1 to 2, each once, "
         "between commas"},
        {{},
         {{"mirror", "1,1"}},
         "mirror must be places of characters from 1 to 2, each once, "
         "between commas"},
        {{}, {{"backdrop", "336699-99ccff"}}, ""},
        {{},
         {{"backdrop", "336699-"}},
         "backdrop must be RRGGBB or RRGGBB-RRGGBB (top to "
         "bottom); pictures are for the command line"},
        {{},
         {{"backdrop", "/etc/passwd"}},
         "backdrop must be RRGGBB or RRGGBB-RRGGBB (top to "
         "bottom); pictures are for the command line"},
        {{},
         {{"backdrop", "336699"}, {"background", "000000"}},
         "backdrop replaces background: give one"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Refusal({"A", "B"}, Case.Shared, QueryDialect, &Png, Case.Tags), Case.Refusal)
            << Case.Refusal;
    EXPECT_EQ(Refusal({"A", "B"}, {{"backdrop", "336699"}}, QueryDialect, FindExportFormat("tpng")),
              "backdrop is for pictures that are not transparent");
    EXPECT_EQ(Refusal({"A", "B"}, {{"format", "png"}}, CommandLineDialect, nullptr, {"\x1B[2J"}),
              "--tag 1 holds a control character (U+001B)");
}

TEST(SceneRequest, TagsMirrorsAndBackdropsChangeTheKeyAndTheWork) {
    const TExportFormat& Apng = *FindExportFormat("apng");
    const auto Asked = [&](const TRequestParams& Shared, const std::vector<std::string>& Tags) {
        return Parse({"A", "B"}, Shared, QueryDialect, &Apng, Tags);
    };
    const TSceneRequest Classic = Asked({}, {});
    // Empty tags and a plain backdrop ask for the classic picture, in one key.
    EXPECT_EQ(Asked({}, {"", ""}).Key(), Classic.Key());
    EXPECT_EQ(Asked({{"backdrop", "336699"}}, {}).Key(),
              Asked({{"background", "336699"}}, {}).Key());
    const std::vector<std::string> Keys{
        Classic.Key(),
        Asked({}, {"Nina"}).Key(),
        Asked({}, {"", "Nina"}).Key(),
        Asked({}, {"Nina&tag=x"}).Key(),
        Asked({{"mirror", "1"}}, {}).Key(),
        Asked({{"mirror", "1,2"}}, {}).Key(),
        Asked({{"backdrop", "336699-99CCFF"}}, {}).Key(),
        Asked({{"backdrop", "99CCFF-336699"}}, {}).Key(),
    };
    for (std::size_t I = 0; I < Keys.size(); ++I)
        for (std::size_t J = I + 1; J < Keys.size(); ++J)
            EXPECT_NE(Keys[I], Keys[J]);
    EXPECT_EQ(Asked({{"mirror", "2,1"}}, {}).Key(), Asked({{"mirror", "1,2"}}, {}).Key());

    const std::vector<int> Frames{4, 4};
    EXPECT_LT(RenderWorkBytes(Classic, Frames), RenderWorkBytes(Asked({}, {"Nina"}), Frames));
    EXPECT_LT(RenderWorkBytes(Classic, Frames),
              RenderWorkBytes(Asked({{"backdrop", "336699-99CCFF"}}, {}), Frames));
}

TEST(SceneRequest, APictureBackdropCoversTheSceneCutEvenlyFromThePlayersOwnFileAlone) {
    // Four rows, each its colour: covering a scene wider than high shows the middle two.
    test::TTempDir Dir;
    TBitmap Rows(1, 4, TPixelFormat::pf24bit);
    const std::uint8_t Colours[4] = {0x10, 0x50, 0x90, 0xD0};
    for (int Y = 0; Y < 4; ++Y)
        std::fill_n(Rows.ScanLine(Y), 3, Colours[Y]);
    SaveBmpFile(Rows, Dir.File("rows.bmp"));
    const std::string Code = DressedCode(1);
    const TSceneRequest Asked = Parse(
        {Code, Code}, {{"format", "png"}, {"backdrop", Dir.File("rows.bmp")}}, CommandLineDialect);
    RenderScene(test::LoadedDemoGame(), Asked, Dir.File("scene.png"));
    const auto Picture = test::DecodePng(ReadFileBytes(Dir.File("scene.png")), PNG_FORMAT_RGB);
    const std::size_t Width = Picture.Width;
    EXPECT_EQ(Picture.Pixels[0], 0x50);
    EXPECT_EQ(Picture.Pixels[(Width - 1) * 3], 0x50);
    EXPECT_EQ(Picture.Pixels[(Picture.Height - 1) * Width * 3], 0x90);

    // A query names only the player's own picture, which the browser studio has, by a word;
    // another picture there is another key.
    const auto Local = [&](const std::string& Backdrop) {
        return Parse({Code, Code}, {{"backdrop", Backdrop}}, QueryDialect, &Png, {},
                     Dir.File("rows.bmp"));
    };
    EXPECT_EQ(Local("picture").Key(), Asked.Key()) << "one picture, one key";
    EXPECT_THROW(Local(Dir.File("rows.bmp")), ERequestError);
    const std::string Before = Local("picture").Key();
    std::fill_n(Rows.ScanLine(0), 3, 0x11);
    SaveBmpFile(Rows, Dir.File("rows.bmp"));
    EXPECT_NE(Local("picture").Key(), Before);

    TBitmap TooWide(MaxDecodedSide + 1, 1, TPixelFormat::pf24bit);
    SaveBmpFile(TooWide, Dir.File("wide.bmp"));
    EXPECT_EQ(Refusal({"A", "B"}, {{"format", "png"}, {"backdrop", Dir.File("wide.bmp")}},
                      CommandLineDialect, nullptr),
              "--backdrop " + Dir.File("wide.bmp") +
                  ": The picture is 4097x1 pixels; at most 4096x4096 are taken.");
}
