// The game folder loaded again under a running service: the new game is served whole once it
// is loaded, requests under way finish on the old one, and a folder that cannot be loaded
// leaves the old one served.
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Stream.h"
#include "service/GameReloader.h"
#include "service/HttpServer.h"
#include "service/RenderService.h"
#include "service/Serve.h"
#include "service/ServiceHolder.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace pelto;
using namespace pelto::service;
using pelto::test::ReadText;
using pelto::test::TTempDir;

namespace {

// What `pelto-cli serve` opens, so that a reload here reads what it reads there.
const TGameOpening ServedOpening{
    .ItemIcons = true, .SpriteCacheBytes = std::size_t{64} << 20, .SnapshotSprites = true};

std::size_t Lines(const std::string& Text) {
    return static_cast<std::size_t>(std::count(Text.begin(), Text.end(), '\n'));
}

std::string Escaped(const std::string& Code) {
    std::string Out;
    for (const char C : Code)
        Out += C == '+' ? "%2B" : C == '/' ? "%2F" : std::string(1, C);
    return Out;
}

/// A copy of the demo game whose item table can be changed a byte at a time.
class TGameCopy {
public:
    TGameCopy() {
        std::filesystem::copy(test::DemoGame(), FDir.Path(),
                              std::filesystem::copy_options::recursive);
    }
    const std::string& Folder() const { return FFolder; }
    std::string Table() const { return FFolder + std::string(ItemTableFileName); }
    /// Flips the lowest bit of the table's last byte: the next call puts it back.
    void FlipTableByte() const {
        std::vector<std::uint8_t> Bytes = ReadFileBytes(Table());
        Bytes.back() ^= 0x01;
        WriteFileBytes(Table(), Bytes);
    }
    std::string Code() const {
        TGameData Game(FFolder);
        Game.LoadAll();
        TDressingSession Session(Game);
        Session.SetChara(5);
        Session.Pick(2, 1);
        Session.Pick(1, 1);
        return Session.Code();
    }

private:
    TTempDir FDir;
    const std::string FFolder = FDir.Path();
};

/// A server on a copy of the demo game, its log kept, and its reloads called by the test.
class ReloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reloader =
            std::make_unique<TGameReloader>(Copy.Folder(), ServedOpening, Options(), Services,
                                            OpenGame(Copy.Folder(), ServedOpening));
        Server = std::make_unique<THttpServer>(Services, 16);
        Port = Server->Bind("127.0.0.1", 0);
        MetricsPort = Server->BindMetrics("127.0.0.1", 0);
        Runner = std::thread([this] { Server->Run(); });
        Target = "/render.png?code=" + Escaped(Copy.Code());
    }
    void TearDown() override {
        Server->Stop();
        Runner.join();
    }
    TServiceOptions Options() {
        TServiceOptions Made;
        Made.Log = &Log;
        return Made;
    }

    httplib::Result Get(const std::string& Path) const {
        httplib::Client Client("127.0.0.1", Port);
        Client.set_read_timeout(30, 0);
        return Client.Get(Path);
    }
    std::string TagOf(const std::string& Path) const {
        const auto Answer = Get(Path);
        return Answer && Answer->status == 200 ? Answer->get_header_value("ETag") : "";
    }
    /// The answer a service freshly made on the copy as it is now gives to Target.
    TServiceResponse Fresh() const {
        const auto Game = OpenGame(Copy.Folder(), ServedOpening);
        TRenderService Service(*Game, {});
        const std::size_t Mark = Target.find('?');
        TServiceRequest Request{Target.substr(0, Mark), {}, ""};
        httplib::detail::parse_query_text(Target.substr(Mark + 1), Request.Params);
        return Service.Handle(Request);
    }

    TGameCopy Copy;
    std::ostringstream Log;
    TServiceHolder Services;
    std::unique_ptr<TGameReloader> Reloader;
    std::unique_ptr<THttpServer> Server;
    std::thread Runner;
    int Port = 0;
    int MetricsPort = 0;
    std::string Target;
};

} // namespace

