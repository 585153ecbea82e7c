#pragma once

#include "game/GameFacts.h"
#include "platform/Errors.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class TGameData;

inline constexpr int ColorPositionCount = 4;
inline constexpr int ColorChannelCount = 3; // red, green, blue
inline constexpr std::uint8_t NeutralLevel = 4;
inline constexpr std::uint8_t MaxLevel = 9;
using TColorLevels = std::array<std::array<std::uint8_t, ColorChannelCount>, ColorPositionCount>;
using TPositionLevels = std::array<std::uint8_t, ColorChannelCount>;
inline constexpr TColorLevels NeutralColors{{{4, 4, 4}, {4, 4, 4}, {4, 4, 4}, {4, 4, 4}}};
/// What each colour position recolours, position p at ColorPositionNames[p].
inline constexpr std::array<std::string_view, ColorPositionCount> ColorPositionNames{
    "head", "body", "body and body item", "body and special item"};

/// What a character code and a favourite both hold: the character, its items by identifier
/// and its colour levels. Values come from outside (a pasted code, the settings file) and
/// may lie out of range; whoever applies one ignores those.
struct TCharaDesign {
    std::int32_t Chara = -1;
    std::array<std::uint16_t, SlotCount> Parts{}; // slot s at Parts[s - 1]; 0 = empty
    TColorLevels Color = NeutralColors;

    std::uint16_t Part(int Slot) const { return Parts[static_cast<std::size_t>(Slot - 1)]; }
    friend bool operator==(const TCharaDesign&, const TCharaDesign&) = default;
};

/// Design as a session over Game puts it on: none of the 15 characters gives the empty design,
/// an identifier the character's group cannot wear in its slot an empty slot, and a level above
/// 9 the neutral level.
TCharaDesign WornDesign(const TCharaDesign& Design, const TGameData& Game);

/// An edit that cannot be made as asked; the design stays as it was. The message says why.
class EDesignRefused : public EWloError {
public:
    explicit EDesignRefused(const std::string& Message) : EWloError(Message, TFault::Asker) {}
};

// The edits: each takes a worn design (see WornDesign) and gives the new one, or raises
// EDesignRefused. Every edit but the choice of a character needs one chosen.

/// The classic change of character: within the body group the items stay, to another group
/// they all go; the colours go back to neutral. The character already shown changes nothing.
TCharaDesign WithChara(const TCharaDesign& Design, int Chara);
/// Item Id in Slot, refused when the table has no such item or the character's group cannot
/// wear it there.
TCharaDesign WithItem(const TCharaDesign& Design, const TGameData& Game, int Slot, long Id);
TCharaDesign WithoutItem(const TCharaDesign& Design, int Slot);
/// Level 0..9 of Channel 0..2 of Position 0..3.
TCharaDesign WithLevel(const TCharaDesign& Design, int Position, int Channel, int Level);
TCharaDesign WithLevels(const TCharaDesign& Design, int Position, const TPositionLevels& Levels);
TCharaDesign WithNeutralColors(const TCharaDesign& Design);

/// The levels a swatch view compares at one colour position: each level of Across, side by
/// side, and with Down each of its levels a row below the last.
struct TSwatchChoice {
    int Position = 0;
    int Across = 0;
    std::optional<int> Down;

    int Columns() const { return MaxLevel + 1; }
    int Rows() const { return Down ? MaxLevel + 1 : 1; }
};
/// Design at each cell of Choice, row by row; cell (column c, row r) has level c of Across and
/// level r of Down. Refused as WithLevel refuses, and for Down equal to Across.
std::vector<TCharaDesign> SwatchDesigns(const TCharaDesign& Design, const TSwatchChoice& Choice);

/// The slots and colour positions a random outfit leaves as they are.
struct TOutfitLocks {
    std::array<bool, SlotCount> Slots{};              // slot s at Slots[s - 1]
    std::array<bool, ColorPositionCount> Positions{}; // position p at Positions[p]

    bool Slot(int S) const { return Slots[static_cast<std::size_t>(S - 1)]; }
    bool Position(int P) const { return Positions[static_cast<std::size_t>(P)]; }
    friend bool operator==(const TOutfitLocks&, const TOutfitLocks&) = default;
};

enum class TRandomVary { Items, Colors, All };

struct TRandomOptions {
    std::uint64_t Seed = 0;
    TOutfitLocks Locks{};
    TRandomVary Vary = TRandomVary::All;
    /// The character too, among those whose group can wear the locked items; always when the
    /// design has none.
    bool Chara = false;
    /// Whether "---" (nothing) is among an unlocked slot's choices.
    bool AllowEmpty = false;
};

/// A random outfit: every unlocked slot an item of the group's equipment list for it, every
/// unlocked colour position levels 0..9, as Options vary them. The same seed, options and game
/// give the same design on every machine and build.
TCharaDesign RandomDesign(const TCharaDesign& Design, const TGameData& Game,
                          const TRandomOptions& Options);

} // namespace pelto
