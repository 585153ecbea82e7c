#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace pelto::service {

/// The largest request line and header block a request may have; more is refused with 414 and
/// 431 as soon as the limit is passed, without reading further.
inline constexpr std::size_t MaxUrlBytes = 8192;
inline constexpr std::size_t MaxHeaderBytes = 16384;

/// What the service needs of a request's head.
struct THttpRequestHead {
    std::string Method;
    std::string Target; // as sent: origin form, "/path?query"
    int Version = 11;   // 10 or 11
    std::string Host;
    std::string IfNoneMatch;
    std::string ForwardedProto;
    std::string AcceptLanguage;
    std::string PreflightMethod; // Access-Control-Request-Method of a CORS preflight
    bool KeepAlive = true;
    /// The head announces a body (Content-Length other than 0, or Transfer-Encoding): the
    /// connection cannot be trusted to frame another request after it.
    bool HasBody = false;
};

/// Reads one request head from the bytes a connection has received, checking every limit as
/// the bytes come. Framing is the HTTP library's; what a request may be is decided here.
class THttpHeadReader {
public:
    enum class TState { NeedMore, Complete, Refused };

    THttpHeadReader();
    ~THttpHeadReader();
    THttpHeadReader(const THttpHeadReader&) = delete;
    THttpHeadReader& operator=(const THttpHeadReader&) = delete;

    /// Bytes: everything received since this head began (the same bytes again, and more, on
    /// the next call). Once Complete, Consumed() of them were the head and the rest belongs to
    /// the next request.
    TState Read(std::string_view Bytes);

    const THttpRequestHead& Head() const { return FHead; }
    std::size_t Consumed() const { return FConsumed; }
    /// Of a refusal: the status to answer with and why, for the JSON body. The connection is
    /// closed after it.
    int Status() const { return FStatus; }
    const std::string& Reason() const { return FReason; }

private:
    TState Refuse(int Status, std::string Reason);
    TState Accept();

    struct TParser;
    std::unique_ptr<TParser> FParser;
    THttpRequestHead FHead;
    std::size_t FConsumed = 0;
    int FStatus = 0;
    std::string FReason;
};

} // namespace pelto::service
