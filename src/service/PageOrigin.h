#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelto::service {

/// Where the service takes connections: the host as listened and the port it got.
struct TListenAddress {
    std::string Host = "127.0.0.1";
    int Port = 8080;
};

/// "scheme://host[:port]" of a URL the service is reached at from outside: scheme http or
/// https, a host name, IPv4 or bracketed IPv6 address, an optional port 1..65535, and nothing
/// after it but an optional "/". Nothing for anything else.
std::optional<std::string> ParsePublicUrl(std::string_view Url);

/// "http://HOST:PORT" of Listen; a listener on every address is reached as localhost.
std::string ListenOrigin(const TListenAddress& Listen);

/// "scheme://host[:port]" the absolute links of a page are written from. PublicUrl (as
/// ParsePublicUrl gives it) when there is one; else the request's Host when it names the
/// listener or the loopback at its port, with "https" kept from ForwardedProto; else the
/// listen origin. A Host is the client's to choose: taken as it comes it would let anyone
/// plant links to elsewhere in pages that caches hand to others.
std::string PageOrigin(const std::string& PublicUrl, const TListenAddress& Listen,
                       std::string_view Host, std::string_view ForwardedProto);

} // namespace pelto::service
