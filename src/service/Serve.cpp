#include "service/Serve.h"

#include "model/GameData.h"
#include "service/GameReloader.h"
#include "service/HttpServer.h"
#include "service/MemoryPlan.h"
#include "service/RenderService.h"
#include "service/ServiceHolder.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <ctime>
#include <malloc.h>
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

/// SIGTERM, SIGINT and SIGHUP, blocked in every thread the server starts and taken by one
/// watcher, which also runs the reloads: they take no thread from the network or the workers.
class TServiceSignals {
public:
    TServiceSignals() {
        sigemptyset(&FSignals);
        sigaddset(&FSignals, SIGTERM);
        sigaddset(&FSignals, SIGINT);
        sigaddset(&FSignals, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &FSignals, &FPrevious);
        // A client gone before its answer is written must not end the service.
        std::signal(SIGPIPE, SIG_IGN);
    }
    ~TServiceSignals() {
        FDone = true;
        if (FWatcher.joinable())
            FWatcher.join();
        pthread_sigmask(SIG_SETMASK, &FPrevious, nullptr);
    }
    TServiceSignals(const TServiceSignals&) = delete;
    TServiceSignals& operator=(const TServiceSignals&) = delete;

    void Watch(THttpServer& Server, TGameReloader& Reloader) {
        FWatcher = std::thread([this, &Server, &Reloader] {
            const timespec Tick{0, 100'000'000};
            while (!FDone) {
                const int Signal = sigtimedwait(&FSignals, nullptr, &Tick);
                if (Signal == SIGTERM || Signal == SIGINT) {
                    Server.Stop();
                    return;
                }
                if (Signal == SIGHUP)
                    Reloader.Reload();
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
    TListenAddress Address;
    if (!ParseListenAddress(Text, Address))
        return false;
    Config.Host = Address.Host;
    Config.Port = Address.Port;
    return true;
}

bool ParseListenAddress(const std::string& Text, TListenAddress& Address) {
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
    Address.Host = Host;
    Address.Port = std::stoi(Port);
    return true;
}

void Serve(const TServeConfig& Config, std::ostream& Out) {
    const std::size_t FileBytes = GameFileBytes(Config.GameFolder);
    const TMemoryPlan Plan = PlanMemory(Config.MemoryBytes, FileBytes, Config.CacheBytes);
    // Each thread's own arena would hold its slack apart from the others' and out of the plan.
    mallopt(M_ARENA_MAX, 2);
    // A damaged file would serve pictures missing some of their parts: the service does not start.
    const TGameOpening Opening{
        .ItemIcons = true, .SpriteCacheBytes = Plan.SpriteBytes, .SnapshotSprites = true};
    auto Game = OpenGame(Config.GameFolder, Opening);

    TServiceHolder Services;
    TServiceSignals Signals; // before the server's threads, which inherit the blocked signals
    THttpServer Server(Services, Workers(Config.Threads));
    Server.SetAnswerBytes(Plan.AnswerBytes);
    const int Port = Server.Bind(Config.Host, Config.Port);
    const int MetricsPort = Config.MetricsListen ? Server.BindMetrics(Config.MetricsListen->Host,
                                                                      Config.MetricsListen->Port)
                                                 : 0;
    TServiceOptions Options{Plan.CacheBytes, Config.Threads};
    Options.WorkBytes = Plan.WorkBytes;
    Options.PublicUrl = Config.PublicUrl;
    Options.Listen = {Config.Host, Port};
    // A game grown past the plan would take more than the memory given: it is not reloaded.
    TGameReloader Reloader(Config.GameFolder, Opening, Options, Services, std::move(Game),
                           Plan.GameBytes / 2);
    const auto Shown = [](const std::string& Host) {
        return Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
    };
    Out << "listening on http://" << Shown(Config.Host) << ":" << Port << std::endl;
    if (Config.MetricsListen)
        Out << "metrics on http://" << Shown(Config.MetricsListen->Host) << ":" << MetricsPort
            << std::endl;
    Signals.Watch(Server, Reloader);
    Server.Run();
}

} // namespace pelto::service
