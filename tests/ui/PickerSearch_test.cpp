// Finding items in the picker: typing filters it, the keys move a cursor, the wheel scrolls.
#include "controls/EquipListBox.h"
#include "controls/PopupPanel.h"
#include "controls/Widgets.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/ItemSearch.h"
#include "platform/ShiftJis.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/UMain.h"
#include "ui/WindowDriver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <fstream>

using namespace pelto;
using namespace pelto::test;

namespace {

constexpr int HeadSlot = 1;

class PickerSearch : public ::testing::Test {
protected:
    void SetUp() override { Window = OpenDemoWindow(Dir.Path(), 0); }

    TEquipListBox* Box() { return EquipListBox(*Window); }
    const std::vector<TEquipEntry>& List() { return Window->Session().List(HeadSlot); }
    // The first word of the name of the list's entry Index, as the user reads it.
    QString FirstWord(int Index) {
        const std::string Name = SjisToUtf8(List()[static_cast<std::size_t>(Index)].Item->Name());
        return QString::fromStdString(Name).split(' ').front();
    }
    // The list positions the query finds, as the core's search gives them.
    std::vector<int> Found(const QString& Query) {
        return Window->Session().Game().ItemSearch()->Filter(
            List(), TItemQuery::Parse(Query.toStdString()));
    }
    // As an input method delivers text: QTest types only ASCII.
    void Type(const QString& Text) {
        for (const QChar C : Text) {
            QKeyEvent Press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(C));
            QApplication::sendEvent(Box(), &Press);
        }
    }
    void Key(Qt::Key Code) { QTest::keyClick(Box(), Code); }
    QString Caption() { return ItemNameLabel(*Window)->text(); }

    TTempDir Dir;
    std::unique_ptr<TfrmPelto> Window;
};

void Wheel(QWidget* Target, int Delta) {
    const QPointF At(10, 10);
    QWheelEvent Event(At, Target->mapToGlobal(At), QPoint(), QPoint(0, Delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Target, &Event);
}

} // namespace

TEST_F(PickerSearch, TypingFiltersTheCellsKeepingNothingFirstAndEscClearsBeforeClosing) {
    const QString Word = FirstWord(1);
    const std::vector<int> Expected = Found(Word);
    ASSERT_FALSE(Expected.empty());
    ASSERT_LT(Expected.size() + 1, List().size()); // the word narrows the list
    bool OpenAfterFirstEsc = false;
    bool OpenAfterSecondEsc = true;
    WithPicker(*Window, HeadSlot, [&] {
        EXPECT_FALSE(Window->findChild<QLabel*>("lblSearch")->isVisible());
        Type(Word.toUpper());
        EXPECT_EQ(Box()->Filter(), Word.toUpper());
        EXPECT_EQ(Box()->Count(), static_cast<int>(Expected.size()) + 1);
        EXPECT_TRUE(Window->findChild<QLabel*>("lblSearch")->isVisible());
        // Every cell after "---" is a found item, in the list's order.
        for (std::size_t I = 0; I < Expected.size(); ++I) {
            Box()->SetItemIndex(static_cast<int>(I) + 1);
            Key(Qt::Key_Up);
            Key(Qt::Key_Down);
            EXPECT_EQ(Caption().toStdString(),
                      SjisToUtf8(List()[static_cast<std::size_t>(Expected[I])].Text()));
        }
        Key(Qt::Key_Home);
        EXPECT_EQ(Caption(), "---");

        Type("qqq");
        EXPECT_EQ(Box()->Count(), 1);
        for (int I = 0; I < 3; ++I)
            Key(Qt::Key_Backspace);
        EXPECT_EQ(Box()->Count(), static_cast<int>(Expected.size()) + 1);

        Key(Qt::Key_Escape);
        EXPECT_EQ(Box()->Filter(), "");
        EXPECT_EQ(Box()->Count(), static_cast<int>(List().size()));
        OpenAfterFirstEsc = EquipPopup(*Window)->isVisible();
        Key(Qt::Key_Escape);
        OpenAfterSecondEsc = EquipPopup(*Window)->isVisible();
    });
    EXPECT_TRUE(OpenAfterFirstEsc);
    EXPECT_FALSE(OpenAfterSecondEsc);
}

