#pragma once

#include "platform/LruCache.h"
#include "service/PageOrigin.h"
#include "service/ServiceMetrics.h"
#include "service/ServiceRequest.h"
#include "service/WorkGate.h"

#include <chrono>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pelto {
class TGameData;
class TStream;
struct TWLOItemData;
} // namespace pelto

namespace pelto::service {

/// The query parameter naming the game data a URL was made for (its GameIdentity).
inline constexpr std::string_view GameDataParam = "v";

struct TServiceOptions {
    /// Bytes of answers kept for later requests.
    std::size_t CacheBytes = std::size_t{64} << 20;
    /// Pictures drawn (or lists made) at the same time; as many more may wait for a turn, and
    /// beyond them a request is answered 503.
    int RenderThreads = 1;
    /// Where failures that are no fault of the client's are written; nullptr: std::cerr.
    std::ostream* Log = nullptr;
    /// "scheme://host[:port]" the service is reached at from outside (see ParsePublicUrl);
    /// empty: told by the request's Host where that names the listener (see PageOrigin).
    std::string PublicUrl{};
    /// Where the HTTP server listens, with the port it got.
    TListenAddress Listen{};
    /// The counters, shared by the services one after another over a reloaded game so that
    /// a reload resets none; nullptr: the service's own.
    std::shared_ptr<TServiceMetrics> Metrics{};
    /// Memory the pictures and lists being made may take together.
    std::size_t WorkBytes = std::size_t{128} << 20;
    /// What identifies the game data (see GameIdentity), from a caller that knows it cheaper
    /// than reading every file; empty: hashed from the files' bytes.
    std::string Identity{};
    /// A picture file a scene may stand on, asked for as backdrop=picture: the player's own in
    /// the browser studio; empty, as for every service on a network: none.
    std::string BackdropPicture{};
};

/// A GET or HEAD request, as the HTTP layer hands it over.
struct TServiceRequest {
    std::string Path; // percent-decoded
    TQueryParams Params;
    std::string IfNoneMatch;
    std::string Host{};           // the Host header, for the share page's absolute links
    std::string ForwardedProto{}; // X-Forwarded-Proto of a proxy in front: "https" is kept
    std::string AcceptLanguage{}; // which language the share page speaks
    /// When its head was read: the wait for a turn of work counts from here.
    std::chrono::steady_clock::time_point Arrived = std::chrono::steady_clock::now();
};

struct TServiceResponse {
    int Status = 200;
    std::string ContentType;
    std::string Body;
    std::string ETag;         // empty: none
    std::string CacheControl; // empty: none
    std::vector<std::pair<std::string, std::string>> Headers{};
    /// Of an animation: the frames of its action, to check a frame asked of a cached copy.
    int ActionFrames = 0;
    /// The body, when it is the one the answer cache keeps (Body is then empty): the
    /// connections that send it share it with the cache rather than copy it.
    std::shared_ptr<const std::string> SharedBody{};
};

/// What the service answers, apart from HTTP itself: the pictures, the item listing, the
/// icons, health and metrics. Any number of threads may call Handle at once; they share the
/// read-only game data and its sprites, and each picture is drawn by a session of its own.
class TRenderService {
public:
    /// Game must be loaded whole (sprites, item table, icons, equipment catalogue) and outlive
    /// the service.
    TRenderService(const TGameData& Game, const TServiceOptions& Options);

    /// The answer, its body in Body.
    TServiceResponse Handle(const TServiceRequest& Request);
    /// Handle's answer, its body shared with the answer cache where it is kept there.
    TServiceResponse HandleShared(const TServiceRequest& Request);
    /// Handle's answer where it takes no drawing and no listing: everything but a picture or an
    /// item list that is not cached yet, for which nullopt. Never waits for a turn, so that
    /// health and cached answers keep coming while the workers are busy.
    std::optional<TServiceResponse> Quick(const TServiceRequest& Request);
    /// Quick's answer, its body shared as HandleShared's.
    std::optional<TServiceResponse> QuickShared(const TServiceRequest& Request);

