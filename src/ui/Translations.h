#pragma once

#include <QLocale>
#include <QStringList>

#include <string_view>

class QCoreApplication;

namespace pelto {

/// Where the viewer's own translations are looked for: translations/ beside the executable (a
/// build), then the installation's share/pelto/translations.
QStringList TranslationFolders();

/// Installs the translators of Locale's language: the window's own, from the first of Folders
/// holding them, and Qt's, for its standard dialogs and buttons. Without a translation the
/// window stays in English. True when the window's own were found.
bool InstallTranslators(QCoreApplication& App, const QLocale& Locale = QLocale::system(),
                        const QStringList& Folders = TranslationFolders());

/// A text of the core (a format's label, the folder prompt's caption) in the window's language:
/// the core itself knows only English.
QString CoreText(std::string_view Text);

} // namespace pelto
