#include "export/SheetExport.h"

#include "codecs/AnimationEncoders.h"
#include "export/PictureCode.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/Version.h"

#include <algorithm>

namespace pelto {

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
    return Format("m%d-d%d-f%d", Action.Motion, Action.Direction, Frame);
}

/// A number as JSON writes it, without a needless fraction.
std::string JsonNumber(double Value) {
    return Format("%.9g", Value);
}

} // namespace

std::string SheetJson(const TExportOptions& Options, const TSheetLayout& Layout,
                      std::string_view ImageName) {
    const TFramePlacement& Cell = Layout.Placement;
    const TFrameSource Source = FrameSourceOf(Options, Cell);
    const int Delay = Options.Delay.value_or(DefaultExportDelay);
    std::string Json = "{ \"frames\": {";
    std::string Tags;
    int Index = 0;
    for (std::size_t R = 0; R < Layout.Actions.size(); ++R) {
        const TScopeAction& Action = Layout.Actions[R];
        if (Action.Frames > 0)
            Tags += Format("%s\n   { \"name\": \"m%d-d%d\", \"from\": %d, \"to\": %d, "
                           "\"direction\": \"forward\", \"color\": \"#000000ff\" }",
                           Tags.empty() ? "" : ",", Action.Motion, Action.Direction, Index,
                           Index + Action.Frames - 1);
        for (int F = 1; F <= Action.Frames; ++F, ++Index) {
            Json += Index == 0 ? "\n" : ",\n";
            Json += "  " + JsonString(FrameName(Options, Action, F, Index)) + ": {\n";
            Json += Format("   \"frame\": { \"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d },\n",
                           (F - 1) * Cell.Width, static_cast<int>(R) * Cell.Height, Cell.Width,
                           Cell.Height);
            Json += Format("   \"rotated\": false,\n   \"trimmed\": %s,\n",
                           Source.Trimmed ? "true" : "false");
            Json +=
                Format("   \"spriteSourceSize\": { \"x\": %d, \"y\": %d, \"w\": %d, \"h\": %d "
                       "},\n",
                       Source.Sprite.X, Source.Sprite.Y, Source.Sprite.Width, Source.Sprite.Height);
            Json += Format("   \"sourceSize\": { \"w\": %d, \"h\": %d },\n", Source.Width,
                           Source.Height);
            Json += "   \"pivot\": { \"x\": " + JsonNumber(Source.PivotX) +
                    ", \"y\": " + JsonNumber(Source.PivotY) + " },\n";
            Json += Format("   \"duration\": %d\n  }", Delay);
        }
    }
    Json += "\n },\n \"meta\": {\n  \"app\": \"PELTO in Wonderland\",\n";
    Json += "  \"version\": " + JsonString(ProgramVersion) + ",\n";
    Json += "  \"image\": " + JsonString(ImageName) + ",\n";
    Json += Format("  \"format\": \"%s\",\n  \"size\": { \"w\": %d, \"h\": %d },\n  \"scale\": "
                   "\"%d\",\n",
                   Options.Format->Transparent ? "RGBA8888" : "RGB888", Layout.Width, Layout.Height,
                   Options.Scale);
    Json += "  \"frameTags\": [" + Tags +
            "\n  ],\n  \"layers\": [\n   { \"name\": \"Character\", "
            "\"opacity\": 255, \"blendMode\": \"normal\" }\n  ],\n  \"slices\": [\n  ]\n }\n}\n";
    return Json;
}

} // namespace pelto
