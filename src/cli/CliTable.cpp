#include "cli/CliTable.h"

#include "cli/CommandHandlers.h"
#include "codecs/PictureDecoder.h"
#include "export/FramePlacement.h"
#include "export/PictureExport.h"
#include "export/PictureFormats.h"
#include "game/GameFacts.h"
#include "game/wloutils.h"
#include "model/CharaDesign.h"
#include "platform/Version.h"
#include "requests/Parameters.h"
#include "requests/SceneRequest.h"
#include "service/Serve.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace pelto::cli {
namespace {

// --- the fixed words options take, from the program's tables -----------------------------------

/// The formats as the usage lists them: those of "Save Image As..." in its order, then the
/// others in the export dialog's.
constexpr auto FormatNames = [] {
    std::array<std::string_view, ExportFormats.size()> Names{};
    std::size_t Next = 0;
    for (const TExportFormat* Format : ClassicFormats)
        Names[Next++] = Format->Name;
    for (const TExportFormat& Format : ExportFormats)
        if (!Format.ClassicType)
            Names[Next++] = Format.Name;
    return Names;
}();

/// What --random varies, as the edits read it (requests/DesignEdits.cpp has no table of them).
constexpr std::array<std::string_view, 3> VaryNames{"items", "colors", "all"};

// The numbers of the request parameters, as the requests check them.
constexpr TParamRange Charas = RangeOf("chara");
constexpr TParamRange BodyGroups = RangeOf("group");
constexpr TParamRange Slots = RangeOf("slot");
constexpr TParamRange Motions = RangeOf("motion");
constexpr TParamRange Directions = RangeOf("direction");

// --- the facts help texts name ----------------------------------------------------------------

std::string RangeText(TParamRange Range) {
    return std::to_string(Range.Min) + ".." + std::to_string(Range.Max);
}

/// Words joined by Separator, the last two by Last: "a, b or c".
template <typename TWords>
std::string Joined(const TWords& Words, std::string_view Separator, std::string_view Last) {
    std::string Text;
    for (std::size_t I = 0; I < std::size(Words); ++I) {
        if (I > 0)
            Text += I + 1 == std::size(Words) ? Last : Separator;
        Text += Words[I];
    }
    return Text;
}

std::vector<std::string_view> FormatsWhere(bool (*Takes)(const TExportFormat&)) {
    std::vector<std::string_view> Names;
    for (const std::string_view Name : FormatNames)
        if (Takes(*FindExportFormat(Name)))
            Names.push_back(Name);
    return Names;
}

bool Served(const TExportFormat& Format) {
    return Format.Served;
}

bool Classic(const TExportFormat& Format) {
    return Format.ClassicType.has_value();
}

/// "0 Rocco, 1 Nina, ...": each of Names after its number, from First.
template <typename TNames> std::string Numbered(const TNames& Names, int First) {
    std::string Text;
    for (std::size_t I = 0; I < std::size(Names); ++I)
        Text += (I ? ", " : "") + std::to_string(First + static_cast<int>(I)) + " " +
                std::string(Names[I]);
    return Text;
}

std::string CharaNames() {
    std::vector<std::string_view> Names;
    for (const TCharaData& Chara : CharaData)
        Names.push_back(Chara.Name);
    return Numbered(Names, 0);
}

/// The labels of the bonuses as the search takes them: the resistance's also without its "(%)".
std::string BonusLabels() {
    std::string Text;
    for (const TWloStatusType& Type : WloStatusTypes) {
        std::string_view Label = Type.Label;
        if (Label.ends_with("(%)"))
            Label.remove_suffix(3);
        Text += (Text.empty() ? "" : " ") + std::string(Label);
    }
    return Text;
}

std::string DefaultListen() {
    const service::TServeConfig Defaults;
    return Defaults.Host + ":" + std::to_string(Defaults.Port);
}

// --- the commands and their options -------------------------------------------------------------

constexpr TCliOption GameOption{
    .Name = "game", .Placeholder = "DIR", .Paths = TPathKind::Folder, .Required = true};
constexpr TCliOption JsonSwitch{.Name = "json", .Kind = TArgKind::Switch};

constexpr std::array InfoOptions{
    GameOption,
    TCliOption{.Name = "chara",
               .Placeholder = "N",
               .Numbers = Charas,
               .Help =
                   "character ${range}: also each motion ${motions}, one line each, with "
                   "ACTION:FRAMES for each direction ${directions} (${facing} faces the viewer)"},
    TCliOption{.Name = "json", .Kind = TArgKind::Switch, .Help = "the same as JSON"},
};

constexpr std::array ItemsOptions{
    GameOption,
    TCliOption{.Name = "search",
               .Placeholder = "TEXT",
               .Help = "only the items whose name or description holds every word of TEXT, width, "
                       "case and katakana or hiragana ignored; a word \"#1234\" asks for item "
                       "identifier 1234, \"atk>=5\" for a bonus (labels ${bonus-labels}, with < <= "
                       "= != >= >)"},
    TCliOption{.Name = "group",
               .Placeholder = "G",
               .Numbers = BodyGroups,
               .Help = "body group ${range} and"},
    TCliOption{.Name = "slot",
               .Placeholder = "S",
               .Numbers = Slots,
               .With = "group",
               .Help = "slot ${range}: search that equipment list instead, in its order"},
    JsonSwitch,
};

constexpr std::array SpritesOptions{GameOption};

constexpr std::array ListOptions{
    GameOption,
    TCliOption{.Name = "group",
               .Placeholder = "G",
               .Numbers = BodyGroups,
               .Required = true,
               .Help = "body group ${range} (pelto-cli info gives each character's)"},
    TCliOption{.Name = "slot",
               .Placeholder = "S",
               .Numbers = Slots,
               .Required = true,
               .Help = "${numbered-slots}"},
};

constexpr std::array CodeOptions{
    GameOption,
    TCliOption{.Name = "CODE",
               .Kind = TArgKind::Word,
               .Placeholder = "CODE",
               .Help = "a character code as the viewer's code box takes it; an empty code gives an "
                       "empty line"},
    TCliOption{.Name = "from-image",
               .Placeholder = "FILE",
               .Paths = TPathKind::File,
               .Or = "CODE",
               .Help = "the code a picture exported by the viewer or by render carries (PNG, GIF, "
                       "JPEG or WebP); none: exit status 1"},
    TCliOption{.Name = "chara",
               .Placeholder = "N",
               .Numbers = Charas,
               .Heading = "Edits, applied in this order to the code's character (or to none):",
               .Help = "character ${range}; within its body group the items stay, to another group "
                       "they go; the colours go back to ${neutral}"},
    TCliOption{.Name = "reset-colors",
               .Kind = TArgKind::Switch,
               .Help = "every colour level back to ${neutral}"},
    TCliOption{.Name = "random",
               .Placeholder = "SEED",
               .Help =
                   "a random outfit, the same for the same SEED (0..2^64-1) and game: every "
                   "slot an item of its list, every colour position levels ${levels}; without a "
                   "character, one is chosen too"},
    TCliOption{.Name = "lock",
               .Placeholder = "SLOTS",
               .Under = "random",
               .Help = "what --random leaves as it is: slots ${slots} or ${slot-names}, and colour "
                       "positions ${color-positions}, separated by commas (1,6 or "
                       "head,special,color0)"},
    TCliOption{.Name = "vary",
               .Words = VaryNames,
               .Under = "random",
               .Help = "what --random changes: items, colors or all (default)"},
    TCliOption{.Name = "strip",
               .Placeholder = "SLOT",
               .Words = SlotNames,
               .Numbers = Slots,
               .Repeatable = true,
               .Help = "empties a slot, ${range} or its name; up to six times"},
    TCliOption{.Name = "wear",
               .Placeholder = "SLOT:ID",
               .Repeatable = true,
               .Help = "puts on the item of identifier ID (the items command lists them), refused "
                       "when the character cannot wear it there; up to six times, a later one in "
                       "the same slot winning"},
    TCliOption{.Name = "color",
               .Placeholder = "POS:R,G,B",
               .Repeatable = true,
               .Help = "the levels ${levels} of colour position ${positions}; up to four times"},
    TCliOption{.Name = "json",
               .Kind = TArgKind::Switch,
               .Help = "the design instead of the code: character, name, group, items with their "
                       "bonuses, colour levels, status lines, code, frames"},
};

constexpr auto CodeNotes = std::to_array<TCliNote>({
    {"", "A refused edit ends with exit status 1, naming the option and why."},
});

constexpr std::array RenderOptions{
    GameOption,
    TCliOption{
        .Name = "code",
        .Placeholder = "CODE[~M[~D]]",
        .Required = true,
        .Repeatable = true,
        .Help =
            "the character; given 2..${most-characters} times, the characters side by side from "
            "left to right in one ${scene-formats}, each as its render alone draws it, "
            "on one background, the same bytes as the service's /v1/scene.FORMAT. "
            "CODE~M~D gives that character motion M and direction D of its own, CODE~M "
            "only the motion; an animation lasts the longest action, the others "
            "starting over. --motion, --direction, --frame, --shadow, --background and "
            "--scale go for every character"},
    TCliOption{.Name = "chara",
               .Placeholder = "N",
               .Numbers = Charas,
               .Or = "code",
               .Help = "character ${range} (pelto-cli info lists them)"},
    TCliOption{.Name = "motion",
               .Placeholder = "M",
               .Numbers = Motions,
               .Help = "motion ${range}, default 0"},
    TCliOption{.Name = "direction",
               .Placeholder = "D",
               .Numbers = Directions,
               .Help = "direction ${range}, default ${facing} (facing the viewer); 0 faces the top "
                       "of the view, then counter-clockwise in 45 degree steps"},
    TCliOption{.Name = "frame",
               .Placeholder = "F",
               .Help = "frame of the action from 1, default 1 (pelto-cli info --chara N gives the "
                       "frame counts)"},
    TCliOption{.Name = "shadow", .Kind = TArgKind::Switch, .Help = "draws the character's shadow"},
    TCliOption{.Name = "background",
               .Placeholder = "[#]RRGGBB",
               .Help = "background colour, default FFFFFF"},
    TCliOption{.Name = "scale",
               .Placeholder = "N",
               .Numbers = RangeOf("scale"),
               .Help = "each pixel becomes N x N pixels, ${range}, default 1"},
    TCliOption{.Name = "delay",
               .Placeholder = "MS",
               .Numbers = RangeOf("delay"),
               .Help = "milliseconds a frame, ${range}: default ${default-delay}, and ${gif-delay} "
                       "for GIF"},
    TCliOption{.Name = "scope",
               .Words = ExportScopeNames,
               .Help =
                   "the actions of a sheet, bundle or aseprite file: action (default; all for a "
                   "bundle), directions (all eight of the motion) or all (every motion in every "
                   "direction)"},
    TCliOption{.Name = "motions",
               .Placeholder = "LIST",
               .Help = "the motions of a sheet, bundle or aseprite file instead of --scope's, in "
                       "the order given: 0,1,3"},
    TCliOption{.Name = "directions",
               .Placeholder = "LIST",
               .Help = "their directions instead of --scope's, in the order given: 4,5,6; or "
                       "engine (rows from the one facing the viewer clockwise: 4,3,2,1,0,7,6,5) "
                       "or game (0..7)"},
    TCliOption{.Name = "padding",
               .Placeholder = "N",
               .Numbers = RangeOf("padding"),
               .Help = "pixels between a sheet's cells and around them, ${range}, default 0"},
    TCliOption{.Name = "extrude",
               .Placeholder = "N",
               .Numbers = RangeOf("extrude"),
               .Help = "each frame's edge pixels repeated N times into the padding of a sheet, "
                       "${range}, default 0; the JSON's frames stay the frames alone"},
    TCliOption{.Name = "trim",
               .Kind = TArgKind::Switch,
               .Help = "crops every frame to the union of their drawn pixels"},
    TCliOption{.Name = "crop",
               .Words = ExportCropNames,
               .Help = "full (default), body (as --trim) or head (a square around the head's drawn "
                       "pixels, the same for every frame)"},
    TCliOption{
        .Name = "flip", .Kind = TArgKind::Switch, .Help = "mirrors every frame horizontally"},
    TCliOption{.Name = "canvas",
               .Placeholder = "WxH",
               .Help = "puts every frame on a picture of W x H pixels (${canvas-sides} a side)"},
    TCliOption{.Name = "anchor",
               .Words = CanvasAnchorNames,
               .Under = "canvas",
               .Help = "where on the canvas: feet (default; the feet centred, the shadow on the "
                       "bottom edge) or center"},
    TCliOption{.Name = "frame-names",
               .Words = FrameNamesNames,
               .Help = "a sheet's JSON names its frames pose (m1-d4-f2, default) or index (0, 1, "
                       "... as Phaser's createFromAseprite looks them up)"},
    TCliOption{.Name = "layers",
               .Kind = TArgKind::Switch,
               .Help = "a bundle also holds each frame's layers as PNGs"},
    TCliOption{.Name = "gap",
               .Placeholder = "N",
               .Numbers = RangeOf("gap"),
               .Help = "pixels between the characters before the scale, ${range}, default "
                       "${default-gap}"},
    TCliOption{.Name = "tag",
               .Placeholder = "TEXT",
               .Repeatable = true,
               .Help = "a name tag under a character of several, the first --tag under the first "
                       "--code and so on; UTF-8, Japanese too, at most ${most-tag-characters} "
                       "characters, none of them a control character or a bidirectional control; "
                       "an empty TEXT gives none. The picture grows by a row for the tags, "
                       "written black or white, whichever reads on the backdrop"},
    TCliOption{.Name = "mirror",
               .Placeholder = "LIST",
               .Help = "the characters mirrored horizontally, by their places from 1 in the order "
                       "of --code: 1,3"},
    TCliOption{.Name = "backdrop",
               .Placeholder = "RRGGBB[-RRGGBB]|FILE",
               .Help = "what several characters stand on instead of --background: a colour, "
                       "two colours from top to bottom, or a PNG, JPEG or BMP picture (at most "
                       "${most-picture-side} pixels a side and ${most-picture-mb} MB) scaled to "
                       "cover the picture and cut evenly at both ends; not for transparent "
                       "formats, whose characters stand on nothing"},
    TCliOption{.Name = "format",
               .Words = FormatNames,
               .Required = true,
               .Help =
                   "a leading t means transparent; gif, apng and webp hold every frame of the "
                   "action; a sheet holds the frames of --scope in rows of cells, with FILE's "
                   "name ending .json for their coordinates (Aseprite's JSON); a bundle is a ZIP "
                   "of every frame, the sheet and character.json; aseprite a layered Aseprite "
                   "file"},
    TCliOption{.Name = "out", .Placeholder = "FILE", .Paths = TPathKind::File, .Required = true},
};

constexpr auto RenderNotes = std::to_array<TCliNote>({
    {"", "Without --scale, --delay and --trim, ${classic-formats} are what the viewer's \"Save "
         "Image As...\" writes for the same state. Every other picture but a bitmap carries the "
         "character's code, as the viewer's Export... writes it, for the code command to read "
         "back."},
});

constexpr std::array ServeOptions{
    GameOption,
    TCliOption{.Name = "listen",
               .Placeholder = "HOST:PORT",
               .Help = "where to listen, default ${default-listen}; port 0 picks a free one. The "
                       "line \"listening on http://HOST:PORT\" tells where, once connections are "
                       "taken."},
    TCliOption{.Name = "threads",
               .Placeholder = "N",
               .Numbers = TParamRange{1, 256},
               .Help = "pictures drawn at once, ${range}, default one per core"},
    TCliOption{.Name = "memory-mb",
               .Placeholder = "N",
               .Numbers = TParamRange{64, 1 << 20},
               .Help =
                   "MiB the whole service may take, ${range}, default ${default-memory}: the "
                   "game files (twice, for a reload), 48 for the program, and of the rest a "
                   "quarter for the pictures being drawn, a quarter for the answers kept and "
                   "the others for decoded sprites. Too little for the game: it does not start"},
    TCliOption{.Name = "cache-mb",
               .Placeholder = "N",
               .Numbers = TParamRange{0, 1 << 20},
               .Help = "MiB of the memory for answers kept for later requests, ${range}, instead "
                       "of the quarter"},
    TCliOption{.Name = "public-url",
               .Placeholder = "URL",
               .Help = "http://HOST[:PORT] or https://HOST[:PORT] the service is reached at, for "
                       "the share page's links; without it they follow the request's Host only "
                       "where it names the listener or localhost at its port"},
    TCliOption{.Name = "metrics-listen",
               .Placeholder = "HOST:PORT",
               .Help =
                   "where /metrics is served (with /healthz), apart from the endpoints; none by "
                   "default. The line \"metrics on http://HOST:PORT\" follows the listening "
                   "line"},
};

constexpr auto ServeNotes = std::to_array<TCliNote>({
    {"", "SIGHUP loads the game folder again and serves it once loaded whole; when it cannot be "
         "loaded the game served stays, and standard error says why."},
    {"", "Endpoints (GET and HEAD):"},
    {"/render.FORMAT?code=CODE",
     "FORMAT ${served-format-list}; motion, direction, frame, shadow (0/1), background (RRGGBB), "
     "scale, delay, crop, flip (0/1), canvas and anchor as render's"},
    {"/v1/scene.FORMAT?c=CODE&c=CODE...",
     "FORMAT ${scene-format-list}; 1..${most-characters} characters side by side, each c CODE, "
     "CODE~M or "
     "CODE~M~D; motion, direction, frame, shadow, background, scale and gap as render's; tag "
     "(repeated, the first under the first c), mirror and backdrop (RRGGBB or RRGGBB-RRGGBB, no "
     "picture) as render's"},
    {"/items?search=TEXT&group=G&slot=S", "the items command's JSON"},
    {"/icon/ID.png", "an item's icon"},
    {"/, /c/CODE", "the share page, empty or on a character; motion, direction, scale, shadow and "
                   "background (RRGGBB or transparent) as render's"},
    {"/code/CODE.json", "what a code holds: character, items, colours"},
    {"/design.json?code=CODE",
     "a code with the code command's edits: chara, reset-colors (0/1), random, lock, vary, strip, "
     "wear and color, as the code command tells them with its JSON"},
    {"/healthz, /metrics", "health, and Prometheus metrics (/metrics only on --metrics-listen)"},
    {"/v1/...", "all of these but the pages and /metrics, the same answers, readable by other "
                "sites (CORS)"},
    {"/v1/openapi.json", "the OpenAPI description of the endpoints"},
});

constexpr std::array DiffOptions{
    TCliOption{.Name = "old",
               .Placeholder = "DIR",
               .Paths = TPathKind::Folder,
               .Required = true,
               .Help = "the installation before the update"},
    TCliOption{.Name = "new",
               .Placeholder = "DIR",
               .Paths = TPathKind::Folder,
               .Required = true,
               .Help = "the installation after it"},
    TCliOption{.Name = "json",
               .Kind = TArgKind::Switch,
               .Help =
                   "the same as one JSON object, keys sorted: the same two installations always "
                   "give the same bytes"},
    TCliOption{.Name = "html",
               .Placeholder = "DIR",
               .Paths = TPathKind::Folder,
               .Help = "also writes DIR/index.html, a page of every change without script, and its "
                       "pictures in DIR/pictures: each item added, removed or drawn otherwise on a "
                       "character of each body group that wears it, before and after (PNG at scale "
                       "2, default colours, facing the viewer), with the items' icons"},
    TCliOption{.Name = "chara",
               .Placeholder = "N",
               .Numbers = Charas,
               .Help = "the pictures on character ${range} only (with --html)"},
    TCliOption{.Name = "codes",
               .Placeholder = "FILE",
               .Paths = TPathKind::File,
               .Help = "character codes, one a line: those the update touches"},
    TCliOption{.Name = "favorites",
               .Placeholder = "SETTINGS",
               .Paths = TPathKind::File,
               .Help = "the favourites of a settings file: those it touches"},
};

constexpr auto DiffNotes = std::to_array<TCliNote>({
    {"", "Items are paired by identifier and each change is named by its field as items --json "
         "names it. A sprite counts as changed when what it shows changed, not how it is stored; a "
         "list move is an item that changed places among the others, not one shifted by the items "
         "added or removed before it. The first line counts each kind of change."},
});

constexpr std::array DemoOptions{
    TCliOption{.Name = "out",
               .Placeholder = "DIR",
               .Paths = TPathKind::Folder,
               .Required = true,
               .Help = "the folder to write, created with its parents"},
    TCliOption{.Name = "scale",
               .Words = DemoScaleNames,
               .Help = "small (default): enough to try the viewer; full: as large as a real "
                       "installation, for benchmarks"},
};

constexpr std::array GameFolderOptions{
    TCliOption{.Name = "settings",
               .Placeholder = "FILE",
               .Paths = TPathKind::File,
               .Help = "the settings file to read or write; without it the viewer's own (pelto.ini "
                       "beside pelto, or ~/.config/pelto/pelto.ini)"},
    TCliOption{.Name = "set",
               .Placeholder = "DIR",
               .Paths = TPathKind::Folder,
               .Help = "checks that DIR is a game folder, saves it as the viewer's game folder and "
                       "prints it"},
};

constexpr std::array Commands{
    TCliCommand{.Name = "info",
                .Summary = "the characters; with --chara, the actions and frame counts of its "
                           "motions",
                .Options = InfoOptions,
                .Run = InfoCommand},
    TCliCommand{.Name = "items",
                .Summary = "the item table, one record a line (or a JSON array)",
                .Options = ItemsOptions,
                .Run = ItemsCommand},
    TCliCommand{.Name = "sprites",
                .Summary = "the sprite catalogue, name=archive",
                .Options = SpritesOptions,
                .Run = SpritesCommand},
    TCliCommand{.Name = "list",
                .Summary = "the equipment list of a body group and slot",
                .Options = ListOptions,
                .Run = ListCommand},
    TCliCommand{.Name = "code",
                .Summary = "applies a character code and edits, prints the normalised code",
                .Options = CodeOptions,
                .Run = CodeCommand,
                .Notes = CodeNotes},
    TCliCommand{.Name = "render",
                .Summary = "draws the character and saves it as the viewer does",
                .Options = RenderOptions,
                .Run = RenderCommand,
                .Notes = RenderNotes},
    TCliCommand{.Name = "serve",
                .Summary = "serves pictures, items and icons over HTTP until SIGTERM or SIGINT",
                .Options = ServeOptions,
                .Run = ServeCommand,
                .Notes = ServeNotes},
    TCliCommand{.Name = "diff",
                .Summary = "what changed from one game installation to another",
                .Options = DiffOptions,
                .Run = DiffCommand,
                .Notes = DiffNotes},
    TCliCommand{.Name = "demo",
                .Summary = "writes a synthetic game installation",
                .Options = DemoOptions,
                .Run = DemoCommand},
    TCliCommand{.Name = "game-folder",
                .Summary = "the game folder the viewer would find, or --set it",
                .Options = GameFolderOptions,
                .Run = GameFolderCommand,
                .Intro = "Without --set: the game folder the viewer would find without asking: "
                         "the one in its settings file, the Wine registry's, or a default folder."},
};

} // namespace

