#pragma once

#include "model/Settings.h"

#include <optional>
#include <string>

namespace pelto {

/// Why a favourite in use cannot be loaded: the settings file was edited by hand or damaged.
struct TFavoriteDamage {
    enum class TKind {
        NoCharacter,      // its character is missing or not a number
        UnknownCharacter, // Chara names no character of the game
    };
    TKind Kind;
    int Chara;
    friend bool operator==(const TFavoriteDamage&, const TFavoriteDamage&) = default;
};

/// Empty for a favourite that loads, and for an unused place. Items and colour levels out of
/// range never damage one: applying it passes over them, as it does for a code.
std::optional<TFavoriteDamage> FavoriteDamage(const TFavoriteItem& Favorite);

// Edits of the favourites as values: each returns Settings with the change made, for the
// caller to save and only then keep. Places are 1..FavoriteCount; the caller checks them.

/// Favorite, made Used, in place Place.
TPeltoSettings WithFavorite(TPeltoSettings Settings, int Place, TFavoriteItem Favorite);
/// The favourite of Place named Name; an empty name gives the place's own ("Save3").
TPeltoSettings WithFavoriteRenamed(TPeltoSettings Settings, int Place, std::string Name);
/// Place empty; its section goes at the next save.
TPeltoSettings WithoutFavorite(TPeltoSettings Settings, int Place);
/// The favourites of Place and Other trade places, used or not.
TPeltoSettings WithFavoritesSwapped(TPeltoSettings Settings, int Place, int Other);

/// The name a favourite saved without one gets: "Save" and its place.
std::string DefaultFavoriteName(int Place);

} // namespace pelto
