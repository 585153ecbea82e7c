#include "export/SheetExport.h"

#include "codecs/AnimationEncoders.h"
#include "export/PictureCode.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/Version.h"

#include <boost/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>

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
    Layout.Padding = Options.Padding;
    Layout.Extrude = Options.Extrude;
    Layout.Width = Layout.Padding + Layout.Columns * Layout.PitchX();
    Layout.Height = Layout.Padding + static_cast<int>(Layout.Actions.size()) * Layout.PitchY();
    return Layout;
}

namespace {

/// Repeats the edge pixels of the Width x Height box at X, Y of Band Extrude times outwards.
void ExtrudeEdges(TBitmap& Band, int X, int Y, int Width, int Height, int Extrude) {
    if (Extrude == 0)
        return;
    for (int Row = Y; Row < Y + Height; ++Row) {
        auto* Pixels = reinterpret_cast<std::uint32_t*>(Band.ScanLine(Row));
        std::fill_n(Pixels + X - Extrude, Extrude, Pixels[X]);
        std::fill_n(Pixels + X + Width, Extrude, Pixels[X + Width - 1]);
    }
    const auto Bytes = static_cast<std::size_t>(Width + 2 * Extrude) * 4;
    const auto At = static_cast<std::size_t>(X - Extrude) * 4;
    for (int E = 1; E <= Extrude; ++E) {
        std::memcpy(Band.ScanLine(Y - E) + At, Band.ScanLine(Y) + At, Bytes);
        std::memcpy(Band.ScanLine(Y + Height - 1 + E) + At, Band.ScanLine(Y + Height - 1) + At,
                    Bytes);
    }
}

} // namespace

void WriteSheetPng(const TDrawChara& Chara, const TExportOptions& Options,
                   const TSheetLayout& Layout, TStream& Stream, TProgressCounter& Counter) {
    const bool Transparent = Options.Format->Transparent;
    const int CellWidth = Layout.Placement.Width;
    const int CellHeight = Layout.Placement.Height;
    TPngRowWriter Writer(Stream, Layout.Width, Layout.Height, Transparent);
    if (!Options.Code.empty())
        Writer.WriteText(PictureCodeKeyword, Options.Code);
    // One row of cells with its extruded edges, and the padding below it.
    TBitmap Band(Layout.Width, Layout.PitchY(), TPixelFormat::pf32bit);
    const std::uint32_t Fill = Transparent ? 0 : OpaquePixel(Chara.BackColor());
    const auto Clear = [&] {
        for (int Y = 0; Y < Band.Height(); ++Y)
            std::fill_n(reinterpret_cast<std::uint32_t*>(Band.ScanLine(Y)), Layout.Width, Fill);
    };
    Clear();
    for (int Y = 0; Y < Layout.Padding; ++Y)
        Writer.WriteRow(Band.ScanLine(0));
    for (const TScopeAction& Action : Layout.Actions) {
        Clear();
        for (int F = 1; F <= Action.Frames; ++F) {
            TBitmap Frame = DrawCovered(Chara, {Action.Motion, Action.Direction, F});
            if (!Transparent)
                PutBehind(Frame, Chara.BackColor());
            const int X = Layout.FrameX(F - 1);
            PlaceFrame(Frame, Layout.Placement, Band, X, Layout.Extrude);
            ExtrudeEdges(Band, X, Layout.Extrude, CellWidth, CellHeight, Layout.Extrude);
            Counter.Step();
        }
        for (int Y = 0; Y < Band.Height(); ++Y)
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
                {"frame", Box({Layout.FrameX(F - 1), Layout.FrameY(static_cast<int>(R)), Cell.Width,
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
