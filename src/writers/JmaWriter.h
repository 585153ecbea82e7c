#pragma once

#include "sprites/wlojmajmp.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pelto {

class TStream;

/// One frame to write.
struct TJmaWriterFrame {
    int Action = 0;
    int Number = 1;
    std::string Name; // when empty, "%.2d-%d.bmp" of (Action, Number)
    std::uint16_t CanvasWidth = 0;
    std::uint16_t CanvasHeight = 0;
    std::uint16_t X = 0;
    std::uint16_t Y = 0;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::vector<std::uint8_t> Pixels; // Width x Height indices, rows not padded
    std::uint8_t PadByte = 0;         // fills each row up to the stride
    /// Written as the frame's data instead of the padded Pixels, exactly as given.
    std::optional<std::vector<std::uint8_t>> StoredData;

    std::string FrameName() const;
};

/// One sprite to write: its archive entry, its frames and its animation index record.
struct TJmaWriterSprite {
    std::string Name; // e.g. "2000.jmp", at most 19 characters
    TJmaPalette Palette{};
    std::vector<TJmaWriterFrame> Frames; // any order; written sorted by name ignoring case
    /// Writes Frames in the order given instead, as a file out of the game's order would be.
    bool KeepFrameOrder = false;
    std::vector<std::uint8_t> FrameCounts; // per action
    /// The record's last byte; by default the number of FrameCounts.
    std::optional<std::uint8_t> ActionCount;
    /// Listed in the directory with size 0 and no data.
    bool Absent = false;
};

/// Writes an archive (.jma) holding Sprites in directory order.
void WriteJma(TStream& Stream, std::span<const TJmaWriterSprite> Sprites);
/// Writes the animation index (.jxa) of the same sprites; every record is as long as the
/// longest FrameCounts plus its count byte, shorter ones padded with zeros.
void WriteJxa(TStream& Stream, std::span<const TJmaWriterSprite> Sprites);

std::vector<std::uint8_t> JmaBytes(std::span<const TJmaWriterSprite> Sprites);
std::vector<std::uint8_t> JxaBytes(std::span<const TJmaWriterSprite> Sprites);

/// Writes JmaPath and the animation index beside it (its extension replaced by ".jxa").
void WriteJmaFiles(const std::string& JmaPath, std::span<const TJmaWriterSprite> Sprites);

} // namespace pelto

namespace pelto {

/// The sprites of the archive JmaPath and its animation index, in directory order, as WriteJma
/// takes them: written again, they show the same pictures. Raises the readers' errors.
std::vector<TJmaWriterSprite> ReadJmaSprites(const std::string& JmaPath);

} // namespace pelto
