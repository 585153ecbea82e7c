#include "service/HttpServer.h"

#include "platform/Errors.h"
#include "service/RenderService.h"
#include "service/ServiceHolder.h"
#include "service/ServiceMetrics.h"
#include "service/ServiceRequest.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/asio/write.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace pelto::service {
namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {

constexpr std::string_view AllowedMethods = "GET, HEAD";
constexpr std::string_view ApiMethods = "GET, HEAD, OPTIONS";
// Other sites' scripts may read the API's answers, never with the asker's cookies: "*" rules
// credentials out. A revalidation needs If-None-Match, and its answer the ETag; X-Api-Key is
// no concern of the service's, but the deployment's rate limits count by it.
constexpr std::array<std::pair<std::string_view, std::string_view>, 2> CorsHeaders{{
    {"Access-Control-Allow-Origin", "*"},
    {"Access-Control-Expose-Headers", "ETag, Retry-After"},
}};
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> PreflightHeaders{{
    {"Access-Control-Allow-Methods", AllowedMethods},
    {"Access-Control-Allow-Headers", "If-None-Match, X-Api-Key"},
    {"Access-Control-Max-Age", "86400"},
}};
// Waiting connections cost no thread: two serve the network, the workers the service.
constexpr int NetworkThreads = 2;
constexpr std::size_t ReadChunkBytes = 4096;
// An answer goes out in pieces, each of which must leave within HeadSeconds: a reader slower than
// this many bytes in that time is let go.
constexpr std::size_t WritePieceBytes = 64 * 1024;
// Answers of this many bytes gone since the allocator last gave memory back make a burst.
constexpr std::size_t TrimAfterBytes = std::size_t{32} << 20;
// A head still coming in when the server stops has this long to arrive.
constexpr int StopGraceSeconds = 1;

std::string_view ReasonPhrase(int Status) {
    switch (Status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Unknown";
    }
}

/// Whether an answer of Status, to a request that is no HEAD, carries a body.
bool HasBody(const TServiceResponse& Answer, bool Head) {
    return !Head && Answer.Status != 304 && Answer.Status != 204;
}

/// The answer as it goes on the wire, but for a body shared with the cache, which follows it;
/// a HEAD gets the same head and no body.
std::string Serialized(const TServiceResponse& Answer, bool Head, bool Close, bool Cors) {
    std::string Text = "HTTP/1.1 " + std::to_string(Answer.Status) + " " +
                       std::string(ReasonPhrase(Answer.Status)) + "\r\n";
    const bool HasBody = Answer.Status != 304 && Answer.Status != 204;
    const std::size_t Length = Answer.SharedBody ? Answer.SharedBody->size() : Answer.Body.size();
    if (HasBody && !Answer.ContentType.empty())
        Text += "Content-Type: " + Answer.ContentType + "\r\n";
    if (HasBody)
        Text += "Content-Length: " + std::to_string(Length) + "\r\n";
    if (!Answer.ETag.empty())
        Text += "ETag: " + Answer.ETag + "\r\n";
    if (!Answer.CacheControl.empty())
        Text += "Cache-Control: " + Answer.CacheControl + "\r\n";
    for (const auto& [Name, Value] : Answer.Headers)
        Text += Name + ": " + Value + "\r\n";
    if (Cors)
        for (const auto& [Name, Value] : CorsHeaders)
            Text += std::string(Name) + ": " + std::string(Value) + "\r\n";
    if (Close)
        Text += "Connection: close\r\n";
    Text += "\r\n";
    if (HasBody && !Head && !Answer.SharedBody)
        Text += Answer.Body;
    return Text;
}

/// The service's request of a head: the target split into its decoded path and parameters.
TServiceRequest ServiceRequestOf(const THttpRequestHead& Head) {
    const std::size_t Mark = Head.Target.find('?');
    TServiceRequest Request;
    Request.Path = PercentDecode(std::string_view(Head.Target).substr(0, Mark), false);
    if (Mark != std::string::npos)
        Request.Params = ParseQueryString(Head.Target.substr(Mark + 1));
    Request.IfNoneMatch = Head.IfNoneMatch;
    Request.Host = Head.Host;
    Request.ForwardedProto = Head.ForwardedProto;
    Request.AcceptLanguage = Head.AcceptLanguage;
    return Request;
}

/// Which of the server's addresses a connection came to.
enum class TListener { Main, Metrics };

/// The operator's counters are not for the public: they have an address of their own, which
/// serves nothing else but health.
bool Answers(TListener Listener, TEndpoint Endpoint) {
    if (Listener == TListener::Metrics)
        return Endpoint == TEndpoint::Metrics || Endpoint == TEndpoint::Health;
    return Endpoint != TEndpoint::Metrics;
}

/// The answer to an OPTIONS request, which only the API's routes take, as CORS preflights: the
/// methods another site's script may use, or a refusal of any other that it asks for.
TServiceResponse PreflightAnswer(const TRoute& Route, const THttpRequestHead& Head) {
    if (Route.Endpoint == TEndpoint::Unknown)
        return Refusal(404, "not found");
    if (!Route.Api) {
        TServiceResponse Refused = Refusal(405, "only GET and HEAD are served here");
        Refused.Headers.emplace_back("Allow", std::string(AllowedMethods));
        return Refused;
    }
    if (!Head.PreflightMethod.empty() && Head.PreflightMethod != "GET" &&
        Head.PreflightMethod != "HEAD") {
        TServiceResponse Refused = Refusal(405, "other sites may only GET and HEAD");
        Refused.Headers.emplace_back("Allow", std::string(ApiMethods));
        return Refused;
    }
    TServiceResponse Preflight{204, "", "", "", ""};
    Preflight.Headers.emplace_back("Allow", std::string(ApiMethods));
    for (const auto& [Name, Value] : PreflightHeaders)
        Preflight.Headers.emplace_back(std::string(Name), std::string(Value));
    return Preflight;
}

} // namespace