    TServiceMetrics& Metrics() { return FMetrics; }
    TLruStats CacheStats() const { return FCache.Stats(); }
    /// What identifies the game data's state, in every ETag and in the URLs that carry it.
    const std::string& GameIdentity() const { return FIdentity; }

private:
    using TCached = std::shared_ptr<const TServiceResponse>;
    enum class TWork { Allowed, Refused }; // Refused: a request needing work gives nullopt

    std::optional<TServiceResponse> Respond(const TServiceRequest& Request, TWork Work);
    /// The answer to a request that raised Error: the one place an error becomes a status.
    TServiceResponse RefusalFor(const std::exception& Error, const TServiceRequest& Request);
    /// A request naming the game data it was made for (GameDataParam): answered as without it,
    /// and immutable, while that is the data served; refused once it is not.
    std::optional<TServiceResponse> RespondVersioned(const TServiceRequest& Request, TWork Work);
    TServiceResponse Render(const TExportFormat& Format, const TServiceRequest& Request,
                            TWork Work);
    TServiceResponse Scene(const TExportFormat& Format, const TServiceRequest& Request, TWork Work);
    TServiceResponse Swatches(const TServiceRequest& Request, TWork Work);
    // What Write writes once Bytes of memory fit the budget (else a refusal asking for a
    // Smaller one) and are reserved, its time counted.
    std::string Drawn(TWorkGate::TTicket& Ticket, std::size_t Bytes, std::string_view Smaller,
                      const std::function<void(TStream&)>& Write);
    TServiceResponse Items(const TServiceRequest& Request, TWork Work);
    TServiceResponse Icon(int ItemId, const TServiceRequest& Request);
    TServiceResponse Page(std::string_view Code, const TServiceRequest& Request);
    TServiceResponse CodeJson(std::string_view Code, const TServiceRequest& Request);
    TServiceResponse DesignJson(const TServiceRequest& Request);
    TServiceResponse Asset(std::string_view Name, const TServiceRequest& Request);
    TServiceResponse Atlas(TListChoice List, bool Picture, const TServiceRequest& Request,
                           TWork Work);
    // The cached answer of Key, or the one Make gives (kept for next time); 304 when the
    // client has it already.
    // Valid: the request is known to be answered 200 once made, so that a tag the client has
    // may be answered before; otherwise If-None-Match is looked at once the answer is known.
    // Check runs on a cached answer before it is given.
    template <typename TMake, typename TCheck>
    TServiceResponse Cached(const std::string& Key, const TServiceRequest& Request,
                            const std::string& CacheControl, bool Valid, TMake Make, TCheck Check);
    template <typename TMake>
    TServiceResponse Cached(const std::string& Key, const TServiceRequest& Request,
                            const std::string& CacheControl, bool Valid, TMake Make) {
        return Cached(Key, Request, CacheControl, Valid, Make, [](const TServiceResponse&) {});
    }
    std::string ETagOf(const std::string& Key) const;
    void Log(const std::string& Line);

    const TGameData& FGame;
    const std::string FIdentity;
    const std::string FWebIdentity;       // of the page's files, which change without the version
    const std::string FJapaneseCatalogue; // the page's messages, for its script
    std::unordered_map<int, const TWLOItemData*> FItemsById;
    TLruCache<TServiceResponse> FCache;
    TWorkGate FWork;
    const std::shared_ptr<TServiceMetrics> FMetricsHeld;
    TServiceMetrics& FMetrics;
    const std::string FPublicUrl;
    const TListenAddress FListen;
    const std::string FBackdropPicture;
    std::ostream* FLog;
    std::mutex FLogLock;
};

/// The body of a refused request.
std::string ErrorJson(const std::string& Message);
/// A request refused with Status, Message saying why, never cached.
TServiceResponse Refusal(int Status, const std::string& Message);
/// No turn of work to be had in time: 503, to be asked again in a second.
TServiceResponse BusyRefusal();

} // namespace pelto::service
