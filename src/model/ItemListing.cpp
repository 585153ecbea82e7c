#include "model/ItemListing.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/BmpDecoder.h"
#include "platform/Errors.h"
#include "platform/Json.h"
#include "platform/ShiftJis.h"

#include <array>
#include <cassert>
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

std::vector<int> MatchingItems(const TGameData& Game, const TItemQuery& Query,
                               std::optional<TListChoice> List) {
    const TItemSearch& Search = *Game.ItemSearch();
    const TWLOItemData* First = Game.Items().Items().data();
    std::vector<int> Indices;
    if (List) {
        assert(Game.EquipList() && "the equipment catalogue is built first");
        const auto& Entries = Game.EquipList()->GetList(List->Group, List->Slot);
        for (const int Position : Search.Filter(Entries, Query))
            Indices.push_back(
                static_cast<int>(Entries[static_cast<std::size_t>(Position)].Item - First));
    } else {
        for (const TWLOItemData* Item : Search.FilterTable(Query))
            Indices.push_back(static_cast<int>(Item - First));
    }
    return Indices;
}

std::optional<TBitmap> ItemIconBitmap(const TGameData& Game, const TWLOItemData& Item) {
    const std::vector<std::uint8_t> Bmp = Game.ItemIconBmp(Item);
    if (Bmp.empty())
        return std::nullopt;
    TBitmap Icon = DecodeBmp(Bmp);
    for (int Y = 0; Y < Icon.Height(); ++Y) {
        std::uint8_t* Pixel = Icon.ScanLine(Y); // blue, green, red, alpha
        for (int X = 0; X < Icon.Width(); ++X, Pixel += 4)
            if (Pixel[0] == 0 && Pixel[1] == 255 && Pixel[2] == 0)
                Pixel[3] = 0;
    }
    return Icon;
}

std::optional<TBitmap> ReadableItemIcon(const TGameData& Game, const TWLOItemData& Item) {
    try {
        return ItemIconBitmap(Game, Item);
    } catch (const EWloError&) {
        return std::nullopt;
    }
}

std::string ItemTipText(const TWLOItemData& Item) {
    std::string Text = SjisToUtf8(Item.Name());
    if (!Item.Text().empty())
        Text += "\n" + SjisToUtf8(Item.Text());
    if (const std::string Bonuses = BonusText(Item); !Bonuses.empty())
        Text += "\n" + Bonuses;
    return Text + "\n#" + std::to_string(Item.ItemID());
}

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
