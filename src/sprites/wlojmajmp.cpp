#include "sprites/wlojmajmp.h"

#include "platform/ByteReader.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/MappedFile.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "sprites/fileutils.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <numeric>
#include <utility>

namespace pelto {
namespace {

// A length byte, then the characters in a field of Capacity bytes; a length beyond the field
// is clamped to it.
std::string ReadShortString(TByteReader& Reader, std::size_t Capacity) {
    const std::size_t Length = std::min<std::size_t>(Reader.U8(), Capacity);
    const auto Field = Reader.Bytes(Capacity);
    return std::string(reinterpret_cast<const char*>(Field.data()), Length);
}

std::vector<std::uint8_t> ReadBlock(TStream& Stream, std::size_t Count) {
    std::vector<std::uint8_t> Block(Count);
    Stream.ReadBuffer(Block.data(), Count);
    return Block;
}

// A count of records that cannot fit in the bytes left is refused before allocating them.
void CheckFits(const TStream& Stream, std::uint64_t Bytes) {
    if (Bytes > static_cast<std::uint64_t>(Stream.Remaining()))
        throw EReadError(Bytes, Stream.GetPosition(), Stream.GetSize());
}

[[noreturn]] void RaiseMissingFile(const std::string& Path) {
    throw MissingSpriteFile(Path);
}

[[noreturn]] void RaiseReadFailed(int DirIndex) {
    throw EWloError(Format("JMAファイルの読み取りに失敗した可能性があります (%d)", DirIndex));
}

} // namespace

EWloError MissingSpriteFile(const std::string& Path) {
    EWloError Error(Format("必要なファイルが存在しません (%s)", ExtractFileName(Path).c_str()));
    Error.SetFileName(Path);
    return Error;
}

TJmaJmpHeader TJmaJmpHeader::Decode(std::span<const std::uint8_t> Bytes) {
    TByteReader Reader(Bytes);
    TJmaJmpHeader Header;
    Reader.Skip(2); // not read
    Header.Total = Reader.U32();
    Header.Base = Reader.U32();
    Header.Count = Reader.U32();
    return Header;
}

TJmaEntry TJmaEntry::Decode(std::span<const std::uint8_t> Bytes) {
    TByteReader Reader(Bytes);
    TJmaEntry Entry;
    Entry.Name = ReadShortString(Reader, JmaEntryNameMax);
    Entry.Size = Reader.U32();
    Entry.Offset = Reader.U32();
    return Entry;
}

TJmaFrame TJmaFrame::Decode(std::span<const std::uint8_t> Bytes) {
    TByteReader Reader(Bytes);
    TJmaFrame Frame;
    Frame.Name = ReadShortString(Reader, JmaFrameNameMax);
    Frame.CanvasWidth = Reader.U16();
    Frame.CanvasHeight = Reader.U16();
    Frame.X = Reader.U16();
    Frame.Y = Reader.U16();
    Frame.DataSize = Reader.U32();
    Frame.DataOffset = Reader.U32();
    Frame.Width = Reader.U32();
    Frame.Height = Reader.U32();
    return Frame;
}

TJmaPalette DecodePalette(std::span<const std::uint8_t> Bytes) {
    TByteReader Reader(Bytes);
    TJmaPalette Palette;
    for (TPaletteEntry& Entry : Palette) {
        Entry.Blue = Reader.U8();
        Entry.Green = Reader.U8();
        Entry.Red = Reader.U8();
        Entry.Reserved = Reader.U8();
    }
    return Palette;
}

const std::shared_ptr<const TJmaJmp::TFrames>& TJmaJmp::NoFrames() {
    static const auto None = std::make_shared<const TFrames>();
    return None;
}

void TJmaJmp::Clear() {
    FJmaPath.clear();
    FJmpName.clear();
    FFrames = NoFrames();
    FLoaded = false;
}

void TJmaJmp::ShareFrom(const TJmaJmp& Other) {
    FJmaPath = Other.FJmaPath;
    FJmpName = Other.FJmpName;
    FJxaPath = Other.FJxaPath;
    FFrames = Other.FFrames;
    FLoaded = Other.FLoaded;
    FPalette = FFrames->Desc.Palette;
    FFrameCounts = Other.FFrameCounts;
    FActionCount = Other.FActionCount;
}

std::size_t TJmaJmp::DataBytes() const {
    std::size_t Bytes = sizeof(TFrames) + FFrames->Desc.Frames.size() * sizeof(TJmaFrame) +
                        FFrames->Order.size() * sizeof(int) + FFrameCounts.size();
    for (const std::span<const std::uint8_t> Pixels : FFrames->Views)
        Bytes += sizeof(TJmaJmpData) + Pixels.size();
    return Bytes;
}

void TJmaJmp::LoadFromFile(const std::string& JmaPath, const std::string& JmpName) {
    Load(JmaPath, JmpName, false);
}

void TJmaJmp::MapFromFile(const std::string& JmaPath, const std::string& JmpName) {
    Load(JmaPath, JmpName, true);
}

void TJmaJmp::Load(const std::string& JmaPath, const std::string& JmpName, bool Mapped) {
    if (!FileExists(JmaPath))
        RaiseMissingFile(JmaPath);
    FJxaPath = ChangeFileExt(JmaPath, ".jxa");
    if (!FileExists(FJxaPath))
        RaiseMissingFile(FJxaPath);
    // Only a loaded sprite is kept: after a failed load the same names are tried again.
    if (FLoaded && SameText(JmaPath, FJmaPath) && SameText(JmpName, FJmpName))
        return;

    Clear();
    FJmaPath = JmaPath;
    FJmpName = JmpName;
    int DirIndex = -1;
    WithFileName(FJmaPath, [&] {
        if (Mapped) {
            const auto Mapping = std::make_shared<const TMappedFile>(FJmaPath);
            TSpanStream Archive(Mapping->Bytes());
            LoadArchive(Archive, DirIndex, Mapping);
        } else {
            TFileStream Archive(FJmaPath, TFileMode::OpenRead);
            LoadArchive(Archive, DirIndex);
        }
    });
    WithFileName(FJxaPath, [&] {
        TFileStream Index(FJxaPath, TFileMode::OpenRead);
        LoadFrameCounts(Index, DirIndex);
    });
}

void TJmaJmp::LoadFromStreams(TStream& Archive, TStream& Index, const std::string& JmpName) {
    Clear();
    FJxaPath.clear();
    FJmpName = JmpName;
    int DirIndex = -1;
    Archive.SetPosition(0);
    Index.SetPosition(0);
    LoadArchive(Archive, DirIndex);
    LoadFrameCounts(Index, DirIndex);
}

void TJmaJmp::LoadArchive(TStream& Archive, int& DirIndex,
                          const std::shared_ptr<const TMappedFile>& Mapping) {
    const std::int64_t FileSize = Archive.GetSize();

    const auto Header = TJmaJmpHeader::Decode(ReadBlock(Archive, JmaHeaderSize));
    CheckFits(Archive, std::uint64_t{Header.Count} * JmaEntrySize);
    const auto Directory = ReadBlock(Archive, Header.Count * JmaEntrySize);
    std::uint32_t Size = 0;
    std::uint32_t Offset = 0;
    for (std::size_t I = 0; I < Header.Count; ++I) {
        const auto Entry =
            TJmaEntry::Decode(std::span(Directory).subspan(I * JmaEntrySize, JmaEntrySize));
        if (SameText(Entry.Name, FJmpName)) {
            Size = Entry.Size;
            Offset = Entry.Offset;
            DirIndex = static_cast<int>(I);
            break;
        }
    }
    if (Size == 0)
        throw EWloError(Format("%s は存在しないファイル名です", FJmpName.c_str()));

    Archive.SetPosition(Offset);
    const auto HeaderBytes = ReadBlock(Archive, JmaHeaderSize);
    auto Frames = std::make_shared<TFrames>();
    TJmaJmpDesc& Desc = Frames->Desc;
    Desc.Header = TJmaJmpHeader::Decode(HeaderBytes);
    const std::uint32_t FrameCount = Desc.Header.Count;
    CheckFits(Archive, std::uint64_t{FrameCount} * JmaFrameSize + JmaPaletteSize);
    const auto Table = ReadBlock(Archive, FrameCount * JmaFrameSize);
    Desc.Frames.reserve(FrameCount);
    for (std::size_t I = 0; I < FrameCount; ++I)
        Desc.Frames.push_back(
            TJmaFrame::Decode(std::span(Table).subspan(I * JmaFrameSize, JmaFrameSize)));
    Desc.Palette = DecodePalette(ReadBlock(Archive, JmaPaletteSize));
    OrderFrames(*Frames);

    // Frames pointing at the same bytes would each get a copy: a small file could ask for
    // gigabytes. Frame data that together exceeds the file is refused before reading any.
    std::uint64_t DataTotal = 0;
    for (const TJmaFrame& Frame : Desc.Frames)
        DataTotal += Frame.DataSize;
    if (DataTotal > static_cast<std::uint64_t>(FileSize))
        throw EReadError();

    if (!Mapping)
        Frames->Pixels.reserve(FrameCount);
    Frames->Views.reserve(FrameCount);
    for (const TJmaFrame& Frame : Desc.Frames) {
        const std::uint64_t Start = std::uint64_t{Offset} + Frame.DataOffset;
        if (Start + Frame.DataSize > static_cast<std::uint64_t>(FileSize))
            throw EReadError(Frame.DataSize, static_cast<std::int64_t>(Start), FileSize);
        // Drawing walks height x stride bytes; a frame holding fewer is refused here.
        if (Frame.DataSize < Frame.Stride() * Frame.Height)
            RaiseReadFailed(DirIndex);
        if (Mapping) {
            Frames->Views.push_back(Mapping->Bytes().subspan(Start, Frame.DataSize));
            continue;
        }
        Archive.SetPosition(static_cast<std::int64_t>(Start));
        Frames->Pixels.push_back(ReadBlock(Archive, Frame.DataSize));
        Frames->Views.push_back(Frames->Pixels.back());
    }
    Frames->Mapping = Mapping;

    FPalette = Desc.Palette;
    FFrames = std::move(Frames);
    FLoaded = true;
}

void TJmaJmp::LoadFrameCounts(TStream& Index, int DirIndex) {
    if (DirIndex < 0)
        RaiseReadFailed(DirIndex);
    const auto Header = TJmaJmpHeader::Decode(ReadBlock(Index, JmaHeaderSize));
    if (Header.Count == 0)
        RaiseReadFailed(DirIndex);
    const std::uint32_t RecordLength = (Header.Total - Header.Base) / Header.Count;
    if (RecordLength < 1 || static_cast<std::uint32_t>(DirIndex) >= Header.Count)
        RaiseReadFailed(DirIndex);
    const std::uint64_t Start = JmaHeaderSize + std::uint64_t{RecordLength} * DirIndex;
    if (Start + RecordLength > static_cast<std::uint64_t>(Index.GetSize()))
        RaiseReadFailed(DirIndex);

    Index.SetPosition(static_cast<std::int64_t>(Start));
    auto Record = ReadBlock(Index, RecordLength);
    // The last byte counts the valid entries; it may not claim more than the record holds.
    FActionCount =
        static_cast<std::uint8_t>(std::min<std::uint32_t>(Record.back(), RecordLength - 1));
    Record.pop_back();
    FFrameCounts = std::move(Record);
}

void TJmaJmp::RestorePalette() {
    FPalette = FFrames->Desc.Palette;
}

void TJmaJmp::AdjustPalette(int First, int Last, int Levels) {
    if (First < 0 || First > 255 || Last < 0 || Last > 255 || Last < First)
        return;
    const auto Delta = [Levels](int Shift) {
        const int Level = std::min((Levels >> Shift) & 0xFF, 9);
        return (Level - 4) * 25;
    };
    const int DeltaRed = Delta(0);
    const int DeltaGreen = Delta(8);
    const int DeltaBlue = Delta(16);
    const auto Shifted = [](std::uint8_t Value, int By) {
        return static_cast<std::uint8_t>(std::clamp(Value + By, 5, 250));
    };
    for (int I = First; I <= Last; ++I) {
        const TPaletteEntry& Source = FFrames->Desc.Palette[static_cast<std::size_t>(I)];
        TPaletteEntry& Target = FPalette[static_cast<std::size_t>(I)];
        Target.Blue = Shifted(Source.Blue, DeltaBlue);
        Target.Green = Shifted(Source.Green, DeltaGreen);
        Target.Red = Shifted(Source.Red, DeltaRed);
    }
}

void TJmaJmp::OrderFrames(TFrames& Sprite) {
    const auto& Frames = Sprite.Desc.Frames;
    const auto NameLess = [](const TJmaFrame& A, const TJmaFrame& B) {
        return CompareText(A.Name, B.Name) < 0;
    };
    if (std::is_sorted(Frames.begin(), Frames.end(), NameLess))
        return;
    Sprite.Order.resize(Frames.size());
    std::iota(Sprite.Order.begin(), Sprite.Order.end(), 0);
    std::stable_sort(Sprite.Order.begin(), Sprite.Order.end(), [&](int A, int B) {
        return NameLess(Frames[static_cast<std::size_t>(A)], Frames[static_cast<std::size_t>(B)]);
    });
}

int TJmaJmp::IndexOfFrame(std::string_view Name) const {
    // The frame at place I of name order.
    const std::vector<int>& Order = FFrames->Order;
    const auto Frame = [&Order](int I) {
        return Order.empty() ? I : Order[static_cast<std::size_t>(I)];
    };
    int Low = 0;
    int High = FrameCount() - 1;
    while (Low <= High) {
        const int Mid = Low + (High - Low) / 2;
        const int Order =
            CompareText(FFrames->Desc.Frames[static_cast<std::size_t>(Frame(Mid))].Name, Name);
        if (Order == 0)
            return Frame(Mid);
        if (Order < 0)
            Low = Mid + 1;
        else
            High = Mid - 1;
    }
    return -1;
}

void TJmaJmp::DrawFrame(int Index, TBitmap& Bitmap, int X, int Y) const {
    const int Bpp = Bitmap.BytesPerPixel();
    if (Bitmap.PixelFormat() != TPixelFormat::pf24bit &&
        Bitmap.PixelFormat() != TPixelFormat::pf32bit)
        throw EWloError("Invalid pixel format.");
    if (Index < 0 || Index >= FrameCount())
        return;
    const TJmaFrame& Frame = FFrames->Desc.Frames[static_cast<std::size_t>(Index)];
    const std::uint8_t* Source = FFrames->Views[static_cast<std::size_t>(Index)].data();
    const std::int64_t Left = std::int64_t{X} + Frame.X;
    const std::int64_t Top = std::int64_t{Y} + Frame.Y;
    const std::uint64_t Stride = Frame.Stride();

    // Clipping to the bitmap row by row and column by column, as whole ranges.
    const std::int64_t RowFirst = std::max<std::int64_t>(0, -Top);
    const std::int64_t RowEnd = std::min<std::int64_t>(Frame.Height, Bitmap.Height() - Top);
    const std::int64_t ColFirst = std::max<std::int64_t>(0, -Left);
    const std::int64_t ColEnd = std::min<std::int64_t>(Frame.Width, Bitmap.Width() - Left);
    if (RowFirst >= RowEnd || ColFirst >= ColEnd)
        return;

    for (std::int64_t R = RowFirst; R < RowEnd; ++R) {
        const std::uint8_t* Row = Source + static_cast<std::uint64_t>(R) * Stride;
        std::uint8_t* Line = Bitmap.ScanLine(static_cast<int>(Top + R));
        for (std::int64_t C = ColFirst; C < ColEnd; ++C) {
            const std::uint8_t V = Row[C];
            if (V == 0 || V >= 254)
                continue;
            const TPaletteEntry& Entry = FPalette[V];
            std::uint8_t* Pixel = Line + (Left + C) * Bpp;
            Pixel[0] = Entry.Blue;
            Pixel[1] = Entry.Green;
            Pixel[2] = Entry.Red;
            if (Bpp == 4)
                Pixel[3] = 255;
        }
    }
}

void TJmaJmp::DrawFrameByName(std::string_view Name, TBitmap& Bitmap, int X, int Y) const {
    const int Index = IndexOfFrame(Name);
    if (Index >= 0)
        DrawFrame(Index, Bitmap, X, Y);
}

int TJmaJmp::GetFrameCount(int Action) const {
    if (Action < 0 || Action >= FActionCount)
        return 0;
    return FFrameCounts[static_cast<std::size_t>(Action)];
}

int TJmaJmp::GetFrameCanvasWidth(int Index) const {
    return Index >= 0 && Index < FrameCount()
               ? FFrames->Desc.Frames[static_cast<std::size_t>(Index)].CanvasWidth
               : 0;
}

int TJmaJmp::GetFrameCanvasHeight(int Index) const {
    return Index >= 0 && Index < FrameCount()
               ? FFrames->Desc.Frames[static_cast<std::size_t>(Index)].CanvasHeight
               : 0;
}

void TJmaList::Clear() {
    FList.clear();
    FIndex.clear();
    FFailures.clear();
    FOnDemand = false;
    FUnread.clear();
    FNextUnread = 0;
}

void TJmaList::Scan(const std::string& Folder, const std::string& Mask) {
    Clear();
    FFolder = Folder;
    TFindFile::Search(FFolder, Mask,
                      [this](const TSearchRec& Rec, bool& Continue) { FoundFile(Rec, Continue); });
}

void TJmaList::ScanOnDemand(const std::string& Folder, const std::string& Mask) {
    Clear();
    FFolder = Folder;
    FOnDemand = true;
    TFindFile::Search(FFolder, Mask,
                      [this](const TSearchRec& Rec, bool&) { FUnread.push_back(Rec.Name); });
}

void TJmaList::FoundFile(const TSearchRec& SearchRec, bool& /*Continue*/) {
    try {
        ReadArchive(SearchRec.Name);
    } catch (const EWloError& Error) {
        // A damaged archive hides its own sprites only; the caller reports it once.
        FFailures.push_back(Error);
    }
}

void TJmaList::AddArchive(const std::string& FileName, TStream& Archive) {
    AddLines(FileName, Archive);
}

void TJmaList::ReadArchive(const std::string& FileName) const {
    const std::string Path = FFolder + FileName;
    WithFileName(Path, [&] {
        TFileStream Archive(Path, TFileMode::OpenRead);
        AddLines(FileName, Archive);
    });
}

void TJmaList::AddLines(const std::string& FileName, TStream& Archive) const {
    const auto Header = TJmaJmpHeader::Decode(ReadBlock(Archive, JmaHeaderSize));
    CheckFits(Archive, std::uint64_t{Header.Count} * JmaEntrySize);
    const auto Directory = ReadBlock(Archive, Header.Count * JmaEntrySize);
    for (std::size_t I = 0; I < Header.Count; ++I) {
        const auto Entry =
            TJmaEntry::Decode(std::span(Directory).subspan(I * JmaEntrySize, JmaEntrySize));
        std::string Line = Entry.Name + "=";
        Line.resize(std::min<std::size_t>(Line.size(), JmaEntryNameMax + 1));
        Add(Line + FileName);
    }
}

void TJmaList::Add(std::string Line) const {
    // As in a name=value list, the name ends at the first '='.
    const std::string Name = Line.substr(0, Line.find('='));
    FIndex.try_emplace(UpperCase(Name), FList.size());
    FList.push_back(std::move(Line));
}

void TJmaList::ReadArchivesFor(const std::string& Key) const {
    while (!FIndex.contains(Key) && FNextUnread < FUnread.size()) {
        ReadArchive(FUnread[FNextUnread]);
        // Only past an archive read: a damaged one stays in the way of every later lookup.
        ++FNextUnread;
    }
}

void TJmaList::GetJmaPath(std::string_view JmpName, std::string& Path) const {
    const std::string Key = UpperCase(JmpName);
    std::unique_lock Reading(FReading, std::defer_lock);
    if (FOnDemand) {
        Reading.lock();
        ReadArchivesFor(Key);
    }
    const auto Found = FIndex.find(Key);
    if (Found == FIndex.end()) {
        Path.clear();
        return;
    }
    const std::string& Line = FList[Found->second];
    Path = FFolder + Line.substr(Line.find('=') + 1);
}

std::string TJmaList::GetJmaPath(std::string_view JmpName) const {
    std::string Path;
    GetJmaPath(JmpName, Path);
    return Path;
}

std::string JmpFileName(int SpriteNo) {
    return Format("%.4d.jmp", SpriteNo);
}

std::string FrameFileName(int Action, int FrameNo) {
    // As "%.2d-%d.bmp" would print it, without printf: every layer of every redraw asks.
    const auto Decimal = [](std::string& Out, int Value, int MinDigits) {
        const long long Wide = Value;
        if (Wide < 0)
            Out += '-';
        std::array<char, 24> Digits{};
        const auto End =
            std::to_chars(Digits.data(), Digits.data() + Digits.size(), Wide < 0 ? -Wide : Wide)
                .ptr;
        const auto Count = static_cast<int>(End - Digits.data());
        Out.append(static_cast<std::size_t>(std::max(0, MinDigits - Count)), '0');
        Out.append(Digits.data(), End);
    };
    std::string Name;
    Name.reserve(16);
    Decimal(Name, Action, 2);
    Name += '-';
    Decimal(Name, FrameNo, 1);
    Name += ".bmp";
    return Name;
}

} // namespace pelto
