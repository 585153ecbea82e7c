// pelto-cli end to end: the real executable on game folders written by our writers.
#include "export/ClassicSave.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "platform/ShiftJis.h"
#include "platform/Stream.h"
#include "platform/Version.h"
#include "support/CliRun.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/SpriteFolder.h"
#include "support/TempDir.h"
#include "writers/GroupImageWriter.h"
#include "writers/ItemTableWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

using namespace pelto;
using pelto::test::ReadText;
using pelto::test::ShellQuote;
using pelto::test::TCliResult;
using pelto::test::TTempDir;

namespace {

class PeltoCli : public ::testing::Test {
protected:
    TCliResult Run(const std::vector<std::string>& Args) const {
        return RunProgram(PELTO_CLI_PATH, Args);
    }

    TCliResult RunProgram(const std::string& Program, const std::vector<std::string>& Args) const {
        return test::RunProgram(Program, Args, Scratch);
    }

    /// A game folder whose names differ in case from the ones the program asks for.
    std::string WriteGame() const {
        const auto Counts = test::StandardFrameCounts();
        const std::vector<TJmaWriterSprite> Chara{
            test::BlockSprite("2000.jmp", 50, 10, 10, 40, 40, Counts),
            test::BlockSprite("2100.jmp", 40, 20, 0, 10, 20, Counts)};
        const std::vector<TJmaWriterSprite> Items{
            test::BlockSprite("2001.jmp", 100, 25, 0, 10, 10, Counts)};
        WriteJmaFiles(Game.Make("JMA/Chara01.JMA"), Chara);
        WriteJmaFiles(Game.Make("JMA/item01.jma"), Items);

        TItemTableWriter Table;
        TItemInfo Cap;
        Cap.Kind = 3;
        Cap.ItemID = 1234;
        Cap.IconNo = 7;
        Cap.SpriteNo = {2001, 0, 0, 0};
        Cap.Slot = 1;
        Cap.ListNumber = 3;
        Cap.Name = "Cap";
        Cap.StatType = {207, 210};
        Cap.StatValue = {110, 95};
        Table.Add(Cap);
        TItemInfo Claw;
        Claw.Kind = 12;
        Claw.ItemID = 39019; // corrected to the name クロー
        Claw.Slot = 3;
        Claw.Name = "ABCDEFGHIJKLMNOP"; // the correction keeps bytes 7..16
        Claw.Text = Utf8ToSjis("説明\"引用\"");
        Table.Add(Claw);
        Table.WriteToFile(Game.Make("DATA/item.dat"));

        TGroupImageWriter Icons;
        Icons.Add("7.bmp", std::vector<std::uint8_t>{'B', 'M'});
        Icons.WriteToFile(Game.Make("Pic/ITEM.bmg"));
        return Game.Path();
    }

    TTempDir Scratch;
    TTempDir Game;
};

} // namespace

TEST_F(PeltoCli, ListsItemsAsTheReaderNamesThem) {
    const auto R = Run({"items", "--game", WriteGame()});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, "03-01234: Cap\n12-39019: クローGHIJKLMNOP\n");
    EXPECT_EQ(R.Err, "");
}

TEST_F(PeltoCli, ListsItemsAsJson) {
    const auto R = Run({"items", "--game", WriteGame(), "--json"});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out,
              "[\n"
              "{\"index\":1,\"kind\":3,\"id\":1234,\"icon\":7,\"sprite\":[2001,0,0,0],"
              "\"stat_type\":[207,210],\"stat_value\":[110,95],\"slot\":1,"
              "\"colors\":[444444444,444444444,444444444,444444444,444444444,444444444,"
              "444444444,444444444,444444444,444444444,444444444,444444444,444444444,"
              "444444444,444444444,444444444],\"list_number\":3,\"name\":\"Cap\",\"text\":\"\"},\n"
              "{\"index\":2,\"kind\":12,\"id\":39019,\"icon\":0,\"sprite\":[0,0,0,0],"
              "\"stat_type\":[0,0],\"stat_value\":[100,100],\"slot\":3,"
              "\"colors\":[444444444,444444444,444444444,444444444,444444444,444444444,"
              "444444444,444444444,444444444,444444444,444444444,444444444,444444444,"
              "444444444,444444444,444444444],\"list_number\":0,\"name\":\"クローGHIJKLMNOP\","
              "\"text\":\"説明\\\"引用\\\"\"}\n"
              "]\n");
}

