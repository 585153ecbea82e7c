// Trying on from the item picker and the colour bars, and the colour swatches, driven with real
// mouse and key events on a demo installation.
#include "controls/EquipListBox.h"
#include "controls/Widgets.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "platform/ShiftJis.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/SwatchDialog.h"
#include "ui/UMain.h"
#include "ui/WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

using namespace pelto;
using namespace pelto::test;

namespace {

constexpr int Daniel = 3;
constexpr int HandSlot = 3;

class TryOn : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([](const QString&) {});
        Window = OpenDemoWindow(Dir.Path(), Daniel);
        Session().Pick(HandSlot, 1);
        Session().SetColor(1, 0, 6);
    }
    void TearDown() override {
        Window.reset();
        SetMessageSink({});
    }
    TDressingSession& Session() const { return Window->Session(); }

    // What a try-on must leave as it was, the pictures to the byte.
    struct TLook {
        std::string Code;
        std::size_t Steps;
        std::vector<std::uint8_t> Canvas;
        QString Label;
        QString Status;
        bool operator==(const TLook&) const = default;
    };
    TLook Look() const {
        const TBitmap& Canvas = Session().Canvas();
        TLook L{Session().Code(),
                Session().History().Size(),
                {},
                SlotLabel(*Window, HandSlot)->text(),
                StatusBox(*Window)->toPlainText()};
        for (int Y = 0; Y < Canvas.Height(); ++Y)
            L.Canvas.insert(L.Canvas.end(), Canvas.ScanLine(Y),
                            Canvas.ScanLine(Y) + Canvas.Stride());
        return L;
    }

    static void MoveTo(QWidget* Widget, QPoint At) {
        QMouseEvent Move(QEvent::MouseMove, At, Widget->mapToGlobal(At), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(Widget, &Move);
    }
    static void Leave(QWidget* Widget) {
        QEvent Left(QEvent::Leave);
        QApplication::sendEvent(Widget, &Left);
    }

    test::TTempDir Dir;
    std::unique_ptr<TfrmPelto> Window;
};

} // namespace

TEST_F(TryOn, ThePickersCellUnderThePointerIsShownUntilLeftAndAClickWearsItInOneStep) {
    const TLook Before = Look();
    const TWLOItemData* Tried = Session().List(HandSlot)[3].Item;
    WithPicker(*Window, HandSlot, [&] {
        QWidget* Cells = EquipListBox(*Window)->viewport();
        // Crossing cells shows none of them until the event loop turns, then the last.
        for (const int Cell : {0, 2, 3})
            MoveTo(Cells, QPoint(16, 16 + 32 * Cell));
        EXPECT_FALSE(Session().Previewed());
        QApplication::processEvents();
        EXPECT_EQ(Session().ShownItem(HandSlot), Tried);
        const TLook Tryingon = Look();
        EXPECT_NE(Tryingon.Canvas, Before.Canvas);
        EXPECT_EQ(
            Tryingon.Label,
            TfrmPelto::tr("%1 (preview)").arg(QString::fromStdString(SjisToUtf8(Tried->Name()))));
        EXPECT_TRUE(Tryingon.Status.startsWith(TfrmPelto::tr("(preview)")));
        EXPECT_NE(Tryingon.Status, Before.Status);
        EXPECT_EQ(Tryingon.Code, Before.Code);
        EXPECT_EQ(Tryingon.Steps, Before.Steps);

        Leave(Cells);
        QApplication::processEvents();
        EXPECT_TRUE(Look() == Before);

        MoveTo(Cells, QPoint(16, 16 + 32 * 3)); // back on the same cell
        QApplication::processEvents();
        EXPECT_EQ(Session().ShownItem(HandSlot), Tried);
        QTest::mouseClick(Cells, Qt::LeftButton, Qt::NoModifier, QPoint(16, 16 + 32 * 3));
    });
    QApplication::processEvents();
    EXPECT_FALSE(Session().Previewed());
    EXPECT_EQ(Session().Worn(HandSlot), Tried);
    EXPECT_EQ(Session().History().Size(), Before.Steps + 1);
    Session().Undo();
    TLook Undone = Look();
    Undone.Steps -= 1; // the step is kept for Redo
    EXPECT_TRUE(Undone == Before);
}

TEST_F(TryOn, PointingAtAColourBarsLevelShowsItUntilLeft) {
    const TLook Before = Look();
    QTest::mouseClick(ColorImage(*Window, 1), Qt::LeftButton);
    ASSERT_EQ(Window->ColorPos(), 1);
    TImage* Bar = ColorBar(*Window, 0);
    MoveTo(Bar, QPoint(12 * 2, 6)); // level 2
    QApplication::processEvents();
    ASSERT_TRUE(Session().Previewed());
    const auto* Level = std::get_if<TLevelTryOn>(&*Session().Previewed());
    ASSERT_NE(Level, nullptr);
    EXPECT_EQ(std::tuple(Level->Position, Level->Channel, Level->Level), std::tuple(1, 0, 2));
    EXPECT_NE(Look().Canvas, Before.Canvas);
    EXPECT_EQ(Session().Color(1, 0), 6);
    Leave(Bar);
    EXPECT_TRUE(Look() == Before);
}

TEST_F(TryOn, ASwatchPickedByKeySetsItsLevelsAsOneStep) {
    const std::size_t Steps = Session().History().Size();
    TSwatchDialog Dialog(Session(), 1, 1, Window.get());
    Dialog.SetChoice({.Position = 1, .Across = 0, .Down = 2}); // red across, blue down
    const TPositionLevels Was{Session().Color(1, 0), Session().Color(1, 1), Session().Color(1, 2)};
    for (const Qt::Key Key : {Qt::Key_Left, Qt::Key_Down, Qt::Key_Down, Qt::Key_Enter})
        QTest::keyClick(Dialog.Grid(), Key);
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_EQ(
        (TPositionLevels{Session().Color(1, 0), Session().Color(1, 1), Session().Color(1, 2)}),
        (TPositionLevels{static_cast<std::uint8_t>(Was[0] - 1), Was[1],
                         static_cast<std::uint8_t>(Was[2] + 2)}));
    EXPECT_EQ(Session().History().Size(), Steps + 1);
}

TEST_F(TryOn, TheColourAreaOffersTheSwatchesOfThePositionRightClicked) {
    QAction* Swatches = Window->findChild<QAction*>("miSwatches");
    EXPECT_TRUE(ColorBar(*Window, 0)->actions().contains(Swatches));
    QList<QAction*> Offered;
    QTimer::singleShot(0, [&] {
        if (auto* Menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            Offered = Menu->actions();
            Menu->close();
        }
    });
    TImage* Icon = ColorImage(*Window, 2);
    emit Icon->customContextMenuRequested(QPoint(4, 4));
    EXPECT_EQ(Window->ColorPos(), 2);
    EXPECT_EQ(Offered, QList<QAction*>{Swatches});
}
