#include "requests/DesignEdits.h"

#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "sprites/wlojmajmp.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>

namespace pelto {
namespace {

constexpr std::string_view PositionPrefix = "color";
// Item identifiers are 16-bit; a longer number is read only to be refused as no item.
constexpr long MaxItemNumber = 999999999;

std::string Name(const TEditDialect& Dialect, std::string_view Parameter) {
    return std::string(Dialect.Prefix) + std::string(Parameter);
}

std::vector<std::string_view> Split(std::string_view Text, char Delimiter) {
    std::vector<std::string_view> Parts;
    while (true) {
        const std::size_t End = Text.find(Delimiter);
        Parts.push_back(Text.substr(0, End));
        if (End == std::string_view::npos)
            return Parts;
        Text.remove_prefix(End + 1);
    }
}

// A number here is digits only: no sign, no blanks.
std::optional<long> Number(std::string_view Text, long Min, long Max) {
    return NumberIn(Text, {Min, Max}, true);
}

std::optional<int> SlotOf(std::string_view Text) {
    for (std::size_t I = 0; I < SlotNames.size(); ++I)
        if (SameText(Text, SlotNames[I]))
            return static_cast<int>(I + 1);
    const auto Slot = Number(Text, 1, SlotCount);
    return Slot ? std::optional<int>(static_cast<int>(*Slot)) : std::nullopt;
}

std::optional<TPositionLevels> LevelsOf(std::string_view Text) {
    const auto Parts = Split(Text, ',');
    if (Parts.size() != ColorChannelCount)
        return std::nullopt;
    TPositionLevels Levels{};
    for (std::size_t I = 0; I < Levels.size(); ++I) {
        const auto Level = Number(Parts[I], 0, MaxLevel);
        if (!Level)
            return std::nullopt;
        Levels[I] = static_cast<std::uint8_t>(*Level);
    }
    return Levels;
}

std::optional<std::uint64_t> SeedOf(std::string_view Text) {
    std::uint64_t Seed = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Seed);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size())
        return std::nullopt;
    return Seed;
}

std::optional<TOutfitLocks> LocksOf(std::string_view Text) {
    TOutfitLocks Locks;
    for (const std::string_view Part : Split(Text, ',')) {
        if (Part.starts_with(PositionPrefix)) {
            const auto Position =
                Number(Part.substr(PositionPrefix.size()), 0, ColorPositionCount - 1);
            if (!Position)
                return std::nullopt;
            Locks.Positions[static_cast<std::size_t>(*Position)] = true;
        } else if (const auto Slot = SlotOf(Part)) {
            Locks.Slots[static_cast<std::size_t>(*Slot - 1)] = true;
        } else {
            return std::nullopt;
        }
    }
    return Locks;
}

std::optional<TRandomVary> VaryOf(std::string_view Text) {
    if (Text == "items")
        return TRandomVary::Items;
    if (Text == "colors")
        return TRandomVary::Colors;
    if (Text == "all")
        return TRandomVary::All;
    return std::nullopt;
}

std::string_view VaryName(TRandomVary Vary) {
    switch (Vary) {
    case TRandomVary::Items:
        return "items";
    case TRandomVary::Colors:
        return "colors";
    case TRandomVary::All:
        break;
    }
    return "all";
}

std::string LocksText(const TOutfitLocks& Locks) {
    std::string Text;
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        if (Locks.Slot(Slot))
            Text += (Text.empty() ? "" : ",") + std::to_string(Slot);
    for (int Position = 0; Position < ColorPositionCount; ++Position)
        if (Locks.Position(Position))
            Text +=
                (Text.empty() ? "" : ",") + std::string(PositionPrefix) + std::to_string(Position);
    return Text;
}

constexpr std::string_view SlotWords = "a slot 1..6 or head, body, hand, arm, shoes, special";

