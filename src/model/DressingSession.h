#pragma once

#include "model/CharaDesign.h"
#include "model/ItemListing.h"
#include "model/LookHistory.h"
#include "model/UCommon.h"
#include "model/UDraw.h"
#include "platform/Bitmap.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pelto {

class TGameData;
struct TWLOItemData;

/// What a change touched, for whoever shows the session.
enum class TSessionChange {
    Look,    // the character, an item or a colour: the code and the status lines too
    Pose,    // motion, direction, frame, background or shadow: the picture only
    Preview, // a try-on began, moved or ended: the picture, the status lines and slot labels
};

/// An item tried on in Slot 1..6 (nullptr: the slot tried empty).
struct TItemTryOn {
    int Slot;
    const TWLOItemData* Item;
};
/// Level 0..9 of Channel 0..2 at colour Position 0..3 tried on.
struct TLevelTryOn {
    int Position;
    int Channel;
    std::uint8_t Level;
};
/// A look shown beside the design without becoming part of it.
using TTryOn = std::variant<TItemTryOn, TLevelTryOn>;

/// The action a pose shows, and its frames for the character.
struct TActionFrames {
    int Action;
    int Frames;
};
/// One motion's poses, by direction.
using TMotionFrames = std::array<TActionFrames, MotionActions[0].size()>;

/// One character being dressed over the game's data: the compositor and its canvas, the list
/// position last picked per slot, and everything a front end asks of them. The viewer, the
/// command line and a render service each keep their own over one shared, read-only
/// TGameData. Every change either succeeds whole or raises and leaves the session as it was.
///
/// Every change of look (character, item, colour, code, favourite, random outfit) of a chosen
/// character is one step of its history, which Undo and Redo walk; the first choice of a
/// character starts it, and pose, background and shadow are no part of it.
class TDressingSession {
public:
    /// Game must have its catalogues loaded and must outlive the session.
    explicit TDressingSession(const TGameData& Game);
    TDressingSession(const TDressingSession&) = delete;
    TDressingSession& operator=(const TDressingSession&) = delete;

    const TGameData& Game() const { return FGame; }
    /// The compositor, for drawing and export.
    const TDrawChara& Chara() const { return FChara; }

    /// -1 while no character is chosen.
    int CharaIndex() const { return FChara.Chara(); }
    /// The body group of the character, -1 while none is chosen.
    int BodyGroup() const;

    void SetChara(int Index);
    /// Item nullptr empties the slot.
    void Wear(int Slot, const TWLOItemData* Item);
    const TWLOItemData* Worn(int Slot) const { return FChara.GetPart(Slot); }

    /// The equipment list of Slot for the character's group; empty without a character.
    const std::vector<TEquipEntry>& List(int Slot) const;
    /// The position in List(Slot) last picked by hand: 0 ("---") until then, and again after a
    /// change of body group. Codes and favourites leave it as it is.
    int PickedIndex(int Slot) const;
    /// The position in List(Slot) of the item worn there, however it came to be worn: the
    /// picked one when it holds that item, else the first that does; 0 when nothing is.
    int WornIndex(int Slot) const;
    /// Wears entry Index of List(Slot) (0 empties the slot) and remembers the position. An
    /// index outside the list changes nothing.
    void Pick(int Slot, int Index);
    /// Empties Slot and forgets its position.
    void Strip(int Slot);

    /// Position 0..3, Channel 0..2, Level 0..9.
    void SetColor(int Position, int Channel, std::uint8_t Level);
    std::uint8_t Color(int Position, int Channel) const {
        return FChara.GetColor(Position, Channel);
    }
    /// The three levels of Position at once, as one step.
    void SetColors(int Position, const TPositionLevels& Levels);
    /// One level up (Delta 1) or down (-1), within 0..9.
    void StepColor(int Position, int Channel, int Delta);
    void ResetColors();

    void SetMotion(std::uint8_t Motion);
    void NextMotion();
    void PrevMotion();
    void SetDirection(std::uint8_t Direction);
    void SetFrame(int Frame);
    void NextFrame();
    void PrevFrame();
    std::uint8_t Motion() const { return FChara.Motion(); }
    std::uint8_t Direction() const { return FChara.Direction(); }
    int Frame() const { return FChara.Frame(); }
    int FrameCount() const { return FChara.GetFrameCount(); }
    /// Every motion's poses, in motion order; the frame counts are 0 without a character.
    std::vector<TMotionFrames> FrameTable() const;

    void SetBackColor(TColor Color);
    void SetShadow(bool Value);

    /// Empty without a character.
    std::string Code() const { return FChara.GetCode(); }
    /// Raises EInvalidCode ("Invalid code error.") for what is not a code.
    void ApplyCode(std::string_view Code);
    /// The character as favourite Name; Used is set.
    TFavoriteItem ToFavorite(std::string Name) const;
    void ApplyFavorite(const TFavoriteItem& Favorite);

