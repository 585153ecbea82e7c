#include "game/wloutils.h"

#include "platform/Errors.h"
#include "support/TempDir.h"
#include "writers/GroupImageWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pelto;
using pelto::test::TTempDir;

namespace {

std::vector<std::uint8_t> Bytes(std::string_view S) {
    return {S.begin(), S.end()};
}

std::string Text(const TMemoryStream& S) {
    return {S.Memory().begin(), S.Memory().end()};
}

// A destination that refuses every byte, as a full disk would.
class TFullStream final : public TStream {
public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    void WriteBuffer(const void*, std::size_t) override { throw EWriteError("disk full"); }
    std::int64_t GetPosition() const override { return 0; }
    void SetPosition(std::int64_t) override {}
    std::int64_t GetSize() const override { return 0; }
};

// Both readers answer the same; the fixture loads the one under test from a file.
template <typename TReader> class GroupImage : public ::testing::Test {
protected:
    TReader& Load(const TGroupImageWriter& Writer) {
        FFile = FDir.Write("item.BMg", Writer.Build());
        FReader.LoadFromFile(FFile);
        return FReader;
    }
    TTempDir FDir;
    std::string FFile;
    TReader FReader;
};

using GroupImageReaders = ::testing::Types<TWLOGroupImageFile, TWLOGroupImageFileOnMemory>;
TYPED_TEST_SUITE(GroupImage, GroupImageReaders);

} // namespace

TYPED_TEST(GroupImage, FileWithCountZeroHasNoEntries) {
    auto& R = this->Load(TGroupImageWriter());
    EXPECT_EQ(R.GetCount(), 0);
    TWLONameIndex Index;
    Index.Build(R);
    EXPECT_EQ(Index.IndexOf("1135.bmp"), -1);
    EXPECT_EQ(Index.IndexOf(""), -1);
}

TYPED_TEST(GroupImage, AnswersNameOffsetSizeAndRecordOfEachEntry) {
    TGroupImageWriter W;
    W.Add("1135.bmp", Bytes("first"));
    W.Add("7.bmpXXXX", Bytes("second!"));
    W.SetNameLength(1, 5);
    auto& R = this->Load(W);
    ASSERT_EQ(R.GetCount(), 2);
    EXPECT_EQ(R.GetName(0), "1135.bmp");
    EXPECT_EQ(R.GetName(1), "7.bmp");
    EXPECT_EQ(R.GetOffset(0), W.DataStart());
    EXPECT_EQ(R.GetSize(0), 5);
    EXPECT_EQ(R.GetOffset(1), W.DataStart() + 5);
    EXPECT_EQ(R.GetSize(1), 7);
    const auto* Entry = static_cast<const TWLOGroupImageEntry*>(R.GetData(1));
    EXPECT_EQ(Entry->Name(), "7.bmp");
    EXPECT_EQ(Entry->Offset(), W.DataStart() + 5);
}

TYPED_TEST(GroupImage, NameLengthAboveTheFieldIsLimitedTo23) {
    TGroupImageWriter W;
    W.Add("abcdefghijklmnopqrstuvw", Bytes("x"));
    W.SetNameLength(0, 200);
    EXPECT_EQ(this->Load(W).GetName(0), "abcdefghijklmnopqrstuvw");
}

TYPED_TEST(GroupImage, ExtractionAppendsAtTheEndAndRestoresThePosition) {
    TGroupImageWriter W;
    W.Add("a.bmp", Bytes("AAAA"));
    W.Add("b.bmp", Bytes("BBBBBB"));
    auto& R = this->Load(W);
    TMemoryStream Dest;
    Dest.WriteBuffer("xy", 2);
    R.ExtractToStream(1, Dest);
    EXPECT_EQ(Dest.GetPosition(), 2);
    EXPECT_EQ(Text(Dest), "xyBBBBBB");
    Dest.SetPosition(1);
    R.ExtractToStream(0, Dest); // overwrites in the middle
    EXPECT_EQ(Dest.GetPosition(), 1);
    EXPECT_EQ(Text(Dest), "xAAAABBB");
}