/// The parameters of one request by name, each checked as it is read.
class TEditReader {
public:
    TEditReader(const TEditParams& Params, const TEditDialect& Dialect)
        : FParams(Params), FDialect(Dialect) {
        for (const std::string_view Parameter : EditNames)
            if (static_cast<int>(Params.count(std::string(Parameter))) > MaxRepeats(Parameter))
                throw ERequestError(MaxRepeats(Parameter) == 1
                                        ? Name(Dialect, Parameter) + " is given more than once"
                                        : Format("%s is given more than %d times",
                                                 Name(Dialect, Parameter).c_str(),
                                                 MaxRepeats(Parameter)));
    }

    std::vector<std::string> All(std::string_view Parameter) const {
        std::vector<std::string> Values;
        const auto [First, End] = FParams.equal_range(std::string(Parameter));
        for (auto It = First; It != End; ++It)
            Values.push_back(It->second);
        return Values;
    }

    std::optional<std::string> One(std::string_view Parameter) const {
        const auto Values = All(Parameter);
        return Values.empty() ? std::nullopt : std::optional(Values.front());
    }

    /// Read(Value) of every value of Parameter, refused with What when it gives nothing.
    template <typename TRead>
    auto Each(std::string_view Parameter, std::string_view What, TRead Read) const {
        using TValue = std::remove_cvref_t<decltype(*Read(std::string_view()))>;
        std::vector<std::pair<TValue, std::string>> Values;
        for (const std::string& Value : All(Parameter)) {
            const auto Got = Read(std::string_view(Value));
            if (!Got)
                throw ERequestError(Name(FDialect, Parameter) + " must be " + std::string(What));
            Values.emplace_back(*Got, Value);
        }
        return Values;
    }

private:
    const TEditParams& FParams;
    const TEditDialect& FDialect;
};

struct TSlotItem {
    int Slot;
    long Id;
};

std::optional<TSlotItem> SlotItemOf(std::string_view Text) {
    const std::size_t Colon = Text.find(':');
    if (Colon == std::string_view::npos)
        return std::nullopt;
    const auto Slot = SlotOf(Text.substr(0, Colon));
    const auto Id = Number(Text.substr(Colon + 1), 0, MaxItemNumber);
    if (!Slot || !Id)
        return std::nullopt;
    return TSlotItem{*Slot, *Id};
}

struct TPositionOfLevels {
    int Position;
    TPositionLevels Levels;
};

std::optional<TPositionOfLevels> PositionLevelsOf(std::string_view Text) {
    const std::size_t Colon = Text.find(':');
    if (Colon == std::string_view::npos)
        return std::nullopt;
    const auto Position = Number(Text.substr(0, Colon), 0, ColorPositionCount - 1);
    const auto Levels = LevelsOf(Text.substr(Colon + 1));
    if (!Position || !Levels)
        return std::nullopt;
    return TPositionOfLevels{static_cast<int>(*Position), *Levels};
}

} // namespace

int MaxRepeats(std::string_view Name) {
    if (Name == "wear" || Name == "strip")
        return SlotCount;
    if (Name == "color")
        return ColorPositionCount;
    return 1;
}

bool TDesignEdits::Empty() const {
    return !Chara && !ResetColors && !Random && Strip.empty() && Wear.empty() && Colors.empty();
}

std::string TDesignEdits::Key() const {
    std::string Key;
    const auto Add = [&Key](std::string_view Parameter, const std::string& Value) {
        Key += (Key.empty() ? "" : "&") + std::string(Parameter) + "=" + Value;
    };
    if (Chara)
        Add("chara", std::to_string(*Chara));
    if (ResetColors)
        Add("reset-colors", "1");
    if (Random) {
        Add("random", std::to_string(Random->Seed));
        Add("lock", LocksText(Random->Locks));
        Add("vary", std::string(VaryName(Random->Vary)));
    }
    for (const TSlot& Edit : Strip)
        Add("strip", std::to_string(Edit.Slot));
    for (const TItem& Edit : Wear)
        Add("wear", Format("%d:%ld", Edit.Slot, Edit.Id));
    for (const TLevels& Edit : Colors)
        Add("color",
            Format("%d:%d,%d,%d", Edit.Position, Edit.Levels[0], Edit.Levels[1], Edit.Levels[2]));
    return Key;
}

