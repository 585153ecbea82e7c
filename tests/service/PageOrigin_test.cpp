// Where the share page's absolute links point: a public URL told by the operator, else a Host
// the listener goes by, else the listener itself. A client choosing its Host must not get links
// of its choosing into pages that caches keep for others.
#include "service/PageOrigin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelto::service;

namespace {

const TListenAddress Loopback{"127.0.0.1", 8080};

std::string Origin(std::string_view Host, std::string_view Proto = "",
                   const TListenAddress& Listen = Loopback) {
    return PageOrigin("", Listen, Host, Proto);
}

} // namespace

TEST(PageOrigin, APublicUrlIsOneOriginWithAnOptionalPortAndTrailingSlash) {
    const std::vector<std::pair<std::string, std::string>> Good{
        {"https://pelto.example", "https://pelto.example"},
        {"https://pelto.example/", "https://pelto.example"},
        {"http://pelto.example:8443", "http://pelto.example:8443"},
        {"http://127.0.0.1:65535/", "http://127.0.0.1:65535"},
        {"https://[2001:db8::1]", "https://[2001:db8::1]"},
        {"https://[::1]:8080/", "https://[::1]:8080"},
        {"HTTPS://Pelto.example", "https://Pelto.example"},
    };
    for (const auto& [Url, Expected] : Good)
        EXPECT_EQ(ParsePublicUrl(Url), Expected) << Url;
}

TEST(PageOrigin, APublicUrlWithMoreThanAnOriginOrAnotherSchemeIsRefused) {
    for (const char* Bad : {"",
                            "pelto.example",
                            "//pelto.example",
                            "ftp://pelto.example",
                            "javascript://x",
                            "https://",
                            "https:///",
                            "https://pelto.example/share",
                            "https://pelto.example//",
                            "https://pelto.example?x=1",
                            "https://pelto.example/?x=1",
                            "https://pelto.example#top",
                            "https://user@pelto.example",
                            "https://user:pw@pelto.example",
                            "https://pelto.example:",
                            "https://pelto.example:0",
                            "https://pelto.example:65536",
                            "https://pelto.example:08080",
                            "https://pelto.example:80x",
                            "https://pelto example",
                            "https://pelto.example\r\nX: y",
                            "https://a\"b",
                            "https://[::1",
                            "https://[]",
                            "https://[::1]x",
                            "https://.example",
                            "https://-pelto.example",
                            "https://pelto.example:8080:80"})
        EXPECT_EQ(ParsePublicUrl(Bad), std::nullopt) << Bad;
}

TEST(PageOrigin, APublicUrlIsTheOriginWhateverTheRequestSays) {
    for (const char* Host : {"127.0.0.1:8080", "localhost", "evil.example", ""})
        for (const char* Proto : {"", "http", "https"}) {
            EXPECT_EQ(PageOrigin("https://pelto.example", Loopback, Host, Proto),
                      "https://pelto.example")
                << Host << " " << Proto;
            EXPECT_EQ(PageOrigin("http://pelto.example", Loopback, Host, Proto),
                      "http://pelto.example")
                << "the scheme is the URL's, not the proxy's: " << Host << " " << Proto;
        }
}

TEST(PageOrigin, AHostThatNamesTheListenerOrTheLoopbackAtItsPortIsKept) {
    for (const char* Host :
         {"127.0.0.1:8080", "localhost", "localhost:8080", "LocalHost:8080", "[::1]:8080"}) {
        EXPECT_EQ(Origin(Host), "http://" + std::string(Host));
        EXPECT_EQ(Origin(Host, "https"), "https://" + std::string(Host)) << "behind a proxy";
    }
    EXPECT_EQ(Origin("192.168.1.5:80", "", {"192.168.1.5", 80}), "http://192.168.1.5:80");
    EXPECT_EQ(Origin("[::1]:9000", "", {"::1", 9000}), "http://[::1]:9000");
    EXPECT_EQ(Origin("localhost:9000", "", {"0.0.0.0", 9000}), "http://localhost:9000");
    EXPECT_EQ(Origin("127.0.0.1:8080", "HTTPS"), "http://127.0.0.1:8080") << "only the exact https";
}

TEST(PageOrigin, AnyOtherHostGivesTheListenOriginAndNoHttps) {
    for (const char* Host :
         {"pelto.example", "pelto.example:8080", "a.b.c", "localhost:9090", "127.0.0.1:9090",
          "127.0.0.1", "[::1]", "[::1]:9090", "127.0.0.1:08080", "127.0.0.1:8080 ",
          "localhost.evil.example:8080", "evil.example@127.0.0.1:8080", "a\"><script>", "",
          "127.0.0.1:8080/x"}) {
        EXPECT_EQ(Origin(Host), "http://127.0.0.1:8080") << Host;
        EXPECT_EQ(Origin(Host, "https"), "http://127.0.0.1:8080") << Host;
    }
}

TEST(PageOrigin, TheListenOriginOfAnEveryAddressListenerIsLocalhost) {
    EXPECT_EQ(ListenOrigin({"0.0.0.0", 8080}), "http://localhost:8080");
    EXPECT_EQ(ListenOrigin({"::", 8081}), "http://localhost:8081");
    EXPECT_EQ(ListenOrigin({"::1", 8082}), "http://[::1]:8082");
    EXPECT_EQ(ListenOrigin({"10.0.0.7", 80}), "http://10.0.0.7:80");
    EXPECT_EQ(Origin("pelto.example", "", {"0.0.0.0", 8080}), "http://localhost:8080");
    EXPECT_EQ(Origin("pelto.example", "", {"::", 8080}), "http://localhost:8080");
}
