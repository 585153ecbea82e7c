#pragma once

#include <atomic>
#include <memory>
#include <string>

namespace httplib {
class Server;
} // namespace httplib

namespace pelto::service {

class TRenderService;

/// The largest request line and header block the server reads (beside its own limit on one
/// header line); more is refused with 414 and 431.
inline constexpr std::size_t MaxUrlBytes = 8192;
inline constexpr std::size_t MaxHeaderBytes = 16384;
/// A client that stops sending in the middle of a request is dropped after this long.
inline constexpr int IdleSeconds = 10;
/// A connection without a request under way is closed after this long: less than the five
/// seconds a stop may take, since the library waits for idle connections to time out.
inline constexpr int KeepAliveSeconds = 3;

/// HTTP/1.1 with keep-alive in front of a TRenderService: GET and HEAD go to the service,
/// other methods get 405, oversized requests 414 or 431. Connections are served by a pool of
/// threads of their own; how many pictures are drawn at once is the service's business.
class THttpServer {
public:
    THttpServer(TRenderService& Service, int ConnectionThreads);
    ~THttpServer();
    THttpServer(const THttpServer&) = delete;
    THttpServer& operator=(const THttpServer&) = delete;

    /// Binds Host:Port (0 picks a free port) and returns the port; raises EWloError when the
    /// address cannot be had.
    int Bind(const std::string& Host, int Port);
    /// Serves until Stop; returns once the requests in flight are answered.
    void Run();
    /// From any thread: no new connections; Run returns once the current ones are done.
    void Stop();

private:
    std::unique_ptr<httplib::Server> FServer;
    std::atomic<bool> FStarted{false};
    std::atomic<bool> FStopped{false};
    std::atomic<bool> FFinished{false};
};

} // namespace pelto::service
