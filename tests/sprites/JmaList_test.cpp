#include "sprites/wlojmajmp.h"

#include "platform/Errors.h"
#include "platform/Stream.h"
#include "writers/JmaWriter.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace pelto;
namespace fs = std::filesystem;

namespace {

// An archive listing the given sprites, each with one frame.
void WriteArchive(const std::string& Path, const std::vector<std::string>& Names) {
    std::vector<TJmaWriterSprite> Sprites;
    for (const std::string& Name : Names) {
        TJmaWriterSprite S;
        S.Name = Name;
        TJmaWriterFrame F;
        F.Width = F.Height = 1;
        F.Pixels = {1};
        S.Frames = {F};
        S.FrameCounts = {1};
        Sprites.push_back(S);
    }
    WriteJmaFiles(Path, Sprites);
}

std::vector<std::string> Lines(const TJmaList& List) {
    std::vector<std::string> Result;
    for (int I = 0; I < List.Count(); ++I)
        Result.push_back(List.Line(I));
    return Result;
}

class JmaList : public ::testing::Test {
protected:
    test::TTempDir Dir;
    TJmaList List;
};

} // namespace

TEST_F(JmaList, AnEmptyOrMissingFolderGivesAnEmptyCatalogue) {
    List.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.GetJmaPath("2000.jmp"), "");
    List.Scan(Dir / "missing/", "*.jma");
    EXPECT_EQ(List.Count(), 0);
}

TEST_F(JmaList, ListsEveryEntryOfEveryArchiveInOrder) {
    WriteArchive(Dir / "chara02.jma", {"3000.jmp", "3100.jmp"});
    WriteArchive(Dir / "chara01.jma", {"2100.jmp", "2000.jmp"});
    fs::create_directory(Dir / "folder.jma");
    WriteArchive(Dir / "folder.jma/4000.jma", {"4000.jmp"});
    List.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(Lines(List),
              (std::vector<std::string>{"2100.jmp=chara01.jma", "2000.jmp=chara01.jma",
                                        "3000.jmp=chara02.jma", "3100.jmp=chara02.jma"}));
    EXPECT_EQ(List.GetJmaPath("3100.jmp"), Dir / "chara02.jma");
    std::string Path = "stale";
    List.GetJmaPath("4000.jmp", Path);
    EXPECT_EQ(Path, "");
}

TEST_F(JmaList, LooksNamesUpIgnoringCase) {
    WriteArchive(Dir / "Chara01.JMA", {"2000.jmp", "ABC.JMP"});
    List.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(List.GetJmaPath("2000.JMP"), Dir / "Chara01.JMA");
    EXPECT_EQ(List.GetJmaPath("abc.jmp"), Dir / "Chara01.JMA");
    EXPECT_EQ(List.GetJmaPath("2000"), "");
}

TEST_F(JmaList, TheArchiveEnumeratedFirstWins) {
    // Created in the opposite order; byte order would put "B.jma" first.
    WriteArchive(Dir / "B.jma", {"2000.jmp", "2100.jmp"});
    WriteArchive(Dir / "a.jma", {"2100.JMP"});
    List.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(List.Count(), 3);
    EXPECT_EQ(List.GetJmaPath("2100.jmp"), Dir / "a.jma");
    EXPECT_EQ(List.GetJmaPath("2000.jmp"), Dir / "B.jma");
}

TEST_F(JmaList, RescanningStartsFromAnEmptyList) {
    WriteArchive(Dir / "chara01.jma", {"2000.jmp"});
    List.Scan(Dir.Path(), "*.jma");
    fs::remove(Dir / "chara01.jma");
    WriteArchive(Dir / "chara02.jma", {"3000.jmp"});
    List.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(Lines(List), std::vector<std::string>{"3000.jmp=chara02.jma"});
    EXPECT_EQ(List.GetJmaPath("2000.jmp"), "");
    List.Clear();
    EXPECT_EQ(List.GetJmaPath("3000.jmp"), "");
}

