// Zoom: every control at a whole multiple of its classic place and size, on screens it fits.
#include "ui/UMain.h"

#include "controls/PopupPanel.h"
#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "ui/ColorsPart.h"
#include "ui/SlotsPart.h"
#include "ui/ViewPart.h"
#include "ui/Wardrobe.h"
#include "ui/Zoom.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include <functional>

namespace pelto {
namespace {

constexpr int ClientWidth = 402;
constexpr int ClientHeight = 296;
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

void TfrmPelto::RememberClassicPlaces() {
    const auto Remember = [this](QWidget* Parent) {
        for (QWidget* Control : Parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            FClassicPlaces.push_back(
                {Control, Control->geometry(),
                 Control->testAttribute(Qt::WA_SetFont) ? Control->font().pixelSize() : 0});
    };
    Remember(centralWidget());
    Remember(FView->Frame());
    Remember(FSlots->Picker());
    FClassicPlaces.push_back({FSlots->Picker(), FSlots->Picker()->geometry(), 0});
    // The bars above and below the client area get the same factor, so that the window's size
    // at any zoom is known before it is set: the menu bar as wide as the client area.
    menuBar()->resize(ClientWidth, menuBar()->height());
    FClassicMenuHeight = menuBar()->heightForWidth(ClientWidth);
    FClassicStatusHeight = statusBar()->sizeHint().height();
    new TScreenWatch(this, [this] { ScreenChanged(); });
}

TZoomedSize TfrmPelto::ZoomedSize() const {
    return {QSize(ClientWidth, FClassicMenuHeight + ClientHeight + FClassicStatusHeight),
            frameGeometry().size() - size()};
}

QRect TfrmPelto::AvailableGeometry() const {
    const QScreen* Shown = screen();
    return Shown ? Shown->availableGeometry() : QRect();
}

bool TfrmPelto::ZoomFits(int Factor) const {
    const QRect Available = AvailableGeometry();
    return Factor == 1 || Available.isEmpty() || ZoomedSize().Fits(Factor, Available);
}

void TfrmPelto::ChooseFirstZoom() {
    if (const std::optional<int> Saved = FSettings.Zoom) {
        SetZoom(*Saved / 100);
        FSettings.Zoom = Saved; // kept for a screen where it fits
        return;
    }
    // A screen tall enough to show four of the classic window gets it twice as large.
    const QScreen* Screen = screen();
    const bool Tall =
        Screen && Screen->devicePixelRatio() == 1.0 && Screen->geometry().height() >= 1800;
    SetZoom(Tall ? 2 : 1);
    FSettings.Zoom.reset(); // only a choice of the user's is kept
}

void TfrmPelto::SetZoom(int Factor) {
    if (Factor < 1 || Factor > LargestZoom)
        return;
    while (!ZoomFits(Factor))
        --Factor;
    FZoom = Factor;
    FSettings.Zoom = 100 * Factor;
    SettingsChanged();
    FZoomActions[static_cast<std::size_t>(Factor - 1)]->setChecked(true);
    ZoomApplication(Factor);
    QFont WindowFont = font();
    WindowFont.setPixelSize(12 * Factor);
    setFont(WindowFont);
    FitMenuTitles(WindowFont);
    FSlots->SetZoom(Factor, font());
    for (const TClassicPlace& Classic : FClassicPlaces) {
        if (!Classic.Control)
            continue;
        const QRect& R = Classic.Place;
        if (Classic.Control == FSlots->Picker())
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
    FView->SetZoom(Factor);
    FColors->SetZoom(Factor);
    if (frmWardrobe)
        frmWardrobe->SetZoom(Factor);
    centralWidget()->setFixedSize(ClientWidth * Factor, ClientHeight * Factor);
    if (FSession)
        UpdateStatus();
    // Set, not asked of the layout: its hints lag behind a change of fonts.
    menuBar()->setFixedHeight(FClassicMenuHeight * Factor);
    statusBar()->setFixedHeight(FClassicStatusHeight * Factor);
    setFixedSize(ZoomedSize().Classic * Factor);
    KeepOnScreen();
    UpdateZoomChoices();
}

void TfrmPelto::FitMenuTitles(QFont Font) {
    const int Largest = Font.pixelSize();
    for (int Size = Largest; Size > Largest / 2; --Size) {
        Font.setPixelSize(Size);
        menuBar()->setFont(Font);
        if (menuBar()->sizeHint().width() <= ClientWidth * FZoom)
            return;
    }
}

void TfrmPelto::StepZoom(int Step) {
    const int Factor = std::clamp(FZoom + Step, 1, LargestZoom);
    if (ZoomFits(Factor))
        SetZoom(Factor);
}

void TfrmPelto::miZoomInClick() {
    StepZoom(1);
}

void TfrmPelto::miZoomOutClick() {
    StepZoom(-1);
}

void TfrmPelto::miActualSizeClick() {
    SetZoom(1);
}

void TfrmPelto::KeepOnScreen() {
    const QRect Available = AvailableGeometry();
    if (Available.isEmpty())
        return;
    const QRect Frame(frameGeometry().topLeft(), ZoomedSize().At(FZoom));
    if (const QPoint At = PlaceOnScreen(Frame, Available); At != Frame.topLeft())
        move(At);
}

void TfrmPelto::UpdateZoomChoices() {
    const TZoomedSize Sizes = ZoomedSize();
    for (int Factor = 1; Factor <= LargestZoom; ++Factor) {
        QAction* Action = FZoomActions[static_cast<std::size_t>(Factor - 1)];
        const bool Fits = ZoomFits(Factor);
        const QSize Needed = Sizes.At(Factor);
        Action->setEnabled(Fits);
        Action->setToolTip(Fits ? QString()
                                : tr("Does not fit on this screen (needs %1 × %2)")
                                      .arg(Needed.width())
                                      .arg(Needed.height()));
    }
}

void TfrmPelto::ScreenChanged() {
    // The zoom the user chose, as far as this screen allows: less on a smaller screen, all of it
    // again back on a larger one.
    const std::optional<int> Chosen = FSettings.Zoom;
    const int Wanted = Chosen ? std::clamp(*Chosen / 100, 1, LargestZoom) : FZoom;
    const QRect Available = AvailableGeometry();
    const int Factor = Available.isEmpty() ? FZoom : ZoomedSize().LargestFitting(Wanted, Available);
    if (Factor != FZoom) {
        SetZoom(Factor);
        FSettings.Zoom = Chosen;
        return;
    }
    UpdateZoomChoices();
}

} // namespace pelto
