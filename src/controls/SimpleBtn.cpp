#include "controls/SimpleBtn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <utility>

namespace pelto {

namespace {

// Cut out once per change rather than per paint: the key is the bottom-left pixel's colour.
QPixmap DrawnForm(const QImage& Image, bool Transparent) {
    if (Image.isNull())
        return {};
    if (!Transparent)
        return QPixmap::fromImage(Image);
    QImage Masked = Image.convertToFormat(QImage::Format_ARGB32);
    const QRgb Key = Masked.pixel(0, Masked.height() - 1);
    for (int Y = 0; Y < Masked.height(); ++Y)
        for (int X = 0; X < Masked.width(); ++X)
            if (Masked.pixel(X, Y) == Key)
                Masked.setPixel(X, Y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(std::move(Masked));
}

bool Opaque(const QImage& Image) {
    return !Image.isNull() && !Image.hasAlphaChannel();
}

} // namespace

TSimpleButton::TSimpleButton(QWidget* Parent) : QWidget(Parent) {
    setFocusPolicy(Qt::NoFocus);
    // Moves without a button held let the button catch up on a pointer-entered it missed.
    setMouseTracking(true);
    resize(105, 105);
}

TSimpleButton::TPictureSlot& TSimpleButton::Slot(TPicture Which) {
    switch (Which) {
    case TPicture::Down:
        return FDownPicture;
    case TPicture::Hover:
        return FHoverPicture;
    case TPicture::Normal:
        break;
    }
    return FNormalPicture;
}

void TSimpleButton::SetNormalPicture(const QImage& Picture) {
    FNormalPicture.Image = Picture;
    PictureChanged(TPicture::Normal);
}

void TSimpleButton::SetDownPicture(const QImage& Picture) {
    FDownPicture.Image = Picture;
    PictureChanged(TPicture::Down);
}

void TSimpleButton::SetHoverPicture(const QImage& Picture) {
    FHoverPicture.Image = Picture;
    PictureChanged(TPicture::Hover);
}

void TSimpleButton::SetAutoSize(bool Value) {
    if (Value == FAutoSize)
        return;
    FAutoSize = Value;
    if (FAutoSize && !FNormalPicture.Image.isNull())
        resize(Shown(FNormalPicture.Image));
}

void TSimpleButton::SetZoom(int Factor) {
    if (Factor < 1 || Factor == FZoom)
        return;
    FZoom = Factor;
    if (FAutoSize && !FNormalPicture.Image.isNull())
        resize(Shown(FNormalPicture.Image));
    UpdateOpaque();
    update();
}

void TSimpleButton::SetTransparent(bool Value) {
    if (Value == FTransparent)
        return;
    FTransparent = Value;
    PictureChanged(TPicture::Normal);
    PictureChanged(TPicture::Down);
    PictureChanged(TPicture::Hover);
}

void TSimpleButton::PictureChanged(TPicture Which) {
    TPictureSlot& Picture = Slot(Which);
    // So with AutoSize the button takes the size of whichever picture changed last.
    if (FAutoSize && Picture.Image.width() > 0 && Picture.Image.height() > 0)
        resize(Shown(Picture.Image));
    Picture.Drawn = DrawnForm(Picture.Image, FTransparent);
    UpdateOpaque();
    update();
}

// The parent need not paint beneath the button when whichever picture is shown covers all of it.
void TSimpleButton::UpdateOpaque() {
    const QRect PictureRect(QPoint(0, 0), Shown(FNormalPicture.Image));
    const bool Covers = !FTransparent && PictureRect.contains(rect()) &&
                        Opaque(FNormalPicture.Image) && Opaque(FDownPicture.Image) &&
                        Opaque(FHoverPicture.Image);
    setAttribute(Qt::WA_OpaquePaintEvent, Covers);
}

bool TSimpleButton::PointerInside() const {
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

void TSimpleButton::paintEvent(QPaintEvent*) {
    if (!isEnabled())
        FPressed = false;
    const QPixmap& Drawn = !FMouseInControl ? FNormalPicture.Drawn
                           : FPressed       ? FDownPicture.Drawn
                                            : FHoverPicture.Drawn;
    if (Drawn.isNull() || FNormalPicture.Image.isNull())
        return;
    QPainter Painter(this);
    Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    Painter.drawPixmap(QRect(QPoint(0, 0), Shown(FNormalPicture.Image)), Drawn);
}

void TSimpleButton::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    UpdateOpaque();
}

void TSimpleButton::changeEvent(QEvent* Event) {
    QWidget::changeEvent(Event);
    if (Event->type() != QEvent::EnabledChange)
        return;
    const bool Was = FMouseInControl;
    UpdateTracking(PointerInside());
    update();
    NotifyHover(Was);
}

// A hidden button gets no leave event: one clicked away together with its pop-up would show
// its hover look the next time it is shown.
void TSimpleButton::hideEvent(QHideEvent* Event) {
    QWidget::hideEvent(Event);
    const bool Was = FMouseInControl;
    FMouseInControl = false;
    FPressed = false;
    FClicking = false;
    NotifyHover(Was);
}

void TSimpleButton::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    const bool Was = FMouseInControl;
    UpdateTracking(PointerInside());
    NotifyHover(Was);
}

void TSimpleButton::PointerEntered() {
    if (!FMouseInControl && isEnabled() && QWidget::mouseGrabber() == nullptr) {
        FMouseInControl = true;
        update();
    }
}

// A pressed button keeps its down picture while the pointer is away.
void TSimpleButton::PointerLeft() {
    if (FMouseInControl && isEnabled() && !FPressed) {
        FMouseInControl = false;
        update();
    }
}

// Sets the flag opposite to where the pointer is and lets the enter/leave handling settle it,
// so the same conditions apply as for real pointer events (a held button stays in control).
void TSimpleButton::UpdateTracking(bool Inside) {
    if (!isEnabled())
        return;
    FMouseInControl = !Inside;
    if (FMouseInControl)
        PointerLeft();
    else
        PointerEntered();
}

void TSimpleButton::NotifyHover(bool WasInControl) {
    if (FMouseInControl == WasInControl)
        return;
    if (FMouseInControl)
        emit MouseEnter();
    else
        emit MouseLeave();
}

void TSimpleButton::enterEvent(QEnterEvent* Event) {
    QWidget::enterEvent(Event);
    const bool Was = FMouseInControl;
    PointerEntered();
    NotifyHover(Was);
}

void TSimpleButton::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    const bool Was = FMouseInControl;
    PointerLeft();
    NotifyHover(Was);
}