TEST_F(JmaList, ClampsEntryNamesToTheirField) {
    WriteArchive(Dir / "chara01.jma", {"2000.jmp"});
    auto Bytes = ReadFileBytes(Dir / "chara01.jma");
    Bytes[JmaHeaderSize] = 255;
    std::ofstream(Dir / "chara01.jma", std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()),
               static_cast<std::streamsize>(Bytes.size()));
    List.Scan(Dir.Path(), "*.jma");
    ASSERT_EQ(List.Count(), 1);
    EXPECT_EQ(List.Line(0), "2000.jmp" + std::string(11, '\0') + "=chara01.jma");
}

TEST_F(JmaList, ADamagedArchiveIsRecordedAndHidesNoOtherArchive) {
    WriteArchive(Dir / "a.jma", {"2000.jmp"});
    WriteArchive(Dir / "c.jma", {"4000.jmp"});
    const std::vector<std::string> Others{"2000.jmp=a.jma", "4000.jmp=c.jma"};
    for (const std::size_t Length : {std::size_t{10}, JmaHeaderSize + JmaEntrySize + 5}) {
        WriteArchive(Dir / "b.jma", {"3000.jmp", "3100.jmp"});
        fs::resize_file(Dir / "b.jma", Length);
        List.Scan(Dir.Path(), "*.jma");
        EXPECT_EQ(Lines(List), Others);
        EXPECT_EQ(List.GetJmaPath("4000.jmp"), Dir / "c.jma");
        EXPECT_EQ(List.GetJmaPath("3000.jmp"), "");
        ASSERT_EQ(List.Failures().size(), 1u);
        EXPECT_STREQ(List.Failures()[0].what(), "Stream read error");
        EXPECT_EQ(List.Failures()[0].FileName(), Dir / "b.jma");
    }
    // A count that no file could hold is refused before anything is allocated.
    WriteArchive(Dir / "b.jma", {});
    auto Bytes = ReadFileBytes(Dir / "b.jma");
    Bytes[13] = 0x7F;
    std::ofstream(Dir / "b.jma", std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()),
               static_cast<std::streamsize>(Bytes.size()));
    fs::resize_file(Dir / "c.jma", 0);
    List.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(Lines(List), std::vector<std::string>{"2000.jmp=a.jma"});
    ASSERT_EQ(List.Failures().size(), 2u);
    EXPECT_EQ(List.Failures()[0].FileName(), Dir / "b.jma");
    EXPECT_EQ(List.Failures()[1].FileName(), Dir / "c.jma");

    // Each scan and Clear start without the failures of the last scan.
    WriteArchive(Dir / "b.jma", {"3000.jmp"});
    WriteArchive(Dir / "c.jma", {"4000.jmp"});
    List.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(List.Count(), 3);
    EXPECT_TRUE(List.Failures().empty());
    fs::resize_file(Dir / "c.jma", 0);
    List.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(List.Failures().size(), 1u);
    List.Clear();
    EXPECT_TRUE(List.Failures().empty());
}

// --- read on demand ---

TEST_F(JmaList, OnDemandAnswersAsAScanWouldWhileReadingOnlyTheArchivesItNeeds) {
    WriteArchive(Dir / "B.jma", {"2000.jmp", "2100.jmp"});
    WriteArchive(Dir / "a.jma", {"2100.JMP"});
    WriteArchive(Dir / "c.jma", {"3000.jmp", "2000.jmp"});
    List.ScanOnDemand(Dir.Path(), "*.jma");
    EXPECT_EQ(List.Count(), 0) << "nothing read before a lookup";
    EXPECT_EQ(List.GetJmaPath("2100.jmp"), Dir / "a.jma");
    EXPECT_EQ(Lines(List), std::vector<std::string>{"2100.JMP=a.jma"});
    EXPECT_EQ(List.GetJmaPath("2000.JMP"), Dir / "B.jma") << "the first archive wins";
    EXPECT_EQ(List.Count(), 3) << "c.jma still unread";
    EXPECT_EQ(List.GetJmaPath("3000.jmp"), Dir / "c.jma");
    EXPECT_EQ(List.GetJmaPath("9999.jmp"), "");
    EXPECT_EQ(List.Count(), 5);
    // A full scan and Clear leave the on-demand reading behind.
    TJmaList Scanned;
    Scanned.Scan(Dir.Path(), "*.jma");
    EXPECT_EQ(Lines(Scanned), Lines(List));
    List.Clear();
    EXPECT_EQ(List.GetJmaPath("2000.jmp"), "");
}

