#pragma once

#include "service/HttpHead.h"

#include <cstddef>
#include <memory>
#include <string>

namespace pelto::service {

class TRenderService;
class TServiceHolder;

/// A client has this long to send a whole request head once it has begun one.
inline constexpr int HeadSeconds = 10;
/// A connection without a request under way is closed after this long.
inline constexpr int KeepAliveSeconds = 3;
/// Connections the system may hold for the server before it accepts them.
inline constexpr int ListenBacklog = 4096;
/// Requests waiting for a worker beyond these are answered 503 at once.
inline constexpr int MaxQueuedRequests = 1024;

/// HTTP/1.1 with keep-alive and pipelining in front of a TRenderService: GET and HEAD go to the
/// service, with CORS headers on the API's routes and on every refusal, whose OPTIONS preflights
/// are answered here;
/// other methods get 405, oversized heads 414 or 431, and a request with a body is
/// answered and its connection closed, so that the body is never read as a request. Any number
/// of connections wait on a few network threads; the service's work runs on Workers threads.
/// /metrics is answered only on a listener of its own, which answers /healthz besides.
class THttpServer {
public:
    /// Each request goes to the service Services holds when it is read, which must be there
    /// once Run is called.
    THttpServer(TServiceHolder& Services, int Workers);
    /// Serves Service alone, which must outlive the server.
    THttpServer(TRenderService& Service, int Workers);
    ~THttpServer();
    THttpServer(const THttpServer&) = delete;
    THttpServer& operator=(const THttpServer&) = delete;

    /// Binds Host:Port (0 picks a free port) and returns the port; raises EWloError when the
    /// address cannot be had.
    int Bind(const std::string& Host, int Port);
    /// Binds the listener for /metrics and /healthz alone, as Bind does; none unless called.
    int BindMetrics(const std::string& Host, int Port);
    /// The bytes of answers the connections may hold while they go out, counted with the
    /// copies they hold: past them a new request is answered 503 at once, and an answer made
    /// meanwhile is replaced by a 503, so that clients that do not read cannot take the process
    /// past its memory. Unbounded unless called.
    void SetAnswerBytes(std::size_t Bytes);
    /// Serves until Stop; returns once every request accepted is answered.
    void Run();
    /// From any thread: no new connections; the ones already made (queued ones included) get
    /// their request answered, with "Connection: close", and Run returns.
    void Stop();

    class TImpl;

private:
    std::unique_ptr<TImpl> FImpl;
};

} // namespace pelto::service
