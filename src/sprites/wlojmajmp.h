#pragma once

#include "game/GameFacts.h"

#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelto {

class TMappedFile;
class TStream;
struct TSearchRec;

// Sizes of the records of sprite archives (.jma), sprites (.jmp) and animation indexes (.jxa).
inline constexpr std::size_t JmaHeaderSize = 14;
inline constexpr std::size_t JmaEntrySize = 28;
inline constexpr std::size_t JmaFrameSize = 40;
inline constexpr std::size_t JmaPaletteSize = 1024;
inline constexpr std::size_t JmaEntryNameMax = 19;
inline constexpr std::size_t JmaFrameNameMax = 11;

/// The header of an archive, of each sprite in it and of an animation index.
struct TJmaJmpHeader {
    // Its first 2 bytes are not read. Total and Base are read only in an animation index,
    // where (Total - Base) / Count is the record length.
    std::uint32_t Total = 0;
    std::uint32_t Base = 0;
    std::uint32_t Count = 0; // directory entries, frames or sprites

    static TJmaJmpHeader Decode(std::span<const std::uint8_t> Bytes);
};

/// One directory entry of an archive.
struct TJmaEntry {
    std::string Name;
    std::uint32_t Size = 0; // 0 counts as absent
    std::uint32_t Offset = 0;

    static TJmaEntry Decode(std::span<const std::uint8_t> Bytes);
};

/// One frame record of a sprite; the data offset is relative to the sprite's start.
struct TJmaFrame {
    std::string Name; // "%.2d-%d.bmp" of (action, frame number)
    std::uint16_t CanvasWidth = 0;
    std::uint16_t CanvasHeight = 0;
    std::uint16_t X = 0;
    std::uint16_t Y = 0;
    std::uint32_t DataSize = 0;
    std::uint32_t DataOffset = 0;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;

    static TJmaFrame Decode(std::span<const std::uint8_t> Bytes);
    /// Bytes of one stored row: the width rounded up to a multiple of 4.
    std::uint64_t Stride() const { return (std::uint64_t{Width} + 3) & ~std::uint64_t{3}; }
};

struct TPaletteEntry {
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;
    std::uint8_t Reserved = 0;

    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};
using TJmaPalette = std::array<TPaletteEntry, 256>;

TJmaPalette DecodePalette(std::span<const std::uint8_t> Bytes);

/// The pixel data of one frame exactly as stored, rows padded to the stride.
using TJmaJmpData = std::vector<std::uint8_t>;

struct TJmaJmpDesc {
    TJmaJmpHeader Header;
    // As stored; the game's files keep them ascending by name, ignoring case.
    std::vector<TJmaFrame> Frames;
    TJmaPalette Palette{}; // the file palette
};

/// A colour adjustment: levels 0..9 (4 neutral) of red in bits 0-7, green 8-15, blue 16-23.
constexpr int ColorLevels(int Red, int Green, int Blue) {
    return (Red & 0xFF) | ((Green & 0xFF) << 8) | ((Blue & 0xFF) << 16);
}

/// One sprite of an archive, loaded with all its frames, its palette and its frame counts.
class TJmaJmp {
public:
    TJmaJmp() { Clear(); }
    TJmaJmp(const TJmaJmp&) = delete;
    TJmaJmp& operator=(const TJmaJmp&) = delete;

    /// Unloads the sprite; the animation index path, the working palette and the frame
    /// counts stay as they are.
    void Clear();
    /// Loads sprite JmpName of the archive JmaPath and its frame counts from the animation
    /// index beside it. Loading the sprite that is already loaded does nothing, so the
    /// working palette keeps its adjustments. Errors name the archive or the animation index
    /// they came from in EWloError::FileName().
    void LoadFromFile(const std::string& JmaPath, const std::string& JmpName);
    /// As LoadFromFile, with the archive mapped rather than read: its frames are read in place
    /// and only the pages of those drawn come in. For a short-lived command (see TMappedFile).
    void MapFromFile(const std::string& JmaPath, const std::string& JmpName);
    /// As LoadFromFile, from the whole of an archive and of its animation index in memory or
    /// elsewhere; it always loads, and its errors name no file.
    void LoadFromStreams(TStream& Archive, TStream& Index, const std::string& JmpName);

    void RestorePalette();
    /// Recolours working entries First..Last from the file palette by Levels (ColorLevels);
    /// a range outside 0..255 or reversed is ignored.
    void AdjustPalette(int First, int Last, int Levels);

    /// The frame named Name ignoring case, or -1. Found by binary search whether or not the
    /// file stores its frames in name order.
    int IndexOfFrame(std::string_view Name) const;
    /// Draws frame Index with its canvas's top-left corner at (X, Y) into a 24- or 32-bit
    /// bitmap; indices 0, 254 and 255 are transparent. An index out of range draws nothing.
    void DrawFrame(int Index, TBitmap& Bitmap, int X, int Y) const;
    void DrawFrameByName(std::string_view Name, TBitmap& Bitmap, int X, int Y) const;

    /// Frames of Action (numbered from 1), 0 for an action the sprite does not have.
    int GetFrameCount(int Action) const;
    /// Canvas size of frame Index; 0 for an index out of range.
    int GetFrameCanvasWidth(int Index) const;
    int GetFrameCanvasHeight(int Index) const;

