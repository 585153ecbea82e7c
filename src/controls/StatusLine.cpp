#include "controls/StatusLine.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyleOption>
#include <QTextBoundaryFinder>
#include <QToolTip>

namespace pelto {
namespace {

constexpr QChar Ellipsis(0x2026);
// Where QStatusBar draws its message, and the room its labels take beyond their text.
constexpr int MessageLeft = 6;
constexpr int MessageMargins = 18;
constexpr int LabelGap = 8;

// Shows Text whole in a tooltip when it is drawn cut, else none: the event is taken either way.
bool TipWhenCut(QHelpEvent* Event, QWidget* Widget, const QString& Text, const QString& Shown) {
    if (Shown != Text && !Text.isEmpty())
        QToolTip::showText(Event->globalPos(), Text, Widget);
    else
        QToolTip::hideText();
    return true;
}

} // namespace

QString ElideAtWord(const QString& Text, const QFontMetrics& Metrics, int Width) {
    if (Metrics.horizontalAdvance(Text) <= Width)
        return Text;
    // Where a line may break (after a blank or a hyphen, between ideographs) a word ends.
    QTextBoundaryFinder Breaks(QTextBoundaryFinder::Line, Text);
    QString Best;
    for (qsizetype At = Breaks.toNextBoundary(); At > 0 && At < Text.size();
         At = Breaks.toNextBoundary()) {
        QString Head = Text.left(At);
        while (!Head.isEmpty() && (Head.back().isSpace() || Head.back() == QChar(0x00B7)))
            Head.chop(1);
        if (Head.isEmpty())
            continue;
        Head += Ellipsis;
        if (Metrics.horizontalAdvance(Head) > Width)
            break;
        Best = Head;
    }
    return Best.isEmpty() ? Metrics.elidedText(Text, Qt::ElideRight, Width) : Best;
}

QSize TElidedLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QString TElidedLabel::ShownText() const {
    return ElideAtWord(text(), fontMetrics(), contentsRect().width() - 2 * margin());
}

void TElidedLabel::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    QStyleOption Option;
    Option.initFrom(this);
    const QRect Room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&Painter, Room, static_cast<int>(alignment()) | Qt::TextSingleLine,
                          Option.palette, isEnabled(), ShownText(), foregroundRole());
}

bool TElidedLabel::event(QEvent* Event) {
    if (Event->type() == QEvent::ToolTip && toolTip().isEmpty())
        return TipWhenCut(static_cast<QHelpEvent*>(Event), this, text(), ShownText());
    return QLabel::event(Event);
}

TStatusLine::TStatusLine(QWidget* Parent) : QStatusBar(Parent) {
    connect(this, &QStatusBar::messageChanged, this, [this] { FitLabels(); });
}

void TStatusLine::FitLabels() {
    // A message takes the room it needs; a label beside it shows whole or yields until the
    // message goes. Without a message the labels have the whole line.
    const QString Message = currentMessage();
    int Left = width() - MessageMargins;
    if (!Message.isEmpty())
        Left -= fontMetrics().horizontalAdvance(Message);
    for (auto* Label : findChildren<TElidedLabel*>(Qt::FindDirectChildrenOnly)) {
        const QMargins Margins = Label->contentsMargins();
        const int Whole = Label->fontMetrics().horizontalAdvance(Label->text()) + Margins.left() +
                          Margins.right() + 2 * Label->margin() + LabelGap;
        const bool Shown = Message.isEmpty() || Whole <= Left;
        if (Shown)
            Left -= Whole;
        if (Label->isVisibleTo(this) != Shown)
            Label->setVisible(Shown);
    }
}

void TStatusLine::resizeEvent(QResizeEvent* Event) {
    QStatusBar::resizeEvent(Event);
    FitLabels();
}

QRect TStatusLine::MessageRect() const {
    // As QStatusBar places its message: beside the widgets kept on the line while it shows.
    int Left = MessageLeft;
    int Right = width() - (MessageMargins - MessageLeft);
    for (const QWidget* Child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!Child->isVisible() || Child->isWindow())
            continue;
        if (layoutDirection() == Qt::RightToLeft)
            Left = std::max(Left, Child->geometry().right() + 1 + 2);
        else
            Right = std::min(Right, Child->x() - 2);
    }
    return {Left, 0, std::max(0, Right - Left), height()};
}

QString TStatusLine::ShownMessage() const {
    return ElideAtWord(currentMessage(), fontMetrics(), MessageRect().width());
}

void TStatusLine::paintEvent(QPaintEvent* Event) {
    if (currentMessage().isEmpty()) {
        QStatusBar::paintEvent(Event);
        return;
    }
    QPainter Painter(this);
    QStyleOption Option;
    Option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &Option, &Painter, this);
    for (QWidget* Child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!Child->isVisible() || Child->isWindow())
            continue;
        Option.rect = Child->geometry().adjusted(-1, -1, 1, 1);
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &Option, &Painter, Child);
    }
    Painter.setPen(palette().windowText().color());
    Painter.drawText(MessageRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                     ShownMessage());
}

bool TStatusLine::event(QEvent* Event) {
    // A label's new text asks for a new layout: it may no longer fit beside the message.
    if (Event->type() == QEvent::LayoutRequest)
        FitLabels();
    if (Event->type() == QEvent::ToolTip && !currentMessage().isEmpty()) {
        auto* Help = static_cast<QHelpEvent*>(Event);
        if (MessageRect().contains(Help->pos()))
            return TipWhenCut(Help, this, currentMessage(), ShownMessage());
    }
    return QStatusBar::event(Event);
}

} // namespace pelto
