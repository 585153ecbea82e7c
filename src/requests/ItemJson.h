#pragma once

#include <span>
#include <string>

namespace pelto {

class TGameData;
struct TWLOItemData;

/// Record Index of the item table as one JSON object: every field it holds, texts in UTF-8.
std::string ItemJson(int Index, const TWLOItemData& Item);
/// The records Indices of the table as a JSON array, one record a line.
std::string ItemsJson(const TGameData& Game, std::span<const int> Indices);

} // namespace pelto
