#include "model/DressingSession.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "platform/ShiftJis.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace pelto {
namespace {

bool ValidSlot(int Slot) {
    return Slot >= 1 && Slot <= SlotCount;
}

std::string ItemName(const TWLOItemData* Item) {
    return Item ? SjisToUtf8(Item->Name()) : std::string();
}

std::string CharaName(int Chara) {
    return Chara >= 0 && Chara < static_cast<int>(CharaData.size())
               ? std::string(CharaData[static_cast<std::size_t>(Chara)].Name)
               : std::string();
}

TStepCaption ColorCaption(int Position) {
    if (Position < 0 || Position >= ColorPositionCount)
        return {TLookEdit::Color};
    return {TLookEdit::Color, std::string(ColorPositionNames[static_cast<std::size_t>(Position)]),
            Position};
}

} // namespace

TDressingSession::TDressingSession(const TGameData& Game)
    : FGame(Game), FChara(FCanvas, Game.JmaList()) {
    assert(Game.EquipList() && "the game's catalogues are loaded first");
    FCanvas.Fill(DefaultBackColor);
    FChara.SetEquipList(Game.EquipList());
    FChara.SetSpriteCache(Game.SpriteCache());
    FChara.OnCharaChange = [this](TDrawChara&, std::uint8_t Group) {
        if (FRestoringPicked)
            FPicked = *FRestoringPicked;
        else
            FPicked.fill(0);
        if (OnBodyGroupChange)
            OnBodyGroupChange(Group);
    };
    FChara.OnPartChange = [this](TDrawChara&, int Slot) {
        if (OnSlotChange)
            OnSlotChange(Slot);
    };
}

int TDressingSession::BodyGroup() const {
    const int Index = CharaIndex();
    return Index < 0 ? -1 : CharaData[static_cast<std::size_t>(Index)].BodyGroup;
}

void TDressingSession::Changed(TSessionChange What) {
    if (OnStateChange)
        OnStateChange(What);
}

template <typename TChange> void TDressingSession::Step(TStepCaption Caption, TChange Change) {
    EndPreview();
    const TLookState Before = State();
    Change();
    const TLookState After = State();
    if (Before.Look.Chara >= 0 && After.Look != Before.Look)
        FHistory.Record(Before, After, std::move(Caption));
}

void TDressingSession::SetChara(int Index) {
    Step({TLookEdit::Chara, CharaName(Index)}, [&] { FChara.SetChara(Index); });
    Changed(TSessionChange::Look);
}

void TDressingSession::Wear(int Slot, const TWLOItemData* Item) {
    const TStepCaption Caption = Item ? TStepCaption{TLookEdit::Wear, ItemName(Item), Slot}
                                      : TStepCaption{TLookEdit::Strip, ItemName(Worn(Slot)), Slot};
    Step(Caption, [&] { FChara.SetPart(Slot, Item); });
    Changed(TSessionChange::Look);
}

const std::vector<TEquipEntry>& TDressingSession::List(int Slot) const {
    static const std::vector<TEquipEntry> None;
    const TEquipList* Lists = FGame.EquipList();
    if (!Lists || BodyGroup() < 0 || !ValidSlot(Slot))
        return None;
    return Lists->GetList(BodyGroup(), Slot);
}

int TDressingSession::PickedIndex(int Slot) const {
    return ValidSlot(Slot) ? FPicked[static_cast<std::size_t>(Slot)] : 0;
}

int TDressingSession::WornIndex(int Slot) const {
    const auto& Entries = List(Slot);
    const TWLOItemData* Item = Worn(Slot);
    const auto Holds = [&](int Index) {
        return Index >= 0 && static_cast<std::size_t>(Index) < Entries.size() &&
               Entries[static_cast<std::size_t>(Index)].Item == Item;
    };
    if (!Item || Holds(PickedIndex(Slot)))
        return Item ? PickedIndex(Slot) : 0;
    const auto Found = std::find_if(Entries.begin(), Entries.end(),
                                    [&](const TEquipEntry& Entry) { return Entry.Item == Item; });
    return Found == Entries.end() ? 0 : static_cast<int>(Found - Entries.begin());
}

void TDressingSession::Pick(int Slot, int Index) {
    const auto& Entries = List(Slot);
    if (Index < 0 || static_cast<std::size_t>(Index) >= Entries.size())
        return;
    const TWLOItemData* Item = Entries[static_cast<std::size_t>(Index)].Item;
    const TStepCaption Caption = Item ? TStepCaption{TLookEdit::Wear, ItemName(Item), Slot}
                                      : TStepCaption{TLookEdit::Strip, ItemName(Worn(Slot)), Slot};
    Step(Caption, [&] {
        FChara.SetPart(Slot, Item);
        FPicked[static_cast<std::size_t>(Slot)] = Index;
    });
    Changed(TSessionChange::Look);
}

void TDressingSession::Strip(int Slot) {
    if (CharaIndex() < 0 || !ValidSlot(Slot))
        return;
    Step({TLookEdit::Strip, ItemName(Worn(Slot)), Slot}, [&] {
        FChara.SetPart(Slot, nullptr);
        FPicked[static_cast<std::size_t>(Slot)] = 0;
    });
    Changed(TSessionChange::Look);
}

