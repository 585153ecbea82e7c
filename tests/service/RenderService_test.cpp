// The render service end to end: the HTTP server on a loopback port of its own, over the demo
// game, asked by a real HTTP client.
#include "codecs/PictureText.h"
#include "export/PictureCode.h"
#include "model/CharaCode.h"
#include "model/CharaDesign.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Format.h"
#include "platform/Stream.h"
#include "service/HttpServer.h"
#include "service/RenderService.h"
#include "service/ServiceHolder.h"
#include "support/CliRun.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <memory>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace pelto;
using pelto::test::ShellQuote;
using pelto::test::TCliResult;
using namespace pelto::service;
using pelto::test::ReadText;
using pelto::test::TTempDir;

namespace {

/// What `pelto-cli` prints (or writes to Out) for Args; empty when it fails.
std::string RunCli(const std::vector<std::string>& Args) {
    std::string Command = ShellQuote(PELTO_CLI_PATH);
    for (const std::string& Arg : Args)
        Command += " " + ShellQuote(Arg);
    TTempDir Scratch;
    const std::string Out = Scratch / "out";
    return std::system((Command + " >" + ShellQuote(Out) + " 2>/dev/null").c_str()) == 0
               ? ReadText(Out)
               : "";
}

/// The demo game loaded as the service loads it, once for every test.
const TGameData& ServedGame() {
    static const auto Game = [] {
        auto Loaded = std::make_unique<TGameData>(test::DemoGame());
        Loaded->LoadAll();
        Loaded->UseSpriteCache(std::size_t{256} << 20);
        return Loaded;
    }();
    return *Game;
}

/// Codes of dressed characters: character Chara wearing the Nth item of every list.
std::string DressedCode(int Chara, int Nth = 1) {
    TDressingSession Session(ServedGame());
    Session.SetChara(Chara);
    for (int Slot = 1; Slot <= 6; ++Slot)
        if (static_cast<int>(Session.List(Slot).size()) > Nth)
            Session.Pick(Slot, Nth);
    Session.SetColor(1, 0, 7);
    return Session.Code();
}

class RenderServiceTest : public ::testing::Test {
protected:
    void SetUp() override { Start({}); }
    void TearDown() override { Stop(); }

    void Start(TServiceOptions Options) {
        Server = std::make_unique<THttpServer>(Services, 32);
        Port = Server->Bind("127.0.0.1", 0);
        MetricsPort = Server->BindMetrics("127.0.0.1", 0);
        Options.Listen = {"127.0.0.1", Port};
        Service = std::make_shared<TRenderService>(ServedGame(), Options);
        Services.Replace(Service);
        Runner = std::thread([this] { Server->Run(); });
    }
    void Stop() {
        Server->Stop();
        Runner.join();
    }

    httplib::Client Client() const {
        httplib::Client C("127.0.0.1", Port);
        C.set_read_timeout(30, 0);
        return C;
    }
    httplib::Result Get(const std::string& Target, const httplib::Headers& Headers = {}) const {
        return Client().Get(Target, Headers);
    }

    /// /metrics once it counts every request of Counted: the server counts a request after
    /// answering it, so a client may ask before the last one is counted.
    std::string MetricsCounting(const std::vector<std::string>& Counted) const {
        std::string Text;
        for (int Try = 0; Try < 200; ++Try) {
            const auto Answer = httplib::Client("127.0.0.1", MetricsPort).Get("/metrics");
            Text = Answer ? Answer->body : "";
            if (std::all_of(Counted.begin(), Counted.end(), [&Text](const std::string& Line) {
                    return Text.find("pelto_requests_total{" + Line) != std::string::npos;
                }))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return Text;
    }

    TServiceHolder Services;
    std::shared_ptr<TRenderService> Service;
    std::unique_ptr<THttpServer> Server;
    std::thread Runner;
    int Port = 0;
    int MetricsPort = 0;
};

std::size_t Count(const std::string& Text, const std::string& Piece) {
    std::size_t N = 0;
    for (std::size_t At = Text.find(Piece); At != std::string::npos; At = Text.find(Piece, At + 1))
        ++N;
    return N;
}

std::string Escaped(const std::string& Code) {
    std::string Out;
    for (const char C : Code)
        Out += C == '+' ? "%2B" : C == '/' ? "%2F" : std::string(1, C);
    return Out;
}

} // namespace

TEST_F(RenderServiceTest, EveryFormatIsByteForByteWhatTheCommandLineRenders) {
    const std::string Code = DressedCode(3);
    struct TCase {
        std::string Format;
        std::string Query;
        std::vector<std::string> Options;
    };
    const std::vector<TCase> Cases{
        {"png", "", {}},
        {"tpng", "&shadow=1&direction=2", {"--shadow", "--direction", "2"}},
        {"jpg", "&background=336699", {"--background", "336699"}},
        {"bmp", "&motion=1&frame=2", {"--motion", "1", "--frame", "2"}},
        {"gif", "&scale=2", {"--scale", "2"}},
        {"tgif", "&delay=100", {"--delay", "100"}},
        {"apng", "&scale=3&motion=2", {"--scale", "3", "--motion", "2"}},
        {"tapng", "&delay=50", {"--delay", "50"}},
        {"webp", "&direction=6", {"--direction", "6"}},
        {"twebp", "&scale=2&shadow=1", {"--scale", "2", "--shadow"}},
        // Portraits and anchors, for stills and animations alike.
        {"apng", "&crop=head&flip=1", {"--crop", "head", "--flip"}},
        {"twebp", "&canvas=200x150&anchor=center", {"--canvas", "200x150", "--anchor", "center"}},
        {"gif", "&flip=1&canvas=64x300&scale=2", {"--flip", "--canvas", "64x300", "--scale", "2"}},
        {"bmp", "&crop=body&canvas=300x300", {"--crop", "body", "--canvas", "300x300"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Format);
        TTempDir Scratch;
        std::vector<std::string> Args{"render",    "--game", test::DemoGame(),
                                      "--code",    Code,     "--format",
                                      Case.Format, "--out",  Scratch / "picture"};
        Args.insert(Args.end(), Case.Options.begin(), Case.Options.end());
        ASSERT_EQ(RunCli(Args), "");
        const std::string Expected = ReadText(Scratch / "picture");
        ASSERT_FALSE(Expected.empty());
        const auto Answer = Get("/render." + Case.Format + "?code=" + Escaped(Code) + Case.Query);
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 200);
        // The command line's export formats carry the code; the service's answers do not, and
        // are otherwise the same.
        const std::span<const std::uint8_t> Body(
            reinterpret_cast<const std::uint8_t*>(Answer->body.data()), Answer->body.size());
        const bool Classic = Case.Format == "png" || Case.Format == "tpng" ||
                             Case.Format == "jpg" || Case.Format == "bmp";
        EXPECT_EQ(ReadPictureCode(Body), std::nullopt);
        const std::vector<std::uint8_t> WithCode =
            Classic ? std::vector<std::uint8_t>(Body.begin(), Body.end())
                    : WithPictureText(Body, PictureCodeKeyword, Code);
        EXPECT_TRUE(std::string(WithCode.begin(), WithCode.end()) == Expected);
        EXPECT_EQ(Answer->get_header_value("Content-Length"), std::to_string(Answer->body.size()));
        EXPECT_EQ(Answer->get_header_value("Cache-Control"), "public, max-age=60");
    }
}

TEST_F(RenderServiceTest, AnswersCarryTheirTypeAndAStrongTagAndHeadHasNoBody) {
    const std::string Target = "/render.gif?code=" + Escaped(DressedCode(0));
    const auto Body = Get(Target);
    ASSERT_TRUE(Body);
    EXPECT_EQ(Body->get_header_value("Content-Type"), "image/gif");
    const std::string ETag = Body->get_header_value("ETag");
    EXPECT_EQ(ETag.size(), 34u);
    EXPECT_EQ(ETag.front(), '"');

    const auto Head = Client().Head(Target);
    ASSERT_TRUE(Head);
    EXPECT_EQ(Head->status, 200);
    EXPECT_TRUE(Head->body.empty());
    EXPECT_EQ(Head->get_header_value("ETag"), ETag);
    EXPECT_EQ(Head->get_header_value("Content-Length"), std::to_string(Body->body.size()));

    EXPECT_EQ(Get("/render.jpg?code=" + Escaped(DressedCode(0)))->get_header_value("Content-Type"),
              "image/jpeg");
    EXPECT_EQ(Get("/render.webp?code=" + Escaped(DressedCode(0)))->get_header_value("Content-Type"),
              "image/webp");
}

TEST_F(RenderServiceTest, AKnownTagGivesNotModifiedWithoutABody) {
    const std::string Target = "/render.png?code=" + Escaped(DressedCode(1)) + "&scale=2";
    const std::string ETag = Get(Target)->get_header_value("ETag");
    for (const std::string& IfNoneMatch :
         std::vector<std::string>{ETag, "W/" + ETag, "\"other\", " + ETag, "*"}) {
        const auto Answer = Get(Target, {{"If-None-Match", IfNoneMatch}});
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 304) << IfNoneMatch;
        EXPECT_TRUE(Answer->body.empty());
        EXPECT_EQ(Answer->get_header_value("ETag"), ETag);
    }
    EXPECT_EQ(Get(Target, {{"If-None-Match", "\"other\""}})->status, 200);
    const auto Other = Get("/render.png?code=" + Escaped(DressedCode(1)) + "&scale=3");
    EXPECT_NE(Other->get_header_value("ETag"), ETag);
}

