// The Edit menu in the real window: undo and redo through the menu and the keys, random outfits
// over the locks, the locks' marks at every zoom, and the locks kept in the settings file.
#include "ui/EditMenu.h"

#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/LookHistory.h"
#include "platform/ShiftJis.h"
#include "sprites/wlojmajmp.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/UMain.h"
#include "ui/WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

using namespace pelto;
using namespace pelto::test;

namespace {

constexpr int Daniel = 3; // of the body group that wears the demo's Knight Helm

class EditMenu : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([](const QString&) {});
        Window = OpenDemoWindow(Dir.Path(), Daniel);
    }
    void TearDown() override {
        Window.reset();
        SetMessageSink({});
    }

    QAction* Action(const QString& Name) const {
        QAction* Found = Window->findChild<QAction*>(Name);
        EXPECT_NE(Found, nullptr) << Name.toStdString();
        return Found;
    }
    QAction* SlotLock(int Slot) const { return Action(QString("miLockSlot%1").arg(Slot)); }
    QAction* PositionLock(int Position) const {
        return Action(QString("miLockColor%1").arg(Position));
    }
    TImage* SlotMark(int Slot) const {
        return Window->findChild<TImage*>(QString("imgLock%1").arg(Slot));
    }
    TImage* PositionMark(int Position) const {
        return Window->findChild<TImage*>(QString("imgLockColor%1").arg(Position));
    }
    QString Said() const { return Window->statusBar()->currentMessage(); }
    TDressingSession& Session() const { return Window->Session(); }

    // Puts on the entry of the slot's list named Name, through the picker.
    void WearByHand(int Slot, const std::string& Name) {
        const auto& List = Session().List(Slot);
        for (std::size_t Index = 0; Index < List.size(); ++Index)
            if (List[Index].Item && SjisToUtf8(List[Index].Item->Name()) == Name) {
                WithPicker(*Window, Slot, [&] { ClickCell(*Window, static_cast<int>(Index)); });
                ASSERT_EQ(Session().Worn(Slot), List[Index].Item);
                return;
            }
        FAIL() << "no " << Name << " in slot " << Slot;
    }

    // The window shown and active, so that keys reach its shortcuts as a user's do.
    void Activate() {
        Window->show();
        QApplication::setActiveWindow(Window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }
    static void Click(QWidget* Widget) { QTest::mouseClick(Widget, Qt::LeftButton); }
    // To whatever has the focus, as a key the user types.
    void Press(Qt::Key Key, Qt::KeyboardModifiers Modifiers) {
        QWidget* Target = QApplication::focusWidget() ? QApplication::focusWidget() : Window.get();
        QTest::keyClick(Target, Key, Modifiers);
    }

    TTempDir Dir;
    std::unique_ptr<TfrmPelto> Window;
};