TEST_F(PeltoCli, SearchesItemsPrintingTheRecordsAsItemsDoes) {
    const std::string Folder = WriteGame();
    EXPECT_EQ(Run({"items", "--game", Folder, "--search", "ｃａｐ"}).Out, "03-01234: Cap\n");
    EXPECT_EQ(Run({"items", "--game", Folder, "--search", "ｸﾛｰ"}).Out,
              "12-39019: クローGHIJKLMNOP\n");
    EXPECT_EQ(Run({"items", "--game", Folder, "--search", "説明 くろー"}).Out,
              "12-39019: クローGHIJKLMNOP\n");
    EXPECT_EQ(Run({"items", "--game", Folder, "--search", "hp>=10 atk=-5"}).Out, "03-01234: Cap\n");
    EXPECT_EQ(Run({"items", "--game", Folder, "--search", "cap hp>10"}).Out, "");
    EXPECT_EQ(Run({"items", "--game", Folder, "--search", "  "}).Out,
              Run({"items", "--game", Folder}).Out);

    const auto Json = Run({"items", "--game", Folder, "--search", "#39019", "--json"});
    ASSERT_EQ(Json.Status, 0) << Json.Err;
    EXPECT_EQ(Json.Out.rfind("[\n{\"index\":2,\"kind\":12,\"id\":39019,", 0), 0u) << Json.Out;
    EXPECT_TRUE(Json.Out.ends_with("\"text\":\"説明\\\"引用\\\"\"}\n]\n")) << Json.Out;
    EXPECT_EQ(Run({"items", "--game", Folder, "--search", "#1", "--json"}).Out, "[\n]\n");
}

TEST_F(PeltoCli, SearchesAnEquipmentListWithoutItsNothingEntry) {
    const std::string Folder = WriteGame();
    const auto R = Run({"items", "--game", Folder, "--search", "", "--group", "0", "--slot", "1"});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, "03-01234: Cap\n");
    // The claw is in no list, though the table holds it.
    EXPECT_EQ(
        Run({"items", "--game", Folder, "--search", "ｸﾛｰ", "--group", "0", "--slot", "3"}).Out, "");
    const auto Usage = Run({"items", "--game", Folder, "--search", "cap", "--group", "0"});
    EXPECT_EQ(Usage.Status, 2);
    EXPECT_NE(Usage.Err.find("--group and --slot go together"), std::string::npos);
    EXPECT_EQ(Run({"items", "--game", Folder, "--group", "0", "--slot", "7"}).Status, 2);
}

TEST_F(PeltoCli, ListsTheSpriteCatalogueInScanOrder) {
    const auto R = Run({"sprites", "--game", WriteGame()});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, "2000.jmp=Chara01.JMA\n2100.jmp=Chara01.JMA\n2001.jmp=item01.jma\n");
}

TEST_F(PeltoCli, ListsAnEquipmentList) {
    const auto R = Run({"list", "--game", WriteGame(), "--group", "0", "--slot", "1"});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, "---\n[3] Cap\n");
    EXPECT_EQ(Run({"list", "--game", Game.Path(), "--group", "1", "--slot", "1"}).Out, "---\n");
}

TEST_F(PeltoCli, NormalisesCodesAndRefusesInvalidOnes) {
    const std::string Folder = WriteGame();
    auto R = Run({"code", "--game", Folder, " AQAA\nHAf0emc8 "});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, "AQAAHAf0emc8\n");
    EXPECT_EQ(Run({"code", "--game", Folder, ""}).Out, "\n");

    R = Run({"code", "--game", Folder, "AQAAHAf0emc9"});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Out, "");
    EXPECT_EQ(R.Err, "pelto-cli: Invalid code error.\n"); // the system's words after the prefix
}

TEST_F(PeltoCli, ReadsTheCodeARenderedPictureCarriesAndNoneFromAClassicOne) {
    const std::string Folder = WriteGame();
    const std::string Code = "AQAB0gQcB/R6Z/8="; // Rocco wearing item 1234
    for (const std::string Format : {"apng", "twebp", "gif", "jpg", "tpng", "sheet"}) {
        const std::string Out = Scratch.File("coded." + Format);
        ASSERT_EQ(Run({"render", "--game", Folder, "--code", " AQAB0gQc\nB/R6Z/8= ", "--format",
                       Format, "--scale", "2", "--out", Out})
                      .Status,
                  0)
            << Format;
        const auto R = Run({"code", "--game", Folder, "--from-image", Out});
        EXPECT_EQ(R.Status, 0) << Format << ": " << R.Err;
        EXPECT_EQ(R.Out, Code + "\n") << Format; // normalised as the code command prints it
    }

    // What "Save Image As..." writes carries none, nor does a bitmap; one line says so.
    for (const std::string Format : {"png", "bmp"}) {
        const std::string Out = Scratch.File("plain." + Format);
        ASSERT_EQ(
            Run({"render", "--game", Folder, "--code", Code, "--format", Format, "--out", Out})
                .Status,
            0);
        const auto R = Run({"code", "--game", Folder, "--from-image", Out});
        EXPECT_EQ(R.Status, 1);
        EXPECT_EQ(R.Out, "");
        EXPECT_EQ(R.Err, "pelto-cli: The picture carries no character code: " + Out + "\n");
    }
    const auto Missing = Run({"code", "--game", Folder, "--from-image", Scratch.File("none")});
    EXPECT_EQ(Missing.Status, 1);
    EXPECT_NE(Missing.Err.find(Scratch.File("none")), std::string::npos) << Missing.Err;
    EXPECT_EQ(Missing.Err.find('\n'), Missing.Err.size() - 1);

    // A code and a picture together, or neither, is a usage error.
    EXPECT_EQ(Run({"code", "--game", Folder, Code, "--from-image", Scratch.File("x")}).Status, 2);
    EXPECT_EQ(Run({"code", "--game", Folder}).Status, 2);
}

