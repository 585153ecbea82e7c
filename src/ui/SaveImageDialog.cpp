#include "ui/SaveImageDialog.h"

#include "platform/Paths.h"
#include "ui/PeltoApplication.h"
#include "ui/Translations.h"

namespace pelto {

TSaveImageDialog::TSaveImageDialog(QWidget* Parent) : QFileDialog(Parent) {
    setObjectName("sd");
    setAcceptMode(QFileDialog::AcceptSave);
    // Qt's own dialog, so that a change of type can rewrite the name being typed.
    setOption(QFileDialog::DontUseNativeDialog);
    // Each label names its pattern ("Bitmap (*.bmp)"), which is all Qt's filters need.
    QStringList Filters;
    for (const TExportFormat* Format : ClassicFormats)
        Filters << CoreText(Format->Filter);
    setNameFilters(Filters);
    connect(this, &QFileDialog::filterSelected, this,
            Command(this, &TSaveImageDialog::TypeChanged));
}

const TExportFormat* TSaveImageDialog::Shown() const {
    const qsizetype Index = nameFilters().indexOf(selectedNameFilter());
    return Index < 0 ? nullptr : ClassicFormats[static_cast<std::size_t>(Index)];
}

void TSaveImageDialog::Offer(const std::string& Folder, std::string_view Name) {
    if (!Folder.empty() && DirectoryExists(Folder))
        setDirectory(QString::fromStdString(Folder));
    const TExportFormat* Format = Shown();
    selectFile(QString::fromStdString(
        std::string(Name) + std::string((Format ? Format : ClassicFormats.front())->Extension)));
}

std::optional<TImageFileType> TSaveImageDialog::ChosenType() const {
    const TExportFormat* Format = Shown();
    return Format ? Format->ClassicType : std::nullopt;
}

void TSaveImageDialog::TypeChanged() {
    // What is typed in the name box: the dialog reports it while no listed file is selected.
    const QStringList Typed = selectedFiles();
    const TExportFormat* Format = Shown();
    if (!Format || Typed.isEmpty())
        return;
    const std::string Name = ExtractFileName(Typed.first().toStdString());
    if (Name.empty())
        return;
    selectFile(QString::fromStdString(ChangeFileExt(Name, Format->Extension)));
}

} // namespace pelto
