// The picker's grid of item cells on its own, at the size the pop-up gives it.
#include "controls/EquipListBox.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace pelto;

namespace {

constexpr int Cell = TEquipListBox::CellSize;

class EquipListBox : public ::testing::Test {
protected:
    void SetUp() override {
        Box.setGeometry(0, 0, 322, 212);
        Box.show();
        QApplication::processEvents();
        Rows = Box.viewport()->height() / Cell;
        Columns = Box.viewport()->width() / Cell; // wholly visible ones
    }

    int Scroll() { return Box.horizontalScrollBar()->value(); }
    bool WhollyVisible(int Index) const {
        return Box.viewport()->rect().contains(Box.ItemRect(Index));
    }

    TEquipListBox Box;
    int Rows = 0;
    int Columns = 0;
};

} // namespace

TEST_F(EquipListBox, RunsItemsDownEachColumnThenToTheNextAndScrollsSideways) {
    ASSERT_EQ(Rows, 6);
    ASSERT_GE(Columns, 9);
    const int Last = Columns + 2; // holds two items
    Box.SetCount(Last * Rows + 2);
    for (int Column = 0; Column < Columns; ++Column)
        for (int Row = 0; Row < Rows; ++Row) {
            const int Index = Column * Rows + Row;
            EXPECT_EQ(Box.ItemAt({Column * Cell + 3, Row * Cell + Cell - 1}), Index);
            EXPECT_EQ(Box.ItemRect(Index), QRect(Column * Cell, Row * Cell, Cell, Cell));
        }
    EXPECT_EQ(Box.ItemAt({-1, 5}), -1);
    EXPECT_EQ(Box.ItemAt({5, -1}), -1);

    Box.horizontalScrollBar()->setValue(2);
    EXPECT_EQ(Box.ItemAt({3, 3}), 2 * Rows);
    EXPECT_EQ(Box.ItemRect(2 * Rows + 1), QRect(0, Cell, Cell, Cell));
    // Scrolled to the end, the last column shows whole with its two items.
    QScrollBar* Bar = Box.horizontalScrollBar();
    Bar->setValue(Bar->maximum());
    const int X = (Last - Scroll()) * Cell + 3;
    EXPECT_LE(X + Cell - 3, Box.viewport()->width());
    EXPECT_EQ(Box.ItemAt({X, Cell + 3}), Last * Rows + 1);
    EXPECT_EQ(Box.ItemAt({X, 2 * Cell + 3}), -1);
}

TEST_F(EquipListBox, FindsNoItemInTheStripBelowTheLastFullRow) {
    const int Strip = Box.viewport()->height() - Rows * Cell;
    ASSERT_GT(Strip, 0) << "the pop-up's list has a strip below its rows";
    Box.SetCount(4 * Rows);
    for (int Column = 0; Column < 4; ++Column) {
        for (int Y = Rows * Cell; Y < Box.viewport()->height(); ++Y)
            EXPECT_EQ(Box.ItemAt({Column * Cell + 5, Y}), -1) << "column " << Column << ", y " << Y;
        EXPECT_EQ(Box.ItemAt({Column * Cell + 5, Rows * Cell - 1}), Column * Rows + Rows - 1);
    }

    // A click there picks nothing.
    Box.SetItemIndex(2);
    int Clicks = 0;
    QObject::connect(&Box, &TEquipListBox::Clicked, [&] { ++Clicks; });
    QTest::mouseClick(Box.viewport(), Qt::LeftButton, Qt::NoModifier, {5, Rows * Cell + Strip / 2});
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Box.ItemIndex(), 2);
}

TEST_F(EquipListBox, BringsTheCurrentItemIntoViewWithoutScrollingNeedlessly) {
    const int Count = (Columns + 5) * Rows;
    // The first column beyond the visible ones, then the last one, then back to the first.
    for (const int Index : {Columns * Rows, Columns * Rows + Rows - 1, Count - 1, 0, Rows}) {
        Box.SetCount(Count); // the pop-up opens scrolled to the start
        Box.SetItemIndex(Index);
        EXPECT_TRUE(WhollyVisible(Index)) << "item " << Index << ", scrolled " << Scroll();
    }

    Box.SetCount(Count);
    for (int Index = 0; Index < Count; ++Index) {
        const int Before = Scroll();
        const bool WasVisible = WhollyVisible(Index);
        Box.SetItemIndex(Index);
        EXPECT_TRUE(WhollyVisible(Index)) << "item " << Index;
        if (WasVisible) {
            EXPECT_EQ(Scroll(), Before) << "item " << Index;
        }
    }
    for (int Index = Count - 1; Index >= 0; --Index) {
        Box.SetItemIndex(Index);
        EXPECT_TRUE(WhollyVisible(Index)) << "item " << Index;
    }
    EXPECT_EQ(Scroll(), 0);

    Box.SetItemIndex(-1); // no current item: the view stays
    EXPECT_EQ(Box.ItemIndex(), -1);
    EXPECT_EQ(Scroll(), 0);
}
