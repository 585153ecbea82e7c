#pragma once

#include <functional>
#include <string>

namespace pelto {

/// The instruction shown in the folder chooser.
inline constexpr const char* WloFolderCaption = "Specify the installed directory of WLO:";

/// Shows the folder chooser with Directory preselected (empty: nothing preselected). True
/// with Directory set to the chosen folder when the user confirms; false when cancelled.
using TFolderPrompt = std::function<bool(std::string& Directory)>;

/// Tests that WloPath is a game folder: an existing folder, its subfolders jma and pic, the
/// file data/Item.Dat, in that order; on success WloPath ends with '/'. At each failed test:
/// - without a Prompt the result is false and WloPath stays as it was;
/// - with one, the user is asked: a cancel empties WloPath and gives false; a chosen folder
///   (with '/' appended) replaces WloPath and the tests go on from the next one; the tests
///   already passed are not repeated for it. A folder chosen at the last test is taken as
///   it is.
bool CheckWloPath(std::string& WloPath, const TFolderPrompt& Prompt);

/// The first candidate that passes CheckWloPath without a prompt, with its trailing '/', or
/// empty: the settings value (a Windows path taken inside the Wine prefix), the folder the
/// game's uninstaller registered in the Wine registry, then the two default install folders
/// on the prefix's drive C:, each under "Program Files" and then "Program Files (x86)".
/// The caller then runs CheckWloPath with its prompt on the result.
std::string FindWloPath(const std::string& SettingsValue);

} // namespace pelto
