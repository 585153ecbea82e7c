#include "model/Settings.h"
#include "ui/PeltoApplication.h"
#include "ui/Translations.h"
#include "ui/UMain.h"

#include <exception>

int main(int argc, char** argv) {
    pelto::TPeltoApplication App(argc, argv);
    App.CloseWindowsOnSignals();
    pelto::InstallTranslators(App);
    pelto::TStartupOptions Options;
    Options.SettingsFile =
        pelto::SettingsFilePath(QCoreApplication::applicationFilePath().toStdString());
    Options.FolderPrompt = &pelto::TfrmPelto::PromptGameFolder;
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
