#include "controls/PopupPanel.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QScopeGuard>
#include <QVariantAnimation>
#include <QWindow>

#include <vector>

namespace pelto {

namespace {

std::vector<TPopupPanel*> OpenPanels; // popped-up panels, oldest first
int RunningPopups = 0;                // Popup calls whose loop has not returned yet

void Forget(TPopupPanel* Panel) {
    std::erase(OpenPanels, Panel);
}

bool BlockedByModal(const QWidget& Target) {
    const QWidget* Modal = QApplication::activeModalWidget();
    if (Modal == nullptr)
        return false;
    for (const QWidget* W = &Target; W != nullptr; W = W->parentWidget())
        if (W == Modal)
            return false;
    return true;
}

QWindow* ClosestWindow(QWidget* Widget) {
    for (QWidget* W = Widget; W != nullptr; W = W->parentWidget())
        if (QWindow* Window = W->windowHandle())
            return Window;
    return nullptr;
}

// Hands a press that closed a pop-up to whatever lies under it now. Posted, as Qt does it, so
// that it is handled after the pop-up's Popup call has returned.
void ReplayPress(const QMouseEvent& Press) {
    const QPoint Global = Press.globalPosition().toPoint();
    QWidget* Target = QApplication::widgetAt(Global);
    if (Target == nullptr || BlockedByModal(*Target))
        return;
    if (!Target->isActiveWindow()) {
        Target->activateWindow();
        Target->window()->raise();
    }
    QWindow* Window = ClosestWindow(Target);
    if (Window == nullptr)
        return;
    const QPointF Local = Window->mapFromGlobal(Global);
    auto Replayed = std::make_unique<QMouseEvent>(
        QEvent::MouseButtonPress, Local, Local, Press.globalPosition(), Press.button(),
        Press.buttons(), Press.modifiers(), Press.pointingDevice());
    Replayed->setTimestamp(Press.timestamp());
    QCoreApplication::postEvent(Window, Replayed.release()); // takes ownership
}

} // namespace

TPopupPanel::TPopupPanel(QWidget* Parent) : QFrame(Parent) {
    setAutoFillBackground(true);
    // Switching to another application takes the activation away from the pop-up.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState State) {
                if (State != Qt::ApplicationActive)
                    ClosePopup(CloseCodeSelf);
            });
}

// A Popup call still on the stack returns once its loop sees this, without touching the panel.
TPopupPanel::~TPopupPanel() {
    if (FShowing) {
        FShowing = false;
        FResult = CloseCodeSelf;
    }
    if (FLoop != nullptr)
        FLoop->quit();
    Forget(this);
}

int TPopupPanel::Popup(int X, int Y) {
    ClosePopup(CloseCodeSelf);
    if (RunningPopups > 0) {
        // A second loop would keep the first one's caller waiting inside it; refuse, and close
        // whatever is open so that every running Popup returns.
        const std::vector<TPopupPanel*> Open = OpenPanels;
        for (auto Panel = Open.rbegin(); Panel != Open.rend(); ++Panel)
            (*Panel)->ClosePopup(CloseCodeSelf);
        return PopupRefused;
    }
    StopClosingSlide();

    const QRect Bounds = geometry();
    const Qt::WindowFlags Flags = windowFlags();
    const QPointer<TPopupPanel> Alive(this);
    QEventLoop Loop;
    ++RunningPopups;
    FLoop = &Loop;
    const auto End = qScopeGuard([&] {
        --RunningPopups;
        if (!Alive)
            return;
        FLoop = nullptr;
        ClosePopup(CloseCodeSelf);
        StopOpeningSlide();
        setWindowFlags(Flags);
        setGeometry(Bounds);
        hide();
    });

    setWindowFlags(Qt::Popup);
    setGeometry(X, Y, Bounds.width(), Bounds.height());
    FShowing = true;
    OpenPanels.push_back(this);
    if (FAnimation)
        StartOpeningSlide();
    show();
    if (FShowing)
        FocusFirstTabStop();

    if (FShowing && isVisible() && !QCoreApplication::closingDown())
        Loop.exec();
    if (!Alive)
        return CloseCodeSelf;
    // The loop also ends when the application quits.
    ClosePopup(CloseCodeSelf);
    return FResult;
}

