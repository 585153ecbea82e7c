#include "diff/DiffReport.h"

#include "diff/GameDiff.h"
#include "platform/Json.h"

#include <boost/json.hpp>

#include <algorithm>
#include <span>
#include <vector>

namespace pelto {
namespace json = boost::json;
namespace {

std::size_t Redrawn(const std::vector<TDesignTouch>& Designs) {
    return static_cast<std::size_t>(std::count_if(
        Designs.begin(), Designs.end(), [](const TDesignTouch& D) { return D.PictureChanges; }));
}

std::string DesignText(std::string_view Kind, const TDesignTouch& Touch) {
    std::string Line = std::string(Kind) + " " + Touch.Label + " " + Touch.Code + ":";
    for (const std::string& Sprite : Touch.Sprites)
        Line += " character sprite " + Sprite + " changed;";
    for (const TDesignTouch::TPart& Part : Touch.Parts)
        Line += " slot " + std::to_string(Part.Slot) + " #" + std::to_string(Part.Id) + " " +
                Part.Name + " " + Part.How + ";";
    Line.pop_back();
    return Line + (Touch.PictureChanges ? " (picture changes)" : " (same picture)") + "\n";
}

// The keys of every item entry, sorted among those around them: id, name, occurrence.
void PutItemKeys(const TDiffItem& Item, json::object& Entry) {
    Entry["id"] = Item.Id;
    Entry["name"] = Item.Name;
    if (Item.Occurrence > 0)
        Entry["occurrence"] = Item.Occurrence;
}

json::value ItemJson(const TDiffItem& Item) {
    json::object Entry;
    PutItemKeys(Item, Entry);
    return Entry;
}

json::value ChangeJson(const TItemChange& Change) {
    std::vector<TFieldChange> Fields = Change.Fields;
    std::sort(Fields.begin(), Fields.end(),
              [](const TFieldChange& A, const TFieldChange& B) { return A.Field < B.Field; });
    json::object Changed;
    for (const TFieldChange& Field : Fields)
        Changed[Field.Field] = {{"new", json::parse(Field.New)}, {"old", json::parse(Field.Old)}};
    json::object Entry{{"fields", std::move(Changed)}};
    PutItemKeys(Change, Entry);
    return Entry;
}

json::value LookJson(const TLookChange& Look) {
    json::object Entry{{"groups", json::value_from(Look.Groups)}};
    PutItemKeys(Look, Entry);
    Entry["sprites"] = json::value_from(Look.Sprites);
    return Entry;
}

json::value MoveJson(const TListMove& Move) {
    return {{"from", Move.From}, {"group", Move.Group}, {"id", Move.Id},
            {"name", Move.Name}, {"slot", Move.Slot},   {"to", Move.To}};
}

json::value DesignJson(const TDesignTouch& Touch) {
    json::array Parts;
    for (const TDesignTouch::TPart& Part : Touch.Parts)
        Parts.push_back(
            {{"how", Part.How}, {"id", Part.Id}, {"name", Part.Name}, {"slot", Part.Slot}});
    return {{"code", Touch.Code},
            {"label", Touch.Label},
            {"parts", std::move(Parts)},
            {"picture_changes", Touch.PictureChanges},
            {"sprites", json::value_from(Touch.Sprites)}};
}

template <typename T, typename F> json::array Each(const std::vector<T>& All, F Json) {
    json::array Out;
    for (const T& One : All)
        Out.push_back(Json(One));
    return Out;
}

// The report's sections a member a line, its lists of records a record a line.
TJsonBreaks ReportBreaks(const json::value& Container, int Depth) {
    if (Depth < 2 && Container.is_object() && HoldsContainers(Container))
        return {.BetweenMembers = true};
    if (Depth < 3 && IsRecordList(Container))
        return MemberLines;
    return {};
}

} // namespace

TDiffCounts CountChanges(const TGameDiff& Diff) {
    return {Diff.Added.size(),           Diff.Removed.size(),       Diff.Changed.size(),
            Diff.Looks.size(),           Diff.Sprites.Added.size(), Diff.Sprites.Removed.size(),
            Diff.Sprites.Changed.size(), Diff.Moves.size(),         Diff.Codes.size(),
            Redrawn(Diff.Codes),         Diff.Favorites.size(),     Redrawn(Diff.Favorites)};
}

std::string SummaryLine(const TGameDiff& Diff) {
    const TDiffCounts Counts = CountChanges(Diff);
    std::string Line;
    for (std::size_t I = 0; I < Counts.size(); ++I)
        Line += (I ? ", " : "") + std::string(DiffKindNames[I]) + " " + std::to_string(Counts[I]);
    return Line;
}

std::string ItemLabel(const TDiffItem& Item) {
    return "#" + std::to_string(Item.Id) +
           (Item.Occurrence > 0 ? "+" + std::to_string(Item.Occurrence) : "");
}

std::string DiffText(const TGameDiff& Diff) {
    std::string Out = SummaryLine(Diff) + "\n";
    for (const TDiffItem& Item : Diff.Added)
        Out += "added " + ItemLabel(Item) + " " + Item.Name + "\n";
    for (const TDiffItem& Item : Diff.Removed)
        Out += "removed " + ItemLabel(Item) + " " + Item.Name + "\n";
    for (const TItemChange& Change : Diff.Changed) {
        Out += "changed " + ItemLabel(Change) + " " + Change.Name + ":";
        for (const TFieldChange& Field : Change.Fields)
            Out += " " + std::string(Field.Field) + " " + Field.Old + " -> " + Field.New + ";";
        Out.back() = '\n';
    }
    for (const TLookChange& Look : Diff.Looks) {
        Out += "look " + ItemLabel(Look) + " " + Look.Name + ":";
        for (std::size_t I = 0; I < Look.Groups.size(); ++I)
            Out += " group " + std::to_string(Look.Groups[I]) + " " + Look.Sprites[I] + ";";
        Out.back() = '\n';
    }
    for (const std::string& Name : Diff.Sprites.Added)
        Out += "sprite added " + Name + "\n";
    for (const std::string& Name : Diff.Sprites.Removed)
        Out += "sprite removed " + Name + "\n";
    for (const std::string& Name : Diff.Sprites.Changed)
        Out += "sprite changed " + Name + "\n";
    for (const TListMove& Move : Diff.Moves)
        Out += "moved group " + std::to_string(Move.Group) + " slot " + std::to_string(Move.Slot) +
               " #" + std::to_string(Move.Id) + " " + Move.Name + ": " + std::to_string(Move.From) +
               " -> " + std::to_string(Move.To) + "\n";
    for (const TDesignTouch& Touch : Diff.Codes)
        Out += DesignText("code", Touch);
    for (const TDesignTouch& Touch : Diff.Favorites)
        Out += DesignText("favourite", Touch);
    return Out;
}

std::string DiffJson(const TGameDiff& Diff) {
    const TDiffCounts Counts = CountChanges(Diff);
    std::vector<std::pair<std::string, std::size_t>> Summary;
    for (std::size_t I = 0; I < Counts.size(); ++I) {
        std::string Key(DiffKindNames[I]);
        std::replace(Key.begin(), Key.end(), ' ', '_');
        Summary.emplace_back(Key, Counts[I]);
    }
    std::sort(Summary.begin(), Summary.end());
    json::object SummaryObject;
    for (const auto& [Key, Count] : Summary)
        SummaryObject[Key] = Count;

    const json::value Report{{"codes", Each(Diff.Codes, DesignJson)},
                             {"favourites", Each(Diff.Favorites, DesignJson)},
                             {"items",
                              {{"added", Each(Diff.Added, ItemJson)},
                               {"changed", Each(Diff.Changed, ChangeJson)},
                               {"removed", Each(Diff.Removed, ItemJson)}}},
                             {"list_moves", Each(Diff.Moves, MoveJson)},
                             {"looks", Each(Diff.Looks, LookJson)},
                             {"sprites",
                              {{"added", json::value_from(Diff.Sprites.Added)},
                               {"changed", json::value_from(Diff.Sprites.Changed)},
                               {"removed", json::value_from(Diff.Sprites.Removed)}}},
                             {"summary", std::move(SummaryObject)}};
    return JsonText(Report, {TJsonSpacing::Compact, 0, ReportBreaks}) + "\n";
}

} // namespace pelto
