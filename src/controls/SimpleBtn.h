#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace pelto {

/// A push button that is nothing but three pictures: normal, hover and down. It has no caption,
/// border, focus or keyboard handling, and no window of its own: it paints on its parent's
/// surface, which shows through wherever no picture is drawn.
///
/// Every picture is drawn into (0, 0, normal picture's size times the zoom); hover and down are
/// stretched to it without smoothing, so pixel art stays crisp at any zoom and device pixel
/// ratio.
class TSimpleButton : public QWidget {
    Q_OBJECT

public:
    enum class TPicture { Normal, Down, Hover };

    explicit TSimpleButton(QWidget* Parent = nullptr);

    const QImage& NormalPicture() const { return FNormalPicture.Image; }
    const QImage& DownPicture() const { return FDownPicture.Image; }
    const QImage& HoverPicture() const { return FHoverPicture.Image; }
    void SetNormalPicture(const QImage& Picture);
    void SetDownPicture(const QImage& Picture);
    void SetHoverPicture(const QImage& Picture);

    /// When on, every picture change with a non-empty picture resizes the button to that picture.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);

    /// When on, each picture's bottom-left colour is left out of its drawing.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    /// Each picture pixel is drawn as Factor x Factor pixels, never smoothed; AutoSize sizes
    /// the button to the enlarged picture.
    int Zoom() const { return FZoom; }
    void SetZoom(int Factor);

signals:
    /// The left button, pressed on the button, was released inside it.
    void Click();
    // Raised whenever the button takes on (MouseEnter) or drops (MouseLeave) its hover/down look
    // because of the pointer: on entering and leaving, on release outside, and when it re-tracks
    // the pointer after a release, a move or an enabled change. A pressed button that is dragged
    // off keeps its look and so raises MouseLeave only at the release.
    void MouseEnter();
    void MouseLeave();

protected:
    /// Rebuilds the drawn form of one picture after it or the transparency changed.
    virtual void PictureChanged(TPicture Which);
    /// Whether the screen pointer is over the button now; used when re-tracking without an event.
    virtual bool PointerInside() const;

    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    struct TPictureSlot {
        QImage Image;  // as assigned
        QPixmap Drawn; // Image with the transparent colour cut out when Transparent is on
    };

    TPictureSlot& Slot(TPicture Which);
    void PointerEntered();
    void PointerLeft();
    void UpdateTracking(bool Inside);
    void UpdateOpaque();
    void NotifyHover(bool WasInControl);

    TPictureSlot FNormalPicture;
    TPictureSlot FDownPicture;
    TPictureSlot FHoverPicture;
    QSize Shown(const QImage& Picture) const { return Picture.size() * FZoom; }

    bool FAutoSize = false;
    bool FTransparent = false;
    int FZoom = 1;
    bool FMouseInControl = false; // the pointer is counted as over the button
    bool FPressed = false;        // the left button went down here and is not yet released
    bool FClicking = false;       // a left release inside will be a click
};

} // namespace pelto
