#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pelto::service {

/// The languages the share page speaks: its own texts in English, or translated from the
/// window's catalogue (translations/pelto_ja.ts, context "page").
enum class TPageLanguage { English, Japanese };

/// One of the page's texts: its English source and its translation.
struct TPageMessage {
    std::string_view Source;
    std::string_view Translation;
};
/// The Japanese of the page's texts, generated from the .ts file at build time.
std::span<const TPageMessage> JapanesePageMessages();

/// Marks a text of the page where it is written, so that the translation check finds it.
constexpr std::string_view PageMessage(std::string_view English) {
    return English;
}

/// The language of an Accept-Language header: the one of the two the client ranks highest,
/// English when it names neither.
TPageLanguage PreferredLanguage(std::string_view AcceptLanguage);
/// "en" or "ja", for the page's lang attribute and its cache key.
std::string_view LanguageTag(TPageLanguage Language);
/// English in Language; a text without a translation stays English.
std::string_view Translate(TPageLanguage Language, std::string_view English);
/// The page's Japanese messages as one JSON object, source to translation, for its script.
std::string CatalogueJson(TPageLanguage Language);

} // namespace pelto::service
