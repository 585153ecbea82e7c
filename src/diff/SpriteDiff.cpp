#include "diff/SpriteDiff.h"

#include "platform/ByteReader.h"
#include "platform/Errors.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "sprites/SpriteFiles.h"
#include "sprites/wlojmajmp.h"

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <map>
#include <numeric>
#include <optional>
#include <span>
#include <unordered_map>
#include <utility>

namespace pelto {
namespace {

using TBytes = std::span<const std::uint8_t>;

bool SameBytes(TBytes A, TBytes B) {
    return std::equal(A.begin(), A.end(), B.begin(), B.end());
}

// Where one sprite is stored.
struct TStoredSprite {
    std::string Archive; // path, for errors
    const TSpriteFiles::TSprites* Files = nullptr;
    TJmaEntry Entry;
    int DirIndex = -1;
};

// The first entry of each name in an archive's directory, as loading a sprite finds it.
using TDirectory = std::unordered_map<std::string, std::pair<TJmaEntry, int>>;

TDirectory ReadDirectory(TBytes Archive) {
    TByteReader Reader(Archive);
    const auto Header = TJmaJmpHeader::Decode(Reader.Bytes(JmaHeaderSize));
    TDirectory Directory;
    for (std::uint32_t I = 0; I < Header.Count; ++I) {
        TJmaEntry Entry = TJmaEntry::Decode(Reader.Bytes(JmaEntrySize));
        std::string Key = UpperCase(Entry.Name);
        Directory.try_emplace(std::move(Key), std::move(Entry), static_cast<int>(I));
    }
    return Directory;
}

// A sprite's animation index record, or empty when the index cannot give one.
TBytes IndexRecord(TBytes Index, int DirIndex) {
    if (Index.size() < JmaHeaderSize || DirIndex < 0)
        return {};
    const auto Header = TJmaJmpHeader::Decode(Index.first(JmaHeaderSize));
    if (Header.Count == 0 || Header.Total < Header.Base)
        return {};
    const std::uint64_t Length = (Header.Total - Header.Base) / Header.Count;
    const std::uint64_t Start = JmaHeaderSize + Length * static_cast<std::uint64_t>(DirIndex);
    if (Length == 0 || static_cast<std::uint32_t>(DirIndex) >= Header.Count ||
        Start + Length > Index.size())
        return {};
    return Index.subspan(static_cast<std::size_t>(Start), static_cast<std::size_t>(Length));
}

// Field bytes of a frame record that say what is shown: all but the data offset, which only
// says where the pixels lie.
constexpr std::size_t FrameOffsetAt = 24;
constexpr std::size_t FrameFieldsEnd = 36;

// The stored bytes of both sprites say the same thing: header count, frame records but for
// their data offsets, palette, each frame's data and the animation record. Anything that does
// not parse counts as different, for decoding to refuse with the reader's own error.
bool SameStoredBytes(const TStoredSprite& A, const TStoredSprite& B) {
    const TBytes IndexA = IndexRecord(A.Files->Index, A.DirIndex);
    const TBytes IndexB = IndexRecord(B.Files->Index, B.DirIndex);
    if (IndexA.empty() || !SameBytes(IndexA, IndexB))
        return false;
    try {
        const TBytes ArchiveA = A.Files->Archive;
        const TBytes ArchiveB = B.Files->Archive;
        TByteReader ReaderA(ArchiveA);
        TByteReader ReaderB(ArchiveB);
        ReaderA.Seek(A.Entry.Offset);
        ReaderB.Seek(B.Entry.Offset);
        const auto HeaderA = TJmaJmpHeader::Decode(ReaderA.Bytes(JmaHeaderSize));
        const auto HeaderB = TJmaJmpHeader::Decode(ReaderB.Bytes(JmaHeaderSize));
        if (HeaderA.Count != HeaderB.Count)
            return false;
        std::vector<std::pair<TJmaFrame, TJmaFrame>> Frames;
        for (std::uint32_t I = 0; I < HeaderA.Count; ++I) {
            const TBytes RecordA = ReaderA.Bytes(JmaFrameSize);
            const TBytes RecordB = ReaderB.Bytes(JmaFrameSize);
            if (!SameBytes(RecordA.first(FrameOffsetAt), RecordB.first(FrameOffsetAt)) ||
                !SameBytes(RecordA.subspan(FrameOffsetAt + 4, FrameFieldsEnd - FrameOffsetAt - 4),
                           RecordB.subspan(FrameOffsetAt + 4, FrameFieldsEnd - FrameOffsetAt - 4)))
                return false;
            Frames.emplace_back(TJmaFrame::Decode(RecordA), TJmaFrame::Decode(RecordB));
        }
        if (!SameBytes(ReaderA.Bytes(JmaPaletteSize), ReaderB.Bytes(JmaPaletteSize)))
            return false;
        for (const auto& [FrameA, FrameB] : Frames) {
            ReaderA.Seek(std::size_t{A.Entry.Offset} + FrameA.DataOffset);
            ReaderB.Seek(std::size_t{B.Entry.Offset} + FrameB.DataOffset);
            if (!SameBytes(ReaderA.Bytes(FrameA.DataSize), ReaderB.Bytes(FrameB.DataSize)))
                return false;
        }
        return true;
    } catch (const EReadError&) {
        return false;
    }
}

std::unique_ptr<TJmaJmp> Decode(const TStoredSprite& Sprite) {
    auto Decoded = std::make_unique<TJmaJmp>();
    WithFileName(Sprite.Archive, [&] {
        TSpanStream Archive(Sprite.Files->Archive);
        TSpanStream Index(Sprite.Files->Index);
        Decoded->LoadFromStreams(Archive, Index, Sprite.Entry.Name);
    });
    return Decoded;
}

// Frame positions in name order.
std::vector<int> NameOrder(const TJmaJmp& Sprite) {
    std::vector<int> Order(static_cast<std::size_t>(Sprite.FrameCount()));
    std::iota(Order.begin(), Order.end(), 0);
    std::stable_sort(Order.begin(), Order.end(), [&](int A, int B) {
        return CompareText(Sprite.Frame(A).Name, Sprite.Frame(B).Name) < 0;
    });
    return Order;
}

bool SamePicture(const TJmaFrame& FrameA, TBytes PixelsA, const TJmaFrame& FrameB, TBytes PixelsB,
                 std::bitset<256>& Used) {
    if (!SameText(FrameA.Name, FrameB.Name) || FrameA.CanvasWidth != FrameB.CanvasWidth ||
        FrameA.CanvasHeight != FrameB.CanvasHeight || FrameA.X != FrameB.X ||
        FrameA.Y != FrameB.Y || FrameA.Width != FrameB.Width || FrameA.Height != FrameB.Height)
        return false;
    // The padding of each row is never drawn.
    for (std::uint64_t Row = 0; Row < FrameA.Height; ++Row) {
        const TBytes RowA = PixelsA.subspan(Row * FrameA.Stride(), FrameA.Width);
        const TBytes RowB = PixelsB.subspan(Row * FrameB.Stride(), FrameB.Width);
        if (!SameBytes(RowA, RowB))
            return false;
        for (const std::uint8_t V : RowA)
            Used.set(V);
    }
    return true;
}

bool SameDecoded(const TJmaJmp& A, const TJmaJmp& B) {
    const auto CountsA = A.FrameCounts().first(A.ActionCount());
    const auto CountsB = B.FrameCounts().first(B.ActionCount());
    if (!SameBytes(CountsA, CountsB) || A.FrameCount() != B.FrameCount())
        return false;
    const std::vector<int> OrderA = NameOrder(A);
    const std::vector<int> OrderB = NameOrder(B);
    std::bitset<256> Used;
    for (std::size_t I = 0; I < OrderA.size(); ++I)
        if (!SamePicture(A.Frame(OrderA[I]), A.Pixels(OrderA[I]), B.Frame(OrderB[I]),
                         B.Pixels(OrderB[I]), Used))
            return false;
    // Indices 0, 254 and 255 are transparent; only the colours drawn are seen.
    for (std::size_t V = 1; V < 254; ++V) {
        const TPaletteEntry& EntryA = A.FilePalette()[V];
        const TPaletteEntry& EntryB = B.FilePalette()[V];
        if (Used.test(V) && (EntryA.Blue != EntryB.Blue || EntryA.Green != EntryB.Green ||
                             EntryA.Red != EntryB.Red))
            return false;
    }
    return true;
}

// One side of the comparison: the catalogue's names and where each is stored.
class TCatalogueSide {
public:
    TCatalogueSide(const TJmaList& List, const TSpriteFiles& Files) : FFiles(Files) {
        for (int I = 0; I < List.Count(); ++I) {
            const std::string& Line = List.Line(I);
            const std::size_t Equals = Line.find('=');
            std::string Name = Line.substr(0, Equals);
            std::string Key = UpperCase(Name);
            FNames.try_emplace(std::move(Key), std::move(Name),
                               List.Folder() + Line.substr(Equals + 1));
        }
    }

