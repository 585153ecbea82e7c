#include "controls/SimpleBtn.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelto {
namespace {

constexpr QRgb NormalColour = 0xFFC0C0C0;
constexpr QRgb HoverColour = 0xFFFFFF00;
constexpr QRgb DownColour = 0xFFFF8000;
constexpr QRgb KeyColour = 0xFF00FF00;
constexpr QRgb Background = 0xFF0000FF;
constexpr QPoint Inside(5, 5);
constexpr QPoint Outside(70, 5);

QImage Solid(int Width, int Height, QRgb Colour) {
    QImage Image(Width, Height, QImage::Format_RGB888);
    Image.fill(QColor::fromRgb(Colour));
    return Image;
}

// Lets the tests say where the screen pointer is and see every picture change.
class TProbeButton : public TSimpleButton {
public:
    using TSimpleButton::TSimpleButton;
    bool PointerOver = false;
    std::vector<TPicture> Changes;

protected:
    bool PointerInside() const override { return PointerOver; }
    void PictureChanged(TPicture Which) override {
        Changes.push_back(Which);
        TSimpleButton::PictureChanged(Which);
    }
};

// The button sits on a parent of a known colour, which shows wherever the button draws nothing.
class SimpleButton : public ::testing::Test {
protected:
    SimpleButton() {
        Parent.resize(60, 60);
        Parent.setAutoFillBackground(true);
        QPalette Palette = Parent.palette();
        Palette.setColor(QPalette::Window, QColor::fromRgb(Background));
        Parent.setPalette(Palette);
        Button.resize(20, 20);
        Button.SetNormalPicture(Solid(20, 20, NormalColour));
        Button.SetHoverPicture(Solid(20, 20, HoverColour));
        Button.SetDownPicture(Solid(20, 20, DownColour));
        QObject::connect(&Button, &TSimpleButton::Click, [this] { ++Clicks; });
        QObject::connect(&Button, &TSimpleButton::MouseEnter, [this] { Hover += "+"; });
        QObject::connect(&Button, &TSimpleButton::MouseLeave, [this] { Hover += "-"; });
    }

    std::string Shown(QPoint At = Inside) {
        const QRgb Pixel = Parent.grab().toImage().pixel(At);
        return Pixel == NormalColour  ? "normal"
               : Pixel == HoverColour ? "hover"
               : Pixel == DownColour  ? "down"
               : Pixel == Background  ? "nothing"
                                      : "other";
    }
    void Enter() {
        QEnterEvent Event(Inside, Inside, Button.mapToGlobal(QPointF(Inside)));
        QApplication::sendEvent(&Button, &Event);
    }
    void Leave() {
        QEvent Event(QEvent::Leave);
        QApplication::sendEvent(&Button, &Event);
    }
    void Mouse(QEvent::Type Type, QPoint At, Qt::MouseButton Which = Qt::LeftButton,
               Qt::MouseButtons Held = Qt::NoButton) {
        QMouseEvent Event(Type, At, Button.mapToGlobal(QPointF(At)), Which, Held, Qt::NoModifier);
        QApplication::sendEvent(&Button, &Event);
    }
    void Press(QPoint At = Inside, Qt::MouseButton Which = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonPress, At, Which, Which);
    }
    void Release(QPoint At = Inside, Qt::MouseButton Which = Qt::LeftButton) {
        Mouse(QEvent::MouseButtonRelease, At, Which);
    }
    void DragTo(QPoint At) { Mouse(QEvent::MouseMove, At, Qt::NoButton, Qt::LeftButton); }

    QWidget Parent;
    TProbeButton Button{&Parent};
    int Clicks = 0;
    std::string Hover; // MouseEnter as "+", MouseLeave as "-"
};

TEST_F(SimpleButton, IsAWindowless105PixelSquareWithoutFocus) {
    TSimpleButton Fresh(&Parent);
    Parent.show();
    EXPECT_EQ(Fresh.size(), QSize(105, 105));
    EXPECT_EQ(Fresh.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Fresh.internalWinId(), 0u);
}