TEST_F(PeltoCli, RefusesFoldersThatAreNotAGame) {
    WriteGame();
    std::filesystem::remove_all(Game.Path() + "Pic");
    const auto R = Run({"items", "--game", Game.Path()});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Out, "");
    EXPECT_NE(R.Err.find(Game.Path()), std::string::npos) << R.Err;
    EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1);
}

TEST_F(PeltoCli, ReportsTheReadersOwnMessage) {
    WriteGame();
    TItemTableWriter Table;
    Table.SetVersion(8);
    Table.WriteToFile(Game.Path() + "DATA/item.dat");
    const auto R = Run({"items", "--game", Game.Path()});
    EXPECT_EQ(R.Status, 1);
    // The file as it is on the disk, not as the program spells it.
    EXPECT_EQ(R.Err, "pelto-cli: アイテムデータバージョンが一致しません: " + Game.Path() +
                         "DATA/item.dat\n");
}

TEST_F(PeltoCli, RefusesAGameWithADamagedSpriteArchiveNamingIt) {
    WriteGame();
    const std::string Archive = Game.Path() + "JMA/item01.jma";
    std::ofstream(Archive, std::ios::trunc) << std::string(20, '\xFF');
    // A render reads the archives in scan order only until it has its sprites: the cap's lies
    // past the damage, the bare character's before it.
    for (const std::vector<std::string>& Args : std::vector<std::vector<std::string>>{
             {"sprites", "--game", Game.Path()},
             {"render", "--game", Game.Path(), "--code", "AQAB0gQcB/R6Z/8=", "--format", "png",
              "--out", Scratch.File("x.png")}}) {
        const auto R = Run(Args);
        EXPECT_EQ(R.Status, 1) << Args[0];
        EXPECT_TRUE(R.Out.empty()) << Args[0];
        EXPECT_TRUE(R.Err.starts_with("pelto-cli: ")) << R.Err;
        EXPECT_TRUE(R.Err.ends_with(": " + Archive + "\n")) << R.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(Scratch.File("x.png")));
    EXPECT_EQ(Run({"render", "--game", Game.Path(), "--chara", "0", "--format", "png", "--out",
                   Scratch.File("bare.png")})
                  .Status,
              0);
}

TEST_F(PeltoCli, SaysWhereATruncatedSpriteArchiveEnded) {
    WriteGame();
    const std::string Archive = Game.Path() + "JMA/Chara01.JMA";
    const std::uintmax_t Whole = std::filesystem::file_size(Archive);
    const std::uintmax_t Kept = Whole - 8; // into the pixels of the last frame
    std::filesystem::resize_file(Archive, Kept);
    const auto R = Run({"render", "--game", Game.Path(), "--chara", "0", "--format", "png", "--out",
                        Scratch.File("x.png")});
    EXPECT_EQ(R.Status, 1);
    const std::regex Line(R"re(pelto-cli: Stream read error \(read of (\d+) bytes at offset )re"
                          R"re((\d+), file has (\d+) bytes\): (.*)\n)re");
    std::smatch M;
    ASSERT_TRUE(std::regex_match(R.Err, M, Line)) << R.Err;
    const std::uintmax_t Count = std::stoull(M[1]), Offset = std::stoull(M[2]);
    EXPECT_EQ(std::stoull(M[3]), Kept);
    EXPECT_GT(Offset + Count, Kept) << "the read runs past the end";
    EXPECT_LE(Offset + Count, Whole) << "and would have fitted the whole file";
    EXPECT_EQ(M[4], Archive);
}

