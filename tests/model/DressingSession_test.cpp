#include "model/DressingSession.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <numeric>
#include <vector>

using namespace pelto;

namespace {

// Characters of the demo by body group: Rocco (0), Nina (1), Daniel (2), Iris and Lique (3).
constexpr int Rocco = 0;
constexpr int Nina = 1;
constexpr int Daniel = 3;
constexpr int Iris = 7;
constexpr int Lique = 8;

class DressingSession : public ::testing::Test {
protected:
    void SetUp() override {
        Session.OnSlotChange = [this](int Slot) {
            Events.push_back("slot" + std::to_string(Slot));
        };
        Session.OnBodyGroupChange = [this](int Group) {
            Events.push_back("group" + std::to_string(Group));
        };
        Session.OnStateChange = [this](TSessionChange What) {
            Events.push_back(What == TSessionChange::Look ? "look" : "pose");
        };
    }

    // Replaces the archive holding Sprite by its first bytes: listed, but no longer loadable.
    void DamageArchiveOf(int SpriteNo) {
        const std::string Path = Game.JmaList().GetJmaPath(JmpFileName(SpriteNo));
        ASSERT_FALSE(Path.empty());
        const std::vector<std::uint8_t> Bytes = ReadFileBytes(Path);
        std::filesystem::remove(Path);
        WriteFileBytes(Path, std::span(Bytes).first(40));
    }

    // Everything a failed change must leave as it was.
    struct TState {
        std::string Code;
        std::vector<int> Picked;
        std::vector<std::uint8_t> Pixels;
        bool operator==(const TState&) const = default;
    };
    TState State() {
        TState S{Session.Code(), {}, {}};
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            S.Picked.push_back(Session.PickedIndex(Slot));
        const TBitmap& Canvas = Session.Canvas();
        for (int Y = 0; Y < Canvas.Height(); ++Y)
            S.Pixels.insert(S.Pixels.end(), Canvas.ScanLine(Y),
                            Canvas.ScanLine(Y) + Canvas.Stride());
        return S;
    }

    void ExpectNothingChangedBy(const std::function<void()>& Change) {
        const TState Before = State();
        Events.clear();
        EXPECT_ANY_THROW(Change());
        EXPECT_TRUE(Events.empty());
        EXPECT_TRUE(State() == Before);
    }

    // Rocco in the first item of every slot, recoloured, with the list positions picked.
    void DressRocco() {
        Session.SetChara(Rocco);
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            Session.Pick(Slot, 1);
        Session.SetColor(1, 0, 7);
        Session.SetColor(2, 2, 1);
    }

    static TGameData& Loaded(TGameData& Game) {
        Game.LoadAll();
        return Game;
    }
    static std::string Linked(const std::string& Folder) {
        test::LinkTree(test::DemoGame(), Folder);
        return Folder;
    }

    test::TTempDir Dir;
    std::string Folder = Linked(Dir.Path() + "game/");
    TGameData Game{Folder};
    TDressingSession Session{Loaded(Game)};
    std::vector<std::string> Events;
};

} // namespace

TEST_F(DressingSession, RemembersPicksUntilTheBodyGroupChanges) {
    DressRocco();
    for (int Slot = 1; Slot <= SlotCount; ++Slot) {
        EXPECT_EQ(Session.PickedIndex(Slot), 1);
        EXPECT_EQ(Session.Worn(Slot), Session.List(Slot)[1].Item);
    }
    Session.Strip(3);
    EXPECT_EQ(Session.PickedIndex(3), 0);
    EXPECT_EQ(Session.Worn(3), nullptr);

    // Outside the list, and before any character, a pick changes nothing.
    Session.Pick(2, static_cast<int>(Session.List(2).size()));
    Session.Pick(2, -1);
    EXPECT_EQ(Session.PickedIndex(2), 1);

    // Codes and favourites put items on without moving the picks.
    const std::string Code = Session.Code();
    Session.Pick(1, 2);
    Session.ApplyCode(Code);
    EXPECT_EQ(Session.PickedIndex(1), 2);
    EXPECT_EQ(Session.Code(), Code);

    Session.SetChara(Nina); // another group: the items go, and so do the picks
    for (int Slot = 1; Slot <= SlotCount; ++Slot) {
        EXPECT_EQ(Session.PickedIndex(Slot), 0);
        EXPECT_EQ(Session.Worn(Slot), nullptr);
    }
    Session.Pick(4, 1);
    Session.SetChara(Iris);
    Session.Pick(4, 1);
    Session.SetChara(Lique); // same group: both stay
    EXPECT_EQ(Session.PickedIndex(4), 1);
    EXPECT_NE(Session.Worn(4), nullptr);
}

