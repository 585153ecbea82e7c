#include "model/GameData.h"

#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace pelto;

namespace {

/// A copy of the demo game whose files a test may damage.
class OpeningAGame : public ::testing::Test {
protected:
    void SetUp() override { test::LinkTree(test::DemoGame(), Folder); }

    /// Replaces the game's file Relative with a few bytes no reader takes.
    std::string Damage(const std::string& Relative) {
        const std::string File = Folder + Relative;
        std::filesystem::remove(File);
        WriteFileBytes(File, std::vector<std::uint8_t>{'x', 'y'});
        return File;
    }
    /// The first archive of the sprite folder.
    std::string FirstArchive() const {
        std::vector<std::string> Names;
        for (const auto& Entry : std::filesystem::directory_iterator(Folder + "jma"))
            Names.push_back("jma/" + Entry.path().filename().string());
        std::sort(Names.begin(), Names.end());
        return Names.front();
    }

    /// What OnDamage is told, one line a part: its number and each message's file.
    TGameOpening Reporting() {
        TGameOpening Opening;
        Opening.ItemIcons = true;
        Opening.OnDamage = [this](const TGameDamage& Damage) {
            std::string Line = std::to_string(static_cast<int>(Damage.Part));
            for (const std::exception* Error : Damage.Errors)
                Line += " " + ErrorText(*Error, ": ");
            Told.push_back(Line);
        };
        return Opening;
    }

    test::TTempDir Dir;
    std::string Folder = Dir / "game/";
    std::vector<std::string> Told;
};

} // namespace

TEST_F(OpeningAGame, LoadsWhatItIsAskedFor) {
    const auto Plain = OpenGame(Folder, {});
    EXPECT_GT(Plain->JmaList().Count(), 0);
    ASSERT_NE(Plain->EquipList(), nullptr);
    EXPECT_NE(Plain->ItemSearch(), nullptr);
    EXPECT_EQ(Plain->ItemIcons().GetCount(), 0) << "the biggest file, read only when asked for";
    EXPECT_EQ(Plain->SpriteCache(), nullptr);

    const auto Served = OpenGame(Folder, {.ItemIcons = true, .SpriteCacheBytes = 1 << 20});
    EXPECT_GT(Served->ItemIcons().GetCount(), 0);
    ASSERT_NE(Served->SpriteCache(), nullptr);
    EXPECT_EQ(Served->SpriteCache()->Files(), nullptr) << "sprites read as they are drawn";
    const auto OnDisk = OpenGame(Folder, {.ItemIcons = true, .ItemIconsOnDisk = true});
    EXPECT_TRUE(OnDisk->HeldItemIcons().empty());
    for (const TWLOItemData& Item : Served->Items().Items())
        ASSERT_EQ(OnDisk->ItemIconBmp(Item), Served->ItemIconBmp(Item)) << Item.ItemID();
    const auto Snapshot = OpenGame(Folder, {.SpriteCacheBytes = 1 << 20, .SnapshotSprites = true});
    ASSERT_NE(Snapshot->SpriteCache(), nullptr);
    EXPECT_NE(Snapshot->SpriteCache()->Files(), nullptr) << "every archive read at the start";

    const auto Items = OpenGame(Folder, {.Sprites = false});
    EXPECT_EQ(Items->JmaList().Count(), 0);
    EXPECT_NE(Items->EquipList(), nullptr);
    const auto Sprites = OpenGame(Folder, {.ItemTable = false});
    EXPECT_EQ(Sprites->EquipList(), nullptr);
    EXPECT_EQ(Sprites->JmaList().Count(), Plain->JmaList().Count());
}

TEST_F(OpeningAGame, RefusesTheFirstDamagedFileNamingIt) {
    const std::string Archive = Damage(FirstArchive());
    try {
        OpenGame(Folder, {.Sprites = true});
        ADD_FAILURE() << "a damaged archive was taken";
    } catch (const EWloError& Error) {
        EXPECT_EQ(Error.FileName(), Archive);
    }
    EXPECT_NO_THROW(OpenGame(Folder, {.Sprites = false})) << "no sprite was asked for";

    Damage("data/Item.Dat");
    EXPECT_THROW(OpenGame(Folder, {.Sprites = false}), EWloError);
}

