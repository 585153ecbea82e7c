#pragma once

#include "platform/LittleEndian.h"
#include "platform/MappedFile.h"
#include "platform/Stream.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelto {

class TWineRegistry;

/// A read-only view of one of the game's container files: entries with a name, a place in
/// the file, a size and an in-memory record, and a way to copy an entry's bytes out.
/// Indices run from 0 to GetCount() - 1 and are not validated; debug builds assert them.
class TWLOFile {
public:
    TWLOFile() = default;
    TWLOFile(const TWLOFile&) = delete;
    TWLOFile& operator=(const TWLOFile&) = delete;
    virtual ~TWLOFile() = default;

    virtual int GetCount() const = 0;
    virtual std::string GetName(int Index) const = 0;
    virtual std::int64_t GetOffset(int Index) const = 0;
    virtual std::int64_t GetSize(int Index) const = 0;
    /// The record that describes entry Index; valid until the next load.
    virtual const void* GetData(int Index) const = 0;
    /// Reads the container from the stream's current position.
    virtual void LoadFromStream(TStream& Stream) = 0;
    /// Writes the bytes of entry Index at Dest's position and leaves Dest positioned at the
    /// start of what was written.
    virtual void ExtractToStream(int Index, TStream& Dest) const = 0;

    /// Remembers FileName (also when loading fails) and loads the file. Errors name the file
    /// in EWloError::FileName().
    void LoadFromFile(const std::string& FileName);
    const std::string& FileName() const { return FFileName; }

protected:
    std::string FFileName;
};

// ---------------------------------------------------------------------------------------------
// Group-image files (.BMg): a 16-bit count, a directory of 32-byte entries, then the data.

/// One directory entry, kept as stored.
struct TWLOGroupImageEntry {
    static constexpr std::size_t RecordSize = 32;
    static constexpr std::size_t NameCapacity = 23;

    std::array<std::uint8_t, RecordSize> Bytes{};

    /// The stored length byte, limited to what the name field holds.
    std::size_t NameLength() const { return Bytes[0] < NameCapacity ? Bytes[0] : NameCapacity; }
    std::string_view Name() const {
        return {reinterpret_cast<const char*>(Bytes.data() + 1), NameLength()};
    }
    std::uint32_t Offset() const { return LoadLE32(Bytes.data() + 24); }
    std::uint32_t Size() const { return LoadLE32(Bytes.data() + 28); }
};
static_assert(sizeof(TWLOGroupImageEntry) == TWLOGroupImageEntry::RecordSize);
static_assert(alignof(TWLOGroupImageEntry) == 1);

/// Keeps the directory only; every extraction reopens the file it was loaded from.
class TWLOGroupImageFile : public TWLOFile {
public:
    int GetCount() const override { return static_cast<int>(FEntries.size()); }
    std::string GetName(int Index) const override { return std::string(Entry(Index).Name()); }
    std::int64_t GetOffset(int Index) const override { return Entry(Index).Offset(); }
    std::int64_t GetSize(int Index) const override { return Entry(Index).Size(); }
    const void* GetData(int Index) const override { return &Entry(Index); }
    void LoadFromStream(TStream& Stream) override;
    /// An entry of size 0 yields nothing; an entry reaching past the end of the file raises
    /// EReadError before anything is written. Errors of the file name it, errors of Dest not.
    void ExtractToStream(int Index, TStream& Dest) const override;

    const TWLOGroupImageEntry& Entry(int Index) const {
        assert(Index >= 0 && Index < GetCount());
        return FEntries[static_cast<std::size_t>(Index)];
    }

protected:
    std::vector<TWLOGroupImageEntry> FEntries;
};

/// Keeps a copy of the whole file, so that extraction never touches the disk.
class TWLOGroupImageFileOnMemory : public TWLOGroupImageFile {
public:
    /// Reads the directory from the stream's position, then copies the stream from its
    /// beginning, since the directory's offsets count from the start of the file.
    void LoadFromStream(TStream& Stream) override;
    void ExtractToStream(int Index, TStream& Dest) const override;
    /// The whole file as read.
    std::span<const std::uint8_t> Data() const { return FData; }

private:
    std::vector<std::uint8_t> FData;
};

/// Entry names of a container looked up by name, letter case ignored. When several entries
/// share a name, the last of them answers.
class TWLONameIndex {
public:
    void Build(const TWLOFile& File);
    /// The entry index, or -1 when no entry has that name.
    int IndexOf(std::string_view Name) const;
    std::size_t Count() const { return FIndex.size(); }

private:
    std::unordered_map<std::string, int> FIndex; // upper-cased name -> entry index
};

