#include "platform/Stream.h"

#include "platform/ByteReader.h"
#include "platform/Errors.h"
#include "platform/MappedFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

using namespace pelto;
using pelto::test::TTempDir;

TEST(MemoryStream, ReadsLittleEndianNumbersAndFailsWhenShort) {
    TMemoryStream S({0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFF});
    EXPECT_EQ(S.ReadU16(), 0x1234);
    EXPECT_EQ(S.ReadU32(), 0x12345678u);
    EXPECT_THROW(S.ReadU16(), EReadError);
    try {
        S.SetPosition(0);
        std::array<std::uint8_t, 8> Buffer{};
        S.ReadBuffer(Buffer.data(), Buffer.size());
        FAIL();
    } catch (const EReadError& E) {
        EXPECT_STREQ(E.what(), "Stream read error");
    }
}

TEST(MemoryStream, ReadErrorsSayWhereTheReadEnded) {
    TMemoryStream S({1, 2, 3, 4, 5, 6, 7});
    S.SetPosition(6);
    try {
        S.ReadU32();
        FAIL();
    } catch (const EReadError& E) {
        EXPECT_STREQ(E.what(), "Stream read error"); // the message word for word
        EXPECT_EQ(E.Detail(), "read of 4 bytes at offset 6, file has 7 bytes");
    }
    S.SetPosition(9);
    try {
        S.ReadU8();
        FAIL();
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Detail(), "read of 1 byte at offset 9, file has 7 bytes");
    }
    TMemoryStream Dest;
    S.SetPosition(2);
    try {
        Dest.CopyFrom(S, 512);
        FAIL();
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Detail(), "read of 512 bytes at offset 2, file has 7 bytes");
    }
}

TEST(MemoryStream, WritesAtThePositionAndGrows) {
    TMemoryStream S;
    S.WriteBuffer("abc", 3);
    S.SetPosition(1);
    S.WriteBuffer("XYZ", 3);
    EXPECT_EQ(S.GetSize(), 4);
    EXPECT_EQ(std::string(S.Memory().begin(), S.Memory().end()), "aXYZ");
    S.SetPosition(10);
    std::uint8_t B;
    EXPECT_EQ(S.Read(&B, 1), 0u);
    EXPECT_THROW(S.SetPosition(-1), EReadError);
}

TEST(MemoryStream, CopyWritesNothingWhenTheSourceIsShort) {
    TMemoryStream Source({1, 2, 3});
    TMemoryStream Dest;
    Source.SetPosition(1);
    EXPECT_THROW(Dest.CopyFrom(Source, 3), EReadError);
    EXPECT_EQ(Dest.GetSize(), 0);
    Dest.CopyFrom(Source, 2);
    EXPECT_EQ(Dest.GetSize(), 2);
    EXPECT_EQ(Dest.Memory()[1], 3);
}

TEST(FileStream, OpensGameFilesIgnoringLetterCase) {
    TTempDir Dir;
    Dir.Write("data/ITEM.DAT", std::string("hello"));
    TFileStream F(Dir.Path() + "Data/Item.Dat", TFileMode::OpenRead);
    EXPECT_EQ(F.GetSize(), 5);
    F.SetPosition(4);
    EXPECT_EQ(F.ReadU8(), 'o');
    EXPECT_THROW(F.ReadU8(), EReadError);
    // A read that gets part of what it wants says where it began.
    F.SetPosition(3);
    std::array<std::uint8_t, 512> Buffer{};
    try {
        F.ReadBuffer(Buffer.data(), Buffer.size());
        FAIL();
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Detail(), "read of 512 bytes at offset 3, file has 5 bytes");
    }
}

TEST(FileStream, OpenErrorsNameTheFile) {
    TTempDir Dir;
    Dir.Make("folder/x");
    for (const std::string& Name : {Dir.Path() + "missing.dat", Dir.Path() + "folder"}) {
        try {
            TFileStream F(Name, TFileMode::OpenRead);
            FAIL() << Name;
        } catch (const EFOpenError& E) {
            EXPECT_NE(std::string(E.what()).find(Name), std::string::npos) << E.what();
        }
    }
    EXPECT_THROW(TFileStream(Dir.Path() + "no/such/folder/out.bin", TFileMode::Create),
                 EFOpenError);
}

