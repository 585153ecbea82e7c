#include "model/Settings.h"
#include "platform/Version.h"
#include "ui/CommandLine.h"
#include "ui/PeltoApplication.h"
#include "ui/Translations.h"
#include "ui/UMain.h"

#include <QFile>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const pelto::TCommandLine Line =
        pelto::ParseCommandLine(std::vector<std::string>(argv, argv + argc));
    switch (Line.Action) {
    case pelto::TCommandLine::EAction::Help:
        std::cout << pelto::ViewerUsage() << std::flush;
        return 0;
    case pelto::TCommandLine::EAction::Version:
        std::cout << "pelto " << pelto::ProgramVersion << std::endl;
        return 0;
    case pelto::TCommandLine::EAction::UsageError:
        std::cerr << "pelto: " << Line.Error << "\nTry 'pelto --help'.\n";
        return 2;
    case pelto::TCommandLine::EAction::Run:
        break;
    }
    // Qt sees only its own options; it keeps pointers into these strings for the whole run.
    std::vector<std::string> QtStrings = Line.QtArguments;
    std::vector<char*> QtArgv;
    for (std::string& Argument : QtStrings)
        QtArgv.push_back(Argument.data());
    QtArgv.push_back(nullptr);
    int QtArgc = static_cast<int>(QtStrings.size());

    pelto::TPeltoApplication App(QtArgc, QtArgv.data());
    App.CloseWindowsOnSignals();
    pelto::InstallTranslators(App);
    pelto::TStartupOptions Options;
    Options.SettingsFile =
        Line.SettingsFile
            ? *Line.SettingsFile
            : pelto::SettingsFilePath(QCoreApplication::applicationFilePath().toStdString());
    Options.GameFolder = Line.GameFolder;
    Options.FolderPrompt = &pelto::TfrmPelto::PromptGameFolder;
    try {
        pelto::TfrmPelto Window(Options);
        if (Window.StartupFailed()) {
            // Cancelling the folder prompt is the user's choice, yet a shell should learn why
            // nothing opened.
            if (Window.NoGameFolderChosen())
                std::cerr << "pelto: no game folder chosen, nothing to show\n";
            return 0;
        }
        Window.show();
        if (Line.PictureFile)
            pelto::RunCommand(
                [&] { Window.OpenPictureCode(QFile::decodeName(Line.PictureFile->c_str())); });
        return App.exec();
    } catch (const std::exception& Error) {
        // Start-up itself failed (an unreadable sprite archive, say): say why, then end.
        pelto::ShowError(Error);
        return 1;
    }
}
