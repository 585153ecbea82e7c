// The viewer's command line: what it parses, what it does to the settings file, and that
// --help and --version answer without a display.
#include "ui/CommandLine.h"

#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Version.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/UMain.h"

#include <QAction>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

using namespace pelto;
using pelto::test::ReadText;
using EAction = TCommandLine::EAction;

namespace {

TCommandLine Parse(std::vector<std::string> Args) {
    Args.insert(Args.begin(), "/usr/bin/pelto");
    return ParseCommandLine(Args);
}

TEST(CommandLine, TakesOurOptionsWithASpaceOrAnEqualsSign) {
    const TCommandLine Line = Parse({"--settings", "a.ini", "--game=/games/wlo/"});
    EXPECT_EQ(Line.Action, EAction::Run);
    EXPECT_EQ(Line.SettingsFile, "a.ini");
    EXPECT_EQ(Line.GameFolder, "/games/wlo/");
    EXPECT_EQ(Line.QtArguments, std::vector<std::string>{"/usr/bin/pelto"});

    const TCommandLine None = Parse({});
    EXPECT_EQ(None.Action, EAction::Run);
    EXPECT_FALSE(None.SettingsFile);
    EXPECT_FALSE(None.GameFolder);
    EXPECT_FALSE(None.PictureFile);

    // A word that is no option is a picture to open, wherever it stands.
    const TCommandLine Picture = Parse({"--game", "g", "-", "-style", "fusion"});
    EXPECT_EQ(Picture.Action, EAction::Run);
    EXPECT_EQ(Picture.PictureFile, "-");
    EXPECT_EQ(Picture.GameFolder, "g");
    EXPECT_EQ(Picture.QtArguments,
              (std::vector<std::string>{"/usr/bin/pelto", "-style", "fusion"}));
}

TEST(CommandLine, PassesQtsOwnOptionsWithTheirValuesToQt) {
    const TCommandLine Line =
        Parse({"-platform", "offscreen", "--game", "g", "--style=fusion", "-reverse"});
    EXPECT_EQ(Line.Action, EAction::Run);
    EXPECT_EQ(Line.GameFolder, "g");
    EXPECT_EQ(Line.QtArguments,
              (std::vector<std::string>{"/usr/bin/pelto", "-platform", "offscreen",
                                        "--style=fusion", "-reverse"}));
}

TEST(CommandLine, HelpAndVersionWinOverTheOtherOptions) {
    EXPECT_EQ(Parse({"--game", "g", "--help"}).Action, EAction::Help);
    EXPECT_EQ(Parse({"-h"}).Action, EAction::Help);
    EXPECT_EQ(Parse({"--version", "--settings", "s"}).Action, EAction::Version);
    EXPECT_EQ(Parse({"--version", "--help"}).Action, EAction::Help);
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    const auto Error = [](std::vector<std::string> Args) {
        const TCommandLine Line = Parse(std::move(Args));
        EXPECT_EQ(Line.Action, EAction::UsageError);
        return Line.Error;
    };
    EXPECT_EQ(Error({"--colour"}), "unknown option --colour");
    EXPECT_EQ(Error({"a.png", "folder"}), "unexpected word 'folder'"); // one picture only
    EXPECT_EQ(Error({"--game"}), "option --game needs a value");
    EXPECT_EQ(Error({"--settings="}), "option --settings needs a value");
    EXPECT_EQ(Error({"--game", "a", "--game", "b"}), "option --game given twice");
    EXPECT_EQ(Error({"-platform"}), "option -platform needs a value");
    // Our options have two dashes; Qt's flags take no value.
    EXPECT_EQ(Error({"-game", "g"}), "unknown option -game");
    EXPECT_EQ(Error({"-reverse=1"}), "unknown option -reverse=1");
}

class GameOption : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([this](const QString& Text) { Messages.push_back(Text.toStdString()); });
    }
    void TearDown() override { SetMessageSink({}); }

    std::unique_ptr<TfrmPelto> Open(const std::string& Saved, const std::string& Folder) {
        std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << Saved << "\nshadow=1\n";
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("pelto.ini");
        Options.GameFolder = Folder;
        Options.FolderPrompt = [this](std::string& Directory, const std::string&) {
            if (Picks.empty())
                return false;
            Directory = Picks.front();
            Picks.erase(Picks.begin());
            return true;
        };
        return std::make_unique<TfrmPelto>(Options);
    }

    test::TTempDir Dir;
    std::vector<std::string> Messages;
    std::vector<std::string> Picks;
};

