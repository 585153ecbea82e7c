#include "service/GameReloader.h"

#include "platform/Errors.h"
#include "platform/Format.h"
#include "service/MemoryPlan.h"
#include "service/ServiceHolder.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <utility>

namespace pelto::service {
namespace {

/// A game and the service drawing from it, which must go together.
struct TServedGame {
    TServedGame(std::unique_ptr<TGameData> Loaded, const TServiceOptions& Options)
        : Game(std::move(Loaded)), Service(*Game, Options) {}

    const std::unique_ptr<TGameData> Game;
    TRenderService Service;
};

} // namespace

TGameReloader::TGameReloader(std::string Folder, TGameOpening Opening, TServiceOptions Options,
                             TServiceHolder& Holder, std::unique_ptr<TGameData> Game,
                             std::size_t MaxFileBytes)
    : FFolder(std::move(Folder)), FOpening(std::move(Opening)), FOptions(std::move(Options)),
      FHolder(Holder), FMaxFileBytes(MaxFileBytes) {
    if (!FOptions.Metrics)
        FOptions.Metrics = std::make_shared<TServiceMetrics>();
    FHolder.Replace(Serving(std::move(Game)));
}

std::shared_ptr<TRenderService> TGameReloader::Serving(std::unique_ptr<TGameData> Game) const {
    if (!Game) // only when the opening tells of damage instead of raising
        throw EWloError("The game cannot be opened: " + FFolder);
    auto Served = std::make_shared<TServedGame>(std::move(Game), FOptions);
    return {Served, &Served->Service};
}

bool TGameReloader::Reload() {
    const std::lock_guard Lock(FReloading);
    std::shared_ptr<TRenderService> Fresh;
    try {
        if (const std::size_t Bytes = GameFileBytes(FFolder);
            FMaxFileBytes && Bytes > FMaxFileBytes)
            throw EWloError(
                Format("the game's files take %zu MiB, more than the %zu MiB its memory "
                       "was planned for; restart the service with more --memory-mb",
                       (Bytes + (1 << 20) - 1) >> 20, FMaxFileBytes >> 20));
        Fresh = Serving(OpenGame(FFolder, FOpening));
    } catch (const std::exception& Error) {
        std::string Reason = ErrorText(Error, ": ");
        std::replace(Reason.begin(), Reason.end(), '\n', ' '); // one line, whatever it says
        Log("reload failed: " + Reason);
        return false;
    }
    const std::string Identity = Fresh->GameIdentity();
    FHolder.Replace(std::move(Fresh));
    Log("reloaded " + FFolder + ", identity " + Identity);
    return true;
}

void TGameReloader::Log(const std::string& Line) const {
    std::ostream& Out = FOptions.Log ? *FOptions.Log : std::cerr;
    Out << Line << std::endl;
}

} // namespace pelto::service
