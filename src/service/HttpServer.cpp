#include "service/HttpServer.h"

#include "platform/Errors.h"
#include "service/RenderService.h"

#include <httplib.h>

#include <chrono>
#include <thread>

namespace pelto::service {
namespace {

constexpr const char* AllowedMethods = "GET, HEAD";

std::size_t HeaderBytes(const httplib::Request& Request) {
    std::size_t Bytes = 0;
    for (const auto& [Name, Value] : Request.headers)
        Bytes += Name.size() + Value.size() + 4; // ": " and CRLF
    return Bytes;
}

std::string ReasonOf(int Status) {
    switch (Status) {
    case 400:
        return "malformed request";
    case 413:
        return "the request body is too long";
    case 414:
        return "the URL is longer than 8192 bytes";
    default:
        return "HTTP status " + std::to_string(Status);
    }
}

void Answer(httplib::Response& Response, const TServiceResponse& Answer) {
    Response.status = Answer.Status;
    if (!Answer.ETag.empty())
        Response.set_header("ETag", Answer.ETag);
    if (!Answer.CacheControl.empty())
        Response.set_header("Cache-Control", Answer.CacheControl);
    for (const auto& [Name, Value] : Answer.Headers)
        Response.set_header(Name, Value);
    if (Answer.Status == 304)
        return;
    Response.set_content(Answer.Body, Answer.ContentType);
}

void Refuse(httplib::Response& Response, int Status, const std::string& Message) {
    Answer(Response, {Status, "application/json", ErrorJson(Message), "", "no-store"});
}

} // namespace

THttpServer::THttpServer(TRenderService& Service, int ConnectionThreads)
    : FServer(std::make_unique<httplib::Server>()) {
    httplib::Server& Server = *FServer;
    // The library takes ownership of the pool it is handed.
    Server.new_task_queue = [ConnectionThreads] {
        return new httplib::ThreadPool(static_cast<std::size_t>(ConnectionThreads));
    };
    Server.set_read_timeout(IdleSeconds, 0);
    Server.set_write_timeout(IdleSeconds, 0);
    Server.set_keep_alive_timeout(KeepAliveSeconds);
    Server.set_keep_alive_max_count(1000);
    Server.set_payload_max_length(64 * 1024);
    Server.set_tcp_nodelay(true);

    // Every request is answered here, before the library's routing: its patterns are regular
    // expressions run over the whole path, which the service has no need of.
    Server.set_pre_routing_handler(
        [&Service](const httplib::Request& Request, httplib::Response& Response) {
            if (Request.target.size() > MaxUrlBytes)
                Refuse(Response, 414, "the URL is longer than 8192 bytes");
            else if (HeaderBytes(Request) > MaxHeaderBytes)
                Refuse(Response, 431, "the request headers are longer than 16384 bytes");
            else if (Request.method != "GET" && Request.method != "HEAD") {
                Refuse(Response, 405, "only GET and HEAD are served");
                Response.set_header("Allow", AllowedMethods);
            } else {
                TServiceRequest Call{Request.path,
                                     {Request.params.begin(), Request.params.end()},
                                     Request.get_header_value("If-None-Match"),
                                     Request.get_header_value("Host"),
                                     Request.get_header_value("X-Forwarded-Proto")};
                Answer(Response, Service.Handle(Call));
            }
            // Counted before the answer leaves, so that a client asking /metrics next sees it.
            Service.Metrics().CountRequest(RouteOf(Request.path).Endpoint, Response.status);
            return httplib::Server::HandlerResponse::Handled;
        });
    // Answers the library gives itself (a malformed request line, a URL too long) get the
    // service's body.
    Server.set_error_handler(
        [&Service](const httplib::Request& Request, httplib::Response& Response) {
            if (!Response.body.empty())
                return; // one of ours, counted already
            Response.set_content(ErrorJson(ReasonOf(Response.status)), "application/json");
            Service.Metrics().CountRequest(RouteOf(Request.path).Endpoint, Response.status);
        });
}

THttpServer::~THttpServer() = default;

int THttpServer::Bind(const std::string& Host, int Port) {
    const int Bound = Port == 0 ? FServer->bind_to_any_port(Host)
                                : (FServer->bind_to_port(Host, Port) ? Port : -1);
    if (Bound < 0)
        throw EWloError("Cannot listen on " + Host + ":" + std::to_string(Port));
    return Bound;
}

void THttpServer::Run() {
    FStarted = true;
    if (!FStopped)
        FServer->listen_after_bind();
    FFinished = true;
}

void THttpServer::Stop() {
    FStopped = true;
    // The library ignores a stop that comes before it listens, so a Run under way is waited
    // for; a Run yet to come sees FStopped.
    while (FStarted && !FFinished && !FServer->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    FServer->stop();
}

} // namespace pelto::service
