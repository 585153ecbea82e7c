#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace pelto::service {

/// Memory no option governs: the program and its libraries, the threads' stacks in use, the
/// connections' buffers and the allocator's slack, as measured on an idle service plus room.
inline constexpr std::size_t BaseMemoryBytes = std::size_t{48} << 20;
/// Below this much for its caches and its work, a service would draw little but 503s.
inline constexpr std::size_t LeastWorkingBytes = std::size_t{32} << 20;

/// How the memory of a service is shared out.
struct TMemoryPlan {
    std::size_t GameBytes = 0;   // the game files held, room for a reload beside them included
    std::size_t CacheBytes = 0;  // answers kept for later requests
    std::size_t SpriteBytes = 0; // decoded sprites shared between the pictures
    std::size_t WorkBytes = 0;   // pictures and lists being made
    std::size_t AnswerBytes = 0; // answers held while they go out to their clients
};

/// Shares MemoryBytes out over a game whose files take GameFileBytes: the files twice (a
/// reload reads the new ones beside those served), the base, and of the rest a quarter for
/// work, the answer cache CacheBytes when given or another quarter, and of what is left a
/// quarter for the answers going out and the rest for the sprites. Raises EWloError naming the
/// least memory that would do when MemoryBytes is too small, or CacheBytes too big for it.
TMemoryPlan PlanMemory(std::size_t MemoryBytes, std::size_t GameFileBytes,
                       std::optional<std::size_t> CacheBytes);

/// The bytes of the files a service reads from the game Folder: its sprite folder, item table
/// and item icons, as far as they exist.
std::size_t GameFileBytes(const std::string& Folder);

} // namespace pelto::service
