// The bodies of the fuzz targets, shared by the libFuzzer programs, the seed writer and the
// regression tests, so that a regression file replays exactly the code the fuzzer ran.
//
// Each Run function feeds one input through a reader and everything that uses what it read.
// A refusal with the project's error type is the expected answer to a malformed input and is
// swallowed (and noted where a replay asks, see NoteRefusal); anything else escapes (or aborts)
// and counts as a finding.
#pragma once

#include "codecs/BmpDecoder.h"
#include "codecs/PictureText.h"
#include "game/wloutils.h"
#include "model/CharaCode.h"
#include "model/ItemSearch.h"
#include "model/Settings.h"
#include "model/UCommon.h"
#include "model/UDraw.h"
#include "platform/Base64.h"
#include "platform/Bitmap.h"
#include "platform/Crc8.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/LittleEndian.h"
#include "platform/Paths.h"
#include "platform/ShiftJis.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "platform/WineRegistry.h"
#ifndef __EMSCRIPTEN__ // HTTP is native only: the page's module answers the routes without it
#include "service/HttpHead.h"
#endif
#include "service/ServiceRequest.h"
#include "sprites/wlojmajmp.h"
#include "writers/ItemTableWriter.h"
#include "writers/JmaWriter.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace pelto::fuzz {

using TInput = std::span<const std::uint8_t>;

/// Where the messages of the refusals the targets meet go, when a replay wants them to compare
/// builds (Answers.cpp); while fuzzing, nowhere.
inline std::vector<std::string>* RefusalLog = nullptr;

inline void NoteRefusal(const std::exception& Error) {
    if (!RefusalLog)
        return;
    std::string Message = Error.what();
    if (const auto* Wlo = dynamic_cast<const EWloError*>(&Error); Wlo && !Wlo->Detail().empty())
        Message += " (" + Wlo->Detail() + ")";
    RefusalLog->push_back(std::move(Message));
}

/// A folder of its own for what the targets keep on disk, made once per process and removed
/// at exit: the code target's small game, and links to in-memory files where a reader looks
/// for a file in a folder. The inputs never go to the disk, which made the targets slow.
class TScratchDir {
public:
    static const std::string& Path() {
        static const TScratchDir Dir;
        return Dir.FPath;
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

private:
    TScratchDir() {
        std::string Template =
            (std::filesystem::temp_directory_path() / "pelto-fuzz-XXXXXX").string();
        if (!::mkdtemp(Template.data()))
            std::abort();
        FPath = Template + "/";
    }
    ~TScratchDir() {
        std::error_code Ignored;
        std::filesystem::remove_all(FPath, Ignored);
    }
    std::string FPath;
};

namespace detail {

// A new file in memory, and the path that opens it. WebAssembly has no memfd: there it is a file
// in the scratch folder, on the disk (NODERAWFS).
inline int CreateMemFile(const char* Name, std::string& Path) {
#ifdef __EMSCRIPTEN__
    Path = TScratchDir::Path() + Name;
    return ::open(Path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
#else
    const int Fd = ::memfd_create(Name, 0);
    Path = "/proc/self/fd/" + std::to_string(Fd);
    return Fd;
#endif
}

} // namespace detail

/// A file that lives in memory, for the readers that open a path: the targets compare them
/// with the same readers given a stream, and rewriting it never touches the disk.
class TMemFile {
public:
    explicit TMemFile(const char* Name) {
        FFd = detail::CreateMemFile(Name, FPath);
        if (FFd < 0)
            std::abort();
    }
    TMemFile(const TMemFile&) = delete;
    TMemFile& operator=(const TMemFile&) = delete;
    ~TMemFile() { ::close(FFd); }