TYPED_TEST(GroupImage, ExtractionFollowsTheDirectoryAcrossSharedAreasAndGaps) {
    TGroupImageWriter W;
    const std::uint32_t Area = W.AppendData(Bytes("0123456789"));
    W.AppendData(Bytes("----"));
    const int Whole = W.AddAt("whole.bmp", Area, 10);
    const int Middle = W.AddAt("middle.bmp", Area + 3, 4);
    const int AfterGap = W.Add("tail.bmp", Bytes("TAIL"));
    auto& R = this->Load(W);
    for (const auto& [Index, Expected] :
         {std::pair{Whole, "0123456789"}, {Middle, "3456"}, {AfterGap, "TAIL"}}) {
        TMemoryStream Dest;
        R.ExtractToStream(Index, Dest);
        EXPECT_EQ(Text(Dest), Expected);
    }
}

TYPED_TEST(GroupImage, EntryOfSizeZeroYieldsNothing) {
    TGroupImageWriter W;
    W.Add("empty.bmp", {});
    W.Add("full.bmp", Bytes("data"));
    auto& R = this->Load(W);
    TMemoryStream Dest;
    Dest.WriteBuffer("xyz", 3);
    Dest.SetPosition(1);
    R.ExtractToStream(0, Dest);
    EXPECT_EQ(Text(Dest), "xyz");
    EXPECT_EQ(Dest.GetPosition(), 1);
}

TYPED_TEST(GroupImage, EntryReachingPastTheEndFailsBeforeWriting) {
    TGroupImageWriter W;
    const std::uint32_t Area = W.AppendData(Bytes("abcd"));
    W.AddAt("long.bmp", Area + 2, 3);
    W.AddAtFileOffset("far.bmp", 0xFFFFFFF0u, 0x20); // the end wraps in 32 bits
    auto& R = this->Load(W);
    for (int Index : {0, 1}) {
        TMemoryStream Dest;
        Dest.WriteBuffer("keep", 4);
        Dest.SetPosition(2);
        try {
            R.ExtractToStream(Index, Dest);
            ADD_FAILURE() << "extracted " << Index;
        } catch (const EReadError& E) {
            EXPECT_EQ(E.FileName(), this->FFile);
        }
        EXPECT_EQ(Text(Dest), "keep");
    }
}

TYPED_TEST(GroupImage, ErrorsOfTheDestinationDoNotNameTheSource) {
    TGroupImageWriter W;
    W.Add("a.bmp", Bytes("abc"));
    auto& R = this->Load(W);
    TFullStream Dest;
    try {
        R.ExtractToStream(0, Dest);
        ADD_FAILURE() << "extracted";
    } catch (const EWriteError& E) {
        EXPECT_EQ(E.FileName(), "");
    }
}

TYPED_TEST(GroupImage, DirectoryLongerThanTheFileIsRefused) {
    for (const std::vector<std::uint8_t>& File :
         {std::vector<std::uint8_t>{}, {0x01}, {0x02, 0x00, 'x'}, {0xFF, 0xFF}}) {
        TMemoryStream S(File);
        TypeParam R;
        EXPECT_THROW(R.LoadFromStream(S), EReadError);
        EXPECT_EQ(R.GetCount(), 0);
    }
    TGroupImageWriter W; // count field says 3, directory holds 2
    W.Add("a", Bytes("1"));
    W.Add("b", Bytes("2"));
    W.SetCount(3);
    TMemoryStream S(W.Build());
    TypeParam R;
    EXPECT_THROW(R.LoadFromStream(S), EReadError);

    TTempDir Dir;
    const std::string Path = Dir.Write("item.BMg", W.Build());
    try {
        R.LoadFromFile(Path);
        ADD_FAILURE() << "loaded";
    } catch (const EReadError& E) {
        EXPECT_STREQ(E.what(), "Stream read error");
        EXPECT_EQ(E.FileName(), Path);
    }
}

TEST(GroupImageFile, ReopensTheFileForEveryExtraction) {
    TTempDir Dir;
    const std::vector<TGroupImageItem> Items = {{"1.bmp", Bytes("one")}};
    const std::string Path = Dir.Path() + "item.BMg";
    WriteGroupImageFile(Path, Items);
    TWLOGroupImageFile OnDisk;
    TWLOGroupImageFileOnMemory InMemory;
    OnDisk.LoadFromFile(Path);
    InMemory.LoadFromFile(Path);
    EXPECT_EQ(OnDisk.FileName(), Path);
    std::filesystem::remove(Path);

    TMemoryStream Dest;
    EXPECT_THROW(OnDisk.ExtractToStream(0, Dest), EFOpenError);
    InMemory.ExtractToStream(0, Dest);
    EXPECT_EQ(Text(Dest), "one");
}

