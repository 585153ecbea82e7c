// Export beyond the classic "Save Image As...": enlarged, animated and sheet pictures.
#include "ui/UMain.h"

#include "controls/QtBitmaps.h"
#include "export/ExportFrames.h"
#include "export/PictureExport.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
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
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <vector>

namespace pelto {
namespace {

constexpr int PreviewSide = 160;

QString FromView(std::string_view Text) {
    return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

template <std::size_t N>
int NameIndex(const std::array<std::string_view, N>& Names, const std::string& Name) {
    const auto Found = std::find(Names.begin(), Names.end(), Name);
    return Found == Names.end() ? 0 : static_cast<int>(Found - Names.begin());
}

int ScopeIndex(const std::string& Name) {
    return NameIndex(ExportScopeNames, Name);
}

/// The export options the dialog's choices stand for.
TExportOptions OptionsOf(const TPeltoSettings::TExportChoices& Choices) {
    TExportOptions Options;
    Options.Format = FindExportFormat(Choices.Format);
    if (!Options.Format)
        Options.Format = &ExportFormats.front();
    Options.Scale = std::clamp(Choices.Scale, MinExportScale, MaxExportScale);
    Options.Scope = static_cast<TExportScope>(ScopeIndex(Choices.Scope));
    Options.Crop = static_cast<TExportCrop>(NameIndex(ExportCropNames, Choices.Crop));
    Options.Trim = Choices.Trim && Options.Crop != TExportCrop::Head;
    Options.Flip = Choices.Flip;
    if (Choices.CanvasWidth > 0 && Choices.CanvasHeight > 0)
        Options.Canvas =
            TExportCanvas{std::clamp(Choices.CanvasWidth, 1, MaxExportCanvasSide),
                          std::clamp(Choices.CanvasHeight, 1, MaxExportCanvasSide),
                          static_cast<TCanvasAnchor>(NameIndex(CanvasAnchorNames, Choices.Anchor))};
    const TExportKind Kind = Options.Format->Kind;
    Options.Layers = Choices.Layers && Kind == TExportKind::Bundle;
    if (Choices.IndexNames && (Kind == TExportKind::Sheet || Kind == TExportKind::Bundle))
        Options.FrameNames = TFrameNames::Index;
    // A delay left at the viewer's pace lets each format keep its own (the GIF its 160 ms).
    if ((IsAnimatedFormat(*Options.Format) || HasScope(*Options.Format)) &&
        Choices.Delay != DefaultExportDelay)
        Options.Delay = Choices.Delay;
    return Options;
}

/// A preview of Bitmap at most Side pixels a side, its pixels kept sharp, transparency shown
/// as a chequerboard.
QPixmap PreviewPixmap(const TBitmap& Bitmap, int Side) {
    const QImage Image = ToQImage(Bitmap);
    const QImage Fitted =
        Image.width() > Side || Image.height() > Side
            ? Image.scaled(Side, Side, Qt::KeepAspectRatio, Qt::FastTransformation)
            : Image.scaled(Image.size() *
                               std::max(1, Side / std::max(Image.width(), Image.height())),
                           Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPixmap Pixmap(Fitted.size());
    QPainter Painter(&Pixmap);
    for (int Y = 0; Y < Pixmap.height(); Y += 8)
        for (int X = 0; X < Pixmap.width(); X += 8)
            Painter.fillRect(X, Y, 8, 8, ((X + Y) / 8) % 2 ? QColor(204, 204, 204) : Qt::white);
    Painter.drawImage(0, 0, Fitted);
    return Pixmap;
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

    // A trim and the crop to the drawn pixels are the same picture: one control shows both.
    auto* Crop = new QComboBox(&Dialog);
    Crop->setObjectName("cbExportCrop");
    Crop->addItems({tr("The whole canvas"), tr("The character's drawn pixels"),
                    tr("A square around the head")});
    const TExportCrop Kept = static_cast<TExportCrop>(NameIndex(ExportCropNames, Choices.Crop));
    Crop->setCurrentIndex(
        static_cast<int>(Choices.Trim && Kept == TExportCrop::Full ? TExportCrop::Body : Kept));
    Form->addRow(tr("C&rop:"), Crop);

    auto* Flip = new QCheckBox(tr("&Mirror horizontally"), &Dialog);
    Flip->setObjectName("chExportFlip");
    Flip->setChecked(Choices.Flip);
    Form->addRow(Flip);

    auto* OnCanvas = new QCheckBox(tr("On a ca&nvas of"), &Dialog);
    OnCanvas->setObjectName("chExportCanvas");
    OnCanvas->setChecked(Choices.CanvasWidth > 0 && Choices.CanvasHeight > 0);
    const auto Side = [&](const char* Object, int Value) {
        auto* Box = new QSpinBox(&Dialog);
        Box->setObjectName(Object);
        Box->setRange(1, MaxExportCanvasSide);
        Box->setValue(Value > 0 ? std::min(Value, MaxExportCanvasSide) : 256);
        return Box;
    };
    auto* CanvasWidth = Side("seExportCanvasWidth", Choices.CanvasWidth);
    auto* CanvasHeight = Side("seExportCanvasHeight", Choices.CanvasHeight);
    auto* Anchor = new QComboBox(&Dialog);
    Anchor->setObjectName("cbExportAnchor");
    Anchor->addItems({tr("feet at the bottom"), tr("centered")});
    Anchor->setCurrentIndex(NameIndex(CanvasAnchorNames, Choices.Anchor));
    auto* CanvasRow = new QHBoxLayout;
    CanvasRow->addWidget(OnCanvas);
    CanvasRow->addWidget(CanvasWidth);
    CanvasRow->addWidget(new QLabel("×", &Dialog));
    CanvasRow->addWidget(CanvasHeight);
    CanvasRow->addWidget(Anchor);
    Form->addRow(CanvasRow);

    auto* Layers = new QCheckBox(tr("The bundle holds every frame's &layers too"), &Dialog);
    Layers->setObjectName("chExportLayers");
    Layers->setChecked(Choices.Layers);
    Form->addRow(Layers);
    auto* IndexNames = new QCheckBox(tr("Frames named by their inde&x, as Phaser wants"), &Dialog);
    IndexNames->setObjectName("chExportIndexNames");
    IndexNames->setChecked(Choices.IndexNames);
    Form->addRow(IndexNames);

    auto* Preview = new QLabel(&Dialog);
    Preview->setObjectName("lblExportPreview");
    Preview->setAlignment(Qt::AlignCenter);
    Preview->setMinimumSize(PreviewSide + 8, PreviewSide + 8);
    auto* PreviewSize = new QLabel(&Dialog);
    PreviewSize->setObjectName("lblExportSize");
    PreviewSize->setWordWrap(true);
    Form->addRow(tr("Preview:"), Preview);
    Form->addRow(PreviewSize);

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
    const auto Chosen = [&] {
        TPeltoSettings::TExportChoices Now = Choices;
        Now.Format = std::string(Current().Name);
        Now.Scale = Scale->value();
        Now.Scope = std::string(ExportScopeNames[static_cast<std::size_t>(Scope->currentIndex())]);
        Now.Trim = false; // the crop says it
        Now.Crop = std::string(ExportCropNames[static_cast<std::size_t>(Crop->currentIndex())]);
        Now.Flip = Flip->isChecked();
        Now.CanvasWidth = OnCanvas->isChecked() ? CanvasWidth->value() : 0;
        Now.CanvasHeight = OnCanvas->isChecked() ? CanvasHeight->value() : 0;
        Now.Anchor =
            std::string(CanvasAnchorNames[static_cast<std::size_t>(Anchor->currentIndex())]);
        Now.Layers = Layers->isChecked();
        Now.IndexNames = IndexNames->isChecked();
        if (DelayChosen)
            Now.Delay = Delay->value();
        return Now;
    };
    // The current frame as the file will show it, and the size it will have.
    const auto ShowPreview = [&] {
        if (!FSession || FSession->CharaIndex() < 0)
            return;
        const TExportOptions Options = OptionsOf(Chosen());
        const TDrawChara& Chara = FSession->Chara();
        Preview->setPixmap(PreviewPixmap(ExportPreview(Chara, Options), PreviewSide));
        // Sizes of bodies over every motion take a moment to find; the cell is shown instead.
        const bool Quick = !CropsToBody(Options) || Options.Scope != TExportScope::All;
        const TExportShape Shape = Quick ? PlannedShape(Chara, Options) : TExportShape{0, 0, 0};
        PreviewSize->setText(
            Shape.Width > 0 ? tr("%1 × %2 pixels").arg(Shape.Width).arg(Shape.Height) : QString());
        PreviewSize->setStyleSheet(
            Shape.Width > ViewableSide || Shape.Height > ViewableSide ? "color: #b00000" : "");
    };
    // Only what the chosen format uses can be set; the name follows the format's extension.
    const auto FormatChosen = [&] {
        const TExportFormat& Chosen = Current();
        Form->setRowVisible(Scope, HasScope(Chosen));
        Delay->setEnabled(IsAnimatedFormat(Chosen) || HasScope(Chosen));
        Form->setRowVisible(Layers, Chosen.Kind == TExportKind::Bundle);
        Form->setRowVisible(IndexNames, Chosen.Kind == TExportKind::Sheet ||
                                            Chosen.Kind == TExportKind::Bundle);
        Dialog.adjustSize();
        if (!DelayChosen)
            ShowDelay(DefaultDelayOf(Chosen));
        if (!Name->text().isEmpty())
            Name->setText(QString::fromStdString(
                NormalizeExportFileName(Name->text().toStdString(), Chosen)));
    };
    connect(Format, &QComboBox::currentIndexChanged, &Dialog, FormatChosen);
    FormatChosen();
    // A canvas's size and anchor count only with a canvas.
    const auto LayoutChosen = [&] {
        for (QWidget* Each : std::initializer_list<QWidget*>{CanvasWidth, CanvasHeight, Anchor})
            Each->setEnabled(OnCanvas->isChecked());
        ShowPreview();
    };
    LayoutChosen();
    connect(Format, &QComboBox::currentIndexChanged, &Dialog, LayoutChosen);
    connect(Crop, &QComboBox::currentIndexChanged, &Dialog, LayoutChosen);
    connect(Scope, &QComboBox::currentIndexChanged, &Dialog, LayoutChosen);
    for (QCheckBox* Each : {Flip, OnCanvas})
        connect(Each, &QCheckBox::toggled, &Dialog, LayoutChosen);
    for (QSpinBox* Each : {Scale, CanvasWidth, CanvasHeight})
        connect(Each, &QSpinBox::valueChanged, &Dialog, LayoutChosen);
    connect(Anchor, &QComboBox::currentIndexChanged, &Dialog, LayoutChosen);
    connect(Browse, &QPushButton::clicked, &Dialog, [&] {
        const QString Chosen = QFileDialog::getSaveFileName(&Dialog, tr("Export"), Name->text(),
                                                            CoreText(Current().Filter), nullptr,
                                                            QFileDialog::DontConfirmOverwrite);
        if (!Chosen.isEmpty())
            Name->setText(Chosen);
    });

    if (Dialog.exec() != QDialog::Accepted || Name->text().trimmed().isEmpty())
        return false;
    Choices = Chosen();
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
    SettingsChanged();

    TExportOptions Options = OptionsOf(Choices);
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
