#pragma once

#include "model/Settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace pelto {

class TDrawChara;
struct TExportFormat;
struct TExportOptions;

/// The export options Choices, as the dialog and the settings file keep them, stand for.
TExportOptions ExportOptionsOf(const TPeltoSettings::TExportChoices& Choices);

/// The dialog of File > Export...: the format and what it takes, the crop and canvas, and the
/// file, with a preview of the current frame as the file will show it and the size it will
/// have.
class TExportDialog : public QDialog {
    Q_OBJECT
public:
    /// Offers Last and FileName; Chara, the character shown, is previewed (nullptr: none is).
    TExportDialog(const TPeltoSettings::TExportChoices& Last, const QString& FileName,
                  const TDrawChara* Chara, QWidget* Parent);

    /// The choices as the controls show them.
    TPeltoSettings::TExportChoices Choices() const;
    /// The file named, with an extension that fits the format chosen; empty when none is.
    QString FileName() const;

private:
    void CreateFormatRows();
    void CreateActionRows();
    void CreateLayoutRows();
    void CreateFileRows(const QString& FileName);
    void Connect();
    const TExportFormat& Format() const;
    /// Shows Value as the delay without taking it for the user's choice.
    void ShowDelay(int Value);
    void FormatChosen();
    void LayoutChosen();
    void ShowPreview();
    void Browse();

    const TPeltoSettings::TExportChoices FLast;
    const TDrawChara* FChara;
    /// A delay the user set holds for every format; otherwise each shows its own.
    bool FDelayChosen;
    bool FShowingDelay = false;
    // Owned by the dialog through Qt's parent ownership.
    QFormLayout* FForm = nullptr;
    QComboBox* cbFormat = nullptr;
    QSpinBox* seScale = nullptr;
    QComboBox* cbScope = nullptr;
    QSpinBox* seDelay = nullptr;
    QComboBox* cbCrop = nullptr;
    QCheckBox* chFlip = nullptr;
    QCheckBox* chCanvas = nullptr;
    QSpinBox* seCanvasWidth = nullptr;
    QSpinBox* seCanvasHeight = nullptr;
    QComboBox* cbAnchor = nullptr;
    QCheckBox* chLayers = nullptr;
    QCheckBox* chIndexNames = nullptr;
    QLineEdit* edMotions = nullptr;
    QComboBox* cbDirections = nullptr;
    QLineEdit* edDirections = nullptr;
    QLabel* lblDirections = nullptr;
    QLabel* lblPadding = nullptr;
    QSpinBox* sePadding = nullptr;
    QSpinBox* seExtrude = nullptr;
    QLabel* lblPreview = nullptr;
    QLabel* lblSize = nullptr;
    QLineEdit* edFile = nullptr;
};

} // namespace pelto
