#include "ui/Zoom.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFont>
#include <QLayout>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionComplex>

#include <algorithm>
#include <array>
#include <map>

namespace pelto {
namespace {

QRect Scaled(QRect R, int Factor) {
    return {R.x() * Factor, R.y() * Factor, R.width() * Factor, R.height() * Factor};
}

// The classic rectangle a zoomed one enlarges; rounded outwards, so nothing is cut off.
QRect Classic(QRect R, int Factor) {
    const int Left = R.x() / Factor;
    const int Top = R.y() / Factor;
    return {Left, Top, (R.right() + 1 + Factor - 1) / Factor - Left,
            (R.bottom() + 1 + Factor - 1) / Factor - Top};
}

} // namespace

class TZoomStyle::TClassicScope {
public:
    explicit TClassicScope(const TZoomStyle& Style) : FStyle(Style) { ++FStyle.FClassicDepth; }
    ~TClassicScope() { --FStyle.FClassicDepth; }
    TClassicScope(const TClassicScope&) = delete;
    TClassicScope& operator=(const TClassicScope&) = delete;

private:
    const TZoomStyle& FStyle;
};

TZoomStyle::TZoomStyle(QStyle* Base) : QProxyStyle(Base) {}

void TZoomStyle::SetFactor(int Factor) {
    FFactor = std::max(1, Factor);
}

int TZoomStyle::pixelMetric(PixelMetric Metric, const QStyleOption* Option,
                            const QWidget* Widget) const {
    const int Value = QProxyStyle::pixelMetric(Metric, Option, Widget);
    // Negative and zero values mean "none" or "the default", not lengths.
    return FClassicDepth == 0 && Value > 0 ? Value * FFactor : Value;
}

QSize TZoomStyle::sizeFromContents(ContentsType Type, const QStyleOption* Option, const QSize& Size,
                                   const QWidget* Widget) const {
    if (Type != CT_ComboBox || FFactor == 1 || FClassicDepth > 0)
        return QProxyStyle::sizeFromContents(Type, Option, Size, Widget);
    // As large as the classic box around the classic contents, enlarged.
    const TClassicScope Scope(*this);
    const QSize Contents((Size.width() + FFactor - 1) / FFactor,
                         (Size.height() + FFactor - 1) / FFactor);
    return QProxyStyle::sizeFromContents(Type, Option, Contents, Widget) * FFactor;
}

QRect TZoomStyle::subControlRect(ComplexControl Control, const QStyleOptionComplex* Option,
                                 SubControl Part, const QWidget* Widget) const {
    const auto* Box = qstyleoption_cast<const QStyleOptionComboBox*>(Option);
    if (Control != CC_ComboBox || !Box || FFactor == 1 || FClassicDepth > 0)
        return QProxyStyle::subControlRect(Control, Option, Part, Widget);
    const TClassicScope Scope(*this);
    QStyleOptionComboBox Small(*Box);
    Small.rect = Classic(Box->rect, FFactor);
    return Scaled(QProxyStyle::subControlRect(Control, &Small, Part, Widget), FFactor);
}

void TZoomStyle::drawComplexControl(ComplexControl Control, const QStyleOptionComplex* Option,
                                    QPainter* Painter, const QWidget* Widget) const {
    const auto* Box = qstyleoption_cast<const QStyleOptionComboBox*>(Option);
    if (Control != CC_ComboBox || !Box || FFactor == 1 || FClassicDepth > 0) {
        QProxyStyle::drawComplexControl(Control, Option, Painter, Widget);
        return;
    }
    // The frame, the button and the arrow; the box's text is drawn apart, at the zoomed size.
    const TClassicScope Scope(*this);
    const QRect Small = Classic(Box->rect, FFactor);
    QImage Picture(Small.size(), QImage::Format_ARGB32_Premultiplied);
    Picture.fill(Qt::transparent);
    QStyleOptionComboBox At(*Box);
    At.rect = QRect(QPoint(0, 0), Small.size());
    {
        QPainter PicturePainter(&Picture);
        QProxyStyle::drawComplexControl(Control, &At, &PicturePainter, Widget);
    }
    Painter->save();
    Painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    Painter->drawImage(Scaled(Small, FFactor), Picture);
    Painter->restore();
}

void ZoomApplication(int Factor) {
    Factor = std::max(1, Factor);
    auto* Style = dynamic_cast<TZoomStyle*>(QApplication::style());
    if (!Style) {
        // A style of the same kind as the one in use, for the proxy owns its base.
        QStyle* Base = QStyleFactory::create(QApplication::style()->name());
        Style = new TZoomStyle(Base);
        QApplication::setStyle(Style); // the application owns it
    }

    // The fonts as the application had them before any zoom. Besides its general font, the
    // platform's theme may set fonts of its own for some kinds of widget.
    static constexpr std::array<const char*, 8> ThemedKinds{
        "QMenu",  "QMenuBar",    "QMessageBox",       "QTipLabel",
        "QLabel", "QHeaderView", "QAbstractItemView", "QComboMenuItem"};
    struct TBaseFonts {
        QFont General = QApplication::font();
        std::map<const char*, QFont> Themed;
        TBaseFonts() {
            for (const char* Kind : ThemedKinds)
                if (const QFont Font = QApplication::font(Kind); Font != General)
                    Themed.emplace(Kind, Font);
        }
    };
    static const TBaseFonts Base;
    const auto Zoomed = [Factor](QFont Font) {
        if (Font.pixelSize() > 0)
            Font.setPixelSize(Font.pixelSize() * Factor);
        else
            Font.setPointSizeF(Font.pointSizeF() * Factor);
        return Font;
    };
    if (Style->Factor() == Factor && QApplication::font() == Zoomed(Base.General))
        return;
    if (Style->Factor() != Factor) {
        Style->SetFactor(Factor);
        // As a change of style does: widgets ask their sizes again (scroll bars, frames).
        const QWidgetList Widgets = QApplication::allWidgets();
        const auto Tell = [](QWidget* Widget) {
            QEvent Changed(QEvent::StyleChange);
            QCoreApplication::sendEvent(Widget, &Changed);
        };
        std::for_each(Widgets.begin(), Widgets.end(), Tell);
        // A scroll area's bars lie in boxes whose layouts bound them; hidden, those layouts
        // wait for a show. Settled at once, the areas then place their bars at the new size.
        for (QWidget* Widget : Widgets)
            if (QLayout* Layout = Widget->layout())
                Layout->activate();
        for (QWidget* Widget : Widgets)
            if (qobject_cast<QAbstractScrollArea*>(Widget))
                Tell(Widget);
    }
    QApplication::setFont(Zoomed(Base.General));
    for (const auto& [Kind, Font] : Base.Themed)
        QApplication::setFont(Zoomed(Font), Kind);
}

int TZoomedSize::LargestFitting(int Wanted, QRect Available) const {
    int Factor = std::max(1, Wanted);
    while (Factor > 1 && !Fits(Factor, Available))
        --Factor;
    return Factor;
}

QPoint PlaceOnScreen(QRect Window, QRect Available) {
    QPoint At = Window.topLeft();
    At.setX(std::min(At.x(), Available.right() + 1 - Window.width()));
    At.setY(std::min(At.y(), Available.bottom() + 1 - Window.height()));
    At.setX(std::max(At.x(), Available.left()));
    At.setY(std::max(At.y(), Available.top()));
    return At;
}

} // namespace pelto
