#include "model/GameFolder.h"

#include "game/wloutils.h"
#include "support/Environment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

using namespace pelto;
using pelto::test::TEnvironment;
using pelto::test::TTempDir;

namespace {

constexpr const char* Ex3Key =
    R"(Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wonderland ONLINE Ex3_is1)";
constexpr const char* Ex3Wow =
    R"(Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wonderland ONLINE Ex3_is1)";
constexpr const char* OnlineKey =
    R"(Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wonderland ONLINE_is1)";
constexpr const char* OnlineWow =
    R"(Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wonderland ONLINE_is1)";

// A temporary home with a Wine prefix in ~/.wine laid out as Wine makes it: drive C: is
// "drive_c", reached through the link "dosdevices/c:".
class FakeWine : public ::testing::Test {
protected:
    FakeWine() {
        std::filesystem::create_directories(Prefix() + "drive_c");
        std::filesystem::create_directories(Prefix() + "dosdevices");
        std::filesystem::create_directory_symlink("../drive_c", Prefix() + "dosdevices/c:");
    }

    std::string Prefix() const { return FHome.File(".wine/"); }
    std::string DriveC() const { return Prefix() + "dosdevices/c:/"; }

    // A game folder below Root: jma, pic and data/Item.Dat; without pic when asked.
    static std::string MakeGame(const std::string& Root, bool WithPic = true) {
        std::filesystem::create_directories(Root + "/jma");
        if (WithPic)
            std::filesystem::create_directories(Root + "/pic");
        std::filesystem::create_directories(Root + "/data");
        std::ofstream(Root + "/data/Item.Dat") << "";
        return Root;
    }

    // Writes system.reg with the given keys, each with its "InstallLocation" line (none when
    // the line is empty).
    void Register(const std::vector<std::pair<std::string, std::string>>& Keys) {
        std::string Text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
        for (const auto& [Key, Line] : Keys)
            Text += "\n[" + Key + "] 1700000000\n#time=1da0c0e6e4b4f2e\n" + Line + "\n";
        FHome.Write(".wine/system.reg", Text);
    }
    static std::string Location(const std::string& Windows) {
        std::string Escaped;
        for (char C : Windows)
            Escaped += C == '\\' ? std::string("\\\\") : std::string(1, C);
        return "\"InstallLocation\"=\"" + Escaped + "\"";
    }

    static std::string Registered() {
        std::string Path = "unset";
        GetWloInstallPath(Path);
        return Path;
    }

    TTempDir FHome;
    TEnvironment FHomeVariable{"HOME", FHome.Path().c_str()};
    TEnvironment FPrefixVariable{"WINEPREFIX", nullptr};
};

// A folder prompt that answers from a script (nothing = cancel) and records what it was shown.
struct TScriptedPrompt {
    std::vector<std::optional<std::string>> Answers;
    std::vector<std::string> Shown;
    std::vector<std::string> Problems;

