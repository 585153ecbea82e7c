#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelto {

class TGameData;
struct TGameDiff;
struct TWLOItemData;

/// Item worn alone by character Chara over Game, as `render --format png --scale 2` draws it:
/// default colour levels, motion 0, facing the viewer, carrying the character's code. Empty
/// when Item is no equipment.
std::vector<std::uint8_t> WornItemPng(const TGameData& Game, const TWLOItemData& Item, int Chara);

/// The characters an item is drawn on in a report: Chara alone when given (if its group can
/// wear the item in either game), else the first character of each body group that can.
std::vector<int> PictureCharas(const TWLOItemData* Old, const TWLOItemData* New,
                               std::optional<int> Chara);

/// Writes the report of Diff into Folder (created with its parents): index.html, a page of
/// every change without script or style sheet of its own, and beside it the folder pictures/
/// with the PNGs it shows, referred to by relative paths, so that the folder moves whole.
/// Items added, removed or drawn otherwise get pictures before and after; text changes none.
void WriteDiffHtml(const TGameDiff& Diff, const TGameData& Old, const TGameData& New,
                   const std::string& Folder, std::optional<int> Chara);

} // namespace pelto
