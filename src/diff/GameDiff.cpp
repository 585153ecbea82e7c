#include "diff/GameDiff.h"

#include "model/ItemJsonFields.h"

#include "game/wloutils.h"
#include "model/CharaCode.h"
#include "model/GameData.h"
#include "model/InvalidCode.h"
#include "model/Settings.h"
#include "model/UDraw.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/Json.h"
#include "platform/Paths.h"
#include "platform/ShiftJis.h"
#include "sprites/wlojmajmp.h"

#include <boost/json.hpp>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <utility>

namespace pelto {
namespace json = boost::json;
namespace {

// Decoded sprites the pictures of a report draw from; the comparison itself decodes its own.
constexpr std::size_t DiffSpriteCacheBytes = std::size_t{64} << 20;

std::vector<TFieldChange> FieldChanges(const TWLOItemData& Old, const TWLOItemData& New) {
    std::vector<TFieldChange> Changes;
    for (const TItemJsonField& Field : ItemJsonFields) {
        if (!Field.Compared)
            continue;
        std::string Before = JsonText(Field.Value(Old));
        std::string After = JsonText(Field.Value(New));
        if (Before != After)
            Changes.push_back({Field.Name, std::move(Before), std::move(After)});
    }
    return Changes;
}

using TItemKey = std::pair<std::uint16_t, int>; // identifier, occurrence

// The items of a table by key, the header record left out.
std::map<TItemKey, int> ItemsByKey(const TWLOItemDataFile& Table) {
    std::map<TItemKey, int> Keys;
    std::map<std::uint16_t, int> Seen;
    for (int I = 1; I < Table.GetCount(); ++I) {
        const std::uint16_t Id = Table.Item(I)->ItemID();
        Keys.emplace(TItemKey{Id, Seen[Id]++}, I);
    }
    return Keys;
}

std::string NameOf(const TWLOItemData& Item) {
    return SjisToUtf8(Item.Name());
}

constexpr bool CanWear(std::uint16_t SpriteNo) {
    return SpriteNo > 1000;
}

void CompareItems(const TGameData& Old, const TGameData& New, TGameDiff& Diff) {
    const std::map<TItemKey, int> OldKeys = ItemsByKey(Old.Items());
    const std::map<TItemKey, int> NewKeys = ItemsByKey(New.Items());
    for (const auto& [Key, Index] : OldKeys)
        if (!NewKeys.count(Key))
            Diff.Removed.push_back(
                {Key.first, Key.second, Index, -1, NameOf(*Old.Items().Item(Index))});
    for (const auto& [Key, Index] : NewKeys) {
        const TWLOItemData& After = *New.Items().Item(Index);
        const auto Found = OldKeys.find(Key);
        if (Found == OldKeys.end()) {
            Diff.Added.push_back({Key.first, Key.second, -1, Index, NameOf(After)});
            continue;
        }
        const TWLOItemData& Before = *Old.Items().Item(Found->second);
        const TDiffItem Item{Key.first, Key.second, Found->second, Index, NameOf(After)};
        if (auto Fields = FieldChanges(Before, After); !Fields.empty()) {
            TItemChange Change{Item, {}};
            Change.Fields = std::move(Fields);
            Diff.Changed.push_back(std::move(Change));
        }
        TLookChange Look{Item, {}, {}};
        for (int Group = 0; Group < BodyGroupCount; ++Group) {
            const std::uint16_t SpriteNo = After.SpriteNo(Group);
            if (Before.SpriteNo(Group) == SpriteNo && CanWear(SpriteNo) &&
                Diff.Sprites.Touched(JmpFileName(SpriteNo))) {
                Look.Groups.push_back(Group);
                Look.Sprites.push_back(JmpFileName(SpriteNo));
            }
        }
        if (!Look.Groups.empty())
            Diff.Looks.push_back(std::move(Look));
    }
}

using TListKey = std::pair<std::uint16_t, int>; // identifier, occurrence in the list

std::map<TListKey, int> ListPlaces(const std::vector<TEquipEntry>& List) {
    std::map<TListKey, int> Places;
    std::map<std::uint16_t, int> Seen;
    for (std::size_t I = 1; I < List.size(); ++I) {
        const std::uint16_t Id = List[I].Item->ItemID();
        Places.emplace(TListKey{Id, Seen[Id]++}, static_cast<int>(I));
    }
    return Places;
}

// The positions of Sequence (distinct values from 1) outside a longest strictly increasing run
// through it; of the longest runs, one that keeps most of the positions Steady. A Fenwick tree
// over the values keeps it O(n log n) for lists of thousands.
std::vector<bool> OutsideLongestRun(const std::vector<int>& Sequence,
                                    const std::vector<bool>& Steady) {
    using TBest = std::pair<std::int64_t, int>; // weight, end of the run
    const auto Length = static_cast<std::int64_t>(Sequence.size()) + 1;
    const int Top = Sequence.empty() ? 0 : *std::max_element(Sequence.begin(), Sequence.end());
    std::vector<TBest> Tree(static_cast<std::size_t>(Top) + 1, {0, -1});
    std::vector<int> Previous(Sequence.size(), -1);
    TBest Overall{0, -1};
    for (std::size_t I = 0; I < Sequence.size(); ++I) {
        TBest Before{0, -1};
        for (int V = Sequence[I] - 1; V > 0; V -= V & -V)
            Before = std::max(Before, Tree[static_cast<std::size_t>(V)],
                              [](const TBest& A, const TBest& B) { return A.first < B.first; });
        const TBest Here{Before.first + Length + (Steady[I] ? 1 : 0), static_cast<int>(I)};
        Previous[I] = Before.second;
        for (int V = Sequence[I]; V <= Top; V += V & -V)
            if (Tree[static_cast<std::size_t>(V)].first < Here.first)
                Tree[static_cast<std::size_t>(V)] = Here;
        if (Overall.first < Here.first)
            Overall = Here;
    }
    std::vector<bool> Outside(Sequence.size(), true);
    for (int I = Overall.second; I >= 0; I = Previous[static_cast<std::size_t>(I)])
        Outside[static_cast<std::size_t>(I)] = false;
    return Outside;
}

void CompareLists(const TGameData& Old, const TGameData& New, TGameDiff& Diff) {
    for (int Group = 0; Group < BodyGroupCount; ++Group)
        for (int Slot = 1; Slot <= SlotCount; ++Slot) {
            const auto& NewList = New.EquipList()->GetList(Group, Slot);
            const std::map<TListKey, int> OldPlaces =
                ListPlaces(Old.EquipList()->GetList(Group, Slot));
            const std::map<TListKey, int> NewPlaces = ListPlaces(NewList);
            std::vector<std::pair<int, int>> Common; // old place, new place
            for (const auto& [Key, From] : OldPlaces)
                if (const auto To = NewPlaces.find(Key); To != NewPlaces.end())
                    Common.emplace_back(From, To->second);
            std::sort(Common.begin(), Common.end());
            std::vector<int> Targets;
            std::vector<bool> Steady;
            for (const auto& [From, To] : Common) {
                Targets.push_back(To);
                Steady.push_back(From == To);
            }
            const std::vector<bool> Moved = OutsideLongestRun(Targets, Steady);
            std::vector<TListMove> Moves;
            for (std::size_t I = 0; I < Common.size(); ++I)
                if (Moved[I]) {
                    const TWLOItemData& Item =
                        *NewList[static_cast<std::size_t>(Common[I].second)].Item;
                    Moves.push_back({Group, Slot, Item.ItemID(), NameOf(Item), Common[I].first,
                                     Common[I].second});
                }
            std::sort(Moves.begin(), Moves.end(),
                      [](const TListMove& A, const TListMove& B) { return A.To < B.To; });
            Diff.Moves.insert(Diff.Moves.end(), Moves.begin(), Moves.end());
        }
}

const TSpriteFiles& FilesOf(const TGameData& Game) {
    return *Game.SpriteCache()->Files();
}

template <typename T> const T* FindById(const std::vector<T>& Items, std::uint16_t Id) {
    for (const T& Item : Items)
        if (Item.Id == Id && Item.Occurrence == 0)
            return &Item;
    return nullptr;
}

// What happened to the item of Slot a design names, or nothing.
std::optional<TDesignTouch::TPart> PartTouch(const TGameDiff& Diff, const TGameData& Old,
                                             const TGameData& New, int Group, int Slot,
                                             std::uint16_t Id, bool& PictureChanges) {
    const TWLOItemData* Before = Old.EquipList()->FindItem(Group, Slot, Id);
    const TWLOItemData* After = New.EquipList()->FindItem(Group, Slot, Id);
    if (!Before && !After)
        return std::nullopt;
    TDesignTouch::TPart Part{Slot, Id, NameOf(After ? *After : *Before), {}};
    if (!After) {
        Part.How = FindById(Diff.Removed, Id) ? "removed" : "no longer worn in this slot";
        PictureChanges = true;
        return Part;
    }
    if (!Before) {
        Part.How = "now worn in this slot";
        PictureChanges = true;
        return Part;
    }
    std::vector<std::string> Hows;
    if (const TItemChange* Change = FindById(Diff.Changed, Id); Change && Before->ItemID() == Id) {
        std::string Fields = "changed";
        for (std::size_t I = 0; I < Change->Fields.size(); ++I)
            Fields += std::string(I ? ", " : " ") + std::string(Change->Fields[I].Field);
        Hows.push_back(Fields);
        if (Before->SpriteNo(Group) != After->SpriteNo(Group) ||
            std::any_of(Change->Fields.begin(), Change->Fields.end(),
                        [](const TFieldChange& F) { return F.Field == "colors"; }))
            PictureChanges = true;
    }
    if (const TLookChange* Look = FindById(Diff.Looks, Id);
        Look && std::find(Look->Groups.begin(), Look->Groups.end(), Group) != Look->Groups.end()) {
        Hows.push_back("look redrawn");
        PictureChanges = true;
    }
    if (Hows.empty())
        return std::nullopt;
    for (std::size_t I = 0; I < Hows.size(); ++I)
        Part.How += (I ? "; " : "") + Hows[I];
    return Part;
}

} // namespace

bool TItemChange::Redrawn() const {
    return std::any_of(Fields.begin(), Fields.end(), [](const TFieldChange& Change) {
        return std::any_of(
            ItemJsonFields.begin(), ItemJsonFields.end(),
            [&](const TItemJsonField& F) { return F.Drawn && F.Name == Change.Field; });
    });
}

std::unique_ptr<TGameData> OpenGameForDiff(const std::string& Folder, bool Icons) {
    return OpenGame(
        Folder,
        {.ItemIcons = Icons, .SpriteCacheBytes = DiffSpriteCacheBytes, .SnapshotSprites = true});
}

TGameDiff CompareGames(const TGameData& Old, const TGameData& New) {
    TGameDiff Diff;
    Diff.Sprites = CompareSprites(Old.JmaList(), FilesOf(Old), New.JmaList(), FilesOf(New));
    CompareItems(Old, New, Diff);
    CompareLists(Old, New, Diff);
    return Diff;
}

std::vector<TDesignTouch> TouchedDesigns(const TGameDiff& Diff, const TGameData& Old,
                                         const TGameData& New,
                                         std::span<const TNamedDesign> Designs) {
    std::vector<TDesignTouch> Touched;
    for (const TNamedDesign& Named : Designs) {
        const TCharaDesign& Design = Named.Design;
        if (Design.Chara < 0 || Design.Chara >= static_cast<int>(CharaData.size()))
            continue;
        const int Group = CharaData[static_cast<std::size_t>(Design.Chara)].BodyGroup;
        TDesignTouch Touch{Named.Label, Named.Code, {}, {}, false};
        for (const int SpriteNo : {BodySpriteNo(Design.Chara), HeadSpriteNo(Design.Chara)})
            if (Diff.Sprites.Touched(JmpFileName(SpriteNo))) {
                Touch.Sprites.push_back(JmpFileName(SpriteNo));
                Touch.PictureChanges = true;
            }
        for (int Slot = 1; Slot <= SlotCount; ++Slot)
            if (const std::uint16_t Id = Design.Parts[static_cast<std::size_t>(Slot - 1)]; Id != 0)
                if (auto Part = PartTouch(Diff, Old, New, Group, Slot, Id, Touch.PictureChanges))
                    Touch.Parts.push_back(std::move(*Part));
        if (!Touch.Parts.empty() || !Touch.Sprites.empty())
            Touched.push_back(std::move(Touch));
    }
    return Touched;
}

std::vector<TNamedDesign> CodesOfText(std::string_view Text) {
    std::vector<TNamedDesign> Codes;
    int Line = 0;
    while (!Text.empty()) {
        ++Line;
        const std::size_t End = std::min(Text.find('\n'), Text.size());
        std::string Code(Text.substr(0, End));
        Text.remove_prefix(std::min(End + 1, Text.size()));
        Code.erase(std::remove_if(Code.begin(), Code.end(),
                                  [](char C) { return C == ' ' || C == '\t' || C == '\r'; }),
                   Code.end());
        if (Code.empty())
            continue;
        try {
            const TCharaDesign Design = DecodeCharaCode(Code);
            Codes.push_back({"line " + std::to_string(Line), Code, Design});
        } catch (const EInvalidCode& Error) {
            EWloError Located(std::string(Error.what()) + " (line " + std::to_string(Line) + ")");
            throw Located;
        }
    }
    return Codes;
}

std::vector<TNamedDesign> FavoritesOfSettings(const std::string& File) {
    if (!FileExists(File))
        throw EWloError("Settings file not found: " + File);
    TPeltoSettings Settings;
    LoadSettings(TIniFile(File), Settings);
    std::vector<TNamedDesign> Favorites;
    for (int Place = 1; Place <= FavoriteCount; ++Place) {
        const TFavoriteItem& Favorite = Settings.Favorites[static_cast<std::size_t>(Place - 1)];
        if (!Favorite.Used || Favorite.Chara < 0 ||
            Favorite.Chara >= static_cast<int>(CharaData.size()))
            continue;
        Favorites.push_back({"favourite " + std::to_string(Place) + " " + Favorite.Name,
                             EncodeCharaCode(Favorite), Favorite});
    }
    return Favorites;
}

} // namespace pelto
