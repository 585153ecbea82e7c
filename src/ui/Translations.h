#pragma once

#include <QLocale>
#include <QStringList>

#include <exception>
#include <string_view>

class QCoreApplication;

namespace pelto {

/// Where the viewer's own translations are looked for: the resource built into the program, so
/// that a copied or moved viewer still finds them.
QStringList TranslationFolders();

/// Installs the translators of Locale's language: the window's own, from the first of Folders
/// holding them, and Qt's, for its standard dialogs and buttons. Without a translation the
/// window stays in English. True when the window's own were found.
bool InstallTranslators(QCoreApplication& App, const QLocale& Locale = QLocale::system(),
                        const QStringList& Folders = TranslationFolders());

/// A text of the core (a format's label, the folder prompt's caption) in the window's language:
/// the core itself knows only English.
QString CoreText(std::string_view Text);

/// A message of the core in the window's language; the names, numbers and system reasons it
/// quotes stay as they are. A message the window does not know is shown as it comes.
QString CoreMessage(std::string_view Message);

/// Error's text for a message box (ErrorText with "\n"), its message in the window's language.
QString ErrorMessage(const std::exception& Error);

} // namespace pelto
