// Codes that come from elsewhere: dropped as text, or carried by a picture the window exported
// and dropped, opened from the Options menu or named on the command line.
#include "ui/UMain.h"

#include "export/PictureCode.h"
#include "model/CodeText.h"
#include "ui/CodeText.h"
#include "ui/PeltoApplication.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace pelto {
namespace {

/// The first local file among the dropped URLs, or the empty string.
QString DroppedFile(const QMimeData& Data) {
    for (const QUrl& Url : Data.urls())
        if (Url.isLocalFile())
            return Url.toLocalFile();
    return {};
}

bool Acceptable(const QMimeData* Data) {
    return Data && (!DroppedFile(*Data).isEmpty() || (!Data->hasUrls() && Data->hasText()));
}

} // namespace

void TfrmPelto::miOpenPictureCodeClick() {
    QString FileName;
    if (OnPromptPictureFile(FileName))
        OpenPictureCode(FileName);
}

bool TfrmPelto::PromptPictureFile(QString& FileName) {
    FileName = QFileDialog::getOpenFileName(
        this, tr("Open Picture Code"), QString::fromStdString(FSettings.ImageFolder),
        tr("Exported pictures (*.png *.gif *.jpg *.jpeg *.webp);;All files (*)"));
    return !FileName.isEmpty();
}

void TfrmPelto::ApplyCodeText(const QString& Text) {
    const QString Code = QString::fromStdString(CleanPastedCode(Text.toStdString()));
    if (Code.isEmpty())
        return;
    edCode->setText(Code);
    btnSetCodeClick();
}

void TfrmPelto::OpenPictureCode(const QString& FileName) {
    if (!FSession)
        return;
    const auto Code = ReadPictureCodeFile(QFile::encodeName(FileName).toStdString());
    if (!Code) {
        ShowMessage(tr("%1 carries no character code.").arg(QFileInfo(FileName).fileName()));
        return;
    }
    ApplyCodeText(QString::fromStdString(*Code));
}

void TfrmPelto::dragEnterEvent(QDragEnterEvent* Event) {
    if (FSession && Acceptable(Event->mimeData()))
        Event->acceptProposedAction();
}

void TfrmPelto::dropEvent(QDropEvent* Event) {
    const QMimeData* Data = Event->mimeData();
    if (!FSession || !Acceptable(Data))
        return;
    Event->acceptProposedAction();
    // Copied: the drop's data are gone once the event is, and a message box may outlive it.
    const QString File = DroppedFile(*Data);
    const QString Text = Data->text();
    RunCommand([&] {
        if (!File.isEmpty())
            OpenPictureCode(File);
        else
            ApplyCodeText(Text);
    });
}

} // namespace pelto
