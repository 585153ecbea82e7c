#include "game/wloutils.h"

#include "platform/Errors.h"
#include "support/TempDir.h"
#include "writers/ItemTableWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace pelto;
using pelto::test::TTempDir;

namespace {

void Load(TWLOItemDataFile& File, const TItemTableWriter& Writer) {
    TMemoryStream S(Writer.Build());
    File.LoadFromStream(S);
}

TItemInfo Plain(std::uint16_t Id) {
    TItemInfo Info;
    Info.ItemID = Id;
    Info.IconNo = 500;
    Info.SpriteNo = {2001, 3001, 4001, 5001};
    Info.Name = "Item";
    return Info;
}

// The decoded record of a table holding only Record, corrections applied.
TWLOItemData Loaded(const TWLOItemData& Record) {
    TItemTableWriter W;
    W.Add(Record);
    TWLOItemDataFile File;
    Load(File, W);
    return *File.Item(1);
}

void ExpectLoadFails(std::vector<std::uint8_t> Bytes, const char* Message) {
    TMemoryStream S(std::move(Bytes));
    TWLOItemDataFile File;
    try {
        File.LoadFromStream(S);
        ADD_FAILURE() << "loaded";
    } catch (const EWloError& E) {
        EXPECT_STREQ(E.what(), Message);
    }
    EXPECT_EQ(File.GetCount(), 0);
}

} // namespace

TEST(ItemTable, RoundTripsEveryNamedField) {
    TItemInfo Info;
    Info.Kind = 7;
    Info.ItemID = 65535;
    Info.IconNo = 1200;
    Info.SpriteNo = {2101, 3102, 4103, 5104};
    Info.StatType = {210, 210};
    Info.StatValue = {-20, 2000000000};
    Info.Slot = 6;
    for (std::uint32_t I = 0; I < 16; ++I)
        Info.ColorWords[I] = 4000000000u + I * 111111;
    Info.ListNumber = 255;
    Info.Name = "\x83\x4E\x83\x8D\x81\x5B"
                "abcdefghijklmn"; // 20 bytes, Shift-JIS first
    Info.Text = std::string(254, 't');
    const TWLOItemData R = Loaded(MakeItemRecord(Info));
    EXPECT_EQ(R.Kind(), 7);
    EXPECT_EQ(R.ItemID(), 65535);
    EXPECT_EQ(R.IconNo(), 1200);
    for (int G = 0; G < 4; ++G)
        EXPECT_EQ(R.SpriteNo(G), Info.SpriteNo[G]);
    EXPECT_EQ(R.StatType(0), 210);
    EXPECT_EQ(R.StatType(1), 210);
    EXPECT_EQ(R.StatValue(0), -20);
    EXPECT_EQ(R.StatValue(1), 2000000000);
    EXPECT_EQ(R.Slot(), 6);
    for (int I = 0; I < 16; ++I)
        EXPECT_EQ(R.ColorWord(I), Info.ColorWords[I]);
    EXPECT_EQ(R.ListNumber(), 255);
    EXPECT_EQ(R.Name(), Info.Name);
    EXPECT_EQ(R.Text(), Info.Text);
}

TEST(ItemTable, DecodesEveryByteOfTheRecordExactlyOnce) {
    std::mt19937 Random(457);
    TWLOItemData Record;
    for (std::uint8_t& B : Record.Bytes)
        B = static_cast<std::uint8_t>(Random());
    // Keep the corrections out of the way.
    Record.SetItemID(1);
    Record.SetIconNo(1);
    for (int G = 0; G < 4; ++G)
        Record.SetSpriteNo(G, 1);
    Record.SetU16(142, 1);
    TItemTableWriter W;
    W.Add(Record);
    TWLOItemDataFile File;
    Load(File, W);
    EXPECT_EQ(std::memcmp(File.GetData(1), Record.Bytes.data(), Record.Bytes.size()), 0);

    TMemoryStream Dest;
    Dest.WriteBuffer("head", 4);
    File.ExtractToStream(1, Dest);
    EXPECT_EQ(Dest.GetPosition(), 4);
    EXPECT_EQ(Dest.GetSize(), 4 + 457);
    EXPECT_EQ(std::memcmp(Dest.Memory().data() + 4, Record.Bytes.data(), 457), 0);
}