class TConnection;

class THttpServer::TImpl {
public:
    TImpl(TServiceHolder& Services, int Workers)
        : FServices(Services), FWorkers(static_cast<std::size_t>(std::max(1, Workers))) {}
    TImpl(TRenderService& Service, int Workers)
        // Not the server's to free: held without an owner.
        : FOwnServices(std::make_unique<TServiceHolder>(
              std::shared_ptr<TRenderService>(std::shared_ptr<void>(), &Service))),
          FServices(*FOwnServices), FWorkers(static_cast<std::size_t>(std::max(1, Workers))) {}

    /// The service a request is answered by: held by the request until it is answered.
    std::shared_ptr<TRenderService> Service() const { return FServices.Current(); }
    asio::io_context& Io() { return FIo; }
    bool Stopping() const { return FStopping; }

    int Bind(const std::string& Host, int Port) { return BindTo(FAcceptor, Host, Port); }
    int BindMetrics(const std::string& Host, int Port) {
        return BindTo(FMetricsAcceptor, Host, Port);
    }
    void Run();
    void Stop();

    /// Runs Work on a worker unless too many wait already; false then.
    template <typename TWork> bool Queue(TWork&& Work) {
        if (FQueued.fetch_add(1) >= MaxQueuedRequests) {
            --FQueued;
            return false;
        }
        asio::post(FWorkers, [this, Work = std::forward<TWork>(Work)]() mutable {
            --FQueued;
            Work();
        });
        return true;
    }

    void Add(const std::shared_ptr<TConnection>& Connection);
    void Remove(const TConnection* Connection);

