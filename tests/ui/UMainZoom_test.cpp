// The window's zoom: exact sizes after any sequence, only zooms that fit the window's screen,
// and every part of the window, its pop-ups and dialogs zoomed alike.
#include "ui/UMain.h"

#include "controls/EquipListBox.h"
#include "controls/PopupPanel.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"
#include "ui/Zoom.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>

using namespace pelto;
using namespace pelto::test;

namespace {

class WindowZoom : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([](const QString&) {});
    }
    void TearDown() override { SetMessageSink({}); }

    std::unique_ptr<TfrmPelto> Open(const std::string& Extra = "") {
        std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << DemoGame() << "\n" << Extra;
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("pelto.ini");
        Options.FolderPrompt = [](std::string&, const std::string&) {
            return false;
        };
        return std::make_unique<TfrmPelto>(Options);
    }

    static QAction* ZoomAction(TfrmPelto& Window, int Factor) {
        return Window.findChild<QAction*>(QString("miZoom%1").arg(100 * Factor));
    }
    static void Press(TfrmPelto& Window, QKeySequence Keys) {
        for (QAction* Action : Window.findChildren<QAction*>())
            if (Action->shortcut() == Keys && Action->isEnabled()) {
                Action->trigger();
                return;
            }
        FAIL() << Keys.toString().toStdString();
    }
    // The screen of the test platform that the largest zoom does not fit (see GuiTestMain).
    static QScreen* SmallScreen() {
        for (QScreen* Screen : QGuiApplication::screens())
            if (Screen->name() == "Small")
                return Screen;
        return nullptr;
    }
    static void ShowOn(TfrmPelto& Window, const QScreen& Screen) {
        Window.show();
        Window.move(Screen.availableGeometry().topLeft() + QPoint(40, 0));
        QTest::qWait(20);
        ASSERT_EQ(Window.screen(), &Screen);
    }

    TTempDir Dir;
};

} // namespace

TEST_F(WindowZoom, HasTheClassicSizeTimesTheFactorAfterAnySequence) {
    auto Window = Open();
    Window->show();
    ASSERT_EQ(Window->Zoom(), 1);
    const QSize Classic = Window->size();
    const int Menu = Window->menuBar()->height();
    const int Status = Window->statusBar()->height();
    ASSERT_EQ(Classic, QSize(402, Menu + 296 + Status));
    // 400 -> 300 -> 100 and 200 -> 100 once left the window taller than at the start.
    for (const std::vector<int>& Sequence :
         {std::vector{4, 3, 1}, {2, 1}, {3, 2, 4, 1, 2}, {1, 4, 4, 2, 3}}) {
        for (int Factor : Sequence) {
            ZoomAction(*Window, Factor)->trigger();
            QTest::qWait(1); // the layout's own pass, as after a click
            ASSERT_EQ(Window->Zoom(), Factor);
            EXPECT_EQ(Window->size(), Classic * Factor) << Factor;
            EXPECT_EQ(Window->centralWidget()->geometry(),
                      QRect(0, Menu * Factor, 402 * Factor, 296 * Factor))
                << Factor;
            EXPECT_EQ(Window->menuBar()->height(), Menu * Factor);
            EXPECT_EQ(Window->statusBar()->geometry(),
                      QRect(0, (Menu + 296) * Factor, 402 * Factor, Status * Factor));
        }
    }
    // The keys step through the factors and stop at either end.
    ZoomAction(*Window, 1)->trigger();
    Press(*Window, QKeySequence::ZoomOut);
    EXPECT_EQ(Window->Zoom(), 1);
    for (int Factor = 2; Factor <= 5; ++Factor) {
        Press(*Window, QKeySequence::ZoomIn);
        EXPECT_EQ(Window->Zoom(), std::min(Factor, 4));
    }
    EXPECT_EQ(Window->size(), Classic * 4);
    Press(*Window, QKeySequence(Qt::CTRL | Qt::Key_0));
    EXPECT_EQ(Window->size(), Classic);
}

