#include "export/PictureExport.h"

#include "codecs/ColorReduction.h"
#include "codecs/PictureText.h"
#include "export/AsepriteExport.h"
#include "export/BundleExport.h"
#include "export/ClassicSave.h"
#include "export/ExportFrames.h"
#include "export/FrameEncoding.h"
#include "export/PictureCode.h"
#include "export/SheetExport.h"
#include "model/DressingSession.h"
#include "model/UDraw.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

namespace pelto {
namespace {

std::vector<TPose> ActionFrames(const TDrawChara& Chara, std::uint8_t Motion,
                                std::uint8_t Direction) {
    const TScopeAction Action{Motion, Direction, Chara.GetFrameCount(Motion, Direction)};
    return ScopePoses({&Action, 1});
}

/// Whether a placement only crops and enlarges, as the classic pictures were made.
bool OnlyCropsAndEnlarges(const TFramePlacement& Placement) {
    return !Placement.Flip && Placement.Left == 0 && Placement.Top == 0 &&
           Placement.Width == Placement.Source.Width * Placement.Scale &&
           Placement.Height == Placement.Source.Height * Placement.Scale;
}

std::vector<TBitmap> DrawAll(const TDrawChara& Chara, const std::vector<TPose>& Poses,
                             TProgressCounter& Counter) {
    std::vector<TBitmap> Frames;
    Frames.reserve(Poses.size());
    for (const TPose& Pose : Poses) {
        Frames.push_back(DrawCovered(Chara, Pose));
        Counter.Step();
    }
    return Frames;
}

void ExportStill(const TDrawChara& Chara, const TExportOptions& Options,
                 const TFramePlacement& Placement, TBitmap Frame, TStream& Stream) {
    const TExportFormat& Format = *Options.Format;
    std::uint32_t Fill = 0;
    if (!Format.Transparent) {
        PutBehind(Frame, Chara.BackColor());
        Fill = OpaquePixel(Chara.BackColor());
    }
    const TBitmap Picture = PlacedFrame(Frame, Placement, Fill);
    EncodePictures(Format, {&Picture, 1}, std::nullopt, Stream);
}

void ExportGif(const TDrawChara& Chara, const TExportOptions& Options,
               const TFramePlacement& Placement, std::vector<TBitmap>& Frames, TStream& Stream) {
    const bool Transparent = Options.Format->Transparent;
    const TColor Behind = Transparent ? GifTransparentKey : Chara.BackColor();
    std::vector<TReducedFrame> Reduced;
    for (TBitmap& Frame : Frames) {
        PutBehind(Frame, Behind);
        // Reduced at the canvas's size, as the classic GIF is, so that scale 1 matches it; a
        // mirrored or placed picture is reduced as it is shown.
        if (OnlyCropsAndEnlarges(Placement))
            Reduced.push_back(
                EnlargedIndices(ReduceFrameColors(Frame), Placement.Source, Options.Scale));
        else
            Reduced.push_back(
                ReduceFrameColors(PlacedFrame(Frame, Placement, OpaquePixel(Behind))));
    }
    EncodeGif(*Options.Format, Reduced, Options.Delay, Stream);
}

void ExportAnimation(const TDrawChara& Chara, const TExportOptions& Options,
                     const TFramePlacement& Placement, std::vector<TBitmap>& Frames,
                     TStream& Stream) {
    const bool Transparent = Options.Format->Transparent;
    std::vector<TBitmap> Pictures;
    if (Frames.empty()) { // an action without frames still gives a picture
        Frames.emplace_back(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
        Frames.back().Fill(0);
    }
    const std::uint32_t Fill = Transparent ? 0 : OpaquePixel(Chara.BackColor());
    for (TBitmap& Frame : Frames) {
        if (!Transparent)
            PutBehind(Frame, Chara.BackColor());
        Pictures.push_back(PlacedFrame(Frame, Placement, Fill));
    }
    EncodePictures(*Options.Format, Pictures, Options.Delay, Stream);
}

// --- sheets ---------------------------------------------------------------------------------

TExportShape ExportSheet(const TDrawChara& Chara, const TExportOptions& Options,
                         const TExportProgress& Progress, const std::string& FileName) {
    std::vector<TScopeAction> Actions = ScopeActions(Chara, Options);
    TProgressCounter Counter(Progress, SheetDrawings(Actions, Options));
    const TSheetLayout Layout = LayOutSheet(Chara, Options, std::move(Actions), Counter);
    const std::string Json = SheetJson(Options, Layout, ExtractFileName(FileName));
    const std::string JsonFile = SheetJsonFileName(FileName);

    WriteFileAtomically(
        FileName, [&](TStream& Stream) { WriteSheetPng(Chara, Options, Layout, Stream, Counter); });
    try {
        WriteFileAtomically(JsonFile,
                            [&](TStream& Stream) { Stream.WriteBuffer(Json.data(), Json.size()); });
    } catch (...) {
        // A sheet without its index is of no use: both files or neither.
        std::error_code Ignored;
        std::filesystem::remove(FileName, Ignored);
        throw;
    }
    return {Layout.Width, Layout.Height, Layout.Frames};
}

} // namespace

std::optional<std::vector<std::uint8_t>> ActionListOf(std::string_view Text, bool Directions) {
    if (Directions)
        for (std::size_t I = 0; I < DirectionOrderNames.size(); ++I)
            if (Text == DirectionOrderNames[I]) {
                const auto& Order = I == 0 ? GameDirectionOrder : EngineDirectionOrder;
                return std::vector<std::uint8_t>(Order.begin(), Order.end());
            }
    const int Count = Directions ? DirectionCount : MotionCount;
    std::vector<std::uint8_t> List;
    while (true) {
        const std::size_t Comma = std::min(Text.find(','), Text.size());
        const std::string_view Digits = Text.substr(0, Comma);
        int Number = -1;
        const auto [End, Error] =
            std::from_chars(Digits.data(), Digits.data() + Digits.size(), Number);
        // Digits only: no sign, no space, nothing after the number.
        if (Digits.empty() || Digits.front() < '0' || Digits.front() > '9' ||
            Error != std::errc() || End != Digits.data() + Digits.size() || Number >= Count ||
            std::find(List.begin(), List.end(), Number) != List.end())
            return std::nullopt;
        List.push_back(static_cast<std::uint8_t>(Number));
        if (Comma == Text.size())
            return List;
        Text.remove_prefix(Comma + 1);
    }
}

std::string SheetJsonFileName(std::string_view SheetFileName) {
    return ChangeFileExt(SheetFileName, ".json");
}

namespace {

void CheckOptions(const TExportOptions& Options) {
    const auto Side = [](int N) {
        return N >= 1 && N <= MaxExportCanvasSide;
    };
    if (!Options.Format || Options.Scale < MinExportScale || Options.Scale > MaxExportScale ||
        (Options.Delay && (*Options.Delay < MinExportDelay || *Options.Delay > MaxExportDelay)) ||
        (Options.Canvas && (!Side(Options.Canvas->Width) || !Side(Options.Canvas->Height))) ||
        (Options.Trim && !CropTakesTrim(Options.Crop)))
        throw std::invalid_argument("export options out of range");
}

bool AsksForClassicPicture(const TExportOptions& Options) {
    return Options.Format->ClassicType && Options.Scale == 1 && !Options.Trim && !Options.Delay &&
           Options.Crop == TExportCrop::Full && !Options.Flip && !Options.Canvas;
}

// Every format but the sheet, whose index goes to a file of its own; without the code.
TExportShape ExportPlain(const TDrawChara& Chara, const TBitmap& Canvas,
                         const TExportOptions& Options, TStream& Stream,
                         const TExportProgress& Progress) {
    const TExportFormat& Format = *Options.Format;
    if (AsksForClassicPicture(Options)) {
        // A PNG is packed as every other PNG of ours, to the same pixels.
        if (Format.Kind == TExportKind::Png)
            Chara.SaveToPNGStream(Stream, Format.Transparent, TDrawChara::TPngPacking::Ours);
        else
            SaveImageToStream(Chara, Canvas, *Format.ClassicType, Stream);
        return {Canvas.Width(), Canvas.Height(), 1};
    }
    const bool Still = IsStillFormat(Format);
    const std::vector<TPose> Poses =
        Still ? std::vector<TPose>{{Chara.Motion(), Chara.Direction(), Chara.Frame()}}
              : ActionFrames(Chara, Chara.Motion(), Chara.Direction());
    TProgressCounter Counter(Progress, static_cast<int>(Poses.size()));
    std::vector<TBitmap> Frames = DrawAll(Chara, Poses, Counter);
    const TFramePlacement Placement =
        PlacementOf(Options, CropBoxOf(Chara, Options, Poses, Frames));
    const TExportShape Shape{Placement.Width, Placement.Height,
                             std::max(1, static_cast<int>(Frames.size()))};
    if (Still)
        ExportStill(Chara, Options, Placement, std::move(Frames.front()), Stream);
    else if (Format.Kind == TExportKind::Gif)
        ExportGif(Chara, Options, Placement, Frames, Stream);
    else
        ExportAnimation(Chara, Options, Placement, Frames, Stream);
    return Shape;
}

TExportShape ExportOne(const TDrawChara& Chara, const TBitmap& Canvas,
                       const TExportOptions& Options, TStream& Stream,
                       const TExportProgress& Progress) {
    if (Options.Code.empty())
        return ExportPlain(Chara, Canvas, Options, Stream, Progress);
    // The encoders know nothing of texts: the code goes into the finished picture.
    TMemoryStream Plain;
    const TExportShape Shape = ExportPlain(Chara, Canvas, Options, Plain, Progress);
    const std::vector<std::uint8_t> Picture =
        WithPictureText(Plain.Memory(), PictureCodeKeyword, Options.Code);
    Stream.WriteBuffer(Picture.data(), Picture.size());
    return Shape;
}

} // namespace

TExportShape ExportPicture(const TDrawChara& Chara, const TBitmap& Canvas,
                           const TExportOptions& Options, const std::string& FileName,
                           const TExportProgress& Progress) {
    CheckOptions(Options);
    if (IsSheetFormat(*Options.Format))
        return ExportSheet(Chara, Options, Progress, FileName);
    if (Options.Format->Kind == TExportKind::Bundle)
        return ExportBundle(Chara, Options, FileName, Progress);
    TExportShape Shape;
    WriteFileAtomically(FileName, [&](TStream& Stream) {
        Shape = Options.Format->Kind == TExportKind::Aseprite
                    ? ExportAsepriteToStream(Chara, Options, Stream, Progress)
                    : ExportOne(Chara, Canvas, Options, Stream, Progress);
    });
    return Shape;
}

void ExportPictureToStream(const TDrawChara& Chara, const TBitmap& Canvas,
                           const TExportOptions& Options, TStream& Stream,
                           const TExportProgress& Progress) {
    CheckOptions(Options);
    if (IsSheetFormat(*Options.Format) || Options.Format->Kind == TExportKind::Bundle)
        throw std::invalid_argument("a sheet is two files, a bundle is written aside first");
    if (Options.Format->Kind == TExportKind::Aseprite)
        ExportAsepriteToStream(Chara, Options, Stream, Progress);
    else
        ExportOne(Chara, Canvas, Options, Stream, Progress);
}

TExportShape PlannedShape(const TDrawChara& Chara, const TExportOptions& Options) {
    CheckOptions(Options);
    const TExportFormat& Format = *Options.Format;
    if (AsksForClassicPicture(Options))
        return {CanvasSize, CanvasSize, IsAnimatedFormat(Format) ? Chara.GetFrameCount() : 1};
    if (IsSheetFormat(Format) || Format.Kind == TExportKind::Bundle) {
        TProgressCounter Counter({}, 0);
        const TSheetLayout Layout =
            LayOutSheet(Chara, Options, ScopeActions(Chara, Options), Counter);
        return {Layout.Width, Layout.Height, Layout.Frames};
    }
    const std::vector<TPose> Poses =
        IsStillFormat(Format)
            ? std::vector<TPose>{{Chara.Motion(), Chara.Direction(), Chara.Frame()}}
        : Format.Kind == TExportKind::Aseprite
            ? ScopePoses(ScopeActions(Chara, Options))
            : ActionFrames(Chara, Chara.Motion(), Chara.Direction());
    const TFramePlacement Placement = PlacementOf(Options, CropBoxOf(Chara, Options, Poses, {}));
    return {Placement.Width, Placement.Height, std::max(1, static_cast<int>(Poses.size()))};
}

TBitmap ExportPreview(const TDrawChara& Chara, const TExportOptions& Options) {
    CheckOptions(Options);
    const std::vector<TPose> Poses = ActionFrames(Chara, Chara.Motion(), Chara.Direction());
    const TFramePlacement Placement = PlacementOf(Options, CropBoxOf(Chara, Options, Poses, {}));
    TBitmap Frame = DrawCovered(Chara, {Chara.Motion(), Chara.Direction(), Chara.Frame()});
    if (Options.Format->Transparent)
        return PlacedFrame(Frame, Placement);
    PutBehind(Frame, Chara.BackColor());
    return PlacedFrame(Frame, Placement, OpaquePixel(Chara.BackColor()));
}

bool WritesClassicPicture(const TExportOptions& Options) {
    return Options.Format && Options.Code.empty() && AsksForClassicPicture(Options);
}

TExportShape ExportPicture(TDressingSession& Session, const TExportOptions& Options,
                           const std::string& FileName, const TExportProgress& Progress) {
    const TBitmap& Canvas = Session.Canvas();
    return ExportPicture(Session.Chara(), Canvas, Options, FileName, Progress);
}

void ExportPictureToStream(TDressingSession& Session, const TExportOptions& Options,
                           TStream& Stream) {
    const TBitmap& Canvas = Session.Canvas();
    ExportPictureToStream(Session.Chara(), Canvas, Options, Stream);
}

} // namespace pelto
