#include "model/GameFolder.h"

#include "game/GameFacts.h"

#include "game/wloutils.h"
#include "platform/Paths.h"
#include "platform/WineRegistry.h"

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <system_error>
#include <vector>

namespace pelto {

std::string WloPathProblem(const std::string& Folder) {
    if (Folder.empty() || !DirectoryExists(Folder))
        return "This folder does not exist.";
    const std::string Base = IncludeTrailingPathDelimiter(Folder);
    for (const TGameFolderNeed& Need : GameFolderNeeds) {
        const std::string Path = Base + std::string(Need.Path);
        if (Need.Folder ? !DirectoryExists(Path) : !FileExists(Path))
            return "This folder has no " + std::string(Need.Path) +
                   (Need.Folder ? " folder." : ".");
    }
    return {};
}

std::string GameFolderAtOrBelow(const std::string& Chosen) {
    if (WloPathProblem(Chosen).empty())
        return IncludeTrailingPathDelimiter(Chosen);
    std::vector<std::string> Inside;
    std::error_code Error;
    for (std::filesystem::directory_iterator It(Chosen, Error), End; !Error && It != End;
         It.increment(Error))
        if (It->is_directory(Error))
            Inside.push_back(It->path().string());
    std::sort(Inside.begin(), Inside.end());
    for (const std::string& Folder : Inside)
        if (WloPathProblem(Folder).empty())
            return IncludeTrailingPathDelimiter(Folder);
    return {};
}

bool CheckWloPath(std::string& WloPath, const TFolderPrompt& Prompt) {
    // Every folder, also one the user picked, passes all the tests before it is taken.
    for (;;) {
        const std::string Problem = WloPathProblem(WloPath);
        const bool Exists = !WloPath.empty() && DirectoryExists(WloPath);
        if (Exists)
            WloPath = IncludeTrailingPathDelimiter(WloPath);
        if (Problem.empty())
            return true;
        if (!Prompt)
            return false;
        std::string Directory = Exists ? WloPath : std::string();
        // Nothing to say when there was no folder to try, as when none was found at all.
        if (!Prompt(Directory, WloPath.empty() ? std::string() : Problem)) {
            WloPath.clear();
            return false;
        }
        WloPath = Directory;
    }
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