TEST_F(RenderServiceTest, ACodeSentUnescapedOrUrlSafeIsTheSameCode) {
    // Find a code holding both "+" and "/", so that every spelling is put to the test.
    std::string Code;
    for (int Chara = 0; Chara < 15 && Code.empty(); ++Chara)
        for (int Nth = 1; Nth < 4 && Code.empty(); ++Nth) {
            const std::string Candidate = DressedCode(Chara, Nth);
            if (Candidate.find('+') != std::string::npos ||
                Candidate.find('/') != std::string::npos)
                Code = Candidate;
        }
    ASSERT_FALSE(Code.empty());
    const auto Escapes = Get("/render.png?code=" + Escaped(Code));
    std::string Raw = Code; // "+" arrives as a space
    std::string UrlSafe = Code;
    for (char& C : UrlSafe)
        C = C == '+' ? '-' : C == '/' ? '_' : C;
    for (const std::string& Spelling : {Raw, UrlSafe}) {
        const auto Answer = Get("/render.png?code=" + Spelling);
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 200) << Spelling;
        EXPECT_TRUE(Answer->body == Escapes->body);
        EXPECT_EQ(Answer->get_header_value("ETag"), Escapes->get_header_value("ETag"));
    }
}

TEST_F(RenderServiceTest, BadRequestsGetAClearAnswer) {
    const std::string Code = "code=" + Escaped(DressedCode(2));
    struct TCase {
        std::string Target;
        int Status;
        std::string Body; // a part of it
    };
    const std::vector<TCase> Cases{
        {"/render.png?code=AAAA", 400, R"({"error": "Invalid code error."})"},
        {"/render.png?code=%21%21%21%21", 400, "Invalid code error."},
        // Whatever the reason, the answer is the same.
        {"/render.png?code=AQAAHAf0emc9", 400, R"({"error": "Invalid code error."})"},
        {"/render.png?code=AQAB9QEcB%2FQF", 400, R"({"error": "Invalid code error."})"},
        {"/code/AQAB9QEcB%2FQF.json", 400, R"({"error": "Invalid code error."})"},
        {"/code/AcgAHAf0emed.json", 400, R"({"error": "Invalid code error."})"}, // no character
        {"/render.png?" + Code + "&motion=19", 400, "motion must be a number from 0 to 18"},
        {"/render.png?" + Code + "&direction=-1", 400, "direction must be a number from 0 to 7"},
        {"/render.png?" + Code + "&scale=9", 400, "scale must be a number from 1 to 8"},
        {"/render.png?" + Code + "&scale=2x", 400, "scale must be a number from 1 to 8"},
        {"/render.gif?" + Code + "&delay=10", 400, "delay must be a number from 20 to 5000"},
        {"/render.png?" + Code + "&delay=100", 400, "delay is for"},
        {"/render.png?" + Code + "&shadow=yes", 400, "shadow must be a number from 0 to 1"},
        {"/render.png?" + Code + "&background=12345G", 400, "background must be six"},
        {"/render.png?" + Code + "&frame=99", 400, "frame must be from 1 to"},
        {"/render.png?" + Code + "&colour=1", 400, "unknown parameter"},
        {"/render.png?" + Code + "&code=AAAA", 400, "code is given more than once"},
        {"/render.png", 400, "code is required"},
        {"/render.sheet?" + Code, 404, "not found"},
        {"/render.PNG?" + Code, 404, "not found"},
        {"/nothing", 404, "not found"},
        {"/icon/99999.png", 404, "no item 99999"},
        {"/icon/x.png", 404, "not found"},
        {"/items?group=1", 400, "group and slot go together"},
        {"/items?group=1&slot=7", 400, "slot must be a number from 1 to 6"},
    };
    for (const TCase& Case : Cases) {
        const auto Answer = Get(Case.Target);
        ASSERT_TRUE(Answer) << Case.Target;
        EXPECT_EQ(Answer->status, Case.Status) << Case.Target;
        EXPECT_NE(Answer->body.find(Case.Body), std::string::npos)
            << Case.Target << ": " << Answer->body;
        EXPECT_EQ(Answer->get_header_value("Content-Type"), "application/json");
        EXPECT_FALSE(Answer->has_header("ETag"));
    }
    EXPECT_EQ(Get("/healthz")->status, 200) << "the service is unharmed";
}

TEST_F(RenderServiceTest, OtherMethodsAndOversizedRequestsAreRefused) {
    auto C = Client();
    for (const auto& Answer : {C.Post("/render.png"), C.Put("/items"), C.Delete("/healthz")}) {
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 405);
        EXPECT_EQ(Answer->get_header_value("Allow"), "GET, HEAD");
    }
    EXPECT_EQ(Get("/render.png?code=" + std::string(8300, 'A'))->status, 414);
    httplib::Headers Big;
    for (int I = 0; I < 5; ++I)
        Big.emplace("X-Filler-" + std::to_string(I), std::string(4000, 'x'));
    EXPECT_EQ(Get("/healthz", Big)->status, 431);
    Big.erase("X-Filler-0");
    Big.erase("X-Filler-1");
    EXPECT_EQ(Get("/healthz", Big)->status, 200) << "12 KB of headers are fine";
}

TEST_F(RenderServiceTest, ItemsAreWhatTheCommandLineListsAndIconsArePictures) {
    for (const std::string Query :
         {"", "search=cap", "group=1&slot=2", "search=%E3%83%90%E3%83%B3&group=0&slot=1"}) {
        std::vector<std::string> Args{"items", "--game", test::DemoGame(), "--json"};
        if (Query == "search=cap")
            Args.insert(Args.end(), {"--search", "cap"});
        else if (Query == "group=1&slot=2")
            Args.insert(Args.end(), {"--group", "1", "--slot", "2"});
        else if (!Query.empty())
            Args.insert(Args.end(), {"--search", "バン", "--group", "0", "--slot", "1"});
        const auto Answer = Get("/items?" + Query);
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 200);
        EXPECT_EQ(Answer->body, RunCli(Args)) << Query;
        EXPECT_EQ(Answer->get_header_value("Content-Type"), "application/json; charset=utf-8");
    }

    const int Id = ServedGame().Items().Item(1)->ItemID();
    const auto Icon = Get("/icon/" + std::to_string(Id) + ".png");
    ASSERT_TRUE(Icon);
    EXPECT_EQ(Icon->status, 200);
    EXPECT_EQ(Icon->get_header_value("Content-Type"), "image/png");
    const auto Png = test::DecodePng(
        {reinterpret_cast<const std::uint8_t*>(Icon->body.data()), Icon->body.size()},
        PNG_FORMAT_RGBA);
    EXPECT_GT(Png.Width, 0u);
    EXPECT_EQ(Png.Width, Png.Height);
    EXPECT_EQ(Icon->get_header_value("Cache-Control"), "public, max-age=60");
}

TEST_F(RenderServiceTest, HealthAndMetricsTellWhatHappened) {
    EXPECT_EQ(Get("/healthz")->body, "ok\n");
    const std::string Target = "/render.png?code=" + Escaped(DressedCode(4));
    Get(Target);
    Get(Target);
    Get("/render.png?code=AAAA");
    const std::string Text = MetricsCounting(
        {"endpoint=\"render\",status=\"200\"} 2", "endpoint=\"render\",status=\"400\"} 1"});
    EXPECT_NE(Text.find("pelto_requests_total{endpoint=\"render\",status=\"200\"} 2"),
              std::string::npos)
        << Text;
    EXPECT_NE(Text.find("pelto_requests_total{endpoint=\"render\",status=\"400\"} 1"),
              std::string::npos);
    EXPECT_NE(Text.find("pelto_requests_total{endpoint=\"healthz\",status=\"200\"} 1"),
              std::string::npos);
    EXPECT_NE(Text.find("pelto_cache_hits_total 1"), std::string::npos);
    EXPECT_NE(Text.find("pelto_render_seconds_count 1"), std::string::npos);
    EXPECT_NE(Text.find("pelto_render_seconds_bucket{le=\"+Inf\"} 1"), std::string::npos);
    EXPECT_NE(Text.find("# TYPE pelto_cache_bytes gauge"), std::string::npos);
}

