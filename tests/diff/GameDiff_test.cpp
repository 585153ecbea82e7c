// The comparison of two installations written by our writers, differing in known ways.
#include "diff/GameDiff.h"

#include "game/wloutils.h"
#include "model/CharaCode.h"
#include "model/GameData.h"
#include "model/Settings.h"
#include "model/UDraw.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "sprites/SpriteFiles.h"
#include "sprites/wlojmajmp.h"
#include "support/DiffGames.h"
#include "support/SpriteFolder.h"
#include "support/TempDir.h"
#include "writers/JmaWriter.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pelto;
using namespace pelto::test::diff_items;
using pelto::test::TTempDir;

namespace {

class GameDiff : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Folder = new TTempDir;
        test::WriteDiffGames(Folder->Path());
        Old = OpenGameForDiff(Folder->Path() + "old/", false).release();
        New = OpenGameForDiff(Folder->Path() + "new/", false).release();
    }
    static void TearDownTestSuite() {
        delete Old;
        delete New;
        delete Folder;
    }

    static std::vector<std::uint16_t> Ids(const std::vector<TDiffItem>& Items) {
        std::vector<std::uint16_t> Out;
        for (const TDiffItem& Item : Items)
            Out.push_back(Item.Id);
        return Out;
    }

    static TNamedDesign Rocco(std::string Label, int Slot, std::uint16_t Id) {
        TCharaDesign Design;
        Design.Chara = 0;
        Design.Parts[static_cast<std::size_t>(Slot - 1)] = Id;
        return {std::move(Label), EncodeCharaCode(Design), Design};
    }

    static inline TTempDir* Folder = nullptr;
    static inline TGameData* Old = nullptr;
    static inline TGameData* New = nullptr;
};

TEST_F(GameDiff, FindsExactlyTheItemsAddedRemovedAndChangedFieldByField) {
    const TGameDiff Diff = CompareGames(*Old, *New);
    EXPECT_EQ(Ids(Diff.Added), (std::vector<std::uint16_t>{Wand, Potion}));
    EXPECT_EQ(Diff.Added[0].Name, test::HostileName);
    EXPECT_EQ(Ids(Diff.Removed), (std::vector<std::uint16_t>{Ring, Gem}));
    // A repeated identifier's records are told apart by their order among its records.
    ASSERT_EQ(Diff.Added.size(), 2u);
    EXPECT_EQ(Diff.Added[1].Occurrence, 2);
    ASSERT_EQ(Diff.Removed.size(), 2u);
    EXPECT_EQ(Diff.Removed[1].Occurrence, 1);
    ASSERT_EQ(Diff.Changed.size(), 4u);
    EXPECT_EQ(Diff.Changed[3].Id, Potion);
    EXPECT_EQ(Diff.Changed[3].Occurrence, 1);
    ASSERT_EQ(Diff.Changed[3].Fields.size(), 1u);
    EXPECT_EQ(Diff.Changed[3].Fields[0].New, "\"Hi-Potion\"");
    const auto Field = [&](std::size_t I) {
        return Diff.Changed[I].Fields;
    };
    EXPECT_EQ(Diff.Changed[0].Id, Hat);
    ASSERT_EQ(Field(0).size(), 1u);
    EXPECT_EQ(Field(0)[0].Field, "name");
    EXPECT_EQ(Field(0)[0].Old, "\"Hat\"");
    EXPECT_EQ(Field(0)[0].New, "\"Top Hat\"");
    EXPECT_FALSE(Diff.Changed[0].Redrawn());
    EXPECT_EQ(Diff.Changed[1].Id, Coat);
    ASSERT_EQ(Field(1).size(), 1u);
    EXPECT_EQ(Field(1)[0].Field, "stat_value");
    EXPECT_EQ(Field(1)[0].Old, "[105,100]");
    EXPECT_EQ(Field(1)[0].New, "[107,100]");
    EXPECT_EQ(Diff.Changed[2].Id, Scarf);
    ASSERT_EQ(Field(2).size(), 1u);
    EXPECT_EQ(Field(2)[0].Field, "colors");
    EXPECT_TRUE(Diff.Changed[2].Redrawn());
}

TEST_F(GameDiff, TellsARedrawnSpriteFromOneOnlyRepackedAndNamesTheItemsThatShowIt) {
    const TGameDiff Diff = CompareGames(*Old, *New);
    EXPECT_EQ(Diff.Sprites.Changed, std::vector<std::string>{"1501.jmp"});
    EXPECT_TRUE(Diff.Sprites.Added.empty());
    EXPECT_TRUE(Diff.Sprites.Removed.empty());
    ASSERT_EQ(Diff.Looks.size(), 1u);
    EXPECT_EQ(Diff.Looks[0].Id, Boots);
    EXPECT_EQ(Diff.Looks[0].Groups, std::vector<int>{0});
    EXPECT_EQ(Diff.Looks[0].Sprites, std::vector<std::string>{"1501.jmp"});
}

