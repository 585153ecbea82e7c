#pragma once

#include "model/UDraw.h"

#include <array>
#include <cstddef>
#include <deque>
#include <string>

namespace pelto {

/// What a session shows of a character between two changes of look: the look itself and the
/// list positions the picker remembers, slot s at Picked[s].
struct TLookState {
    TCharaLook Look;
    std::array<int, SlotCount + 1> Picked{};
};

/// The kinds of change of look, for a caption.
enum class TLookEdit {
    Chara,
    Wear,
    Strip,
    Color,
    ResetColors,
    Code,
    Favorite,
    RandomOutfit,
    RandomColors
};

/// What one step did, for the status line: its kind, and what it did it to.
struct TStepCaption {
    TLookEdit Edit = TLookEdit::Code;
    /// UTF-8: the character's, the item's or the favourite's name, or the colour position's
    /// (see ColorPositionNames); empty for the others.
    std::string Subject{};
    /// The slot (1..6) of Wear and Strip, the position (0..3) of Color; -1 for the others.
    int Index = -1;
};

/// The caption in English: "Knight Helm off", "Nina", "Color of the head", "Random outfit".
std::string CaptionText(const TStepCaption& Caption);

/// The steps of a session's changes of look, to be undone and redone in order. A new step
/// after an undo drops the steps that were undone; past MaxSteps the oldest go.
class TLookHistory {
public:
    static constexpr std::size_t MaxSteps = 100;

    void Record(const TLookState& Before, const TLookState& After, TStepCaption Caption);
    void Clear();

    bool CanUndo() const { return FDone > 0; }
    bool CanRedo() const { return FDone < FSteps.size(); }
    /// Of the step Undo and Redo would walk; only while CanUndo or CanRedo.
    const TStepCaption& UndoCaption() const { return FSteps[FDone - 1].Caption; }
    const TStepCaption& RedoCaption() const { return FSteps[FDone].Caption; }
    /// What Undo and Redo put back; only while CanUndo or CanRedo.
    const TLookState& UndoTarget() const { return FSteps[FDone - 1].Before; }
    const TLookState& RedoTarget() const { return FSteps[FDone].After; }
    /// The target was put back: the walk moves one step.
    void Undone() { --FDone; }
    void Redone() { ++FDone; }

    /// Steps kept, undone ones included.
    std::size_t Size() const { return FSteps.size(); }

private:
    struct TStep {
        TLookState Before;
        TLookState After;
        TStepCaption Caption;
    };
    std::deque<TStep> FSteps;
    std::size_t FDone = 0; // steps before this one are done, the others undone
};

} // namespace pelto
