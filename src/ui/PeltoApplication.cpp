#include "ui/PeltoApplication.h"

#include "ui/Translations.h"
#include "ui/Zoom.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

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
        ShowError(QCoreApplication::translate("pelto::TPeltoApplication", "Unknown error"));
    }
    return false;
}

namespace {

// A signal handler may do next to nothing: it writes a byte that the event loop then reads.
int SignalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char Byte = 1;
    [[maybe_unused]] const ssize_t Written = ::write(SignalPipe[1], &Byte, 1);
}

} // namespace

void TPeltoApplication::CloseWindowsOnSignals() {
    if (SignalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0)
        return;
    auto* Notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, [] {
        char Byte = 0;
        [[maybe_unused]] const ssize_t Read = ::read(SignalPipe[0], &Byte, 1);
        closeAllWindows();
    });
    struct sigaction Action = {};
    Action.sa_handler = OnTerminationSignal;
    sigemptyset(&Action.sa_mask);
    Action.sa_flags = SA_RESTART;
    for (const int Signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(Signal, &Action, nullptr);
}

void RunCommand(const std::function<void()>& Command) {
    try {
        Command();
    } catch (const std::exception& Error) {
        ShowError(Error);
    } catch (...) {
        ShowError(QCoreApplication::translate("pelto::TPeltoApplication", "Unknown error"));
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

QWidget* DialogOwner() {
    if (QWidget* Active = QApplication::activeWindow())
        return Active;
    // Just after a dialog closes no window may be active yet.
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (Window->isVisible() && qobject_cast<QMainWindow*>(Window))
            return Window;
    return nullptr;
}

void CentreOver(QWidget& Dialog, const QWidget* Owner) {
    const QScreen* Screen = Owner ? Owner->screen() : QGuiApplication::primaryScreen();
    if (!Screen)
        return;
    const QRect Available = Screen->availableGeometry();
    QRect Frame(QPoint(), Dialog.frameGeometry().size());
    Frame.moveCenter(Owner ? Owner->frameGeometry().center() : Available.center());
    Dialog.move(PlaceOnScreen(Frame, Available));
}

void ShowMessage(const QString& Text) {
    if (Sink())
        Sink()(Text);
    else
        QMessageBox::information(DialogOwner(), ApplicationTitle, Text);
}

void ShowError(const QString& Text) {
    if (Sink())
        Sink()(Text);
    else
        QMessageBox::critical(DialogOwner(), ApplicationTitle, Text);
}

bool ShowErrorWithOffer(const QString& Text, const QString& Offer) {
    if (Sink()) {
        Sink()(Text);
        return false;
    }
    QMessageBox Box(QMessageBox::Critical, ApplicationTitle, Text, QMessageBox::Ok,
                    QApplication::activeWindow());
    const QAbstractButton* Taken = Box.addButton(Offer, QMessageBox::AcceptRole);
    Box.exec();
    return Box.clickedButton() == Taken;
}

void ShowWarning(const QString& Text) {
    if (Sink())
        Sink()(Text);
    else
        QMessageBox::warning(QApplication::activeWindow(), ApplicationTitle, Text);
}

void ShowError(const std::exception& Error) {
    ShowError(ErrorMessage(Error));
}

} // namespace pelto
