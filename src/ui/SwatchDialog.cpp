#include "ui/SwatchDialog.h"

#include "controls/QtBitmaps.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "ui/ColorsPart.h"
#include "ui/PeltoApplication.h"
#include "ui/UMain.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <functional>
#include <span>

namespace pelto {
namespace {

// A row shows the character at its classic size, a grid of a hundred smaller, in tenths.
constexpr int RowTenths = 10;
constexpr int GridTenths = 6;

QString ChannelName(int Channel) {
    const std::array<QString, ColorChannelCount> Names{TfrmPelto::tr("Red"), TfrmPelto::tr("Green"),
                                                       TfrmPelto::tr("Blue")};
    return Names[static_cast<std::size_t>(Channel)];
}

// Each design drawn by a compositor of its own, in Session's pose: the session's canvas and
// sprites stay as they are, and the sprites loaded for the first cell serve every other. The
// cells are cut to what any of them shows, so that the character fills them.
std::vector<QImage> DrawCells(const TDressingSession& Session,
                              std::span<const TCharaDesign> Designs) {
    TBitmap Canvas{CanvasSize, CanvasSize, TPixelFormat::pf24bit};
    TDrawChara Chara(Canvas, Session.Game().JmaList());
    Chara.SetEquipList(Session.Game().EquipList());
    Chara.SetSpriteCache(Session.Game().SpriteCache());
    std::vector<QImage> Cells;
    Cells.reserve(Designs.size());
    QRect Shown;
    for (const TCharaDesign& Design : Designs) {
        Chara.ApplyDesign(Design);
        Chara.FollowPose(Session.Chara());
        Chara.Redraw();
        Cells.push_back(ToQImage(Canvas));
        const QImage& Cell = Cells.back();
        const QRgb Back = Cell.pixel(0, 0);
        for (int Y = 0; Y < Cell.height(); ++Y)
            for (int X = 0; X < Cell.width(); ++X)
                if (Cell.pixel(X, Y) != Back)
                    Shown |= QRect(X, Y, 1, 1);
    }
    Shown = Shown.isEmpty()
                ? QRect(0, 0, CanvasSize, CanvasSize)
                : Shown.adjusted(-2, -2, 2, 2).intersected(QRect(0, 0, CanvasSize, CanvasSize));
    for (QImage& Cell : Cells)
        Cell = Cell.copy(Shown);
    return Cells;
}

} // namespace

/// The cells in rows, with a cursor the pointer and the arrows move; a click or Enter picks.
class TSwatchGrid : public QWidget {
public:
    explicit TSwatchGrid(QWidget* Parent) : QWidget(Parent) {
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
        setCursor(Qt::PointingHandCursor);
    }

    void SetCells(std::vector<QImage> Cells, int Columns, QSize Size, int Marked) {
        FCells = std::move(Cells);
        FColumns = Columns;
        FSize = Size;
        FMarked = Marked;
        FCursor = std::clamp(Marked, 0, static_cast<int>(FCells.size()) - 1);
        setFixedSize(sizeHint());
        update();
        if (OnCursor)
            OnCursor(FCursor);
    }
    int Cursor() const { return FCursor; }
    QRect CellRect(int Cell) const {
        return {QPoint(Cell % FColumns * FSize.width(), Cell / FColumns * FSize.height()), FSize};
    }

    QSize sizeHint() const override {
        const int Rows = FColumns ? (static_cast<int>(FCells.size()) + FColumns - 1) / FColumns : 0;
        return {FColumns * FSize.width(), Rows * FSize.height()};
    }

