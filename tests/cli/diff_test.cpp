// pelto-cli diff end to end: the real executable on two installations written by our writers.
#include "model/CharaCode.h"
#include "model/UCommon.h"
#include "model/UDraw.h"
#include "support/CliRun.h"
#include "support/DiffGames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>

using namespace pelto;
using pelto::test::ShellQuote;
using pelto::test::TCliResult;
using namespace pelto::test::diff_items;
using pelto::test::ReadText;
using pelto::test::TTempDir;

namespace {

std::string RoccoWearing(int Slot, std::uint16_t Id) {
    TCharaDesign Design;
    Design.Chara = 0;
    Design.Parts[static_cast<std::size_t>(Slot - 1)] = Id;
    return EncodeCharaCode(Design);
}

class PeltoCliDiff : public ::testing::Test {
protected:
    void SetUp() override { test::WriteDiffGames(Games.Path()); }

    TCliResult Run(std::vector<std::string> Args) const {
        Args.insert(Args.begin(), "diff");
        return test::RunProgram(PELTO_CLI_PATH, Args, Scratch);
    }
    TCliResult Diff(std::vector<std::string> More = {}) const {
        std::vector<std::string> Args{"--old", Games.Path() + "old", "--new", Games.Path() + "new"};
        Args.insert(Args.end(), More.begin(), More.end());
        return Run(Args);
    }

