#include "sprites/SpriteCache.h"

#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "sprites/wlojmajmp.h"

#include "support/DemoGame.h"
#include "support/WebAssembly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

using namespace pelto;

namespace {

struct TSpriteName {
    std::string Archive;
    std::string Name;
};

/// The first Count sprites of the demo game's catalogue.
std::vector<TSpriteName> DemoSprites(int Count) {
    TJmaList List;
    List.Scan(test::DemoGame() + "jma/", "*.jma");
    std::vector<TSpriteName> Sprites;
    for (int I = 0; I < List.Count() && static_cast<int>(Sprites.size()) < Count; ++I) {
        const std::string& Line = List.Line(I);
        const std::string Name = Line.substr(0, Line.find('='));
        Sprites.push_back({List.GetJmaPath(Name), Name});
    }
    return Sprites;
}

/// What keeping Sprite costs a cache.
std::size_t BytesOf(const TSpriteName& Sprite) {
    TSpriteCache Cache(64 << 20);
    TJmaJmp Loaded;
    Cache.Load(Loaded, Sprite.Archive, Sprite.Name);
    return Cache.Stats().Bytes;
}

} // namespace

TEST(SpriteCache, AWarmSpriteSharesItsFramesButNotItsPalette) {
    const auto Sprite = DemoSprites(1).at(0);
    TSpriteCache Cache(64 << 20);
    TJmaJmp First;
    TJmaJmp Second;
    ASSERT_TRUE(Cache.Load(First, Sprite.Archive, Sprite.Name));
    ASSERT_TRUE(Cache.Load(Second, Sprite.Archive, Sprite.Name));
    EXPECT_EQ(Cache.Stats().Misses, 1u);
    EXPECT_EQ(Cache.Stats().Hits, 1u);
    ASSERT_GT(First.FrameCount(), 0);
    EXPECT_EQ(First.Pixels(0).data(), Second.Pixels(0).data());
    EXPECT_EQ(First.GetFrameCount(12), Second.GetFrameCount(12));

    First.AdjustPalette(0, 255, ColorLevels(9, 0, 9));
    EXPECT_NE(First.Palette(), Second.Palette());
    EXPECT_EQ(Second.Palette(), Second.FilePalette());
}

TEST(SpriteCache, ASharedSpriteDrawsAsAFreshlyLoadedOne) {
    const auto Sprite = DemoSprites(1).at(0);
    TSpriteCache Cache(64 << 20);
    TJmaJmp Warm;
    Cache.Load(Warm, Sprite.Archive, Sprite.Name);
    Cache.Load(Warm, Sprite.Archive, Sprite.Name);
    TJmaJmp Fresh;
    Fresh.LoadFromFile(Sprite.Archive, Sprite.Name);
    TBitmap A(128, 128, TPixelFormat::pf24bit);
    TBitmap B(128, 128, TPixelFormat::pf24bit);
    A.Fill(0);
    B.Fill(0);
    for (int I = 0; I < Fresh.FrameCount(); ++I) {
        Warm.DrawFrame(I, A, 0, 0);
        Fresh.DrawFrame(I, B, 0, 0);
    }
    EXPECT_TRUE(std::equal(A.Bits().begin(), A.Bits().end(), B.Bits().begin(), B.Bits().end()));
}

TEST(SpriteCache, AMissingArchiveIsNotLoadedNorKept) {
    TSpriteCache Cache(64 << 20);
    TJmaJmp Sprite;
    EXPECT_FALSE(Cache.Load(Sprite, test::DemoGame() + "jma/absent.jma", "0001.jmp"));
    EXPECT_FALSE(Sprite.Loaded());
    EXPECT_EQ(Cache.Stats().Entries, 0u);
}

TEST(SpriteCache, AFailedLoadRaisesAndIsTriedAgain) {
    const auto Sprite = DemoSprites(1).at(0);
    TSpriteCache Cache(64 << 20);
    TJmaJmp Loaded;
    EXPECT_THROW(Cache.Load(Loaded, Sprite.Archive, "nosuch.jmp"), EWloError);
    EXPECT_THROW(Cache.Load(Loaded, Sprite.Archive, "nosuch.jmp"), EWloError);
    EXPECT_EQ(Cache.Stats().Misses, 2u);
    EXPECT_EQ(Cache.Stats().Entries, 0u);
}

TEST(SpriteCache, StaysWithinItsBytesDroppingTheSpriteUsedLongestAgo) {
    const auto Sprites = DemoSprites(3);
    ASSERT_EQ(Sprites.size(), 3u);
    const std::size_t Room = BytesOf(Sprites[0]) + BytesOf(Sprites[1]) + BytesOf(Sprites[2]) - 1;
    TSpriteCache Cache(Room);
    TJmaJmp Sprite;
    Cache.Load(Sprite, Sprites[0].Archive, Sprites[0].Name);
    Cache.Load(Sprite, Sprites[1].Archive, Sprites[1].Name);
    Cache.Load(Sprite, Sprites[0].Archive, Sprites[0].Name); // 1 is now the oldest
    Cache.Load(Sprite, Sprites[2].Archive, Sprites[2].Name);
    EXPECT_LE(Cache.Stats().Bytes, Room);
    EXPECT_EQ(Cache.Stats().Entries, 2u);
    const auto Before = Cache.Stats().Misses;
    Cache.Load(Sprite, Sprites[0].Archive, Sprites[0].Name);
    EXPECT_EQ(Cache.Stats().Misses, Before);
    Cache.Load(Sprite, Sprites[1].Archive, Sprites[1].Name);
    EXPECT_EQ(Cache.Stats().Misses, Before + 1);

    TSpriteCache Tiny(1);
    Tiny.Load(Sprite, Sprites[0].Archive, Sprites[0].Name);
    EXPECT_TRUE(Sprite.Loaded()) << "a sprite too big to keep is still given";
    EXPECT_EQ(Tiny.Stats().Bytes, 0u);
}

TEST(SpriteCache, ManyThreadsLoadingAtOnceAllGetTheSprite) {
    PELTO_SKIP_IN_WEBASSEMBLY("no threads");
    const auto Sprites = DemoSprites(4);
    TSpriteCache Cache(64 << 20);
    std::vector<std::thread> Threads;
    std::vector<int> Wrong(8, 0);
    for (int T = 0; T < 8; ++T)
        Threads.emplace_back([&, T] {
            for (int I = 0; I < 50; ++I) {
                const auto& Name = Sprites[static_cast<std::size_t>((T + I) % 4)];
                TJmaJmp Sprite;
                Cache.Load(Sprite, Name.Archive, Name.Name);
                if (!Sprite.Loaded() || Sprite.JmpName() != Name.Name)
                    ++Wrong[static_cast<std::size_t>(T)];
            }
        });
    for (auto& Thread : Threads)
        Thread.join();
    EXPECT_EQ(Wrong, std::vector<int>(8, 0));
    EXPECT_EQ(Cache.Stats().Hits + Cache.Stats().Misses, 400u);
    EXPECT_EQ(Cache.Stats().Entries, 4u);
}
