// The status line, the view's hints, the tooltips and the keyboard.
#include "ui/UMain.h"

#include "controls/SimpleBtn.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "platform/ShiftJis.h"
#include "ui/PeltoApplication.h"
#include "ui/StatusLine.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>

#include <array>

namespace pelto {
namespace {

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

// Keypad keys by their place: 7 8 9 on the top row, 1 2 3 on the bottom one.
constexpr std::array<std::array<Qt::Key, 3>, 3> KeypadGrid{{{Qt::Key_7, Qt::Key_8, Qt::Key_9},
                                                            {Qt::Key_4, Qt::Key_5, Qt::Key_6},
                                                            {Qt::Key_1, Qt::Key_2, Qt::Key_3}}};

constexpr const char* HowToUseText = QT_TRANSLATE_NOOP(
    "pelto::TfrmPelto",
    "<h3>How to use</h3>"
    "<p><b>Character view.</b> The view is a 3 &times; 3 grid: a click on an outer cell turns "
    "the character to face that way; a click on the centre shows the next motion, a right-click "
    "the previous one. The arrow keys and the keypad do the same; Page Up and Page Down change "
    "the motion, Space plays or stops, comma and period step the frames.</p>"
    "<p><b>Equipment.</b> Click a slot on the right to pick an item from the icons; a right-click "
    "on a slot takes its item off. In item names, \"[13]\" is the item's number in the game's "
    "lists and \"[-]\" marks an item without one.</p>"
    "<p><b>Colours.</b> Pick one of the four colour positions on the left, then click the bars "
    "or the arrows beside them; Default puts every colour back.</p>"
    "<p><b>Codes.</b> The code box holds the character as text: Ctrl+Shift+C copies it, Ctrl+V "
    "applies a copied one, Set applies what the box holds.</p>"
    "<p><b>Game folder.</b> Options &gt; Change Game Folder... points the viewer at another "
    "installation.</p>");

QString DirectionText(int Direction) {
    return TfrmPelto::tr(DirectionWords[static_cast<std::size_t>(Direction & 7)]);
}

} // namespace

QString TfrmPelto::PoseText() const {
    if (!FSession || FSession->CharaIndex() < 0)
        return tr("No character chosen");
    const std::string_view Name = CharaData[static_cast<std::size_t>(FSession->CharaIndex())].Name;
    const int Count = FSession->FrameCount();
    return tr("%1 · Motion %2/%3 · %4 · %5")
        .arg(QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size())))
        .arg(FSession->Motion() + 1)
        .arg(MotionActions.size())
        .arg(DirectionText(FSession->Direction()))
        .arg(Count > 0 ? tr("Frame %1/%2").arg(FSession->Frame()).arg(Count) : tr("no frames"));
}

void TfrmPelto::CreateStatusLine() {
    setStatusBar(new TStatusLine(this)); // its messages cut after a word when too long
    lblPose = new TElidedLabel(statusBar());
    lblPose->setObjectName("lblPose");
    lblPose->setContentsMargins(0, 0, 4, 0); // clear of the window's edge
    statusBar()->addPermanentWidget(lblPose);
    statusBar()->setSizeGripEnabled(false);
    pbDraw->setMouseTracking(true);
    connect(pbDraw, &TPaintBox::MouseMoved, this,
            [this](QPoint At) { ShowCellHint(ViewCell(At)); });
    connect(pbDraw, &TPaintBox::MouseLeft, this, [this] { ShowCellHint(-1); });
}

void TfrmPelto::UpdateStatusLine() {
    lblPose->setText(PoseText());
}

int TfrmPelto::ViewCell(QPoint At) const {
    const int Column = At.x() * 3 / std::max(1, pbDraw->width());
    const int Row = At.y() * 3 / std::max(1, pbDraw->height());
    if (Column < 0 || Column > 2 || Row < 0 || Row > 2)
        return -1;
    return 3 * Row + Column;
}

