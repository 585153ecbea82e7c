#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace pelto {

class TJmaJmp;

/// Sprites decoded once and shared by every thread that draws: a warm sprite is neither read
/// from its archive nor copied, only its working palette is the caller's own. Bounded by the
/// bytes the decoded frames take; the sprite used longest ago goes first. Safe to use from any
/// number of threads at once.
class TSpriteCache {
public:
    explicit TSpriteCache(std::size_t MaxBytes) : FMaxBytes(MaxBytes) {}
    TSpriteCache(const TSpriteCache&) = delete;
    TSpriteCache& operator=(const TSpriteCache&) = delete;

    /// Makes Sprite the sprite JmpName of the archive JmaPath, as TJmaJmp::LoadFromFile does and
    /// raising what it raises; a failed load is not kept, so the next call tries again. Returns
    /// false, leaving Sprite as it is, when the archive is not there (looked for on a miss only).
    bool Load(TJmaJmp& Sprite, const std::string& JmaPath, const std::string& JmpName) const;

    struct TStats {
        std::uint64_t Hits = 0;
        std::uint64_t Misses = 0;
        std::size_t Bytes = 0;
        std::size_t Sprites = 0;
    };
    TStats Stats() const;

private:
    struct TEntry {
        std::string Key;
        std::shared_ptr<const TJmaJmp> Sprite;
        std::size_t Bytes;
    };
    using TOrder = std::list<TEntry>; // most recently used first

    void Insert(const std::string& Key, std::shared_ptr<const TJmaJmp> Sprite) const;

    const std::size_t FMaxBytes;
    mutable std::mutex FMutex;
    mutable TOrder FOrder;
    mutable std::unordered_map<std::string, TOrder::iterator> FIndex;
    mutable TStats FStats;
};

} // namespace pelto