TEST_F(WindowZoom, OffersOnlyTheZoomsThatFitTheScreenItIsOn) {
    QScreen* Small = SmallScreen();
    if (!Small)
        GTEST_SKIP() << "needs the test platform's second screen";
    auto Window = Open();
    ShowOn(*Window, *QGuiApplication::primaryScreen());
    ZoomAction(*Window, 4)->trigger();
    ASSERT_EQ(Window->Zoom(), 4);
    const QSize Largest = Window->frameGeometry().size();

    // On a 1600 x 1200 screen the window at 400 % would reach below it: 300 % is the most.
    Window->move(Small->availableGeometry().topLeft() + QPoint(40, 0));
    QTest::qWait(20);
    ASSERT_EQ(Window->screen(), Small);
    EXPECT_EQ(Window->Zoom(), 3);
    EXPECT_TRUE(Small->availableGeometry().contains(Window->frameGeometry()));
    EXPECT_FALSE(ZoomAction(*Window, 4)->isEnabled());
    EXPECT_EQ(ZoomAction(*Window, 4)->toolTip(),
              QString("Does not fit on this screen (needs %1 × %2)")
                  .arg(Largest.width())
                  .arg(Largest.height()));
    for (int Factor = 1; Factor <= 3; ++Factor) {
        EXPECT_TRUE(ZoomAction(*Window, Factor)->isEnabled()) << Factor;
        EXPECT_EQ(ZoomAction(*Window, Factor)->toolTip(), QString("%1 %").arg(100 * Factor));
    }
    Press(*Window, QKeySequence::ZoomIn);
    EXPECT_EQ(Window->Zoom(), 3);
    Window->SetZoom(4);
    EXPECT_EQ(Window->Zoom(), 3);

    // Zoomed near the screen's corner, the window moves to stay wholly on it.
    ZoomAction(*Window, 1)->trigger();
    const QRect Area = Small->availableGeometry();
    Window->move(Area.bottomRight() - QPoint(450, 400));
    QTest::qWait(20);
    ZoomAction(*Window, 3)->trigger();
    QTest::qWait(20);
    EXPECT_TRUE(Area.contains(Window->frameGeometry()))
        << Window->frameGeometry().x() << "," << Window->frameGeometry().y();

    // Back on the large screen, the 400 % chosen last is offered and shown again.
    Window->move(40, 0);
    QTest::qWait(20);
    EXPECT_TRUE(ZoomAction(*Window, 4)->isEnabled());
    EXPECT_EQ(Window->Zoom(), 3); // 300 % was chosen on the small screen
    ZoomAction(*Window, 4)->trigger();
    EXPECT_EQ(Window->Zoom(), 4);
}

TEST_F(WindowZoom, StartsAtTheLargestZoomUpToTheSavedOneThatFits) {
    QScreen* Small = SmallScreen();
    if (!Small)
        GTEST_SKIP() << "needs the test platform's second screen";
    const QPoint OnSmall = Small->availableGeometry().topLeft() + QPoint(20, 20);
    auto Window =
        Open(QString("x=%1\ny=%2\nzoom=400\n").arg(OnSmall.x()).arg(OnSmall.y()).toStdString());
    EXPECT_EQ(Window->Zoom(), 3);
    Window->show();
    QTest::qWait(20);
    EXPECT_EQ(Window->Zoom(), 3);
    EXPECT_TRUE(Small->availableGeometry().contains(Window->frameGeometry()));
    Window.reset();
    // The choice is kept for a screen it fits.
    auto Again = Open("zoom=400\n");
    EXPECT_EQ(Again->Zoom(), 4);
}