void TfrmPelto::ShowCellHint(int Cell) {
    if (Cell == FHoverCell)
        return;
    FHoverCell = Cell;
    pbDraw->update();
    if (Cell < 0 || !FSession || FSession->CharaIndex() < 0) {
        statusBar()->clearMessage();
        return;
    }
    const int Value = ViewDirectionGrid[Cell / 3][Cell % 3];
    statusBar()->showMessage(Value == ViewCentreCell
                                 ? tr("next motion / right-click: previous motion")
                                 : tr("turn: %1").arg(DirectionText(Value)));
}

void TfrmPelto::DrawCellHint(QPainter& Painter) const {
    if (FHoverCell < 0 || !FSession || FSession->CharaIndex() < 0)
        return;
    // Over the canvas on the screen only: saved and copied pictures never show it.
    const int W = pbDraw->width() / 3;
    const int H = pbDraw->height() / 3;
    const QRect Cell(FHoverCell % 3 * W, FHoverCell / 3 * H, W, H);
    Painter.fillRect(Cell, QColor(0, 0, 128, 18));
    Painter.setPen(QPen(QColor(0, 0, 128, 70), FZoom));
    Painter.drawRect(Cell.adjusted(0, 0, -FZoom, -FZoom));
}

void TfrmPelto::DrawFirstStartHint(QPainter& Painter) const {
    if (!FSession || FSession->CharaIndex() >= 0)
        return;
    // On the screen only, as the cell hints: the canvas stays the empty picture it is.
    QFont Font = Painter.font();
    Font.setPixelSize(11 * FZoom);
    Painter.setFont(Font);
    Painter.setPen(QColor(96, 96, 96));
    Painter.drawText(pbDraw->rect().adjusted(4 * FZoom, 0, -4 * FZoom, 0),
                     Qt::AlignCenter | Qt::TextWordWrap, tr("Choose a character in the box below"));
}

void TfrmPelto::SetToolTips() {
    const auto Tip = [](QWidget* Control, const QString& Text) {
        Control->setToolTip(Text);
        Control->setStatusTip(Text);
    };
    Tip(pbDraw, tr("Click a side to turn the character; the centre: next motion, right-click: "
                   "previous motion"));
    Tip(cbChara, tr("The character"));
    Tip(sbPrev, tr("Previous frame (comma)"));
    Tip(sbStartStop, tr("Play or stop the animation (Space)"));
    Tip(sbNext, tr("Next frame (period)"));
    Tip(sbDefault, tr("Put every colour back to its default"));
    const std::array<QString, 4> Positions{tr("head"), tr("body"), tr("body and body item"),
                                           tr("body and special item")};
    for (int Position = 0; Position < 4; ++Position)
        Tip(FColorImages[static_cast<std::size_t>(Position)],
            tr("Colour position %1: %2")
                .arg(Position + 1)
                .arg(Positions[static_cast<std::size_t>(Position)]));
    // Whole sentences per colour: languages differ in where the colour goes and how it bends.
    const std::array<QString, 3> Less{tr("Less red"), tr("Less green"), tr("Less blue")};
    const std::array<QString, 3> More{tr("More red"), tr("More green"), tr("More blue")};
    for (int Channel = 0; Channel < 3; ++Channel) {
        Tip(findChild<TSimpleButton*>(QString("sbMinus%1").arg(Channel)),
            Less[static_cast<std::size_t>(Channel)]);
        Tip(findChild<TSimpleButton*>(QString("sbPlus%1").arg(Channel)),
            More[static_cast<std::size_t>(Channel)]);
    }
    Tip(edCode, tr("The character as a code: paste one and press Enter or Set"));
    Tip(btnSetCode, tr("Apply the code in the box"));
}

void TfrmPelto::UpdateColorBarTip(int Channel, int Level) {
    const std::array<QString, 3> Channels{tr("Red"), tr("Green"), tr("Blue")};
    const QString Text = tr("%1: level %2 of 0..9 (4 is the default); click to set")
                             .arg(Channels[static_cast<std::size_t>(Channel)])
                             .arg(Level);
    FColorBars[static_cast<std::size_t>(Channel)]->setToolTip(Text);
    FColorBars[static_cast<std::size_t>(Channel)]->setStatusTip(Text);
}

