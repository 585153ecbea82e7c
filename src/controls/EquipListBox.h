#pragma once

#include <QAbstractScrollArea>

#include <functional>

namespace pelto {

/// A virtual list of 32 x 32 cells in columns, as a multi-column list box shows them: the
/// cells fill a column top to bottom, then the next one; the list scrolls sideways. It knows
/// only how many cells there are; its owner paints each one.
///
/// With the focus it takes the keyboard: the arrows, Home, End, Page Up and Page Down move the
/// current cell, Enter takes it as a click does, and typed text collects in Filter() for the
/// owner to narrow the cells by (Backspace edits it; Esc empties it, and only an Esc with
/// nothing typed is left to the parent, which may close). The vertical wheel scrolls sideways.
class TEquipListBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int CellSize = 32;

    explicit TEquipListBox(QWidget* Parent = nullptr);

    /// Cells of Size x Size pixels (CellSize at the classic zoom).
    void SetCellSize(int Size);
    int CellSizeShown() const { return FCell; }

    void SetCount(int Count);
    int Count() const { return FCount; }
    /// The current cell, -1 for none.
    void SetItemIndex(int Index);
    int ItemIndex() const { return FItemIndex; }
    /// The cell at a point of the viewport, -1 when there is none.
    int ItemAt(QPoint Point) const;
    /// Where a cell is in the viewport (it may lie outside the visible part).
    QRect ItemRect(int Index) const;
    /// Repaints one cell at once.
    void RedrawItem(int Index);
    /// What has been typed; SetFilter does not send FilterChanged.
    const QString& Filter() const { return FFilter; }
    void SetFilter(const QString& Text) { FFilter = Text; }

    std::function<void(QPainter& Painter, int Index, QRect Rect)> OnDrawItem;

signals:
    void MouseMoved(QPoint Point);
    /// The pointer left the cells.
    void MouseLeft();
    void Clicked();
    void FilterChanged(const QString& Text);
    /// The current cell moved by a key.
    void CursorMoved();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void scrollContentsBy(int DX, int DY) override;
    bool viewportEvent(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    int Rows() const;
    void UpdateScrollBar();
    int VisibleColumns() const;
    void MoveCursor(int Index);
    void ScrollToCurrent();

    int FCell = CellSize;
    int FCount = 0;
    int FItemIndex = -1;
    bool FPressed = false;
    QString FFilter;
    int FWheelRest = 0; // eighths of a degree not yet turned into a column
};

} // namespace pelto