TEST_F(RenderServiceTest, ManyClientsAtOnceAllGetTheirOwnPicture) {
    std::vector<std::string> Targets;
    for (int Chara = 0; Chara < 15; ++Chara)
        Targets.push_back("/render.png?code=" + Escaped(DressedCode(Chara, 1 + Chara % 3)) +
                          "&direction=" + std::to_string(Chara % 8));
    std::vector<std::string> Expected;
    {
        // Drawn by a service of its own, so that the concurrent ones are drawn afresh.
        TRenderService Reference(ServedGame(), {});
        for (const std::string& Target : Targets) {
            const std::size_t Mark = Target.find('?');
            TServiceRequest Request{Target.substr(0, Mark), {}, ""};
            httplib::detail::parse_query_text(Target.substr(Mark + 1), Request.Params);
            Expected.push_back(Reference.Handle(Request).Body);
        }
    }
    std::vector<int> Wrong(12, 0);
    std::vector<std::thread> Clients;
    for (std::size_t T = 0; T < Wrong.size(); ++T)
        Clients.emplace_back([&, T] {
            auto C = Client();
            for (std::size_t I = 0; I < Targets.size(); ++I) {
                const std::size_t Which = (I + T) % Targets.size();
                const auto Answer = C.Get(Targets[Which]);
                if (!Answer || Answer->status != 200 || Answer->body != Expected[Which])
                    ++Wrong[T];
            }
        });
    for (auto& Thread : Clients)
        Thread.join();
    EXPECT_EQ(Wrong, std::vector<int>(Wrong.size(), 0));
}

TEST_F(RenderServiceTest, TheCacheKeepsWithinItsBytes) {
    Stop();
    Start({20000, 2});
    for (int Chara = 0; Chara < 15; ++Chara)
        ASSERT_EQ(Get("/render.png?code=" + Escaped(DressedCode(Chara)))->status, 200);
    EXPECT_LE(Service->CacheStats().Bytes, 20000u);
    EXPECT_GT(Service->CacheStats().Entries, 0u);
}

TEST_F(RenderServiceTest, AClientThatSendsNothingIsDropped) {
    const int Socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_port = htons(static_cast<std::uint16_t>(Port));
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof Address), 0);
    const auto Start = std::chrono::steady_clock::now();
    char Byte = 0;
    const timeval Limit{20, 0};
    ::setsockopt(Socket, SOL_SOCKET, SO_RCVTIMEO, &Limit, sizeof Limit);
    const auto Read = ::recv(Socket, &Byte, 1, 0); // 0 once the server closes
    const auto Waited = std::chrono::steady_clock::now() - Start;
    ::close(Socket);
    EXPECT_EQ(Read, 0);
    EXPECT_LE(Waited, std::chrono::seconds(HeadSeconds + 1));
}

namespace {

/// The content of the page's <meta> whose property or name is Key, its entities undone.
std::string MetaContent(const std::string& Html, const std::string& Key) {
    for (const std::string Attribute : {"property", "name"}) {
        const std::string Opening = "<meta " + Attribute + "=\"" + Key + "\" content=\"";
        const std::size_t At = Html.find(Opening);
        if (At == std::string::npos)
            continue;
        const std::size_t Start = At + Opening.size();
        std::string Value = Html.substr(Start, Html.find('"', Start) - Start);
        for (std::size_t Amp = Value.find("&amp;"); Amp != std::string::npos;
             Amp = Value.find("&amp;", Amp + 1))
            Value.replace(Amp, 5, "&");
        return Value;
    }
    return "";
}

/// The session of Code, as the share page must describe it.
struct TExpectedCode {
    int Chara;
    std::string Colors;                             // "[4, 4, ...]"
    std::vector<std::pair<int, std::string>> Items; // slot, id fragment
};
TExpectedCode Expect(const std::string& Code) {
    TDressingSession Session(ServedGame());
    Session.ApplyCode(Code);
    TExpectedCode Expected{Session.CharaIndex(), "[", {}};
    for (int Position = 0; Position < 4; ++Position)
        for (int Channel = 0; Channel < 3; ++Channel)
            Expected.Colors += (Position || Channel ? ", " : "") +
                               std::to_string(Session.Color(Position, Channel));
    Expected.Colors += "]";
    for (int Slot = 1; Slot <= 6; ++Slot)
        if (const auto* Item = Session.Worn(Slot))
            Expected.Items.emplace_back(Slot, std::to_string(Item->ItemID()));
    return Expected;
}

} // namespace

TEST_F(RenderServiceTest, ASharePageUnfoldsInChatAppsIntoARenderOf512Pixels) {
    const std::string Code = DressedCode(3);
    const auto Page = Get("/c/" + Escaped(Code) + "?direction=2&fbclid=IwAR0&utm_source=chat");
    ASSERT_TRUE(Page);
    EXPECT_EQ(Page->status, 200) << Page->body;
    EXPECT_EQ(Page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    const std::string& Html = Page->body;
    EXPECT_EQ(MetaContent(Html, "og:title"), "Daniel");
    EXPECT_EQ(MetaContent(Html, "twitter:card"), "summary_large_image");
    EXPECT_EQ(MetaContent(Html, "og:image:width"), "512");
    EXPECT_EQ(MetaContent(Html, "og:image:height"), "512");
    const std::string Description = MetaContent(Html, "og:description");
    TDressingSession Session(ServedGame());
    Session.ApplyCode(Code);
    for (int Slot = 1; Slot <= 6; ++Slot) {
        if (const auto* Item = Session.Worn(Slot)) {
            EXPECT_NE(Description.find(std::string(Item->Name())), std::string::npos)
                << Description;
        }
    }
    EXPECT_EQ(MetaContent(Html, "og:url"),
              "http://127.0.0.1:" + std::to_string(Port) + "/c/" + Escaped(Code) + "?direction=2")
        << "the link as shared, without what chat apps added";

    const std::string Image = MetaContent(Html, "og:image");
    const std::string Origin = "http://127.0.0.1:" + std::to_string(Port) + "/";
    ASSERT_TRUE(Image.starts_with(Origin + "render.png?")) << Image;
    EXPECT_EQ(Image, MetaContent(Html, "twitter:image"));
    const auto Png = Get(Image.substr(Origin.size() - 1));
    ASSERT_TRUE(Png);
    ASSERT_EQ(Png->status, 200) << Png->body;
    EXPECT_EQ(Png->get_header_value("Content-Type"), "image/png");
    const auto Decoded =
        test::DecodePng({reinterpret_cast<const std::uint8_t*>(Png->body.data()), Png->body.size()},
                        PNG_FORMAT_RGBA);
    EXPECT_EQ(Decoded.Width, 512u);
    EXPECT_EQ(Decoded.Height, 512u);
    EXPECT_TRUE(Png->body ==
                Get("/render.png?code=" + Escaped(Code) + "&direction=2&scale=4")->body)
        << "the character as shared";

    // Without a script the page still shows the character and what it wears.
    EXPECT_NE(Html.find("<img id=\"picture\" src=\"/render.apng?code=" + Escaped(Code)),
              std::string::npos);
    for (int Slot = 1; Slot <= 6; ++Slot) {
        if (const auto* Item = Session.Worn(Slot)) {
            EXPECT_NE(Html.find("<span class=\"name\">" + std::string(Item->Name()) + "</span>"),
                      std::string::npos);
        }
    }

    // A Host the listener does not go by gets no link of its own into the page.
    const auto Forged = Get("/c/" + Escaped(Code), {{"Host", "a\"><script>"}});
    EXPECT_TRUE(MetaContent(Forged->body, "og:image").starts_with(Origin)) << Forged->body;

    // Behind a proxy the links are those of the public address the service is told.
    Stop();
    Start({.PublicUrl = "https://pelto.example"});
    const auto Proxied =
        Get("/c/" + Escaped(Code), {{"Host", "pelto.example"}, {"X-Forwarded-Proto", "https"}});
    EXPECT_TRUE(MetaContent(Proxied->body, "og:image").starts_with("https://pelto.example/"));
    const auto ForgedBehindProxy = Get("/c/" + Escaped(Code), {{"Host", "a\"><script>"}});
    EXPECT_TRUE(
        MetaContent(ForgedBehindProxy->body, "og:image").starts_with("https://pelto.example/"));
}

TEST_F(RenderServiceTest, APageLinksOnlyToAHostTheListenerGoesByEachWithAPageOfItsOwn) {
    const std::string Target = "/c/" + Escaped(DressedCode(4));
    const std::string PortText = std::to_string(Port);
    const auto ImageOf = [&](const httplib::Headers& Headers) {
        const auto Page = Get(Target, Headers);
        return Page ? MetaContent(Page->body, "og:image") : "";
    };
    // Asked in turn under one URL: a page kept for one name must not be handed to another.
    struct TCase {
        httplib::Headers Headers;
        std::string Origin;
    };
    const std::vector<TCase> Cases{
        {{{"Host", "localhost:" + PortText}}, "http://localhost:" + PortText + "/"},
        {{{"Host", "pelto.example"}}, "http://127.0.0.1:" + PortText + "/"},
        {{{"Host", "127.0.0.1:" + PortText}, {"X-Forwarded-Proto", "https"}},
         "https://127.0.0.1:" + PortText + "/"},
        {{{"Host", "pelto.example"}, {"X-Forwarded-Proto", "https"}},
         "http://127.0.0.1:" + PortText + "/"},
        {{{"Host", "[::1]:" + PortText}}, "http://[::1]:" + PortText + "/"},
        {{{"Host", "localhost:1"}}, "http://127.0.0.1:" + PortText + "/"},
        {{{"Host", "localhost"}}, "http://localhost/"},
        {{}, "http://127.0.0.1:" + PortText + "/"},
    };
    for (int Round = 0; Round < 2; ++Round) // the second from the cache
        for (const TCase& Case : Cases) {
            const std::string Image = ImageOf(Case.Headers);
            EXPECT_TRUE(Image.starts_with(Case.Origin + "render.png?"))
                << Image << " for " << (Case.Headers.empty() ? "" : Case.Headers.begin()->second);
        }
}

TEST_F(RenderServiceTest, MetricsAreServedOnlyOnTheirOwnListenerWhichServesNothingElse) {
    const auto Unknown = Get("/nothing");
    ASSERT_TRUE(Unknown);
    for (const std::string Target : {"/metrics", "/metrics?x=1"}) {
        const auto Public = Get(Target);
        ASSERT_TRUE(Public);
        EXPECT_EQ(Public->status, 404) << Target;
        EXPECT_EQ(Public->body, Unknown->body) << "as any unknown path";
        EXPECT_EQ(Public->get_header_value("Content-Type"),
                  Unknown->get_header_value("Content-Type"));
        EXPECT_EQ(Public->get_header_value("Cache-Control"),
                  Unknown->get_header_value("Cache-Control"));
    }
    EXPECT_EQ(Client().Head("/metrics")->status, 404);

    httplib::Client Metrics("127.0.0.1", MetricsPort);
    const auto Text = Metrics.Get("/metrics");
    ASSERT_TRUE(Text);
    EXPECT_EQ(Text->status, 200);
    EXPECT_EQ(Text->get_header_value("Content-Type"), "text/plain; version=0.0.4; charset=utf-8");
    EXPECT_NE(Text->body.find("pelto_requests_total{endpoint=\"other\",status=\"404\"} 4"),
              std::string::npos)
        << "a refused /metrics counts as an unknown path\n"
        << Text->body;
    EXPECT_EQ(Text->body.find("endpoint=\"metrics\",status=\"404\""), std::string::npos);
    EXPECT_EQ(Metrics.Get("/healthz")->body, "ok\n");
    EXPECT_EQ(Metrics.Head("/metrics")->status, 200);
    for (const std::string& Target :
         {"/render.png?code=" + Escaped(DressedCode(1)), std::string("/"), std::string("/items"),
          std::string("/icon/1.png"), std::string("/page.js"), std::string("/nothing")}) {
        const auto Answer = Metrics.Get(Target);
        ASSERT_TRUE(Answer) << Target;
        EXPECT_EQ(Answer->status, 404) << Target;
        EXPECT_EQ(Answer->body, Unknown->body) << Target;
    }
    // The same framing and limits as the public listener.
    EXPECT_EQ(Metrics.Post("/metrics")->status, 405);
    httplib::Headers Big;
    for (int I = 0; I < 5; ++I)
        Big.emplace("X-Filler-" + std::to_string(I), std::string(4000, 'x'));
    EXPECT_EQ(Metrics.Get("/metrics", Big)->status, 431);
    EXPECT_EQ(Metrics.Get("/metrics?" + std::string(8300, 'A'))->status, 414);
}

TEST_F(RenderServiceTest, AnIdleConnectionToTheMetricsListenerHoldsNoStopUp) {
    httplib::Client Idle("127.0.0.1", MetricsPort);
    Idle.set_keep_alive(true);
    ASSERT_EQ(Idle.Get("/healthz")->status, 200);
    const auto Began = std::chrono::steady_clock::now();
    Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - Began, std::chrono::seconds(3));
    EXPECT_FALSE(httplib::Client("127.0.0.1", MetricsPort).Get("/metrics")) << "no new connections";
    Start({});
}

