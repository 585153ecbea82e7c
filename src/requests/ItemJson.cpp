#include "requests/ItemJson.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/Json.h"
#include "platform/ShiftJis.h"

#include <array>
#include <cstddef>
#include <sstream>

namespace pelto {
namespace {

template <typename T, std::size_t N> std::string JsonArray(const std::array<T, N>& Values) {
    std::string Out = "[";
    for (std::size_t I = 0; I < N; ++I)
        Out += (I ? "," : "") + std::to_string(Values[I]);
    return Out + "]";
}

} // namespace

std::string ItemJson(int Index, const TWLOItemData& Item) {
    std::array<unsigned, 4> Sprites{};
    for (int G = 0; G < 4; ++G)
        Sprites[G] = Item.SpriteNo(G);
    const std::array<unsigned, 2> StatTypes{Item.StatType(0), Item.StatType(1)};
    const std::array<long, 2> StatValues{Item.StatValue(0), Item.StatValue(1)};
    std::array<unsigned long, 16> Colors{};
    for (int W = 0; W < 16; ++W)
        Colors[W] = Item.ColorWord(W);
    std::ostringstream Out;
    Out << "{\"index\":" << Index << ",\"kind\":" << unsigned{Item.Kind()}
        << ",\"id\":" << Item.ItemID() << ",\"icon\":" << Item.IconNo()
        << ",\"sprite\":" << JsonArray(Sprites) << ",\"stat_type\":" << JsonArray(StatTypes)
        << ",\"stat_value\":" << JsonArray(StatValues) << ",\"slot\":" << unsigned{Item.Slot()}
        << ",\"colors\":" << JsonArray(Colors) << ",\"list_number\":" << unsigned{Item.ListNumber()}
        << ",\"name\":" << JsonString(SjisToUtf8(Item.Name()))
        << ",\"text\":" << JsonString(SjisToUtf8(Item.Text())) << "}";
    return Out.str();
}

std::string ItemsJson(const TGameData& Game, std::span<const int> Indices) {
    std::string Out = "[";
    bool First = true;
    for (const int I : Indices) {
        Out += (First ? "\n" : ",\n") + ItemJson(I, *Game.Items().Item(I));
        First = false;
    }
    return Out + "\n]\n";
}

} // namespace pelto
