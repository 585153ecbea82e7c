#include "model/UCommon.h"

#include "game/wloutils.h"
#include "platform/Format.h"

#include <algorithm>
#include <span>

namespace pelto {
namespace {

constexpr std::size_t UnnumberedTextMax = 24;

} // namespace

std::string EquipEntryText(const TWLOItemData& Item) {
    const std::string Name(Item.Name());
    if (Item.ListNumber() == 0)
        return ("[-] " + Name).substr(0, UnnumberedTextMax);
    return Format("[%d] ", Item.ListNumber()) + Name;
}

bool TEquipList::Listed(const TWLOItemData& Item, int Group, int Slot) {
    return Item.Slot() == Slot && Item.SpriteNo(Group) > 1000;
}

TEquipList::TEquipList(const TWLOItemTableOnDemand* OnDemand) : FOnDemand(OnDemand) {
    for (auto& Group : FLists)
        for (auto& List : Group)
            List.push_back({nullptr});
}

TEquipList::TEquipList(const TWLOItemDataFile& ItemFile) : TEquipList(nullptr) {
    // The header record goes through the same tests as the items, as the game's lists do.
    for (const TWLOItemData& Item : ItemFile.Items()) {
        const int Slot = Item.Slot();
        if (Slot < 1 || Slot > SlotCount)
            continue;
        for (int Group = 0; Group < BodyGroupCount; ++Group)
            if (Listed(Item, Group, Slot))
                FLists[static_cast<std::size_t>(Group)][static_cast<std::size_t>(Slot - 1)]
                    .push_back({&Item});
    }
    IndexLists();
}

TEquipList::TEquipList(const TWLOItemTableOnDemand& ItemTable) : TEquipList(&ItemTable) {}

const TWLOItemData* TEquipList::FindItem(int Group, int Slot, std::uint16_t ID) const {
    if (FOnDemand) {
        assert(Group >= 0 && Group < BodyGroupCount && Slot >= 1 && Slot <= SlotCount);
        return FOnDemand->FindFirst(
            ID, [&](const TWLOItemData& Item) { return Listed(Item, Group, Slot); });
    }
    const auto& Ids = FIds[static_cast<std::size_t>(Group)][static_cast<std::size_t>(Slot - 1)];
    const auto Found =
        std::lower_bound(Ids.begin(), Ids.end(), ID,
                         [](const TIdAt& Entry, std::uint16_t Id) { return Entry.Id < Id; });
    return Found != Ids.end() && Found->Id == ID ? GetList(Group, Slot)[Found->At].Item : nullptr;
}

void TEquipList::IndexLists() {
    for (std::size_t Group = 0; Group < FLists.size(); ++Group)
        for (std::size_t Slot = 0; Slot < SlotCount; ++Slot) {
            const auto& List = FLists[Group][Slot];
            auto& Ids = FIds[Group][Slot];
            for (std::size_t I = 1; I < List.size(); ++I)
                Ids.push_back({List[I].Item->ItemID(), static_cast<std::uint32_t>(I)});
            // Stable: of an identifier listed twice, the first stays first.
            std::stable_sort(Ids.begin(), Ids.end(),
                             [](const TIdAt& A, const TIdAt& B) { return A.Id < B.Id; });
        }
}

} // namespace pelto
