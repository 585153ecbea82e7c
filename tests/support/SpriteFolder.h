#pragma once

#include "support/TempDir.h"
#include "writers/JmaWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pelto::test {

/// A palette whose entries differ from each other in every channel.
TJmaPalette DistinctPalette();

/// A sprite whose every frame is a W x H block of palette index Index at (X, Y) of a canvas
/// of CanvasSize; action A has FrameCounts[A] frames.
TJmaWriterSprite BlockSprite(const std::string& Name, std::uint8_t Index, int X, int Y, int W,
                             int H, const std::vector<std::uint8_t>& FrameCounts,
                             int CanvasSize = 128);

/// Frame counts for all 74 actions: 3 frames for action 12 (motion 0 facing the viewer),
/// 1 for action 8, 2 for every other.
std::vector<std::uint8_t> StandardFrameCounts();

} // namespace pelto::test
