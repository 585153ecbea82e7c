#pragma once

#include <QApplication>

#include <functional>

namespace pelto {

inline constexpr const char* ApplicationTitle = "PELTO in Wonderland";

/// The application object. Every command runs inside an event it delivers, so this is the
/// one place where an error escaping a command is caught and its message shown.
class TPeltoApplication : public QApplication {
public:
    TPeltoApplication(int& Argc, char** Argv);
    bool notify(QObject* Receiver, QEvent* Event) override;
};

/// Shows a message box with the program's title over the active window.
void ShowMessage(const QString& Text);
void ShowError(const QString& Text);

/// Where messages go instead of message boxes (tests); an empty sink restores the boxes.
using TMessageSink = std::function<void(const QString& Text)>;
void SetMessageSink(TMessageSink Sink);

} // namespace pelto
