#include "model/UDraw.h"

#include "game/wloutils.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

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

constexpr int NeutralLevels = ColorLevels(4, 4, 4);

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
    : FBitmap(Bitmap), FJmaList(JmaList) {}

int TDrawChara::BodyGroup() const {
    return CharaData[static_cast<std::size_t>(FChara)].BodyGroup;
}

int TDrawChara::Action() const {
    return MotionActions[FMotion][FDirection];
}

void TDrawChara::LoadSprite(TJmaJmp& Sprite, int SpriteNo) {
    const std::string Name = JmpFileName(SpriteNo);
    const std::string Path = FJmaList.GetJmaPath(Name);
    if (!Path.empty() && FileExists(Path))
        Sprite.LoadFromFile(Path, Name);
    else
        Sprite.Clear(); // never leave another character's or item's sprite drawn in its place
}

void TDrawChara::SetChara(int Index) {
    if (Index < 0 || Index >= static_cast<int>(CharaData.size()) || Index == FChara)
        return;
    FChara = Index;
    const int Group = BodyGroup();
    FBody.RestorePalette();
    const auto BodyNo = static_cast<std::uint16_t>(BodySpriteNo(Index));
    if (BodyNo != FBodyNo) {
        for (int Slot = 1; Slot <= 6; ++Slot)
            SetPart(Slot, nullptr);
        FBodyNo = BodyNo;
        LoadSprite(FBody, BodyNo);
        if (OnCharaChange)
            OnCharaChange(*this, static_cast<std::uint8_t>(Group));
    }
    FHeadNo = static_cast<std::uint16_t>(HeadSpriteNo(Index));
    LoadSprite(FParts[0], FHeadNo);
    for (auto& Levels : FColors)
        Levels = {4, 4, 4};
    // Items kept on show the neutral colours too, as they would when put on afresh.
    FParts[0].RestorePalette();
    if (FEquip[2])
        FParts[2].AdjustPalette(64, 79, NeutralLevels);
    if (FEquip[6])
        FParts[6].AdjustPalette(208, 223, NeutralLevels);
    FChanged = true;
}

void TDrawChara::SetPart(int Slot, const TWLOItemData* Item) {
    if (FChara == -1 || Slot < 1 || Slot > 6 || Item == FEquip[static_cast<std::size_t>(Slot)])
        return;
    FEquip[static_cast<std::size_t>(Slot)] = Item;
    TJmaJmp& Sprite = FParts[static_cast<std::size_t>(Slot)];
    if (!Item) {
        Sprite.Clear();
    } else {
        LoadSprite(Sprite, Item->SpriteNo(BodyGroup()));
        if (Sprite.Loaded())
            ApplyItemColors(Slot);
    }
    FChanged = true;
    if (OnPartChange)
        OnPartChange(*this, Slot);
}

void TDrawChara::ApplyItemColors(int Slot) {
    const TWLOItemData& Item = *FEquip[static_cast<std::size_t>(Slot)];
    TJmaJmp& Sprite = FParts[static_cast<std::size_t>(Slot)];
    const int Group = BodyGroup();
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
    // The character's own colour positions win over the item's colours of those ranges.
    if (Slot == 2)
        Sprite.AdjustPalette(64, 79, ColorLevels(FColors[2][0], FColors[2][1], FColors[2][2]));
    if (Slot == 6)
        Sprite.AdjustPalette(208, 223, ColorLevels(FColors[3][0], FColors[3][1], FColors[3][2]));
}

const TWLOItemData* TDrawChara::GetPart(int Slot) const {
    if (Slot < 1 || Slot > 6)
        return nullptr;
    return FEquip[static_cast<std::size_t>(Slot)];
}

void TDrawChara::ApplyColorPosition(int Position) {
    const auto& Levels = FColors[static_cast<std::size_t>(Position)];
    const int Packed = ColorLevels(Levels[0], Levels[1], Levels[2]);
    for (const TColorTarget& Target : ColorTargets[static_cast<std::size_t>(Position)]) {
        if (Target.Last < Target.First)
            continue;
        TJmaJmp& Sprite =
            Target.Sprite < 0 ? FBody : FParts[static_cast<std::size_t>(Target.Sprite)];
        Sprite.AdjustPalette(Target.First, Target.Last, Packed);
    }
}

void TDrawChara::SetColor(int Position, int Channel, std::uint8_t Level) {
    if (FChara == -1 || Position < 0 || Position > 3 || Channel < 0 || Channel > 2 || Level > 9)
        return;
    auto& Stored = FColors[static_cast<std::size_t>(Position)][static_cast<std::size_t>(Channel)];
    if (Stored == Level)
        return;
    Stored = Level;
    ApplyColorPosition(Position);
    FChanged = true;
}

std::uint8_t TDrawChara::GetColor(int Position, int Channel) const {
    if (Position < 0 || Position > 3 || Channel < 0 || Channel > 2)
        return 0;
    return FColors[static_cast<std::size_t>(Position)][static_cast<std::size_t>(Channel)];
}

void TDrawChara::ResetColors() {
    for (int Position = 0; Position < 4; ++Position)
        for (int Channel = 0; Channel < 3; ++Channel)
            SetColor(Position, Channel, 4);
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
    return FBody.Loaded() ? FBody.GetFrameCount(Action()) : 0;
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

void TDrawChara::Redraw() {
    if (!FChanged)
        return;
    FBitmap.Fill(FBackColor);
    if (FChara != -1)
        DrawFrame(FBitmap, FFrame);
    FChanged = false;
}

void TDrawChara::DrawFrame(TBitmap& Bitmap, int FrameNo) const {
    if (!IsDrawable(Bitmap))
        throw EWloError("Invalid pixel format.");
    const std::string Name = FrameFileName(Action(), FrameNo);
    if (FShadow)
        DrawShadow(Bitmap, ShadowLeft, ShadowTop);
    for (const int Layer : LayerOrder) {
        const TJmaJmp& Sprite = Layer < 0 ? FBody : FParts[static_cast<std::size_t>(Layer)];
        if (Sprite.Loaded())
            Sprite.DrawFrameByName(Name, Bitmap, 0, 0);
    }
    const TJmaJmp& Hand = FParts[HandSlot];
    if (!Hand.Loaded())
        return;
    const int Index = Hand.IndexOfFrame(Name);
    if (Index < 0)
        return;
    // Hand items are laid out on canvases of their own size, centred on ours.
    const int CanvasWidth = Hand.GetFrameCanvasWidth(Index);
    const int CanvasHeight = Hand.GetFrameCanvasHeight(Index);
    const int X = (CanvasSize - CanvasWidth) / 2;
    const int Y = (CanvasSize - CanvasHeight) / 2 + (CanvasHeight == 256 ? 4 : 0);
    Hand.DrawFrame(Index, Bitmap, X, Y);
}

} // namespace pelto