// Mouse events are taken here and not passed on to the parent.
void TSimpleButton::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton || !isEnabled())
        return;
    FClicking = true;
    FPressed = true;
    update();
}

// The second press of a double click is an ordinary press, so a double click is two clicks.
void TSimpleButton::mouseDoubleClickEvent(QMouseEvent* Event) {
    mousePressEvent(Event);
}

void TSimpleButton::mouseMoveEvent(QMouseEvent* Event) {
    if (FPressed || FMouseInControl)
        return;
    const bool Was = FMouseInControl;
    UpdateTracking(rect().contains(Event->position().toPoint()));
    NotifyHover(Was);
}

void TSimpleButton::mouseReleaseEvent(QMouseEvent* Event) {
    const bool Inside = rect().contains(Event->position().toPoint());
    // The click comes first, while the button still looks pressed; its handler may free us.
    if (Event->button() == Qt::LeftButton && FClicking) {
        FClicking = false;
        if (Inside) {
            const QPointer<TSimpleButton> Alive(this);
            emit Click();
            if (!Alive)
                return;
        }
    }
    // Any button's release ends the pressed look, as the platform's mouse-up does.
    if (!FPressed)
        return;
    const bool Was = FMouseInControl;
    FPressed = false;
    FMouseInControl = false;
    update();
    UpdateTracking(Inside);
    NotifyHover(Was);
}

} // namespace pelto
