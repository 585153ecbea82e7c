#pragma once

#include "service/PageOrigin.h"

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>

namespace pelto::service {

struct TServeConfig {
    std::string GameFolder;
    std::string Host = "127.0.0.1";
    int Port = 8080; // 0: a free one
    int Threads = 1;
    std::size_t MemoryBytes = std::size_t{512} << 20; // the whole process's (see PlanMemory)
    std::optional<std::size_t> CacheBytes{};          // of answers; none: as the plan shares
    std::string PublicUrl{};                          // as ParsePublicUrl gives it; empty: none
    std::optional<TListenAddress> MetricsListen{};    // where /metrics is served; none: nowhere
};

/// "HOST:PORT" or "[V6ADDRESS]:PORT" into Config; false when Text is neither.
bool ParseListenAddress(const std::string& Text, TServeConfig& Config);
bool ParseListenAddress(const std::string& Text, TListenAddress& Address);

/// Plans Config's memory (PlanMemory), loads the game of Config, listens, tells Out "listening on
/// http://HOST:PORT" (then "metrics on http://HOST:PORT" with a metrics listener) and serves until
/// SIGTERM or SIGINT, then stops taking connections and returns once the requests in flight are
/// answered. SIGHUP loads the game folder again, and serves it once it is loaded whole; the game
/// served stays when it cannot be. Raises EWloError when the memory is too little for the game, the
/// game cannot be loaded or an address had.
void Serve(const TServeConfig& Config, std::ostream& Out);

} // namespace pelto::service
