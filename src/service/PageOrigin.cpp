#include "service/PageOrigin.h"

#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace pelto::service {
namespace {

constexpr std::array<std::string_view, 2> WebSchemes{"http", "https"};
constexpr std::array<std::string_view, 2> EveryAddress{"0.0.0.0", "::"};
constexpr std::size_t MaxHostLength = 255;

bool IsNameChar(char C) {
    return std::isalnum(static_cast<unsigned char>(C)) || C == '.' || C == '-';
}

bool IsV6Char(char C) {
    return std::isxdigit(static_cast<unsigned char>(C)) || C == ':' || C == '.';
}

/// A host name or IPv4 address, or an IPv6 address in brackets.
bool IsHost(std::string_view Host) {
    if (Host.empty() || Host.size() > MaxHostLength)
        return false;
    if (Host.front() == '[')
        return Host.size() > 3 && Host.back() == ']' &&
               std::all_of(Host.begin() + 1, Host.end() - 1, IsV6Char);
    return Host.front() != '.' && Host.front() != '-' &&
           std::all_of(Host.begin(), Host.end(), IsNameChar);
}

bool IsPort(std::string_view Port) {
    if (Port.empty() || Port.size() > 5 || Port.front() == '0' ||
        !std::all_of(Port.begin(), Port.end(),
                     [](char C) { return std::isdigit(static_cast<unsigned char>(C)); }))
        return false;
    return std::stoi(std::string(Port)) <= 65535;
}

std::string Bracketed(const std::string& Host) {
    return Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
}

/// The names a client on this machine reaches the listener by, whatever it listens on.
bool IsLoopbackAt(std::string_view Host, int Port) {
    const std::string At = ":" + std::to_string(Port);
    for (const std::string_view Loopback : {"localhost", "127.0.0.1", "[::1]"})
        if (SameText(Host, std::string(Loopback) + At))
            return true;
    return SameText(Host, "localhost");
}

} // namespace

std::optional<std::string> ParsePublicUrl(std::string_view Url) {
    const std::size_t Mark = Url.find("://");
    if (Mark == std::string_view::npos)
        return std::nullopt;
    std::string Scheme(Url.substr(0, Mark));
    std::transform(Scheme.begin(), Scheme.end(), Scheme.begin(), [](char C) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    });
    if (std::find(WebSchemes.begin(), WebSchemes.end(), Scheme) == WebSchemes.end())
        return std::nullopt;
    std::string_view Authority = Url.substr(Mark + 3);
    if (Authority.ends_with('/'))
        Authority.remove_suffix(1);
    // A port follows the last colon outside an IPv6 address's brackets.
    const std::size_t Colon = Authority.rfind(':');
    const bool HasPort = Colon != std::string_view::npos &&
                         (Authority.front() != '[' || Authority.rfind(']') < Colon);
    const std::string_view Host = HasPort ? Authority.substr(0, Colon) : Authority;
    if (!IsHost(Host) || (HasPort && !IsPort(Authority.substr(Colon + 1))))
        return std::nullopt;
    return Scheme + "://" + std::string(Authority);
}

std::string ListenOrigin(const TListenAddress& Listen) {
    const bool Everywhere =
        std::find(EveryAddress.begin(), EveryAddress.end(), Listen.Host) != EveryAddress.end();
    return "http://" + (Everywhere ? std::string("localhost") : Bracketed(Listen.Host)) + ":" +
           std::to_string(Listen.Port);
}

std::string PageOrigin(const std::string& PublicUrl, const TListenAddress& Listen,
                       std::string_view Host, std::string_view ForwardedProto) {
    if (!PublicUrl.empty())
        return PublicUrl;
    const bool Listener =
        SameText(Host, Bracketed(Listen.Host) + ":" + std::to_string(Listen.Port));
    if (!Listener && !IsLoopbackAt(Host, Listen.Port))
        return ListenOrigin(Listen);
    return (ForwardedProto == "https" ? "https://" : "http://") + std::string(Host);
}

} // namespace pelto::service
