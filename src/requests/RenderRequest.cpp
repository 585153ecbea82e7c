#include "requests/RenderRequest.h"

#include "export/PictureExport.h"
#include "model/CodeText.h"
#include "model/DressingSession.h"
#include "model/UDraw.h"
#include "platform/Format.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "requests/Parameters.h"
#include "sprites/wlojmajmp.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>

namespace pelto {
namespace {

constexpr auto CommandLineValues = ParameterNames<RenderOption, false>();
constexpr auto CommandLineFlags = ParameterNames<RenderOption, true>();
constexpr auto QueryValues = ParameterNames<RenderQuery>();

/// The parameters of one request, read by their names as its dialect spells them.
class TParamReader {
public:
    TParamReader(const TRequestParams& Params, const TRequestDialect& Dialect)
        : FParams(Params), FDialect(Dialect) {
        for (const auto& [Name, Value] : Params)
            if (!Takes(Dialect.Values, Name) && !Takes(Dialect.Flags, Name))
                throw std::invalid_argument("the front end let an unknown parameter through");
    }

    bool Takes(std::string_view Name) const {
        return Takes(FDialect.Values, Name) || Takes(FDialect.Flags, Name);
    }

    std::optional<std::string> Value(std::string_view Name) const {
        const auto Found = FParams.find(Name);
        if (Found == FParams.end())
            return std::nullopt;
        return Found->second;
    }

    /// The number parameter Name, its default when it is not given.
    int Number(std::string_view Name) const {
        const auto Text = Value(Name);
        return Text ? Number(Name, *Text) : static_cast<int>(ParameterNamed(Name).Default);
    }

    int Number(std::string_view Name, const std::string& Text) const {
        return static_cast<int>(ReadNumber(Spelled(Name), Text, ParameterNamed(Name).Range));
    }

    /// A switch of the command line, or a 0 or 1 of a query.
    bool Switch(std::string_view Name) const {
        if (Takes(FDialect.Flags, Name))
            return FParams.contains(Name);
        return Number(Name) == 1;
    }

    std::string Spelled(std::string_view Name) const {
        return std::string(FDialect.Prefix) + std::string(Name);
    }

private:
    static bool Takes(std::span<const std::string_view> Names, std::string_view Name) {
        return std::find(Names.begin(), Names.end(), Name) != Names.end();
    }

