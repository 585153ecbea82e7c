#include "diff/DiffReport.h"

#include "diff/GameDiff.h"
#include "platform/Json.h"

#include <algorithm>
#include <span>
#include <vector>

namespace pelto {
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

// JSON arrays with one element a line.
std::string JsonLines(const std::vector<std::string>& Elements) {
    if (Elements.empty())
        return "[]";
    std::string Out = "[";
    for (std::size_t I = 0; I < Elements.size(); ++I)
        Out += (I ? ",\n" : "\n") + Elements[I];
    return Out + "\n]";
}

std::string JsonStrings(const std::vector<std::string>& Texts) {
    std::string Out = "[";
    for (std::size_t I = 0; I < Texts.size(); ++I)
        Out += (I ? "," : "") + JsonString(Texts[I]);
    return Out + "]";
}

std::string JsonInts(const std::vector<int>& Numbers) {
    std::string Out = "[";
    for (std::size_t I = 0; I < Numbers.size(); ++I)
        Out += (I ? "," : "") + std::to_string(Numbers[I]);
    return Out + "]";
}

// The keys every item entry opens with, sorted among those that follow: id, name, occurrence.
std::string ItemKeys(const TDiffItem& Item) {
    std::string Out = "\"id\":" + std::to_string(Item.Id) + ",\"name\":" + JsonString(Item.Name);
    if (Item.Occurrence > 0)
        Out += ",\"occurrence\":" + std::to_string(Item.Occurrence);
    return Out;
}

std::vector<std::string> ItemsJson(const std::vector<TDiffItem>& Items) {
    std::vector<std::string> Out;
    for (const TDiffItem& Item : Items)
        Out.push_back("{" + ItemKeys(Item) + "}");
    return Out;
}

std::string ChangeJson(const TItemChange& Change) {
    std::string Out = "{\"fields\":{";
    std::vector<TFieldChange> Fields = Change.Fields;
    std::sort(Fields.begin(), Fields.end(),
              [](const TFieldChange& A, const TFieldChange& B) { return A.Field < B.Field; });
    for (std::size_t I = 0; I < Fields.size(); ++I)
        Out += (I ? "," : "") + JsonString(Fields[I].Field) + ":{\"new\":" + Fields[I].New +
               ",\"old\":" + Fields[I].Old + "}";
    return Out + "}," + ItemKeys(Change) + "}";
}

std::string LookJson(const TLookChange& Look) {
    // "groups" sorts before "id", "sprites" after "name".
    return "{\"groups\":" + JsonInts(Look.Groups) + "," + ItemKeys(Look) +
           ",\"sprites\":" + JsonStrings(Look.Sprites) + "}";
}

std::string MoveJson(const TListMove& Move) {
    return "{\"from\":" + std::to_string(Move.From) + ",\"group\":" + std::to_string(Move.Group) +
           ",\"id\":" + std::to_string(Move.Id) + ",\"name\":" + JsonString(Move.Name) +
           ",\"slot\":" + std::to_string(Move.Slot) + ",\"to\":" + std::to_string(Move.To) + "}";
}

std::string DesignJson(const TDesignTouch& Touch) {
    std::vector<std::string> Parts;
    for (const TDesignTouch::TPart& Part : Touch.Parts)
        Parts.push_back("{\"how\":" + JsonString(Part.How) + ",\"id\":" + std::to_string(Part.Id) +
                        ",\"name\":" + JsonString(Part.Name) +
                        ",\"slot\":" + std::to_string(Part.Slot) + "}");
    std::string PartList = "[";
    for (std::size_t I = 0; I < Parts.size(); ++I)
        PartList += (I ? "," : "") + Parts[I];
    return "{\"code\":" + JsonString(Touch.Code) + ",\"label\":" + JsonString(Touch.Label) +
           ",\"parts\":" + PartList +
           "],\"picture_changes\":" + (Touch.PictureChanges ? "true" : "false") +
           ",\"sprites\":" + JsonStrings(Touch.Sprites) + "}";
}

template <typename T, typename F> std::vector<std::string> Each(const std::vector<T>& All, F Json) {
    std::vector<std::string> Out;
    for (const T& One : All)
        Out.push_back(Json(One));
    return Out;
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
    std::string SummaryJson = "{";
    for (std::size_t I = 0; I < Summary.size(); ++I)
        SummaryJson +=
            (I ? "," : "") + JsonString(Summary[I].first) + ":" + std::to_string(Summary[I].second);
    SummaryJson += "}";

    return "{\"codes\":" + JsonLines(Each(Diff.Codes, DesignJson)) +
           ",\n\"favourites\":" + JsonLines(Each(Diff.Favorites, DesignJson)) +
           ",\n\"items\":{\"added\":" + JsonLines(ItemsJson(Diff.Added)) +
           ",\n\"changed\":" + JsonLines(Each(Diff.Changed, ChangeJson)) +
           ",\n\"removed\":" + JsonLines(ItemsJson(Diff.Removed)) +
           "},\n\"list_moves\":" + JsonLines(Each(Diff.Moves, MoveJson)) +
           ",\n\"looks\":" + JsonLines(Each(Diff.Looks, LookJson)) +
           ",\n\"sprites\":{\"added\":" + JsonStrings(Diff.Sprites.Added) +
           ",\n\"changed\":" + JsonStrings(Diff.Sprites.Changed) +
           ",\n\"removed\":" + JsonStrings(Diff.Sprites.Removed) +
           "},\n\"summary\":" + SummaryJson + "}\n";
}

} // namespace pelto
