#include "model/CodeText.h"

#include "model/InvalidCode.h"
#include "model/UDraw.h"
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

bool StartsWithLabel(std::string_view Text) {
    if (Text.size() < CodeLabel.size())
        return false;
    for (std::size_t I = 0; I < CodeLabel.size(); ++I) {
        const char C = Text[I];
        if ((C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C) != CodeLabel[I])
            return false;
    }
    return true;
}

bool IsCodeAlphabet(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '+' ||
           C == '/' || C == '=';
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
    if (StartsWithLabel(Text))
        Text = Trimmed(Text.substr(CodeLabel.size()));
    return NormalizeCode(Text);
}

std::string CanonicalCode(std::string_view Code) {
    for (const char C : Code)
        if (!IsCodeAlphabet(C))
            throw EInvalidCode(TInvalidCodeReason::ForeignCharacters);
    const TCharaDesign Design = DecodeCharaCode(Code);
    if (Design.Chara < 0 || Design.Chara >= static_cast<int>(CharaData.size()))
        throw EInvalidCode(TInvalidCodeReason::NoCharacter);
    return EncodeCharaCode(Design);
}

} // namespace pelto