void TPopupPanel::ClosePopup(int Code) {
    if (FShowing) {
        FShowing = false;
        FResult = Code;
        if (isVisible()) {
            if (FAnimation)
                StartClosingSlide();
            StopOpeningSlide();
        }
        hide();
        if (FLoop != nullptr)
            FLoop->quit();
    }
    Forget(this);
}

void TPopupPanel::FocusFirstTabStop() {
    setFocus(Qt::PopupFocusReason);
    for (QWidget* W = nextInFocusChain(); W != nullptr && W != this; W = W->nextInFocusChain()) {
        if (isAncestorOf(W) && W->isVisibleTo(this) && W->isEnabled() &&
            (W->focusPolicy() & Qt::TabFocus) != 0) {
            W->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TPopupPanel::mousePressEvent(QMouseEvent* Event) {
    if (!FShowing || rect().contains(Event->position().toPoint())) {
        QFrame::mousePressEvent(Event);
        return;
    }
    Event->accept();
    // Qt replays such a press only where its input grab worked and the platform asks for it,
    // which X11 and the offscreen platform do not; the panel does it itself, everywhere, and
    // keeps Qt from doing it a second time.
    setAttribute(Qt::WA_NoMouseReplay);
    ClosePopup(CloseCodeSelf);
    ReplayPress(*Event);
}

// Hidden by anyone else: Esc, close(), the window system dismissing the pop-up.
void TPopupPanel::hideEvent(QHideEvent* Event) {
    QFrame::hideEvent(Event);
    if (FShowing)
        ClosePopup(CloseCodeSelf);
}

// The window is in place from the start; a growing mask uncovers it from the top down.
void TPopupPanel::StartOpeningSlide() {
    if (height() < 2)
        return;
    if (!FOpening) {
        FOpening = std::make_unique<QVariantAnimation>();
        FOpening->setDuration(SlideMs);
        connect(FOpening.get(), &QVariantAnimation::valueChanged, this,
                [this](const QVariant& Value) { setMask(QRect(0, 0, width(), Value.toInt())); });
        connect(FOpening.get(), &QVariantAnimation::finished, this, [this] { clearMask(); });
    }
    FOpening->stop();
    FOpening->setStartValue(1);
    FOpening->setEndValue(height());
    setMask(QRect(0, 0, width(), 1));
    FOpening->start();
}

void TPopupPanel::StopOpeningSlide() {
    if (FOpening && FOpening->state() != QAbstractAnimation::Stopped)
        FOpening->stop();
    clearMask();
}

// Closing gives the input back at once (so the press that closed the panel reaches its target
// now); only a picture of the panel, deaf to the mouse, rolls up from the bottom afterwards.
void TPopupPanel::StartClosingSlide() {
    if (height() < 2)
        return;
    if (!FCover) {
        FCover = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        FCover->setAttribute(Qt::WA_TransparentForMouseEvents);
        FCover->setAttribute(Qt::WA_ShowWithoutActivating);
        FCover->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        FClosing = std::make_unique<QVariantAnimation>();
        FClosing->setDuration(SlideMs);
        connect(FClosing.get(), &QVariantAnimation::valueChanged, FCover.get(),
                [this](const QVariant& Value) {
                    FCover->setMask(QRect(0, 0, FCover->width(), Value.toInt()));
                });
        connect(FClosing.get(), &QVariantAnimation::finished, FCover.get(), &QWidget::hide);
    }
    FClosing->stop();
    FCover->setPixmap(grab());
    FCover->setGeometry(geometry());
    FCover->setMask(QRect(0, 0, width(), height()));
    FClosing->setStartValue(height());
    FClosing->setEndValue(1);
    FCover->show();
    FClosing->start();
}

void TPopupPanel::StopClosingSlide() {
    if (!FClosing)
        return;
    FClosing->stop();
    FCover->hide();
}

} // namespace pelto