TEST_F(ReloadTest, AChangedItemTableReloadedGivesNewTagsAndWhatTheNewDataDraws) {
    const auto Before = Get(Target);
    ASSERT_TRUE(Before);
    ASSERT_EQ(Before->status, 200) << Before->body;
    const std::string OldTag = Before->get_header_value("ETag");

    Copy.FlipTableByte();
    EXPECT_EQ(TagOf(Target), OldTag) << "nothing changes before the reload";
    ASSERT_TRUE(Reloader->Reload()) << Log.str();
    const auto After = Get(Target);
    ASSERT_TRUE(After);
    ASSERT_EQ(After->status, 200);
    const TServiceResponse Expected = Fresh();
    EXPECT_NE(After->get_header_value("ETag"), OldTag);
    EXPECT_EQ(After->get_header_value("ETag"), Expected.ETag) << "the tag of the data as it is";
    EXPECT_TRUE(After->body == Expected.Body);
    httplib::Client Client("127.0.0.1", Port);
    EXPECT_EQ(Client.Get(Target, {{"If-None-Match", OldTag}})->status, 200)
        << "a tag of the old data is stale";
    EXPECT_EQ(Log.str(), "reloaded " + Copy.Folder() + ", identity " +
                             Services.Current()->GameIdentity() + "\n");

    Copy.FlipTableByte(); // back as it was: so are the tags
    ASSERT_TRUE(Reloader->Reload());
    EXPECT_EQ(TagOf(Target), OldTag);
}

TEST_F(ReloadTest, AFolderThatCannotBeLoadedLeavesTheGameServedAndLogsOneLine) {
    const std::string OldTag = TagOf(Target);
    ASSERT_FALSE(OldTag.empty());
    const std::string OldPicture = Get(Target)->body;
    const std::string Jma = Copy.Folder() + std::string(JmaFolderName);
    std::filesystem::path Index;
    for (const auto& Entry : std::filesystem::directory_iterator(Jma))
        if (Entry.path().extension() == ".jxa")
            Index = Entry.path();
    ASSERT_FALSE(Index.empty());
    const std::string Aside = Copy.Folder() + "aside";
    const std::string Elsewhere = Copy.Folder().substr(0, Copy.Folder().size() - 1) + "-aside";

    struct TDamage {
        std::string What;
        std::function<void()> Do, Undo;
    };
    const std::vector<TDamage> Damages{
        {"the item table gone", [&] { std::filesystem::rename(Copy.Table(), Aside); },
         [&] {
             std::filesystem::rename(Aside, Copy.Table());
         }},
        {"the item table cut to a byte",
         [&] {
             std::filesystem::rename(Copy.Table(), Aside);
             WriteFileBytes(Copy.Table(), std::vector<std::uint8_t>{'x'});
         },
         [&] {
             std::filesystem::remove(Copy.Table());
             std::filesystem::rename(Aside, Copy.Table());
         }},
        {"an archive without its index", [&] { std::filesystem::rename(Index, Aside); },
         [&] {
             std::filesystem::rename(Aside, Index);
         }},
        {"the game folder gone", [&] { std::filesystem::rename(Copy.Folder(), Elsewhere); },
         [&] {
             std::filesystem::rename(Elsewhere, Copy.Folder());
         }},
    };
    for (const TDamage& Damage : Damages) {
        SCOPED_TRACE(Damage.What);
        Log.str("");
        Copy.FlipTableByte(); // so that a reload that took the folder would change the tags
        Damage.Do();
        EXPECT_FALSE(Reloader->Reload());
        const std::string Line = Log.str();
        EXPECT_TRUE(Line.starts_with("reload failed: ")) << Line;
        EXPECT_EQ(Lines(Line), 1u) << Line;
        EXPECT_TRUE(Line.ends_with("\n"));
        const auto Answer = Get(Target);
        ASSERT_TRUE(Answer);
        EXPECT_EQ(Answer->status, 200);
        EXPECT_EQ(Answer->get_header_value("ETag"), OldTag);
        EXPECT_TRUE(Answer->body == OldPicture);
        Damage.Undo();
        Copy.FlipTableByte();
    }
    Log.str("");
    EXPECT_TRUE(Reloader->Reload()) << "the folder mended loads";
    EXPECT_EQ(TagOf(Target), OldTag);
}