TEST_F(SimpleButton, ShowsHoverWhileThePointerIsOverAndDownWhilePressed) {
    EXPECT_EQ(Shown(), "normal");
    Enter();
    EXPECT_EQ(Shown(), "hover");
    Press();
    EXPECT_EQ(Shown(), "down");
    Release();
    EXPECT_EQ(Shown(), "hover");
    EXPECT_EQ(Clicks, 1);
    Leave();
    EXPECT_EQ(Shown(), "normal");
    EXPECT_EQ(Hover, "+-");
}

TEST_F(SimpleButton, RaisesClickWhileStillLookingPressed) {
    std::string AtClick;
    QObject::connect(&Button, &TSimpleButton::Click, [&] { AtClick = Shown(); });
    Enter();
    Press();
    Release();
    EXPECT_EQ(AtClick, "down");
}

TEST_F(SimpleButton, StaysDownWhenDraggedOffAndGivesNoClickOnReleaseOutside) {
    Enter();
    Press();
    Leave();
    DragTo(Outside);
    EXPECT_EQ(Shown(), "down");
    Release(Outside);
    EXPECT_EQ(Shown(), "normal");
    EXPECT_EQ(Clicks, 0);
    EXPECT_EQ(Hover, "+-");
}

TEST_F(SimpleButton, GivesOneClickWhenDraggedOffAndBackOn) {
    Enter();
    Press();
    Leave();
    DragTo(Outside);
    DragTo(Inside);
    Release();
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Shown(), "hover");
}

TEST_F(SimpleButton, IgnoresTheRightButton) {
    Enter();
    Press(Inside, Qt::RightButton);
    EXPECT_EQ(Shown(), "hover");
    Release(Inside, Qt::RightButton);
    EXPECT_EQ(Shown(), "hover");
    EXPECT_EQ(Clicks, 0);
}

TEST_F(SimpleButton, TakesADoubleClickAsTwoClicks) {
    Enter();
    Press();
    Release();
    Mouse(QEvent::MouseButtonDblClick, Inside, Qt::LeftButton, Qt::LeftButton);
    Release();
    EXPECT_EQ(Clicks, 2);
}

TEST_F(SimpleButton, PicksUpThePointerOnAMoveWhenTheEnterWasMissed) {
    Mouse(QEvent::MouseMove, Inside, Qt::NoButton);
    EXPECT_EQ(Shown(), "hover");
    EXPECT_EQ(Hover, "+");
}

TEST_F(SimpleButton, DisabledTakesNoHoverNoPressAndNoClick) {
    Button.setEnabled(false);
    Enter();
    Press();
    Release();
    EXPECT_EQ(Shown(), "normal");
    EXPECT_EQ(Clicks, 0);
}

TEST_F(SimpleButton, DisablingKeepsTheLookUntilEnabledAgainButDropsThePress) {
    Enter();
    Press();
    Button.PointerOver = true;
    Button.setEnabled(false);
    EXPECT_EQ(Shown(), "hover"); // the press is dropped at the first paint
    Button.setEnabled(true);
    EXPECT_EQ(Shown(), "hover");
    Button.setEnabled(false);
    Button.PointerOver = false;
    Button.setEnabled(true);
    EXPECT_EQ(Shown(), "normal");
}

TEST_F(SimpleButton, CopiesAssignedPictures) {
    QImage Picture = Solid(20, 20, DownColour);
    Button.SetNormalPicture(Picture);
    Picture.fill(Qt::black);
    EXPECT_EQ(Button.NormalPicture().pixel(0, 0), DownColour);
    EXPECT_EQ(Shown(), "down");
}

TEST_F(SimpleButton, AutoSizeFollowsTheLastPictureButDrawsInTheNormalRectangle) {
    Button.SetAutoSize(true);
    Button.SetHoverPicture(Solid(40, 30, HoverColour));
    EXPECT_EQ(Button.size(), QSize(40, 30));
    Enter();
    EXPECT_EQ(Shown({19, 19}), "hover");
    EXPECT_EQ(Shown({20, 5}), "nothing");
    EXPECT_EQ(Shown({5, 20}), "nothing");
    Button.SetNormalPicture(Solid(10, 12, NormalColour));
    EXPECT_EQ(Button.size(), QSize(10, 12));
}

