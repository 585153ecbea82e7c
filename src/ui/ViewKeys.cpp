#include "ui/ViewKeys.h"

#include "model/DressingSession.h"
#include "ui/PeltoApplication.h"
#include "ui/UMain.h"
#include "ui/ViewPart.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

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

} // namespace

TViewKeys::TViewKeys(QWidget& Window, TViewPanel& View, const QWidget& CodeBox,
                     std::function<TDressingSession*()> SessionOf)
    : QObject(&Window), FWindow(Window), FView(View), FCodeBox(CodeBox),
      FSessionOf(std::move(SessionOf)) {
    const auto Key = [this](const QString& Name, const QList<QKeySequence>& Keys,
                            std::function<void(TDressingSession&)> Action) {
        auto* Shortcut = new QAction(&FWindow);
        Shortcut->setObjectName(Name);
        Shortcut->setShortcuts(Keys);
        connect(Shortcut, &QAction::triggered, this, Command([this, Action = std::move(Action)] {
                    if (TDressingSession* Session = Dressed())
                        Action(*Session);
                }));
        FWindow.addAction(Shortcut);
    };
    Key("keyTurnLeft", {Qt::Key_Left},
        [](TDressingSession& Session) { Session.SetDirection((Session.Direction() + 7) % 8); });
    Key("keyTurnRight", {Qt::Key_Right},
        [](TDressingSession& Session) { Session.SetDirection((Session.Direction() + 1) % 8); });
    Key("keyFaceBack", {Qt::Key_Up}, [](TDressingSession& Session) { Session.SetDirection(0); });
    Key("keyFaceFront", {Qt::Key_Down}, [](TDressingSession& Session) { Session.SetDirection(4); });
    // The keypad's digits are taken before any control sees them (eventFilter): X11's key
    // mapping offers shortcuts a keypad key without its keypad modifier, so none would match.
    qApp->installEventFilter(this);
    Key("keyPrevMotion", {Qt::Key_PageUp}, [](TDressingSession& Session) { Session.PrevMotion(); });
    Key("keyNextMotion", {Qt::Key_PageDown},
        [](TDressingSession& Session) { Session.NextMotion(); });
    Key("keyPlayStop", {Qt::Key_Space}, [this](TDressingSession&) { FView.PlayOrStop(); });
    Key("keyPrevFrame", {Qt::Key_Comma}, [this](TDressingSession&) { FView.StepFrame(false); });
    Key("keyNextFrame", {Qt::Key_Period}, [this](TDressingSession&) { FView.StepFrame(true); });
}

TViewKeys::~TViewKeys() {
    qApp->removeEventFilter(this);
}

TDressingSession* TViewKeys::Dressed() const {
    TDressingSession* Session = FSessionOf();
    return Session && Session->CharaIndex() >= 0 ? Session : nullptr;
}

bool TViewKeys::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::KeyPress || Event->type() == QEvent::ShortcutOverride) {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        const auto* Target = qobject_cast<QWidget*>(Watched);
        if (const std::optional<int> Cell = KeypadCell(*Key);
            Cell && Target && Target->window() == &FWindow && !FCodeBox.hasFocus() &&
            !QApplication::activePopupWidget() && Dressed()) {
            if (Event->type() == QEvent::KeyPress)
                RunCommand([&] { FView.CellCommand(*Cell); });
            Event->accept();
            return true;
        }
    }
    return QObject::eventFilter(Watched, Event);
}

} // namespace pelto
