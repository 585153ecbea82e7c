#pragma once

#include <QString>

namespace pelto {

class EInvalidCode;

/// A code as it is pasted or dropped, from a chat say: blanks and line breaks around it, line
/// breaks in it and a "code:" in front are no part of it. Empty when nothing is left.
QString CleanCodeText(QString Text);

/// "Invalid code error." and, on a second line, why, in the window's language.
QString InvalidCodeMessage(const EInvalidCode& Error);

} // namespace pelto
