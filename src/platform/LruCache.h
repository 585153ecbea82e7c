#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

namespace pelto {

struct TLruStats {
    std::uint64_t Hits = 0;
    std::uint64_t Misses = 0;
    std::size_t Bytes = 0;
    std::size_t Entries = 0;
};

/// Shared read-only values by key, bounded by the bytes their owners say they take; the one
/// used longest ago goes first. Safe to use from many threads at once.
template <typename TValue> class TLruCache {
public:
    explicit TLruCache(std::size_t MaxBytes) : FMaxBytes(MaxBytes) {}
    TLruCache(const TLruCache&) = delete;
    TLruCache& operator=(const TLruCache&) = delete;

    /// nullptr when Key is not kept; counts a hit or a miss.
    std::shared_ptr<const TValue> Find(const std::string& Key) {
        std::lock_guard Lock(FMutex);
        const auto Found = FIndex.find(Key);
        if (Found == FIndex.end()) {
            ++FStats.Misses;
            return nullptr;
        }
        ++FStats.Hits;
        FOrder.splice(FOrder.begin(), FOrder, Found->second);
        return Found->second->Value;
    }

    /// Keeps Value under Key in place of what Key had; a value bigger than the whole cache is
    /// not kept.
    void Insert(const std::string& Key, std::shared_ptr<const TValue> Value, std::size_t Bytes) {
        const std::size_t Overhead = 2 * Key.size() + sizeof(TEntry); // the key is held twice
        std::lock_guard Lock(FMutex);
        if (const auto Found = FIndex.find(Key); Found != FIndex.end())
            Drop(Found->second);
        // Compared before adding, so that no size wraps round to one that fits.
        if (Bytes > FMaxBytes || Overhead > FMaxBytes - Bytes)
            return;
        Bytes += Overhead;
        while (FStats.Bytes + Bytes > FMaxBytes && !FOrder.empty())
            Drop(std::prev(FOrder.end()));
        FOrder.push_front({Key, std::move(Value), Bytes});
        FIndex.emplace(Key, FOrder.begin());
        FStats.Bytes += Bytes;
    }

    TLruStats Stats() const {
        std::lock_guard Lock(FMutex);
        TLruStats Stats = FStats;
        Stats.Entries = FOrder.size();
        return Stats;
    }

private:
    struct TEntry {
        std::string Key;
        std::shared_ptr<const TValue> Value;
        std::size_t Bytes;
    };
    using TOrder = std::list<TEntry>; // most recently used first

    void Drop(typename TOrder::iterator Entry) {
        FStats.Bytes -= Entry->Bytes;
        FIndex.erase(Entry->Key);
        FOrder.erase(Entry);
    }

    const std::size_t FMaxBytes;
    mutable std::mutex FMutex;
    TOrder FOrder;
    std::unordered_map<std::string, typename TOrder::iterator> FIndex;
    TLruStats FStats;
};

} // namespace pelto
