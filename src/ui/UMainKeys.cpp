// The status line, the tooltips and the keyboard.
#include "ui/UMain.h"

#include "controls/StatusLine.h"
#include "controls/Widgets.h"
#include "model/DressingSession.h"
#include "ui/ColorsPart.h"
#include "ui/PeltoApplication.h"
#include "ui/ViewPart.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include <array>
#include <optional>

namespace pelto {
namespace {

// Keypad keys by their place: 7 8 9 on the top row, 1 2 3 on the bottom one.
constexpr std::array<std::array<Qt::Key, 3>, 3> KeypadGrid{{{Qt::Key_7, Qt::Key_8, Qt::Key_9},
                                                            {Qt::Key_4, Qt::Key_5, Qt::Key_6},
                                                            {Qt::Key_1, Qt::Key_2, Qt::Key_3}}};

// The view's cell (ViewDirectionGrid) of a keypad digit's place; without NumLock the keypad
// sends arrows, which turn the character as the arrow keys do.
std::optional<int> KeypadCell(const QKeyEvent& Key) {
    if (!(Key.modifiers() & Qt::KeypadModifier) ||
        (Key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return std::nullopt;
    for (std::size_t Row = 0; Row < 3; ++Row)
        for (std::size_t Column = 0; Column < 3; ++Column)
            if (Key.key() == KeypadGrid[Row][Column])
                return ViewDirectionGrid[Row][Column];
    return std::nullopt;
}

constexpr const char* HowToUseText = QT_TRANSLATE_NOOP(
    "pelto::TfrmPelto",
    "<h3>How to use</h3>"
    "<p><b>Character view.</b> The view is a 3 &times; 3 grid: a click on an outer cell turns "
    "the character to face that way; a click on the center shows the next motion, a right-click "
    "the previous one. The arrow keys and the keypad do the same; Page Up and Page Down change "
    "the motion, Space plays or stops, comma and period step the frames.</p>"
    "<p><b>Equipment.</b> Click a slot on the right to pick an item from the icons; a right-click "
    "on a slot takes its item off. In item names, \"[13]\" is the item's number in the game's "
    "lists and \"[-]\" marks an item without one.</p>"
    "<p><b>Colors.</b> Pick one of the four color positions on the left, then click the bars "
    "or the arrows beside them; Default puts every color back.</p>"
    "<p><b>Codes.</b> The code box holds the character as text: Ctrl+Shift+C copies it, Ctrl+V "
    "applies a copied one, Set applies what the box holds.</p>"
    "<p><b>Game folder.</b> Options &gt; Change Game Folder... points the viewer at another "
    "installation.</p>");

// Apart from the classic hints, whose translation stays as it is.
constexpr const char* HowToUseEditText = QT_TRANSLATE_NOOP(
    "pelto::TfrmPelto",
    "<p><b>Undo and random outfits.</b> Ctrl+Z undoes a change of look, Ctrl+Shift+Z or Ctrl+Y "
    "redoes it. Ctrl+R dresses the character at random, Ctrl+Shift+R colors it; the slots and "
    "color positions checked under Edit &gt; Lock, marked by a padlock, stay as they are.</p>");

} // namespace

void TfrmPelto::CreateStatusLine() {
    setStatusBar(new TStatusLine(this)); // its messages cut after a word when too long
    FView->PlacePose(*statusBar());
    statusBar()->setSizeGripEnabled(false);
}

void TfrmPelto::SetToolTips() {
    const auto Tip = [](QWidget* Control, const QString& Text) {
        Control->setToolTip(Text);
        Control->setStatusTip(Text);
    };
    FView->SetToolTips();
    Tip(cbChara, tr("The character"));
    FColors->SetToolTips();
    Tip(edCode, tr("The character as a code: paste one and press Enter or Set"));
    Tip(btnSetCode, tr("Apply the code in the box"));
}

void TfrmPelto::CreateShortcuts() {
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
    // The keypad's digits are taken before any control sees them (eventFilter): X11's key
    // mapping offers shortcuts a keypad key without its keypad modifier, so none would match.
    qApp->installEventFilter(this);
    Key("keyPrevMotion", {Qt::Key_PageUp}, [this] { FSession->PrevMotion(); });
    Key("keyNextMotion", {Qt::Key_PageDown}, [this] { FSession->NextMotion(); });
    Key("keyPlayStop", {Qt::Key_Space}, [this] { FView->PlayOrStop(); });
    Key("keyPrevFrame", {Qt::Key_Comma}, [this] { FView->StepFrame(false); });
    Key("keyNextFrame", {Qt::Key_Period}, [this] { FView->StepFrame(true); });
}

bool TfrmPelto::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::KeyPress || Event->type() == QEvent::ShortcutOverride) {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        const auto* Target = qobject_cast<QWidget*>(Watched);
        if (const std::optional<int> Cell = KeypadCell(*Key);
            Cell && Target && Target->window() == this && !edCode->hasFocus() &&
            !QApplication::activePopupWidget() && FSession && FSession->CharaIndex() >= 0) {
            if (Event->type() == QEvent::KeyPress)
                RunCommand([&] { FView->CellCommand(*Cell); });
            Event->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(Watched, Event);
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
    Box.setText(tr(HowToUseText) + tr(HowToUseEditText));
    Box.setStandardButtons(QMessageBox::Ok);
    Box.exec();
}

} // namespace pelto
