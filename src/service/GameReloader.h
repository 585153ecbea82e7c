#pragma once

#include "model/GameData.h"
#include "service/RenderService.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace pelto::service {

class TServiceHolder;

/// The game of a folder served by a render service in Holder: opened at start, and again on
/// each Reload beside the one served, which it replaces whole only once it is ready.
class TGameReloader {
public:
    /// Puts the service of Game, opened from Folder as Opening says, in Holder. Every service
    /// made shares one set of counters (Options.Metrics, or one made here). A folder whose
    /// files (GameFileBytes) grow beyond MaxFileBytes is not reloaded; 0: no bound.
    TGameReloader(std::string Folder, TGameOpening Opening, TServiceOptions Options,
                  TServiceHolder& Holder, std::unique_ptr<TGameData> Game,
                  std::size_t MaxFileBytes = 0);
    TGameReloader(const TGameReloader&) = delete;
    TGameReloader& operator=(const TGameReloader&) = delete;

    /// Opens the folder again and serves it from now on, logging "reloaded FOLDER, identity
    /// HEX"; when it cannot be opened, the game served stays and the log gets the one line
    /// "reload failed: REASON". True when reloaded. Reloads are taken one at a time.
    bool Reload();

private:
    std::shared_ptr<TRenderService> Serving(std::unique_ptr<TGameData> Game) const;
    void Log(const std::string& Line) const;

    const std::string FFolder;
    const TGameOpening FOpening;
    TServiceOptions FOptions;
    TServiceHolder& FHolder;
    const std::size_t FMaxFileBytes;
    std::mutex FReloading;
};

} // namespace pelto::service
