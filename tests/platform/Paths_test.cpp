#include "platform/Paths.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pelto;
using pelto::test::TTempDir;

TEST(Paths, ResolvesEveryComponentIgnoringLetterCase) {
    TTempDir Dir;
    const std::string Real = Dir.Write("Game/DATA/item.dat", std::string("x"));
    EXPECT_EQ(ResolvePath(Dir.Path() + "game/data/Item.Dat"), Real);
    EXPECT_EQ(ResolvePath(Dir.Path() + "Game/DATA/item.dat"), Real);
    EXPECT_TRUE(FileExists(Dir.Path() + "GAME/data/ITEM.DAT"));
    EXPECT_TRUE(DirectoryExists(Dir.Path() + "game/Data/"));
}

TEST(Paths, PrefersTheExactNameAndKeepsUnmatchedComponents) {
    TTempDir Dir;
    const std::string Lower = Dir.Write("jma/a.jma", std::string("1"));
    Dir.Write("JMA/a.jma", std::string("2"));
    EXPECT_EQ(ResolvePath(Dir.Path() + "jma/a.jma"), Lower);
    EXPECT_EQ(ResolvePath(Dir.Path() + "jma/missing/x.jma"), Dir.Path() + "jma/missing/x.jma");
    // Several case variants and no exact match: the choice does not depend on enumeration.
    EXPECT_EQ(ResolvePath(Dir.Path() + "Jma/A.JMA"), Dir.Path() + "JMA/a.jma");
}

TEST(Paths, TellsFilesFromFolders) {
    TTempDir Dir;
    Dir.Write("pic/item.BMg", std::string("x"));
    EXPECT_FALSE(FileExists(Dir.Path() + "pic"));
    EXPECT_TRUE(DirectoryExists(Dir.Path() + "PIC"));
    EXPECT_FALSE(DirectoryExists(Dir.Path() + "pic/item.bmg"));
    EXPECT_FALSE(DirectoryExists(""));
    EXPECT_FALSE(FileExists(Dir.Path() + "nothing"));
}

TEST(Paths, SplitsAndChangesNames) {
    EXPECT_EQ(ExtractFileName("/a/b/chara01.jma"), "chara01.jma");
    EXPECT_EQ(ExtractFileName("chara01.jma"), "chara01.jma");
    EXPECT_EQ(ExtractFilePath("/a/b/c.jma"), "/a/b/");
    EXPECT_EQ(ChangeFileExt("/a/b/chara01.jma", ".jxa"), "/a/b/chara01.jxa");
    EXPECT_EQ(ChangeFileExt("/a.b/pic", ".bmp"), "/a.b/pic.bmp");
    EXPECT_EQ(ChangeFileExt("x.tar.gz", ".png"), "x.tar.png");
    EXPECT_EQ(ExtractFileExt("/a.b/PIC.Jpeg"), ".Jpeg");
    EXPECT_EQ(ExtractFileExt("/a.b/pic"), "");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/games/wlo"), "/games/wlo/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/games/wlo/"), "/games/wlo/");
}
