// Archives read back with libzip's reader, which checks every header against the directory.
#include "codecs/ZipWriter.h"

#include "platform/Errors.h"
#include "platform/LittleEndian.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

using namespace pelto;
using pelto::test::TTempDir;

namespace {

struct TRead {
    std::vector<std::uint8_t> Bytes;
    std::uint16_t Method;
};

std::vector<std::uint8_t> Bytes(const std::string& Text) {
    return {Text.begin(), Text.end()};
}

/// Every entry in archive order, as libzip reads it, checking each CRC.
std::vector<std::pair<std::string, TRead>> Unzipped(const std::vector<std::uint8_t>& Archive) {
    zip_error_t Error;
    zip_error_init(&Error);
    zip_source_t* Source = zip_source_buffer_create(Archive.data(), Archive.size(), 0, &Error);
    zip_t* Zip = zip_open_from_source(Source, ZIP_RDONLY | ZIP_CHECKCONS, &Error);
    std::vector<std::pair<std::string, TRead>> Entries;
    if (!Zip) {
        ADD_FAILURE() << "libzip refuses the archive: " << zip_error_strerror(&Error);
        zip_source_free(Source);
        return Entries;
    }
    for (zip_int64_t I = 0; I < zip_get_num_entries(Zip, 0); ++I) {
        zip_stat_t Stat;
        EXPECT_EQ(zip_stat_index(Zip, static_cast<zip_uint64_t>(I), 0, &Stat), 0);
        zip_file_t* File = zip_fopen_index(Zip, static_cast<zip_uint64_t>(I), 0);
        std::vector<std::uint8_t> Data(Stat.size);
        EXPECT_EQ(zip_fread(File, Data.data(), Data.size()), static_cast<zip_int64_t>(Data.size()));
        char More;
        EXPECT_EQ(zip_fread(File, &More, 1), 0) << "the CRC checks out at the end";
        zip_fclose(File);
        Entries.push_back({Stat.name, {std::move(Data), Stat.comp_method}});
    }
    zip_close(Zip);
    return Entries;
}

std::vector<std::uint8_t> Written(const std::function<void(TZipWriter&)>& Fill) {
    TMemoryStream Out;
    TZipWriter Zip(Out);
    Fill(Zip);
    Zip.Finish();
    const auto Memory = Out.Memory();
    return {Memory.begin(), Memory.end()};
}

} // namespace

TEST(ZipWriter, WritesEntriesInOrderStoredOrDeflatedAsAsked) {
    TTempDir Dir;
    std::string Text;
    for (int I = 0; I < 20'000; ++I)
        Text += "line " + std::to_string(I % 97) + "\n";
    const std::string Sheet = Dir.Write("sheet.png", std::string("\x89PNG sheet bytes"));
    const auto Archive = Written([&](TZipWriter& Zip) {
        Zip.Add(
            "README.txt", [&] { return Bytes(Text); }, true);
        Zip.Add(
            "frames/m0-d0-f1.png", [] { return Bytes("picture"); }, false);
        Zip.Add(
            "layers/09 Slot 3 クロー.png", [] { return Bytes("名前"); }, false);
        Zip.Add(
            "empty", [] { return std::vector<std::uint8_t>(); }, true);
        Zip.AddFile("sheet.png", Sheet, false);
    });
    const auto Entries = Unzipped(Archive);
    ASSERT_EQ(Entries.size(), 5u);
    EXPECT_EQ(Entries[0].first, "README.txt");
    EXPECT_EQ(Entries[0].second.Bytes, Bytes(Text));
    EXPECT_EQ(Entries[0].second.Method, ZIP_CM_DEFLATE);
    EXPECT_LT(Archive.size(), Text.size() / 4) << "text is compressed";
    EXPECT_EQ(Entries[1].first, "frames/m0-d0-f1.png");
    EXPECT_EQ(Entries[1].second.Method, ZIP_CM_STORE);
    EXPECT_EQ(Entries[2].first, "layers/09 Slot 3 クロー.png") << "UTF-8 names";
    EXPECT_EQ(Entries[2].second.Bytes, Bytes("名前"));
    EXPECT_TRUE(Entries[3].second.Bytes.empty());
    EXPECT_EQ(Entries[4].second.Bytes, Bytes("\x89PNG sheet bytes"));
}

TEST(ZipWriter, TheSameEntriesAreTheSameBytesDated2000) {
    const auto Fill = [](TZipWriter& Zip) {
        Zip.Add(
            "a.txt", [] { return Bytes("alpha"); }, true);
        Zip.Add(
            "b.png", [] { return Bytes("beta"); }, false);
    };
    const auto Archive = Written(Fill);
    EXPECT_EQ(Archive, Written(Fill));
    // Every local header: its time, then its date, in MS-DOS form.
    for (std::size_t At = 0; At + 30 <= Archive.size(); ++At)
        if (LoadLE32(Archive.data() + At) == 0x04034B50) {
            EXPECT_EQ(LoadLE16(Archive.data() + At + 10), 0);
            EXPECT_EQ(LoadLE16(Archive.data() + At + 12), ((2000 - 1980) << 9) | (1 << 5) | 1);
        }
    EXPECT_TRUE(Unzipped(Written([](TZipWriter&) {})).empty()) << "an empty archive is valid";
}

TEST(ZipWriter, EntriesAreMadeOneAtATimeAndTheirFailuresPropagateAsRaised) {
    int Made = 0;
    TMemoryStream Out;
    TZipWriter Zip(Out);
    Zip.Add(
        "1", [&] { return ++Made, Bytes("one"); }, false);
    Zip.Add(
        "2", [&]() -> std::vector<std::uint8_t> { throw std::out_of_range("cancelled"); }, false);
    Zip.Add(
        "3", [&] { return ++Made, Bytes("three"); }, false);
    EXPECT_EQ(Made, 0) << "nothing made before the archive is written";
    EXPECT_THROW(Zip.Finish(), std::out_of_range);
    EXPECT_EQ(Made, 1);

    TZipWriter Missing(Out);
    Missing.AddFile("sheet.png", "/no/such/sheet.png", false);
    EXPECT_THROW(Missing.Finish(), EFOpenError);

    const std::vector<std::uint8_t> Nowhere;
    TSpanStream ReadOnly(Nowhere);
    TZipWriter Unwritable(ReadOnly);
    Unwritable.Add(
        "a", [] { return Bytes("a"); }, false);
    EXPECT_THROW(Unwritable.Finish(), EWriteError);
}

TEST(ZipWriter, RefusesMoreEntriesThanTheFormatCountsWritingNothing) {
    TMemoryStream Out;
    TZipWriter Zip(Out);
    for (int I = 0; I < 65'536; ++I)
        Zip.Add(
            std::to_string(I), [] { return std::vector<std::uint8_t>(); }, false);
    EXPECT_THROW(Zip.Finish(), EWriteError);
    EXPECT_EQ(Out.GetSize(), 0);
}