TEST(ItemTable, NameIsDecodedOverTheWholeFieldAndCutByItsLength) {
    TWLOItemData Record = MakeItemRecord(Plain(10));
    Record.SetName("CapABCDEFGHIJKLMNOPQ");
    Record.SetU8(0, 3);
    const TWLOItemData R = Loaded(Record);
    EXPECT_EQ(R.Name(), "Cap");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(R.Bytes.data() + 1), 20),
              "CapABCDEFGHIJKLMNOPQ");

    Record.SetU8(0, 200);   // above the field: the whole field
    Record.SetU8(152, 255); // above the field: the whole field
    const TWLOItemData Long = Loaded(Record);
    EXPECT_EQ(Long.Name(), "CapABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(Long.Text().size(), 254u);
}

TEST(ItemTable, KeepsTheHeaderRecordAsStored) {
    TItemTableWriter W;
    for (std::size_t I = 0; I < 120; ++I)
        W.Header().SetU8(I, static_cast<std::uint8_t>(I));
    W.Add(Plain(1));
    TWLOItemDataFile File;
    Load(File, W);
    ASSERT_EQ(File.GetCount(), 2);
    EXPECT_EQ(std::memcmp(File.GetData(0), W.Header().Bytes.data(), 457), 0);
    EXPECT_EQ(File.Item(0)->U32(120), 9u);
}

TEST(ItemTable, RecordsAreAddressedByPointerAndFixedSize) {
    TItemTableWriter W;
    W.Add(Plain(1));
    W.Add(Plain(2));
    TWLOItemDataFile File;
    Load(File, W);
    ASSERT_EQ(File.GetCount(), 3);
    EXPECT_EQ(File.GetData(2), File.Item(2));
    EXPECT_EQ(File.Item(2), File.Item(1) + 1);
    EXPECT_EQ(File.GetSize(2), 457);
    EXPECT_EQ(File.GetOffset(2), 914);
    EXPECT_EQ(File.Item(2)->ItemID(), 2);
}

TEST(ItemTable, GetNameShowsKindIdAndTheNameBytes) {
    TItemInfo Hat = Plain(42);
    Hat.Kind = 7;
    Hat.Name = "Hat";
    TItemInfo Cap = Plain(1234);
    Cap.Kind = 3;
    Cap.Name = "\x83\x4E\x83\x8D"; // stays Shift-JIS
    TItemTableWriter W;
    W.Add(Hat);
    W.Add(Cap);
    TWLOItemDataFile File;
    Load(File, W);
    EXPECT_EQ(File.GetName(1), "07-00042: Hat");
    EXPECT_EQ(File.GetName(2), "03-01234: \x83\x4E\x83\x8D");
}

TEST(ItemTable, CountsWholeRecordsFromTheStreamPosition) {
    TItemTableWriter Header;
    TWLOItemDataFile File;
    Load(File, Header);
    EXPECT_EQ(File.GetCount(), 1);

    TItemTableWriter W;
    W.Add(Plain(77));
    W.SetTail(std::vector<std::uint8_t>(456, 0xEE));
    std::vector<std::uint8_t> Bytes(13, 0xAA); // not part of the table
    const std::vector<std::uint8_t> Table = W.Build();
    Bytes.insert(Bytes.end(), Table.begin(), Table.end());
    TMemoryStream S(Bytes);
    S.SetPosition(13);
    File.LoadFromStream(S);
    ASSERT_EQ(File.GetCount(), 2);
    EXPECT_EQ(File.Item(1)->ItemID(), 77);
}

