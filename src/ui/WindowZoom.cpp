#include "ui/WindowZoom.h"

#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "ui/PeltoApplication.h"
#include "ui/Zoom.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include <algorithm>

namespace pelto {
namespace {

constexpr int LargestZoom = 4;

// Tells its window when the screen it is on changes, or that screen's free area does.
class TScreenWatch : public QObject {
public:
    TScreenWatch(QWidget* Window, std::function<void()> Changed)
        : QObject(Window), FWindow(Window), FChanged(std::move(Changed)) {
        Window->installEventFilter(this);
        connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { Tell(); });
    }

    bool eventFilter(QObject* Watched, QEvent* Event) override {
        // Shown, the window has its frame and a handle that reports its moves between screens.
        if (Watched == FWindow && Event->type() == QEvent::Show) {
            if (QWindow* Handle = FWindow->windowHandle(); Handle && Handle != FHandle) {
                FHandle = Handle;
                connect(Handle, &QWindow::screenChanged, this, [this] {
                    FollowScreen();
                    Tell();
                });
            }
            FollowScreen();
            Tell();
        }
        return false;
    }

private:
    void FollowScreen() {
        disconnect(FScreenChange);
        if (QScreen* Screen = FWindow->screen())
            FScreenChange =
                connect(Screen, &QScreen::availableGeometryChanged, this, [this] { Tell(); });
    }

    // Once the window system's own news of the move is through, which would undo a resize
    // done in the middle of it.
    void Tell() { QMetaObject::invokeMethod(this, FChanged, Qt::QueuedConnection); }

    QWidget* FWindow;
    std::function<void()> FChanged;
    QWindow* FHandle = nullptr;
    QMetaObject::Connection FScreenChange;
};

} // namespace

TWindowZoom::TWindowZoom(QMainWindow& Window, THooks Hooks)
    : QObject(&Window), FWindow(Window), FHooks(std::move(Hooks)) {}

void TWindowZoom::AddFactors(QMenu& Zoom) {
    auto* Factors = new QActionGroup(this);
    for (int Factor = 1; Factor <= LargestZoom; ++Factor) {
        QAction* Action = Zoom.addAction(QString("&%1 %").arg(100 * Factor), this,
                                         Command([this, Factor] { Set(Factor); }));
        Action->setObjectName(QString("miZoom%1").arg(100 * Factor));
        Action->setCheckable(true);
        Action->setActionGroup(Factors);
        FFactorActions[static_cast<std::size_t>(Factor - 1)] = Action;
    }
}

