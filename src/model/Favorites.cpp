#include "model/Favorites.h"

#include "sprites/wlojmajmp.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <utility>

namespace pelto {
namespace {

TFavoriteItem& At(TPeltoSettings& Settings, int Place) {
    return Settings.Favorites[static_cast<std::size_t>(Place - 1)];
}

// A place left unused must lose its section, or the next start would find it again.
void MarkEmptied(TPeltoSettings& Settings, int Place) {
    if (!At(Settings, Place).Used)
        Settings.EmptiedPlaces.set(static_cast<std::size_t>(Place - 1));
}

} // namespace

std::optional<TFavoriteDamage> FavoriteDamage(const TFavoriteItem& Favorite) {
    if (!Favorite.Used)
        return std::nullopt;
    // -1 is what reading gives for a missing or unreadable value; no save writes it.
    if (Favorite.Chara == -1)
        return TFavoriteDamage{TFavoriteDamage::TKind::NoCharacter, Favorite.Chara};
    if (Favorite.Chara < 0 || Favorite.Chara >= static_cast<int>(CharaData.size()))
        return TFavoriteDamage{TFavoriteDamage::TKind::UnknownCharacter, Favorite.Chara};
    return std::nullopt;
}

std::string DefaultFavoriteName(int Place) {
    return "Save" + std::to_string(Place);
}

TPeltoSettings WithFavorite(TPeltoSettings Settings, int Place, TFavoriteItem Favorite) {
    Favorite.Used = true;
    At(Settings, Place) = std::move(Favorite);
    return Settings;
}

TPeltoSettings WithFavoriteRenamed(TPeltoSettings Settings, int Place, std::string Name) {
    At(Settings, Place).Name = Name.empty() ? DefaultFavoriteName(Place) : std::move(Name);
    return Settings;
}

TPeltoSettings WithoutFavorite(TPeltoSettings Settings, int Place) {
    At(Settings, Place) = TFavoriteItem();
    MarkEmptied(Settings, Place);
    return Settings;
}

TPeltoSettings WithFavoritesSwapped(TPeltoSettings Settings, int Place, int Other) {
    std::swap(At(Settings, Place), At(Settings, Other));
    MarkEmptied(Settings, Place);
    MarkEmptied(Settings, Other);
    return Settings;
}

} // namespace pelto
