#include "cli/CliCommands.h"

#include "cli/CliArgs.h"
#include "demo/DemoInstallation.h"
#include "diff/DiffHtml.h"
#include "diff/DiffReport.h"
#include "diff/GameDiff.h"
#include "export/ClassicSave.h"
#include "export/PictureCode.h"
#include "export/PictureExport.h"
#include "game/wloutils.h"
#include "model/CharaCode.h"
#include "model/CharaDesign.h"
#include "requests/DesignEdits.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/GameFolder.h"
#include "model/ItemListing.h"
#include "model/ItemSearch.h"
#include "model/Settings.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/Json.h"
#include "platform/Paths.h"
#include "platform/ShiftJis.h"
#include "platform/Text.h"
#include "platform/Version.h"
#include "requests/CodeSummary.h"
#include "requests/ItemJson.h"
#include "requests/RenderRequest.h"
#include "requests/SceneRequest.h"
#include "service/Serve.h"
#include "sprites/wlojmajmp.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <utility>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <sstream>
#include <string_view>
#include <thread>

namespace pelto::cli {
namespace {

constexpr std::string_view ProgramName = "pelto-cli";

constexpr int LastChara = static_cast<int>(CharaData.size()) - 1;

/// What one command is given: its words after its name, and where the program runs from.
struct TCommandCall {
    const std::vector<std::string>& Words;
    const std::string& ExecutablePath;
    std::ostream& Out;
    /// Standard output itself, for a command that reports while it runs.
    std::ostream& Live;
};

/// The game folder Dir, checked as the viewer checks it, with its trailing delimiter.
std::string CheckedGameFolder(const std::string& Dir) {
    if (!IsWloFolder(Dir))
        throw EWloError("Not a game folder (it needs jma, pic and data/Item.Dat): " + Dir);
    return IncludeTrailingPathDelimiter(Dir);
}

/// The game folder named by --game.
std::string GameFolder(const TCliArgs& Args) {
    return CheckedGameFolder(Args.Required("game"));
}

/// A whole decimal number within Min..Max.
long ParseNumber(const std::string& Option, const std::string& Text, long Min, long Max) {
    const auto Value = ParseWholeNumber(Text);
    if (!Value || *Value < Min || *Value > Max)
        throw EUsageError("--" + Option + " must be a number from " + std::to_string(Min) + " to " +
                          std::to_string(Max));
    return *Value;
}

long NumberOption(const TCliArgs& Args, const std::string& Option, long Default, long Min,
                  long Max) {
    const auto Text = Args.Value(Option);
    return Text ? ParseNumber(Option, *Text, Min, Max) : Default;
}

/// What dressing and drawing a character needs of the game of Folder: the icon file, the
/// biggest of all, is not read. A damaged file ends the command.
std::unique_ptr<TGameData> LoadGame(const std::string& Folder) {
    return OpenGame(Folder, {});
}

/// What drawing the characters given needs of the game of Folder, read only as far as drawing
/// them asks: a render's start-up is most of its time.
std::unique_ptr<TGameData> LoadGameToDraw(const std::string& Folder) {
    return OpenGame(Folder, {.OnDemand = true});
}

/// Applies a code as the viewer's Set button does: an empty code is ignored.
void ApplyCode(TDressingSession& Session, const std::string& Code) {
    if (!Code.empty())
        Session.ApplyCode(Code);
}

/// The table indices of the records items prints: all of them, or those --search finds, in
/// table order or, with --group and --slot, in that equipment list's order.
std::vector<int> ItemsToPrint(const TCliArgs& Args, const TGameData& Game) {
    const auto Group = Args.Value("group");
    const auto Slot = Args.Value("slot");
    if (Group.has_value() != Slot.has_value())
        throw EUsageError("--group and --slot go together");
    const TItemQuery Query = TItemQuery::Parse(Args.Value("search").value_or(""));
    std::optional<TListChoice> List;
    if (Group) {
        List = TListChoice{static_cast<int>(ParseNumber("group", *Group, 0, 3)),
                           static_cast<int>(ParseNumber("slot", *Slot, 1, 6))};
    }
    return MatchingItems(Game, Query, List);
}

void ItemsCommand(const TCommandCall& Call) {
    const TCliArgs Args(Call.Words, {"game", "search", "group", "slot"}, {"json"});
    const auto Game = OpenGame(GameFolder(Args), {.Sprites = false});
    const std::vector<int> Indices = ItemsToPrint(Args, *Game);
    if (Args.Flag("json")) {
        Call.Out << ItemsJson(*Game, Indices);
        return;
    }
    for (const int I : Indices)
        Call.Out << SjisToUtf8(Game->Items().GetName(I)) << "\n";
}

void SpritesCommand(const TCommandCall& Call) {
    const TCliArgs Args(Call.Words, {"game"}, {});
    const auto Game = OpenGame(GameFolder(Args), {.ItemTable = false});
    const TJmaList& List = Game->JmaList();
    for (int I = 0; I < List.Count(); ++I)
        Call.Out << List.Line(I) << "\n";
}

void ListCommand(const TCommandCall& Call) {
    const TCliArgs Args(Call.Words, {"game", "group", "slot"}, {});
    const std::string Folder = GameFolder(Args);
    const long Group = ParseNumber("group", Args.Required("group"), 0, 3);
    const long Slot = ParseNumber("slot", Args.Required("slot"), 1, 6);
    const auto Game = OpenGame(Folder, {.Sprites = false});
    for (const TEquipEntry& Entry : Game->EquipList()->GetList(Group, Slot))
        Call.Out << SjisToUtf8(Entry.Text()) << "\n";
}

/// The code the picture FileName carries; raises when it carries none.
std::string PictureCode(const std::string& FileName) {
    auto Code = ReadPictureCodeFile(FileName);
    if (!Code) {
        EWloError None("The picture carries no character code");
        None.SetFileName(FileName);
        throw None;
    }
    return std::move(*Code);
}

/// The edits of the code command, as ParseDesignEdits takes them.
TEditParams EditParams(const TCliArgs& Args) {
    TEditParams Params;
    for (const std::string_view View : EditNames) {
        const std::string Name(View);
        if (Name == "reset-colors") {
            if (Args.Flag(Name))
                Params.emplace(Name, "");
            continue;
        }
        for (const std::string& Value : Args.Values(Name))
            Params.emplace(Name, Value);
    }
    return Params;
}

void CodeCommand(const TCommandCall& Call) {
    const TCliArgs Args(
        Call.Words,
        {"game", "from-image", "chara", "random", "lock", "vary", "strip", "wear", "color"},
        {"reset-colors", "json"}, 1, {"strip", "wear", "color"});
    const auto Image = Args.Value("from-image");
    const TDesignEdits Edits = ParseDesignEdits(EditParams(Args), CommandLineEdits);
    const bool Json = Args.Flag("json");
    const bool Positional = !Args.Positional().empty();
    if ((Image && Positional) || (!Image && !Positional && Edits.Empty()))
        throw EUsageError("code needs one CODE or --from-image FILE, or edits");
    const std::string Folder = GameFolder(Args);
    const std::string Code = Image ? PictureCode(*Image) : Positional ? Args.Positional()[0] : "";
    // The JSON gives an icon's address only for an item the icon file has an icon for.
    const auto Game = Json ? OpenGame(Folder, {.ItemIcons = true}) : LoadGame(Folder);
    if (Edits.Empty() && !Json) {
        TDressingSession Session(*Game);
        ApplyCode(Session, Code);
        Call.Out << Session.Code() << "\n";
        return;
    }
    const TCharaDesign Base = Code.empty() ? TCharaDesign() : DesignOfCode(Code, *Game);
    const TCharaDesign Design = ApplyDesignEdits(Base, *Game, Edits, CommandLineEdits);
    if (!Json)
        Call.Out << CodeOfDesign(Design) << "\n";
    else if (Design.Chara < 0)
        throw EWloError("no character is chosen: --json needs a code or an edit that chooses one");
    else
        Call.Out << DesignJson(*Game, Design);
}

// --- info ------------------------------------------------------------------------------------

std::string CharaText(int Index) {
    const TCharaData& Chara = CharaData[static_cast<std::size_t>(Index)];
    return Format("%d: %.*s, body group %d", Index, static_cast<int>(Chara.Name.size()),
                  Chara.Name.data(), Chara.BodyGroup);
}

std::string CharaJsonFields(int Index) {
    const TCharaData& Chara = CharaData[static_cast<std::size_t>(Index)];
    return "\"index\":" + std::to_string(Index) + ",\"name\":" + JsonString(Chara.Name) +
           ",\"body_group\":" + std::to_string(Chara.BodyGroup);
}

std::string MotionRowText(int Motion, const TMotionFrames& Row) {
    std::string Text = Format("motion %2d:", Motion);
    for (const TActionFrames& Entry : Row)
        Text += Format(" %2d:%d", Entry.Action, Entry.Frames);
    return Text;
}

std::string MotionRowJson(int Motion, const TMotionFrames& Row) {
    std::string Json = "{\"motion\":" + std::to_string(Motion) + ",\"directions\":[";
    for (int Direction = 0; Direction < static_cast<int>(Row.size()); ++Direction) {
        const TActionFrames& Entry = Row[static_cast<std::size_t>(Direction)];
        Json += Format("%s{\"direction\":%d,\"action\":%d,\"frames\":%d}", Direction ? "," : "",
                       Direction, Entry.Action, Entry.Frames);
    }
    return Json + "]}";
}

void ListCharas(bool Json, std::ostream& Out) {
    if (Json)
        Out << "[";
    for (int Index = 0; Index <= LastChara; ++Index) {
        if (Json)
            Out << (Index ? ",\n" : "\n") << "{" << CharaJsonFields(Index) << "}";
        else
            Out << CharaText(Index) << "\n";
    }
    if (Json)
        Out << "\n]\n";
}

void DescribeChara(const std::string& Folder, int Index, bool Json, std::ostream& Out) {
    const auto Game = LoadGame(Folder);
    TDressingSession Session(*Game);
    Session.SetChara(Index);
    Out << (Json ? "{" + CharaJsonFields(Index) + ",\"motions\":[" : CharaText(Index)) << "\n";
    const std::vector<TMotionFrames> Table = Session.FrameTable();
    const int LastMotion = static_cast<int>(Table.size()) - 1;
    for (int Motion = 0; Motion <= LastMotion; ++Motion) {
        const TMotionFrames& Row = Table[static_cast<std::size_t>(Motion)];
        if (Json)
            Out << MotionRowJson(Motion, Row) << (Motion < LastMotion ? ",\n" : "\n");
        else
            Out << MotionRowText(Motion, Row) << "\n";
    }
    if (Json)
        Out << "]}\n";
}

void InfoCommand(const TCommandCall& Call) {
    const TCliArgs Args(Call.Words, {"game", "chara"}, {"json"});
    const auto Chara = Args.Value("chara");
    const long Index = Chara ? ParseNumber("chara", *Chara, 0, LastChara) : 0;
    const std::string Folder = GameFolder(Args);
    if (Chara)
        DescribeChara(Folder, static_cast<int>(Index), Args.Flag("json"), Call.Out);
    else
        ListCharas(Args.Flag("json"), Call.Out);
}

// --- render ----------------------------------------------------------------------------------

/// Options Names, then More.
std::vector<std::string> OptionNames(std::span<const std::string_view> Names,
                                     std::initializer_list<std::string_view> More) {
    std::vector<std::string> All(Names.begin(), Names.end());
    All.insert(All.end(), More.begin(), More.end());
    return All;
}

void RenderCommand(const TCommandCall& Call) {
    const TRequestDialect& Dialect = CommandLineDialect;
    const TCliArgs Args(Call.Words, OptionNames(Dialect.Values, {"game", "out", "gap"}),
                        OptionNames(Dialect.Flags, {}), 0, {"code"});
    TRequestParams Params;
    for (const std::string_view Name : Dialect.Values)
        if (const auto Value = Args.Value(std::string(Name)))
            Params.emplace(Name, *Value);
    for (const std::string_view Name : Dialect.Flags)
        if (Args.Flag(std::string(Name)))
            Params.emplace(Name, "");
    Args.Required("format");
    const std::vector<std::string> Codes = Args.Values("code");
    if (Codes.size() > 1) {
        // Several characters: the service's scene, byte for byte.
        Params.erase("code");
        if (const auto Gap = Args.Value("gap"))
            Params.emplace("gap", *Gap);
        const TSceneRequest Scene = ParseSceneRequest(Codes, Params, Dialect);
        const std::string OutFile = Args.Required("out");
        const auto Game = LoadGameToDraw(GameFolder(Args));
        RenderScene(*Game, Scene, OutFile);
        return;
    }
    if (Args.Value("gap"))
        throw EUsageError("--gap is for more than one --code");
    const TRenderRequest Request = ParseRenderRequest(Params, Dialect);
    const std::string OutFile = Args.Required("out");
    const auto Game = LoadGameToDraw(GameFolder(Args));
    Render(*Game, Request, OutFile);
}

// --- diff ------------------------------------------------------------------------------------

/// The codes of the file FileName, one a line.
std::vector<TNamedDesign> CodesOfFile(const std::string& FileName) {
    if (!FileExists(FileName))
        throw EWloError("Code file not found: " + FileName);
    return WithFileName(FileName, [&] {
        const std::vector<std::uint8_t> Bytes = ReadFileBytes(FileName);
        return CodesOfText(
            std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
    });
}

void DiffCommand(const TCommandCall& Call) {
    const TCliArgs Args(Call.Words, {"old", "new", "html", "chara", "codes", "favorites"},
                        {"json"});
    const std::string OldFolder = CheckedGameFolder(Args.Required("old"));
    const std::string NewFolder = CheckedGameFolder(Args.Required("new"));
    const auto Html = Args.Value("html");
    std::optional<int> Chara;
    if (const auto Text = Args.Value("chara")) {
        if (!Html)
            throw EUsageError("--chara chooses who wears the pictures of --html");
        Chara = static_cast<int>(ParseNumber("chara", *Text, 0, LastChara));
    }
    std::vector<TNamedDesign> Codes;
    if (const auto File = Args.Value("codes"))
        Codes = CodesOfFile(*File);
    std::vector<TNamedDesign> Favorites;
    if (const auto File = Args.Value("favorites"))
        Favorites = FavoritesOfSettings(*File);
    const auto Old = OpenGameForDiff(OldFolder, Html.has_value());
    const auto New = OpenGameForDiff(NewFolder, Html.has_value());
    TGameDiff Diff = CompareGames(*Old, *New);
    Diff.Codes = TouchedDesigns(Diff, *Old, *New, Codes);
    Diff.Favorites = TouchedDesigns(Diff, *Old, *New, Favorites);
    if (Html)
        WriteDiffHtml(Diff, *Old, *New, *Html, Chara);
    Call.Out << (Args.Flag("json") ? DiffJson(Diff) : DiffText(Diff));
}

// --- demo and game-folder --------------------------------------------------------------------

void DemoCommand(const TCommandCall& Call) {
    const TCliArgs Args(Call.Words, {"out", "scale"}, {});
    const std::string Scale = Args.Value("scale").value_or("small");
    if (Scale != "small" && Scale != "full")
        throw EUsageError("--scale must be small or full");
    WriteDemoInstallation(Args.Required("out"),
                          Scale == "full" ? TDemoScale::Full : TDemoScale::Small);
}

/// The settings file of --settings, else the one of the viewer `pelto` beside pelto-cli.
std::string SettingsFile(const TCliArgs& Args, const std::string& ExecutablePath) {
    if (const auto File = Args.Value("settings"))
        return *File;
    return SettingsFilePath(ExtractFilePath(ExecutablePath) + "pelto");
}

/// Saves Dir as the viewer's game folder; returns it as saved: absolute, since the viewer
/// may start from any folder, with its trailing delimiter.
std::string SaveGameFolder(const std::string& File, const std::string& Dir) {
    const std::string Folder =
        CheckedGameFolder(std::filesystem::absolute(Dir).lexically_normal().string());
    TIniFile Ini(File);
    pelto::SaveGameFolder(Ini, Folder);
    return Folder;
}

void GameFolderCommand(const TCommandCall& Call) {
    const TCliArgs Args(Call.Words, {"settings", "set"}, {});
    const std::string File = SettingsFile(Args, Call.ExecutablePath);
    if (const auto Dir = Args.Value("set")) {
        Call.Out << SaveGameFolder(File, *Dir) << "\n";
        return;
    }
    // The viewer's own file may well not exist yet; one named by hand is expected to.
    if (Args.Value("settings") && !FileExists(File))
        throw EWloError("Settings file not found: " + File);
    TPeltoSettings Settings;
    LoadSettings(TIniFile(File), Settings);
    const std::string Folder = FindWloPath(Settings.WloPath);
    if (Folder.empty())
        throw EWloError("No game folder found");
    Call.Out << Folder << "\n";
}

// --- serve ---------------------------------------------------------------------------------

void ServeCommand(const TCommandCall& Call) {
    const TCliArgs Args(
        Call.Words,
        {"game", "listen", "threads", "memory-mb", "cache-mb", "public-url", "metrics-listen"}, {});
    service::TServeConfig Config;
    Config.GameFolder = GameFolder(Args);
    if (const auto Listen = Args.Value("listen");
        Listen && !service::ParseListenAddress(*Listen, Config))
        throw EUsageError("--listen must be HOST:PORT, PORT 0..65535");
    const long Cores = std::max(1u, std::thread::hardware_concurrency());
    Config.Threads = static_cast<int>(NumberOption(Args, "threads", Cores, 1, 256));
    Config.MemoryBytes = static_cast<std::size_t>(NumberOption(Args, "memory-mb", 512, 64, 1 << 20))
                         << 20;
    if (Args.Value("cache-mb"))
        Config.CacheBytes = static_cast<std::size_t>(NumberOption(Args, "cache-mb", 0, 0, 1 << 20))
                            << 20;
    if (const auto Url = Args.Value("public-url")) {
        const auto Origin = service::ParsePublicUrl(*Url);
        if (!Origin)
            throw EUsageError("--public-url must be http://HOST[:PORT] or https://HOST[:PORT], "
                              "without a path, query or fragment");
        Config.PublicUrl = *Origin;
    }
    if (const auto Metrics = Args.Value("metrics-listen")) {
        Config.MetricsListen.emplace();
        if (!service::ParseListenAddress(*Metrics, *Config.MetricsListen))
            throw EUsageError("--metrics-listen must be HOST:PORT, PORT 0..65535");
    }
    service::Serve(Config, Call.Live);
}

// --- the command table and its usage ---------------------------------------------------------

struct TCommand {
    std::string_view Name;
    std::string_view Synopsis; // the options; lines after the first are indented
    std::string_view Summary;  // what it does, in the list of all commands
    std::string_view Details;  // its options and their ranges, in its own usage
    void (*Handler)(const TCommandCall&);
};

constexpr std::array Commands{
    TCommand{"info", "--game DIR [--chara N] [--json]",
             "the characters; with --chara, the actions and frame counts of its motions",
             R"(  --chara N   character 0..14: also each motion 0..18, one line each, with
              ACTION:FRAMES for each direction 0..7 (4 faces the viewer)
  --json      the same as JSON
)",
             InfoCommand},
    TCommand{"items", "--game DIR [--search TEXT [--group G --slot S]] [--json]",
             "the item table, one record a line (or a JSON array)",
             R"(  --search TEXT   only the items whose name or description holds every word of
                  TEXT, width, case and katakana or hiragana ignored; a word
                  "#1234" asks for item identifier 1234, "atk>=5" for a bonus
                  (labels HP SP ATK DEF SPD MATK MDEF 射撃対抗力, with < <= = != >= >)
  --group G       body group 0..3 and
  --slot S        slot 1..6: search that equipment list instead, in its order
)",
             ItemsCommand},
    TCommand{"sprites", "--game DIR", "the sprite catalogue, name=archive", "", SpritesCommand},
    TCommand{"list", "--game DIR --group G --slot S", "the equipment list of a body group and slot",
             R"(  --group G   body group 0..3 (pelto-cli info gives each character's)
  --slot S    1 head, 2 body, 3 hand, 4 arm, 5 shoes, 6 special
)",
             ListCommand},
    TCommand{"code", R"(--game DIR [CODE | --from-image FILE] [--chara N]
              [--reset-colors] [--random SEED [--lock SLOTS] [--vary items|colors|all]]
              [--strip SLOT]... [--wear SLOT:ID]... [--color POS:R,G,B]... [--json])",
             "applies a character code and edits, prints the normalised code",
             R"(  CODE                a character code as the viewer's code box takes it; an
                      empty code gives an empty line
  --from-image FILE   the code a picture exported by the viewer or by render
                      carries (PNG, GIF, JPEG or WebP); none: exit status 1
Edits, applied in this order to the code's character (or to none):
  --chara N           character 0..14; within its body group the items stay, to
                      another group they go; the colours go back to 4
  --reset-colors      every colour level back to 4
  --random SEED       a random outfit, the same for the same SEED (0..2^64-1) and
                      game: every slot an item of its list, every colour position
                      levels 0..9; without a character, one is chosen too
  --lock SLOTS        what --random leaves as it is: slots 1..6 or head, body,
                      hand, arm, shoes, special, and colour positions color0..color3,
                      separated by commas (1,6 or head,special,color0)
  --vary WHAT         what --random changes: items, colors or all (default)
  --strip SLOT        empties a slot, 1..6 or its name; up to six times
  --wear SLOT:ID      puts on the item of identifier ID (the items command lists
                      them), refused when the character cannot wear it there; up
                      to six times, a later one in the same slot winning
  --color POS:R,G,B   the levels 0..9 of colour position 0..3; up to four times
  --json              the design instead of the code: character, name, group, items
                      with their bonuses, colour levels, status lines, code, frames
A refused edit ends with exit status 1, naming the option and why.
)",
             CodeCommand},
    TCommand{"render", R"(--game DIR (--code CODE[~M[~D]]... | --chara N) [--motion M]
              [--direction D] [--frame F] [--shadow] [--background [#]RRGGBB]
              [--scale N] [--delay MS] [--scope action|directions|all] [--trim]
              [--crop full|body|head] [--flip] [--canvas WxH [--anchor feet|center]]
              [--frame-names pose|index] [--layers] [--gap N]
              --format bmp|jpg|png|tpng|gif|tgif|apng|tapng|webp|twebp|sheet|tsheet
                       |bundle|tbundle|aseprite
              --out FILE)",
             "draws the character and saves it as the viewer does",
             R"(  --code CODE     the character; given 2..8 times, the characters side by
                  side from left to right in one png, tpng, gif, apng or webp,
                  each as its render alone draws it, on one background, the same
                  bytes as the service's /v1/scene.FORMAT. CODE~M~D gives that
                  character motion M and direction D of its own, CODE~M only
                  the motion; an animation lasts the longest action, the others
                  starting over. --motion, --direction, --frame, --shadow,
                  --background and --scale go for every character
  --gap N         pixels between the characters before the scale, 0..64,
                  default 8
  --chara N       character 0..14 (pelto-cli info lists them)
  --motion M      motion 0..18, default 0
  --direction D   direction 0..7, default 4 (facing the viewer); 0 faces the top of
                  the view, then counter-clockwise in 45 degree steps
  --frame F       frame of the action from 1, default 1 (pelto-cli info --chara N
                  gives the frame counts)
  --background    background colour, default FFFFFF
  --format        a leading t means transparent; gif, apng and webp hold every
                  frame of the action; a sheet holds the frames of --scope in rows
                  of cells, with FILE's name ending .json for their coordinates
                  (Aseprite's JSON); a bundle is a ZIP of every frame, the sheet and
                  character.json; aseprite a layered Aseprite file
  --scale N       each pixel becomes N x N pixels, 1..8, default 1
  --delay MS      milliseconds a frame, 20..5000: default 167, and 160 for GIF
  --scope         the actions of a sheet, bundle or aseprite file: action
                  (default; all for a bundle), directions (all eight of the motion)
                  or all (every motion in every direction)
  --trim          crops every frame to the union of their drawn pixels
  --crop          full (default), body (as --trim) or head (a square around the
                  head's drawn pixels, the same for every frame)
  --flip          mirrors every frame horizontally
  --canvas WxH    puts every frame on a picture of W x H pixels (1..2048 a side)
  --anchor        where on the canvas: feet (default; the feet centred, the shadow
                  on the bottom edge) or center
  --frame-names   a sheet's JSON names its frames pose (m1-d4-f2, default) or index
                  (0, 1, ... as Phaser's createFromAseprite looks them up)
  --layers        a bundle also holds each frame's layers as PNGs
Without --scale, --delay and --trim, bmp, jpg, png, tpng, gif and tgif are what the
viewer's "Save Image As..." writes for the same state. Every other picture but a bitmap
carries the character's code, as the viewer's Export... writes it, for the code
command to read back.
)",
             RenderCommand},
    TCommand{"serve", R"(--game DIR [--listen HOST:PORT] [--threads N]
              [--memory-mb N] [--cache-mb N] [--public-url URL]
              [--metrics-listen HOST:PORT])",
             "serves pictures, items and icons over HTTP until SIGTERM or SIGINT",
             R"(  --listen HOST:PORT   where to listen, default 127.0.0.1:8080; port 0 picks a
                       free one. The line "listening on http://HOST:PORT" tells
                       where, once connections are taken.
  --threads N          pictures drawn at once, 1..256, default one per core
  --memory-mb N        MiB the whole service may take, 64..1048576, default 512:
                       the game files (twice, for a reload), 48 for the program,
                       and of the rest a quarter for the pictures being drawn, a
                       quarter for the answers kept and the others for decoded
                       sprites. Too little for the game: it does not start
  --cache-mb N         MiB of the memory for answers kept for later requests,
                       0..1048576, instead of the quarter
  --public-url URL     http://HOST[:PORT] or https://HOST[:PORT] the service is
                       reached at, for the share page's links; without it they
                       follow the request's Host only where it names the
                       listener or localhost at its port
  --metrics-listen HOST:PORT   where /metrics is served (with /healthz), apart
                       from the endpoints; none by default. The line "metrics
                       on http://HOST:PORT" follows the listening line
SIGHUP loads the game folder again and serves it once loaded whole; when it
cannot be loaded the game served stays, and standard error says why.
Endpoints (GET and HEAD):
  /render.FORMAT?code=CODE   FORMAT png tpng jpg bmp gif tgif apng tapng webp
                             twebp; motion, direction, frame, shadow (0/1),
                             background (RRGGBB), scale, delay, crop, flip
                             (0/1), canvas and anchor as render's
  /v1/scene.FORMAT?c=CODE&c=CODE...   FORMAT png tpng gif apng webp; 1..8
                             characters side by side, each c CODE, CODE~M or
                             CODE~M~D; motion, direction, frame, shadow, background,
                             scale and gap as render's
  /items?search=TEXT&group=G&slot=S   the items command's JSON
  /icon/ID.png               an item's icon
  /, /c/CODE                 the share page, empty or on a character; motion,
                             direction, scale, shadow and background (RRGGBB
                             or transparent) as render's
  /code/CODE.json            what a code holds: character, items, colours
  /design.json?code=CODE     a code with the code command's edits: chara,
                             reset-colors (0/1), random, lock, vary, strip,
                             wear and color, as the code command tells
                             them with its JSON
  /healthz, /metrics         health, and Prometheus metrics
                             (/metrics only on --metrics-listen)
  /v1/...                    all of these but the pages and /metrics, the
                             same answers, readable by other sites (CORS)
  /v1/openapi.json           the OpenAPI description of the endpoints
)",
             ServeCommand},
    TCommand{"diff", R"(--old DIR --new DIR [--json] [--html DIR] [--chara N]
              [--codes FILE] [--favorites SETTINGS])",
             "what changed from one game installation to another",
             R"(  --old DIR, --new DIR   the installations before and after the update
  --json                 the same as one JSON object, keys sorted: the same two
                         installations always give the same bytes
  --html DIR             also writes DIR/index.html, a page of every change without
                         script, and its pictures in DIR/pictures: each item added,
                         removed or drawn otherwise on a character of each body group
                         that wears it, before and after (PNG at scale 2, default
                         colours, facing the viewer), with the items' icons
  --chara N              the pictures on character 0..14 only (with --html)
  --codes FILE           character codes, one a line: those the update touches
  --favorites SETTINGS   the favourites of a settings file: those it touches
Items are paired by identifier and each change is named by its field as items
--json names it. A sprite counts as changed when what it shows changed, not how
it is stored; a list move is an item that changed places among the others, not
one shifted by the items added or removed before it. The first line counts each
kind of change.
)",
             DiffCommand},
    TCommand{"demo", "--out DIR [--scale small|full]", "writes a synthetic game installation",
             R"(  --out DIR   the folder to write, created with its parents
  --scale     small (default): enough to try the viewer; full: as large as a real
              installation, for benchmarks
)",
             DemoCommand},
    TCommand{"game-folder", "[--settings FILE] [--set DIR]",
             "the game folder the viewer would find, or --set it",
             R"(Without --set: the game folder the viewer would find without asking: the one
in its settings file, the Wine registry's, or a default folder.
  --settings FILE   the settings file to read or write; without it the viewer's own
                    (pelto.ini beside pelto, or ~/.config/pelto/pelto.ini)
  --set DIR         checks that DIR is a game folder, saves it as the viewer's game
                    folder and prints it
)",
             GameFolderCommand},
};

