#include "demo/DemoInstallationParts.h"

#include "demo/DemoInstallation.h"
#include "platform/ShiftJis.h"
#include "sprites/wlojmajmp.h"
#include "writers/ItemTableWriter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace pelto::demo {
namespace {

// Status bonus type codes.
enum : std::uint16_t {
    Resist = 100, // ranged-attack resistance in percent
    Hp = 207,
    Sp = 208,
    Atk = 210,
    Def = 211,
    Spd = 214,
    Matk = 215,
    Mdef = 216,
};

enum : int { G0 = 1, G1 = 2, G2 = 4, G3 = 8, AllGroups = 15 };

constexpr TRgb Silver{170, 175, 190};
constexpr TRgb Gold{215, 175, 75};
constexpr TRgb Bronze{185, 120, 70};
constexpr TRgb Iron{130, 135, 145};
constexpr TRgb Wood{150, 100, 60};
constexpr TRgb White{228, 228, 234};
constexpr TRgb Ruby{205, 50, 60};
constexpr TRgb Sapphire{70, 110, 205};

struct TItemDef {
    TLook Look;
    int Groups;       // bit g: body group g wears it
    const char* Name; // UTF-8
    TRgb Main, Second, Metal, Gem;
    int ListNumber;
    std::uint16_t Stat0;
    int Bonus0;
    std::uint16_t Stat1 = 0;
    int Bonus1 = 0;
    // Level digits (red, green, blue) applied to the item's own colours, 444 for none.
    std::uint16_t Tint = 444;
};

// Per slot: three items for each body group, then two that several groups can wear. Each line:
// look, groups, name, main / second / metal / gem colours, list number, bonuses, tint.
const std::array<std::vector<TItemDef>, 6>& ItemDefs() {
    // clang-format off
    static const std::array<std::vector<TItemDef>, 6> Defs{{
        { // head
            {TLook::Cap, G0, "Explorer Cap", {200, 70, 60}, {230, 220, 200}, Silver, Sapphire,
                1, Def, 3, Spd, 2},
            {TLook::Bandana, G0, "バンダナ", {60, 110, 200}, White, Silver, Ruby,
                0, Def, 1, Resist, 5, 733},
            {TLook::Helmet, G0, "Iron Helm", {180, 50, 50}, {90, 80, 70}, Iron, Ruby,
                3, Def, 8, Spd, -2},
            {TLook::Ribbon, G1, "大きなリボン", {230, 80, 120}, {240, 200, 90}, Gold, Ruby,
                0, Mdef, 3, Sp, 10},
            {TLook::BunnyEars, G1, "Bunny Ears", {232, 232, 238}, {240, 160, 180}, {90, 80, 100},
                Ruby, 2, Spd, 4},
            {TLook::Beret, G1, "Red Beret", {190, 50, 60}, White, Gold, Gold,
                0, Matk, 2},
            {TLook::Helmet, G2, "Knight Helm", {60, 90, 180}, {80, 80, 95}, Silver, Ruby,
                7, Def, 12, Spd, -3},
            {TLook::Cap, G2, "ハンチング帽", {130, 110, 80}, {90, 75, 55}, Silver, Sapphire,
                0, Def, 2},
            {TLook::WizardHat, G2, "Sage Hat", {70, 60, 140}, {210, 180, 80}, Gold, {240, 220, 90},
                9, Matk, 6, Mdef, 4},
            {TLook::WizardHat, G3, "魔女の帽子", {60, 50, 70}, {150, 70, 170}, Gold, {240, 200, 80},
                0, Matk, 8, Hp, -10},
            {TLook::Ribbon, G3, "Lace Ribbon", {232, 232, 238}, {200, 170, 210}, Silver, Sapphire,
                0, Mdef, 2, Sp, 5},
            {TLook::Beret, G3, "ベレー帽", {80, 110, 160}, White, Gold, Ruby,
                4, Matk, 1},
            {TLook::Crown, AllGroups, "王様の冠", {200, 60, 70}, White, Gold, Ruby,
                13, Hp, 30, Sp, 30},
            {TLook::BunnyEars, G1 | G3, "ウサミミ", {70, 65, 80}, {230, 120, 150}, {200, 200, 210},
                Ruby, 0, Spd, 6, Def, -2},
        },
        { // body
            {TLook::Tunic, G0, "Traveler Tunic", {110, 150, 90}, {140, 95, 60}, Bronze, Sapphire,
                1, Def, 4},
            {TLook::Armor, G0, "Bronze Mail", {170, 60, 50}, {110, 80, 60}, Bronze, {90, 160, 220},
                5, Def, 10, Spd, -3},
            {TLook::Coat, G0, "旅人のコート", {150, 110, 70}, {230, 220, 200}, Gold, Ruby,
                0, Def, 5, Resist, 8},
            {TLook::Dress, G1, "Flower Dress", {240, 170, 190}, {240, 240, 245}, Gold,
                {220, 70, 100}, 2, Mdef, 5, Sp, 15},
            {TLook::Sailor, G1, "セーラー服", {232, 232, 238}, {60, 70, 130}, Silver, Ruby,
                0, Def, 3, Mdef, 3},
            {TLook::Robe, G1, "Apprentice Robe", {110, 90, 170}, {230, 200, 100}, Gold,
                {120, 200, 230}, 6, Matk, 5},
            {TLook::Armor, G2, "Plate Armor", {50, 70, 150}, {90, 70, 55}, Silver, Ruby,
                12, Def, 20, Spd, -6},
            {TLook::Coat, G2, "Long Coat", {80, 70, 90}, {180, 160, 120}, Gold, Ruby,
                0, Def, 8, Resist, 10},
            {TLook::Tunic, G2, "剣士の服", {180, 60, 50}, {90, 70, 50}, Bronze, Sapphire,
                3, Atk, 3, Def, 5},
            {TLook::Dress, G3, "Evening Dress", {120, 40, 80}, {230, 200, 220}, Gold,
                {240, 230, 150}, 0, Mdef, 8, Sp, 20},
            {TLook::Robe, G3, "Priest Robe", {232, 232, 238}, {210, 175, 80}, Gold, {90, 140, 220},
                8, Mdef, 10, Matk, 4},
            {TLook::Sailor, G3, "学生服", {60, 70, 130}, {232, 232, 238}, Silver, Ruby,
                0, Def, 3},
            {TLook::Robe, AllGroups, "Mage Robe", {60, 80, 160}, {220, 190, 90}, Gold,
                {230, 80, 80}, 10, Matk, 10, Def, -3},
            {TLook::Tunic, G0 | G2, "Farmer Shirt", {200, 180, 120}, {100, 120, 160}, Bronze,
                Sapphire, 0, Hp, 20, 0, 0, 337},
        },
        { // hand
            {TLook::Sword, G0, "木の剣", {175, 130, 80}, {120, 80, 50}, {150, 110, 70}, {120, 90, 60},
                0, Atk, 3},
            {TLook::Axe, G0, "Hand Axe", {170, 175, 185}, {140, 95, 60}, Iron, Ruby,
                2, Atk, 7, Spd, -2},
            {TLook::Bow, G0, "Short Bow", {200, 170, 90}, Wood, Silver, Ruby,
                4, Atk, 5, Spd, 1},
            {TLook::Wand, G1, "Star Wand", {240, 170, 200}, White, Gold, {250, 230, 110},
                0, Matk, 6},
            {TLook::Staff, G1, "見習いの杖", {200, 170, 90}, Wood, Gold, {110, 200, 230},
                3, Matk, 4, Sp, 10},
            {TLook::Bow, G1, "Toy Bow", {240, 120, 150}, {240, 200, 220}, Gold, Ruby,
                0, Atk, 2, 0, 0, 373},
            {TLook::GreatSword, G2, "Claymore", {180, 185, 200}, {90, 60, 40}, Gold, Ruby,
                15, Atk, 22, Spd, -5},
            {TLook::Spear, G2, "Halberd", {175, 180, 195}, {120, 85, 55}, Iron, Ruby,
                0, Atk, 18, Def, 2},
            {TLook::Hammer, G2, "War Hammer", {170, 50, 50}, {110, 75, 50}, Iron, Ruby,
                11, Atk, 25, Spd, -8},
            {TLook::Staff, G3, "Sage Staff", Gold, {120, 80, 60}, Gold, {90, 200, 160},
                9, Matk, 14, Mdef, 5},
            {TLook::Parasol, G3, "日傘", {240, 200, 210}, {200, 200, 210}, Gold, Ruby,
                0, Mdef, 4, Resist, 10},
            {TLook::Spear, G3, "Lance", {200, 205, 220}, {232, 232, 238}, Silver, Sapphire,
                14, Atk, 16},
            {TLook::Sword, AllGroups, "Iron Sword", {180, 185, 200}, {100, 70, 50}, Gold,
                {60, 120, 200}, 5, Atk, 10},
            {TLook::Wand, G1 | G3, "魔法のステッキ", {120, 200, 230}, White, Gold, {240, 120, 200},
                0, Matk, 9, Hp, -5},
        },
        { // arm
            {TLook::Gloves, G0, "Leather Gloves", {140, 95, 60}, {200, 170, 120}, Bronze, Ruby,
                1, Def, 1, Atk, 1},
            {TLook::Shield, G0, "Round Shield", {60, 120, 190}, Wood, Iron, Gold,
                0, Def, 6, Spd, -1},
            {TLook::Bracers, G0, "Wristband", {200, 60, 60}, White, Silver, Ruby,
                0, Atk, 2},
            {TLook::Gloves, G1, "Mittens", {240, 150, 170}, {245, 245, 245}, Silver, Ruby,
                2, Hp, 5},
            {TLook::Bracers, G1, "Bangle", {240, 200, 90}, White, Gold, Ruby,
                0, Mdef, 2},
            {TLook::Shield, G1, "Heart Shield", {230, 80, 120}, Wood, Gold, {250, 220, 230},
                0, Def, 4, Mdef, 2},
            {TLook::Gauntlets, G2, "Gauntlets", {150, 40, 40}, {90, 70, 55}, Iron, Ruby,
                6, Def, 6, Atk, 3},
            {TLook::Shield, G2, "Tower Shield", {50, 70, 150}, Wood, Silver, Ruby,
                10, Def, 14, Spd, -4},
            {TLook::Bracers, G2, "鉄の籠手", {90, 80, 70}, {120, 90, 60}, Iron, Ruby,
                0, Def, 4},
            {TLook::Gloves, G3, "Silk Gloves", {232, 232, 238}, {200, 170, 210}, Silver, Sapphire,
                0, Matk, 3},
            {TLook::Bracers, G3, "銀の腕輪", {90, 140, 220}, White, Silver, Sapphire,
                3, Mdef, 5},
            {TLook::Gauntlets, G3, "Lady Gauntlet", {150, 90, 170}, White, Silver, Ruby,
                0, Def, 5},
            {TLook::Gloves, AllGroups, "Work Gloves", {200, 180, 120}, {120, 100, 80}, Iron, Ruby,
                0, Def, 1, Hp, 5, 744},
            {TLook::Shield, G0 | G2, "Buckler", {170, 130, 80}, Wood, Bronze, Gold,
                7, Def, 5},
        },
        { // shoes
            {TLook::Boots, G0, "Hiking Boots", {130, 90, 60}, {200, 180, 140}, Iron, Ruby,
                1, Spd, 3},
            {TLook::Sneakers, G0, "Sneakers", {70, 120, 200}, {240, 240, 240}, Silver, Ruby,
                0, Spd, 6},
            {TLook::Greaves, G0, "鉄のすね当て", {110, 80, 60}, Wood, Iron, Ruby,
                0, Def, 5, Spd, -2},
            {TLook::Slippers, G1, "Bunny Slippers", {240, 200, 215}, {250, 250, 250}, Silver, Ruby,
                2, Spd, -1, Hp, 10},
            {TLook::Boots, G1, "Rain Boots", {240, 200, 60}, {90, 110, 170}, Silver, Ruby,
                0, Mdef, 1, 0, 0, 474},
            {TLook::Sneakers, G1, "運動靴", {230, 100, 130}, {240, 240, 240}, Silver, Ruby,
                0, Spd, 5},
            {TLook::Greaves, G2, "Steel Greaves", {80, 80, 100}, Wood, Silver, Ruby,
                8, Def, 9, Spd, -3},
            {TLook::Boots, G2, "Riding Boots", {70, 50, 40}, {160, 120, 80}, Iron, Ruby,
                0, Spd, 4},
            {TLook::Sneakers, G2, "Leather Shoes", {100, 70, 50}, {60, 50, 40}, Iron, Ruby,
                0, Def, 2},
            {TLook::Boots, G3, "Long Boots", {90, 60, 90}, {200, 170, 210}, Silver, Ruby,
                4, Spd, 4, Mdef, 1},
            {TLook::Slippers, G3, "ルームシューズ", {180, 150, 220}, {245, 245, 245}, Silver, Ruby,
                0, Hp, 15},
            {TLook::Greaves, G3, "Valkyrie Greaves", {232, 232, 240}, Wood, Gold, Sapphire,
                9, Def, 8, Spd, 2},
            {TLook::Boots, AllGroups, "旅人のブーツ", {150, 110, 70}, {90, 70, 50}, Iron, Ruby,
                0, Spd, 5},
            {TLook::Slippers, G1 | G3, "Fluffy Slippers", {250, 230, 150}, {240, 150, 170}, Silver,
                Ruby, 0, Sp, 8},
        },
        { // special
            {TLook::Tail, G0, "Cat Tail", {90, 85, 95}, {235, 235, 240}, Silver, Ruby,
                1, Spd, 3},
            {TLook::Scarf, G0, "赤いマフラー", {200, 50, 50}, {240, 220, 150}, Silver, Ruby,
                0, Hp, 10, Resist, 3},
            {TLook::Glasses, G0, "Round Glasses", {60, 55, 70}, White, Silver, Sapphire,
                0, Matk, 2},
            {TLook::Wings, G1, "Angel Wings", {235, 235, 245}, {200, 220, 250}, Gold, Sapphire,
                5, Mdef, 6, Sp, 15},
            {TLook::Fairy, G1, "Pixie", {150, 230, 180}, {230, 240, 255}, Silver, {250, 230, 120},
                0, Sp, 20},
            {TLook::Halo, G1, "天使の輪", {245, 215, 100}, White, Gold, Sapphire,
                0, Mdef, 4},
            {TLook::Cape, G2, "Hero Cape", {190, 40, 50}, {230, 200, 90}, Gold, Ruby,
                11, Def, 4, Hp, 20},
            {TLook::Glasses, G2, "丸メガネ", {200, 170, 80}, White, Gold, Sapphire,
                0, Matk, 3},
            {TLook::Scarf, G2, "Battle Scarf", {50, 60, 90}, {200, 200, 210}, Silver, Ruby,
                0, Spd, 3, 0, 0, 733},
            {TLook::Wings, G3, "蝶の羽", {120, 80, 200}, {250, 200, 120}, Silver, Ruby,
                6, Matk, 5},
            {TLook::Cape, G3, "Velvet Cape", {110, 40, 90}, {230, 220, 235}, Silver, Ruby,
                0, Mdef, 6},
            {TLook::Tail, G3, "Fox Tail", {220, 140, 60}, {245, 245, 245}, Silver, Ruby,
                0, Spd, 4, Resist, 5},
            {TLook::Halo, AllGroups, "Halo", {250, 230, 140}, White, Gold, Sapphire,
                12, Sp, 25, Atk, -5},
            {TLook::Fairy, G0 | G2, "妖精", {240, 170, 210}, {230, 240, 255}, Silver, {120, 220, 250},
                0, Matk, 5, Hp, -10},
        },
    }};
    // clang-format on
    return Defs;
}

constexpr std::array<const char*, 6> SlotTexts{
    "頭に装備するアイテムです。", "体に装備するアイテムです。", "手に持つ武器です。",
    "腕に装備するアイテムです。", "足に装備するアイテムです。", "特殊なアイテムです。",
};

// Records whose identifiers or numbers the item reader corrects on loading; the demo
// steers clear of them so what it writes is what the viewer shows.
const std::set<int>& CorrectedIds() {
    static const std::set<int> Ids{18002, 32024, 34022, 34128, 34129, 34132,
                                   37247, 39019, 42074, 47009, 61039};
    return Ids;
}

// Item colour k (palette range 16(k + 1)) of group G sits in word 4 (k / 3) + G, as the
// hundreds, thousands or millions of it.
void Tint(std::array<std::uint32_t, 16>& Words, int Range, std::uint16_t Levels) {
    const int K = Range / 16 - 1;
    if (K < 0 || K > 11)
        return;
    static constexpr std::uint32_t Place[3] = {1000000, 1000, 1};
    for (int G = 0; G < 4; ++G) {
        std::uint32_t& W = Words[static_cast<std::size_t>(4 * (K / 3) + G)];
        const std::uint32_t P = Place[K % 3];
        W = W - (W / P % 1000) * P + Levels * P;
    }
}

std::uint16_t SpriteNumber(int Group, int N) {
    // Sprite numbers ending in 035 are rewritten by the item reader.
    const int Offset = N >= 35 ? N + 1 : N;
    return static_cast<std::uint16_t>(BodySpriteBase[static_cast<std::size_t>(Group)] + Offset);
}

} // namespace

