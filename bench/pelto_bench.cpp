// Speed of the core on a full-size game installation.
#include "BenchGame.h"
#include "codecs/ColorReduction.h"
#include "codecs/ImageEncoders.h"
#include "export/ClassicSave.h"
#include "model/CharaCode.h"
#include "model/CharaDesign.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/ItemSearch.h"
#include "model/UDraw.h"
#include "platform/Stream.h"
#include "requests/RenderRequest.h"
#include "sprites/fileutils.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

using namespace pelto;

namespace {

const TGameData& Game() {
    static const auto Data = [] {
        auto Loaded = std::make_unique<TGameData>(bench::GameFolder());
        Loaded->LoadAll();
        return Loaded;
    }();
    return *Data;
}

// The first item of each slot for the character's group, in the lists the picker shows.
void DressFully(TDrawChara& Chara) {
    const int Group = CharaData[static_cast<std::size_t>(Chara.Chara())].BodyGroup;
    for (int Slot = 1; Slot <= 6; ++Slot) {
        const auto& List = Game().EquipList()->GetList(Group, Slot);
        if (List.size() > 1)
            Chara.SetPart(Slot, List[1].Item);
    }
}

struct TDressed {
    TBitmap Canvas{CanvasSize, CanvasSize, TPixelFormat::pf24bit};
    TDrawChara Chara{Canvas, Game().JmaList()};
    TDressed() {
        Chara.SetEquipList(Game().EquipList());
        Chara.SetChara(7);
        DressFully(Chara);
        Chara.SetShadow(true);
        Chara.SetMotion(1); // walking: several frames
        Chara.SetColor(1, 0, 7);
        Chara.SetColor(2, 2, 1);
        Chara.Redraw();
    }
};

// What the window loads at start-up. Freeing it again is shutdown's work, so it is not timed.
void BM_StartUp(benchmark::State& State) {
    for (auto _ : State) {
        auto Data = std::make_unique<TGameData>(bench::GameFolder());
        Data->LoadAll();
        State.PauseTiming();
        Data.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

// The start-up's steps one by one, to see where its time goes.
void BM_StartUpScanSprites(benchmark::State& State) {
    for (auto _ : State) {
        TGameData Data(bench::GameFolder());
        Data.ScanSprites();
    }
}
BENCHMARK(BM_StartUpScanSprites)->Unit(benchmark::kMillisecond);

void BM_StartUpItemTable(benchmark::State& State) {
    for (auto _ : State) {
        TGameData Data(bench::GameFolder());
        Data.LoadItemTable();
    }
}
BENCHMARK(BM_StartUpItemTable)->Unit(benchmark::kMillisecond);

void BM_StartUpItemIcons(benchmark::State& State) {
    for (auto _ : State) {
        TGameData Data(bench::GameFolder());
        Data.LoadItemIcons();
    }
}
BENCHMARK(BM_StartUpItemIcons)->Unit(benchmark::kMillisecond);

void BM_StartUpEquipList(benchmark::State& State) {
    TGameData Data(bench::GameFolder());
    Data.LoadItemTable();
    for (auto _ : State)
        Data.BuildEquipList();
}
BENCHMARK(BM_StartUpEquipList)->Unit(benchmark::kMillisecond);

// The same bytes read without decoding: the archives' directories, the item table, the icons.
void BM_StartUpRawRead(benchmark::State& State) {
    const std::string Folder = bench::GameFolder();
    for (auto _ : State) {
        std::vector<std::vector<std::uint8_t>> Read;
        TFindFile::Search(Folder + "jma/", "*.jma", [&](const TSearchRec& Rec, bool&) {
            TFileStream File(Folder + "jma/" + Rec.Name, TFileMode::OpenRead);
            std::uint8_t Header[14];
            File.ReadBuffer(Header, sizeof Header);
            const std::uint32_t Count = LoadLE32(Header + 10);
            std::vector<std::uint8_t> Directory(Count * 28u);
            File.ReadBuffer(Directory.data(), Directory.size());
            Read.push_back(std::move(Directory));
        });
        Read.push_back(ReadFileBytes(Folder + std::string(ItemTableFileName)));
        Read.push_back(ReadFileBytes(Folder + std::string(ItemIconFileName)));
        State.PauseTiming();
        Read.clear();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpRawRead)->Unit(benchmark::kMillisecond);

// What `pelto-cli render` does after the process has started: the game opened on demand, a
// dressed character's 6-frame walk drawn and encoded.
void RenderCommand(benchmark::State& State, const char* Format) {
    const std::string Code = EncodeCharaCode(RandomDesign(
        {}, Game(), {.Seed = 1, .Vary = TRandomVary::All, .Chara = true, .AllowEmpty = false}));
    const TRenderRequest Request = ParseRenderRequest(
        {{"code", Code}, {"motion", "1"}, {"format", Format}}, CommandLineDialect);
    for (auto _ : State) {
        const auto Opened = OpenGame(bench::GameFolder(), {.OnDemand = true});
        TMemoryStream Out;
        Render(*Opened, Request, Out);
        benchmark::DoNotOptimize(Out.Memory().data());
    }
}
void BM_RenderCommandPng(benchmark::State& State) {
    RenderCommand(State, "png");
}
BENCHMARK(BM_RenderCommandPng)->Unit(benchmark::kMillisecond);
void BM_RenderCommandGif(benchmark::State& State) {
    RenderCommand(State, "gif");
}
BENCHMARK(BM_RenderCommandGif)->Unit(benchmark::kMillisecond);

void BM_RedrawFullyDressed(benchmark::State& State) {
    TDressed D;
    for (auto _ : State) {
        D.Chara.NextFrame();
        D.Chara.Redraw();
        benchmark::DoNotOptimize(D.Canvas.ScanLine(64));
    }
}
BENCHMARK(BM_RedrawFullyDressed)->Unit(benchmark::kMicrosecond);

void BM_SetCharaOtherBodyGroupAndDress(benchmark::State& State) {
    TDressed D;
    int Next = 0;
    for (auto _ : State) {
        Next = Next == 0 ? 7 : 0; // Rocco (group 0) and Iris (group 3)
        D.Chara.SetChara(Next);
        DressFully(D.Chara);
    }
}
BENCHMARK(BM_SetCharaOtherBodyGroupAndDress)->Unit(benchmark::kMillisecond);

void BM_SetCharaOtherBodyGroup(benchmark::State& State) {
    TDressed D;
    int Next = 0;
    for (auto _ : State) {
        Next = Next == 0 ? 7 : 0;
        D.Chara.SetChara(Next);
    }
}
BENCHMARK(BM_SetCharaOtherBodyGroup)->Unit(benchmark::kMillisecond);

void BM_SetPart(benchmark::State& State) {
    TDressed D;
    const auto& List = Game().EquipList()->GetList(3, 2);
    std::size_t Index = 1;
    for (auto _ : State) {
        Index = Index + 1 < List.size() ? Index + 1 : 1;
        D.Chara.SetPart(2, List[Index].Item);
    }
}
BENCHMARK(BM_SetPart)->Unit(benchmark::kMicrosecond);

// A try-on as the window shows one while the pointer crosses the picker's cells: the next
// cell's item tried on and the canvas drawn, with the animation going on. One frame is 16 ms.
void BM_PreviewNextItemAndRedraw(benchmark::State& State) {
    TDressingSession Session(Game());
    Session.SetChara(7);
    for (int Slot = 1; Slot <= 6; ++Slot)
        Session.Pick(Slot, 1);
    Session.SetMotion(1);
    const auto& List = Session.List(2);
    std::size_t Index = 1;
    for (auto _ : State) {
        Index = Index + 1 < List.size() ? Index + 1 : 1;
        Session.Preview(TItemTryOn{2, List[Index].Item});
        Session.NextFrame();
        benchmark::DoNotOptimize(Session.Canvas().ScanLine(64));
    }
}
BENCHMARK(BM_PreviewNextItemAndRedraw)->Unit(benchmark::kMicrosecond);

// Pointing along a colour bar, and leaving it: the design's own canvas drawn again.
void BM_PreviewLevelAndEnd(benchmark::State& State) {
    TDressingSession Session(Game());
    Session.SetChara(7);
    for (int Slot = 1; Slot <= 6; ++Slot)
        Session.Pick(Slot, 1);
    std::uint8_t Level = 0;
    for (auto _ : State) {
        Level = static_cast<std::uint8_t>((Level + 1) % (MaxLevel + 1));
        Session.Preview(TLevelTryOn{1, 0, Level});
        benchmark::DoNotOptimize(Session.Canvas().ScanLine(64));
        Session.EndPreview();
        benchmark::DoNotOptimize(Session.Canvas().ScanLine(64));
    }
}
BENCHMARK(BM_PreviewLevelAndEnd)->Unit(benchmark::kMicrosecond);

void BM_GetCode(benchmark::State& State) {
    TDressed D;
    for (auto _ : State)
        benchmark::DoNotOptimize(D.Chara.GetCode());
}
BENCHMARK(BM_GetCode);

void BM_SetCode(benchmark::State& State) {
    TDressed D;
    const std::string Code = D.Chara.GetCode();
    for (auto _ : State)
        D.Chara.SetCode(Code); // the state it names: only the decoding and the checks run
}
BENCHMARK(BM_SetCode);

void BM_EncodeBmp(benchmark::State& State) {
    TDressed D;
    for (auto _ : State) {
        TMemoryStream Out;
        SaveBmpToStream(D.Canvas, Out);
        benchmark::DoNotOptimize(Out.GetSize());
    }
}
BENCHMARK(BM_EncodeBmp)->Unit(benchmark::kMicrosecond);

void BM_EncodeJpeg(benchmark::State& State) {
    TDressed D;
    for (auto _ : State) {
        TMemoryStream Out;
        SaveJpegToStream(D.Canvas, Out, 95);
        benchmark::DoNotOptimize(Out.GetSize());
    }
}
BENCHMARK(BM_EncodeJpeg)->Unit(benchmark::kMicrosecond);

void BM_EncodePng(benchmark::State& State) {
    TDressed D;
    for (auto _ : State) {
        TMemoryStream Out;
        D.Chara.SaveToPNGStream(Out, false);
        benchmark::DoNotOptimize(Out.GetSize());
    }
}
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMicrosecond);

void BM_EncodeTransparentPng(benchmark::State& State) {
    TDressed D;
    for (auto _ : State) {
        TMemoryStream Out;
        D.Chara.SaveToPNGStream(Out, true);
        benchmark::DoNotOptimize(Out.GetSize());
    }
}
BENCHMARK(BM_EncodeTransparentPng)->Unit(benchmark::kMicrosecond);

// Every frame of the current action drawn, reduced and encoded, as the GIF export does.
void EncodeGif(benchmark::State& State, bool Transparent) {
    TDressed D;
    State.counters["frames"] = D.Chara.GetFrameCount();
    TBitmap Work(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    for (auto _ : State) {
        std::vector<TReducedFrame> Frames;
        for (int Frame = 1; Frame <= D.Chara.GetFrameCount(); ++Frame) {
            Work.Fill(Transparent ? RGBColor(255, 0, 255) : D.Chara.BackColor());
            D.Chara.DrawFrame(Work, Frame);
            Frames.push_back(ReduceFrameColors(Work));
        }
        TMemoryStream Out;
        SaveAnimatedGifToStream(Frames, Transparent, Out);
        benchmark::DoNotOptimize(Out.GetSize());
    }
}
void BM_EncodeGif(benchmark::State& State) {
    EncodeGif(State, false);
}
void BM_EncodeTransparentGif(benchmark::State& State) {
    EncodeGif(State, true);
}
BENCHMARK(BM_EncodeGif)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeTransparentGif)->Unit(benchmark::kMillisecond);

// The whole save of a file as the menu command does it: encoded, written, synced, renamed.
void SaveFile(benchmark::State& State, TImageFileType Type, const char* Name) {
    TDressed D;
    const std::string File = (std::filesystem::temp_directory_path() / Name).string();
    for (auto _ : State)
        SaveImageFile(D.Chara, D.Canvas, Type, File);
    std::filesystem::remove(File);
}
void BM_SaveFileTransparentPng(benchmark::State& State) {
    SaveFile(State, TImageFileType::TransparentPng, "pelto-bench.png");
}
void BM_SaveFileGif(benchmark::State& State) {
    SaveFile(State, TImageFileType::Gif, "pelto-bench.gif");
}
BENCHMARK(BM_SaveFileTransparentPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFileGif)->Unit(benchmark::kMillisecond);

// The item search over the whole table: the first search builds the index of folded texts.
void BM_ItemSearchFirst(benchmark::State& State) {
    for (auto _ : State) {
        TItemSearch Search(Game().Items().Items());
        benchmark::DoNotOptimize(Search.FilterTable(TItemQuery::Parse("shiny")));
    }
    State.counters["items"] = static_cast<double>(Game().Items().GetCount() - 1);
}
BENCHMARK(BM_ItemSearchFirst)->Unit(benchmark::kMillisecond);

// One keystroke's search once the index is built: the query parsed, every item tested.
void ItemSearchQuery(benchmark::State& State, const char* Query) {
    const TItemSearch& Search = *Game().ItemSearch();
    Search.BuildIndex();
    std::size_t Found = 0;
    for (auto _ : State) {
        const auto Items = Search.FilterTable(TItemQuery::Parse(Query));
        Found = Items.size();
        benchmark::DoNotOptimize(Items.data());
    }
    State.counters["items"] = static_cast<double>(Game().Items().GetCount() - 1);
    State.counters["found"] = static_cast<double>(Found);
}
BENCHMARK_CAPTURE(ItemSearchQuery, latin, "shiny")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ItemSearchQuery, fullwidth_two_terms, "ＳＨＩＮＹ　ｈ")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ItemSearchQuery, halfwidth_kana, "ﾌﾞｰﾂ")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ItemSearchQuery, bonus_and_id, "atk>=5 #1234")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ItemSearchQuery, empty, "")->Unit(benchmark::kMicrosecond);

} // namespace
