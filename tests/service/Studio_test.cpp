// What the page's studio asks of the service beyond the share page: the icon atlas of each
// equipment list, and the page in the asker's language.
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/ItemListing.h"
#include "requests/IconAtlas.h"
#include "service/PageLanguage.h"
#include "service/RenderService.h"
#include "service/WebAssets.h"
#include "support/DemoGame.h"
#include "support/ImageDecoders.h"
#include "support/TempDir.h"
#include "writers/GroupImageWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

using namespace pelto;
using namespace pelto::service;

namespace {

const TGameData& Game() {
    static const auto Loaded = [] {
        auto Made = std::make_unique<TGameData>(test::DemoGame());
        Made->LoadAll();
        return Made;
    }();
    return *Loaded;
}

TServiceRequest Asked(const std::string& Path, TQueryParams Params = {}) {
    return TServiceRequest{Path, std::move(Params), ""};
}

std::span<const std::uint8_t> Bytes(const std::string& Body) {
    return {reinterpret_cast<const std::uint8_t*>(Body.data()), Body.size()};
}

} // namespace

TEST(IconAtlas, EachCellHoldsTheIconOfItsItemAsTheIconRouteServesIt) {
    TRenderService Service(Game(), {});
    const TListChoice List{1, 3};
    const TServiceResponse Picture = Service.Handle(Asked("/atlas/1/3.png"));
    ASSERT_EQ(Picture.Status, 200);
    EXPECT_EQ(Picture.ContentType, "image/png");
    const auto Atlas = test::DecodePng(Bytes(Picture.Body), PNG_FORMAT_RGBA);
    EXPECT_EQ(Atlas.Width, static_cast<unsigned>(AtlasColumns * AtlasCellSide));

    const std::vector<int> Items = MatchingItems(Game(), {}, List);
    ASSERT_GT(Items.size(), 2u);
    for (std::size_t Cell = 0; Cell < Items.size(); ++Cell) {
        const int Id = Game().Items().Item(Items[Cell])->ItemID();
        const auto Icon = test::DecodePng(
            Bytes(Service.Handle(Asked("/icon/" + std::to_string(Id) + ".png")).Body),
            PNG_FORMAT_RGBA);
        ASSERT_EQ(Icon.Width, static_cast<unsigned>(AtlasCellSide));
        const std::size_t X = Cell % AtlasColumns * AtlasCellSide;
        const std::size_t Y = Cell / AtlasColumns * AtlasCellSide;
        for (std::size_t Row = 0; Row < AtlasCellSide; ++Row)
            ASSERT_EQ(std::memcmp(&Atlas.Pixels[((Y + Row) * Atlas.Width + X) * 4],
                                  &Icon.Pixels[Row * Icon.Width * 4], Icon.Width * 4),
                      0)
                << "cell " << Cell << ", row " << Row;
    }
}

TEST(IconAtlas, ItsJsonListsTheItemsInTheListsOrderWithTheirCellsAndBonuses) {
    TRenderService Service(Game(), {});
    const TServiceResponse Answer = Service.Handle(Asked("/atlas/1/3.json"));
    ASSERT_EQ(Answer.Status, 200);
    EXPECT_EQ(Answer.ContentType, "application/json; charset=utf-8");
    EXPECT_NE(Answer.Body.find("\"image\": \"/atlas/1/3.png?v=" + Service.GameIdentity() + "\""),
              std::string::npos);
    std::size_t At = 0;
    int Cell = 0;
    for (const int Index : MatchingItems(Game(), {}, TListChoice{1, 3})) {
        const auto Id = "{\"id\": " + std::to_string(Game().Items().Item(Index)->ItemID()) + ",";
        At = Answer.Body.find(Id, At);
        ASSERT_NE(At, std::string::npos) << Id << " in the list's order";
        const std::string Place =
            "\"x\": " + std::to_string(Cell % AtlasColumns * AtlasCellSide) +
            ", \"y\": " + std::to_string(Cell / AtlasColumns * AtlasCellSide) + "}";
        EXPECT_EQ(Answer.Body.find(Place, At), Answer.Body.find("\"x\": ", At)) << Id;
        ++Cell;
    }
    EXPECT_NE(Answer.Body.find("\"bonus\": {\"ATK\": "), std::string::npos);
}

