#include "model/Settings.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unistd.h>
#include <utility>

#include <cstdlib>

namespace pelto {
namespace {

constexpr std::string_view MainSection = "pelto";
constexpr std::string_view GameFolderKey = "wlopath";

std::string FavoriteSection(int Place) {
    return "Save" + std::to_string(Place);
}

std::string PartsKey(int Slot) {
    return "parts" + std::to_string(Slot);
}

std::string ColorKey(int Position, int Channel) {
    return "color" + std::to_string(Position) + "_" + std::to_string(Channel);
}

bool HasKey(const TIniFile& Ini, std::string_view Key) {
    constexpr std::string_view Missing = "\n"; // no value read holds a line break
    return Ini.ReadString(MainSection, Key, Missing) != Missing;
}

// Locks are kept as the numbers locked, "1,6": slots 1..6, colour positions 0..3.
template <std::size_t N> std::string LockedText(const std::array<bool, N>& Locked, int First) {
    std::string Text;
    for (std::size_t I = 0; I < N; ++I)
        if (Locked[I])
            Text += (Text.empty() ? "" : ",") + std::to_string(static_cast<int>(I) + First);
    return Text;
}

// What is no number of the range is passed over, as a hand-edited file may have it.
template <std::size_t N> std::array<bool, N> LockedOf(std::string_view Text, int First) {
    std::array<bool, N> Locked{};
    while (!Text.empty()) {
        const std::size_t End = std::min(Text.find(','), Text.size());
        const std::string_view Part = Text.substr(0, End);
        Text.remove_prefix(std::min(End + 1, Text.size()));
        if (Part.size() == 1 && Part[0] >= '0' + First &&
            Part[0] < '0' + First + static_cast<int>(N))
            Locked[static_cast<std::size_t>(Part[0] - '0' - First)] = true;
    }
    return Locked;
}

void LoadFavorite(const TIniFile& Ini, const std::string& Section, TFavoriteItem& Favorite) {
    Favorite.Name = Ini.ReadString(Section, "name", Section);
    Favorite.Chara = Ini.ReadInteger(Section, "chara", -1);
    // Kept as their low bits and not range-checked: the compositor ignores levels above 9.
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        Favorite.Parts[Slot - 1] =
            static_cast<std::uint16_t>(Ini.ReadInteger(Section, PartsKey(Slot), 0));
    for (int C = 0; C < 4; ++C) {
        for (int K = 0; K < 3; ++K)
            Favorite.Color[C][K] =
                static_cast<std::uint8_t>(Ini.ReadInteger(Section, ColorKey(C, K), 4));
    }
}

void SaveFavorite(TIniFile& Ini, const std::string& Section, const TFavoriteItem& Favorite) {
    Ini.WriteString(Section, "name", Favorite.Name);
    Ini.WriteInteger(Section, "chara", Favorite.Chara);
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        Ini.WriteInteger(Section, PartsKey(Slot), Favorite.Parts[Slot - 1]);
    for (int C = 0; C < 4; ++C) {
        for (int K = 0; K < 3; ++K)
            Ini.WriteInteger(Section, ColorKey(C, K), Favorite.Color[C][K]);
    }
}

std::string ConfigHome() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules ask.
    if (const char* Env = std::getenv("XDG_CONFIG_HOME"); Env && Env[0] == '/')
        return Env;
    const char* Home = std::getenv("HOME");
    return std::string(Home ? Home : "") + "/.config";
}

// Every key SaveSettings writes, into the file in memory.
void WriteSettingsKeys(TIniFile& Ini, const TPeltoSettings& Settings) {
    Ini.WriteString(MainSection, GameFolderKey, Settings.WloPath);
    if (Settings.X)
        Ini.WriteInteger(MainSection, "x", *Settings.X);
    if (Settings.Y)
        Ini.WriteInteger(MainSection, "y", *Settings.Y);
    Ini.WriteBool(MainSection, "closeonclick", Settings.CloseOnClick);
    Ini.WriteBool(MainSection, "shadow", Settings.Shadow);
    if (!Settings.ImageFolder.empty())
        Ini.WriteString(MainSection, "imagefolder", Settings.ImageFolder);
    if (Settings.Zoom)
        Ini.WriteInteger(MainSection, "zoom", *Settings.Zoom);
    // Left out while at their defaults, so that a classic file keeps its keys.
    if (!Settings.ReopenLast || Ini.TryReadInteger(MainSection, "reopenlast"))
        Ini.WriteBool(MainSection, "reopenlast", Settings.ReopenLast);
    if (!Settings.LastCode.empty()) {
        Ini.WriteString(MainSection, "lastcode", Settings.LastCode);
        Ini.WriteInteger(MainSection, "lastmotion", Settings.LastMotion);
        Ini.WriteInteger(MainSection, "lastdirection", Settings.LastDirection);
    }
    if (const auto& Export = Settings.Export) {
        Ini.WriteString(MainSection, "exportformat", Export->Format);
        Ini.WriteInteger(MainSection, "exportscale", Export->Scale);
        Ini.WriteString(MainSection, "exportscope", Export->Scope);
        Ini.WriteBool(MainSection, "exporttrim", Export->Trim);
        Ini.WriteInteger(MainSection, "exportdelay", Export->Delay);
        Ini.WriteString(MainSection, "exportcrop", Export->Crop);
        Ini.WriteBool(MainSection, "exportflip", Export->Flip);
        Ini.WriteInteger(MainSection, "exportcanvaswidth", Export->CanvasWidth);
        Ini.WriteInteger(MainSection, "exportcanvasheight", Export->CanvasHeight);
        Ini.WriteString(MainSection, "exportanchor", Export->Anchor);
        Ini.WriteBool(MainSection, "exportlayers", Export->Layers);
        Ini.WriteBool(MainSection, "exportindexnames", Export->IndexNames);
        Ini.WriteString(MainSection, "exportmotions", Export->Motions);
        Ini.WriteString(MainSection, "exportdirections", Export->Directions);
        Ini.WriteInteger(MainSection, "exportpadding", Export->Padding);
        Ini.WriteInteger(MainSection, "exportextrude", Export->Extrude);
    }
    // Left out until something is locked, as the other new keys.
    if (Settings.Locks != TOutfitLocks() || HasKey(Ini, "lockslots") || HasKey(Ini, "lockcolors")) {
        Ini.WriteString(MainSection, "lockslots", LockedText(Settings.Locks.Slots, 1));
        Ini.WriteString(MainSection, "lockcolors", LockedText(Settings.Locks.Positions, 0));
    }
    for (int Place = 1; Place <= FavoriteCount; ++Place) {
        const TFavoriteItem& Favorite = Settings.Favorites[Place - 1];
        if (Favorite.Used)
            SaveFavorite(Ini, FavoriteSection(Place), Favorite);
        else if (Settings.EmptiedPlaces[static_cast<std::size_t>(Place - 1)])
            Ini.EraseSection(FavoriteSection(Place));
    }
}

} // namespace

