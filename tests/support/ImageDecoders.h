#pragma once

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelto::test {

struct TDecodedPng {
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    std::uint32_t Format = 0;
    std::vector<std::uint8_t> Pixels;
};

/// Decodes a PNG into Format (PNG_FORMAT_RGB, PNG_FORMAT_RGBA, ...); failures are test failures.
inline TDecodedPng DecodePng(std::span<const std::uint8_t> Bytes, std::uint32_t Format) {
    png_image Image{};
    Image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_memory(&Image, Bytes.data(), Bytes.size()), 0)
        << Image.message;
    TDecodedPng Result{Image.width, Image.height, Image.format, {}};
    Image.format = Format;
    Result.Pixels.resize(PNG_IMAGE_SIZE(Image));
    EXPECT_NE(png_image_finish_read(&Image, nullptr, Result.Pixels.data(), 0, nullptr), 0)
        << Image.message;
    png_image_free(&Image);
    return Result;
}

struct TGifCloser {
    void operator()(GifFileType* Gif) const { DGifCloseFile(Gif, nullptr); }
};

/// A whole GIF read with giflib.
class TDecodedGif {
public:
    explicit TDecodedGif(std::vector<std::uint8_t> Bytes) : FBytes(std::move(Bytes)) {
        int Error = 0;
        FGif.reset(DGifOpen(this, OnRead, &Error));
        if (!FGif)
            throw std::runtime_error(GifErrorString(Error));
        if (DGifSlurp(FGif.get()) != GIF_OK)
            throw std::runtime_error(GifErrorString(FGif->Error));
    }
    const GifFileType& operator*() const { return *FGif; }
    const GifFileType* operator->() const { return FGif.get(); }
    GraphicsControlBlock Control(int Image) const {
        GraphicsControlBlock Block{};
        EXPECT_EQ(DGifSavedExtensionToGCB(FGif.get(), Image, &Block), GIF_OK);
        return Block;
    }
    std::string Version() const { return std::string(FBytes.begin(), FBytes.begin() + 6); }

private:
    static int OnRead(GifFileType* Gif, GifByteType* Buffer, int Length) {
        auto& Self = *static_cast<TDecodedGif*>(Gif->UserData);
        const auto N = std::min<std::size_t>(static_cast<std::size_t>(Length),
                                             Self.FBytes.size() - Self.FPosition);
        std::memcpy(Buffer, Self.FBytes.data() + Self.FPosition, N);
        Self.FPosition += N;
        return static_cast<int>(N);
    }

    std::vector<std::uint8_t> FBytes;
    std::size_t FPosition = 0;
    std::unique_ptr<GifFileType, TGifCloser> FGif;
};

} // namespace pelto::test
