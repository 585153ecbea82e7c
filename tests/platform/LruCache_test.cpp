#include "platform/LruCache.h"

#include "support/WebAssembly.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace pelto;

namespace {

using TCache = TLruCache<std::string>;

std::shared_ptr<const std::string> Value(const std::string& Text) {
    return std::make_shared<const std::string>(Text);
}

// What the cache counts for an entry beyond the bytes its owner gives: the key and the
// bookkeeping. Every key of these tests is one letter long, so each costs the same.
std::size_t Overhead() {
    TCache Probe(1 << 20);
    Probe.Insert("k", Value("k"), 0);
    return Probe.Stats().Bytes;
}

// Room for Count entries of Bytes each, and not a byte more.
std::size_t RoomFor(std::size_t Count, std::size_t Bytes) {
    return Count * (Overhead() + Bytes);
}

bool Holds(TCache& Cache, const std::string& Key) {
    return Cache.Find(Key) != nullptr;
}

} // namespace

TEST(LruCache, DropsTheEntryUsedLongestAgoWhenTheBytesRunOut) {
    TCache Cache(RoomFor(3, 100));
    Cache.Insert("a", Value("A"), 100);
    Cache.Insert("b", Value("B"), 100);
    Cache.Insert("c", Value("C"), 100);
    EXPECT_EQ(Cache.Stats().Entries, 3u);
    EXPECT_EQ(Cache.Stats().Bytes, RoomFor(3, 100));

    ASSERT_TRUE(Holds(Cache, "a")); // "a" is now the one used last, "b" the one used longest ago
    Cache.Insert("d", Value("D"), 100);
    EXPECT_EQ(Cache.Stats().Entries, 3u);
    EXPECT_LE(Cache.Stats().Bytes, RoomFor(3, 100));
    EXPECT_FALSE(Holds(Cache, "b"));
    EXPECT_TRUE(Holds(Cache, "c"));
    EXPECT_TRUE(Holds(Cache, "a"));
    EXPECT_TRUE(Holds(Cache, "d"));
    EXPECT_EQ(*Cache.Find("a"), "A");
}

TEST(LruCache, ABigEntryDropsAsManyOfTheOldestAsItNeedsAndNoMore) {
    TCache Cache(RoomFor(3, 100));
    for (const std::string Key : {"a", "b", "c"})
        Cache.Insert(Key, Value(Key), 100);
    Cache.Insert("x", Value("X"), 100 + RoomFor(1, 100)); // the room of two
    EXPECT_FALSE(Holds(Cache, "a"));
    EXPECT_FALSE(Holds(Cache, "b"));
    EXPECT_TRUE(Holds(Cache, "c"));
    EXPECT_TRUE(Holds(Cache, "x"));
    EXPECT_EQ(Cache.Stats().Bytes, RoomFor(3, 100));
}

TEST(LruCache, InsertingAKeyAgainReplacesItsValueAndItsBytes) {
    TCache Cache(RoomFor(2, 100));
    Cache.Insert("a", Value("old"), 100);
    Cache.Insert("b", Value("B"), 100);
    // The old bytes make way before room is sought, so the full cache drops nothing else.
    Cache.Insert("a", Value("new"), 40);
    EXPECT_EQ(Cache.Stats().Entries, 2u);
    EXPECT_EQ(Cache.Stats().Bytes, RoomFor(1, 100) + RoomFor(1, 40));
    EXPECT_EQ(*Cache.Find("a"), "new");
    EXPECT_TRUE(Holds(Cache, "b"));

    Cache.Insert("a", Value("newer"), 100);
    EXPECT_EQ(Cache.Stats().Entries, 2u);
    EXPECT_EQ(Cache.Stats().Bytes, RoomFor(2, 100));
    EXPECT_TRUE(Holds(Cache, "b"));
}

TEST(LruCache, AReplacedKeyCountsAsUsedLast) {
    TCache Cache(RoomFor(2, 100));
    Cache.Insert("a", Value("A"), 100);
    Cache.Insert("b", Value("B"), 100);
    Cache.Insert("a", Value("A2"), 100);
    Cache.Insert("c", Value("C"), 100);
    EXPECT_FALSE(Holds(Cache, "b"));
    EXPECT_EQ(*Cache.Find("a"), "A2");
    EXPECT_TRUE(Holds(Cache, "c"));
}

TEST(LruCache, AZeroBudgetKeepsNothing) {
    TCache Cache(0);
    Cache.Insert("a", Value("A"), 0);
    Cache.Insert("", Value(""), 0);
    EXPECT_FALSE(Holds(Cache, "a"));
    EXPECT_FALSE(Holds(Cache, ""));
    EXPECT_EQ(Cache.Stats().Entries, 0u);
    EXPECT_EQ(Cache.Stats().Bytes, 0u);
}

