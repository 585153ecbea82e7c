#include "ui/ExportDialog.h"

#include "controls/QtBitmaps.h"
#include "export/ExportFrames.h"
#include "export/PictureExport.h"
#include "ui/Translations.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

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

template <std::size_t N>
std::string NameAt(const std::array<std::string_view, N>& Names, int Index) {
    return std::string(Names[static_cast<std::size_t>(Index)]);
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

// The directions as the settings spell them, at the index the dialog offers them: those of the
// scope, an order by name, or a list of the user's (last).
constexpr std::array<std::string_view, 3> DirectionChoiceNames{"", "engine", "game"};
constexpr int OwnDirections = static_cast<int>(DirectionChoiceNames.size());

} // namespace

TExportOptions ExportOptionsOf(const TPeltoSettings::TExportChoices& Choices) {
    TExportOptions Options;
    Options.Format = FindExportFormat(Choices.Format);
    if (!Options.Format)
        Options.Format = &ExportFormats.front();
    const TExportFormat& Format = *Options.Format;
    Options.Scale = std::clamp(Choices.Scale, MinExportScale, MaxExportScale);
    Options.Scope = static_cast<TExportScope>(NameIndex(ExportScopeNames, Choices.Scope));
    Options.Crop = static_cast<TExportCrop>(NameIndex(ExportCropNames, Choices.Crop));
    Options.Trim = Choices.Trim && CropTakesTrim(Options.Crop);
    Options.Flip = Choices.Flip;
    if (Choices.CanvasWidth > 0 && Choices.CanvasHeight > 0)
        Options.Canvas =
            TExportCanvas{std::clamp(Choices.CanvasWidth, 1, MaxExportCanvasSide),
                          std::clamp(Choices.CanvasHeight, 1, MaxExportCanvasSide),
                          static_cast<TCanvasAnchor>(NameIndex(CanvasAnchorNames, Choices.Anchor))};
    Options.Layers = Choices.Layers && FormatTakes(Format, TFormatOption::Layers);
    if (Choices.IndexNames && FormatTakes(Format, TFormatOption::FrameNames))
        Options.FrameNames = TFrameNames::Index;
    if (FormatTakes(Format, TFormatOption::Scope)) {
        // A list the user mistyped stands for nothing; the dialog shows it as such.
        Options.Motions =
            ActionListOf(Choices.Motions, false).value_or(std::vector<std::uint8_t>{});
        Options.Directions =
            ActionListOf(Choices.Directions, true).value_or(std::vector<std::uint8_t>{});
    }
    if (FormatTakes(Format, TFormatOption::Padding)) {
        Options.Padding = std::clamp(Choices.Padding, 0, MaxExportPadding);
        Options.Extrude = std::clamp(Choices.Extrude, 0, MaxExportExtrude);
    }
    // A delay left at the viewer's pace lets each format keep its own (the GIF its 160 ms).
    if (FormatTakes(Format, TFormatOption::Delay) && Choices.Delay != DefaultExportDelay)
        Options.Delay = Choices.Delay;
    return Options;
}

TExportDialog::TExportDialog(const TPeltoSettings::TExportChoices& Last, const QString& FileName,
                             const TDrawChara* Chara, QWidget* Parent)
    : QDialog(Parent), FLast(Last), FChara(Chara), FDelayChosen(Last.Delay != DefaultExportDelay) {
    setObjectName("dlgExport");
    setWindowTitle(tr("Export"));
    FForm = new QFormLayout(this);
    CreateFormatRows();
    CreateActionRows();
    CreateLayoutRows();
    CreateFileRows(FileName);
    Connect();
}

void TExportDialog::CreateFormatRows() {
    cbFormat = new QComboBox(this);
    cbFormat->setObjectName("cbExportFormat");
    for (const TExportFormat& Each : ExportFormats)
        cbFormat->addItem(CoreText(Each.Filter), FromView(Each.Name));
    cbFormat->setCurrentIndex(
        std::max(0, cbFormat->findData(QString::fromStdString(FLast.Format))));
    FForm->addRow(tr("&Format:"), cbFormat);

    seScale = new QSpinBox(this);
    seScale->setObjectName("seExportScale");
    seScale->setRange(MinExportScale, MaxExportScale);
    seScale->setSuffix(" ×");
    seScale->setValue(std::clamp(FLast.Scale, MinExportScale, MaxExportScale));
    FForm->addRow(tr("&Scale:"), seScale);

    cbScope = new QComboBox(this);
    cbScope->setObjectName("cbExportScope");
    cbScope->addItems({tr("The current action"), tr("All eight directions of the motion"),
                       tr("Every motion in every direction")});
    cbScope->setCurrentIndex(NameIndex(ExportScopeNames, FLast.Scope));
    FForm->addRow(tr("S&heet holds:"), cbScope);

    seDelay = new QSpinBox(this);
    seDelay->setObjectName("seExportDelay");
    seDelay->setRange(MinExportDelay, MaxExportDelay);
    seDelay->setSuffix(" ms");
    FForm->addRow(tr("Frame &delay:"), seDelay);
    ShowDelay(FLast.Delay);
}

