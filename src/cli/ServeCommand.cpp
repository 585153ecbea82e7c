// The render service.
#include "cli/CliArgs.h"
#include "cli/CliTable.h"
#include "cli/CommandHandlers.h"
#include "cli/GameOption.h"
#include "service/Serve.h"

#include <algorithm>
#include <cstddef>
#include <thread>

namespace pelto::cli {

void ServeCommand(const TCommandCall& Call) {
    const TCliArgs& Args = Call.Args;
    service::TServeConfig Config;
    Config.GameFolder = GameFolder(Args);
    if (const auto Listen = Args.Value("listen");
        Listen && !service::ParseListenAddress(*Listen, Config))
        throw EUsageError("--listen must be HOST:PORT, PORT 0..65535");
    const long Cores = std::max(1u, std::thread::hardware_concurrency());
    Config.Threads = static_cast<int>(Args.Number("threads").value_or(Cores));
    if (const auto Megabytes = Args.Number("memory-mb"))
        Config.MemoryBytes = static_cast<std::size_t>(*Megabytes) << 20;
    if (const auto Megabytes = Args.Number("cache-mb"))
        Config.CacheBytes = static_cast<std::size_t>(*Megabytes) << 20;
    if (const auto Url = Args.Value("public-url")) {
        const auto Origin = service::ParsePublicUrl(*Url);
        if (!Origin)
            throw EUsageError("--public-url must be http://HOST[:PORT] or https://HOST[:PORT], "
                              "without a path, query or fragment");
        Config.PublicUrl = *Origin;
    }
    if (const auto Metrics = Args.Value("metrics-listen")) {
        Config.MetricsListen.emplace();
        if (!service::ParseListenAddress(*Metrics, *Config.MetricsListen))
            throw EUsageError("--metrics-listen must be HOST:PORT, PORT 0..65535");
    }
    service::Serve(Config, Call.Live);
}

} // namespace pelto::cli
