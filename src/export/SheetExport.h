#pragma once

#include "export/ExportFrames.h"
#include "platform/Stream.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelto {

/// Where a sheet puts its frames: one row of cells an action, frames left to right.
struct TSheetLayout {
    std::vector<TScopeAction> Actions;
    TFramePlacement Placement; // of one cell
    int Columns = 1;
    int Width = 0;
    int Height = 0;
    int Frames = 0;
    int Padding = 0;
    int Extrude = 0;

    /// Where frame Column (from 0) of row Row begins, its extruded edge outside it.
    int FrameX(int Column) const { return Padding + Column * PitchX() + Extrude; }
    int FrameY(int Row) const { return Padding + Row * PitchY() + Extrude; }
    int PitchX() const { return Placement.Width + 2 * Extrude + Padding; }
    int PitchY() const { return Placement.Height + 2 * Extrude + Padding; }
};

/// The frames a sheet of Options holds, and the drawings its crop takes besides (a body
/// crop draws every frame twice): what a progress counter counts.
int SheetDrawings(const std::vector<TScopeAction>& Actions, const TExportOptions& Options);
/// The layout of the sheet of Actions; a body crop draws every frame once, counted.
TSheetLayout LayOutSheet(const TDrawChara& Chara, const TExportOptions& Options,
                         std::vector<TScopeAction> Actions, TProgressCounter& Counter);
/// The sheet's PNG, written a row of cells at a time, each frame counted.
void WriteSheetPng(const TDrawChara& Chara, const TExportOptions& Options,
                   const TSheetLayout& Layout, TStream& Stream, TProgressCounter& Counter);
/// Aseprite's "Hash" JSON of the sheet, ImageName its picture, with a tag per action.
std::string SheetJson(const TExportOptions& Options, const TSheetLayout& Layout,
                      std::string_view ImageName);

} // namespace pelto
