// The HTTP layer against clients that do not play by the rules: each test is one attack, sent
// byte for byte over loopback, and asserts the sound behaviour.
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "service/HttpServer.h"
#include "service/RenderService.h"
#include "support/DemoGame.h"
#include "support/RawHttp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace pelto;
using namespace pelto::service;
using pelto::test::TRawConnection;
using pelto::test::TRawResponse;

namespace {

const TGameData& HostileGame() {
    static const auto Game = [] {
        auto Loaded = std::make_unique<TGameData>(test::DemoGame());
        Loaded->LoadAll();
        return Loaded;
    }();
    return *Game;
}

std::string DressedCode() {
    TDressingSession Session(HostileGame());
    Session.SetChara(3);
    Session.Pick(1, 1);
    return Session.Code();
}

std::string Get(const std::string& Target, const std::string& Extra = "") {
    return "GET " + Target + " HTTP/1.1\r\nHost: localhost\r\n" + Extra + "\r\n";
}

class HostileClientsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Service = std::make_unique<TRenderService>(HostileGame(), TServiceOptions{});
        Server = std::make_unique<THttpServer>(*Service, 4);
        Port = Server->Bind("127.0.0.1", 0);
        Runner = std::thread([this] { Server->Run(); });
    }
    void TearDown() override {
        Server->Stop();
        Runner.join();
    }

    /// Sends Bytes on a connection of its own and returns the first answer.
    std::optional<TRawResponse> Ask(const std::string& Bytes) const {
        TRawConnection Connection(Port);
        Connection.Send(Bytes);
        return Connection.Receive();
    }

    /// /healthz answered on a fresh connection within Limit.
    bool HealthyWithin(std::chrono::milliseconds Limit) const {
        TRawConnection Connection(Port);
        if (!Connection.Send(Get("/healthz")))
            return false;
        const auto Answer = Connection.Receive(false, Limit);
        return Answer && Answer->Status == 200;
    }

    std::unique_ptr<TRenderService> Service;
    std::unique_ptr<THttpServer> Server;
    std::thread Runner;
    int Port = 0;
};

// --- framing: a body is never read as a request -----------------------------------------------

TEST_F(HostileClientsTest, ARefusedMethodsBodyIsNeverRunAsTheNextRequest) {
    const std::string Smuggled = Get("/render.webp?code=" + DressedCode());
    TRawConnection Connection(Port);
    Connection.Send("POST /render.png HTTP/1.1\r\nHost: localhost\r\nContent-Length: " +
                    std::to_string(Smuggled.size()) + "\r\n\r\n" + Smuggled);
    const auto Answer = Connection.Receive();
    ASSERT_TRUE(Answer);
    EXPECT_EQ(Answer->Status, 405);
    EXPECT_EQ(Answer->Header("Connection"), "close");
    EXPECT_TRUE(Connection.ClosedByServer()) << "a second answer: " << Connection.Pending();
}

TEST_F(HostileClientsTest, AGetWithABodyIsRefusedAndItsConnectionClosed) {
    const std::string Smuggled = Get("/healthz");
    for (const std::string& Framing :
         {"Content-Length: " + std::to_string(Smuggled.size()) + "\r\n",
          std::string("Transfer-Encoding: chunked\r\n"),
          "Content-Length: " + std::to_string(Smuggled.size()) +
              "\r\nTransfer-Encoding: chunked\r\n"}) {
        TRawConnection Connection(Port);
        Connection.Send(Get("/items", Framing) + Smuggled);
        const auto Answer = Connection.Receive();
        ASSERT_TRUE(Answer) << Framing;
        EXPECT_EQ(Answer->Status, 400) << Framing;
        EXPECT_TRUE(Connection.ClosedByServer()) << Framing << Connection.Pending();
    }
}

