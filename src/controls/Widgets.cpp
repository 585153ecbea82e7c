#include "controls/Widgets.h"

#include "controls/QtBitmaps.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <cmath>

namespace pelto {

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (OnPaint)
        OnPaint(Painter);
}

void TPaintBox::mousePressEvent(QMouseEvent* Event) {
    emit MouseDown(Event->button(), Event->position().toPoint());
}

void TPaintBox::mouseMoveEvent(QMouseEvent* Event) {
    emit MouseMoved(Event->position().toPoint());
}

void TPaintBox::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    emit MouseLeft();
}

void TImage::SetPicture(const QImage& Picture) {
    FPicture = Picture;
    Rebuild();
}

void TImage::SetTransparent(bool Value) {
    FTransparent = Value;
    Rebuild();
}

void TImage::SetCenter(bool Value) {
    FCenter = Value;
    update();
}

void TImage::SetAutoSize(bool Value) {
    FAutoSize = Value;
    Rebuild();
}

void TImage::SetZoom(int Factor) {
    if (Factor < 1 || Factor == FZoom)
        return;
    FZoom = Factor;
    Rebuild();
}

void TImage::Rebuild() {
    FPixmap = FTransparent ? WithBottomLeftTransparent(FPicture) : QPixmap::fromImage(FPicture);
    if (FAutoSize && !FPicture.isNull())
        resize(FPicture.size() * FZoom);
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    if (FPixmap.isNull())
        return;
    QPainter Painter(this);
    Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QSize Size = FPixmap.size() * FZoom;
    QPoint At(0, 0);
    if (FCenter) // centred as at the classic size, so that every place scales alike
        At = QPoint((width() / FZoom - FPixmap.width()) / 2 * FZoom,
                    (height() / FZoom - FPixmap.height()) / 2 * FZoom);
    Painter.drawPixmap(QRect(At, Size), FPixmap);
}

void TImage::mousePressEvent(QMouseEvent* Event) {
    FPressed = Event->button() == Qt::LeftButton;
    emit MouseDown(Event->button(), Event->position().toPoint());
}

void TImage::mouseMoveEvent(QMouseEvent* Event) {
    emit MouseMoved(Event->position().toPoint());
    QWidget::mouseMoveEvent(Event);
}

void TImage::leaveEvent(QEvent* Event) {
    QWidget::leaveEvent(Event);
    emit MouseLeft();
}

void TImage::mouseReleaseEvent(QMouseEvent* Event) {
    const bool WasPressed = FPressed;
    FPressed = false;
    if (WasPressed && Event->button() == Qt::LeftButton &&
        rect().contains(Event->position().toPoint()))
        emit Clicked();
}

void TImage::contextMenuEvent(QContextMenuEvent* Event) {
    Event->accept(); // no context menu: a right click is a command of its own
    emit ContextPopup();
}

void TLabel::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        emit Clicked();
}

void TLabel::contextMenuEvent(QContextMenuEvent* Event) {
    Event->accept();
    emit ContextPopup();
}

TMemo::TMemo(QWidget* Parent) : QPlainTextEdit(Parent) {
    setReadOnly(true);
    // Read-only and without a caret: the text can be neither edited nor selected by caret.
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::NoFocus);
    setCursorWidth(0);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TMemo::SetLinesFitting(const QStringList& Lines, int LargestPixelSize) {
    constexpr int SmallestPixelSize = 6;
    const int Margin = 2 * static_cast<int>(std::ceil(document()->documentMargin()));
    // The viewport takes the box's size only once shown; the box has it at once.
    const QSize Room = contentsRect().size() - QSize(Margin, Margin);
    // The largest size up to Largest at which Fits holds, else the smallest.
    const auto Largest = [](QFont Font, int Largest, const auto& Fits) {
        for (int Size = Largest; Size > SmallestPixelSize; --Size) {
            Font.setPixelSize(Size);
            if (Fits(QFontMetrics(Font)))
                return Size;
        }
        return SmallestPixelSize;
    };
    // The box's size has room for every line; a line too wide for it gets a smaller one of its
    // own, so that one long bonus label leaves the others as they are.
    QFont Font = font();
    Font.setPixelSize(Largest(Font, LargestPixelSize, [&](const QFontMetrics& Metrics) {
        return Lines.size() * Metrics.lineSpacing() <= Room.height();
    }));
    setFont(Font);
    setPlainText(Lines.join('\n'));
    QTextBlock Block = document()->firstBlock();
    for (const QString& Line : Lines) {
        const int Size = Largest(Font, Font.pixelSize(), [&](const QFontMetrics& Metrics) {
            return Metrics.horizontalAdvance(Line) <= Room.width();
        });
        if (Size != Font.pixelSize()) {
            QTextCursor Cursor(Block);
            Cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat Smaller;
            Smaller.setProperty(QTextFormat::FontPixelSize, Size);
            Cursor.mergeCharFormat(Smaller);
        }
        Block = Block.next();
    }
}

namespace {

// The clipboard, undo and whole-word deletion, whatever the platform binds them to. Movement is
// left out: a platform may bind it to letters with Ctrl as well (Ctrl+E for End), which are the
// window's commands here, and the plain keys below move just as well.
constexpr QKeySequence::StandardKey EditingKeys[] = {
    QKeySequence::Copy,
    QKeySequence::Cut,
    QKeySequence::Paste,
    QKeySequence::Undo,
    QKeySequence::Redo,
    QKeySequence::SelectAll,
    QKeySequence::DeleteStartOfWord,
    QKeySequence::DeleteEndOfWord,
};

} // namespace

bool TCodeEdit::EditsText(const QKeyEvent& Key) {
    for (const QKeySequence::StandardKey Standard : EditingKeys)
        if (Key.matches(Standard))
            return true;
    switch (Key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        break;
    }
    // Text typed as it is, the keypad's digits too; with Ctrl or Alt a key is a command.
    const Qt::KeyboardModifiers Commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return !(Key.modifiers() & Commands) && !Key.text().isEmpty() && Key.text().front().isPrint();
}

bool TCodeEdit::event(QEvent* Event) {
    // Left unaccepted, the key goes to the window's shortcuts; one that matches none still
    // comes back here as a key press.
    if (Event->type() == QEvent::ShortcutOverride) {
        const auto& Key = *static_cast<const QKeyEvent*>(Event);
        // Undo and redo are the window's as well: the box keeps them while it has typing of
        // its own to walk, which every rewrite of its code forgets.
        const bool Walks = (Key.matches(QKeySequence::Undo) && !isUndoAvailable()) ||
                           (Key.matches(QKeySequence::Redo) && !isRedoAvailable());
        if (!EditsText(Key) || Walks) {
            Event->ignore();
            return true;
        }
    }
    return QLineEdit::event(Event);
}

TLabel* Caption(QWidget* Parent, const QString& Text, int Left, int Top, QColor Color) {
    auto* Label = new TLabel(Text, Parent);
    QPalette Palette = Label->palette();
    Palette.setColor(QPalette::WindowText, Color);
    Label->setPalette(Palette);
    Label->move(Left, Top);
    Label->adjustSize();
    return Label;
}

} // namespace pelto
