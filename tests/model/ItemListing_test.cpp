#include "model/ItemListing.h"

#include "codecs/BmpDecoder.h"
#include "codecs/ImageEncoders.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/ShiftJis.h"
#include "platform/Stream.h"
#include "requests/CodeSummary.h"
#include "requests/IconAtlas.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "writers/GroupImageWriter.h"
#include "writers/ItemTableWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pelto;

namespace {

std::vector<std::uint8_t> BmpOf(const TBitmap& Bitmap) {
    TMemoryStream Stream;
    SaveBmpToStream(Bitmap, Stream);
    const auto Bytes = Stream.Memory();
    return {Bytes.begin(), Bytes.end()};
}

void SetPixel(TBitmap& Bitmap, int X, int Y, std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    std::uint8_t* Pixel = Bitmap.ScanLine(Y) + X * Bitmap.BytesPerPixel();
    Pixel[0] = B;
    Pixel[1] = G;
    Pixel[2] = R;
}

// The demo installation with an icon file of our own making.
class ItemIcons : public ::testing::Test {
protected:
    void SetUp() override {
        test::LinkTree(test::DemoGame(), Folder);
        Game.LoadItemTable();
    }
    void UseIcons(std::span<const TGroupImageItem> Icons) {
        const std::string Path = Folder + std::string(ItemIconFileName);
        std::filesystem::remove(Path);
        WriteGroupImageFile(Path, Icons);
        Game.LoadItemIcons();
    }

    const TWLOItemData& AnItem() const { return *Game.Items().Item(1); }
    std::string IconName(const TWLOItemData& Item) const { return Format("%d.bmp", Item.IconNo()); }

    test::TTempDir Dir;
    std::string Folder = Dir.Path() + "game/";
    TGameData Game{Folder};
};

} // namespace

TEST(ItemIconBitmap, KeysOutPureGreenInEveryDemoIconAndNothingElse) {
    TGameData Game(test::DemoGame());
    Game.LoadAll();
    int Keyed = 0, Opaque = 0, Icons = 0;
    for (const TWLOItemData& Item : Game.Items().Items().subspan(1)) {
        const auto Icon = ItemIconBitmap(Game, Item);
        if (!Icon)
            continue;
        ++Icons;
        const TBitmap Plain = DecodeBmp(Game.ItemIconBmp(Item));
        ASSERT_EQ(Icon->PixelFormat(), TPixelFormat::pf32bit);
        ASSERT_EQ(Icon->Width(), Plain.Width());
        ASSERT_EQ(Icon->Height(), Plain.Height());
        for (int Y = 0; Y < Icon->Height(); ++Y)
            for (int X = 0; X < Icon->Width(); ++X) {
                const std::uint8_t* Got = Icon->ScanLine(Y) + 4 * X;
                const std::uint8_t* Was = Plain.ScanLine(Y) + 4 * X;
                EXPECT_TRUE(std::equal(Got, Got + 3, Was));
                const bool Green = Was[0] == 0 && Was[1] == 255 && Was[2] == 0;
                EXPECT_EQ(Got[3], Green ? 0 : 255);
                (Green ? Keyed : Opaque) += 1;
            }
    }
    EXPECT_GT(Icons, 0);
    EXPECT_GT(Keyed, 0);
    EXPECT_GT(Opaque, 0);
}

TEST_F(ItemIcons, KeysOutOnlyTheExactGreen) {
    TBitmap Picture(4, 1, TPixelFormat::pf24bit);
    SetPixel(Picture, 0, 0, 0, 255, 0);
    SetPixel(Picture, 1, 0, 0, 254, 0);
    SetPixel(Picture, 2, 0, 1, 255, 0);
    SetPixel(Picture, 3, 0, 0, 255, 1);
    const std::vector<TGroupImageItem> Icons{{IconName(AnItem()), BmpOf(Picture)}};
    UseIcons(Icons);
    const auto Icon = ItemIconBitmap(Game, AnItem());
    ASSERT_TRUE(Icon);
    EXPECT_EQ(Icon->ScanLine(0)[3], 0);
    for (int X = 1; X < 4; ++X)
        EXPECT_EQ(Icon->ScanLine(0)[4 * X + 3], 255) << X;
}

