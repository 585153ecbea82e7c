#include "requests/IconAtlas.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "model/ItemListing.h"
#include "model/ItemSearch.h"
#include "model/UCommon.h"
#include "platform/Json.h"
#include "platform/ShiftJis.h"

#include <boost/json.hpp>

#include <algorithm>
#include <cstring>
#include <optional>

namespace pelto {
namespace json = boost::json;
namespace {

/// The entries after "---": those that have cells.
std::span<const TEquipEntry> Entries(const TGameData& Game, TListChoice List) {
    const auto& All = Game.EquipList()->GetList(List.Group, List.Slot);
    return std::span(All).subspan(std::min<std::size_t>(1, All.size()));
}

int Rows(std::size_t Cells) {
    return std::max(1, static_cast<int>((Cells + AtlasColumns - 1) / AtlasColumns));
}

void DrawCentred(const TBitmap& Icon, TBitmap& Atlas, int CellX, int CellY) {
    const int OffsetX = (AtlasCellSide - Icon.Width()) / 2;
    const int OffsetY = (AtlasCellSide - Icon.Height()) / 2;
    const int FromX = std::max(0, -OffsetX);
    const int Width = std::min(Icon.Width() - FromX, AtlasCellSide);
    for (int Y = std::max(0, -OffsetY); Y < Icon.Height() && Y + OffsetY < AtlasCellSide; ++Y)
        std::memcpy(Atlas.ScanLine(CellY + Y + OffsetY) +
                        static_cast<std::size_t>(CellX + std::max(0, OffsetX)) * 4,
                    Icon.ScanLine(Y) + static_cast<std::size_t>(FromX) * 4,
                    static_cast<std::size_t>(Width) * 4);
}

} // namespace

std::size_t IconAtlasWorkBytes(std::size_t Entries) {
    const auto Cells = static_cast<std::size_t>(Rows(Entries)) * AtlasColumns;
    return Cells * AtlasCellSide * AtlasCellSide * 4 * 2;
}

TBitmap IconAtlasBitmap(const TGameData& Game, TListChoice List) {
    const auto Items = Entries(Game, List);
    TBitmap Atlas(AtlasColumns * AtlasCellSide, Rows(Items.size()) * AtlasCellSide,
                  TPixelFormat::pf32bit);
    std::fill(Atlas.ScanLine(0), Atlas.ScanLine(0) + Atlas.Stride() * Atlas.Height(), 0);
    for (std::size_t Cell = 0; Cell < Items.size(); ++Cell)
        if (const auto Icon = ReadableItemIcon(Game, *Items[Cell].Item))
            DrawCentred(*Icon, Atlas, static_cast<int>(Cell % AtlasColumns) * AtlasCellSide,
                        static_cast<int>(Cell / AtlasColumns) * AtlasCellSide);
    return Atlas;
}

std::string IconAtlasJson(const TGameData& Game, TListChoice List, std::string_view ImagePath) {
    const auto Items = Entries(Game, List);
    json::array Records;
    for (std::size_t Cell = 0; Cell < Items.size(); ++Cell) {
        const TWLOItemData& Item = *Items[Cell].Item;
        const TWLOItemData* const One[] = {&Item};
        json::object Bonus;
        for (const TWloStatusType& Status : WloStatusTypes)
            if (const std::int32_t Value = ItemBonus(Item, Status.Type))
                Bonus[Status.Label] = Value;
        Records.push_back({{"id", Item.ItemID()},
                           {"label", SjisToUtf8(EquipEntryText(Item))},
                           {"name", SjisToUtf8(Item.Name())},
                           {"text", SjisToUtf8(Item.Text())},
                           {"bonuses", json::value_from(BonusLines(One))},
                           {"bonus", std::move(Bonus)},
                           {"x", static_cast<int>(Cell % AtlasColumns) * AtlasCellSide},
                           {"y", static_cast<int>(Cell / AtlasColumns) * AtlasCellSide}});
    }
    const json::value Atlas{{"group", List.Group},
                            {"slot", List.Slot},
                            {"image", ImagePath},
                            {"cell", AtlasCellSide},
                            {"width", AtlasColumns * AtlasCellSide},
                            {"height", Rows(Items.size()) * AtlasCellSide},
                            {"items", std::move(Records)}};
    return JsonText(Atlas, {TJsonSpacing::Spaced, 0, OuterRecordLines}) + "\n";
}

} // namespace pelto