TEST_F(PeltoCli, AnswersUsageErrorsWithStatusTwo) {
    const std::string Folder = WriteGame();
    const std::string First = Scratch.File("first.png"), Second = Scratch.File("second.png");
    for (const std::vector<std::string>& Args : std::vector<std::vector<std::string>>{
             {},
             {"nonsense"},
             {"items"},
             {"items", "--game"},
             {"items", "--game", Folder, "--frob"},
             {"list", "--game", Folder, "--group", "4", "--slot", "1"},
             {"list", "--game", Folder, "--group", "x", "--slot", "1"},
             {"code", "--game", Folder},
             {"render", "--game", Folder, "--chara", "0", "--format", "tiff", "--out", "x"},
             {"render", "--game", Folder, "--chara", "0", "--code", "AQAAHAf0emc8", "--format",
              "png", "--out", "x"},
             {"render", "--game", Folder, "--chara", "0", "--format", "png", "--out", "x",
              "--background", "12345G"},
             {"demo", "--out", Folder + "demo", "--scale", "huge"},
             // An option given twice, whether it takes a value or not.
             {"render", "--game", Folder, "--chara", "0", "--format", "png", "--out", First,
              "--out", Second},
             {"render", "--game", Folder, "--chara", "0", "--chara", "0", "--format", "png",
              "--out", First},
             {"render", "--game", Folder, "--chara", "0", "--shadow", "--format", "png", "--out",
              First, "--shadow"},
             {"items", "--game", Folder, "--json", "--json"},
             {"game-folder", "--settings", First, "--settings", Second},
             // Words that no command asked for.
             {"render", "--game", Folder, "--chara", "0", "--format", "png", "--out", First,
              "stray"},
             {"render", "--game", Folder, "--chara", "0", "--shadow", "no", "--format", "png",
              "--out", First},
             {"code", "--game", Folder, "AQAAHAf0emc8", "AQAAHAf0emc8"},
             {"--version", "now"},
             {"info", "--game", Folder, "--chara", "15"}}) {
        const auto R = Run(Args);
        EXPECT_EQ(R.Status, 2) << ::testing::PrintToString(Args);
        EXPECT_EQ(R.Out, "");
        // What is wrong and where to read more, not the whole usage again.
        const bool KnownCommand = !Args.empty() && Args[0] != "nonsense" && Args[0] != "--version";
        const std::string Try =
            "Try 'pelto-cli " + (KnownCommand ? Args[0] + " " : std::string()) + "--help'.\n";
        EXPECT_EQ(R.Err.rfind("pelto-cli: ", 0), 0u) << R.Err;
        EXPECT_EQ(R.Err.substr(R.Err.find('\n') + 1), Try) << R.Err;
    }
    EXPECT_EQ(Run({"render", "--game", Folder, "--chara", "0", "--format", "png", "--out", First,
                   "stray"})
                  .Err,
              "pelto-cli: unexpected word 'stray'\nTry 'pelto-cli render --help'.\n");
    EXPECT_FALSE(std::filesystem::exists(First));
    EXPECT_FALSE(std::filesystem::exists(Second));
}

