// What a game holds: its characters and their motions, items, sprites and equipment lists.
#include "cli/CliArgs.h"
#include "cli/CliTable.h"
#include "cli/CommandHandlers.h"
#include "cli/GameOption.h"
#include "game/GameFacts.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/ItemListing.h"
#include "model/ItemSearch.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/ShiftJis.h"
#include "requests/ItemJson.h"
#include "sprites/wlojmajmp.h"

#include <boost/json.hpp>

#include <cstddef>
#include <optional>
#include <ostream>
#include <vector>

namespace pelto::cli {
namespace {

namespace json = boost::json;

// --- info ------------------------------------------------------------------------------------

std::string CharaText(int Index) {
    const TCharaData& Chara = CharaData[static_cast<std::size_t>(Index)];
    return Format("%d: %.*s, body group %d", Index, static_cast<int>(Chara.Name.size()),
                  Chara.Name.data(), Chara.BodyGroup);
}

json::object CharaJson(int Index) {
    const TCharaData& Chara = CharaData[static_cast<std::size_t>(Index)];
    return {{"index", Index}, {"name", Chara.Name}, {"body_group", int{Chara.BodyGroup}}};
}

std::string MotionRowText(int Motion, const TMotionFrames& Row) {
    std::string Text = Format("motion %2d:", Motion);
    for (const TActionFrames& Entry : Row)
        Text += Format(" %2d:%d", Entry.Action, Entry.Frames);
    return Text;
}

json::object MotionRowJson(int Motion, const TMotionFrames& Row) {
    json::array Directions;
    for (std::size_t Direction = 0; Direction < Row.size(); ++Direction)
        Directions.push_back(json::object{{"direction", Direction},
                                          {"action", Row[Direction].Action},
                                          {"frames", Row[Direction].Frames}});
    return {{"motion", Motion}, {"directions", std::move(Directions)}};
}

/// The motions a line each between their brackets, as a listing is read a line at a time.
TJsonBreaks MotionLines(const json::value& Container, int Depth) {
    return Depth == 1 && IsRecordList(Container) ? MemberLines : TJsonBreaks{};
}

void ListCharas(bool Json, std::ostream& Out) {
    json::array Records;
    for (int Index = 0; Index <= LastChara; ++Index) {
        if (Json)
            Records.push_back(CharaJson(Index));
        else
            Out << CharaText(Index) << "\n";
    }
    if (Json)
        Out << JsonText(Records, {TJsonSpacing::Compact, 0, OutermostLines}) << "\n";
}

void DescribeChara(const std::string& Folder, int Index, bool Json, std::ostream& Out) {
    const auto Game = LoadGame(Folder);
    TDressingSession Session(*Game);
    Session.SetChara(Index);
    const std::vector<TMotionFrames> Table = Session.FrameTable();
    if (!Json) {
        Out << CharaText(Index) << "\n";
        for (std::size_t Motion = 0; Motion < Table.size(); ++Motion)
            Out << MotionRowText(static_cast<int>(Motion), Table[Motion]) << "\n";
        return;
    }
    json::object Chara = CharaJson(Index);
    json::array& Motions = Chara["motions"].emplace_array();
    for (std::size_t Motion = 0; Motion < Table.size(); ++Motion)
        Motions.push_back(MotionRowJson(static_cast<int>(Motion), Table[Motion]));
    Out << JsonText(Chara, {TJsonSpacing::Compact, 0, MotionLines}) << "\n";
}

// --- items and lists -------------------------------------------------------------------------

/// The table indices of the records items prints: all of them, or those --search finds, in
/// table order or, with --group and --slot, in that equipment list's order.
std::vector<int> ItemsToPrint(const TCliArgs& Args, const TGameData& Game) {
    if (Args.Value("group").has_value() != Args.Value("slot").has_value())
        throw EUsageError("--group and --slot go together");
    const TItemQuery Query = TItemQuery::Parse(Args.Value("search").value_or(""));
    std::optional<TListChoice> List;
    if (const auto Group = Args.Number("group"))
        List = TListChoice{static_cast<int>(*Group), static_cast<int>(*Args.Number("slot"))};
    return MatchingItems(Game, Query, List);
}

} // namespace

void InfoCommand(const TCommandCall& Call) {
    const auto Chara = Call.Args.Number("chara");
    const std::string Folder = GameFolder(Call.Args);
    if (Chara)
        DescribeChara(Folder, static_cast<int>(*Chara), Call.Args.Flag("json"), Call.Out);
    else
        ListCharas(Call.Args.Flag("json"), Call.Out);
}

void ItemsCommand(const TCommandCall& Call) {
    const auto Game = OpenGame(GameFolder(Call.Args), {.Sprites = false});
    const std::vector<int> Indices = ItemsToPrint(Call.Args, *Game);
    if (Call.Args.Flag("json")) {
        Call.Out << ItemsJson(*Game, Indices);
        return;
    }
    for (const int I : Indices)
        Call.Out << SjisToUtf8(Game->Items().GetName(I)) << "\n";
}

void SpritesCommand(const TCommandCall& Call) {
    const auto Game = OpenGame(GameFolder(Call.Args), {.ItemTable = false});
    const TJmaList& List = Game->JmaList();
    for (int I = 0; I < List.Count(); ++I)
        Call.Out << List.Line(I) << "\n";
}

void ListCommand(const TCommandCall& Call) {
    const std::string Folder = GameFolder(Call.Args);
    const long Group = Call.Args.RequiredNumber("group");
    const long Slot = Call.Args.RequiredNumber("slot");
    const auto Game = OpenGame(Folder, {.Sprites = false});
    for (const TEquipEntry& Entry : Game->EquipList()->GetList(Group, Slot))
        Call.Out << SjisToUtf8(Entry.Text()) << "\n";
}

} // namespace pelto::cli
