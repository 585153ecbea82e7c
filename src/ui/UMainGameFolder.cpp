// The game folder: finding it at start, the folder prompt, changing it while the window runs,
// and the settings file that keeps it.
#include "ui/UMain.h"

#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/Settings.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "ui/ColorsPart.h"
#include "ui/FavoritesMenu.h"
#include "ui/PeltoApplication.h"
#include "ui/SlotsPart.h"
#include "ui/Translations.h"
#include "ui/Wardrobe.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMoveEvent>
#include <QTimer>

namespace pelto {

bool TfrmPelto::PromptGameFolder(std::string& Directory, const std::string& Problem) {
    // Over the window when it asks (Change Game Folder), alone at start-up.
    QFileDialog Dialog(DialogOwner(), CoreText(WloFolderCaption),
                       QString::fromStdString(Directory));
    Dialog.setFileMode(QFileDialog::Directory);
    Dialog.setOption(QFileDialog::ShowDirsOnly);
    // Qt's own dialog, which has room for the line on what the last folder lacked.
    Dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!Problem.empty()) {
        auto* Line = new QLabel(CoreMessage(Problem), &Dialog);
        Line->setObjectName("lblProblem");
        QFont Bold = Line->font();
        Bold.setBold(true);
        Line->setFont(Bold);
        if (auto* Grid = qobject_cast<QGridLayout*>(Dialog.layout()))
            Grid->addWidget(Line, Grid->rowCount(), 0, 1, Grid->columnCount());
    }
    // Qt places a file dialog by the size it had before its layout grew.
    if (const QWidget* Owner = Dialog.parentWidget()) {
        Dialog.adjustSize();
        CentreOver(Dialog, Owner);
    }
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return false;
    Directory = Dialog.selectedFiles().first().toStdString();
    return true;
}

bool TfrmPelto::SettleGameFolder() {
    std::string Folder =
        FOptions.GameFolder ? *FOptions.GameFolder : FindWloPath(FSettings.WloPath);
    if (!CheckWloPath(Folder, FOptions.FolderPrompt))
        return false; // nothing is written: the settings keep what they had
    FSettings.WloPath = Folder;
    return true;
}

std::unique_ptr<TGameData> TfrmPelto::LoadGame(const std::string& Folder) {
    TGameOpening Opening;
    Opening.ItemIcons = true;
    // The window is whole without what is damaged: each part is said once, each file named.
    // Without icons the slots and lists show bare backgrounds.
    Opening.OnDamage = [](const TGameDamage& Damage) {
        if (Damage.Part == TGamePart::ItemTable) {
            ShowError(
                tr("File read error\n%1")
                    .arg(QString::fromStdString(ResolvePath(Damage.Game.Path(ItemTableFileName)))));
            return;
        }
        QStringList Messages;
        for (const std::exception* Error : Damage.Errors)
            Messages << ErrorMessage(*Error);
        ShowError(Messages.join("\n\n"));
    };
    auto Game = OpenGame(Folder, Opening);
    if (!Game)
        return nullptr;
    // Such characters are still offered, drawn without their sprites; said once, here, as the
    // likely cause, rather than only as a missing file each time one is chosen.
    QStringList Lacking;
    for (const int Chara : Game->CharasMissingSprites()) {
        const std::string_view Name = CharaData[static_cast<std::size_t>(Chara)].Name;
        Lacking << QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size()));
    }
    if (!Lacking.isEmpty())
        ShowWarning(tr("These characters lack sprites and are drawn without them: %1.\n"
                       "The game's installation may be incomplete.")
                        .arg(Lacking.join(", ")));
    return Game;
}

void TfrmPelto::ShowGame(std::unique_ptr<TGameData> Game,
                         std::unique_ptr<TDressingSession> Session) {
    FSlots->ClosePicker();
    FSession = std::move(Session); // the old session goes before the game it refers to
    FGame = std::move(Game);
    FSession->OnSlotChange = [this](int Slot) {
        FSlots->UpdateSlot(Slot);
    };
    FSession->OnStateChange = [this](TSessionChange What) {
        SessionChanged(What);
    };
    LoadSkin();
    FColors->SelectPosition(FColors->Position());
    FSlots->UpdateSlots();
    ShowLocks();
    if (frmWardrobe)
        frmWardrobe->Reload(); // another game's items
    FFavorites->Update();      // the manager's pictures are drawn from the game
    ShowLook();
}

