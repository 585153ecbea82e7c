// The session's history of changes of look, and its random outfits over locks.
#include "model/DressingSession.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/ShiftJis.h"
#include "support/DemoGame.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace pelto;

namespace {

// Characters of the demo by body group: Rocco (0), Nina (1), Daniel (2), Iris and Lique (3).
constexpr int Rocco = 0;
constexpr int Nina = 1;
constexpr int Iris = 7;

const TGameData& Game() {
    static const auto Loaded = [] {
        auto Game = std::make_unique<TGameData>(test::DemoGame());
        Game->LoadAll();
        return Game;
    }();
    return *Loaded;
}

std::string SjisToUtf8Name(const TWLOItemData* Item) {
    return SjisToUtf8(Item->Name());
}

class SessionHistory : public ::testing::Test {
protected:
    void SetUp() override {
        Session.OnSlotChange = [this](int Slot) {
            Events.push_back("slot" + std::to_string(Slot));
        };
        Session.OnBodyGroupChange = [this](int Group) {
            Events.push_back("group" + std::to_string(Group) + " picked" +
                             std::to_string(Session.PickedIndex(2)));
        };
        Session.OnStateChange = [this](TSessionChange What) {
            Events.push_back(What == TSessionChange::Look ? "look" : "pose");
        };
    }

    std::string UndoText() { return CaptionText(*Session.Undo()); }
    std::string RedoText() { return CaptionText(*Session.Redo()); }

    TDressingSession Session{Game()};
    std::vector<std::string> Events;
};

} // namespace

TEST_F(SessionHistory, UndoAndRedoWalkEveryChangeOfLookWithItsCaption) {
    Session.SetChara(Rocco);
    EXPECT_FALSE(Session.CanUndo()) << "the first character starts the history";
    std::vector<std::string> Codes{Session.Code()};
    const auto Record = [&] {
        Codes.push_back(Session.Code());
    };
    Session.Pick(1, 1);
    Record();
    const std::string Helm = SjisToUtf8Name(Session.Worn(1));
    Session.SetColor(0, 2, 9);
    Record();
    Session.Strip(1);
    Record();
    Session.ResetColors();
    Record();
    Session.SetChara(Nina);
    Record();
    Session.ApplyCode(Codes[2]);
    Record();

    EXPECT_EQ(Session.UndoCaption().Edit, TLookEdit::Code);
    EXPECT_EQ(UndoText(), "Code applied");
    EXPECT_EQ(Session.Code(), Codes[5]);
    EXPECT_EQ(UndoText(), "Nina");
    EXPECT_EQ(UndoText(), "Default colors");
    EXPECT_EQ(UndoText(), Helm + " off");
    EXPECT_EQ(Session.Code(), Codes[2]);
    EXPECT_EQ(UndoText(), "Color of the head");
    EXPECT_EQ(UndoText(), Helm + " on");
    EXPECT_EQ(Session.Code(), Codes[0]);
    EXPECT_FALSE(Session.CanUndo());
    EXPECT_FALSE(Session.Undo());

    for (std::size_t Step = 1; Step < Codes.size(); ++Step) {
        ASSERT_TRUE(Session.Redo());
        EXPECT_EQ(Session.Code(), Codes[Step]);
    }
    EXPECT_FALSE(Session.CanRedo());
    EXPECT_FALSE(Session.Redo());
}

TEST_F(SessionHistory, ANewChangeAfterAnUndoDropsTheStepsUndone) {
    Session.SetChara(Rocco);
    Session.SetColor(1, 0, 1);
    Session.SetColor(1, 0, 2);
    Session.SetColor(1, 0, 3);
    Session.Undo();
    Session.Undo();
    Session.SetColor(2, 0, 7);
    EXPECT_FALSE(Session.CanRedo());
    EXPECT_EQ(Session.History().Size(), 2u);
    Session.Undo();
    EXPECT_EQ(Session.Color(1, 0), 1);
    EXPECT_EQ(Session.Color(2, 0), 4);
}

TEST_F(SessionHistory, KeepsTheLastHundredSteps) {
    Session.SetChara(Iris);
    for (int Step = 0; Step < 150; ++Step)
        Session.SetColor(Step % 4, 0, static_cast<std::uint8_t>(Step / 4 % 2 ? 2 : 9));
    int Undone = 0;
    while (Session.Undo())
        ++Undone;
    EXPECT_EQ(Undone, 100);
    // Back to the look after step 49: position 1 set by it, position 2 by step 46.
    EXPECT_EQ(Session.Color(1, 0), 9);
    EXPECT_EQ(Session.Color(2, 0), 2);
}