TEST(IconAtlas, IsRevalidatedUnlessAskedUnderItsDataAndDrawnOnlyOnAWorker) {
    TRenderService Service(Game(), {});
    const TServiceRequest Picture = Asked("/atlas/2/6.png");
    EXPECT_FALSE(Service.Quick(Picture)) << "an atlas not made yet is work";
    EXPECT_FALSE(Service.Quick(Asked("/atlas/2/6.json")));
    const TServiceResponse Made = Service.Handle(Picture);
    ASSERT_EQ(Made.Status, 200);
    EXPECT_EQ(Made.CacheControl, "public, max-age=60") << "its bytes change with the game";
    ASSERT_FALSE(Made.ETag.empty());
    const auto Kept = Service.Quick(Picture);
    ASSERT_TRUE(Kept);
    EXPECT_EQ(Kept->Body, Made.Body);
    TServiceRequest Tagged = Picture;
    Tagged.IfNoneMatch = Made.ETag;
    EXPECT_EQ(Service.Handle(Tagged).Status, 304);
    EXPECT_NE(Service.Handle(Asked("/atlas/2/5.png")).ETag, Made.ETag);

    // The list names its picture under the data it was made of; that URL alone is immutable,
    // the same bytes and tag, and refused once the service draws from other data.
    const std::string Identity = Service.GameIdentity();
    EXPECT_NE(Service.Handle(Asked("/atlas/2/6.json"))
                  .Body.find("\"image\": \"/atlas/2/6.png?v=" + Identity + "\""),
              std::string::npos);
    const TServiceResponse Versioned = Service.Handle(Asked("/atlas/2/6.png", {{"v", Identity}}));
    EXPECT_EQ(Versioned.Status, 200);
    EXPECT_EQ(Versioned.Body, Made.Body);
    EXPECT_EQ(Versioned.ETag, Made.ETag);
    EXPECT_EQ(Versioned.CacheControl, "public, max-age=31536000, immutable");
    TServiceRequest Revalidated = Asked("/atlas/2/6.png", {{"v", Identity}});
    Revalidated.IfNoneMatch = Made.ETag;
    EXPECT_EQ(Service.Handle(Revalidated).CacheControl, "public, max-age=31536000, immutable");
    const TServiceResponse Other = Service.Handle(Asked("/atlas/2/6.png", {{"v", "0123"}}));
    EXPECT_EQ(Other.Status, 404);
    EXPECT_EQ(Other.CacheControl, "no-store");
    EXPECT_NE(Other.Body.find(Identity), std::string::npos) << "says what is served now";
    EXPECT_EQ(Service.Handle(Asked("/atlas/2/6.png", {{"v", Identity}, {"v", Identity}})).Status,
              400);
}

TEST(IconAtlas, RefusesWhatNamesNoList) {
    TRenderService Service(Game(), {});
    for (const std::string Path :
         {"/atlas/4/1.png", "/atlas/1/0.png", "/atlas/1/7.json", "/atlas/01/3.png",
          "/atlas/1/3.gif", "/atlas/1/3", "/atlas/1/3.png/x", "/atlas/-1/3.png", "/atlas/"})
        EXPECT_EQ(Service.Handle(Asked(Path)).Status, 404) << Path;
    EXPECT_EQ(Service.Handle(Asked("/atlas/1/3.png", {{"x", "2"}})).Status, 400);
}

// An item the icon file lacks gets no address that would answer 404, in the code's JSON and
// in the share page's list, but an empty cell.
TEST(IconAtlas, AWornItemWithoutAnIconHasNoIconAddress) {
    test::TTempDir Dir;
    const std::string Folder = Dir.Path() + "game/";
    test::LinkTree(test::DemoGame(), Folder);
    std::filesystem::remove(Folder + std::string(ItemIconFileName));
    WriteGroupImageFile(Folder + std::string(ItemIconFileName), {});
    TGameData Bare(Folder);
    Bare.LoadAll();
    TRenderService Service(Bare, {});
    TDressingSession Session(Bare);
    Session.SetChara(1);
    Session.Pick(3, 1);
    const std::string Id = std::to_string(Session.Worn(3)->ItemID());
    const std::string Code = Session.Code();
    const TServiceResponse Json = Service.Handle(Asked("/code/" + Code + ".json"));
    ASSERT_EQ(Json.Status, 200);
    EXPECT_NE(Json.Body.find("\"id\": " + Id + ","), std::string::npos);
    EXPECT_EQ(Json.Body.find("\"icon\""), std::string::npos) << Json.Body;
    const TServiceResponse Page = Service.Handle(Asked("/c/" + Code));
    ASSERT_EQ(Page.Status, 200);
    EXPECT_EQ(Page.Body.find("/icon/"), std::string::npos);
    EXPECT_NE(Page.Body.find("<li data-id=\"" + Id + "\"><span class=\"noicon\">"),
              std::string::npos);
}

