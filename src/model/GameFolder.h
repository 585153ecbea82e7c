#pragma once

#include <functional>
#include <string>

namespace pelto {

/// The instruction shown in the folder chooser.
inline constexpr const char* WloFolderCaption = "Specify the installed directory of WLO:";

/// Shows the folder chooser with Directory preselected (empty: nothing preselected) and, when
/// not empty, Problem: what the folder tried last lacks. True with Directory set to the chosen
/// folder when the user confirms; false when cancelled.
using TFolderPrompt = std::function<bool(std::string& Directory, const std::string& Problem)>;

/// What keeps Folder from being a game folder, as a line to show ("This folder has no
/// data/Item.Dat."), or empty when it is one: an existing folder with the subfolders jma and
/// pic and the file data/Item.Dat, names matched without regard to letter case.
std::string WloPathProblem(const std::string& Folder);

/// Chosen itself when it is a game folder, else the first folder directly inside it that is one
/// (in name order: a player may pick the folder holding the game's), with its trailing '/';
/// empty when neither is: WloPathProblem(Chosen) then says what Chosen lacks.
std::string GameFolderAtOrBelow(const std::string& Chosen);

/// Tests that WloPath is a game folder; on success WloPath ends with '/'. When it is not:
/// - without a Prompt the result is false and WloPath stays as it was (with '/' added when
///   the folder exists);
/// - with one, the user is asked, shown what is missing, until a chosen folder passes every
///   test (true, WloPath that folder) or the user cancels (false, WloPath empty).
bool CheckWloPath(std::string& WloPath, const TFolderPrompt& Prompt);

/// The first candidate that passes CheckWloPath without a prompt, with its trailing '/', or
/// empty: the settings value (a Windows path taken inside the Wine prefix), the folder the
/// game's uninstaller registered in the Wine registry, then the two default install folders
/// on the prefix's drive C:, each under "Program Files" and then "Program Files (x86)".
/// The caller then runs CheckWloPath with its prompt on the result.
std::string FindWloPath(const std::string& SettingsValue);

} // namespace pelto
