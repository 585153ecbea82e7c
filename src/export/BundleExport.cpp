#include "export/BundleExport.h"

#include "codecs/ImageEncoders.h"
#include "codecs/ZipWriter.h"
#include "export/ExportFrames.h"
#include "export/SheetExport.h"
#include "game/wloutils.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/Paths.h"
#include "platform/ShiftJis.h"
#include "platform/Version.h"

#include <boost/json.hpp>

#include <filesystem>
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
    std::vector<TScopeAction> Actions = ScopeActions(Chara, Options.Scope);
    const std::vector<TPose> Poses = ScopePoses(Actions);
    const std::vector<int> Layers = Options.Layers ? Chara.DrawnLayers() : std::vector<int>{};
    const int Frames = static_cast<int>(Poses.size());
    TProgressCounter Counter(Progress, SheetDrawings(Actions, Options) + Frames);

    TExportOptions SheetOptions = Options;
    SheetOptions.Format = FindExportFormat(Options.Format->Transparent ? "tsheet" : "sheet");
    const TSheetLayout Layout = LayOutSheet(Chara, SheetOptions, std::move(Actions), Counter);
    const TFramePlacement& Placement = Layout.Placement;
    const TSheetFile Sheet(FileName);
    WriteFileAtomically(Sheet.Path(), [&](TStream& Stream) {
        WriteSheetPng(Chara, SheetOptions, Layout, Stream, Counter);
    });

    WriteFileAtomically(FileName, [&](TStream& Stream) {
        TZipWriter Zip(Stream);
        for (const TPose& Pose : Poses) {
            Zip.Add(
                "frames/" + PoseName(Pose) + ".png",
                [&, Pose] {
                    auto Png = FramePng(Chara, Options, Placement, DrawCovered(Chara, Pose));
                    Counter.Step();
                    return Png;
                },
                false);
            for (std::size_t I = 0; I < Layers.size(); ++I)
                Zip.Add(
                    Format("layers/%s/%02d %s.png", PoseName(Pose).c_str(), static_cast<int>(I + 1),
                           LayerName(Chara, Layers[I]).c_str()),
                    [&, Pose, I] { return LayerPng(Chara, Placement, Layers[I], Pose); }, false);
        }
        Zip.AddFile(std::string(SheetName), Sheet.Path(), false);
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