    // Upper-cased name -> (name as listed, archive path), in name order.
    const std::map<std::string, std::pair<std::string, std::string>>& Names() const {
        return FNames;
    }

    std::optional<TStoredSprite> Find(const std::string& Key) const {
        const auto& [Name, Archive] = FNames.at(Key);
        const TSpriteFiles::TSprites* Files = FFiles.Find(Archive);
        if (!Files)
            return std::nullopt;
        auto Directory = FDirectories.find(Archive);
        if (Directory == FDirectories.end())
            Directory =
                FDirectories
                    .emplace(Archive,
                             WithFileName(Archive, [&] { return ReadDirectory(Files->Archive); }))
                    .first;
        const auto Entry = Directory->second.find(Key);
        if (Entry == Directory->second.end())
            return std::nullopt;
        return TStoredSprite{Archive, Files, Entry->second.first, Entry->second.second};
    }

private:
    const TSpriteFiles& FFiles;
    std::map<std::string, std::pair<std::string, std::string>> FNames;
    mutable std::unordered_map<std::string, TDirectory> FDirectories;
};

// Whole archives with their indexes the same byte for byte, remembered per pair.
class TSameArchives {
public:
    bool operator()(const TStoredSprite& A, const TStoredSprite& B) {
        const auto Key = std::make_pair(A.Archive, B.Archive);
        const auto Found = FKnown.find(Key);
        if (Found != FKnown.end())
            return Found->second;
        const bool Same = SameBytes(A.Files->Archive, B.Files->Archive) &&
                          SameBytes(A.Files->Index, B.Files->Index);
        FKnown.emplace(Key, Same);
        return Same;
    }

private:
    std::map<std::pair<std::string, std::string>, bool> FKnown;
};

bool SameSprite(const TStoredSprite& A, const TStoredSprite& B, TSameArchives& SameArchives) {
    // An entry of size 0 holds no sprite: the compositor draws nothing for it.
    if (A.Entry.Size == 0 || B.Entry.Size == 0)
        return A.Entry.Size == B.Entry.Size;
    if ((A.DirIndex == B.DirIndex && A.Entry.Offset == B.Entry.Offset && SameArchives(A, B)) ||
        SameStoredBytes(A, B))
        return true;
    return SameDecoded(*Decode(A), *Decode(B));
}

} // namespace

bool TSpriteDiff::Touched(std::string_view Name) const {
    return FTouched.count(UpperCase(Name)) != 0;
}

bool TSpriteDiff::Redrawn(std::string_view Name) const {
    return FRedrawn.count(UpperCase(Name)) != 0;
}

TSpriteDiff CompareSprites(const TJmaList& OldList, const TSpriteFiles& OldFiles,
                           const TJmaList& NewList, const TSpriteFiles& NewFiles) {
    const TCatalogueSide Old(OldList, OldFiles);
    const TCatalogueSide New(NewList, NewFiles);
    TSpriteDiff Diff;
    TSameArchives SameArchives;
    auto OldName = Old.Names().begin();
    auto NewName = New.Names().begin();
    const auto Note = [&Diff](std::vector<std::string>& Kind, const std::string& Key,
                              const std::string& Name) {
        Kind.push_back(Name);
        Diff.FTouched.insert(Key);
    };
    while (OldName != Old.Names().end() || NewName != New.Names().end()) {
        if (NewName == New.Names().end() ||
            (OldName != Old.Names().end() && OldName->first < NewName->first)) {
            Note(Diff.Removed, OldName->first, OldName->second.first);
            ++OldName;
        } else if (OldName == Old.Names().end() || NewName->first < OldName->first) {
            Note(Diff.Added, NewName->first, NewName->second.first);
            ++NewName;
        } else {
            const auto StoredOld = Old.Find(OldName->first);
            const auto StoredNew = New.Find(NewName->first);
            const bool Same = StoredOld && StoredNew
                                  ? SameSprite(*StoredOld, *StoredNew, SameArchives)
                                  : StoredOld.has_value() == StoredNew.has_value();
            if (!Same) {
                Note(Diff.Changed, NewName->first, NewName->second.first);
                Diff.FRedrawn.insert(NewName->first);
            }
            ++OldName;
            ++NewName;
        }
    }
    return Diff;
}

} // namespace pelto
