#pragma once

#include <QApplication>

#include <concepts>
#include <exception>
#include <functional>
#include <utility>

namespace pelto {

inline constexpr const char* ApplicationTitle = "PELTO in Wonderland";

/// The application object. Commands catch their own errors (RunCommand); an error that still
/// escapes code run inside an event is caught here, as the last resort, and shown.
class TPeltoApplication : public QApplication {
public:
    TPeltoApplication(int& Argc, char** Argv);
    bool notify(QObject* Receiver, QEvent* Event) override;
    /// SIGTERM, SIGINT and SIGHUP (a logout, a kill, Ctrl+C) close every window as File > Exit
    /// does, so that what closing does (the settings written) is done.
    void CloseWindowsOnSignals();
};

/// Shows a message box with the program's title over the active window.
/// The window a dialog opens over: the active one, else the program's main window while it is
/// shown, else none (at start-up).
QWidget* DialogOwner();
/// Moves Dialog, at its final size, to the centre of Owner, or of the screen without one, and
/// then the least it takes to lie wholly on that screen.
void CentreOver(QWidget& Dialog, const QWidget* Owner);

void ShowMessage(const QString& Text);
void ShowError(const QString& Text);
void ShowWarning(const QString& Text);
/// The error's message, and on a second line the file it came from when it names one.
void ShowError(const std::exception& Error);
/// ShowError with one more button, Offer: true when the user took it. A message sink gets the
/// text, and the offer is not taken.
bool ShowErrorWithOffer(const QString& Text, const QString& Offer);

/// Runs a command: an error it raises ends it and its message is shown. Commands are called
/// from Qt's own code (widget signals, menu actions, timers), which is built without the
/// clean-ups an exception needs on its way out, so none may leave a command.
void RunCommand(const std::function<void()>& Command);

/// A slot running Action through RunCommand; it takes as many of the signal's arguments as
/// Action accepts.
template <typename F> auto Command(F Action) {
    return [Action = std::move(Action)](
               auto&&... Args) -> void requires std::invocable<const F&, decltype(Args)...> {
        RunCommand([&] { std::invoke(Action, std::forward<decltype(Args)>(Args)...); });
    };
}

/// The same for a method of Object.
template <typename T, typename M> auto Command(T* Object, M Method) {
    return Command(std::bind_front(Method, Object));
}

/// Where messages go instead of message boxes (tests); an empty sink restores the boxes.
using TMessageSink = std::function<void(const QString& Text)>;
void SetMessageSink(TMessageSink Sink);

} // namespace pelto
