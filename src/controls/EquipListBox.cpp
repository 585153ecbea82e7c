#include "controls/EquipListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace pelto {

TEquipListBox::TEquipListBox(QWidget* Parent) : QAbstractScrollArea(Parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    horizontalScrollBar()->setSingleStep(1);
    setFocusPolicy(Qt::StrongFocus);
}

int TEquipListBox::VisibleColumns() const {
    return std::max(1, viewport()->width() / FCell);
}

int TEquipListBox::Rows() const {
    return std::max(1, viewport()->height() / FCell);
}

void TEquipListBox::UpdateScrollBar() {
    const int Columns = (FCount + Rows() - 1) / Rows();
    const int Visible = std::max(1, viewport()->width() / FCell);
    horizontalScrollBar()->setRange(0, std::max(0, Columns - Visible));
    horizontalScrollBar()->setPageStep(Visible);
}

void TEquipListBox::SetCellSize(int Size) {
    if (Size < 1 || Size == FCell)
        return;
    FCell = Size;
    UpdateScrollBar();
    viewport()->update();
}

void TEquipListBox::SetCount(int Count) {
    FCount = std::max(0, Count);
    if (FItemIndex >= FCount)
        FItemIndex = -1;
    horizontalScrollBar()->setValue(0);
    UpdateScrollBar();
    viewport()->update();
}

void TEquipListBox::SetItemIndex(int Index) {
    FItemIndex = Index >= 0 && Index < FCount ? Index : -1;
    ScrollToCurrent();
}

void TEquipListBox::ScrollToCurrent() {
    // Like a list box, bring the current cell into view.
    if (FItemIndex < 0)
        return;
    const int Column = FItemIndex / Rows();
    QScrollBar* Bar = horizontalScrollBar();
    const int Visible = VisibleColumns();
    if (Column < Bar->value())
        Bar->setValue(Column);
    else if (Column >= Bar->value() + Visible)
        Bar->setValue(Column - Visible + 1);
}

QRect TEquipListBox::ItemRect(int Index) const {
    const int Column = Index / Rows() - horizontalScrollBar()->value();
    const int Row = Index % Rows();
    return {Column * FCell, Row * FCell, FCell, FCell};
}

int TEquipListBox::ItemAt(QPoint Point) const {
    if (Point.x() < 0 || Point.y() < 0)
        return -1;
    const int Row = Point.y() / FCell;
    if (Row >= Rows())
        return -1;
    const int Column = Point.x() / FCell + horizontalScrollBar()->value();
    const int Index = Column * Rows() + Row;
    return Index < FCount ? Index : -1;
}

void TEquipListBox::RedrawItem(int Index) {
    if (Index >= 0)
        viewport()->repaint(ItemRect(Index));
}

void TEquipListBox::paintEvent(QPaintEvent*) {
    QPainter Painter(viewport());
    Painter.fillRect(viewport()->rect(), palette().base());
    if (!OnDrawItem)
        return;
    const int First = horizontalScrollBar()->value() * Rows();
    const int Visible = (viewport()->width() + FCell - 1) / FCell;
    for (int Index = First; Index < FCount && Index < First + Visible * Rows(); ++Index)
        OnDrawItem(Painter, Index, ItemRect(Index));
}

void TEquipListBox::resizeEvent(QResizeEvent* Event) {
    QAbstractScrollArea::resizeEvent(Event);
    UpdateScrollBar();
    // A cell made current while the list was hidden was placed in a viewport of no real size.
    ScrollToCurrent();
}

void TEquipListBox::mouseMoveEvent(QMouseEvent* Event) {
    emit MouseMoved(Event->position().toPoint());
}

void TEquipListBox::mousePressEvent(QMouseEvent* Event) {
    FPressed = Event->button() == Qt::LeftButton;
    if (FPressed) {
        const int Index = ItemAt(Event->position().toPoint());
        if (Index >= 0)
            FItemIndex = Index;
    }
}

void TEquipListBox::mouseReleaseEvent(QMouseEvent* Event) {
    if (FPressed && Event->button() == Qt::LeftButton)
        emit Clicked();
    FPressed = false;
}

bool TEquipListBox::viewportEvent(QEvent* Event) {
    if (Event->type() == QEvent::Leave)
        emit MouseLeft();
    return QAbstractScrollArea::viewportEvent(Event);
}

void TEquipListBox::scrollContentsBy(int, int) {
    viewport()->update();
}

void TEquipListBox::MoveCursor(int Index) {
    if (FCount == 0)
        return;
    const int Old = FItemIndex;
    SetItemIndex(std::clamp(Index, 0, FCount - 1));
    viewport()->update(ItemRect(Old));
    viewport()->update(ItemRect(FItemIndex));
    emit CursorMoved();
}

void TEquipListBox::keyPressEvent(QKeyEvent* Event) {
    const int Current = FItemIndex < 0 ? 0 : FItemIndex;
    const int Page = VisibleColumns() * Rows();
    switch (Event->key()) {
    case Qt::Key_Up:
        return MoveCursor(FItemIndex < 0 ? 0 : Current - 1);
    case Qt::Key_Down:
        return MoveCursor(FItemIndex < 0 ? 0 : Current + 1);
    case Qt::Key_Left:
        return MoveCursor(FItemIndex < 0 ? 0 : Current - Rows());
    case Qt::Key_Right:
        return MoveCursor(FItemIndex < 0 ? 0 : Current + Rows());
    case Qt::Key_PageUp:
        return MoveCursor(Current - Page);
    case Qt::Key_PageDown:
        return MoveCursor(Current + Page);
    case Qt::Key_Home:
        return MoveCursor(0);
    case Qt::Key_End:
        return MoveCursor(FCount - 1);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FItemIndex >= 0)
            emit Clicked();
        return;
    case Qt::Key_Backspace:
        if (!FFilter.isEmpty()) {
            FFilter.chop(1);
            emit FilterChanged(FFilter);
        }
        return;
    case Qt::Key_Escape:
        if (FFilter.isEmpty()) {
            Event->ignore();
            return;
        }
        FFilter.clear();
        emit FilterChanged(FFilter);
        return;
    default:
        break;
    }
    const QString Text = Event->text();
    const bool Printable = !Text.isEmpty() && std::all_of(Text.begin(), Text.end(), [](QChar C) {
        return C.isPrint() || C.isSpace();
    }) && !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!Printable || (FFilter.isEmpty() && Text.trimmed().isEmpty())) {
        QAbstractScrollArea::keyPressEvent(Event);
        return;
    }
    FFilter += Text;
    emit FilterChanged(FFilter);
}

void TEquipListBox::wheelEvent(QWheelEvent* Event) {
    // The grid scrolls only sideways: each notch of either wheel is one column.
    const QPoint Delta = Event->angleDelta();
    FWheelRest += Delta.y() != 0 ? Delta.y() : Delta.x();
    const int Columns = FWheelRest / QWheelEvent::DefaultDeltasPerStep;
    FWheelRest -= Columns * QWheelEvent::DefaultDeltasPerStep;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - Columns);
    Event->accept();
    // Other cells now lie under the pointer that did not move: it points at one of them.
    if (Columns != 0)
        emit MouseMoved(Event->position().toPoint());
}

} // namespace pelto
