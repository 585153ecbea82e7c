#include "requests/ItemJson.h"

#include "model/ItemJsonFields.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/Json.h"
#include "platform/ShiftJis.h"

#include <boost/json.hpp>

#include <array>

namespace pelto {
namespace json = boost::json;
namespace {

json::object ItemObject(int Index, const TWLOItemData& Item) {
    json::object Object{{"index", Index}};
    for (const TItemJsonField& Field : ItemJsonFields)
        Object[Field.Name] = Field.Value(Item);
    return Object;
}

} // namespace

std::string ItemJson(int Index, const TWLOItemData& Item) {
    return JsonText(ItemObject(Index, Item));
}

std::string ItemsJson(const TGameData& Game, std::span<const int> Indices) {
    json::array Items;
    Items.reserve(Indices.size());
    for (const int I : Indices)
        Items.push_back(ItemObject(I, *Game.Items().Item(I)));
    return JsonText(Items, {TJsonSpacing::Compact, 0, OutermostLines}) + "\n";
}

} // namespace pelto
