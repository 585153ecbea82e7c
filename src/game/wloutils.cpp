#include "game/wloutils.h"

#include "game/GameFacts.h"

#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WineRegistry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <utility>

namespace pelto {

void TWLOFile::LoadFromFile(const std::string& FileName) {
    FFileName = FileName;
    WithFileName(FileName, [&] {
        TFileStream Stream(FileName, TFileMode::OpenRead);
        LoadFromStream(Stream);
    });
}

// ---------------------------------------------------------------------------------------------
// Group-image files

void TWLOGroupImageFile::LoadFromStream(TStream& Stream) {
    const std::uint16_t Count = Stream.ReadU16();
    const std::int64_t DirectoryBytes = static_cast<std::int64_t>(Count) *
                                        static_cast<std::int64_t>(TWLOGroupImageEntry::RecordSize);
    if (DirectoryBytes > Stream.Remaining())
        throw EReadError(static_cast<std::uint64_t>(DirectoryBytes), Stream.GetPosition(),
                         Stream.GetSize());
    std::vector<TWLOGroupImageEntry> Entries(Count);
    Stream.ReadBuffer(Entries.data(), static_cast<std::size_t>(DirectoryBytes));
    FEntries = std::move(Entries);
}

namespace {

// Where the entry's bytes lie in a file of FileSize bytes; EReadError when they do not fit.
void CheckEntryFits(const TWLOGroupImageEntry& Entry, std::int64_t FileSize) {
    const std::int64_t End = static_cast<std::int64_t>(Entry.Offset()) + Entry.Size();
    if (End > FileSize)
        throw EReadError(Entry.Size(), Entry.Offset(), FileSize);
}

} // namespace

void TWLOGroupImageFile::ExtractToStream(int Index, TStream& Dest) const {
    const TWLOGroupImageEntry& E = Entry(Index);
    if (E.Size() == 0)
        return;
    // Only the source's errors name the file: Dest may be a file of its own.
    TFileStream Source = WithFileName(FFileName, [&] {
        TFileStream File(FFileName, TFileMode::OpenRead);
        CheckEntryFits(E, File.GetSize());
        File.SetPosition(E.Offset());
        return File;
    });
    const std::int64_t Start = Dest.GetPosition();
    Dest.CopyFrom(Source, E.Size());
    Dest.SetPosition(Start);
}

void TWLOGroupImageFileOnMemory::LoadFromStream(TStream& Stream) {
    TWLOGroupImageFile::LoadFromStream(Stream);
    try {
        std::vector<std::uint8_t> Data(static_cast<std::size_t>(Stream.GetSize()));
        Stream.SetPosition(0);
        Stream.ReadBuffer(Data.data(), Data.size());
        FData = std::move(Data);
    } catch (...) {
        // A directory without its data would extract from the previous file's bytes.
        FEntries.clear();
        FData.clear();
        throw;
    }
}

void TWLOGroupImageFileOnMemory::ExtractToStream(int Index, TStream& Dest) const {
    const TWLOGroupImageEntry& E = Entry(Index);
    if (E.Size() == 0)
        return;
    WithFileName(FFileName, [&] { CheckEntryFits(E, static_cast<std::int64_t>(FData.size())); });
    const std::int64_t Start = Dest.GetPosition();
    Dest.WriteBuffer(FData.data() + E.Offset(), E.Size());
    Dest.SetPosition(Start);
}

void TWLONameIndex::Build(const TWLOFile& File) {
    FIndex.clear();
    const int Count = File.GetCount();
    FIndex.reserve(static_cast<std::size_t>(Count));
    for (int I = 0; I < Count; ++I)
        FIndex.insert_or_assign(UpperCase(File.GetName(I)), I);
}

int TWLONameIndex::IndexOf(std::string_view Name) const {
    const auto Found = FIndex.find(UpperCase(Name));
    return Found == FIndex.end() ? -1 : Found->second;
}

// ---------------------------------------------------------------------------------------------
// Item records

namespace {

constexpr bool FieldsTileRecord() {
    std::size_t Next = 0;
    for (const TItemField& F : WloItemFields) {
        if (F.Offset != Next || F.Width == 0)
            return false;
        if (F.Coding == TItemFieldCoding::Scrambled && F.Width != 1 && F.Width != 2 && F.Width != 4)
            return false;
        Next += F.Width;
    }
    return Next == TWLOItemData::RecordSize;
}
static_assert(FieldsTileRecord(), "the item fields must cover every byte of a record once");

constexpr std::uint32_t ScrambleKey = 0x0C;

constexpr std::uint32_t ScrambleMask(std::size_t Width) {
    return Width == 1 ? 0xD6u : Width == 2 ? 0x71A4u : 0x3E17A6C9u;
}

constexpr std::uint32_t WidthMask(std::size_t Width) {
    return Width == 4 ? 0xFFFFFFFFu : (1u << (8 * Width)) - 1;
}

std::uint32_t LoadField(const std::uint8_t* P, std::size_t Width) {
    return Width == 1 ? P[0] : Width == 2 ? LoadLE16(P) : LoadLE32(P);
}

void StoreField(std::uint8_t* P, std::size_t Width, std::uint32_t V) {
    if (Width == 1)
        P[0] = static_cast<std::uint8_t>(V);
    else if (Width == 2)
        StoreLE16(P, static_cast<std::uint16_t>(V));
    else
        StoreLE32(P, V);
}

template <std::size_t Field, typename NumberCoding>
void CodeField(std::uint8_t* Record, NumberCoding Code) {
    constexpr TItemField F = WloItemFields[Field];
    std::uint8_t* P = Record + F.Offset;
    if constexpr (F.Coding == TItemFieldCoding::Reversed) {
        // Eight bytes a step from the far end, each step's bytes swapped in a register.
        std::array<std::uint8_t, F.Width> Stored;
        std::memcpy(Stored.data(), P, F.Width);
        std::size_t I = 0;
        for (; I + 8 <= F.Width; I += 8) {
            std::uint64_t Eight;
            std::memcpy(&Eight, Stored.data() + F.Width - I - 8, 8);
            Eight = __builtin_bswap64(Eight);
            std::memcpy(P + I, &Eight, 8);
        }
        for (; I < F.Width; ++I)
            P[I] = Stored[F.Width - 1 - I];
    } else if constexpr (F.Coding == TItemFieldCoding::Scrambled)
        StoreField(P, F.Width,
                   Code(LoadField(P, F.Width), ScrambleMask(F.Width)) & WidthMask(F.Width));
}

// Every table is thousands of records: each field's coding is settled at compile time, so
// that a record is a straight run of loads and stores.
template <typename NumberCoding> void CodeRecord(TWLOItemData& Record, NumberCoding Code) {
    [&]<std::size_t... Field>(std::index_sequence<Field...>) {
        (CodeField<Field>(Record.Bytes.data(), Code), ...);
    }
    (std::make_index_sequence<std::size(WloItemFields)>{});
}

void SetSjisField(TWLOItemData& Record, std::size_t LengthOffset, std::size_t Capacity,
                  std::string_view Sjis) {
    if (Sjis.size() > Capacity)
        throw std::invalid_argument(
            Format("text of %zu bytes does not fit a field of %zu", Sjis.size(), Capacity));
    Record.Bytes[LengthOffset] = static_cast<std::uint8_t>(Sjis.size());
    std::memcpy(Record.Bytes.data() + LengthOffset + 1, Sjis.data(), Sjis.size());
}

} // namespace

void TWLOItemData::SetName(std::string_view Sjis) {
    SetSjisField(*this, NameLengthAt, NameCapacity, Sjis);
}

void TWLOItemData::SetText(std::string_view Sjis) {
    SetSjisField(*this, TextLengthAt, TextCapacity, Sjis);
}

void DescrambleItemRecord(TWLOItemData& Record) {
    CodeRecord(Record, [](std::uint32_t V, std::uint32_t M) { return (V ^ M) - ScrambleKey; });
}

void ScrambleItemRecord(TWLOItemData& Record) {
    CodeRecord(Record, [](std::uint32_t V, std::uint32_t M) { return (V + ScrambleKey) ^ M; });
}

// ---------------------------------------------------------------------------------------------
// Table files

void TWLODataFile::ExtractToStream(int Index, TStream& Dest) const {
    const std::int64_t Size = GetSize(Index);
    Dest.WriteBuffer(GetData(Index), static_cast<std::size_t>(Size));
    Dest.Skip(-Size);
}

namespace {

constexpr bool IsItemField(TItemField Field) {
    for (const TItemField& F : WloItemFields)
        if (F.Offset == Field.Offset && F.Width == Field.Width && F.Coding == Field.Coding)
            return true;
    return false;
}

// Fields of no known meaning that the corrections test or write, named by where they lie.
constexpr TItemField Word26 = TItemField::Word(26);
constexpr TItemField Byte51 = TItemField::Byte(51);
constexpr TItemField Byte118 = TItemField::Byte(118);
constexpr TItemField DWord124 = TItemField::DWord(124);
constexpr TItemField Word129 = TItemField::Word(129);
constexpr TItemField Word142 = TItemField::Word(142);
constexpr TItemField Word427 = TItemField::Word(427);
constexpr TItemField KindField = TItemField::Byte(TWLOItemData::KindAt);
constexpr TItemField FirstStatValue = TItemField::DWord(TWLOItemData::StatValueAt);
static_assert(IsItemField(Word26) && IsItemField(Byte51) && IsItemField(Byte118) &&
              IsItemField(DWord124) && IsItemField(Word129) && IsItemField(Word142) &&
              IsItemField(Word427) && IsItemField(KindField) && IsItemField(FirstStatValue));

std::uint32_t FieldValue(const TWLOItemData& R, TItemField F) {
    return LoadField(R.Bytes.data() + F.Offset, F.Width);
}

void SetField(TWLOItemData& R, TItemField F, std::uint32_t Value) {
    StoreField(R.Bytes.data() + F.Offset, F.Width, Value);
}

// A value the shipped table has wrong for one item.
struct TItemFix {
    std::uint16_t ItemID;
    TItemField Field;
    std::uint32_t Value;
};

constexpr TItemFix FixesBeforeRules[] = {
    {32024, FirstStatValue, 110}, {34128, Word427, 720}, {34129, Word427, 720},
    {34129, Word26, 19031},       {34132, Word427, 0},
};
// After the rules, so that item 37247's value at 124 wins over the rule of Word142.
constexpr TItemFix FixesAfterRules[] = {
    {34022, Byte118, 1},  {37247, DWord124, 0},   {42074, Word129, 8},
    {47009, Word129, 28}, {61039, KindField, 52},
};

void ApplyFixes(TWLOItemData& R, std::uint16_t Id, std::span<const TItemFix> Fixes) {
    for (const TItemFix& Fix : Fixes)
        if (Fix.ItemID == Id)
            SetField(R, Fix.Field, Fix.Value);
}

constexpr std::uint16_t RuleExempt = 18002; // keeps its own icon and sprites
constexpr std::uint16_t OldIconNo = 1134;
constexpr std::uint16_t NewIconNo = 1135;
constexpr std::array<std::uint16_t, 4> OldSpriteNo = {2035, 3035, 4035, 5035};
constexpr std::uint16_t NewSpriteNoStep = 2;
constexpr std::uint32_t Word142Marker = 62;
constexpr std::uint32_t MarkedValue = 2; // written to Byte51 and DWord124

// Renamed "クロー" (Shift-JIS), length 16: the later name bytes stay.
constexpr std::uint16_t RenamedItem = 39019;
constexpr std::array<std::uint8_t, 7> RenamedHead = {0x10, 0x83, 0x4E, 0x83, 0x8D, 0x81, 0x5B};
static_assert(TWLOItemData::NameAt == TWLOItemData::NameLengthAt + 1);

// Known faults of the shipped table, fixed after decoding.
void CorrectItem(TWLOItemData& R) {
    const std::uint16_t Id = R.ItemID();
    ApplyFixes(R, Id, FixesBeforeRules);

    if (R.IconNo() == OldIconNo && Id != RuleExempt)
        R.SetIconNo(NewIconNo);
    for (int G = 0; G < static_cast<int>(OldSpriteNo.size()); ++G)
        if (R.SpriteNo(G) == OldSpriteNo[G] && Id != RuleExempt)
            R.SetSpriteNo(G, static_cast<std::uint16_t>(OldSpriteNo[G] + NewSpriteNoStep));
    if (FieldValue(R, Word142) == Word142Marker) {
        SetField(R, Byte51, MarkedValue);
        SetField(R, DWord124, MarkedValue);
    }

    ApplyFixes(R, Id, FixesAfterRules);
    if (Id == RenamedItem)
        std::copy(RenamedHead.begin(), RenamedHead.end(),
                  R.Bytes.begin() + TWLOItemData::NameLengthAt);
}

} // namespace

std::string TWLOItemDataFile::GetName(int Index) const {
    const TWLOItemData& R = *Item(Index);
    return Format("%.2d-%.5d: ", R.Kind(), R.ItemID()) + std::string(R.Name());
}

namespace {

// The records of the table from the stream's position, which it keeps: every record of the
// file counts, however many there are, from the bytes actually present, never from a field.
std::size_t CheckedRecordCount(TStream& Stream) {
    const std::int64_t Start = Stream.GetPosition();
    Stream.Skip(120);
    const std::uint32_t FileVersion = Stream.ReadU32();
    Stream.SetPosition(Start);
    if (FileVersion != TWLOItemDataFile::Version)
        throw EWloError("アイテムデータバージョンが一致しません");
    const auto Count = static_cast<std::size_t>(Stream.Remaining()) / TWLOItemData::RecordSize;
    if (Count == 0)
        throw EWloError("無効なデータです");
    return Count;
}

// Record 0 is the header and is kept as stored.
void DecodeRecord(TWLOItemData& Record, std::size_t Index) {
    if (Index == 0)
        return;
    DescrambleItemRecord(Record);
    CorrectItem(Record);
}

// The identifier of the stored record at Index, without decoding the rest of it; no
// correction changes an identifier.
std::uint16_t StoredItemID(const std::uint8_t* Record, std::size_t Index) {
    constexpr TItemField Field = TItemField::Word(TWLOItemData::ItemIDAt);
    static_assert(IsItemField(Field));
    const std::uint32_t Stored = LoadLE16(Record + Field.Offset);
    if (Index == 0)
        return static_cast<std::uint16_t>(Stored);
    return static_cast<std::uint16_t>((Stored ^ ScrambleMask(Field.Width)) - ScrambleKey);
}

} // namespace

void TWLOItemDataFile::LoadFromStream(TStream& Stream) {
    const std::size_t Count = CheckedRecordCount(Stream);
    FItems.clear();
    std::vector<TWLOItemData> Items(Count);
    Stream.ReadBuffer(Items.data(), Count * TWLOItemData::RecordSize);
    for (std::size_t I = 0; I < Count; ++I)
        DecodeRecord(Items[I], I);
    FItems = std::move(Items);
}

void TWLOItemTableOnDemand::Open(const std::string& FileName) {
    const std::lock_guard Lock(FLock);
    FFile.reset();
    FCount = 0;
    FIds.clear();
    FDecoded.clear();
    WithFileName(FileName, [&] {
        // Lookups read through the file from its start: every page is brought in at once.
        TMappedFile File(FileName, TMapAccess::Whole);
        TSpanStream Stream(File.Bytes());
        FCount = CheckedRecordCount(Stream);
        FIds.reserve(FCount);
        FFile.emplace(std::move(File));
    });
}

const TWLOItemData& TWLOItemTableOnDemand::Decoded(std::size_t Index) const {
    auto& Slot = FDecoded[Index];
    if (!Slot) {
        auto Record = std::make_unique<TWLOItemData>();
        std::memcpy(Record->Bytes.data(), FFile->Bytes().data() + Index * TWLOItemData::RecordSize,
                    TWLOItemData::RecordSize);
        DecodeRecord(*Record, Index);
        Slot = std::move(Record);
    }
    return *Slot;
}

const TWLOItemData*
TWLOItemTableOnDemand::FindFirst(std::uint16_t Id,
                                 const std::function<bool(const TWLOItemData&)>& Accept) const {
    const std::lock_guard Lock(FLock);
    if (!FFile)
        return nullptr;
    const std::uint8_t* Records = FFile->Bytes().data();
    for (std::size_t I = 0; I < FCount; ++I) {
        if (I == FIds.size())
            FIds.push_back(StoredItemID(Records + I * TWLOItemData::RecordSize, I));
        if (FIds[I] != Id)
            continue;
        const TWLOItemData& Record = Decoded(I);
        if (Accept(Record))
            return &Record;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------

bool IsWloFolder(const std::string& Folder) {
    if (Folder.empty())
        return false;
    const std::string Root = IncludeTrailingPathDelimiter(Folder);
    if (!DirectoryExists(Root))
        return false;
    for (const TGameFolderNeed& Need : GameFolderNeeds) {
        const std::string Path = Root + std::string(Need.Path);
        if (Need.Folder ? !DirectoryExists(Path) : !FileExists(Path))
            return false;
    }
    return true;
}

void GetWloInstallPath(std::string& Path) {
    Path.clear();
    const std::string Prefix = WinePrefix();
    if (Prefix.empty())
        return;
    TWineRegistry Registry;
    if (Registry.Load(Prefix + "/system.reg"))
        Path = WloInstallPath(Registry, Prefix);
}

std::string WloInstallPath(const TWineRegistry& Registry, const std::string& Prefix) {
    static constexpr std::string_view Uninstall = "Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    static constexpr std::string_view Products[] = {"Wonderland ONLINE Ex3_is1",
                                                    "Wonderland ONLINE_is1"};
    for (const std::string_view Product : Products) {
        // 32-bit installers in a 64-bit prefix register under Wow6432Node.
        for (const std::string_view Node : {"Software\\", "Software\\Wow6432Node\\"}) {
            const std::string Key =
                std::string(Node) + std::string(Uninstall) + std::string(Product);
            if (!Registry.KeyExists(Key))
                continue;
            std::string Location = Registry.ReadString(Key, "InstallLocation").value_or("");
            if (Location.empty() || (Location.back() != '\\' && Location.back() != '/'))
                Location += '\\';
            const std::string Path = WindowsToUnixPath(Prefix, Location);
            return Path.empty() ? Path : IncludeTrailingPathDelimiter(Path);
        }
    }
    return {};
}

} // namespace pelto