// ---------------------------------------------------------------------------------------------
// Item table (Item.Dat): records of 457 bytes, record 0 a header, the others scrambled items.

enum class TItemFieldCoding : std::uint8_t {
    Plain,     // stored as is (the two length bytes)
    Reversed,  // text whose bytes are stored in reverse order
    Scrambled, // a little-endian number of Width bytes: value = (stored ^ mask) - 0x0C
};

struct TItemField {
    std::uint16_t Offset;
    std::uint16_t Width; // bytes
    TItemFieldCoding Coding;

    static constexpr TItemField Length(std::uint16_t Offset) {
        return {Offset, 1, TItemFieldCoding::Plain};
    }
    static constexpr TItemField Chars(std::uint16_t Offset, std::uint16_t Width) {
        return {Offset, Width, TItemFieldCoding::Reversed};
    }
    static constexpr TItemField Byte(std::uint16_t Offset) {
        return {Offset, 1, TItemFieldCoding::Scrambled};
    }
    static constexpr TItemField Word(std::uint16_t Offset) {
        return {Offset, 2, TItemFieldCoding::Scrambled};
    }
    static constexpr TItemField DWord(std::uint16_t Offset) {
        return {Offset, 4, TItemFieldCoding::Scrambled};
    }
};

/// Every field of an item record with its coding, in record order.
inline constexpr TItemField WloItemFields[] = {
    TItemField::Length(0),   TItemField::Chars(1, 20),    TItemField::Byte(21),
    TItemField::Word(22),    TItemField::Word(24),        TItemField::Word(26),
    TItemField::Word(28),    TItemField::Word(30),        TItemField::Word(32),
    TItemField::Word(34),    TItemField::Word(36),        TItemField::Word(38),
    TItemField::Byte(40),    TItemField::Byte(41),        TItemField::DWord(42),
    TItemField::DWord(46),   TItemField::Byte(50),        TItemField::Byte(51),
    TItemField::Byte(52),    TItemField::Byte(53),        TItemField::DWord(54),
    TItemField::DWord(58),   TItemField::DWord(62),       TItemField::DWord(66),
    TItemField::DWord(70),   TItemField::DWord(74),       TItemField::DWord(78),
    TItemField::DWord(82),   TItemField::DWord(86),       TItemField::DWord(90),
    TItemField::DWord(94),   TItemField::DWord(98),       TItemField::DWord(102),
    TItemField::DWord(106),  TItemField::DWord(110),      TItemField::DWord(114),
    TItemField::Byte(118),   TItemField::Byte(119),       TItemField::DWord(120),
    TItemField::DWord(124),  TItemField::Byte(128),       TItemField::Word(129),
    TItemField::DWord(131),  TItemField::Byte(135),       TItemField::DWord(136),
    TItemField::Word(140),   TItemField::Word(142),       TItemField::Word(144),
    TItemField::Word(146),   TItemField::Word(148),       TItemField::Word(150),
    TItemField::Length(152), TItemField::Chars(153, 254), TItemField::Byte(407),
    TItemField::Byte(408),   TItemField::Byte(409),       TItemField::Word(410),
    TItemField::Byte(412),   TItemField::Byte(413),       TItemField::Byte(414),
    TItemField::Word(415),   TItemField::Word(417),       TItemField::Word(419),
    TItemField::Byte(421),   TItemField::Byte(422),       TItemField::Byte(423),
    TItemField::Byte(424),   TItemField::Byte(425),       TItemField::Byte(426),
    TItemField::Word(427),   TItemField::Word(429),       TItemField::Word(431),
    TItemField::Word(433),   TItemField::Word(435),       TItemField::DWord(437),
    TItemField::DWord(441),  TItemField::DWord(445),      TItemField::DWord(449),
    TItemField::DWord(453),
};

/// One record of the item table in decoded form, kept as its 457 raw bytes.
struct TWLOItemData {
    static constexpr std::size_t RecordSize = 457;
    static constexpr std::size_t NameCapacity = 20;
    static constexpr std::size_t TextCapacity = 254;