TEST_F(EditMenu, ComesInTheDesktopsOrderWithKeysNoOtherCommandTakes) {
    const QList<QAction*> Menus = Window->menuBar()->actions();
    const auto Entries = [](const QAction* Menu) {
        QStringList Texts;
        for (const QAction* Entry : Menu->menu()->actions())
            if (!Entry->isSeparator())
                Texts << Entry->text();
        return Texts;
    };
    QStringList Titles;
    for (const QAction* Menu : Menus)
        Titles << Menu->text();
    EXPECT_EQ(Titles, QStringList({"&File", "&Edit", "&View", "F&avorites", "&Options", "&Help"}));
    ASSERT_EQ(Menus.size(), 6);
    EXPECT_EQ(Entries(Menus[0]), QStringList({"&Save Image As...", "&Export...",
                                              "&Copy Image to Clipboard", "&Exit"}));
    EXPECT_EQ(Entries(Menus[5]), QStringList({"How to &Use", "&Visit Homepage", "&About..."}));

    // All titles on the bar, in the classic window's font.
    Window->show();
    QTest::qWait(10);
    for (QAction* Menu : Menus)
        EXPECT_LE(Window->menuBar()->actionGeometry(Menu).right(), Window->menuBar()->width())
            << Menu->text().toStdString();
    EXPECT_EQ(Window->menuBar()->font().pixelSize(), 12);

    EXPECT_EQ(Entries(Menus[1]),
              QStringList({"&Undo", "&Redo", "Random &Outfit", "Random &Colors", "&Lock",
                           "&Find Item...", "Color S&watches...", "Copy &Code", "&Paste Code"}));
    EXPECT_EQ(Action("miUndo")->shortcuts(), QList<QKeySequence>({QKeySequence("Ctrl+Z")}));
    EXPECT_EQ(Action("miRedo")->shortcuts(),
              QList<QKeySequence>({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
    EXPECT_EQ(Action("miRandomOutfit")->shortcut(), QKeySequence("Ctrl+R"));
    EXPECT_EQ(Action("miRandomColors")->shortcut(), QKeySequence("Ctrl+Shift+R"));

    // Each key is one command's in the whole window.
    std::map<QString, QStringList> Owners;
    for (const QAction* Command : Window->findChildren<QAction*>())
        for (const QKeySequence& Keys : Command->shortcuts())
            Owners[Keys.toString()] << Command->text() + Command->objectName();
    for (const auto& [Keys, Commands] : Owners)
        EXPECT_EQ(Commands.size(), 1)
            << Keys.toStdString() << ": " << Commands.join(", ").toStdString();

    // The slots by their captions, then the colour positions by theirs, all unchecked.
    QStringList Locks;
    for (const QAction* Entry : Window->findChild<QMenu*>("miLock")->actions())
        if (!Entry->isSeparator()) {
            Locks << Entry->text();
            EXPECT_TRUE(Entry->isCheckable());
            EXPECT_FALSE(Entry->isChecked()) << Entry->text().toStdString();
        }
    EXPECT_EQ(Locks, QStringList({"&1 head", "&2 body", "&3 hand", "&4 arm", "&5 shoes",
                                  "&6 special", "Color position 1: head", "Color position 2: body",
                                  "Color position 3: body and body item",
                                  "Color position 4: body and special item"}));
}

TEST_F(EditMenu, UndoesAndRedoesFromTheMenuSayingWhatOnTheStatusLine) {
    QAction* Undo = Action("miUndo");
    QAction* Redo = Action("miRedo");
    EXPECT_FALSE(Undo->isEnabled()) << "the first choice of a character is no step";
    EXPECT_FALSE(Redo->isEnabled());

    WearByHand(1, "Knight Helm");
    const TWLOItemData* Helm = Session().Worn(1);
    EXPECT_TRUE(Undo->isEnabled());
    RightClick(SlotImage(*Window, 1));
    ASSERT_EQ(Session().Worn(1), nullptr);
    EXPECT_TRUE(SlotLabel(*Window, 1)->text().isEmpty());

    Undo->trigger();
    EXPECT_EQ(Said(), "Undo: Knight Helm off");
    EXPECT_EQ(Session().Worn(1), Helm);
    EXPECT_EQ(SlotLabel(*Window, 1)->text(), "Knight Helm") << "the slot is redrawn";
    EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Session().Code());
    EXPECT_TRUE(Redo->isEnabled());

    Undo->trigger();
    EXPECT_EQ(Said(), "Undo: Knight Helm on");
    EXPECT_EQ(Session().Worn(1), nullptr);
    EXPECT_FALSE(Undo->isEnabled()) << "back at the first step";

    Redo->trigger();
    EXPECT_EQ(Said(), "Redo: Knight Helm on");
    EXPECT_EQ(Session().Worn(1), Helm);
    EXPECT_TRUE(Redo->isEnabled());

    // A change after an undo drops what could be redone.
    Click(StepButton(*Window, 0, true));
    EXPECT_FALSE(Redo->isEnabled());
    Undo->trigger();
    EXPECT_EQ(Said(), "Undo: Color of the head");
}

TEST_F(EditMenu, WalksTheHistoryWithTheKeysAndLeavesTheCodeBoxItsOwnTyping) {
    Activate();
    const std::string Start = Session().Code();
    Click(DefaultButton(*Window)); // no change: no step
    Click(StepButton(*Window, 1, false));
    Click(StepButton(*Window, 1, false));
    const std::string Stepped = Session().Code();

    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Session().Code(), Start);
    EXPECT_EQ(Said(), "Undo: Color of the head");
    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Session().Code(), Stepped);
    EXPECT_EQ(Said(), "Redo: Color of the head");

    // In the code box as it was written, the keys walk the character; once typed into, the
    // typing.
    QLineEdit* Box = CodeBox(*Window);
    Box->setFocus();
    ASSERT_TRUE(Box->hasFocus());
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Session().Color(0, 1), 3);
    EXPECT_EQ(Box->text().toStdString(), Session().Code());
    Box->end(false);
    QTest::keyClicks(Box, "xy");
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Box->text().toStdString(), Session().Code()) << "the typing went";
    EXPECT_EQ(Session().Color(0, 1), 3) << "the character stayed";
}

