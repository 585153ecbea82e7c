// One request of the render service in-process, without HTTP: a picture drawn afresh for a
// character it has not seen, and one answered from its cache.
#include "BenchGame.h"

#include "model/CharaDesign.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "service/RenderService.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

using namespace pelto;

/// The game opened as `pelto-cli serve` opens it.
const TGameData& ServedGame() {
    static const auto Game = OpenGame(
        bench::GameFolder(),
        {.ItemIcons = true, .SpriteCacheBytes = std::size_t{256} << 20, .SnapshotSprites = true});
    return *Game;
}

/// Distinct dressed characters, as the load test's codes are made.
std::vector<std::string> DistinctCodes(const TGameData& Game, std::size_t Count) {
    std::unordered_set<std::string> Made;
    std::vector<std::string> Codes;
    for (std::uint64_t Seed = 1; Codes.size() < Count; ++Seed) {
        std::string Code = EncodeCharaCode(RandomDesign(
            {}, Game, {.Seed = Seed, .Vary = TRandomVary::All, .Chara = true, .AllowEmpty = true}));
        if (Made.insert(Code).second)
            Codes.push_back(std::move(Code));
    }
    return Codes;
}

service::TServiceRequest RenderOf(const std::string& Code) {
    return {"/render.png", {{"code", Code}}, ""};
}

void BM_ServiceUncachedPng(benchmark::State& State) {
    const TGameData& Game = ServedGame();
    const auto Codes = DistinctCodes(Game, 50'000);
    // No room for answers: every request is drawn.
    service::TRenderService Service(Game, {.CacheBytes = 0});
    std::size_t Next = 0;
    for (auto _ : State) {
        const auto Answer = Service.Handle(RenderOf(Codes[Next++ % Codes.size()]));
        if (Answer.Status != 200)
            State.SkipWithError("not drawn");
        benchmark::DoNotOptimize(Answer.Body.data());
    }
}
BENCHMARK(BM_ServiceUncachedPng)->Unit(benchmark::kMicrosecond);

void BM_ServiceCachedPng(benchmark::State& State) {
    const TGameData& Game = ServedGame();
    const auto Codes = DistinctCodes(Game, 1);
    service::TRenderService Service(Game, {});
    Service.Handle(RenderOf(Codes.front()));
    for (auto _ : State)
        benchmark::DoNotOptimize(Service.Handle(RenderOf(Codes.front())).Body.data());
}
BENCHMARK(BM_ServiceCachedPng)->Unit(benchmark::kMicrosecond);

} // namespace
