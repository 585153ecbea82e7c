#pragma once

#include <QMessageBox>
#include <QPoint>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QColorDialog;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;

namespace pelto {
class TEquipListBox;
class TImage;
class TLabel;
class TMemo;
class TPaintBox;
class TPopupPanel;
class TSimpleButton;
class TfrmPelto;
} // namespace pelto

namespace pelto::test {

// The window's controls, found by their object names as a user finds them by sight.
QComboBox* CharaBox(TfrmPelto& Window);
TPaintBox* View(TfrmPelto& Window);
TSimpleButton* PrevButton(TfrmPelto& Window);
TSimpleButton* StartStopButton(TfrmPelto& Window);
TSimpleButton* NextButton(TfrmPelto& Window);
TSimpleButton* DefaultButton(TfrmPelto& Window);
QLineEdit* CodeBox(TfrmPelto& Window);
TMemo* StatusBox(TfrmPelto& Window);
QAction* ShadowAction(TfrmPelto& Window);
QAction* SaveImageAction(TfrmPelto& Window);
QMenu* FileMenu(TfrmPelto& Window);
QMenu* FavoritesMenu(TfrmPelto& Window);
QMenu* SaveFavoriteMenu(TfrmPelto& Window);
QMenu* LoadFavoriteMenu(TfrmPelto& Window);
QPushButton* SetCodeButton(TfrmPelto& Window);
TPopupPanel* EquipPopup(TfrmPelto& Window);
TEquipListBox* EquipListBox(TfrmPelto& Window);
QLabel* ItemNameLabel(TfrmPelto& Window);
QFileDialog* SaveDialog(TfrmPelto& Window);
QColorDialog* ColorDialog(TfrmPelto& Window);
TImage* ColorImage(TfrmPelto& Window, int Position);
TImage* ColorBar(TfrmPelto& Window, int Channel);
TSimpleButton* StepButton(TfrmPelto& Window, int Channel, bool Right);
TImage* SlotImage(TfrmPelto& Window, int Slot);
TLabel* SlotLabel(TfrmPelto& Window, int Slot);

/// Picks a character as the choice box does when the user picks one.
void ChooseChara(TfrmPelto& Window, int Chara);

/// A window on the demo game whose settings file is pelto.ini in Folder (a path ending in
/// '/'), with character Chara chosen; a folder prompt would be refused.
std::unique_ptr<TfrmPelto> OpenDemoWindow(const std::string& Folder, int Chara);

/// Runs Action from the event loop, as a command runs, so that an error escaping it reaches
/// the application's general error display.
void RunCommand(const std::function<void()>& Action);

/// Runs Action while the slot's pop-up is open, then closes the pop-up if it still is; when the
/// click opens no pop-up, Action does not run.
void WithPicker(TfrmPelto& Window, int Slot, const std::function<void()>& Action);

/// Points at and clicks cell Index of the open pop-up's first column.
void ClickCell(TfrmPelto& Window, int Index);

void RightClick(QWidget* Widget);

/// Answers every message box that opens while it lives with Button, as a user would.
class TBoxAnswerer {
public:
    explicit TBoxAnswerer(QMessageBox::StandardButton Button);
    int Answered() const { return FAnswered; }
    /// The texts of the boxes answered, in turn.
    const QStringList& Texts() const { return FTexts; }

private:
    QTimer FTimer;
    int FAnswered = 0;
    QStringList FTexts;
};

} // namespace pelto::test