    TTempDir Games;
    TTempDir Scratch;
};

const std::string Colors = "444444444,444444444,444444444,444444444,444444444,444444444,"
                           "444444444,444444444,444444444,444444444,444444444,444444444,"
                           "444444444,444444444,444444444]";

TEST_F(PeltoCliDiff, ReportsExactlyTheKnownChangesAndNothingElse) {
    const TCliResult Result = Diff();
    EXPECT_EQ(Result.Status, 0) << Result.Err;
    EXPECT_EQ(Result.Out,
              "items added 2, items removed 2, items changed 4, looks changed 1, sprites added 0, "
              "sprites removed 0, sprites changed 1, list moves 1, codes touched 0, codes "
              "redrawn 0, favourites touched 0, favourites redrawn 0\n"
              "added #108 <b>Wand&\"'\n"
              "added #109+2 Potion\n"
              "removed #105 Ring\n"
              "removed #110+1 Gem\n"
              "changed #101 Top Hat: name \"Hat\" -> \"Top Hat\"\n"
              "changed #102 Coat: stat_value [105,100] -> [107,100]\n"
              "changed #103 Scarf: colors [444444444," +
                  Colors + " -> [666444444," + Colors +
                  "\n"
                  "changed #109+1 Hi-Potion: name \"Potion\" -> \"Hi-Potion\"\n"
                  "look #104 Boots: group 0 1501.jmp\n"
                  "sprite changed 1501.jmp\n"
                  "moved group 0 slot 3 #107 Mitt: 3 -> 1\n");
}

TEST_F(PeltoCliDiff, GivesTheSameAsSortedJsonAndTheSameBytesEveryTime) {
    const TCliResult First = Diff({"--json"});
    EXPECT_EQ(First.Status, 0) << First.Err;
    EXPECT_EQ(First.Out,
              "{\"codes\":[],\n\"favourites\":[],\n"
              "\"items\":{\"added\":[\n{\"id\":108,\"name\":\"<b>Wand&\\\"'\"},\n"
              "{\"id\":109,\"name\":\"Potion\",\"occurrence\":2}\n],\n"
              "\"changed\":[\n"
              "{\"fields\":{\"name\":{\"new\":\"Top Hat\",\"old\":\"Hat\"}},\"id\":101,"
              "\"name\":\"Top Hat\"},\n"
              "{\"fields\":{\"stat_value\":{\"new\":[107,100],\"old\":[105,100]}},\"id\":102,"
              "\"name\":\"Coat\"},\n"
              "{\"fields\":{\"colors\":{\"new\":[666444444," +
                  Colors + ",\"old\":[444444444," + Colors +
                  "}},\"id\":103,\"name\":\"Scarf\"},\n"
                  "{\"fields\":{\"name\":{\"new\":\"Hi-Potion\",\"old\":\"Potion\"}},\"id\":109,"
                  "\"name\":\"Hi-Potion\",\"occurrence\":1}\n],\n"
                  "\"removed\":[\n{\"id\":105,\"name\":\"Ring\"},\n"
                  "{\"id\":110,\"name\":\"Gem\",\"occurrence\":1}\n]},\n"
                  "\"list_moves\":[\n{\"from\":3,\"group\":0,\"id\":107,\"name\":\"Mitt\","
                  "\"slot\":3,\"to\":1}\n],\n"
                  "\"looks\":[\n{\"groups\":[0],\"id\":104,\"name\":\"Boots\","
                  "\"sprites\":[\"1501.jmp\"]}\n],\n"
                  "\"sprites\":{\"added\":[],\n\"changed\":[\"1501.jmp\"],\n\"removed\":[]},\n"
                  "\"summary\":{\"codes_redrawn\":0,\"codes_touched\":0,"
                  "\"favourites_redrawn\":0,\"favourites_touched\":0,\"items_added\":2,"
                  "\"items_changed\":4,\"items_removed\":2,\"list_moves\":1,"
                  "\"looks_changed\":1,\"sprites_added\":0,\"sprites_changed\":1,"
                  "\"sprites_removed\":0}}\n");
    EXPECT_EQ(Diff({"--json"}).Out, First.Out);
}

TEST_F(PeltoCliDiff, ListsTheCodesTheUpdateTouches) {
    const std::string Boots = RoccoWearing(5, pelto::test::diff_items::Boots);
    const std::string Codes =
        Scratch.Write("codes.txt", RoccoWearing(1, Cap) + "\n\n" + Boots + "\n");
    const TCliResult Result = Diff({"--codes", Codes});
    EXPECT_EQ(Result.Status, 0) << Result.Err;
    EXPECT_NE(Result.Out.find("codes touched 1, codes redrawn 1,"), std::string::npos);
    EXPECT_NE(Result.Out.find("\ncode line 3 " + Boots +
                              ": slot 5 #104 Boots look redrawn (picture changes)\n"),
              std::string::npos)
        << Result.Out;
    EXPECT_EQ(Result.Out.find("code line 1"), std::string::npos);
}

TEST_F(PeltoCliDiff, WritesTheReportPageWithItsPictures) {
    const std::string Report = Scratch.Path() + "report";
    const TCliResult Result = Diff({"--html", Report, "--chara", "0"});
    EXPECT_EQ(Result.Status, 0) << Result.Err;
    EXPECT_NE(ReadText(Report + "/index.html").find("pictures/104-c0-new.png"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(Report + "/pictures/104-c0-new.png"));
    EXPECT_EQ(Result.Out.substr(0, 14), "items added 2,");
}

TEST_F(PeltoCliDiff, RefusesUsageErrorsWithStatusTwoAndBadInputWithTheReadersMessage) {
    EXPECT_EQ(Diff({"--chara", "0"}).Status, 2); // pictures only
    EXPECT_EQ(Run({"--old", Games.Path() + "old"}).Status, 2);
    EXPECT_EQ(Diff({"--html", Scratch.Path() + "r", "--chara", "15"}).Status, 2);

    const TCliResult BadCode = Diff({"--codes", Scratch.Write("codes.txt", "not-a-code\n")});
    EXPECT_EQ(BadCode.Status, 1);
    EXPECT_NE(BadCode.Err.find("line 1"), std::string::npos) << BadCode.Err;

    std::filesystem::resize_file(Games.Path() + "new/data/Item.Dat", 100);
    const TCliResult Damaged = Diff();
    EXPECT_EQ(Damaged.Status, 1);
    EXPECT_NE(Damaged.Err.find("new/data/Item.Dat"), std::string::npos) << Damaged.Err;
}

} // namespace