    void SetAnswerBytes(std::size_t Bytes) { FAnswerBytes = Bytes; }
    /// Whether the answers held leave room for another.
    bool AnswersFull() const { return FHeldBytes.load() >= FAnswerBytes; }
    /// Counts Bytes of an answer a connection holds; false, counting nothing, when they would
    /// take the answers held past their bound (one answer alone may).
    bool Hold(std::size_t Bytes, bool Always = false) {
        std::size_t Held = FHeldBytes.load();
        do {
            if (!Always && Held > 0 && Held + Bytes > FAnswerBytes)
                return false;
        } while (!FHeldBytes.compare_exchange_weak(Held, Held + Bytes));
        return true;
    }
    /// Counts a body shared with the cache once however many connections send it; false, as
    /// Hold, when it would take the answers held past their bound.
    bool HoldShared(const std::shared_ptr<const std::string>& Body, bool Always) {
        const std::lock_guard Lock(FSharedMutex);
        int& Holders = FSharedHolders[Body.get()];
        if (Holders == 0 && !Hold(Body->size(), Always)) {
            FSharedHolders.erase(Body.get());
            return false;
        }
        ++Holders;
        return true;
    }
    void ReleaseShared(const std::shared_ptr<const std::string>& Body) {
        std::size_t Bytes = 0;
        {
            const std::lock_guard Lock(FSharedMutex);
            const auto Found = FSharedHolders.find(Body.get());
            if (--Found->second == 0) {
                FSharedHolders.erase(Found);
                Bytes = Body->size();
            }
        }
        if (Bytes > 0)
            Release(Bytes);
    }
    /// An answer's Bytes have gone out, or its connection has: once none are held after a burst,
    /// the allocator hands its free memory back to the system.
    void Release(std::size_t Bytes) {
        const std::size_t Released = FReleasedSinceTrim.fetch_add(Bytes) + Bytes;
        if (FHeldBytes.fetch_sub(Bytes) == Bytes && Released >= TrimAfterBytes) {
            FReleasedSinceTrim = 0;
#ifdef __GLIBC__
            malloc_trim(0);
#endif
        }
    }

private:
    int BindTo(tcp::acceptor& Acceptor, const std::string& Host, int Port);
    void Accept(tcp::acceptor& Acceptor, TListener Listener);
    void StartConnection(tcp::socket Socket, TListener Listener);
    void DrainAndClose(tcp::acceptor& Acceptor, TListener Listener);
    void DrainAndClose();

    std::unique_ptr<TServiceHolder> FOwnServices; // when given a service, not a holder
    TServiceHolder& FServices;
    asio::io_context FIo;
    tcp::acceptor FAcceptor{FIo};
    tcp::acceptor FMetricsAcceptor{FIo};
    asio::thread_pool FWorkers;
    std::atomic<int> FQueued{0};
    std::size_t FAnswerBytes = std::numeric_limits<std::size_t>::max();
    std::atomic<std::size_t> FHeldBytes{0};
    std::atomic<std::size_t> FReleasedSinceTrim{0};
    std::mutex FSharedMutex;                                    // guards FSharedHolders
    std::unordered_map<const std::string*, int> FSharedHolders; // connections sending each
    std::atomic<bool> FStopping{false};
    std::atomic<bool> FRunning{false};
    std::mutex FMutex; // guards FConnections
    std::unordered_map<const TConnection*, std::weak_ptr<TConnection>> FConnections;
};

/// One client's connection: reads a head, has it answered, writes the answer, and again.
class TConnection : public std::enable_shared_from_this<TConnection> {
public:
    TConnection(THttpServer::TImpl& Server, tcp::socket Socket, TListener Listener)
        : FServer(Server), FSocket(std::move(Socket)), FTimer(FSocket.get_executor()),
          FListener(Listener) {}
    ~TConnection() {
        ReleaseAnswer();
        FServer.Remove(this);
    }

    void Start() {
        asio::dispatch(FSocket.get_executor(),
                       [Self = shared_from_this()] { Self->NextRequest(); });
    }

    /// On a stop: a connection waiting for a request that has not begun is closed, one whose
    /// head is still coming gets a moment more for it, and the others finish the request under
    /// way and close then.
    void StopWhenIdle() {
        asio::post(FSocket.get_executor(), [Self = shared_from_this()] {
            if (Self->FWaiting && Self->FReceived.empty())
                Self->Close();
            else if (Self->FWaiting)
                Self->ArmTimer(std::chrono::seconds(StopGraceSeconds));
        });
    }

private:
    void NextRequest() {
        FReader = std::make_unique<THttpHeadReader>();
        FHeadBegun = false;
        if (!FReceived.empty()) { // pipelined: the next head is here already, or part of it
            BeginHead();
            Parse();
            return;
        }
        if (FServer.Stopping() && FAnswered > 0) {
            Close();
            return;
        }
        ArmTimer(std::chrono::seconds(KeepAliveSeconds));
        ReadMore();
    }

    void BeginHead() {
        FHeadBegun = true;
        ArmTimer(std::chrono::seconds(HeadSeconds));
    }

