#include "model/GameData.h"

#include "platform/Paths.h"

namespace pelto {

TGameData::TGameData(const std::string& Folder) : FFolder(IncludeTrailingPathDelimiter(Folder)) {}

void TGameData::LoadAll() {
    ScanSprites();
    LoadItemTable();
    LoadItemIcons();
    BuildEquipList();
}

void TGameData::ScanSprites() {
    FJmaList.Scan(Path(JmaFolderName), "*.jma");
}

void TGameData::LoadItemTable() {
    FEquipList.reset();
    FItems.LoadFromFile(Path(ItemTableFileName));
}

void TGameData::LoadItemIcons() {
    FItemIcons.LoadFromFile(Path(ItemIconFileName));
    FItemIconNames.Build(FItemIcons);
}

void TGameData::BuildEquipList() {
    FEquipList = std::make_unique<TEquipList>(FItems);
}

} // namespace pelto
