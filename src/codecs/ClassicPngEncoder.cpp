#include "codecs/ImageEncoders.h"

#include "codecs/PngChunks.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Stream.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The window's saved pictures are byte for byte what libpng writes by default: every row filtered
// by whichever of the five filters gives the smallest sum of its bytes taken as signed, the first
// of them on a tie; deflate at the default level with the filtered strategy, the window
// narrowed to a small image as libpng narrows it, and IDAT chunks of 8 KiB. libpng tries the
// filters a byte at a time; here sixteen bytes go at once, which makes a picture about twice
// as quick to write.

namespace pelto {
namespace {

enum TFilter : std::uint8_t { None, Sub, Up, Average, Paeth, FilterCount };

constexpr std::size_t IdatBytes = 8192;

/// What libpng's heuristic sums for a filtered byte: its distance from 0 taken as signed.
constexpr unsigned Weight(std::uint8_t Byte) {
    return Byte < 128 ? Byte : 256u - Byte;
}

std::uint8_t PaethPredictor(int A, int B, int C) {
    const int Pa = B > C ? B - C : C - B;
    const int Pb = A > C ? A - C : C - A;
    const int Sum = (B - C) + (A - C);
    const int Pc = Sum < 0 ? -Sum : Sum;
    if (Pa <= Pb && Pa <= Pc)
        return static_cast<std::uint8_t>(A);
    return static_cast<std::uint8_t>(Pb <= Pc ? B : C);
}

/// One row's five filterings and the weight of each. Row and Above hold Bpp zero bytes before
/// their first pixel, so that the left neighbours of the first pixel read as zero.
class TRowFilters {
public:
    /// As libpng: a single row leaves out the filters that look up, a single column those
    /// that look left.
    TRowFilters(std::size_t RowBytes, std::size_t Bpp, bool OneRow, bool OneColumn)
        : FRowBytes(RowBytes), FBpp(Bpp) {
        FAllowed.fill(true);
        if (OneRow)
            FAllowed[Up] = FAllowed[Average] = FAllowed[Paeth] = false;
        if (OneColumn)
            FAllowed[Sub] = FAllowed[Average] = FAllowed[Paeth] = false;
        for (auto& Out : FOut)
            Out.resize(RowBytes + 1);
    }

    /// The filter libpng would choose, its type byte first in Filtered(it).
    TFilter Choose(const std::uint8_t* Row, const std::uint8_t* Above) {
        std::array<std::uint64_t, FilterCount> Sums{};
        std::size_t I = 0;
#if defined(__SSE2__)
        I = FilterBlocks(Row, Above, Sums);
#endif
        for (; I < FRowBytes; ++I) {
            const int X = Row[I], A = Left(Row, I);
            const int B = Above[I], C = Left(Above, I);
            Put(None, I, static_cast<std::uint8_t>(X), Sums);
            Put(Sub, I, static_cast<std::uint8_t>(X - A), Sums);
            Put(Up, I, static_cast<std::uint8_t>(X - B), Sums);
            Put(Average, I, static_cast<std::uint8_t>(X - ((A + B) >> 1)), Sums);
            Put(Paeth, I, static_cast<std::uint8_t>(X - PaethPredictor(A, B, C)), Sums);
        }
        TFilter Best = None;
        for (int F = Sub; F < FilterCount; ++F)
            if (FAllowed[F] && Sums[F] < Sums[Best])
                Best = static_cast<TFilter>(F);
        FOut[Best][0] = Best;
        return Best;
    }

