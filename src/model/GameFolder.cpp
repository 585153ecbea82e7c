#include "model/GameFolder.h"

#include "game/wloutils.h"
#include "platform/Paths.h"
#include "platform/WineRegistry.h"

#include <vector>

namespace pelto {

bool CheckWloPath(std::string& WloPath, const TFolderPrompt& Prompt) {
    // True when the user picked another folder to go on with.
    const auto Ask = [&]() {
        if (!Prompt)
            return false;
        std::string Directory = DirectoryExists(WloPath) ? WloPath : std::string();
        if (!Prompt(Directory)) {
            WloPath.clear();
            return false;
        }
        WloPath = IncludeTrailingPathDelimiter(Directory);
        return true;
    };

    if (!DirectoryExists(WloPath) && !Ask())
        return false;
    WloPath = IncludeTrailingPathDelimiter(WloPath);
    if (!DirectoryExists(WloPath + "jma" + PathDelim) && !Ask())
        return false;
    if (!DirectoryExists(WloPath + "pic" + PathDelim) && !Ask())
        return false;
    if (!FileExists(WloPath + "data" + PathDelim + "Item.Dat"))
        return Ask();
    return true;
}

std::string FindWloPath(const std::string& SettingsValue) {
    const std::string Prefix = WinePrefix();
    std::vector<std::string> Candidates;
    Candidates.push_back(IsWindowsPath(SettingsValue) ? WindowsToUnixPath(Prefix, SettingsValue)
                                                      : SettingsValue);
    std::string Registered;
    GetWloInstallPath(Registered);
    Candidates.push_back(Registered);
    for (const char* Game : {"WLOEx3", "WLOnline"}) {
        for (const char* ProgramFiles : {"Program Files", "Program Files (x86)"})
            Candidates.push_back(WindowsToUnixPath(Prefix, std::string("C:\\") + ProgramFiles +
                                                               "\\GAMESPACE24\\" + Game + "\\"));
    }
    for (std::string& Candidate : Candidates) {
        if (!Candidate.empty() && CheckWloPath(Candidate, {}))
            return Candidate;
    }
    return {};
}

} // namespace pelto
