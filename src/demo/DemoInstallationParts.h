#pragma once

// The pieces the demo installation is built from, shared by its source files.

#include "demo/DemoInstallation.h"
#include "sprites/wlojmajmp.h"
#include "writers/ItemTableWriter.h"
#include "writers/JmaWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pelto::demo {

struct TRgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
};

/// A small deterministic generator (xorshift64*): the same seed gives the same bytes on every
/// platform, which the standard distributions do not promise.
class TDemoRandom {
public:
    explicit TDemoRandom(std::uint64_t Seed) : FState(Seed ? Seed : 0x9E3779B97F4A7C15ull) {}
    std::uint32_t Next();
    /// Lo..Hi inclusive.
    int Range(int Lo, int Hi);
    bool Chance(int Percent) { return Range(0, 99) < Percent; }

private:
    std::uint64_t FState;
};

// Palette indices below 16 hold fixed colours that no colour position or item colour
// touches; every recolourable part is drawn from a 16-entry range, lightest entry first.
namespace Fixed {
inline constexpr std::uint8_t Dark = 1;
inline constexpr std::uint8_t EyeWhite = 2;
inline constexpr std::uint8_t Lash = 3;
inline constexpr std::uint8_t Mouth = 4;
inline constexpr std::uint8_t Blush = 5;
inline constexpr std::uint8_t Shine = 6;
inline constexpr std::uint8_t Iris = 7;
inline constexpr std::uint8_t IrisDark = 8;
inline constexpr std::uint8_t Tear = 9;
inline constexpr std::uint8_t MouthInside = 10;
inline constexpr std::uint8_t White = 11;
} // namespace Fixed

// Ranges of the body and head sprites; 32, 48, 64 and 208 are the colour positions'.
inline constexpr std::uint8_t RangeHair = 32;
inline constexpr std::uint8_t RangeSkin = 48;
inline constexpr std::uint8_t RangeCloth = 64;
inline constexpr std::uint8_t RangePants = 80;
inline constexpr std::uint8_t RangeShoes = 96;
inline constexpr std::uint8_t RangeHeadAcc = 128;
inline constexpr std::uint8_t RangeAccent = 208;
// Ranges of item sprites besides their main one (MainRange).
inline constexpr std::uint8_t RangeSecond = 96;
inline constexpr std::uint8_t RangeMetal = 144;
inline constexpr std::uint8_t RangeGem = 176;

/// Puts a 16-shade ramp of Mid from First on: entry First + 6 is Mid itself, lighter shades
/// before it, darker after, all kept in mid range so colour levels visibly move them.
void PutRamp(TJmaPalette& Palette, int First, TRgb Mid);
void PutColor(TJmaPalette& Palette, int Index, TRgb Color);

// ---------------------------------------------------------------------------------------------
// Items

enum class TLook : std::uint8_t {
    // head
    Cap,
    Bandana,
    WizardHat,
    Ribbon,
    Helmet,
    Crown,
    BunnyEars,
    Beret,
    // body
    Tunic,
    Robe,
    Armor,
    Dress,
    Coat,
    Sailor,
    // hand
    Sword,
    Staff,
    Axe,
    Spear,
    Bow,
    Hammer,
    Wand,
    GreatSword,
    Parasol,
    // arm
    Gloves,
    Bracers,
    Shield,
    Gauntlets,
    // shoes
    Boots,
    Slippers,
    Sneakers,
    Greaves,
    // special
    Wings,
    Cape,
    Scarf,
    Tail,
    Halo,
    Glasses,
    Fairy,
};

struct TDemoItem {
    TItemInfo Entry; // complete: sprite numbers, icon number, texts, stats
    TLook Look = TLook::Cap;
    TRgb Main, Second, Metal, Gem;
};

/// The palette range of an item's main colour: the one its slot's colour position recolours
/// (64 for body items, 208 for special items), 16 otherwise.
std::uint8_t MainRange(int Slot);
/// Weapons drawn on a 256 x 256 canvas because they reach beyond the view.
bool IsLongWeapon(TLook Look);
bool WornBy(const TItemInfo& Entry, int Group);

/// The hand-made items, in item-table order, with sprite and icon numbers assigned.
const std::vector<TDemoItem>& DemoItems();

// ---------------------------------------------------------------------------------------------
// Sprites

/// Frame counts of the 74 actions, the same for the bodies, heads and item sprites.
std::vector<std::uint8_t> ActionFrameCounts();

TJmaWriterSprite BodySprite(int Group);
TJmaWriterSprite HeadSprite(int Chara);
TJmaWriterSprite ItemSprite(const TDemoItem& Item, int Group);
/// A tiny stand-in sprite of the kind a real installation holds by the thousand.
TJmaWriterSprite FillerSprite(int SpriteNo);

// ---------------------------------------------------------------------------------------------
// Files

void WriteSpriteArchives(const std::string& JmaFolder, TDemoScale Scale);
void WriteItemTable(const std::string& FileName, TDemoScale Scale);
void WriteItemIcons(const std::string& FileName, TDemoScale Scale);
void WriteSkinPictures(const std::string& SkinFolder);

/// Number of icons and item records the full installation holds.
inline constexpr int FullIconCount = 8000;
inline constexpr int FullItemCount = 15000;
/// Icon numbers of the filler icons start here; the hand-made items use 1001 on.
inline constexpr int FillerIconBase = 2001;
/// The kinds of goods the filler records are, each with an icon of its own after the filler
/// icons of equipment: potion, ether, bread, apple, herb, antidote, rice ball, map.
inline constexpr int FillerGoodsCount = 8;
/// The filler icons drawn as the hand-made items are, in other colours.
int FillerEquipmentIcons();
/// A filler icon drawn as Look, one of several colourings chosen by Pick (any number).
std::uint16_t FillerEquipmentIcon(TLook Look, int Pick);
/// The filler icon of goods of kind Good, 0..FillerGoodsCount - 1.
std::uint16_t FillerGoodsIcon(int Good);

} // namespace pelto::demo
