// pelto-cli render on the demo installation, pixel for pixel against reviewed pictures.
// After a deliberate change of the demo's art or the drawing, set PELTO_UPDATE_GOLDEN=1 once
// to rewrite tests/golden, and look at the new pictures before committing them.
#include "codecs/ImageEncoders.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using namespace pelto;

namespace {

struct TGoldenCase {
    const char* Name;
    int Chara;
    std::vector<const char*> Options; // extra render options
    bool Transparent;
    int Beside = -1; // a second character, for a picture of two
};

// The character dressed with the Nth entry of every list of its group, and recoloured, as a
// code the command line takes.
std::string DressedCode(int Chara, std::size_t Entry) {
    TGameData Game(test::DemoGame());
    Game.LoadAll();
    TBitmap Canvas(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    TDrawChara Draw(Canvas, Game.JmaList());
    Draw.SetChara(Chara);
    const int Group = CharaData[static_cast<std::size_t>(Chara)].BodyGroup;
    for (int Slot = 1; Slot <= 6; ++Slot) {
        const auto& List = Game.EquipList()->GetList(Group, Slot);
        Draw.SetPart(Slot, List[std::min(Entry, List.size() - 1)].Item);
    }
    Draw.SetColor(0, 0, 7);
    Draw.SetColor(2, 2, 1);
    return Draw.GetCode();
}

void PrintTo(const TGoldenCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class RenderGolden : public ::testing::TestWithParam<TGoldenCase> {};

} // namespace

TEST_P(RenderGolden, MatchesTheReviewedPicture) {
    const TGoldenCase& Case = GetParam();
    test::TTempDir Dir;
    const std::string Out = Dir.File("out.png");
    std::string Command = std::string(PELTO_CLI_PATH) + " render --game '" + test::DemoGame() +
                          "' --code '" + DressedCode(Case.Chara, 2) + "' --format " +
                          (Case.Transparent ? "tpng" : "png") + " --out '" + Out + "'";
    if (Case.Beside >= 0)
        Command += " --code '" + DressedCode(Case.Beside, 1) + "'";
    for (const char* Option : Case.Options)
        Command += std::string(" ") + Option;
    const int Status = std::system(Command.c_str());
    ASSERT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Command;

    const std::string Golden = std::string(PELTO_GOLDEN_DIR) + "/" + Case.Name + ".png";
    if (std::getenv("PELTO_UPDATE_GOLDEN")) {
        std::filesystem::copy_file(Out, Golden, std::filesystem::copy_options::overwrite_existing);
        GTEST_SKIP() << "rewrote " << Golden;
    }
    ASSERT_TRUE(std::filesystem::exists(Golden)) << "no reviewed picture " << Golden;
    const auto Format = Case.Transparent ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const auto Expected = test::DecodePng(ReadFileBytes(Golden), Format);
    const auto Actual = test::DecodePng(ReadFileBytes(Out), Format);
    ASSERT_EQ(Actual.Width, Expected.Width);
    ASSERT_EQ(Actual.Height, Expected.Height);
    std::size_t Differing = 0;
    for (std::size_t I = 0; I < Actual.Pixels.size(); ++I)
        Differing += Actual.Pixels[I] != Expected.Pixels[I];
    EXPECT_EQ(Differing, 0u) << "bytes differ from " << Golden;
}

INSTANTIATE_TEST_SUITE_P(
    DressedCharacters, RenderGolden,
    ::testing::Values(TGoldenCase{"rocco_front", 0, {}, false},
                      TGoldenCase{"nina_walking_left_shadow",
                                  1,
                                  {"--motion", "1", "--direction", "2", "--frame", "3", "--shadow",
                                   "--background", "C0E0FF"},
                                  false},
                      TGoldenCase{"juzo_back", 6, {"--direction", "0", "--frame", "2"}, false},
                      TGoldenCase{"karin_transparent_shadow",
                                  14,
                                  {"--motion", "3", "--direction", "6", "--shadow"},
                                  true},
                      TGoldenCase{"rocco_and_nina_tagged_on_a_gradient",
                                  0,
                                  {"--tag", "'Rocco'", "--tag",
                                   "'\xE3\x83\x8B\xE3\x83\xBC\xE3"
                                   "\x83\x8A Nina'",
                                   "--mirror", "2", "--backdrop", "336699-99CCFF", "--shadow"},
                                  false,
                                  1}),
    [](const auto& Info) { return std::string(Info.param.Name); });