TEST_F(OpeningAGame, ReportsEachDamagedPartOnceAndLoadsTheRest) {
    const std::string Archive = Damage(FirstArchive());
    const std::string Icons = Damage("pic/item.BMg");
    const auto Game = OpenGame(Folder, Reporting());
    ASSERT_NE(Game, nullptr);
    ASSERT_EQ(Told.size(), 2u);
    EXPECT_EQ(Told[0].rfind(std::to_string(static_cast<int>(TGamePart::Archives)) + " ", 0), 0u);
    EXPECT_NE(Told[0].find(Archive), std::string::npos) << Told[0];
    EXPECT_EQ(Told[1].rfind(std::to_string(static_cast<int>(TGamePart::ItemIcons)) + " ", 0), 0u);
    EXPECT_NE(Told[1].find(Icons), std::string::npos) << Told[1];
    EXPECT_GT(Game->JmaList().Count(), 0) << "the other archives serve";
    EXPECT_NE(Game->EquipList(), nullptr);
}

TEST_F(OpeningAGame, AnUnreadableItemTableEndsAReportedOpeningWithoutAGame) {
    Damage("data/Item.Dat");
    EXPECT_EQ(OpenGame(Folder, Reporting()), nullptr);
    ASSERT_EQ(Told.size(), 1u);
    EXPECT_EQ(Told[0].rfind(std::to_string(static_cast<int>(TGamePart::ItemTable)) + " ", 0), 0u);
}

TEST_F(OpeningAGame, OnDemandFindsEveryItemAndSpriteTheFullOpeningDoes) {
    const auto Full = OpenGame(Folder, {});
    const auto Lazy = OpenGame(Folder, {.OnDemand = true});
    ASSERT_NE(Lazy->EquipList(), nullptr);
    EXPECT_EQ(Lazy->ItemSearch(), nullptr);
    EXPECT_EQ(Lazy->JmaList().Count(), 0) << "no archive read before a lookup";
    int Compared = 0;
    for (int Group = 0; Group < BodyGroupCount; ++Group)
        for (int Slot = 1; Slot <= SlotCount; ++Slot) {
            EXPECT_EQ(Lazy->EquipList()->GetList(Group, Slot).size(), 1u) << "lists none";
            for (const TEquipEntry& Entry : Full->EquipList()->GetList(Group, Slot)) {
                if (!Entry.Item)
                    continue;
                const std::uint16_t Id = Entry.Item->ItemID();
                const TWLOItemData* Found = Lazy->EquipList()->FindItem(Group, Slot, Id);
                ASSERT_NE(Found, nullptr) << Group << " " << Slot << " " << Id;
                EXPECT_EQ(Found->Bytes, Full->EquipList()->FindItem(Group, Slot, Id)->Bytes);
                ++Compared;
            }
            EXPECT_EQ(Lazy->EquipList()->FindItem(Group, Slot, 0), nullptr);
        }
    EXPECT_GT(Compared, 20);
    EXPECT_EQ(Lazy->CharasMissingSprites(), Full->CharasMissingSprites());
    for (int Chara = 0; Chara < static_cast<int>(CharaData.size()); ++Chara)
        EXPECT_EQ(Lazy->JmaList().GetJmaPath(JmpFileName(BodySpriteNo(Chara))),
                  Full->JmaList().GetJmaPath(JmpFileName(BodySpriteNo(Chara))));
}

TEST_F(OpeningAGame, OnDemandRefusesADamagedFileWhenItIsReached) {
    const std::string Archive = Damage(FirstArchive());
    const auto Game = OpenGame(Folder, {.OnDemand = true});
    try {
        Game->JmaList().GetJmaPath(JmpFileName(BodySpriteNo(0)));
        ADD_FAILURE() << "a damaged archive was passed over";
    } catch (const EWloError& Error) {
        EXPECT_EQ(Error.FileName(), Archive);
    }
    const std::string Table = Damage("data/Item.Dat");
    try {
        OpenGame(Folder, {.OnDemand = true});
        ADD_FAILURE() << "a damaged item table was taken";
    } catch (const EWloError& Error) {
        EXPECT_EQ(Error.FileName(), Table);
    }
    EXPECT_EQ(OpenGame(Folder,
                       [&] {
                           TGameOpening Opening = Reporting();
                           Opening.OnDemand = true;
                           return Opening;
                       }()),
              nullptr);
}