TDesignEdits ParseDesignEdits(const TEditParams& Params, const TEditDialect& Dialect) {
    const TEditReader Reader(Params, Dialect);
    TDesignEdits Edits;
    for (const auto& [Chara, Given] :
         Reader.Each("chara", Format("a number from 0 to %ld", RangeOf("chara").Max),
                     [](std::string_view Text) { return NumberIn(Text, RangeOf("chara"), true); }))
        Edits.Chara = static_cast<int>(Chara);
    for (const auto& [Reset, Given] :
         Reader.Each("reset-colors", "0 or 1", [](std::string_view Text) {
             // On the command line it is a switch, which comes as an empty value.
             return Text.empty() ? std::optional<long>(1) : NumberIn(Text, SwitchRange, true);
         }))
        Edits.ResetColors = Reset == 1;
    for (const auto& [Seed, Given] :
         Reader.Each("random", "a number from 0 to 18446744073709551615", SeedOf)) {
        Edits.Random = TRandomOptions{.Seed = Seed};
        Edits.RandomGiven = Given;
    }
    for (const std::string_view Parameter : {"lock", "vary"})
        if (Reader.One(Parameter) && !Edits.Random)
            throw ERequestError(Name(Dialect, Parameter) + " goes with " + Name(Dialect, "random"));
    for (const auto& [Locks, Given] :
         Reader.Each("lock",
                     "slots (1..6 or head, body, hand, arm, shoes, special) and colour positions "
                     "(color0..color3), separated by commas",
                     LocksOf))
        Edits.Random->Locks = Locks;
    for (const auto& [Vary, Given] : Reader.Each("vary", "items, colors or all", VaryOf))
        Edits.Random->Vary = Vary;
    for (const auto& [Slot, Given] : Reader.Each("strip", SlotWords, SlotOf))
        Edits.Strip.push_back({Slot, Given});
    for (const auto& [Item, Given] :
         Reader.Each("wear", "SLOT:ID, with " + std::string(SlotWords) + " and ID an item number",
                     SlotItemOf))
        Edits.Wear.push_back({Item.Slot, Item.Id, Given});
    for (const auto& [Levels, Given] :
         Reader.Each("color", "POS:R,G,B, with POS 0..3 and each level 0..9", PositionLevelsOf))
        Edits.Colors.push_back({Levels.Position, Levels.Levels, Given});
    return Edits;
}

TCharaDesign ApplyDesignEdits(const TCharaDesign& Design, const TGameData& Game,
                              const TDesignEdits& Edits, const TEditDialect& Dialect) {
    TCharaDesign New = WornDesign(Design, Game);
    const auto Edit = [&](std::string_view Parameter, const std::string& Given,
                          const std::function<TCharaDesign()>& Make) {
        try {
            New = Make();
        } catch (const EDesignRefused& Refused) {
            throw EDesignRefused(Name(Dialect, Parameter) +
                                 (Given.empty() ? "" : std::string(Dialect.Separator) + Given) +
                                 ": " + Refused.what());
        }
    };
    if (Edits.Chara)
        Edit("chara", std::to_string(*Edits.Chara), [&] { return WithChara(New, *Edits.Chara); });
    if (Edits.ResetColors)
        Edit("reset-colors", "", [&] { return WithNeutralColors(New); });
    if (Edits.Random)
        Edit("random", Edits.RandomGiven, [&] { return RandomDesign(New, Game, *Edits.Random); });
    for (const auto& Strip : Edits.Strip)
        Edit("strip", Strip.Given, [&] { return WithoutItem(New, Strip.Slot); });
    for (const auto& Wear : Edits.Wear)
        Edit("wear", Wear.Given, [&] { return WithItem(New, Game, Wear.Slot, Wear.Id); });
    for (const auto& Color : Edits.Colors)
        Edit("color", Color.Given, [&] { return WithLevels(New, Color.Position, Color.Levels); });
    return New;
}

} // namespace pelto
