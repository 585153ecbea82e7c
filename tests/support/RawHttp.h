#pragma once

// A client that writes exactly the bytes a test gives, for requests no well-behaved client sends.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace pelto::test {

struct TRawResponse {
    int Status = 0;
    std::string Head; // status line and headers
    std::string Body;

    /// A header's value (name compared ignoring case), or nothing.
    std::optional<std::string> Header(std::string_view Name) const {
        std::size_t At = Head.find("\r\n");
        while (At != std::string::npos && At + 2 < Head.size()) {
            const std::size_t End = Head.find("\r\n", At + 2);
            const std::string Line = Head.substr(At + 2, End - At - 2);
            const std::size_t Colon = Line.find(':');
            if (Colon == Name.size() &&
                std::equal(Name.begin(), Name.end(), Line.begin(), [](char A, char B) {
                    return std::tolower(static_cast<unsigned char>(A)) ==
                           std::tolower(static_cast<unsigned char>(B));
                }))
                return Line.substr(Colon +
                                   (Line.size() > Colon + 1 && Line[Colon + 1] == ' ' ? 2 : 1));
            At = End;
        }
        return std::nullopt;
    }
};

/// One TCP connection to 127.0.0.1:Port.
class TRawConnection {
public:
    /// ReceiveBuffer, when not 0, is set before connecting: a small one keeps the kernel from
    /// taking a large answer off the server faster than the client reads it.
    explicit TRawConnection(int Port, int ReceiveBuffer = 0)
        : FSocket(::socket(AF_INET, SOCK_STREAM, 0)) {
        if (ReceiveBuffer > 0)
            ::setsockopt(FSocket, SOL_SOCKET, SO_RCVBUF, &ReceiveBuffer, sizeof ReceiveBuffer);
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_port = htons(static_cast<std::uint16_t>(Port));
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        FConnected = ::connect(FSocket, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0;
    }
    ~TRawConnection() { ::close(FSocket); }
    TRawConnection(const TRawConnection&) = delete;
    TRawConnection& operator=(const TRawConnection&) = delete;

    bool Connected() const { return FConnected; }

    /// False when the server no longer takes bytes (it closed the connection).
    bool Send(std::string_view Bytes) {
        while (!Bytes.empty()) {
            const ssize_t Sent = ::send(FSocket, Bytes.data(), Bytes.size(), MSG_NOSIGNAL);
            if (Sent <= 0)
                return false;
            Bytes.remove_prefix(static_cast<std::size_t>(Sent));
        }
        return true;
    }

    /// The next answer; nothing when the connection closes or Timeout passes first. Heads says
    /// that the request answered was a HEAD, whose answer has no body.
    std::optional<TRawResponse>
    Receive(bool Head = false, std::chrono::milliseconds Timeout = std::chrono::seconds(20)) {
        const auto Deadline = std::chrono::steady_clock::now() + Timeout;
        std::size_t HeadEnd;
        while ((HeadEnd = FPending.find("\r\n\r\n")) == std::string::npos)
            if (!Fill(Deadline))
                return std::nullopt;
        TRawResponse Response;
        Response.Head = FPending.substr(0, HeadEnd + 2);
        FPending.erase(0, HeadEnd + 4);
        if (Response.Head.size() > 12)
            Response.Status = std::atoi(Response.Head.c_str() + 9);
        const auto Length = Response.Header("Content-Length");
        const std::size_t Bytes =
            Head || Response.Status == 304 || !Length ? 0 : std::stoul(*Length);
        while (FPending.size() < Bytes)
            if (!Fill(Deadline))
                return std::nullopt;
        Response.Body = FPending.substr(0, Bytes);
        FPending.erase(0, Bytes);
        return Response;
    }

    /// True when the server closes the connection, with nothing more to read, within Timeout.
    bool ClosedByServer(std::chrono::milliseconds Timeout = std::chrono::seconds(20)) {
        const auto Deadline = std::chrono::steady_clock::now() + Timeout;
        while (true) {
            if (!FPending.empty())
                return false;
            if (!Fill(Deadline))
                return FClosed;
        }
    }

    /// Reads at about BytesPerSecond until the server closes the connection or Limit passes;
    /// the bytes read.
    std::size_t ReadSlowly(std::size_t BytesPerSecond, std::chrono::milliseconds Limit) {
        const auto Start = std::chrono::steady_clock::now();
        std::size_t Total = 0;
        char Buffer[4096];
        while (std::chrono::steady_clock::now() - Start < Limit) {
            const ssize_t Got = ::recv(FSocket, Buffer, sizeof Buffer, 0);
            if (Got <= 0)
                break;
            Total += static_cast<std::size_t>(Got);
            std::this_thread::sleep_until(
                Start + std::chrono::microseconds(Total * 1000000 / BytesPerSecond));
        }
        return Total;
    }

    /// Bytes received beyond the answers taken.
    const std::string& Pending() const { return FPending; }

private:
    bool Fill(std::chrono::steady_clock::time_point Deadline) {
        const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
            Deadline - std::chrono::steady_clock::now());
        if (Left.count() <= 0)
            return false;
        pollfd Poll{FSocket, POLLIN, 0};
        if (::poll(&Poll, 1, static_cast<int>(Left.count())) <= 0)
            return false;
        char Buffer[65536];
        const ssize_t Got = ::recv(FSocket, Buffer, sizeof Buffer, 0);
        if (Got <= 0) {
            FClosed = true;
            return false;
        }
        FPending.append(Buffer, static_cast<std::size_t>(Got));
        return true;
    }

    int FSocket;
    bool FConnected = false;
    bool FClosed = false;
    std::string FPending;
};

} // namespace pelto::test
