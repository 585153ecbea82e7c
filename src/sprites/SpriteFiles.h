#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace pelto {

class TJmaList;

/// Every archive of a sprite catalogue and the animation index beside it, read whole once.
/// What is drawn from them stays what it was when the files on the disk change or go: a
/// long-running service draws from the game as it started, not from files half replaced.
class TSpriteFiles {
public:
    struct TSprites {
        std::vector<std::uint8_t> Archive;
        std::vector<std::uint8_t> Index;
    };

    /// Reads the archives List found and their indexes; raises the first failure, an archive
    /// without its index included, naming the file.
    explicit TSpriteFiles(const TJmaList& List);

    /// The archive JmaPath (as the catalogue gives it) and its index, or nullptr.
    const TSprites* Find(const std::string& JmaPath) const;
    /// The bytes held, for the process's memory budget.
    std::size_t Bytes() const { return FBytes; }
    /// Every file by its path, in path order, for a digest of the game's content.
    const std::map<std::string, TSprites>& Files() const { return FFiles; }

private:
    std::map<std::string, TSprites> FFiles;
    std::size_t FBytes = 0;
};

} // namespace pelto
