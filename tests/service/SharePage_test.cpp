#include "service/SharePage.h"
#include "service/WebAssets.h"

#include <gtest/gtest.h>

using namespace pelto;
using namespace pelto::service;

namespace {

std::string_view PageTemplate() {
    for (const TWebAsset& Asset : WebAssets())
        if (Asset.Name == "page.html")
            return Asset.Text;
    ADD_FAILURE() << "page.html is not built in";
    return "";
}

std::size_t Count(const std::string& Text, std::string_view Piece) {
    std::size_t N = 0;
    for (std::size_t At = Text.find(Piece); At != std::string::npos; At = Text.find(Piece, At + 1))
        ++N;
    return N;
}

} // namespace

TEST(SharePage, HtmlEscapingLeavesNoMarkupAndNoWayOutOfAnAttribute) {
    EXPECT_EQ(HtmlEscape(R"x(<img src=x onerror="a('b')">&amp;)x"),
              "&lt;img src=x onerror=&quot;a(&#39;b&#39;)&quot;&gt;&amp;amp;");
    EXPECT_EQ(HtmlEscape("ナイト・ヘルム"), "ナイト・ヘルム") << "UTF-8 passes as it is";
}

TEST(SharePage, NamesFromTheGameAreEscapedWhereverThePageShowsThem) {
    TCodeSummary Summary;
    Summary.Chara = 3;
    Summary.Name = "Dan<i>el";
    Summary.Code = "AB+/C";
    Summary.Items = {{1, 1007, "<script>alert(1)</script>", {" DEF+12"}},
                     {6, 6007, "Cape \"of\" 'quotes' & more", {}}};
    const TShareParams Share{"AB+/C", 1, 6, 2, true, std::nullopt};
    const std::string Html =
        SharePageHtml(PageTemplate(), Share, &Summary, {"http://example.test:8080", ""});

    EXPECT_EQ(Html.find("<script>alert"), std::string::npos);
    EXPECT_EQ(Html.find("<i>"), std::string::npos);
    EXPECT_EQ(Html.find("\"of\""), std::string::npos);
    EXPECT_EQ(Count(Html, "&lt;script&gt;alert(1)&lt;/script&gt;"), 4u)
        << "og:description, twitter:description, description and the item list";
    EXPECT_NE(Html.find("Cape &quot;of&quot; &#39;quotes&#39; &amp; more"), std::string::npos);
    EXPECT_NE(Html.find(R"(<meta property="og:title" content="Dan&lt;i&gt;el">)"),
              std::string::npos);
    EXPECT_EQ(Html.find("{{"), std::string::npos) << "every field filled";
    // The only scripts are the page's own file.
    EXPECT_EQ(Count(Html, "<script"), 1u);
    EXPECT_NE(Html.find(R"(<script src="/page.js" defer></script>)"), std::string::npos);
    EXPECT_EQ(Html.find(" style="), std::string::npos) << "the policy allows no inline style";
}

TEST(SharePage, LinksCarryTheCodeEscapedAndOnlyWhatDiffersFromTheDefaults) {
    EXPECT_EQ(ShareLink("http://h", {"AB+/C"}), "http://h/c/AB%2B%2FC");
    EXPECT_EQ(ShareLink("https://h", {"A", 18, 0, 8, true, std::nullopt}),
              "https://h/c/A?motion=18&direction=0&scale=8&shadow=1&background=transparent");
    EXPECT_EQ(ShareLink("http://h", {"A", 0, 4, 3, false, 0x0000FF}),
              "http://h/c/A?background=FF0000")
        << "colours are kept as Windows keeps them, blue in the high byte";
}

TEST(SharePage, APageWithoutACharacterShowsTheMessageAndNoPicture) {
    const std::string Html =
        SharePageHtml(PageTemplate(), {"bad<code>"}, nullptr, {"http://h", "Invalid code error."});
    EXPECT_NE(Html.find(R"(<p id="message" role="alert" >Invalid code error.</p>)"),
              std::string::npos);
    EXPECT_NE(Html.find(R"(value="bad&lt;code&gt;")"), std::string::npos);
    EXPECT_EQ(Html.find("og:image"), std::string::npos);
    EXPECT_EQ(Html.find("/render."), std::string::npos);
}
