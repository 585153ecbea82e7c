// Export beyond the classic "Save Image As...": enlarged, animated and sheet pictures.
#include "ui/UMain.h"

#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/PictureExport.h"
#include "platform/Paths.h"
#include "ui/PeltoApplication.h"
#include "ui/Translations.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <vector>

namespace pelto {
namespace {

QString FromView(std::string_view Text) {
    return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

int ScopeIndex(const std::string& Name) {
    const auto Found = std::find(ExportScopeNames.begin(), ExportScopeNames.end(), Name);
    return Found == ExportScopeNames.end() ? 0 : static_cast<int>(Found - ExportScopeNames.begin());
}

} // namespace

bool TfrmPelto::PromptExport(TPeltoSettings::TExportChoices& Choices, QString& FileName) {
    QDialog Dialog(this);
    Dialog.setObjectName("dlgExport");
    Dialog.setWindowTitle(tr("Export"));
    auto* Form = new QFormLayout(&Dialog);

    auto* Format = new QComboBox(&Dialog);
    Format->setObjectName("cbExportFormat");
    for (const TExportFormat& Each : ExportFormats)
        Format->addItem(CoreText(Each.Filter), FromView(Each.Name));
    Format->setCurrentIndex(std::max(0, Format->findData(QString::fromStdString(Choices.Format))));
    Form->addRow(tr("&Format:"), Format);

    auto* Scale = new QSpinBox(&Dialog);
    Scale->setObjectName("seExportScale");
    Scale->setRange(MinExportScale, MaxExportScale);
    Scale->setSuffix(" ×");
    Scale->setValue(std::clamp(Choices.Scale, MinExportScale, MaxExportScale));
    Form->addRow(tr("&Scale:"), Scale);

    auto* Scope = new QComboBox(&Dialog);
    Scope->setObjectName("cbExportScope");
    Scope->addItems({tr("The current action"), tr("All eight directions of the motion"),
                     tr("Every motion in every direction")});
    Scope->setCurrentIndex(ScopeIndex(Choices.Scope));
    Form->addRow(tr("S&heet holds:"), Scope);

    auto* Delay = new QSpinBox(&Dialog);
    Delay->setObjectName("seExportDelay");
    Delay->setRange(MinExportDelay, MaxExportDelay);
    Delay->setSuffix(" ms");
    Form->addRow(tr("Frame &delay:"), Delay);
    // Left at the viewer's pace, the delay shows the one the chosen format keeps.
    bool DelayChosen = Choices.Delay != DefaultExportDelay;
    bool ShowingDelay = false;
    const auto ShowDelay = [&](int Value) {
        ShowingDelay = true;
        Delay->setValue(std::clamp(Value, MinExportDelay, MaxExportDelay));
        ShowingDelay = false;
    };
    ShowDelay(Choices.Delay);
    connect(Delay, &QSpinBox::valueChanged, &Dialog, [&] { DelayChosen |= !ShowingDelay; });

    auto* Trim = new QCheckBox(tr("&Trim to the drawn pixels"), &Dialog);
    Trim->setObjectName("chExportTrim");
    Trim->setChecked(Choices.Trim);
    Form->addRow(Trim);

    auto* Name = new QLineEdit(FileName, &Dialog);
    Name->setObjectName("edExportFile");
    auto* Browse = new QPushButton(tr("&Browse..."), &Dialog);
    auto* NameRow = new QHBoxLayout;
    NameRow->addWidget(Name);
    NameRow->addWidget(Browse);
    // A row of a layout gets no buddy of its own: without one, the label would show its "&".
    auto* NameLabel = new QLabel(tr("F&ile:"), &Dialog);
    NameLabel->setBuddy(Name);
    Form->addRow(NameLabel, NameRow);

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Dialog);
    Form->addRow(Buttons);
    connect(Buttons, &QDialogButtonBox::accepted, &Dialog, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);

    const auto Current = [&]() -> const TExportFormat& {
        return ExportFormats[static_cast<std::size_t>(std::max(0, Format->currentIndex()))];
    };
    // Only what the chosen format uses can be set; the name follows the format's extension.
    const auto FormatChosen = [&] {
        const TExportFormat& Chosen = Current();
        Scope->setEnabled(IsSheetFormat(Chosen));
        Delay->setEnabled(IsAnimatedFormat(Chosen));
        if (!DelayChosen)
            ShowDelay(DefaultDelayOf(Chosen));
        if (!Name->text().isEmpty())
            Name->setText(QString::fromStdString(
                NormalizeExportFileName(Name->text().toStdString(), Chosen)));
    };
    connect(Format, &QComboBox::currentIndexChanged, &Dialog, FormatChosen);
    FormatChosen();
    connect(Browse, &QPushButton::clicked, &Dialog, [&] {
        const QString Chosen = QFileDialog::getSaveFileName(&Dialog, tr("Export"), Name->text(),
                                                            CoreText(Current().Filter), nullptr,
                                                            QFileDialog::DontConfirmOverwrite);
        if (!Chosen.isEmpty())
            Name->setText(Chosen);
    });

    if (Dialog.exec() != QDialog::Accepted || Name->text().trimmed().isEmpty())
        return false;
    Choices.Format = std::string(Current().Name);
    Choices.Scale = Scale->value();
    Choices.Scope = std::string(ExportScopeNames[static_cast<std::size_t>(Scope->currentIndex())]);
    Choices.Trim = Trim->isChecked();
    if (DelayChosen)
        Choices.Delay = Delay->value();
    FileName = QString::fromStdString(
        NormalizeExportFileName(Name->text().trimmed().toStdString(), Current()));
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

    TExportOptions Options;
    Options.Format = FindExportFormat(Choices.Format);
    if (!Options.Format)
        Options.Format = &ExportFormats.front();
    Options.Scale = Choices.Scale;
    Options.Scope = static_cast<TExportScope>(ScopeIndex(Choices.Scope));
    Options.Trim = Choices.Trim;
    // A delay left at the viewer's pace lets each format keep its own (the GIF its 160 ms).
    if (IsAnimatedFormat(*Options.Format) && Choices.Delay != DefaultExportDelay)
        Options.Delay = Choices.Delay;
    Options.Code = FSession->Code();

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
    // Big sheets take a while: a bar shows how far it is, Cancel stops it with nothing written.
    QProgressDialog Progress(tr("Exporting..."), tr("Cancel"), 0, 100, this);
    Progress.setObjectName("dlgExportProgress");
    Progress.setWindowModality(Qt::WindowModal);
    Progress.setMinimumDuration(400);
    TExportShape Shape;
    try {
        Shape = FSession->Export(Options, File, [&](int Done, int Total) {
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

} // namespace pelto