TEST_F(ReloadTest, RequestsDuringReloadsAllSucceedEachWithTheOldTagOrTheNew) {
    const std::string OldTag = TagOf(Target);
    Copy.FlipTableByte();
    const std::string NewTag = Fresh().ETag;
    Copy.FlipTableByte();
    ASSERT_NE(OldTag, NewTag);

    // Each client alone on its connection, asking again as soon as it is answered.
    std::atomic<bool> Done{false};
    std::vector<std::set<std::string>> Seen(4);
    std::vector<int> Answered(Seen.size(), 0);
    std::vector<std::thread> Clients;
    for (std::size_t T = 0; T < Seen.size(); ++T)
        Clients.emplace_back([&, T] {
            httplib::Client Client("127.0.0.1", Port);
            Client.set_keep_alive(true);
            Client.set_read_timeout(30, 0);
            while (!Done) {
                const auto Answer = Client.Get(Target);
                Seen[T].insert(!Answer                 ? std::string("no answer")
                               : Answer->status != 200 ? std::to_string(Answer->status)
                                                       : Answer->get_header_value("ETag"));
                ++Answered[T];
            }
        });
    for (int Round = 0; Round < 3; ++Round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Copy.FlipTableByte();
        EXPECT_TRUE(Reloader->Reload()) << Log.str();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Done = true;
    for (auto& Thread : Clients)
        Thread.join();
    for (std::size_t T = 0; T < Seen.size(); ++T) {
        for (const std::string& Tag : Seen[T])
            EXPECT_TRUE(Tag == OldTag || Tag == NewTag) << Tag;
        EXPECT_GT(Answered[T], 3) << "the client was answered all along";
    }
    EXPECT_EQ(TagOf(Target), NewTag) << "three flips: the data changed";
}

TEST_F(ReloadTest, ARequestUnderWayFinishesOnTheOldServiceWhichGoesWithIt) {
    std::shared_ptr<TRenderService> Held = Services.Current();
    const std::weak_ptr<TRenderService> Old = Held;
    const std::string OldTag = TagOf(Target);
    Copy.FlipTableByte();
    ASSERT_TRUE(Reloader->Reload());
    EXPECT_NE(Services.Current(), Held);
    // What a request holds still answers, from the old data.
    const auto Answer = Held->Handle({"/render.png", {{"code", Copy.Code()}}, ""});
    EXPECT_EQ(Answer.Status, 200);
    EXPECT_EQ(Answer.ETag, OldTag);
    EXPECT_FALSE(Old.expired());
    Held.reset();
    EXPECT_TRUE(Old.expired()) << "the old game and its service are freed with the last request";
}

TEST_F(ReloadTest, CountersGoOnAcrossAReload) {
    ASSERT_FALSE(TagOf(Target).empty());
    ASSERT_FALSE(TagOf(Target).empty());
    ASSERT_TRUE(Reloader->Reload());
    ASSERT_FALSE(TagOf(Target).empty());
    const auto Metrics = httplib::Client("127.0.0.1", MetricsPort).Get("/metrics");
    ASSERT_TRUE(Metrics);
    EXPECT_NE(Metrics->body.find("pelto_requests_total{endpoint=\"render\",status=\"200\"} 3"),
              std::string::npos)
        << Metrics->body;
    EXPECT_NE(Metrics->body.find("pelto_render_seconds_count 2"), std::string::npos)
        << "one render before the reload, one after: " << Metrics->body;
}

// --- the signal, to the program -------------------------------------------------------------

namespace {

/// `pelto-cli serve` on Folder as a child process, its output in files.
class TServeProcess {
public:
    explicit TServeProcess(const std::string& Folder) {
        FChild = ::fork();
        if (FChild == 0) {
            std::freopen(FOut.c_str(), "w", stdout);
            std::freopen(FErr.c_str(), "w", stderr);
            ::execl(PELTO_CLI_PATH, "pelto-cli", "serve", "--game", Folder.c_str(), "--listen",
                    "127.0.0.1:0", "--metrics-listen", "127.0.0.1:0", "--threads", "2",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~TServeProcess() {
        if (FChild > 0 && !FReaped) {
            ::kill(FChild, SIGKILL);
            ::waitpid(FChild, nullptr, 0);
        }
    }
    TServeProcess(const TServeProcess&) = delete;
    TServeProcess& operator=(const TServeProcess&) = delete;

    pid_t Pid() const { return FChild; }
    std::string Out() const { return ReadText(FOut); }
    std::string Err() const { return ReadText(FErr); }
    /// Waits until Done says the output is there, for at most 15 seconds.
    template <typename TDone> bool Await(TDone Done) const {
        for (int Try = 0; Try < 300; ++Try) {
            if (Done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    int Stop() {
        ::kill(FChild, SIGTERM);
        int Status = 0;
        ::waitpid(FChild, &Status, 0);
        FReaped = true;
        return Status;
    }

private:
    TTempDir FDir;
    const std::string FOut = FDir / "out";
    const std::string FErr = FDir / "err";
    pid_t FChild = -1;
    bool FReaped = false;
};

} // namespace

TEST(ReloadProcess, SighupReloadsTheGameAndAFailedReloadKeepsItServed) {
    TGameCopy Copy;
    const std::string Target = "/render.png?code=" + Escaped(Copy.Code());
    TServeProcess Serve(Copy.Folder());
    ASSERT_GT(Serve.Pid(), 0);
    ASSERT_TRUE(Serve.Await([&] { return Lines(Serve.Out()) >= 2; })) << Serve.Out() << Serve.Err();
    const std::string Out = Serve.Out();
    const std::string Listening = "listening on http://127.0.0.1:";
    const std::string Metrics = "\nmetrics on http://127.0.0.1:";
    ASSERT_TRUE(Out.starts_with(Listening)) << Out;
    const std::size_t MetricsAt = Out.find(Metrics);
    ASSERT_NE(MetricsAt, std::string::npos) << Out;
    const int Port = std::stoi(Out.substr(Listening.size()));
    const int MetricsPort = std::stoi(Out.substr(MetricsAt + Metrics.size()));
    httplib::Client Client("127.0.0.1", Port);
    Client.set_read_timeout(30, 0);
    const auto TagNow = [&] {
        const auto Answer = Client.Get(Target);
        return Answer && Answer->status == 200 ? Answer->get_header_value("ETag") : "";
    };
    const std::string OldTag = TagNow();
    ASSERT_FALSE(OldTag.empty());
    EXPECT_EQ(Client.Get("/metrics")->status, 404);
    EXPECT_EQ(httplib::Client("127.0.0.1", MetricsPort).Get("/metrics")->status, 200);

    Copy.FlipTableByte();
    ASSERT_EQ(::kill(Serve.Pid(), SIGHUP), 0);
    ASSERT_TRUE(Serve.Await([&] { return Serve.Err().find("reloaded ") != std::string::npos; }))
        << Serve.Err();
    const std::string NewTag = TagNow();
    EXPECT_NE(NewTag, OldTag);
    EXPECT_TRUE(Serve.Err().starts_with("reloaded " + Copy.Folder() + ", identity "))
        << Serve.Err();

    std::filesystem::remove(Copy.Table());
    ASSERT_EQ(::kill(Serve.Pid(), SIGHUP), 0);
    ASSERT_TRUE(Serve.Await([&] {
        return Serve.Err().find("reload failed: ") != std::string::npos;
    })) << Serve.Err();
    EXPECT_EQ(TagNow(), NewTag) << "the game served stays";
    EXPECT_EQ(Lines(Serve.Err()), 2u) << Serve.Err();

    const int Status = Serve.Stop();
    EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Status;
}

TEST(ReloadProcess, ABadPublicUrlOrMetricsAddressIsAUsageError) {
    for (const std::vector<std::string>& Args :
         {std::vector<std::string>{"--public-url", "https://pelto.example/share"},
          {"--public-url", "ftp://pelto.example"},
          {"--public-url", "pelto.example"},
          {"--metrics-listen", "9090"},
          {"--metrics-listen", "127.0.0.1:70000"}}) {
        TTempDir Dir;
        std::string Command = std::string(PELTO_CLI_PATH) + " serve --game '" + test::DemoGame() +
                              "' --listen 127.0.0.1:0 " + Args[0] + " '" + Args[1] + "' 2>" +
                              Dir.File("err") + " >/dev/null </dev/null";
        const int Raw = std::system(Command.c_str());
        EXPECT_TRUE(WIFEXITED(Raw) && WEXITSTATUS(Raw) == 2) << Args[1];
        EXPECT_NE(ReadText(Dir.File("err")).find(Args[0] + " must be"), std::string::npos)
            << ReadText(Dir.File("err"));
    }
}
