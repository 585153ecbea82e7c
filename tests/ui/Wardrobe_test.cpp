// The wardrobe window: finding items by text, slot and bonus, and wearing them as the picker
// does.
#include "ui/Wardrobe.h"

#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/UMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>

using namespace pelto;

namespace {

class WardrobeWindow : public ::testing::Test {
protected:
    WardrobeWindow() {
        std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << test::DemoGame() << "\n";
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("pelto.ini");
        Window = std::make_unique<TfrmPelto>(Options);
        Window->Session().SetChara(0);
        Window->findChild<QAction*>("miFindItem")->trigger();
        Wardrobe = Window->findChild<TWardrobe*>("frmWardrobe");
        Table = Window->findChild<QTableView*>("tvItems");
    }

    int Rows() const { return Table->model()->rowCount(); }
    // The item of shown row Row.
    const TWLOItemData* ItemAt(int Row) const {
        const auto* Filter = static_cast<const QSortFilterProxyModel*>(Table->model());
        const auto* Model = static_cast<const TWardrobeModel*>(Filter->sourceModel());
        return Model->Row(Filter->mapToSource(Filter->index(Row, 0)).row()).Item;
    }
    int Listed(const TDressingSession& Session) const {
        int Count = 0;
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            Count += static_cast<int>(Session.List(Slot).size()) - 1;
        return Count;
    }

    test::TTempDir Dir;
    std::unique_ptr<TfrmPelto> Window;
    TWardrobe* Wardrobe = nullptr;
    QTableView* Table = nullptr;
};

} // namespace

TEST_F(WardrobeWindow, ListsWhatTheCharacterCanWearAndFollowsItsGroup) {
    ASSERT_NE(Wardrobe, nullptr);
    ASSERT_NE(Table, nullptr);
    EXPECT_TRUE(Wardrobe->isVisible());
    EXPECT_EQ(Rows(), Listed(Window->Session()));
    Window->Session().SetChara(7); // another body group: other lists
    EXPECT_EQ(Rows(), Listed(Window->Session()));
}

TEST_F(WardrobeWindow, FindsBySlotBonusAndText) {
    auto* Slot = Window->findChild<QComboBox*>("cbSlot");
    auto* Bonus = Window->findChild<QComboBox*>("cbBonus");
    auto* Search = Window->findChild<QLineEdit*>("edSearch");
    Slot->setCurrentIndex(3); // hand
    ASSERT_GT(Rows(), 0);
    for (int Row = 0; Row < Rows(); ++Row)
        EXPECT_EQ(ItemAt(Row)->Slot(), 3);
    Slot->setCurrentIndex(0);
    Bonus->setCurrentIndex(Bonus->findData(210)); // ATK
    ASSERT_GT(Rows(), 1);
    // Sorted by the bonus column, the chosen bonus decides the order.
    Table->sortByColumn(TWardrobeModel::BonusColumn, Qt::DescendingOrder);
    for (int Row = 1; Row < Rows(); ++Row)
        EXPECT_GE(ItemBonus(*ItemAt(Row - 1), 210), ItemBonus(*ItemAt(Row), 210));
    const std::uint16_t Id = ItemAt(0)->ItemID();
    Bonus->setCurrentIndex(0);
    Search->setText(QString("#%1").arg(Id));
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(ItemAt(0)->ItemID(), Id);
    Search->setText("no such item anywhere");
    EXPECT_EQ(Rows(), 0);
}

TEST_F(WardrobeWindow, ShowsTheFirstResultsWhenTheSearchChanges) {
    Wardrobe->resize(400, 200); // room for a few rows only
    QApplication::processEvents();
    ASSERT_GT(Rows(), 20);
    Table->scrollToBottom();
    ASSERT_GT(Table->verticalScrollBar()->value(), 0);
    Window->findChild<QLineEdit*>("edSearch")->setText("a");
    ASSERT_GT(Rows(), 0);
    EXPECT_EQ(Table->verticalScrollBar()->value(), 0);
}

TEST_F(WardrobeWindow, WearsAsThePickerDoes) {
    auto* Search = Window->findChild<QLineEdit*>("edSearch");
    const auto& Heads = Window->Session().List(1);
    ASSERT_GT(Heads.size(), 2u);
    const TWLOItemData* Wanted = Heads[2].Item;
    Search->setText(QString("#%1").arg(Wanted->ItemID()));
    ASSERT_EQ(Rows(), 1);
    Table->setCurrentIndex(Table->model()->index(0, 0));
    Table->setFocus();
    QTest::keyClick(Table, Qt::Key_Return);
    const std::string ByWardrobe = Window->Session().Code();
    EXPECT_EQ(Window->Session().Worn(1), Wanted);
    EXPECT_EQ(Window->Session().PickedIndex(1), 2);

    // The picker's click on the same cell, on a character dressed the same way before.
    TDressingSession Picker(Window->Session().Game());
    Picker.SetChara(0);
    Picker.Pick(1, 2);
    EXPECT_EQ(Picker.Code(), ByWardrobe);
    EXPECT_EQ(Window->findChild<QLineEdit*>("edCode")->text().toStdString(), ByWardrobe);
}

TEST_F(WardrobeWindow, KeypadEnterWearsAsReturnDoes) {
    auto* Search = Window->findChild<QLineEdit*>("edSearch");
    const auto& Heads = Window->Session().List(1);
    ASSERT_GT(Heads.size(), 3u);
    const TWLOItemData* Wanted = Heads[3].Item;
    Search->setText(QString("#%1").arg(Wanted->ItemID()));
    ASSERT_EQ(Rows(), 1);
    Table->setCurrentIndex(Table->model()->index(0, 0));
    Table->setFocus();
    QTest::keyClick(Table, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(Window->Session().Worn(1), Wanted);
    EXPECT_EQ(Window->Session().PickedIndex(1), 3);
}