std::uint8_t MainRange(int Slot) {
    return Slot == 2 ? RangeCloth : Slot == 6 ? RangeAccent : 16;
}

bool IsLongWeapon(TLook Look) {
    return Look == TLook::Spear || Look == TLook::Hammer || Look == TLook::GreatSword;
}

int FillerEquipmentIcons() {
    return FullIconCount - static_cast<int>(DemoItems().size()) - FillerGoodsCount;
}

std::uint16_t FillerEquipmentIcon(TLook Look, int Pick) {
    // Filler icon K is drawn as hand-made item K % N: the one of Look nearest below Pick.
    const int N = static_cast<int>(DemoItems().size());
    int Design = 0;
    while (DemoItems()[static_cast<std::size_t>(Design)].Look != Look)
        ++Design;
    const int Icons = FillerEquipmentIcons();
    int K = (Pick % Icons) / N * N + Design;
    if (K >= Icons)
        K -= N;
    return static_cast<std::uint16_t>(FillerIconBase + K);
}

std::uint16_t FillerGoodsIcon(int Good) {
    return static_cast<std::uint16_t>(FillerIconBase + FillerEquipmentIcons() + Good);
}

bool WornBy(const TItemInfo& Entry, int Group) {
    return Entry.SpriteNo[static_cast<std::size_t>(Group)] > 1000;
}

