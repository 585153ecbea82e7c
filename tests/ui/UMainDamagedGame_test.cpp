// The window on game folders with one damaged file: every damage is reported or passed over and
// the window goes on working; only a damaged item table ends the program, by design.
#include "ui/UMain.h"

#include "controls/EquipListBox.h"
#include "controls/PopupPanel.h"
#include "controls/SimpleBtn.h"
#include "model/DressingSession.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace pelto;
using namespace pelto::test;
namespace fs = std::filesystem;

namespace {

enum class TDamage { Empty, Stub, Halved, EnormousCounts, Garbage, Folder };

constexpr TDamage Damages[] = {TDamage::Empty,          TDamage::Stub,    TDamage::Halved,
                               TDamage::EnormousCounts, TDamage::Garbage, TDamage::Folder};

constexpr const char* DamagedFiles[] = {
    "data/Item.Dat",
    "pic/item.BMg",
    "jma/chara01.jma",
    "jma/chara01.jxa",
    "jma/head01.jma",
    "jma/head02.jxa",
    "jma/item02.jma",
    "jma/item02.jxa",
    "menu/Skins/default/btn_m_Play.bmp",
    "menu/Skins/default/Icon_Part_1.bmp",
};

std::string DamageName(TDamage Damage) {
    switch (Damage) {
    case TDamage::Empty:
        return "Empty";
    case TDamage::Stub:
        return "Stub";
    case TDamage::Halved:
        return "Halved";
    case TDamage::EnormousCounts:
        return "EnormousCounts";
    case TDamage::Garbage:
        return "Garbage";
    case TDamage::Folder:
        return "Folder";
    }
    return "";
}

void WriteBytes(const std::string& File, const std::vector<std::uint8_t>& Bytes) {
    std::ofstream(File, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()),
               static_cast<std::streamsize>(Bytes.size()));
}

// Replaces the game's file (a link to the demo's) by a damaged copy.
void Damage(const std::string& File, TDamage How) {
    std::vector<std::uint8_t> Bytes = ReadFileBytes(File);
    fs::remove(File);
    switch (How) {
    case TDamage::Empty:
        Bytes.clear();
        break;
    case TDamage::Stub:
        Bytes.resize(std::min<std::size_t>(Bytes.size(), 10));
        break;
    case TDamage::Halved:
        Bytes.resize(Bytes.size() / 2);
        break;
    case TDamage::EnormousCounts:
        // No format here has a signature: all ones makes every count and size in the header
        // as large as its field allows.
        std::fill_n(Bytes.begin(), std::min<std::size_t>(Bytes.size(), 64), 0xFF);
        break;
    case TDamage::Garbage: {
        std::mt19937 Random(7);
        for (std::uint8_t& Byte : Bytes)
            Byte = static_cast<std::uint8_t>(Random());
        break;
    }
    case TDamage::Folder:
        fs::create_directory(File);
        return;
    }
    WriteBytes(File, Bytes);
}

// The messages the readers raise; "Cannot open" only for the game's own files.
bool IsMissingSprite(const std::string& Message) {
    return Message.starts_with("Sprite not found: ");
}

// The warning at start that characters lack sprites.
bool IsIncompleteGame(const std::string& Message) {
    return Message.starts_with("These characters lack sprites and are drawn without them: ") &&
           Message.ends_with("\nThe game's installation may be incomplete.");
}

// One of the readers' own messages, naming the damaged file (a sprite archive or its animation
// index, which go together) in its own words or on a second line.
bool IsOwnMessage(const std::string& Message, const std::string& Damaged) {
    const std::string Stem = Damaged.substr(0, Damaged.find_last_of('.'));
    // A character whose sprites were in a damaged archive is drawn without them, and says so.
    if (IsMissingSprite(Message) || IsIncompleteGame(Message))
        return Damaged.ends_with(".jma");
    if (Message.starts_with("Cannot open file \"" + Stem))
        return true;
    const std::size_t Break = Message.find('\n');
    if (Break == std::string::npos || !Message.substr(Break + 1).starts_with(Stem))
        return false;
    const std::string First = Message.substr(0, Break);
    // Where a read ended, when the error knows, on a third line.
    if (const std::size_t Third = Message.find('\n', Break + 1); Third != std::string::npos)
        return First == "Stream read error" && Message.substr(Third + 1).starts_with("read of ") &&
               Message.find(" at offset ", Third) != std::string::npos;
    return First == "Stream read error" ||
           First.starts_with("JMAファイルの読み取りに失敗した可能性があります (") ||
           First.starts_with("必要なファイルが存在しません (");
}