TEST_F(SimpleButton, ScalesLargerHoverAndDownPicturesToTheNormalSizeWithoutSmoothing) {
    QImage Quarters = Solid(40, 40, HoverColour);
    for (int Y = 20; Y < 40; ++Y)
        for (int X = 20; X < 40; ++X)
            Quarters.setPixel(X, Y, DownColour);
    Button.resize(50, 50);
    Button.SetHoverPicture(Quarters);
    Enter();
    EXPECT_EQ(Shown({9, 9}), "hover");
    EXPECT_EQ(Shown({10, 10}), "down");
    EXPECT_EQ(Shown({19, 19}), "down");
    EXPECT_EQ(Shown({25, 25}), "nothing");
}

TEST_F(SimpleButton, ScalesWithTheDevicePixelRatioWithoutSmoothing) {
    QImage Checker(2, 2, QImage::Format_RGB32);
    Checker.fill(QColor::fromRgb(NormalColour));
    Checker.setPixel(1, 0, DownColour);
    Checker.setPixel(0, 1, DownColour);
    Button.SetAutoSize(true);
    Button.SetNormalPicture(Checker);
    QImage View(4, 4, QImage::Format_ARGB32);
    View.setDevicePixelRatio(2);
    View.fill(Qt::transparent);
    Button.render(&View);
    for (int Y = 0; Y < 4; ++Y)
        for (int X = 0; X < 4; ++X)
            EXPECT_EQ(View.pixel(X, Y), Checker.pixel(X / 2, Y / 2)) << X << "," << Y;
}

TEST_F(SimpleButton, TransparentLeavesOutEachPicturesBottomLeftColourOnlyWhenChanged) {
    QImage Normal = Solid(20, 20, NormalColour);
    QImage Hover = Solid(20, 20, HoverColour);
    for (int X = 0; X < 20; ++X) {
        Normal.setPixel(X, 19, KeyColour);
        Hover.setPixel(X, 19, DownColour);
    }
    Normal.setPixel(3, 3, KeyColour);
    Button.SetNormalPicture(Normal);
    Button.SetHoverPicture(Hover);
    const auto At = [&](QPoint P) {
        return Parent.grab().toImage().pixel(P);
    };
    EXPECT_EQ(At({3, 3}), KeyColour);

    Button.Changes.clear();
    Button.SetTransparent(true);
    using P = TSimpleButton::TPicture;
    EXPECT_EQ(Button.Changes, (std::vector{P::Normal, P::Down, P::Hover}));
    EXPECT_EQ(Shown({3, 3}), "nothing");
    EXPECT_EQ(Shown({10, 19}), "nothing");
    EXPECT_EQ(Shown({4, 3}), "normal");

    Button.SetTransparent(true);
    EXPECT_EQ(Button.Changes.size(), 3u) << "setting the same value does nothing";

    Enter();
    EXPECT_EQ(Shown({3, 3}), "hover");
    EXPECT_EQ(Shown({10, 19}), "nothing");

    Button.SetTransparent(false);
    EXPECT_EQ(Shown({10, 19}), "down");
}

TEST_F(SimpleButton, ForgetsTheHoverWhenHiddenUnderThePointer) {
    // A click that hides the button's window (a pop-up's close button): no leave event ever
    // comes, and the next showing must look normal while the pointer is elsewhere.
    Parent.show();
    QObject::connect(&Button, &TSimpleButton::Click, [this] { Parent.hide(); });
    Button.PointerOver = true;
    Enter();
    Mouse(QEvent::MouseButtonPress, Inside, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, Inside);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Hover, "+-");
    Button.PointerOver = false;
    Parent.show();
    EXPECT_EQ(Shown(), "normal");
    Parent.hide();
    Button.PointerOver = true; // shown again under the pointer: it hovers at once
    Parent.show();
    EXPECT_EQ(Shown(), "hover");
}

} // namespace
} // namespace pelto
