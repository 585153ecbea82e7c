#include "export/ExportFrames.h"

#include "game/wloutils.h"
#include "platform/Format.h"
#include "platform/ShiftJis.h"

#include <algorithm>
#include <cstring>

namespace pelto {

std::vector<TScopeAction> ScopeActions(const TDrawChara& Chara, const TExportOptions& Options) {
    std::vector<std::uint8_t> Motions = Options.Motions;
    if (Motions.empty() && Options.Scope == TExportScope::All)
        for (std::uint8_t M = 0; M < MotionActions.size(); ++M)
            Motions.push_back(M);
    else if (Motions.empty())
        Motions.push_back(Chara.Motion());
    std::vector<std::uint8_t> Directions = Options.Directions;
    if (Directions.empty() && Options.Scope == TExportScope::Action)
        Directions.push_back(Chara.Direction());
    else if (Directions.empty())
        Directions.assign(GameDirectionOrder.begin(), GameDirectionOrder.end());
    std::vector<TScopeAction> Actions;
    for (const std::uint8_t Motion : Motions)
        for (const std::uint8_t Direction : Directions)
            Actions.push_back({Motion, Direction, Chara.GetFrameCount(Motion, Direction)});
    return Actions;
}

std::vector<TPose> ScopePoses(std::span<const TScopeAction> Actions) {
    std::vector<TPose> Poses;
    for (const TScopeAction& Action : Actions)
        for (int F = 1; F <= Action.Frames; ++F)
            Poses.push_back({Action.Motion, Action.Direction, F});
    return Poses;
}

TBitmap DrawCovered(const TDrawChara& Chara, const TPose& Pose) {
    TBitmap Frame(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
    Frame.Fill(0);
    Chara.DrawFrame(Frame, Pose.Motion, Pose.Direction, Pose.Frame);
    return Frame;
}

TBitmap DrawLayerCovered(const TDrawChara& Chara, int Layer, const TPose& Pose) {
    TBitmap Frame(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
    Frame.Fill(0);
    Chara.DrawLayer(Frame, Layer, Pose.Motion, Pose.Direction, Pose.Frame);
    return Frame;
}

void PutBehind(TBitmap& Frame32, TColor Color) {
    for (int Y = 0; Y < Frame32.Height(); ++Y) {
        std::uint8_t* P = Frame32.ScanLine(Y);
        for (int X = 0; X < Frame32.Width(); ++X, P += 4)
            if (P[3] == 0) {
                P[0] = GetBValue(Color);
                P[1] = GetGValue(Color);
                P[2] = GetRValue(Color);
                P[3] = 255;
            }
    }
}

std::uint32_t OpaquePixel(TColor Color) {
    const std::uint8_t Bytes[4] = {GetBValue(Color), GetGValue(Color), GetRValue(Color), 255};
    std::uint32_t Pixel;
    std::memcpy(&Pixel, Bytes, 4);
    return Pixel;
}

TReducedFrame EnlargedIndices(const TReducedFrame& Frame, const TBox& Box, int Scale) {
    TReducedFrame Result;
    Result.Palette = Frame.Palette;
    Result.Width = Box.Width * Scale;
    Result.Height = Box.Height * Scale;
    Result.Indices.reserve(static_cast<std::size_t>(Result.Width) * Result.Height);
    for (int Y = 0; Y < Box.Height; ++Y) {
        const auto Row =
            Frame.Indices.begin() + static_cast<std::ptrdiff_t>(Box.Y + Y) * Frame.Width + Box.X;
        const std::size_t Start = Result.Indices.size();
        for (int X = 0; X < Box.Width; ++X)
            Result.Indices.insert(Result.Indices.end(), static_cast<std::size_t>(Scale), Row[X]);
        for (int I = 1; I < Scale; ++I)
            Result.Indices.insert(Result.Indices.end(), Result.Indices.begin() + Start,
                                  Result.Indices.begin() + Start + Result.Width);
    }
    return Result;
}

void TProgressCounter::Step() {
    ++FDone;
    if (FProgress && !FProgress(FDone, FTotal))
        throw EExportCanceled();
}

namespace {

std::optional<TBox> Union(const std::optional<TBox>& A, const std::optional<TBox>& B) {
    if (!A || !B)
        return A ? A : B;
    const int Left = std::min(A->X, B->X), Top = std::min(A->Y, B->Y);
    const int Right = std::max(A->X + A->Width, B->X + B->Width);
    const int Bottom = std::max(A->Y + A->Height, B->Y + B->Height);
    return TBox{Left, Top, Right - Left, Bottom - Top};
}

} // namespace

bool CropsToBody(const TExportOptions& Options) {
    return Options.Trim || Options.Crop == TExportCrop::Body;
}

TBox CropBoxOf(const TDrawChara& Chara, const TExportOptions& Options, std::span<const TPose> Poses,
               std::span<const TBitmap> Frames, TProgressCounter* Counter) {
    std::optional<TBox> Box;
    if (CropsToBody(Options)) {
        if (!Frames.empty())
            return DrawnBox(Frames).value_or(TBox{});
        for (const TPose& Pose : Poses) {
            const TBitmap Frame = DrawCovered(Chara, Pose);
            Box = Union(Box, DrawnBox({&Frame, 1}));
            if (Counter)
                Counter->Step();
        }
        return Box.value_or(TBox{});
    }
    if (Options.Crop != TExportCrop::Head)
        return {};
    // The head sprite's pixels only; the same square for every frame.
    for (const TPose& Pose : Poses) {
        const TBitmap Head = DrawLayerCovered(Chara, 0, Pose);
        Box = Union(Box, DrawnBox({&Head, 1}));
    }
    return Box ? SquareAround(*Box) : TBox{};
}

TFramePlacement PlacementOf(const TExportOptions& Options, const TBox& Box) {
    return PlaceFrames(Box, Options.Scale, Options.Flip, Options.Canvas);
}

TFrameSource FrameSourceOf(const TExportOptions& Options, const TFramePlacement& P) {
    TFrameSource Source{false, {0, 0, P.Width, P.Height}, P.Width, P.Height, 0, 0};
    // Only a trim stands for the whole canvas; a portrait or a canvas is a picture of its own.
    if (CropsToBody(Options) && !Options.Canvas) {
        const int Full = CanvasSize * P.Scale;
        const int Left = P.Flip ? CanvasSize - P.Source.X - P.Source.Width : P.Source.X;
        Source = {P.Source != TBox{},
                  {Left * P.Scale, P.Source.Y * P.Scale, P.Width, P.Height},
                  Full,
                  Full,
                  0,
                  0};
    }
    Source.PivotX = (P.PivotX() + Source.Sprite.X) / Source.Width;
    Source.PivotY = (P.PivotY() + Source.Sprite.Y) / Source.Height;
    return Source;
}

std::string LayerName(const TDrawChara& Chara, int Layer) {
    if (Layer == ShadowLayer)
        return "Shadow";
    if (Layer == BodyLayer)
        return "Body";
    if (Layer == 0)
        return "Head";
    const TWLOItemData* Item = Chara.GetPart(Layer);
    return Format("Slot %d", Layer) + (Item ? " " + SjisToUtf8(Item->Name()) : std::string());
}

std::string PoseName(const TPose& Pose) {
    return Format("m%d-d%d-f%d", Pose.Motion, Pose.Direction, Pose.Frame);
}

} // namespace pelto