std::span<const TCliCommand> CliCommands() {
    return Commands;
}

const TCliCommand* FindCliCommand(std::string_view Name) {
    const auto Found =
        std::find_if(Commands.begin(), Commands.end(),
                     [&](const TCliCommand& Command) { return Command.Name == Name; });
    return Found == Commands.end() ? nullptr : &*Found;
}

const TCliOption* FindCliOption(const TCliCommand& Command, std::string_view Name) {
    const auto Found = std::find_if(Command.Options.begin(), Command.Options.end(),
                                    [&](const TCliOption& Option) { return Option.Name == Name; });
    return Found == Command.Options.end() ? nullptr : &*Found;
}

const std::map<std::string, std::string, std::less<>>& HelpFacts() {
    static const std::map<std::string, std::string, std::less<>> Facts{
        {"version", std::string(ProgramVersion)},
        {"charas", RangeText(Charas)},
        {"chara-names", CharaNames()},
        {"groups", RangeText(BodyGroups)},
        {"slots", RangeText(Slots)},
        {"slot-names", Joined(SlotNames, ", ", ", ")},
        {"numbered-slots", Numbered(SlotNames, 1)},
        {"motions", RangeText(Motions)},
        {"directions", RangeText(Directions)},
        {"facing", std::to_string(DefaultDirection)},
        {"neutral", std::to_string(NeutralLevel)},
        {"levels", RangeText({0, MaxLevel})},
        {"positions", RangeText({0, ColorPositionCount - 1})},
        {"numbered-positions", Numbered(ColorPositionNames, 0)},
        {"color-positions", "color0..color" + std::to_string(ColorPositionCount - 1)},
        {"bonus-labels", BonusLabels()},
        {"most-characters", std::to_string(MaxSceneCharacters)},
        {"scene-formats", Joined(SceneFormatNames, ", ", " or ")},
        {"scene-format-list", Joined(SceneFormatNames, " ", " ")},
        {"served-formats", Joined(FormatsWhere(Served), ", ", " or ")},
        {"served-format-list", Joined(FormatsWhere(Served), " ", " ")},
        {"classic-formats", Joined(FormatsWhere(Classic), ", ", " and ")},
        {"default-delay", std::to_string(DefaultExportDelay)},
        {"gif-delay", std::to_string(ClassicGifExportDelay)},
        {"canvas-sides", RangeText({1, MaxExportCanvasSide})},
        {"default-gap", std::to_string(DefaultSceneGap)},
        {"most-tag-characters", std::to_string(MaxTagCharacters)},
        {"tag-row", std::to_string(TagRowHeight)},
        {"most-picture-side", std::to_string(MaxDecodedSide)},
        {"most-picture-mb", std::to_string(MaxPictureFileBytes >> 20)},
        {"default-listen", DefaultListen()},
        {"default-memory", std::to_string(service::TServeConfig{}.MemoryBytes >> 20)},
    };
    return Facts;
}

