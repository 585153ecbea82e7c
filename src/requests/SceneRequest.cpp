#include "requests/SceneRequest.h"

#include "codecs/ColorReduction.h"
#include "codecs/PictureDecoder.h"
#include "codecs/TextRaster.h"
#include "export/ClassicSave.h"
#include "export/ExportFrames.h"
#include "export/FrameEncoding.h"
#include "export/FramePlacement.h"
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/UDraw.h"
#include "platform/AtomicFile.h"
#include "platform/Fonts.h"
#include "platform/Format.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "platform/Utf8.h"
#include "sprites/wlojmajmp.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <tuple>

#include <zlib.h>

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

unsigned RgbHex(TColor Color) {
    return static_cast<unsigned>(GetRValue(Color)) << 16 |
           static_cast<unsigned>(GetGValue(Color)) << 8 | GetBValue(Color);
}

/// Name tags refuse what would hide or reorder text around them, or break a line.
bool IsBidiControl(char32_t Point) {
    return Point == 0x200E || Point == 0x200F || (Point >= 0x202A && Point <= 0x202E) ||
           (Point >= 0x2066 && Point <= 0x2069);
}

bool IsControl(char32_t Point) {
    return Point < 0x20 || (Point >= 0x7F && Point <= 0x9F);
}

std::u32string TagParam(const std::string& Text, std::size_t Index,
                        const TRequestDialect& Dialect) {
    const std::string Name = Format("%stag %zu", std::string(Dialect.Prefix).c_str(), Index + 1);
    const auto TooLong = [&] {
        return ERequestError(
            Format("%s is longer than %zu characters", Name.c_str(), MaxTagCharacters));
    };
    // Four bytes at most a character: a longer text need not be read.
    if (Text.size() > MaxTagCharacters * 4)
        throw TooLong();
    const auto Points = DecodeUtf8(Text);
    if (!Points)
        throw ERequestError(Name + " is not valid UTF-8");
    if (Points->size() > MaxTagCharacters)
        throw TooLong();
    for (const char32_t Point : *Points) {
        const char* What = IsControl(Point)       ? "a control character"
                           : IsBidiControl(Point) ? "a bidirectional control"
                                                  : nullptr;
        if (What)
            throw ERequestError(
                Format("%s holds %s (U+%04X)", Name.c_str(), What, static_cast<unsigned>(Point)));
    }
    return *Points;
}

/// "1,3": the members mirrored, each once.
std::vector<bool> MirrorParam(const std::string& Text, std::size_t Count,
                              const TRequestDialect& Dialect) {
    std::vector<bool> Mirrored(Count, false);
    const TParamRange Range{1, static_cast<long>(Count)};
    std::string_view Rest = Text;
    while (true) {
        const std::size_t Comma = std::min(Rest.find(','), Rest.size());
        const auto Number = NumberIn(Rest.substr(0, Comma), Range, true);
        if (!Number || Mirrored[static_cast<std::size_t>(*Number - 1)])
            throw ERequestError(std::string(Dialect.Prefix) +
                                Format("mirror must be places of characters from 1 to %zu, "
                                       "each once, between commas",
                                       Count));
        Mirrored[static_cast<std::size_t>(*Number - 1)] = true;
        if (Comma == Rest.size())
            return Mirrored;
        Rest.remove_prefix(Comma + 1);
    }
}

/// The picture, and what tells its bytes from another's at the same path.
std::pair<std::shared_ptr<const TBitmap>, std::string> BackdropPicture(const std::string& File,
                                                                       const std::string& Name) {
    const auto Refuse = [&](std::string_view Why) {
        return ERequestError(Name + " " + File + ": " + std::string(Why));
    };
    std::error_code Error;
    const auto Size = std::filesystem::file_size(File, Error);
    if (Error)
        throw Refuse("cannot be read");
    if (Size > MaxPictureFileBytes)
        throw Refuse(Format("is larger than %zu MB", MaxPictureFileBytes >> 20));
    try {
        const std::vector<std::uint8_t> Bytes = ReadFileBytes(File);
        // Decoded first, which bounds its size; then two checksums and the size tell one
        // picture of the player's from the next at the same path.
        auto Picture = std::make_shared<const TBitmap>(DecodePicture(Bytes));
        const auto Length = static_cast<uInt>(Bytes.size());
        return {std::move(Picture),
                File + pelto::Format("#%zu-%08lX-%08lX", Bytes.size(),
                                     static_cast<unsigned long>(crc32(0, Bytes.data(), Length)),
                                     static_cast<unsigned long>(adler32(1, Bytes.data(), Length)))};
    } catch (const EWloError& Why) {
        throw Refuse(Why.Message());
    }
}

