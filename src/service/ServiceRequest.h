#pragma once

#include "export/PictureExport.h"
#include "model/CodeText.h"
#include "model/ItemListing.h"
#include "model/ItemSearch.h"
#include "platform/Bitmap.h"
#include "requests/DesignEdits.h"
#include "requests/RenderRequest.h"
#include "requests/SceneRequest.h"
#include "requests/SwatchRequest.h"

#include <array>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pelto::service {

/// Text with "%XX" decoded (and "+" as a space where PlusIsSpace); a "%" not followed by two
/// hexadecimal digits stays as it is.
std::string PercentDecode(std::string_view Text, bool PlusIsSpace);

/// A request's query parameters, names and values already percent-decoded.
using TQueryParams = std::multimap<std::string, std::string>;
/// The parameters of a query string as the HTTP layer decodes them ("+" a space, "%XX" a byte).
TQueryParams ParseQueryString(const std::string& Query);

/// A request that cannot be answered as asked: Status with a JSON body {"error": what()}.
class EBadRequest : public EWloError {
public:
    explicit EBadRequest(const std::string& Message, int Status = 400)
        : EWloError(Message, TFault::Usage), FStatus(Status) {}
    int Status() const { return FStatus; }

private:
    int FStatus;
};

/// What a path asks for.
enum class TEndpoint {
    Render,
    Items,
    Icon,
    Health,
    Metrics,
    Page,     // "/": the share page, empty or on ?code=
    Share,    // "/c/CODE": the share page on a code
    CodeJson, // "/code/CODE.json"
    Asset,    // the page's script and style sheet
    Design,   // "/design.json": a code with edits
    Atlas,    // "/atlas/GROUP/SLOT.png" and ".json": the icons of an equipment list
    OpenApi,  // "/v1/openapi.json": the description of the API
    Scene,    // "/v1/scene.FORMAT": several characters in one picture
    Docs,     // "/v1/docs": that description as a page for people
    Swatches, // "/v1/swatches.png": a character at the levels of a colour position
    Unknown
};
inline constexpr std::array<std::string_view, 16> EndpointNames{
    "render", "items",  "icon",  "healthz", "metrics", "page", "share",    "code",
    "asset",  "design", "atlas", "openapi", "scene",   "docs", "swatches", "other"};

/// Where a route is served. The API's routes are under ApiPrefix, the older ones also at their
/// first paths, which links and bots out there still use; they answer other sites' scripts.
enum class TRouteScope {
    Page,     // the share page and its files, for people: same origin only
    Api,      // under ApiPrefix and at its first path
    ApiOnly,  // under ApiPrefix alone: came with the versioned paths
    Operator, // never under ApiPrefix
};
inline constexpr std::string_view ApiPrefix = "/v1";

struct TRoute {
    TEndpoint Endpoint = TEndpoint::Unknown;
    const TExportFormat* Format = nullptr; // of a render or a scene
    int ItemId = 0;                        // of an icon
    std::string_view Name{}; // into the path: the code of a page or of its JSON, an asset's name
    TListChoice List{0, 1};  // of an atlas
    bool Picture = false;    // of an atlas: its PNG, not its JSON
    bool Api = false;        // answers other sites' scripts (CORS)
};
/// The endpoint of Path; Unknown for what the service does not serve.
TRoute RouteOf(std::string_view Path);

/// One way a path is routed: its template as the API description writes it, with "{name}" for
/// a part of the path, and the matcher of paths (without ApiPrefix) of that template.
struct TRouteEntry {
    std::string_view Template;
    TRouteScope Scope;
    TRoute (*Match)(std::string_view Path);
};
/// Every route, tried in this order; the first whose matcher knows a path routes it.
std::span<const TRouteEntry> RouteTable();

/// The render Params ask for in Format: the parameters the service takes, each once, none
/// too long (else EBadRequest), then as ParseRenderRequest checks them in QueryDialect.
TRenderRequest ParseRenderParams(const TExportFormat& Format, const TQueryParams& Params);

/// The scene Params ask for in Format: "c" once for each character, in order, every other
/// parameter the service takes once, none too long (else EBadRequest), then as
/// ParseSceneRequest checks them in QueryDialect.
TSceneRequest ParseSceneParams(const TExportFormat& Format, const TQueryParams& Params,
                               const std::string& Picture = {});

/// The swatches Params ask for: the parameters the service takes, each once, none too long
/// (else EBadRequest), then as ParseSwatchRequest checks them in QueryDialect.
TSwatchRequest ParseSwatchParams(const TQueryParams& Params);

/// A share page shows its character larger than a render does.
inline constexpr int DefaultShareScale = 3;

/// How a share page shows its character. Links travel through chat apps that add parameters of
/// their own (fbclid, utm_*) and people edit them, so a page is never refused over them: what is
/// unknown, out of range or repeated falls back to the default (or the last one given).
struct TShareParams {
    std::string Code; // normalised; empty: none
    int Motion = 0;
    int Direction = DefaultDirection;
    int Scale = DefaultShareScale;
    bool Shadow = false;
    std::optional<TColor> Background = 0xFFFFFF; // none: transparent
};
TShareParams ParseShareParams(const TQueryParams& Params);

struct TItemsParams {
    TItemQuery Query;
    std::optional<TListChoice> List;
    std::string Key;
};
TItemsParams ParseItemsParams(const TQueryParams& Params);

/// What /design.json asks for: a code (canonical, or empty for none) and the edits of it.
struct TDesignParams {
    std::string Code;
    TDesignEdits Edits;
    std::string Key;
};
/// Refuses (EBadRequest) unknown or overlong parameters and a request that names no character
/// (no code, chara or random); a code that is none raises EInvalidCode, an edit it cannot read
/// ERequestError.
TDesignParams ParseDesignParams(const TQueryParams& Params);

/// Whether an If-None-Match header's list names ETag (or is "*"); weak tags compare by value.
bool MatchesETag(std::string_view IfNoneMatch, std::string_view ETag);

} // namespace pelto::service