void TExportDialog::CreateActionRows() {
    edMotions = new QLineEdit(QString::fromStdString(FLast.Motions), this);
    edMotions->setObjectName("edExportMotions");
    edMotions->setPlaceholderText(tr("those of the sheet, or a list such as 0,1,3"));
    FForm->addRow(tr("Mo&tions:"), edMotions);

    cbDirections = new QComboBox(this);
    cbDirections->setObjectName("cbExportDirections");
    cbDirections->addItems({tr("Those of the sheet"),
                            tr("Engines' rows: facing the viewer first, clockwise"),
                            tr("The game's order"), tr("These:")});
    edDirections = new QLineEdit(this);
    edDirections->setObjectName("edExportDirections");
    edDirections->setPlaceholderText(tr("such as 4,5,6"));
    const int Named = NameIndex(DirectionChoiceNames, FLast.Directions);
    const bool Own = Named == 0 && !FLast.Directions.empty();
    cbDirections->setCurrentIndex(Own ? OwnDirections : Named);
    if (Own)
        edDirections->setText(QString::fromStdString(FLast.Directions));
    auto* DirectionRow = new QHBoxLayout;
    DirectionRow->addWidget(cbDirections);
    DirectionRow->addWidget(edDirections);
    lblDirections = new QLabel(tr("Dir&ections:"), this);
    lblDirections->setBuddy(cbDirections);
    FForm->addRow(lblDirections, DirectionRow);

    const auto Pixels = [this](const char* Name, int Value, int Max) {
        auto* Box = new QSpinBox(this);
        Box->setObjectName(Name);
        Box->setRange(0, Max);
        Box->setSuffix(tr(" px"));
        Box->setValue(std::clamp(Value, 0, Max));
        return Box;
    };
    sePadding = Pixels("seExportPadding", FLast.Padding, MaxExportPadding);
    seExtrude = Pixels("seExportExtrude", FLast.Extrude, MaxExportExtrude);
    auto* PaddingRow = new QHBoxLayout;
    PaddingRow->addWidget(sePadding);
    auto* ExtrudeLabel = new QLabel(tr("edges extr&uded:"), this);
    ExtrudeLabel->setBuddy(seExtrude);
    PaddingRow->addWidget(ExtrudeLabel);
    PaddingRow->addWidget(seExtrude);
    PaddingRow->addStretch();
    lblPadding = new QLabel(tr("Cell &padding:"), this);
    lblPadding->setBuddy(sePadding);
    FForm->addRow(lblPadding, PaddingRow);
}

void TExportDialog::CreateLayoutRows() {
    // A trim and the crop to the drawn pixels are the same picture: one control shows both.
    cbCrop = new QComboBox(this);
    cbCrop->setObjectName("cbExportCrop");
    cbCrop->addItems({tr("The whole canvas"), tr("The character's drawn pixels"),
                      tr("A square around the head")});
    const auto Kept = static_cast<TExportCrop>(NameIndex(ExportCropNames, FLast.Crop));
    cbCrop->setCurrentIndex(
        static_cast<int>(FLast.Trim && Kept == TExportCrop::Full ? TExportCrop::Body : Kept));
    FForm->addRow(tr("C&rop:"), cbCrop);

    chFlip = new QCheckBox(tr("&Mirror horizontally"), this);
    chFlip->setObjectName("chExportFlip");
    chFlip->setChecked(FLast.Flip);
    FForm->addRow(chFlip);

    chCanvas = new QCheckBox(tr("On a ca&nvas of"), this);
    chCanvas->setObjectName("chExportCanvas");
    chCanvas->setChecked(FLast.CanvasWidth > 0 && FLast.CanvasHeight > 0);
    const auto Side = [this](const char* Name, int Value) {
        auto* Box = new QSpinBox(this);
        Box->setObjectName(Name);
        Box->setRange(1, MaxExportCanvasSide);
        Box->setValue(Value > 0 ? std::min(Value, MaxExportCanvasSide) : 256);
        return Box;
    };
    seCanvasWidth = Side("seExportCanvasWidth", FLast.CanvasWidth);
    seCanvasHeight = Side("seExportCanvasHeight", FLast.CanvasHeight);
    cbAnchor = new QComboBox(this);
    cbAnchor->setObjectName("cbExportAnchor");
    cbAnchor->addItems({tr("feet at the bottom"), tr("centered")});
    cbAnchor->setCurrentIndex(NameIndex(CanvasAnchorNames, FLast.Anchor));
    auto* CanvasRow = new QHBoxLayout;
    CanvasRow->addWidget(chCanvas);
    CanvasRow->addWidget(seCanvasWidth);
    CanvasRow->addWidget(new QLabel("×", this));
    CanvasRow->addWidget(seCanvasHeight);
    CanvasRow->addWidget(cbAnchor);
    FForm->addRow(CanvasRow);

    chLayers = new QCheckBox(tr("The bundle holds every frame's &layers too"), this);
    chLayers->setObjectName("chExportLayers");
    chLayers->setChecked(FLast.Layers);
    FForm->addRow(chLayers);
    chIndexNames = new QCheckBox(tr("Frames named by their inde&x, as Phaser wants"), this);
    chIndexNames->setObjectName("chExportIndexNames");
    chIndexNames->setChecked(FLast.IndexNames);
    FForm->addRow(chIndexNames);
}