TEST(ItemTable, KeepsEveryRecordOfATableBeyond65535) {
    TItemTableWriter W;
    for (int I = 1; I <= 65536; ++I)
        W.Add(MakeItemRecord(Plain(static_cast<std::uint16_t>(I))));
    TWLOItemDataFile File;
    Load(File, W);
    ASSERT_EQ(File.GetCount(), 65537);
    EXPECT_EQ(File.Item(65535)->ItemID(), 65535);
    EXPECT_EQ(File.Item(65536)->ItemID(), 0); // 65536 wrapped in the 16-bit field
    EXPECT_EQ(File.GetOffset(65536), 65536LL * 457);
}

TEST(ItemTable, RefusesAWrongVersion) {
    const char* Message = "アイテムデータバージョンが一致しません";
    TItemTableWriter W;
    W.SetVersion(8);
    W.Add(Plain(1));
    ExpectLoadFails(W.Build(), Message);
    std::vector<std::uint8_t> Short = W.Build();
    Short.resize(124);
    ExpectLoadFails(Short, Message);
}

TEST(ItemTable, RefusesFilesTooShortForARecord) {
    const char* Invalid = "無効なデータです";
    const std::vector<std::uint8_t> Header = TItemTableWriter().Build();
    for (std::size_t Size : {124u, 300u, 456u})
        ExpectLoadFails({Header.begin(), Header.begin() + static_cast<long>(Size)}, Invalid);
    for (std::size_t Size : {0u, 1u, 123u})
        ExpectLoadFails({Header.begin(), Header.begin() + static_cast<long>(Size)},
                        "Stream read error");
}

TEST(ItemTable, LoadsFromAFile) {
    TTempDir Dir;
    TItemTableWriter W;
    W.Add(Plain(5));
    W.WriteToFile(Dir.Make("data/Item.Dat"));
    TWLOItemDataFile File;
    File.LoadFromFile(Dir.Path() + "data/Item.Dat");
    EXPECT_EQ(File.FileName(), Dir.Path() + "data/Item.Dat");
    ASSERT_EQ(File.GetCount(), 2);
    EXPECT_EQ(File.Item(1)->ItemID(), 5);
}

TEST(ItemTable, ErrorsOfAFileNameItBesideTheirMessage) {
    TTempDir Dir;
    TItemTableWriter W;
    W.SetVersion(8);
    const std::string Path = Dir.Write("data/Item.Dat", W.Build());
    const std::string Short = Dir.Write("data/Short.Dat", std::string(10, '\0'));
    for (const auto& [File, Message] : {std::pair{Path, "アイテムデータバージョンが一致しません"},
                                        {Short, "Stream read error"}}) {
        TWLOItemDataFile Items;
        try {
            Items.LoadFromFile(File);
            ADD_FAILURE() << "loaded " << File;
        } catch (const EWloError& E) {
            EXPECT_STREQ(E.what(), Message);
            EXPECT_EQ(E.FileName(), File);
        }
    }
}

// --- corrections of known records ---

TEST(ItemCorrections, FixKnownRecordsById) {
    struct TCase {
        std::uint16_t Id;
        std::size_t Offset;
        int Width;
        std::uint32_t Expected;
    };
    const TCase Cases[] = {
        {32024, 42, 4, 110}, {34128, 427, 2, 720}, {34129, 427, 2, 720}, {34129, 26, 2, 19031},
        {34132, 427, 2, 0},  {34022, 118, 1, 1},   {37247, 124, 4, 0},   {42074, 129, 2, 8},
        {47009, 129, 2, 28}, {61039, 21, 1, 52},
    };
    for (const TCase& C : Cases) {
        TWLOItemData Record = MakeItemRecord(Plain(C.Id));
        Record.SetU32(42, 999);
        Record.SetU16(427, 999);
        Record.SetU16(26, 999);
        Record.SetU8(118, 99);
        Record.SetU32(124, 999);
        Record.SetU16(129, 999);
        Record.SetKind(9);
        const TWLOItemData R = Loaded(Record);
        const std::uint32_t Got = C.Width == 1   ? R.U8(C.Offset)
                                  : C.Width == 2 ? R.U16(C.Offset)
                                                 : R.U32(C.Offset);
        EXPECT_EQ(Got, C.Expected) << "id " << C.Id << " offset " << C.Offset;
    }
    // A neighbouring id is left alone.
    TWLOItemData Other = MakeItemRecord(Plain(32025));
    Other.SetStatValue(0, 95);
    EXPECT_EQ(Loaded(Other).StatValue(0), 95);
}