std::string ExpandFacts(std::string_view Text, const TCliOption* Option,
                        std::string (*Escape)(std::string_view)) {
    std::string Expanded;
    for (std::size_t Start = 0;;) {
        const std::size_t Open = Text.find("${", Start);
        if (Open == std::string_view::npos)
            return Expanded += Text.substr(Start);
        const std::size_t Close = Text.find('}', Open);
        if (Close == std::string_view::npos)
            throw std::logic_error("unclosed ${ in a help text");
        Expanded += Text.substr(Start, Open - Start);
        const std::string_view Name = Text.substr(Open + 2, Close - Open - 2);
        const TCliOption* Ranged = Name == "range" ? Option : nullptr;
        if (const std::size_t Dashes = Name.find(" --"); Dashes != std::string_view::npos) {
            const TCliCommand* Command = FindCliCommand(Name.substr(0, Dashes));
            Ranged = Command ? FindCliOption(*Command, Name.substr(Dashes + 3)) : nullptr;
        }
        std::string Value;
        if (Ranged && Ranged->Numbers) {
            Value = RangeText(*Ranged->Numbers);
        } else {
            const auto Fact = HelpFacts().find(Name);
            if (Fact == HelpFacts().end())
                throw std::logic_error("no fact ${" + std::string(Name) + "} for a help text");
            Value = Fact->second;
        }
        Expanded += Escape ? Escape(Value) : Value;
        Start = Close + 1;
    }
}

} // namespace pelto::cli
