#pragma once

#include <QAbstractScrollArea>

#include <functional>

namespace pelto {

/// A virtual list of 32 x 32 cells in columns, as a multi-column list box shows them: the
/// cells fill a column top to bottom, then the next one; the list scrolls sideways. It knows
/// only how many cells there are; its owner paints each one.
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

    std::function<void(QPainter& Painter, int Index, QRect Rect)> OnDrawItem;

signals:
    void MouseMoved(QPoint Point);
    void Clicked();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void scrollContentsBy(int DX, int DY) override;

private:
    int Rows() const;
    void UpdateScrollBar();

    int FCell = CellSize;
    int FCount = 0;
    int FItemIndex = -1;
    bool FPressed = false;
};

} // namespace pelto
