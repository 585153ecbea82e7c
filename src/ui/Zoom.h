#pragma once

#include <QProxyStyle>
#include <QRect>
#include <QSize>

namespace pelto {

/// The application's style with every length it gives in pixels multiplied by a whole factor, so
/// that what the style draws (frames, margins, scroll bars, indicators) grows with a zoomed
/// window. Drop-down boxes are drawn at the classic size and enlarged pixel for pixel, as the
/// window's own pictures are, so that their arrows grow too.
class TZoomStyle : public QProxyStyle {
public:
    explicit TZoomStyle(QStyle* Base);

    int Factor() const { return FFactor; }
    void SetFactor(int Factor);

    int pixelMetric(PixelMetric Metric, const QStyleOption* Option = nullptr,
                    const QWidget* Widget = nullptr) const override;
    QSize sizeFromContents(ContentsType Type, const QStyleOption* Option, const QSize& Size,
                           const QWidget* Widget) const override;
    QRect subControlRect(ComplexControl Control, const QStyleOptionComplex* Option, SubControl Part,
                         const QWidget* Widget) const override;
    void drawComplexControl(ComplexControl Control, const QStyleOptionComplex* Option,
                            QPainter* Painter, const QWidget* Widget = nullptr) const override;

private:
    // While the base style works at the classic size, it gets the classic lengths too.
    class TClassicScope;
    int FFactor = 1;
    mutable int FClassicDepth = 0;
};

/// Zooms what every window of the application shares: the style (TZoomStyle, installed on the
/// first call) and the fonts of the widgets that set none of their own (dialogs, message boxes,
/// menus, tooltips). Factor 1 gives the application's own fonts back.
void ZoomApplication(int Factor);

/// How large a window is at a zoom, and whether it fits on a screen. The frame is the window
/// system's and keeps its size.
struct TZoomedSize {
    QSize Classic; // the window without its frame at 100 %
    QSize Frame;   // what the frame adds

    QSize At(int Factor) const { return Classic * Factor + Frame; }
    bool Fits(int Factor, QRect Available) const {
        const QSize Needed = At(Factor);
        return Needed.width() <= Available.width() && Needed.height() <= Available.height();
    }
    /// The largest factor up to Wanted that fits, 1 when none does.
    int LargestFitting(int Wanted, QRect Available) const;
};

/// Where a window of frame Window lands when moved the least it takes to lie wholly in
/// Available (its top-left corner first, when it is larger).
QPoint PlaceOnScreen(QRect Window, QRect Available);

} // namespace pelto