const std::vector<TDemoItem>& DemoItems() {
    static const std::vector<TDemoItem> Items = [] {
        std::vector<TDemoItem> List;
        std::array<int, 4> NextSprite{1, 1, 1, 1};
        for (int Slot = 1; Slot <= 6; ++Slot) {
            int N = 0;
            for (const TItemDef& Def : ItemDefs()[static_cast<std::size_t>(Slot - 1)]) {
                ++N;
                TDemoItem Item;
                Item.Look = Def.Look;
                Item.Main = Def.Main;
                Item.Second = Def.Second;
                Item.Metal = Def.Metal;
                Item.Gem = Def.Gem;
                TItemInfo& S = Item.Entry;
                S.Kind = static_cast<std::uint8_t>(20 + Slot);
                S.ItemID = static_cast<std::uint16_t>(Slot * 1000 + N);
                S.IconNo = static_cast<std::uint16_t>(1001 + List.size());
                for (int G = 0; G < 4; ++G)
                    if (Def.Groups & (1 << G))
                        S.SpriteNo[static_cast<std::size_t>(G)] =
                            SpriteNumber(G, NextSprite[static_cast<std::size_t>(G)]++);
                S.StatType = {Def.Stat0, Def.Stat1};
                S.StatValue = {Def.Bonus0 + 100, Def.Bonus1 + 100};
                S.Slot = static_cast<std::uint8_t>(Slot);
                if (Def.Tint != 444)
                    Tint(S.ColorWords, Slot == 2 || Slot == 6 ? RangeSecond : MainRange(Slot),
                         Def.Tint);
                S.ListNumber = static_cast<std::uint8_t>(Def.ListNumber);
                S.Name = Utf8ToSjis(Def.Name);
                S.Text = Utf8ToSjis(SlotTexts[static_cast<std::size_t>(Slot - 1)]);
                List.push_back(std::move(Item));
            }
        }
        return List;
    }();
    return Items;
}

