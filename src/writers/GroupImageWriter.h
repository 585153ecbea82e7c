#pragma once

#include "platform/Stream.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

/// One named file of a group-image container.
struct TGroupImageItem {
    std::string Name;
    std::vector<std::uint8_t> Data;
};

/// Builds a group-image file (.BMg): the entry count, the directory, then the data area.
/// Beside plain entries it can lay out what the game's files may hold: entries sharing a data
/// area, gaps between areas, directory fields that point anywhere.
class TGroupImageWriter {
public:
    /// An entry whose bytes follow those of the entries added before it. Returns its index.
    /// Raises std::invalid_argument for a name longer than the 23 bytes of the name field.
    int Add(std::string_view Name, std::span<const std::uint8_t> Data);
    /// An entry pointing at Size bytes from DataOffset, counted from the start of the data
    /// area (the first byte after the directory); the bytes there are not written by it.
    int AddAt(std::string_view Name, std::uint32_t DataOffset, std::uint32_t Size);
    /// An entry whose offset field is FileOffset as given, counted from the start of the file.
    int AddAtFileOffset(std::string_view Name, std::uint32_t FileOffset, std::uint32_t Size);
    /// Raw bytes appended to the data area (gaps, areas for AddAt); returns their data offset.
    std::uint32_t AppendData(std::span<const std::uint8_t> Bytes);
    /// Stores Length as the entry's name length byte, whatever its name holds.
    void SetNameLength(int Index, std::uint8_t Length);
    /// Stores Count as the entry count instead of the number of entries.
    void SetCount(std::uint16_t Count);

    /// The offset of the data area in the file: past the count and the directory.
    std::uint32_t DataStart() const;
    std::vector<std::uint8_t> Build() const;
    void Write(TStream& Dest) const;
    void WriteToFile(const std::string& FileName) const;

private:
    struct TEntry {
        std::string Name;
        std::uint8_t NameLength;
        std::uint32_t Offset; // in the data area, or in the file when FromFileStart
        std::uint32_t Size;
        bool FromFileStart;
    };
    std::vector<TEntry> FEntries;
    std::vector<std::uint8_t> FData;
    int FCount = -1; // -1: the number of entries

    int AddEntry(std::string_view Name, std::uint32_t Offset, std::uint32_t Size,
                 bool FromFileStart);
};

/// Writes Items as a group-image file, directory then data, in order.
void WriteGroupImage(TStream& Dest, std::span<const TGroupImageItem> Items);
void WriteGroupImageFile(const std::string& FileName, std::span<const TGroupImageItem> Items);

} // namespace pelto
