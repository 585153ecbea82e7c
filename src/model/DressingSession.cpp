#include "model/DressingSession.h"

#include "game/wloutils.h"
#include "model/GameData.h"

#include <cassert>
#include <cstddef>
#include <utility>

namespace pelto {
namespace {

constexpr std::size_t StatusLabelWidth = 4;

std::size_t CodePoints(std::string_view Utf8) {
    std::size_t Count = 0;
    for (const char C : Utf8)
        Count += (static_cast<unsigned char>(C) & 0xC0) != 0x80;
    return Count;
}

bool ValidSlot(int Slot) {
    return Slot >= 1 && Slot <= SlotCount;
}

} // namespace

std::vector<std::string> BonusLines(std::span<const TWLOItemData* const> Items) {
    std::array<std::int32_t, WloStatusTypes.size()> Totals{};
    for (const TWLOItemData* Item : Items) {
        if (!Item)
            continue;
        for (int J = 0; J < 2; ++J)
            for (std::size_t K = 0; K < WloStatusTypes.size(); ++K)
                if (Item->StatType(J) == WloStatusTypes[K].Type)
                    Totals[K] += Item->StatValue(J) - 100;
    }
    std::vector<std::string> Lines;
    for (std::size_t K = 0; K < WloStatusTypes.size(); ++K) {
        if (Totals[K] == 0)
            continue;
        const std::string_view Label = WloStatusTypes[K].Label;
        const std::size_t Width = CodePoints(Label);
        std::string Line(Width < StatusLabelWidth ? StatusLabelWidth - Width : 0, ' ');
        Line += Label;
        Line += (Totals[K] > 0 ? "+" : "") + std::to_string(Totals[K]);
        Lines.push_back(std::move(Line));
    }
    return Lines;
}

TDressingSession::TDressingSession(const TGameData& Game)
    : FGame(Game), FChara(FCanvas, Game.JmaList()) {
    assert(Game.EquipList() && "the game's catalogues are loaded first");
    FCanvas.Fill(DefaultBackColor);
    FChara.SetEquipList(Game.EquipList());
    FChara.SetSpriteCache(Game.SpriteCache());
    FChara.OnCharaChange = [this](TDrawChara&, std::uint8_t Group) {
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

void TDressingSession::SetChara(int Index) {
    FChara.SetChara(Index);
    Changed(TSessionChange::Look);
}

void TDressingSession::Wear(int Slot, const TWLOItemData* Item) {
    FChara.SetPart(Slot, Item);
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

void TDressingSession::Pick(int Slot, int Index) {
    const auto& Entries = List(Slot);
    if (Index < 0 || static_cast<std::size_t>(Index) >= Entries.size())
        return;
    FChara.SetPart(Slot, Entries[static_cast<std::size_t>(Index)].Item);
    FPicked[static_cast<std::size_t>(Slot)] = Index;
    Changed(TSessionChange::Look);
}

void TDressingSession::Strip(int Slot) {
    if (CharaIndex() < 0 || !ValidSlot(Slot))
        return;
    FChara.SetPart(Slot, nullptr);
    FPicked[static_cast<std::size_t>(Slot)] = 0;
    Changed(TSessionChange::Look);
}

void TDressingSession::SetColor(int Position, int Channel, std::uint8_t Level) {
    FChara.SetColor(Position, Channel, Level);
    Changed(TSessionChange::Look);
}

void TDressingSession::StepColor(int Position, int Channel, int Delta) {
    const int Level = Color(Position, Channel) + Delta;
    if (Level < 0 || Level > MaxLevel)
        return;
    SetColor(Position, Channel, static_cast<std::uint8_t>(Level));
}

void TDressingSession::ResetColors() {
    FChara.ResetColors();
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
    FChara.SetCode(Code);
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
    FChara.ApplyDesign(Favorite);
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

std::vector<std::string> TDressingSession::StatusLines() const {
    std::array<const TWLOItemData*, SlotCount> Items{};
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        Items[static_cast<std::size_t>(Slot - 1)] = Worn(Slot);
    return BonusLines(Items);
}

const TBitmap& TDressingSession::Canvas() {
    FChara.Redraw();
    return FCanvas;
}

void TDressingSession::SaveImage(TImageFileType Type, const std::string& FileName) {
    SaveImageFile(FChara, Canvas(), Type, FileName);
}

TExportShape TDressingSession::Export(const TExportOptions& Options, const std::string& FileName,
                                      const TExportProgress& Progress) {
    return ExportPicture(FChara, Canvas(), Options, FileName, Progress);
}

void TDressingSession::ExportToStream(const TExportOptions& Options, TStream& Stream) {
    ExportPictureToStream(FChara, Canvas(), Options, Stream);
}

} // namespace pelto
