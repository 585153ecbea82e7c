#include "sprites/fileutils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

using namespace pelto;
namespace fs = std::filesystem;

namespace {

class FindFile : public ::testing::Test {
protected:
    FindFile() {
        std::string Pattern = (fs::temp_directory_path() / "pelto-find-XXXXXX").string();
        Root = ::mkdtemp(Pattern.data());
        Dir = Root / "jma";
        fs::create_directory(Dir);
    }
    ~FindFile() override { fs::remove_all(Root); }

    void Touch(const std::string& Name, std::size_t Size = 0) {
        std::ofstream(Dir / Name) << std::string(Size, 'x');
    }
    std::vector<std::string> Found(const std::string& Folder, const std::string& Mask) {
        std::vector<std::string> Names;
        TFindFile::Search(Folder, Mask, [&](const TSearchRec& Rec, bool&) {
            EXPECT_EQ(Rec.Attr & faDirectory, 0);
            Names.push_back(Rec.Name);
        });
        return Names;
    }
    std::string Folder() const { return Dir.string() + "/"; }

    fs::path Root;
    fs::path Dir;
};

std::size_t OpenHandles() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

} // namespace

TEST_F(FindFile, DeliversMatchingFilesInNameOrderIgnoringCase) {
    for (const char* Name : {"b.jma", "C.JMA", "A.jma", "a.jma", "x.jxa", "jma"})
        Touch(Name);
    EXPECT_EQ(Found(Folder(), "*.jma"),
              (std::vector<std::string>{"A.jma", "a.jma", "b.jma", "C.JMA"}));
}

TEST_F(FindFile, SkipsFoldersAndLinksToFolders) {
    Touch("real.jma", 7);
    fs::create_directory(Dir / "sub.jma");
    fs::create_directory_symlink(Dir / "sub.jma", Dir / "link.jma");
    fs::create_symlink(Dir / "real.jma", Dir / "alias.jma");
    fs::create_symlink(Dir / "gone", Dir / "dangling.jma");
    Touch("sub.jma/inner.jma");
    std::vector<TSearchRec> Recs;
    TFindFile::Search(Folder(), "*.jma",
                      [&](const TSearchRec& Rec, bool&) { Recs.push_back(Rec); });
    ASSERT_EQ(Recs.size(), 2u);
    EXPECT_EQ(Recs[0].Name, "alias.jma");
    EXPECT_EQ(Recs[1].Name, "real.jma");
    EXPECT_EQ(Recs[1].Size, 7);
    EXPECT_NE(Recs[1].Time, 0);
}

TEST_F(FindFile, ResolvesTheFolderIgnoringCase) {
    Touch("a.jma");
    EXPECT_EQ(Found(Root.string() + "/JMA/", "*.JMA"), std::vector<std::string>{"a.jma"});
    EXPECT_EQ(Found(Root.string() + "/JMA", "*.jma"), std::vector<std::string>{"a.jma"});
    EXPECT_TRUE(Found(Root.string() + "/none/", "*.jma").empty());
    EXPECT_TRUE(Found((Dir / "a.jma").string(), "*").empty());
}

TEST_F(FindFile, StopsWhenTheCallbackSaysSo) {
    for (const char* Name : {"1.jma", "2.jma", "3.jma"})
        Touch(Name);
    std::vector<std::string> Names;
    TFindFile::Search(Folder(), "*.jma", [&](const TSearchRec& Rec, bool& Continue) {
        Names.push_back(Rec.Name);
        Continue = Names.size() < 2;
    });
    EXPECT_EQ(Names, (std::vector<std::string>{"1.jma", "2.jma"}));
    TFindFile::Search(Folder(), "*.jma", nullptr);
}

TEST_F(FindFile, ClosesTheEnumerationWhenTheCallbackThrows) {
    Touch("1.jma");
    const std::size_t Before = OpenHandles();
    for (int I = 0; I < 3; ++I)
        EXPECT_THROW(
            TFindFile::Search(Folder(), "*.jma",
                              [](const TSearchRec&, bool&) { throw std::runtime_error("stop"); }),
            std::runtime_error);
    EXPECT_EQ(OpenHandles(), Before);
}
