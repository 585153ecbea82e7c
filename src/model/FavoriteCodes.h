#pragma once

#include "model/Settings.h"

#include <span>
#include <string>
#include <vector>

namespace pelto {

class TGameData;

/// A favourite as a page keeps it: its place in the settings file (1..FavoriteCount), its
/// name and the code of its character.
struct TFavoriteCode {
    int Place = 0;
    std::string Name;
    std::string Code;
    friend bool operator==(const TFavoriteCode&, const TFavoriteCode&) = default;
};

/// The favourites of a settings file as codes over a game.
struct TFavoriteCodes {
    std::vector<TFavoriteCode> Favorites; // in place order
    std::vector<int> Damaged;             // places in use whose favourite cannot be loaded
};

/// Every favourite in use of Settings, as the window would load it over Game.
TFavoriteCodes FavoriteCodesOf(const TPeltoSettings& Settings, const TGameData& Game);

/// Settings with each of Favorites in its place, as the window would save it. A place outside
/// 1..FavoriteCount or given twice raises EWloError; what is no code or names no
/// character, EInvalidCode.
TPeltoSettings WithFavoriteCodes(TPeltoSettings Settings, std::span<const TFavoriteCode> Favorites,
                                 const TGameData& Game);

} // namespace pelto
