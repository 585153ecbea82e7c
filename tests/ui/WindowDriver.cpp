#include "ui/WindowDriver.h"

#include "controls/EquipListBox.h"
#include "controls/PopupPanel.h"
#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "ui/UMain.h"

#include "support/DemoGame.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <stdexcept>

namespace pelto::test {
namespace {

QPoint CellCentre(int Index) {
    return QPoint(16, 16 + 32 * Index);
}

template <typename T> T* Find(TfrmPelto& Window, const QString& Name) {
    T* Control = Window.findChild<T*>(Name);
    if (!Control)
        throw std::logic_error("the window has no control " + Name.toStdString());
    return Control;
}

} // namespace

QComboBox* CharaBox(TfrmPelto& Window) {
    return Find<QComboBox>(Window, "cbChara");
}

TPaintBox* View(TfrmPelto& Window) {
    return Find<TPaintBox>(Window, "pbDraw");
}

TSimpleButton* PrevButton(TfrmPelto& Window) {
    return Find<TSimpleButton>(Window, "sbPrev");
}

TSimpleButton* StartStopButton(TfrmPelto& Window) {
    return Find<TSimpleButton>(Window, "sbStartStop");
}

TSimpleButton* NextButton(TfrmPelto& Window) {
    return Find<TSimpleButton>(Window, "sbNext");
}

TSimpleButton* DefaultButton(TfrmPelto& Window) {
    return Find<TSimpleButton>(Window, "sbDefault");
}

QLineEdit* CodeBox(TfrmPelto& Window) {
    return Find<QLineEdit>(Window, "edCode");
}

TMemo* StatusBox(TfrmPelto& Window) {
    return Find<TMemo>(Window, "txtEquip");
}

QAction* ShadowAction(TfrmPelto& Window) {
    return Find<QAction>(Window, "miShadow");
}

QAction* SaveImageAction(TfrmPelto& Window) {
    return Find<QAction>(Window, "miSaveImage");
}

QMenu* FileMenu(TfrmPelto& Window) {
    return Find<QMenu>(Window, "miFile");
}

QMenu* FavoritesMenu(TfrmPelto& Window) {
    return Find<QMenu>(Window, "miFavorites");
}

QMenu* SaveFavoriteMenu(TfrmPelto& Window) {
    return Find<QMenu>(Window, "miSaveFavorite");
}

QMenu* LoadFavoriteMenu(TfrmPelto& Window) {
    return Find<QMenu>(Window, "miLoadFavorite");
}

QPushButton* SetCodeButton(TfrmPelto& Window) {
    return Find<QPushButton>(Window, "btnSetCode");
}

TPopupPanel* EquipPopup(TfrmPelto& Window) {
    return Find<TPopupPanel>(Window, "ppEquipList");
}

TEquipListBox* EquipListBox(TfrmPelto& Window) {
    return Find<TEquipListBox>(Window, "lbEquipList");
}

QLabel* ItemNameLabel(TfrmPelto& Window) {
    return Find<QLabel>(Window, "lblItemName");
}

QFileDialog* SaveDialog(TfrmPelto& Window) {
    return Find<QFileDialog>(Window, "sd");
}

QColorDialog* ColorDialog(TfrmPelto& Window) {
    return Find<QColorDialog>(Window, "cd");
}

TImage* ColorImage(TfrmPelto& Window, int Position) {
    return Find<TImage>(Window, QString("imgColor%1").arg(Position));
}

TImage* ColorBar(TfrmPelto& Window, int Channel) {
    return Find<TImage>(Window, QString("imgBar%1").arg(Channel));
}

TSimpleButton* StepButton(TfrmPelto& Window, int Channel, bool Right) {
    return Find<TSimpleButton>(Window, QString(Right ? "sbPlus%1" : "sbMinus%1").arg(Channel));
}

TImage* SlotImage(TfrmPelto& Window, int Slot) {
    return Find<TImage>(Window, QString("imgEquip%1").arg(Slot));
}

TLabel* SlotLabel(TfrmPelto& Window, int Slot) {
    return Find<TLabel>(Window, QString("lblEquip%1").arg(Slot));
}

void ChooseChara(TfrmPelto& Window, int Chara) {
    CharaBox(Window)->setCurrentIndex(Chara);
    emit CharaBox(Window)->activated(Chara);
}

std::unique_ptr<TfrmPelto> OpenDemoWindow(const std::string& Folder, int Chara) {
    std::ofstream(Folder + "pelto.ini") << "[pelto]\nwlopath=" << DemoGame() << "\n";
    TStartupOptions Options;
    Options.SettingsFile = Folder + "pelto.ini";
    Options.FolderPrompt = [](std::string&, const std::string&) {
        return false;
    };
    auto Window = std::make_unique<TfrmPelto>(Options);
    ChooseChara(*Window, Chara);
    return Window;
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
    // The timer ends with this call: a click that opens no pop-up must not leave Action to run
    // from a later event loop, after what it refers to is gone.
    QTimer Timer;
    Timer.setSingleShot(true);
    QObject::connect(&Timer, &QTimer::timeout, [&] {
        Action();
        if (EquipPopup(Window)->isVisible())
            EquipPopup(Window)->ClosePopup(0);
    });
    Timer.start(0);
    QTest::mouseClick(SlotImage(Window, Slot), Qt::LeftButton);
}

void ClickCell(TfrmPelto& Window, int Index) {
    QWidget* Cells = EquipListBox(Window)->viewport();
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
            FTexts << Box->text();
            Answer->click();
        }
    });
    FTimer.start();
}

} // namespace pelto::test