void TfrmPelto::miChangeGameFolderClick() {
    std::string Folder = FSettings.WloPath;
    if (!FOptions.FolderPrompt || !FOptions.FolderPrompt(Folder, std::string()))
        return;
    if (!CheckWloPath(Folder, FOptions.FolderPrompt))
        return;
    auto Game = LoadGame(Folder);
    if (!Game)
        return; // the window goes on with the game it had
    auto Session = std::make_unique<TDressingSession>(*Game);
    Session->SetLocks(FSession->Locks()); // the same slots and positions, whatever the game
    QString Problem;
    try {
        Session->CarryOver(*FSession);
    } catch (const std::exception& Error) {
        Problem = ErrorMessage(Error);
    }
    ShowGame(std::move(Game), std::move(Session));
    FSettings.WloPath = Folder;
    FKeptWloPath.reset(); // the user's own choice is kept
    WriteSettings();
    if (!Problem.isEmpty())
        ShowError(Problem);
}

void TfrmPelto::WriteSettings(TSettingsWrite How) {
    CommitSettings(FSettings, How);
}

TPeltoSettings TfrmPelto::SettingsToWrite(TPeltoSettings Settings) const {
    Settings.X = x();
    Settings.Y = y();
    if (FSession) {
        Settings.LastCode = FSession->Code();
        Settings.LastMotion = FSession->Motion();
        Settings.LastDirection = FSession->Direction();
    }
    return Settings;
}

void TfrmPelto::SettingsChanged() {
    if (FSettingsRead && FSettingsDue && !FSettingsDue->isActive())
        FSettingsDue->start();
}

void TfrmPelto::moveEvent(QMoveEvent* Event) {
    QMainWindow::moveEvent(Event);
    SettingsChanged();
}

bool TfrmPelto::CommitSettings(const TPeltoSettings& Asked, TSettingsWrite How) {
    const TPeltoSettings New = SettingsToWrite(Asked);
    TPeltoSettings Written = New;
    if (FSession) {
        Written.Shadow = FSession->Chara().Shadow();
        Written.Locks = FSession->Locks();
    }
    if (FKeptWloPath)
        Written.WloPath = *FKeptWloPath;
    std::string Target = FOptions.SettingsFile;
    if (How == TSettingsWrite::Changed && Written == FSettingsWritten) {
        FSettings = New;
        return true;
    }
    for (;;) {
        try {
            if (Target == FOptions.SettingsFile) {
                TIniFile Ini(Target);
                SaveSettings(Ini, Written);
            } else {
                SaveSettingsAs(Target, FOptions.SettingsFile, Written);
                FOptions.SettingsFile = Target; // for every later save of this run
            }
            FSettings = New;
            FSettingsWritten = Written;
            FReportedSettingsError.clear();
            return true;
        } catch (const std::exception& Error) {
            const QString Text = ErrorMessage(Error);
            // Said when it first failed; a write the user did not ask for does not say it again.
            if (How != TSettingsWrite::Asked && Text == FReportedSettingsError)
                return false;
            FReportedSettingsError = Text;
            QString Other = QString::fromStdString(Target);
            if (!OnPromptSettingsFile(Text, Other) || Other.isEmpty())
                return false;
            Target = Other.toStdString();
        }
    }
}

bool TfrmPelto::PromptSettingsFile(const QString& Error, QString& FileName) {
    if (!ShowErrorWithOffer(Error, tr("Keep Settings in Another File...")))
        return false;
    const QString Chosen = QFileDialog::getSaveFileName(this, tr("Keep Settings in Another File"),
                                                        FileName, tr("Settings (*.ini)"));
    if (Chosen.isEmpty())
        return false;
    FileName = Chosen;
    return true;
}

} // namespace pelto