TEST_F(DressingSession, TellsWhatEachCommandChanged) {
    Session.SetChara(Rocco);
    Events.clear();
    Session.Pick(2, 1);
    EXPECT_EQ(Events, (std::vector<std::string>{"slot2", "look"}));
    Events.clear();
    Session.SetColor(0, 0, 9);
    Session.NextFrame();
    Session.SetDirection(2);
    Session.SetShadow(true);
    EXPECT_EQ(Events, (std::vector<std::string>{"look", "pose", "pose", "pose"}));
    Events.clear();
    Session.SetChara(Daniel);
    EXPECT_EQ(Events, (std::vector<std::string>{"slot2", "group2", "look"}));
}

TEST_F(DressingSession, TellsTheActionAndFramesOfEveryPoseWithoutChangingItsOwn) {
    EXPECT_EQ(Session.FrameTable()[3][5].Frames, 0) << "no character, no frames";
    DressRocco();
    Session.SetMotion(2);
    Session.SetDirection(6);
    const std::vector<TMotionFrames> Table = Session.FrameTable();
    ASSERT_EQ(Table.size(), MotionActions.size());
    EXPECT_EQ(Session.Motion(), 2);
    EXPECT_EQ(Session.Direction(), 6);
    // What posing the session shows, pose by pose.
    TDressingSession Posed(Game);
    Posed.SetChara(Rocco);
    for (std::uint8_t Motion = 0; Motion < Table.size(); ++Motion)
        for (std::uint8_t Direction = 0; Direction < 8; ++Direction) {
            Posed.SetMotion(Motion);
            Posed.SetDirection(Direction);
            EXPECT_EQ(Table[Motion][Direction].Action, Posed.Chara().Action());
            EXPECT_EQ(Table[Motion][Direction].Frames, Posed.FrameCount());
        }
}

TEST_F(DressingSession, StepsColourLevelsWithinTheirRange) {
    Session.SetChara(Rocco);
    Session.StepColor(3, 2, 1);
    EXPECT_EQ(Session.Color(3, 2), 5);
    for (int I = 0; I < 12; ++I)
        Session.StepColor(3, 2, -1);
    EXPECT_EQ(Session.Color(3, 2), 0);
    Events.clear();
    Session.StepColor(3, 2, -1); // already at the bottom: not even a redraw
    EXPECT_TRUE(Events.empty());
}

TEST_F(DressingSession, KeepsFavouritesAsCodesKeepThem) {
    DressRocco();
    const TFavoriteItem Favorite = Session.ToFavorite("Mine");
    EXPECT_TRUE(Favorite.Used);
    EXPECT_EQ(Favorite.Name, "Mine");
    const std::string Code = Session.Code();

    TDressingSession Other(Game);
    Other.ApplyFavorite(Favorite);
    EXPECT_EQ(Other.Code(), Code);

    // Values out of range, as a settings file may hold them, are passed over one by one.
    TFavoriteItem Odd = Favorite;
    Odd.Chara = 99;
    Odd.Color[0][0] = 200;
    Odd.Parts[0] = 65535;
    Other.ApplyFavorite(Odd);
    EXPECT_EQ(Other.CharaIndex(), Rocco);
    EXPECT_EQ(Other.Color(0, 0), Session.Color(0, 0));
    EXPECT_EQ(Other.Worn(1), nullptr);
    EXPECT_EQ(Other.Worn(2), Session.Worn(2));

    TDressingSession Fresh(Game);
    Fresh.ApplyFavorite(Odd); // no character anywhere: nothing to put on
    EXPECT_EQ(Fresh.CharaIndex(), -1);
    EXPECT_EQ(Fresh.Code(), "");
}

TEST_F(DressingSession, CarriesTheCharacterItsPoseBackgroundAndShadowOver) {
    DressRocco();
    Session.SetMotion(3);
    Session.SetDirection(6);
    Session.SetBackColor(0x123456);
    Session.SetShadow(!Session.Chara().Shadow());
    TDressingSession Other(Game);
    Other.CarryOver(Session);
    EXPECT_EQ(Other.Code(), Session.Code());
    EXPECT_EQ(Other.Motion(), 3);
    EXPECT_EQ(Other.Direction(), 6);
    EXPECT_EQ(Other.Chara().BackColor(), 0x123456u);
    EXPECT_EQ(Other.Chara().Shadow(), Session.Chara().Shadow());
    // The picks are the other session's own: a code never moves them.
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        EXPECT_EQ(Other.PickedIndex(Slot), 0);
    const TBitmap& Mine = Session.Canvas();
    const TBitmap& Theirs = Other.Canvas();
    EXPECT_TRUE(std::equal(Mine.ScanLine(0), Mine.ScanLine(0) + Mine.Stride() * Mine.Height(),
                           Theirs.ScanLine(0)));
}

