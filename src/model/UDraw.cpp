#include "model/UDraw.h"

#include "game/wloutils.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "sprites/SpriteCache.h"

#include <utility>

namespace pelto {
namespace {

// The span of the shadow's ellipse in each row; inside it, pixels with x + y odd are dark.
constexpr int ShadowWidth = 27;
constexpr int ShadowHeight = 13;
constexpr std::array<std::array<int, 2>, ShadowHeight> ShadowRows{{
    {9, 17},
    {6, 20},
    {3, 23},
    {2, 24},
    {1, 25},
    {0, 26},
    {1, 25},
    {0, 26},
    {1, 25},
    {2, 24},
    {3, 23},
    {6, 20},
    {9, 17},
}};
constexpr TColor ShadowColor = RGBColor(51, 76, 57);
constexpr TColor ShadowKeyColor = RGBColor(0, 255, 0);
constexpr int ShadowLeft = 51;
constexpr int ShadowTop = 94;

// Which sprites each colour position recolours, and where in their palettes.
struct TColorTarget {
    int Sprite; // -1 the body, 0 the head, 1..6 a slot's item
    int First;
    int Last;
};
constexpr std::array<std::array<TColorTarget, 2>, 4> ColorTargets{{
    {{{0, 32, 47}, {0, 0, -1}}},
    {{{-1, 48, 63}, {0, 0, -1}}},
    {{{-1, 64, 79}, {2, 64, 79}}},
    {{{-1, 208, 223}, {6, 208, 223}}},
}};

// Layers drawn at the canvas origin, bottom first; the hand item follows, centred.
constexpr std::array<int, 7> LayerOrder{-1, 4, 5, 2, 0, 6, 1};
constexpr int HandSlot = 3;

bool IsDrawable(const TBitmap& Bitmap) {
    return Bitmap.PixelFormat() == TPixelFormat::pf24bit ||
           Bitmap.PixelFormat() == TPixelFormat::pf32bit;
}

TBitmap MakeShadowBitmap() {
    TBitmap Bitmap(ShadowWidth, ShadowHeight, TPixelFormat::pf24bit);
    Bitmap.Fill(ShadowKeyColor);
    for (int Y = 0; Y < ShadowHeight; ++Y) {
        std::uint8_t* Row = Bitmap.ScanLine(Y);
        for (int X = ShadowRows[Y][0]; X <= ShadowRows[Y][1]; ++X) {
            if ((X + Y) % 2 == 0)
                continue;
            Row[3 * X] = GetBValue(ShadowColor);
            Row[3 * X + 1] = GetGValue(ShadowColor);
            Row[3 * X + 2] = GetRValue(ShadowColor);
        }
    }
    return Bitmap;
}

} // namespace

const TBitmap& ShadowBitmap() {
    static const TBitmap Bitmap = MakeShadowBitmap();
    return Bitmap;
}

void DrawShadow(TBitmap& Bitmap, int X, int Y) {
    if (!IsDrawable(Bitmap))
        throw EWloError("Invalid pixel format.");
    const TBitmap& Shadow = ShadowBitmap();
    const int Bpp = Bitmap.BytesPerPixel();
    for (int SY = 0; SY < Shadow.Height(); ++SY) {
        const int DY = Y + SY;
        if (DY < 0 || DY >= Bitmap.Height())
            continue;
        const std::uint8_t* Source = Shadow.ScanLine(SY);
        std::uint8_t* Dest = Bitmap.ScanLine(DY);
        for (int SX = 0; SX < Shadow.Width(); ++SX) {
            const int DX = X + SX;
            const std::uint8_t* P = Source + 3 * SX;
            if (DX < 0 || DX >= Bitmap.Width() || RGBColor(P[2], P[1], P[0]) == ShadowKeyColor)
                continue;
            std::uint8_t* Q = Dest + static_cast<std::size_t>(DX) * Bpp;
            Q[0] = P[0];
            Q[1] = P[1];
            Q[2] = P[2];
            if (Bpp == 4)
                Q[3] = 255;
        }
    }
}

TDrawChara::TDrawChara(TBitmap& Bitmap, const TJmaList& JmaList)
    : FBitmap(Bitmap), FJmaList(JmaList), FBody(std::make_unique<TJmaJmp>()) {
    for (TSprite& Part : FParts)
        Part = std::make_unique<TJmaJmp>();
}

int TDrawChara::BodyGroup() const {
    return CharaData[static_cast<std::size_t>(FChara)].BodyGroup;
}

int TDrawChara::Action() const {
    return MotionActions[FMotion][FDirection];
}

TDrawChara::TSprite TDrawChara::LoadSprite(int SpriteNo) const {
    auto Sprite = std::make_unique<TJmaJmp>();
    const std::string Name = JmpFileName(SpriteNo);
    const std::string Path = FJmaList.GetJmaPath(Name);
    if (Path.empty())
        return Sprite;
    if (FSpriteCache)
        FSpriteCache->Load(*Sprite, Path, Name);
    else if (FileExists(Path) && FJmaList.OnDemand())
        Sprite->MapFromFile(Path, Name);
    else if (FileExists(Path))
        Sprite->LoadFromFile(Path, Name);
    return Sprite;
}

std::vector<std::string> TDrawChara::MissingSprites() const {
    std::vector<std::string> Names;
    if (FChara == -1)
        return Names;
    if (!FBody->Loaded())
        Names.push_back(JmpFileName(FBodyNo));
    if (!FParts[0]->Loaded())
        Names.push_back(JmpFileName(FHeadNo));
    return Names;
}

void TDrawChara::Commit(const TCharaLook& Look) {
    const auto Index = static_cast<std::size_t>(Look.Chara);
    const int Group = CharaData[Index].BodyGroup;
    const auto BodyNo = static_cast<std::uint16_t>(BodySpriteNo(Look.Chara));
    const auto HeadNo = static_cast<std::uint16_t>(HeadSpriteNo(Look.Chara));
    const bool GroupChanged = BodyNo != FBodyNo;

    TSprite Body = GroupChanged ? LoadSprite(BodyNo) : nullptr;
    TSprite Head = HeadNo != FHeadNo ? LoadSprite(HeadNo) : nullptr;
    std::array<TSprite, 7> Parts;
    for (std::size_t Slot = 1; Slot <= SlotCount; ++Slot) {
        const TWLOItemData* Item = Look.Equip[Slot];
        if (Item == FEquip[Slot] && !GroupChanged)
            continue;
        Parts[Slot] = Item ? LoadSprite(Item->SpriteNo(Group)) : std::make_unique<TJmaJmp>();
    }

    // Nothing below can fail.
    if (Body)
        FBody = std::move(Body);
    if (Head)
        FParts[0] = std::move(Head);
    for (std::size_t Slot = 1; Slot <= SlotCount; ++Slot)
        if (Parts[Slot])
            FParts[Slot] = std::move(Parts[Slot]);
    const auto OldEquip = FEquip;
    FChara = Look.Chara;
    FBodyNo = BodyNo;
    FHeadNo = HeadNo;
    FEquip = Look.Equip;
    FColors = Look.Colors;
    Recolor();
    FChanged = true;

    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        if (FEquip[static_cast<std::size_t>(Slot)] != OldEquip[static_cast<std::size_t>(Slot)] &&
            OnPartChange)
            OnPartChange(*this, Slot);
    if (GroupChanged && OnCharaChange)
        OnCharaChange(*this, static_cast<std::uint8_t>(Group));
}

void TDrawChara::SetChara(int Index) {
    if (Index < 0 || Index >= static_cast<int>(CharaData.size()) || Index == FChara)
        return;
    TCharaLook New;
    New.Chara = Index;
    if (ItemsCarryOver(FChara, Index))
        New.Equip = FEquip;
    Commit(New);
}

void TDrawChara::SetPart(int Slot, const TWLOItemData* Item) {
    if (FChara == -1 || Slot < 1 || Slot > SlotCount ||
        Item == FEquip[static_cast<std::size_t>(Slot)])
        return;
    TCharaLook New = Look();
    New.Equip[static_cast<std::size_t>(Slot)] = Item;
    Commit(New);
}

void TDrawChara::SetLook(const TCharaLook& Look) {
    if (Look.Chara < 0 || Look.Chara >= static_cast<int>(CharaData.size()))
        return;
    Commit(Look);
}

TCharaDesign TDrawChara::Design() const {
    TCharaDesign Design;
    Design.Chara = FChara;
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        if (const TWLOItemData* Item = GetPart(Slot))
            Design.Parts[static_cast<std::size_t>(Slot - 1)] = Item->ItemID();
    Design.Color = FColors;
    return Design;
}

void TDrawChara::ApplyDesign(const TCharaDesign& Design) {
    TCharaLook New = Look();
    if (Design.Chara >= 0 && Design.Chara < static_cast<int>(CharaData.size()) &&
        Design.Chara != FChara) {
        New.Chara = Design.Chara;
        New.Colors = NeutralColors;
    }
    if (New.Chara == -1)
        return;
    const int Group = CharaData[static_cast<std::size_t>(New.Chara)].BodyGroup;
    for (int Slot = 1; Slot <= SlotCount; ++Slot) {
        const std::uint16_t Id = Design.Parts[static_cast<std::size_t>(Slot - 1)];
        New.Equip[static_cast<std::size_t>(Slot)] =
            Id == 0 || !FEquipList ? nullptr : FEquipList->FindItem(Group, Slot, Id);
    }
    for (std::size_t Position = 0; Position < New.Colors.size(); ++Position)
        for (std::size_t Channel = 0; Channel < ColorChannelCount; ++Channel)
            if (const std::uint8_t Level = Design.Color[Position][Channel]; Level <= MaxLevel)
                New.Colors[Position][Channel] = Level;
    Commit(New);
}

void TDrawChara::Recolor() {
    // Each palette follows from the state alone: the file's, then the item's colour words,
    // then the character's colour positions over the ranges they own. A position at its
    // neutral levels leaves the body and head exactly as the file has them.
    FBody->RestorePalette();
    FParts[0]->RestorePalette();
    for (std::size_t Position = 0; Position < ColorTargets.size(); ++Position) {
        const auto& Levels = FColors[Position];
        if (Levels == NeutralColors[Position])
            continue;
        const int Packed = ColorLevels(Levels[0], Levels[1], Levels[2]);
        for (const TColorTarget& Target : ColorTargets[Position])
            if (Target.Sprite <= 0 && Target.Last >= Target.First)
                (Target.Sprite < 0 ? *FBody : *FParts[0])
                    .AdjustPalette(Target.First, Target.Last, Packed);
    }
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        if (FEquip[static_cast<std::size_t>(Slot)] &&
            FParts[static_cast<std::size_t>(Slot)]->Loaded())
            ApplyItemColors(Slot);
}

void TDrawChara::ApplyItemColors(int Slot) {
    const TWLOItemData& Item = *FEquip[static_cast<std::size_t>(Slot)];
    TJmaJmp& Sprite = *FParts[static_cast<std::size_t>(Slot)];
    const int Group = BodyGroup();
    Sprite.RestorePalette();
    for (int K = 0; K < 12; ++K) {
        const std::uint32_t Word = Item.ColorWord(4 * (K / 3) + Group);
        // Nine decimal digits: three red-green-blue digit triples (the first may exceed 999).
        const std::uint32_t Triples[3] = {Word / 1000000, Word / 1000 % 1000, Word % 1000};
        const std::uint32_t Triple = Triples[K % 3];
        const int First = 16 * (K + 1);
        Sprite.AdjustPalette(First, First + 15,
                             ColorLevels(static_cast<int>(Triple / 100),
                                         static_cast<int>(Triple / 10 % 10),
                                         static_cast<int>(Triple % 10)));
    }
    // The character's own colour positions win over the item's colours of the ranges they
    // share with it.
    for (std::size_t Position = 0; Position < ColorTargets.size(); ++Position) {
        const auto& Levels = FColors[Position];
        for (const TColorTarget& Target : ColorTargets[Position])
            if (Target.Sprite == Slot && Target.Last >= Target.First)
                Sprite.AdjustPalette(Target.First, Target.Last,
                                     ColorLevels(Levels[0], Levels[1], Levels[2]));
    }
}

const TWLOItemData* TDrawChara::GetPart(int Slot) const {
    if (Slot < 1 || Slot > 6)
        return nullptr;
    return FEquip[static_cast<std::size_t>(Slot)];
}

void TDrawChara::SetColor(int Position, int Channel, std::uint8_t Level) {
    if (FChara == -1 || Position < 0 || Position > 3 || Channel < 0 || Channel > 2 ||
        Level > MaxLevel)
        return;
    auto& Stored = FColors[static_cast<std::size_t>(Position)][static_cast<std::size_t>(Channel)];
    if (Stored == Level)
        return;
    Stored = Level;
    Recolor();
    FChanged = true;
}

std::uint8_t TDrawChara::GetColor(int Position, int Channel) const {
    if (Position < 0 || Position > 3 || Channel < 0 || Channel > 2)
        return 0;
    return FColors[static_cast<std::size_t>(Position)][static_cast<std::size_t>(Channel)];
}

void TDrawChara::ResetColors() {
    if (FChara != -1) {
        FColors = NeutralColors;
        Recolor();
    }
    FChanged = true;
}

void TDrawChara::SetMotion(std::uint8_t Motion) {
    if (FChara == -1 || Motion >= MotionActions.size() || Motion == FMotion)
        return;
    FMotion = Motion;
    FFrame = 1;
    FChanged = true;
}

void TDrawChara::NextMotion() {
    SetMotion(static_cast<std::uint8_t>((FMotion + 1) % MotionActions.size()));
}

void TDrawChara::PrevMotion() {
    SetMotion(
        static_cast<std::uint8_t>((FMotion + MotionActions.size() - 1) % MotionActions.size()));
}

void TDrawChara::SetDirection(std::uint8_t Direction) {
    if (FChara == -1 || Direction > 7 || Direction == FDirection)
        return;
    FDirection = Direction;
    FChanged = true;
}

int TDrawChara::GetFrameCount() const {
    return FBody->Loaded() ? FBody->GetFrameCount(Action()) : 0;
}

int TDrawChara::GetFrameCount(std::uint8_t Motion, std::uint8_t Direction) const {
    assert(Motion < MotionActions.size() && Direction < MotionActions[0].size());
    return FBody->Loaded() ? FBody->GetFrameCount(MotionActions[Motion][Direction]) : 0;
}

void TDrawChara::SetFrame(int Frame) {
    if (FChara == -1 || Frame < 1 || Frame > GetFrameCount())
        return;
    FFrame = Frame;
    FChanged = true;
}

void TDrawChara::NextFrame() {
    const int Count = GetFrameCount();
    if (Count <= 1)
        return;
    SetFrame(FFrame < Count ? FFrame + 1 : 1);
}

void TDrawChara::PrevFrame() {
    const int Count = GetFrameCount();
    if (Count <= 1)
        return;
    // A frame number left beyond a shorter action (after a turn) steps back to its last frame.
    SetFrame(FFrame > 1 && FFrame <= Count ? FFrame - 1 : Count);
}

void TDrawChara::SetBackColor(TColor Color) {
    if (Color == FBackColor)
        return;
    FBackColor = Color;
    FChanged = true;
}

void TDrawChara::SetShadow(bool Value) {
    if (Value == FShadow)
        return;
    FShadow = Value;
    FChanged = true;
}

void TDrawChara::FollowPose(const TDrawChara& Leader) {
    // Copied rather than set: a frame left beyond a shorter action stays as Leader has it.
    if (FMotion == Leader.FMotion && FDirection == Leader.FDirection && FFrame == Leader.FFrame &&
        FBackColor == Leader.FBackColor && FShadow == Leader.FShadow)
        return;
    FMotion = Leader.FMotion;
    FDirection = Leader.FDirection;
    FFrame = Leader.FFrame;
    FBackColor = Leader.FBackColor;
    FShadow = Leader.FShadow;
    FChanged = true;
}

void TDrawChara::Redraw() {
    if (!FChanged)
        return;
    FBitmap.Fill(FBackColor);
    if (FChara != -1)
        DrawFrame(FBitmap, FFrame);
    FChanged = false;
}

void TDrawChara::DrawFrame(TBitmap& Bitmap, int FrameNo) const {
    DrawFrame(Bitmap, FMotion, FDirection, FrameNo);
}

void TDrawChara::DrawFrame(TBitmap& Bitmap, std::uint8_t Motion, std::uint8_t Direction,
                           int FrameNo) const {
    if (!IsDrawable(Bitmap))
        throw EWloError("Invalid pixel format.");
    for (const int Layer : DrawnLayers())
        DrawLayer(Bitmap, Layer, Motion, Direction, FrameNo);
}

std::vector<int> TDrawChara::DrawnLayers() const {
    std::vector<int> Layers;
    if (FShadow)
        Layers.push_back(ShadowLayer);
    for (const int Layer : LayerOrder)
        if ((Layer < 0 ? *FBody : *FParts[static_cast<std::size_t>(Layer)]).Loaded())
            Layers.push_back(Layer < 0 ? BodyLayer : Layer);
    if (FParts[HandSlot]->Loaded())
        Layers.push_back(HandSlot);
    return Layers;
}

void TDrawChara::DrawLayer(TBitmap& Bitmap, int Layer, std::uint8_t Motion, std::uint8_t Direction,
                           int FrameNo) const {
    if (!IsDrawable(Bitmap))
        throw EWloError("Invalid pixel format.");
    assert(Motion < MotionActions.size() && Direction < MotionActions[0].size());
    assert(Layer >= ShadowLayer && Layer <= SlotCount);
    if (Layer == ShadowLayer) {
        DrawShadow(Bitmap, ShadowLeft, ShadowTop);
        return;
    }
    const TJmaJmp& Sprite = Layer == BodyLayer ? *FBody : *FParts[static_cast<std::size_t>(Layer)];
    if (!Sprite.Loaded())
        return;
    const std::string Name = FrameFileName(MotionActions[Motion][Direction], FrameNo);
    if (Layer != HandSlot) {
        Sprite.DrawFrameByName(Name, Bitmap, 0, 0);
        return;
    }
    const int Index = Sprite.IndexOfFrame(Name);
    if (Index < 0)
        return;
    // Hand items are laid out on canvases of their own size, centred on ours.
    const int CanvasWidth = Sprite.GetFrameCanvasWidth(Index);
    const int CanvasHeight = Sprite.GetFrameCanvasHeight(Index);
    const int X = (CanvasSize - CanvasWidth) / 2;
    const int Y = (CanvasSize - CanvasHeight) / 2 + (CanvasHeight == 256 ? 4 : 0);
    Sprite.DrawFrame(Index, Bitmap, X, Y);
}

} // namespace pelto
