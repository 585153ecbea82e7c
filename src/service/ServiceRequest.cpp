#include "service/ServiceRequest.h"

#include "platform/Format.h"
#include "platform/Text.h"
#include "requests/Parameters.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <set>
#include <span>
#include <utility>
#include <vector>

namespace pelto::service {
namespace {

constexpr std::string_view RenderPrefix = "/render.";
constexpr std::string_view ScenePrefix = "/scene.";
constexpr std::string_view IconPrefix = "/icon/";
constexpr std::string_view IconSuffix = ".png";
constexpr std::string_view SharePrefix = "/c/";
constexpr std::string_view CodePrefix = "/code/";
constexpr std::string_view CodeSuffix = ".json";
constexpr std::string_view AtlasPrefix = "/atlas/";
constexpr std::array<std::string_view, 5> PageFiles{"page.js", "page.css", "service.js",
                                                    "page.ja.json", "docs.css"};
/// "G/S" then Kind: one digit each, a group and a slot in their ranges; anything else is no
/// atlas.
TRoute AtlasRoute(std::string_view Path, std::string_view Kind) {
    if (!Path.starts_with(AtlasPrefix))
        return {};
    const std::string_view Rest = Path.substr(AtlasPrefix.size());
    if (Rest.size() < 4 || Rest[1] != '/' || Rest.substr(3) != Kind)
        return {};
    const auto Group = NumberIn(Rest.substr(0, 1), RangeOf("group"), true);
    const auto Slot = NumberIn(Rest.substr(2, 1), RangeOf("slot"), true);
    if (!Group || !Slot)
        return {};
    TRoute Route{TEndpoint::Atlas};
    Route.List = {static_cast<int>(*Group), static_cast<int>(*Slot)};
    Route.Picture = Kind == ".png";
    return Route;
}

TRoute ExactRoute(std::string_view Path, std::string_view Expected, TEndpoint Endpoint) {
    return Path == Expected ? TRoute{Endpoint} : TRoute{};
}

TRoute PageRoute(std::string_view Path) {
    return ExactRoute(Path, "/", TEndpoint::Page);
}

// A code may hold "/" (sent as is or as %2F, which arrives decoded): the rest of the path.
TRoute ShareRoute(std::string_view Path) {
    if (Path.starts_with(SharePrefix) && Path.size() > SharePrefix.size())
        return {TEndpoint::Share, nullptr, 0, Path.substr(SharePrefix.size())};
    return {};
}

TRoute CodeJsonRoute(std::string_view Path) {
    if (Path.starts_with(CodePrefix) && Path.ends_with(CodeSuffix) &&
        Path.size() > CodePrefix.size() + CodeSuffix.size())
        return {
            TEndpoint::CodeJson, nullptr, 0,
            Path.substr(CodePrefix.size(), Path.size() - CodePrefix.size() - CodeSuffix.size())};
    return {};
}

TRoute AssetRoute(std::string_view Path) {
    if (Path.size() > 1 &&
        std::find(PageFiles.begin(), PageFiles.end(), Path.substr(1)) != PageFiles.end())
        return {TEndpoint::Asset, nullptr, 0, Path.substr(1)};
    return {};
}

TRoute AtlasPictureRoute(std::string_view Path) {
    return AtlasRoute(Path, ".png");
}

TRoute AtlasJsonRoute(std::string_view Path) {
    return AtlasRoute(Path, ".json");
}

TRoute ItemsRoute(std::string_view Path) {
    return ExactRoute(Path, "/items", TEndpoint::Items);
}

TRoute DesignRoute(std::string_view Path) {
    return ExactRoute(Path, "/design.json", TEndpoint::Design);
}

TRoute HealthRoute(std::string_view Path) {
    return ExactRoute(Path, "/healthz", TEndpoint::Health);
}

TRoute MetricsRoute(std::string_view Path) {
    return ExactRoute(Path, "/metrics", TEndpoint::Metrics);
}

TRoute OpenApiRoute(std::string_view Path) {
    return ExactRoute(Path, "/openapi.json", TEndpoint::OpenApi);
}

TRoute SwatchesRoute(std::string_view Path) {
    return ExactRoute(Path, "/swatches.png", TEndpoint::Swatches);
}

TRoute DocsRoute(std::string_view Path) {
    return ExactRoute(Path, "/docs", TEndpoint::Docs);
}

TRoute RenderRoute(std::string_view Path) {
    if (!Path.starts_with(RenderPrefix))
        return {};
    const std::string_view Name = Path.substr(RenderPrefix.size());
    for (const TExportFormat& Format : ExportFormats)
        if (Format.Name == Name && Format.Served)
            return {TEndpoint::Render, &Format};
    return {};
}

TRoute SceneRoute(std::string_view Path) {
    if (!Path.starts_with(ScenePrefix))
        return {};
    const std::string_view Name = Path.substr(ScenePrefix.size());
    for (const TExportFormat& Format : ExportFormats)
        if (Format.Name == Name && IsSceneFormat(Format))
            return {TEndpoint::Scene, &Format};
    return {};
}

TRoute IconRoute(std::string_view Path) {
    if (!Path.starts_with(IconPrefix) || !Path.ends_with(IconSuffix))
        return {};
    const std::string_view Id =
        Path.substr(IconPrefix.size(), Path.size() - IconPrefix.size() - IconSuffix.size());
    const auto Number = Id.size() <= 9 ? ParseWholeNumber(Id) : std::nullopt;
    if (Number && *Number >= 0 && std::isdigit(static_cast<unsigned char>(Id.front())))
        return {TEndpoint::Icon, nullptr, static_cast<int>(*Number)};
    return {};
}

constexpr std::array<TRouteEntry, 16> Routes{{
    {"/", TRouteScope::Page, PageRoute},
    {"/c/{code}", TRouteScope::Page, ShareRoute},
    {"/{file}", TRouteScope::Page, AssetRoute},
    {"/code/{code}.json", TRouteScope::Api, CodeJsonRoute},
    {"/atlas/{group}/{slot}.png", TRouteScope::Api, AtlasPictureRoute},
    {"/atlas/{group}/{slot}.json", TRouteScope::Api, AtlasJsonRoute},
    {"/items", TRouteScope::Api, ItemsRoute},
    {"/design.json", TRouteScope::Api, DesignRoute},
    {"/healthz", TRouteScope::Api, HealthRoute},
    {"/metrics", TRouteScope::Operator, MetricsRoute},
    {"/render.{format}", TRouteScope::Api, RenderRoute},
    {"/icon/{id}.png", TRouteScope::Api, IconRoute},
    {"/openapi.json", TRouteScope::ApiOnly, OpenApiRoute},
    {"/scene.{format}", TRouteScope::ApiOnly, SceneRoute},
    {"/swatches.png", TRouteScope::ApiOnly, SwatchesRoute},
    // Described with the API it documents, and versioned with it.
    {"/docs", TRouteScope::ApiOnly, DocsRoute},
}};

} // namespace

TQueryParams ParseQueryString(const std::string& Query) {
    TQueryParams Params;
    std::string_view Rest = Query;
    while (!Rest.empty()) {
        const std::size_t End = std::min(Rest.find('&'), Rest.size());
        const std::string_view Pair = Rest.substr(0, End);
        Rest.remove_prefix(std::min(End + 1, Rest.size()));
        const std::size_t Equals = Pair.find('=');
        const std::string_view Name = Pair.substr(0, Equals);
        if (Name.empty())
            continue;
        Params.emplace(PercentDecode(Name, true),
                       Equals == std::string_view::npos
                           ? std::string()
                           : PercentDecode(Pair.substr(Equals + 1), true));
    }
    return Params;
}

std::span<const TRouteEntry> RouteTable() {
    return Routes;
}

TRoute RouteOf(std::string_view Path) {
    const bool Versioned =
        Path.starts_with(ApiPrefix) && Path.substr(ApiPrefix.size()).starts_with('/');
    const std::string_view Rest = Versioned ? Path.substr(ApiPrefix.size()) : Path;
    for (const TRouteEntry& Entry : Routes) {
        TRoute Route = Entry.Match(Rest);
        if (Route.Endpoint == TEndpoint::Unknown)
            continue;
        Route.Api = Entry.Scope == TRouteScope::Api || Entry.Scope == TRouteScope::ApiOnly;
        if (Versioned ? !Route.Api : Entry.Scope == TRouteScope::ApiOnly)
            return {};
        return Route;
    }
    return {};
}

TRenderRequest ParseRenderParams(const TExportFormat& Format, const TQueryParams& Params) {
    RefuseStrayParams(Params, QueryDialect.Values);
    return ParseRenderRequest({Params.begin(), Params.end()}, QueryDialect, &Format);
}

TSceneRequest ParseSceneParams(const TExportFormat& Format, const TQueryParams& Params,
                               const std::string& Picture) {
    static constexpr auto Known = ParameterNames<SceneQuery>();
    const std::array<std::string_view, 2> Repeatable{QueryDialect.SceneCharacter, "tag"};
    RefuseStrayParams(Params, Known, Repeatable);
    std::vector<std::string> Characters;
    std::vector<std::string> Tags;
    TRequestParams Others;
    for (const auto& [Name, Value] : Params) {
        // Equal names keep the order they were given in.
        if (Name == QueryDialect.SceneCharacter)
            Characters.push_back(Value);
        else if (Name == "tag")
            Tags.push_back(Value);
        else
            Others.emplace(Name, Value);
    }
    return ParseSceneRequest(Characters, Others, QueryDialect, &Format, Tags, Picture);
}

TSwatchRequest ParseSwatchParams(const TQueryParams& Params) {
    static constexpr auto Known = ParameterNames<SwatchQuery>();
    RefuseStrayParams(Params, Known);
    return ParseSwatchRequest({Params.begin(), Params.end()}, QueryDialect);
}

TShareParams ParseShareParams(const TQueryParams& Params) {
    // A multimap keeps repeated names in the order given: the last one wins, as a form's
    // submit button comes after the field it overrides.
    const auto Last = [&Params](const std::string& Name) -> std::optional<std::string> {
        const auto [First, End] = Params.equal_range(Name);
        if (First == End || std::prev(End)->second.size() > MaxParamValueLength)
            return std::nullopt;
        return std::prev(End)->second;
    };
    const auto Number = [&Last](const std::string& Name, long Default) {
        const auto Text = Last(Name);
        const auto Value = Text ? NumberIn(*Text, RangeOf(Name)) : std::nullopt;
        return static_cast<int>(Value.value_or(Default));
    };
    TShareParams Share;
    if (const auto Code = Last("code"))
        Share.Code = NormalizeCode(*Code);
    Share.Motion = Number("motion", ParameterNamed("motion").Default);
    Share.Direction = Number("direction", ParameterNamed("direction").Default);
    Share.Scale = Number("scale", DefaultShareScale);
    Share.Shadow = Number("shadow", ParameterNamed("shadow").Default) == 1;
    if (const auto Background = Last("background")) {
        if (*Background == "transparent")
            Share.Background.reset();
        else if (const auto Rgb = ParseRgbHex(*Background))
            Share.Background = RgbHexColor(*Rgb);
    }
    return Share;
}

TItemsParams ParseItemsParams(const TQueryParams& Params) {
    static constexpr auto Known = ParameterNames<ItemsQuery>();
    RefuseStrayParams(Params, Known);
    const auto Value = [&Params](const std::string& Name) -> std::optional<std::string> {
        const auto Found = Params.find(Name);
        return Found == Params.end() ? std::nullopt : std::optional(Found->second);
    };
    TItemsParams Items;
    Items.Query = TItemQuery::Parse(Value("search").value_or(""));
    const auto Group = Value("group");
    const auto Slot = Value("slot");
    if (Group.has_value() != Slot.has_value())
        throw EBadRequest("group and slot go together");
    Items.Key = "items?search=" + Items.Query.Key();
    if (Group) {
        Items.List = TListChoice{static_cast<int>(ReadNumber("group", *Group, RangeOf("group"))),
                                 static_cast<int>(ReadNumber("slot", *Slot, RangeOf("slot")))};
        Items.Key += Format("&group=%d&slot=%d", Items.List->Group, Items.List->Slot);
    }
    return Items;
}

TDesignParams ParseDesignParams(const TQueryParams& Params) {
    // How often each edit may be given is the edits' own rule.
    static constexpr auto Known = ParameterNames<DesignQuery>();
    RefuseStrayParams(Params, Known, EditNames);
    TDesignParams Design;
    TEditParams Edits;
    for (const auto& [Name, Value] : Params)
        if (Name == "code")
            Design.Code = CanonicalCode(NormalizeCode(Value));
        else
            Edits.emplace(Name, Value);
    Design.Edits = ParseDesignEdits(Edits, QueryEdits);
    if (Design.Code.empty() && !Design.Edits.Chara && !Design.Edits.Random)
        throw EBadRequest("design.json needs a code, chara or random");
    Design.Key = "design?code=" + Design.Code + "&" + Design.Edits.Key();
    return Design;
}

bool MatchesETag(std::string_view IfNoneMatch, std::string_view ETag) {
    std::size_t Start = 0;
    while (Start <= IfNoneMatch.size()) {
        const std::size_t End = std::min(IfNoneMatch.find(',', Start), IfNoneMatch.size());
        std::string_view Tag = IfNoneMatch.substr(Start, End - Start);
        while (!Tag.empty() && (Tag.front() == ' ' || Tag.front() == '\t'))
            Tag.remove_prefix(1);
        while (!Tag.empty() && (Tag.back() == ' ' || Tag.back() == '\t'))
            Tag.remove_suffix(1);
        if (Tag.starts_with("W/"))
            Tag.remove_prefix(2);
        if (Tag == "*" || Tag == ETag)
            return true;
        Start = End + 1;
    }
    return false;
}

std::string PercentDecode(std::string_view Text, bool PlusIsSpace) {
    std::string Decoded;
    Decoded.reserve(Text.size());
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const char C = Text[I];
        if (C == '%' && I + 2 < Text.size()) {
            const int High = HexDigit(Text[I + 1]);
            const int Low = HexDigit(Text[I + 2]);
            if (High >= 0 && Low >= 0) {
                Decoded += static_cast<char>(High * 16 + Low);
                I += 2;
                continue;
            }
        }
        Decoded += PlusIsSpace && C == '+' ? ' ' : C;
    }
    return Decoded;
}

} // namespace pelto::service
