#include "model/CodeText.h"

#include "model/CharaCode.h"
#include "model/InvalidCode.h"
#include "model/UDraw.h"
#include "platform/Text.h"
#include "sprites/wlojmajmp.h"

#include <cstddef>

namespace pelto {
namespace {

constexpr std::string_view Blanks = " \t\r\n\v\f";
constexpr std::string_view CodeLabel = "code:";

std::string_view Trimmed(std::string_view Text) {
    const std::size_t First = Text.find_first_not_of(Blanks);
    if (First == std::string_view::npos)
        return {};
    return Text.substr(First, Text.find_last_not_of(Blanks) - First + 1);
}

} // namespace

std::string NormalizeCode(std::string_view Code) {
    std::string Normal;
    Normal.reserve(Code.size());
    for (const char C : Code) {
        if (C == '\r' || C == '\n')
            continue;
        Normal += C == ' ' || C == '-' ? '+' : C == '_' ? '/' : C;
    }
    return Normal;
}

std::string CleanPastedCode(std::string_view Text) {
    Text = Trimmed(Text);
    if (SameText(Text.substr(0, CodeLabel.size()), CodeLabel))
        Text = Trimmed(Text.substr(CodeLabel.size()));
    return NormalizeCode(Text);
}

std::string CanonicalCode(std::string_view Code) {
    for (const char C : Code)
        if (!IsCodeCharacter(C))
            throw EInvalidCode(TInvalidCodeReason::ForeignCharacters);
    const TCharaDesign Design = DecodeCharaCode(Code);
    if (Design.Chara < 0 || Design.Chara >= static_cast<int>(CharaData.size()))
        throw EInvalidCode(TInvalidCodeReason::NoCharacter);
    return EncodeCharaCode(Design);
}

} // namespace pelto