TEST(ItemCorrections, RenameItem39019KeepingTheLaterNameBytes) {
    TWLOItemData Record = MakeItemRecord(Plain(39019));
    Record.SetName("ABCDEFGHIJKLMNOPQRST");
    Record.SetU8(0, 4);
    const TWLOItemData R = Loaded(Record);
    EXPECT_EQ(R.NameLength(), 16u);
    EXPECT_EQ(R.Name(), "\x83\x4E\x83\x8D\x81\x5BGHIJKLMNOP");
}

TEST(ItemCorrections, MoveIcon1134AndOldSpritesExceptForItem18002) {
    TItemInfo Info = Plain(100);
    Info.IconNo = 1134;
    Info.SpriteNo = {2035, 3035, 4035, 5035};
    TWLOItemData Record = MakeItemRecord(Info);
    Record.SetU16(142, 62);
    const TWLOItemData R = Loaded(Record);
    EXPECT_EQ(R.IconNo(), 1135);
    EXPECT_EQ(R.SpriteNo(0), 2037);
    EXPECT_EQ(R.SpriteNo(1), 3037);
    EXPECT_EQ(R.SpriteNo(2), 4037);
    EXPECT_EQ(R.SpriteNo(3), 5037);
    EXPECT_EQ(R.U8(51), 2);
    EXPECT_EQ(R.U32(124), 2u);

    Record.SetItemID(18002);
    const TWLOItemData Exempt = Loaded(Record);
    EXPECT_EQ(Exempt.IconNo(), 1134);
    EXPECT_EQ(Exempt.SpriteNo(0), 2035);
    EXPECT_EQ(Exempt.SpriteNo(3), 5035);
    EXPECT_EQ(Exempt.U8(51), 2); // the rule of offset 142 knows no exception

    // Each rule looks at its own field only.
    TItemInfo One = Plain(100);
    One.SpriteNo = {2001, 3035, 4001, 2035};
    const TWLOItemData Mixed = Loaded(MakeItemRecord(One));
    EXPECT_EQ(Mixed.SpriteNo(1), 3037);
    EXPECT_EQ(Mixed.SpriteNo(3), 2035);
    EXPECT_EQ(Mixed.IconNo(), 500);
}

TEST(ItemCorrections, RulesApplyBetweenTheFirstAndTheLastIdFixes) {
    // Id 34129 rewrites offset 26 but not the icon; the icon rule still runs.
    TItemInfo Info = Plain(34129);
    Info.IconNo = 1134;
    const TWLOItemData R = Loaded(MakeItemRecord(Info));
    EXPECT_EQ(R.IconNo(), 1135);
    EXPECT_EQ(R.U16(26), 19031);

    // The rule of offset 142 sets offset 124 to 2; the fix of id 37247 comes later and wins.
    TWLOItemData Marked = MakeItemRecord(Plain(37247));
    Marked.SetU16(142, 62);
    const TWLOItemData Fixed = Loaded(Marked);
    EXPECT_EQ(Fixed.U32(124), 0u);
    EXPECT_EQ(Fixed.U8(51), 2);
}

// --- the table read on demand ---