    // Where the fields this program reads lie; WloItemFields holds the whole layout.
    static constexpr std::size_t NameLengthAt = 0;
    static constexpr std::size_t NameAt = 1;
    static constexpr std::size_t KindAt = 21;
    static constexpr std::size_t ItemIDAt = 22;
    static constexpr std::size_t IconNoAt = 24;
    static constexpr std::size_t SpriteNoAt = 28;  // 4 words, one a body group
    static constexpr std::size_t StatTypeAt = 36;  // 2 words
    static constexpr std::size_t StatValueAt = 42; // 2 double words
    static constexpr std::size_t SlotAt = 52;
    static constexpr std::size_t ColorWordsAt = 54; // 16 double words
    static constexpr std::size_t ListNumberAt = 119;
    static constexpr std::size_t TextLengthAt = 152;
    static constexpr std::size_t TextAt = 153;

    std::array<std::uint8_t, RecordSize> Bytes{};

    std::uint8_t U8(std::size_t Offset) const { return Bytes[Offset]; }
    std::uint16_t U16(std::size_t Offset) const { return LoadLE16(Bytes.data() + Offset); }
    std::uint32_t U32(std::size_t Offset) const { return LoadLE32(Bytes.data() + Offset); }
    void SetU8(std::size_t Offset, std::uint8_t V) { Bytes[Offset] = V; }
    void SetU16(std::size_t Offset, std::uint16_t V) { StoreLE16(Bytes.data() + Offset, V); }
    void SetU32(std::size_t Offset, std::uint32_t V) { StoreLE32(Bytes.data() + Offset, V); }

    std::uint8_t Kind() const { return U8(KindAt); }
    std::uint16_t ItemID() const { return U16(ItemIDAt); }
    /// The icon is the entry "%d.bmp" of this number in the item icon file.
    std::uint16_t IconNo() const { return U16(IconNoAt); }
    /// Sprite number for body group 0..3; above 1000 when that group can wear the item.
    std::uint16_t SpriteNo(int Group) const { return U16(SpriteNoAt + 2 * Nth(Group)); }
    std::uint16_t StatType(int I) const { return U16(StatTypeAt + 2 * Nth(I)); }
    /// The status bonus plus 100, as stored.
    std::int32_t StatValue(int I) const {
        return static_cast<std::int32_t>(U32(StatValueAt + 4 * Nth(I)));
    }
    /// Equipment slot 1..6; anything else is not equipment.
    std::uint8_t Slot() const { return U8(SlotAt); }
    std::uint32_t ColorWord(int I) const { return U32(ColorWordsAt + 4 * Nth(I)); }
    std::uint8_t ListNumber() const { return U8(ListNumberAt); }
    std::size_t NameLength() const {
        return Bytes[NameLengthAt] < NameCapacity ? Bytes[NameLengthAt] : NameCapacity;
    }
    /// Shift-JIS bytes.
    std::string_view Name() const {
        return {reinterpret_cast<const char*>(Bytes.data() + NameAt), NameLength()};
    }
    std::size_t TextLength() const {
        return Bytes[TextLengthAt] < TextCapacity ? Bytes[TextLengthAt] : TextCapacity;
    }
    /// Shift-JIS bytes.
    std::string_view Text() const {
        return {reinterpret_cast<const char*>(Bytes.data() + TextAt), TextLength()};
    }

    void SetKind(std::uint8_t V) { SetU8(KindAt, V); }
    void SetItemID(std::uint16_t V) { SetU16(ItemIDAt, V); }
    void SetIconNo(std::uint16_t V) { SetU16(IconNoAt, V); }
    void SetSpriteNo(int Group, std::uint16_t V) { SetU16(SpriteNoAt + 2 * Nth(Group), V); }
    void SetStatType(int I, std::uint16_t V) { SetU16(StatTypeAt + 2 * Nth(I), V); }
    void SetStatValue(int I, std::int32_t V) {
        SetU32(StatValueAt + 4 * Nth(I), static_cast<std::uint32_t>(V));
    }
    void SetSlot(std::uint8_t V) { SetU8(SlotAt, V); }
    void SetColorWord(int I, std::uint32_t V) { SetU32(ColorWordsAt + 4 * Nth(I), V); }
    void SetListNumber(std::uint8_t V) { SetU8(ListNumberAt, V); }
    /// Sets the length byte and the first bytes of the field; the rest of it is kept.
    /// Raises std::invalid_argument for more than 20 bytes.
    void SetName(std::string_view Sjis);
    /// As SetName, for at most 254 bytes.
    void SetText(std::string_view Sjis);

private:
    static constexpr std::size_t Nth(int I) { return static_cast<std::size_t>(I); }
};
static_assert(sizeof(TWLOItemData) == TWLOItemData::RecordSize);
static_assert(alignof(TWLOItemData) == 1);

