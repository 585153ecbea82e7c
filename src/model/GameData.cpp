#include "model/GameData.h"

#include "platform/Format.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "sprites/SpriteFiles.h"

#include <array>
#include <cassert>
#include <exception>
#include <span>

namespace pelto {

TGameData::TGameData(const std::string& Folder) : FFolder(IncludeTrailingPathDelimiter(Folder)) {}

void TGameData::UseSpriteCache(std::size_t MaxBytes) {
    FSpriteCache = std::make_unique<TSpriteCache>(MaxBytes);
}

void TGameData::SnapshotSprites(std::size_t MaxBytes) {
    FSpriteCache =
        std::make_unique<TSpriteCache>(MaxBytes, std::make_shared<const TSpriteFiles>(FJmaList));
}

void TGameData::LoadAll() {
    ScanSprites();
    LoadItemTable();
    LoadItemIcons();
    BuildEquipList();
}

void TGameData::ScanSprites() {
    FJmaList.Scan(Path(JmaFolderName), "*.jma");
}

void TGameData::ScanSpritesOnDemand() {
    FJmaList.ScanOnDemand(Path(JmaFolderName), "*.jma");
}

void TGameData::OpenItemTableOnDemand() {
    FEquipList.reset();
    FItemSearch.reset();
    auto Table = std::make_unique<TWLOItemTableOnDemand>();
    Table->Open(Path(ItemTableFileName));
    FEquipList = std::make_unique<TEquipList>(*Table);
    FItemsOnDemand = std::move(Table);
}

void TGameData::LoadItemTable() {
    FEquipList.reset();
    FItemSearch.reset();
    FItems.LoadFromFile(Path(ItemTableFileName));
    FItemSearch = std::make_unique<TItemSearch>(FItems.Items());
}

void TGameData::LoadItemIcons(bool OnDisk) {
    std::unique_ptr<TWLOGroupImageFile> Icons;
    if (OnDisk)
        Icons = std::make_unique<TWLOGroupImageFile>();
    else
        Icons = std::make_unique<TWLOGroupImageFileOnMemory>();
    Icons->LoadFromFile(Path(ItemIconFileName));
    FItemIconNames.Build(*Icons);
    FItemIcons = std::move(Icons);
}

std::span<const std::uint8_t> TGameData::HeldItemIcons() const {
    const auto* Held = dynamic_cast<const TWLOGroupImageFileOnMemory*>(FItemIcons.get());
    return Held ? Held->Data() : std::span<const std::uint8_t>();
}

void TGameData::BuildEquipList() {
    FEquipList = std::make_unique<TEquipList>(FItems);
}

std::vector<int> TGameData::CharasMissingSprites() const {
    const auto Lacks = [this](int SpriteNo) {
        return FJmaList.GetJmaPath(JmpFileName(SpriteNo)).empty();
    };
    std::vector<int> Charas;
    for (int Chara = 0; Chara < static_cast<int>(CharaData.size()); ++Chara)
        if (Lacks(BodySpriteNo(Chara)) || Lacks(HeadSpriteNo(Chara)))
            Charas.push_back(Chara);
    return Charas;
}

std::vector<std::uint8_t> TGameData::ItemIconBmp(const TWLOItemData& Item) const {
    const int Index = FItemIconNames.IndexOf(Format("%d.bmp", Item.IconNo()));
    if (Index < 0)
        return {};
    TMemoryStream Stream;
    try {
        FItemIcons->ExtractToStream(Index, Stream);
    } catch (const std::exception&) {
        // Icons are drawn while painting: an error here would come back with every repaint.
        return {};
    }
    const auto Bytes = Stream.Memory();
    return {Bytes.begin(), Bytes.end()};
}

namespace {

/// Runs Load; a failure raises without OnDamage, else it is told and false returned.
template <typename TLoad>
bool LoadPart(const TGameData& Game, TGamePart Part, const TGameOpening& Opening, TLoad Load) {
    if (!Opening.OnDamage) {
        Load();
        return true;
    }
    try {
        Load();
        return true;
    } catch (const std::exception& Error) {
        const std::exception* const One[] = {&Error};
        Opening.OnDamage({Game, Part, One});
        return false;
    }
}

} // namespace

std::unique_ptr<TGameData> OpenGame(const std::string& Folder, const TGameOpening& Opening) {
    auto Game = std::make_unique<TGameData>(Folder);
    if (Opening.OnDemand) {
        assert(Opening.SpriteCacheBytes == 0 && "a sprite cache reads the archives whole");
        if (Opening.Sprites)
            LoadPart(*Game, TGamePart::Sprites, Opening, [&] { Game->ScanSpritesOnDemand(); });
        if (Opening.ItemTable &&
            !LoadPart(*Game, TGamePart::ItemTable, Opening, [&] { Game->OpenItemTableOnDemand(); }))
            return nullptr;
        if (Opening.ItemIcons)
            LoadPart(*Game, TGamePart::ItemIcons, Opening,
                     [&] { Game->LoadItemIcons(Opening.ItemIconsOnDisk); });
        return Game;
    }
    if (Opening.Sprites) {
        LoadPart(*Game, TGamePart::Sprites, Opening, [&] { Game->ScanSprites(); });
        const std::vector<EWloError>& Failures = Game->JmaList().Failures();
        if (!Failures.empty()) {
            if (!Opening.OnDamage)
                throw Failures.front();
            std::vector<const std::exception*> Errors;
            for (const EWloError& Failure : Failures)
                Errors.push_back(&Failure);
            Opening.OnDamage({*Game, TGamePart::Archives, Errors});
        }
    }
    if (Opening.ItemTable &&
        !LoadPart(*Game, TGamePart::ItemTable, Opening, [&] { Game->LoadItemTable(); }))
        return nullptr;
    if (Opening.ItemIcons)
        LoadPart(*Game, TGamePart::ItemIcons, Opening,
                 [&] { Game->LoadItemIcons(Opening.ItemIconsOnDisk); });
    if (Opening.ItemTable)
        Game->BuildEquipList();
    if (Opening.SpriteCacheBytes > 0 && Opening.SnapshotSprites)
        LoadPart(*Game, TGamePart::Sprites, Opening,
                 [&] { Game->SnapshotSprites(Opening.SpriteCacheBytes); });
    else if (Opening.SpriteCacheBytes > 0)
        Game->UseSpriteCache(Opening.SpriteCacheBytes);
    return Game;
}

} // namespace pelto
