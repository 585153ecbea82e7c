#pragma once

#include "model/UCommon.h"
#include "platform/Bitmap.h"
#include "sprites/wlojmajmp.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class TEquipList;
class TJmaList;
class TSpriteCache;
class TStream;
struct TWLOItemData;

class TDrawChara;
using TCharaChangeEvent = std::function<void(TDrawChara& Sender, std::uint8_t BodyGroup)>;
using TPartChangeEvent = std::function<void(TDrawChara& Sender, int Slot)>;

inline constexpr int CanvasSize = 128;
/// Layers of DrawLayer besides the sprites of Part.
inline constexpr int ShadowLayer = -2;
inline constexpr int BodyLayer = -1;
inline constexpr TColor DefaultBackColor = 0xFFFFFF;

/// The ground shadow drawn under the character: 27 x 13 pixels, pure green where transparent.
const TBitmap& ShadowBitmap();
/// Draws ShadowBitmap with pure green transparent; in a 32-bit bitmap its pixels get alpha 255.
void DrawShadow(TBitmap& Bitmap, int X, int Y);

/// What a change of look may replace, by record: the character, the worn items and the colour
/// levels. Taken from a compositor and put back on it, it is exactly what was shown.
struct TCharaLook {
    std::int32_t Chara = -1;
    std::array<const TWLOItemData*, SlotCount + 1> Equip{}; // slots 1..6; [0] unused
    TColorLevels Colors = NeutralColors;
    friend bool operator==(const TCharaLook&, const TCharaLook&) = default;
};

/// The dressed character: one of the 15 characters, six worn items, four colour positions,
/// motion, direction and frame. Setters only record the new state; Redraw brings the canvas
/// up to date. Arguments out of range are ignored. A change that loads sprites either
/// succeeds whole or raises and leaves everything as it was.
class TDrawChara {
public:
    /// Bitmap (the 128 x 128 24-bit canvas) and JmaList are not owned and must outlive it.
    TDrawChara(TBitmap& Bitmap, const TJmaList& JmaList);
    TDrawChara(const TDrawChara&) = delete;
    TDrawChara& operator=(const TDrawChara&) = delete;

    /// The catalogue SetCode resolves item identifiers with; without one, codes apply no items.
    void SetEquipList(const TEquipList* EquipList) { FEquipList = EquipList; }
    /// Where sprites come from once decoded; without one, each is read from its archive.
    void SetSpriteCache(const TSpriteCache* Cache) { FSpriteCache = Cache; }

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
    /// Item nullptr takes the slot's item off. An item whose sprite the catalogue lacks is
    /// worn but not drawn.
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
    /// Frames of the action of Motion facing Direction.
    int GetFrameCount(std::uint8_t Motion, std::uint8_t Direction) const;

    void SetBackColor(TColor Color);
    void SetShadow(bool Value);
    /// Takes Leader's motion, direction, frame, background and shadow exactly as they are, so
    /// that another look is drawn in the very pose Leader shows.
    void FollowPose(const TDrawChara& Leader);

    /// Repaints the canvas if anything changed since the last call.
    void Redraw();
    /// Draws frame FrameNo of the current action, layer by layer, over what Bitmap holds.
    void DrawFrame(TBitmap& Bitmap, int FrameNo) const;
    /// The same for the action of Motion facing Direction, the pose left as it is.
    void DrawFrame(TBitmap& Bitmap, std::uint8_t Motion, std::uint8_t Direction, int FrameNo) const;

    /// The layers drawn now, bottom first: the shadow when it is on, then every loaded sprite
    /// in the draw order (body, slots 4, 5 and 2, head, slots 6 and 1, hand last).
    std::vector<int> DrawnLayers() const;
    /// One layer of DrawFrame alone, over what Bitmap holds: ShadowLayer, BodyLayer, or a
    /// sprite of Part (0 the head, 1..6 the slots). Drawing every DrawnLayers() in order is
    /// DrawFrame.
    void DrawLayer(TBitmap& Bitmap, int Layer, std::uint8_t Motion, std::uint8_t Direction,
                   int FrameNo) const;

    /// The canvas as RGB, or the current frame on a transparent background as RGBA: packed as
    /// the window has always saved it, or as every other PNG of ours (the same pixels).
    enum class TPngPacking { Classic, Ours };
    void SaveToPNGStream(TStream& Stream, bool Transparent,
                         TPngPacking Packing = TPngPacking::Classic) const;

    /// The Base64 code of the character, its items and colours; empty without a character.
    std::string GetCode() const;
    /// Applies a code; raises EInvalidCode when it is not one, changing nothing.
    void SetCode(std::string_view Code);

    /// The character, its items and colours as a code or a favourite keeps them.
    TCharaDesign Design() const;
    /// Puts Design on in one step: its character (the current one when it names none of the
    /// 15; nothing happens without either), the items the character's group can wear with
    /// those identifiers (others leave their slot empty), and its colour levels 0..9 (others
    /// stay neutral, or as they are when the character stays).
    void ApplyDesign(const TCharaDesign& Design);

    TCharaLook Look() const { return {FChara, FEquip, FColors}; }
    /// Puts Look on in one step, as one of this compositor's looks; a look without one of the 15
    /// characters changes nothing.
    void SetLook(const TCharaLook& Look);

    /// The names of the character's body and head sprites that the catalogue lacks: the
    /// character is then drawn without them.
    std::vector<std::string> MissingSprites() const;

    const TJmaJmp& Body() const { return *FBody; }
    /// 0 the head sprite, 1..6 the slots' sprites.
    const TJmaJmp& Part(int Index) const {
        assert(Index >= 0 && Index <= SlotCount);
        return *FParts[static_cast<std::size_t>(Index)];
    }

    TCharaChangeEvent OnCharaChange;
    TPartChangeEvent OnPartChange;

private:
    using TSprite = std::unique_ptr<TJmaJmp>;
    int BodyGroup() const;
    // Loads every sprite Look needs aside, then swaps them in; nothing changes on failure.
    // Sprites already loaded are carried over, so that the catalogue is read only for what
    // actually changes.
    void Commit(const TCharaLook& Look);
    // A freshly loaded sprite, or an empty one when the catalogue has no such file.
    TSprite LoadSprite(int SpriteNo) const;
    void Recolor();
    void ApplyItemColors(int Slot);

    TBitmap& FBitmap;
    TColor FBackColor = DefaultBackColor;
    bool FChanged = false;
    std::uint8_t FMotion = 0;
    std::uint8_t FDirection = DefaultDirection;
    std::uint16_t FBodyNo = 0;
    std::uint16_t FHeadNo = 0;
    std::array<const TWLOItemData*, 7> FEquip{}; // slots 1..6; [0] unused
    std::int32_t FChara = -1;
    std::int32_t FFrame = 1;
    bool FShadow = false;
    const TJmaList& FJmaList;
    const TEquipList* FEquipList = nullptr;
    const TSpriteCache* FSpriteCache = nullptr;
    TSprite FBody;
    std::array<TSprite, 7> FParts; // [0] head, [1..6] slots
    TColorLevels FColors = NeutralColors;
};

} // namespace pelto
