// Export beyond the classic "Save Image As...": enlarged, animated and sheet pictures, asked
// for in TExportDialog.
#include "ui/UMain.h"

#include "export/PictureExport.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "platform/Paths.h"
#include "ui/ExportDialog.h"

#include <QDir>
#include <QMessageBox>
#include <QProgressDialog>

#include <algorithm>
#include <vector>

namespace pelto {

bool TfrmPelto::PromptExport(TPeltoSettings::TExportChoices& Choices, QString& FileName) {
    const bool Shown = FSession && FSession->CharaIndex() >= 0;
    TExportDialog Dialog(Choices, FileName, Shown ? &FSession->Chara() : nullptr, this);
    if (Dialog.exec() != QDialog::Accepted || Dialog.FileName().isEmpty())
        return false;
    Choices = Dialog.Choices();
    FileName = Dialog.FileName();
    return true;
}

void TfrmPelto::miExportClick() {
    if (!FSession || FSession->CharaIndex() < 0)
        return;
    TPeltoSettings::TExportChoices Choices =
        FSettings.Export.value_or(TPeltoSettings::TExportChoices{});
    // Offered in the folder of the last picture, named after the character.
    const std::string_view CharaName =
        CharaData[static_cast<std::size_t>(FSession->CharaIndex())].Name;
    const std::string Folder = FSettings.ImageFolder.empty()
                                   ? IncludeTrailingPathDelimiter(QDir::homePath().toStdString())
                                   : FSettings.ImageFolder;
    QString FileName = QString::fromStdString(Folder + std::string(CharaName));
    if (!OnPromptExport(Choices, FileName)) {
        ReportNothingSaved();
        return;
    }
    FSettings.Export = Choices;
    SettingsChanged();

    TExportOptions Options = ExportOptionsOf(Choices);
    Options.Code = FSession->Code();
    // Common viewers refuse pictures beyond 16,384 pixels a side: say so before the work.
    const TExportShape Planned = PlannedShape(FSession->Chara(), Options);
    if ((Planned.Width > ViewableSide || Planned.Height > ViewableSide) &&
        !OnConfirmLargePicture(Planned.Width, Planned.Height)) {
        ReportNothingSaved();
        return;
    }

    const std::string File = NormalizeExportFileName(FileName.toStdString(), *Options.Format);
    std::vector<std::string> Written{File};
    if (IsSheetFormat(*Options.Format))
        Written.push_back(SheetJsonFileName(File));
    for (const std::string& Each : Written)
        if (!ConfirmReplace(tr("Export"), Each)) {
            ReportNothingSaved();
            return;
        }
    FSettings.ImageFolder = ExtractFilePath(File);
    SettingsChanged();
    // Big sheets take a while: a bar shows how far it is, Cancel stops it with nothing written.
    QProgressDialog Progress(tr("Exporting..."), tr("Cancel"), 0, 100, this);
    Progress.setObjectName("dlgExportProgress");
    Progress.setWindowModality(Qt::WindowModal);
    Progress.setMinimumDuration(400);
    TExportShape Shape;
    try {
        Shape = ExportPicture(*FSession, Options, File, [&](int Done, int Total) {
            Progress.setMaximum(std::max(1, Total));
            Progress.setValue(Done);
            return !Progress.wasCanceled();
        });
    } catch (const EExportCanceled&) {
        ReportNothingSaved();
        return;
    }
    ReportSaved(Written, Shape.Width, Shape.Height, Shape.Frames);
}

bool TfrmPelto::ConfirmLargePicture(int Width, int Height) {
    return QMessageBox::warning(
               this, tr("Export"),
               tr("The picture will be %1 × %2 pixels, more than %3 a side, which many "
                  "picture viewers refuse to open.\nExport it anyway?")
                   .arg(Width)
                   .arg(Height)
                   .arg(ViewableSide),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

} // namespace pelto
