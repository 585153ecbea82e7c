#pragma once

#include "model/CharaDesign.h"

#include <QDialog>
#include <QImage>

#include <vector>

class QComboBox;
class QLabel;
class QScrollArea;

namespace pelto {

class TDressingSession;
class TSwatchGrid;

/// The character drawn at each level of a colour channel side by side, or at each pair of
/// levels of two channels in a 10 x 10 grid, at one colour position, in the session's pose. A
/// click on a cell, or Enter on the keyboard's cursor, sets its levels as one step and closes.
class TSwatchDialog : public QDialog {
    Q_OBJECT
public:
    /// Session must show a character and outlive the dialog; cells grow with Zoom.
    TSwatchDialog(TDressingSession& Session, int Position, int Zoom, QWidget* Parent);

    TSwatchChoice Choice() const;
    void SetChoice(const TSwatchChoice& Choice);
    /// The grid of cells, which takes the keyboard.
    QWidget* Grid() const;

private:
    void Redraw();
    void Pick(int Cell);

    TDressingSession& FSession;
    int FZoom;
    std::vector<TCharaDesign> FDesigns; // the cells', row by row
    QComboBox* cbPosition = nullptr;
    QComboBox* cbAcross = nullptr;
    QComboBox* cbDown = nullptr;
    QLabel* lblCell = nullptr;
    QScrollArea* FScroll = nullptr;
    TSwatchGrid* FGrid = nullptr;
};

} // namespace pelto