TEST_F(EditMenu, RandomOutfitsKeepTheLockedSlotsAndPositions) {
    WearByHand(1, "Knight Helm");
    SlotLock(1)->trigger();
    SlotLock(6)->trigger(); // empty, and kept so
    PositionLock(2)->trigger();
    Click(StepButton(*Window, 0, true)); // position 0 is not locked
    const TWLOItemData* Helm = Session().Worn(1);
    const std::array<int, 3> Kept{Session().Color(2, 0), Session().Color(2, 1),
                                  Session().Color(2, 2)};

    std::set<const TWLOItemData*> Bodies;
    std::set<int> Reds;
    for (int Round = 0; Round < 12; ++Round) {
        Action("miRandomOutfit")->trigger();
        ASSERT_EQ(Session().Worn(1), Helm);
        ASSERT_EQ(Session().Worn(6), nullptr);
        for (int Channel = 0; Channel < 3; ++Channel)
            ASSERT_EQ(Session().Color(2, Channel), Kept[static_cast<std::size_t>(Channel)]);
        ASSERT_EQ(Session().CharaIndex(), Daniel);
        Bodies.insert(Session().Worn(2));
        Reds.insert(Session().Color(0, 0));
    }
    EXPECT_GT(Bodies.size(), 1u) << "the unlocked slots change";
    EXPECT_GT(Reds.size(), 1u) << "and the unlocked colors";
    EXPECT_EQ(SlotLabel(*Window, 2)->text().toStdString(), SjisToUtf8(Session().Worn(2)->Name()));
    EXPECT_TRUE(SlotLock(1)->isChecked()) << "the locks stay";

    // Random colours leave every item on.
    std::array<const TWLOItemData*, 7> Worn{};
    for (int Slot = 1; Slot <= 6; ++Slot)
        Worn[static_cast<std::size_t>(Slot)] = Session().Worn(Slot);
    for (int Round = 0; Round < 5; ++Round)
        Action("miRandomColors")->trigger();
    for (int Slot = 1; Slot <= 6; ++Slot)
        EXPECT_EQ(Session().Worn(Slot), Worn[static_cast<std::size_t>(Slot)]) << Slot;
    EXPECT_EQ(Session().Color(2, 0), Kept[0]);
    Action("miUndo")->trigger();
    EXPECT_EQ(Said(), "Undo: Random colors");
    for (int Round = 0; Round < 4; ++Round)
        Action("miUndo")->trigger();
    Action("miUndo")->trigger();
    EXPECT_EQ(Said(), "Undo: Random outfit");
}