// A linked copy of the demo game for one test to damage, and the window opened on it; the
// messages the window shows are collected.
class TDamagedCopy {
protected:
    TDamagedCopy() {
        test::LinkTree(test::DemoGame(), Game);
        SetMessageSink([this](const QString& Text) { Messages.push_back(Text.toStdString()); });
    }
    ~TDamagedCopy() { SetMessageSink({}); }

    std::unique_ptr<TfrmPelto> Open() {
        std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << Game << "\n";
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("pelto.ini");
        Options.FolderPrompt = [this](std::string&, const std::string&) {
            ++Prompts;
            return false;
        };
        return std::make_unique<TfrmPelto>(Options);
    }

    test::TTempDir Dir;
    const std::string Game = Dir.Path() + "game/";
    std::vector<std::string> Messages;
    int Prompts = 0;
};

class DamagedGame : public ::testing::TestWithParam<std::tuple<const char*, TDamage>>,
                    protected TDamagedCopy {
protected:
    void SetUp() override { Damage(Game + std::get<0>(GetParam()), std::get<1>(GetParam())); }
};

} // namespace

TEST_P(DamagedGame, IsReportedOrPassedOverAndTheWindowGoesOn) {
    const std::string File = std::get<0>(GetParam());
    auto Window = Open();
    if (std::get<1>(GetParam()) == TDamage::Folder && File == "data/Item.Dat") {
        // Without the item table the folder is no game folder: the user is asked for another.
        EXPECT_TRUE(Window->StartupFailed());
        EXPECT_TRUE(Window->NoGameFolderChosen()); // said on standard error, not in a box
        EXPECT_EQ(Prompts, 1);
        EXPECT_TRUE(Messages.empty());
        return;
    }
    if (Window->StartupFailed()) {
        EXPECT_FALSE(Window->NoGameFolderChosen()); // a message box said why
        EXPECT_EQ(File, "data/Item.Dat");
        EXPECT_EQ(Messages, std::vector<std::string>{"File read error\n" + Game + File});
        return;
    }
    // Every character, dressed in the first item of every slot, stepped through its frames.
    int Commands = 0;
    for (int Chara = 0; Chara < 15; ++Chara) {
        test::RunCommand([&] { test::ChooseChara(*Window, Chara); });
        ++Commands;
        for (int Slot = 1; Slot <= 6; ++Slot)
            test::WithPicker(*Window, Slot, [&] {
                if (EquipListBox(*Window)->Count() > 1) {
                    test::ClickCell(*Window, 1);
                    ++Commands;
                }
            });
        for (int Step = 0; Step < 3; ++Step)
            QTest::mouseClick(NextButton(*Window), Qt::LeftButton);
    }
    for (const std::string& Message : Messages)
        EXPECT_TRUE(IsOwnMessage(Message, Game + File)) << Message;
    // At most one message a command: none comes back with every repaint. At start, the damage
    // and what it leaves the characters without.
    EXPECT_LE(static_cast<int>(Messages.size()), Commands + 2);
    if (File.starts_with("menu/")) {
        EXPECT_TRUE(Messages.empty()) << "skin pictures are optional";
    }
    if (File.starts_with("pic/")) {
        EXPECT_LE(Messages.size(), 1u) << "icons are read at start-up, then shown or not";
    }
    // A change either happens whole or not at all, and the boxes show the state kept.
    for (int Chara = 0; Chara < 15; ++Chara) {
        const std::string Before = Window->Session().Code();
        const std::size_t Reported = Messages.size();
        test::RunCommand([&] { test::ChooseChara(*Window, Chara); });
        if (Messages.size() == Reported || IsMissingSprite(Messages.back()))
            EXPECT_EQ(Window->Session().CharaIndex(), Chara);
        else
            EXPECT_EQ(Window->Session().Code(), Before);
        EXPECT_EQ(CharaBox(*Window)->currentIndex(), Window->Session().CharaIndex());
        EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Window->Session().Code());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFile, DamagedGame,
                         ::testing::Combine(::testing::ValuesIn(DamagedFiles),
                                            ::testing::ValuesIn(Damages)),
                         [](const auto& Info) {
                             std::string Name = std::get<0>(Info.param);
                             for (char& C : Name)
                                 if (!std::isalnum(static_cast<unsigned char>(C)))
                                     C = '_';
                             return Name + "_" + DamageName(std::get<1>(Info.param));
                         });

