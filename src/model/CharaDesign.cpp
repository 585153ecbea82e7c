#include "model/CharaDesign.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/Format.h"
#include "platform/ShiftJis.h"
#include "sprites/wlojmajmp.h"

#include <cstddef>
#include <random>
#include <vector>

namespace pelto {
namespace {

bool IsChara(int Chara) {
    return Chara >= 0 && Chara < CharaCount;
}

int GroupOf(int Chara) {
    return CharaData[static_cast<std::size_t>(Chara)].BodyGroup;
}

std::string_view NameOf(int Chara) {
    return CharaData[static_cast<std::size_t>(Chara)].Name;
}

std::uint16_t& PartOf(TCharaDesign& Design, int Slot) {
    return Design.Parts[static_cast<std::size_t>(Slot - 1)];
}

bool Wearable(const TGameData& Game, int Group, int Slot, std::uint16_t Id) {
    return Id != 0 && Game.EquipList()->FindItem(Group, Slot, Id) != nullptr;
}

void NeedsChara(const TCharaDesign& Design) {
    if (!IsChara(Design.Chara))
        throw EDesignRefused("no character is chosen");
}

void CheckSlot(int Slot) {
    if (Slot < 1 || Slot > SlotCount)
        throw EDesignRefused(Format("no slot %d", Slot));
}

void CheckPosition(int Position) {
    if (Position < 0 || Position >= ColorPositionCount)
        throw EDesignRefused(Format("no colour position %d", Position));
}

void CheckLevel(int Level) {
    if (Level < 0 || Level > MaxLevel)
        throw EDesignRefused(Format("no colour level %d", Level));
}

/// The first record of the table with identifier Id.
const TWLOItemData* ItemOfTable(const TGameData& Game, long Id) {
    for (const TWLOItemData& Item : Game.Items().Items())
        if (Item.ItemID() == Id)
            return &Item;
    return nullptr;
}

/// "Claymore [7]": the item as the lists number it, "[-]" when they do not.
std::string ItemTitle(const TWLOItemData& Item) {
    const std::string Name = SjisToUtf8(Item.Name());
    return Item.ListNumber() == 0 ? Name + " [-]"
                                  : Format("%s [%d]", Name.c_str(), Item.ListNumber());
}

/// Below(N) is uniform in 0..N-1 by the engine's raw numbers alone: the standard fixes
/// mt19937_64's sequence but not what its distributions make of it.
class TRandomNumbers {
public:
    explicit TRandomNumbers(std::uint64_t Seed) : FEngine(Seed) {}

