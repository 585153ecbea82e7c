#include "cli/CliCommands.h"

#include "cli/CliArgs.h"
#include "cli/Json.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/GameFolder.h"
#include "model/ImageExport.h"
#include "model/Settings.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/ShiftJis.h"
#include "sprites/wlojmajmp.h"
#include "writers/DemoInstallation.h"

#include <array>
#include <charconv>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string_view>

namespace pelto::cli {
namespace {

constexpr std::string_view Usage = R"(usage: pelto-cli COMMAND --game DIR [options]

commands:
  items   --game DIR [--json]    the item table, one record a line (or a JSON array)
  sprites --game DIR             the sprite catalogue, name=archive
  list    --game DIR --group G --slot S
                                 the equipment list of body group G (0..3) and slot S (1..6)
  code    --game DIR CODE        applies a character code, prints the normalised code
  render  --game DIR (--code CODE | --chara N) [--motion M] [--direction D]
          [--frame F] [--shadow] [--background RRGGBB]
          --format bmp|jpg|png|tpng|gif|tgif --out FILE
                                 draws the character and saves it as the viewer does
  demo    --out DIR [--scale small|full]
                                 writes a synthetic game installation
  game-folder [--settings FILE]  the game folder the viewer would find without asking
                                 (its settings file, the Wine registry, the default folders)
)";

/// The game folder named by --game, checked as the viewer checks it.
std::string GameFolder(const TCliArgs& Args) {
    const std::string Dir = Args.Required("game");
    if (!IsWloFolder(Dir))
        throw EWloError("Not a game folder (it needs jma, pic and data/Item.Dat): " + Dir);
    return IncludeTrailingPathDelimiter(Dir);
}

/// A whole decimal (or, with Base 16, hexadecimal) number within Min..Max.
long ParseNumber(const std::string& Option, const std::string& Text, long Min, long Max,
                 int Base = 10) {
    long Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value, Base);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size() || Value < Min ||
        Value > Max)
        throw EUsageError("--" + Option + " must be a number from " + std::to_string(Min) + " to " +
                          std::to_string(Max));
    return Value;
}

long NumberOption(const TCliArgs& Args, const std::string& Option, long Default, long Min,
                  long Max) {
    const auto Text = Args.Value(Option);
    return Text ? ParseNumber(Option, *Text, Min, Max) : Default;
}

/// The whole game of Folder, loaded as the viewer loads it.
std::unique_ptr<TGameData> LoadGame(const std::string& Folder) {
    auto Game = std::make_unique<TGameData>(Folder);
    Game->LoadAll();
    return Game;
}

/// Applies a code as the viewer's Set button does: an empty code is ignored.
void ApplyCode(TDressingSession& Session, const std::string& Code) {
    if (!Code.empty())
        Session.ApplyCode(Code);
}

template <typename T, std::size_t N> std::string JsonArray(const std::array<T, N>& Values) {
    std::string Out = "[";
    for (std::size_t I = 0; I < N; ++I)
        Out += (I ? "," : "") + std::to_string(Values[I]);
    return Out + "]";
}

std::string ItemJson(int Index, const TWLOItemData& Item) {
    std::array<unsigned, 4> Sprites{};
    for (int G = 0; G < 4; ++G)
        Sprites[G] = Item.SpriteNo(G);
    const std::array<unsigned, 2> StatTypes{Item.StatType(0), Item.StatType(1)};
    const std::array<long, 2> StatValues{Item.StatValue(0), Item.StatValue(1)};
    std::array<unsigned long, 16> Colors{};
    for (int W = 0; W < 16; ++W)
        Colors[W] = Item.ColorWord(W);
    std::ostringstream Out;
    Out << "{\"index\":" << Index << ",\"kind\":" << unsigned{Item.Kind()}
        << ",\"id\":" << Item.ItemID() << ",\"icon\":" << Item.IconNo()
        << ",\"sprite\":" << JsonArray(Sprites) << ",\"stat_type\":" << JsonArray(StatTypes)
        << ",\"stat_value\":" << JsonArray(StatValues) << ",\"slot\":" << unsigned{Item.Slot()}
        << ",\"colors\":" << JsonArray(Colors) << ",\"list_number\":" << unsigned{Item.ListNumber()}
        << ",\"name\":" << JsonString(SjisToUtf8(Item.Name()))
        << ",\"text\":" << JsonString(SjisToUtf8(Item.Text())) << "}";
    return Out.str();
}

void ItemsCommand(const std::vector<std::string>& Words, std::ostream& Out) {
    const TCliArgs Args(Words, {"game"}, {"json"});
    const std::string Folder = GameFolder(Args);
    TWLOItemDataFile Items;
    Items.LoadFromFile(Folder + std::string(ItemTableFileName));
    const bool Json = Args.Flag("json");
    if (Json)
        Out << "[";
    for (int I = 1; I < Items.GetCount(); ++I) {
        if (Json)
            Out << (I > 1 ? ",\n" : "\n")
                << ItemJson(I, *static_cast<const TWLOItemData*>(Items.GetData(I)));
        else
            Out << SjisToUtf8(Items.GetName(I)) << "\n";
    }
    if (Json)
        Out << "\n]\n";
}

void SpritesCommand(const std::vector<std::string>& Words, std::ostream& Out) {
    const TCliArgs Args(Words, {"game"}, {});
    const std::string Folder = GameFolder(Args);
    TJmaList List;
    List.Scan(Folder + std::string(JmaFolderName), "*.jma");
    for (int I = 0; I < List.Count(); ++I)
        Out << List.Line(I) << "\n";
}