class DamagedGameFolders : public ::testing::Test, protected TDamagedCopy {};

TEST_F(DamagedGameFolders, ADamagedArchiveIsNamedOnceAtStartAndTheOthersServe) {
    Damage(Game + "jma/chara01.jma", TDamage::EnormousCounts); // the bodies of groups 0 and 1
    auto Window = Open();
    ASSERT_FALSE(Window->StartupFailed());
    ASSERT_EQ(Messages.size(), 2u);
    EXPECT_NE(Messages[0].find("\n" + Game + "jma/chara01.jma"), std::string::npos) << Messages[0];
    EXPECT_EQ(Messages[1], "These characters lack sprites and are drawn without them: Rocco, "
                           "Nina, Betty.\nThe game's installation may be incomplete.");
    // Archives listed after the damaged one still serve: Iris's body is in chara02.
    test::RunCommand([&] { test::ChooseChara(*Window, 7); });
    EXPECT_EQ(Window->Session().CharaIndex(), 7);
    EXPECT_EQ(Messages.size(), 2u);
}

TEST_F(DamagedGameFolders, ACharacterWithoutItsSpritesIsChosenAndTheMissingOnesNamedOnce) {
    fs::remove(Game + "jma/head02.jma"); // the heads of group 3
    auto Window = Open();
    ASSERT_FALSE(Window->StartupFailed());
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_TRUE(IsIncompleteGame(Messages[0])) << Messages[0];
    test::RunCommand([&] { test::ChooseChara(*Window, 7); });
    EXPECT_EQ(Window->Session().CharaIndex(), 7);
    EXPECT_EQ(Messages.back(), "Sprite not found: 5100.jmp");
    for (int Frame = 0; Frame < 3; ++Frame)
        QTest::mouseClick(NextButton(*Window), Qt::LeftButton);
    test::RunCommand([&] { test::ChooseChara(*Window, 0); });
    EXPECT_EQ(Messages.size(), 2u);
}

TEST_F(DamagedGameFolders, AMissingCharacterArchiveIsWarnedOfOnceAtStartNamingTheCharacters) {
    fs::remove(Game + "jma/chara02.jma"); // the bodies of groups 2 and 3
    auto Window = Open();
    ASSERT_FALSE(Window->StartupFailed());
    EXPECT_EQ(Messages, std::vector<std::string>{
                            "These characters lack sprites and are drawn without them: Daniel, "
                            "Sid, More, Kurogane Juzo, Iris, Lique, Vanessa, Breillat, Jessica, "
                            "Konnotsuruko, Maria, Karin Liebtrud.\nThe game's installation may "
                            "be incomplete."});
    // The program goes on: the characters that have their sprites are drawn whole.
    test::RunCommand([&] { test::ChooseChara(*Window, 1); });
    EXPECT_EQ(Window->Session().CharaIndex(), 1);
    EXPECT_TRUE(Window->Session().MissingSprites().empty());
    EXPECT_EQ(Messages.size(), 1u);
}

TEST_F(DamagedGameFolders, AFileWhereTheSkinFolderShouldBeIsPassedOver) {
    fs::remove_all(Game + "menu/Skins/default");
    std::ofstream(Game + "menu/Skins/default") << "not a folder";
    auto Window = Open();
    EXPECT_FALSE(Window->StartupFailed());
    test::RunCommand([&] { test::ChooseChara(*Window, 3); });
    EXPECT_EQ(Window->Session().CharaIndex(), 3);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(DamagedGameFolders, AFileWhereTheSpriteFolderShouldBeMakesTheUserPickTheGame) {
    fs::remove_all(Game + "jma");
    std::ofstream(Game + "jma") << "not a folder";
    auto Window = Open();
    EXPECT_TRUE(Window->StartupFailed());
    EXPECT_EQ(Prompts, 1);
}