TEST_F(DressingSession, CarriesNoCharacterOverWhenNoneIsChosen) {
    Session.SetBackColor(0x00FF00);
    TDressingSession Other(Game);
    Other.CarryOver(Session);
    EXPECT_EQ(Other.CharaIndex(), -1);
    EXPECT_EQ(Other.Code(), "");
    EXPECT_EQ(Other.Chara().BackColor(), 0x00FF00u);
}

TEST_F(DressingSession, ACharacterTheOtherGameCannotShowKeepsOnlyTheBackgroundAndShadow) {
    DressRocco();
    Session.SetMotion(2);
    Session.SetBackColor(0x0000FF);
    Session.SetShadow(!Session.Chara().Shadow());
    DamageArchiveOf(BodySpriteNo(Rocco)); // Rocco is drawn already; another session reads it
    TDressingSession Other(Game);
    EXPECT_ANY_THROW(Other.CarryOver(Session));
    EXPECT_EQ(Other.CharaIndex(), -1);
    EXPECT_EQ(Other.Motion(), 0);
    EXPECT_EQ(Other.Chara().BackColor(), 0x0000FFu);
    EXPECT_EQ(Other.Chara().Shadow(), Session.Chara().Shadow());
}

TEST_F(DressingSession, SumsTheBonusesOfTheWornItemsPerType) {
    Session.SetChara(Rocco);
    EXPECT_TRUE(Session.StatusLines().empty());
    const auto Wear = [&](int Slot, std::uint16_t Id) {
        Session.Wear(Slot, Game.EquipList()->FindItem(0, Slot, Id));
        ASSERT_NE(Session.Worn(Slot), nullptr);
    };
    Wear(1, 1013); // HP +30, SP +30
    Wear(2, 2014); // HP +20
    Wear(4, 4013); // DEF +1, HP +5
    Wear(6, 6002); // HP +10, the shooting resistance +3
    EXPECT_EQ(Session.StatusLines(),
              (std::vector<std::string>{"  HP+65", "  SP+30", " DEF+1", "射撃対抗力(%)+3"}));
    Wear(6, 6014); // MATK +5, HP -10
    EXPECT_EQ(Session.StatusLines(),
              (std::vector<std::string>{"  HP+45", "  SP+30", " DEF+1", "MATK+5"}));
}

TEST_F(DressingSession, ACharacterChangeThatCannotLoadItsSpritesChangesNothing) {
    DressRocco();
    DamageArchiveOf(BodySpriteNo(Daniel));
    ExpectNothingChangedBy([&] { Session.SetChara(Daniel); });
    EXPECT_EQ(Session.CharaIndex(), Rocco);
}

TEST_F(DressingSession, AHeadThatCannotLoadKeepsTheCharacterOfTheSameGroup) {
    Session.SetChara(Iris);
    Session.Pick(2, 1);
    Session.SetColor(3, 1, 8);
    DamageArchiveOf(HeadSpriteNo(Lique));
    ExpectNothingChangedBy([&] { Session.SetChara(Lique); });
    EXPECT_EQ(Session.Color(3, 1), 8);
}

TEST_F(DressingSession, AnItemThatCannotLoadLeavesItsSlotAsItWas) {
    DressRocco();
    Session.Strip(2);
    DamageArchiveOf(Session.List(2)[1].Item->SpriteNo(0));
    ExpectNothingChangedBy([&] { Session.Pick(2, 1); });
    ExpectNothingChangedBy([&] { Session.Wear(2, Session.List(2)[1].Item); });
    EXPECT_EQ(Session.PickedIndex(2), 0);
}

TEST_F(DressingSession, ACodeOrFavouriteThatCannotLoadChangesNothing) {
    Session.SetChara(Iris);
    Session.Pick(1, 1);
    const std::string IrisCode = Session.Code();
    const TFavoriteItem IrisFavorite = Session.ToFavorite("Iris");
    DressRocco();
    DamageArchiveOf(BodySpriteNo(Iris));
    ExpectNothingChangedBy([&] { Session.ApplyCode(IrisCode); });
    ExpectNothingChangedBy([&] { Session.ApplyFavorite(IrisFavorite); });
    ExpectNothingChangedBy([&] { Session.ApplyCode("not a code"); });
}

TEST_F(DressingSession, SaysWhichSpritesTheCatalogueLacks) {
    Session.SetChara(Rocco);
    EXPECT_TRUE(Session.MissingSprites().empty());
    // A catalogue without the characters' archives: the character is chosen, and named.
    TGameData Bare(Folder);
    std::filesystem::remove(Folder + "jma/head02.jma");
    Bare.LoadAll();
    TDressingSession Other(Bare);
    Other.SetChara(Iris);
    EXPECT_EQ(Other.CharaIndex(), Iris);
    EXPECT_EQ(Other.MissingSprites(), std::vector<std::string>{JmpFileName(HeadSpriteNo(Iris))});
}