TEST_F(HostileClientsTest, AmbiguousHeadsAreRefused) {
    const std::vector<std::string> Heads{
        // two lengths
        "GET /healthz HTTP/1.1\r\nHost: a\r\nContent-Length: 0\r\nContent-Length: 5\r\n\r\n",
        "GET /healthz HTTP/1.1\r\nHost: a\r\nContent-Length: 0\r\nContent-Length: 0\r\n\r\n",
        // a folded line hiding a header
        "GET /healthz HTTP/1.1\r\nHost: a\r\nX-A: b\r\n Transfer-Encoding: chunked\r\n\r\n",
        // bare line feeds
        "GET /healthz HTTP/1.1\nHost: a\n\n",
        // two hosts, and none
        "GET /healthz HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n",
        "GET /healthz HTTP/1.1\r\n\r\n",
        // targets that are no path
        "GET http://evil.example/healthz HTTP/1.1\r\nHost: a\r\n\r\n",
        "GET * HTTP/1.1\r\nHost: a\r\n\r\n",
        // a space in a header name, a NUL in a value
        "GET /healthz HTTP/1.1\r\nHost: a\r\nX A: b\r\n\r\n",
        std::string("GET /healthz HTTP/1.1\r\nHost: a\r\nX-A: b\0c\r\n\r\n", 44),
    };
    for (const std::string& Head : Heads) {
        TRawConnection Connection(Port);
        Connection.Send(Head);
        const auto Answer = Connection.Receive();
        ASSERT_TRUE(Answer) << Head;
        EXPECT_EQ(Answer->Status, 400) << Head;
        EXPECT_TRUE(Connection.ClosedByServer()) << Head;
    }
}

TEST_F(HostileClientsTest, OtherVersionsAndHugeMethodsAreRefused) {
    EXPECT_EQ(Ask("GET /healthz HTTP/2.0\r\nHost: a\r\n\r\n")->Status, 505);
    EXPECT_EQ(Ask(std::string(4000, 'G') + " /healthz HTTP/1.1\r\nHost: a\r\n\r\n")->Status, 405);
    EXPECT_EQ(Ask(std::string(9000, 'G') + " /healthz HTTP/1.1\r\nHost: a\r\n\r\n")->Status, 414);
    EXPECT_TRUE(HealthyWithin(std::chrono::seconds(5)));
}

// --- limits enforced while reading --------------------------------------------------------------

TEST_F(HostileClientsTest, ALongUrlIsRefusedBeforeItEnds) {
    TRawConnection Connection(Port);
    Connection.Send("GET /render.png?code=" + std::string(9000, 'A'));
    // The line has not ended: the answer comes from the bytes over the limit alone.
    const auto Answer = Connection.Receive();
    ASSERT_TRUE(Answer);
    EXPECT_EQ(Answer->Status, 414);
    EXPECT_TRUE(Connection.ClosedByServer());
}

TEST_F(HostileClientsTest, AFloodOfHeaderLinesIsRefusedAfterTheLimit) {
    TRawConnection Connection(Port);
    Connection.Send("GET /healthz HTTP/1.1\r\nHost: a\r\n");
    std::size_t Sent = 0;
    const std::string Line = "X-Filler: " + std::string(20, 'x') + "\r\n";
    // Far more than the limit, unless the server stops taking bytes first.
    while (Sent < (std::size_t{4} << 20) && Connection.Send(Line))
        Sent += Line.size();
    const auto Answer = Connection.Receive();
    ASSERT_TRUE(Answer);
    EXPECT_EQ(Answer->Status, 431);
    EXPECT_TRUE(Connection.ClosedByServer());
}

TEST_F(HostileClientsTest, RangesAreIgnoredAndNeverMultiplyAnAnswer) {
    std::string Ranges = "Range: bytes=0-";
    for (int I = 0; I < 400; ++I)
        Ranges += ",0-";
    const auto Whole = Ask(Get("/items"));
    const auto Ranged = Ask(Get("/items", Ranges + "\r\n"));
    ASSERT_TRUE(Whole && Ranged);
    EXPECT_EQ(Ranged->Status, 200);
    EXPECT_FALSE(Ranged->Header("Content-Range"));
    EXPECT_EQ(Ranged->Body, Whole->Body);
    const auto Picture = Ask(Get("/render.png?code=" + DressedCode(), "Range: bytes=0-9\r\n"));
    ASSERT_TRUE(Picture);
    EXPECT_EQ(Picture->Status, 200);
    EXPECT_FALSE(Picture->Header("Content-Range"));
    EXPECT_GT(Picture->Body.size(), 10u);
}

// --- connections: in order, exact, and many ------------------------------------------------------

