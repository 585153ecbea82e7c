#pragma once

#include "platform/Stream.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pelto {

/// A run of frames Aseprite plays as one animation.
struct TAseTag {
    std::string Name;
    int From = 0; // frame index from 0
    int To = 0;   // inclusive
};

/// One layer's picture in one frame: RGBA rows, top first, at (X, Y) of the canvas.
struct TAseCel {
    int Layer = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgba;
    /// Rgba deflated, by PackCel or else when the cel is written.
    std::vector<std::uint8_t> Packed;
};

/// Deflates the cel's pixels now, on this thread, rather than when its frame is written, and
/// lets the unpacked ones go.
void PackCel(TAseCel& Cel);

/// Writes an Aseprite file (.aseprite, RGBA) frame by frame, as Aseprite's published file
/// format describes it: normal image layers bottom first, the tags in the first frame, every
/// cel compressed with zlib. Only the frame being written is held.
class TAsepriteWriter {
public:
    TAsepriteWriter(TStream& Stream, int Width, int Height, int Frames,
                    std::span<const std::string> Layers, std::span<const TAseTag> Tags);
    /// DurationMs 1..65535; cels in any order, each on a layer of the file.
    void WriteFrame(int DurationMs, std::span<const TAseCel> Cels);
    /// Ends the file once every frame was written.
    void Finish();

private:
    TStream& FStream;
    std::int64_t FStart;
    int FFrames;
    int FWritten = 0;
    std::vector<std::uint8_t> FFirstChunks; // layers and tags, chunks of the first frame
    int FFirstChunkCount = 0;
    int FLayerCount;
};

/// The drawn part of a 32-bit bitmap (blue, green, red, alpha; alpha 0 is nothing) as a cel
/// of Layer, cropped to its drawn pixels; an empty cel when nothing is drawn.
TAseCel CelOfDrawnPixels(int Layer, const std::uint8_t* Bits32, std::size_t Stride, int Width,
                         int Height);

} // namespace pelto
