#include "ui/PeltoApplication.h"

#include "platform/Errors.h"

#include <QMessageBox>

#include <exception>

namespace pelto {

TPeltoApplication::TPeltoApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {
    setApplicationName(ApplicationTitle);
    setApplicationDisplayName(ApplicationTitle);
}

bool TPeltoApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& Error) {
        ShowError(Error);
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return false;
}

void RunCommand(const std::function<void()>& Command) {
    try {
        Command();
    } catch (const std::exception& Error) {
        ShowError(Error);
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
}

namespace {
TMessageSink& Sink() {
    static TMessageSink Instance;
    return Instance;
}
} // namespace

void SetMessageSink(TMessageSink NewSink) {
    Sink() = std::move(NewSink);
}

void ShowMessage(const QString& Text) {
    if (Sink())
        Sink()(Text);
    else
        QMessageBox::information(QApplication::activeWindow(), ApplicationTitle, Text);
}

void ShowError(const QString& Text) {
    if (Sink())
        Sink()(Text);
    else
        QMessageBox::critical(QApplication::activeWindow(), ApplicationTitle, Text);
}

void ShowError(const std::exception& Error) {
    ShowError(QString::fromStdString(ErrorText(Error, "\n")));
}

} // namespace pelto