TEST_F(HostileClientsTest, PipelinedRequestsAreAnsweredInOrder) {
    TRawConnection Connection(Port);
    Connection.Send(Get("/healthz") + Get("/nothing") + Get("/items?search=cap") +
                    "HEAD /healthz HTTP/1.1\r\nHost: a\r\n\r\n" + Get("/healthz"));
    std::vector<int> Statuses;
    for (int I = 0; I < 5; ++I) {
        const auto Answer = Connection.Receive(I == 3);
        ASSERT_TRUE(Answer) << I;
        Statuses.push_back(Answer->Status);
        if (I == 2) {
            EXPECT_EQ(Answer->Body.front(), '[');
        }
    }
    EXPECT_EQ(Statuses, (std::vector<int>{200, 404, 200, 200, 200}));
}

TEST_F(HostileClientsTest, AHeadAnswerIsTheGetsHeadWithoutItsBody) {
    const std::string Target = "/render.png?code=" + DressedCode();
    const auto Full = Ask(Get(Target));
    TRawConnection Connection(Port);
    // The next request's answer must follow right after the head: no body bytes between.
    Connection.Send("HEAD " + Target + " HTTP/1.1\r\nHost: a\r\n\r\n" + Get("/healthz"));
    const auto Head = Connection.Receive(true);
    const auto Next = Connection.Receive();
    ASSERT_TRUE(Full && Head && Next);
    EXPECT_EQ(Head->Status, 200);
    EXPECT_EQ(Head->Header("Content-Length"), std::to_string(Full->Body.size()));
    EXPECT_EQ(Head->Header("ETag"), Full->Header("ETag"));
    EXPECT_EQ(Next->Status, 200);
    EXPECT_EQ(Next->Body, "ok\n");
}

TEST_F(HostileClientsTest, ConnectionCloseIsHonoured) {
    TRawConnection Connection(Port);
    Connection.Send(Get("/healthz", "Connection: close\r\n") + Get("/healthz"));
    const auto Answer = Connection.Receive();
    ASSERT_TRUE(Answer);
    EXPECT_EQ(Answer->Header("Connection"), "close");
    EXPECT_TRUE(Connection.ClosedByServer()) << "the second request is not answered";
}

TEST_F(HostileClientsTest, SlowAndIdleClientsLeaveTheServiceAnswering) {
    std::vector<std::unique_ptr<TRawConnection>> Crowd;
    for (int I = 0; I < 300; ++I) {
        auto Connection = std::make_unique<TRawConnection>(Port);
        ASSERT_TRUE(Connection->Connected());
        if (I % 2 == 0)
            Connection->Send("GET /healthz HTTP/1.1\r\nHo"); // a head begun and never ended
        Crowd.push_back(std::move(Connection));
    }
    EXPECT_TRUE(HealthyWithin(std::chrono::seconds(2)));
    for (int Second = 0; Second < 2; ++Second) {
        for (int I = 0; I < 300; I += 2)
            Crowd[static_cast<std::size_t>(I)]->Send("s");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_TRUE(HealthyWithin(std::chrono::seconds(2)));
    }
}