void TfrmPelto::UpdateSlotTip(int Slot) {
    const TWLOItemData* Item = FSession ? FSession->Worn(Slot) : nullptr;
    QString Text = tr("Click to pick an item");
    if (Item) {
        Text = QString::fromStdString(SjisToUtf8(Item->Name()));
        if (const std::string About = SjisToUtf8(Item->Text()); !About.empty())
            Text += "\n" + QString::fromStdString(About);
        const TWLOItemData* Worn[] = {Item};
        for (const std::string& Line : BonusLines(Worn))
            Text += "\n" + QString::fromStdString(Line).trimmed();
        Text += "\n" + tr("Right-click to take it off");
    }
    for (QWidget* Control : {static_cast<QWidget*>(FEquipImages[static_cast<std::size_t>(Slot)]),
                             static_cast<QWidget*>(FEquipLabels[static_cast<std::size_t>(Slot)])}) {
        Control->setToolTip(Text);
        Control->setStatusTip(Text.section('\n', 0, 0));
    }
}

void TfrmPelto::CreateShortcuts() {
    miSaveImage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    miCopyImage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    miExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Keys with no menu command of their own act on the window.
    const auto Key = [this](const QString& Name, const QList<QKeySequence>& Keys,
                            std::function<void()> Action) {
        auto* Shortcut = new QAction(this);
        Shortcut->setObjectName(Name);
        Shortcut->setShortcuts(Keys);
        connect(Shortcut, &QAction::triggered, this, Command([this, Action = std::move(Action)] {
                    if (FSession && FSession->CharaIndex() >= 0)
                        Action();
                }));
        addAction(Shortcut);
    };
    Key("keyTurnLeft", {Qt::Key_Left},
        [this] { FSession->SetDirection((FSession->Direction() + 7) % 8); });
    Key("keyTurnRight", {Qt::Key_Right},
        [this] { FSession->SetDirection((FSession->Direction() + 1) % 8); });
    Key("keyFaceBack", {Qt::Key_Up}, [this] { FSession->SetDirection(0); });
    Key("keyFaceFront", {Qt::Key_Down}, [this] { FSession->SetDirection(4); });
    for (int Row = 0; Row < 3; ++Row)
        for (int Column = 0; Column < 3; ++Column) {
            const int Value = ViewDirectionGrid[Row][Column];
            Key(QString("keyPad%1").arg(3 * Row + Column),
                {QKeySequence(
                    Qt::KeypadModifier |
                    KeypadGrid[static_cast<std::size_t>(Row)][static_cast<std::size_t>(Column)])},
                [this, Value] {
                    if (Value == ViewCentreCell)
                        FSession->NextMotion();
                    else
                        FSession->SetDirection(static_cast<std::uint8_t>(Value));
                });
        }
    Key("keyPrevMotion", {Qt::Key_PageUp}, [this] { FSession->PrevMotion(); });
    Key("keyNextMotion", {Qt::Key_PageDown}, [this] { FSession->NextMotion(); });
    Key("keyPlayStop", {Qt::Key_Space}, [this] { sbStartStopClick(); });
    Key("keyPrevFrame", {Qt::Key_Comma}, [this] { StepFrame(false); });
    Key("keyNextFrame", {Qt::Key_Period}, [this] { StepFrame(true); });
}

void TfrmPelto::CopyCode() {
    if (FSession && FSession->CharaIndex() >= 0)
        QGuiApplication::clipboard()->setText(QString::fromStdString(FSession->Code()));
}

void TfrmPelto::PasteCode() {
    ApplyCodeText(QGuiApplication::clipboard()->text());
}

void TfrmPelto::ShowHowToUse() {
    QMessageBox Box(this);
    Box.setObjectName("dlgHowToUse");
    Box.setWindowTitle(tr("How to Use"));
    Box.setTextFormat(Qt::RichText);
    Box.setText(tr(HowToUseText));
    Box.setStandardButtons(QMessageBox::Ok);
    Box.exec();
}

} // namespace pelto
