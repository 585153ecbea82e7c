#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class TJmaList;
class TSpriteFiles;

/// The sprites of two catalogues compared by what they show: a sprite is changed when its
/// frames, their places, the colours its pixels use or its frame counts differ, not when it
/// was only stored otherwise (another archive, another order, other padding).
struct TSpriteDiff {
    // Names as the catalogue lists them, in name order ignoring case.
    std::vector<std::string> Added;
    std::vector<std::string> Removed;
    std::vector<std::string> Changed;

    /// Name (any case) was added, removed or changed.
    bool Touched(std::string_view Name) const;
    /// Name was changed.
    bool Redrawn(std::string_view Name) const;

private:
    friend TSpriteDiff CompareSprites(const TJmaList&, const TSpriteFiles&, const TJmaList&,
                                      const TSpriteFiles&);
    std::set<std::string> FTouched; // upper-cased
    std::set<std::string> FRedrawn; // upper-cased
};

/// Compares the sprites of two catalogues, each with the files it was scanned from. Sprites
/// whose stored bytes are equal are not decoded; raises the readers' error, naming the
/// archive, for a sprite that differs and cannot be read.
TSpriteDiff CompareSprites(const TJmaList& OldList, const TSpriteFiles& OldFiles,
                           const TJmaList& NewList, const TSpriteFiles& NewFiles);

} // namespace pelto