TEST_F(HostileClientsTest, AFloodOfTheDearestPicturesLeavesHealthAndCachedAnswersComing) {
    const std::string Cached = Get("/render.png?code=" + DressedCode());
    ASSERT_EQ(Ask(Cached)->Status, 200);
    // Each a different picture: eight frames of animation at the largest scale.
    std::vector<std::unique_ptr<TRawConnection>> Flood;
    for (int I = 0; I < 24; ++I) {
        auto Connection = std::make_unique<TRawConnection>(Port);
        Connection->Send(Get("/render.twebp?code=" + DressedCode() +
                             "&motion=1&scale=8&delay=" + std::to_string(100 + I)));
        Flood.push_back(std::move(Connection));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the workers are taken
    for (int Round = 0; Round < 3; ++Round) {
        EXPECT_TRUE(HealthyWithin(std::chrono::seconds(1)));
        TRawConnection Connection(Port);
        Connection.Send(Cached);
        const auto Answer = Connection.Receive(false, std::chrono::seconds(1));
        ASSERT_TRUE(Answer) << "a cached answer waited behind the flood";
        EXPECT_EQ(Answer->Status, 200);
    }
    // The flood is drawn or turned away, never left hanging.
    for (const auto& Connection : Flood) {
        const auto Answer = Connection->Receive(false, std::chrono::seconds(60));
        ASSERT_TRUE(Answer);
        EXPECT_TRUE(Answer->Status == 200 || Answer->Status == 503) << Answer->Status;
        if (Answer->Status == 503) {
            EXPECT_EQ(Answer->Header("Retry-After"), "1");
        }
    }
}

// --- one picture, one key -------------------------------------------------------------------

TEST_F(HostileClientsTest, ANulInACodeCannotPoisonTheKeyOfAnother) {
    const std::string Code = DressedCode();
    const std::string Prefix = Code.substr(0, 3);
    const auto Poison = Ask(Get("/render.png?code=" + Prefix + "%00" + Code.substr(3)));
    ASSERT_TRUE(Poison);
    EXPECT_EQ(Poison->Status, 400);
    const auto Victim = Ask(Get("/render.png?code=" + Prefix));
    ASSERT_TRUE(Victim);
    EXPECT_EQ(Victim->Status, 400) << "the short code is no code, whatever was asked before";
}

TEST_F(HostileClientsTest, ATagMatchesOnlyOnceTheRequestIsKnownGood) {
    const auto Star = Ask(Get("/render.png?code=AQo", "If-None-Match: *\r\n"));
    ASSERT_TRUE(Star);
    EXPECT_EQ(Star->Status, 400);
}

TEST_F(HostileClientsTest, SpellingsOfOneCodeShareOneTag) {
    std::string Code = DressedCode();
    const auto Plain = Ask(Get("/render.png?code=" + Code));
    for (char& C : Code)
        C = C == '+' ? '-' : C == '/' ? '_' : C;
    const auto UrlSafe = Ask(Get("/render.png?code=" + Code));
    const auto Padded = Ask(Get("/render.png?code=" + Code + "%3D"));
    ASSERT_TRUE(Plain && UrlSafe && Padded);
    EXPECT_EQ(Plain->Status, 200);
    EXPECT_EQ(UrlSafe->Header("ETag"), Plain->Header("ETag"));
    EXPECT_EQ(Padded->Header("ETag"), Plain->Header("ETag"));
    EXPECT_EQ(Padded->Body, Plain->Body);
}

TEST_F(HostileClientsTest, ASlowReaderGetsTheWholeAnswerWhileItMakesProgress) {
    // 12 MiB read at 800 KiB/s: far longer than a client has for any one piece of it, and more
    // than the kernel's buffers hold for it beyond what it has read by then.
    const std::string Target = "/render.bmp?code=" + DressedCode() + "&scale=8&canvas=2048x2048";
    const auto Whole = Ask(Get(Target));
    ASSERT_TRUE(Whole && Whole->Status == 200);
    TRawConnection Slow(Port, 4096);
    Slow.Send(Get(Target, "Connection: close\r\n"));
    const std::size_t Read = Slow.ReadSlowly(800 * 1024, std::chrono::seconds(HeadSeconds + 20));
    EXPECT_GT(Whole->Body.size(), 12u << 20);
    EXPECT_GE(Read, Whole->Body.size()) << "cut off after " << Read << " bytes";
}

TEST_F(HostileClientsTest, AnswersNobodyReadsHoldNoMoreThanTheirBoundSharingOneBody) {
    Server->SetAnswerBytes(std::size_t{1} << 20);
    const std::string Code = DressedCode();
    const std::string Big = Get("/render.bmp?code=" + Code + "&scale=8");
    const std::string Other = Get("/render.bmp?code=" + Code + "&scale=7");
    ASSERT_EQ(Ask(Big)->Status, 200); // made and kept
    // An answer may take the bound alone; while nobody reads it, the same answer goes out from
    // the one body the cache keeps, and nothing more is made.
    auto Holder = std::make_unique<TRawConnection>(Port, 4096);
    Holder->Send(Big);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Ask(Big)->Status, 200) << "one body, shared";
    const auto Refused = Ask(Other);
    ASSERT_TRUE(Refused);
    EXPECT_EQ(Refused->Status, 503);
    EXPECT_EQ(Refused->Header("Retry-After"), "1");
    EXPECT_TRUE(HealthyWithin(std::chrono::seconds(2))) << "health is always told";
    // Gone, its answer's memory goes with it.
    Holder.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Ask(Other)->Status, 200);
}

// --- other sites' scripts: CORS and its preflights --------------------------------------------

std::string Options(const std::string& Target, const std::string& Extra = "") {
    return "OPTIONS " + Target +
           " HTTP/1.1\r\nHost: localhost\r\nOrigin: https://guild.example\r\n" + Extra + "\r\n";
}