    std::function<void(int Cell)> OnPick;
    std::function<void(int Cell)> OnCursor;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter Painter(this);
        for (int Cell = 0; Cell < static_cast<int>(FCells.size()); ++Cell)
            Painter.drawImage(CellRect(Cell), FCells[static_cast<std::size_t>(Cell)]);
        Painter.setBrush(Qt::NoBrush);
        // As in the item picker: navy round what is worn, orange round the cursor.
        const int Pen = std::max(1, FSize.width() / 32);
        if (FMarked >= 0) {
            Painter.setPen(QPen(QColor(0, 0, 128), Pen));
            Painter.drawRect(CellRect(FMarked).adjusted(0, 0, -Pen, -Pen));
        }
        if (FCursor >= 0) {
            Painter.setPen(
                QPen(QColor(255, 140, 0), Pen, hasFocus() ? Qt::SolidLine : Qt::DotLine));
            Painter.drawRect(CellRect(FCursor).adjusted(Pen, Pen, -2 * Pen, -2 * Pen));
        }
    }
    void keyPressEvent(QKeyEvent* Event) override {
        const int Count = static_cast<int>(FCells.size());
        int To = FCursor;
        switch (Event->key()) {
        case Qt::Key_Left:
            To -= 1;
            break;
        case Qt::Key_Right:
            To += 1;
            break;
        case Qt::Key_Up:
            To -= FColumns;
            break;
        case Qt::Key_Down:
            To += FColumns;
            break;
        case Qt::Key_Home:
            To = 0;
            break;
        case Qt::Key_End:
            To = Count - 1;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (OnPick && FCursor >= 0)
                OnPick(FCursor);
            return;
        default:
            QWidget::keyPressEvent(Event);
            return;
        }
        if (To >= 0 && To < Count)
            MoveCursor(To);
    }
    void mouseMoveEvent(QMouseEvent* Event) override {
        if (const int Cell = CellAt(Event->position().toPoint()); Cell >= 0)
            MoveCursor(Cell);
    }
    void mouseReleaseEvent(QMouseEvent* Event) override {
        const int Cell = CellAt(Event->position().toPoint());
        if (Event->button() == Qt::LeftButton && Cell >= 0 && OnPick)
            OnPick(Cell);
    }
    void focusInEvent(QFocusEvent* Event) override {
        QWidget::focusInEvent(Event);
        update();
    }
    void focusOutEvent(QFocusEvent* Event) override {
        QWidget::focusOutEvent(Event);
        update();
    }

private:
    int CellAt(QPoint At) const {
        if (FColumns == 0 || At.x() < 0 || At.y() < 0 || At.x() >= FColumns * FSize.width())
            return -1;
        const int Cell = At.y() / FSize.height() * FColumns + At.x() / FSize.width();
        return Cell < static_cast<int>(FCells.size()) ? Cell : -1;
    }
    void MoveCursor(int Cell) {
        if (Cell == FCursor)
            return;
        FCursor = Cell;
        update();
        if (OnCursor)
            OnCursor(Cell);
    }

    std::vector<QImage> FCells;
    int FColumns = 0;
    QSize FSize;
    int FMarked = -1;
    int FCursor = -1;
};

TSwatchDialog::TSwatchDialog(TDressingSession& Session, int Position, int Zoom, QWidget* Parent)
    : QDialog(Parent), FSession(Session), FZoom(Zoom) {
    setObjectName("dlgSwatches");
    setWindowTitle(tr("Color Swatches"));
    cbPosition = new QComboBox(this);
    cbPosition->setObjectName("cbSwatchPosition");
    for (int P = 0; P < ColorPositionCount; ++P)
        cbPosition->addItem(PositionCaption(P));
    cbAcross = new QComboBox(this);
    cbAcross->setObjectName("cbSwatchAcross");
    cbDown = new QComboBox(this);
    cbDown->setObjectName("cbSwatchDown");
    cbDown->addItem(tr("None"));
    for (int Channel = 0; Channel < ColorChannelCount; ++Channel) {
        cbAcross->addItem(ChannelName(Channel));
        cbDown->addItem(ChannelName(Channel));
    }
    auto* Choices = new QFormLayout;
    Choices->addRow(tr("&Position:"), cbPosition);
    Choices->addRow(tr("&Across:"), cbAcross);
    Choices->addRow(tr("&Down:"), cbDown);

    FGrid = new TSwatchGrid(this);
    FGrid->setObjectName("gridSwatches");
    FGrid->OnPick = [this](int Cell) {
        RunCommand([this, Cell] { Pick(Cell); });
    };
    FGrid->OnCursor = [this](int Cell) {
        if (Cell < 0 || static_cast<std::size_t>(Cell) >= FDesigns.size())
            return;
        const QRect Shown = FGrid->CellRect(Cell);
        FScroll->ensureVisible(Shown.center().x(), Shown.center().y(), Shown.width() / 2,
                               Shown.height() / 2);
        const TPositionLevels& Levels =
            FDesigns[static_cast<std::size_t>(Cell)]
                .Color[static_cast<std::size_t>(cbPosition->currentIndex())];
        lblCell->setText(tr("Red %1, green %2, blue %3: click or press Enter to set")
                             .arg(Levels[0])
                             .arg(Levels[1])
                             .arg(Levels[2]));
    };
    FScroll = new QScrollArea(this);
    FScroll->setWidget(FGrid);
    FScroll->setAlignment(Qt::AlignCenter);
    FScroll->setFocusPolicy(Qt::NoFocus);
    lblCell = new QLabel(this);
    lblCell->setObjectName("lblSwatch");
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Choices);
    Layout->addWidget(FScroll, 1);
    Layout->addWidget(lblCell);
    Layout->addWidget(Buttons);

    cbPosition->setCurrentIndex(std::clamp(Position, 0, ColorPositionCount - 1));
    cbDown->setCurrentIndex(0);
    const auto Changed = Command([this] {
        // The same channel both ways compares nothing: the grid becomes a row.
        if (cbDown->currentIndex() - 1 == cbAcross->currentIndex())
            cbDown->setCurrentIndex(0);
        Redraw();
    });
    connect(cbPosition, &QComboBox::currentIndexChanged, this, Changed);
    connect(cbAcross, &QComboBox::currentIndexChanged, this, Changed);
    connect(cbDown, &QComboBox::currentIndexChanged, this, Changed);
    Redraw();
    // Room for the whole grid where the screen allows; the scroll bars take over beyond it.
    FGrid->setFocus();
}

