// pelto-cli render's export options, against the model's export of the same state.
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using namespace pelto;

namespace {

int RunCli(const std::string& Options) {
    const std::string Command = std::string(PELTO_CLI_PATH) + " render --game '" +
                                test::DemoGame() + "' " + Options + " 2>/dev/null";
    const int Status = std::system(Command.c_str());
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

class RenderExport : public ::testing::Test {
protected:
    // What the model writes for Nina walking right with her shadow.
    std::vector<std::uint8_t> ModelExport(const TExportOptions& Options, const std::string& Name) {
        TGameData Game(test::DemoGame());
        Game.LoadAll();
        TDressingSession Session(Game);
        Session.SetChara(1);
        Session.SetShadow(true);
        Session.SetBackColor(RGBColor(0x12, 0x34, 0x56));
        Session.SetMotion(1);
        Session.SetDirection(6);
        // The command line's pictures carry the code, as the window's do.
        TExportOptions Coded = Options;
        Coded.Code = Session.Code();
        ExportPicture(Session, Coded, Dir.File(Name));
        return ReadFileBytes(Dir.File(Name));
    }

    const std::string Pose = "--chara 1 --shadow --background 123456 --motion 1 --direction 6 ";
    test::TTempDir Dir;
};

} // namespace

TEST_F(RenderExport, WritesWhatTheModelExportsForEveryOption) {
    ASSERT_EQ(
        RunCli(Pose + "--format twebp --scale 2 --delay 100 --trim --out " + Dir.File("cli.webp")),
        0);
    EXPECT_EQ(ReadFileBytes(Dir.File("cli.webp")),
              ModelExport({FindExportFormat("twebp"), 2, 100, TExportScope::Action, true, {}},
                          "model.webp"));

    ASSERT_EQ(RunCli(Pose + "--format gif --scale 3 --out " + Dir.File("cli.gif")), 0);
    EXPECT_EQ(ReadFileBytes(Dir.File("cli.gif")),
              ModelExport({FindExportFormat("gif"), 3, {}, TExportScope::Action, false, {}},
                          "model.gif"));

    ASSERT_EQ(
        RunCli(Pose + "--format sheet --scope directions --scale 2 --out " + Dir.File("cli.png")),
        0);
    EXPECT_EQ(ReadFileBytes(Dir.File("cli.png")),
              ModelExport({FindExportFormat("sheet"), 2, {}, TExportScope::Directions, false, {}},
                          "cli-model.png"));
    // The index names its own picture, so the two differ only there.
    const auto Json = ReadFileBytes(Dir.File("cli.json"));
    const auto Model = ReadFileBytes(Dir.File("cli-model.json"));
    std::string Expected(Model.begin(), Model.end());
    Expected.replace(Expected.find("cli-model.png"), 13, "cli.png");
    EXPECT_EQ(std::string(Json.begin(), Json.end()), Expected);
}

TEST_F(RenderExport, RefusesOptionsOutOfRangeOrForAnotherFormat) {
    const std::string Out = " --out " + Dir.File("x.png");
    for (const std::string Bad :
         {"--format apng --scale 0", "--format apng --scale 9", "--format webp --delay 19",
          "--format gif --delay 5001", "--format png --delay 100", "--format apng --scope all",
          "--format sheet --scope every", "--format tiff"})
        EXPECT_EQ(RunCli(Pose + Bad + Out), 2) << Bad;
    EXPECT_FALSE(std::filesystem::exists(Dir.File("x.png")));
}
