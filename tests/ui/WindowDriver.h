#pragma once

#include <QMessageBox>
#include <QPoint>
#include <QTimer>

#include <functional>

class QWidget;

namespace pelto {
class TfrmPelto;
}

namespace pelto::test {

/// Picks a character as the choice box does when the user picks one.
void ChooseChara(TfrmPelto& Window, int Chara);

/// Runs Action from the event loop, as a command runs, so that an error escaping it reaches
/// the application's general error display.
void RunCommand(const std::function<void()>& Action);

/// Runs Action while the slot's pop-up is open, then closes the pop-up if it still is.
void WithPicker(TfrmPelto& Window, int Slot, const std::function<void()>& Action);

/// Points at and clicks cell Index of the open pop-up's first column.
void ClickCell(TfrmPelto& Window, int Index);

void RightClick(QWidget* Widget);

/// Answers every message box that opens while it lives with Button, as a user would.
class TBoxAnswerer {
public:
    explicit TBoxAnswerer(QMessageBox::StandardButton Button);
    int Answered() const { return FAnswered; }

private:
    QTimer FTimer;
    int FAnswered = 0;
};

} // namespace pelto::test
