#include "model/GameFolder.h"
#include "model/Settings.h"
#include "ui/PeltoApplication.h"
#include "ui/UMain.h"

#include <QFileDialog>

#include <exception>

int main(int argc, char** argv) {
    pelto::TPeltoApplication App(argc, argv);
    pelto::TStartupOptions Options;
    Options.SettingsFile =
        pelto::SettingsFilePath(QCoreApplication::applicationFilePath().toStdString());
    Options.FolderPrompt = [](std::string& Directory) {
        const QString Chosen = QFileDialog::getExistingDirectory(nullptr, pelto::WloFolderCaption,
                                                                 QString::fromStdString(Directory));
        if (Chosen.isEmpty())
            return false;
        Directory = Chosen.toStdString();
        return true;
    };
    try {
        pelto::TfrmPelto Window(Options);
        if (Window.StartupFailed())
            return 0;
        Window.show();
        return App.exec();
    } catch (const std::exception& Error) {
        // Start-up itself failed (an unreadable sprite archive, say): say why, then end.
        pelto::ShowError(Error);
        return 1;
    }
}