namespace {

// The same state built in this process, saved by the core function the viewer calls too.
std::vector<std::uint8_t> SavedInProcess(const std::string& Folder, const std::string& Code,
                                         TImageFileType Type, const std::string& File) {
    TGameData Game(Folder);
    Game.LoadAll();
    TBitmap Canvas(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    TDrawChara Chara(Canvas, Game.JmaList());
    Chara.SetEquipList(Game.EquipList());
    Chara.SetCode(Code);
    Chara.SetShadow(true);
    Chara.SetBackColor(RGBColor(0x12, 0x34, 0x56));
    Chara.SetMotion(0);
    Chara.SetDirection(4);
    Chara.SetFrame(2);
    Chara.Redraw();
    SaveImageFile(Chara, Canvas, Type, File);
    return ReadFileBytes(File);
}

} // namespace

TEST_F(PeltoCli, RendersExactlyWhatTheViewerWouldSave) {
    const std::string Folder = WriteGame();
    const std::string Code = "AQAB0gQcB/R6Z/8="; // Rocco wearing item 1234
    ASSERT_EQ(Run({"code", "--game", Folder, Code}).Out, Code + "\n");
    const std::vector<std::pair<std::string, TImageFileType>> Formats{
        {"bmp", TImageFileType::Bitmap}, {"jpg", TImageFileType::Jpeg},
        {"png", TImageFileType::Png},    {"tpng", TImageFileType::TransparentPng},
        {"gif", TImageFileType::Gif},    {"tgif", TImageFileType::TransparentGif}};
    for (const auto& [Name, Type] : Formats) {
        const std::string Out = Scratch.File("render." + Name + ".out"); // used as given
        const auto R = Run({"render", "--game", Folder, "--code", Code, "--frame", "2", "--shadow",
                            "--background", "123456", "--format", Name, "--out", Out});
        ASSERT_EQ(R.Status, 0) << Name << ": " << R.Err;
        EXPECT_EQ(R.Out, "");
        const auto Saved = SavedInProcess(Folder, Code, Type, Scratch.File("own"));
        // A PNG is packed otherwise than the window's, to the same pixels.
        if (Name.ends_with("png"))
            EXPECT_EQ(test::DecodePng(ReadFileBytes(Out), PNG_FORMAT_RGBA).Pixels,
                      test::DecodePng(Saved, PNG_FORMAT_RGBA).Pixels);
        else
            EXPECT_EQ(ReadFileBytes(Out), Saved) << Name;
    }
    const std::string Hashed = Scratch.File("hashed.bmp"); // the colour as colour pickers write it
    ASSERT_EQ(Run({"render", "--game", Folder, "--code", Code, "--frame", "2", "--shadow",
                   "--background", "#123456", "--format", "bmp", "--out", Hashed})
                  .Status,
              0);
    EXPECT_EQ(ReadFileBytes(Hashed),
              SavedInProcess(Folder, Code, TImageFileType::Bitmap, Scratch.File("own")));
}

TEST_F(PeltoCli, RendersACharacterByNumberOnWhite) {
    const std::string Out = Scratch.File("x.png");
    const auto R = Run({"render", "--game", WriteGame(), "--chara", "0", "--direction", "4",
                        "--motion", "0", "--format", "png", "--out", Out});
    ASSERT_EQ(R.Status, 0) << R.Err;
    const auto Png = test::DecodePng(ReadFileBytes(Out), PNG_FORMAT_RGB);
    EXPECT_EQ(Png.Pixels[0], 255); // white background
    const std::size_t Body = 3 * (40 * 128 + 20);
    EXPECT_NE(Png.Pixels[Body], 255);
}

TEST_F(PeltoCli, ReportsAFailedWriteWithTheFileName) {
    const std::string Out = Scratch.File("no/such/folder/x.png");
    const auto R =
        Run({"render", "--game", WriteGame(), "--chara", "0", "--format", "png", "--out", Out});
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Err.find(Out), std::string::npos) << R.Err;

    // Not the library's "filesystem error: cannot create directories: ...".
    const std::string File = Scratch.Write("a-file", std::string("x"));
    const auto Demo = Run({"demo", "--out", File + "/demo"});
    EXPECT_EQ(Demo.Status, 1);
    EXPECT_EQ(Demo.Err, "pelto-cli: Cannot create folder \"" + File + "/demo\": Not a directory\n");
}

TEST_F(PeltoCli, AnswersHelpAndVersionOnStandardOutput) {
    for (const std::string Help : {"--help", "-h"}) {
        const auto R = Run({Help});
        EXPECT_EQ(R.Status, 0);
        EXPECT_EQ(R.Err, "");
        EXPECT_EQ(R.Out.rfind("usage: pelto-cli", 0), 0u) << R.Out;
        for (const std::string Command :
             {"info", "items", "sprites", "list", "code", "render", "demo", "game-folder"})
            EXPECT_NE(R.Out.find("\n  " + Command + " "), std::string::npos) << Command;
    }
    // A command's own usage, also when asked for among its options or before a stray word.
    const std::string Folder = WriteGame();
    for (const std::vector<std::string>& Args : std::vector<std::vector<std::string>>{
             {"render", "--help"}, {"render", "--game", Folder, "-h"}, {"render", "x", "--help"}}) {
        const auto R = Run(Args);
        EXPECT_EQ(R.Status, 0) << ::testing::PrintToString(Args);
        EXPECT_EQ(R.Err, "");
        EXPECT_EQ(R.Out.rfind("usage: pelto-cli render --game DIR", 0), 0u) << R.Out;
        EXPECT_NE(R.Out.find("--frame F"), std::string::npos);
        EXPECT_EQ(R.Out.find("game-folder"), std::string::npos); // not the whole usage
    }
    // The value of an option is a value, whatever it spells.
    const auto Code = Run({"render", "--game", Folder, "--code", "--help", "--format", "png",
                           "--out", Scratch.File("x.png")});
    EXPECT_EQ(Code.Status, 1);
    EXPECT_EQ(Code.Err, "pelto-cli: Invalid code error.\n");

    const auto Version = Run({"--version"});
    EXPECT_EQ(Version.Status, 0);
    EXPECT_EQ(Version.Out, "pelto-cli " + std::string(ProgramVersion) + "\n");
    EXPECT_EQ(Version.Err, "");
}

