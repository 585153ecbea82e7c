#include "requests/IconAtlas.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "model/ItemListing.h"
#include "model/ItemSearch.h"
#include "model/UCommon.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/ShiftJis.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace pelto {
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
    std::string Json = Format("{\"group\": %d, \"slot\": %d, \"image\": %s, \"cell\": %d, "
                              "\"width\": %d, \"height\": %d, \"items\": [",
                              List.Group, List.Slot, JsonString(ImagePath).c_str(), AtlasCellSide,
                              AtlasColumns * AtlasCellSide, Rows(Items.size()) * AtlasCellSide);
    for (std::size_t Cell = 0; Cell < Items.size(); ++Cell) {
        const TWLOItemData& Item = *Items[Cell].Item;
        const TWLOItemData* const One[] = {&Item};
        std::string Lines;
        for (const std::string& Line : BonusLines(One))
            Lines += (Lines.empty() ? "" : ", ") + JsonString(Line);
        std::string Bonus;
        for (const TWloStatusType& Status : WloStatusTypes)
            if (const std::int32_t Value = ItemBonus(Item, Status.Type))
                Bonus += Format("%s%s: %d", Bonus.empty() ? "" : ", ",
                                JsonString(Status.Label).c_str(), Value);
        Json += Format("%s\n{\"id\": %u, \"label\": %s, \"name\": %s, \"text\": %s, "
                       "\"bonuses\": [%s], \"bonus\": {%s}, \"x\": %d, \"y\": %d}",
                       Cell ? "," : "", unsigned{Item.ItemID()},
                       JsonString(SjisToUtf8(EquipEntryText(Item))).c_str(),
                       JsonString(SjisToUtf8(Item.Name())).c_str(),
                       JsonString(SjisToUtf8(Item.Text())).c_str(), Lines.c_str(), Bonus.c_str(),
                       static_cast<int>(Cell % AtlasColumns) * AtlasCellSide,
                       static_cast<int>(Cell / AtlasColumns) * AtlasCellSide);
    }
    return Json + "]}\n";
}

} // namespace pelto
