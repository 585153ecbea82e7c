#include "requests/SwatchRequest.h"

#include "export/ExportFrames.h"
#include "export/FrameEncoding.h"
#include "export/FramePlacement.h"
#include "model/CharaCode.h"
#include "model/DressingSession.h"
#include "model/UDraw.h"
#include "platform/Format.h"
#include "requests/Parameters.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace pelto {
namespace {

constexpr std::array<std::string_view, 3> ChoiceNames{"position", "across", "down"};

int ChoiceNumber(const TRequestParams& Params, const TRequestDialect& Dialect,
                 std::string_view Name) {
    const auto Found = Params.find(Name);
    if (Found == Params.end())
        throw ERequestError(std::string(Dialect.Prefix) + std::string(Name) + " is required");
    return static_cast<int>(
        ReadNumber(std::string(Dialect.Prefix) + std::string(Name), Found->second, RangeOf(Name)));
}

} // namespace

std::string TSwatchRequest::Key() const {
    // A still PNG render's key names the code, pose, shadow and background once each.
    return Format("swatches/%d/%d/%d/", Choice.Position, Choice.Across, Choice.Down.value_or(-1)) +
           Look.Key();
}

TSwatchRequest ParseSwatchRequest(const TRequestParams& Params, const TRequestDialect& Dialect) {
    TSwatchRequest Request;
    Request.Choice.Position = ChoiceNumber(Params, Dialect, "position");
    Request.Choice.Across = ChoiceNumber(Params, Dialect, "across");
    if (Params.contains("down"))
        Request.Choice.Down = ChoiceNumber(Params, Dialect, "down");
    TRequestParams Look = Params;
    for (const std::string_view Name : ChoiceNames)
        Look.erase(std::string(Name));
    Request.Look = ParseRenderRequest(Look, Dialect, FindExportFormat("png"));
    if (Request.Look.Code.empty())
        throw ERequestError(std::string(Dialect.Prefix) + "code is required");
    return Request;
}

std::size_t SwatchWorkBytes(const TSwatchRequest& Request) {
    const std::size_t Cells =
        static_cast<std::size_t>(Request.Choice.Columns() * Request.Choice.Rows());
    const std::size_t Canvas = static_cast<std::size_t>(CanvasSize) * CanvasSize;
    return DrawingWorkBytes(false, 1, Cells * Canvas, Cells * Canvas) + Canvas * 4;
}

void RenderSwatches(const TGameData& Game, const TSwatchRequest& Request, TStream& Stream) {
    const TSwatchChoice& Choice = Request.Choice;
    const std::vector<TCharaDesign> Cells =
        SwatchDesigns(DesignOfCode(Request.Look.Code, Game), Choice);
    const TExportOptions& Options = Request.Look.Options;
    // One session, dressed again for each cell, so that a grid costs one character's memory.
    TDressingSession Session(Game);
    TRenderRequest Cell = Request.Look;
    std::optional<TBitmap> Grid;
    TFramePlacement Placement;
    for (std::size_t I = 0; I < Cells.size(); ++I) {
        Cell.Code = CodeOfDesign(Cells[I]);
        PoseSession(Session, Cell);
        const TDrawChara& Chara = Session.Chara();
        const TPose Pose{Chara.Motion(), Chara.Direction(), Chara.Frame()};
        const TBitmap Frame = DrawCovered(Chara, Pose);
        // Levels recolour pixels and never move them: the first cell's crop is every cell's.
        if (I == 0) {
            Placement = PlacementOf(Options, CropBoxOf(Chara, Options, {&Pose, 1}, {&Frame, 1}));
            Grid.emplace(Choice.Columns() * Placement.Width, Choice.Rows() * Placement.Height,
                         TPixelFormat::pf32bit);
            Grid->Fill(0);
        }
        const int Column = static_cast<int>(I) % Choice.Columns();
        const int Row = static_cast<int>(I) / Choice.Columns();
        PlaceFrame(Frame, Placement, *Grid, Column * Placement.Width, Row * Placement.Height);
    }
    PutBehind(*Grid, Request.Look.Background);
    EncodePictures(*Options.Format, {&*Grid, 1}, std::nullopt, Stream);
}

} // namespace pelto