    void ArmTimer(std::chrono::steady_clock::duration Duration) {
        FTimer.expires_after(Duration);
        FTimer.async_wait([Self = shared_from_this()](const boost::system::error_code& Error) {
            if (!Error)
                Self->Close();
        });
    }

    void ReadMore() {
        FWaiting = true;
        FSocket.async_read_some(
            asio::buffer(FChunk),
            [Self = shared_from_this()](const boost::system::error_code& Error, std::size_t Bytes) {
                Self->FWaiting = false;
                if (Error) {
                    Self->Close();
                    return;
                }
                if (!Self->FHeadBegun)
                    Self->BeginHead();
                Self->FReceived.append(Self->FChunk.data(), Bytes);
                Self->Parse();
            });
    }

    void Parse() {
        switch (FReader->Read(FReceived)) {
        case THttpHeadReader::TState::NeedMore:
            ReadMore();
            return;
        case THttpHeadReader::TState::Refused:
            // Whose path it was is not known yet: the refusal is readable by any site's script,
            // which may then back off, and tells nothing else.
            Answer(Refusal(FReader->Status(), FReader->Reason()), false, true, TEndpoint::Unknown,
                   true);
            return;
        case THttpHeadReader::TState::Complete:
            break;
        }
        FTimer.cancel();
        const THttpRequestHead Head = FReader->Head();
        FReceived.erase(0, FReader->Consumed());
        const bool IsHead = Head.Method == "HEAD";
        const bool IsOptions = Head.Method == "OPTIONS";
        TServiceRequest Request = ServiceRequestOf(Head);
        const TRoute Route = RouteOf(Request.Path);
        // Every answer on an API path, whoever makes it, is readable by other sites' scripts.
        const bool Cors = Route.Api || Request.Path.starts_with(ApiPrefix);
        if (Head.Method != "GET" && !IsHead && !IsOptions) {
            TServiceResponse Refused = Refusal(405, "only GET and HEAD are served");
            Refused.Headers.emplace_back("Allow", std::string(AllowedMethods));
            Answer(Refused, false, true, TEndpoint::Unknown, Cors);
            return;
        }
        // Its body is never read, so nothing after it on this connection can be framed.
        if (Head.HasBody) {
            Answer(Refusal(400, "a GET, HEAD or OPTIONS request carries no body"), IsHead, true,
                   TEndpoint::Unknown, Cors);
            return;
        }
        const TEndpoint Endpoint = Route.Endpoint;
        const bool Close = !Head.KeepAlive;
        if (!Answers(FListener, Endpoint)) {
            Answer(Refusal(404, "not found"), IsHead, Close, TEndpoint::Unknown, Cors);
            return;
        }
        if (IsOptions) {
            Answer(PreflightAnswer(Route, Head), false, Close, Endpoint, Cors);
            return;
        }
        // Health, cached answers and refusals never wait behind the pictures being drawn.
        if (std::optional<TServiceResponse> Quick = FServer.Service()->QuickShared(Request)) {
            Answer(*Quick, IsHead, Close, Endpoint, Cors);
            return;
        }
        // Answers not yet read hold all the memory answers may have: nothing new is made until
        // some has gone out (one already kept is sent from the one body above).
        if (FServer.AnswersFull()) {
            Answer(BusyRefusal(), IsHead, Close, Endpoint, Cors);
            return;
        }
        // The guard keeps the network threads running until the answer is written.
        const bool Queued =
            FServer.Queue([Self = shared_from_this(), Request = std::move(Request), IsHead, Close,
                           Endpoint, Cors, Guard = asio::make_work_guard(FSocket.get_executor())] {
                TServiceResponse Response = Self->FServer.Service()->HandleShared(Request);
                asio::post(Self->FSocket.get_executor(),
                           [Self, Response = std::move(Response), IsHead, Close, Endpoint, Cors] {
                               Self->Answer(Response, IsHead, Close, Endpoint, Cors);
                           });
            });
        if (!Queued)
            Answer(BusyRefusal(), IsHead, Close, Endpoint, Cors);
    }

