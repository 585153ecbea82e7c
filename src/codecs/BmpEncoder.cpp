#include "codecs/ImageEncoders.h"

#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/LittleEndian.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace pelto {
namespace {

constexpr std::size_t FileHeaderSize = 14; // BITMAPFILEHEADER
constexpr std::size_t InfoHeaderSize = 40; // BITMAPINFOHEADER

} // namespace

void SaveBmpToStream(const TBitmap& Bitmap24, TStream& Stream) {
    const int Bpp = Bitmap24.BytesPerPixel();
    if (Bpp < 3)
        throw std::invalid_argument("a BMP is written from a 24- or 32-bit bitmap");
    const int Width = Bitmap24.Width();
    const int Height = Bitmap24.Height();
    const std::size_t RowSize = (static_cast<std::size_t>(Width) * 3 + 3) & ~std::size_t{3};
    const std::size_t ImageSize = RowSize * static_cast<std::size_t>(Height);
    const std::size_t FileSize = FileHeaderSize + InfoHeaderSize + ImageSize;
    if (FileSize > 0xFFFFFFFFu)
        throw EWriteError("The bitmap is too large for a BMP file");

    std::vector<std::uint8_t> File(FileSize, 0);
    std::uint8_t* H = File.data();
    H[0] = 'B';
    H[1] = 'M';
    StoreLE32(H + 2, static_cast<std::uint32_t>(FileSize));
    StoreLE32(H + 10, static_cast<std::uint32_t>(FileHeaderSize + InfoHeaderSize));
    std::uint8_t* I = H + FileHeaderSize;
    StoreLE32(I + 0, static_cast<std::uint32_t>(InfoHeaderSize));
    StoreLE32(I + 4, static_cast<std::uint32_t>(Width));
    StoreLE32(I + 8, static_cast<std::uint32_t>(Height)); // positive: bottom-up rows
    StoreLE16(I + 12, 1);                                 // planes
    StoreLE16(I + 14, 24);                                // bits per pixel
    StoreLE32(I + 16, 0);                                 // BI_RGB
    StoreLE32(I + 20, static_cast<std::uint32_t>(ImageSize));

    std::uint8_t* Out = I + InfoHeaderSize;
    for (int Y = Height - 1; Y >= 0; --Y, Out += RowSize) {
        const std::uint8_t* In = Bitmap24.ScanLine(Y);
        for (int X = 0; X < Width; ++X, In += Bpp) {
            Out[3 * X] = In[0];
            Out[3 * X + 1] = In[1];
            Out[3 * X + 2] = In[2];
        }
    }
    Stream.WriteBuffer(File.data(), File.size());
}

} // namespace pelto