    /// The type byte and the row filtered by F.
    const std::vector<std::uint8_t>& Filtered(TFilter F) const {
        return FOut[F];
    }

private:
    std::uint8_t Left(const std::uint8_t* Row, std::size_t I) const {
        return Row[I - FBpp];
    }
    void Put(TFilter F, std::size_t I, std::uint8_t Byte,
             std::array<std::uint64_t, FilterCount>& Sums) {
        FOut[F][I + 1] = Byte;
        Sums[F] += Weight(Byte);
    }

#if defined(__SSE2__)
    /// Filters whole blocks of sixteen bytes; returns where the blocks end.
    std::size_t FilterBlocks(const std::uint8_t* Row, const std::uint8_t* Above,
                             std::array<std::uint64_t, FilterCount>& Sums) {
        const __m128i Zero = _mm_setzero_si128();
        const __m128i One = _mm_set1_epi8(1);
        __m128i Total[FilterCount] = {Zero, Zero, Zero, Zero, Zero};
        const auto Load = [](const std::uint8_t* P) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
        };
        const auto Store = [&](TFilter F, std::size_t I, __m128i V) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(FOut[F].data() + 1 + I), V);
            // min(v, -v) as unsigned is the weight of every byte; psadbw sums them.
            const __m128i Weights = _mm_min_epu8(V, _mm_sub_epi8(Zero, V));
            Total[F] = _mm_add_epi64(Total[F], _mm_sad_epu8(Weights, Zero));
        };
        // Paeth on eight bytes widened to sixteen bits.
        const auto Predict = [&](__m128i A, __m128i B, __m128i C) {
            const __m128i BC = _mm_sub_epi16(B, C);
            const __m128i AC = _mm_sub_epi16(A, C);
            const auto Abs = [&](__m128i V) {
                return _mm_max_epi16(V, _mm_sub_epi16(Zero, V));
            };
            const __m128i Pa = Abs(BC), Pb = Abs(AC), Pc = Abs(_mm_add_epi16(BC, AC));
            const __m128i TakeA = _mm_andnot_si128(
                _mm_or_si128(_mm_cmpgt_epi16(Pa, Pb), _mm_cmpgt_epi16(Pa, Pc)), _mm_set1_epi16(-1));
            const __m128i TakeB = _mm_andnot_si128(_mm_cmpgt_epi16(Pb, Pc), _mm_set1_epi16(-1));
            const __m128i BOrC = _mm_or_si128(_mm_and_si128(TakeB, B), _mm_andnot_si128(TakeB, C));
            return _mm_or_si128(_mm_and_si128(TakeA, A), _mm_andnot_si128(TakeA, BOrC));
        };
        std::size_t I = 0;
        for (; I + 16 <= FRowBytes; I += 16) {
            const __m128i X = Load(Row + I);
            const __m128i A = Load(Row + I - FBpp);
            const __m128i B = Load(Above + I);
            const __m128i C = Load(Above + I - FBpp);
            Store(None, I, X);
            Store(Sub, I, _mm_sub_epi8(X, A));
            Store(Up, I, _mm_sub_epi8(X, B));
            // The rounded-up average less the bit it rounded: (a + b) >> 1.
            const __m128i Mean =
                _mm_sub_epi8(_mm_avg_epu8(A, B), _mm_and_si128(_mm_xor_si128(A, B), One));
            Store(Average, I, _mm_sub_epi8(X, Mean));
            const __m128i Low = Predict(_mm_unpacklo_epi8(A, Zero), _mm_unpacklo_epi8(B, Zero),
                                        _mm_unpacklo_epi8(C, Zero));
            const __m128i High = Predict(_mm_unpackhi_epi8(A, Zero), _mm_unpackhi_epi8(B, Zero),
                                         _mm_unpackhi_epi8(C, Zero));
            Store(Paeth, I, _mm_sub_epi8(X, _mm_packus_epi16(Low, High)));
        }
        for (int F = None; F < FilterCount; ++F) {
            alignas(16) std::uint64_t Halves[2];
            _mm_store_si128(reinterpret_cast<__m128i*>(Halves), Total[F]);
            Sums[F] += Halves[0] + Halves[1];
        }
        return I;
    }
#endif

    std::size_t FRowBytes;
    std::size_t FBpp;
    std::array<bool, FilterCount> FAllowed{};
    std::array<std::vector<std::uint8_t>, FilterCount> FOut;
};

/// deflate's stream, ended with its owner.
class TDeflater {
public:
    TDeflater(int WindowBits) {
        if (deflateInit2(&FZip, Z_DEFAULT_COMPRESSION, Z_DEFLATED, WindowBits, 8, Z_FILTERED) !=
            Z_OK)
            throw std::bad_alloc();
    }
    ~TDeflater() { deflateEnd(&FZip); }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;
    z_stream* operator->() { return &FZip; }
    z_stream& operator*() { return FZip; }

private:
    z_stream FZip{};
};

/// A deflater of this thread for a window size, reset for each picture: the same bytes as a new
/// one, without allocating and clearing its quarter megabyte every time. A picture encoded
/// while another one is (none is, today) gets one of its own.
class TKeptDeflater {
public:
    explicit TKeptDeflater(int WindowBits) {
        TSlot& Slot = Slots().at(static_cast<std::size_t>(WindowBits));
        if (Slot.InUse) {
            FOwn = std::make_unique<TDeflater>(WindowBits);
            FZip = &**FOwn;
            return;
        }
        if (Slot.Deflater)
            deflateReset(&**Slot.Deflater);
        else
            Slot.Deflater = std::make_unique<TDeflater>(WindowBits);
        Slot.InUse = true;
        FSlot = &Slot;
        FZip = &**Slot.Deflater;
    }
    ~TKeptDeflater() {
        if (FSlot)
            FSlot->InUse = false;
    }
    TKeptDeflater(const TKeptDeflater&) = delete;
    TKeptDeflater& operator=(const TKeptDeflater&) = delete;
    z_stream* operator->() { return FZip; }
    z_stream& operator*() { return *FZip; }

private:
    struct TSlot {
        std::unique_ptr<TDeflater> Deflater;
        bool InUse = false;
    };
    static std::array<TSlot, 16>& Slots() {
        thread_local std::array<TSlot, 16> Kept;
        return Kept;
    }

    TSlot* FSlot = nullptr;
    std::unique_ptr<TDeflater> FOwn;
    z_stream* FZip = nullptr;
};

/// libpng's window for an image of DataBytes filtered bytes: the full 32 KiB unless it is
/// small, then the smallest that holds it with deflate's lookahead.
int WindowBitsFor(std::size_t DataBytes) {
    int WindowBits = 15;
    if (DataBytes <= 16384) {
        unsigned Half = 1u << (WindowBits - 1);
        while (DataBytes + 262 <= Half) {
            Half >>= 1;
            --WindowBits;
        }
    }
    return WindowBits;
}