TEST_F(GameOption, OpensThatGameAndKeepsTheSettingsFilesOwn) {
    const std::string Other = Dir.Path() + "other/";
    test::LinkTree(test::DemoGame(), Other);
    {
        auto Window = Open(test::DemoGame(), Other.substr(0, Other.size() - 1));
        ASSERT_FALSE(Window->StartupFailed());
        EXPECT_EQ(Window->Session().Game().Folder(), Other);
        Window->findChild<QAction*>("miShadow")->trigger();
    }
    const std::string Written = ReadText(Dir.File("pelto.ini"));
    EXPECT_NE(Written.find("wlopath=" + test::DemoGame() + "\n"), std::string::npos) << Written;
    EXPECT_NE(Written.find("shadow=0"), std::string::npos) << Written; // the rest is written
    EXPECT_TRUE(Messages.empty());
}

TEST_F(GameOption, KeepsAFolderChangedInTheWindow) {
    const std::string Other = Dir.Path() + "other/";
    test::LinkTree(test::DemoGame(), Other);
    {
        auto Window = Open(Dir.Path() + "gone/", test::DemoGame());
        ASSERT_FALSE(Window->StartupFailed());
        Picks = {Other};
        Window->findChild<QAction*>("miChangeGameFolder")->trigger();
        EXPECT_EQ(Window->Session().Game().Folder(), Other);
    }
    EXPECT_NE(ReadText(Dir.File("pelto.ini")).find("wlopath=" + Other + "\n"), std::string::npos);
}

TEST_F(GameOption, AsksForAnotherWhenItIsNoGameFolder) {
    Picks = {test::DemoGame()};
    auto Window = Open(test::DemoGame(), Dir.Path() + "nowhere");
    ASSERT_FALSE(Window->StartupFailed());
    EXPECT_TRUE(Picks.empty());
    EXPECT_EQ(Window->Session().Game().Folder(), test::DemoGame());
}

struct TRun {
    int ExitCode = -1;
    std::string Out, Err;
};

/// Runs the viewer with Arguments and the environment's display variables removed.
TRun RunViewer(const std::string& Viewer, const QStringList& Arguments) {
    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    for (const char* Name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        Environment.remove(Name);
    Process.setProcessEnvironment(Environment);
    Process.start(QString::fromStdString(Viewer), Arguments);
    TRun Run;
    if (!Process.waitForFinished(20000)) {
        Process.kill();
        Process.waitForFinished();
        return Run;
    }
    if (Process.exitStatus() == QProcess::NormalExit)
        Run.ExitCode = Process.exitCode();
    Run.Out = Process.readAllStandardOutput().toStdString();
    Run.Err = Process.readAllStandardError().toStdString();
    return Run;
}

TEST(ViewerCommandLine, AnswersHelpVersionAndUsageErrorsWithoutADisplay) {
    const TRun Help = RunViewer(PELTO_VIEWER_PATH, {"--help"});
    EXPECT_EQ(Help.ExitCode, 0) << Help.Err;
    EXPECT_EQ(Help.Out, ViewerUsage());
    EXPECT_EQ(Help.Err, "");

    const TRun Version = RunViewer(PELTO_VIEWER_PATH, {"--version"});
    EXPECT_EQ(Version.ExitCode, 0) << Version.Err;
    EXPECT_EQ(Version.Out, "pelto " + std::string(ProgramVersion) + "\n");

    const TRun Wrong = RunViewer(PELTO_VIEWER_PATH, {"--colour", "red"});
    EXPECT_EQ(Wrong.ExitCode, 2);
    EXPECT_EQ(Wrong.Out, "");
    EXPECT_EQ(Wrong.Err, "pelto: unknown option --colour\nTry 'pelto --help'.\n");
}

TEST(ViewerCommandLine, ReadsAndWritesTheSettingsFileItIsGiven) {
    // The viewer in a folder of its own, where its own settings file would be.
    test::TTempDir Dir;
    const std::string Viewer = Dir.File("pelto");
    std::filesystem::copy_file(PELTO_VIEWER_PATH, Viewer);
    const std::string Settings = Dir.File("elsewhere.ini");
    std::ofstream(Settings) << "[pelto]\nwlopath=" << test::DemoGame() << "\n";
    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert("QT_QPA_PLATFORM", "offscreen");
    Process.setProcessEnvironment(Environment);
    Process.start(QString::fromStdString(Viewer), {"--settings", QString::fromStdString(Settings)});
    ASSERT_TRUE(Process.waitForStarted(10000));
    QTest::qWait(1500); // past start-up, which would prompt without a game folder
    ::kill(static_cast<pid_t>(Process.processId()), SIGTERM);
    ASSERT_TRUE(Process.waitForFinished(10000));
    EXPECT_EQ(Process.exitCode(), 0) << Process.readAllStandardError().toStdString();
    EXPECT_NE(ReadText(Settings).find("closeonclick=0"), std::string::npos) << ReadText(Settings);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("pelto.ini")));
}

} // namespace
