#include "requests/SceneRequest.h"

#include "codecs/ColorReduction.h"
#include "export/ClassicSave.h"
#include "export/ExportFrames.h"
#include "export/FrameEncoding.h"
#include "export/FramePlacement.h"
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/UDraw.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "sprites/wlojmajmp.h"

#include <algorithm>
#include <optional>

namespace pelto {
namespace {

/// What every character of a scene shares; the rest is for a picture of one character.
constexpr auto SharedNames = ParameterNames<SceneOption>();

/// One character of a scene as it is written: its code, and its own motion and direction.
struct TSceneCharacter {
    std::string Code;
    std::optional<int> Motion;
    std::optional<int> Direction;
};

std::string SceneFormatList() {
    std::string List;
    for (const std::string_view Name : SceneFormatNames)
        List += (List.empty() ? "" : ", ") + std::string(Name);
    return List;
}

TSceneCharacter ParseCharacter(const std::string& Text, std::size_t Index,
                               const std::string& Name) {
    std::vector<std::string_view> Parts;
    std::string_view Rest = Text;
    for (std::size_t Tilde = Rest.find('~');; Tilde = Rest.find('~')) {
        Parts.push_back(Rest.substr(0, Tilde));
        if (Tilde == std::string_view::npos)
            break;
        Rest.remove_prefix(Tilde + 1);
    }
    if (Parts.size() > 3 || std::any_of(Parts.begin() + 1, Parts.end(),
                                        [](std::string_view Part) { return Part.empty(); }))
        throw ERequestError(Name + " must be CODE, CODE~MOTION or CODE~MOTION~DIRECTION");
    const auto Number = [&](std::string_view Part, std::string_view What) {
        const std::string Spelled = Format("%s %zu: ", Name.c_str(), Index + 1) + std::string(What);
        return static_cast<int>(ReadNumber(Spelled, Part, RangeOf(What)));
    };
    TSceneCharacter Character{std::string(Parts[0]), std::nullopt, std::nullopt};
    if (Parts.size() > 1)
        Character.Motion = Number(Parts[1], "motion");
    if (Parts.size() > 2)
        Character.Direction = Number(Parts[2], "direction");
    return Character;
}

int GapParam(const TRequestParams& Shared, const TRequestDialect& Dialect) {
    const auto Found = Shared.find("gap");
    if (Found == Shared.end())
        return DefaultSceneGap;
    return static_cast<int>(
        ReadNumber(std::string(Dialect.Prefix) + "gap", Found->second, RangeOf("gap")));
}

const TExportFormat& SceneFormatParam(const TRequestParams& Shared, const TRequestDialect& Dialect,
                                      const TExportFormat* Format) {
    if (!Format) {
        const auto Name = Shared.find("format");
        if (Name == Shared.end()) // the front end requires it
            throw std::invalid_argument("a scene needs a format");
        Format = FindExportFormat(Name->second);
    }
    if (!Format || !IsSceneFormat(*Format))
        throw ERequestError(std::string(Dialect.Prefix) + "format of several characters must be " +
                            "one of " + SceneFormatList());
    return *Format;
}

int SceneWidth(const TSceneRequest& Request) {
    const int Count = static_cast<int>(Request.Members.size());
    return Count * CanvasSize + (Count - 1) * Request.Gap;
}

} // namespace

bool IsSceneFormat(const TExportFormat& Format) {
    return std::find(SceneFormatNames.begin(), SceneFormatNames.end(), Format.Name) !=
           SceneFormatNames.end();
}

std::string TSceneRequest::Key() const {
    const TRenderRequest& First = Members.front();
    std::string Key = "scene/" + std::string(Format->Name);
    char Separator = '?';
    for (const TRenderRequest& Member : Members) {
        Key += Separator + ("c=" + Member.Code) +
               pelto::Format("~%d~%d", Member.Motion, Member.Direction);
        Separator = '&';
    }
    // A frame given is checked against every action even where an animation holds them all.
    Key += "&frame=" + (First.Frame ? std::to_string(*First.Frame) : std::string("default")) +
           pelto::Format("&shadow=%d", First.Shadow ? 1 : 0);
    if (!Format->Transparent)
        Key += pelto::Format("&background=%06X", First.Background & 0xFFFFFF);
    return Key + pelto::Format("&scale=%d&gap=%d", First.Options.Scale, Gap);
}

TSceneRequest ParseSceneRequest(std::span<const std::string> Characters,
                                const TRequestParams& Shared, const TRequestDialect& Dialect,
                                const TExportFormat* Format) {
    const std::string Name = std::string(Dialect.Prefix) + std::string(Dialect.SceneCharacter);
    if (Characters.empty())
        throw ERequestError(Name + " is required");
    if (Characters.size() > MaxSceneCharacters)
        throw ERequestError(pelto::Format("at most %zu characters (%s) go in one picture",
                                          MaxSceneCharacters, Name.c_str()));
    for (const auto& [Param, Value] : Shared)
        if (std::find(SharedNames.begin(), SharedNames.end(), Param) == SharedNames.end())
            throw ERequestError(std::string(Dialect.Prefix) + Param +
                                " is for a picture of one character");
    TSceneRequest Scene;
    Scene.Format = &SceneFormatParam(Shared, Dialect, Format);
    Scene.Gap = GapParam(Shared, Dialect);
    TRequestParams Params = Shared;
    Params.erase("gap");
    for (std::size_t I = 0; I < Characters.size(); ++I) {
        const TSceneCharacter Character = ParseCharacter(Characters[I], I, Name);
        Params.insert_or_assign("code", Character.Code);
        // The shared parameters are checked as a render checks them, in the same words.
        TRenderRequest Member = ParseRenderRequest(Params, Dialect, Scene.Format);
        if (Member.Code.empty())
            throw ERequestError(pelto::Format("%s %zu has no code", Name.c_str(), I + 1));
        Member.Motion = Character.Motion.value_or(Member.Motion);
        Member.Direction = Character.Direction.value_or(Member.Direction);
        Scene.Members.push_back(std::move(Member));
    }
    return Scene;
}

TPosedScene::TPosedScene(const TGameData& Game, const TSceneRequest& Request) : FRequest(Request) {
    for (const TRenderRequest& Member : Request.Members) {
        FSessions.push_back(std::make_unique<TDressingSession>(Game));
        PoseSession(*FSessions.back(), Member);
    }
}

TPosedScene::~TPosedScene() = default;

std::vector<int> TPosedScene::ActionFrames() const {
    std::vector<int> Frames;
    for (const auto& Session : FSessions)
        Frames.push_back(Session->FrameCount());
    return Frames;
}

std::size_t TPosedScene::WorkBytes() const {
    return RenderWorkBytes(FRequest, ActionFrames());
}

void TPosedScene::Write(TStream& Stream) const {
    const TExportFormat& Format = *FRequest.Format;
    const TRenderRequest& First = FRequest.Members.front();
    const bool Still = IsStillFormat(Format);
    const bool Transparent = Format.Transparent;
    const bool Gif = Format.Kind == TExportKind::Gif;
    const TColor Behind = Transparent && Gif ? GifTransparentKey : First.Background;
    const int Width = SceneWidth(FRequest);
    const TBox Whole{0, 0, Width, CanvasSize};
    const TFramePlacement Alone = PlaceFrames(TBox{}, 1, false, std::nullopt);
    const TFramePlacement Enlarged = PlaceFrames(Whole, First.Options.Scale, false, std::nullopt);

    // Drawn at the canvas's size and enlarged once whole, as a render's frames are.
    const auto DrawStep = [&](int Step) {
        TBitmap Scene(Width, CanvasSize, TPixelFormat::pf32bit);
        Scene.Fill(0);
        for (std::size_t I = 0; I < FSessions.size(); ++I) {
            const TDrawChara& Chara = FSessions[I]->Chara();
            const int Frames = Chara.GetFrameCount();
            if (!Still && Frames == 0)
                continue;
            const int Frame = Still ? Chara.Frame() : Step % Frames + 1;
            PlaceFrame(DrawCovered(Chara, {Chara.Motion(), Chara.Direction(), Frame}), Alone, Scene,
                       static_cast<int>(I) * (CanvasSize + FRequest.Gap), 0);
        }
        if (!Transparent || Gif)
            PutBehind(Scene, Behind);
        return Scene;
    };
    const auto Picture = [&](TBitmap Scene) {
        if (First.Options.Scale == 1)
            return Scene;
        return PlacedFrame(Scene, Enlarged);
    };

    if (Still) {
        const TBitmap Scene = Picture(DrawStep(0));
        EncodePictures(Format, {&Scene, 1}, std::nullopt, Stream);
        return;
    }
    const std::vector<int> Frames = ActionFrames();
    const int Steps = std::max(1, *std::max_element(Frames.begin(), Frames.end()));
    if (Gif) {
        std::vector<TReducedFrame> Reduced;
        for (int Step = 0; Step < Steps; ++Step)
            Reduced.push_back(
                EnlargedIndices(ReduceFrameColors(DrawStep(Step)), Whole, First.Options.Scale));
        EncodeGif(Format, Reduced, std::nullopt, Stream);
        return;
    }
    std::vector<TBitmap> Pictures;
    for (int Step = 0; Step < Steps; ++Step)
        Pictures.push_back(Picture(DrawStep(Step)));
    EncodePictures(Format, Pictures, std::nullopt, Stream);
}

std::size_t RenderWorkBytes(const TSceneRequest& Request, std::span<const int> Frames) {
    // As a render's: every picture at its scale and at the canvas's, twice for the encoder's
    // copies, and each character's own canvas.
    const int Longest = Frames.empty() ? 0 : *std::max_element(Frames.begin(), Frames.end());
    const std::size_t Scene = static_cast<std::size_t>(SceneWidth(Request)) * CanvasSize;
    const std::size_t Scale = static_cast<std::size_t>(Request.Members.front().Options.Scale);
    const std::size_t Canvas = static_cast<std::size_t>(CanvasSize) * CanvasSize;
    return DrawingWorkBytes(Request.Format->Animated, Longest, Scene * Scale * Scale, Scene) +
           Request.Members.size() * Canvas * 4;
}

void RenderScene(const TGameData& Game, const TSceneRequest& Request, TStream& Stream) {
    TPosedScene(Game, Request).Write(Stream);
}

void RenderScene(const TGameData& Game, const TSceneRequest& Request, const std::string& FileName) {
    const TPosedScene Scene(Game, Request);
    WriteFileAtomically(FileName, [&](TStream& Stream) { Scene.Write(Stream); });
}

} // namespace pelto
