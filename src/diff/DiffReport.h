#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace pelto {

struct TGameDiff;
struct TDiffItem;

/// How many changes of each kind, in the order of DiffKindNames.
using TDiffCounts = std::array<std::size_t, 12>;
inline constexpr std::array<std::string_view, 12> DiffKindNames{
    "items added",   "items removed",   "items changed",      "looks changed",
    "sprites added", "sprites removed", "sprites changed",    "list moves",
    "codes touched", "codes redrawn",   "favourites touched", "favourites redrawn"};

TDiffCounts CountChanges(const TGameDiff& Diff);
/// "items added 1, items removed 0, ...": every kind, also those without a change.
std::string SummaryLine(const TGameDiff& Diff);
/// "#1234", or "#1234+1" for the second record of that identifier.
std::string ItemLabel(const TDiffItem& Item);

/// The summary line, then one line a change, kind by kind, each in identifier order.
std::string DiffText(const TGameDiff& Diff);
/// The same as one JSON object, keys sorted at every level, one change a line: the same
/// comparison always gives the same bytes.
std::string DiffJson(const TGameDiff& Diff);

} // namespace pelto