TEST(LruCache, AnEntryBiggerThanTheWholeCacheIsNotKeptAndDropsNothing) {
    const std::size_t Room = RoomFor(2, 100);
    TCache Cache(Room);
    Cache.Insert("a", Value("A"), 100);
    Cache.Insert("b", Value("B"), Room - Overhead() + 1);
    EXPECT_FALSE(Holds(Cache, "b"));
    EXPECT_TRUE(Holds(Cache, "a"));
    EXPECT_EQ(Cache.Stats().Bytes, RoomFor(1, 100));

    // However large its owner says it is, with no size wrapping round into one that fits.
    for (const std::size_t Huge : {std::numeric_limits<std::size_t>::max(),
                                   std::numeric_limits<std::size_t>::max() - Overhead() + 1}) {
        Cache.Insert("h", Value("H"), Huge);
        EXPECT_FALSE(Holds(Cache, "h")) << Huge;
        EXPECT_TRUE(Holds(Cache, "a")) << Huge;
    }

    // One that fits exactly is kept, in place of everything else.
    Cache.Insert("c", Value("C"), Room - Overhead());
    EXPECT_TRUE(Holds(Cache, "c"));
    EXPECT_FALSE(Holds(Cache, "a"));
    EXPECT_EQ(Cache.Stats().Bytes, Room);
}

TEST(LruCache, AKeyReplacedByTooBigAValueNoLongerAnswersWithTheOldOne) {
    TCache Cache(RoomFor(2, 100));
    Cache.Insert("a", Value("old"), 100);
    Cache.Insert("a", Value("new"), RoomFor(3, 100));
    EXPECT_FALSE(Holds(Cache, "a"));
    EXPECT_EQ(Cache.Stats().Entries, 0u);
    EXPECT_EQ(Cache.Stats().Bytes, 0u);
}

TEST(LruCache, StatsCountHitsMissesEntriesAndBytesWithTheKeysTwice) {
    TCache Cache(1 << 20);
    EXPECT_EQ(Cache.Stats().Hits, 0u);
    EXPECT_EQ(Cache.Stats().Misses, 0u);
    EXPECT_FALSE(Holds(Cache, "a"));
    Cache.Insert("a", Value("A"), 10);
    Cache.Insert("abcd", Value("ABCD"), 10); // three letters more, each held twice
    EXPECT_TRUE(Holds(Cache, "a"));
    EXPECT_TRUE(Holds(Cache, "a"));
    EXPECT_TRUE(Holds(Cache, "abcd"));
    EXPECT_FALSE(Holds(Cache, "b"));
    const TLruStats Stats = Cache.Stats();
    EXPECT_EQ(Stats.Hits, 3u);
    EXPECT_EQ(Stats.Misses, 2u);
    EXPECT_EQ(Stats.Entries, 2u);
    EXPECT_EQ(Stats.Bytes, RoomFor(2, 10) + 2 * 3);
}

TEST(LruCache, AValueDroppedWhileSomeoneHoldsItStaysTheirs) {
    TCache Cache(RoomFor(1, 100));
    Cache.Insert("a", Value("A"), 100);
    const auto Held = Cache.Find("a");
    Cache.Insert("b", Value("B"), 100);
    ASSERT_FALSE(Holds(Cache, "a"));
    ASSERT_NE(Held, nullptr);
    EXPECT_EQ(*Held, "A");
    EXPECT_EQ(Cache.Find("b"), Cache.Find("b")); // shared, not copied
}

TEST(LruCache, ManyThreadsAtOnceKeepItWithinItsBytesAndCountEveryLookUp) {
    PELTO_SKIP_IN_WEBASSEMBLY("no threads");
    TCache Cache(RoomFor(8, 64));
    constexpr int Threads = 4, Rounds = 500;
    std::atomic<int> Wrong = 0;
    std::vector<std::thread> Workers;
    for (int T = 0; T < Threads; ++T)
        Workers.emplace_back([&, T] {
            for (int R = 0; R < Rounds; ++R) {
                const std::string Key(1, static_cast<char>('a' + (R * 7 + T) % 16));
                if (const auto Found = Cache.Find(Key); !Found)
                    Cache.Insert(Key, Value(Key), 64);
                else if (*Found != Key)
                    ++Wrong;
            }
        });
    for (std::thread& Worker : Workers)
        Worker.join();
    const TLruStats Stats = Cache.Stats();
    EXPECT_EQ(Wrong, 0);
    EXPECT_EQ(Stats.Hits + Stats.Misses, std::uint64_t{Threads * Rounds});
    EXPECT_LE(Stats.Bytes, RoomFor(8, 64));
    EXPECT_LE(Stats.Entries, 8u);
}