TEST_F(DressingSession, GameNamesTheCharactersWhoseBodyOrHeadTheCatalogueLacks) {
    EXPECT_TRUE(Game.CharasMissingSprites().empty());
    const auto MissingAfterRemoving = [&](const std::string& Archive) {
        std::filesystem::remove(Folder + "jma/" + Archive);
        TGameData Damaged(Folder);
        Damaged.ScanSprites();
        return Damaged.CharasMissingSprites();
    };
    // The bodies of groups 2 and 3: every character from Daniel on.
    EXPECT_EQ(MissingAfterRemoving("chara02.jma"),
              (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    // And the heads of the first seven characters, Rocco to Kurogane Juzo: all of them.
    std::vector<int> All(CharaData.size());
    std::iota(All.begin(), All.end(), 0);
    EXPECT_EQ(MissingAfterRemoving("head01.jma"), All);
}

namespace {

std::vector<std::uint8_t> Pixels(const TBitmap& Canvas) {
    std::vector<std::uint8_t> Bytes;
    for (int Y = 0; Y < Canvas.Height(); ++Y)
        Bytes.insert(Bytes.end(), Canvas.ScanLine(Y), Canvas.ScanLine(Y) + Canvas.Stride());
    return Bytes;
}

} // namespace

TEST_F(DressingSession, PreviewShowsATryOnInEveryPoseAndLeavesTheDesignAlone) {
    DressRocco();
    struct TCase {
        const char* Name;
        std::function<TTryOn()> TryOn;
        std::function<void(TDressingSession&)> ForReal; // the same look, worn
        bool StatusChanges;
    };
    const TCase Cases[] = {
        {"item",
         [&] {
             return TItemTryOn{3, Session.List(3)[2].Item};
         },
         [](TDressingSession& S) { S.Pick(3, 2); }, true},
        {"empty slot",
         [] {
             return TItemTryOn{2, nullptr};
         },
         [](TDressingSession& S) { S.Strip(2); }, true},
        {"colour level",
         [] {
             return TLevelTryOn{1, 0, 2};
         },
         [](TDressingSession& S) { S.SetColor(1, 0, 2); }, false},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const TState Before = State();
        const std::uint8_t Direction = Session.Direction();
        const int Frame = Session.Frame();
        const std::vector<std::string> Status = Session.StatusLines();
        const std::size_t Steps = Session.History().Size();
        std::vector<int> WornBefore;
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            WornBefore.push_back(Session.WornIndex(Slot));

        TDressingSession Worn(Game);
        Worn.ApplyCode(Session.Code());
        Case.ForReal(Worn);
        Session.Preview(Case.TryOn());
        for (const std::uint8_t Turn : {std::uint8_t{4}, std::uint8_t{1}}) {
            Session.SetDirection(Turn);
            Worn.SetDirection(Turn);
            Session.NextFrame();
            Worn.NextFrame();
            EXPECT_EQ(Pixels(Session.Canvas()), Pixels(Worn.Canvas()));
        }
        Session.SetDirection(Direction);
        Session.SetFrame(Frame);
        EXPECT_EQ(Session.StatusLines() != Status, Case.StatusChanges);
        EXPECT_EQ(Session.StatusLines(), Worn.StatusLines());
        EXPECT_EQ(Session.ShownColor(1, 0), Worn.Color(1, 0));
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            EXPECT_EQ(Session.ShownItem(Slot), Worn.Worn(Slot)) << Slot;

        std::vector<int> WornNow;
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            WornNow.push_back(Session.WornIndex(Slot));
        EXPECT_EQ(WornNow, WornBefore);
        EXPECT_EQ(Session.History().Size(), Steps);
        EXPECT_TRUE(Session.Previewed().has_value());

        Session.EndPreview();
        EXPECT_TRUE(State() == Before); // the code, the picks and the exact pixels
        EXPECT_EQ(Session.StatusLines(), Status);
    }
}

TEST_F(DressingSession, AChangeOfLookEndsThePreviewFirst) {
    DressRocco();
    const std::vector<std::function<void()>> Changes = {
        [&] { Session.SetColor(0, 1, 8); },
        [&] { Session.Undo(); },
        [&] { Session.Pick(4, 2); },
    };
    for (const auto& Change : Changes) {
        Session.Preview(TItemTryOn{3, Session.List(3)[2].Item});
        Events.clear();
        Change();
        EXPECT_FALSE(Session.Previewed().has_value());
        EXPECT_EQ(Events.front(), "slot3"); // the label of the slot tried on shows its own item
        TDressingSession Worn(Game);
        Worn.ApplyCode(Session.Code());
        EXPECT_EQ(Pixels(Session.Canvas()), Pixels(Worn.Canvas()));
    }
}
