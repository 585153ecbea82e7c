#pragma once

#include "game/GameFacts.h"

#include "game/wloutils.h"
#include "model/ItemSearch.h"
#include "model/UCommon.h"
#include "sprites/SpriteCache.h"
#include "sprites/wlojmajmp.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

/// The game's data as the program holds it while it runs: the sprite catalogue, the item
/// table, the item icons with their name index, and the equipment catalogue. Loaded in that
/// order by the steps below, which the viewer calls one by one at start-up.
class TGameData {
public:
    /// Folder is the game folder; a trailing delimiter is added when missing.
    explicit TGameData(const std::string& Folder);
    TGameData(const TGameData&) = delete;
    TGameData& operator=(const TGameData&) = delete;

    /// All four steps.
    void LoadAll();
    void ScanSprites();
    void LoadItemTable();
    /// OnDisk: the icons' directory alone, each icon read from the file as it is drawn.
    void LoadItemIcons(bool OnDisk = false);
    /// Needs the item table.
    void BuildEquipList();
    /// Instead of the steps above, the sprite catalogue and the item table read only as far as
    /// drawing asks: see TGameOpening::OnDemand.
    void ScanSpritesOnDemand();
    void OpenItemTableOnDemand();

    const std::string& Folder() const { return FFolder; }
    std::string Path(std::string_view Relative) const { return FFolder + std::string(Relative); }

    const TJmaList& JmaList() const { return FJmaList; }
    const TWLOItemDataFile& Items() const { return FItems; }
    const TWLOGroupImageFile& ItemIcons() const { return *FItemIcons; }
    /// The icon file's bytes as held in memory; empty when its icons are read from the file.
    std::span<const std::uint8_t> HeldItemIcons() const;
    const TWLONameIndex& ItemIconNames() const { return FItemIconNames; }
    /// The characters (indices of CharaData) whose body or head sprite the sprite catalogue
    /// lacks, in order: they are drawn without it, a sign of an incomplete installation.
    std::vector<int> CharasMissingSprites() const;

    /// nullptr until BuildEquipList.
    const TEquipList* EquipList() const { return FEquipList.get(); }
    /// The search over the item table; nullptr until LoadItemTable.
    const TItemSearch* ItemSearch() const { return FItemSearch.get(); }

    /// Shares decoded sprites between the sessions over this game, up to MaxBytes of them: for
    /// a service drawing many characters at once. Without it each session reads its own.
    void UseSpriteCache(std::size_t MaxBytes);
    /// As UseSpriteCache, with every archive and index of the scanned catalogue read now: the
    /// sprites drawn from then on are those of the files as they are now, whatever becomes of
    /// them. Raises the first file that cannot be read.
    void SnapshotSprites(std::size_t MaxBytes);
    /// nullptr until UseSpriteCache.
    const TSpriteCache* SpriteCache() const { return FSpriteCache.get(); }

    /// The BMP file of Item's icon, or empty when the icon file has none for it or cannot give
    /// it: an item without a readable icon is shown bare.
    std::vector<std::uint8_t> ItemIconBmp(const TWLOItemData& Item) const;

private:
    std::string FFolder;
    TJmaList FJmaList;
    TWLOItemDataFile FItems;
    std::unique_ptr<TWLOItemTableOnDemand> FItemsOnDemand;
    std::unique_ptr<TWLOGroupImageFile> FItemIcons = std::make_unique<TWLOGroupImageFileOnMemory>();
    TWLONameIndex FItemIconNames;
    std::unique_ptr<TEquipList> FEquipList;   // refers to the item table: declared after it
    std::unique_ptr<TItemSearch> FItemSearch; // so does this
    std::unique_ptr<TSpriteCache> FSpriteCache;
};

/// The parts of a game that can fail to load, in the order they load.
enum class TGamePart {
    Sprites,   // the sprite catalogue could not be scanned
    Archives,  // some sprite archives are damaged: the others serve
    ItemTable, // without it nothing can be dressed
    ItemIcons,
};

/// What failed while a game opened, told to TGameOpening::OnDamage.
struct TGameDamage {
    const TGameData& Game;
    TGamePart Part;
    /// Each archive's failure, or the one failure of another part.
    std::span<const std::exception* const> Errors;
};

/// What OpenGame loads, and what it does when a part is damaged.
struct TGameOpening {
    bool Sprites = true;
    /// The item table and the equipment catalogue built from it.
    bool ItemTable = true;
    /// The biggest file of all, which only what shows items needs.
    bool ItemIcons = false;
    /// The item icons read from their file as they are drawn, not held: for a page, whose
    /// files cannot change under it and whose memory is small.
    bool ItemIconsOnDisk = false;
    /// Bytes of decoded sprites shared between sessions (see UseSpriteCache); 0: none.
    std::size_t SpriteCacheBytes = 0;
    /// Only what is drawn read, for a command that draws the characters it is given: sprite
    /// archives' directories in scan order until one holds the sprite asked for, the item table
    /// mapped and a record decoded when a code names it. The equipment catalogue then finds
    /// items but lists none, there is no item search, and a damaged archive is raised by the
    /// lookup that reaches it. Not with a sprite cache.
    bool OnDemand = false;
    /// With a sprite cache: every archive read now, so that the sprites drawn stay those of the
    /// files as they are now (see SnapshotSprites).
    bool SnapshotSprites = false;
    /// Empty: the first failure raises, naming its file. A script must not take a picture
    /// drawn without some sprites for a good one. Set: each damaged part is told once and the
    /// rest loads, as far as it can without it: an item table that cannot be read ends the
    /// opening, without a game.
    std::function<void(const TGameDamage&)> OnDamage{};
};

/// The game of Folder, loaded as Opening asks; nullptr only when OnDamage was told that the
/// item table is unreadable.
std::unique_ptr<TGameData> OpenGame(const std::string& Folder, const TGameOpening& Opening);

} // namespace pelto
