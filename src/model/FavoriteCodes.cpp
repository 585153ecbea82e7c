#include "model/FavoriteCodes.h"

#include "model/CharaCode.h"
#include "model/Favorites.h"
#include "model/InvalidCode.h"
#include "platform/Errors.h"
#include "platform/Format.h"

#include <bitset>

namespace pelto {

TFavoriteCodes FavoriteCodesOf(const TPeltoSettings& Settings, const TGameData& Game) {
    TFavoriteCodes Codes;
    for (int Place = 1; Place <= FavoriteCount; ++Place) {
        const TFavoriteItem& Favorite = Settings.Favorites[static_cast<std::size_t>(Place - 1)];
        if (!Favorite.Used)
            continue;
        if (FavoriteDamage(Favorite)) {
            Codes.Damaged.push_back(Place);
            continue;
        }
        const std::string Name = Favorite.Name.empty() ? DefaultFavoriteName(Place) : Favorite.Name;
        Codes.Favorites.push_back({Place, Name, CodeOfDesign(WornDesign(Favorite, Game))});
    }
    return Codes;
}

TPeltoSettings WithFavoriteCodes(TPeltoSettings Settings, std::span<const TFavoriteCode> Favorites,
                                 const TGameData& Game) {
    std::bitset<FavoriteCount> Taken;
    for (const TFavoriteCode& Favorite : Favorites) {
        if (Favorite.Place < 1 || Favorite.Place > FavoriteCount ||
            Taken[static_cast<std::size_t>(Favorite.Place - 1)])
            throw EWloError(
                Format("a favorite's place must be one of 1..%d, each once", FavoriteCount),
                TFault::Usage);
        Taken.set(static_cast<std::size_t>(Favorite.Place - 1));
        TFavoriteItem Item;
        static_cast<TCharaDesign&>(Item) = DesignOfCode(Favorite.Code, Game);
        // Saved without a character, it would be a damaged favourite in the window.
        if (Item.Chara < 0)
            throw EInvalidCode(TInvalidCodeReason::NoCharacter);
        Item.Name = Favorite.Name.empty() ? DefaultFavoriteName(Favorite.Place) : Favorite.Name;
        Settings = WithFavorite(std::move(Settings), Favorite.Place, std::move(Item));
    }
    return Settings;
}

} // namespace pelto