TEST_F(EditMenu, WithoutACharacterOnlyARandomOutfitIsOffered) {
    Window.reset();
    std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << DemoGame() << "\n";
    TStartupOptions Options;
    Options.SettingsFile = Dir.File("pelto.ini");
    Window = std::make_unique<TfrmPelto>(Options);
    ASSERT_EQ(Session().CharaIndex(), -1);
    emit Window->findChild<QMenu*>("miEdit")->aboutToShow();
    EXPECT_FALSE(Action("miUndo")->isEnabled());
    EXPECT_FALSE(Action("miRedo")->isEnabled());
    EXPECT_FALSE(Action("miRandomColors")->isEnabled());
    ASSERT_TRUE(Action("miRandomOutfit")->isEnabled());

    Action("miRandomOutfit")->trigger();
    ASSERT_GE(Session().CharaIndex(), 0);
    EXPECT_EQ(CharaBox(*Window)->currentIndex(), Session().CharaIndex());
    EXPECT_TRUE(Action("miRandomColors")->isEnabled());
    EXPECT_FALSE(Action("miUndo")->isEnabled()) << "a first character is no step";
    EXPECT_FALSE(CodeBox(*Window)->text().isEmpty());
}

TEST_F(EditMenu, MarksTheLockedSlotsAndPositionsBesideTheirCaptionsAtEveryZoom) {
    for (int Slot = 1; Slot <= 6; ++Slot)
        EXPECT_FALSE(SlotMark(Slot)->isVisibleTo(Window.get())) << Slot;
    for (int Position = 0; Position < 4; ++Position)
        EXPECT_FALSE(PositionMark(Position)->isVisibleTo(Window.get())) << Position;

    SlotLock(2)->trigger();
    SlotLock(5)->trigger();
    PositionLock(3)->trigger();
    for (int Slot = 1; Slot <= 6; ++Slot)
        EXPECT_EQ(SlotMark(Slot)->isVisibleTo(Window.get()), Slot == 2 || Slot == 5) << Slot;
    for (int Position = 0; Position < 4; ++Position)
        EXPECT_EQ(PositionMark(Position)->isVisibleTo(Window.get()), Position == 3) << Position;
    EXPECT_TRUE(Session().Locks().Slot(2));
    EXPECT_TRUE(Session().Locks().Position(3));
    EXPECT_TRUE(SlotImage(*Window, 2)->toolTip().endsWith("random outfits leave it as it is"));
    EXPECT_FALSE(SlotImage(*Window, 1)->toolTip().contains("Locked"));

    for (const int Zoom : {1, 2, 3}) {
        Window->SetZoom(Zoom);
        ASSERT_EQ(Window->Zoom(), Zoom);
        // Between the slot's picture and its caption, grown with the window, drawn pixel for
        // pixel: the glyph's pixels as Zoom x Zoom blocks.
        TImage* Mark = SlotMark(5);
        const QRect Picture = SlotImage(*Window, 5)->geometry();
        EXPECT_EQ(Mark->size(), QSize(7, 10) * Zoom);
        EXPECT_GE(Mark->x(), Picture.right() + 1) << Zoom;
        EXPECT_LE(Mark->geometry().right() + 1, 274 * Zoom) << "clear of the caption";
        EXPECT_GE(Mark->y(), Picture.top());
        EXPECT_LE(Mark->geometry().bottom(), Picture.bottom() + 2 * Zoom);
        const QImage Shown = Mark->grab().toImage();
        const QColor Outline = Shown.pixelColor(0, 3 * Zoom);
        for (int Y = 0; Y < Zoom; ++Y)
            for (int X = 0; X < Zoom; ++X)
                EXPECT_EQ(Shown.pixelColor(X, 3 * Zoom + Y), Outline) << Zoom;
        EXPECT_NE(Outline, Shown.pixelColor(3 * Zoom, 4 * Zoom)) << "outline and brass";
        // A position's mark lies on its icon, which takes the clicks.
        const TImage* Icon = ColorImage(*Window, 3);
        EXPECT_TRUE(Icon->geometry().contains(PositionMark(3)->geometry())) << Zoom;
        EXPECT_TRUE(PositionMark(3)->testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    // Unchecked, the mark goes; checked states and marks follow the session.
    SlotLock(2)->trigger();
    EXPECT_FALSE(SlotMark(2)->isVisibleTo(Window.get()));
    EXPECT_FALSE(Session().Locks().Slot(2));
    EXPECT_FALSE(SlotLock(2)->isChecked());
}

TEST_F(EditMenu, ARightClickOnALockedSlotStillTakesItsItemOffAndTheLockStays) {
    WearByHand(1, "Knight Helm");
    SlotLock(1)->trigger();
    RightClick(SlotLabel(*Window, 1));
    EXPECT_EQ(Session().Worn(1), nullptr);
    EXPECT_TRUE(SlotLabel(*Window, 1)->text().isEmpty());
    EXPECT_TRUE(SlotLock(1)->isChecked());
    EXPECT_TRUE(SlotMark(1)->isVisibleTo(Window.get()));
    EXPECT_TRUE(Session().Locks().Slot(1));
    // The empty slot is what the lock keeps now.
    Action("miRandomOutfit")->trigger();
    EXPECT_EQ(Session().Worn(1), nullptr);
    // And undo brings the item back, locked or not.
    Action("miUndo")->trigger();
    Action("miUndo")->trigger();
    EXPECT_EQ(Said(), "Undo: Knight Helm off");
    ASSERT_NE(Session().Worn(1), nullptr);
}

TEST_F(EditMenu, KeepsTheLocksInTheSettingsFileAndShowsThemAtTheNextStart) {
    SlotLock(1)->trigger();
    SlotLock(6)->trigger();
    PositionLock(0)->trigger();
    PositionLock(2)->trigger();
    Window.reset();
    const std::string Written = ReadText(Dir.File("pelto.ini"));
    EXPECT_NE(Written.find("lockslots=1,6\n"), std::string::npos) << Written;
    EXPECT_NE(Written.find("lockcolors=0,2\n"), std::string::npos) << Written;

    TStartupOptions Options;
    Options.SettingsFile = Dir.File("pelto.ini");
    Window = std::make_unique<TfrmPelto>(Options);
    for (int Slot = 1; Slot <= 6; ++Slot) {
        const bool Locked = Slot == 1 || Slot == 6;
        EXPECT_EQ(Session().Locks().Slot(Slot), Locked) << Slot;
        EXPECT_EQ(SlotLock(Slot)->isChecked(), Locked) << Slot;
        EXPECT_EQ(SlotMark(Slot)->isVisibleTo(Window.get()), Locked) << Slot;
    }
    for (int Position = 0; Position < 4; ++Position) {
        const bool Locked = Position == 0 || Position == 2;
        EXPECT_EQ(PositionLock(Position)->isChecked(), Locked) << Position;
        EXPECT_EQ(PositionMark(Position)->isVisibleTo(Window.get()), Locked) << Position;
    }

    // All unlocked again is kept too.
    for (const int Slot : {1, 6})
        SlotLock(Slot)->trigger();
    for (const int Position : {0, 2})
        PositionLock(Position)->trigger();
    Window.reset();
    const std::string Cleared = ReadText(Dir.File("pelto.ini"));
    EXPECT_NE(Cleared.find("lockslots=\n"), std::string::npos) << Cleared;
    EXPECT_NE(Cleared.find("lockcolors=\n"), std::string::npos) << Cleared;
}

TEST(StepCaptionText, SaysEveryKindOfStepInTheModelsEnglish) {
    const std::vector<TStepCaption> Captions{{TLookEdit::Chara, "Nina"},
                                             {TLookEdit::Wear, "Knight Helm", 1},
                                             {TLookEdit::Strip, "Knight Helm", 1},
                                             {TLookEdit::Color, "body and body item", 2},
                                             {TLookEdit::ResetColors},
                                             {TLookEdit::Code},
                                             {TLookEdit::Favorite, "Party"},
                                             {TLookEdit::RandomOutfit},
                                             {TLookEdit::RandomColors}};
    for (const TStepCaption& Caption : Captions)
        EXPECT_EQ(StepCaptionText(Caption).toStdString(), CaptionText(Caption));
}

} // namespace
