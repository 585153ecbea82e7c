// diff of two full-size installations: the second has every archive repacked in reverse
// order (no archive equal byte for byte) and one sprite of each archive redrawn, so that the
// comparison reads everything, compares every sprite's stored bytes and decodes a few.
#include "BenchGame.h"

#include "diff/GameDiff.h"
#include "model/GameData.h"
#include "platform/Paths.h"
#include "writers/JmaWriter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The updated installation, written once beside the benchmark's game.
std::string UpdatedGame() {
    static const std::string Folder = [] {
        const fs::path From = pelto::bench::GameFolder();
        const fs::path To = From.parent_path().string() + "-updated";
        fs::remove_all(To);
        fs::copy(From, To, fs::copy_options::recursive);
        for (const auto& Entry : fs::directory_iterator(To / "jma")) {
            if (pelto::ExtractFileExt(Entry.path().string()) != ".jma")
                continue;
            auto Sprites = pelto::ReadJmaSprites(Entry.path().string());
            std::reverse(Sprites.begin(), Sprites.end());
            if (!Sprites.empty() && !Sprites.front().Frames.empty())
                for (std::uint8_t& Pixel : Sprites.front().Frames.front().Pixels)
                    Pixel = Pixel ? static_cast<std::uint8_t>(Pixel % 250 + 1) : Pixel;
            pelto::WriteJmaFiles(Entry.path().string(), Sprites);
        }
        return To.string() + "/";
    }();
    return Folder;
}

void BM_DiffFullInstallations(benchmark::State& State) {
    const std::string Old = pelto::bench::GameFolder();
    const std::string New = UpdatedGame();
    std::size_t Changes = 0;
    for (auto _ : State) {
        const auto OldGame = pelto::OpenGameForDiff(Old, false);
        const auto NewGame = pelto::OpenGameForDiff(New, false);
        const pelto::TGameDiff Diff = pelto::CompareGames(*OldGame, *NewGame);
        Changes = Diff.Sprites.Changed.size() + Diff.Looks.size();
        benchmark::DoNotOptimize(Changes);
    }
    State.counters["sprites_and_looks_changed"] = static_cast<double>(Changes);
}
BENCHMARK(BM_DiffFullInstallations)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