TEST(PageLanguage, TheAskersHighestRankedLanguageOfTheTwoWins) {
    EXPECT_EQ(PreferredLanguage(""), TPageLanguage::English);
    EXPECT_EQ(PreferredLanguage("ja"), TPageLanguage::Japanese);
    EXPECT_EQ(PreferredLanguage("ja-JP,ja;q=0.9,en;q=0.8"), TPageLanguage::Japanese);
    EXPECT_EQ(PreferredLanguage("en-US,en;q=0.9,ja;q=0.8"), TPageLanguage::English);
    EXPECT_EQ(PreferredLanguage("fr, JA ;q=0.5"), TPageLanguage::Japanese) << "French is not had";
    EXPECT_EQ(PreferredLanguage("ja;q=0, en;q=0.1"), TPageLanguage::English) << "q=0: not at all";
    EXPECT_EQ(PreferredLanguage("ja;q=abc"), TPageLanguage::English);
    EXPECT_EQ(PreferredLanguage("en;q=0.5, ja;q=0.501"), TPageLanguage::Japanese);
    for (const char* NoWeight : {"ja;q=1e-1", "ja;q=1.5", "ja;q=0.5000", "ja;q=0.5x"})
        EXPECT_EQ(PreferredLanguage(std::string(NoWeight) + ", en;q=0.01"), TPageLanguage::English)
            << NoWeight;
    EXPECT_EQ(PreferredLanguage("jax"), TPageLanguage::English);
    EXPECT_EQ(PreferredLanguage(",,;,q=;"), TPageLanguage::English);
}

TEST(PageLanguage, ThePageSpeaksJapaneseWhenAskedAndTellsCachesItVaries) {
    TRenderService Service(Game(), {});
    TServiceRequest Japanese = Asked("/");
    Japanese.AcceptLanguage = "ja,en;q=0.5";
    const TServiceResponse Page = Service.Handle(Japanese);
    ASSERT_EQ(Page.Status, 200);
    EXPECT_NE(Page.Body.find("<html lang=\"ja\">"), std::string::npos);
    EXPECT_NE(Page.Body.find(">キャラクターコード</label>"), std::string::npos);
    EXPECT_NE(Page.Body.find("aria-label=\"頭を固定\""), std::string::npos);
    const TServiceResponse English = Service.Handle(Asked("/"));
    EXPECT_NE(English.Body.find("<html lang=\"en\">"), std::string::npos);
    EXPECT_NE(English.Body.find(">Character code</label>"), std::string::npos);
    EXPECT_NE(English.ETag, Page.ETag) << "one copy per language";
    for (const TServiceResponse* Answer : {&Page, &English}) {
        bool Varies = false;
        for (const auto& [Name, Value] : Answer->Headers)
            Varies = Varies || (Name == "Vary" && Value == "Accept-Language");
        EXPECT_TRUE(Varies);
    }
}

TEST(PageLanguage, TheScriptsCatalogueIsTheOneTheServerTranslatesBy) {
    TRenderService Service(Game(), {});
    const TServiceResponse Catalogue = Service.Handle(Asked("/page.ja.json"));
    ASSERT_EQ(Catalogue.Status, 200);
    EXPECT_EQ(Catalogue.ContentType, "application/json; charset=utf-8");
    ASSERT_FALSE(JapanesePageMessages().empty());
    for (const TPageMessage& Message : JapanesePageMessages()) {
        EXPECT_FALSE(Message.Translation.empty()) << Message.Source;
        EXPECT_EQ(Translate(TPageLanguage::Japanese, Message.Source), Message.Translation);
        EXPECT_EQ(Translate(TPageLanguage::English, Message.Source), Message.Source);
    }
    EXPECT_NE(Catalogue.Body.find("\"Lock color %1\": \"カラー%1を固定\""), std::string::npos);
    // Every fixed text of the page has its Japanese, apostrophes and ampersands too.
    std::string_view Page;
    for (const TWebAsset& Asset : WebAssets())
        Page = Asset.Name == "page.html" ? Asset.Text : Page;
    ASSERT_FALSE(Page.empty());
    for (std::size_t At = Page.find("{{t:"); At != std::string_view::npos;
         At = Page.find("{{t:", At + 1)) {
        const std::string_view Text = Page.substr(At + 4, Page.find("}}", At) - At - 4);
        EXPECT_NE(Translate(TPageLanguage::Japanese, Text), Text);
    }
    EXPECT_EQ(Translate(TPageLanguage::Japanese, "no such text"), "no such text");
    EXPECT_EQ(Service.Handle(Asked("/service.js")).ContentType, "text/javascript; charset=utf-8");
    EXPECT_EQ(Service.Handle(Asked("/page.en.json")).Status, 404);
}
