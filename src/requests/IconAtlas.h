#pragma once

#include "model/ItemListing.h"
#include "platform/Bitmap.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pelto {

class TGameData;

/// The icons of one equipment list drawn side by side into one picture, so that a page can
/// show a list of hundreds with one request. Cell N holds the icon of entry N + 1 of the list
/// (entry 0, "---", has none): AtlasColumns a row, AtlasCellSide square each.
inline constexpr int AtlasCellSide = 32;
inline constexpr int AtlasColumns = 16;

/// The bytes making the atlas of a list of Entries lines may hold at most: its picture and
/// its encoding.
std::size_t IconAtlasWorkBytes(std::size_t Entries);

/// The 32-bit picture of List's icons, transparent where the game's icons are and where an
/// item has none (or a damaged one); an icon of another size is centred in its cell and cut
/// to it. At least one cell, so that even an empty list gives a picture.
TBitmap IconAtlasBitmap(const TGameData& Game, TListChoice List);

/// What the atlas shows, as JSON: the list's items in its order after "---", each with its
/// identifier, its line as the lists show it, name, description, bonus lines and bonuses by
/// label, and the place of its cell in the picture at ImagePath.
std::string IconAtlasJson(const TGameData& Game, TListChoice List, std::string_view ImagePath);

} // namespace pelto
