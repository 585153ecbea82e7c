#include "model/LookHistory.h"

#include <utility>

namespace pelto {

std::string CaptionText(const TStepCaption& Caption) {
    switch (Caption.Edit) {
    case TLookEdit::Chara:
        return Caption.Subject;
    case TLookEdit::Wear:
        return Caption.Subject + " on";
    case TLookEdit::Strip:
        return Caption.Subject + " off";
    case TLookEdit::Color:
        return "Color of the " + Caption.Subject;
    case TLookEdit::ResetColors:
        return "Default colors";
    case TLookEdit::Code:
        return "Code applied";
    case TLookEdit::Favorite:
        return "Favorite " + Caption.Subject;
    case TLookEdit::RandomOutfit:
        return "Random outfit";
    case TLookEdit::RandomColors:
        return "Random colors";
    }
    return {};
}

void TLookHistory::Record(const TLookState& Before, const TLookState& After, TStepCaption Caption) {
    FSteps.erase(FSteps.begin() + static_cast<std::ptrdiff_t>(FDone), FSteps.end());
    FSteps.push_back({Before, After, std::move(Caption)});
    if (FSteps.size() > MaxSteps)
        FSteps.pop_front();
    FDone = FSteps.size();
}

void TLookHistory::Clear() {
    FSteps.clear();
    FDone = 0;
}

} // namespace pelto