TSwatchChoice TSwatchDialog::Choice() const {
    return {.Position = cbPosition->currentIndex(),
            .Across = cbAcross->currentIndex(),
            .Down = cbDown->currentIndex() > 0 ? std::optional(cbDown->currentIndex() - 1)
                                               : std::nullopt};
}

void TSwatchDialog::SetChoice(const TSwatchChoice& Choice) {
    for (QComboBox* Box : {cbPosition, cbAcross, cbDown})
        Box->blockSignals(true);
    cbPosition->setCurrentIndex(Choice.Position);
    cbAcross->setCurrentIndex(Choice.Across);
    cbDown->setCurrentIndex(Choice.Down ? *Choice.Down + 1 : 0);
    for (QComboBox* Box : {cbPosition, cbAcross, cbDown})
        Box->blockSignals(false);
    Redraw();
}

QWidget* TSwatchDialog::Grid() const {
    return FGrid;
}

void TSwatchDialog::Redraw() {
    const TSwatchChoice Swatches = Choice();
    const TCharaDesign Design = FSession.Chara().Design();
    FDesigns = SwatchDesigns(Design, Swatches);
    std::vector<QImage> Cells = DrawCells(FSession, FDesigns);
    const int Tenths = (Swatches.Down ? GridTenths : RowTenths) * FZoom;
    const QSize Size = Cells.front().size() * Tenths / 10;
    // Whole factors stay sharp pixel for pixel; the grid's fraction is smoothed.
    for (QImage& Cell : Cells)
        Cell = Cell.scaled(Size, Qt::IgnoreAspectRatio,
                           Tenths % 10 == 0 ? Qt::FastTransformation : Qt::SmoothTransformation);
    const auto Worn = std::find(FDesigns.begin(), FDesigns.end(), Design);
    FGrid->SetCells(std::move(Cells), Swatches.Columns(), Size,
                    Worn == FDesigns.end() ? -1 : static_cast<int>(Worn - FDesigns.begin()));
    // Room for every cell where the screen has it; the scroll bars take over beyond.
    const QScreen* Screen = screen();
    const QSize Room = Screen ? Screen->availableGeometry().size() * 3 / 4 : QSize(800, 600);
    const int Frame = 2 * FScroll->frameWidth();
    FScroll->setMinimumSize(std::min(FGrid->width() + Frame, Room.width()),
                            std::min(FGrid->height() + Frame, Room.height() * 2 / 3));
    adjustSize();
}

void TSwatchDialog::Pick(int Cell) {
    if (Cell < 0 || static_cast<std::size_t>(Cell) >= FDesigns.size())
        return;
    const int Position = cbPosition->currentIndex();
    FSession.SetColors(
        Position,
        FDesigns[static_cast<std::size_t>(Cell)].Color[static_cast<std::size_t>(Position)]);
    accept();
}

} // namespace pelto