TEST_F(GameDiff, CountsAMoveAmongTheListsItemsButNotAShiftFromARemoval) {
    const TGameDiff Diff = CompareGames(*Old, *New);
    ASSERT_EQ(Diff.Moves.size(), 1u);
    const TListMove& Move = Diff.Moves[0];
    EXPECT_EQ(Move.Group, 0);
    EXPECT_EQ(Move.Slot, 3);
    EXPECT_EQ(Move.Id, Mitt);
    EXPECT_EQ(Move.From, 3);
    EXPECT_EQ(Move.To, 1);
}

TEST_F(GameDiff, FindsNothingBetweenAnInstallationAndItself) {
    const TGameDiff Diff = CompareGames(*Old, *Old);
    EXPECT_TRUE(Diff.Added.empty() && Diff.Removed.empty() && Diff.Changed.empty());
    EXPECT_TRUE(Diff.Looks.empty() && Diff.Moves.empty() && Diff.Sprites.Changed.empty());
}

TEST_F(GameDiff, ListsTheCodesTheChangeTouchesAndWhetherTheirPictureChanges) {
    const TGameDiff Diff = CompareGames(*Old, *New);
    const std::vector<TNamedDesign> Designs{Rocco("cap", 1, Cap), Rocco("hat", 1, Hat),
                                            Rocco("boots", 5, Boots), Rocco("ring", 3, Ring),
                                            Rocco("scarf", 2, Scarf)};
    const auto Touched = TouchedDesigns(Diff, *Old, *New, Designs);
    ASSERT_EQ(Touched.size(), 4u);
    EXPECT_EQ(Touched[0].Label, "hat");
    EXPECT_EQ(Touched[0].Parts.at(0).How, "changed name");
    EXPECT_FALSE(Touched[0].PictureChanges);
    EXPECT_EQ(Touched[1].Label, "boots");
    EXPECT_EQ(Touched[1].Parts.at(0).How, "look redrawn");
    EXPECT_TRUE(Touched[1].PictureChanges);
    EXPECT_EQ(Touched[2].Label, "ring");
    EXPECT_EQ(Touched[2].Parts.at(0).How, "removed");
    EXPECT_TRUE(Touched[2].PictureChanges);
    EXPECT_EQ(Touched[3].Parts.at(0).How, "changed colors");
    EXPECT_TRUE(Touched[3].PictureChanges);
}

TEST_F(GameDiff, ReadsCodesALineEachAndRefusesOneThatIsNoneNamingItsLine) {
    const std::string Code = Rocco("", 1, Hat).Code;
    const auto Codes = CodesOfText("\n" + Code + "\r\n  \n" + Code + "\n");
    ASSERT_EQ(Codes.size(), 2u);
    EXPECT_EQ(Codes[0].Label, "line 2");
    EXPECT_EQ(Codes[1].Label, "line 4");
    EXPECT_EQ(Codes[1].Design.Parts[0], Hat);
    try {
        CodesOfText(Code + "\nnot a code!\n");
        FAIL() << "no refusal";
    } catch (const EWloError& Error) {
        EXPECT_NE(std::string(Error.what()).find("line 2"), std::string::npos) << Error.what();
    }
}

TEST_F(GameDiff, ReadsTheFavouritesInUseOfASettingsFile) {
    const std::string File = Folder->File("pelto.ini");
    TPeltoSettings Settings;
    TFavoriteItem Favorite;
    static_cast<TCharaDesign&>(Favorite) = Rocco("", 3, Ring).Design;
    Favorite.Used = true;
    Favorite.Name = "Lucky <one>";
    Settings.Favorites[1] = Favorite;
    TIniFile Ini(File);
    SaveSettings(Ini, Settings);
    const auto Favorites = FavoritesOfSettings(File);
    ASSERT_EQ(Favorites.size(), 1u);
    EXPECT_EQ(Favorites[0].Label, "favourite 2 Lucky <one>");
    const auto Touched = TouchedDesigns(CompareGames(*Old, *New), *Old, *New, Favorites);
    ASSERT_EQ(Touched.size(), 1u);
    EXPECT_EQ(Touched[0].Parts.at(0).How, "removed");
    EXPECT_THROW(FavoritesOfSettings(Folder->File("missing.ini")), EWloError);
}

