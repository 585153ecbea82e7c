#include "service/Serve.h"
#include "service/ServiceRequest.h"

#include <gtest/gtest.h>

using namespace pelto;
using namespace pelto::service;

TEST(ServiceRequest, PathsNameTheirEndpoint) {
    EXPECT_EQ(RouteOf("/render.twebp").Endpoint, TEndpoint::Render);
    EXPECT_EQ(RouteOf("/render.twebp").Format->Name, "twebp");
    EXPECT_EQ(RouteOf("/render.tsheet").Endpoint, TEndpoint::Unknown) << "a sheet is two files";
    EXPECT_EQ(RouteOf("/render.").Endpoint, TEndpoint::Unknown);
    EXPECT_EQ(RouteOf("/icon/1001.png").ItemId, 1001);
    for (const char* Path : {"/icon/.png", "/icon/-1.png", "/icon/+1.png", "/icon/1x.png",
                             "/icon/9999999999.png", "/icon/1.PNG", "/items/", ""})
        EXPECT_EQ(RouteOf(Path).Endpoint, TEndpoint::Unknown) << Path;
}

TEST(ServiceRequest, TheApiIsUnderItsVersionAndAtItsFirstPaths) {
    for (const char* Path : {"/render.gif", "/items", "/icon/7.png", "/design.json",
                             "/code/A/B.json", "/atlas/3/6.png", "/atlas/0/1.json", "/healthz"}) {
        const TRoute Old = RouteOf(Path);
        const std::string VersionedPath = std::string("/v1") + Path;
        const TRoute Versioned = RouteOf(VersionedPath);
        EXPECT_NE(Old.Endpoint, TEndpoint::Unknown) << Path;
        EXPECT_EQ(Versioned.Endpoint, Old.Endpoint) << Path;
        EXPECT_EQ(Versioned.Format, Old.Format) << Path;
        EXPECT_EQ(Versioned.ItemId, Old.ItemId) << Path;
        EXPECT_EQ(Versioned.Name, Old.Name) << Path;
        EXPECT_EQ(Versioned.List.Group, Old.List.Group) << Path;
        EXPECT_EQ(Versioned.Picture, Old.Picture) << Path;
        EXPECT_TRUE(Versioned.Api && Old.Api) << Path;
    }
    EXPECT_EQ(RouteOf("/v1/openapi.json").Endpoint, TEndpoint::OpenApi);
    EXPECT_EQ(RouteOf("/openapi.json").Endpoint, TEndpoint::Unknown) << "new: versioned only";
    // Pages are for people and the operator's counters for the operator: neither is API.
    for (const char* Path : {"/", "/c/AQo", "/page.js", "/metrics"}) {
        EXPECT_NE(RouteOf(Path).Endpoint, TEndpoint::Unknown) << Path;
        EXPECT_FALSE(RouteOf(Path).Api) << Path;
        EXPECT_EQ(RouteOf(std::string("/v1") + Path).Endpoint, TEndpoint::Unknown) << Path;
    }
    for (const char* Path : {"/v1", "/v1/", "/v1items", "/v1/v1/items", "/v2/items", "/V1/items"})
        EXPECT_EQ(RouteOf(Path).Endpoint, TEndpoint::Unknown) << Path;
}

TEST(ServiceRequest, SharePathsTakeTheRestOfThePathAsTheCode) {
    EXPECT_EQ(RouteOf("/").Endpoint, TEndpoint::Page);
    const TRoute Share = RouteOf("/c/AB+C/D/E");
    EXPECT_EQ(Share.Endpoint, TEndpoint::Share);
    EXPECT_EQ(Share.Name, "AB+C/D/E") << "a code's \"/\" is no separator";
    const TRoute Code = RouteOf("/code/A/B+.json");
    EXPECT_EQ(Code.Endpoint, TEndpoint::CodeJson);
    EXPECT_EQ(Code.Name, "A/B+");
    EXPECT_EQ(RouteOf("/page.js").Name, "page.js");
    EXPECT_EQ(RouteOf("/page.css").Endpoint, TEndpoint::Asset);
    for (const char* Path : {"/c/", "/c", "/code/.json", "/code/AB", "/page.html", "/web/page.js"})
        EXPECT_EQ(RouteOf(Path).Endpoint, TEndpoint::Unknown) << Path;
}

TEST(ServiceRequest, ADesignIsKeyedByItsCanonicalCodeAndItsEditsInTheirOrder) {
    EXPECT_EQ(RouteOf("/design.json").Endpoint, TEndpoint::Design);
    EXPECT_EQ(RouteOf("/design.json/x").Endpoint, TEndpoint::Unknown);
    const TDesignParams Spelt = ParseDesignParams(
        {{"wear", "hand:3007"}, {"code", "AQMAHA\nf0emd7"}, {"lock", "head"}, {"random", "1"}});
    EXPECT_EQ(Spelt.Code, "AQMAHAf0emd7");
    EXPECT_EQ(Spelt.Key, "design?code=AQMAHAf0emd7&random=1&lock=1&vary=all&wear=3:3007");
    EXPECT_EQ(ParseDesignParams({{"chara", "2"}}).Key, "design?code=&chara=2");
    EXPECT_THROW(ParseDesignParams({{"chara", "2"}, {"chara", "3"}}), ERequestError);
    EXPECT_THROW(ParseDesignParams({{"CHARA", "2"}}), ERequestError);
}

