#include "model/Settings.h"

#include "model/Favorites.h"

#include "platform/IniFile.h"
#include "platform/Stream.h"
#include "support/Environment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

using namespace pelto;
using pelto::test::ReadText;
using pelto::test::TEnvironment;
using pelto::test::TTempDir;

namespace {

class Settings : public ::testing::Test {
protected:
    TPeltoSettings Load(const std::string& Text) {
        FDir.Write("pelto.ini", Text);
        TPeltoSettings S;
        LoadSettings(TIniFile(FileName()), S);
        return S;
    }
    std::string Save(const TPeltoSettings& S) {
        TIniFile Ini(FileName());
        SaveSettings(Ini, S);
        return ReadText(FileName());
    }
    std::string FileName() const { return FDir.File("pelto.ini"); }
    TTempDir FDir;
};

TFavoriteItem Favorite(const std::string& Name, int Chara) {
    TFavoriteItem F;
    F.Used = true;
    F.Name = Name;
    F.Chara = Chara;
    return F;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading

TEST_F(Settings, MissingFileGivesTheDefaults) {
    TPeltoSettings S;
    S.X = 100;
    LoadSettings(TIniFile(FDir.File("none.ini")), S);
    EXPECT_EQ(S.WloPath, "");
    EXPECT_EQ(S.X, 100); // the window keeps its own position
    EXPECT_FALSE(S.Y);
    EXPECT_FALSE(S.CloseOnClick);
    EXPECT_FALSE(S.Shadow);
    for (const TFavoriteItem& F : S.Favorites)
        EXPECT_FALSE(F.Used);
}

TEST_F(Settings, ReadsTheWindowSectionWithHexAndIntegerBooleans) {
    const TPeltoSettings S = Load("[pelto]\nwlopath=/games/wlo/\nx=$10\ny=0x20\n"
                                  "closeonclick=0x1\nshadow=yes\n");
    EXPECT_EQ(S.WloPath, "/games/wlo/");
    EXPECT_EQ(S.X, 16);
    EXPECT_EQ(S.Y, 32);
    EXPECT_TRUE(S.CloseOnClick);
    EXPECT_FALSE(S.Shadow);
    EXPECT_FALSE(Load("[pelto]\nx=left\n").X);
}

TEST_F(Settings, APlaceWithOnlyCharaIsInUseWithDefaults) {
    const TPeltoSettings S = Load("[Save3]\nchara=2\n");
    const TFavoriteItem& F = S.Favorites[2];
    EXPECT_TRUE(F.Used);
    EXPECT_EQ(F.Name, "Save3");
    EXPECT_EQ(F.Chara, 2);
    for (std::uint16_t Part : F.Parts)
        EXPECT_EQ(Part, 0);
    for (const auto& Levels : F.Color)
        for (std::uint8_t Level : Levels)
            EXPECT_EQ(Level, 4);
    EXPECT_FALSE(S.Favorites[0].Used);
    EXPECT_FALSE(S.Favorites[3].Used);
}

TEST_F(Settings, KeepsTheLowBitsOfPartsAndColours) {
    const TPeltoSettings S = Load("[Save10]\nname=\nparts1=70000\nparts6=-1\ncolor1_2=300\n"
                                  "color3_0=0x10\ncolor0_0=bad\nchara=x\n");
    const TFavoriteItem& F = S.Favorites[9];
    EXPECT_EQ(F.Name, ""); // empty, not "Save10"
    EXPECT_EQ(F.Chara, -1);
    EXPECT_EQ(F.Parts[0], 4464);
    EXPECT_EQ(F.Parts[5], 65535);
    EXPECT_EQ(F.Color[1][2], 44);
    EXPECT_EQ(F.Color[3][0], 16);
    EXPECT_EQ(F.Color[0][0], 4);
}

TEST_F(Settings, ASectionWithoutKeysIsAnUnusedPlaceThatKeepsItsFields) {
    FDir.Write("pelto.ini", "[Save5]\n\n[Save6]\n; nothing\n");
    TPeltoSettings S;
    S.Favorites[4] = Favorite("kept", 7);
    LoadSettings(TIniFile(FileName()), S);
    EXPECT_FALSE(S.Favorites[4].Used);
    EXPECT_EQ(S.Favorites[4].Name, "kept");
    EXPECT_EQ(S.Favorites[4].Chara, 7);
    EXPECT_FALSE(S.Favorites[5].Used);
}

// ---------------------------------------------------------------------------------------------
// Writing

TEST_F(Settings, WritesEveryKeyOfANewFileInItsOrder) {
    TPeltoSettings S;
    S.WloPath = "/games/wlo/";
    S.X = -8;
    S.Y = 40;
    S.Shadow = true;
    S.Favorites[1] = Favorite("Mine", 3);
    S.Favorites[1].Parts = {1001, 0, 0, 0, 0, 65535};
    S.Favorites[1].Color[2] = {9, 0, 255};
    EXPECT_EQ(Save(S), "[pelto]\nwlopath=/games/wlo/\nx=-8\ny=40\ncloseonclick=0\nshadow=1\n"
                       "[Save2]\nname=Mine\nchara=3\n"
                       "parts1=1001\nparts2=0\nparts3=0\nparts4=0\nparts5=0\nparts6=65535\n"
                       "color0_0=4\ncolor0_1=4\ncolor0_2=4\ncolor1_0=4\ncolor1_1=4\n"
                       "color1_2=4\ncolor2_0=9\ncolor2_1=0\ncolor2_2=255\ncolor3_0=4\n"
                       "color3_1=4\ncolor3_2=4\n");
}

TEST_F(Settings, WritesOnlyUsedPlacesAndLeavesEverythingElseAsItWas) {
    const std::string Before = "; my settings\r\n"
                               "[pelto]\r\n"
                               "shadow = 0\r\n"
                               "wlopath=C:\\Games\\WLO\\\r\n"
                               "extra=kept\r\n"
                               "\r\n"
                               "[Save2]\r\n"
                               "name=unused but present\r\n"
                               "[Save4]\r\n"
                               "chara=1\r\n"
                               "note=foreign key\r\n"
                               "\r\n"
                               "[tools]\r\n"
                               "editor=vi\r\n";
    FDir.Write("pelto.ini", Before);
    TPeltoSettings S;
    S.WloPath = "/games/wlo/";
    S.Favorites[0] = Favorite("One", 0);
    S.Favorites[3] = Favorite("Four", 14);
    const std::string After = Save(S);
    std::string Colors;
    for (int C = 0; C < 4; ++C)
        for (int K = 0; K < 3; ++K)
            Colors += "color" + std::to_string(C) + "_" + std::to_string(K) + "=4\r\n";
    const std::string Parts = "parts1=0\r\nparts2=0\r\nparts3=0\r\nparts4=0\r\nparts5=0\r\n"
                              "parts6=0\r\n";
    EXPECT_EQ(After, "; my settings\r\n"
                     "[pelto]\r\n"
                     "shadow = 0\r\n"
                     "wlopath=/games/wlo/\r\n"
                     "extra=kept\r\n"
                     "closeonclick=0\r\n"
                     "\r\n"
                     "[Save2]\r\n"
                     "name=unused but present\r\n"
                     "[Save4]\r\n"
                     "chara=14\r\n"
                     "note=foreign key\r\n"
                     "name=Four\r\n" +
                         Parts + Colors +
                         "\r\n"
                         "[tools]\r\n"
                         "editor=vi\r\n"
                         "[Save1]\r\n"
                         "name=One\r\n"
                         "chara=0\r\n" +
                         Parts + Colors);
}

TEST_F(Settings, SavesTheGameFolderAloneWhereTheViewerReadsIt) {
    FDir.Write("pelto.ini", "[pelto]\r\nshadow=1\r\nwlopath=/old/\r\n[Save1]\r\nchara=3\r\n");
    TIniFile Ini(FileName());
    SaveGameFolder(Ini, "/games/wlo/");
    EXPECT_EQ(ReadText(FileName()),
              "[pelto]\r\nshadow=1\r\nwlopath=/games/wlo/\r\n[Save1]\r\nchara=3\r\n");
    TPeltoSettings S;
    LoadSettings(TIniFile(FileName()), S);
    EXPECT_EQ(S.WloPath, "/games/wlo/");
    EXPECT_TRUE(S.Shadow);
}

TEST_F(Settings, RoundTripsAndKeepsShiftJisNamesReadable) {
    FDir.Write("pelto.ini", "[Save7]\nname=\x83\x65\x83\x58\x83\x67\nchara=5\n");
    TPeltoSettings S;
    LoadSettings(TIniFile(FileName()), S);
    ASSERT_EQ(S.Favorites[6].Name, "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88");
    S.WloPath = "/w/";
    S.CloseOnClick = true;
    S.Favorites[6].Parts[2] = 123;
    Save(S);
    TPeltoSettings Back;
    LoadSettings(TIniFile(FileName()), Back);
    EXPECT_EQ(Back.WloPath, "/w/");
    EXPECT_TRUE(Back.CloseOnClick);
    EXPECT_FALSE(Back.X);
    const TFavoriteItem& F = Back.Favorites[6];
    EXPECT_TRUE(F.Used);
    EXPECT_EQ(F.Name, S.Favorites[6].Name);
    EXPECT_EQ(F.Chara, 5);
    EXPECT_EQ(F.Parts, S.Favorites[6].Parts);
    EXPECT_EQ(F.Color, S.Favorites[6].Color);
}

TEST_F(Settings, KeepsTheLastCharacterAndTheReopenOptionOnlyOnceTheyDifferFromTheStart) {
    TPeltoSettings S;
    EXPECT_TRUE(S.ReopenLast);
    EXPECT_EQ(Save(S).find("last"), std::string::npos);
    S.LastCode = "ABC";
    S.LastMotion = 5;
    S.LastDirection = 2;
    S.ReopenLast = false;
    Save(S);
    TPeltoSettings Back;
    LoadSettings(TIniFile(FileName()), Back);
    EXPECT_FALSE(Back.ReopenLast);
    EXPECT_EQ(Back.LastCode, "ABC");
    EXPECT_EQ(Back.LastMotion, 5);
    EXPECT_EQ(Back.LastDirection, 2);
    // Switched on again, the option is written over, never left off.
    Back.ReopenLast = true;
    Back.LastCode.clear(); // an end without a character keeps the one before
    EXPECT_NE(Save(Back).find("reopenlast=1"), std::string::npos);
    TPeltoSettings Again;
    LoadSettings(TIniFile(FileName()), Again);
    EXPECT_TRUE(Again.ReopenLast);
    EXPECT_EQ(Again.LastCode, "ABC");
}

TEST_F(Settings, KeepsTheLocksOfRandomOutfitsOnceOneIsSet) {
    TPeltoSettings S;
    EXPECT_EQ(Save(S).find("lock"), std::string::npos);
    S.Locks.Slots[0] = S.Locks.Slots[5] = true;
    S.Locks.Positions[3] = true;
    const std::string Text = Save(S);
    EXPECT_NE(Text.find("lockslots=1,6"), std::string::npos) << Text;
    EXPECT_NE(Text.find("lockcolors=3"), std::string::npos) << Text;
    TPeltoSettings Back;
    LoadSettings(TIniFile(FileName()), Back);
    EXPECT_EQ(Back.Locks, S.Locks);
    // Unlocked again, the keys are written empty rather than left locked.
    Back.Locks = {};
    EXPECT_NE(Save(Back).find("lockslots=\n"), std::string::npos);
    TPeltoSettings Again;
    LoadSettings(TIniFile(FileName()), Again);
    EXPECT_EQ(Again.Locks, TOutfitLocks());
    // A hand-edited file: what is no slot or position is passed over.
    EXPECT_EQ(
        Load("[pelto]\nlockslots=0,2,x,7,66,6\nlockcolors=4,-1,1\n").Locks,
        (TOutfitLocks{{false, true, false, false, false, true}, {false, true, false, false}}));
}

// ---------------------------------------------------------------------------------------------
// Favourites edited, saved and read back

TEST(FavoriteDamage, OnlyACharacterOutsideTheGameDamagesAFavourite) {
    using enum TFavoriteDamage::TKind;
    EXPECT_FALSE(FavoriteDamage(TFavoriteItem())); // an unused place is empty, not damaged
    EXPECT_FALSE(FavoriteDamage(Favorite("first", 0)));
    EXPECT_FALSE(FavoriteDamage(Favorite("last", 14)));
    EXPECT_EQ(FavoriteDamage(Favorite("one past", 15)), (TFavoriteDamage{UnknownCharacter, 15}));
    EXPECT_EQ(FavoriteDamage(Favorite("below", -7)), (TFavoriteDamage{UnknownCharacter, -7}));
    EXPECT_EQ(FavoriteDamage(Favorite("unread", -1)), (TFavoriteDamage{NoCharacter, -1}));
    // Items and levels out of range are passed over when it is applied, as in a code.
    TFavoriteItem Odd = Favorite("odd", 3);
    Odd.Parts[0] = 65535;
    Odd.Color[1][2] = 200;
    EXPECT_FALSE(FavoriteDamage(Odd));
}

TEST_F(Settings, AFavouriteWithoutAReadableCharacterIsDamagedAndTheOthersStillRead) {
    const TPeltoSettings S = Load("[Save1]\nchara=abc\n[Save2]\nchara=37\n[Save3]\nchara=4\n"
                                  "[Save4]\nname=only a name\n");
    EXPECT_EQ(FavoriteDamage(S.Favorites[0])->Kind, TFavoriteDamage::TKind::NoCharacter);
    EXPECT_EQ(FavoriteDamage(S.Favorites[1])->Chara, 37);
    EXPECT_FALSE(FavoriteDamage(S.Favorites[2]));
    EXPECT_TRUE(S.Favorites[3].Used);
    EXPECT_TRUE(FavoriteDamage(S.Favorites[3]));
}

TEST_F(Settings, DeletedAndMovedFavouritesStayAsEditedAfterARestart) {
    FDir.Write("pelto.ini", "; mine\n[Save1]\nname=A\nchara=1\n[Save2]\nname=B\nchara=2\n"
                            "[Save3]\nname=C\nchara=3\n; about C\n[tools]\neditor=vi\n");
    TPeltoSettings S;
    LoadSettings(TIniFile(FileName()), S);
    S = WithoutFavorite(S, 1);
    S = WithFavoritesSwapped(S, 3, 4); // into an empty place
    S = WithFavoritesSwapped(S, 2, 1);
    S = WithFavoriteRenamed(S, 1, "");
    const std::string Text = Save(S);
    EXPECT_EQ(Text.find("[Save2]"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("[Save3]"), std::string::npos) << Text;
    EXPECT_NE(Text.find("; mine\n"), std::string::npos);
    EXPECT_NE(Text.find("[tools]\neditor=vi\n"), std::string::npos);
    TPeltoSettings Back;
    LoadSettings(TIniFile(FileName()), Back);
    std::vector<std::string> Names;
    for (const TFavoriteItem& F : Back.Favorites)
        Names.push_back(F.Used ? F.Name + "/" + std::to_string(F.Chara) : "-");
    EXPECT_EQ(Names,
              (std::vector<std::string>{"Save1/2", "-", "-", "C/3", "-", "-", "-", "-", "-", "-"}));
}

TEST_F(Settings, APlaceFilledAgainAfterADeleteIsWrittenNotErased) {
    TPeltoSettings S;
    S.Favorites[4] = Favorite("old", 1);
    Save(S);
    S = WithoutFavorite(S, 5);
    S = WithFavorite(S, 5, Favorite("new", 2));
    Save(S);
    TPeltoSettings Back;
    LoadSettings(TIniFile(FileName()), Back);
    EXPECT_TRUE(Back.Favorites[4].Used);
    EXPECT_EQ(Back.Favorites[4].Name, "new");
}

TEST_F(Settings, SettingsSavedAsAnotherFileCarryTheOldFilesLinesAndLeaveItAlone) {
    const std::string Before = "; mine\n[pelto]\nwlopath=/w/\n[tools]\neditor=vi\n";
    FDir.Write("pelto.ini", Before);
    TPeltoSettings S;
    LoadSettings(TIniFile(FileName()), S);
    // Nothing changed, and the new file is still written.
    SaveSettingsAs(FDir.File("elsewhere/other.ini"), FileName(), S);
    EXPECT_EQ(ReadText(FDir.File("elsewhere/other.ini")),
              "; mine\n[pelto]\nwlopath=/w/\ncloseonclick=0\nshadow=0\n[tools]\neditor=vi\n");
    EXPECT_EQ(ReadText(FileName()), Before);
    // An old file that cannot be read gives its settings, not its lines.
    FDir.Make("folder.ini/inside");
    SaveSettingsAs(FDir.File("fresh.ini"), FDir.File("folder.ini"), S);
    EXPECT_EQ(ReadText(FDir.File("fresh.ini")), "[pelto]\nwlopath=/w/\ncloseonclick=0\nshadow=0\n");
}

// ---------------------------------------------------------------------------------------------
// Where the file lives

TEST(SettingsFile, LivesBesideAWritableExecutable) {
    TTempDir Dir;
    EXPECT_EQ(SettingsFilePath(Dir.File("pelto")), Dir.File("pelto.ini"));
    EXPECT_EQ(SettingsFilePath(Dir.File("pelto.bin")), Dir.File("pelto.ini"));
}

TEST(SettingsFile, MovesToTheXdgConfigFolderWhenTheExecutablesFolderIsNotWritable) {
    // A folder that does not exist cannot be written to, also by root.
    const std::string Installed = "/nonexistent-pelto-folder/bin/pelto";
    {
        const TEnvironment Config("XDG_CONFIG_HOME", "/home/player/conf");
        EXPECT_EQ(SettingsFilePath(Installed), "/home/player/conf/pelto/pelto.ini");
    }
    const TEnvironment Home("HOME", "/home/player");
    {
        const TEnvironment Config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(SettingsFilePath(Installed), "/home/player/.config/pelto/pelto.ini");
    }
    const TEnvironment Relative("XDG_CONFIG_HOME", "relative/conf");
    EXPECT_EQ(SettingsFilePath(Installed), "/home/player/.config/pelto/pelto.ini");
}

TEST(SettingsFile, AProgramInstalledUnderUsrNeverWritesBesideItself) {
    // Root may write to /usr/bin; the package's programs still keep their settings per user.
    const TEnvironment Config("XDG_CONFIG_HOME", "/root/conf");
    EXPECT_EQ(SettingsFilePath("/usr/bin/pelto"), "/root/conf/pelto/pelto.ini");
    EXPECT_EQ(SettingsFilePath("/usr/local/bin/pelto"), "/root/conf/pelto/pelto.ini");
}

TEST(SettingsFile, TreatsAReadOnlyFolderAsNotWritable) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write to any folder; the missing-folder case covers this";
    TTempDir Dir;
    const std::string Bin = Dir.Make("bin/pelto");
    ASSERT_EQ(::chmod(Dir.File("bin").c_str(), 0555), 0);
    const TEnvironment Config("XDG_CONFIG_HOME", Dir.File("config").c_str());
    EXPECT_EQ(SettingsFilePath(Bin), Dir.File("config/pelto/pelto.ini"));
}