TEST_F(PeltoCli, RefusesAFrameOutsideTheActionAndGivesItsRange) {
    const std::string Folder = WriteGame(); // action 12 has 3 frames, action 8 one, the others 2
    const std::string Out = Scratch.File("x.png");
    const auto Render = [&](const std::vector<std::string>& Pose) {
        std::vector<std::string> Args{"render", "--game", Folder, "--format", "png", "--out", Out};
        Args.insert(Args.end(), Pose.begin(), Pose.end());
        return Run(Args);
    };
    const std::string Try = "\nTry 'pelto-cli render --help'.\n";
    for (const std::string Frame : {"0", "4", "x"}) {
        const auto R = Render({"--chara", "0", "--frame", Frame});
        EXPECT_EQ(R.Status, 2);
        EXPECT_EQ(R.Err,
                  "pelto-cli: --frame must be from 1 to 3 for motion 0 facing direction 4" + Try);
    }
    EXPECT_EQ(Render({"--chara", "0", "--direction", "0", "--frame", "2"}).Err,
              "pelto-cli: --frame must be from 1 to 1 for motion 0 facing direction 0" + Try);
    EXPECT_EQ(Render({"--chara", "0", "--motion", "2", "--direction", "5", "--frame", "3"}).Err,
              "pelto-cli: --frame must be from 1 to 2 for motion 2 facing direction 5" + Try);
    // Nina's body sprite is missing from this game.
    EXPECT_EQ(Render({"--chara", "1", "--frame", "1"}).Err,
              "pelto-cli: --frame cannot be given: motion 0 facing direction 4 has no frames" +
                  Try);
    EXPECT_FALSE(std::filesystem::exists(Out));

    EXPECT_EQ(Render({"--chara", "0", "--frame", "3"}).Status, 0);
    EXPECT_EQ(Render({"--chara", "1"}).Status, 0);
}

namespace {

std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> Result;
    std::istringstream Stream(Text);
    for (std::string Line; std::getline(Stream, Line);)
        Result.push_back(Line);
    return Result;
}

} // namespace

TEST_F(PeltoCli, DescribesTheCharactersAndTheFramesOfTheirPoses) {
    const std::string Folder = WriteGame();
    auto R = Run({"info", "--game", Folder});
    ASSERT_EQ(R.Status, 0) << R.Err;
    auto Text = Lines(R.Out);
    ASSERT_EQ(Text.size(), 15u);
    EXPECT_EQ(Text[0], "0: Rocco, body group 0");
    EXPECT_EQ(Text[6], "6: Kurogane Juzo, body group 2");
    EXPECT_EQ(Text[14], "14: Karin Liebtrud, body group 3");

    R = Run({"info", "--game", Folder, "--json"});
    ASSERT_EQ(R.Status, 0) << R.Err;
    Text = Lines(R.Out);
    ASSERT_EQ(Text.size(), 17u);
    EXPECT_EQ(Text[0], "[");
    EXPECT_EQ(Text[1], "{\"index\":0,\"name\":\"Rocco\",\"body_group\":0},");
    EXPECT_EQ(Text[15], "{\"index\":14,\"name\":\"Karin Liebtrud\",\"body_group\":3}");
    EXPECT_EQ(Text[16], "]");

    // ACTION:FRAMES for directions 0..7, the frames counted in Rocco's body sprite.
    R = Run({"info", "--game", Folder, "--chara", "0"});
    ASSERT_EQ(R.Status, 0) << R.Err;
    Text = Lines(R.Out);
    ASSERT_EQ(Text.size(), 20u);
    EXPECT_EQ(Text[0], "0: Rocco, body group 0");
    EXPECT_EQ(Text[1], "motion  0:  8:1  9:2 10:2 11:2 12:3 13:2 14:2 15:2");
    EXPECT_EQ(Text[3], "motion  2: 16:2 16:2 16:2 16:2 17:2 17:2 17:2 17:2");
    EXPECT_EQ(Text[19], "motion 18: 66:2 67:2 68:2 69:2 70:2 71:2 72:2 73:2");
    // Nina shares no sprite with Rocco, and this game lacks hers.
    EXPECT_EQ(Lines(Run({"info", "--game", Folder, "--chara", "1"}).Out)[1],
              "motion  0:  8:0  9:0 10:0 11:0 12:0 13:0 14:0 15:0");

    R = Run({"info", "--game", Folder, "--chara", "0", "--json"});
    ASSERT_EQ(R.Status, 0) << R.Err;
    Text = Lines(R.Out);
    ASSERT_EQ(Text.size(), 21u);
    EXPECT_EQ(Text[0], "{\"index\":0,\"name\":\"Rocco\",\"body_group\":0,\"motions\":[");
    EXPECT_EQ(Text[1], "{\"motion\":0,\"directions\":[{\"direction\":0,\"action\":8,\"frames\":1},"
                       "{\"direction\":1,\"action\":9,\"frames\":2},"
                       "{\"direction\":2,\"action\":10,\"frames\":2},"
                       "{\"direction\":3,\"action\":11,\"frames\":2},"
                       "{\"direction\":4,\"action\":12,\"frames\":3},"
                       "{\"direction\":5,\"action\":13,\"frames\":2},"
                       "{\"direction\":6,\"action\":14,\"frames\":2},"
                       "{\"direction\":7,\"action\":15,\"frames\":2}]},");
    EXPECT_EQ(Text[19].rfind("{\"motion\":18,", 0), 0u);
    EXPECT_EQ(Text[19].back(), '}');
    EXPECT_EQ(Text[20], "]}");
}

