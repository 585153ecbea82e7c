#include "requests/CodeSummary.h"

#include "game/wloutils.h"
#include "model/CharaCode.h"
#include "model/DressingSession.h"
#include "model/InvalidCode.h"
#include "model/ItemListing.h"
#include "platform/Format.h"
#include "platform/Json.h"
#include "platform/ShiftJis.h"
#include "sprites/wlojmajmp.h"

#include <boost/json.hpp>

#include <algorithm>
#include <cstddef>

namespace pelto {
namespace json = boost::json;

TCodeSummary SummarizeCode(const TGameData& Game, std::string_view Code) {
    TDressingSession Session(Game);
    Session.ApplyCode(Code);
    if (Session.CharaIndex() < 0)
        throw EInvalidCode(TInvalidCodeReason::NoCharacter);
    TCodeSummary Summary;
    Summary.Chara = Session.CharaIndex();
    Summary.Name = std::string(CharaData[static_cast<std::size_t>(Summary.Chara)].Name);
    Summary.Group = Session.BodyGroup();
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        if (const TWLOItemData* Item = Session.Worn(Slot)) {
            const TWLOItemData* const One[] = {Item};
            Summary.Items.push_back({Slot, Item->ItemID(), SjisToUtf8(Item->Name()),
                                     BonusLines(One), ReadableItemIcon(Game, *Item).has_value()});
        }
    for (int Position = 0; Position < 4; ++Position)
        for (int Channel = 0; Channel < 3; ++Channel)
            Summary.Colors[static_cast<std::size_t>(Position * 3 + Channel)] =
                Session.Color(Position, Channel);
    Summary.Status = Session.StatusLines();
    Summary.Code = Session.Code();
    for (const TMotionFrames& Poses : Session.FrameTable()) {
        std::array<int, 8> Counts{};
        for (std::size_t Direction = 0; Direction < Counts.size(); ++Direction)
            Counts[Direction] = Poses[Direction].Frames;
        Summary.Frames.push_back(Counts);
    }
    return Summary;
}

namespace {

// The character and its items lead, an item a line; each member after the items starts a line.
TJsonBreaks CodeBreaks(const json::value& Container, int Depth) {
    if (Depth != 0)
        return OuterRecordLines(Container, Depth);
    const json::object& Code = Container.as_object();
    const auto Items =
        std::find_if(Code.begin(), Code.end(),
                     [](const json::key_value_pair& Member) { return Member.key() == "items"; });
    return {false, true, false, static_cast<std::size_t>(Items - Code.begin()) + 1};
}

} // namespace

std::string CodeJson(const TCodeSummary& Summary) {
    json::array Items;
    for (const TCodeSummary::TItem& Item : Summary.Items) {
        json::object Entry{{"slot", Item.Slot}, {"id", Item.Id}, {"name", Item.Name}};
        // No address for an icon there is none of: the page would show it broken.
        if (Item.Icon)
            Entry["icon"] = Format("/icon/%d.png", Item.Id);
        Entry["bonuses"] = json::value_from(Item.Bonuses);
        Items.push_back(std::move(Entry));
    }
    const json::value Code{{"chara", Summary.Chara},
                           {"name", Summary.Name},
                           {"group", Summary.Group},
                           {"items", std::move(Items)},
                           {"colors", json::value_from(Summary.Colors)},
                           {"status", json::value_from(Summary.Status)},
                           {"code", Summary.Code},
                           {"frames", json::value_from(Summary.Frames)}};
    return JsonText(Code, {TJsonSpacing::Spaced, 1, CodeBreaks}) + "\n";
}

std::string DesignJson(const TGameData& Game, const TCharaDesign& Design) {
    return CodeJson(SummarizeCode(Game, CodeOfDesign(Design)));
}

} // namespace pelto
