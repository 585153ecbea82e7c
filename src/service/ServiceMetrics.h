#pragma once

#include "platform/LruCache.h"
#include "service/ServiceRequest.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace pelto::service {

/// Counters of what the service did, for /metrics in Prometheus's text format. Counting takes
/// no lock, so every request can count.
class TServiceMetrics {
public:
    void CountRequest(TEndpoint Endpoint, int Status);
    void CountRender(double Seconds);

    /// The exposition; the caches' figures are the caller's.
    std::string Text(const TLruStats& Responses, const TLruStats& Sprites) const;

private:
    static constexpr std::array<int, 9> Statuses{200, 304, 400, 404, 405, 414, 431, 500, 503};
    static constexpr std::array<double, 11> RenderBuckets{0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                          0.1,   0.25,   0.5,   1,    2.5};
    static constexpr std::size_t OtherStatus = Statuses.size();

    std::array<std::array<std::atomic<std::uint64_t>, Statuses.size() + 1>, EndpointNames.size()>
        FRequests{};
    std::array<std::atomic<std::uint64_t>, RenderBuckets.size()> FRenderBuckets{};
    std::atomic<std::uint64_t> FRenders{0};
    std::atomic<std::uint64_t> FRenderMicroseconds{0};
};

} // namespace pelto::service