TEST_F(PickerSearch, EnterWearsTheFoundItemUnderTheCursorAsAClickDoes) {
    // Every head item of the demo has this description.
    const QString Query = QString::fromStdString(SjisToUtf8(List()[1].Item->Text()));
    const std::vector<int> Expected = Found(Query);
    ASSERT_GE(Expected.size(), 2u);
    WithPicker(*Window, HeadSlot, [&] {
        Type(Query);
        Key(Qt::Key_End);
        // The cursor is framed like the cell under the pointer, and its tooltip gives the
        // name, the description and the bonuses.
        const QRect Cell = Box()->ItemRect(Box()->ItemIndex());
        const QImage Shot = Box()->viewport()->grab().toImage();
        EXPECT_EQ(Shot.pixelColor(Cell.topLeft() + QPoint(1, 1)), QColor(255, 140, 0));
        const TWLOItemData& Item = *List()[static_cast<std::size_t>(Expected.back())].Item;
        const QString Tip = Box()->viewport()->toolTip();
        EXPECT_TRUE(Tip.contains(QString::fromStdString(SjisToUtf8(Item.Name()))));
        EXPECT_TRUE(Tip.contains(Query));
        EXPECT_TRUE(Tip.contains(QString::fromStdString(BonusText(Item))));
        Key(Qt::Key_Return);
    });
    const int Position = Expected.back();
    EXPECT_EQ(Window->Session().PickedIndex(HeadSlot), Position);
    EXPECT_EQ(Window->Session().Worn(HeadSlot), List()[static_cast<std::size_t>(Position)].Item);
    EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Window->Session().Code());
    EXPECT_EQ(SlotLabel(*Window, HeadSlot)->text().toStdString(),
              SjisToUtf8(List()[static_cast<std::size_t>(Position)].Item->Name()));

    // Opened again, the picker shows the whole list with the cursor on that pick.
    WithPicker(*Window, HeadSlot, [&] {
        EXPECT_EQ(Box()->Filter(), "");
        EXPECT_EQ(Box()->Count(), static_cast<int>(List().size()));
        EXPECT_EQ(Box()->ItemIndex(), Position);
        Key(Qt::Key_Home);
        Key(Qt::Key_Enter); // "---" takes the item off
    });
    EXPECT_EQ(Window->Session().Worn(HeadSlot), nullptr);
}

// The grid alone, with more cells than a real list's page.
class PickerGrid : public ::testing::Test {
protected:
    void SetUp() override {
        Box.setGeometry(0, 0, 322, 212);
        Box.show();
        QApplication::processEvents();
        Box.SetCount(200);
        Rows = Box.viewport()->height() / TEquipListBox::CellSize;
        Page = Rows * (Box.viewport()->width() / TEquipListBox::CellSize);
    }
    void Key(Qt::Key Code) { QTest::keyClick(&Box, Code); }

    TEquipListBox Box;
    int Rows = 0;
    int Page = 0;
};

TEST_F(PickerGrid, KeysMoveTheCursorByCellColumnAndPageWithinTheCells) {
    int Moves = 0;
    QObject::connect(&Box, &TEquipListBox::CursorMoved, [&] { ++Moves; });
    Key(Qt::Key_Down); // no cursor yet: the first cell
    EXPECT_EQ(Box.ItemIndex(), 0);
    Key(Qt::Key_Up); // stays on the first
    EXPECT_EQ(Box.ItemIndex(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(Box.ItemIndex(), 1);
    Key(Qt::Key_Right);
    EXPECT_EQ(Box.ItemIndex(), 1 + Rows);
    Key(Qt::Key_Left);
    EXPECT_EQ(Box.ItemIndex(), 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Box.ItemIndex(), 1 + Page);
    // The cursor's column is brought into view.
    EXPECT_TRUE(Box.viewport()->rect().contains(Box.ItemRect(1 + Page)));
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Box.ItemIndex(), 1);
    Key(Qt::Key_End);
    EXPECT_EQ(Box.ItemIndex(), 199);
    EXPECT_EQ(Box.horizontalScrollBar()->value(), Box.horizontalScrollBar()->maximum());
    Key(Qt::Key_PageDown);
    Key(Qt::Key_Right);
    EXPECT_EQ(Box.ItemIndex(), 199);
    Key(Qt::Key_Home);
    EXPECT_EQ(Box.ItemIndex(), 0);
    EXPECT_EQ(Moves, 11);
}

TEST_F(PickerGrid, EnterClicksOnlyWithACursorAndTypingCollectsTheFilter) {
    int Clicks = 0;
    QStringList Filters;
    QObject::connect(&Box, &TEquipListBox::Clicked, [&] { ++Clicks; });
    QObject::connect(&Box, &TEquipListBox::FilterChanged,
                     [&](const QString& Text) { Filters << Text; });
    Box.SetItemIndex(-1);
    Key(Qt::Key_Return);
    EXPECT_EQ(Clicks, 0);
    Box.SetItemIndex(3);
    Key(Qt::Key_Enter);
    EXPECT_EQ(Clicks, 1);
    QTest::keyClick(&Box, Qt::Key_Space); // a leading blank is no search
    QTest::keyClicks(&Box, "a b");
    QTest::keyClick(&Box, Qt::Key_A, Qt::ControlModifier); // a shortcut, not text
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Filters, (QStringList{"a", "a ", "a b", "a "}));
}

TEST_F(PickerGrid, TheVerticalWheelScrollsAColumnPerNotch) {
    QScrollBar* Bar = Box.horizontalScrollBar();
    ASSERT_GT(Bar->maximum(), 3);
    Wheel(Box.viewport(), -120); // towards the user: onwards
    EXPECT_EQ(Bar->value(), 1);
    Wheel(Box.viewport(), -240);
    EXPECT_EQ(Bar->value(), 3);
    Wheel(Box.viewport(), 60); // half a notch does nothing yet
    EXPECT_EQ(Bar->value(), 3);
    Wheel(Box.viewport(), 60);
    EXPECT_EQ(Bar->value(), 2);
    Wheel(Box.viewport(), 1200);
    EXPECT_EQ(Bar->value(), 0);
}