// Sprites compared alone: two sprite folders, each scanned and read whole.
class SpriteDiff : public ::testing::Test {
protected:
    TSpriteDiff Compare(const std::vector<TJmaWriterSprite>& Before,
                        const std::vector<TJmaWriterSprite>& After) {
        WriteJmaFiles(Dir.Make("old/a.jma"), Before);
        WriteJmaFiles(Dir.Make("new/b.jma"), After);
        OldList.Scan(Dir.Path() + "old/", "*.jma");
        NewList.Scan(Dir.Path() + "new/", "*.jma");
        const TSpriteFiles OldFiles(OldList), NewFiles(NewList);
        return CompareSprites(OldList, OldFiles, NewList, NewFiles);
    }
    static TJmaWriterSprite Block(const std::string& Name, std::uint8_t Index = 60) {
        return test::BlockSprite(Name, Index, 10, 10, 5, 7, {1, 2, 1});
    }

    TTempDir Dir;
    TJmaList OldList, NewList;
};

TEST_F(SpriteDiff, SeesNoChangeInWhatIsNeverDrawn) {
    TJmaWriterSprite Padded = Block("0001.jmp");
    for (TJmaWriterFrame& Frame : Padded.Frames)
        Frame.PadByte = 9;
    TJmaWriterSprite UnusedColour = Block("0002.jmp");
    UnusedColour.Palette[200].Red ^= 0xFF;
    UnusedColour.Palette[60].Reserved ^= 0xFF;
    const TSpriteDiff Diff = Compare({Block("0001.jmp"), Block("0002.jmp"), Block("0003.jmp")},
                                     {Block("0003.jmp"), UnusedColour, Padded});
    EXPECT_TRUE(Diff.Changed.empty() && Diff.Added.empty() && Diff.Removed.empty());
}

TEST_F(SpriteDiff, SeesPixelsColoursUsedFramePlacesAndFrameCounts) {
    TJmaWriterSprite Moved = Block("0002.jmp");
    Moved.Frames[1].X += 1;
    TJmaWriterSprite Counts = Block("0003.jmp");
    Counts.FrameCounts.push_back(0);
    Counts.ActionCount = 4;
    std::vector<TJmaWriterSprite> Before{Block("0001.jmp"), Block("0002.jmp"), Block("0003.jmp")};
    std::vector<TJmaWriterSprite> After{Block("0001.jmp", 61), Moved, Counts};
    // A drawn colour changed in one channel alone, each channel in turn.
    for (std::uint8_t TPaletteEntry::*Channel :
         {&TPaletteEntry::Red, &TPaletteEntry::Green, &TPaletteEntry::Blue}) {
        const std::string Name = Format("%04zu.jmp", Before.size() + 1);
        Before.push_back(Block(Name));
        After.push_back(Block(Name));
        After.back().Palette[60].*Channel ^= 0x10;
    }
    const TSpriteDiff Diff = Compare(Before, After);
    EXPECT_EQ(Diff.Changed, (std::vector<std::string>{"0001.jmp", "0002.jmp", "0003.jmp",
                                                      "0004.jmp", "0005.jmp", "0006.jmp"}));
    EXPECT_TRUE(Diff.Redrawn("0003.JMP"));
}

TEST_F(SpriteDiff, ListsSpritesAddedAndRemovedFromTheCatalogue) {
    const TSpriteDiff Diff =
        Compare({Block("0001.jmp"), Block("0002.jmp")}, {Block("0002.jmp"), Block("0009.jmp")});
    EXPECT_EQ(Diff.Removed, std::vector<std::string>{"0001.jmp"});
    EXPECT_EQ(Diff.Added, std::vector<std::string>{"0009.jmp"});
    EXPECT_TRUE(Diff.Touched("0001.jmp") && Diff.Touched("0009.JMP"));
    EXPECT_FALSE(Diff.Touched("0002.jmp") || Diff.Redrawn("0001.jmp"));
}

TEST_F(SpriteDiff, RefusesAChangedSpriteThatCannotBeReadNamingItsArchive) {
    TJmaWriterSprite Short = Block("0001.jmp");
    Short.Frames[0].StoredData = std::vector<std::uint8_t>(3, 60); // fewer bytes than drawn
    try {
        Compare({Block("0001.jmp")}, {Short});
        FAIL() << "no refusal";
    } catch (const EWloError& Error) {
        EXPECT_NE(Error.FileName().find("b.jma"), std::string::npos) << Error.FileName();
    }
}

} // namespace