TEST(GroupImageFile, LoadFromFileKeepsTheNameWhenTheFileIsMissing) {
    TTempDir Dir;
    TWLOGroupImageFileOnMemory R;
    try {
        R.LoadFromFile(Dir.Path() + "none.BMg");
        ADD_FAILURE() << "loaded";
    } catch (const EFOpenError& E) {
        EXPECT_EQ(E.FileName(), Dir.Path() + "none.BMg");
    }
    EXPECT_EQ(R.FileName(), Dir.Path() + "none.BMg");
    EXPECT_EQ(R.GetCount(), 0);
}

TEST(GroupImageFile, InMemoryReaderCopiesTheStreamFromItsBeginning) {
    // The directory is read from the stream's position, but its offsets count from the
    // start of the stream.
    TGroupImageWriter W;
    W.Add("a.bmp", Bytes("abc"));
    TMemoryStream S(W.Build());
    TWLOGroupImageFileOnMemory R;
    R.LoadFromStream(S);
    TMemoryStream Dest;
    R.ExtractToStream(0, Dest);
    EXPECT_EQ(Text(Dest), "abc");
}

TEST(NameIndex, FindsNamesIgnoringCaseAndTheLastOfDuplicates) {
    TGroupImageWriter W;
    for (int I = 0; I < 10; ++I)
        W.Add(I == 4 || I == 9 ? "12.bmp" : std::to_string(I) + ".Bmp", Bytes("x"));
    W.Add("1135.bmp", Bytes("y"));
    TMemoryStream S(W.Build());
    TWLOGroupImageFileOnMemory R;
    R.LoadFromStream(S);
    TWLONameIndex Index;
    Index.Build(R);
    EXPECT_EQ(Index.IndexOf("12.bmp"), 9);
    EXPECT_EQ(Index.IndexOf("1135.BMP"), 10);
    EXPECT_EQ(Index.IndexOf("3.bmp"), 3);
    EXPECT_EQ(Index.IndexOf("1135"), -1);
    EXPECT_EQ(Index.IndexOf("4.bmp"), -1);

    TWLOGroupImageFileOnMemory Empty;
    TMemoryStream Zero({0, 0});
    Empty.LoadFromStream(Zero);
    Index.Build(Empty); // rebuilding forgets the previous file
    EXPECT_EQ(Index.IndexOf("12.bmp"), -1);
}

TEST(IsWloFolder, AcceptsAGameFolderWhateverTheLetterCase) {
    TTempDir Dir;
    Dir.Make("Game/JMA/x");
    Dir.Make("Game/Pic/x");
    Dir.Write("Game/DATA/item.dat", std::string("x"));
    EXPECT_TRUE(IsWloFolder(Dir.Path() + "Game"));
    EXPECT_TRUE(IsWloFolder(Dir.Path() + "Game/"));
    EXPECT_TRUE(IsWloFolder(Dir.Path() + "game/"));
}

TEST(IsWloFolder, RefusesAFolderMissingAnyPart) {
    TTempDir Dir;
    auto MakeGame = [&](const std::string& Name, bool Jma, bool Pic, bool Item) {
        Dir.Make(Name + "/data/x");
        if (Jma)
            Dir.Make(Name + "/jma/x");
        if (Pic)
            Dir.Make(Name + "/pic/x");
        if (Item)
            Dir.Write(Name + "/data/Item.Dat", std::string("x"));
        return Dir.Path() + Name;
    };
    EXPECT_FALSE(IsWloFolder(MakeGame("NoJma", false, true, true)));
    EXPECT_FALSE(IsWloFolder(MakeGame("NoPic", true, false, true)));
    EXPECT_FALSE(IsWloFolder(MakeGame("NoItem", true, true, false)));
    const std::string ItemIsFolder = MakeGame("ItemIsFolder", true, true, false);
    Dir.Make("ItemIsFolder/data/Item.Dat/x");
    EXPECT_FALSE(IsWloFolder(ItemIsFolder));
    const std::string JmaIsFile = MakeGame("JmaIsFile", false, true, true);
    Dir.Write("JmaIsFile/jma", std::string("x"));
    EXPECT_FALSE(IsWloFolder(JmaIsFile));
    EXPECT_FALSE(IsWloFolder(Dir.Path() + "Missing"));
    EXPECT_FALSE(IsWloFolder(""));
}
