#pragma once

#include "platform/Bitmap.h"
#include "platform/Stream.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

// Lossless animations of 32-bit bitmaps (blue, green, red, alpha), all of the first frame's
// size, looping forever, every frame drawn whole over a cleared canvas and kept even when it
// repeats the one before. Encoder failures raise EWriteError with the reason; stream failures
// propagate as the stream raised them.

/// Animated PNG. With Alpha the frames are RGBA, else RGB and the fourth byte is ignored.
/// DelayMs is each frame's duration.
void SaveApngToStream(std::span<const TBitmap> Frames32, bool Alpha, int DelayMs, TStream& Stream);
/// Animated WebP, lossless at the fastest lossless setting, colours kept exact under any
/// alpha. Without Alpha the fourth byte is ignored and the file holds no alpha.
void SaveAnimatedWebpToStream(std::span<const TBitmap> Frames32, bool Alpha, int DelayMs,
                              TStream& Stream);

/// A still PNG written row by row, for pictures too large to hold whole (a sheet of every
/// motion at scale 8). With Alpha the rows become RGBA, else RGB.
class TPngRowWriter {
public:
    TPngRowWriter(TStream& Stream, int Width, int Height, bool Alpha);
    ~TPngRowWriter();
    TPngRowWriter(const TPngRowWriter&) = delete;
    TPngRowWriter& operator=(const TPngRowWriter&) = delete;

    /// Carries Text under Keyword (see PictureText.h); only before the first row.
    void WriteText(std::string_view Keyword, std::string_view Text);
    /// Row is Width pixels of blue, green, red, alpha; rows come top first.
    void WriteRow(const std::uint8_t* Row32);
    /// Ends the picture once every row was written.
    void Finish();

private:
    void Deflate(const std::uint8_t* Data, std::size_t Size, bool Last);

    TStream& FStream;
    int FWidth;
    int FHeight;
    int FChannels;
    int FRows = 0;
    std::vector<std::uint8_t> FPrevious;
    std::vector<std::uint8_t> FCurrent;
    std::vector<std::uint8_t> FOut;
    void* FZip; // zlib's z_stream, kept out of this header
};

} // namespace pelto