void TWindowZoom::RememberClassicPlaces(std::initializer_list<QWidget*> Parents, QWidget& Popup) {
    for (QWidget* Parent : Parents)
        for (QWidget* Control : Parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            FClassicPlaces.push_back(
                {Control, Control->geometry(),
                 Control->testAttribute(Qt::WA_SetFont) ? Control->font().pixelSize() : 0});
    FPopup = &Popup;
    FClassicPlaces.push_back({&Popup, Popup.geometry(), 0});
    // The bars above and below the client area get the same factor, so that the window's size
    // at any zoom is known before it is set: the menu bar as wide as the client area.
    FClassicClient = FWindow.centralWidget()->size();
    FWindow.menuBar()->resize(FClassicClient.width(), FWindow.menuBar()->height());
    FClassicMenuHeight = FWindow.menuBar()->heightForWidth(FClassicClient.width());
    FClassicStatusHeight = FWindow.statusBar()->sizeHint().height();
    new TScreenWatch(&FWindow, [this] { ScreenChanged(); });
}

TZoomedSize TWindowZoom::ZoomedSize() const {
    return {QSize(FClassicClient.width(),
                  FClassicMenuHeight + FClassicClient.height() + FClassicStatusHeight),
            FWindow.frameGeometry().size() - FWindow.size()};
}

QRect TWindowZoom::AvailableGeometry() const {
    const QScreen* Shown = FWindow.screen();
    return Shown ? Shown->availableGeometry() : QRect();
}

bool TWindowZoom::Fits(int Factor) const {
    const QRect Available = AvailableGeometry();
    return Factor == 1 || Available.isEmpty() || ZoomedSize().Fits(Factor, Available);
}

void TWindowZoom::ChooseFirst() {
    if (const std::optional<int> Saved = FHooks.Chosen()) {
        Set(*Saved / 100);
        FHooks.Choose(Saved); // kept for a screen where it fits
        return;
    }
    // A screen tall enough to show four of the classic window gets it twice as large.
    const QScreen* Screen = FWindow.screen();
    const bool Tall =
        Screen && Screen->devicePixelRatio() == 1.0 && Screen->geometry().height() >= 1800;
    Set(Tall ? 2 : 1);
    FHooks.Choose(std::nullopt); // only a choice of the user's is kept
}

void TWindowZoom::Set(int Factor) {
    if (Factor < 1 || Factor > LargestZoom)
        return;
    while (!Fits(Factor))
        --Factor;
    FFactor = Factor;
    FHooks.Choose(100 * Factor);
    FFactorActions[static_cast<std::size_t>(Factor - 1)]->setChecked(true);
    ZoomApplication(Factor);
    QFont WindowFont = FWindow.font();
    WindowFont.setPixelSize(12 * Factor);
    FWindow.setFont(WindowFont);
    FitMenuTitles(WindowFont);
    for (const TClassicPlace& Classic : FClassicPlaces) {
        if (!Classic.Control)
            continue;
        const QRect& R = Classic.Place;
        if (Classic.Control == FPopup)
            Classic.Control->resize(R.size() * Factor);
        else
            Classic.Control->setGeometry(R.x() * Factor, R.y() * Factor, R.width() * Factor,
                                         R.height() * Factor);
        if (Classic.FontPixels > 0) {
            QFont Font = Classic.Control->font();
            Font.setPixelSize(Classic.FontPixels * Factor);
            Classic.Control->setFont(Font);
        }
        if (auto* Image = qobject_cast<TImage*>(Classic.Control))
            Image->SetZoom(Factor);
        else if (auto* Button = qobject_cast<TSimpleButton*>(Classic.Control))
            Button->SetZoom(Factor);
    }
    FWindow.centralWidget()->setFixedSize(FClassicClient * Factor);
    FHooks.ZoomParts(Factor);
    // Set, not asked of the layout: its hints lag behind a change of fonts.
    FWindow.menuBar()->setFixedHeight(FClassicMenuHeight * Factor);
    FWindow.statusBar()->setFixedHeight(FClassicStatusHeight * Factor);
    FWindow.setFixedSize(ZoomedSize().Classic * Factor);
    KeepOnScreen();
    UpdateChoices();
}

void TWindowZoom::FitMenuTitles(QFont Font) {
    const int Largest = Font.pixelSize();
    for (int Size = Largest; Size > Largest / 2; --Size) {
        Font.setPixelSize(Size);
        FWindow.menuBar()->setFont(Font);
        if (FWindow.menuBar()->sizeHint().width() <= FClassicClient.width() * FFactor)
            return;
    }
}

void TWindowZoom::Step(int Step) {
    const int Factor = std::clamp(FFactor + Step, 1, LargestZoom);
    if (Fits(Factor))
        Set(Factor);
}

void TWindowZoom::KeepOnScreen() {
    const QRect Available = AvailableGeometry();
    if (Available.isEmpty())
        return;
    const QRect Frame(FWindow.frameGeometry().topLeft(), ZoomedSize().At(FFactor));
    if (const QPoint At = PlaceOnScreen(Frame, Available); At != Frame.topLeft())
        FWindow.move(At);
}

void TWindowZoom::UpdateChoices() {
    const TZoomedSize Sizes = ZoomedSize();
    for (int Factor = 1; Factor <= LargestZoom; ++Factor) {
        QAction* Action = FFactorActions[static_cast<std::size_t>(Factor - 1)];
        const bool Fitting = Fits(Factor);
        const QSize Needed = Sizes.At(Factor);
        Action->setEnabled(Fitting);
        Action->setToolTip(Fitting ? QString()
                                   : tr("Does not fit on this screen (needs %1 × %2)")
                                         .arg(Needed.width())
                                         .arg(Needed.height()));
    }
}

void TWindowZoom::ScreenChanged() {
    // The zoom the user chose, as far as this screen allows: less on a smaller screen, all of it
    // again back on a larger one.
    const std::optional<int> Chosen = FHooks.Chosen();
    const int Wanted = Chosen ? std::clamp(*Chosen / 100, 1, LargestZoom) : FFactor;
    const QRect Available = AvailableGeometry();
    const int Factor =
        Available.isEmpty() ? FFactor : ZoomedSize().LargestFitting(Wanted, Available);
    if (Factor != FFactor) {
        Set(Factor);
        FHooks.Choose(Chosen);
        return;
    }
    UpdateChoices();
}

} // namespace pelto
