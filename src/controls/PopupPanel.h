#pragma once

#include <QFrame>

#include <memory>

class QEventLoop;
class QLabel;
class QVariantAnimation;

namespace pelto {

/// A panel that lies hidden inside its form and, on request, pops up as a free-floating pop-up
/// window at a screen point, takes the focus and holds the caller in a local event loop until it
/// closes. Its owner fills it with child controls like any other container.
///
/// It closes when its owner calls ClosePopup, on a mouse press anywhere outside it (the press
/// still reaches whatever lies under the pointer), when the application is deactivated, on Esc,
/// on a new Popup, and when it is hidden or destroyed by anyone else. Afterwards it is a hidden
/// child again, with its size and place in its parent as before the Popup.
///
/// One Popup runs at a time in the process: a Popup entered while another one's loop is still
/// running closes every open panel and returns PopupRefused without popping anything up.
class TPopupPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool Animation READ Animation WRITE SetAnimation)

public:
    /// The code of every close the panel does by itself (press outside, deactivation, Esc, ...).
    static constexpr int CloseCodeSelf = 2;
    /// The result of a Popup that was refused because another Popup was still running.
    static constexpr int PopupRefused = -1;
    /// Length of the opening and closing slides.
    static constexpr int SlideMs = 200;

    explicit TPopupPanel(QWidget* Parent = nullptr);
    ~TPopupPanel() override;

    /// Pops up with the top-left corner at the screen point (X, Y), at the current size, and
    /// returns the close code once closed.
    int Popup(int X, int Y);
    /// Closes the panel if it is popped up and records Code as the result of its Popup.
    void ClosePopup(int Code);

    /// Slides open downwards and closed upwards instead of showing and hiding at once.
    bool Animation() const { return FAnimation; }
    void SetAnimation(bool Value) { FAnimation = Value; }

    /// From the start of Popup until the panel is closed.
    bool Showing() const { return FShowing; }

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    void FocusFirstTabStop();
    void StartOpeningSlide();
    void StopOpeningSlide();
    void StartClosingSlide();
    void StopClosingSlide();

    bool FAnimation = false;
    int FResult = 0;
    bool FShowing = false;
    QEventLoop* FLoop = nullptr; // the running Popup's loop, which lives on that call's stack
    std::unique_ptr<QVariantAnimation> FOpening;
    std::unique_ptr<QLabel> FCover; // a picture of the closed panel that rolls itself up
    std::unique_ptr<QVariantAnimation> FClosing;
};

} // namespace pelto