/// libpng's rewrite of the zlib header of a small image: the window it names narrowed to the
/// data, with the check bits made good again.
void NarrowZlibHeader(std::uint8_t* Data, std::size_t DataBytes) {
    if (DataBytes > 16384)
        return;
    unsigned Cmf = Data[0];
    if ((Cmf & 0x0F) != 8 || (Cmf & 0xF0) > 0x70)
        return;
    unsigned Info = Cmf >> 4;
    unsigned Half = 1u << (Info + 7);
    if (DataBytes > Half)
        return;
    do {
        Half >>= 1;
        --Info;
    } while (Info > 0 && DataBytes <= Half);
    Cmf = (Cmf & 0x0F) | (Info << 4);
    Data[0] = static_cast<std::uint8_t>(Cmf);
    unsigned Flags = Data[1] & 0xE0;
    Flags += 0x1F - ((Cmf << 8) + Flags) % 0x1F;
    Data[1] = static_cast<std::uint8_t>(Flags);
}

/// Deflates rows into IDAT chunks of IdatBytes, as libpng cuts them.
class TIdatWriter {
public:
    TIdatWriter(TStream& Stream, std::size_t DataBytes)
        : FStream(Stream), FDataBytes(DataBytes), FZip(WindowBitsFor(DataBytes)) {
        Rewind();
    }

    void Add(const std::vector<std::uint8_t>& Bytes) { Deflate(Bytes.data(), Bytes.size(), false); }
    void Finish() { Deflate(nullptr, 0, true); }

private:
    void Deflate(const std::uint8_t* Bytes, std::size_t Count, bool Last) {
        FZip->next_in = const_cast<Bytef*>(Bytes);
        FZip->avail_in = static_cast<uInt>(Count);
        for (;;) {
            const int Result = deflate(&*FZip, Last ? Z_FINISH : Z_NO_FLUSH);
            if (Result != Z_OK && Result != Z_STREAM_END && Result != Z_BUF_ERROR)
                throw EWriteError("Cannot encode the PNG image. Compression failed.");
            if (FZip->avail_out == 0) {
                Emit(IdatBytes);
                continue;
            }
            if (Result == Z_STREAM_END) {
                Emit(IdatBytes - FZip->avail_out);
                return;
            }
            if (!Last && FZip->avail_in == 0)
                return;
        }
    }

    void Emit(std::size_t Bytes) {
        if (Bytes == 0)
            return;
        if (!FEmitted)
            NarrowZlibHeader(FOut.data(), FDataBytes);
        FEmitted = true;
        png::WriteChunk(FStream, "IDAT", std::span(FOut.data(), Bytes));
        Rewind();
    }

    void Rewind() {
        FZip->next_out = FOut.data();
        FZip->avail_out = static_cast<uInt>(FOut.size());
    }

    TStream& FStream;
    std::size_t FDataBytes;
    TKeptDeflater FZip;
    std::array<std::uint8_t, IdatBytes> FOut{};
    bool FEmitted = false;
};

void SavePng(const TBitmap& Bitmap, int Channels, TStream& Stream) {
    const int Width = Bitmap.Width();
    const int Height = Bitmap.Height();
    if (Width <= 0 || Height <= 0)
        throw EWriteError("Cannot encode the PNG image. Image width or height is zero.");
    const auto Bpp = static_cast<std::size_t>(Channels);
    const std::size_t RowBytes = static_cast<std::size_t>(Width) * Bpp;
    const std::size_t DataBytes = (RowBytes + 1) * static_cast<std::size_t>(Height);

    Stream.WriteBuffer(png::Signature.data(), png::Signature.size());
    png::WriteChunk(Stream, "IHDR", png::HeaderData(Width, Height, Channels == 4));
    // Bpp zero bytes before each row stand for the pixels left of the first; the row above
    // the first is all zeros.
    std::vector<std::uint8_t> Above(Bpp + RowBytes), Row(Bpp + RowBytes);
    TRowFilters Filters(RowBytes, Bpp, Height == 1, Width == 1);
    TIdatWriter Idat(Stream, DataBytes);
    for (int Y = 0; Y < Height; ++Y) {
        png::PackRow(Bitmap.ScanLine(Y), Bitmap.BytesPerPixel(), Width, Channels, Row.data() + Bpp);
        Idat.Add(Filters.Filtered(Filters.Choose(Row.data() + Bpp, Above.data() + Bpp)));
        Above.swap(Row);
    }
    Idat.Finish();
    png::WriteChunk(Stream, "IEND", {});
}

} // namespace

void SaveClassicPngRgbToStream(const TBitmap& Bitmap24, TStream& Stream) {
    SavePng(Bitmap24, png::CheckedChannels(Bitmap24, false), Stream);
}

void SaveClassicPngRgbaToStream(const TBitmap& Bitmap32, TStream& Stream) {
    SavePng(Bitmap32, png::CheckedChannels(Bitmap32, true), Stream);
}

} // namespace pelto