void TDressingSession::SetColor(int Position, int Channel, std::uint8_t Level) {
    Step(ColorCaption(Position), [&] { FChara.SetColor(Position, Channel, Level); });
    Changed(TSessionChange::Look);
}

void TDressingSession::SetColors(int Position, const TPositionLevels& Levels) {
    Step(ColorCaption(Position), [&] {
        for (int Channel = 0; Channel < ColorChannelCount; ++Channel)
            FChara.SetColor(Position, Channel, Levels[static_cast<std::size_t>(Channel)]);
    });
    Changed(TSessionChange::Look);
}

void TDressingSession::StepColor(int Position, int Channel, int Delta) {
    const int Level = Color(Position, Channel) + Delta;
    if (Level < 0 || Level > MaxLevel)
        return;
    SetColor(Position, Channel, static_cast<std::uint8_t>(Level));
}

void TDressingSession::ResetColors() {
    Step({TLookEdit::ResetColors}, [&] { FChara.ResetColors(); });
    Changed(TSessionChange::Look);
}

void TDressingSession::SetMotion(std::uint8_t Motion) {
    FChara.SetMotion(Motion);
    Changed(TSessionChange::Pose);
}

void TDressingSession::NextMotion() {
    FChara.NextMotion();
    Changed(TSessionChange::Pose);
}

void TDressingSession::PrevMotion() {
    FChara.PrevMotion();
    Changed(TSessionChange::Pose);
}

void TDressingSession::SetDirection(std::uint8_t Direction) {
    FChara.SetDirection(Direction);
    Changed(TSessionChange::Pose);
}

std::vector<TMotionFrames> TDressingSession::FrameTable() const {
    std::vector<TMotionFrames> Table(MotionActions.size());
    for (std::size_t Motion = 0; Motion < Table.size(); ++Motion)
        for (std::size_t Direction = 0; Direction < Table[Motion].size(); ++Direction)
            Table[Motion][Direction] = {MotionActions[Motion][Direction],
                                        FChara.GetFrameCount(static_cast<std::uint8_t>(Motion),
                                                             static_cast<std::uint8_t>(Direction))};
    return Table;
}

void TDressingSession::SetFrame(int Frame) {
    FChara.SetFrame(Frame);
    Changed(TSessionChange::Pose);
}

void TDressingSession::NextFrame() {
    FChara.NextFrame();
    Changed(TSessionChange::Pose);
}

void TDressingSession::PrevFrame() {
    FChara.PrevFrame();
    Changed(TSessionChange::Pose);
}

void TDressingSession::SetBackColor(TColor Color) {
    FChara.SetBackColor(Color);
    Changed(TSessionChange::Pose);
}

void TDressingSession::SetShadow(bool Value) {
    FChara.SetShadow(Value);
    Changed(TSessionChange::Pose);
}

void TDressingSession::ApplyCode(std::string_view Code) {
    Step({TLookEdit::Code}, [&] { FChara.SetCode(Code); });
    Changed(TSessionChange::Look);
}

TFavoriteItem TDressingSession::ToFavorite(std::string Name) const {
    TFavoriteItem Favorite;
    static_cast<TCharaDesign&>(Favorite) = FChara.Design();
    Favorite.Used = true;
    Favorite.Name = std::move(Name);
    return Favorite;
}

void TDressingSession::ApplyFavorite(const TFavoriteItem& Favorite) {
    Step({TLookEdit::Favorite, Favorite.Name}, [&] { FChara.ApplyDesign(Favorite); });
    Changed(TSessionChange::Look);
}

void TDressingSession::CarryOver(const TDressingSession& From) {
    SetBackColor(From.Chara().BackColor());
    SetShadow(From.Chara().Shadow());
    if (const std::string Code = From.Code(); !Code.empty())
        ApplyCode(Code);
    SetMotion(From.Motion());
    SetDirection(From.Direction());
}

void TDressingSession::PutOn(const TCharaDesign& Design) {
    if (Design.Chara != CharaIndex()) {
        FChara.ApplyDesign(Design);
        return;
    }
    // An identifier may name more than one record of a list: the one worn stays worn.
    TCharaLook Look = FChara.Look();
    for (int Slot = 1; Slot <= SlotCount; ++Slot) {
        const TWLOItemData*& Item = Look.Equip[static_cast<std::size_t>(Slot)];
        const std::uint16_t Id = Design.Part(Slot);
        if ((Item ? Item->ItemID() : 0) != Id)
            Item = Id == 0 ? nullptr : FGame.EquipList()->FindItem(BodyGroup(), Slot, Id);
    }
    Look.Colors = WornDesign(Design, FGame).Color;
    FChara.SetLook(Look);
}

void TDressingSession::Restore(const TLookState& Target) {
    struct TRestoring {
        const std::array<int, SlotCount + 1>*& Picked;
        ~TRestoring() { Picked = nullptr; }
    } Restoring{FRestoringPicked = &Target.Picked};
    FChara.SetLook(Target.Look);
    FPicked = Target.Picked;
}

