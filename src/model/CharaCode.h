#pragma once

#include "model/CharaDesign.h"

#include <string>
#include <string_view>

namespace pelto {

class TGameData;

/// A character of a code's alphabet: Base64's letters, digits, "+", "/" and its padding "=".
bool IsCodeCharacter(char C);
/// The character code of Design, whose character must be one of the 15.
std::string EncodeCharaCode(const TCharaDesign& Design);
/// What a code holds; raises EInvalidCode ("Invalid code error.") when Code is not one. The
/// character and the identifiers are as stored, not checked against the game.
TCharaDesign DecodeCharaCode(std::string_view Code);

/// The design Code holds as a session shows it once applied (see WornDesign): no character
/// when it names none of the 15. Raises EInvalidCode ("Invalid code error.") for what is not
/// a code; characters outside a code's alphabet are skipped, as the code box skips them.
TCharaDesign DesignOfCode(std::string_view Code, const TGameData& Game);
/// The code of Design, as the viewer writes it; empty without a character.
std::string CodeOfDesign(const TCharaDesign& Design);

} // namespace pelto
