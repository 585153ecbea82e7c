#include "service/PageLanguage.h"

#include "platform/Json.h"

#include <boost/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <optional>
#include <system_error>

namespace pelto::service {
namespace {

std::string_view Trimmed(std::string_view Text) {
    while (!Text.empty() && (Text.front() == ' ' || Text.front() == '\t'))
        Text.remove_prefix(1);
    while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\t'))
        Text.remove_suffix(1);
    return Text;
}

std::optional<TPageLanguage> LanguageOfTag(std::string_view Tag) {
    std::string Primary(Tag.substr(0, Tag.find('-')));
    for (char& C : Primary)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    if (Primary == "ja")
        return TPageLanguage::Japanese;
    if (Primary == "en")
        return TPageLanguage::English;
    return std::nullopt;
}

/// The weight of "tag;q=0.5" in thousandths; 1000 without one, 0 for what is no weight. A
/// weight is "0" or "1" and up to three decimals, which whole numbers hold exactly.
int WeightOf(std::string_view Parameters) {
    const std::size_t Q = Parameters.find("q=");
    if (Q == std::string_view::npos)
        return 1000;
    const std::string_view Value = Trimmed(Parameters.substr(Q + 2));
    if (Value.empty() || (Value[0] != '0' && Value[0] != '1'))
        return 0;
    int Weight = (Value[0] - '0') * 1000;
    std::size_t At = 1;
    if (At < Value.size() && Value[At] == '.')
        for (int Place = 100; ++At < Value.size() && Place > 0; Place /= 10) {
            if (Value[At] < '0' || Value[At] > '9')
                break;
            Weight += (Value[At] - '0') * Place;
        }
    return At == Value.size() && Weight <= 1000 ? Weight : 0;
}

} // namespace

TPageLanguage PreferredLanguage(std::string_view AcceptLanguage) {
    TPageLanguage Best = TPageLanguage::English;
    int BestWeight = 0;
    // Headers are bounded by the HTTP layer; a long list costs one pass.
    while (!AcceptLanguage.empty()) {
        const std::size_t Comma = std::min(AcceptLanguage.find(','), AcceptLanguage.size());
        const std::string_view Range = AcceptLanguage.substr(0, Comma);
        AcceptLanguage.remove_prefix(std::min(Comma + 1, AcceptLanguage.size()));
        const std::size_t Semicolon = Range.find(';');
        const auto Language = LanguageOfTag(Trimmed(Range.substr(0, Semicolon)));
        const int Weight =
            Semicolon == std::string_view::npos ? 1000 : WeightOf(Range.substr(Semicolon + 1));
        if (Language && Weight > BestWeight) {
            Best = *Language;
            BestWeight = Weight;
        }
    }
    return Best;
}

std::string_view LanguageTag(TPageLanguage Language) {
    return Language == TPageLanguage::Japanese ? "ja" : "en";
}

std::string_view Translate(TPageLanguage Language, std::string_view English) {
    if (Language == TPageLanguage::English)
        return English;
    for (const TPageMessage& Message : JapanesePageMessages())
        if (Message.Source == English)
            return Message.Translation.empty() ? English : Message.Translation;
    return English;
}

std::string CatalogueJson(TPageLanguage Language) {
    boost::json::object Catalogue;
    if (Language == TPageLanguage::Japanese)
        for (const TPageMessage& Message : JapanesePageMessages())
            Catalogue[Message.Source] = Message.Translation;
    return JsonText(Catalogue, {TJsonSpacing::Spaced, 0, OutermostLines}) + "\n";
}

} // namespace pelto::service