void SaveGameFolder(TIniFile& Ini, const std::string& Folder) {
    Ini.WriteString(MainSection, GameFolderKey, Folder);
    Ini.UpdateFile();
}

void LoadSettings(const TIniFile& Ini, TPeltoSettings& Settings) {
    Settings.WloPath = Ini.ReadString(MainSection, GameFolderKey, "");
    if (const auto X = Ini.TryReadInteger(MainSection, "x"))
        Settings.X = X;
    if (const auto Y = Ini.TryReadInteger(MainSection, "y"))
        Settings.Y = Y;
    Settings.CloseOnClick = Ini.ReadBool(MainSection, "closeonclick", false);
    Settings.Shadow = Ini.ReadBool(MainSection, "shadow", false);
    Settings.ImageFolder = Ini.ReadString(MainSection, "imagefolder", "");
    if (const auto Zoom = Ini.TryReadInteger(MainSection, "zoom");
        Zoom && *Zoom % 100 == 0 && *Zoom >= 100 && *Zoom <= 400)
        Settings.Zoom = Zoom;
    Settings.ReopenLast = Ini.ReadBool(MainSection, "reopenlast", true);
    Settings.LastCode = Ini.ReadString(MainSection, "lastcode", "");
    Settings.LastMotion = Ini.ReadInteger(MainSection, "lastmotion", 0);
    Settings.LastDirection = Ini.ReadInteger(MainSection, "lastdirection", DefaultDirection);
    if (std::string Format = Ini.ReadString(MainSection, "exportformat", ""); !Format.empty()) {
        TPeltoSettings::TExportChoices Export;
        Export.Format = std::move(Format);
        Export.Scale = Ini.ReadInteger(MainSection, "exportscale", Export.Scale);
        Export.Scope = Ini.ReadString(MainSection, "exportscope", Export.Scope);
        Export.Trim = Ini.ReadBool(MainSection, "exporttrim", Export.Trim);
        Export.Delay = Ini.ReadInteger(MainSection, "exportdelay", Export.Delay);
        Export.Crop = Ini.ReadString(MainSection, "exportcrop", Export.Crop);
        Export.Flip = Ini.ReadBool(MainSection, "exportflip", Export.Flip);
        Export.CanvasWidth = Ini.ReadInteger(MainSection, "exportcanvaswidth", 0);
        Export.CanvasHeight = Ini.ReadInteger(MainSection, "exportcanvasheight", 0);
        Export.Anchor = Ini.ReadString(MainSection, "exportanchor", Export.Anchor);
        Export.Layers = Ini.ReadBool(MainSection, "exportlayers", Export.Layers);
        Export.IndexNames = Ini.ReadBool(MainSection, "exportindexnames", Export.IndexNames);
        Export.Motions = Ini.ReadString(MainSection, "exportmotions", "");
        Export.Directions = Ini.ReadString(MainSection, "exportdirections", "");
        Export.Padding = Ini.ReadInteger(MainSection, "exportpadding", 0);
        Export.Extrude = Ini.ReadInteger(MainSection, "exportextrude", 0);
        Settings.Export = Export;
    }
    Settings.Locks.Slots = LockedOf<SlotCount>(Ini.ReadString(MainSection, "lockslots", ""), 1);
    Settings.Locks.Positions =
        LockedOf<ColorPositionCount>(Ini.ReadString(MainSection, "lockcolors", ""), 0);
    for (int Place = 1; Place <= FavoriteCount; ++Place) {
        TFavoriteItem& Favorite = Settings.Favorites[Place - 1];
        const std::string Section = FavoriteSection(Place);
        Favorite.Used = Ini.SectionExists(Section);
        if (Favorite.Used)
            LoadFavorite(Ini, Section, Favorite);
    }
}

void SaveSettings(TIniFile& Ini, const TPeltoSettings& Settings) {
    WriteSettingsKeys(Ini, Settings);
    Ini.UpdateFile();
}

void SaveSettingsAs(const std::string& FileName, const std::string& CopyOf,
                    const TPeltoSettings& Settings) {
    TIniFile Ini(CopyOf);
    WriteSettingsKeys(Ini, Settings);
    Ini.SaveAs(FileName);
}

std::string SettingsFilePath(const std::string& ExecutablePath) {
    const std::string Beside = ChangeFileExt(ExecutablePath, ".ini");
    const std::string Folder = ExtractFilePath(Beside);
    // An installed program's folder is the system's, even where root may write to it.
    const bool Installed = Folder.starts_with("/usr/");
    if (!Installed && ::access(Folder.empty() ? "." : Folder.c_str(), W_OK) == 0)
        return Beside;
    return ConfigHome() + "/pelto/" + ExtractFileName(Beside);
}

} // namespace pelto