void ListCommand(const std::vector<std::string>& Words, std::ostream& Out) {
    const TCliArgs Args(Words, {"game", "group", "slot"}, {});
    const std::string Folder = GameFolder(Args);
    const long Group = ParseNumber("group", Args.Required("group"), 0, 3);
    const long Slot = ParseNumber("slot", Args.Required("slot"), 1, 6);
    TGameData Game(Folder);
    Game.LoadItemTable();
    Game.BuildEquipList();
    for (const TEquipEntry& Entry : Game.EquipList()->GetList(Group, Slot))
        Out << SjisToUtf8(Entry.Text()) << "\n";
}

void CodeCommand(const std::vector<std::string>& Words, std::ostream& Out) {
    const TCliArgs Args(Words, {"game"}, {});
    if (Args.Positional().size() != 1)
        throw EUsageError("code needs exactly one CODE");
    const auto Game = LoadGame(GameFolder(Args));
    TDressingSession Session(*Game);
    ApplyCode(Session, Args.Positional()[0]);
    Out << Session.Code() << "\n";
}

TImageFileType ParseFormat(const std::string& Name) {
    if (const TImageFormat* Format = FindImageFormat(Name))
        return Format->Type;
    std::string Names;
    for (const TImageFormat& Format : ImageFormats)
        Names += (Names.empty() ? "" : ", ") + std::string(Format.Name);
    throw EUsageError("--format must be one of " + Names);
}

void RenderCommand(const std::vector<std::string>& Words, std::ostream&) {
    const TCliArgs Args(
        Words,
        {"game", "code", "chara", "motion", "direction", "frame", "background", "format", "out"},
        {"shadow"});
    if (Args.Value("code").has_value() == Args.Value("chara").has_value())
        throw EUsageError("render needs either --code or --chara");
    const TImageFileType Type = ParseFormat(Args.Required("format"));
    const std::string OutFile = Args.Required("out");
    const long Motion = NumberOption(Args, "motion", 0, 0, 18);
    const long Direction = NumberOption(Args, "direction", 4, 0, 7);
    const long Frame = NumberOption(Args, "frame", 1, 1, 255);
    const std::string Background = Args.Value("background").value_or("FFFFFF");
    if (Background.size() != 6)
        throw EUsageError("--background must be six hexadecimal digits RRGGBB");
    const long Rgb = ParseNumber("background", Background, 0, 0xFFFFFF, 16);
    const std::string Folder = GameFolder(Args);

    const auto Game = LoadGame(Folder);
    TDressingSession Session(*Game);
    if (const auto Code = Args.Value("code"))
        ApplyCode(Session, *Code);
    else
        Session.SetChara(static_cast<int>(ParseNumber("chara", *Args.Value("chara"), 0, 14)));
    Session.SetShadow(Args.Flag("shadow"));
    Session.SetBackColor(RGBColor(static_cast<std::uint8_t>(Rgb >> 16),
                                  static_cast<std::uint8_t>(Rgb >> 8),
                                  static_cast<std::uint8_t>(Rgb)));
    Session.SetMotion(static_cast<std::uint8_t>(Motion));
    Session.SetDirection(static_cast<std::uint8_t>(Direction));
    Session.SetFrame(static_cast<int>(Frame));
    Session.SaveImage(Type, OutFile);
}

void DemoCommand(const std::vector<std::string>& Words, std::ostream&) {
    const TCliArgs Args(Words, {"out", "scale"}, {});
    const std::string Scale = Args.Value("scale").value_or("small");
    if (Scale != "small" && Scale != "full")
        throw EUsageError("--scale must be small or full");
    WriteDemoInstallation(Args.Required("out"),
                          Scale == "full" ? TDemoScale::Full : TDemoScale::Small);
}

void GameFolderCommand(const std::vector<std::string>& Words, std::ostream& Out) {
    const TCliArgs Args(Words, {"settings"}, {});
    TPeltoSettings Settings;
    if (const auto File = Args.Value("settings"))
        LoadSettings(TIniFile(*File), Settings);
    const std::string Folder = FindWloPath(Settings.WloPath);
    if (Folder.empty())
        throw EWloError("No game folder found");
    Out << Folder << "\n";
}

struct TCommand {
    std::string_view Name;
    void (*Handler)(const std::vector<std::string>&, std::ostream&);
};

constexpr std::array Commands{
    TCommand{"items", ItemsCommand},
    TCommand{"sprites", SpritesCommand},
    TCommand{"list", ListCommand},
    TCommand{"code", CodeCommand},
    TCommand{"render", RenderCommand},
    TCommand{"demo", DemoCommand},
    TCommand{"game-folder", GameFolderCommand},
};

} // namespace

int Run(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
    try {
        if (Args.empty())
            throw EUsageError("no command given");
        for (const TCommand& Command : Commands) {
            if (Args[0] != Command.Name)
                continue;
            std::ostringstream Result;
            Command.Handler({Args.begin() + 1, Args.end()}, Result);
            Out << Result.str() << std::flush;
            return 0;
        }
        throw EUsageError("unknown command " + Args[0]);
    } catch (const EUsageError& E) {
        Err << "pelto-cli: " << E.what() << "\n" << Usage;
        return 2;
    } catch (const std::exception& E) {
        // The message may contain line breaks only if a file name does; keep it on one line.
        std::string Message = E.what();
        for (char& C : Message)
            if (C == '\n' || C == '\r')
                C = ' ';
        Err << Message << "\n";
        return 1;
    }
}

} // namespace pelto::cli
