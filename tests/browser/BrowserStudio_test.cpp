// The studio's module as the page's Worker calls it, natively: the same code the browser runs.
#include "browser/BrowserStudio.h"

#include "support/DemoGame.h"
#include "support/TempDir.h"

#include <boost/json.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <string>
#include <vector>

namespace pelto::browser {
namespace {

using test::TTempDir;

std::string ShellQuote(const std::string& Text) {
    std::string Quoted = "'";
    for (const char C : Text)
        Quoted += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Quoted + "'";
}

boost::json::object Parsed(const std::string& Json) {
    return boost::json::parse(Json).as_object();
}

TEST(BrowserStudio, FindsTheGameFolderWhereThePlayerMayPickIt) {
    const TTempDir Above;
    test::LinkTree(test::DemoGame(), Above.Make("Wonderland/"));
    Above.Make("AnotherFolder/");
    const TTempDir Empty;
    const struct {
        std::string Chosen, Folder, Error;
    } Cases[] = {
        {test::DemoGame(), test::DemoGame(), ""},
        {Above.Path(), Above / "Wonderland/", ""},
        {Empty.Path(), "", "This folder has no jma folder."},
        {Empty / "missing", "", "This folder does not exist."},
    };
    for (const auto& Case : Cases) {
        TBrowserStudio Studio;
        const auto Answer = Parsed(Studio.Open(Case.Chosen));
        if (Case.Error.empty())
            EXPECT_EQ(Answer.at("folder").as_string(), Case.Folder) << Case.Chosen;
        else
            EXPECT_EQ(Answer.at("error").as_string(), Case.Error) << Case.Chosen;
    }
}

TEST(BrowserStudio, AnswersAsTheServiceOnceAGameIsOpen) {
    TBrowserStudio Studio;
    EXPECT_EQ(Studio.Request("/design.json", "chara=3", "en").Status, 503);
    ASSERT_FALSE(Parsed(Studio.Open(test::DemoGame())).contains("error"));
    const TAnswer Design = Studio.Request("/design.json", "chara=3&color=0%3A1%2C2%2C3", "ja");
    EXPECT_EQ(Design.Status, 200) << Design.Body;
    EXPECT_FALSE(Parsed(Design.Body).at("code").as_string().empty());
    EXPECT_EQ(Studio.Request("/render.png", "code=%21", "en").Status, 400);
}

TEST(BrowserStudio, DownloadsAreWhatTheCommandLineWrites) {
    TBrowserStudio Studio;
    ASSERT_FALSE(Parsed(Studio.Open(test::DemoGame())).contains("error"));
    const std::string Code =
        Parsed(Studio.Request("/design.json", "chara=5", "en").Body).at("code").as_string().c_str();
    const struct {
        std::string Query, Args;
        std::vector<std::string> Files;
    } Cases[] = {
        {"format=png&motion=1&frame=2&shadow=",
         "--format png --motion 1 --frame 2 --shadow",
         {"pelto.png"}},
        {"format=tsheet&scope=directions&scale=2",
         "--format tsheet --scope directions --scale 2",
         {"pelto.png", "pelto.json"}},
        {"format=bundle&layers=1", "--format bundle --layers", {"pelto.png"}},
    };
    for (const auto& Case : Cases) {
        const TTempDir Native;
        const std::string Command = ShellQuote(PELTO_CLI_PATH) + " render --game " +
                                    ShellQuote(test::DemoGame()) + " --code " + ShellQuote(Code) +
                                    " " + Case.Args + " --out " + ShellQuote(Native / "pelto.png");
        ASSERT_EQ(std::system(Command.c_str()), 0) << Command;
        const auto Files = Studio.Export("code=" + Code + "&" + Case.Query, "pelto.png");
        ASSERT_EQ(Files.size(), Case.Files.size()) << Case.Query;
        for (std::size_t I = 0; I < Files.size(); ++I) {
            EXPECT_EQ(Files[I].Name, Case.Files[I]);
            EXPECT_TRUE(Files[I].Body == test::ReadText(Native / Case.Files[I])) << Case.Query;
        }
    }
    const struct {
        std::string Query, FileName, Message;
    } Refused[] = {
        {"code=" + Code, "a.png", "format is missing"},
        {"format=png&out=x.png", "a.png", "unknown parameter \"out\""},
        {"format=png&scale=9&code=" + Code, "a.png", "--scale must be a number from 1 to 8"},
        {"format=png&code=" + Code, "../a.png", "a download's name must be a file name"},
    };
    for (const auto& Case : Refused) {
        try {
            Studio.Export(Case.Query, Case.FileName);
            ADD_FAILURE() << Case.Query;
        } catch (const std::exception& Error) {
            EXPECT_EQ(std::string(Error.what()), Case.Message);
        }
    }
}

TEST(BrowserStudio, StudiosDownloadingAtOnceEachKeepTheirOwnFiles) {
    // As two Workers' modules, or two test programs, sharing one temporary folder do.
    const auto Downloads = [](const std::string& Query) {
        TBrowserStudio Studio;
        EXPECT_FALSE(Parsed(Studio.Open(test::DemoGame())).contains("error"));
        const std::string First = Studio.Export(Query, "a.png").at(0).Body;
        for (int Round = 0; Round < 20; ++Round)
            if (Studio.Export(Query, "a.png").at(0).Body != First)
                return false;
        return !First.empty();
    };
    auto Sheets = std::async(std::launch::async, Downloads, "chara=1&format=sheet&scale=2");
    EXPECT_TRUE(Downloads("chara=5&format=png"));
    EXPECT_TRUE(Sheets.get());
}

TEST(BrowserStudio, FavoritesTravelThroughTheWindowsSettingsFile) {
    TBrowserStudio Studio;
    ASSERT_FALSE(Parsed(Studio.Open(test::DemoGame())).contains("error"));
    const std::string Code =
        Parsed(Studio.Request("/design.json", "chara=2", "en").Body).at("code").as_string().c_str();
    const boost::json::array Kept{{{"place", 3}, {"name", "ねこ"}, {"code", Code}},
                                  {{"place", 10}, {"name", "Save10"}, {"code", Code}}};
    const std::string Ini = Studio.ExportFavorites(boost::json::serialize(Kept));
    EXPECT_NE(Ini.find("[Save3]"), std::string::npos) << Ini;
    const auto Back = Parsed(Studio.ImportFavorites(Ini + "[Save5]\nChara=99\n"));
    EXPECT_EQ(Back.at("favorites").as_array(), Kept);
    EXPECT_EQ(Back.at("damaged").as_array(), boost::json::array{5});
    for (const std::string Bad : {R"([{"place": 11, "name": "", "code": "x"}])", R"({"a": 1})",
                                  R"([{"place": 1, "name": "", "code": "!!"}])"})
        EXPECT_THROW(Studio.ExportFavorites(Bad), std::exception) << Bad;
}

} // namespace
} // namespace pelto::browser
