// The report page of a comparison: its pictures, its files and its escaping.
#include "diff/DiffHtml.h"

#include "diff/GameDiff.h"
#include "model/CharaCode.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "platform/Stream.h"
#include "requests/RenderRequest.h"
#include "support/DiffGames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

using namespace pelto;
using namespace pelto::test::diff_items;
using pelto::test::ReadText;
using pelto::test::TTempDir;

namespace {

class DiffHtml : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Folder = new TTempDir;
        test::WriteDiffGames(Folder->Path());
        Old = OpenGameForDiff(Folder->Path() + "old/", true).release();
        New = OpenGameForDiff(Folder->Path() + "new/", true).release();
        const TGameDiff Diff = CompareGames(*Old, *New);
        WriteDiffHtml(Diff, *Old, *New, Folder->Path() + "report", std::nullopt);
        Page = new std::string(ReadText(Folder->Path() + "report/index.html"));
    }
    static void TearDownTestSuite() {
        delete Page;
        delete Old;
        delete New;
        delete Folder;
    }

    // What `render --code CODE --format png --scale 2` writes of Rocco wearing Id in Slot.
    static std::string Rendered(const TGameData& Game, int Slot, std::uint16_t Id) {
        TCharaDesign Design;
        Design.Chara = 0;
        Design.Parts[static_cast<std::size_t>(Slot - 1)] = Id;
        const TRenderRequest Request = ParseRenderRequest(
            {{"code", EncodeCharaCode(Design)}, {"format", "png"}, {"scale", "2"}},
            CommandLineDialect);
        TMemoryStream Png;
        Render(Game, Request, Png);
        return {reinterpret_cast<const char*>(Png.Memory().data()), Png.Memory().size()};
    }

    static std::string Picture(const std::string& Name) {
        return ReadText(Folder->Path() + "report/pictures/" + Name);
    }

    static std::set<std::string> Sources() {
        std::set<std::string> Found;
        const std::regex Source("src=\"([^\"]*)\"");
        for (auto It = std::sregex_iterator(Page->begin(), Page->end(), Source);
             It != std::sregex_iterator(); ++It)
            Found.insert((*It)[1]);
        return Found;
    }

    static inline TTempDir* Folder = nullptr;
    static inline TGameData* Old = nullptr;
    static inline TGameData* New = nullptr;
    static inline std::string* Page = nullptr;
};

TEST_F(DiffHtml, DrawsTheItemsBeforeAndAfterAsTheCompositorRendersThem) {
    EXPECT_EQ(Picture("104-c0-old.png"), Rendered(*Old, 5, Boots)); // redrawn sprite
    EXPECT_EQ(Picture("104-c0-new.png"), Rendered(*New, 5, Boots));
    EXPECT_NE(Picture("104-c0-old.png"), Picture("104-c0-new.png"));
    EXPECT_EQ(Picture("103-c0-new.png"), Rendered(*New, 2, Scarf)); // other colours
    EXPECT_EQ(Picture("108-c0-new.png"), Rendered(*New, 6, Wand));  // added
    EXPECT_EQ(Picture("105-c0-old.png"), Rendered(*Old, 3, Ring));  // removed, from the old data
}

TEST_F(DiffHtml, DrawsNoPictureForTextChangesNorTheSideWithoutTheItem) {
    const std::set<std::string> Files = [] {
        std::set<std::string> Names;
        for (const auto& Entry :
             std::filesystem::directory_iterator(Folder->Path() + "report/pictures"))
            Names.insert(Entry.path().filename().string());
        return Names;
    }();
    for (const std::string& Name : Files)
        EXPECT_TRUE(Name.rfind("icon-", 0) == 0 || Name.rfind("103-", 0) == 0 ||
                    Name.rfind("104-", 0) == 0 || Name.rfind("105-", 0) == 0 ||
                    Name.rfind("108-", 0) == 0)
            << Name;
    EXPECT_FALSE(Files.count("108-c0-old.png"));
    EXPECT_FALSE(Files.count("105-c0-new.png"));
    EXPECT_TRUE(Files.count("icon-101-new.png")); // the renamed item is shown by its icon
}

TEST_F(DiffHtml, RefersOnlyToItsOwnPicturesAndHoldsNoScript) {
    const std::set<std::string> Found = Sources();
    EXPECT_FALSE(Found.empty());
    for (const std::string& Source : Found) {
        EXPECT_EQ(Source.rfind("pictures/", 0), 0u) << Source;
        EXPECT_TRUE(std::filesystem::exists(Folder->Path() + "report/" + Source)) << Source;
    }
    EXPECT_EQ(Page->find("<script"), std::string::npos);
    EXPECT_EQ(Page->find("http"), std::string::npos);
}

TEST_F(DiffHtml, EscapesTheGamesTexts) {
    EXPECT_EQ(Page->find(test::HostileName), std::string::npos);
    EXPECT_EQ(Page->find("<b>"), std::string::npos);
    EXPECT_NE(Page->find("&lt;b&gt;Wand&amp;&quot;"), std::string::npos);
}

TEST_F(DiffHtml, DrawsOnTheCharacterAskedForOnly) {
    const TGameDiff Diff = CompareGames(*Old, *New);
    TTempDir Other;
    WriteDiffHtml(Diff, *Old, *New, Other.Path(), 2); // Betty: body group 1, which wears none
    EXPECT_TRUE(test::Entries(Other.Path() + "pictures").size() > 0);
    for (const std::string& Name : test::Entries(Other.Path() + "pictures"))
        EXPECT_EQ(Name.rfind("icon-", 0), 0u) << Name;
    EXPECT_EQ(PictureCharas(Old->Items().Item(1), nullptr, 0), std::vector<int>{0});
    EXPECT_TRUE(PictureCharas(Old->Items().Item(1), nullptr, 1).empty());
    EXPECT_EQ(PictureCharas(Old->Items().Item(1), nullptr, std::nullopt), std::vector<int>{0});
}

} // namespace
