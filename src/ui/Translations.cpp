#include "ui/Translations.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>
#include <optional>
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
    QT_TRANSLATE_NOOP("pelto::CoreText", "Bundle (ZIP) (*.zip)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Transparent bundle (ZIP) (*.zip)"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Layered Aseprite (*.aseprite)"),
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

// The core's messages, each with its quoted parts as %1, %2, ... in the order the core puts them.
// A more particular message comes before a general one it would also match.
constexpr const char* CoreMessages[] = {
    QT_TRANSLATE_NOOP("pelto::CoreText", "Stream read error"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Invalid code error."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Invalid bitmap."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Invalid pixel format."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "The bitmap is too large for a BMP file"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot encode the PNG image. Compression failed."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot encode the PNG image. %1"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot encode the GIF image. %1"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot encode the JPEG image. %1"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot encode the WebP image. %1"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot open file \"%1\". %2"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot create file \"%1\". %2"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot write file \"%1\". It could not be read: %2"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "Cannot write file \"%1\". %2"),
    QT_TRANSLATE_NOOP("pelto::CoreText", "This folder does not exist."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "This folder has no jma folder."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "This folder has no pic folder."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "This folder has no data/Item.Dat."),
    QT_TRANSLATE_NOOP("pelto::CoreText", "The Unicode normalization data cannot be loaded."),
};

// Message's quoted parts when it is Pattern's message, in Pattern's order; nothing when not.
std::optional<QStringList> MatchMessage(const QString& Pattern, const QString& Message) {
    static const QRegularExpression Place("%[1-9]");
    QString Expression = "^";
    qsizetype From = 0;
    int Places = 0;
    for (const QRegularExpressionMatch& Match : Place.globalMatch(Pattern)) {
        Expression += QRegularExpression::escape(Pattern.mid(From, Match.capturedStart() - From));
        Expression += "(.*?)";
        From = Match.capturedEnd();
        ++Places;
    }
    Expression += QRegularExpression::escape(Pattern.mid(From)) + "$";
    const QRegularExpression Whole(Expression, QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch Found = Whole.match(Message);
    if (!Found.hasMatch())
        return std::nullopt;
    QStringList Parts;
    for (int Part = 1; Part <= Places; ++Part)
        Parts << Found.captured(Part);
    return Parts;
}

std::unique_ptr<QTranslator> Load(const QLocale& Locale, const QString& Name,
                                  const QString& Folder) {
    auto Translator = std::make_unique<QTranslator>();
    if (!Translator->load(Locale, Name, "_", Folder))
        return nullptr;
    return Translator;
}

} // namespace

QStringList TranslationFolders() {
    return {":/translations"};
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

QString CoreMessage(std::string_view Message) {
    const QString Text = QString::fromUtf8(Message.data(), static_cast<qsizetype>(Message.size()));
    for (const char* Pattern : CoreMessages)
        if (const auto Parts = MatchMessage(QString::fromUtf8(Pattern), Text)) {
            QString Translated = CoreText(Pattern);
            for (const QString& Part : *Parts)
                Translated = Translated.arg(Part);
            return Translated;
        }
    return Text;
}

QString ErrorMessage(const std::exception& Error) {
    // The message leads the text; what follows it (the file, the details) is not translated.
    const std::string Whole = ErrorText(Error, "\n");
    const std::string_view Message = Error.what();
    if (!std::string_view(Whole).starts_with(Message))
        return QString::fromStdString(Whole);
    return CoreMessage(Message) + QString::fromStdString(Whole.substr(Message.size()));
}

} // namespace pelto