TEST_F(HostileClientsTest, TheApiIsReadableFromOtherSitesAndPagesAreNot) {
    const std::string Code = DressedCode();
    for (const std::string& Path :
         std::vector<std::string>{"/render.png?code=" + Code, std::string("/items?search=cap"),
                                  "/code/" + Code + ".json", "/atlas/0/1.json", "/healthz"}) {
        const auto Old = Ask(Get(Path));
        const auto Versioned = Ask(Get("/v1" + Path));
        ASSERT_TRUE(Old && Versioned) << Path;
        EXPECT_EQ(Versioned->Status, 200) << Path;
        EXPECT_EQ(Versioned->Body, Old->Body) << Path;
        EXPECT_EQ(Versioned->Header("ETag"), Old->Header("ETag")) << Path;
        EXPECT_EQ(Versioned->Header("Access-Control-Allow-Origin"), "*") << Path;
        EXPECT_EQ(Versioned->Header("Access-Control-Expose-Headers"), "ETag, Retry-After") << Path;
        EXPECT_FALSE(Versioned->Header("Access-Control-Allow-Credentials")) << Path;
    }
    // A refusal and a revalidation are read by the same scripts.
    const auto Refused = Ask(Get("/v1/render.png?code=AAAA"));
    ASSERT_TRUE(Refused);
    EXPECT_EQ(Refused->Status, 400);
    EXPECT_EQ(Refused->Header("Access-Control-Allow-Origin"), "*");
    const auto Fresh = Ask(Get("/v1/render.png?code=" + Code));
    ASSERT_TRUE(Fresh && Fresh->Header("ETag"));
    const auto Same = Ask(
        Get("/v1/render.png?code=" + Code, "If-None-Match: " + *Fresh->Header("ETag") + "\r\n"));
    ASSERT_TRUE(Same);
    EXPECT_EQ(Same->Status, 304);
    EXPECT_EQ(Same->Header("Access-Control-Allow-Origin"), "*");
    for (const std::string& Page :
         {std::string("/"), "/c/" + Code, std::string("/page.js"), std::string("/page.ja.json")}) {
        const auto Answer = Ask(Get(Page));
        ASSERT_TRUE(Answer) << Page;
        EXPECT_EQ(Answer->Status, 200) << Page;
        EXPECT_FALSE(Answer->Header("Access-Control-Allow-Origin")) << Page;
        const auto Versioned = Ask(Get("/v1" + Page));
        ASSERT_TRUE(Versioned) << Page;
        EXPECT_EQ(Versioned->Status, 404) << "pages are no API: " << Page;
    }
}

TEST_F(HostileClientsTest, EveryRefusalOfTheHttpLayerIsReadableFromOtherSites) {
    const struct {
        std::string Bytes;
        int Status;
    } Cases[] = {
        {"DELETE /v1/items HTTP/1.1\r\nHost: a\r\n\r\n", 405},
        {"GET /v1/items?q=" + std::string(9000, 'A') + " HTTP/1.1\r\n\r\n", 414},
        {"GET /v1/items HTTP/1.1\r\nHost: a\r\n" + std::string(300, 'X') + ": " +
             std::string(17000, 'y') + "\r\n\r\n",
         431},
        {"GET /v1/items HTTP/1.1\r\nHost: a\r\nContent-Length: 4\r\n\r\nbody", 400},
        {Get("/v1/nothing-here"), 404},
    };
    for (const auto& Case : Cases) {
        const auto Answer = Ask(Case.Bytes);
        ASSERT_TRUE(Answer) << Case.Status;
        EXPECT_EQ(Answer->Status, Case.Status);
        EXPECT_EQ(Answer->Header("Access-Control-Allow-Origin"), "*") << Case.Status;
    }
}