namespace {

// A table with identifiers repeated across slots, and records the corrections change.
TItemTableWriter MixedTable() {
    TItemTableWriter W;
    for (std::uint8_t Slot = 1; Slot <= 3; ++Slot) {
        TItemInfo Info = Plain(700);
        Info.Slot = Slot;
        Info.Name = "Slot" + std::to_string(Slot);
        W.Add(Info);
    }
    TItemInfo Renamed = Plain(39019); // renamed by the corrections
    Renamed.Slot = 2;
    W.Add(Renamed);
    TItemInfo Moved = Plain(5);
    Moved.IconNo = 1134; // moved to 1135 by the corrections
    Moved.SpriteNo = {2035, 3035, 4035, 5035};
    W.Add(Moved);
    return W;
}

} // namespace

TEST(ItemTableOnDemand, FindsTheRecordsTheFullTableHoldsFirstInTableOrder) {
    TTempDir Dir;
    const TItemTableWriter W = MixedTable();
    const std::string Path = Dir.Make("data/Item.Dat");
    W.WriteToFile(Path);
    TWLOItemDataFile Full;
    Full.LoadFromFile(Path);
    TWLOItemTableOnDemand Table;
    Table.Open(Path);
    ASSERT_EQ(Table.GetCount(), Full.GetCount());

    const auto Any = [](const TWLOItemData&) {
        return true;
    };
    const auto Same = [&](const TWLOItemData* Found, int Index) {
        ASSERT_NE(Found, nullptr) << Index;
        EXPECT_EQ(Found->Bytes, Full.Item(Index)->Bytes) << Index;
    };
    Same(Table.FindFirst(0, Any), 0); // the header record, as stored
    Same(Table.FindFirst(700, Any), 1);
    Same(Table.FindFirst(700, [](const TWLOItemData& R) { return R.Slot() == 3; }), 3);
    Same(Table.FindFirst(39019, Any), 4);
    Same(Table.FindFirst(5, Any), 5);
    EXPECT_EQ(Table.FindFirst(5, Any)->IconNo(), 1135);
    EXPECT_EQ(Table.FindFirst(700, [](const TWLOItemData& R) { return R.Slot() == 4; }), nullptr);
    EXPECT_EQ(Table.FindFirst(701, Any), nullptr);
    EXPECT_EQ(Table.FindFirst(700, Any), Table.FindFirst(700, Any)) << "decoded once, kept";
}

TEST(ItemTableOnDemand, RefusesWhatTheFullTableRefusesNamingTheFile) {
    TTempDir Dir;
    TItemTableWriter Old;
    Old.SetVersion(8);
    const std::vector<std::uint8_t> Header = TItemTableWriter().Build();
    const std::pair<std::string, const char*> Cases[] = {
        {Dir.Write("old.dat", Old.Build()), "アイテムデータバージョンが一致しません"},
        {Dir.Write("short.dat", std::string(10, '\0')), "Stream read error"},
        {Dir.Write("header.dat", std::span(Header).first(300)), "無効なデータです"},
        {Dir.Write("empty.dat", std::string()), "Stream read error"},
    };
    for (const auto& [Path, Message] : Cases) {
        TWLOItemTableOnDemand Table;
        try {
            Table.Open(Path);
            ADD_FAILURE() << "opened " << Path;
        } catch (const EWloError& E) {
            EXPECT_STREQ(E.what(), Message) << Path;
            EXPECT_EQ(E.FileName(), Path);
        }
        EXPECT_EQ(Table.GetCount(), 0);
        EXPECT_EQ(Table.FindFirst(0, [](const TWLOItemData&) { return true; }), nullptr);
    }
    TWLOItemTableOnDemand Table;
    EXPECT_THROW(Table.Open(Dir / "missing.dat"), EFOpenError);
    EXPECT_THROW(Table.Open(Dir.Path()), EFOpenError) << "a folder";
}
