// How the one memory bound of a service is shared out, and which games it refuses.
#include "platform/Errors.h"
#include "service/MemoryPlan.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using namespace pelto;
using namespace pelto::service;
using pelto::test::TTempDir;

namespace {

constexpr std::size_t MiB = std::size_t{1} << 20;

std::size_t Planned(const TMemoryPlan& Plan) {
    return BaseMemoryBytes + Plan.GameBytes + Plan.CacheBytes + Plan.SpriteBytes + Plan.WorkBytes +
           Plan.AnswerBytes;
}

} // namespace

TEST(MemoryPlan, SharesOutTheWholeBoundAndNoMore) {
    for (const std::size_t Memory : {96 * MiB, 512 * MiB, 4096 * MiB + 3})
        for (const std::size_t Game : {std::size_t{0}, 5 * MiB + 1})
            EXPECT_EQ(Planned(PlanMemory(Memory, Game, std::nullopt)), Memory) << Memory << Game;
    const TMemoryPlan Plan = PlanMemory(512 * MiB, 10 * MiB, 100 * MiB);
    EXPECT_EQ(Planned(Plan), 512 * MiB);
}

TEST(MemoryPlan, HoldsTheGameTwiceForAReload) {
    const TMemoryPlan Plan = PlanMemory(512 * MiB, 100 * MiB, std::nullopt);
    EXPECT_EQ(Plan.GameBytes, 200 * MiB);
    const std::size_t Rest = 512 * MiB - BaseMemoryBytes - 200 * MiB;
    EXPECT_EQ(Plan.WorkBytes, Rest / 4);
    EXPECT_EQ(Plan.CacheBytes, Rest / 4);
    const std::size_t Left = Rest - 2 * (Rest / 4);
    EXPECT_EQ(Plan.AnswerBytes, Left / 4);
    EXPECT_EQ(Plan.SpriteBytes, Left - Left / 4);
}

TEST(MemoryPlan, AGivenCacheIsTakenFromTheRestAndTheWorkKeepsRoom) {
    const std::size_t Rest = 512 * MiB - BaseMemoryBytes;
    const TMemoryPlan Small = PlanMemory(512 * MiB, 0, 8 * MiB);
    EXPECT_EQ(Small.CacheBytes, 8 * MiB);
    EXPECT_EQ(Small.WorkBytes, Rest / 4);
    // A cache of nearly all: work and sprites share what it leaves.
    const std::size_t Cache = Rest - LeastWorkingBytes;
    const TMemoryPlan Big = PlanMemory(512 * MiB, 0, Cache);
    EXPECT_EQ(Big.CacheBytes, Cache);
    EXPECT_EQ(Big.WorkBytes, LeastWorkingBytes / 2);
    EXPECT_EQ(Big.SpriteBytes + Big.AnswerBytes, LeastWorkingBytes / 2);
    EXPECT_EQ(PlanMemory(512 * MiB, 0, 0).CacheBytes, 0u);
}

TEST(MemoryPlan, TooLittleMemoryIsRefusedNamingWhatWouldDo) {
    try {
        PlanMemory(256 * MiB, 100 * MiB, std::nullopt);
        FAIL() << "planned";
    } catch (const EWloError& Error) {
        EXPECT_STREQ(Error.what(),
                     "--memory-mb 256 is too little for this game: it needs at least 280");
    }
    EXPECT_NO_THROW(PlanMemory(280 * MiB, 100 * MiB, std::nullopt));
    try {
        PlanMemory(512 * MiB, 0, 500 * MiB);
        FAIL() << "planned";
    } catch (const EWloError& Error) {
        EXPECT_STREQ(Error.what(), "--memory-mb 512 is too little for this game and --cache-mb: "
                                   "it needs at least 580");
    }
}

TEST(MemoryPlan, CountsTheFilesTheServiceReadsInAnyCaseAndNoOthers) {
    const TTempDir Game;
    Game.Write("JMA/body.jma", std::string(1000, 'a'));
    Game.Write("JMA/more/body.jmp", std::string(200, 'b'));
    Game.Write("data/item.dat", std::string(30, 'c'));
    Game.Write("pic/item.BMg", std::string(4, 'd'));
    Game.Write("data/Other.Dat", std::string(5000, 'e'));
    Game.Write("wlo.exe", std::string(7000, 'f'));
    EXPECT_EQ(GameFileBytes(Game.Path()), 1234u);
    EXPECT_EQ(GameFileBytes(Game / "absent"), 0u);
}
