#include "controls/PopupPanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace pelto {
namespace {

constexpr QRect InForm(10, 20, 120, 80); // the panel's place in its form
constexpr QPoint At(300, 150);           // where it pops up, on the screen
constexpr QRect Popped(300, 150, 120, 80);

// A form at (100, 100) on the screen with a button that lies outside the popped-up panel.
class PopupPanel : public ::testing::Test {
protected:
    PopupPanel() {
        Form.setGeometry(100, 100, 400, 300);
        Under.setGeometry(200, 200, 60, 30);
        Panel.setGeometry(InForm);
        Panel.hide();
        QObject::connect(&Under, &QPushButton::pressed, [this] { ++UnderPressed; });
        QObject::connect(&Under, &QPushButton::clicked, [this] { ++UnderClicked; });
        Form.show();
        Form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
        // A panel that never closes fails its test instead of hanging the run.
        Watchdog.setSingleShot(true);
        QObject::connect(&Watchdog, &QTimer::timeout, [this] {
            if (Running)
                Running->ClosePopup(-99);
        });
    }

    // Pops the panel up and does Action inside its loop, once the window system has caught up
    // with the pop-up as it would have before any user input (offscreen activates it late).
    int Run(const std::function<void()>& Action, TPopupPanel* Which = nullptr) {
        Running = Which != nullptr ? Which : &Panel;
        TPopupPanel& Target = *Running;
        QTimer::singleShot(0, &Form, [Action] {
            QCoreApplication::processEvents();
            Action();
        });
        Watchdog.start(3000);
        const int Code = Target.Popup(At.x(), At.y());
        Watchdog.stop();
        return Code;
    }

    static void Mouse(QWindow* Window, bool Press, QPoint Global) {
        const QPoint Local = Window->mapFromGlobal(Global);
        if (Press)
            QTest::mousePress(Window, Qt::LeftButton, Qt::NoModifier, Local);
        else
            QTest::mouseRelease(Window, Qt::LeftButton, Qt::NoModifier, Local);
    }
    QPoint UnderCentre() const { return Under.mapToGlobal(Under.rect().center()); }
    static QWidget* CoverAt(QRect Geometry) {
        for (QWidget* W : QApplication::topLevelWidgets())
            if (W->isVisible() && W->windowType() == Qt::ToolTip && W->geometry() == Geometry)
                return W;
        return nullptr;
    }

