#pragma once

// What every part of the program knows of the game: its characters, motions and directions,
// its slots and body groups, and what a game folder holds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pelto {

/// One playable character.
struct TCharaData {
    std::uint8_t BodyGroup; // 0..3
    std::uint8_t HeadIndex; // its own head sprite within the group
    std::string_view Name;
};

inline constexpr std::array<TCharaData, 15> CharaData{{
    {0, 0, "Rocco"},
    {1, 0, "Nina"},
    {1, 1, "Betty"},
    {2, 0, "Daniel"},
    {2, 1, "Sid"},
    {2, 2, "More"},
    {2, 3, "Kurogane Juzo"},
    {3, 0, "Iris"},
    {3, 1, "Lique"},
    {3, 2, "Vanessa"},
    {3, 3, "Breillat"},
    {3, 4, "Jessica"},
    {3, 5, "Konnotsuruko"},
    {3, 6, "Maria"},
    {3, 7, "Karin Liebtrud"},
}};

/// Body sprite number of each body group; its heads follow at +100.
inline constexpr std::array<std::uint16_t, 4> BodySpriteBase{2000, 3000, 4000, 5000};

/// Action number of each (motion, direction).
inline constexpr std::array<std::array<std::uint8_t, 8>, 19> MotionActions{{
    {8, 9, 10, 11, 12, 13, 14, 15},   {0, 1, 2, 3, 4, 5, 6, 7},
    {16, 16, 16, 16, 17, 17, 17, 17}, {18, 19, 20, 21, 22, 23, 24, 25},
    {26, 26, 26, 26, 27, 27, 27, 27}, {28, 28, 28, 28, 29, 29, 29, 29},
    {30, 30, 30, 30, 31, 31, 31, 31}, {32, 32, 32, 32, 33, 33, 33, 33},
    {34, 34, 34, 34, 35, 35, 35, 35}, {36, 36, 36, 36, 37, 37, 37, 37},
    {38, 38, 38, 38, 39, 39, 39, 39}, {40, 40, 40, 40, 41, 41, 41, 41},
    {42, 42, 42, 42, 43, 43, 43, 43}, {44, 44, 44, 44, 45, 45, 45, 45},
    {46, 47, 48, 49, 50, 51, 52, 53}, {54, 55, 56, 57, 58, 59, 60, 61},
    {62, 62, 62, 62, 63, 63, 63, 63}, {64, 64, 64, 64, 65, 65, 65, 65},
    {66, 67, 68, 69, 70, 71, 72, 73},
}};

inline constexpr int CharaCount = static_cast<int>(CharaData.size());
inline constexpr int LastChara = CharaCount - 1;
inline constexpr int MotionCount = static_cast<int>(MotionActions.size());
inline constexpr int LastMotion = MotionCount - 1;
/// Eight directions in 45 degree steps.
inline constexpr int DirectionCount = static_cast<int>(MotionActions[0].size());
inline constexpr int LastDirection = DirectionCount - 1;
/// Faces the viewer: where a character first stands, and every front end's default.
inline constexpr int DefaultDirection = 4;

/// Whether the items character From wears stay on when the look changes to character To:
/// the characters of one body group share the items' sprites.
constexpr bool ItemsCarryOver(int From, int To) {
    const auto Known = [](int Chara) {
        return Chara >= 0 && Chara < CharaCount;
    };
    return Known(From) && Known(To) &&
           CharaData[static_cast<std::size_t>(From)].BodyGroup ==
               CharaData[static_cast<std::size_t>(To)].BodyGroup;
}

inline constexpr int BodyGroupCount = static_cast<int>(BodySpriteBase.size());
inline constexpr int LastBodyGroup = BodyGroupCount - 1;
inline constexpr int SlotCount = 6; // 1 head, 2 body, 3 hand, 4 arm, 5 shoes, 6 special
/// The slots' names, slot s at SlotNames[s - 1], as the command line and the service take them.
inline constexpr std::array<std::string_view, SlotCount> SlotNames{"head", "body",  "hand",
                                                                   "arm",  "shoes", "special"};

// Where the game keeps its files, below the game folder.
inline constexpr std::string_view JmaFolderName = "jma/";
inline constexpr std::string_view ItemTableFileName = "data/Item.Dat";
inline constexpr std::string_view ItemIconFileName = "pic/item.BMg";
inline constexpr std::string_view SkinFolderName = "menu/Skins/default/";

/// What makes a folder a game folder, in the order it is checked: each path below it, and
/// whether it is a folder or a file.
struct TGameFolderNeed {
    std::string_view Path;
    bool Folder;
};
inline constexpr std::array<TGameFolderNeed, 3> GameFolderNeeds{{
    {"jma", true},
    {"pic", true},
    {"data/Item.Dat", false},
}};

} // namespace pelto
