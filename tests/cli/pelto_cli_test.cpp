// pelto-cli end to end: the real executable on game folders written by our writers.
#include "model/GameData.h"
#include "model/ImageExport.h"
#include "model/UDraw.h"
#include "platform/ShiftJis.h"
#include "platform/Stream.h"
#include "support/ImageDecoders.h"
#include "support/SpriteFolder.h"
#include "support/TempDir.h"
#include "writers/GroupImageWriter.h"
#include "writers/ItemTableWriter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>

using namespace pelto;
using pelto::test::ReadText;
using pelto::test::TTempDir;

namespace {

struct TCliResult {
    int Status;
    std::string Out;
    std::string Err;
};

std::string ShellQuote(const std::string& S) {
    std::string Quoted = "'";
    for (const char C : S)
        Quoted += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Quoted + "'";
}

class PeltoCli : public ::testing::Test {
protected:
    TCliResult Run(const std::vector<std::string>& Args) const {
        std::string Command = ShellQuote(PELTO_CLI_PATH);
        for (const std::string& Arg : Args)
            Command += " " + ShellQuote(Arg);
        const std::string OutFile = Scratch.Path() + "stdout", ErrFile = Scratch.Path() + "stderr";
        Command += " >" + ShellQuote(OutFile) + " 2>" + ShellQuote(ErrFile) + " </dev/null";
        const int Raw = std::system(Command.c_str());
        return {WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1, ReadText(OutFile), ReadText(ErrFile)};
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
    EXPECT_EQ(R.Err, "Invalid code error.\n");
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
    EXPECT_EQ(R.Err, "アイテムデータバージョンが一致しません\n");
}

TEST_F(PeltoCli, AnswersUsageErrorsWithStatusTwo) {
    const std::string Folder = WriteGame();
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
             {"demo", "--out", Folder + "demo", "--scale", "huge"}}) {
        const auto R = Run(Args);
        EXPECT_EQ(R.Status, 2) << ::testing::PrintToString(Args);
        EXPECT_EQ(R.Out, "");
        EXPECT_NE(R.Err.find("usage: pelto-cli"), std::string::npos);
    }
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
        EXPECT_EQ(ReadFileBytes(Out), SavedInProcess(Folder, Code, Type, Scratch.File("own")))
            << Name;
    }
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
}
