#include "sprites/SpriteCache.h"

#include "platform/Paths.h"
#include "platform/Text.h"
#include "sprites/wlojmajmp.h"

namespace pelto {
namespace {

// Archive and sprite names are compared ignoring case, as the catalogue does.
std::string CacheKey(const std::string& JmaPath, const std::string& JmpName) {
    return JmaPath + '\0' + UpperCase(JmpName);
}

} // namespace

bool TSpriteCache::Load(TJmaJmp& Sprite, const std::string& JmaPath,
                        const std::string& JmpName) const {
    const std::string Key = CacheKey(JmaPath, JmpName);
    {
        std::lock_guard Lock(FMutex);
        if (const auto Found = FIndex.find(Key); Found != FIndex.end()) {
            FOrder.splice(FOrder.begin(), FOrder, Found->second);
            ++FStats.Hits;
            Sprite.ShareFrom(*Found->second->Sprite);
            return true;
        }
        ++FStats.Misses;
    }
    // Decoded outside the lock so that other threads keep drawing meanwhile; two threads
    // missing the same sprite both decode it and the second one's copy is kept.
    if (!FileExists(JmaPath))
        return false;
    auto Loaded = std::make_shared<TJmaJmp>();
    Loaded->LoadFromFile(JmaPath, JmpName);
    Sprite.ShareFrom(*Loaded);
    Insert(Key, std::move(Loaded));
    return true;
}

void TSpriteCache::Insert(const std::string& Key, std::shared_ptr<const TJmaJmp> Sprite) const {
    const std::size_t Bytes = Sprite->DataBytes();
    std::lock_guard Lock(FMutex);
    if (const auto Found = FIndex.find(Key); Found != FIndex.end()) {
        FStats.Bytes -= Found->second->Bytes;
        FOrder.erase(Found->second);
        FIndex.erase(Found);
    }
    if (Bytes > FMaxBytes)
        return;
    while (FStats.Bytes + Bytes > FMaxBytes && !FOrder.empty()) {
        FStats.Bytes -= FOrder.back().Bytes;
        FIndex.erase(FOrder.back().Key);
        FOrder.pop_back();
    }
    FOrder.push_front({Key, std::move(Sprite), Bytes});
    FIndex.emplace(Key, FOrder.begin());
    FStats.Bytes += Bytes;
}

TSpriteCache::TStats TSpriteCache::Stats() const {
    std::lock_guard Lock(FMutex);
    TStats Stats = FStats;
    Stats.Sprites = FOrder.size();
    return Stats;
}

} // namespace pelto