std::optional<TStepCaption> TDressingSession::Undo() {
    if (!FHistory.CanUndo())
        return std::nullopt;
    EndPreview();
    Restore(FHistory.UndoTarget());
    FHistory.Undone();
    Changed(TSessionChange::Look);
    return FHistory.RedoCaption();
}

std::optional<TStepCaption> TDressingSession::Redo() {
    if (!FHistory.CanRedo())
        return std::nullopt;
    EndPreview();
    Restore(FHistory.RedoTarget());
    FHistory.Redone();
    Changed(TSessionChange::Look);
    return FHistory.UndoCaption();
}

void TDressingSession::SetSlotLocked(int Slot, bool Locked) {
    if (ValidSlot(Slot))
        FLocks.Slots[static_cast<std::size_t>(Slot - 1)] = Locked;
}

void TDressingSession::SetPositionLocked(int Position, bool Locked) {
    if (Position >= 0 && Position < ColorPositionCount)
        FLocks.Positions[static_cast<std::size_t>(Position)] = Locked;
}

void TDressingSession::Randomize(TRandomVary Vary) {
    if (!FSeeds)
        FSeeds.emplace(std::random_device{}());
    Randomize(Vary, (*FSeeds)());
}

void TDressingSession::Randomize(TRandomVary Vary, std::uint64_t Seed) {
    const TCharaDesign Design = RandomDesign(WornDesign(FChara.Design(), FGame), FGame,
                                             {.Seed = Seed, .Locks = FLocks, .Vary = Vary});
    Step({Vary == TRandomVary::Colors ? TLookEdit::RandomColors : TLookEdit::RandomOutfit},
         [&] { PutOn(Design); });
    Changed(TSessionChange::Look);
}

void TDressingSession::Preview(const TTryOn& TryOn) {
    if (CharaIndex() < 0)
        return;
    TCharaLook Look = FChara.Look();
    const bool Valid = std::visit(
        [&](const auto& On) {
            using T = std::decay_t<decltype(On)>;
            if constexpr (std::is_same_v<T, TItemTryOn>) {
                if (!ValidSlot(On.Slot))
                    return false;
                Look.Equip[static_cast<std::size_t>(On.Slot)] = On.Item;
            } else {
                if (On.Position < 0 || On.Position >= ColorPositionCount || On.Channel < 0 ||
                    On.Channel >= ColorChannelCount || On.Level > MaxLevel)
                    return false;
                Look.Colors[static_cast<std::size_t>(On.Position)]
                           [static_cast<std::size_t>(On.Channel)] = On.Level;
            }
            return true;
        },
        TryOn);
    if (!Valid)
        return;
    if (!FPreviewChara) {
        FPreviewChara.emplace(FPreviewCanvas, FGame.JmaList());
        FPreviewChara->SetEquipList(FGame.EquipList());
        FPreviewChara->SetSpriteCache(FGame.SpriteCache());
    }
    FPreviewChara->SetLook(Look);
    const int Was = TriedSlot();
    FTryOn = TryOn;
    if (OnSlotChange) {
        if (Was != 0 && Was != TriedSlot())
            OnSlotChange(Was);
        if (TriedSlot() != 0)
            OnSlotChange(TriedSlot());
    }
    Changed(TSessionChange::Preview);
}

void TDressingSession::EndPreview() {
    if (!FTryOn)
        return;
    const int Was = TriedSlot();
    FTryOn.reset();
    if (Was != 0 && OnSlotChange)
        OnSlotChange(Was);
    Changed(TSessionChange::Preview);
}

int TDressingSession::TriedSlot() const {
    const auto* Item = FTryOn ? std::get_if<TItemTryOn>(&*FTryOn) : nullptr;
    return Item ? Item->Slot : 0;
}

bool TDressingSession::PreviewsSlot(int Slot) const {
    return Slot != 0 && TriedSlot() == Slot;
}

const TWLOItemData* TDressingSession::ShownItem(int Slot) const {
    return PreviewsSlot(Slot) ? std::get<TItemTryOn>(*FTryOn).Item : Worn(Slot);
}

std::uint8_t TDressingSession::ShownColor(int Position, int Channel) const {
    const auto* Level = FTryOn ? std::get_if<TLevelTryOn>(&*FTryOn) : nullptr;
    return Level && Level->Position == Position && Level->Channel == Channel
               ? Level->Level
               : Color(Position, Channel);
}

std::vector<std::string> TDressingSession::StatusLines() const {
    std::array<const TWLOItemData*, SlotCount> Items{};
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        Items[static_cast<std::size_t>(Slot - 1)] = ShownItem(Slot);
    return BonusLines(Items);
}

const TBitmap& TDressingSession::Canvas() {
    if (FTryOn) {
        FPreviewChara->FollowPose(FChara);
        FPreviewChara->Redraw();
        return FPreviewCanvas;
    }
    FChara.Redraw();
    return FCanvas;
}

} // namespace pelto
