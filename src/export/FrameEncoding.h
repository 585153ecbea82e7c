#pragma once

#include "codecs/ColorReduction.h"
#include "export/PictureFormats.h"
#include "platform/Bitmap.h"

#include <optional>
#include <span>

namespace pelto {

class TStream;

/// The one place a format's encoder is chosen. Pictures are finished: placed, scaled and with
/// their background. A still format writes the first, an animation every one, each lasting
/// DelayMs (none: the format's own pace). Not for GIF, whose frames come reduced.
void EncodePictures(const TExportFormat& Format, std::span<const TBitmap> Pictures,
                    std::optional<int> DelayMs, TStream& Stream);

/// A GIF of Frames, already reduced to their palettes, each lasting DelayMs rounded to the
/// hundredths a GIF counts in (none: the classic GIF's pace).
void EncodeGif(const TExportFormat& Format, std::span<const TReducedFrame> Frames,
               std::optional<int> DelayMs, TStream& Stream);

} // namespace pelto
