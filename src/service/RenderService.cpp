#include "service/RenderService.h"

#include "codecs/ImageEncoders.h"
#include "export/PictureExport.h"
#include "model/CharaCode.h"
#include "model/CharaDesign.h"
#include "model/CodeText.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/InvalidCode.h"
#include "model/ItemListing.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "platform/Version.h"
#include "requests/CodeSummary.h"
#include "requests/IconAtlas.h"
#include "requests/ItemJson.h"
#include "requests/SceneRequest.h"
#include "service/PageLanguage.h"
#include "service/SharePage.h"
#include "service/WebAssets.h"
#include "sprites/SpriteFiles.h"

#include <boost/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <system_error>

namespace pelto::service {
namespace {

// Only a URL that names the game data (GameDataParam) never changes its bytes: every other
// answer drawn from the data is kept a short while and then revalidated by its tag, so that a
// game update reaches caches and browsers within that while.
constexpr std::string_view ImmutableCaching = "public, max-age=31536000, immutable";
constexpr std::string_view DataCaching = "public, max-age=60";
constexpr std::string_view NoCaching = "no-store";
// Pages and their files are revalidated each time: a new build changes them at the same URL.
constexpr std::string_view RevalidatedCaching = "no-cache";
// The page needs nothing from elsewhere, and nothing inline: a name from the game data that got
// past the escaping still could not run.
constexpr std::string_view PagePolicy =
    "default-src 'self'; img-src 'self' data:; object-src 'none'; base-uri 'none'; "
    "form-action 'self'; frame-ancestors 'none'";

/// Two 64-bit FNV-1a hashes with other starting points: the 128 bits of an ETag.
class THash128 {
public:
    THash128& Add(std::span<const std::uint8_t> Bytes) {
        for (const std::uint8_t Byte : Bytes) {
            FLow = (FLow ^ Byte) * Prime;
            FHigh = (FHigh ^ Byte) * Prime;
        }
        return *this;
    }
    THash128& Add(std::string_view Text) {
        return Add({reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size()});
    }
    /// A named piece: its name and length go in first, so that pieces cannot run together.
    THash128& AddPiece(std::string_view Name, std::span<const std::uint8_t> Bytes) {
        return Add(Format("%.*s %zu\n", static_cast<int>(Name.size()), Name.data(), Bytes.size()))
            .Add(Bytes);
    }
    std::string Hex() const {
        return Format("%016llx%016llx", static_cast<unsigned long long>(FLow),
                      static_cast<unsigned long long>(FHigh));
    }

private:
    static constexpr std::uint64_t Prime = 0x100000001b3ULL;
    std::uint64_t FLow = 0xcbf29ce484222325ULL;
    std::uint64_t FHigh = 0x84222325cbf29ce4ULL;
};

std::string Hash128Hex(std::string_view Text) {
    return THash128().Add(Text).Hex();
}

/// The program's release and the content of every game file a picture is drawn from, by name
/// within the game folder: instances on the same data agree wherever it lies, and any change of
/// a byte gives other ETags. The sprites are those the cache holds when it holds the files.
std::string IdentityOf(const TGameData& Game) {
    namespace fs = std::filesystem;
    THash128 Hash;
    Hash.Add(std::string(ReleaseVersion) + "\n");
    Hash.AddPiece(ItemTableFileName, ReadFileBytes(ResolvePath(Game.Path(ItemTableFileName))));
    if (const auto Held = Game.HeldItemIcons(); !Held.empty())
        Hash.AddPiece(ItemIconFileName, Held);
    else
        Hash.AddPiece(ItemIconFileName, ReadFileBytes(ResolvePath(Game.Path(ItemIconFileName))));
    if (const TSpriteFiles* Files = Game.SpriteCache() ? Game.SpriteCache()->Files() : nullptr) {
        for (const auto& [Path, Sprites] : Files->Files()) {
            Hash.AddPiece(ExtractFileName(Path), Sprites.Archive);
            Hash.AddPiece(ExtractFileName(ChangeFileExt(Path, ".jxa")), Sprites.Index);
        }
    } else {
        std::vector<fs::path> Archives;
        std::error_code Error;
        for (const auto& Entry :
             fs::directory_iterator(ResolvePath(Game.Path(JmaFolderName)), Error))
            Archives.push_back(Entry.path());
        std::sort(Archives.begin(), Archives.end());
        for (const auto& Path : Archives)
            Hash.AddPiece(Path.filename().string(), ReadFileBytes(Path.string()));
    }
    return Hash.Hex().substr(0, 16);
}

TServiceResponse Content(std::string_view Type, std::string Body) {
    return {200, std::string(Type), std::move(Body), "", ""};
}

std::vector<std::uint8_t> IconPng(const TBitmap& Icon) {
    TMemoryStream Stream;
    SavePngRgbaToStream(Icon, Stream);
    const auto Bytes = Stream.Memory();
    return {Bytes.begin(), Bytes.end()};
}

std::string ToString(std::span<const std::uint8_t> Bytes) {
    return {reinterpret_cast<const char*>(Bytes.data()), Bytes.size()};
}

const TWebAsset* FindWebAsset(std::string_view Name) {
    for (const TWebAsset& Asset : WebAssets())
        if (Asset.Name == Name)
            return &Asset;
    return nullptr;
}

std::string WebIdentity() {
    std::string All;
    for (const TWebAsset& Asset : WebAssets())
        All += std::string(Asset.Name) + "\n" + std::string(Asset.Text) + "\n";
    return Hash128Hex(All).substr(0, 16);
}

// One picture beyond the whole budget would take the process past its memory.
std::string TooLargeMessage(std::size_t Bytes, std::string_view Smaller) {
    return Format("this picture would take %zu MiB to make, more than the service allows; ask "
                  "for a smaller %.*s",
                  (Bytes + (1 << 20) - 1) >> 20, static_cast<int>(Smaller.size()), Smaller.data());
}

/// The one spelling of the character Code names, so that every spelling is one page and one
/// cache entry; what is no code stays as given, for the page to say why.
std::string OneSpelling(std::string_view Code) {
    std::string Normal = NormalizeCode(Code);
    try {
        return CanonicalCode(Normal);
    } catch (const EInvalidCode&) {
        return Normal;
    }
}

/// The routes whose bytes are drawn or listed from the game data.
bool ChangesWithGameData(TEndpoint Endpoint) {
    switch (Endpoint) {
    case TEndpoint::Render:
    case TEndpoint::Scene:
    case TEndpoint::Swatches:
    case TEndpoint::Items:
    case TEndpoint::Icon:
    case TEndpoint::CodeJson:
    case TEndpoint::Design:
    case TEndpoint::Atlas:
        return true;
    default:
        return false;
    }
}

/// Raised where a quick answer would need a turn of work; not an error.
struct ENeedsWork {};

TServiceResponse WithPageHeaders(TServiceResponse Response) {
    Response.Headers = {{"Content-Security-Policy", std::string(PagePolicy)},
                        {"X-Content-Type-Options", "nosniff"},
                        {"Referrer-Policy", "no-referrer"}};
    return Response;
}

// A page speaks the language its asker prefers: caches in front keep one copy per language.
TServiceResponse WithLanguageVary(TServiceResponse Response) {
    Response.Headers.emplace_back("Vary", "Accept-Language");
    return Response;
}

} // namespace

std::string ErrorJson(const std::string& Message) {
    return JsonText(boost::json::object{{"error", Message}}, {TJsonSpacing::Spaced});
}

TServiceResponse Refusal(int Status, const std::string& Message) {
    return {Status, "application/json", ErrorJson(Message), "", std::string(NoCaching)};
}

TServiceResponse BusyRefusal() {
    TServiceResponse Busy = Refusal(503, "the service is busy; try again shortly");
    Busy.Headers = {{"Retry-After", "1"}};
    return Busy;
}

TRenderService::TRenderService(const TGameData& Game, const TServiceOptions& Options)
    : FGame(Game), FIdentity(Options.Identity.empty() ? IdentityOf(Game) : Options.Identity),
      FWebIdentity(WebIdentity()), FJapaneseCatalogue(CatalogueJson(TPageLanguage::Japanese)),
      FCache(Options.CacheBytes),
      FWork({.Slots = std::max(1, Options.RenderThreads),
             // The HTTP layer's workers bound the waiting; a turn not had in time is a 503.
             .MaxWaiting = 1 << 10,
             .Bytes = Options.WorkBytes}),
      FMetricsHeld(Options.Metrics ? Options.Metrics : std::make_shared<TServiceMetrics>()),
      FMetrics(*FMetricsHeld), FPublicUrl(Options.PublicUrl), FListen(Options.Listen),
      FBackdropPicture(Options.BackdropPicture), FLog(Options.Log ? Options.Log : &std::cerr) {
    for (const TWLOItemData& Item : Game.Items().Items())
        FItemsById.emplace(Item.ItemID(), &Item); // the first of a repeated identifier wins
}

void TRenderService::Log(const std::string& Line) {
    const std::lock_guard Lock(FLogLock);
    *FLog << Line << std::endl;
}

std::string TRenderService::ETagOf(const std::string& Key) const {
    return "\"" + Hash128Hex(FIdentity + "\n" + Key) + "\"";
}

template <typename TMake, typename TCheck>
TServiceResponse TRenderService::Cached(const std::string& Key, const TServiceRequest& Request,
                                        const std::string& CacheControl, bool Valid, TMake Make,
                                        TCheck Check) {
    const std::string ETag = ETagOf(Key);
    const auto NotModified = [&] {
        return !Request.IfNoneMatch.empty() && MatchesETag(Request.IfNoneMatch, ETag);
    };
    // Answers are a function of the game and the key alone, so the tag needs no lookup.
    if (Valid && NotModified())
        return {304, "", "", ETag, CacheControl};
    if (const TCached Hit = FCache.Find(Key)) {
        Check(*Hit);
        if (NotModified())
            return {304, "", "", ETag, CacheControl};
        return *Hit;
    }
    TServiceResponse Response = Make();
    // Made meanwhile by another thread too: its body is the one every connection shares.
    if (const TCached Hit = Response.Status == 200 ? FCache.Find(Key) : nullptr)
        return NotModified() ? TServiceResponse{304, "", "", ETag, CacheControl} : *Hit;
    if (Response.Status == 200) {
        Response.ETag = ETag;
        Response.CacheControl = CacheControl;
        const std::size_t Bytes = Response.Body.size() + Response.ContentType.size() +
                                  Response.ETag.size() + Response.CacheControl.size();
        // One body for the cache and every connection that sends it.
        Response.SharedBody = std::make_shared<const std::string>(std::move(Response.Body));
        Response.Body.clear();
        FCache.Insert(Key, std::make_shared<const TServiceResponse>(Response), Bytes);
        if (NotModified())
            return {304, "", "", ETag, CacheControl};
    }
    return Response;
}

namespace {

TServiceResponse WithOwnBody(TServiceResponse Response) {
    if (Response.SharedBody)
        Response.Body = *std::exchange(Response.SharedBody, nullptr);
    return Response;
}

} // namespace

TServiceResponse TRenderService::Handle(const TServiceRequest& Request) {
    return WithOwnBody(HandleShared(Request));
}

TServiceResponse TRenderService::HandleShared(const TServiceRequest& Request) {
    return *Respond(Request, TWork::Allowed);
}

std::optional<TServiceResponse> TRenderService::Quick(const TServiceRequest& Request) {
    std::optional<TServiceResponse> Answer = QuickShared(Request);
    if (Answer)
        *Answer = WithOwnBody(std::move(*Answer));
    return Answer;
}

std::optional<TServiceResponse> TRenderService::QuickShared(const TServiceRequest& Request) {
    return Respond(Request, TWork::Refused);
}

std::optional<TServiceResponse> TRenderService::RespondVersioned(const TServiceRequest& Request,
                                                                 TWork Work) {
    const auto [First, End] = Request.Params.equal_range(std::string(GameDataParam));
    if (std::next(First) != End)
        return Refusal(400, std::string(GameDataParam) + " is given more than once");
    if (First->second != FIdentity)
        return Refusal(404, pelto::Format("the game data %s is no longer served here; it is %s",
                                          First->second.c_str(), FIdentity.c_str()));
    TServiceRequest Unversioned = Request;
    Unversioned.Params.erase(std::string(GameDataParam));
    std::optional<TServiceResponse> Answer = Respond(Unversioned, Work);
    if (Answer && (Answer->Status == 200 || Answer->Status == 304))
        Answer->CacheControl = std::string(ImmutableCaching);
    return Answer;
}

std::optional<TServiceResponse> TRenderService::Respond(const TServiceRequest& Request,
                                                        TWork Work) {
    const TRoute Route = RouteOf(Request.Path);
    if (ChangesWithGameData(Route.Endpoint) && Request.Params.contains(std::string(GameDataParam)))
        return RespondVersioned(Request, Work);
    try {
        switch (Route.Endpoint) {
        case TEndpoint::Render:
            return Render(*Route.Format, Request, Work);
        case TEndpoint::Scene:
            return Scene(*Route.Format, Request, Work);
        case TEndpoint::Swatches:
            return Swatches(Request, Work);
        case TEndpoint::Items:
            return Items(Request, Work);
        case TEndpoint::Icon:
            return Icon(Route.ItemId, Request);
        case TEndpoint::Health:
            return TServiceResponse{200, "text/plain; charset=utf-8", "ok\n", "",
                                    std::string(NoCaching)};
        case TEndpoint::Metrics:
            return TServiceResponse{200, "text/plain; version=0.0.4; charset=utf-8",
                                    FMetrics.Text(FCache.Stats(), FGame.SpriteCache()
                                                                      ? FGame.SpriteCache()->Stats()
                                                                      : TLruStats{}),
                                    "", std::string(NoCaching)};
        case TEndpoint::Page:
            return WithLanguageVary(WithPageHeaders(Page("", Request)));
        case TEndpoint::Share:
            return WithLanguageVary(WithPageHeaders(Page(Route.Name, Request)));
        case TEndpoint::CodeJson:
            return WithPageHeaders(CodeJson(Route.Name, Request));
        case TEndpoint::Asset:
            return WithPageHeaders(Asset(Route.Name, Request));
        case TEndpoint::Design:
            return WithPageHeaders(DesignJson(Request));
        case TEndpoint::Atlas:
            return Atlas(Route.List, Route.Picture, Request, Work);
        case TEndpoint::OpenApi:
            return Asset("openapi.json", Request);
        case TEndpoint::Docs:
            return WithPageHeaders(Asset("docs.html", Request));
        case TEndpoint::Unknown:
            break;
        }
        return Refusal(404, "not found");
    } catch (const ENeedsWork&) {
        return std::nullopt;
    } catch (const std::exception& Error) {
        return RefusalFor(Error, Request);
    }
}

TServiceResponse TRenderService::RefusalFor(const std::exception& Error,
                                            const TServiceRequest& Request) {
    switch (FaultOf(Error)) {
    case TFault::Usage: {
        const auto* Bad = dynamic_cast<const EBadRequest*>(&Error);
        return Refusal(Bad ? Bad->Status() : 400, Error.what());
    }
    case TFault::Asker:
        return Refusal(400, Error.what());
    case TFault::Busy:
        return BusyRefusal();
    case TFault::Internal:
        break;
    }
    // What went wrong is the operator's business, and may name files: not the client's.
    Log(Request.Path + ": " + ErrorText(Error, ": "));
    return Refusal(500, "internal error");
}

TServiceResponse TRenderService::Render(const TExportFormat& Format, const TServiceRequest& Request,
                                        TWork Work) {
    TRenderRequest Asked = ParseRenderParams(Format, Request.Params);
    // One character is one picture, one key and one tag however its code is spelt, and what is
    // no code is refused before anything is looked up.
    if (!Asked.Code.empty())
        Asked.Code = CanonicalCode(Asked.Code);
    // An animation's key holds no frame, so a cached one is checked against its action.
    const auto CheckFrame = [&](const TServiceResponse& Hit) {
        if (Format.Animated)
            pelto::CheckFrame(Asked, Hit.ActionFrames);
    };
    return Cached(
        Asked.Key(), Request, std::string(DataCaching), !Asked.Frame,
        [&] {
            if (Work == TWork::Refused)
                throw ENeedsWork{};
            auto Ticket = FWork.Enter(Request.Arrived);
            TDressingSession Session(FGame);
            PoseSession(Session, Asked);
            TServiceResponse Made = Content(
                Format.MimeType,
                Drawn(Ticket, RenderWorkBytes(Asked, Session.FrameCount()), "scale or canvas",
                      [&](TStream& Stream) { RenderPosed(Session, Asked, Stream); }));
            Made.ActionFrames = Session.FrameCount();
            return Made;
        },
        CheckFrame);
}

std::string TRenderService::Drawn(TWorkGate::TTicket& Ticket, std::size_t Bytes,
                                  std::string_view Smaller,
                                  const std::function<void(TStream&)>& Write) {
    if (Bytes > FWork.Budget())
        throw EBadRequest(TooLargeMessage(Bytes, Smaller));
    Ticket.Reserve(Bytes);
    const auto Start = std::chrono::steady_clock::now();
    TMemoryStream Stream;
    Write(Stream);
    FMetrics.CountRender(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count());
    return ToString(Stream.Memory());
}

TServiceResponse TRenderService::Scene(const TExportFormat& Format, const TServiceRequest& Request,
                                       TWork Work) {
    TSceneRequest Asked = ParseSceneParams(Format, Request.Params, FBackdropPicture);
    for (TRenderRequest& Member : Asked.Members)
        Member.Code = CanonicalCode(Member.Code);
    return Cached(Asked.Key(), Request, std::string(DataCaching), !Asked.Members.front().Frame,
                  [&] {
                      if (Work == TWork::Refused)
                          throw ENeedsWork{};
                      auto Ticket = FWork.Enter(Request.Arrived);
                      const TPosedScene Posed(FGame, Asked);
                      return Content(Format.MimeType,
                                     Drawn(Ticket, Posed.WorkBytes(), "scale or fewer characters",
                                           [&](TStream& Stream) { Posed.Write(Stream); }));
                  });
}

TServiceResponse TRenderService::Swatches(const TServiceRequest& Request, TWork Work) {
    TSwatchRequest Asked = ParseSwatchParams(Request.Params);
    Asked.Look.Code = CanonicalCode(Asked.Look.Code);
    return Cached(Asked.Key(), Request, std::string(DataCaching), !Asked.Look.Frame, [&] {
        if (Work == TWork::Refused)
            throw ENeedsWork{};
        auto Ticket = FWork.Enter(Request.Arrived);
        // Known before a cell is drawn: a grid's size is fixed by its choice alone.
        return Content("image/png",
                       Drawn(Ticket, SwatchWorkBytes(Asked), "grid",
                             [&](TStream& Stream) { RenderSwatches(FGame, Asked, Stream); }));
    });
}

TServiceResponse TRenderService::Items(const TServiceRequest& Request, TWork Work) {
    const TItemsParams Params = ParseItemsParams(Request.Params);
    return Cached(Params.Key, Request, std::string(DataCaching), true, [&] {
        if (Work == TWork::Refused)
            throw ENeedsWork{};
        auto Ticket = FWork.Enter(Request.Arrived);
        // The whole table's text, at most, and the list of it.
        Ticket.Reserve(FGame.Items().Items().size() * 1024);
        return Content("application/json; charset=utf-8",
                       ItemsJson(FGame, MatchingItems(FGame, Params.Query, Params.List)));
    });
}

TServiceResponse TRenderService::Icon(int ItemId, const TServiceRequest& Request) {
    if (!Request.Params.empty())
        throw EBadRequest("an icon takes no parameters");
    const auto Found = FItemsById.find(ItemId);
    if (Found == FItemsById.end())
        throw EBadRequest(pelto::Format("no item %d", ItemId), 404);
    return Cached(pelto::Format("icon/%d", ItemId), Request, std::string(DataCaching), false, [&] {
        const std::optional<TBitmap> Icon = ItemIconBitmap(FGame, *Found->second);
        if (!Icon)
            throw EBadRequest(pelto::Format("item %d has no icon", ItemId), 404);
        return Content("image/png", ToString(IconPng(*Icon)));
    });
}

TServiceResponse TRenderService::Page(std::string_view Code, const TServiceRequest& Request) {
    TShareParams Share = ParseShareParams(Request.Params);
    if (!Code.empty())
        Share.Code = OneSpelling(Code);
    const TPageLanguage Language = PreferredLanguage(Request.AcceptLanguage);
    const TPageContext Context{
        PageOrigin(FPublicUrl, FListen, Request.Host, Request.ForwardedProto), "", Language};
    // The page holds absolute links, so its origin goes into the key, and so does its language.
    const std::string Key = "page/" + FWebIdentity + "/" + std::string(LanguageTag(Language)) +
                            "?" + ShareLink(Context.Origin, Share);
    return Cached(Key, Request, std::string(RevalidatedCaching), false, [&] {
        const std::string_view Template = FindWebAsset("page.html")->Text;
        if (Share.Code.empty())
            return Content("text/html; charset=utf-8",
                           SharePageHtml(Template, Share, nullptr, Context));
        try {
            const TCodeSummary Summary = SummarizeCode(FGame, Share.Code);
            Share.Code = Summary.Code;
            return Content("text/html; charset=utf-8",
                           SharePageHtml(Template, Share, &Summary, Context));
        } catch (const EInvalidCode& Error) {
            TServiceResponse Refused =
                Content("text/html; charset=utf-8",
                        SharePageHtml(Template, Share, nullptr,
                                      {Context.Origin, Error.what(), Context.Language}));
            Refused.Status = 400;
            Refused.CacheControl = std::string(NoCaching);
            return Refused;
        }
    });
}

TServiceResponse TRenderService::CodeJson(std::string_view Code, const TServiceRequest& Request) {
    if (!Request.Params.empty())
        throw EBadRequest("a code takes no parameters");
    // Every spelling of a character is one resource under one key, as a render is.
    const std::string Normal = CanonicalCode(NormalizeCode(Code));
    return Cached("code/" + Normal, Request, std::string(DataCaching), false, [&] {
        return Content("application/json; charset=utf-8",
                       pelto::CodeJson(SummarizeCode(FGame, Normal)));
    });
}

TServiceResponse TRenderService::DesignJson(const TServiceRequest& Request) {
    const TDesignParams Params = ParseDesignParams(Request.Params);
    // A refused edit is known only once tried: the tag is looked at once it is.
    return Cached(Params.Key, Request, std::string(DataCaching), false, [&] {
        const TCharaDesign Base =
            Params.Code.empty() ? TCharaDesign() : DesignOfCode(Params.Code, FGame);
        return Content(
            "application/json; charset=utf-8",
            pelto::DesignJson(FGame, ApplyDesignEdits(Base, FGame, Params.Edits, QueryEdits)));
    });
}

TServiceResponse TRenderService::Asset(std::string_view Name, const TServiceRequest& Request) {
    const TWebAsset* Found = FindWebAsset(Name);
    const bool Catalogue = Name == "page.ja.json";
    if (!Found && !Catalogue)
        throw EBadRequest("not found", 404);
    const std::string_view Text = Catalogue ? std::string_view(FJapaneseCatalogue) : Found->Text;
    const std::string ETag = "\"" + Hash128Hex(Text) + "\"";
    if (!Request.IfNoneMatch.empty() && MatchesETag(Request.IfNoneMatch, ETag))
        return {304, "", "", ETag, std::string(RevalidatedCaching)};
    TServiceResponse Response =
        Content(Name.ends_with(".js")     ? "text/javascript; charset=utf-8"
                : Name.ends_with(".json") ? "application/json; charset=utf-8"
                : Name.ends_with(".html") ? "text/html; charset=utf-8"
                                          : "text/css; charset=utf-8",
                std::string(Text));
    Response.ETag = ETag;
    Response.CacheControl = std::string(RevalidatedCaching);
    return Response;
}

TServiceResponse TRenderService::Atlas(TListChoice List, bool Picture,
                                       const TServiceRequest& Request, TWork Work) {
    if (!Request.Params.empty())
        throw EBadRequest("an atlas takes no parameters");
    const std::string Name = pelto::Format("atlas/%d/%d", List.Group, List.Slot);
    // Both are made from the item table and the icons alone: a list of thousands of icons is
    // drawn, or written out, on a worker within the work budget, never on the network thread.
    return Cached(
        Name + (Picture ? ".png" : ".json"), Request, std::string(DataCaching), true, [&] {
            if (Work == TWork::Refused)
                throw ENeedsWork{};
            auto Ticket = FWork.Enter();
            const std::size_t Entries = FGame.EquipList()->GetList(List.Group, List.Slot).size();
            if (!Picture) {
                Ticket.Reserve(Entries * 1024);
                return Content("application/json; charset=utf-8",
                               // The picture is asked under the data this list was made of.
                               IconAtlasJson(FGame, List,
                                             "/" + Name + ".png?" + std::string(GameDataParam) +
                                                 "=" + FIdentity));
            }
            Ticket.Reserve(IconAtlasWorkBytes(Entries));
            TMemoryStream Stream;
            SavePngRgbaToStream(IconAtlasBitmap(FGame, List), Stream);
            return Content("image/png", ToString(Stream.Memory()));
        });
}

} // namespace pelto::service
