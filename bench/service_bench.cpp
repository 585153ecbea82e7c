// One request of the render service in-process, without HTTP: a picture drawn afresh for a
// character it has not seen, and one answered from its cache.
#include "BenchGame.h"

#include "model/GameData.h"
#include "model/UDraw.h"
#include "service/RenderService.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
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
    std::mt19937 Random(1);
    std::unordered_set<std::string> Made;
    std::vector<std::string> Codes;
    while (Codes.size() < Count) {
        TCharaDesign Design;
        Design.Chara = static_cast<int>(Random() % CharaData.size());
        const int Group = CharaData[static_cast<std::size_t>(Design.Chara)].BodyGroup;
        for (int Slot = 1; Slot <= SlotCount; ++Slot) {
            const auto& List = Game.EquipList()->GetList(Group, Slot);
            const auto& Entry = List[Random() % List.size()];
            Design.Parts[static_cast<std::size_t>(Slot - 1)] =
                Entry.Item ? Entry.Item->ItemID() : 0;
        }
        for (auto& Position : Design.Color)
            for (auto& Level : Position)
                Level = static_cast<std::uint8_t>(Random() % 10);
        std::string Code = EncodeCharaCode(Design);
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
