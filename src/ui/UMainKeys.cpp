// The status line, the tooltips, the code's keys and the help on them; the view's keys are
// TViewKeys.
#include "ui/UMain.h"

#include "controls/StatusLine.h"
#include "controls/Widgets.h"
#include "model/DressingSession.h"
#include "ui/ColorsPart.h"
#include "ui/PeltoApplication.h"
#include "ui/ViewPart.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

namespace pelto {
namespace {

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
