#include "cli/GameOption.h"

#include "cli/CliArgs.h"
#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/Paths.h"

namespace pelto::cli {

std::string CheckedGameFolder(const std::string& Dir) {
    if (!IsWloFolder(Dir))
        throw EWloError("Not a game folder (it needs jma, pic and data/Item.Dat): " + Dir);
    return IncludeTrailingPathDelimiter(Dir);
}

std::string GameFolder(const TCliArgs& Args) {
    return CheckedGameFolder(Args.Required("game"));
}

std::unique_ptr<TGameData> LoadGame(const std::string& Folder) {
    return OpenGame(Folder, {});
}

} // namespace pelto::cli
