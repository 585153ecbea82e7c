// Game installations: the synthetic demo written, the viewer's own found or set.
#include "cli/CliArgs.h"
#include "cli/CliTable.h"
#include "cli/CommandHandlers.h"
#include "cli/GameOption.h"
#include "demo/DemoInstallation.h"
#include "model/GameFolder.h"
#include "model/Settings.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace pelto::cli {
namespace {

/// The settings file of --settings, else the one of the viewer `pelto` beside pelto-cli.
std::string SettingsFile(const TCliArgs& Args, const std::string& ExecutablePath) {
    if (const auto File = Args.Value("settings"))
        return *File;
    return SettingsFilePath(ExtractFilePath(ExecutablePath) + "pelto");
}

/// Saves Dir as the viewer's game folder; returns it as saved: absolute, since the viewer
/// may start from any folder, with its trailing delimiter.
std::string SaveGameFolder(const std::string& File, const std::string& Dir) {
    const std::string Folder =
        CheckedGameFolder(std::filesystem::absolute(Dir).lexically_normal().string());
    TIniFile Ini(File);
    pelto::SaveGameFolder(Ini, Folder);
    return Folder;
}

} // namespace

void DemoCommand(const TCommandCall& Call) {
    const std::string Scale = Call.Args.Value("scale").value_or(std::string(DemoScaleNames[0]));
    const auto Found = std::find(DemoScaleNames.begin(), DemoScaleNames.end(), Scale);
    if (Found == DemoScaleNames.end())
        throw EUsageError("--scale must be " + std::string(DemoScaleNames[0]) + " or " +
                          std::string(DemoScaleNames[1]));
    WriteDemoInstallation(Call.Args.Required("out"),
                          static_cast<TDemoScale>(Found - DemoScaleNames.begin()));
}

void GameFolderCommand(const TCommandCall& Call) {
    const TCliArgs& Args = Call.Args;
    const std::string File = SettingsFile(Args, Call.ExecutablePath);
    if (const auto Dir = Args.Value("set")) {
        Call.Out << SaveGameFolder(File, *Dir) << "\n";
        return;
    }
    // The viewer's own file may well not exist yet; one named by hand is expected to.
    if (Args.Value("settings") && !FileExists(File))
        throw EWloError("Settings file not found: " + File);
    TPeltoSettings Settings;
    LoadSettings(TIniFile(File), Settings);
    const std::string Folder = FindWloPath(Settings.WloPath);
    if (Folder.empty())
        throw EWloError("No game folder found");
    Call.Out << Folder << "\n";
}

} // namespace pelto::cli
