#include "model/ItemListing.h"

#include "codecs/BmpDecoder.h"
#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/Errors.h"
#include "platform/ShiftJis.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace pelto {
namespace {

constexpr std::size_t StatusLabelWidth = 4;

std::size_t CodePoints(std::string_view Utf8) {
    std::size_t Count = 0;
    for (const char C : Utf8)
        Count += (static_cast<unsigned char>(C) & 0xC0) != 0x80;
    return Count;
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

std::vector<std::string> BonusLines(std::span<const TWLOItemData* const> Items) {
    std::array<std::int32_t, WloStatusTypes.size()> Totals{};
    for (const TWLOItemData* Item : Items) {
        if (!Item)
            continue;
        for (int J = 0; J < 2; ++J)
            for (std::size_t K = 0; K < WloStatusTypes.size(); ++K)
                if (Item->StatType(J) == WloStatusTypes[K].Type)
                    Totals[K] += Item->StatValue(J) - 100;
    }
    std::vector<std::string> Lines;
    for (std::size_t K = 0; K < WloStatusTypes.size(); ++K) {
        if (Totals[K] == 0)
            continue;
        const std::string_view Label = WloStatusTypes[K].Label;
        const std::size_t Width = CodePoints(Label);
        std::string Line(Width < StatusLabelWidth ? StatusLabelWidth - Width : 0, ' ');
        Line += Label;
        Line += (Totals[K] > 0 ? "+" : "") + std::to_string(Totals[K]);
        Lines.push_back(std::move(Line));
    }
    return Lines;
}

std::string ItemTipText(const TWLOItemData& Item) {
    std::string Text = SjisToUtf8(Item.Name());
    if (!Item.Text().empty())
        Text += "\n" + SjisToUtf8(Item.Text());
    if (const std::string Bonuses = BonusText(Item); !Bonuses.empty())
        Text += "\n" + Bonuses;
    return Text + "\n#" + std::to_string(Item.ItemID());
}

} // namespace pelto
