#include "support/DiffGames.h"

#include "codecs/ImageEncoders.h"
#include "platform/Bitmap.h"
#include "platform/Stream.h"
#include "support/SpriteFolder.h"
#include "writers/GroupImageWriter.h"
#include "writers/ItemTableWriter.h"
#include "writers/JmaWriter.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace pelto::test {
namespace {

using namespace diff_items;

TItemInfo Item(std::uint16_t Id, const char* Name, std::uint8_t Slot, std::uint16_t Sprite) {
    TItemInfo Info;
    Info.Kind = 3;
    Info.ItemID = Id;
    Info.IconNo = Id;
    Info.SpriteNo = {Sprite, 0, 0, 0};
    Info.Slot = Slot;
    Info.Name = Name;
    return Info;
}

std::vector<std::uint8_t> IconBmp(std::uint16_t Id) {
    TBitmap Icon(32, 32, TPixelFormat::pf24bit);
    Icon.Fill(RGBColor(static_cast<std::uint8_t>(Id * 37), 90, 200));
    TMemoryStream Bmp;
    SaveBmpToStream(Icon, Bmp);
    const auto Bytes = Bmp.Memory();
    return {Bytes.begin(), Bytes.end()};
}

void WriteGame(const std::string& Root, bool New) {
    std::filesystem::create_directories(Root + "jma");
    std::filesystem::create_directories(Root + "data");
    std::filesystem::create_directories(Root + "pic");
    const auto Counts = StandardFrameCounts();

    WriteJmaFiles(Root + "jma/chara01.jma",
                  std::vector{BlockSprite("2000.jmp", 50, 40, 40, 48, 60, Counts),
                              BlockSprite("2100.jmp", 40, 48, 20, 32, 24, Counts)});
    std::vector<TJmaWriterSprite> Items1{BlockSprite("1101.jmp", 100, 48, 14, 32, 10, Counts),
                                         BlockSprite("1102.jmp", 101, 46, 10, 36, 12, Counts),
                                         BlockSprite("1201.jmp", 110, 42, 60, 44, 30, Counts),
                                         BlockSprite("1202.jmp", 111, 44, 56, 40, 8, Counts)};
    if (New) {
        std::reverse(Items1.begin(), Items1.end());
        for (TJmaWriterSprite& Sprite : Items1) {
            Sprite.KeepFrameOrder = true;
            std::reverse(Sprite.Frames.begin(), Sprite.Frames.end());
            for (TJmaWriterFrame& Frame : Sprite.Frames)
                Frame.PadByte = 77; // never drawn
        }
    }
    WriteJmaFiles(Root + "jma/items1.jma", Items1);
    WriteJmaFiles(Root + "jma/items2.jma",
                  std::vector{BlockSprite("1301.jmp", 120, 30, 70, 10, 10, Counts),
                              BlockSprite("1501.jmp", New ? 131 : 130, 44, 110, 40, 12, Counts),
                              BlockSprite("1601.jmp", 140, 84, 50, 8, 40, Counts)});

    TItemTableWriter Table;
    std::vector<TItemInfo> Items{
        Item(Cap, "Cap", 1, 1101), Item(Hat, New ? "Top Hat" : "Hat", 1, 1102),
        Item(Coat, "Coat", 2, 1201), Item(Scarf, "Scarf", 2, 1202), Item(Boots, "Boots", 5, 1501)};
    Items[2].StatType = {210, 0};
    Items[2].StatValue = {New ? 107 : 105, 100};
    if (New)
        Items[3].ColorWords[0] = 666444444;
    if (!New)
        Items.push_back(Item(Ring, "Ring", 3, 1301));
    const TItemInfo Glove = Item(diff_items::Glove, "Glove", 3, 1301);
    const TItemInfo Mitt = Item(diff_items::Mitt, "Mitt", 3, 1301);
    if (New) {
        Items.push_back(Mitt);
        Items.push_back(Glove);
        Items.push_back(Item(Wand, HostileName, 6, 1601));
    } else {
        Items.push_back(Glove);
        Items.push_back(Mitt);
    }
    // Goods: neither worn nor listed.
    const auto Goods = [](std::uint16_t Id, const char* Name) {
        TItemInfo Info = Item(Id, Name, 0, 0);
        Info.Kind = 1;
        return Info;
    };
    Items.push_back(Goods(Potion, "Potion"));
    Items.push_back(Goods(Gem, "Gem"));
    Items.push_back(Goods(Potion, New ? "Hi-Potion" : "Potion"));
    if (New)
        Items.push_back(Goods(Potion, "Potion"));
    else
        Items.push_back(Goods(Gem, "Gem"));
    std::vector<TGroupImageItem> Icons;
    for (const TItemInfo& Info : Items) {
        Table.Add(Info);
        if (Info.ItemID != Potion && Info.ItemID != Gem)
            Icons.push_back({std::to_string(Info.IconNo) + ".bmp", IconBmp(Info.IconNo)});
    }
    Icons.push_back({std::to_string(Potion) + ".bmp", IconBmp(Potion)});
    Icons.push_back({std::to_string(Gem) + ".bmp", IconBmp(Gem)});
    Table.WriteToFile(Root + "data/Item.Dat");
    WriteGroupImageFile(Root + "pic/item.BMg", Icons);
}

} // namespace

void WriteDiffGames(const std::string& Folder) {
    WriteGame(Folder + "old/", false);
    WriteGame(Folder + "new/", true);
}

} // namespace pelto::test
