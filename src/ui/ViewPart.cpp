// The character view, its hints and the animation.
#include "ui/ViewPart.h"

#include "controls/SimpleBtn.h"
#include "controls/StatusLine.h"
#include "controls/Widgets.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "ui/PeltoApplication.h"
#include "ui/StartupProbe.h"
#include "ui/UMain.h"

#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>

#include <array>

namespace pelto {
namespace {

constexpr int AnimationInterval = 167; // milliseconds

// Direction 0 faces the top of the view, counter-clockwise in 45° steps; 4 faces the viewer.
constexpr std::array<const char*, 8> DirectionWords{
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "facing back"),
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "facing back-left"),
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "facing left"),
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "facing front-left"),
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "facing front"),
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "facing front-right"),
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "facing right"),
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "facing back-right")};

QString DirectionText(int Direction) {
    return TfrmPelto::tr(DirectionWords[static_cast<std::size_t>(Direction & 7)]);
}

} // namespace

void SetStripPictures(TSimpleButton& Button, const QImage& Strip) {
    const int Width = Strip.width();
    const int Height = Strip.height() / 3;
    Button.SetNormalPicture(Strip.copy(0, 0, Width, Height));
    Button.SetHoverPicture(Strip.copy(0, Height, Width, Height));
    Button.SetDownPicture(Strip.copy(0, 2 * Height, Width, Height));
}

TViewPanel::TViewPanel(QWidget& Client, QMainWindow& Window,
                       std::function<TDressingSession*()> SessionOf)
    : QObject(&Window), FSessionOf(std::move(SessionOf)), FWindow(Window) {
    pnDraw = Place(new QFrame(&Client), "pnDraw", 6, 6, 130, 130);
    pnDraw->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnDraw->setLineWidth(1);
    pnDraw->setFocusPolicy(Qt::ClickFocus);
    pbDraw = Place(new TPaintBox(pnDraw), "pbDraw", 1, 1, 128, 128);
    pbDraw->OnPaint = [this](QPainter& Painter) {
        Paint(Painter);
    };
    connect(pbDraw, &TPaintBox::MouseDown, this, Command(this, &TViewPanel::MouseDown));
    pbDraw->setMouseTracking(true);
    connect(pbDraw, &TPaintBox::MouseMoved, this,
            [this](QPoint At) { ShowCellHint(ViewCell(At)); });
    connect(pbDraw, &TPaintBox::MouseLeft, this, [this] { ShowCellHint(-1); });

    const auto AnimationButton = [&](const QString& Name, int Left) {
        auto* Button = Place(new TSimpleButton(&Client), Name, Left, 14, 25, 25);
        Button->SetTransparent(true);
        Button->setCursor(Qt::PointingHandCursor);
        return Button;
    };
    sbPrev = AnimationButton("sbPrev", 140);
    sbStartStop = AnimationButton("sbStartStop", 165);
    sbNext = AnimationButton("sbNext", 190);
    connect(sbPrev, &TSimpleButton::Click, this, Command([this] { StepFrame(false); }));
    connect(sbNext, &TSimpleButton::Click, this, Command([this] { StepFrame(true); }));
    connect(sbStartStop, &TSimpleButton::Click, this, Command(this, &TViewPanel::PlayOrStop));

    timeAnimation = new QTimer(this);
    timeAnimation->setObjectName("timeAnimation");
    timeAnimation->setInterval(AnimationInterval);
    connect(timeAnimation, &QTimer::timeout, this, Command([this] {
                if (TDressingSession* Session = FSessionOf())
                    Session->NextFrame();
            }));
}

void TViewPanel::PlacePose(QStatusBar& Status) {
    lblPose = new TElidedLabel(&Status);
    lblPose->setObjectName("lblPose");
    lblPose->setContentsMargins(0, 0, 4, 0); // clear of the window's edge
    Status.addPermanentWidget(lblPose);
}

TDressingSession* TViewPanel::Dressed() const {
    TDressingSession* Session = FSessionOf();
    return Session && Session->CharaIndex() >= 0 ? Session : nullptr;
}

void TViewPanel::Start() {
    if (FPlaying)
        timeAnimation->start();
}

void TViewPanel::Stop() {
    timeAnimation->stop();
}

void TViewPanel::PlayOrStop() {
    FPlaying = !FPlaying;
    if (FPlaying)
        timeAnimation->start();
    else
        timeAnimation->stop();
    SetStripPictures(*sbStartStop, FPlaying ? FStopBitmap : FPlayBitmap);
}

void TViewPanel::StepFrame(bool Next) {
    if (FPlaying)
        SetStripPictures(*sbStartStop, FPlayBitmap);
    FPlaying = false;
    timeAnimation->stop();
    TDressingSession* Session = FSessionOf();
    if (!Session)
        return;
    if (Next)
        Session->NextFrame();
    else
        Session->PrevFrame();
}

void TViewPanel::CellCommand(int Direction) {
    if (TDressingSession* Session = Dressed()) {
        if (Direction == ViewCentreCell)
            Session->NextMotion();
        else
            Session->SetDirection(static_cast<std::uint8_t>(Direction));
    }
}

void TViewPanel::SetSkin(const std::optional<QImage>& Prev, const std::optional<QImage>& Next,
                         const std::optional<QImage>& Play, const std::optional<QImage>& Stop) {
    if (Prev)
        SetStripPictures(*sbPrev, *Prev);
    if (Next)
        SetStripPictures(*sbNext, *Next);
    if (Play)
        FPlayBitmap = *Play;
    if (Stop)
        FStopBitmap = *Stop;
    if (Stop)
        SetStripPictures(*sbStartStop, FStopBitmap); // the skin's strip shows a running one
    if (!FPlaying && !FPlayBitmap.isNull())
        SetStripPictures(*sbStartStop, FPlayBitmap);
}

