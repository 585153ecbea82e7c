#include "platform/IniFile.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "support/Environment.h"
#include "support/TempDir.h"
#include "support/WebAssembly.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

using namespace pelto;
using pelto::test::ReadText;
using pelto::test::TFileSizeLimit;
using pelto::test::TTempDir;

namespace {

// An INI file written to a temporary folder and read back.
class IniFile : public ::testing::Test {
protected:
    TIniFile Load(const std::string& Text) {
        FDir.Write("pelto.ini", Text);
        return TIniFile(FileName());
    }
    std::string FileName() const { return FDir.File("pelto.ini"); }
    std::string Saved(TIniFile& Ini) {
        Ini.UpdateFile();
        return ReadText(FileName());
    }
    TTempDir FDir;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading

TEST_F(IniFile, MissingFileReadsAsEmpty) {
    const TIniFile Ini(FDir.File("none.ini"));
    EXPECT_EQ(Ini.ReadString("pelto", "wlopath", "def"), "def");
    EXPECT_FALSE(Ini.SectionExists("pelto"));
    EXPECT_EQ(Ini.FileName(), FDir.File("none.ini"));
}

TEST_F(IniFile, ReadsLikeGetPrivateProfileString) {
    const TIniFile Ini = Load("top=before any section\n"
                              "[ Pelto ]\n"
                              "  WloPath  =  /games/wlo/  \n"
                              "quoted=\" padded \"\n"
                              "single='x'\n"
                              "half=\"open\n"
                              "empty=\n"
                              "no equals sign\n"
                              ";comment=1\n"
                              "dup=first\n"
                              "DUP=second\n"
                              "[other]\n"
                              "dup=third\n"
                              "[pelto]\n"
                              "late=unseen\n");
    EXPECT_EQ(Ini.ReadString("PELTO", "wlopath", ""), "/games/wlo/");
    EXPECT_EQ(Ini.ReadString("pelto", "quoted", ""), " padded ");
    EXPECT_EQ(Ini.ReadString("pelto", "single", ""), "x");
    EXPECT_EQ(Ini.ReadString("pelto", "half", ""), "\"open");
    EXPECT_EQ(Ini.ReadString("pelto", "empty", "default"), "");
    EXPECT_EQ(Ini.ReadString("pelto", "no equals sign", "d"), "d");
    EXPECT_EQ(Ini.ReadString("pelto", ";comment", "d"), "d");
    EXPECT_EQ(Ini.ReadString("pelto", "dup", ""), "first");
    EXPECT_EQ(Ini.ReadString("pelto", "late", "d"), "d"); // only the first [pelto] answers
    EXPECT_EQ(Ini.ReadString("", "top", "d"), "d");
}

TEST_F(IniFile, ReadsIntegersInDecimalAndHexadecimal) {
    const TIniFile Ini = Load("[n]\n"
                              "a=-12\nb=0x1F\nc=0XfF\nd=$10\ne=$FFFFFFFF\nf=2147483647\n"
                              "g=2147483648\nh=-2147483648\ni=12abc\nj=\nk=0x\nl=$100000000\n"
                              "m=+7\nn=\"42\"\n");
    EXPECT_EQ(Ini.ReadInteger("n", "a", 0), -12);
    EXPECT_EQ(Ini.ReadInteger("n", "b", 0), 31);
    EXPECT_EQ(Ini.ReadInteger("n", "c", 0), 255);
    EXPECT_EQ(Ini.ReadInteger("n", "d", 0), 16);
    EXPECT_EQ(Ini.ReadInteger("n", "e", 0), -1);
    EXPECT_EQ(Ini.ReadInteger("n", "f", 0), 2147483647);
    EXPECT_EQ(Ini.ReadInteger("n", "g", 5), 5);
    EXPECT_EQ(Ini.ReadInteger("n", "h", 0), -2147483647 - 1);
    EXPECT_EQ(Ini.ReadInteger("n", "i", 5), 5);
    EXPECT_EQ(Ini.ReadInteger("n", "j", 5), 5);
    EXPECT_EQ(Ini.ReadInteger("n", "k", 5), 5);
    EXPECT_EQ(Ini.ReadInteger("n", "l", 5), 5);
    EXPECT_EQ(Ini.ReadInteger("n", "m", 0), 7);
    EXPECT_EQ(Ini.ReadInteger("n", "n", 0), 42);
    EXPECT_EQ(Ini.ReadInteger("n", "missing", 9), 9);
    EXPECT_FALSE(Ini.TryReadInteger("n", "i"));
    EXPECT_FALSE(Ini.TryReadInteger("n", "missing"));
}

TEST_F(IniFile, ReadsBooleansAsIntegers) {
    const TIniFile Ini = Load("[b]\none=0x1\nzero=0\nminus=-3\nyes=yes\n");
    EXPECT_TRUE(Ini.ReadBool("b", "one", false));
    EXPECT_FALSE(Ini.ReadBool("b", "zero", true));
    EXPECT_TRUE(Ini.ReadBool("b", "minus", false));
    EXPECT_FALSE(Ini.ReadBool("b", "yes", false));
    EXPECT_TRUE(Ini.ReadBool("b", "yes", true));
}

TEST_F(IniFile, SectionExistsOnlyWithAKey) {
    const TIniFile Ini = Load("[bare]\n\n[notes]\n; comment\njust text\n[used]\nk=\n[last]");
    EXPECT_FALSE(Ini.SectionExists("bare"));
    EXPECT_FALSE(Ini.SectionExists("notes"));
    EXPECT_TRUE(Ini.SectionExists("USED"));
    EXPECT_FALSE(Ini.SectionExists("last"));
    EXPECT_FALSE(Ini.SectionExists("missing"));
}

TEST_F(IniFile, CutsLongValuesAt2047Utf16Units) {
    const std::string Long(3000, 'a');
    const std::string Eacute = "\xC3\xA9";
    std::string Accents;
    for (int I = 0; I < 3000; ++I)
        Accents += Eacute;
    // U+1F600 takes two units; it does not fit after 2046 others and is not split.
    const std::string Emoji = std::string(2046, 'b') + "\xF0\x9F\x98\x80" + "c";
    const TIniFile Ini =
        Load("[s]\nlong=" + Long + "\naccents=" + Accents + "\nemoji=" + Emoji + "\n");
    EXPECT_EQ(Ini.ReadString("s", "long", ""), std::string(2047, 'a'));
    EXPECT_EQ(Ini.ReadString("s", "accents", "").size(), 2047u * 2);
    EXPECT_EQ(Ini.ReadString("s", "emoji", ""), std::string(2046, 'b'));
}

TEST_F(IniFile, ReadsAValueThatIsNotUtf8AsShiftJis) {
    const TIniFile Ini = Load("[Save1]\n"
                              "name=\x83\x65\x83\x58\x83\x67\n" // "テスト" in Shift-JIS
                              "utf8=\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\n" // the same in UTF-8
                              "overlong=\xC0\xAF\n");
    EXPECT_EQ(Ini.ReadString("Save1", "name", ""), "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88");
    EXPECT_EQ(Ini.ReadString("Save1", "utf8", ""), "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88");
    EXPECT_NE(Ini.ReadString("Save1", "overlong", ""), "\xC0\xAF");
}

// ---------------------------------------------------------------------------------------------
// Writing

TEST_F(IniFile, RewritesAnExistingKeyInPlace) {
    TIniFile Ini = Load("; settings\n"
                        "[pelto]\n"
                        "  WloPath = old\n"
                        "x=1\n"
                        "\n"
                        "[foreign]\n"
                        "wlopath=other\n");
    Ini.WriteString("PELTO", "wlopath", "/games/wlo/");
    Ini.WriteInteger("pelto", "X", -5);
    EXPECT_EQ(Saved(Ini), "; settings\n"
                          "[pelto]\n"
                          "  WloPath = /games/wlo/\n"
                          "x=-5\n"
                          "\n"
                          "[foreign]\n"
                          "wlopath=other\n");
}

TEST_F(IniFile, AppendsAMissingKeyAfterTheLastKeyOfItsSection) {
    TIniFile Ini = Load("[pelto]\n"
                        "x=1\n"
                        "stray text\n"
                        "\n"
                        "; the favourites\n"
                        "[Save1]\n"
                        "name=a\n");
    Ini.WriteBool("pelto", "shadow", true);
    Ini.WriteString("Save1", "chara", "2");
    EXPECT_EQ(Saved(Ini), "[pelto]\n"
                          "x=1\n"
                          "shadow=1\n"
                          "stray text\n"
                          "\n"
                          "; the favourites\n"
                          "[Save1]\n"
                          "name=a\n"
                          "chara=2\n");
}

TEST_F(IniFile, FillsABareHeaderAndAppendsMissingSectionsInWriteOrder) {
    TIniFile Ini = Load("[bare]\n[keep]\nk=v"); // no line break at the end
    Ini.WriteString("bare", "a", "1");
    Ini.WriteString("new", "z", "26");
    Ini.WriteString("new", "b", "2");
    EXPECT_EQ(Saved(Ini), "[bare]\na=1\n[keep]\nk=v\n[new]\nz=26\nb=2\n");
}

TEST_F(IniFile, ErasesASectionWithItsCommentsAndEveryDuplicate) {
    TIniFile Ini = Load("; head\r\n[Save1]\r\nname=a\r\n; about a\r\n\r\n[keep]\r\nk=v\r\n"
                        "[SAVE1]\r\nname=duplicate\r\n[last]\r\nz=1"); // no break at the end
    Ini.EraseSection("save1");
    EXPECT_FALSE(Ini.SectionExists("Save1")); // the duplicate does not answer in its place
    Ini.EraseSection("absent");
    EXPECT_EQ(Saved(Ini), "; head\r\n[keep]\r\nk=v\r\n[last]\r\nz=1");
    Ini.EraseSection("last");
    EXPECT_EQ(Saved(Ini), "; head\r\n[keep]\r\nk=v\r\n");

    TIniFile Same = Load("[a]\nx=1\n");
    Same.EraseSection("b");
    EXPECT_FALSE(Same.Modified());
}

TEST_F(IniFile, SavesAsAnotherFileChangedOrNot) {
    TIniFile Ini = Load("; mine\n[pelto]\nx=1\n");
    Ini.SaveAs(FDir.File("other/copy.ini"));
    EXPECT_EQ(ReadText(FDir.File("other/copy.ini")), "; mine\n[pelto]\nx=1\n");
    Ini.WriteInteger("pelto", "x", 2);
    Ini.UpdateFile(); // the copy from now on
    EXPECT_EQ(ReadText(FDir.File("other/copy.ini")), "; mine\n[pelto]\nx=2\n");
    EXPECT_EQ(ReadText(FileName()), "; mine\n[pelto]\nx=1\n");

    // A file that could not be read moves as empty, and the unread one stays as it is.
    std::filesystem::create_directory(FDir.File("folder.ini"));
    TIniFile Folder(FDir.File("folder.ini"));
    Folder.WriteInteger("pelto", "x", 3);
    Folder.SaveAs(FDir.File("moved.ini"));
    EXPECT_EQ(ReadText(FDir.File("moved.ini")), "[pelto]\nx=3\n");
    EXPECT_TRUE(std::filesystem::is_directory(FDir.File("folder.ini")));
}

TEST_F(IniFile, KeepsCrLfAndEveryOtherLineEnding) {
    TIniFile Ini = Load("[pelto]\r\nx=1\r\nmixed=1\n;c\r\n[Save1]\r\nname=a");
    Ini.WriteInteger("pelto", "x", 2);
    Ini.WriteInteger("pelto", "y", 3);
    Ini.WriteString("Save2", "name", "b");
    EXPECT_EQ(Saved(Ini), "[pelto]\r\nx=2\r\nmixed=1\ny=3\r\n;c\r\n[Save1]\r\nname=a\r\n"
                          "[Save2]\r\nname=b\r\n");
}

TEST_F(IniFile, KeepsAByteOrderMark) {
    TIniFile Ini = Load("\xEF\xBB\xBF[pelto]\nx=1\n");
    EXPECT_EQ(Ini.ReadInteger("pelto", "x", 0), 1);
    Ini.WriteInteger("pelto", "x", 2);
    EXPECT_EQ(Saved(Ini), "\xEF\xBB\xBF[pelto]\nx=2\n");
}

TEST_F(IniFile, WritesValuesThatReadBackAsWritten) {
    TIniFile Ini(FileName());
    const std::string Values[] = {" padded ", "\"quoted\"", "'single'",  "\"",
                                  "",         "a=b;c",      "two\nlines"};
    for (std::size_t I = 0; I < std::size(Values); ++I)
        Ini.WriteString("v", "k" + std::to_string(I), Values[I]);
    Ini.UpdateFile();
    const TIniFile Back(FileName());
    for (std::size_t I = 0; I + 1 < std::size(Values); ++I)
        EXPECT_EQ(Back.ReadString("v", "k" + std::to_string(I), "?"), Values[I]) << I;
    EXPECT_EQ(Back.ReadString("v", "k6", "?"), "two lines");
}

TEST_F(IniFile, WritesOnlyWhenSomethingChanged) {
    TIniFile Ini = Load("[pelto]\r\nx = 1 \r\n");
    Ini.WriteInteger("pelto", "x", 1);
    EXPECT_TRUE(Ini.Modified()); // the trailing blank goes
    Ini.UpdateFile();
    EXPECT_FALSE(Ini.Modified());
    Ini.WriteString("pelto", "X", "1");
    EXPECT_FALSE(Ini.Modified());
    EXPECT_EQ(ReadText(FileName()), "[pelto]\r\nx = 1\r\n");

    TIniFile Fresh(FDir.File("never.ini"));
    Fresh.UpdateFile();
    EXPECT_FALSE(FileExists(FDir.File("never.ini")));
}

TEST_F(IniFile, CreatesANewFileAndItsFolders) {
    const std::string Name = FDir.File("config/pelto/pelto.ini");
    TIniFile Ini(Name);
    Ini.WriteString("pelto", "wlopath", "/w/");
    Ini.UpdateFile();
    EXPECT_EQ(ReadText(Name), "[pelto]\nwlopath=/w/\n");
}

TEST_F(IniFile, FailedWriteNamesTheFileAndLeavesTheOldOneIntact) {
    PELTO_SKIP_IN_WEBASSEMBLY("no file size limit");
    const std::string Old = "[pelto]\r\nx=1\r\n";
    TIniFile Ini = Load(Old);
    Ini.WriteString("pelto", "wlopath", std::string(64 * 1024, 'w'));
    try {
        const TFileSizeLimit Limit(4096);
        Ini.UpdateFile();
        FAIL() << "no exception";
    } catch (const EWloError& E) {
        EXPECT_NE(std::string(E.what()).find(FileName()), std::string::npos) << E.what();
        EXPECT_NE(std::string(E.what()).find("large"), std::string::npos) << E.what();
    }
    EXPECT_EQ(ReadText(FileName()), Old);
    EXPECT_TRUE(Ini.Modified());

    FDir.Write("file", "x");
    TIniFile Blocked(FDir.File("file/pelto.ini"));
    Blocked.WriteInteger("pelto", "x", 1);
    try {
        Blocked.UpdateFile();
        FAIL() << "no exception";
    } catch (const EWloError& E) {
        EXPECT_NE(std::string(E.what()).find(FDir.File("file/pelto.ini")), std::string::npos)
            << E.what();
    }
}

TEST_F(IniFile, AFileThatCannotBeReadReadsAsEmptyAndIsNeverWrittenOver) {
    std::filesystem::create_directory(FileName()); // a folder where the file should be
    TIniFile Folder(FileName());
    EXPECT_EQ(Folder.ReadString("pelto", "wlopath", "none"), "none");
    Folder.WriteString("pelto", "wlopath", "/w/");
    EXPECT_THROW(
        {
            try {
                Folder.UpdateFile();
            } catch (const EWriteError& E) {
                EXPECT_STREQ(E.what(), ("Cannot write file \"" + FileName() +
                                        "\". It could not be read: Is a directory")
                                           .c_str());
                throw;
            }
        },
        EWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(FileName()));
}

TEST_F(IniFile, AFileWithoutReadPermissionKeepsWhatItHolds) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    FDir.Write("pelto.ini", "; mine\n[Save1]\nname=kept\n");
    std::filesystem::permissions(FileName(), std::filesystem::perms::owner_write);
    TIniFile Ini(FileName());
    EXPECT_FALSE(Ini.SectionExists("Save1"));
    Ini.WriteString("pelto", "wlopath", "/w/");
    EXPECT_THROW(Ini.UpdateFile(), EWriteError);
    std::filesystem::permissions(FileName(), std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadText(FileName()), "; mine\n[Save1]\nname=kept\n");
}
