#include "service/Serve.h"

#include "model/GameData.h"
#include "service/HttpServer.h"
#include "service/RenderService.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <ctime>
#include <ostream>
#include <pthread.h>
#include <thread>
#include <vector>

namespace pelto::service {
namespace {

// Pictures are drawn by at most Config.Threads workers at once; the others answer from the
// cache and the lists meanwhile.
int Workers(int RenderThreads) {
    return std::max(8, 2 * RenderThreads + 4);
}

/// SIGTERM and SIGINT, blocked in every thread the server starts and taken by one watcher.
class TStopSignals {
public:
    TStopSignals() {
        sigemptyset(&FSignals);
        sigaddset(&FSignals, SIGTERM);
        sigaddset(&FSignals, SIGINT);
        pthread_sigmask(SIG_BLOCK, &FSignals, &FPrevious);
        // A client gone before its answer is written must not end the service.
        std::signal(SIGPIPE, SIG_IGN);
    }
    ~TStopSignals() {
        FDone = true;
        if (FWatcher.joinable())
            FWatcher.join();
        pthread_sigmask(SIG_SETMASK, &FPrevious, nullptr);
    }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    void StopOnSignal(THttpServer& Server) {
        FWatcher = std::thread([this, &Server] {
            const timespec Tick{0, 100'000'000};
            while (!FDone) {
                const int Signal = sigtimedwait(&FSignals, nullptr, &Tick);
                if (Signal == SIGTERM || Signal == SIGINT) {
                    Server.Stop();
                    return;
                }
            }
        });
    }

private:
    sigset_t FSignals{};
    sigset_t FPrevious{};
    std::atomic<bool> FDone{false};
    std::thread FWatcher;
};

} // namespace

bool ParseListenAddress(const std::string& Text, TServeConfig& Config) {
    const std::size_t Colon = Text.rfind(':');
    if (Colon == std::string::npos || Colon == 0)
        return false;
    std::string Host = Text.substr(0, Colon);
    if (Host.front() == '[') {
        if (Host.size() < 3 || Host.back() != ']')
            return false;
        Host = Host.substr(1, Host.size() - 2);
    }
    const std::string Port = Text.substr(Colon + 1);
    if (Port.empty() || Port.size() > 5 ||
        Port.find_first_not_of("0123456789") != std::string::npos || std::stoi(Port) > 65535)
        return false;
    Config.Host = Host;
    Config.Port = std::stoi(Port);
    return true;
}

void Serve(const TServeConfig& Config, std::ostream& Out) {
    // A damaged file would serve pictures missing some of their parts: the service does not start.
    const auto Game = OpenGame(
        Config.GameFolder,
        {.ItemIcons = true, .SpriteCacheBytes = SpriteCacheBytes, .SnapshotSprites = true});

    TRenderService Service(*Game, {Config.CacheBytes, Config.Threads});
    TStopSignals Signals; // before the server's threads, which inherit the blocked signals
    THttpServer Server(Service, Workers(Config.Threads));
    const int Port = Server.Bind(Config.Host, Config.Port);
    const bool V6 = Config.Host.find(':') != std::string::npos;
    Out << "listening on http://" << (V6 ? "[" + Config.Host + "]" : Config.Host) << ":" << Port
        << std::endl;
    Signals.StopOnSignal(Server);
    Server.Run();
}

} // namespace pelto::service