    const TRequestParams& FParams;
    const TRequestDialect& FDialect;
};

const TExportFormat& FormatParam(const TParamReader& Reader, const TRequestDialect& Dialect) {
    const auto Name = Reader.Value("format");
    if (!Name) // the front end requires it
        throw std::invalid_argument("a render needs a format");
    const TExportFormat* Format = FindExportFormat(*Name);
    if (Format && (Format->Served || Dialect.Sheets))
        return *Format;
    std::string Names;
    for (const TExportFormat& Each : ExportFormats)
        if (Each.Served || Dialect.Sheets)
            Names += (Names.empty() ? "" : ", ") + std::string(Each.Name);
    throw ERequestError(Reader.Spelled("format") + " must be one of " + Names);
}

TColor BackgroundParam(const TParamReader& Reader, const TRequestDialect& Dialect) {
    const auto Text = Reader.Value("background");
    if (!Text)
        return 0xFFFFFF;
    const auto Rgb = ParseRgbHex(*Text);
    if (!Rgb)
        throw ERequestError(Reader.Spelled("background") + " must be six hexadecimal digits, " +
                            std::string(Dialect.BackgroundForms));
    return RgbHexColor(*Rgb);
}

/// Without a range of its own, a frame that is no number is one no action has.
int FrameParam(const TParamReader& Reader, const TRequestDialect& Dialect,
               const std::string& Text) {
    if (Dialect.FrameFirst)
        return Reader.Number("frame", Text);
    const auto Frame = ParseWholeNumber(Text);
    return Frame && *Frame >= 1 && *Frame <= std::numeric_limits<int>::max()
               ? static_cast<int>(*Frame)
               : 0;
}

TExportScope ScopeParam(const TParamReader& Reader, const std::string& Text) {
    const auto Found = std::find(ExportScopeNames.begin(), ExportScopeNames.end(), Text);
    if (Found == ExportScopeNames.end())
        throw ERequestError(Reader.Spelled("scope") + " must be action, directions or all");
    return static_cast<TExportScope>(Found - ExportScopeNames.begin());
}

/// "3,0,1": numbers within Range, each once, in the order given; for the directions also the name
/// of an order (DirectionOrderNames).
std::vector<std::uint8_t> ListParam(const TParamReader& Reader, std::string_view Name,
                                    const std::string& Text) {
    const bool Directions = Name == "directions";
    if (auto List = ActionListOf(Text, Directions))
        return std::move(*List);
    const TParamRange Range = ParameterNamed(Directions ? "direction" : "motion").Range;
    throw ERequestError(
        Reader.Spelled(Name) + " must be " + (Directions ? "game, engine or " : "") +
        Format("numbers from %ld to %ld, each once, between commas", Range.Min, Range.Max));
}

/// One of Names, by the index of the name given.
template <std::size_t N>
std::size_t NamedParam(const TParamReader& Reader, std::string_view Name, const std::string& Text,
                       const std::array<std::string_view, N>& Names) {
    const auto Found = std::find(Names.begin(), Names.end(), Text);
    if (Found != Names.end())
        return static_cast<std::size_t>(Found - Names.begin());
    std::string List;
    for (std::size_t I = 0; I < N; ++I)
        List += std::string(I == 0 ? "" : I + 1 == N ? " or " : ", ") + std::string(Names[I]);
    throw ERequestError(Reader.Spelled(Name) + " must be " + List);
}

/// "WxH", each side from 1 to MaxExportCanvasSide.
TExportCanvas CanvasParam(const TParamReader& Reader, const std::string& Text) {
    const auto Refuse = [&]() {
        return ERequestError(
            Reader.Spelled("canvas") +
            Format(" must be WIDTHxHEIGHT, each from 1 to %d", MaxExportCanvasSide));
    };
    const std::size_t X = Text.find('x');
    if (X == std::string::npos)
        throw Refuse();
    const auto Width = ParseWholeNumber(Text.substr(0, X));
    const auto Height = ParseWholeNumber(Text.substr(X + 1));
    const auto Fits = [](const std::optional<long>& N) {
        return N && *N >= 1 && *N <= MaxExportCanvasSide;
    };
    if (!Fits(Width) || !Fits(Height))
        throw Refuse();
    return {static_cast<int>(*Width), static_cast<int>(*Height), TCanvasAnchor::Feet};
}

/// Crop, flip, canvas and anchor, which every picture takes, and what only some formats take.
void ReadLayout(const TParamReader& Reader, TRenderRequest& Request) {
    if (const auto Crop = Reader.Value("crop"))
        Request.Options.Crop =
            static_cast<TExportCrop>(NamedParam(Reader, "crop", *Crop, ExportCropNames));
    if (Request.Options.Trim && !CropTakesTrim(Request.Options.Crop))
        throw ERequestError(Reader.Spelled("trim") + " crops to the body, not with " +
                            Reader.Spelled("crop") + " head");
    Request.Options.Flip = Reader.Switch("flip");
    if (const auto Canvas = Reader.Value("canvas"))
        Request.Options.Canvas = CanvasParam(Reader, *Canvas);
    if (const auto Anchor = Reader.Value("anchor")) {
        if (!Request.Options.Canvas)
            throw ERequestError(Reader.Spelled("anchor") + " is for " + Reader.Spelled("canvas"));
        Request.Options.Canvas->Anchor =
            static_cast<TCanvasAnchor>(NamedParam(Reader, "anchor", *Anchor, CanvasAnchorNames));
    }
    if (const auto Names = Reader.Value("frame-names")) {
        if (!FormatTakes(*Request.Options.Format, TFormatOption::FrameNames))
            throw ERequestError(Reader.Spelled("frame-names") +
                                " is for sheet, tsheet, bundle and tbundle");
        Request.Options.FrameNames =
            static_cast<TFrameNames>(NamedParam(Reader, "frame-names", *Names, FrameNamesNames));
    }
    if (Reader.Takes("layers")) {
        Request.Options.Layers = Reader.Switch("layers");
        if (Request.Options.Layers && !FormatTakes(*Request.Options.Format, TFormatOption::Layers))
            throw ERequestError(Reader.Spelled("layers") + " is for bundle and tbundle");
    }
}

TExportOptions ExportOptionsOf(const TRenderRequest& Request, const TDressingSession& Session) {
    TExportOptions Options = Request.Options;
    // The classic formats stay what the viewer's "Save Image As..." writes.
    if (Request.Dialect->CarryCode && !WritesClassicPicture(Options))
        Options.Code = Session.Code();
    return Options;
}

} // namespace

const TRequestDialect CommandLineDialect{.Prefix = "--",
                                         .Values = CommandLineValues,
                                         .Flags = CommandLineFlags,
                                         .Sheets = true,
                                         .FrameFirst = false,
                                         .BackgroundForms = "RRGGBB or #RRGGBB",
                                         .DelayFormats = "gif, apng, webp and sheet formats",
                                         .CodesFromUrls = false,
                                         .CarryCode = true,
                                         .SceneCharacter = "code"};

const TRequestDialect QueryDialect{.Prefix = "",
                                   .Values = QueryValues,
                                   .Flags = {},
                                   .Sheets = false,
                                   .FrameFirst = true,
                                   .BackgroundForms = "RRGGBB",
                                   .DelayFormats = "gif, tgif, apng, tapng, webp and twebp",
                                   .CodesFromUrls = true,
                                   .CarryCode = false,
                                   .SceneCharacter = "c"};

std::string TRenderRequest::Key() const {
    // An explicit frame is checked against the action, the default one is not: two keys.
    // What cannot change the bytes stays out, so that one picture has one key: an animation
    // holds every frame, and a transparent picture has no background.
    const std::string FrameText =
        Frame && !Options.Format->Animated ? std::to_string(*Frame) : std::string("default");
    // The code goes in whole: a formatted %s would end it at a NUL.
    std::string Key = std::string(Options.Format->Name) + "?code=" + Code +
                      pelto::Format("&motion=%d&direction=%d&frame=%s&shadow=%d", Motion, Direction,
                                    FrameText.c_str(), Shadow ? 1 : 0);
    if (!Options.Format->Transparent)
        Key += pelto::Format("&background=%06X", Background & 0xFFFFFF);
    Key += pelto::Format("&scale=%d", Options.Scale);
    if (Options.Delay)
        Key += pelto::Format("&delay=%d", *Options.Delay);
    // What only the command line asks for comes last, so that the service's keys stay.
    if (Chara)
        Key += pelto::Format("&chara=%d", *Chara);
    if (Options.Scope != TExportScope::Action)
        Key += "&scope=" + std::string(ExportScopeNames[static_cast<std::size_t>(Options.Scope)]);
    for (const auto& [Name, List] :
         {std::pair{"motions", &Options.Motions}, std::pair{"directions", &Options.Directions}})
        for (std::size_t I = 0; I < List->size(); ++I)
            Key += I == 0 ? pelto::Format("&%s=%d", Name, (*List)[I])
                          : pelto::Format(",%d", (*List)[I]);
    if (Options.Padding || Options.Extrude)
        Key += pelto::Format("&padding=%d&extrude=%d", Options.Padding, Options.Extrude);
    if (Options.Trim)
        Key += "&trim=1";
    if (Options.Crop != TExportCrop::Full)
        Key += "&crop=" + std::string(ExportCropNames[static_cast<std::size_t>(Options.Crop)]);
    if (Options.Flip)
        Key += "&flip=1";
    if (Options.Canvas)
        Key += pelto::Format(
            "&canvas=%dx%d&anchor=%s", Options.Canvas->Width, Options.Canvas->Height,
            std::string(CanvasAnchorNames[static_cast<std::size_t>(Options.Canvas->Anchor)])
                .c_str());
    if (Options.FrameNames != TFrameNames::Pose)
        Key += "&frame-names=index";
    if (Options.Layers)
        Key += "&layers=1";
    return Key;
}

TRenderRequest ParseRenderRequest(const TRequestParams& Params, const TRequestDialect& Dialect,
                                  const TExportFormat* Format) {
    const TParamReader Reader(Params, Dialect);
    TRenderRequest Request;
    Request.Dialect = &Dialect;
    const auto Code = Reader.Value("code");
    const auto Chara = Reader.Value("chara");
    if (Reader.Takes("chara")) {
        if (Code.has_value() == Chara.has_value())
            throw ERequestError("render needs either " + Reader.Spelled("code") + " or " +
                                Reader.Spelled("chara"));
    } else if (!Code) {
        throw ERequestError(Reader.Spelled("code") + " is required");
    }
    Request.Options.Format = Format ? Format : &FormatParam(Reader, Dialect);
    if (Code)
        Request.Code = Dialect.CodesFromUrls ? NormalizeCode(*Code) : *Code;
    if (Chara)
        Request.Chara = Reader.Number("chara", *Chara);
    Request.Motion = Reader.Number("motion");
    Request.Direction = Reader.Number("direction");
    if (const auto Frame = Reader.Value("frame"))
        Request.Frame = FrameParam(Reader, Dialect, *Frame);
    Request.Shadow = Reader.Switch("shadow");
    Request.Background = BackgroundParam(Reader, Dialect);
    Request.Options.Scale = Reader.Number("scale");
    if (const auto Delay = Reader.Value("delay")) {
        if (!FormatTakes(*Request.Options.Format, TFormatOption::Delay))
            throw ERequestError(Reader.Spelled("delay") + " is for " +
                                std::string(Dialect.DelayFormats));
        Request.Options.Delay = Reader.Number("delay", *Delay);
    }
    // Name's value, refused for a format that does not take Option.
    const auto ValueTaken = [&](std::string_view Name, TFormatOption Option) {
        auto Value = Reader.Value(Name);
        if (Value && !FormatTakes(*Request.Options.Format, Option))
            throw ERequestError(Reader.Spelled(Name) + " is for " +
                                (Option == TFormatOption::Scope
                                     ? "sheet, tsheet, bundle, tbundle and aseprite"
                                     : "sheet, tsheet, bundle and tbundle"));
        return Value;
    };
    if (const auto Scope = ValueTaken("scope", TFormatOption::Scope)) {
        Request.Options.Scope = ScopeParam(Reader, *Scope);
    } else if (Request.Options.Format->Kind == TExportKind::Bundle) {
        Request.Options.Scope = TExportScope::All;
    }
    for (const std::string_view Name : {"motions", "directions"})
        if (const auto List = ValueTaken(Name, TFormatOption::Scope))
            (Name == "motions" ? Request.Options.Motions : Request.Options.Directions) =
                ListParam(Reader, Name, *List);
    for (const std::string_view Name : {"padding", "extrude"})
        if (const auto Pixels = ValueTaken(Name, TFormatOption::Padding))
            (Name == "padding" ? Request.Options.Padding : Request.Options.Extrude) =
                Reader.Number(Name, *Pixels);
    Request.Options.Trim = Reader.Switch("trim");
    ReadLayout(Reader, Request);
    return Request;
}

void PoseSession(TDressingSession& Session, const TRenderRequest& Request) {
    if (Request.Chara)
        Session.SetChara(*Request.Chara);
    else if (!Request.Code.empty())
        Session.ApplyCode(Request.Code);
    Session.SetShadow(Request.Shadow);
    Session.SetBackColor(Request.Background);
    Session.SetMotion(static_cast<std::uint8_t>(Request.Motion));
    Session.SetDirection(static_cast<std::uint8_t>(Request.Direction));
    // The frames depend on the character's sprites, known only now.
    CheckFrame(Request, Session.FrameCount());
    Session.SetFrame(Request.Frame.value_or(1));
}

void CheckFrame(const TRenderRequest& Request, int Count) {
    if (!Request.Frame)
        return;
    // The pose named is the one asked for: without a character the session keeps its own.
    const std::string Frame = std::string(Request.Dialect->Prefix) + "frame";
    const std::string Pose =
        Format("motion %d facing direction %d", Request.Motion, Request.Direction);
    if (Count == 0)
        throw ERequestError(Frame + " cannot be given: " + Pose + " has no frames");
    if (*Request.Frame < 1 || *Request.Frame > Count)
        throw ERequestError(Frame + Format(" must be from 1 to %d for ", Count) + Pose);
}

std::size_t RenderWorkBytes(const TRenderRequest& Request, int Frames) {
    // The canvas-sized frames drawn first count too, once a canvas is smaller than them.
    const std::size_t Side = static_cast<std::size_t>(CanvasSize) * Request.Options.Scale;
    const std::size_t Picture = Request.Options.Canvas
                                    ? static_cast<std::size_t>(Request.Options.Canvas->Width) *
                                          static_cast<std::size_t>(Request.Options.Canvas->Height)
                                    : Side * Side;
    const std::size_t Canvas = static_cast<std::size_t>(CanvasSize) * CanvasSize;
    return DrawingWorkBytes(Request.Options.Format->Animated, Frames, Picture, Canvas);
}

std::size_t DrawingWorkBytes(bool Animated, int Frames, std::size_t Picture, std::size_t Drawn) {
    // Each frame at its scale and as drawn before it, and as much again for the encoder's
    // copies; measured peaks stay below this.
    const std::size_t Pictures = Animated ? std::max(Frames, 1) + 1 : 2;
    return Pictures * (Picture + Drawn) * 4 * 2 + (std::size_t{1} << 20);
}

void RenderPosed(TDressingSession& Session, const TRenderRequest& Request, TStream& Stream) {
    ExportPictureToStream(Session, ExportOptionsOf(Request, Session), Stream);
}

void Render(const TGameData& Game, const TRenderRequest& Request, TStream& Stream) {
    TDressingSession Session(Game);
    PoseSession(Session, Request);
    RenderPosed(Session, Request, Stream);
}

TExportShape Render(const TGameData& Game, const TRenderRequest& Request,
                    const std::string& FileName) {
    TDressingSession Session(Game);
    PoseSession(Session, Request);
    return ExportPicture(Session, ExportOptionsOf(Request, Session), FileName);
}

} // namespace pelto