TEST_F(ItemIcons, AnItemTheIconFileLacksHasNoIconAndADamagedOneRaises) {
    const TWLOItemData& Other = *Game.Items().Item(2);
    std::vector<std::uint8_t> Truncated = BmpOf(TBitmap(8, 8, TPixelFormat::pf24bit));
    Truncated.resize(40);
    UseIcons(std::vector<TGroupImageItem>{{IconName(AnItem()), Truncated}});
    ASSERT_NE(AnItem().IconNo(), Other.IconNo());
    EXPECT_FALSE(ItemIconBitmap(Game, Other));
    EXPECT_THROW(ItemIconBitmap(Game, AnItem()), EWloError);
}

// An icon the file lacks or cannot read leaves its atlas cell empty, the others drawn, and the
// code's JSON gives it no address to fail at.
TEST_F(ItemIcons, WhatShowsManyIconsLeavesBareTheOnesItLacksOrCannotRead) {
    Game.ScanSprites();
    Game.BuildEquipList();
    TDressingSession Session(Game);
    Session.SetChara(1);
    const auto& Hand = Session.List(3);
    ASSERT_GE(Hand.size(), 4u);
    TBitmap Red(32, 32, TPixelFormat::pf24bit);
    Red.Fill(RGBColor(200, 0, 0));
    std::vector<std::uint8_t> Damaged = BmpOf(Red);
    Damaged.resize(40);
    std::vector<TGroupImageItem> Icons{{IconName(*Hand[1].Item), Damaged}};
    for (std::size_t I = 3; I < Hand.size(); ++I) // entry 2 has none
        Icons.push_back({IconName(*Hand[I].Item), BmpOf(Red)});
    UseIcons(Icons);

    const TBitmap Atlas = IconAtlasBitmap(Game, {Session.BodyGroup(), 3});
    for (std::size_t Cell = 0; Cell + 1 < Hand.size(); ++Cell) {
        const int X = static_cast<int>(Cell % AtlasColumns) * AtlasCellSide + AtlasCellSide / 2;
        const int Y = static_cast<int>(Cell / AtlasColumns) * AtlasCellSide + AtlasCellSide / 2;
        EXPECT_EQ(Atlas.ScanLine(Y)[4 * X + 3], Cell < 2 ? 0 : 255) << "cell " << Cell;
    }

    for (int Entry = 1; Entry <= 3; ++Entry) {
        Session.Pick(3, Entry);
        const std::string Json = CodeJson(SummarizeCode(Game, Session.Code()));
        EXPECT_EQ(Json.find("\"icon\""),
                  Entry < 3 ? std::string::npos
                            : Json.find("\"icon\": \"/icon/" +
                                        std::to_string(Hand[3].Item->ItemID()) + ".png\""))
            << Json;
    }
}

TEST(ItemTipText, GivesNameDescriptionBonusesAndNumberOneALine) {
    TItemInfo Info;
    Info.ItemID = 1234;
    Info.Name = Utf8ToSjis("赤い帽子");
    Info.Text = Utf8ToSjis("A red hat.");
    Info.StatType = {211, 210}; // DEF, ATK: said in the status box's order
    Info.StatValue = {98, 105};
    EXPECT_EQ(ItemTipText(MakeItemRecord(Info)), "赤い帽子\nA red hat.\nATK+5 DEF-2\n#1234");
    // Without a description or bonuses there are no empty lines in their place.
    Info.Text.clear();
    Info.StatType = {};
    EXPECT_EQ(ItemTipText(MakeItemRecord(Info)), "赤い帽子\n#1234");
}