void TViewPanel::SetZoom(int Factor) {
    FZoom = Factor;
    pnDraw->setLineWidth(Factor);
}

void TViewPanel::SetToolTips() {
    const auto Tip = [](QWidget* Control, const QString& Text) {
        Control->setToolTip(Text);
        Control->setStatusTip(Text);
    };
    Tip(pbDraw, TfrmPelto::tr("Click a side to turn the character; the center: next motion, "
                              "right-click: previous motion"));
    Tip(sbPrev, TfrmPelto::tr("Previous frame (comma)"));
    Tip(sbStartStop, TfrmPelto::tr("Play or stop the animation (Space)"));
    Tip(sbNext, TfrmPelto::tr("Next frame (period)"));
}

void TViewPanel::Redraw() {
    pbDraw->update();
}

void TViewPanel::ShowPose() {
    lblPose->setText(PoseText());
}

QString TViewPanel::PoseText() const {
    const TDressingSession* Session = Dressed();
    if (!Session)
        return TfrmPelto::tr("No character chosen");
    const std::string_view Name = CharaData[static_cast<std::size_t>(Session->CharaIndex())].Name;
    const int Count = Session->FrameCount();
    return TfrmPelto::tr("%1 · Motion %2/%3 · %4 · %5")
        .arg(QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size())))
        .arg(Session->Motion() + 1)
        .arg(MotionActions.size())
        .arg(DirectionText(Session->Direction()))
        .arg(Count > 0 ? TfrmPelto::tr("Frame %1/%2").arg(Session->Frame()).arg(Count)
                       : TfrmPelto::tr("no frames"));
}

void TViewPanel::MouseDown(Qt::MouseButton Button, QPoint Position) {
    TDressingSession* Session = Dressed();
    if (!Session)
        return;
    pnDraw->setFocus();
    const int Column = static_cast<int>(Position.x() / (pbDraw->width() / 3.0));
    const int Row = static_cast<int>(Position.y() / (pbDraw->height() / 3.0));
    if (Column < 0 || Column > 2 || Row < 0 || Row > 2)
        return;
    const int Value = ViewDirectionGrid[Row][Column];
    if (Value != ViewCentreCell)
        Session->SetDirection(static_cast<std::uint8_t>(Value));
    else if (Button == Qt::LeftButton)
        Session->NextMotion();
    else if (Button == Qt::RightButton)
        Session->PrevMotion();
}

int TViewPanel::ViewCell(QPoint At) const {
    const int Column = At.x() * 3 / std::max(1, pbDraw->width());
    const int Row = At.y() * 3 / std::max(1, pbDraw->height());
    if (Column < 0 || Column > 2 || Row < 0 || Row > 2)
        return -1;
    return 3 * Row + Column;
}

void TViewPanel::ShowCellHint(int Cell) {
    if (Cell == FHoverCell)
        return;
    FHoverCell = Cell;
    pbDraw->update();
    if (Cell < 0 || !Dressed()) {
        FWindow.statusBar()->clearMessage();
        return;
    }
    const int Value = ViewDirectionGrid[Cell / 3][Cell % 3];
    FWindow.statusBar()->showMessage(
        Value == ViewCentreCell ? TfrmPelto::tr("next motion / right-click: previous motion")
                                : TfrmPelto::tr("turn: %1").arg(DirectionText(Value)));
}

void TViewPanel::Paint(QPainter& Painter) {
    TDressingSession* Session = FSessionOf();
    if (!Session) {
        Painter.fillRect(pbDraw->rect(), Qt::white);
        return;
    }
    const TBitmap& Canvas = Session->Canvas();
    // Drawn at its size in logical pixels: on a scaled display every pixel grows sharp.
    const QImage View(Canvas.ScanLine(0), Canvas.Width(), Canvas.Height(),
                      static_cast<qsizetype>(Canvas.Stride()), QImage::Format_BGR888);
    Painter.drawImage(pbDraw->rect(), View);
    DrawCellHint(Painter);
    DrawFirstStartHint(Painter);
    NoteCharacterPainted();
}

void TViewPanel::DrawCellHint(QPainter& Painter) const {
    if (FHoverCell < 0 || !Dressed())
        return;
    // Over the canvas on the screen only: saved and copied pictures never show it.
    const int W = pbDraw->width() / 3;
    const int H = pbDraw->height() / 3;
    const QRect Cell(FHoverCell % 3 * W, FHoverCell / 3 * H, W, H);
    Painter.fillRect(Cell, QColor(0, 0, 128, 18));
    Painter.setPen(QPen(QColor(0, 0, 128, 70), FZoom));
    Painter.drawRect(Cell.adjusted(0, 0, -FZoom, -FZoom));
}

void TViewPanel::DrawFirstStartHint(QPainter& Painter) const {
    const TDressingSession* Session = FSessionOf();
    if (!Session || Session->CharaIndex() >= 0)
        return;
    // On the screen only, as the cell hints: the canvas stays the empty picture it is.
    QFont Font = Painter.font();
    Font.setPixelSize(11 * FZoom);
    Painter.setFont(Font);
    Painter.setPen(QColor(96, 96, 96));
    Painter.drawText(pbDraw->rect().adjusted(4 * FZoom, 0, -4 * FZoom, 0),
                     Qt::AlignCenter | Qt::TextWordWrap,
                     TfrmPelto::tr("Choose a character in the box below"));
}

} // namespace pelto