void TExportDialog::CreateFileRows(const QString& FileName) {
    lblPreview = new QLabel(this);
    lblPreview->setObjectName("lblExportPreview");
    lblPreview->setAlignment(Qt::AlignCenter);
    lblPreview->setMinimumSize(PreviewSide + 8, PreviewSide + 8);
    lblSize = new QLabel(this);
    lblSize->setObjectName("lblExportSize");
    lblSize->setWordWrap(true);
    FForm->addRow(tr("Preview:"), lblPreview);
    FForm->addRow(lblSize);

    edFile = new QLineEdit(FileName, this);
    edFile->setObjectName("edExportFile");
    auto* Browse = new QPushButton(tr("&Browse..."), this);
    connect(Browse, &QPushButton::clicked, this, &TExportDialog::Browse);
    auto* FileRow = new QHBoxLayout;
    FileRow->addWidget(edFile);
    FileRow->addWidget(Browse);
    // A row of a layout gets no buddy of its own: without one, the label would show its "&".
    auto* FileLabel = new QLabel(tr("F&ile:"), this);
    FileLabel->setBuddy(edFile);
    FForm->addRow(FileLabel, FileRow);

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    FForm->addRow(Buttons);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TExportDialog::Connect() {
    connect(seDelay, &QSpinBox::valueChanged, this, [this] { FDelayChosen |= !FShowingDelay; });
    connect(cbFormat, &QComboBox::currentIndexChanged, this, &TExportDialog::FormatChosen);
    FormatChosen();
    LayoutChosen();
    connect(cbFormat, &QComboBox::currentIndexChanged, this, &TExportDialog::LayoutChosen);
    for (QComboBox* Each : {cbCrop, cbScope, cbAnchor})
        connect(Each, &QComboBox::currentIndexChanged, this, &TExportDialog::LayoutChosen);
    for (QCheckBox* Each : {chFlip, chCanvas})
        connect(Each, &QCheckBox::toggled, this, &TExportDialog::LayoutChosen);
    for (QSpinBox* Each : {seScale, seCanvasWidth, seCanvasHeight, sePadding, seExtrude})
        connect(Each, &QSpinBox::valueChanged, this, &TExportDialog::LayoutChosen);
    connect(cbDirections, &QComboBox::currentIndexChanged, this, &TExportDialog::LayoutChosen);
    for (QLineEdit* Each : {edMotions, edDirections})
        connect(Each, &QLineEdit::textChanged, this, &TExportDialog::LayoutChosen);
}

const TExportFormat& TExportDialog::Format() const {
    return ExportFormats[static_cast<std::size_t>(std::max(0, cbFormat->currentIndex()))];
}

TPeltoSettings::TExportChoices TExportDialog::Choices() const {
    TPeltoSettings::TExportChoices Now = FLast;
    Now.Format = std::string(Format().Name);
    Now.Scale = seScale->value();
    Now.Scope = NameAt(ExportScopeNames, cbScope->currentIndex());
    Now.Trim = false; // the crop says it
    Now.Crop = NameAt(ExportCropNames, cbCrop->currentIndex());
    Now.Flip = chFlip->isChecked();
    Now.CanvasWidth = chCanvas->isChecked() ? seCanvasWidth->value() : 0;
    Now.CanvasHeight = chCanvas->isChecked() ? seCanvasHeight->value() : 0;
    Now.Anchor = NameAt(CanvasAnchorNames, cbAnchor->currentIndex());
    Now.Layers = chLayers->isChecked();
    Now.IndexNames = chIndexNames->isChecked();
    Now.Motions = edMotions->text().trimmed().toStdString();
    const int Directions = cbDirections->currentIndex();
    Now.Directions = Directions == OwnDirections
                         ? edDirections->text().trimmed().toStdString()
                         : NameAt(DirectionChoiceNames, std::max(0, Directions));
    Now.Padding = sePadding->value();
    Now.Extrude = seExtrude->value();
    if (FDelayChosen)
        Now.Delay = seDelay->value();
    return Now;
}

QString TExportDialog::FileName() const {
    const QString Typed = edFile->text().trimmed();
    return Typed.isEmpty()
               ? QString()
               : QString::fromStdString(NormalizeExportFileName(Typed.toStdString(), Format()));
}

void TExportDialog::ShowDelay(int Value) {
    FShowingDelay = true;
    seDelay->setValue(std::clamp(Value, MinExportDelay, MaxExportDelay));
    FShowingDelay = false;
}

void TExportDialog::FormatChosen() {
    // Only what the chosen format takes can be set; the name follows the format's extension.
    const TExportFormat& Chosen = Format();
    FForm->setRowVisible(cbScope, FormatTakes(Chosen, TFormatOption::Scope));
    seDelay->setEnabled(FormatTakes(Chosen, TFormatOption::Delay));
    FForm->setRowVisible(chLayers, FormatTakes(Chosen, TFormatOption::Layers));
    FForm->setRowVisible(chIndexNames, FormatTakes(Chosen, TFormatOption::FrameNames));
    FForm->setRowVisible(edMotions, FormatTakes(Chosen, TFormatOption::Scope));
    FForm->setRowVisible(lblDirections, FormatTakes(Chosen, TFormatOption::Scope));
    FForm->setRowVisible(lblPadding, FormatTakes(Chosen, TFormatOption::Padding));
    adjustSize();
    if (!FDelayChosen)
        ShowDelay(DefaultDelayOf(Chosen));
    if (!edFile->text().isEmpty())
        edFile->setText(
            QString::fromStdString(NormalizeExportFileName(edFile->text().toStdString(), Chosen)));
}

void TExportDialog::LayoutChosen() {
    // A canvas's size and anchor count only with a canvas.
    for (QWidget* Each : std::initializer_list<QWidget*>{seCanvasWidth, seCanvasHeight, cbAnchor})
        Each->setEnabled(chCanvas->isChecked());
    edDirections->setEnabled(cbDirections->currentIndex() == OwnDirections);
    // A list that stands for nothing is shown as such rather than silently dropped.
    const TPeltoSettings::TExportChoices Now = Choices();
    const auto MarkList = [](QLineEdit* Edit, const std::string& Text, bool Directions) {
        Edit->setStyleSheet(Text.empty() || ActionListOf(Text, Directions) ? "" : "color: #b00000");
    };
    MarkList(edMotions, Now.Motions, false);
    MarkList(edDirections, edDirections->text().trimmed().toStdString(), true);
    ShowPreview();
}

void TExportDialog::ShowPreview() {
    // The current frame as the file will show it, and the size it will have.
    if (!FChara)
        return;
    const TExportOptions Options = ExportOptionsOf(Choices());
    lblPreview->setPixmap(PreviewPixmap(ExportPreview(*FChara, Options), PreviewSide));
    // Sizes of bodies over every motion take a moment to find; the cell is shown instead.
    const bool Quick = !CropsToBody(Options) || Options.Scope != TExportScope::All;
    const TExportShape Shape = Quick ? PlannedShape(*FChara, Options) : TExportShape{0, 0, 0};
    lblSize->setText(Shape.Width > 0 ? tr("%1 × %2 pixels").arg(Shape.Width).arg(Shape.Height)
                                     : QString());
    lblSize->setStyleSheet(
        Shape.Width > ViewableSide || Shape.Height > ViewableSide ? "color: #b00000" : "");
}

void TExportDialog::Browse() {
    const QString Chosen =
        QFileDialog::getSaveFileName(this, tr("Export"), edFile->text(), CoreText(Format().Filter),
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    if (!Chosen.isEmpty())
        edFile->setText(Chosen);
}

} // namespace pelto
