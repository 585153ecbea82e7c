#include "model/UCommon.h"

#include "game/wloutils.h"
#include "writers/ItemTableWriter.h"

#include <gtest/gtest.h>

using namespace pelto;

namespace {

TItemInfo Wearable(std::uint16_t Id, std::uint8_t Slot, std::string Name,
                   std::array<std::uint16_t, 4> Sprites = {2001, 3001, 4001, 5001}) {
    TItemInfo Info;
    Info.ItemID = Id;
    Info.Slot = Slot;
    Info.Name = std::move(Name);
    Info.SpriteNo = Sprites;
    return Info;
}

class EquipList : public ::testing::Test {
protected:
    void Load(const std::vector<TItemInfo>& Infos) {
        TItemTableWriter Writer;
        for (const TItemInfo& Info : Infos)
            Writer.Add(Info);
        TMemoryStream Stream(Writer.Build());
        Items.LoadFromStream(Stream);
        List = std::make_unique<TEquipList>(Items);
    }
    std::vector<std::string> Texts(int Group, int Slot) const {
        std::vector<std::string> Result;
        for (const TEquipEntry& Entry : List->GetList(Group, Slot))
            Result.push_back(Entry.Text());
        return Result;
    }

    TWLOItemDataFile Items;
    std::unique_ptr<TEquipList> List;
};

} // namespace

TEST_F(EquipList, StartsEveryListWithNothing) {
    Load({});
    for (int Group = 0; Group < 4; ++Group)
        for (int Slot = 1; Slot <= 6; ++Slot) {
            ASSERT_EQ(Texts(Group, Slot), std::vector<std::string>{"---"});
            EXPECT_EQ(List->GetList(Group, Slot)[0].Item, nullptr);
            EXPECT_EQ(List->FindItem(Group, Slot, 1), nullptr);
        }
}

TEST_F(EquipList, ListsItemsByGroupAndSlotInTableOrder) {
    Load({Wearable(30, 1, "Zed"), Wearable(10, 1, "Amy", {2001, 1000, 0, 1001}),
          Wearable(20, 0, "NotEquipment"), Wearable(21, 7, "Neither"),
          Wearable(22, 2, "Robe", {0, 0, 4005, 0})});
    EXPECT_EQ(Texts(0, 1), (std::vector<std::string>{"---", "[-] Zed", "[-] Amy"}));
    EXPECT_EQ(Texts(1, 1), (std::vector<std::string>{"---", "[-] Zed"})); // 1000 is not wearable
    EXPECT_EQ(Texts(3, 1), (std::vector<std::string>{"---", "[-] Zed", "[-] Amy"}));
    EXPECT_EQ(Texts(2, 2), (std::vector<std::string>{"---", "[-] Robe"}));
    EXPECT_EQ(Texts(0, 2), std::vector<std::string>{"---"});
    EXPECT_EQ(List->GetList(0, 1)[2].Item, Items.Item(2));
}

TEST_F(EquipList, WritesListNumbersAndCutsUnnumberedTexts) {
    TItemInfo Numbered = Wearable(1, 1, "Cap");
    Numbered.ListNumber = 3;
    TItemInfo Long = Wearable(2, 1, "ABCDEFGHIJKLMNOPQRST");
    TItemInfo LongNumbered = Long;
    LongNumbered.ListNumber = 120;
    Load({Numbered, Long, LongNumbered});
    const auto T = Texts(0, 1);
    EXPECT_EQ(T[1], "[3] Cap");
    EXPECT_EQ(T[2], "[-] ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(T[3], "[120] ABCDEFGHIJKLMNOPQRST");
}

TEST_F(EquipList, FindsTheFirstItemWithAnIdentifierInOneList) {
    Load({Wearable(5, 1, "First"), Wearable(5, 1, "Second"), Wearable(6, 2, "Other")});
    EXPECT_EQ(List->FindItem(0, 1, 5), Items.Item(1));
    EXPECT_EQ(List->FindItem(0, 2, 5), nullptr); // the identifier is in another slot's list
    EXPECT_EQ(List->FindItem(0, 2, 6), Items.Item(3));
}