/// Turns a stored item record into its decoded form, field by field.
void DescrambleItemRecord(TWLOItemData& Record);
/// The inverse of DescrambleItemRecord.
void ScrambleItemRecord(TWLOItemData& Record);

/// Base of table files whose entries are consecutive fixed-size records.
class TWLODataFile : public TWLOFile {
public:
    std::int64_t GetOffset(int Index) const override {
        assert(Index >= 0 && Index < GetCount());
        return static_cast<std::int64_t>(Index) * GetSize(Index);
    }
    /// Writes the record and moves Dest back to its start.
    void ExtractToStream(int Index, TStream& Dest) const override;
};

/// The item table, decoded and corrected in place. Record pointers stay valid for the
/// lifetime of the reader (it is loaded once).
class TWLOItemDataFile : public TWLODataFile {
public:
    static constexpr std::uint32_t Version = 9;

    /// Records including the header record 0.
    int GetCount() const override { return static_cast<int>(FItems.size()); }
    /// "Kind-ItemID: Name", e.g. "03-01234: Cap"; the name stays Shift-JIS.
    std::string GetName(int Index) const override;
    std::int64_t GetSize(int) const override { return TWLOItemData::RecordSize; }
    const void* GetData(int Index) const override { return Item(Index); }
    void LoadFromStream(TStream& Stream) override;

    const TWLOItemData* Item(int Index) const {
        assert(Index >= 0 && Index < GetCount());
        return &FItems[static_cast<std::size_t>(Index)];
    }
    std::span<const TWLOItemData> Items() const { return FItems; }

private:
    std::vector<TWLOItemData> FItems;
};

/// The item table as a command that names a few of its thousands of items reads it: the file
/// mapped, not copied, and a record decoded and corrected only when a lookup reaches it, once.
/// The whole file passes the checks of TWLOItemDataFile on opening; the records found are those
/// TWLOItemDataFile holds, at the same indices. Lookups may run on several threads.
class TWLOItemTableOnDemand {
public:
    /// Raises what TWLOItemDataFile::LoadFromFile raises for the file, naming it.
    void Open(const std::string& FileName);
    /// Records including the header record 0; 0 until opened.
    int GetCount() const { return static_cast<int>(FCount); }
    /// The first record in table order with identifier Id that Accept takes, or nullptr. The
    /// header record is tested as stored, as the full table keeps it. Records found stay valid
    /// for the object's lifetime.
    const TWLOItemData* FindFirst(std::uint16_t Id,
                                  const std::function<bool(const TWLOItemData&)>& Accept) const;

private:
    const TWLOItemData& Decoded(std::size_t Index) const; // FLock held

    std::optional<TMappedFile> FFile;
    std::size_t FCount = 0;
    // The identifiers of the records lookups have passed, in table order: a lookup reads the
    // file only past where the others stopped, and a table's early items cost little.
    mutable std::vector<std::uint16_t> FIds;
    mutable std::mutex FLock;
    mutable std::unordered_map<std::size_t, std::unique_ptr<const TWLOItemData>> FDecoded;
};

/// A status bonus type of item records and the label its sum is shown under, in the order
/// the status box lists them. Any other type code means no bonus.
struct TWloStatusType {
    std::uint16_t Type;
    const char* Label; // UTF-8
};
inline constexpr std::array<TWloStatusType, 8> WloStatusTypes{{{207, "HP"},
                                                               {208, "SP"},
                                                               {210, "ATK"},
                                                               {211, "DEF"},
                                                               {214, "SPD"},
                                                               {215, "MATK"},
                                                               {216, "MDEF"},
                                                               {100, "射撃対抗力(%)"}}};

/// A game folder: an existing folder with the subfolders jma and pic and the file Item.Dat in
/// its subfolder data, names matched without regard to letter case. Folder may end in '/'.
bool IsWloFolder(const std::string& Folder);

/// The game's install folder as its uninstaller registered it in the Wine prefix's registry
/// ("InstallLocation" of the Wonderland ONLINE Ex3 uninstall key, else of the Wonderland
/// ONLINE one, each also under Wow6432Node), as a Unix folder ending in '/'; empty when
/// neither key exists. The first existing key decides, whatever its value: an empty or
/// missing value gives the root of drive C:.
void GetWloInstallPath(std::string& Path);
/// As GetWloInstallPath, with the registry of the Wine prefix Prefix already loaded.
std::string WloInstallPath(const TWineRegistry& Registry, const std::string& Prefix);

} // namespace pelto
