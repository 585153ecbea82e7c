#pragma once

#include "model/ItemSearch.h"
#include "platform/Bitmap.h"

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

/// Item's icon as a 32-bit bitmap whose pure green (0, 255, 0) pixels, the game's mark for
/// transparency, have alpha 0 and all others 255. Empty when the icon file has none for the
/// item; raises EWloError("Invalid bitmap.") when its bitmap is damaged.
std::optional<TBitmap> ItemIconBitmap(const TGameData& Game, const TWLOItemData& Item);
/// ItemIconBitmap, empty for a damaged icon too: for what shows many icons at once, where one
/// damaged icon is left bare rather than failing the rest.
std::optional<TBitmap> ReadableItemIcon(const TGameData& Game, const TWLOItemData& Item);

/// The bonuses of Items summed per bonus type, one UTF-8 line per type whose sum is not 0, in the
/// types' order: the label right-aligned in four characters, then the signed sum ("  HP+25").
std::vector<std::string> BonusLines(std::span<const TWLOItemData* const> Items);

/// What a tooltip says of Item, UTF-8 lines joined by '\n': the name, the description when
/// there is one, the bonuses when there are any (see BonusText), and "#" with the identifier.
std::string ItemTipText(const TWLOItemData& Item);

} // namespace pelto
