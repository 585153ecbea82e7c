// One request of the render service in-process, without HTTP: a picture drawn afresh for a
// character it has not seen, one answered from its cache, and group pictures drawn afresh.
#include "BenchGame.h"

#include "model/CharaCode.h"
#include "model/CharaDesign.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "service/RenderService.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
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

/// A scene of Members characters never drawn together: each member a distinct code.
service::TServiceRequest SceneOf(std::span<const std::string> Codes, std::size_t& Next,
                                 std::size_t Members, std::string_view Route,
                                 std::initializer_list<std::pair<std::string, std::string>> More) {
    service::TServiceRequest Request{std::string(Route), {}, ""};
    for (std::size_t I = 0; I < Members; ++I)
        Request.Params.emplace("c", Codes[Next++ % Codes.size()]);
    Request.Params.insert(More.begin(), More.end());
    return Request;
}

void RunScenes(benchmark::State& State, std::size_t Members, std::string_view Route,
               std::initializer_list<std::pair<std::string, std::string>> More) {
    const TGameData& Game = ServedGame();
    const auto Codes = DistinctCodes(Game, 20'000);
    service::TRenderService Service(Game, {.CacheBytes = 0});
    std::size_t Next = 0;
    std::size_t Bytes = 0;
    for (auto _ : State) {
        const auto Answer = Service.Handle(SceneOf(Codes, Next, Members, Route, More));
        if (Answer.Status != 200) {
            State.SkipWithError("not drawn");
            break;
        }
        Bytes = Answer.Body.size();
        benchmark::DoNotOptimize(Answer.Body.data());
    }
    State.counters["bytes"] = static_cast<double>(Bytes);
}

void BM_SceneOfFourPng(benchmark::State& State) {
    RunScenes(State, 4, "/v1/scene.png", {});
}
BENCHMARK(BM_SceneOfFourPng)->Unit(benchmark::kMicrosecond);

// The dearest group the service draws: eight walking characters, animated, at scale 2.
void BM_SceneOfEightApngScale2(benchmark::State& State) {
    RunScenes(State, 8, "/v1/scene.apng", {{"motion", "1"}, {"scale", "2"}});
}
BENCHMARK(BM_SceneOfEightApngScale2)->Unit(benchmark::kMillisecond);

} // namespace