TEST_F(JmaList, OnDemandADamagedArchiveRaisesFromEveryLookupThatReachesIt) {
    WriteArchive(Dir / "a.jma", {"2000.jmp"});
    WriteArchive(Dir / "b.jma", {"3000.jmp"});
    WriteArchive(Dir / "c.jma", {"4000.jmp"});
    fs::resize_file(Dir / "b.jma", 10);
    List.ScanOnDemand(Dir.Path(), "*.jma");
    EXPECT_EQ(List.GetJmaPath("2000.jmp"), Dir / "a.jma") << "found before the damage";
    for (int Try = 0; Try < 2; ++Try) {
        try {
            List.GetJmaPath("4000.jmp");
            ADD_FAILURE() << "read past a damaged archive";
        } catch (const EReadError& Error) {
            EXPECT_EQ(Error.FileName(), Dir / "b.jma");
        }
    }
    EXPECT_EQ(List.GetJmaPath("2000.jmp"), Dir / "a.jma");
    EXPECT_TRUE(List.Failures().empty());
}

TEST(CharaTables, MapCharactersToTheirBodyAndHeadSprites) {
    ASSERT_EQ(CharaData.size(), 15u);
    EXPECT_EQ(CharaData[0].Name, "Rocco");
    EXPECT_EQ(JmpFileName(BodySpriteNo(0)), "2000.jmp");
    EXPECT_EQ(JmpFileName(HeadSpriteNo(0)), "2100.jmp");
    EXPECT_EQ(CharaData[14].Name, "Karin Liebtrud");
    EXPECT_EQ(JmpFileName(BodySpriteNo(14)), "5000.jmp");
    EXPECT_EQ(JmpFileName(HeadSpriteNo(14)), "5107.jmp");
    EXPECT_EQ(HeadSpriteNo(2), 3101);
    EXPECT_EQ(HeadSpriteNo(6), 4103);
    // Heads are numbered from 0 within each group, in table order.
    for (std::size_t I = 1; I < CharaData.size(); ++I) {
        const auto& Prev = CharaData[I - 1];
        const auto& Cur = CharaData[I];
        EXPECT_EQ(Cur.HeadIndex, Cur.BodyGroup == Prev.BodyGroup ? Prev.HeadIndex + 1 : 0) << I;
    }
}

TEST(CharaTables, MapMotionsAndDirectionsToActions) {
    EXPECT_EQ(MotionActions[0][4], 12);
    EXPECT_EQ(MotionActions[2][5], 17);
    EXPECT_EQ(MotionActions[18][7], 73);
    EXPECT_EQ(FrameFileName(MotionActions[1][0], 1), "00-1.bmp");
    // As printf's "%.2d-%d.bmp" would name them, whatever the numbers.
    for (const auto& [Action, No] : std::vector<std::pair<int, int>>{
             {7, 12}, {73, 0}, {100, 3}, {-3, -4}, {0, 2147483647}, {-2147483647 - 1, 5}}) {
        char Expected[64];
        std::snprintf(Expected, sizeof Expected, "%.2d-%d.bmp", Action, No);
        EXPECT_EQ(FrameFileName(Action, No), Expected);
    }
    // Each action belongs to one motion; the actions run 0..73 without gaps.
    std::vector<int> Seen(74, 0);
    for (const auto& Row : MotionActions)
        for (const std::uint8_t Action : Row)
            ++Seen.at(Action);
    for (int A = 0; A < 74; ++A)
        EXPECT_TRUE(Seen[A] == 1 || Seen[A] == 4) << A;
}