TEST(RenderServiceListeners, AServerWithoutAMetricsListenerServesMetricsNowhere) {
    TRenderService Service(ServedGame(), {});
    THttpServer Server(Service, 4);
    const int Port = Server.Bind("127.0.0.1", 0);
    std::thread Runner([&] { Server.Run(); });
    const auto Answer = httplib::Client("127.0.0.1", Port).Get("/metrics");
    Server.Stop();
    Runner.join();
    ASSERT_TRUE(Answer);
    EXPECT_EQ(Answer->status, 404);
}

TEST_F(RenderServiceTest, ACodeWithPlusAndSlashWorksInThePathEscapedOrNot) {
    std::string Code;
    for (int Chara = 0; Chara < 15 && Code.empty(); ++Chara)
        for (int Nth = 1; Nth < 4 && Code.empty(); ++Nth) {
            const std::string Candidate = DressedCode(Chara, Nth);
            if (Candidate.find('+') != std::string::npos &&
                Candidate.find('/') != std::string::npos)
                Code = Candidate;
        }
    ASSERT_FALSE(Code.empty());
    std::string UrlSafe = Code;
    for (char& C : UrlSafe)
        C = C == '+' ? '-' : C == '/' ? '_' : C;
    const std::string Expected = MetaContent(Get("/c/" + Escaped(Code))->body, "og:image");
    ASSERT_FALSE(Expected.empty());
    // Trailing characters past the code's record spell the same character: one resource,
    // one tag, one cache entry, as for a render.
    const std::string Trailing = UrlSafe + "AAAA";
    std::set<std::string> PageTags, JsonTags;
    for (const std::string& Spelling : {Code, UrlSafe, Trailing}) {
        const auto Page = Get("/c/" + Spelling);
        ASSERT_TRUE(Page);
        EXPECT_EQ(Page->status, 200) << Spelling;
        EXPECT_EQ(MetaContent(Page->body, "og:image"), Expected) << Spelling;
        PageTags.insert(Page->get_header_value("ETag") +
                        Page->get_header_value("Content-Language"));
    }
    for (const std::string& Spelling : {Code, Escaped(Code), UrlSafe, Trailing}) {
        const auto Json = Get("/code/" + Spelling + ".json");
        ASSERT_TRUE(Json);
        EXPECT_EQ(Json->status, 200) << Spelling;
        EXPECT_NE(Json->body.find("\"code\": \"" + Code + "\""), std::string::npos) << Json->body;
        JsonTags.insert(Json->get_header_value("ETag"));
    }
    EXPECT_EQ(PageTags.size(), 1u);
    EXPECT_EQ(JsonTags.size(), 1u);
}

TEST_F(RenderServiceTest, WhatACodeHoldsIsTheSessionsCharacterItemsAndColours) {
    for (const auto& [Chara, Nth] : std::vector<std::pair<int, int>>{{3, 1}, {7, 2}, {0, 3}}) {
        const std::string Code = DressedCode(Chara, Nth);
        SCOPED_TRACE(Code);
        const TExpectedCode Expected = Expect(Code);
        const auto Answer = Get("/code/" + Escaped(Code) + ".json");
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 200);
        EXPECT_EQ(Answer->get_header_value("Content-Type"), "application/json; charset=utf-8");
        const std::string& Json = Answer->body;
        EXPECT_TRUE(Json.starts_with("{\"chara\": " + std::to_string(Expected.Chara) + ", "))
            << Json;
        EXPECT_NE(Json.find("\"colors\": " + Expected.Colors), std::string::npos) << Json;
        EXPECT_NE(Expected.Colors, "[4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4]") << "a colour changed";
        ASSERT_FALSE(Expected.Items.empty());
        std::size_t At = 0;
        for (const auto& [Slot, Id] : Expected.Items) {
            const std::string Item = Format("{\"slot\": %d, \"id\": %s, ", Slot, Id.c_str());
            const std::size_t Found = Json.find(Item, At);
            EXPECT_NE(Found, std::string::npos) << Item << " in slot order";
            At = Found == std::string::npos ? At : Found;
            EXPECT_NE(Json.find("\"icon\": \"/icon/" + Id + ".png\""), std::string::npos);
        }
        EXPECT_EQ(Count(Json, "\"slot\": "), Expected.Items.size());
    }

    const auto Invalid = Get("/code/AAAA.json");
    EXPECT_EQ(Invalid->status, 400);
    EXPECT_EQ(Invalid->body, R"({"error": "Invalid code error."})");
    const auto Page = Get("/c/AAAA");
    EXPECT_EQ(Page->status, 400);
    EXPECT_NE(Page->body.find(">Invalid code error.</p>"), std::string::npos);
    EXPECT_EQ(Page->body.find("og:image"), std::string::npos);
}