/// A colour ("RRGGBB", as the background is written), two of them top to bottom
/// ("RRGGBB-RRGGBB"), or on the command line a picture file.
void ReadBackdrop(const std::string& Text, const TRequestDialect& Dialect,
                  const std::string& Picture, TSceneRequest& Scene) {
    const std::string Name = std::string(Dialect.Prefix) + "backdrop";
    const std::size_t Dash = Text.find('-');
    const auto Top = ParseRgbHex(Text.substr(0, Dash));
    const auto Bottom = Dash == std::string::npos ? Top : ParseRgbHex(Text.substr(Dash + 1));
    if (Top && Bottom) {
        Scene.Backdrop = {RgbHexColor(*Top), RgbHexColor(*Bottom), nullptr};
        return;
    }
    const bool Files = &Dialect == &CommandLineDialect;
    if (!Files && (Picture.empty() || Text != "picture"))
        throw ERequestError(Name + " must be RRGGBB or RRGGBB-RRGGBB (top to bottom); pictures "
                                   "are for the command line");
    std::tie(Scene.Backdrop.Picture, Scene.BackdropFile) =
        BackdropPicture(Files ? Text : Picture, Name);
}

/// The bytes of Text as a key writes them, every one but letters and digits escaped.
std::string KeyText(std::string_view Text) {
    std::string Out;
    for (const char C : Text)
        Out += std::isalnum(static_cast<unsigned char>(C))
                   ? std::string(1, C)
                   : Format("%%%02X", static_cast<unsigned>(static_cast<unsigned char>(C)));
    return Out;
}