TEST_F(PeltoCli, ReadsAndSetsTheGameFolderOfASettingsFile) {
    const std::string Folder = WriteGame();
    // The key spelt as another writer spelt it, and keys that are not ours to lose.
    const std::string Kept = "shadow=1\n\n[Save1]\nname=x\n";
    const std::string Settings = Scratch.Write("pelto.ini", "[pelto]\nWloPath=old\n" + Kept);
    auto R = Run({"game-folder", "--settings", Settings, "--set", Folder});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, Folder + "\n");
    EXPECT_EQ(ReadText(Settings), "[pelto]\nWloPath=" + Folder + "\n" + Kept);
    EXPECT_EQ(Run({"game-folder", "--settings", Settings}).Out, Folder + "\n");

    R = Run({"game-folder", "--settings", Settings, "--set", Scratch.Path()});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Out, "");
    EXPECT_EQ(ReadText(Settings), "[pelto]\nWloPath=" + Folder + "\n" + Kept);

    const std::string Missing = Scratch.File("missing.ini");
    R = Run({"game-folder", "--settings", Missing});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Err, "pelto-cli: Settings file not found: " + Missing + "\n");
}

TEST_F(PeltoCli, UsesTheSettingsFileOfTheViewerBesideIt) {
    const std::string Folder = WriteGame();
    // A copy of the program, so that the file beside it is this test's own.
    const std::string Cli = Scratch.Make("bin/pelto-cli");
    std::filesystem::copy_file(PELTO_CLI_PATH, Cli);
    const std::string Settings =
        Scratch.Write("bin/pelto.ini", "[pelto]\nwlopath=" + Folder + "\n");
    auto R = RunProgram(Cli, {"game-folder"});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, Folder + "\n");

    std::filesystem::remove(Settings);
    R = RunProgram(Cli, {"game-folder", "--set", Folder});
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(ReadText(Settings), "[pelto]\nwlopath=" + Folder + "\n");
}

TEST_F(PeltoCli, AServiceGivenTooLittleMemoryForItsGameDoesNotStart) {
    const auto R =
        Run({"serve", "--game", WriteGame(), "--listen", "127.0.0.1:0", "--memory-mb", "64"});
    EXPECT_NE(R.Status, 0);
    EXPECT_EQ(R.Out, "");
    EXPECT_NE(R.Err.find("--memory-mb 64 is too little for this game: it needs at least 81"),
              std::string::npos)
        << R.Err;
}

// --- code with edits -----------------------------------------------------------------------

