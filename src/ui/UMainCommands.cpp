// Image saving, clipboard, background colour, code entry and the Help commands.
#include "ui/UMain.h"

#include "controls/QtBitmaps.h"
#include "export/ClassicSave.h"
#include "export/PictureExport.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/InvalidCode.h"
#include "model/UCommon.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Version.h"
#include "resources/ProgramBitmaps.h"
#include "sprites/wlojmajmp.h"
#include "ui/CodeText.h"
#include "ui/FavoritesMenu.h"
#include "ui/PeltoApplication.h"
#include "ui/SaveImageDialog.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

namespace pelto {
namespace {

constexpr const char* HomepageUrl = "https://pelto-in-wonderland.github.io/";
constexpr const char* AuthorLine =
    QT_TRANSLATE_NOOP("pelto::TfrmPelto", "Written by the PELTO in Wonderland developers");

// Dialog units: a quarter of the average character width, an eighth of the text height.
int MulDiv(int Value, int Numerator, int Denominator) {
    return (Value * Numerator + Denominator / 2) / Denominator;
}

} // namespace

void TfrmPelto::CreateDialogs() {
    sd = new TSaveImageDialog(this);
    cd = new QColorDialog(Qt::black, this);
    cd->setObjectName("cd");
}

void TfrmPelto::miSaveImageClick() {
    if (FSession->CharaIndex() < 0)
        return;
    // Opens where the last image went, offering the character's name.
    sd->Offer(FSettings.ImageFolder,
              CharaData[static_cast<std::size_t>(FSession->CharaIndex())].Name);
    if (sd->exec() != QDialog::Accepted || sd->selectedFiles().isEmpty()) {
        ReportNothingSaved();
        return;
    }
    const std::optional<TImageFileType> Type = sd->ChosenType();
    if (!Type)
        return;
    const std::string Chosen = sd->selectedFiles().first().toStdString();
    const std::string FileName = NormalizeImageFileName(Chosen, *Type);
    // The dialog asked about the name as typed; a corrected name gets its own question.
    if (FileName != Chosen && !ConfirmReplace(tr("Save Image As"), FileName)) {
        ReportNothingSaved();
        return;
    }
    FSettings.ImageFolder = ExtractFilePath(FileName);
    SettingsChanged();
    SaveImageFile(*FSession, *Type, FileName);
    const TBitmap& Canvas = FSession->Canvas();
    ReportSaved({FileName}, Canvas.Width(), Canvas.Height());
}

bool TfrmPelto::ConfirmReplace(const QString& Caption, const std::string& FileName) {
    return !QFileInfo::exists(QString::fromStdString(FileName)) ||
           QMessageBox::question(this, Caption,
                                 tr("%1 already exists.\nDo you want to replace it?")
                                     .arg(QString::fromStdString(ExtractFileName(FileName)))) ==
               QMessageBox::Yes;
}

void TfrmPelto::ReportSaved(const std::vector<std::string>& Files, int Width, int Height,
                            int Frames) {
    QStringList Names;
    for (const std::string& File : Files)
        Names << QString::fromStdString(ExtractFileName(File));
    const QString Size = QString("%1 × %2").arg(Width).arg(Height);
    statusBar()->showMessage(
        Frames > 1 ? tr("Saved %1, %2, %n frames", nullptr, Frames).arg(Names.join(", "), Size)
                   : tr("Saved %1, %2").arg(Names.join(", "), Size));
}

void TfrmPelto::ReportNothingSaved() {
    statusBar()->showMessage(tr("Nothing was saved"));
}

void TfrmPelto::miCopyImageClick() {
    if (FSession->CharaIndex() < 0)
        return;
    const TBitmap& Canvas = FSession->Canvas();
    QGuiApplication::clipboard()->setImage(ToQImage(Canvas));
    statusBar()->showMessage(
        tr("Copied the picture, %1 × %2").arg(Canvas.Width()).arg(Canvas.Height()));
}

void TfrmPelto::miBGColorClick() {
    if (cd->exec() != QDialog::Accepted)
        return;
    const QColor Color = cd->currentColor();
    FSession->SetBackColor(RGBColor(static_cast<std::uint8_t>(Color.red()),
                                    static_cast<std::uint8_t>(Color.green()),
                                    static_cast<std::uint8_t>(Color.blue())));
}

void TfrmPelto::miManageFavoritesClick() {
    FFavorites->Manage();
}

bool TfrmPelto::PromptText(const QString& Caption, const QString& Prompt, QString& Value) {
    // Over the window it asks for, where the user looks; on the screen when there is none.
    QWidget* Owner = DialogOwner();
    QDialog Dialog(Owner);
    Dialog.setWindowTitle(Caption);
    const QFontMetrics Metrics(Dialog.font());
    const QString Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int W = Metrics.horizontalAdvance(Letters) / 52;
    const int H = Metrics.height();
    const int ClientWidth = MulDiv(180, W, 4);

    auto* Label = new QLabel(Prompt, &Dialog);
    Label->setWordWrap(true);
    // As wide as the edit box: left to itself, a wrapping label breaks text without blanks
    // (Japanese) long before that.
    const int LabelWidth = MulDiv(164, W, 4);
    Label->setGeometry(MulDiv(8, W, 4), MulDiv(8, H, 8), LabelWidth,
                       Label->heightForWidth(LabelWidth));
    auto* Edit = new QLineEdit(Value, &Dialog);
    Edit->setMaxLength(255);
    Edit->setGeometry(Label->x(), Label->geometry().bottom() + 1 + 5, MulDiv(164, W, 4),
                      Edit->sizeHint().height());
    Edit->selectAll();
    const int ButtonTop = Edit->geometry().bottom() + 1 + 15;
    auto* Ok = new QPushButton(tr("OK"), &Dialog);
    Ok->setGeometry(MulDiv(38, W, 4), ButtonTop, MulDiv(50, W, 4), MulDiv(14, H, 8));
    Ok->setDefault(true);
    auto* Cancel = new QPushButton(tr("Cancel"), &Dialog);
    Cancel->setGeometry(MulDiv(92, W, 4), ButtonTop, MulDiv(50, W, 4), MulDiv(14, H, 8));
    QObject::connect(Ok, &QPushButton::clicked, &Dialog, &QDialog::accept);
    QObject::connect(Cancel, &QPushButton::clicked, &Dialog, &QDialog::reject);
    Dialog.setFixedSize(ClientWidth, Ok->geometry().bottom() + 1 + 13);
    CentreOver(Dialog, Owner);
    Edit->setFocus();
    if (Dialog.exec() != QDialog::Accepted)
        return false;
    Value = Edit->text();
    return true;
}

void TfrmPelto::btnSetCodeClick() {
    const QString Code = edCode->text();
    if (Code.isEmpty())
        return;
    const int Before = FSession->CharaIndex();
    try {
        FSession->ApplyCode(Code.toStdString());
        ReportMissingSprites(Before);
    } catch (const EInvalidCode& Error) {
        ShowMessage(InvalidCodeMessage(Error));
        ShowLook();
        // What was typed stays, to be mended rather than typed again.
        edCode->setText(Code);
        edCode->selectAll();
        edCode->setFocus();
    } catch (const std::exception& Error) {
        ShowMessage(ErrorMessage(Error));
        // The code box shows the code of the character kept.
        ShowLook();
    }
}

void TfrmPelto::miExitClick() {
    close();
}

void TfrmPelto::miVisitHomepageClick() {
    QDesktopServices::openUrl(QUrl(HomepageUrl));
}

void TfrmPelto::miAboutClick() {
    QMessageBox Box(this);
    Box.setWindowTitle(tr("About PELTO in Wonderland"));
    Box.setText(tr("%1 Version %2\n\n%3\n[ %4 ]")
                    .arg(ApplicationTitle,
                         QString::fromUtf8(ProgramVersion.data(),
                                           static_cast<qsizetype>(ProgramVersion.size())),
                         tr(AuthorLine), HomepageUrl));
    Box.setIconPixmap(QPixmap::fromImage(ToQImage(ProgramIcon(48))));
    Box.setStandardButtons(QMessageBox::Ok);
    Box.exec();
}

} // namespace pelto
