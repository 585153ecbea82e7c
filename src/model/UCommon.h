#pragma once

#include "model/CharaDesign.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelto {

class TWLOItemDataFile;
class TWLOItemTableOnDemand;
struct TWLOItemData;

/// The text of an item in the equipment lists: "[n] name", or "[-] name" cut to 24 bytes
/// when the item has no list number.
std::string EquipEntryText(const TWLOItemData& Item);

/// One line of an equipment list: the item it stands for, nullptr for "---" (nothing).
struct TEquipEntry {
    const TWLOItemData* Item;

    /// Shift-JIS. Made when asked for: the lists hold tens of thousands of lines, of which
    /// the user sees one name at a time.
    std::string Text() const { return Item ? EquipEntryText(*Item) : std::string("---"); }
};

/// The lists from which equipment is picked: one per body group and slot, each starting with
/// "---" (nothing) and then every item that group can wear in that slot, in item-table order.
/// The records belong to the item table, which must outlive the catalogue.
class TEquipList {
public:
    explicit TEquipList(const TWLOItemDataFile& ItemFile);
    /// A catalogue that finds items in a table read on demand, for a command that draws the
    /// items it is given: it lists none, each list holding "---" alone.
    explicit TEquipList(const TWLOItemTableOnDemand& ItemTable);
    TEquipList(const TEquipList&) = delete;
    TEquipList& operator=(const TEquipList&) = delete;

    /// Group 0..3 and Slot 1..6; not validated (debug builds assert them).
    const std::vector<TEquipEntry>& GetList(int Group, int Slot) const {
        assert(Group >= 0 && Group < BodyGroupCount && Slot >= 1 && Slot <= SlotCount);
        return FLists[static_cast<std::size_t>(Group)][static_cast<std::size_t>(Slot - 1)];
    }
    /// The first item of the list with identifier ID, or nullptr. Entry 0 is never examined.
    const TWLOItemData* FindItem(int Group, int Slot, std::uint16_t ID) const;

private:
    /// Every list holding "---" alone.
    explicit TEquipList(const TWLOItemTableOnDemand* OnDemand);
    /// Whether Item belongs to the list of Group and Slot.
    static bool Listed(const TWLOItemData& Item, int Group, int Slot);

    /// Each list's identifiers, sorted, with where each first stands: every drawing looks its
    /// items up, and a list holds thousands.
    struct TIdAt {
        std::uint16_t Id;
        std::uint32_t At;
    };
    void IndexLists();

    std::array<std::array<std::vector<TEquipEntry>, SlotCount>, BodyGroupCount> FLists;
    std::array<std::array<std::vector<TIdAt>, SlotCount>, BodyGroupCount> FIds;
    const TWLOItemTableOnDemand* FOnDemand = nullptr;
};

/// One saved character.
struct TFavoriteItem : TCharaDesign {
    bool Used = false;
    std::string Name;
    friend bool operator==(const TFavoriteItem&, const TFavoriteItem&) = default;
};

} // namespace pelto