    void Answer(const TServiceResponse& Response, bool IsHead, bool Close, TEndpoint Endpoint,
                bool Cors = false) {
        const bool Last = Close || FServer.Stopping();
        FOut = Serialized(Response, IsHead, Last, Cors);
        FBody = HasBody(Response, IsHead) ? Response.SharedBody : nullptr;
        int Status = Response.Status;
        // Counted while it goes out; past the bound a refusal, a few bytes, goes instead. Health
        // is always told.
        const bool Always = Endpoint == TEndpoint::Health;
        const bool Held =
            FBody ? FServer.HoldShared(FBody, Always) : FServer.Hold(FOut.size(), Always);
        if (Held && FBody)
            FServer.Hold(FOut.size(), true); // the head of a shared body: a few hundred bytes
        if (!Held) {
            const TServiceResponse Busy = BusyRefusal();
            FOut = Serialized(Busy, IsHead, Last, Cors);
            FBody = nullptr;
            FServer.Hold(FOut.size(), true);
            Status = Busy.Status;
        }
        FHeld = FOut.size();
        // Counted before the answer leaves, so that a client asking /metrics next sees it.
        FServer.Service()->Metrics().CountRequest(Endpoint, Status);
        FWritten = 0;
        ++FAnswered;
        WriteMore(Last);
    }

    std::size_t AnswerSize() const { return FOut.size() + (FBody ? FBody->size() : 0); }

    /// Writes the answer a piece at a time, each piece within HeadSeconds: a slow reader keeps
    /// its connection while it makes progress, one that reads nothing is let go.
    void WriteMore(bool Last) {
        const bool InHead = FWritten < FOut.size();
        const std::string_view Source =
            InHead ? std::string_view(FOut).substr(FWritten)
                   : std::string_view(*FBody).substr(FWritten - FOut.size());
        const std::size_t Piece = std::min(WritePieceBytes, Source.size());
        ArmTimer(std::chrono::seconds(HeadSeconds));
        asio::async_write(FSocket, asio::buffer(Source.data(), Piece),
                          [Self = shared_from_this(), Last](const boost::system::error_code& Error,
                                                            std::size_t Bytes) {
                              if (Error) {
                                  Self->ReleaseAnswer();
                                  Self->Close();
                                  return;
                              }
                              Self->FWritten += Bytes;
                              if (Self->FWritten < Self->AnswerSize()) {
                                  Self->WriteMore(Last);
                                  return;
                              }
                              Self->ReleaseAnswer();
                              if (Last)
                                  Self->Close();
                              else
                                  Self->NextRequest();
                          });
    }

    /// The answer has gone, or will not: its memory and its count go with it.
    void ReleaseAnswer() {
        if (FBody)
            FServer.ReleaseShared(std::exchange(FBody, nullptr));
        if (FHeld == 0)
            return;
        std::string().swap(FOut);
        FServer.Release(std::exchange(FHeld, 0));
    }

    void Close() {
        FTimer.cancel();
        boost::system::error_code Ignored;
        FSocket.shutdown(tcp::socket::shutdown_send, Ignored);
        FSocket.close(Ignored);
    }

    THttpServer::TImpl& FServer;
    tcp::socket FSocket;
    asio::steady_timer FTimer;
    std::array<char, ReadChunkBytes> FChunk{};
    std::string FReceived; // of the head being read and any pipelined after it
    std::unique_ptr<THttpHeadReader> FReader;
    std::string FOut;
    std::size_t FWritten = 0;                 // of FOut
    std::size_t FHeld = 0;                    // of FOut, counted by the server
    std::shared_ptr<const std::string> FBody; // sent after FOut, shared with the answer cache
    bool FHeadBegun = false;
    bool FWaiting = false;
    int FAnswered = 0;
    const TListener FListener;
};

void THttpServer::TImpl::Add(const std::shared_ptr<TConnection>& Connection) {
    const std::lock_guard Lock(FMutex);
    FConnections.emplace(Connection.get(), Connection);
}

void THttpServer::TImpl::Remove(const TConnection* Connection) {
    const std::lock_guard Lock(FMutex);
    FConnections.erase(Connection);
}