TEST(FileStream, CreatesAndReadsBack) {
    TTempDir Dir;
    {
        TFileStream F(Dir.Path() + "out.bin", TFileMode::Create);
        F.WriteBuffer("\x01\x02\x03", 3);
        F.Close();
    }
    EXPECT_EQ(ReadFileBytes(Dir.Path() + "out.bin"), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(FileStream, ReadsEveryPieceWhereverItsPositionMovesAcrossWhatItReadAhead) {
    TTempDir Dir;
    std::vector<std::uint8_t> Bytes(300'000);
    for (std::size_t I = 0; I < Bytes.size(); ++I)
        Bytes[I] = static_cast<std::uint8_t>(I * 7 + I / 251);
    const std::string Path = Dir.Write("big.bin", Bytes);
    TFileStream F(Path, TFileMode::OpenRead);
    std::mt19937 Random(5);
    for (int Step = 0; Step < 400; ++Step) {
        const std::size_t At = Random() % Bytes.size();
        // Small pieces, mostly, and now and then one bigger than any read-ahead.
        const std::size_t Want = Step % 50 == 0 ? 100'000 + Random() % 100'000 : Random() % 3000;
        F.SetPosition(static_cast<std::int64_t>(At));
        std::vector<std::uint8_t> Got(Want);
        const std::size_t Count = F.Read(Got.data(), Got.size());
        ASSERT_EQ(Count, std::min(Want, Bytes.size() - At)) << At << " " << Want;
        ASSERT_TRUE(std::equal(Got.begin(), Got.begin() + static_cast<long>(Count),
                               Bytes.begin() + static_cast<long>(At)))
            << At << " " << Want;
        EXPECT_EQ(F.GetPosition(), static_cast<std::int64_t>(At + Count));
    }
    F.SetPosition(400'000);
    std::uint8_t Byte = 0;
    EXPECT_EQ(F.Read(&Byte, 1), 0u) << "past the end reads nothing";
    EXPECT_EQ(F.GetPosition(), 400'000);
    EXPECT_THROW(F.SetPosition(-1), EReadError);
}

TEST(FileStream, WritesAtThePositionItKeeps) {
    TTempDir Dir;
    const std::string Path = Dir.Path() + "out.bin";
    {
        TFileStream F(Path, TFileMode::Create);
        F.WriteBuffer("abcdef", 6);
        EXPECT_EQ(F.GetPosition(), 6);
        F.SetPosition(2);
        F.WriteBuffer("XY", 2);
        EXPECT_EQ(F.GetPosition(), 4);
        EXPECT_EQ(F.GetSize(), 6);
        std::uint8_t Byte = 0;
        EXPECT_EQ(F.Read(&Byte, 1), 0u) << "a file made for writing gives nothing";
        F.Close();
    }
    const auto Bytes = ReadFileBytes(Path);
    EXPECT_EQ(std::string(Bytes.begin(), Bytes.end()), "abXYef");
}

TEST(MappedFile, ReadsAFileInPlaceAndRefusesWhatCannotBeMapped) {
    TTempDir Dir;
    Dir.Write("data/ITEM.DAT", std::string("hello"));
    for (const TMapAccess Access : {TMapAccess::AsTouched, TMapAccess::Whole}) {
        const TMappedFile File(Dir.Path() + "Data/Item.Dat", Access);
        EXPECT_EQ(std::string(File.Bytes().begin(), File.Bytes().end()), "hello");
    }
    TMappedFile Moved(TMappedFile(Dir.Write("empty", std::string())));
    EXPECT_TRUE(Moved.Bytes().empty());
    Moved = TMappedFile(Dir.Path() + "data/item.dat");
    EXPECT_EQ(Moved.Bytes().size(), 5u);
    for (const std::string& Name :
         {Dir.Path() + "missing.dat", Dir.Path() + "data", std::string("/dev/null")}) {
        try {
            TMappedFile File(Name);
            ADD_FAILURE() << Name;
        } catch (const EFOpenError& E) {
            EXPECT_NE(std::string(E.what()).find(Name), std::string::npos) << E.what();
        }
    }
}

TEST(ByteReader, NeverReadsPastItsBlock) {
    const std::array<std::uint8_t, 6> Bytes{1, 0, 2, 0, 0, 0};
    TByteReader R(Bytes);
    EXPECT_EQ(R.U16(), 1);
    EXPECT_EQ(R.U32(), 2u);
    EXPECT_EQ(R.Remaining(), 0u);
    EXPECT_THROW(R.U8(), EReadError);
    R.Seek(5);
    EXPECT_THROW(R.Bytes(2), EReadError);
    EXPECT_EQ(R.Position(), 5u); // a failed read consumes nothing
    EXPECT_THROW(R.Seek(7), EReadError);
}
