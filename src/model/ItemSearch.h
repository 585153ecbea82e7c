#pragma once

#include "model/UCommon.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

struct TWLOItemData;

/// Text as the item search compares it (UTF-8 in and out): Unicode NFKC with case folding,
/// then katakana as hiragana, so that "ＲＥＤ", "Red", "ﾚｯﾄﾞ", "レッド" and "れっど" become
/// one of two forms, "red" or "れっど".
std::string SearchFold(std::string_view Utf8);

/// The summed bonus of status type Type an item gives (its stored values less 100), 0 when
/// it has none of that type.
std::int32_t ItemBonus(const TWLOItemData& Item, std::uint16_t Type);

/// The bonuses of an item as the status box labels them, e.g. "ATK+5 DEF-2"; empty for none.
std::string BonusText(const TWLOItemData& Item);

/// A condition on a bonus, written LABEL OP NUMBER: "atk>=5", "hp<0", "mdef=3", "def!=0".
/// Labels are those of the status box (WloStatusTypes), "射撃対抗力" also without "(%)".
struct TBonusCondition {
    enum class TOp : std::uint8_t { Less, LessEqual, Equal, NotEqual, GreaterEqual, Greater };
    std::uint16_t Type = 0;
    TOp Op = TOp::Equal;
    std::int32_t Value = 0;

    bool Holds(const TWLOItemData& Item) const;
};

/// A search text taken apart: it is folded, then split at white space (the ideographic space
/// too) into terms. "#1234" asks for item identifier 1234, "[12]" for list number 12 as the
/// lists show it ("[-]" for none), a bonus condition for a bonus, and any other term for a
/// substring of the folded name or of the folded description. An item matches when every
/// term holds; an empty query matches every item.
struct TItemQuery {
    std::vector<std::string> Terms;
    std::vector<std::uint16_t> IDs;
    std::vector<std::uint8_t> ListNumbers; // 0: the item has none
    std::vector<TBonusCondition> Bonuses;

    static TItemQuery Parse(std::string_view Utf8);
    /// The same text for every query that finds the same items by the same terms, whatever
    /// their spacing, order or repetition: a cache's key.
    std::string Key() const;
    bool Empty() const {
        return Terms.empty() && IDs.empty() && ListNumbers.empty() && Bonuses.empty();
    }
};

/// Finds the items of one item table by a query. The folded texts of all records are made
/// once, on the first search (or BuildIndex), and then shared: searches may run in parallel.
class TItemSearch {
public:
    /// The records of the table, which must outlive the search.
    explicit TItemSearch(std::span<const TWLOItemData> Items);
    TItemSearch(const TItemSearch&) = delete;
    TItemSearch& operator=(const TItemSearch&) = delete;

    void BuildIndex() const;
    /// Item must be a record of the table.
    bool Matches(const TItemQuery& Query, const TWLOItemData& Item) const;
    /// The positions in List of the entries that match, in the list's order. Entry 0 ("---")
    /// stands for no item: it is never among them.
    std::vector<int> Filter(const std::vector<TEquipEntry>& List, const TItemQuery& Query) const;
    /// The positions in List a picker shows for Query: every one for an empty query, else
    /// entry 0 ("---"), so that the slot can still be emptied, then those Filter finds.
    std::vector<int> Shown(const std::vector<TEquipEntry>& List, const TItemQuery& Query) const;
    /// The records after the header record 0 that match, in table order.
    std::vector<const TWLOItemData*> FilterTable(const TItemQuery& Query) const;

private:
    std::string_view Folded(std::size_t Index) const;

    std::span<const TWLOItemData> FItems;
    mutable std::once_flag FBuilt;
    // The folded "name\ndescription" of each record, one after another: a term never holds
    // white space, so it cannot match across the two.
    mutable std::string FTexts;
    mutable std::vector<std::uint32_t> FStarts; // record i is FTexts[FStarts[i], FStarts[i + 1])
};

/// Where a picker showing the list positions Shown (see TItemSearch::Shown) puts its cursor:
/// on Picked, the position last picked, when it is shown, else on the first item found, else
/// on the first cell.
int PickerCursor(std::span<const int> Shown, int Picked);

} // namespace pelto