    std::size_t Below(std::size_t N) {
        const auto Range = static_cast<std::uint64_t>(N);
        // Values under 2^64 mod N would make the low results likelier: drawn again.
        const std::uint64_t Threshold = (0 - Range) % Range;
        while (true) {
            const std::uint64_t Value = FEngine();
            if (Value >= Threshold)
                return static_cast<std::size_t>(Value % Range);
        }
    }

private:
    std::mt19937_64 FEngine;
};

/// The characters whose group can wear every locked item of Design.
std::vector<int> CharasKeeping(const TCharaDesign& Design, const TGameData& Game,
                               const TOutfitLocks& Locks) {
    std::vector<int> Charas;
    for (int Chara = 0; Chara < CharaCount; ++Chara) {
        bool Keeps = true;
        for (int Slot = 1; Slot <= SlotCount && Keeps; ++Slot)
            if (Locks.Slot(Slot) && Design.Part(Slot) != 0)
                Keeps = Wearable(Game, GroupOf(Chara), Slot, Design.Part(Slot));
        if (Keeps)
            Charas.push_back(Chara);
    }
    return Charas;
}

} // namespace

TCharaDesign WornDesign(const TCharaDesign& Design, const TGameData& Game) {
    if (!IsChara(Design.Chara))
        return {};
    TCharaDesign Worn = Design;
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        if (!Wearable(Game, GroupOf(Design.Chara), Slot, Design.Part(Slot)))
            PartOf(Worn, Slot) = 0;
    for (auto& Levels : Worn.Color)
        for (std::uint8_t& Level : Levels)
            if (Level > MaxLevel)
                Level = NeutralLevel;
    return Worn;
}

TCharaDesign WithChara(const TCharaDesign& Design, int Chara) {
    if (!IsChara(Chara))
        throw EDesignRefused(Format("no character %d", Chara));
    if (Chara == Design.Chara)
        return Design;
    TCharaDesign New;
    New.Chara = Chara;
    if (ItemsCarryOver(Design.Chara, Chara))
        New.Parts = Design.Parts;
    return New;
}

TCharaDesign WithItem(const TCharaDesign& Design, const TGameData& Game, int Slot, long Id) {
    NeedsChara(Design);
    CheckSlot(Slot);
    const TWLOItemData* Item = Id > 0 ? ItemOfTable(Game, Id) : nullptr;
    if (!Item)
        throw EDesignRefused(Format("no item %ld", Id));
    const auto Identifier = static_cast<std::uint16_t>(Id);
    if (!Wearable(Game, GroupOf(Design.Chara), Slot, Identifier))
        throw EDesignRefused(Format("%.*s cannot wear %s in slot %d",
                                    static_cast<int>(NameOf(Design.Chara).size()),
                                    NameOf(Design.Chara).data(), ItemTitle(*Item).c_str(), Slot));
    TCharaDesign New = Design;
    PartOf(New, Slot) = Identifier;
    return New;
}

TCharaDesign WithoutItem(const TCharaDesign& Design, int Slot) {
    NeedsChara(Design);
    CheckSlot(Slot);
    TCharaDesign New = Design;
    PartOf(New, Slot) = 0;
    return New;
}

TCharaDesign WithLevel(const TCharaDesign& Design, int Position, int Channel, int Level) {
    NeedsChara(Design);
    CheckPosition(Position);
    if (Channel < 0 || Channel >= ColorChannelCount)
        throw EDesignRefused(Format("no colour channel %d", Channel));
    CheckLevel(Level);
    TCharaDesign New = Design;
    New.Color[static_cast<std::size_t>(Position)][static_cast<std::size_t>(Channel)] =
        static_cast<std::uint8_t>(Level);
    return New;
}

TCharaDesign WithLevels(const TCharaDesign& Design, int Position, const TPositionLevels& Levels) {
    NeedsChara(Design);
    CheckPosition(Position);
    for (const std::uint8_t Level : Levels)
        CheckLevel(Level);
    TCharaDesign New = Design;
    New.Color[static_cast<std::size_t>(Position)] = Levels;
    return New;
}

std::vector<TCharaDesign> SwatchDesigns(const TCharaDesign& Design, const TSwatchChoice& Choice) {
    if (Choice.Down == Choice.Across)
        throw EDesignRefused("A swatch grid needs two different colour channels.");
    std::vector<TCharaDesign> Cells;
    Cells.reserve(static_cast<std::size_t>(Choice.Columns() * Choice.Rows()));
    for (int Row = 0; Row < Choice.Rows(); ++Row) {
        const TCharaDesign RowDesign =
            Choice.Down ? WithLevel(Design, Choice.Position, *Choice.Down, Row) : Design;
        for (int Column = 0; Column < Choice.Columns(); ++Column)
            Cells.push_back(WithLevel(RowDesign, Choice.Position, Choice.Across, Column));
    }
    return Cells;
}

TCharaDesign WithNeutralColors(const TCharaDesign& Design) {
    NeedsChara(Design);
    TCharaDesign New = Design;
    New.Color = NeutralColors;
    return New;
}

TCharaDesign RandomDesign(const TCharaDesign& Design, const TGameData& Game,
                          const TRandomOptions& Options) {
    // The order of the draws is part of what a seed gives: character, slots 1..6, then
    // positions 0..3 red, green, blue.
    TRandomNumbers Random(Options.Seed);
    const TOutfitLocks& Locks = Options.Locks;
    TCharaDesign New = Design;
    if (Options.Chara || !IsChara(Design.Chara)) {
        const std::vector<int> Charas = CharasKeeping(Design, Game, Locks);
        if (Charas.empty())
            throw EDesignRefused("no character can wear the locked items");
        New.Chara = Charas[Random.Below(Charas.size())];
    }
    const int Group = GroupOf(New.Chara);
    const bool Items = Options.Vary != TRandomVary::Colors;
    for (int Slot = 1; Slot <= SlotCount; ++Slot) {
        if (Locks.Slot(Slot))
            continue;
        std::uint16_t& Part = PartOf(New, Slot);
        if (!Items) {
            if (!Wearable(Game, Group, Slot, Part))
                Part = 0;
            continue;
        }
        const auto& List = Game.EquipList()->GetList(Group, Slot);
        const std::size_t First = Options.AllowEmpty ? 0 : 1;
        if (List.size() <= First) {
            Part = 0;
            continue;
        }
        const TWLOItemData* Item = List[First + Random.Below(List.size() - First)].Item;
        Part = Item ? Item->ItemID() : 0;
    }
    if (Options.Vary != TRandomVary::Items)
        for (int Position = 0; Position < ColorPositionCount; ++Position)
            if (!Locks.Position(Position))
                for (std::uint8_t& Level : New.Color[static_cast<std::size_t>(Position)])
                    Level = static_cast<std::uint8_t>(Random.Below(MaxLevel + 1));
    return New;
}

} // namespace pelto