int THttpServer::TImpl::BindTo(tcp::acceptor& Acceptor, const std::string& Host, int Port) {
    boost::system::error_code Error;
    const auto Address = asio::ip::make_address(Host == "localhost" ? "127.0.0.1" : Host, Error);
    const tcp::endpoint Endpoint(Address, static_cast<unsigned short>(Port));
    if (!Error)
        Acceptor.open(Endpoint.protocol(), Error);
    if (!Error)
        Acceptor.set_option(tcp::acceptor::reuse_address(true), Error);
    if (!Error)
        Acceptor.bind(Endpoint, Error);
    if (!Error)
        Acceptor.listen(ListenBacklog, Error);
    if (Error) {
        boost::system::error_code Ignored;
        Acceptor.close(Ignored);
        throw EWloError("Cannot listen on " + Host + ":" + std::to_string(Port));
    }
    return Acceptor.local_endpoint().port();
}

void THttpServer::TImpl::StartConnection(tcp::socket Socket, TListener Listener) {
    boost::system::error_code Ignored;
    Socket.set_option(tcp::no_delay(true), Ignored);
    auto Connection = std::make_shared<TConnection>(*this, std::move(Socket), Listener);
    Add(Connection);
    Connection->Start();
}

void THttpServer::TImpl::Accept(tcp::acceptor& Acceptor, TListener Listener) {
    Acceptor.async_accept(
        asio::make_strand(FIo),
        [this, &Acceptor, Listener](const boost::system::error_code& Error, tcp::socket Socket) {
            if (!Error)
                StartConnection(std::move(Socket), Listener);
            if (Acceptor.is_open() && !FStopping)
                Accept(Acceptor, Listener);
        });
}

void THttpServer::TImpl::Run() {
    if (FStopping || !FAcceptor.is_open())
        return;
    FRunning = true;
    Accept(FAcceptor, TListener::Main);
    if (FMetricsAcceptor.is_open())
        Accept(FMetricsAcceptor, TListener::Metrics);
    std::vector<std::thread> Threads;
    for (int I = 1; I < NetworkThreads; ++I)
        Threads.emplace_back([this] { FIo.run(); });
    FIo.run();
    for (std::thread& Thread : Threads)
        Thread.join();
    FWorkers.join();
}

void THttpServer::TImpl::DrainAndClose(tcp::acceptor& Acceptor, TListener Listener) {
    // Connections the system accepted already are answered, not reset.
    boost::system::error_code Error;
    Acceptor.non_blocking(true, Error);
    while (!Error) {
        tcp::socket Socket(asio::make_strand(FIo));
        Acceptor.accept(Socket, Error);
        if (!Error)
            StartConnection(std::move(Socket), Listener);
    }
    boost::system::error_code Ignored;
    Acceptor.close(Ignored);
}

void THttpServer::TImpl::DrainAndClose() {
    DrainAndClose(FAcceptor, TListener::Main);
    if (FMetricsAcceptor.is_open())
        DrainAndClose(FMetricsAcceptor, TListener::Metrics);
    std::vector<std::shared_ptr<TConnection>> Open;
    {
        const std::lock_guard Lock(FMutex);
        for (const auto& [Key, Weak] : FConnections)
            if (auto Connection = Weak.lock())
                Open.push_back(std::move(Connection));
    }
    for (const auto& Connection : Open)
        Connection->StopWhenIdle();
}

void THttpServer::TImpl::Stop() {
    if (FStopping.exchange(true))
        return;
    asio::post(FIo, [this] { DrainAndClose(); });
}

THttpServer::THttpServer(TServiceHolder& Services, int Workers)
    : FImpl(std::make_unique<TImpl>(Services, Workers)) {}

THttpServer::THttpServer(TRenderService& Service, int Workers)
    : FImpl(std::make_unique<TImpl>(Service, Workers)) {}

THttpServer::~THttpServer() = default;

void THttpServer::SetAnswerBytes(std::size_t Bytes) {
    FImpl->SetAnswerBytes(Bytes);
}

int THttpServer::Bind(const std::string& Host, int Port) {
    return FImpl->Bind(Host, Port);
}

int THttpServer::BindMetrics(const std::string& Host, int Port) {
    return FImpl->BindMetrics(Host, Port);
}

void THttpServer::Run() {
    FImpl->Run();
}

void THttpServer::Stop() {
    FImpl->Stop();
}

} // namespace pelto::service