const TCommand* FindCommand(const std::string& Name) {
    for (const TCommand& Command : Commands)
        if (Command.Name == Name)
            return &Command;
    return nullptr;
}

std::string CommandUsage(const TCommand& Command) {
    std::string Usage = "usage: " + std::string(ProgramName) + " " + std::string(Command.Name) +
                        " " + std::string(Command.Synopsis) + "\n" + std::string(Command.Summary) +
                        "\n";
    if (!Command.Details.empty())
        Usage += "\n" + std::string(Command.Details);
    return Usage;
}

std::string WholeUsage() {
    std::string Usage = R"(usage: pelto-cli COMMAND [options]
       pelto-cli COMMAND --help    the options of one command
       pelto-cli --help | --version

commands:
)";
    for (const TCommand& Command : Commands) {
        Usage +=
            Format("  %-11.*s %.*s\n", static_cast<int>(Command.Name.size()), Command.Name.data(),
                   static_cast<int>(Command.Synopsis.size()), Command.Synopsis.data());
        Usage += "                  " + std::string(Command.Summary) + "\n";
    }
    return Usage + "\nexit status: 0 done, 1 the work failed, 2 a usage error\n";
}

bool IsHelpWord(const std::string& Word) {
    return Word == "--help" || Word == "-h";
}

