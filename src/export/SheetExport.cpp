#include "export/SheetExport.h"

#include "codecs/AnimationEncoders.h"
#include "export/PictureCode.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/Version.h"

#include <boost/json.hpp>

#include <algorithm>

namespace pelto {
namespace json = boost::json;

int SheetDrawings(const std::vector<TScopeAction>& Actions, const TExportOptions& Options) {
    int Total = 0;
    for (const TScopeAction& Action : Actions)
        Total += Action.Frames;
    return CropsToBody(Options) ? 2 * Total : Total;
}

TSheetLayout LayOutSheet(const TDrawChara& Chara, const TExportOptions& Options,
                         std::vector<TScopeAction> Actions, TProgressCounter& Counter) {
    TSheetLayout Layout;
    Layout.Actions = std::move(Actions);
    for (const TScopeAction& Action : Layout.Actions) {
        Layout.Columns = std::max(Layout.Columns, Action.Frames);
        Layout.Frames += Action.Frames;
    }
    // A body crop needs every frame first; the frames are drawn again row by row, to keep
    // only one row of cells in memory.
    const std::vector<TPose> Poses = ScopePoses(Layout.Actions);
    Layout.Placement = PlacementOf(Options, CropBoxOf(Chara, Options, Poses, {}, &Counter));
    Layout.Width = Layout.Columns * Layout.Placement.Width;
    Layout.Height = static_cast<int>(Layout.Actions.size()) * Layout.Placement.Height;
    return Layout;
}

void WriteSheetPng(const TDrawChara& Chara, const TExportOptions& Options,
                   const TSheetLayout& Layout, TStream& Stream, TProgressCounter& Counter) {
    const bool Transparent = Options.Format->Transparent;
    const int CellWidth = Layout.Placement.Width;
    const int CellHeight = Layout.Placement.Height;
    TPngRowWriter Writer(Stream, Layout.Width, Layout.Height, Transparent);
    if (!Options.Code.empty())
        Writer.WriteText(PictureCodeKeyword, Options.Code);
    TBitmap Band(Layout.Width, CellHeight, TPixelFormat::pf32bit);
    const std::uint32_t Fill = Transparent ? 0 : OpaquePixel(Chara.BackColor());
    for (const TScopeAction& Action : Layout.Actions) {
        Band.Fill(Transparent ? 0 : Chara.BackColor());
        for (int F = 1; F <= Action.Frames; ++F) {
            TBitmap Frame = DrawCovered(Chara, {Action.Motion, Action.Direction, F});
            if (!Transparent)
                PutBehind(Frame, Chara.BackColor());
            if (Options.Canvas) // the canvas around the frame is the background too
                for (int Y = 0; Y < CellHeight; ++Y)
                    std::fill_n(reinterpret_cast<std::uint32_t*>(Band.ScanLine(Y)) +
                                    static_cast<std::size_t>(F - 1) * CellWidth,
                                CellWidth, Fill);
            PlaceFrame(Frame, Layout.Placement, Band, (F - 1) * CellWidth, 0);
            Counter.Step();
        }
        for (int Y = 0; Y < CellHeight; ++Y)
            Writer.WriteRow(Band.ScanLine(Y));
    }
    Writer.Finish();
}

namespace {

std::string FrameName(const TExportOptions& Options, const TScopeAction& Action, int Frame,
                      int Index) {
    if (Options.FrameNames == TFrameNames::Index)
        return std::to_string(Index);
    return PoseName({Action.Motion, Action.Direction, Frame});
}

json::value Box(const TBox& Box) {
    return {{"x", Box.X}, {"y", Box.Y}, {"w", Box.Width}, {"h", Box.Height}};
}

// Aseprite's own layout: the frames a member a line, each of their boxes on one.
TJsonBreaks AsepriteBreaks(const json::value& Container, int Depth) {
    if (Depth == 0)
        return {.BetweenMembers = true, .BeforeClosing = true};
    return Depth == 1 || Container.is_array() || HoldsContainers(Container) ? MemberLines
                                                                            : TJsonBreaks{};
}

} // namespace

std::string SheetJson(const TExportOptions& Options, const TSheetLayout& Layout,
                      std::string_view ImageName) {
    const TFramePlacement& Cell = Layout.Placement;
    const TFrameSource Source = FrameSourceOf(Options, Cell);
    const int Delay = Options.Delay.value_or(DefaultExportDelay);
    json::object Frames;
    json::array Tags;
    int Index = 0;
    for (std::size_t R = 0; R < Layout.Actions.size(); ++R) {
        const TScopeAction& Action = Layout.Actions[R];
        if (Action.Frames > 0)
            Tags.push_back({{"name", Format("m%d-d%d", Action.Motion, Action.Direction)},
                            {"from", Index},
                            {"to", Index + Action.Frames - 1},
                            {"direction", "forward"},
                            {"color", "#000000ff"}});
        for (int F = 1; F <= Action.Frames; ++F, ++Index)
            Frames[FrameName(Options, Action, F, Index)] = {
                {"frame", Box({(F - 1) * Cell.Width, static_cast<int>(R) * Cell.Height, Cell.Width,
                               Cell.Height})},
                {"rotated", false},
                {"trimmed", Source.Trimmed},
                {"spriteSourceSize", Box(Source.Sprite)},
                {"sourceSize", {{"w", Source.Width}, {"h", Source.Height}}},
                {"pivot", {{"x", Source.PivotX}, {"y", Source.PivotY}}},
                {"duration", Delay}};
    }
    const json::value Sheet{
        {"frames", std::move(Frames)},
        {"meta",
         {{"app", "PELTO in Wonderland"},
          {"version", ProgramVersion},
          {"image", ImageName},
          {"format", Options.Format->Transparent ? "RGBA8888" : "RGB888"},
          {"size", {{"w", Layout.Width}, {"h", Layout.Height}}},
          {"scale", std::to_string(Options.Scale)}, // a string, as Aseprite writes it
          {"frameTags", std::move(Tags)},
          {"layers", {{{"name", "Character"}, {"opacity", 255}, {"blendMode", "normal"}}}},
          {"slices", json::array()}}}};
    return JsonText(Sheet, {TJsonSpacing::Padded, 1, AsepriteBreaks}) + "\n";
}

} // namespace pelto
