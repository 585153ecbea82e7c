// The service draws from the game as it was when it started: the files changing or going
// under it change no picture.
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "service/RenderService.h"
#include "sprites/SpriteFiles.h"
#include "sprites/wlojmajmp.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pelto;
using namespace pelto::service;
using pelto::test::TTempDir;

namespace {

std::string CodeOf(const TGameData& Game, int Chara) {
    TDressingSession Session(Game);
    Session.SetChara(Chara);
    Session.Pick(2, 1);
    return Session.Code();
}

TServiceResponse Render(TRenderService& Service, const std::string& Code) {
    return Service.Handle({"/render.png", {{"code", Code}}, ""});
}

} // namespace

TEST(GameSnapshot, PicturesStayTheSameWhenTheArchivesGoOrAreReplaced) {
    TTempDir Copy;
    std::filesystem::copy(test::DemoGame(), Copy.Path(), std::filesystem::copy_options::recursive);
    TGameData Game(Copy.Path());
    Game.LoadAll();
    Game.SnapshotSprites(std::size_t{64} << 20);
    TRenderService Service(Game, {});

    TGameData Original(test::DemoGame());
    Original.LoadAll();
    TRenderService Reference(Original, {});

    const std::string Jma = Copy.Path() + std::string(JmaFolderName);
    const std::vector<std::filesystem::path> Archives(std::filesystem::directory_iterator(Jma),
                                                      std::filesystem::directory_iterator{});
    // Replaced by a file of another content (the first archive in place of every other), then
    // gone altogether: nothing drawn before from any of them, so nothing comes from a cache.
    for (const auto& Archive : Archives)
        if (Archive != Archives.front())
            std::filesystem::copy_file(Archives.front(), Archive,
                                       std::filesystem::copy_options::overwrite_existing);
    for (const int Chara : {0, 4}) {
        const auto Answer = Render(Service, CodeOf(Game, Chara));
        ASSERT_EQ(Answer.Status, 200) << Answer.Body;
        EXPECT_TRUE(Answer.Body == Render(Reference, CodeOf(Game, Chara)).Body) << Chara;
    }
    std::filesystem::remove_all(Jma);
    for (const int Chara : {7, 12}) {
        const auto Answer = Render(Service, CodeOf(Game, Chara));
        ASSERT_EQ(Answer.Status, 200) << Answer.Body;
        EXPECT_TRUE(Answer.Body == Render(Reference, CodeOf(Game, Chara)).Body) << Chara;
    }
}

TEST(GameSnapshot, ADamagedArchiveOrAMissingIndexIsRefusedAtOnceNamingTheFile) {
    // An index gone, and an archive cut short after its directory (as a copy under way leaves
    // it): either is refused when the files are read, not at the first picture that needs them.
    for (const bool CutShort : {false, true}) {
        TTempDir Copy;
        std::filesystem::copy(test::DemoGame(), Copy.Path(),
                              std::filesystem::copy_options::recursive);
        const std::string Jma = Copy.Path() + std::string(JmaFolderName);
        std::filesystem::path Largest;
        for (const auto& Entry : std::filesystem::directory_iterator(Jma))
            if (Entry.path().extension() == ".jma" &&
                (Largest.empty() || Entry.file_size() > std::filesystem::file_size(Largest)))
                Largest = Entry.path();
        ASSERT_FALSE(Largest.empty());
        const std::filesystem::path Damaged =
            CutShort ? Largest : Largest.replace_extension(".jxa");
        if (CutShort)
            std::filesystem::resize_file(Damaged, std::filesystem::file_size(Damaged) / 2);
        else
            std::filesystem::remove(Damaged);
        TJmaList List;
        List.Scan(Jma, "*.jma");
        ASSERT_TRUE(List.Failures().empty()) << "the directory itself is whole";
        try {
            TSpriteFiles Files(List);
            FAIL() << Damaged << " was taken";
        } catch (const EWloError& Error) {
            EXPECT_EQ(Error.FileName(), Damaged.string());
        }
    }
}

TEST(GameSnapshot, TheFilesHeldAreEveryArchiveAndIndexWithTheirBytes) {
    TJmaList List;
    List.Scan(test::DemoGame() + std::string(JmaFolderName), "*.jma");
    const TSpriteFiles Files(List);
    std::size_t Bytes = 0;
    for (const auto& [Path, Sprites] : Files.Files()) {
        EXPECT_EQ(Sprites.Archive, ReadFileBytes(Path));
        EXPECT_EQ(Sprites.Index, ReadFileBytes(ChangeFileExt(Path, ".jxa")));
        Bytes += Sprites.Archive.size() + Sprites.Index.size();
    }
    EXPECT_FALSE(Files.Files().empty());
    EXPECT_EQ(Files.Bytes(), Bytes);
    const std::string FirstSprite = List.Line(0).substr(0, List.Line(0).find('='));
    const auto* Held = Files.Find(List.GetJmaPath(FirstSprite));
    ASSERT_NE(Held, nullptr);
    EXPECT_FALSE(Held->Archive.empty());
    EXPECT_EQ(Files.Find("nowhere.jma"), nullptr);
}
