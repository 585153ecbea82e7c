#pragma once

#include "model/CharaDesign.h"
#include "requests/Parameters.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

/// Edit parameters by name, values of a repeated one in the order given.
using TEditParams = std::multimap<std::string, std::string>;

/// How a front end spells a parameter in its messages: "--wear 3:1234" or "wear=3:1234".
struct TEditDialect {
    std::string_view Prefix;
    std::string_view Separator;
};
inline constexpr TEditDialect CommandLineEdits{"--", " "};
inline constexpr TEditDialect QueryEdits{"", "="};

/// The edits' parameters, in the order they are applied; both front ends name them so.
inline constexpr auto EditNames = ParameterNames<DesignEdit>();
/// How often parameter Name may be given: wear and strip once a slot, color once a position.
int MaxRepeats(std::string_view Name);

/// Edits of a design, applied in a fixed order: the character, reset-colors, random (with its
/// locks and what it varies), strip, wear, then color; repeated ones in the order given.
struct TDesignEdits {
    struct TSlot {
        int Slot;
        std::string Given; // as the asker spelt it, for a refusal
    };
    struct TItem {
        int Slot;
        long Id;
        std::string Given;
    };
    struct TLevels {
        int Position;
        TPositionLevels Levels;
        std::string Given;
    };
    std::optional<int> Chara;
    bool ResetColors = false;
    std::optional<TRandomOptions> Random;
    std::string RandomGiven{};
    std::vector<TSlot> Strip;
    std::vector<TItem> Wear;
    std::vector<TLevels> Colors;

    bool Empty() const;
    /// The edits in their order, each spelt one way, for a cache to key by.
    std::string Key() const;
};

/// Reads the edits of Params, which holds no other names. Raises ERequestError naming the
/// parameter as Dialect spells it for a value it cannot read, a parameter given more often
/// than MaxRepeats, and lock or vary without random.
TDesignEdits ParseDesignEdits(const TEditParams& Params, const TEditDialect& Dialect);

/// Design, worn (see WornDesign), with Edits applied in their order. Raises EDesignRefused for
/// the first edit refused, naming it as Dialect spells it: "--wear 3:1234: Daniel cannot wear
/// Claymore [7] in slot 3".
TCharaDesign ApplyDesignEdits(const TCharaDesign& Design, const TGameData& Game,
                              const TDesignEdits& Edits, const TEditDialect& Dialect);

} // namespace pelto
