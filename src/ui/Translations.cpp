#include "ui/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <string>

namespace pelto {
namespace {

constexpr const char* CoreContext = "pelto::CoreText";

// The core's English texts that a person reads, for lupdate to collect. One changed in the core
// stays English until it is changed here too, which the Japanese window test notices.
[[maybe_unused]] constexpr const char* CoreTexts[] = {
    QT_TRANSLATE_NOOP("pelto::CoreText", "Specify the installed directory of WLO:"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Bitmap (*.bmp)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Transparent PNG (*.png)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Transparent GIF (*.gif)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Animated PNG (*.png)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Transparent animated PNG (*.png)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Animated WebP (*.webp)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Transparent animated WebP (*.webp)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Sprite sheet with JSON (*.png)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Transparent sprite sheet with JSON (*.png)"),
    // InvalidCodeReasonTexts
    QT_TRANSLATE_NOOP("pelto::CoreText", "The code is empty."),
    QT_TRANSLATE_NOOP(
        "pelto::CoreText",
        "It holds characters no code has: a code is made of letters, digits, + and /."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "It is too short: a code has at least 12 characters."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "It is too long: a code has at most 28 characters."),
    QT_TRANSLATE_NOOP("pelto::CoreText",
                      "Its check does not match: a character was mistyped, added or lost."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "It ends before the items it names."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "It names none of the characters."),
};

std::unique_ptr<QTranslator> Load(const QLocale& Locale, const QString& Name,
                                  const QString& Folder) {
    auto Translator = std::make_unique<QTranslator>();
    if (!Translator->load(Locale, Name, "_", Folder))
        return nullptr;
    return Translator;
}

} // namespace

QStringList TranslationFolders() {
    const QDir Programs(QCoreApplication::applicationDirPath());
    return {Programs.filePath("translations"),
            QDir::cleanPath(Programs.filePath(PELTO_INSTALLED_TRANSLATIONS))};
}

bool InstallTranslators(QCoreApplication& App, const QLocale& Locale, const QStringList& Folders) {
    std::unique_ptr<QTranslator> Own;
    for (const QString& Folder : Folders)
        if ((Own = Load(Locale, "pelto", Folder)))
            break;
    if (!Own)
        return false;
    // Qt's in the language found for the window, never in one the window does not speak. Ours
    // goes in last, so it is asked first.
    if (auto Qt = Load(QLocale(Own->language()), "qtbase",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        Qt->setParent(&App);
        QCoreApplication::installTranslator(Qt.release());
    }
    Own->setParent(&App);
    QCoreApplication::installTranslator(Own.release());
    return true;
}

QString CoreText(std::string_view Text) {
    return QCoreApplication::translate(CoreContext, std::string(Text).c_str());
}

} // namespace pelto
