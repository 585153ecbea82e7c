#pragma once

#include "model/CharaDesign.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class TGameData;

/// What a character code holds, as the share page, /code/CODE.json, /design.json and
/// `pelto-cli code --json` tell it.
struct TCodeSummary {
    struct TItem {
        int Slot = 0;
        int Id = 0;
        std::string Name; // UTF-8
        std::vector<std::string> Bonuses;
        bool Icon = false; // the icon file gives a readable icon for it
    };
    int Chara = 0;
    std::string Name;
    int Group = 0;
    std::vector<TItem> Items;               // the worn slots, in slot order
    std::array<int, 12> Colors{};           // position 0 red, green, blue, then position 1 ...
    std::vector<std::string> Status;        // the summed bonuses, as the status box shows them
    std::string Code;                       // normalised
    std::vector<std::array<int, 8>> Frames; // per motion, per direction
};

/// Raises EInvalidCode for what is not a code of a dressed character.
TCodeSummary SummarizeCode(const TGameData& Game, std::string_view Code);
/// The summary as JSON, one writer for every front end.
std::string CodeJson(const TCodeSummary& Summary);
/// CodeJson of the code of Design, which must have a character.
std::string DesignJson(const TGameData& Game, const TCharaDesign& Design);

} // namespace pelto