    /// Takes over what From, a session over another game, shows: background, shadow, then the
    /// character by its code, as far as this game has its items, and its motion and direction.
    /// Raises what ApplyCode raises; the background and shadow are taken over then.
    void CarryOver(const TDressingSession& From);

    /// Puts back the look before the last step done, or after the next one undone, with the
    /// list positions the picker remembered then. Returns the caption of the step walked,
    /// nothing when there is none.
    std::optional<TStepCaption> Undo();
    std::optional<TStepCaption> Redo();
    bool CanUndo() const { return FHistory.CanUndo(); }
    bool CanRedo() const { return FHistory.CanRedo(); }
    /// The caption of the step Undo or Redo would walk; only while CanUndo or CanRedo.
    const TStepCaption& UndoCaption() const { return FHistory.UndoCaption(); }
    const TStepCaption& RedoCaption() const { return FHistory.RedoCaption(); }
    const TLookHistory& History() const { return FHistory; }

    /// What a random outfit leaves as it is. Changes by hand ignore the locks.
    const TOutfitLocks& Locks() const { return FLocks; }
    void SetLocks(const TOutfitLocks& Locks) { FLocks = Locks; }
    /// Slot 1..6, Position 0..3; others are ignored.
    void SetSlotLocked(int Slot, bool Locked);
    void SetPositionLocked(int Position, bool Locked);

    /// A random outfit over the locks, as RandomDesign makes it; without a character, one is
    /// chosen too. The seed is the next of the session's own random numbers, or Seed.
    void Randomize(TRandomVary Vary);
    void Randomize(TRandomVary Vary, std::uint64_t Seed);

    /// Shows TryOn over the design until EndPreview or any change of look, which ends it first:
    /// the canvas, ShownItem and StatusLines show it, in every pose, while the design, the
    /// code, the list positions, the history and whatever is written stay as they are. A new
    /// try-on replaces the one before. Ignored without a character and out of range; raises
    /// what loading its sprites raises, leaving the preview as it was.
    void Preview(const TTryOn& TryOn);
    /// Shows the design again, in exactly the pictures it had.
    void EndPreview();
    const std::optional<TTryOn>& Previewed() const { return FTryOn; }
    /// Whether the preview tries an item on in Slot.
    bool PreviewsSlot(int Slot) const;
    /// The item shown in Slot: the one tried on there, else the one worn.
    const TWLOItemData* ShownItem(int Slot) const;
    /// The level shown of Channel at Position: the one tried on there, else the design's.
    std::uint8_t ShownColor(int Position, int Channel) const;

    /// The summed bonuses of the items shown (see BonusLines).
    std::vector<std::string> StatusLines() const;

    /// The body and head sprites the catalogue lacks for the character (see TDrawChara).
    std::vector<std::string> MissingSprites() const { return FChara.MissingSprites(); }

    /// The canvas, redrawn first if anything changed: the preview's while one is shown.
    const TBitmap& Canvas();

    /// The item worn or shown in Slot changed.
    std::function<void(int Slot)> OnSlotChange;
    /// The character changed to another body group: the lists to pick from are others.
    std::function<void(int BodyGroup)> OnBodyGroupChange;
    /// Sent once after every command that may have changed what is shown.
    std::function<void(TSessionChange What)> OnStateChange;

private:
    void Changed(TSessionChange What);
    TLookState State() const { return {FChara.Look(), FPicked}; }
    // Runs Change, and records it as one step when it changed the look of a character.
    template <typename TChange> void Step(TStepCaption Caption, TChange Change);
    // Puts Design on, keeping the records of the items it keeps.
    void PutOn(const TCharaDesign& Design);
    void Restore(const TLookState& State);
    // The slot an item is tried on in, 0 for none.
    int TriedSlot() const;

    const TGameData& FGame;
    TBitmap FCanvas{CanvasSize, CanvasSize, TPixelFormat::pf24bit};
    TDrawChara FChara;
    std::array<int, SlotCount + 1> FPicked{}; // slots 1..6
    // The positions a change of body group brings back while a step is restored; else none.
    const std::array<int, SlotCount + 1>* FRestoringPicked = nullptr;
    TLookHistory FHistory;
    TOutfitLocks FLocks;
    // The try-on is drawn by a compositor of its own, so that the design's canvas and sprites
    // are never touched and come back as they were. Kept once made: moving on from one cell
    // to the next reloads only what differs.
    std::optional<TTryOn> FTryOn;
    TBitmap FPreviewCanvas{CanvasSize, CanvasSize, TPixelFormat::pf24bit};
    std::optional<TDrawChara> FPreviewChara;
    // Seeded when first asked for: most sessions (every render) never draw a random look.
    std::optional<std::mt19937_64> FSeeds;
};

} // namespace pelto
