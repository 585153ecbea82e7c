#include "export/BundleExport.h"

#include "codecs/ImageEncoders.h"
#include "codecs/ZipWriter.h"
#include "export/ExportFrames.h"
#include "export/SheetExport.h"
#include "game/wloutils.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/OrderedWork.h"
#include "platform/Paths.h"
#include "platform/ShiftJis.h"
#include "platform/Version.h"

#include <boost/json.hpp>

#include <filesystem>
#include <optional>
#include <system_error>

namespace pelto {
namespace json = boost::json;
namespace {

constexpr std::string_view SheetName = "sheet.png";

std::vector<std::uint8_t> Bytes(const TMemoryStream& Stream) {
    const auto Memory = Stream.Memory();
    return {Memory.begin(), Memory.end()};
}

std::vector<std::uint8_t> Bytes(std::string_view Text) {
    return {Text.begin(), Text.end()};
}

/// One frame, or one of its layers, laid out and encoded as the bundle's PNG.
std::vector<std::uint8_t> FramePng(const TDrawChara& Chara, const TExportOptions& Options,
                                   const TFramePlacement& Placement, TBitmap Frame) {
    const bool Transparent = Options.Format->Transparent;
    if (!Transparent)
        PutBehind(Frame, Chara.BackColor());
    const TBitmap Picture =
        PlacedFrame(Frame, Placement, Transparent ? 0 : OpaquePixel(Chara.BackColor()));
    TMemoryStream Png;
    if (Transparent)
        SavePngRgbaToStream(Picture, Png);
    else
        SavePngRgbToStream(Picture, Png);
    return Bytes(Png);
}

std::vector<std::uint8_t> LayerPng(const TDrawChara& Chara, const TFramePlacement& Placement,
                                   int Layer, const TPose& Pose) {
    const TBitmap Picture = PlacedFrame(DrawLayerCovered(Chara, Layer, Pose), Placement);
    TMemoryStream Png;
    SavePngRgbaToStream(Picture, Png);
    return Bytes(Png);
}

std::string ReadmeText(const TExportOptions& Options, const TFramePlacement& Placement,
                       bool Layers) {
    std::string Text =
        "A character of Wonderland ONLINE, drawn by PELTO in Wonderland " +
        std::string(ProgramVersion) + ".\n\n" +
        Format(
            "frames/m{M}-d{D}-f{F}.png  frame F (from 1) of motion M (0..%d) facing direction D\n"
            "                           (0..%d; 0 faces the top of the view, counter-clockwise in\n"
            "                           45 degree steps, %d faces the viewer)\n",
            LastMotion, LastDirection, DefaultDirection);
    if (Layers)
        Text += "layers/m{M}-d{D}-f{F}/NN Name.png  the parts of that frame, bottom first\n"
                "                           (shadow, body, worn items, head); laid over each\n"
                "                           other in that order they make the frame\n";
    Text += "sheet.png, sheet.json      the same frames in rows of cells, one row an action,\n"
            "                           with Aseprite's JSON (Hash): a tag m{M}-d{D} per\n"
            "                           action, and a pivot per frame at the character's feet\n"
            "character.json             the character's code, items, colour levels, and the\n"
            "                           action number and frame count of every motion\n\n";
    Text += Format("Every frame is %d x %d pixels, %s; the feet are at (%g, %g).\n",
                   Placement.Width, Placement.Height,
                   Options.Format->Transparent ? "on a transparent background"
                                               : "on the background colour",
                   Placement.PivotX(), Placement.PivotY());
    Text += "Paste the code into the viewer's code box to bring the character back.\n";
    return Text;
}

/// The sheet's picture, written aside before the archive, which reads it from there.
class TSheetFile {
public:
    explicit TSheetFile(const std::string& BundleName)
        : FPath(ExtractFilePath(BundleName) + "." + ExtractFileName(BundleName) + ".sheet") {}
    ~TSheetFile() {
        std::error_code Ignored;
        std::filesystem::remove(FPath, Ignored);
    }
    TSheetFile(const TSheetFile&) = delete;
    TSheetFile& operator=(const TSheetFile&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

// A member a line, and so the lists of items and motions an entry a line.
TJsonBreaks CharacterBreaks(const json::value& Container, int Depth) {
    return Depth == 0 || (Depth == 1 && IsRecordList(Container)) ? MemberLines : TJsonBreaks{};
}

} // namespace

std::string CharacterJson(const TDrawChara& Chara, const std::string& Code) {
    const TCharaData& Data = CharaData[static_cast<std::size_t>(Chara.Chara())];
    json::array Items;
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        if (const TWLOItemData* Item = Chara.GetPart(Slot))
            Items.push_back(
                {{"slot", Slot}, {"id", Item->ItemID()}, {"name", SjisToUtf8(Item->Name())}});
    json::array Levels;
    for (int Position = 0; Position < 4; ++Position)
        Levels.push_back({Chara.GetColor(Position, 0), Chara.GetColor(Position, 1),
                          Chara.GetColor(Position, 2)});
    json::array Motions;
    for (std::uint8_t M = 0; M < MotionActions.size(); ++M) {
        json::array Directions;
        for (std::uint8_t D = 0; D < MotionActions[M].size(); ++D)
            Directions.push_back({{"direction", D},
                                  {"action", MotionActions[M][D]},
                                  {"frames", Chara.GetFrameCount(M, D)}});
        Motions.push_back({{"motion", M}, {"directions", std::move(Directions)}});
    }
    const json::value Character{
        {"code", Code},
        {"character",
         {{"index", Chara.Chara()}, {"name", Data.Name}, {"bodyGroup", Data.BodyGroup}}},
        {"items", std::move(Items)},
        {"levels", std::move(Levels)},
        {"motions", std::move(Motions)}};
    return JsonText(Character, {TJsonSpacing::Spaced, 2, CharacterBreaks}) + "\n";
}

TExportShape ExportBundle(const TDrawChara& Chara, const TExportOptions& Options,
                          const std::string& FileName, const TExportProgress& Progress) {
    std::vector<TScopeAction> Actions = ScopeActions(Chara, Options);
    const std::vector<TPose> Poses = ScopePoses(Actions);
    const std::vector<int> Layers = Options.Layers ? Chara.DrawnLayers() : std::vector<int>{};
    const int Frames = static_cast<int>(Poses.size());
    // The sheet's own drawings, made beside the pictures, are not counted: one picture a frame
    // takes their place.
    TProgressCounter Counter(Progress, SheetDrawings(Actions, Options));

    TExportOptions SheetOptions = Options;
    SheetOptions.Format = FindExportFormat(Options.Format->Transparent ? "tsheet" : "sheet");
    const TSheetLayout Layout = LayOutSheet(Chara, SheetOptions, std::move(Actions), Counter);
    const TFramePlacement& Placement = Layout.Placement;
    const TSheetFile Sheet(FileName);
    // The sheet is one stream, written beside the pictures; it stops when they fail.
    TWorkBeside SheetWriting([&](const std::atomic<bool>& Stop) {
        TProgressCounter SheetCounter([&](int, int) { return !Stop; }, Frames);
        WriteFileAtomically(Sheet.Path(), [&](TStream& Stream) {
            WriteSheetPng(Chara, SheetOptions, Layout, Stream, SheetCounter);
        });
    });

    // Every frame, then each of its layers, drawn and encoded ahead on every core and written
    // in this order.
    struct TPicture {
        TPose Pose;
        std::optional<std::size_t> Layer;
    };
    std::vector<TPicture> Pictures;
    for (const TPose& Pose : Poses) {
        Pictures.push_back({Pose, std::nullopt});
        for (std::size_t I = 0; I < Layers.size(); ++I)
            Pictures.push_back({Pose, I});
    }
    TOrderedWork<std::vector<std::uint8_t>> Pngs(
        Pictures.size(), WorkThreads(), [&](std::size_t I) {
            const TPicture& Picture = Pictures[I];
            return Picture.Layer
                       ? LayerPng(Chara, Placement, Layers[*Picture.Layer], Picture.Pose)
                       : FramePng(Chara, Options, Placement, DrawCovered(Chara, Picture.Pose));
        });
    WriteFileAtomically(FileName, [&](TStream& Stream) {
        TZipWriter Zip(Stream);
        for (const TPicture& Picture : Pictures) {
            const std::string Name =
                Picture.Layer ? Format("layers/%s/%02d %s.png", PoseName(Picture.Pose).c_str(),
                                       static_cast<int>(*Picture.Layer + 1),
                                       LayerName(Chara, Layers[*Picture.Layer]).c_str())
                              : "frames/" + PoseName(Picture.Pose) + ".png";
            Zip.Add(
                Name,
                [&, Frame = !Picture.Layer] {
                    auto Png = Pngs.Next();
                    if (Frame)
                        Counter.Step();
                    return Png;
                },
                false);
        }
        Zip.Add(
            std::string(SheetName),
            [&] {
                SheetWriting.Wait();
                return ReadFileBytes(Sheet.Path());
            },
            false);
        const std::string Json = SheetJson(SheetOptions, Layout, SheetName);
        Zip.Add(
            "sheet.json", [&] { return Bytes(Json); }, true);
        Zip.Add(
            "character.json", [&] { return Bytes(CharacterJson(Chara, Chara.GetCode())); }, true);
        Zip.Add(
            "README.txt", [&] { return Bytes(ReadmeText(Options, Placement, !Layers.empty())); },
            true);
        Zip.Finish();
    });
    return {Placement.Width, Placement.Height, Frames};
}

} // namespace pelto
