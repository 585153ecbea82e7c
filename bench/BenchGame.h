#pragma once

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace pelto::bench {

/// The game folder the benchmarks run on (scripts/bench writes a full-size demo there).
inline std::string GameFolder() {
    const char* Folder = std::getenv("PELTO_BENCH_GAME");
    if (!Folder || !*Folder)
        throw std::runtime_error("set PELTO_BENCH_GAME to a game folder (scripts/bench does)");
    return std::string(Folder) + "/";
}

} // namespace pelto::bench
