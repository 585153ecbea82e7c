#pragma once

#include <memory>
#include <string>

namespace pelto {
class TGameData;
}

namespace pelto::cli {

class TCliArgs;

/// The game folder Dir, checked as the viewer checks it, with its trailing delimiter.
std::string CheckedGameFolder(const std::string& Dir);

/// The game folder named by --game.
std::string GameFolder(const TCliArgs& Args);

/// What dressing and drawing a character needs of the game of Folder: the icon file, the
/// biggest of all, is not read. A damaged file ends the command.
std::unique_ptr<TGameData> LoadGame(const std::string& Folder);

} // namespace pelto::cli
