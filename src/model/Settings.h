#pragma once

#include "model/UCommon.h"

#include <array>
#include <bitset>
#include <optional>
#include <string>

namespace pelto {

class TIniFile;

inline constexpr int FavoriteCount = 10;

/// What the settings file keeps between runs.
struct TPeltoSettings {
    std::string WloPath;
    /// The window's position; empty when the file has none (the window keeps its own).
    std::optional<int> X, Y;
    bool CloseOnClick = false;
    bool Shadow = false;
    /// The folder the last image was saved in; empty until one is.
    std::string ImageFolder;
    /// The window's zoom in percent: 100, 200, 300 or 400; empty until chosen.
    std::optional<int> Zoom;
    /// Whether the character shown at the last end comes back at start.
    bool ReopenLast = true;
    /// The character shown at the last end as its code, empty for none, and its pose.
    std::string LastCode;
    int LastMotion = 0;
    int LastDirection = DefaultDirection;
    /// The choices of the last export, as pelto-cli names them; written once there was one.
    struct TExportChoices {
        std::string Format = "png";
        int Scale = 1;
        std::string Scope = "action";
        bool Trim = false;
        int Delay = 167;
        std::string Crop = "full";
        bool Flip = false;
        int CanvasWidth = 0; // 0: no canvas
        int CanvasHeight = 0;
        std::string Anchor = "feet";
        bool Layers = false;
        bool IndexNames = false;
        /// A sheet's motions and directions as --motions and --directions spell them; empty:
        /// those of Scope.
        std::string Motions;
        std::string Directions;
        int Padding = 0;
        int Extrude = 0;
        friend bool operator==(const TExportChoices&, const TExportChoices&) = default;
    };
    std::optional<TExportChoices> Export;
    /// The slots and colour positions a random outfit leaves as they are.
    TOutfitLocks Locks;
    std::array<TFavoriteItem, FavoriteCount> Favorites; // place n at Favorites[n - 1]
    /// Places emptied in this run (deleted, or moved away from), place n at bit n - 1: a save
    /// removes their sections, which would otherwise bring them back at the next start.
    std::bitset<FavoriteCount> EmptiedPlaces;
    friend bool operator==(const TPeltoSettings&, const TPeltoSettings&) = default;
};

/// Reads section "pelto" and the favourite sections Save1..Save10. Missing or malformed
/// values give their defaults; X and Y stay as they are then. A place whose section is
/// missing or holds no key is marked unused and keeps its other fields.
void LoadSettings(const TIniFile& Ini, TPeltoSettings& Settings);

/// Writes section "pelto" (X and Y only when known) and the sections of the places in use,
/// key by key in their fixed order, then updates the file in one atomic write. Only the
/// sections of emptied places not in use again are deleted. Raises what TIniFile::UpdateFile
/// raises.
void SaveSettings(TIniFile& Ini, const TPeltoSettings& Settings);

/// Writes Folder as the game folder into Ini's file, leaving every other key as it is. Raises
/// what TIniFile::UpdateFile raises.
void SaveGameFolder(TIniFile& Ini, const std::string& Folder);

/// SaveSettings into FileName, which starts as a copy of what CopyOf holds (nothing when it
/// cannot be read): the settings moved to another file keep the comments and foreign sections
/// of the one they came from.
void SaveSettingsAs(const std::string& FileName, const std::string& CopyOf,
                    const TPeltoSettings& Settings);

/// The settings file: the executable's path with the extension ".ini" when the executable's
/// folder is writable and not under /usr, else that file name in $XDG_CONFIG_HOME/pelto/
/// (~/.config/pelto/), for a program installed system-wide.
std::string SettingsFilePath(const std::string& ExecutablePath);

} // namespace pelto
