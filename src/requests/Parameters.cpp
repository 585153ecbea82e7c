#include "requests/Parameters.h"

#include "platform/Format.h"
#include "platform/Text.h"

#include <algorithm>

namespace pelto {
namespace {

bool Among(std::span<const std::string_view> Names, std::string_view Name) {
    return std::find(Names.begin(), Names.end(), Name) != Names.end();
}

// Names are printed only as far as they are plain, so a message never carries markup.
std::string Quoted(const std::string& Name) {
    std::string Plain;
    for (const char C : Name.substr(0, 64))
        Plain += (C >= 0x20 && C < 0x7F && C != '"' && C != '\\') ? C : '?';
    return "\"" + Plain + "\"";
}

} // namespace

void RefuseStrayParams(const std::multimap<std::string, std::string>& Params,
                       std::span<const std::string_view> Known,
                       std::span<const std::string_view> Repeatable) {
    for (const auto& [Name, Value] : Params) {
        if (!Among(Known, Name))
            throw ERequestError("unknown parameter " + Quoted(Name));
        if (!Among(Repeatable, Name) && Params.count(Name) > 1)
            throw ERequestError(Name + " is given more than once");
        if (Value.size() > MaxParamValueLength)
            throw ERequestError(Name + " is too long");
    }
}

std::optional<long> NumberIn(std::string_view Text, TParamRange Range, bool DigitsOnly) {
    if (DigitsOnly && (Text.empty() || !std::all_of(Text.begin(), Text.end(),
                                                    [](char C) { return C >= '0' && C <= '9'; })))
        return std::nullopt;
    const auto Value = ParseWholeNumber(Text);
    return Value && *Value >= Range.Min && *Value <= Range.Max ? Value : std::nullopt;
}

ERequestError NumberRefusal(std::string_view Spelled, TParamRange Range) {
    return ERequestError(std::string(Spelled) +
                         Format(" must be a number from %ld to %ld", Range.Min, Range.Max));
}

long ReadNumber(std::string_view Spelled, std::string_view Text, TParamRange Range) {
    const auto Value = NumberIn(Text, Range);
    if (!Value)
        throw NumberRefusal(Spelled, Range);
    return *Value;
}

} // namespace pelto