    TFolderPrompt Prompt() {
        return [this](std::string& Directory, const std::string& Problem) {
            Shown.push_back(Directory);
            Problems.push_back(Problem);
            if (Shown.size() > Answers.size() || !Answers[Shown.size() - 1])
                return false;
            Directory = *Answers[Shown.size() - 1];
            return true;
        };
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The uninstaller's registry entry

TEST_F(FakeWine, RegistryWithoutTheGamesKeysGivesNothing) {
    EXPECT_EQ(Registered(), ""); // no system.reg at all
    Register({{"Software\\\\Other", Location(R"(C:\Other\)")}});
    EXPECT_EQ(Registered(), "");
}

TEST_F(FakeWine, RegistryPathIsMappedIntoThePrefix) {
    Register({{Ex3Key, Location(R"(C:\Program Files\GAMESPACE24\WLOEx3)")}});
    EXPECT_EQ(Registered(), DriveC() + "Program Files/GAMESPACE24/WLOEx3/");
}

TEST_F(FakeWine, RegistryKeysAreTriedInOrderAndTheFirstExistingOneDecides) {
    Register({{OnlineKey, Location(R"(C:\Online\)")}, {Ex3Wow, Location(R"(C:\Ex3Wow\)")}});
    EXPECT_EQ(Registered(), DriveC() + "Ex3Wow/");

    Register({{Ex3Wow, Location(R"(C:\Ex3Wow\)")}, {Ex3Key, Location(R"(C:\Ex3\)")}});
    EXPECT_EQ(Registered(), DriveC() + "Ex3/");

    Register({{OnlineWow, Location(R"(D:\OnlineWow\)")}});
    EXPECT_EQ(Registered(), Prefix() + "dosdevices/d:/OnlineWow/");

    Register({{OnlineKey, Location(R"(C:\Online\)")}, {OnlineWow, Location(R"(C:\Wow\)")}});
    EXPECT_EQ(Registered(), DriveC() + "Online/");
}

TEST_F(FakeWine, AnEmptyOrMissingValueOfTheFirstKeyGivesTheRootOfDriveC) {
    MakeGame(DriveC() + "Online");
    Register({{Ex3Key, Location("")}, {OnlineKey, Location(R"(C:\Online\)")}});
    EXPECT_EQ(Registered(), DriveC());
    Register({{Ex3Key, "\"DisplayName\"=\"WLO\""}, {OnlineKey, Location(R"(C:\Online\)")}});
    EXPECT_EQ(Registered(), DriveC());
    EXPECT_EQ(FindWloPath(""), ""); // the second key is never read
}

TEST_F(FakeWine, WineprefixNamesThePrefix) {
    TTempDir Other;
    Other.Write("system.reg", "WINE REGISTRY Version 2\n[" + std::string(Ex3Key) + "] 1\n" +
                                  Location(R"(C:\Games\)") + "\n");
    const TEnvironment Variable("WINEPREFIX", Other.Path().c_str());
    EXPECT_EQ(Registered(), Other.Path() + "drive_c/Games/"); // no dosdevices link there
}

// ---------------------------------------------------------------------------------------------
// The search at start-up

TEST_F(FakeWine, SearchTriesTheSettingsValueFirst) {
    const std::string Saved = MakeGame(FHome.File("games/wlo"));
    MakeGame(DriveC() + "Registered");
    MakeGame(DriveC() + "Program Files/GAMESPACE24/WLOEx3");
    Register({{Ex3Key, Location(R"(C:\Registered\)")}});
    EXPECT_EQ(FindWloPath(Saved), Saved + "/"); // accepted without '/' and given one
    EXPECT_EQ(FindWloPath(""), DriveC() + "Registered/");
}

TEST_F(FakeWine, SearchPassesOverAFolderWithoutPic) {
    const std::string NoPic = MakeGame(FHome.File("nopic"), false);
    MakeGame(DriveC() + "Registered", false);
    MakeGame(DriveC() + "Program Files/GAMESPACE24/WLOnline");
    Register({{Ex3Key, Location(R"(C:\Registered\)")}});
    EXPECT_EQ(FindWloPath(NoPic), DriveC() + "Program Files/GAMESPACE24/WLOnline/");
}

TEST_F(FakeWine, SearchMapsAWindowsSettingsValue) {
    const std::string Games = MakeGame(FHome.File("mnt/games/WLO"));
    std::filesystem::create_directory_symlink(FHome.File("mnt/games"), Prefix() + "dosdevices/d:");
    EXPECT_EQ(FindWloPath(R"(D:\WLO\)"), Prefix() + "dosdevices/d:/WLO/");
    EXPECT_EQ(FindWloPath("d:/wlo"), Prefix() + "dosdevices/d:/wlo/"); // letter case resolved
}

TEST_F(FakeWine, SearchTriesTheDefaultFoldersInOrder) {
    const std::string Pf = DriveC() + "Program Files/GAMESPACE24/";
    const std::string Pf86 = DriveC() + "Program Files (x86)/GAMESPACE24/";
    EXPECT_EQ(FindWloPath(""), "");
    MakeGame(Pf86 + "WLOnline");
    EXPECT_EQ(FindWloPath(""), Pf86 + "WLOnline/");
    MakeGame(Pf + "WLOnline");
    EXPECT_EQ(FindWloPath(""), Pf + "WLOnline/");
    MakeGame(Pf86 + "wloex3"); // letter case resolved
    EXPECT_EQ(FindWloPath(""), Pf86 + "WLOEx3/");
    MakeGame(Pf + "WLOEx3");
    EXPECT_EQ(FindWloPath(""), Pf + "WLOEx3/");
}

// ---------------------------------------------------------------------------------------------
// Checking a folder

TEST(CheckWloPath, WithoutAPromptOnlyTests) {
    TTempDir Dir;
    std::filesystem::create_directories(Dir.File("game/jma"));
    std::filesystem::create_directories(Dir.File("game/pic"));
    std::string Path = Dir.File("game");
    EXPECT_FALSE(CheckWloPath(Path, {}));
    EXPECT_EQ(Path, Dir.File("game/")); // the delimiter is added before the subfolders
    std::string Missing = Dir.File("missing");
    EXPECT_FALSE(CheckWloPath(Missing, {}));
    EXPECT_EQ(Missing, Dir.File("missing"));

    Dir.Write("game/DATA/item.dat", "");
    EXPECT_TRUE(CheckWloPath(Path, {}));
    EXPECT_EQ(Path, Dir.File("game/"));
}

TEST(CheckWloPath, CancellingThePromptEmptiesThePath) {
    TTempDir Dir;
    TScriptedPrompt Script{{std::nullopt}, {}, {}};
    std::string Path = Dir.File("missing");
    EXPECT_FALSE(CheckWloPath(Path, Script.Prompt()));
    EXPECT_EQ(Path, "");
    EXPECT_EQ(Script.Shown, std::vector<std::string>{""}); // a missing folder is not preselected
}

TEST(CheckWloPath, AFolderWithoutPicIsPromptedForAgainPreselected) {
    TTempDir Dir;
    const std::string NoPic = Dir.Path() + "nopic";
    std::filesystem::create_directories(NoPic + "/jma");
    const std::string Game = Dir.Path() + "game";
    for (const char* Sub : {"/jma", "/pic", "/data"})
        std::filesystem::create_directories(Game + Sub);
    Dir.Write("game/data/Item.Dat", "");

    TScriptedPrompt Script{{NoPic, Game}, {}, {}};
    std::string Path;
    EXPECT_TRUE(CheckWloPath(Path, Script.Prompt()));
    EXPECT_EQ(Path, Game + "/");
    EXPECT_EQ(Script.Shown, (std::vector<std::string>{"", NoPic + "/"}));
    EXPECT_EQ(Script.Problems, (std::vector<std::string>{"", "This folder has no pic folder."}));
}

TEST(CheckWloPath, APickedFolderPassesEveryTestAndHearsWhatItLacks) {
    TTempDir Dir;
    std::filesystem::create_directories(Dir.File("nojma"));
    std::filesystem::create_directories(Dir.File("picdata/pic"));
    Dir.Write("picdata/data/Item.Dat", "");
    std::filesystem::create_directories(Dir.File("noitems/jma"));
    std::filesystem::create_directories(Dir.File("noitems/pic"));
    std::filesystem::create_directories(Dir.File("game/jma"));
    std::filesystem::create_directories(Dir.File("game/PIC"));
    Dir.Write("game/Data/ITEM.DAT", "");

    // Each wrong pick comes back with its own folder preselected and what it lacks, however
    // many there are; a missing folder is not preselected.
    TScriptedPrompt Script{{Dir.File("picdata"), Dir.File("gone"), Dir.File("noitems"),
                            Dir.File("nojma"), Dir.File("game")},
                           {},
                           {}};
    std::string Path = Dir.File("nojma");
    EXPECT_TRUE(CheckWloPath(Path, Script.Prompt()));
    EXPECT_EQ(Path, Dir.File("game/"));
    EXPECT_EQ(Script.Shown, (std::vector<std::string>{Dir.File("nojma/"), Dir.File("picdata/"), "",
                                                      Dir.File("noitems/"), Dir.File("nojma/")}));
    EXPECT_EQ(Script.Problems, (std::vector<std::string>{
                                   "This folder has no jma folder.",
                                   "This folder has no jma folder.",
                                   "This folder does not exist.",
                                   "This folder has no data/Item.Dat.",
                                   "This folder has no jma folder.",
                               }));

    // A cancel after wrong picks takes none of them.
    TScriptedPrompt Cancelled{{Dir.File("noitems"), std::nullopt}, {}, {}};
    Path = Dir.File("nojma");
    EXPECT_FALSE(CheckWloPath(Path, Cancelled.Prompt()));
    EXPECT_EQ(Path, "");
}