TEST(ServiceRequest, SharePagesTakeWhatTheyUnderstandAndIgnoreTheRest) {
    const TShareParams Plain = ParseShareParams({{"code", "AB C"}});
    EXPECT_EQ(Plain.Code, "AB+C");
    EXPECT_EQ(Plain.Scale, 3);
    EXPECT_EQ(Plain.Direction, 4);
    EXPECT_EQ(Plain.Background, TColor{0xFFFFFF});

    const TShareParams Odd = ParseShareParams({{"fbclid", "IwAR0"},
                                               {"utm_source", "chat"},
                                               {"motion", "99"},
                                               {"scale", "0"},
                                               {"shadow", "yes"},
                                               {"background", "nonsense"}});
    EXPECT_EQ(Odd.Motion, 0);
    EXPECT_EQ(Odd.Scale, 3);
    EXPECT_FALSE(Odd.Shadow);
    EXPECT_EQ(Odd.Background, TColor{0xFFFFFF});

    // A form without a script sends its hidden direction, then the button pressed.
    const TShareParams Form = ParseShareParams({{"direction", "4"},
                                                {"direction", "6"},
                                                {"background", "#102030"},
                                                {"background", "transparent"},
                                                {"scale", "8"},
                                                {"shadow", "1"}});
    EXPECT_EQ(Form.Direction, 6);
    EXPECT_FALSE(Form.Background.has_value());
    EXPECT_EQ(Form.Scale, 8);
    EXPECT_TRUE(Form.Shadow);
    EXPECT_EQ(ParseShareParams({{"background", "#102030"}}).Background, RGBColor(0x10, 0x20, 0x30));
}

TEST(ServiceRequest, ParametersOutsideTheirRangesAreRefusedByName) {
    const TExportFormat& Png = *FindExportFormat("png");
    const auto Message = [&](const TQueryParams& Params) -> std::string {
        try {
            ParseRenderParams(Png, Params);
        } catch (const EBadRequest& Error) {
            EXPECT_EQ(Error.Status(), 400);
            return Error.what();
        } catch (const ERequestError& Error) {
            return Error.what();
        }
        return "";
    };
    EXPECT_EQ(Message({{"code", "A"}, {"motion", " 1"}}), "motion must be a number from 0 to 18");
    EXPECT_EQ(Message({{"code", "A"}, {"frame", "0"}}), "frame must be a number from 1 to 255");
    EXPECT_EQ(Message({{"code", "A"}, {"background", "+12345"}}),
              "background must be six hexadecimal digits, RRGGBB");
    EXPECT_EQ(Message({{"code", "A"}, {"x\n<b>", "1"}}), "unknown parameter \"x?<b>\"");
    EXPECT_EQ(Message({{"code", std::string(2000, 'A')}}), "code is too long");
    EXPECT_EQ(Message({{"code", "A"}, {"motion", "99999999999999999999999"}}),
              "motion must be a number from 0 to 18");
    // What the service does not take is refused before any value is read.
    EXPECT_EQ(Message({{"motion", "99"}, {"scope", "all"}}), "unknown parameter \"scope\"");
    EXPECT_EQ(Message({{"code", "A"}, {"code", "B"}}), "code is given more than once");
}

TEST(ServiceRequest, IfNoneMatchListsAreSearched) {
    EXPECT_TRUE(MatchesETag("\"a\"", "\"a\""));
    EXPECT_TRUE(MatchesETag(" \"b\" ,W/\"a\"", "\"a\""));
    EXPECT_TRUE(MatchesETag("*", "\"a\""));
    EXPECT_FALSE(MatchesETag("\"ab\"", "\"a\""));
    EXPECT_FALSE(MatchesETag("", "\"a\""));
    EXPECT_FALSE(MatchesETag(",,", "\"a\""));
}

TEST(ServiceRequest, ListenAddressesAreHostAndPort) {
    TServeConfig Config;
    EXPECT_TRUE(ParseListenAddress("0.0.0.0:0", Config));
    EXPECT_EQ(Config.Host, "0.0.0.0");
    EXPECT_EQ(Config.Port, 0);
    EXPECT_TRUE(ParseListenAddress("[::1]:8081", Config));
    EXPECT_EQ(Config.Host, "::1");
    EXPECT_EQ(Config.Port, 8081);
    for (const char* Bad : {"8080", ":8080", "host:", "host:65536", "host:80x", "[::1:80", "[]:80"})
        EXPECT_FALSE(ParseListenAddress(Bad, Config)) << Bad;
}
