#pragma once

#include "platform/LruCache.h"

#include <cstddef>
#include <memory>
#include <string>

namespace pelto {

class TJmaJmp;
class TSpriteFiles;

/// Sprites decoded once and shared by every thread that draws: a warm sprite is neither read
/// from its archive nor copied, only its working palette is the caller's own. Bounded by the
/// bytes the decoded frames take; the sprite used longest ago goes first. Safe to use from any
/// number of threads at once.
class TSpriteCache {
public:
    /// With Files, sprites are decoded from those bytes only, never from the disk.
    explicit TSpriteCache(std::size_t MaxBytes, std::shared_ptr<const TSpriteFiles> Files = {});
    ~TSpriteCache();

    /// Makes Sprite the sprite JmpName of the archive JmaPath, as TJmaJmp::LoadFromFile does and
    /// raising what it raises; a failed load is not kept, so the next call tries again. Returns
    /// false, leaving Sprite as it is, when the archive is not there (looked for on a miss only).
    bool Load(TJmaJmp& Sprite, const std::string& JmaPath, const std::string& JmpName) const;
    /// The files sprites are decoded from, or nullptr for the disk.
    const TSpriteFiles* Files() const { return FFiles.get(); }

    TLruStats Stats() const { return FSprites.Stats(); }

private:
    mutable TLruCache<TJmaJmp> FSprites;
    std::shared_ptr<const TSpriteFiles> FFiles;
};

} // namespace pelto