TEST_F(PeltoCli, MakesCodesFromEditsAppliedInTheirOrder) {
    const std::string Demo = test::DemoGame();
    // Daniel with a Claymore (3007, a hand item of his group) and position 0 at 9,2,2,
    // given in another order than the one applied.
    const auto Made =
        Run({"code", "--game", Demo, "--color", "0:9,2,2", "--wear", "hand:3007", "--chara", "3"});
    ASSERT_EQ(Made.Status, 0) << Made.Err;
    const std::string Code = Made.Out.substr(0, Made.Out.size() - 1);
    const auto Json = Run({"code", "--game", Demo, Code, "--json"});
    ASSERT_EQ(Json.Status, 0) << Json.Err;
    EXPECT_TRUE(Json.Out.starts_with("{\"chara\": 3, \"name\": \"Daniel\", \"group\": 2,"))
        << Json.Out;
    EXPECT_NE(Json.Out.find("{\"slot\": 3, \"id\": 3007, \"name\": \"Claymore\""),
              std::string::npos);
    EXPECT_NE(Json.Out.find("\"colors\": [9, 2, 2, 4,"), std::string::npos);
    EXPECT_NE(Json.Out.find("\"status\": [\" ATK+22\", \" SPD-5\"]"), std::string::npos);
    EXPECT_NE(Json.Out.find("\"code\": \"" + Code + "\""), std::string::npos);

    // Edits of that code: a strip, the same group, a reset; --json of the edits as of the code.
    const auto Edited =
        Run({"code", "--game", Demo, Code, "--chara", "4", "--strip", "3", "--strip", "1"});
    ASSERT_EQ(Edited.Status, 0) << Edited.Err;
    EXPECT_EQ(Run({"code", "--game", Demo, "--chara", "4"}).Out, Edited.Out);
    const auto Same = Run({"code", "--game", Demo, "--chara", "3", "--wear", "3:3007", "--color",
                           "0:9,2,2", "--json"});
    EXPECT_EQ(Same.Out, Json.Out);
    EXPECT_EQ(Run({"code", "--game", Demo, Code, "--reset-colors", "--color", "0:4,4,4"}).Out,
              Run({"code", "--game", Demo, "--chara", "3", "--wear", "3:3007"}).Out);
}

TEST_F(PeltoCli, RandomOutfitsFollowTheirSeedAndLocks) {
    const std::string Demo = test::DemoGame();
    const std::vector<std::string> Random{"code", "--game", Demo, "--random", "7"};
    const auto First = Run(Random);
    ASSERT_EQ(First.Status, 0) << First.Err;
    EXPECT_EQ(First.Out, "AQA/6wPdB7sLog+JE34XNaC1vrzd\n") << "as the model's pinned seed";
    EXPECT_EQ(Run(Random).Out, First.Out);

    const std::string Code = First.Out.substr(0, First.Out.size() - 1);
    const auto Locked = Run({"code", "--game", Demo, Code, "--random", "8", "--lock",
                             "head,6,color1", "--vary", "items", "--json"});
    ASSERT_EQ(Locked.Status, 0) << Locked.Err;
    const auto Before = Run({"code", "--game", Demo, Code, "--json"}).Out;
    const auto Slot = [](const std::string& Json, int N) {
        const std::size_t At = Json.find("{\"slot\": " + std::to_string(N) + ",");
        return At == std::string::npos ? "" : Json.substr(At, Json.find('}', At) - At);
    };
    EXPECT_EQ(Slot(Locked.Out, 1), Slot(Before, 1));
    EXPECT_EQ(Slot(Locked.Out, 6), Slot(Before, 6));
    const auto Colors = [](const std::string& Json) {
        return Json.substr(Json.find("\"colors\""), 50);
    };
    EXPECT_EQ(Colors(Locked.Out), Colors(Before)) << "--vary items keeps every colour";
}

TEST_F(PeltoCli, RefusesEditsNamingTheOptionAndWhy) {
    const std::string Demo = test::DemoGame();
    auto R = Run({"code", "--game", Demo, "--chara", "1", "--wear", "3:3007"});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Out, "");
    EXPECT_EQ(R.Err, "pelto-cli: --wear 3:3007: Nina cannot wear Claymore [15] in slot 3\n");
    R = Run({"code", "--game", Demo, "--chara", "3", "--wear", "3:99999"});
    EXPECT_EQ(R.Err, "pelto-cli: --wear 3:99999: no item 99999\n");
    R = Run({"code", "--game", Demo, "", "--strip", "2"});
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Err, "pelto-cli: --strip 2: no character is chosen\n");

    // What cannot be read is a usage error.
    for (const std::vector<std::string>& Words : {std::vector<std::string>{"--wear", "3"},
                                                  {"--color", "0:1,2"},
                                                  {"--lock", "1"},
                                                  {"--random", "1", "--vary", "some"},
                                                  {"--chara", "3", "--chara", "4"},
                                                  {"--random", "-1"}}) {
        std::vector<std::string> Args{"code", "--game", Demo};
        Args.insert(Args.end(), Words.begin(), Words.end());
        R = Run(Args);
        EXPECT_EQ(R.Status, 2) << Words[0] << ": " << R.Err;
        EXPECT_NE(R.Err.find("Try 'pelto-cli code --help'."), std::string::npos);
    }
    std::vector<std::string> Seven{"code", "--game", Demo, "--chara", "3"};
    for (int I = 0; I < 7; ++I)
        Seven.insert(Seven.end(), {"--strip", "1"});
    EXPECT_EQ(Run(Seven).Err,
              "pelto-cli: --strip is given more than 6 times\nTry 'pelto-cli code --help'.\n");
}