    bool Loaded() const { return FLoaded; }
    const std::string& JmaPath() const { return FJmaPath; }
    const std::string& JmpName() const { return FJmpName; }
    const std::string& JxaPath() const { return FJxaPath; }
    const TJmaJmpDesc& Desc() const { return FFrames->Desc; }
    int FrameCount() const { return static_cast<int>(FFrames->Desc.Frames.size()); }
    const TJmaFrame& Frame(int Index) const {
        return FFrames->Desc.Frames.at(static_cast<std::size_t>(Index));
    }
    std::span<const std::uint8_t> Pixels(int Index) const {
        return FFrames->Views.at(static_cast<std::size_t>(Index));
    }
    const TJmaPalette& Palette() const { return FPalette; }
    const TJmaPalette& FilePalette() const { return FFrames->Desc.Palette; }

    /// Takes the loaded sprite Other without copying its frames: both then draw from the same
    /// read-only pixel data, each with its own working palette (reset to the file palette).
    /// This is how sprites decoded once are shared between threads.
    void ShareFrom(const TJmaJmp& Other);
    /// The bytes the sprite's frames hold in memory, for caches that bound their size.
    std::size_t DataBytes() const;
    std::span<const std::uint8_t> FrameCounts() const { return FFrameCounts; }
    int ActionCount() const { return FActionCount; }

private:
    void Load(const std::string& JmaPath, const std::string& JmpName, bool Mapped);
    /// Mapping, when given, holds the archive's bytes: frames then stay where they are.
    void LoadArchive(TStream& Archive, int& DirIndex,
                     const std::shared_ptr<const TMappedFile>& Mapping = nullptr);
    void LoadFrameCounts(TStream& Index, int DirIndex);

    std::string FJmaPath;
    std::string FJmpName;
    std::string FJxaPath;
    // What loading reads, never changed once loaded, so that copies can share it.
    struct TFrames {
        TJmaJmpDesc Desc;
        std::vector<TJmaJmpData> Pixels; // read frames: empty for a mapped archive
        std::shared_ptr<const TMappedFile> Mapping;
        std::vector<std::span<const std::uint8_t>> Views; // each frame, in Pixels or Mapping
        // Frame positions in name order, only for a file whose frames are out of that order.
        std::vector<int> Order;
    };
    static const std::shared_ptr<const TFrames>& NoFrames();
    static void OrderFrames(TFrames& Frames);

    std::shared_ptr<const TFrames> FFrames = NoFrames();
    bool FLoaded = false;
    TJmaPalette FPalette{};
    std::vector<std::uint8_t> FFrameCounts;
    std::uint8_t FActionCount = 0;
};

/// The error of an archive or animation index Path that is not there, naming it.
EWloError MissingSpriteFile(const std::string& Path);

/// The catalogue of sprites: which archive of the sprite folder holds which sprite.
class TJmaList {
public:
    /// Rebuilds the catalogue from the directories of the archives of Folder (ending in a
    /// path delimiter) matching Mask. An archive that cannot be opened or read adds no lines
    /// and is recorded in Failures(); the scan goes on with the next one.
    void Scan(const std::string& Folder, const std::string& Mask);
    /// As Scan, reading no archive yet: a lookup reads the directories of the archives not yet
    /// read, in scan order, until one holds the name, so that the first archive still wins. An
    /// archive that cannot be read raises its error, naming it, from every lookup that reaches
    /// it; Failures() stays empty. Count() and Line() tell the archives read so far.
    void ScanOnDemand(const std::string& Folder, const std::string& Mask);
    void Clear();

    /// The errors of the archives the last Scan could not read, in scan order, each naming
    /// its archive's full path in FileName().
    const std::vector<EWloError>& Failures() const { return FFailures; }

    /// The full path of the archive holding JmpName (ignoring case), or the empty string.
    /// When several archives hold it, the one found first by the scan wins.
    void GetJmaPath(std::string_view JmpName, std::string& Path) const;
    std::string GetJmaPath(std::string_view JmpName) const;

    const std::string& Folder() const { return FFolder; }
    /// Scanned by ScanOnDemand: what is drawn from it is read only as far as drawing asks.
    bool OnDemand() const { return FOnDemand; }
    int Count() const { return static_cast<int>(FList.size()); }
    /// Line Index as "name=archive", in scan order.
    const std::string& Line(int Index) const { return FList.at(static_cast<std::size_t>(Index)); }

    void FoundFile(const TSearchRec& SearchRec, bool& Continue);
    /// Adds the sprites listed in the directory of Archive (read from its position), the
    /// archive FileName of Folder(). Raises EReadError for a damaged directory, adding nothing.
    void AddArchive(const std::string& FileName, TStream& Archive);

private:
    void AddLines(const std::string& FileName, TStream& Archive) const;
    /// Adds the lines of the archive FileName of Folder(); raises its error, naming it.
    void ReadArchive(const std::string& FileName) const;
    void Add(std::string Line) const;
    /// On demand: reads archives not yet read until one holds the name Key (upper-cased).
    void ReadArchivesFor(const std::string& Key) const;

    std::string FFolder;
    // On demand, the lines and their index grow as lookups read archives, under FReading.
    mutable std::vector<std::string> FList;
    // Upper-cased name part of a line -> its first line, so the first archive wins.
    mutable std::unordered_map<std::string, std::size_t> FIndex;
    std::vector<EWloError> FFailures;
    bool FOnDemand = false;
    std::vector<std::string> FUnread; // on demand: archive names in scan order
    mutable std::size_t FNextUnread = 0;
    mutable std::mutex FReading;
};

constexpr int BodySpriteNo(int Chara) {
    return BodySpriteBase[CharaData[Chara].BodyGroup];
}
constexpr int HeadSpriteNo(int Chara) {
    return BodySpriteNo(Chara) + 100 + CharaData[Chara].HeadIndex;
}
/// "%.4d.jmp" of a sprite number.
std::string JmpFileName(int SpriteNo);
/// "%.2d-%d.bmp" of an action and a frame number.
std::string FrameFileName(int Action, int FrameNo);

} // namespace pelto
