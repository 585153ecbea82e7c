#include "requests/ItemJson.h"

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
    std::array<unsigned, 4> Sprites{};
    for (int G = 0; G < 4; ++G)
        Sprites[G] = Item.SpriteNo(G);
    std::array<unsigned long, 16> Colors{};
    for (int W = 0; W < 16; ++W)
        Colors[W] = Item.ColorWord(W);
    return {{"index", Index},
            {"kind", unsigned{Item.Kind()}},
            {"id", Item.ItemID()},
            {"icon", Item.IconNo()},
            {"sprite", json::value_from(Sprites)},
            {"stat_type", {unsigned{Item.StatType(0)}, unsigned{Item.StatType(1)}}},
            {"stat_value", {long{Item.StatValue(0)}, long{Item.StatValue(1)}}},
            {"slot", unsigned{Item.Slot()}},
            {"colors", json::value_from(Colors)},
            {"list_number", unsigned{Item.ListNumber()}},
            {"name", SjisToUtf8(Item.Name())},
            {"text", SjisToUtf8(Item.Text())}};
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
