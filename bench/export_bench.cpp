// Export speed on the full demo: animations of one action and a sheet of every action.
#include "BenchGame.h"

#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Stream.h"
#include "sprites/wlojmajmp.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

using namespace pelto;

struct TBenchSession {
    TBenchSession() : Game(bench::GameFolder()) {
        Game.LoadAll();
        Session = std::make_unique<TDressingSession>(Game);
        Session->SetChara(0);
        // The action with the most frames stands for a long animation.
        int Best = 0;
        for (int Motion = 0; Motion < static_cast<int>(MotionActions.size()); ++Motion) {
            Session->SetMotion(static_cast<std::uint8_t>(Motion));
            if (Session->FrameCount() > Best) {
                Best = Session->FrameCount();
                BestMotion = Motion;
            }
        }
        Session->SetMotion(static_cast<std::uint8_t>(BestMotion));
    }
    TGameData Game;
    std::unique_ptr<TDressingSession> Session;
    int BestMotion = 0;
};

TBenchSession& Shared() {
    static TBenchSession Instance;
    return Instance;
}

std::string OutFile(const char* Name) {
    return (std::filesystem::temp_directory_path() / Name).string();
}

void Export(benchmark::State& State, const char* Format, int Scale, TExportScope Scope) {
    TDressingSession& Session = *Shared().Session;
    TExportOptions Options;
    Options.Format = FindExportFormat(Format);
    Options.Scale = Scale;
    Options.Scope = Scope;
    const std::string File = OutFile("pelto-bench-export.out");
    for (auto _ : State)
        ExportPicture(Session, Options, File);
    State.counters["frames"] = Session.FrameCount();
    State.counters["bytes"] = static_cast<double>(std::filesystem::file_size(File));
    std::filesystem::remove(File);
    std::filesystem::remove(SheetJsonFileName(File));
}

void BM_ApngScale1(benchmark::State& State) {
    Export(State, "apng", 1, TExportScope::Action);
}
void BM_ApngScale4(benchmark::State& State) {
    Export(State, "apng", 4, TExportScope::Action);
}
void BM_WebpLossless(benchmark::State& State) {
    Export(State, "webp", 1, TExportScope::Action);
}
void BM_GifForSize(benchmark::State& State) {
    Export(State, "gif", 1, TExportScope::Action);
}
void BM_SheetEveryAction(benchmark::State& State) {
    Export(State, "sheet", 1, TExportScope::All);
}

} // namespace

BENCHMARK(BM_ApngScale1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApngScale4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebpLossless)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifForSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SheetEveryAction)->Unit(benchmark::kMillisecond);