TEST_F(HostileClientsTest, APreflightAllowsReadingAndKeepsTheConnection) {
    TRawConnection Connection(Port);
    Connection.Send(Options("/v1/render.gif?code=x",
                            "Access-Control-Request-Method: GET\r\n"
                            "Access-Control-Request-Headers: if-none-match\r\n") +
                    Get("/v1/healthz"));
    const auto Preflight = Connection.Receive();
    ASSERT_TRUE(Preflight);
    EXPECT_EQ(Preflight->Status, 204);
    EXPECT_EQ(Preflight->Header("Access-Control-Allow-Origin"), "*");
    EXPECT_EQ(Preflight->Header("Access-Control-Allow-Methods"), "GET, HEAD");
    EXPECT_EQ(Preflight->Header("Access-Control-Allow-Headers"), "If-None-Match, X-Api-Key")
        << "the deployment counts a key's requests by it";
    EXPECT_TRUE(Preflight->Header("Access-Control-Max-Age"));
    EXPECT_FALSE(Preflight->Header("Content-Length")) << "a 204 has no body to measure";
    const auto Next = Connection.Receive();
    ASSERT_TRUE(Next) << "the connection goes on after a preflight";
    EXPECT_EQ(Next->Status, 200);
    EXPECT_EQ(Next->Body, "ok\n");
}

TEST_F(HostileClientsTest, APreflightForAnotherMethodOrAPageIsRefused) {
    for (const char* Method : {"POST", "DELETE", "PUT", "get"}) {
        const auto Answer =
            Ask(Options("/v1/design.json?chara=1",
                        "Access-Control-Request-Method: " + std::string(Method) + "\r\n"));
        ASSERT_TRUE(Answer) << Method;
        EXPECT_EQ(Answer->Status, 405) << Method;
        EXPECT_EQ(Answer->Header("Allow"), "GET, HEAD, OPTIONS") << Method;
        // Readable, as every answer of the API, but allowing nothing.
        EXPECT_EQ(Answer->Header("Access-Control-Allow-Origin"), "*") << Method;
        EXPECT_FALSE(Answer->Header("Access-Control-Allow-Methods")) << Method;
    }
    for (const char* Page : {"/", "/c/AQo", "/page.js"}) {
        const auto Answer = Ask(Options(Page, "Access-Control-Request-Method: GET\r\n"));
        ASSERT_TRUE(Answer) << Page;
        EXPECT_EQ(Answer->Status, 405) << Page;
        EXPECT_EQ(Answer->Header("Allow"), "GET, HEAD") << Page;
        EXPECT_FALSE(Answer->Header("Access-Control-Allow-Origin")) << Page;
    }
    const auto Unknown = Ask(Options("/v1/nothing", "Access-Control-Request-Method: GET\r\n"));
    ASSERT_TRUE(Unknown);
    EXPECT_EQ(Unknown->Status, 404);
    EXPECT_FALSE(Unknown->Header("Access-Control-Allow-Methods"));
}

TEST_F(HostileClientsTest, AnOptionsWithABodyIsRefusedAndItsConnectionClosed) {
    const std::string Smuggled = Get("/healthz");
    for (const std::string& Framing :
         {"Content-Length: " + std::to_string(Smuggled.size()) + "\r\n",
          std::string("Transfer-Encoding: chunked\r\n")}) {
        TRawConnection Connection(Port);
        Connection.Send(Options("/v1/items", "Access-Control-Request-Method: GET\r\n" + Framing) +
                        Smuggled);
        const auto Answer = Connection.Receive();
        ASSERT_TRUE(Answer) << Framing;
        EXPECT_EQ(Answer->Status, 400) << Framing;
        EXPECT_FALSE(Answer->Header("Access-Control-Allow-Methods")) << Framing;
        EXPECT_TRUE(Connection.ClosedByServer()) << Framing << Connection.Pending();
    }
}

TEST_F(HostileClientsTest, AStopAnswersWhatWasAskedAndLetsTheRestGo) {
    std::vector<std::unique_ptr<TRawConnection>> Slow;
    for (int I = 0; I < 50; ++I) {
        Slow.push_back(std::make_unique<TRawConnection>(Port));
        Slow.back()->Send(I % 2 ? "GET /healthz HTTP/1.1\r\n" : "");
    }
    TRawConnection Busy(Port);
    Busy.Send(Get("/render.apng?code=" + DressedCode() + "&scale=8"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto Start = std::chrono::steady_clock::now();
    Server->Stop();
    Runner.join();
    EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(HeadSeconds));
    const auto Answer = Busy.Receive();
    ASSERT_TRUE(Answer);
    EXPECT_EQ(Answer->Status, 200);
    for (const auto& Connection : Slow)
        EXPECT_TRUE(Connection->ClosedByServer(std::chrono::seconds(1)));
    // TearDown stops again: a second stop is harmless.
    Runner = std::thread([] {});
}

} // namespace
