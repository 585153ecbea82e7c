#pragma once

#include "codecs/ColorReduction.h"
#include "platform/Bitmap.h"
#include "platform/Stream.h"

#include <span>
#include <string>

namespace pelto {

// Still images take 24-bit bitmaps (a 32-bit one is accepted and its fourth byte ignored);
// the RGBA PNG takes a 32-bit bitmap. Encoder failures raise EWriteError with the reason,
// stream failures propagate as the stream raised them. The file variants write through
// WriteFileAtomically, so a failed save leaves an existing file as it was.

/// Uncompressed 24-bit Windows bitmap, rows bottom-up.
void SaveBmpToStream(const TBitmap& Bitmap24, TStream& Stream);
/// Baseline colour JPEG; everything but the quality is the library's default.
void SaveJpegToStream(const TBitmap& Bitmap24, TStream& Stream, int Quality = 95);
/// 8-bit truecolour PNG, packed as PngDeflate.h tells.
void SavePngRgbToStream(const TBitmap& Bitmap24, TStream& Stream);
/// 8-bit truecolour PNG with alpha, the alpha taken from each pixel's fourth byte.
void SavePngRgbaToStream(const TBitmap& Bitmap32, TStream& Stream);
/// The window's "Save Image As..." PNGs: byte for byte what libpng writes with every setting at
/// its default, as the classic viewer saved them.
void SaveClassicPngRgbToStream(const TBitmap& Bitmap24, TStream& Stream);
void SaveClassicPngRgbaToStream(const TBitmap& Bitmap32, TStream& Stream);
/// Looping GIF89a, one image with its own colour table per frame, DelayCs hundredths of a
/// second apart. With Transparent every image's entry nearest to magenta is its transparent
/// colour.
inline constexpr int DefaultGifDelay = 16;
void SaveAnimatedGifToStream(std::span<const TReducedFrame> Frames, bool Transparent,
                             TStream& Stream, int DelayCs = DefaultGifDelay);

void SaveBmpFile(const TBitmap& Bitmap24, const std::string& FileName);
void SaveJpegFile(const TBitmap& Bitmap24, const std::string& FileName, int Quality = 95);
void SavePngRgbFile(const TBitmap& Bitmap24, const std::string& FileName);
void SavePngRgbaFile(const TBitmap& Bitmap32, const std::string& FileName);
void SaveAnimatedGifFile(std::span<const TReducedFrame> Frames, bool Transparent,
                         const std::string& FileName, int DelayCs = DefaultGifDelay);

} // namespace pelto