/// Runs what Args ask for; raises for every error.
void Dispatch(const std::vector<std::string>& Args, const TCommand* Command,
              const std::string& ExecutablePath, std::ostream& Out) {
    if (Args.empty())
        throw EUsageError("no command given");
    if (IsHelpWord(Args[0])) {
        Out << WholeUsage();
        return;
    }
    if (Args[0] == "--version") {
        if (Args.size() > 1)
            throw EUsageError("unexpected word '" + Args[1] + "'");
        Out << ProgramName << " " << ProgramVersion << "\n";
        return;
    }
    if (!Command)
        throw EUsageError("unknown command " + Args[0]);
    const std::vector<std::string> Words(Args.begin() + 1, Args.end());
    std::ostringstream Result; // shown only when the whole command succeeds
    Command->Handler({Words, ExecutablePath, Result, Out});
    Out << Result.str();
}

/// One line: a message holds a line break only if a file name does.
std::string OneLine(std::string Text) {
    for (char& C : Text)
        if (C == '\n' || C == '\r')
            C = ' ';
    return Text;
}

/// Error on the error stream, and the exit status for it: 2 and a pointer to the command's
/// help for a usage error, 1 for anything else.
int ReportError(const std::exception& Error, const TCommand* Command, std::ostream& Err) {
    if (FaultOf(Error) == TFault::Usage) {
        const std::string HelpCommand =
            std::string(ProgramName) + (Command ? " " + std::string(Command->Name) : "");
        Err << ProgramName << ": " << OneLine(Error.what()) << "\nTry '" << HelpCommand
            << " --help'.\n";
        return 2;
    }
    Err << ProgramName << ": " << OneLine(ErrorText(Error, ": ")) << "\n";
    return 1;
}

} // namespace

int Run(const std::vector<std::string>& Args, const std::string& ExecutablePath, std::ostream& Out,
        std::ostream& Err) {
    const TCommand* Command = Args.empty() ? nullptr : FindCommand(Args[0]);
    try {
        Dispatch(Args, Command, ExecutablePath, Out);
        Out << std::flush;
        return 0;
    } catch (const EHelpRequested&) {
        Out << (Command ? CommandUsage(*Command) : WholeUsage()) << std::flush;
        return 0;
    } catch (const std::exception& E) {
        return ReportError(E, Command, Err);
    }
}

} // namespace pelto::cli