    const std::string& Path() const { return FPath; }
    void Write(std::span<const std::uint8_t> Data) const {
        if (::ftruncate(FFd, 0) != 0)
            std::abort();
        for (std::size_t Done = 0; Done < Data.size();) {
            const ::ssize_t N =
                ::pwrite(FFd, Data.data() + Done, Data.size() - Done, static_cast<::off_t>(Done));
            if (N <= 0)
                std::abort();
            Done += static_cast<std::size_t>(N);
        }
    }

private:
    int FFd;
    std::string FPath;
};

inline std::string AsText(TInput Data) {
    return {reinterpret_cast<const char*>(Data.data()), Data.size()};
}

inline std::vector<std::uint8_t> AsBytes(TInput Data) {
    return {Data.begin(), Data.end()};
}

/// std::ranges::equal, which the WebAssembly build's standard library lacks.
template <class TLeft, class TRight, class TSame = std::equal_to<>>
bool SameElements(const TLeft& Left, const TRight& Right, TSame Same = {}) {
    return std::equal(std::begin(Left), std::end(Left), std::begin(Right), std::end(Right), Same);
}

// ---------------------------------------------------------------------------------------------
// 1. Group-image file

/// The bytes of entry Index, or nothing when File refuses to extract it.
inline std::optional<std::vector<std::uint8_t>> Extracted(const TWLOFile& File, int Index) {
    try {
        TMemoryStream Dest;
        File.ExtractToStream(Index, Dest);
        if (Dest.GetSize() != File.GetSize(Index))
            std::abort(); // an extraction that is not refused delivers the whole entry
        return std::move(Dest.Bytes());
    } catch (const EWloError& Error) {
        NoteRefusal(Error);
        return std::nullopt;
    }
}

/// A stream whose reads end after Limit bytes however large it says it is, as a file whose
/// reading fails halfway.
class TFailingStream final : public TStream {
public:
    TFailingStream(std::vector<std::uint8_t> Bytes, std::int64_t Limit)
        : FStream(std::move(Bytes)), FLimit(Limit) {}
    std::size_t Read(void* Buffer, std::size_t Count) override {
        const std::int64_t Left = std::max<std::int64_t>(0, FLimit - FStream.GetPosition());
        return FStream.Read(Buffer, std::min<std::size_t>(Count, static_cast<std::size_t>(Left)));
    }
    void WriteBuffer(const void* Buffer, std::size_t Count) override {
        FStream.WriteBuffer(Buffer, Count);
    }
    std::int64_t GetPosition() const override { return FStream.GetPosition(); }
    void SetPosition(std::int64_t Position) override { FStream.SetPosition(Position); }
    std::int64_t GetSize() const override { return FStream.GetSize(); }

private:
    TMemoryStream FStream;
    std::int64_t FLimit;
};

inline void RunGroupImage(TInput Data) {
    TWLOGroupImageFileOnMemory File;
    try {
        TMemoryStream Stream(AsBytes(Data));
        File.LoadFromStream(Stream);
    } catch (const EWloError& Error) {
        NoteRefusal(Error);
        return;
    }
    // Loaded again from a stream that fails after the directory, it keeps nothing: a directory
    // without its data would extract the bytes of the file loaded before.
    const auto DirectoryEnd = static_cast<std::int64_t>(
        2 + TWLOGroupImageEntry::RecordSize * static_cast<std::size_t>(File.GetCount()));
    if (static_cast<std::int64_t>(Data.size()) > DirectoryEnd) {
        TWLOGroupImageFileOnMemory Failed;
        TMemoryStream Whole(AsBytes(Data));
        Failed.LoadFromStream(Whole);
        try {
            TFailingStream Cut(AsBytes(Data), DirectoryEnd);
            Failed.LoadFromStream(Cut);
            std::abort();
        } catch (const EReadError&) {
        }
        if (Failed.GetCount() != 0)
            std::abort();
    }
    TWLONameIndex Index;
    Index.Build(File);
    std::vector<std::optional<std::vector<std::uint8_t>>> Entries;
    for (int I = 0; I < File.GetCount(); ++I) {
        (void)Index.IndexOf(File.GetName(I));
        Entries.push_back(Extracted(File, I));
    }

    // The reader that keeps only the directory and reads each entry from the file delivers
    // the same entries, or refuses the same ones. Only the first and the last are compared:
    // each reopens the file, and system calls cost more than the rest of the target.
    static const TMemFile OnDisk("group_image");
    OnDisk.Write(Data);
    TWLOGroupImageFile Disk;
    try {
        Disk.LoadFromFile(OnDisk.Path());
    } catch (const EWloError&) {
        std::abort();
    }
    if (Disk.GetCount() != File.GetCount())
        std::abort();
    if (Disk.GetCount() > 0)
        for (const int I : {0, Disk.GetCount() - 1})
            if (Extracted(Disk, I) != Entries[static_cast<std::size_t>(I)])
                std::abort();
}

// ---------------------------------------------------------------------------------------------
// 2. Item table

inline void RunItemTable(TInput Data) {
    try {
        TMemoryStream Stream(AsBytes(Data));
        TWLOItemDataFile File;
        File.LoadFromStream(Stream);
        for (int I = 0; I < File.GetCount(); ++I)
            (void)File.GetName(I);
        TMemoryStream Record;
        File.ExtractToStream(File.GetCount() - 1, Record);
        const TEquipList List(File);
        for (int Group = 0; Group < BodyGroupCount; ++Group)
            for (int Slot = 1; Slot <= SlotCount; ++Slot)
                for (const TEquipEntry& Entry : List.GetList(Group, Slot)) {
                    (void)Entry.Text();
                    // Each listed item is found by its identifier, maybe as an earlier twin.
                    if (Entry.Item) {
                        if (!List.FindItem(Group, Slot, Entry.Item->ItemID()))
                            std::abort();
                    }
                }
    } catch (const EWloError& Error) {
        NoteRefusal(Error);
    }
}

// ---------------------------------------------------------------------------------------------
// 3. Sprite archive and animation index

inline void DrawSprite(const TJmaJmp& Sprite, TInput Data) {
    // Reused from run to run: what they held before does not matter.
    static TBitmap Bitmap24(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    static TBitmap Bitmap32(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
    // Positions from the input's last bytes, so that clipping at every edge is reached.
    const int X = Data.size() > 0 ? static_cast<std::int8_t>(Data[Data.size() - 1]) * 2 : 0;
    const int Y = Data.size() > 1 ? static_cast<std::int8_t>(Data[Data.size() - 2]) * 2 : 0;
    for (int I = -1; I <= Sprite.FrameCount(); ++I) {
        Sprite.DrawFrame(I, Bitmap24, X, Y);
        Sprite.DrawFrame(I, Bitmap32, -X, -Y);
        (void)Sprite.GetFrameCanvasWidth(I);
        (void)Sprite.GetFrameCanvasHeight(I);
    }
    for (int Action = -1; Action <= Sprite.ActionCount(); ++Action)
        (void)Sprite.GetFrameCount(Action);
}

namespace detail {

// The archive and the animation index of the sprite target as files side by side in a folder
// of their own, living in memory.
class TSpriteFiles {
public:
    static const TSpriteFiles& Get() {
        static const TSpriteFiles Files;
        return Files;
    }
    std::string ArchivePath() const { return FFolder + "x.jma"; }
    void Write(TInput Archive, TInput Index) const {
        FArchive.Write(Archive);
        FIndex.Write(Index);
    }

private:
    TSpriteFiles() : FFolder(TScratchDir::Path() + "jma/") {
        std::filesystem::create_directories(FFolder);
        std::filesystem::create_symlink(FArchive.Path(), FFolder + "x.jma");
        std::filesystem::create_symlink(FIndex.Path(), FFolder + "x.jxa");
    }
    TMemFile FArchive{"x.jma"};
    TMemFile FIndex{"x.jxa"};
    std::string FFolder;
};

inline bool SameSprite(const TJmaJmp& A, const TJmaJmp& B) {
    if (A.FrameCount() != B.FrameCount() || A.ActionCount() != B.ActionCount() ||
        !SameElements(A.FrameCounts(), B.FrameCounts()) || A.FilePalette() != B.FilePalette())
        return false;
    for (int I = 0; I < A.FrameCount(); ++I)
        if (A.Frame(I).Name != B.Frame(I).Name || !SameElements(A.Pixels(I), B.Pixels(I)))
            return false;
    return true;
}

// The sprite Name loaded from the files answers as it does from memory: the same sprite, or
// the same refusal (Refusal, when Sprite's load was refused) naming the file it came from. A
// sprite refused for its animation index alone is loaded all the same.
inline void CompareWithFiles(TInput Archive, TInput Index, const std::string& Name,
                             const TJmaJmp& Sprite, const std::optional<std::string>& Refusal) {
    const TSpriteFiles& Files = TSpriteFiles::Get();
    Files.Write(Archive, Index);
    TJmaJmp FromFile;
    try {
        FromFile.LoadFromFile(Files.ArchivePath(), Name);
        if (Refusal)
            std::abort();
    } catch (const EWloError& Error) {
        if (!Refusal || Error.what() != *Refusal ||
            (Error.FileName() != Files.ArchivePath() &&
             Error.FileName() != ChangeFileExt(Files.ArchivePath(), ".jxa")))
            std::abort();
    }
    if (FromFile.Loaded() != Sprite.Loaded() || (Sprite.Loaded() && !SameSprite(FromFile, Sprite)))
        std::abort();
}

} // namespace detail

inline void RunJmaJxa(TInput Data) {
    std::uint32_t ArchiveLength = Data.size() >= 4 ? LoadLE32(Data.data()) : 0;
    const TInput Rest = Data.size() >= 4 ? Data.subspan(4) : TInput{};
    ArchiveLength = static_cast<std::uint32_t>(std::min<std::size_t>(ArchiveLength, Rest.size()));
    const TInput Archive = Rest.first(ArchiveLength);
    const TInput Index = Rest.subspan(ArchiveLength);

    std::vector<std::string> Names;
    TJmaList List;
    try {
        TMemoryStream Stream(AsBytes(Archive));
        List.AddArchive("x.jma", Stream);
    } catch (const EWloError& Error) {
        NoteRefusal(Error);
    }
    for (int I = 0; I < std::min(List.Count(), 4); ++I)
        Names.push_back(List.Line(I).substr(0, List.Line(I).find('=')));
    Names.emplace_back("2000.jmp");

    // Levels and ranges from the input's tail, unchecked: the sprite must keep them in range.
    const int Levels = Data.size() >= 8 ? static_cast<int>(LoadLE32(Data.data() + Data.size() - 8))
                                        : ColorLevels(9, 0, 4);
    const int First = Data.size() >= 3 ? Data[Data.size() - 3] : 0;
    const int Last = Data.size() >= 4 ? Data[Data.size() - 4] : 255;
    for (const std::string& Name : Names) {
        TJmaJmp Sprite;
        std::optional<std::string> Refusal;
        try {
            TMemoryStream ArchiveStream(AsBytes(Archive));
            TMemoryStream IndexStream(AsBytes(Index));
            Sprite.LoadFromStreams(ArchiveStream, IndexStream, Name);
        } catch (const EWloError& Error) {
            NoteRefusal(Error);
            Refusal = Error.what();
        }
        if (&Name == &Names.front())
            detail::CompareWithFiles(Archive, Index, Name, Sprite, Refusal);
        if (Refusal)
            continue;
        // However the frames point into the archive, what is kept may not outgrow it.
        std::size_t Kept = 0;
        for (int I = 0; I < Sprite.FrameCount(); ++I)
            Kept += Sprite.Pixels(I).size();
        if (Kept > ArchiveLength)
            std::abort();
        // Every frame is found by its name, in whatever order the file stores them.
        for (int I = 0; I < Sprite.FrameCount(); ++I) {
            const int Found = Sprite.IndexOfFrame(Sprite.Frame(I).Name);
            if (Found < 0 || !SameText(Sprite.Frame(Found).Name, Sprite.Frame(I).Name))
                std::abort();
        }
        DrawSprite(Sprite, Data);
        Sprite.AdjustPalette(First, Last, Levels);
        Sprite.AdjustPalette(0, 255, Levels);
        Sprite.AdjustPalette(First - 128, Last + 128, Levels);
        DrawSprite(Sprite, Data);
        (void)Sprite.IndexOfFrame(FrameFileName(1, 1));
        // Only 24- and 32-bit bitmaps are drawn on.
        static TBitmap Bitmap8(1, 1, TPixelFormat::pf8bit);
        try {
            Sprite.DrawFrame(0, Bitmap8, 0, 0);
            std::abort();
        } catch (const EWloError&) {
        }
    }
}

// ---------------------------------------------------------------------------------------------
// 4. Character code

/// A small game to apply codes to: one item per slot wearable by every body group, and tiny
/// sprites for every body and head and for the hand item, which is drawn in a way of its own,
/// in a folder of their own. The other items are worn but not drawn, as items whose sprite
/// the game lacks: each sprite read from disk costs the target more than the code itself.
class TCodeGame {
public:
    static constexpr int ItemCount = SlotCount;
    static constexpr int DrawnItem = 3; // the hand's
    // The frames a new character shows: frame 1 of the first motion facing the viewer.
    static constexpr int DefaultAction = MotionActions[0][4];

    static TItemInfo Item(int N) {
        TItemInfo Info;
        Info.Kind = 1;
        Info.ItemID = static_cast<std::uint16_t>(100 + N);
        Info.Slot = static_cast<std::uint8_t>(N);
        Info.SpriteNo.fill(static_cast<std::uint16_t>(1100 + N));
        Info.ListNumber = static_cast<std::uint8_t>(N);
        Info.Name = "Item" + std::to_string(N);
        return Info;
    }

    static const TCodeGame& Get() {
        static const TCodeGame Game;
        return Game;
    }

    const TJmaList& JmaList() const { return FJmaList; }
    const TEquipList& EquipList() const { return *FEquipList; }

private:
    TCodeGame() {
        TItemTableWriter Table;
        for (int N = 1; N <= ItemCount; ++N)
            Table.Add(Item(N));
        TMemoryStream Stream(Table.Build());
        FItems.LoadFromStream(Stream);
        FEquipList = std::make_unique<TEquipList>(FItems);

        // An archive per body group and one for the items: short directories to search.
        std::vector<std::vector<TJmaWriterSprite>> Archives(BodySpriteBase.size() + 1);
        const auto AddSprite = [&Archives](std::size_t Archive, int No) {
            TJmaWriterSprite Sprite;
            Sprite.Name = JmpFileName(No);
            for (int I = 0; I < 256; ++I)
                Sprite.Palette[static_cast<std::size_t>(I)] = {
                    static_cast<std::uint8_t>(I), static_cast<std::uint8_t>(I / 2),
                    static_cast<std::uint8_t>(255 - I), 0};
            TJmaWriterFrame Frame;
            Frame.Action = DefaultAction;
            Frame.Number = 1;
            Frame.CanvasWidth = 8;
            Frame.CanvasHeight = 8;
            Frame.X = 2;
            Frame.Y = 1;
            Frame.Width = 3;
            Frame.Height = 2;
            Frame.Pixels = {1, 70, 210, 0, 254, 80};
            Sprite.Frames.push_back(Frame);
            Sprite.FrameCounts.assign(DefaultAction + 1, 0);
            Sprite.FrameCounts.back() = 1;
            Archives[Archive].push_back(std::move(Sprite));
        };
        for (std::size_t Group = 0; Group < BodySpriteBase.size(); ++Group) {
            AddSprite(Group, BodySpriteBase[Group]);
            for (int Head = 0; Head < 8; ++Head)
                AddSprite(Group, BodySpriteBase[Group] + 100 + Head);
        }
        AddSprite(BodySpriteBase.size(), 1100 + DrawnItem);
        const std::string Folder = TScratchDir::Path() + "code/";
        std::filesystem::create_directories(Folder);
        for (std::size_t I = 0; I < Archives.size(); ++I)
            WriteJmaFiles(Folder + "sprites" + std::to_string(I) + ".jma", Archives[I]);
        // A damaged archive beside them hides only its own sprites.
        const std::uint8_t Damaged[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
        WriteFileBytes(Folder + "damaged.jma", Damaged);
        FJmaList.Scan(Folder, "*.jma");
        if (FJmaList.Failures().size() != 1)
            std::abort();
    }

    TWLOItemDataFile FItems;
    std::unique_ptr<TEquipList> FEquipList; // refers to FItems' records
    TJmaList FJmaList;
};

namespace detail {

// Applies Code to a fresh character; false when the code is refused.
inline bool ApplyCode(const std::string& Code) {
    const TCodeGame& Game = TCodeGame::Get();
    // One canvas for every run: a new one per input cost a tenth of the target's time.
    static TBitmap Canvas(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    TDrawChara Chara(Canvas, Game.JmaList());
    Chara.SetEquipList(&Game.EquipList());
    try {
        Chara.SetCode(Code);
    } catch (const EWloError& Error) {
        NoteRefusal(Error);
        if (Chara.Chara() != -1)
            std::abort(); // a refused code changes nothing
        return false;
    }
    // Whatever a code holds comes back unchanged through the code of what it holds.
    const TCharaDesign Design = DecodeCharaCode(Code);
    const TCharaDesign Again = DecodeCharaCode(EncodeCharaCode(Design));
    if (Again.Chara != Design.Chara || Again.Parts != Design.Parts || Again.Color != Design.Color)
        std::abort();

    if (Chara.Chara() != -1) {
        // Drawn over what the canvas holds: clearing it first, as Redraw does, took a quarter
        // of the time under the sanitizers and reads nothing of the code.
        Chara.DrawFrame(Canvas, Chara.Frame());
        // What a code set must read back as the same code. Sprites have no part in a code:
        // the copy finds none, and reads no file.
        const std::string Worn = Chara.GetCode();
        static const TJmaList NoSprites;
        TDrawChara Copy(Canvas, NoSprites);
        Copy.SetEquipList(&Game.EquipList());
        Copy.SetCode(Worn);
        if (Copy.GetCode() != Worn)
            std::abort();
    }
    return true;
}

} // namespace detail

/// The input as a pasted code; when it is none, as the bytes a code carries, closed by their
/// check byte, which random text matches once in 256 tries and would otherwise keep most
/// inputs from the record's fields.
inline void RunCharaCode(TInput Data) {
    if (detail::ApplyCode(AsText(Data)))
        return;
    std::vector<std::uint8_t> Record = AsBytes(Data);
    Record.push_back(Crc8Maxim(Record));
    detail::ApplyCode(Base64Encode(Record));
}

// ---------------------------------------------------------------------------------------------
// 5. INI file

namespace detail {

// The pieces between '\n's; the last one holds what follows the last '\n'.
inline std::vector<std::string_view> SplitLines(std::string_view Text) {
    std::vector<std::string_view> Lines;
    std::size_t Start = 0;
    for (;;) {
        const std::size_t End = Text.find('\n', Start);
        if (End == std::string_view::npos) {
            Lines.push_back(Text.substr(Start));
            return Lines;
        }
        Lines.push_back(Text.substr(Start, End - Start));
        Start = End + 1;
    }
}

inline std::string_view Trim(std::string_view S) {
    // The blanks the INI reader trims, form feed and vertical tab included.
    const auto Space = [](char C) {
        return C == ' ' || C == '\t' || C == '\r' || C == '\v' || C == '\f';
    };
    while (!S.empty() && Space(S.front()))
        S.remove_prefix(1);
    while (!S.empty() && Space(S.back()))
        S.remove_suffix(1);
    return S;
}

inline bool IsWrittenKeyLine(std::string_view Line, std::span<const std::string_view> Keys) {
    const std::size_t Equals = Line.find('=');
    if (Equals == std::string_view::npos)
        return false;
    const std::string_view Name = Trim(Line.substr(0, Equals));
    return std::any_of(Keys.begin(), Keys.end(), [Name](std::string_view Key) {
        return Key.size() == Name.size() &&
               std::equal(Key.begin(), Key.end(), Name.begin(), [](char A, char B) {
                   return std::toupper(static_cast<unsigned char>(A)) ==
                          std::toupper(static_cast<unsigned char>(B));
               });
    });
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
inline bool IsValidUtf8(std::string_view S) {
    std::size_t I = 0;
    while (I < S.size()) {
        const auto B = static_cast<std::uint8_t>(S[I]);
        const std::size_t Length = B < 0x80             ? 1
                                   : (B & 0xE0) == 0xC0 ? 2
                                   : (B & 0xF0) == 0xE0 ? 3
                                   : (B & 0xF8) == 0xF0 ? 4
                                                        : 0;
        if (Length == 0 || S.size() - I < Length)
            return false;
        std::uint32_t Code = Length == 1 ? B : B & (0x7F >> Length);
        for (std::size_t K = 1; K < Length; ++K) {
            const auto C = static_cast<std::uint8_t>(S[I + K]);
            if ((C & 0xC0) != 0x80)
                return false;
            Code = (Code << 6) | (C & 0x3F);
        }
        constexpr std::uint32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (Code < Least[Length] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
            return false;
        I += Length;
    }
    return true;
}

inline std::string_view WithoutByteOrderMark(std::string_view Text) {
    if (Text.starts_with("\xEF\xBB\xBF"))
        Text.remove_prefix(3);
    return Text;
}

} // namespace detail

inline void RunIniFile(TInput Data) {
    const std::string Original = AsText(Data);
    std::string Result;
    try {
        TMemoryStream Contents(AsBytes(Data));
        TIniFile Ini("pelto.ini", Contents);
        // The file read from its path holds the same as the one given its bytes.
        static const TMemFile OnDisk("pelto.ini");
        OnDisk.Write(Data);
        TMemoryStream FromStream;
        Ini.SaveToStream(FromStream);
        TMemoryStream FromFile;
        TIniFile(OnDisk.Path()).SaveToStream(FromFile);
        if (!SameElements(FromFile.Memory(), FromStream.Memory()))
            std::abort();

        const std::string Read = Ini.ReadString("pelto", "WloPath", "");
        (void)Ini.ReadInteger("pelto", "X", -1);
        (void)Ini.TryReadInteger("pelto", "Y");
        (void)Ini.ReadBool("pelto", "Shadow", false);
        (void)Ini.SectionExists("Save1");

        // Writes: keys that may exist, values from the input and from the file, a new key, a
        // new section.
        const std::string Value = Original.substr(0, 40);
        const auto Number = static_cast<int>(Data.size() >= 4 ? LoadLE32(Data.data()) : 3);
        Ini.WriteString("pelto", "WloPath", Value);
        Ini.WriteString("pelto", "ImageFolder", Read);
        Ini.WriteInteger("Save1", "Chara", Number);
        Ini.WriteBool("pelto", "FuzzNewKey", true);
        Ini.WriteString("FuzzNewSection", "FuzzKey", " quoted ");
        if (Ini.ReadString("pelto", "FuzzNewKey", "") != "1" ||
            Ini.ReadInteger("Save1", "Chara", ~Number) != Number)
            std::abort();
        // A value of one line of valid UTF-8 reads back as written, whatever quotes or blanks
        // surround it; so does a value read from the file, which is always valid UTF-8.
        const auto OneLine = [](const std::string& S) {
            return S.find_first_of("\r\n") == std::string::npos && detail::IsValidUtf8(S);
        };
        if ((OneLine(Value) && Ini.ReadString("pelto", "WloPath", "") != Value) ||
            (OneLine(Read) && Ini.ReadString("pelto", "ImageFolder", "") != Read))
            std::abort();
        TMemoryStream Saved;
        Ini.SaveToStream(Saved);
        Result.assign(Saved.Memory().begin(), Saved.Memory().end());
    } catch (const EWloError& Error) {
        NoteRefusal(Error);
        return;
    }

    // Every line that was not one of the written keys is still there, in order, unchanged.
    static constexpr std::string_view WrittenKeys[] = {"WloPath", "ImageFolder", "Chara",
                                                       "FuzzNewKey", "FuzzKey"};
    const auto Before = detail::SplitLines(detail::WithoutByteOrderMark(Original));
    const auto After = detail::SplitLines(detail::WithoutByteOrderMark(Result));
    std::size_t Next = 0;
    for (std::size_t I = 0; I < Before.size(); ++I) {
        const std::string_view Line = Before[I];
        if (detail::IsWrittenKeyLine(Line, WrittenKeys))
            continue;
        const bool Last = I + 1 == Before.size();
        if (Last && Line.empty())
            break;
        // The last line had no ending; it takes the file's when a line is added after it.
        const auto Same = [&](std::string_view Candidate) {
            return Candidate == Line || (Last && Candidate.size() == Line.size() + 1 &&
                                         Candidate.starts_with(Line) && Candidate.back() == '\r');
        };
        while (Next < After.size() && !Same(After[Next]))
            ++Next;
        if (Next == After.size()) {
            std::fprintf(stderr, "INI line lost or changed: \"%.*s\"\n",
                         static_cast<int>(std::min<std::size_t>(Line.size(), 200)), Line.data());
            std::abort();
        }
        ++Next;
    }
}

// ---------------------------------------------------------------------------------------------
// 6. Settings file

/// Apart from the INI target: every setting is a lookup through the whole file, so settings
/// files take long and are fuzzed shorter (scripts/fuzz).
inline void RunSettings(TInput Data) {
    TMemoryStream Contents(AsBytes(Data));
    const TIniFile Ini("pelto.ini", Contents);
    TPeltoSettings Settings;
    LoadSettings(Ini, Settings);
}

// ---------------------------------------------------------------------------------------------
// 7. Wine registry

namespace detail {

// A Wine prefix in a folder of its own whose registry file lives in memory.
class TWinePrefix {
public:
    static const TWinePrefix& Get() {
        static const TWinePrefix Prefix;
        return Prefix;
    }
    const std::string& Path() const { return FPath; }
    void Write(TInput Data) const { FRegistry.Write(Data); }

private:
    TWinePrefix() : FPath(TScratchDir::Path() + "prefix") {
        std::filesystem::create_directories(FPath);
        std::filesystem::create_symlink(FRegistry.Path(), FPath + "/system.reg");
    }
    TMemFile FRegistry{"system.reg"};
    std::string FPath;
};

// Sets an environment variable for its own lifetime.
class TScopedEnv {
public:
    TScopedEnv(const char* Name, const std::string& Value) : FName(Name) {
        if (const char* Old = std::getenv(Name))
            FOld = Old;
        ::setenv(Name, Value.c_str(), 1);
    }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;
    ~TScopedEnv() {
        if (FOld)
            ::setenv(FName, FOld->c_str(), 1);
        else
            ::unsetenv(FName);
    }

private:
    const char* FName;
    std::optional<std::string> FOld;
};

} // namespace detail

inline void RunWineRegistry(TInput Data) {
    const detail::TWinePrefix& Prefix = detail::TWinePrefix::Get();
    TWineRegistry Registry;
    std::vector<std::string> Paths;
    TMemoryStream Stream(AsBytes(Data));
    if (Registry.LoadFromStream(Stream)) {
        Paths.push_back(WloInstallPath(Registry, Prefix.Path()));
        static constexpr std::string_view Products[] = {"Wonderland ONLINE Ex3_is1",
                                                        "Wonderland ONLINE_is1"};
        for (const std::string_view Product : Products)
            for (const std::string_view Node : {"Software\\", "\\Software\\Wow6432Node\\"}) {
                const std::string Key = std::string(Node) +
                                        "Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                        std::string(Product);
                (void)Registry.KeyExists(Key);
                if (auto Value = Registry.ReadString(Key, "InstallLocation"))
                    Paths.push_back(std::move(*Value));
                (void)Registry.ReadString(Key, "");
            }
    }

    // The game's folder found through $WINEPREFIX, its registry read from the file, is the
    // one found in the registry read from memory.
    Prefix.Write(Data);
    std::string Found;
    {
        const detail::TScopedEnv Env("WINEPREFIX", Prefix.Path());
        GetWloInstallPath(Found);
    }
    if (Found != (Paths.empty() ? std::string() : Paths.front()))
        std::abort();
    (void)IsWloFolder(Found); // the viewer checks the folder next

    // The input's first lines stand for paths as a registry could hold them.
    const std::string Text = AsText(Data.first(std::min<std::size_t>(Data.size(), 4096)));
    for (const std::string_view Line : detail::SplitLines(Text)) {
        Paths.emplace_back(Line);
        if (Paths.size() > 16)
            break;
    }
    for (const std::string& Path : Paths) {
        (void)IsWindowsPath(Path);
        (void)WindowsToUnixPath(Prefix.Path(), Path);
    }
}

// ---------------------------------------------------------------------------------------------
// 8. Item search query

namespace detail {

// Items to search: names and descriptions in several writings, and bonuses, through our
// item-table writer as the game stores them.
class TSearchTable {
public:
    static const TSearchTable& Get() {
        static const TSearchTable Table;
        return Table;
    }
    const TItemSearch& Search() const { return *FSearch; }
    const TWLOItemDataFile& File() const { return FFile; }
    const TEquipList& EquipList() const { return *FEquipList; }

private:
    TSearchTable() {
        struct TEntry {
            std::uint16_t ID;
            const char* Name;
            const char* Text;
            std::uint16_t StatType;
            std::int32_t Bonus;
        };
        static constexpr TEntry Entries[] = {
            {1, "ＲＥＤ Hat", "赤い帽子です。", 210, 5},
            {2, "ﾚｯﾄﾞｷｬｯﾌﾟ", "", 211, -2},
            {3, "れっどブーツ", "Boots.", 100, 3},
            {1234, "Blue Robe", "With a Red lining.", 207, 0},
            {65535, "ヴァイオリン", "楽器　ＡＴＫ", 216, 12},
        };
        TItemTableWriter Writer;
        for (const TEntry& Entry : Entries) {
            TItemInfo Info;
            Info.ItemID = Entry.ID;
            Info.Slot = static_cast<std::uint8_t>(1 + Entry.ID % SlotCount);
            Info.SpriteNo.fill(2001);
            Info.Name = Utf8ToSjis(Entry.Name);
            Info.Text = Utf8ToSjis(Entry.Text);
            Info.StatType = {Entry.StatType, 210};
            Info.StatValue = {100 + Entry.Bonus, 99};
            Writer.Add(Info);
        }
        TMemoryStream Stream(Writer.Build());
        FFile.LoadFromStream(Stream);
        FSearch = std::make_unique<TItemSearch>(FFile.Items());
        FEquipList = std::make_unique<TEquipList>(FFile);
    }

    TWLOItemDataFile FFile;
    std::unique_ptr<TItemSearch> FSearch;   // refers to FFile's records
    std::unique_ptr<TEquipList> FEquipList; // so does this
};

inline bool SameQuery(const TItemQuery& A, const TItemQuery& B) {
    const auto SameBonus = [](const TBonusCondition& X, const TBonusCondition& Y) {
        return X.Type == Y.Type && X.Op == Y.Op && X.Value == Y.Value;
    };
    return A.Terms == B.Terms && A.IDs == B.IDs && SameElements(A.Bonuses, B.Bonuses, SameBonus);
}

} // namespace detail

/// The input as a search text.
inline void RunItemQuery(TInput Data) {
    const std::string Text = AsText(Data);
    const TItemQuery Query = TItemQuery::Parse(Text);
    // Terms are the pieces between white space: never empty, never holding any.
    for (const std::string& Term : Query.Terms)
        if (Term.empty() || Term.find_first_of(" \t\n\r\v\f") != std::string::npos)
            std::abort();
    // Folding brings every writing to one form: a folded text is its own folding and asks
    // for the same items. Not so for ill-formed UTF-8, whose bytes normalisation passes
    // through: they may join into new characters once what lay between them is folded away.
    const std::string Folded = SearchFold(Text);
    if (detail::IsValidUtf8(Text) &&
        (SearchFold(Folded) != Folded || !detail::SameQuery(TItemQuery::Parse(Folded), Query)))
        std::abort();

    const detail::TSearchTable& Table = detail::TSearchTable::Get();
    (void)Table.Search().FilterTable(Query);
    for (int Group = 0; Group < BodyGroupCount; ++Group)
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            (void)Table.Search().Filter(Table.EquipList().GetList(Group, Slot), Query);
    for (const TWLOItemData& Item : Table.File().Items())
        for (const TBonusCondition& Bonus : Query.Bonuses)
            (void)Bonus.Holds(Item);
}

/// A request's path, a line break, then its query string: what the service makes of them.
inline void RunServiceRequest(TInput Data) {
    const std::string Text = AsText(Data);
    const std::size_t Break = Text.find('\n');
    const std::string Path = Text.substr(0, Break);
    const std::string Query = Break == std::string::npos ? "" : Text.substr(Break + 1);
    const service::TQueryParams Params = service::ParseQueryString(Query);
    const service::TRoute Route = service::RouteOf(Path);
    (void)service::MatchesETag(Query, Path);
    try {
        switch (Route.Endpoint) {
        case service::TEndpoint::Render: {
            const TRenderRequest Render = service::ParseRenderParams(*Route.Format, Params);
            // What is let through is within the ranges the renderer takes, and its code is in
            // the code box's alphabet.
            if (Render.Motion < 0 || Render.Motion >= static_cast<int>(MotionActions.size()) ||
                Render.Direction < 0 || Render.Direction > 7 || Render.Options.Scale < 1 ||
                Render.Options.Scale > 8 || (Render.Frame && *Render.Frame < 1) ||
                (Render.Options.Delay &&
                 (*Render.Options.Delay < 20 || *Render.Options.Delay > 5000)) ||
                Render.Code.find_first_of(" -_") != std::string::npos)
                std::abort();
            // One key for one picture: the same parameters give the same key.
            if (service::ParseRenderParams(*Route.Format, Params).Key() != Render.Key())
                std::abort();
            (void)detail::ApplyCode(Render.Code);
            break;
        }
        case service::TEndpoint::Items:
            (void)service::ParseItemsParams(Params);
            break;
        case service::TEndpoint::Icon:
            if (Route.ItemId < 0)
                std::abort();
            break;
        default:
            break;
        }
    } catch (const service::EBadRequest& Refusal) {
        NoteRefusal(Refusal);
        if (Refusal.Status() != 400 || std::string_view(Refusal.what()).empty())
            std::abort();
    } catch (const ERequestError& Refusal) {
        NoteRefusal(Refusal);
        if (std::string_view(Refusal.what()).empty())
            std::abort();
    }
}

/// A bitmap file, as an item icon is stored.
inline void RunBmpImage(TInput Data) {
    try {
        const TBitmap Bitmap = DecodeBmp(Data);
        if (Bitmap.Width() < 1 || Bitmap.Height() < 1 || Bitmap.Width() > MaxBmpSide ||
            Bitmap.Height() > MaxBmpSide)
            std::abort();
    } catch (const EWloError& Error) {
        NoteRefusal(Error);
    }
}

/// A picture file, as dropped on the window or given to pelto-cli code --from-image.
inline void RunPictureText(TInput Data) {
    constexpr std::string_view Keyword = "pelto-code";
    if (const auto Text = FindPictureText(Data, Keyword); Text && Text->size() > Data.size())
        std::abort(); // a text is never made of more than the picture holds
    // A text put into what passes for a picture is the one found there first.
    try {
        const std::vector<std::uint8_t> Marked = WithPictureText(Data, Keyword, "AQAAHAf0emc8");
        if (SniffPictureFormat(Data) != TPictureFormat::Bmp &&
            FindPictureText(Marked, Keyword) != "AQAAHAf0emc8")
            std::abort();
    } catch (const std::invalid_argument& Error) {
        NoteRefusal(Error);
    }
}

// ---------------------------------------------------------------------------------------------

#ifndef __EMSCRIPTEN__

/// A request head as a connection receives it, whole and in pieces: where both come to an end
/// they agree on accepting it, and on where it ends; what is accepted keeps to the limits and
/// the forms served, and a refusal is one of the statuses the server answers with. (The parser
/// may decide a malformed head sooner or later depending on how it arrives.)
inline void RunHttpHead(TInput Data) {
    using TState = service::THttpHeadReader::TState;
    const std::string Bytes = AsText(Data);
    service::THttpHeadReader Whole;
    const auto State = Whole.Read(Bytes);
    service::THttpHeadReader Pieces;
    auto PieceState = TState::NeedMore;
    for (std::size_t End = 0; PieceState == TState::NeedMore;) {
        End = std::min(Bytes.size(), End + 7);
        PieceState = Pieces.Read(std::string_view(Bytes).substr(0, End));
        if (End == Bytes.size())
            break;
    }
    if (State != TState::NeedMore && PieceState != TState::NeedMore && PieceState != State)
        std::abort();
    if (State == TState::Complete && PieceState == TState::Complete &&
        Whole.Consumed() != Pieces.Consumed())
        std::abort();
    switch (State) {
    case TState::NeedMore:
        // The request line and its line feed, the fields and the blank line ending them.
        if (Bytes.size() > service::MaxUrlBytes + 64 + 1 + service::MaxHeaderBytes + 2)
            std::abort();
        break;
    case TState::Complete: {
        const service::THttpRequestHead& Head = Whole.Head();
        if (Whole.Consumed() > Bytes.size() || Head.Target.empty() || Head.Target.front() != '/' ||
            Head.Target.size() > service::MaxUrlBytes + 64 || Head.Method.empty() ||
            (Head.Version != 10 && Head.Version != 11))
            std::abort();
        break;
    }
    case TState::Refused:
        if (Whole.Status() != 400 && Whole.Status() != 414 && Whole.Status() != 431 &&
            Whole.Status() != 505)
            std::abort();
        break;
    }
}

#endif // __EMSCRIPTEN__

struct TTarget {
    const char* Name;
    void (*Run)(TInput Data);
};

/// Every target by the name of its program (fuzz_<name>) and of its corpus folders.
inline constexpr TTarget Targets[] = {
    {"group_image", RunGroupImage},
    {"item_table", RunItemTable},
    {"jma_jxa", RunJmaJxa},
    {"chara_code", RunCharaCode},
    {"ini_file", RunIniFile},
    {"settings", RunSettings},
    {"wine_registry", RunWineRegistry},
    {"item_query", RunItemQuery},
    {"service_request", RunServiceRequest},
    {"bmp_image", RunBmpImage},
    {"picture_text", RunPictureText},
#ifndef __EMSCRIPTEN__
    {"http_head", RunHttpHead},
#endif
};

} // namespace pelto::fuzz