TEST_F(SessionHistory, PosesAndCommandsThatChangeNothingAreNoSteps) {
    Session.SetChara(Iris);
    Session.SetMotion(3);
    Session.SetDirection(1);
    Session.NextFrame();
    Session.SetShadow(true);
    Session.SetBackColor(0x123456);
    Session.SetColor(0, 0, 4); // already 4
    Session.Strip(2);          // already empty
    Session.Pick(3, 99999);    // outside the list
    Session.ApplyCode(Session.Code());
    EXPECT_FALSE(Session.CanUndo());

    Session.SetColor(0, 0, 5);
    Session.SetMotion(5);
    Session.Undo();
    EXPECT_EQ(Session.Motion(), 5) << "an undo leaves the pose";
    EXPECT_EQ(Session.Color(0, 0), 4);
}

TEST_F(SessionHistory, UndoRestoresTheListPositionsAndTellsWhatChanged) {
    Session.SetChara(Rocco);
    Session.Pick(2, 1);
    Session.Pick(4, 1);
    Session.SetChara(Iris); // another group: the items and positions go
    ASSERT_EQ(Session.PickedIndex(2), 0);
    Events.clear();
    EXPECT_EQ(UndoText(), "Iris") << "the step undone";
    // The slots that change in slot order, then the group, whose listeners see the positions
    // restored already.
    EXPECT_EQ(Events, (std::vector<std::string>{"slot2", "slot4", "group0 picked1", "look"}));
    EXPECT_EQ(Session.PickedIndex(2), 1);
    EXPECT_EQ(Session.PickedIndex(4), 1);
    EXPECT_EQ(Session.Worn(2), Session.List(2)[1].Item);

    Events.clear();
    RedoText();
    EXPECT_EQ(Events, (std::vector<std::string>{"slot2", "slot4", "group3 picked0", "look"}));
    Session.Undo();
    Session.Undo(); // the pick of slot 4
    EXPECT_EQ(Session.PickedIndex(4), 0);
    EXPECT_EQ(Session.PickedIndex(2), 1);
}

TEST_F(SessionHistory, FavouritesAreStepsWithTheirName) {
    Session.SetChara(Nina);
    TFavoriteItem Favorite = Session.ToFavorite("Blue day");
    Favorite.Color[1] = {1, 2, 3};
    Session.ApplyFavorite(Favorite);
    EXPECT_EQ(CaptionText(Session.UndoCaption()), "Favorite Blue day");
}

TEST_F(SessionHistory, ARandomOutfitIsOneStepThatKeepsTheLocks) {
    Session.SetChara(Iris);
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        Session.Pick(Slot, 1);
    Session.SetColor(3, 1, 0);
    Session.SetSlotLocked(2, true);
    Session.SetSlotLocked(6, true);
    Session.SetPositionLocked(3, true);
    Session.SetSlotLocked(7, true); // ignored
    const TWLOItemData* Body = Session.Worn(2);
    const TWLOItemData* Special = Session.Worn(6);
    const std::string Before = Session.Code();
    const std::size_t Steps = Session.History().Size();
    for (std::uint64_t Seed = 0; Seed < 20; ++Seed) {
        Session.Randomize(TRandomVary::All, Seed);
        EXPECT_EQ(Session.Worn(2), Body);
        EXPECT_EQ(Session.Worn(6), Special);
        EXPECT_EQ(Session.Color(3, 1), 0);
        EXPECT_EQ(Session.CharaIndex(), Iris);
    }
    EXPECT_EQ(Session.History().Size(), Steps + 20);
    EXPECT_EQ(CaptionText(Session.UndoCaption()), "Random outfit");
    Session.Randomize(TRandomVary::Colors);
    EXPECT_EQ(CaptionText(Session.UndoCaption()), "Random colors");
    for (int I = 0; I < 21; ++I)
        Session.Undo();
    EXPECT_EQ(Session.Code(), Before);

    TOutfitLocks Expected;
    Expected.Slots[1] = Expected.Slots[5] = true;
    Expected.Positions[3] = true;
    EXPECT_EQ(Session.Locks(), Expected);
}

TEST_F(SessionHistory, ARandomOutfitWithoutACharacterChoosesOne) {
    Session.Randomize(TRandomVary::Items, 3);
    EXPECT_GE(Session.CharaIndex(), 0);
    EXPECT_FALSE(Session.CanUndo());
}

TEST(LookHistory, CaptionsSayWhatEachKindOfStepDid) {
    EXPECT_EQ(CaptionText({TLookEdit::Wear, "Knight Helm", 1}), "Knight Helm on");
    EXPECT_EQ(CaptionText({TLookEdit::Strip, "Knight Helm", 1}), "Knight Helm off");
    EXPECT_EQ(CaptionText({TLookEdit::Chara, "Nina"}), "Nina");
    EXPECT_EQ(CaptionText({TLookEdit::Color, "body and body item", 2}),
              "Color of the body and body item");
    EXPECT_EQ(CaptionText({TLookEdit::RandomColors}), "Random colors");
}
