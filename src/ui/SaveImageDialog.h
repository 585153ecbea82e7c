#pragma once

#include "export/PictureFormats.h"

#include <QFileDialog>

#include <optional>
#include <string>
#include <string_view>

namespace pelto {

/// The file dialog of File > Save Image As...: the classic formats are its types, and a change
/// of type gives the name being typed the type's extension.
class TSaveImageDialog : public QFileDialog {
public:
    explicit TSaveImageDialog(QWidget* Parent);

    /// Opens in Folder, when there is one, offering Name with the extension of the type shown.
    void Offer(const std::string& Folder, std::string_view Name);
    /// The type chosen; none when the type shown is none of them.
    std::optional<TImageFileType> ChosenType() const;

private:
    void TypeChanged();
    /// The classic format the dialog shows, or nullptr.
    const TExportFormat* Shown() const;
};

} // namespace pelto
