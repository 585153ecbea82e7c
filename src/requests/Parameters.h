#pragma once

// Every parameter a request takes, once: how its value is written, its range and default, and
// the requests and front ends that take it. The render and scene requests, the design edits,
// the service's routes and the command line read their names and ranges from here.

#include "export/FramePlacement.h"
#include "export/PictureExport.h"
#include "game/GameFacts.h"
#include "model/CharaDesign.h"
#include "platform/Errors.h"

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pelto {

/// How a parameter's value is written.
enum class TParamKind {
    Number, // a whole number within its range
    Switch, // on or off: given or not on the command line, 0 or 1 in a query
    Word,   // one of a list of names
    Text,   // anything else: a code, a colour, a size, a list of edits
};

/// The requests that take a parameter, as bits; a parameter's name is the same in all of them,
/// with "--" before it on the command line.
enum TParamTaker : unsigned {
    RenderOption = 1u << 0, // pelto-cli render
    RenderQuery = 1u << 1,  // the service's /render.FORMAT
    SceneOption = 1u << 2,  // pelto-cli render of several characters, shared by all of them
    SceneQuery = 1u << 3,   // the service's /scene.FORMAT, shared by all of its characters
    ItemsQuery = 1u << 4,   // the service's /items
    SharePage = 1u << 5,    // the share page, where a value out of range falls back on the default
    DesignEdit = 1u << 6,   // an edit of a design: pelto-cli code and the service's /design.json
    DesignQuery = 1u << 7,  // the service's /design.json: a code and its edits
    SwatchQuery = 1u << 8,  // the service's /swatches.png: a code at the levels of a position
};

/// The whole numbers a parameter takes, both ends included.
struct TParamRange {
    long Min = 0;
    long Max = 0;
};

struct TParameter {
    std::string_view Name;
    TParamKind Kind;
    unsigned Takers;
    TParamRange Range{}; // numbers and switches
    long Default = 0;    // numbers and switches
};

inline constexpr TParamRange SwitchRange{0, 1};
/// Longer values are no number, colour or code of ours; reading them would only cost time.
inline constexpr std::size_t MaxParamValueLength = 1024;
/// The highest frame any action has; a frame is checked against its action once posed.
inline constexpr long MaxFrameNumber = 255;

inline constexpr std::array<TParameter, 40> Parameters{{
    {"code", TParamKind::Text, RenderOption | RenderQuery | SharePage | DesignQuery | SwatchQuery},
    {"chara", TParamKind::Number, RenderOption | DesignEdit | DesignQuery, {0, LastChara}},
    {"motion",
     TParamKind::Number,
     RenderOption | RenderQuery | SceneOption | SceneQuery | SharePage | SwatchQuery,
     {0, LastMotion},
     0},
    {"direction",
     TParamKind::Number,
     RenderOption | RenderQuery | SceneOption | SceneQuery | SharePage | SwatchQuery,
     {0, LastDirection},
     DefaultDirection},
    {"frame",
     TParamKind::Number,
     RenderOption | RenderQuery | SceneOption | SceneQuery | SwatchQuery,
     {1, MaxFrameNumber},
     1},
    {"shadow", TParamKind::Switch,
     RenderOption | RenderQuery | SceneOption | SceneQuery | SharePage | SwatchQuery, SwitchRange,
     0},
    {"background", TParamKind::Text,
     RenderOption | RenderQuery | SceneOption | SceneQuery | SharePage | SwatchQuery},
    {"format", TParamKind::Word, RenderOption | SceneOption},
    {"scale",
     TParamKind::Number,
     RenderOption | RenderQuery | SceneOption | SceneQuery | SharePage,
     {MinExportScale, MaxExportScale},
     1},
    {"delay",
     TParamKind::Number,
     RenderOption | RenderQuery,
     {MinExportDelay, MaxExportDelay},
     DefaultExportDelay},
    {"scope", TParamKind::Word, RenderOption},
    {"motions", TParamKind::Text, RenderOption},
    {"directions", TParamKind::Text, RenderOption},
    {"padding", TParamKind::Number, RenderOption, {0, MaxExportPadding}, 0},
    {"extrude", TParamKind::Number, RenderOption, {0, MaxExportExtrude}, 0},
    {"trim", TParamKind::Switch, RenderOption, SwitchRange, 0},
    {"crop", TParamKind::Word, RenderOption | RenderQuery | SwatchQuery},
    {"flip", TParamKind::Switch, RenderOption | RenderQuery, SwitchRange, 0},
    {"canvas", TParamKind::Text, RenderOption | RenderQuery},
    {"anchor", TParamKind::Word, RenderOption | RenderQuery},
    {"frame-names", TParamKind::Word, RenderOption},
    {"layers", TParamKind::Switch, RenderOption, SwitchRange, 0},
    {"gap", TParamKind::Number, SceneOption | SceneQuery, {0, 64}, 8},
    // Each character's name tag, in the characters' order; repeated.
    {"tag", TParamKind::Text, SceneOption | SceneQuery},
    // The characters mirrored, by their places from 1: "1,3".
    {"mirror", TParamKind::Text, SceneOption | SceneQuery},
    // A colour, two colours top to bottom, or on the command line a picture file.
    {"backdrop", TParamKind::Text, SceneOption | SceneQuery},
    {"search", TParamKind::Text, ItemsQuery},
    {"group", TParamKind::Number, ItemsQuery, {0, LastBodyGroup}},
    {"slot", TParamKind::Number, ItemsQuery, {1, SlotCount}, 1},
    // The edits, in the order they are applied.
    {"reset-colors", TParamKind::Switch, DesignEdit | DesignQuery, SwitchRange, 0},
    {"random", TParamKind::Text, DesignEdit | DesignQuery},
    {"lock", TParamKind::Text, DesignEdit | DesignQuery},
    {"vary", TParamKind::Word, DesignEdit | DesignQuery},
    {"strip", TParamKind::Text, DesignEdit | DesignQuery},
    {"wear", TParamKind::Text, DesignEdit | DesignQuery},
    {"color", TParamKind::Text, DesignEdit | DesignQuery},
    // A swatch grid's colour position and the channels (0 red, 1 green, 2 blue) it varies.
    {"position", TParamKind::Number, SwatchQuery, {0, ColorPositionCount - 1}},
    {"across", TParamKind::Number, SwatchQuery, {0, ColorChannelCount - 1}},
    {"down", TParamKind::Number, SwatchQuery, {0, ColorChannelCount - 1}},
    // Each character of a scene in a query, "CODE~MOTION~DIRECTION"; repeated.
    {"c", TParamKind::Text, SceneQuery},
}};

/// The parameter called Name; a name the table lacks does not compile where it is constant.
constexpr const TParameter& ParameterNamed(std::string_view Name) {
    for (const TParameter& Parameter : Parameters)
        if (Parameter.Name == Name)
            return Parameter;
    throw std::out_of_range("no such parameter");
}

/// The range of the number parameter Name.
constexpr TParamRange RangeOf(std::string_view Name) {
    return ParameterNamed(Name).Range;
}

namespace detail {
enum class TKinds { Values, Switches, All };

constexpr bool Keeps(const TParameter& Parameter, unsigned Takers, TKinds Kinds) {
    const bool Switch = Parameter.Kind == TParamKind::Switch;
    return (Parameter.Takers & Takers) != 0 &&
           (Kinds == TKinds::All || Switch == (Kinds == TKinds::Switches));
}

/// The names kept, in the table's order, as a constant array.
template <unsigned Takers, TKinds Kinds> constexpr auto NamesKept() {
    constexpr std::size_t Count = [] {
        std::size_t N = 0;
        for (const TParameter& Parameter : Parameters)
            N += Keeps(Parameter, Takers, Kinds) ? 1 : 0;
        return N;
    }();
    std::array<std::string_view, Count> Names{};
    std::size_t I = 0;
    for (const TParameter& Parameter : Parameters)
        if (Keeps(Parameter, Takers, Kinds))
            Names[I++] = Parameter.Name;
    return Names;
}
} // namespace detail

/// The names Takers take, switches among them or not.
template <unsigned Takers, bool Switches> constexpr auto ParameterNames() {
    return detail::NamesKept < Takers,
           Switches ? detail::TKinds::Switches : detail::TKinds::Values > ();
}
/// The names Takers take, whatever their kind.
template <unsigned Takers> constexpr auto ParameterNames() {
    return detail::NamesKept<Takers, detail::TKinds::All>();
}

/// Refuses, in the order of Params, a name Known lacks, a name given twice that is not one
/// of Repeatable, and a value longer than MaxParamValueLength: a query's first checks.
void RefuseStrayParams(const std::multimap<std::string, std::string>& Params,
                       std::span<const std::string_view> Known,
                       std::span<const std::string_view> Repeatable = {});

/// Text as a whole number within Range, or nothing. DigitsOnly refuses what a number may
/// otherwise carry: a sign and blanks around it.
std::optional<long> NumberIn(std::string_view Text, TParamRange Range, bool DigitsOnly = false);

/// "SPELLED must be a number from MIN to MAX": the one refusal of a number out of its range.
ERequestError NumberRefusal(std::string_view Spelled, TParamRange Range);

/// NumberIn(Text, Range), or NumberRefusal(Spelled, Range).
long ReadNumber(std::string_view Spelled, std::string_view Text, TParamRange Range);

} // namespace pelto