// ---------------------------------------------------------------------------------------------
// The item table

namespace {

constexpr std::array<const char*, 12> Adjectives{"Old",   "Fine",   "Rusty",   "Shiny",
                                                 "Magic", "Royal",  "Lucky",   "Heavy",
                                                 "Light", "Sturdy", "Ancient", "Holy"};
constexpr std::array<const char*, 12> JapaneseAdjectives{"古い",   "上等な", "錆びた", "輝く",
                                                         "魔法の", "王家の", "幸運の", "重い",
                                                         "軽い",   "頑丈な", "太古の", "聖なる"};
constexpr std::array<std::array<const char*, 4>, 6> Nouns{{
    {"Hat", "Helm", "Hood", "Circlet"},
    {"Shirt", "Mail", "Robe", "Jacket"},
    {"Sword", "Staff", "Axe", "Rod"},
    {"Gloves", "Shield", "Bracer", "Armlet"},
    {"Boots", "Shoes", "Greaves", "Sandals"},
    {"Charm", "Cape", "Wings", "Scarf"},
}};
constexpr std::array<std::array<const char*, 4>, 6> JapaneseNouns{{
    {"帽子", "兜", "頭巾", "髪飾り"},
    {"服", "鎧", "ローブ", "上着"},
    {"剣", "杖", "斧", "ロッド"},
    {"手袋", "盾", "籠手", "腕輪"},
    {"ブーツ", "靴", "すね当て", "サンダル"},
    {"お守り", "マント", "翼", "スカーフ"},
}};
// What each noun's icon shows.
constexpr std::array<std::array<TLook, 4>, 6> NounLooks{{
    {TLook::Cap, TLook::Helmet, TLook::Bandana, TLook::Crown},
    {TLook::Tunic, TLook::Armor, TLook::Robe, TLook::Coat},
    {TLook::Sword, TLook::Staff, TLook::Axe, TLook::Wand},
    {TLook::Gloves, TLook::Shield, TLook::Bracers, TLook::Bracers},
    {TLook::Boots, TLook::Sneakers, TLook::Greaves, TLook::Slippers},
    {TLook::Fairy, TLook::Cape, TLook::Wings, TLook::Scarf},
}};
// In the order of the goods icons (FillerGoodsCount).
constexpr std::array<const char*, FillerGoodsCount> Goods{"Potion", "Ether",  "Bread",    "Apple",
                                                          "薬草",   "毒消し", "おにぎり", "地図"};
constexpr std::array<std::uint16_t, 8> StatTypes{Resist, Hp, Sp, Atk, Def, Spd, Matk, Mdef};

std::uint32_t RandomWord(TDemoRandom& R) {
    auto Triple = [&] {
        return static_cast<std::uint32_t>(R.Range(2, 6) * 100 + R.Range(2, 6) * 10 + R.Range(2, 6));
    };
    return Triple() * 1000000 + Triple() * 1000 + Triple();
}

// Filler records for the full-size table: variants of the hand-made items (same sprites,
// other names, colours and bonuses) and goods that are not equipment.
void AddFillerItems(TItemTableWriter& Writer, int Count) {
    TDemoRandom R(20240501);
    // Sprites of the hand-made items per slot and group, to dress the variants in.
    std::array<std::array<std::vector<std::uint16_t>, 4>, 6> Sprites;
    for (const TDemoItem& Item : DemoItems())
        for (int G = 0; G < 4; ++G)
            if (WornBy(Item.Entry, G))
                Sprites[static_cast<std::size_t>(Item.Entry.Slot - 1)][static_cast<std::size_t>(G)]
                    .push_back(Item.Entry.SpriteNo[static_cast<std::size_t>(G)]);
    const int Icons = FullIconCount - static_cast<int>(DemoItems().size());
    int Id = 20000;
    // Each record's icon shows what it is; the draws stay those of the table before, which
    // chose icons at random, so that every other field keeps its value.
    for (int K = 0; K < Count; ++K) {
        do
            ++Id;
        while (CorrectedIds().count(Id));
        TItemInfo S;
        S.ItemID = static_cast<std::uint16_t>(Id);
        const int IconPick = R.Range(0, Icons - 1);
        const bool Japanese = R.Chance(40);
        if (R.Chance(35)) {
            S.Kind = static_cast<std::uint8_t>(R.Range(1, 19));
            const int Good = R.Range(0, FillerGoodsCount - 1);
            S.IconNo = FillerGoodsIcon(Good);
            S.Name = Utf8ToSjis(Goods[static_cast<std::size_t>(Good)]);
            S.Text = Utf8ToSjis("冒険に役立つ道具です。");
            Writer.Add(S);
            continue;
        }
        const int Slot = R.Range(1, 6);
        S.Slot = static_cast<std::uint8_t>(Slot);
        S.Kind = static_cast<std::uint8_t>(20 + Slot);
        const int Mode = R.Range(0, 9);
        for (int G = 0; G < 4; ++G) {
            const bool Wears = Mode == 0 || (Mode < 3 ? G % 2 == Mode % 2 : G == Mode % 4);
            const auto& Choices =
                Sprites[static_cast<std::size_t>(Slot - 1)][static_cast<std::size_t>(G)];
            if (Wears && !Choices.empty())
                S.SpriteNo[static_cast<std::size_t>(G)] = Choices[static_cast<std::size_t>(
                    R.Range(0, static_cast<int>(Choices.size()) - 1))];
        }
        const auto Adj = static_cast<std::size_t>(R.Range(0, 11));
        const auto Noun = static_cast<std::size_t>(R.Range(0, 3));
        S.IconNo =
            FillerEquipmentIcon(NounLooks[static_cast<std::size_t>(Slot - 1)][Noun], IconPick);
        const auto& Nouns6 = Japanese ? JapaneseNouns : Nouns;
        const std::string Name = std::string(Japanese ? JapaneseAdjectives[Adj] : Adjectives[Adj]) +
                                 (Japanese ? "" : " ") +
                                 Nouns6[static_cast<std::size_t>(Slot - 1)][Noun];
        S.Name = Utf8ToSjis(Name);
        S.Text = Utf8ToSjis(SlotTexts[static_cast<std::size_t>(Slot - 1)]);
        S.ListNumber = R.Chance(50) ? static_cast<std::uint8_t>(R.Range(1, 99)) : 0;
        S.StatType[0] = StatTypes[static_cast<std::size_t>(R.Range(0, 7))];
        S.StatValue[0] = 100 + R.Range(-10, 30);
        if (R.Chance(40)) {
            S.StatType[1] = StatTypes[static_cast<std::size_t>(R.Range(0, 7))];
            S.StatValue[1] = 100 + R.Range(-10, 30);
        }
        if (R.Chance(30))
            for (std::uint32_t& W : S.ColorWords)
                W = RandomWord(R);
        Writer.Add(S);
    }
}

} // namespace

void WriteItemTable(const std::string& FileName, TDemoScale Scale) {
    TItemTableWriter Writer;
    for (const TDemoItem& Item : DemoItems())
        Writer.Add(Item.Entry);
    if (Scale == TDemoScale::Full)
        AddFillerItems(Writer, FullItemCount - static_cast<int>(DemoItems().size()));
    Writer.WriteToFile(FileName);
}

} // namespace pelto::demo
