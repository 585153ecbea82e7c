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

#include <cstddef>

namespace pelto {

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

std::string CodeJson(const TCodeSummary& Summary) {
    std::string Json = Format("{\"chara\": %d, \"name\": %s, \"group\": %d, \"items\": [",
                              Summary.Chara, JsonString(Summary.Name).c_str(), Summary.Group);
    for (std::size_t I = 0; I < Summary.Items.size(); ++I) {
        const auto& Item = Summary.Items[I];
        // No address for an icon there is none of: the page would show it broken.
        Json += Format("%s\n  {\"slot\": %d, \"id\": %d, \"name\": %s, ", I ? "," : "", Item.Slot,
                       Item.Id, JsonString(Item.Name).c_str());
        if (Item.Icon)
            Json += Format("\"icon\": \"/icon/%d.png\", ", Item.Id);
        Json += "\"bonuses\": [";
        for (std::size_t B = 0; B < Item.Bonuses.size(); ++B)
            Json += (B ? ", " : "") + JsonString(Item.Bonuses[B]);
        Json += "]}";
    }
    Json += "],\n \"colors\": [";
    for (std::size_t I = 0; I < Summary.Colors.size(); ++I)
        Json += (I ? ", " : "") + std::to_string(Summary.Colors[I]);
    Json += "],\n \"status\": [";
    for (std::size_t I = 0; I < Summary.Status.size(); ++I)
        Json += (I ? ", " : "") + JsonString(Summary.Status[I]);
    Json += "],\n \"code\": " + JsonString(Summary.Code) + ",\n \"frames\": [";
    for (std::size_t M = 0; M < Summary.Frames.size(); ++M) {
        Json += M ? ", [" : "[";
        for (std::size_t D = 0; D < Summary.Frames[M].size(); ++D)
            Json += (D ? ", " : "") + std::to_string(Summary.Frames[M][D]);
        Json += "]";
    }
    return Json + "]}\n";
}

std::string DesignJson(const TGameData& Game, const TCharaDesign& Design) {
    return CodeJson(SummarizeCode(Game, CodeOfDesign(Design)));
}

} // namespace pelto
