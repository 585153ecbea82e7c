#include "model/ItemSearch.h"

#include "game/wloutils.h"
#include "platform/ShiftJis.h"
#include "platform/UnicodeFold.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <numeric>
#include <optional>
#include <system_error>
#include <utility>

namespace pelto {
namespace {

// Katakana U+30A1..U+30F6 become hiragana U+3041..U+3096 in place: both take three bytes.
void KatakanaToHiragana(std::string& Utf8) {
    for (std::size_t I = 0; I + 2 < Utf8.size(); ++I) {
        const auto B0 = static_cast<unsigned char>(Utf8[I]);
        if (B0 != 0xE3)
            continue;
        const auto B1 = static_cast<unsigned char>(Utf8[I + 1]);
        const auto B2 = static_cast<unsigned char>(Utf8[I + 2]);
        const unsigned Code = 0x3000u | ((B1 & 0x3Fu) << 6) | (B2 & 0x3Fu);
        if (Code >= 0x30A1 && Code <= 0x30F6) {
            const unsigned Hiragana = Code - 0x60;
            Utf8[I + 1] = static_cast<char>(0x80 | ((Hiragana >> 6) & 0x3F));
            Utf8[I + 2] = static_cast<char>(0x80 | (Hiragana & 0x3F));
        }
        I += 2;
    }
}

bool IsSpace(char C) {
    return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\v' || C == '\f';
}

// "+12", "-3", "7"; nothing else.
std::optional<std::int32_t> ParseNumber(std::string_view Text) {
    bool Negative = false;
    if (!Text.empty() && (Text.front() == '+' || Text.front() == '-')) {
        Negative = Text.front() == '-';
        Text.remove_prefix(1);
    }
    std::int32_t Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    // from_chars takes a minus of its own: a second sign is no number, and "--2147483648"
    // would overflow when negated.
    if (Text.empty() || Text.front() == '-' || Error != std::errc() ||
        End != Text.data() + Text.size())
        return std::nullopt;
    return Negative ? -Value : Value;
}

std::optional<std::uint16_t> BonusType(std::string_view Label) {
    struct TFoldedLabel {
        std::string Label;
        std::uint16_t Type;
    };
    static const std::vector<TFoldedLabel> Labels = [] {
        std::vector<TFoldedLabel> Folded;
        for (const TWloStatusType& Status : WloStatusTypes) {
            std::string Text = SearchFold(Status.Label);
            Folded.push_back({Text, Status.Type});
            // A label with a unit in brackets is found without it as well.
            if (const std::size_t Bracket = Text.find('('); Bracket != std::string::npos)
                Folded.push_back({Text.substr(0, Bracket), Status.Type});
        }
        return Folded;
    }();
    for (const TFoldedLabel& Known : Labels)
        if (Known.Label == Label)
            return Known.Type;
    return std::nullopt;
}

std::optional<TBonusCondition> ParseBonus(std::string_view Term) {
    using TOp = TBonusCondition::TOp;
    const std::size_t At = Term.find_first_of("<>=!");
    if (At == std::string_view::npos || At == 0)
        return std::nullopt;
    static constexpr std::array<std::pair<std::string_view, TOp>, 7> Ops{{{">=", TOp::GreaterEqual},
                                                                          {"<=", TOp::LessEqual},
                                                                          {"!=", TOp::NotEqual},
                                                                          {"==", TOp::Equal},
                                                                          {">", TOp::Greater},
                                                                          {"<", TOp::Less},
                                                                          {"=", TOp::Equal}}};
    const std::string_view Rest = Term.substr(At);
    for (const auto& [Text, Op] : Ops) {
        if (!Rest.starts_with(Text))
            continue;
        const auto Type = BonusType(Term.substr(0, At));
        const auto Value = ParseNumber(Rest.substr(Text.size()));
        if (!Type || !Value)
            return std::nullopt;
        return TBonusCondition{*Type, Op, *Value};
    }
    return std::nullopt;
}

std::optional<std::uint16_t> ParseID(std::string_view Term) {
    if (Term.size() < 2 || Term.front() != '#')
        return std::nullopt;
    std::uint16_t ID = 0;
    const char* End = Term.data() + Term.size();
    const auto [Stop, Error] = std::from_chars(Term.data() + 1, End, ID);
    if (Error != std::errc() || Stop != End)
        return std::nullopt;
    return ID;
}

// "[12]" as EquipEntryText shows list number 12, "[-]" as it shows none. "[0]" is no list
// number: the lists never show it.
std::optional<std::uint8_t> ParseListNumber(std::string_view Term) {
    if (Term.size() < 3 || Term.front() != '[' || Term.back() != ']')
        return std::nullopt;
    const std::string_view Inside = Term.substr(1, Term.size() - 2);
    if (Inside == "-")
        return std::uint8_t{0};
    if (Inside.front() == '0')
        return std::nullopt;
    std::uint8_t Number = 0;
    const auto [Stop, Error] =
        std::from_chars(Inside.data(), Inside.data() + Inside.size(), Number);
    if (Error != std::errc() || Stop != Inside.data() + Inside.size())
        return std::nullopt;
    return Number;
}

} // namespace

std::string SearchFold(std::string_view Utf8) {
    std::string Folded = FoldForMatching(Utf8);
    KatakanaToHiragana(Folded);
    return Folded;
}

std::int32_t ItemBonus(const TWLOItemData& Item, std::uint16_t Type) {
    std::int32_t Sum = 0;
    for (int I = 0; I < 2; ++I)
        if (Item.StatType(I) == Type)
            Sum += Item.StatValue(I) - 100;
    return Sum;
}

std::string BonusText(const TWLOItemData& Item) {
    std::string Text;
    for (const TWloStatusType& Status : WloStatusTypes) {
        const std::int32_t Bonus = ItemBonus(Item, Status.Type);
        if (Bonus != 0)
            Text += (Text.empty() ? "" : " ") + std::string(Status.Label) + (Bonus > 0 ? "+" : "") +
                    std::to_string(Bonus);
    }
    return Text;
}

bool TBonusCondition::Holds(const TWLOItemData& Item) const {
    const std::int32_t Bonus = ItemBonus(Item, Type);
    switch (Op) {
    case TOp::Less:
        return Bonus < Value;
    case TOp::LessEqual:
        return Bonus <= Value;
    case TOp::Equal:
        return Bonus == Value;
    case TOp::NotEqual:
        return Bonus != Value;
    case TOp::GreaterEqual:
        return Bonus >= Value;
    case TOp::Greater:
        return Bonus > Value;
    }
    return false;
}

TItemQuery TItemQuery::Parse(std::string_view Utf8) {
    TItemQuery Query;
    const std::string Folded = SearchFold(Utf8);
    std::size_t I = 0;
    while (I < Folded.size()) {
        if (IsSpace(Folded[I])) {
            ++I;
            continue;
        }
        std::size_t End = I;
        while (End < Folded.size() && !IsSpace(Folded[End]))
            ++End;
        const std::string_view Term(Folded.data() + I, End - I);
        if (const auto ID = ParseID(Term))
            Query.IDs.push_back(*ID);
        else if (const auto Number = ParseListNumber(Term))
            Query.ListNumbers.push_back(*Number);
        else if (const auto Bonus = ParseBonus(Term))
            Query.Bonuses.push_back(*Bonus);
        else
            Query.Terms.emplace_back(Term);
        I = End;
    }
    return Query;
}

std::string TItemQuery::Key() const {
    // Every term must hold, so their order and repetition do not matter.
    const auto Sorted = [](auto Values) {
        std::sort(Values.begin(), Values.end());
        Values.erase(std::unique(Values.begin(), Values.end()), Values.end());
        return Values;
    };
    std::string Key;
    for (const std::uint16_t ID : Sorted(IDs))
        Key += "#" + std::to_string(ID) + " ";
    for (const std::uint8_t Number : Sorted(ListNumbers))
        Key += "[" + std::to_string(Number) + "] ";
    std::vector<std::string> BonusTexts;
    for (const TBonusCondition& Bonus : Bonuses)
        BonusTexts.push_back(std::to_string(Bonus.Type) + "/" +
                             std::to_string(static_cast<int>(Bonus.Op)) + "/" +
                             std::to_string(Bonus.Value));
    for (const std::string& Bonus : Sorted(BonusTexts))
        Key += "?" + Bonus + " ";
    // A term is free text, so its length goes first: no term can pass for others.
    for (const std::string& Term : Sorted(Terms))
        Key += std::to_string(Term.size()) + ":" + Term + " ";
    return Key;
}

TItemSearch::TItemSearch(std::span<const TWLOItemData> Items) : FItems(Items) {}

void TItemSearch::BuildIndex() const {
    std::call_once(FBuilt, [this] {
        FStarts.reserve(FItems.size() + 1);
        for (const TWLOItemData& Item : FItems) {
            FStarts.push_back(static_cast<std::uint32_t>(FTexts.size()));
            FTexts += SearchFold(SjisToUtf8(Item.Name()));
            FTexts += '\n';
            FTexts += SearchFold(SjisToUtf8(Item.Text()));
        }
        FStarts.push_back(static_cast<std::uint32_t>(FTexts.size()));
    });
}

std::string_view TItemSearch::Folded(std::size_t Index) const {
    return std::string_view(FTexts).substr(FStarts[Index], FStarts[Index + 1] - FStarts[Index]);
}

bool TItemSearch::Matches(const TItemQuery& Query, const TWLOItemData& Item) const {
    assert(&Item >= FItems.data() && &Item < FItems.data() + FItems.size());
    for (const std::uint16_t ID : Query.IDs)
        if (Item.ItemID() != ID)
            return false;
    for (const std::uint8_t Number : Query.ListNumbers)
        if (Item.ListNumber() != Number)
            return false;
    for (const TBonusCondition& Bonus : Query.Bonuses)
        if (!Bonus.Holds(Item))
            return false;
    if (Query.Terms.empty())
        return true;
    BuildIndex();
    const std::string_view Text = Folded(static_cast<std::size_t>(&Item - FItems.data()));
    for (const std::string& Term : Query.Terms)
        if (Text.find(Term) == std::string_view::npos)
            return false;
    return true;
}

std::vector<int> TItemSearch::Filter(const std::vector<TEquipEntry>& List,
                                     const TItemQuery& Query) const {
    std::vector<int> Found;
    for (std::size_t I = 0; I < List.size(); ++I)
        if (List[I].Item && Matches(Query, *List[I].Item))
            Found.push_back(static_cast<int>(I));
    return Found;
}

std::vector<int> TItemSearch::Shown(const std::vector<TEquipEntry>& List,
                                    const TItemQuery& Query) const {
    std::vector<int> Positions;
    if (Query.Empty()) {
        Positions.resize(List.size());
        std::iota(Positions.begin(), Positions.end(), 0);
        return Positions;
    }
    Positions = Filter(List, Query);
    Positions.insert(Positions.begin(), 0);
    return Positions;
}

int PickerCursor(std::span<const int> Shown, int Picked) {
    const auto Found = std::find(Shown.begin(), Shown.end(), Picked);
    if (Found != Shown.end())
        return static_cast<int>(Found - Shown.begin());
    return Shown.size() > 1 ? 1 : 0;
}

std::vector<const TWLOItemData*> TItemSearch::FilterTable(const TItemQuery& Query) const {
    std::vector<const TWLOItemData*> Found;
    for (std::size_t I = 1; I < FItems.size(); ++I)
        if (Matches(Query, FItems[I]))
            Found.push_back(&FItems[I]);
    return Found;
}

} // namespace pelto
