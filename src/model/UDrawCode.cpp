// The compositor's state as a character code.
#include "model/CharaCode.h"
#include "model/UDraw.h"

#include <string>
#include <string_view>

namespace pelto {

std::string TDrawChara::GetCode() const {
    return FChara == -1 ? std::string() : EncodeCharaCode(Design());
}

void TDrawChara::SetCode(std::string_view Code) {
    ApplyDesign(DecodeCharaCode(Code));
}

} // namespace pelto