TEST_F(RenderServiceTest, PagesAndTheirFilesAllowOnlyTheServiceItself) {
    const std::string Code = Escaped(DressedCode(1));
    for (const std::string& Target :
         {std::string("/"), "/c/" + Code, "/?code=" + Code, "/code/" + Code + ".json",
          std::string("/page.js"), std::string("/page.css"), std::string("/c/AAAA")}) {
        const auto Answer = Get(Target);
        ASSERT_TRUE(Answer) << Target;
        EXPECT_TRUE(Answer->status == 200 || Target == "/c/AAAA") << Target;
        const std::string Policy = Answer->get_header_value("Content-Security-Policy");
        EXPECT_TRUE(Policy.starts_with("default-src 'self';")) << Target << ": " << Policy;
        EXPECT_EQ(Policy.find("unsafe"), std::string::npos);
        EXPECT_EQ(Answer->get_header_value("X-Content-Type-Options"), "nosniff") << Target;
        // Nothing is loaded from another host.
        EXPECT_EQ(Answer->body.find("//cdn"), std::string::npos);
        EXPECT_EQ(Answer->body.find("src=\"http"), std::string::npos) << Target;
    }
    EXPECT_EQ(Get("/page.js")->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
    EXPECT_EQ(Get("/page.css")->get_header_value("Content-Type"), "text/css; charset=utf-8");
    const std::string ETag = Get("/page.js")->get_header_value("ETag");
    EXPECT_EQ(Get("/page.js", {{"If-None-Match", ETag}})->status, 304);
    EXPECT_EQ(Get("/page.html")->status, 404) << "the template is no page";

    const std::vector<std::string> Counted{
        "endpoint=\"page\",status=\"200\"} 2",  "endpoint=\"share\",status=\"200\"} 1",
        "endpoint=\"share\",status=\"400\"} 1", "endpoint=\"code\",status=\"200\"} 1",
        "endpoint=\"asset\",status=\"200\"} 5", "endpoint=\"asset\",status=\"304\"} 1"};
    const std::string Metrics = MetricsCounting(Counted);
    for (const std::string& Line : Counted)
        EXPECT_NE(Metrics.find(Line), std::string::npos) << Line << "\n" << Metrics;
}

TEST_F(RenderServiceTest, TheApiDocumentationIsAPageUnderThePagePolicy) {
    const auto Docs = Get("/v1/docs");
    ASSERT_TRUE(Docs);
    EXPECT_EQ(Docs->status, 200);
    EXPECT_EQ(Docs->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(Docs->get_header_value("Content-Security-Policy"),
              Get("/")->get_header_value("Content-Security-Policy"));
    EXPECT_EQ(Docs->get_header_value("Cache-Control"), "no-cache") << "a new build changes it";
    // The policy runs nothing inline, so the page must need nothing inline.
    for (const char* Inline : {"<script", "<style", " style=", " onclick=", "javascript:"})
        EXPECT_EQ(Docs->body.find(Inline), std::string::npos) << Inline;
    EXPECT_NE(Docs->body.find("<link rel=\"stylesheet\" href=\"/docs.css\">"), std::string::npos);
    const auto Style = Get("/docs.css");
    EXPECT_EQ(Style->status, 200);
    EXPECT_EQ(Style->get_header_value("Content-Type"), "text/css; charset=utf-8");
    EXPECT_TRUE(Style->get_header_value("Content-Security-Policy").starts_with("default-src"));
    EXPECT_EQ(Get("/v1/docs", {{"If-None-Match", Docs->get_header_value("ETag")}})->status, 304);

    EXPECT_EQ(Get("/docs")->status, 404) << "the page is as versioned as what it documents";
    EXPECT_EQ(Get("/docs.html")->status, 404);
    EXPECT_EQ(Get("/v1/docs.html")->status, 404);
}

TEST_F(RenderServiceTest, TheFormWithoutAScriptTurnsTheCharacterByTheButtonPressed) {
    const std::string Code = Escaped(DressedCode(2));
    const auto Page =
        Get("/?code=" + Code + "&direction=4&motion=1&scale=2&background=%23102030&direction=6");
    ASSERT_TRUE(Page);
    EXPECT_EQ(Page->status, 200);
    EXPECT_NE(Page->body.find("src=\"/render.apng?code=" + Code +
                              "&amp;motion=1&amp;direction=6&amp;scale=2&amp;shadow=0&amp;"
                              "background=102030\""),
              std::string::npos)
        << Page->body;
    EXPECT_NE(Page->body.find("width=\"256\" height=\"256\""), std::string::npos);
    EXPECT_NE(Page->body.find(R"(aria-label="Face right" aria-pressed="true")"), std::string::npos);
}

TEST(RenderServiceSprites, AWarmRenderReadsNoFile) {
    TTempDir Copy;
    test::LinkTree(test::DemoGame(), Copy.Path());
    TGameData Game(Copy.Path());
    Game.LoadAll();
    Game.UseSpriteCache(std::size_t{64} << 20);
    TRenderService Service(Game, {});
    const std::string Code = DressedCode(6);
    const auto Render = [&](const std::string& Direction) {
        return Service.Handle({"/render.png", {{"code", Code}, {"direction", Direction}}, ""});
    };
    const auto Cold = Render("4");
    ASSERT_EQ(Cold.Status, 200) << Cold.Body;
    const std::string Expected = Render("2").Body;

    // With the sprite archives gone, another picture of the same character is still drawn.
    std::filesystem::remove_all(Copy.Path() + "jma");
    TRenderService Again(Game, {}); // an empty answer cache: the picture is drawn afresh
    const auto Warm = Again.Handle({"/render.png", {{"code", Code}, {"direction", "2"}}, ""});
    EXPECT_EQ(Warm.Status, 200) << Warm.Body;
    EXPECT_TRUE(Warm.Body == Expected);
}

TEST(RenderServiceSprites, TagsChangeWithTheGameDataUnderTheSameRequest) {
    TTempDir Copy;
    test::LinkTree(test::DemoGame(), Copy.Path());
    const TServiceRequest Request{"/render.png", {{"code", DressedCode(6)}}, ""};
    const auto Tag = [&] {
        TGameData Game(Copy.Path());
        Game.LoadAll();
        TRenderService Service(Game, {});
        return Service.Handle(Request).ETag;
    };
    const std::string Before = Tag();
    ASSERT_FALSE(Before.empty());
    EXPECT_EQ(Tag(), Before) << "instances on the same data agree";

    // The same bytes written anew, an hour later, and the same data in another folder: the
    // pictures are the same, and so are their tags.
    const std::string Table = Copy.Path() + std::string(ItemTableFileName);
    std::vector<std::uint8_t> Bytes = ReadFileBytes(Table);
    std::filesystem::remove(Table);
    WriteFileBytes(Table, Bytes);
    std::filesystem::last_write_time(Table, std::filesystem::last_write_time(Table) +
                                                std::chrono::hours(1));
    EXPECT_EQ(Tag(), Before) << "the content is what counts, not the file's time";
    {
        TGameData Elsewhere(test::DemoGame());
        Elsewhere.LoadAll();
        EXPECT_EQ(TRenderService(Elsewhere, {}).Handle(Request).ETag, Before);
    }

    // One byte of the table changed, its size and time kept: what a patch may do to it.
    const auto Time = std::filesystem::last_write_time(Table);
    Bytes.back() ^= 0x01;
    WriteFileBytes(Table, Bytes);
    std::filesystem::last_write_time(Table, Time);
    TGameData Game(Copy.Path());
    Game.LoadAll();
    TRenderService Service(Game, {});
    TServiceRequest Revalidation = Request;
    Revalidation.IfNoneMatch = Before;
    const auto Answer = Service.Handle(Revalidation);
    EXPECT_EQ(Answer.Status, 200) << "a tag of the old data is stale";
    EXPECT_NE(Answer.ETag, Before);
    EXPECT_FALSE(Answer.Body.empty());
}

TEST(RenderServiceProcess, StopsGracefullyOnSigterm) {
    TTempDir Scratch;
    const std::string Out = Scratch / "out";
    const pid_t Child = ::fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        const std::string Game = test::DemoGame();
        std::freopen(Out.c_str(), "w", stdout);
        ::execl(PELTO_CLI_PATH, "pelto-cli", "serve", "--game", Game.c_str(), "--listen",
                "127.0.0.1:0", "--threads", "2", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int Port = 0;
    for (int Try = 0; Try < 300 && Port == 0; ++Try) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string Line = ReadText(Out);
        const std::string Prefix = "listening on http://127.0.0.1:";
        if (Line.starts_with(Prefix) && Line.ends_with("\n"))
            Port = std::stoi(Line.substr(Prefix.size()));
    }
    ASSERT_GT(Port, 0) << ReadText(Out);

    // An idle keep-alive connection must not hold the stop up.
    httplib::Client Idle("127.0.0.1", Port);
    Idle.set_keep_alive(true);
    ASSERT_EQ(Idle.Get("/healthz")->status, 200);
    // A render in flight is answered.
    httplib::Client Busy("127.0.0.1", Port);
    int AnswerStatus = 0;
    std::thread InFlight([&] {
        const auto Answer = Busy.Get("/render.apng?code=" + Escaped(DressedCode(5)) + "&scale=8");
        AnswerStatus = Answer ? Answer->status : -1;
    });
    // Time for the request to reach the server, which answers only what it has read.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto Start = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(Child, SIGTERM), 0);
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    const auto Took = std::chrono::steady_clock::now() - Start;
    InFlight.join();
    EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Status;
    EXPECT_LT(Took, std::chrono::seconds(5));
    EXPECT_EQ(AnswerStatus, 200);
    EXPECT_FALSE(httplib::Client("127.0.0.1", Port).Get("/healthz")) << "no new connections";
}

TEST(RenderServiceFailure, AFailureOfTheServersOwnIsLoggedAndNotToldToTheClient) {
    // The sprite archives break under the running service, as a disk or an update may do it.
    TTempDir Dir;
    const std::string Folder = Dir / "game/";
    test::LinkTree(test::DemoGame(), Folder);
    const auto Game = OpenGame(Folder, {.ItemIcons = true});
    for (const auto& Entry : std::filesystem::directory_iterator(Folder + "jma")) {
        std::filesystem::remove(Entry.path());
        WriteFileBytes(Entry.path().string(), std::vector<std::uint8_t>{'x'});
    }
    std::ostringstream Log;
    TRenderService Service(*Game, {std::size_t{1} << 20, 1, &Log});
    const TServiceRequest Request{"/render.png", {{"code", DressedCode(2)}}, ""};
    const TServiceResponse Answer = Service.Handle(Request);
    EXPECT_EQ(Answer.Status, 500);
    EXPECT_EQ(Answer.Body, ErrorJson("internal error"));
    EXPECT_EQ(Answer.Body.find(Folder), std::string::npos) << "no path of the server's";
    EXPECT_EQ(Answer.CacheControl, "no-store");
    // The operator reads what went wrong, and where.
    EXPECT_EQ(Log.str().rfind("/render.png: ", 0), 0u) << Log.str();
    EXPECT_NE(Log.str().find(Folder), std::string::npos) << Log.str();
    EXPECT_EQ(Service.Handle(Request).Status, 500) << "a failure is not kept as the answer";

    // A client's own mistakes are still told to it.
    const TServiceResponse Invalid = Service.Handle({"/render.png", {{"code", "AAAA"}}, ""});
    EXPECT_EQ(Invalid.Status, 400);
    EXPECT_EQ(Invalid.Body, ErrorJson("Invalid code error."));
}

TEST_F(RenderServiceTest, WhatCannotChangeThePictureGivesNoOtherTag) {
    const std::string Code = Escaped(DressedCode(2));
    const auto Tag = [&](const std::string& Target) {
        const auto Answer = Get(Target);
        EXPECT_EQ(Answer->status, 200) << Target;
        return Answer->get_header_value("ETag");
    };
    // A transparent picture has no background, an animation every frame.
    EXPECT_EQ(Tag("/render.tpng?code=" + Code),
              Tag("/render.tpng?code=" + Code + "&background=00FF00"));
    EXPECT_EQ(Tag("/render.gif?code=" + Code + "&motion=1"),
              Tag("/render.gif?code=" + Code + "&motion=1&frame=2"));
    EXPECT_NE(Tag("/render.png?code=" + Code),
              Tag("/render.png?code=" + Code + "&background=00FF00"));
    // Spacing, order and repetition of search terms find the same items.
    EXPECT_EQ(Tag("/items?search=%20"), Tag("/items?search=%20%20"));
    EXPECT_EQ(Tag("/items?search=a%20b"), Tag("/items?search=b%20%20a%20a"));
    EXPECT_NE(Tag("/items?search=a"), Tag("/items?search=ab"));
}

TEST_F(RenderServiceTest, AFrameAnAnimationLacksIsRefusedEvenWhenItsPictureIsCached) {
    const std::string Target = "/render.gif?code=" + Escaped(DressedCode(2)) + "&motion=1";
    ASSERT_EQ(Get(Target)->status, 200);
    const auto Beyond = Get(Target + "&frame=99");
    EXPECT_EQ(Beyond->status, 400);
    EXPECT_NE(Beyond->body.find("frame must be from 1 to"), std::string::npos) << Beyond->body;
    // Nor does a tag the client claims to have make it valid.
    EXPECT_EQ(Get(Target + "&frame=99", {{"If-None-Match", "*"}})->status, 400);
    EXPECT_EQ(
        Get("/render.png?code=" + Escaped(DressedCode(2)) + "&frame=99", {{"If-None-Match", "*"}})
            ->status,
        400);
    EXPECT_EQ(Get(Target + "&frame=2")->status, 200);
}

TEST(RenderServiceQuick, AnswersAtOnceWhatNeedsNoDrawingAndLeavesTheRestToAWorker) {
    TRenderService Service(ServedGame(), TServiceOptions{});
    const auto Asked = [](const std::string& Path, TQueryParams Params = {}) {
        return TServiceRequest{Path, std::move(Params), ""};
    };
    const TServiceRequest Picture = Asked("/render.png", {{"code", DressedCode(4)}});
    const TServiceRequest List = Asked("/items", {{"search", "a"}});
    EXPECT_FALSE(Service.Quick(Picture));
    EXPECT_FALSE(Service.Quick(List));
    EXPECT_EQ(Service.Quick(Asked("/healthz"))->Status, 200);
    EXPECT_EQ(Service.Quick(Asked("/render.png", {{"code", "AQo"}}))->Status, 400);
    EXPECT_EQ(Service.Quick(Asked("/nowhere"))->Status, 404);

    const TServiceResponse Drawn = Service.Handle(Picture);
    ASSERT_EQ(Drawn.Status, 200);
    const auto Again = Service.Quick(Picture);
    ASSERT_TRUE(Again);
    EXPECT_EQ(Again->Body, Drawn.Body);
    EXPECT_EQ(Again->ETag, Drawn.ETag);
    ASSERT_EQ(Service.Handle(List).Status, 200);
    EXPECT_EQ(Service.Quick(List)->Status, 200);

    // A cached animation is still checked against the frame asked.
    const TServiceRequest Animation =
        Asked("/render.gif", {{"code", DressedCode(4)}, {"motion", "1"}});
    ASSERT_EQ(Service.Handle(Animation).Status, 200);
    TServiceRequest Beyond = Animation;
    Beyond.Params.emplace("frame", "99");
    EXPECT_EQ(Service.Quick(Beyond)->Status, 400);
}

// --- /design.json ----------------------------------------------------------------------------

TEST_F(RenderServiceTest, ADesignIsWhatTheCodeCommandTellsOfTheSameEdits) {
    const std::string Code = DressedCode(3);
    const std::vector<std::pair<std::string, std::vector<std::string>>> Cases{
        {"code=" + Escaped(Code) + "&wear=3:3007&color=0:9,2,2",
         {Code, "--wear", "3:3007", "--color", "0:9,2,2"}},
        {"chara=3&wear=hand:3007&wear=1:1007&strip=1",
         {"--chara", "3", "--wear", "hand:3007", "--wear", "1:1007", "--strip", "1"}},
        {"code=" + Escaped(Code) + "&random=11&lock=hand,color0&vary=colors&reset-colors=1",
         {Code, "--random", "11", "--lock", "hand,color0", "--vary", "colors", "--reset-colors"}},
        {"random=7", {"--random", "7"}},
    };
    for (const auto& [Query, Words] : Cases) {
        SCOPED_TRACE(Query);
        std::vector<std::string> Args{"code", "--game", test::DemoGame(), "--json"};
        Args.insert(Args.end(), Words.begin(), Words.end());
        const std::string Expected = RunCli(Args);
        ASSERT_FALSE(Expected.empty());
        const auto Answer = Get("/design.json?" + Query);
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 200) << Answer->body;
        EXPECT_EQ(Answer->body, Expected);
        EXPECT_EQ(Answer->get_header_value("Content-Type"), "application/json; charset=utf-8");
        // The JSON of the resulting code, as /code/CODE.json tells it.
        const std::string Made = Expected.substr(Expected.find("\"code\": \"") + 9);
        const std::string MadeCode = Made.substr(0, Made.find('"'));
        EXPECT_EQ(Get("/code/" + Escaped(MadeCode) + ".json")->body, Expected);
    }
}

TEST_F(RenderServiceTest, ADesignIsCachedAndTaggedByItsNormalisedRequest) {
    const std::string Code = DressedCode(8);
    const auto First = Get("/design.json?code=" + Escaped(Code) + "&random=3&lock=6,head&strip=2");
    ASSERT_EQ(First->status, 200) << First->body;
    const std::string ETag = First->get_header_value("ETag");
    EXPECT_FALSE(ETag.empty());
    EXPECT_EQ(First->get_header_value("Cache-Control"), "public, max-age=60");
    // Another spelling of the same code and edits: the same answer and tag.
    const auto Respelt =
        Get("/design.json?strip=body&lock=1,special&vary=all&random=3&code=" + Escaped(Code) +
            "%3D%3D");
    EXPECT_EQ(Respelt->get_header_value("ETag"), ETag);
    EXPECT_EQ(Respelt->body, First->body);
    EXPECT_EQ(Get("/design.json?code=" + Escaped(Code) + "&random=4&lock=6,head&strip=2")
                      ->get_header_value("ETag") == ETag,
              false);
    EXPECT_EQ(Get("/design.json?code=" + Escaped(Code) + "&random=3&lock=6,head&strip=2",
                  {{"If-None-Match", ETag}})
                  ->status,
              304);

    // A colour position's lock is part of the key: asked after the same request without it,
    // it still keeps the code's colour 0.
    const auto Position0 = [](const std::string& Json) {
        const std::size_t From = Json.find("\"colors\": [");
        std::size_t To = From;
        for (int Level = 0; Level < 3 && To != std::string::npos; ++Level)
            To = Json.find(',', To + 1);
        return From == std::string::npos ? std::string() : Json.substr(From, To - From);
    };
    const std::string Kept = Position0(Get("/code/" + Escaped(Code) + ".json")->body);
    const std::string Query = "/design.json?code=" + Escaped(Code) + "&random=5";
    const auto Free = Get(Query);
    ASSERT_NE(Position0(Free->body), Kept) << "the seed varies colour 0";
    const auto Locked = Get(Query + "&lock=color0");
    EXPECT_EQ(Position0(Locked->body), Kept) << Locked->body;
    EXPECT_NE(Locked->get_header_value("ETag"), Free->get_header_value("ETag"));
}

TEST_F(RenderServiceTest, ADesignRefusesHostileParametersSayingWhy) {
    const std::string Nina = "chara=1";
    std::string SevenWears = "chara=3";
    for (int I = 0; I < 7; ++I)
        SevenWears += "&wear=3:3007";
    const std::vector<std::pair<std::string, std::string>> Cases{
        {"", "design.json needs a code, chara or random"},
        {"wear=3:3007", "design.json needs a code, chara or random"},
        {Nina + "&hat=1", "unknown parameter \"hat\""},
        {Nina + "&%3Cb%3E=1", "unknown parameter \"<b>\""},
        {"chara=99", "chara must be a number from 0 to 14"},
        {"chara=1&chara=2", "chara is given more than once"},
        {SevenWears, "wear is given more than 6 times"},
        {Nina + "&wear=3:3007", "wear=3:3007: Nina cannot wear Claymore [15] in slot 3"},
        {Nina + "&wear=3:99999", "wear=3:99999: no item 99999"},
        {Nina + "&wear=3:12345678901234567890", ""},
        {Nina + "&color=0:1,2,99", ""},
        {Nina + "&lock=1", "lock goes with random"},
        {"random=1&random=2", "random is given more than once"},
        {"random=x", "random must be a number from 0 to 18446744073709551615"},
        {"code=AAAA", "Invalid code error."},
        {"code=" + Escaped(DressedCode(1)) + "&code=" + Escaped(DressedCode(2)),
         "code is given more than once"},
        {Nina + "&strip=" + std::string(2000, '1'), "strip is too long"},
    };
    for (const auto& [Query, Message] : Cases) {
        const auto Answer = Get("/design.json?" + Query);
        ASSERT_TRUE(Answer) << Query;
        EXPECT_EQ(Answer->status, 400) << Query;
        if (!Message.empty()) {
            EXPECT_EQ(Answer->body, ErrorJson(Message)) << Query;
        }
        EXPECT_EQ(Answer->get_header_value("Cache-Control"), "no-store") << Query;
    }
}

TEST(RenderServiceQuick, AnswersADesignAtOnce) {
    TRenderService Service(ServedGame(), TServiceOptions{});
    const auto Answer = Service.Quick({"/design.json", {{"chara", "5"}, {"random", "2"}}, ""});
    ASSERT_TRUE(Answer);
    EXPECT_EQ(Answer->Status, 200);
    EXPECT_TRUE(Answer->Body.starts_with("{\"chara\": 5,")) << Answer->Body;
}

TEST(RenderServiceMemory, APictureLargerThanTheWholeWorkBudgetIsRefusedNotMade) {
    TRenderService Service(ServedGame(), TServiceOptions{.WorkBytes = std::size_t{8} << 20});
    const TServiceResponse Large = Service.Handle(
        {"/render.twebp", {{"code", DressedCode(2)}, {"motion", "1"}, {"scale", "8"}}, ""});
    EXPECT_EQ(Large.Status, 400);
    EXPECT_NE(Large.Body.find("more than the service allows"), std::string::npos) << Large.Body;
    EXPECT_EQ(Service.Handle({"/render.png", {{"code", DressedCode(2)}}, ""}).Status, 200);
}

// --- /v1/scene.FORMAT --------------------------------------------------------------------------

TEST_F(RenderServiceTest, AScenesBytesAreWhatTheCommandLineWritesForAsManyCodes) {
    const std::vector<std::string> Codes{DressedCode(3), DressedCode(7, 2), DressedCode(11)};
    struct TCase {
        std::string Format;
        std::string Query;
        std::vector<std::string> Options;
    };
    const std::vector<TCase> Cases{
        {"png", "&scale=2&gap=3", {"--scale", "2", "--gap", "3"}},
        {"gif", "&motion=1&shadow=1", {"--motion", "1", "--shadow"}},
        {"apng", "&background=336699", {"--background", "336699"}},
        {"webp",
         "&tag=Rocco&tag=%E3%83%8B%E3%83%BC%E3%83%8A&tag=&mirror=2&backdrop=336699-99CCFF",
         {"--tag", "Rocco", "--tag", "\xE3\x83\x8B\xE3\x83\xBC\xE3\x83\x8A", "--tag", "",
          "--mirror", "2", "--backdrop", "336699-99CCFF"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Format);
        TTempDir Scratch;
        std::vector<std::string> Args{"render",    "--game", test::DemoGame(), "--format",
                                      Case.Format, "--out",  Scratch / "scene"};
        std::string Query;
        for (std::size_t I = 0; I < Codes.size(); ++I) {
            // The middle one walks the other way.
            const std::string Own = I == 1 ? "~1~2" : "";
            Args.insert(Args.end(), {"--code", Codes[I] + Own});
            Query += "&c=" + Escaped(Codes[I]) + Own;
        }
        Args.insert(Args.end(), Case.Options.begin(), Case.Options.end());
        ASSERT_EQ(RunCli(Args), "");
        const std::string Expected = ReadText(Scratch / "scene");
        ASSERT_FALSE(Expected.empty());
        const auto Answer = Get("/v1/scene." + Case.Format + "?" + Query.substr(1) + Case.Query);
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 200) << Answer->body;
        EXPECT_TRUE(Answer->body == Expected);
    }
    // One code on the command line stays the render of one character.
    TTempDir Scratch;
    ASSERT_EQ(RunCli({"render", "--game", test::DemoGame(), "--format", "png", "--code", Codes[0],
                      "--out", Scratch / "one"}),
              "");
    EXPECT_TRUE(ReadText(Scratch / "one") == Get("/v1/render.png?code=" + Escaped(Codes[0]))->body);
}

TEST_F(RenderServiceTest, ASceneRefusesHostileParametersSayingWhy) {
    const std::string C = "c=" + Escaped(DressedCode(2));
    std::string Nine;
    for (int I = 0; I < 9; ++I)
        Nine += (I ? "&" : "") + C;
    const std::vector<std::pair<std::string, std::string>> Cases{
        {"", "c is required"},
        {"motion=1", "c is required"},
        {Nine, "at most 8 characters (c) go in one picture"},
        {C + "&c=" + std::string(1025, 'A'), "c is too long"},
        {C + "&" + C + "~1~2~3", "c must be CODE, CODE~MOTION or CODE~MOTION~DIRECTION"},
        {C + "&" + C + "~", "c must be CODE, CODE~MOTION or CODE~MOTION~DIRECTION"},
        {C + "&" + C + "~99", "c 2: motion must be a number from 0 to 18"},
        {C + "~1~8", "c 1: direction must be a number from 0 to 7"},
        {C + "&c=~1", "c 2 has no code"},
        {C + "&c=AAAA", "Invalid code error."},
        {C + "&c=%3Cb%3E", "Invalid code error."},
        {C + "&hat=1&hat=2", "unknown parameter \"hat\""},
        {C + "&code=AAAA", "unknown parameter \"code\""},
        {C + "&delay=100", "unknown parameter \"delay\""},
        {C + "&motion=1&motion=2", "motion is given more than once"},
        {C + "&gap=65", "gap must be a number from 0 to 64"},
        {C + "&scale=9", "scale must be a number from 1 to 8"},
        {C + "&frame=99", ""},
        {C + "&backdrop=%2Fetc%2Fpasswd", "backdrop must be RRGGBB or RRGGBB-RRGGBB (top to "
                                          "bottom); pictures are for the command line"},
        {C + "&tag=%E2%80%AEevil", "tag 1 holds a bidirectional control (U+202E)"},
    };
    for (const auto& [Query, Message] : Cases) {
        const auto Answer = Get("/v1/scene.png?" + Query);
        ASSERT_TRUE(Answer) << Query;
        EXPECT_EQ(Answer->status, 400) << Query;
        if (!Message.empty()) {
            EXPECT_EQ(Answer->body, ErrorJson(Message)) << Query;
        }
        EXPECT_EQ(Answer->get_header_value("Content-Type"), "application/json");
        EXPECT_EQ(Answer->get_header_value("Access-Control-Allow-Origin"), "*") << Query;
        EXPECT_FALSE(Answer->has_header("ETag"));
    }
    // Only the formats of scenes, only under /v1.
    for (const std::string Path :
         {"/v1/scene.jpg", "/v1/scene.tgif", "/v1/scene.sheet", "/scene.png", "/v1/scene."})
        EXPECT_EQ(Get(Path + "?" + C)->status, 404) << Path;
    EXPECT_EQ(Get("/healthz")->status, 200) << "the service is unharmed";
}

TEST_F(RenderServiceTest, ASceneIsTaggedByItsCharactersAndAnsweredToHeadAndOtherSites) {
    const std::string A = Escaped(DressedCode(5)), B = Escaped(DressedCode(9));
    const std::string Target = "/v1/scene.webp?c=" + A + "&c=" + B + "~1";
    const auto Body = Get(Target);
    ASSERT_EQ(Body->status, 200) << Body->body;
    EXPECT_EQ(Body->get_header_value("Content-Type"), "image/webp");
    EXPECT_EQ(Body->get_header_value("Access-Control-Allow-Origin"), "*");
    EXPECT_EQ(Body->get_header_value("Cache-Control"), "public, max-age=60");
    const std::string ETag = Body->get_header_value("ETag");
    EXPECT_EQ(ETag.size(), 34u);

    const auto Head = Client().Head(Target);
    ASSERT_TRUE(Head);
    EXPECT_EQ(Head->status, 200);
    EXPECT_TRUE(Head->body.empty());
    EXPECT_EQ(Head->get_header_value("ETag"), ETag);
    EXPECT_EQ(Head->get_header_value("Content-Length"), std::to_string(Body->body.size()));

    const auto Again = Get(Target, {{"If-None-Match", ETag}});
    EXPECT_EQ(Again->status, 304);
    EXPECT_TRUE(Again->body.empty());
    // The same characters spelt otherwise, the shared defaults written out: the same tag.
    std::string UrlSafe = A;
    for (const auto& [From, To] : {std::pair{"%2B", "-"}, {"%2F", "_"}})
        for (std::size_t At = UrlSafe.find(From); At != std::string::npos; At = UrlSafe.find(From))
            UrlSafe.replace(At, 3, To);
    EXPECT_EQ(Get("/v1/scene.webp?gap=8&c=" + UrlSafe + "&c=" + B + "~1~4&scale=1")
                  ->get_header_value("ETag"),
              ETag);
    // Another order, gap or pose is another picture.
    for (const std::string& Other : {"/v1/scene.webp?c=" + B + "~1&c=" + A, Target + "&gap=9",
                                     "/v1/scene.webp?c=" + A + "&c=" + B})
        EXPECT_NE(Get(Other)->get_header_value("ETag"), ETag) << Other;
    EXPECT_NE(Get("/v1/render.webp?code=" + A)->get_header_value("ETag"),
              Get("/v1/scene.webp?c=" + A)->get_header_value("ETag"));
    const std::string Metrics = MetricsCounting({"endpoint=\"scene\",status=\"304\""});
    EXPECT_NE(Metrics.find("pelto_requests_total{endpoint=\"scene\",status=\"200\"}"),
              std::string::npos);
}

TEST(RenderServiceMemory, ASceneLargerThanTheWholeWorkBudgetIsRefusedNotMade) {
    TRenderService Service(ServedGame(), TServiceOptions{.WorkBytes = std::size_t{32} << 20});
    const std::string Code = DressedCode(2);
    const TQueryParams Eight{{"c", Code}, {"c", Code}, {"c", Code}, {"c", Code},   {"c", Code},
                             {"c", Code}, {"c", Code}, {"c", Code}, {"scale", "4"}};
    const TServiceResponse Large = Service.Handle({"/v1/scene.apng", Eight, ""});
    EXPECT_EQ(Large.Status, 400);
    EXPECT_NE(Large.Body.find("more than the service allows"), std::string::npos) << Large.Body;
    EXPECT_FALSE(Service.Quick({"/v1/scene.apng", {{"c", Code}, {"c", Code}}, ""}))
        << "a scene not drawn yet waits for a worker";
    EXPECT_EQ(Service.Handle({"/v1/scene.apng", {{"c", Code}, {"c", Code}}, ""}).Status, 200);
}

// --- /v1/swatches.png --------------------------------------------------------------------------

TEST(RenderServiceSwatches, AGridIsAskedByPositionAndChannelsAndRefusedSayingWhy) {
    TRenderService Service(ServedGame(), TServiceOptions{});
    const std::string Code = DressedCode(3);
    struct TCase {
        TQueryParams Params;
        int Width; // the picture's, or 0: refused with Message
        std::string Message;
    };
    const std::vector<TCase> Cases{
        {{{"code", Code}, {"position", "1"}, {"across", "0"}}, 1280, ""},
        {{{"code", Code}, {"position", "3"}, {"across", "2"}, {"down", "0"}, {"frame", "2"}},
         1280,
         ""},
        {{{"position", "1"}, {"across", "0"}}, 0, "code is required"},
        {{{"code", Code}, {"across", "0"}}, 0, "position is required"},
        {{{"code", Code}, {"position", "1"}}, 0, "across is required"},
        {{{"code", Code}, {"position", "4"}, {"across", "0"}},
         0,
         "position must be a number from 0 to 3"},
        {{{"code", Code}, {"position", "1"}, {"across", "0"}, {"down", "3"}},
         0,
         "down must be a number from 0 to 2"},
        {{{"code", Code}, {"position", "1"}, {"across", "1"}, {"down", "1"}},
         0,
         "A swatch grid needs two different colour channels."},
        {{{"code", Code}, {"position", "1"}, {"across", "0"}, {"scale", "2"}},
         0,
         "unknown parameter \"scale\""},
        {{{"code", Code}, {"position", "1"}, {"across", "0"}, {"across", "1"}},
         0,
         "across is given more than once"},
        {{{"code", "AAAA"}, {"position", "1"}, {"across", "0"}}, 0, "Invalid code error."},
        {{{"code", Code}, {"position", "1"}, {"across", "0"}, {"frame", "99"}}, 0, ""},
    };
    for (const auto& [Params, Width, Message] : Cases) {
        const TServiceResponse Answer = Service.Handle({"/v1/swatches.png", Params, ""});
        if (!Width) {
            EXPECT_EQ(Answer.Status, 400) << Message;
            if (!Message.empty()) {
                EXPECT_EQ(Answer.Body, ErrorJson(Message));
            }
            continue;
        }
        ASSERT_EQ(Answer.Status, 200) << Answer.Body;
        EXPECT_EQ(Answer.ContentType, "image/png");
        const auto Png = test::DecodePng(
            {reinterpret_cast<const std::uint8_t*>(Answer.Body.data()), Answer.Body.size()},
            PNG_FORMAT_RGBA);
        EXPECT_EQ(Png.Width, static_cast<png_uint_32>(Width));
        EXPECT_EQ(Png.Height, static_cast<png_uint_32>(Params.contains("down") ? 1280 : 128));
    }
    // A grid's work is counted before a cell is drawn, as a scene's is.
    TRenderService Small(ServedGame(), TServiceOptions{.WorkBytes = std::size_t{4} << 20});
    const TServiceResponse Large =
        Small.Handle({"/v1/swatches.png",
                      {{"code", Code}, {"position", "1"}, {"across", "0"}, {"down", "1"}},
                      ""});
    EXPECT_EQ(Large.Status, 400);
    EXPECT_NE(Large.Body.find("more than the service allows"), std::string::npos) << Large.Body;
}

TEST(RenderServiceSwatches, EachCellIsTheRenderOfItsSwatchDesign) {
    TRenderService Service(ServedGame(), TServiceOptions{});
    const std::string Code = DressedCode(5);
    const TQueryParams Pose{{"motion", "1"},  {"direction", "2"},       {"frame", "2"},
                            {"crop", "body"}, {"background", "336699"}, {"shadow", "1"}};
    TQueryParams Grid = Pose;
    Grid.insert({{"code", Code}, {"position", "2"}, {"across", "1"}, {"down", "2"}});
    const auto Decoded = [](const TServiceResponse& Answer) {
        EXPECT_EQ(Answer.Status, 200) << Answer.Body;
        return test::DecodePng(
            {reinterpret_cast<const std::uint8_t*>(Answer.Body.data()), Answer.Body.size()},
            PNG_FORMAT_RGBA);
    };
    const auto Swatches = Decoded(Service.Handle({"/v1/swatches.png", Grid, ""}));
    const std::vector<TCharaDesign> Designs =
        SwatchDesigns(DesignOfCode(Code, ServedGame()), {.Position = 2, .Across = 1, .Down = 2});
    for (std::size_t Cell = 0; Cell < Designs.size(); ++Cell) {
        TQueryParams Single = Pose;
        Single.emplace("code", CodeOfDesign(Designs[Cell]));
        const auto Render = Decoded(Service.Handle({"/render.png", Single, ""}));
        // Cropped to the character, so that a cell the size of the canvas passes for none.
        ASSERT_LT(Render.Width, 128u);
        ASSERT_EQ(Swatches.Width, 10 * Render.Width);
        ASSERT_EQ(Swatches.Height, 10 * Render.Height);
        const std::size_t Row = Render.Width * 4;
        const std::size_t Left = Cell % 10 * Row;
        const std::size_t Top = Cell / 10 * Render.Height;
        bool Same = true;
        for (std::size_t Y = 0; Y < Render.Height && Same; ++Y)
            Same = std::equal(Render.Pixels.begin() + static_cast<std::ptrdiff_t>(Y * Row),
                              Render.Pixels.begin() + static_cast<std::ptrdiff_t>((Y + 1) * Row),
                              Swatches.Pixels.begin() +
                                  static_cast<std::ptrdiff_t>((Top + Y) * Row * 10 + Left));
        EXPECT_TRUE(Same) << "cell " << Cell % 10 << ", " << Cell / 10;
    }
}