TEST_F(WindowZoom, ZoomsThePickerTheItemFinderTheDialogsAndTheDropDownArrows) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    Window->findChild<QAction*>("miFindItem")->trigger();
    auto* Finder = Window->findChild<QWidget*>("frmWardrobe");
    auto* Items = Window->findChild<QTableView*>("tvItems");
    ASSERT_NE(Items, nullptr);
    struct TParts {
        int Title, Bar, Tip, Dialog, Arrow, FinderFont, FinderRow, FinderIcon;
        QSize FinderSize;
    };
    const auto Measure = [&] {
        TParts Parts{};
        WithPicker(*Window, 1, [&] {
            Parts.Title = ItemNameLabel(*Window)->fontInfo().pixelSize();
            Parts.Bar = EquipListBox(*Window)->horizontalScrollBar()->height();
        });
        Parts.Tip = QFontInfo(QApplication::font("QTipLabel")).pixelSize();
        QMessageBox Box(QMessageBox::Information, "", "Text");
        Parts.Dialog = Box.fontInfo().pixelSize();
        QComboBox* Chara = CharaBox(*Window);
        QStyleOptionComboBox Option;
        Option.initFrom(Chara);
        Option.rect = Chara->rect();
        Parts.Arrow =
            Chara->style()
                ->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxArrow, Chara)
                .width();
        Parts.FinderFont = Items->fontInfo().pixelSize();
        Parts.FinderRow = Items->verticalHeader()->defaultSectionSize();
        Parts.FinderIcon = Items->iconSize().width();
        Parts.FinderSize = Finder->size();
        return Parts;
    };
    const TParts Classic = Measure();
    ZoomAction(*Window, 2)->trigger();
    const TParts Double = Measure();
    EXPECT_EQ(Double.Title, 2 * Classic.Title);
    EXPECT_EQ(Double.Bar, 2 * Classic.Bar);
    EXPECT_NEAR(Double.Tip, 2 * Classic.Tip, 1);
    EXPECT_NEAR(Double.Dialog, 2 * Classic.Dialog, 1);
    EXPECT_EQ(Double.Arrow, 2 * Classic.Arrow);
    EXPECT_NEAR(Double.FinderFont, 2 * Classic.FinderFont, 1);
    EXPECT_EQ(Double.FinderRow, 2 * Classic.FinderRow);
    EXPECT_EQ(Double.FinderIcon, 2 * Classic.FinderIcon);
    EXPECT_EQ(Double.FinderSize, 2 * Classic.FinderSize);
    // The icons are enlarged for the rows, not left at their size.
    EXPECT_EQ(Items->model()->index(0, 0).data(Qt::DecorationRole).value<QImage>().size(),
              QSize(64, 64));

    // The arrow is drawn twice as large too: the classic box, each pixel doubled.
    const QImage Shown = CharaBox(*Window)->grab().toImage();
    const int ArrowLeft = Shown.width() - Double.Arrow;
    for (int Y = 0; Y + 1 < Shown.height(); Y += 2)
        for (int X = ArrowLeft; X + 1 < Shown.width(); X += 2)
            ASSERT_EQ(Shown.pixel(X, Y), Shown.pixel(X + 1, Y + 1)) << X << "," << Y;

    // Closed, the window leaves the application's fonts as they were.
    Window.reset();
    QMessageBox After(QMessageBox::Information, "", "Text");
    EXPECT_EQ(After.fontInfo().pixelSize(), Classic.Dialog);
}

TEST(ZoomedSize, FitsByTheWholeWindowItsFrameIncluded) {
    const TZoomedSize Size{QSize(402, 332), QSize(4, 30)};
    EXPECT_EQ(Size.At(4), QSize(1612, 1358));
    const QRect Screen(1600, 0, 1600, 1200);
    EXPECT_TRUE(Size.Fits(3, Screen));
    EXPECT_FALSE(Size.Fits(4, Screen));
    EXPECT_FALSE(Size.Fits(2, QRect(0, 0, 807, 2000))); // one pixel too narrow
    EXPECT_EQ(Size.LargestFitting(4, Screen), 3);
    EXPECT_EQ(Size.LargestFitting(2, Screen), 2);
    EXPECT_EQ(Size.LargestFitting(4, QRect(0, 0, 300, 200)), 1); // 100 % is always there
}

TEST(ZoomedSize, PlacesAWindowWhollyOnItsScreenMovedTheLeast) {
    const QRect Screen(1600, 0, 1600, 1200);
    EXPECT_EQ(PlaceOnScreen(QRect(1700, 100, 800, 600), Screen), QPoint(1700, 100));
    EXPECT_EQ(PlaceOnScreen(QRect(2900, 900, 800, 600), Screen), QPoint(2400, 600));
    EXPECT_EQ(PlaceOnScreen(QRect(1500, -20, 800, 600), Screen), QPoint(1600, 0));
    // Larger than the screen: its top-left corner stays on it.
    EXPECT_EQ(PlaceOnScreen(QRect(2000, 300, 1700, 1300), Screen), QPoint(1600, 0));
}