int SceneHeight(const TSceneRequest& Request) {
    return CanvasSize + (Request.Tagged() ? TagRowHeight : 0);
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

bool TSceneRequest::Tagged() const {
    return std::any_of(Tags.begin(), Tags.end(), [](const auto& Tag) { return !Tag.empty(); });
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
    Key += pelto::Format("&scale=%d&gap=%d", First.Options.Scale, Gap);
    // What the classic scenes lack comes last, so that their keys stay.
    if (Tagged())
        for (const std::u32string& Tag : Tags)
            Key += "&tag=" + KeyText(EncodeUtf8(Tag));
    for (std::size_t I = 0, Mirrored = 0; I < Members.size(); ++I)
        if (Members[I].Options.Flip)
            Key += pelto::Format(Mirrored++ == 0 ? "&mirror=%zu" : ",%zu", I + 1);
    if (Backdrop.Picture)
        Key += "&backdrop=file:" + KeyText(BackdropFile);
    else if (!Backdrop.Plain())
        Key += pelto::Format("&backdrop=%06X-%06X", RgbHex(Backdrop.Top), RgbHex(Backdrop.Bottom));
    return Key;
}

TSceneRequest ParseSceneRequest(std::span<const std::string> Characters,
                                const TRequestParams& Shared, const TRequestDialect& Dialect,
                                const TExportFormat* Format, std::span<const std::string> Tags,
                                const std::string& Picture) {
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
    if (Tags.size() > Characters.size())
        throw ERequestError(pelto::Format("%stag is given %zu times for %zu characters",
                                          std::string(Dialect.Prefix).c_str(), Tags.size(),
                                          Characters.size()));
    for (std::size_t I = 0; I < Tags.size(); ++I)
        Scene.Tags.push_back(TagParam(Tags[I], I, Dialect));
    if (!Scene.Tagged())
        Scene.Tags.clear();
    else
        Scene.Tags.resize(Characters.size());
    const auto Mirror = Shared.find("mirror");
    const std::vector<bool> Mirrored =
        Mirror == Shared.end() ? std::vector<bool>(Characters.size(), false)
                               : MirrorParam(Mirror->second, Characters.size(), Dialect);
    if (const auto Backdrop = Shared.find("backdrop"); Backdrop != Shared.end()) {
        if (Scene.Format->Transparent)
            throw ERequestError(std::string(Dialect.Prefix) +
                                "backdrop is for pictures that are not transparent");
        if (Shared.contains("background"))
            throw ERequestError(std::string(Dialect.Prefix) + "backdrop replaces " +
                                std::string(Dialect.Prefix) + "background: give one");
        ReadBackdrop(Backdrop->second, Dialect, Picture, Scene);
    }
    TRequestParams Params = Shared;
    for (const std::string_view Own : {"gap", "tag", "mirror", "backdrop"})
        Params.erase(std::string(Own));
    // A plain backdrop is the background, asked for another way: one picture, one key.
    if (Scene.Backdrop.Plain() && Shared.contains("backdrop"))
        Params.insert_or_assign("background", pelto::Format("%06X", RgbHex(Scene.Backdrop.Top)));
    for (std::size_t I = 0; I < Characters.size(); ++I) {
        const TSceneCharacter Character = ParseCharacter(Characters[I], I, Name);
        Params.insert_or_assign("code", Character.Code);
        // The shared parameters are checked as a render checks them, in the same words.
        TRenderRequest Member = ParseRenderRequest(Params, Dialect, Scene.Format);
        if (Member.Code.empty())
            throw ERequestError(pelto::Format("%s %zu has no code", Name.c_str(), I + 1));
        Member.Motion = Character.Motion.value_or(Member.Motion);
        Member.Direction = Character.Direction.value_or(Member.Direction);
        Member.Options.Flip = Mirrored[I];
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

namespace {

/// The name tags of a scene, drawn once for all of its frames.
class TSceneTags {
public:
    TSceneTags(const TSceneRequest& Request, const TBitmap* Backdrop) {
        if (!Request.Tagged())
            return;
        const TTextRasterizer Font(TagFontFile, TagPixelSize);
        const int Top = (TagRowHeight - Font.Ascent() - Font.Descent()) / 2;
        for (std::size_t I = 0; I < Request.Tags.size(); ++I) {
            if (Request.Tags[I].empty())
                continue;
            const int Cell = static_cast<int>(I) * (CanvasSize + Request.Gap);
            // Black or white, whichever reads on what is under the tag's row.
            const int Luma = Request.Format->Transparent ? 255
                             : Backdrop
                                 ? MeanLuma(*Backdrop, Cell, CanvasSize, CanvasSize, TagRowHeight)
                                 : MeanLuma(Plain(Request.Members[I].Background), 0, 0, 1, 1);
            TTextMask Mask = Font.Draw(Request.Tags[I]);
            const int Left = Cell + (CanvasSize - Mask.Width) / 2;
            FTags.push_back({std::move(Mask), Left, CanvasSize + Top,
                             Luma < 128 ? 0xFFFFFFu : 0x000000u, Cell});
        }
    }

    /// Puts the tags over Scene: blended where something is, opaque or not at all elsewhere,
    /// so a transparent picture's pixels stay opaque or clear.
    void Draw(TBitmap& Scene) const {
        for (const TTag& Tag : FTags)
            for (int Y = 0; Y < Tag.Mask.Height; ++Y) {
                const int SY = Tag.Top + Y;
                if (SY < 0 || SY >= Scene.Height())
                    continue;
                std::uint8_t* Row = Scene.ScanLine(SY);
                for (int X = 0; X < Tag.Mask.Width; ++X) {
                    const int SX = Tag.Left + X;
                    const int Cover = Tag.Mask.At(X, Y);
                    if (SX < Tag.Cell || SX >= Tag.Cell + CanvasSize || Cover == 0)
                        continue;
                    std::uint8_t* P = Row + static_cast<std::ptrdiff_t>(SX) * 4;
                    const int Ink = Tag.Ink & 0xFF;
                    if (P[3] == 0) {
                        if (Cover >= 128)
                            P[0] = P[1] = P[2] = static_cast<std::uint8_t>(Ink), P[3] = 255;
                        continue;
                    }
                    for (int C = 0; C < 3; ++C)
                        P[C] = static_cast<std::uint8_t>(
                            (P[C] * (255 - Cover) + Ink * Cover + 127) / 255);
                }
            }
    }

private:
    static TBitmap Plain(TColor Color) {
        TBitmap Pixel(1, 1, TPixelFormat::pf32bit);
        std::uint8_t* P = Pixel.ScanLine(0);
        P[0] = GetBValue(Color);
        P[1] = GetGValue(Color);
        P[2] = GetRValue(Color);
        P[3] = 255;
        return Pixel;
    }

    struct TTag {
        TTextMask Mask;
        int Left;
        int Top;
        unsigned Ink;
        int Cell;
    };
    std::vector<TTag> FTags;
};

} // namespace

void TPosedScene::Write(TStream& Stream) const {
    const TExportFormat& Format = *FRequest.Format;
    const TRenderRequest& First = FRequest.Members.front();
    const bool Still = IsStillFormat(Format);
    const bool Transparent = Format.Transparent;
    const bool Gif = Format.Kind == TExportKind::Gif;
    const TColor Behind = Transparent && Gif ? GifTransparentKey : First.Background;
    const int Width = SceneWidth(FRequest);
    const int Height = SceneHeight(FRequest);
    const TBox Whole{0, 0, Width, Height};
    const TFramePlacement Enlarged = PlaceFrames(Whole, First.Options.Scale, false, std::nullopt);
    const std::optional<TBitmap> Backdrop =
        FRequest.Backdrop.Plain() ? std::nullopt
                                  : std::optional(DrawBackdrop(FRequest.Backdrop, Width, Height));
    const TSceneTags Tags(FRequest, Backdrop ? &*Backdrop : nullptr);

    // Drawn at the canvas's size and enlarged once whole, as a render's frames are.
    const auto DrawStep = [&](int Step) {
        TBitmap Scene(Width, Height, TPixelFormat::pf32bit);
        Scene.Fill(0);
        for (std::size_t I = 0; I < FSessions.size(); ++I) {
            const TDrawChara& Chara = FSessions[I]->Chara();
            const int Frames = Chara.GetFrameCount();
            if (!Still && Frames == 0)
                continue;
            const int Frame = Still ? Chara.Frame() : Step % Frames + 1;
            const TFramePlacement Alone =
                PlaceFrames(TBox{}, 1, FRequest.Members[I].Options.Flip, std::nullopt);
            PlaceFrame(DrawCovered(Chara, {Chara.Motion(), Chara.Direction(), Frame}), Alone, Scene,
                       static_cast<int>(I) * (CanvasSize + FRequest.Gap), 0);
        }
        if (Transparent)
            Tags.Draw(Scene);
        if (Backdrop)
            PutBehind(Scene, *Backdrop);
        else if (!Transparent || Gif)
            PutBehind(Scene, Behind);
        if (!Transparent)
            Tags.Draw(Scene);
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
    const std::size_t Scene = static_cast<std::size_t>(SceneWidth(Request)) *
                              static_cast<std::size_t>(SceneHeight(Request));
    const std::size_t Scale = static_cast<std::size_t>(Request.Members.front().Options.Scale);
    const std::size_t Canvas = static_cast<std::size_t>(CanvasSize) * CanvasSize;
    // A backdrop that is not plain is drawn once, beside the picture it came from.
    const std::size_t Backdrop =
        (Request.Backdrop.Plain() ? 0 : Scene * 4) +
        (Request.Backdrop.Picture
             ? static_cast<std::size_t>(Request.Backdrop.Picture->Width()) *
                   static_cast<std::size_t>(Request.Backdrop.Picture->Height()) * 4
             : 0);
    // Each tag's coverage, at most its characters' squares.
    const std::size_t Tags = Request.Tags.size() * MaxTagCharacters * TagPixelSize * TagRowHeight;
    return DrawingWorkBytes(Request.Format->Animated, Longest, Scene * Scale * Scale, Scene) +
           Request.Members.size() * Canvas * 4 + Backdrop + Tags;
}

void RenderScene(const TGameData& Game, const TSceneRequest& Request, TStream& Stream) {
    TPosedScene(Game, Request).Write(Stream);
}

void RenderScene(const TGameData& Game, const TSceneRequest& Request, const std::string& FileName) {
    const TPosedScene Scene(Game, Request);
    WriteFileAtomically(FileName, [&](TStream& Stream) { Scene.Write(Stream); });
}

} // namespace pelto
