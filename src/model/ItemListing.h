#pragma once

#include "model/ItemSearch.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pelto {

class TGameData;
struct TWLOItemData;

/// One equipment list: body group 0..3, slot 1..6.
struct TListChoice {
    int Group;
    int Slot;
};

/// The table indices of the items Query finds: in table order, or those of List in its order
/// (which needs the game's equipment catalogue).
std::vector<int> MatchingItems(const TGameData& Game, const TItemQuery& Query,
                               std::optional<TListChoice> List);

/// Record Index of the item table as one JSON object: every field it holds, texts in UTF-8.
std::string ItemJson(int Index, const TWLOItemData& Item);
/// The records Indices of the table as a JSON array, one record a line.
std::string ItemsJson(const TGameData& Game, std::span<const int> Indices);

} // namespace pelto
