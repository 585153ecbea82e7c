#pragma once

#include "platform/Bitmap.h"
#include "sprites/wlojmajmp.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pelto {

class TEquipList;
class TJmaList;
class TStream;
struct TWLOItemData;

class TDrawChara;
using TCharaChangeEvent = std::function<void(TDrawChara& Sender, std::uint8_t BodyGroup)>;
using TPartChangeEvent = std::function<void(TDrawChara& Sender, int Slot)>;

inline constexpr int CanvasSize = 128;
inline constexpr TColor DefaultBackColor = 0xFFFFFF;

/// The ground shadow drawn under the character: 27 x 13 pixels, pure green where transparent.
const TBitmap& ShadowBitmap();
/// Draws ShadowBitmap with pure green transparent; in a 32-bit bitmap its pixels get alpha 255.
void DrawShadow(TBitmap& Bitmap, int X, int Y);

/// The dressed character: one of the 15 characters, six worn items, four colour positions,
/// motion, direction and frame. Setters only record the new state; Redraw brings the canvas
/// up to date. Arguments out of range are ignored.
class TDrawChara {
public:
    /// Bitmap (the 128 x 128 24-bit canvas) and JmaList are not owned and must outlive it.
    TDrawChara(TBitmap& Bitmap, const TJmaList& JmaList);
    TDrawChara(const TDrawChara&) = delete;
    TDrawChara& operator=(const TDrawChara&) = delete;

    /// The catalogue SetCode resolves item identifiers with; without one, codes apply no items.
    void SetEquipList(const TEquipList* EquipList) { FEquipList = EquipList; }

    int Chara() const { return FChara; }
    int Frame() const { return FFrame; }
    std::uint8_t Motion() const { return FMotion; }
    std::uint8_t Direction() const { return FDirection; }
    TColor BackColor() const { return FBackColor; }
    bool Shadow() const { return FShadow; }
    bool Changed() const { return FChanged; }
    /// MotionActions of the current motion and direction.
    int Action() const;

    void SetChara(int Index);
    /// Item nullptr takes the slot's item off.
    void SetPart(int Slot, const TWLOItemData* Item);
    const TWLOItemData* GetPart(int Slot) const;

    /// Position 0..3, Channel 0 red, 1 green, 2 blue, Level 0..9 (4 neutral).
    void SetColor(int Position, int Channel, std::uint8_t Level);
    std::uint8_t GetColor(int Position, int Channel) const;
    void ResetColors();

    void SetMotion(std::uint8_t Motion);
    void NextMotion();
    void PrevMotion();
    void SetDirection(std::uint8_t Direction);
    void SetFrame(int Frame);
    void NextFrame();
    void PrevFrame();
    /// Frames of the current action, as the body sprite has them.
    int GetFrameCount() const;

    void SetBackColor(TColor Color);
    void SetShadow(bool Value);

    /// Repaints the canvas if anything changed since the last call.
    void Redraw();
    /// Draws frame FrameNo of the current action, layer by layer, over what Bitmap holds.
    void DrawFrame(TBitmap& Bitmap, int FrameNo) const;

    /// The canvas as RGB, or the current frame on a transparent background as RGBA.
    void SaveToPNGStream(TStream& Stream, bool Transparent) const;
    /// Replaces FileName only when the whole file was written.
    void SaveToPNGFile(const std::string& FileName, bool Transparent) const;

    /// The Base64 code of the character, its items and colours; empty without a character.
    std::string GetCode() const;
    /// Applies a code; raises "Invalid code error." when it is not one, changing nothing.
    void SetCode(std::string_view Code);

    const TJmaJmp& Body() const { return FBody; }
    /// 0 the head sprite, 1..6 the slots' sprites.
    const TJmaJmp& Part(int Index) const { return FParts[static_cast<std::size_t>(Index)]; }

    TCharaChangeEvent OnCharaChange;
    TPartChangeEvent OnPartChange;

private:
    int BodyGroup() const;
    void ApplyItemColors(int Slot);
    void ApplyColorPosition(int Position);
    // Loads Sprite from the catalogue, or unloads it when the catalogue has no such file.
    void LoadSprite(TJmaJmp& Sprite, int SpriteNo);

    TBitmap& FBitmap;
    TColor FBackColor = DefaultBackColor;
    bool FChanged = false;
    std::uint8_t FMotion = 0;
    std::uint8_t FDirection = 4;
    std::uint16_t FBodyNo = 0;
    std::uint16_t FHeadNo = 0;
    std::array<const TWLOItemData*, 7> FEquip{}; // slots 1..6; [0] unused
    std::int32_t FChara = -1;
    std::int32_t FFrame = 1;
    bool FShadow = false;
    const TJmaList& FJmaList;
    const TEquipList* FEquipList = nullptr;
    TJmaJmp FBody;
    std::array<TJmaJmp, 7> FParts; // [0] head, [1..6] slots
    std::array<std::array<std::uint8_t, 3>, 4> FColors{
        {{4, 4, 4}, {4, 4, 4}, {4, 4, 4}, {4, 4, 4}}};
};

} // namespace pelto
