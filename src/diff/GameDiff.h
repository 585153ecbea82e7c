#pragma once

#include "diff/SpriteDiff.h"
#include "model/UCommon.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class TGameData;

/// One item of either game, named by its identifier. Occurrence counts the earlier records
/// with the same identifier (0 for the first), so that a table holding one twice still pairs
/// its records. Indices are those of the item tables, -1 where the game lacks the item.
struct TDiffItem {
    std::uint16_t Id = 0;
    int Occurrence = 0;
    int OldIndex = -1;
    int NewIndex = -1;
    std::string Name; // UTF-8, the new game's where it has the item
};

/// One field of an item, named and written as `items --json` gives it.
struct TFieldChange {
    std::string_view Field;
    std::string Old; // JSON
    std::string New;
};

struct TItemChange : TDiffItem {
    std::vector<TFieldChange> Fields;
    /// A changed field alters how the item is drawn (sprite, colours, slot).
    bool Redrawn() const;
};

/// An item whose sprite numbers stayed while its sprites were redrawn, added or removed.
struct TLookChange : TDiffItem {
    std::vector<int> Groups;          // the body groups that see it
    std::vector<std::string> Sprites; // their sprites, in group order
};

/// An item whose place in an equipment list moved among the items of both games: the places
/// that only follow from items added or removed before it are not moves.
struct TListMove {
    int Group = 0;
    int Slot = 0;
    std::uint16_t Id = 0;
    std::string Name;
    int From = 0; // the list's lines, 0 being "---"
    int To = 0;
};

/// A character code or favourite to check against the change.
struct TNamedDesign {
    std::string Label; // "line 3", "favourite 2 Lucky"
    std::string Code;  // the code, normalised where it could be made
    TCharaDesign Design;
};

/// What the change does to one code or favourite.
struct TDesignTouch {
    struct TPart {
        int Slot = 0;
        std::uint16_t Id = 0;
        std::string Name;
        std::string How; // "removed", "changed name, text", "look redrawn"...
    };
    std::string Label;
    std::string Code;
    std::vector<TPart> Parts;
    std::vector<std::string> Sprites; // the character's own body or head sprites changed
    bool PictureChanges = false;
};

struct TGameDiff {
    std::vector<TDiffItem> Added; // in identifier order, each of them
    std::vector<TDiffItem> Removed;
    std::vector<TItemChange> Changed;
    std::vector<TLookChange> Looks;
    TSpriteDiff Sprites;
    std::vector<TListMove> Moves; // by group, slot and new place
    std::vector<TDesignTouch> Codes;
    std::vector<TDesignTouch> Favorites;
};

/// The game of Folder as a comparison needs it: item table, catalogue and every archive read
/// now; the item icons too with Icons. Raises the first damaged file's error.
std::unique_ptr<TGameData> OpenGameForDiff(const std::string& Folder, bool Icons);

/// What changed from Old to New, both opened by OpenGameForDiff; no codes or favourites.
TGameDiff CompareGames(const TGameData& Old, const TGameData& New);

/// The designs the change Diff between Old and New touches, in the order given.
std::vector<TDesignTouch> TouchedDesigns(const TGameDiff& Diff, const TGameData& Old,
                                         const TGameData& New,
                                         std::span<const TNamedDesign> Designs);

/// The codes of Text, one a line, blank lines passed over, labelled "line N". Raises
/// EInvalidCode's message with the line for one that is not a code.
std::vector<TNamedDesign> CodesOfText(std::string_view Text);
/// The favourites in use of the settings file File, labelled "favourite N NAME".
std::vector<TNamedDesign> FavoritesOfSettings(const std::string& File);

} // namespace pelto
