#include "ui/WindowDriver.h"

#include "controls/PopupPanel.h"
#include "ui/EquipListBox.h"
#include "ui/UMain.h"
#include "ui/Widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTest>

namespace pelto::test {
namespace {

QPoint CellCentre(int Index) {
    return QPoint(16, 16 + 32 * Index);
}

} // namespace

void ChooseChara(TfrmPelto& Window, int Chara) {
    Window.CharaBox()->setCurrentIndex(Chara);
    emit Window.CharaBox()->activated(Chara);
}

void RunCommand(const std::function<void()>& Action) {
    bool Done = false;
    QTimer::singleShot(0, qApp, [&] {
        Done = true; // first: Action may throw
        Action();
    });
    while (!Done)
        QApplication::processEvents();
}

void WithPicker(TfrmPelto& Window, int Slot, const std::function<void()>& Action) {
    QTimer::singleShot(0, [&] {
        Action();
        if (Window.EquipPopup()->isVisible())
            Window.EquipPopup()->ClosePopup(0);
    });
    QTest::mouseClick(Window.SlotImage(Slot), Qt::LeftButton);
}

void ClickCell(TfrmPelto& Window, int Index) {
    QWidget* Cells = Window.EquipListBox()->viewport();
    const QPoint At = CellCentre(Index);
    QTest::mouseMove(Cells, At);
    QMouseEvent Move(QEvent::MouseMove, At, Cells->mapToGlobal(At), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(Cells, &Move);
    QTest::mouseClick(Cells, Qt::LeftButton, Qt::NoModifier, At);
}

void RightClick(QWidget* Widget) {
    QContextMenuEvent Event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            Widget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Widget, &Event);
}

TBoxAnswerer::TBoxAnswerer(QMessageBox::StandardButton Button) {
    FTimer.setInterval(5);
    QObject::connect(&FTimer, &QTimer::timeout, [this, Button] {
        auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!Box)
            return;
        if (QAbstractButton* Answer = Box->button(Button)) {
            ++FAnswered;
            Answer->click();
        }
    });
    FTimer.start();
}

} // namespace pelto::test
