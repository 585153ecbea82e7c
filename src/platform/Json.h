#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace boost::json {
class value;
}

namespace pelto {

/// The spacing within a line of JSON text.
enum class TJsonSpacing {
    Compact, // {"a":1,"b":[1,2]}
    Spaced,  // {"a": 1, "b": [1, 2]}
    Padded,  // { "a": 1, "b": [ 1, 2 ] }, as Aseprite writes
};

/// Where an array or object breaks its text into lines. A broken line starts indented by the
/// depth of what it holds: a member by its container's depth + 1, a closing bracket by its own.
struct TJsonBreaks {
    bool AfterOpening = false;   // the first member on a line of its own
    bool BetweenMembers = false; // each of the others too
    bool BeforeClosing = false;  // the closing bracket too, even an empty container's
    /// With BetweenMembers, only the members from this one on start a line.
    std::size_t BreaksFrom = 0;
};

/// Each member and the closing bracket on lines of their own: "[\n  1,\n  2\n]".
inline constexpr TJsonBreaks MemberLines{true, true, true, 0};

/// How a JSON text is laid out.
struct TJsonLayout {
    TJsonSpacing Spacing = TJsonSpacing::Compact;
    int Indent = 0; // spaces a level of depth
    /// Asked of every array and object, with its depth (0 for the outermost); none: one line.
    TJsonBreaks (*Breaks)(const boost::json::value& Container, int Depth) = nullptr;
};

/// Value as text. Strings and integers are written as Boost.JSON writes them; a number with a
/// fraction as "%.9g" ("0.50390625"), the form our files have always had, where Boost would
/// write "5.0390625E-1".
std::string JsonText(const boost::json::value& Value, const TJsonLayout& Layout = {});

/// Breaks the outermost container one member a line, as outputs read a line at a time want.
TJsonBreaks OutermostLines(const boost::json::value& Container, int Depth);
/// Breaks the lists of records in the outermost object a record a line, the closing bracket
/// beside the last record: "{"a": 1, "list": [\n {"b": 2},\n {"b": 3}]}".
TJsonBreaks OuterRecordLines(const boost::json::value& Container, int Depth);
/// Whether Value is an array of objects, not empty: a list of records.
bool IsRecordList(const boost::json::value& Value);
/// Whether Value is an array or object holding an array or object.
bool HoldsContainers(const boost::json::value& Value);

/// The JSON string literal of a UTF-8 text, quotes included: JsonText of the string. Build
/// values and write them with JsonText rather than joining literals.
std::string JsonString(std::string_view Utf8);

} // namespace pelto
