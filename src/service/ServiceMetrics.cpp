#include "service/ServiceMetrics.h"

#include "platform/Format.h"

#include <string_view>

namespace pelto::service {

void TServiceMetrics::CountRequest(TEndpoint Endpoint, int Status) {
    std::size_t Column = OtherStatus;
    for (std::size_t I = 0; I < Statuses.size(); ++I)
        if (Statuses[I] == Status)
            Column = I;
    FRequests[static_cast<std::size_t>(Endpoint)][Column].fetch_add(1, std::memory_order_relaxed);
}

void TServiceMetrics::CountRender(double Seconds) {
    for (std::size_t I = 0; I < RenderBuckets.size(); ++I)
        if (Seconds <= RenderBuckets[I])
            FRenderBuckets[I].fetch_add(1, std::memory_order_relaxed);
    FRenders.fetch_add(1, std::memory_order_relaxed);
    FRenderMicroseconds.fetch_add(static_cast<std::uint64_t>(Seconds * 1e6),
                                  std::memory_order_relaxed);
}

std::string TServiceMetrics::Text(const TLruStats& Responses, const TLruStats& Sprites) const {
    std::string Text = "# HELP pelto_requests_total Requests answered, by endpoint and status.\n"
                       "# TYPE pelto_requests_total counter\n";
    for (std::size_t E = 0; E < EndpointNames.size(); ++E)
        for (std::size_t S = 0; S <= Statuses.size(); ++S) {
            const std::uint64_t Count = FRequests[E][S].load(std::memory_order_relaxed);
            if (Count == 0)
                continue;
            const std::string Status = S < Statuses.size() ? std::to_string(Statuses[S]) : "other";
            Text += Format("pelto_requests_total{endpoint=\"%.*s\",status=\"%s\"} %llu\n",
                           static_cast<int>(EndpointNames[E].size()), EndpointNames[E].data(),
                           Status.c_str(), static_cast<unsigned long long>(Count));
        }
    const auto Counter = [&Text](const char* Name, const char* Help, std::uint64_t Value,
                                 const char* Type = "counter") {
        Text += Format("# HELP %s %s\n# TYPE %s %s\n%s %llu\n", Name, Help, Name, Type, Name,
                       static_cast<unsigned long long>(Value));
    };
    Counter("pelto_cache_hits_total", "Answers given from the response cache.", Responses.Hits);
    Counter("pelto_cache_misses_total", "Answers the response cache did not have.",
            Responses.Misses);
    Counter("pelto_cache_bytes", "Bytes the response cache holds.", Responses.Bytes, "gauge");
    Counter("pelto_cache_entries", "Answers the response cache holds.", Responses.Entries, "gauge");
    Counter("pelto_sprite_cache_hits_total", "Sprites drawn from memory.", Sprites.Hits);
    Counter("pelto_sprite_cache_misses_total", "Sprites read from their archives.", Sprites.Misses);
    Counter("pelto_sprite_cache_bytes", "Bytes the decoded sprites take.", Sprites.Bytes, "gauge");

    Text += "# HELP pelto_render_seconds Time taken to draw and encode one picture.\n"
            "# TYPE pelto_render_seconds histogram\n";
    for (std::size_t I = 0; I < RenderBuckets.size(); ++I)
        Text += Format(
            "pelto_render_seconds_bucket{le=\"%g\"} %llu\n", RenderBuckets[I],
            static_cast<unsigned long long>(FRenderBuckets[I].load(std::memory_order_relaxed)));
    const auto Renders = static_cast<unsigned long long>(FRenders.load(std::memory_order_relaxed));
    Text += Format("pelto_render_seconds_bucket{le=\"+Inf\"} %llu\n", Renders);
    Text += Format("pelto_render_seconds_sum %.6f\n",
                   static_cast<double>(FRenderMicroseconds.load(std::memory_order_relaxed)) / 1e6);
    Text += Format("pelto_render_seconds_count %llu\n", Renders);
    return Text;
}

} // namespace pelto::service
