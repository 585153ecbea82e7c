#include "service/HttpHead.h"

#include "platform/Text.h"

#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/parser.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace pelto::service {
namespace http = boost::beast::http;

struct THttpHeadReader::TParser {
    http::request_parser<http::empty_body> Parser;
};

namespace {

// The request line's method, a space, the target, " HTTP/1.1" and its CRLF.
constexpr std::size_t MaxRequestLineBytes = MaxUrlBytes + 64;

/// A folded header line (a line break followed by a blank) lets one header hide in another;
/// proxies disagree on how to unfold it, so it is refused rather than unfolded.
bool HasFoldedLine(std::string_view Head) {
    for (std::size_t At = Head.find('\n'); At != std::string_view::npos && At + 1 < Head.size();
         At = Head.find('\n', At + 1))
        if (Head[At + 1] == ' ' || Head[At + 1] == '\t')
            return true;
    return false;
}

template <typename TName>
std::string FieldOf(const http::request<http::empty_body>& Request, TName Name) {
    const auto Found = Request.find(Name);
    return Found == Request.end() ? std::string() : std::string(Found->value());
}

/// Whether the request line names a version of HTTP other than 1.0 and 1.1: the eight bytes
/// after the target are "HTTP/d.d". The parser refuses such a line as soon as it has them,
/// whatever follows, so the same bytes are looked at here.
bool IsOtherHttpVersion(std::string_view Bytes) {
    const std::size_t Method = Bytes.find(' ');
    const std::size_t Target =
        Method == std::string_view::npos ? Method : Bytes.find(' ', Method + 1);
    if (Target == std::string_view::npos || Bytes.size() < Target + 9)
        return false;
    const std::string_view Version = Bytes.substr(Target + 1, 8);
    const auto Digit = [](char C) {
        return std::isdigit(static_cast<unsigned char>(C)) != 0;
    };
    return Version.substr(0, 5) == "HTTP/" && Digit(Version[5]) && Version[6] == '.' &&
           Digit(Version[7]) && !(Version[5] == '1' && (Version[7] == '0' || Version[7] == '1'));
}

} // namespace

THttpHeadReader::THttpHeadReader() : FParser(std::make_unique<TParser>()) {
    FParser->Parser.header_limit(static_cast<std::uint32_t>(MaxRequestLineBytes + MaxHeaderBytes));
    FParser->Parser.eager(false);
}

THttpHeadReader::~THttpHeadReader() = default;

THttpHeadReader::TState THttpHeadReader::Refuse(int Status, std::string Reason) {
    FStatus = Status;
    FReason = std::move(Reason);
    return TState::Refused;
}

THttpHeadReader::TState THttpHeadReader::Read(std::string_view Bytes) {
    if (FStatus != 0)
        return TState::Refused;
    // The request line is judged on its own first, so that a long URL is told from long headers.
    const std::size_t LineEnd = Bytes.find('\n');
    if (LineEnd == std::string_view::npos ? Bytes.size() > MaxRequestLineBytes
                                          : LineEnd > MaxRequestLineBytes)
        return Refuse(414, "the URL is longer than 8192 bytes");
    // The parser takes what it can of the bytes and is handed the rest again with more.
    boost::beast::error_code Error;
    FConsumed += FParser->Parser.put(
        boost::asio::buffer(Bytes.data() + FConsumed, Bytes.size() - FConsumed), Error);
    const std::size_t Line = LineEnd == std::string_view::npos ? Bytes.size() : LineEnd + 1;
    const std::size_t Fields = (FParser->Parser.is_header_done() ? FConsumed : Bytes.size()) - Line;
    if (Fields > MaxHeaderBytes + 2 || Error == http::error::header_limit) // + the blank line
        return Refuse(431, "the request headers are longer than 16384 bytes");
    if (Error == http::error::need_more)
        return TState::NeedMore;
    if (Error == http::error::bad_version && IsOtherHttpVersion(Bytes))
        return Refuse(505, "only HTTP/1.0 and HTTP/1.1 are served");
    if (Error || !FParser->Parser.is_header_done() || HasFoldedLine(Bytes.substr(0, FConsumed)))
        return Refuse(400, "malformed request");
    return Accept();
}

THttpHeadReader::TState THttpHeadReader::Accept() {
    const http::request<http::empty_body>& Request = FParser->Parser.get();
    FHead.Method = std::string(Request.method_string());
    FHead.Target = std::string(Request.target());
    FHead.Version = static_cast<int>(Request.version());
    FHead.KeepAlive = Request.keep_alive();
    const auto Length = FParser->Parser.content_length();
    FHead.HasBody = (Length && *Length > 0) || FParser->Parser.chunked() ||
                    Request.find(http::field::transfer_encoding) != Request.end();
    if (FHead.Version != 10 && FHead.Version != 11)
        return Refuse(505, "only HTTP/1.0 and HTTP/1.1 are served");
    // Exactly one Host, as HTTP/1.1 asks; two could name two origins to two readers.
    const auto Hosts = Request.count(http::field::host);
    if (Hosts > 1 || (Hosts == 0 && FHead.Version == 11))
        return Refuse(400, "a request names exactly one Host");
    if (Request.count(http::field::content_length) > 1)
        return Refuse(400, "malformed request");
    FHead.Host = FieldOf(Request, http::field::host);
    FHead.IfNoneMatch = FieldOf(Request, http::field::if_none_match);
    FHead.ForwardedProto = FieldOf(Request, boost::beast::string_view("X-Forwarded-Proto"));
    FHead.AcceptLanguage = FieldOf(Request, http::field::accept_language);
    FHead.PreflightMethod = FieldOf(Request, http::field::access_control_request_method);
    if (FHead.Target.empty() || FHead.Target.front() != '/')
        return Refuse(400, "the target must be a path");
    return TState::Complete;
}

} // namespace pelto::service