    QWidget Form;
    QPushButton Under{"under", &Form};
    TPopupPanel Panel{&Form};
    QTimer Watchdog;
    QPointer<TPopupPanel> Running;
    int UnderPressed = 0;
    int UnderClicked = 0;
};

TEST_F(PopupPanel, ShowsAtThePointUntilClosedAndReturnsTheCloseCode) {
    bool Checked = false;
    const int Code = Run([&] {
        EXPECT_TRUE(Panel.Showing());
        EXPECT_TRUE(Panel.isVisible());
        EXPECT_EQ(Panel.windowType(), Qt::Popup);
        EXPECT_EQ(Panel.geometry(), Popped);
        EXPECT_EQ(QApplication::activePopupWidget(), &Panel);
        EXPECT_EQ(QApplication::activeWindow(), &Form) << "the owner stays the active window";
        Checked = true;
        Panel.ClosePopup(7);
    });
    EXPECT_TRUE(Checked);
    EXPECT_EQ(Code, 7);
    EXPECT_FALSE(Panel.Showing());
    EXPECT_FALSE(Panel.isVisible());
}

TEST_F(PopupPanel, ComesBackAsAHiddenChildWithItsFormerPlaceAndSize) {
    Panel.resize(150, 90);
    const QRect Before = Panel.geometry();
    Run([&] {
        EXPECT_EQ(Panel.geometry(), QRect(At, QSize(150, 90)));
        Panel.ClosePopup(0);
    });
    EXPECT_FALSE(Panel.isWindow());
    EXPECT_EQ(Panel.parentWidget(), &Form);
    EXPECT_EQ(Panel.geometry(), Before);
    EXPECT_FALSE(Panel.isVisible());
    Form.show();
    EXPECT_FALSE(Panel.isVisible()) << "stays hidden when the form is shown again";
}

TEST_F(PopupPanel, FocusesItsFirstTabStopInTabOrderAndGivesTheFocusBackAfterwards) {
    QLineEdit FormEdit(&Form);
    FormEdit.show();
    FormEdit.setFocus();
    QLabel Label("name", &Panel);
    QPushButton ClickOnly("x", &Panel);
    ClickOnly.setFocusPolicy(Qt::ClickFocus);
    QLineEdit Hidden(&Panel);
    Hidden.hide();
    QLineEdit Disabled(&Panel);
    Disabled.setEnabled(false);
    QLineEdit Second(&Panel);
    QListWidget First(&Panel);
    QWidget::setTabOrder(&Disabled, &First); // First now comes before Second

    QWidget* Focused = nullptr;
    Run([&] {
        Focused = QApplication::focusWidget();
        Panel.ClosePopup(0);
    });
    EXPECT_EQ(Focused, &First);
    EXPECT_EQ(QApplication::focusWidget(), &FormEdit);
}

TEST_F(PopupPanel, TakesTheFocusItselfWithoutATabStopAndClosesOnEscAsItsOwnClose) {
    QLabel Label("name", &Panel);
    QWidget* Focused = nullptr;
    const int Code = Run([&] {
        Focused = QApplication::focusWidget();
        QTest::keyClick(Focused, Qt::Key_Escape);
    });
    EXPECT_EQ(Focused, &Panel);
    EXPECT_EQ(Code, TPopupPanel::CloseCodeSelf);
}

// On X11 the grab sends the press to the pop-up, elsewhere to the window under the pointer.
TEST_F(PopupPanel, APressOutsideClosesItAndStillReachesTheWidgetUnderThePointer) {
    for (const bool ToPopup : {false, true}) {
        SCOPED_TRACE(ToPopup ? "press sent to the pop-up" : "press sent to the form");
        UnderPressed = UnderClicked = 0;
        const int Code = Run([&] {
            Mouse(ToPopup ? Panel.windowHandle() : Form.windowHandle(), true, UnderCentre());
            EXPECT_FALSE(Panel.isVisible());
        });
        EXPECT_EQ(Code, TPopupPanel::CloseCodeSelf);
        QCoreApplication::processEvents();
        EXPECT_EQ(UnderPressed, 1);
        EXPECT_TRUE(Under.isDown());
        Mouse(Form.windowHandle(), false, UnderCentre());
        EXPECT_EQ(UnderClicked, 1);
    }
}

TEST_F(PopupPanel, PressesInsideReachItsChildrenWithoutClosingIt) {
    QPushButton Close("x", &Panel);
    Close.setGeometry(100, 2, 18, 18);
    QObject::connect(&Close, &QPushButton::clicked, [&] { Panel.ClosePopup(0); });
    bool OpenAfterPressOnEmptyArea = false;
    const int Code = Run([&] {
        QWindow* Window = Panel.windowHandle();
        Mouse(Window, true, Panel.mapToGlobal(QPoint(50, 50)));
        Mouse(Window, false, Panel.mapToGlobal(QPoint(50, 50)));
        OpenAfterPressOnEmptyArea = Panel.isVisible();
        Mouse(Window, true, Close.mapToGlobal(QPoint(5, 5)));
        Mouse(Window, false, Close.mapToGlobal(QPoint(5, 5)));
    });
    EXPECT_TRUE(OpenAfterPressOnEmptyArea);
    EXPECT_EQ(Code, 0);
    EXPECT_EQ(UnderPressed, 0);
}

// The offscreen platform has no other application to switch to; its signal stands in.
TEST_F(PopupPanel, ClosesWhenTheApplicationIsDeactivated) {
    const int Code = Run([&] {
        emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    });
    EXPECT_EQ(Code, TPopupPanel::CloseCodeSelf);
    EXPECT_FALSE(Panel.isVisible());
}

TEST_F(PopupPanel, RefusesANestedPopupAndClosesTheRunningOne) {
    TPopupPanel Other(&Form);
    Other.resize(40, 40);
    Other.hide();
    for (TPopupPanel* Nested : {&Panel, &Other}) {
        int Inner = 0;
        bool OpenAfterInner = true;
        const int Outer = Run([&] {
            Inner = Nested->Popup(20, 20);
            OpenAfterInner = Panel.isVisible() || Other.isVisible();
        });
        EXPECT_EQ(Inner, TPopupPanel::PopupRefused);
        EXPECT_FALSE(OpenAfterInner);
        EXPECT_EQ(Outer, TPopupPanel::CloseCodeSelf);
        EXPECT_EQ(Panel.geometry(), InForm);
    }
    EXPECT_EQ(Run([&] { Panel.ClosePopup(0); }), 0) << "a later Popup runs normally";
}

TEST_F(PopupPanel, SurvivesBeingDeletedInsideItsLoop) {
    auto Doomed = std::make_unique<TPopupPanel>(&Form);
    Doomed->resize(50, 50);
    new QLineEdit(Doomed.get()); // owned by the panel: a focused child goes with it
    TPopupPanel* Raw = Doomed.get();
    EXPECT_EQ(Run([&] { Doomed.reset(); }, Raw), TPopupPanel::CloseCodeSelf);
    // Nothing is left behind: neither a listener nor a running Popup.
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(Run([&] { Panel.ClosePopup(0); }), 0);
}

TEST_F(PopupPanel, SlidesOpenDownwardsAndClosedUpwardsWhenAnimated) {
    EXPECT_FALSE(Panel.Animation());
    Panel.SetAnimation(true);
    QRect Opening;
    QRect Opened;
    bool VisibleAfterSlide = false;
    const int Code = Run([&] {
        Opening = Panel.mask().boundingRect();
        // The slide's end, however busy the machine: its frames come from timers.
        static_cast<void>(QTest::qWaitFor([&] { return Panel.mask().boundingRect().isEmpty(); },
                                          TPopupPanel::SlideMs * 40));
        Opened = Panel.mask().boundingRect();
        VisibleAfterSlide = Panel.isVisible() && Panel.geometry() == Popped;
        Panel.ClosePopup(0);
    });
    EXPECT_EQ(Opening.topLeft(), QPoint(0, 0));
    EXPECT_GT(Opening.height(), 0);
    EXPECT_LT(Opening.height(), Popped.height());
    EXPECT_TRUE(Opened.isEmpty()) << "no mask once open";
    EXPECT_TRUE(VisibleAfterSlide);

    EXPECT_EQ(Code, 0);
    EXPECT_FALSE(Panel.isVisible());
    EXPECT_EQ(Panel.geometry(), InForm);
    const QPointer<QWidget> Cover = CoverAt(Popped);
    ASSERT_FALSE(Cover.isNull()) << "a picture of the panel rolls up in its place";
    QTest::qWait(TPopupPanel::SlideMs / 2);
    if (Cover) { // else the machine was too busy to see the middle of the roll
        EXPECT_LT(Cover->mask().boundingRect().height(), Popped.height());
    }
    static_cast<void>(
        QTest::qWaitFor([&] { return CoverAt(Popped) == nullptr; }, TPopupPanel::SlideMs * 40));
    EXPECT_EQ(CoverAt(Popped), nullptr);
}

TEST_F(PopupPanel, AnimatedPanelStillHandsAPressOutsideOnAtOnce) {
    Panel.SetAnimation(true);
    EXPECT_EQ(Run([&] { Mouse(Form.windowHandle(), true, UnderCentre()); }),
              TPopupPanel::CloseCodeSelf);
    QCoreApplication::processEvents();
    EXPECT_EQ(UnderPressed, 1);
    Mouse(Form.windowHandle(), false, UnderCentre());
}

} // namespace
} // namespace pelto
