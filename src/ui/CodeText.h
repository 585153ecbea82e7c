#pragma once

#include <QString>

namespace pelto {

class EInvalidCode;

/// "Invalid code error." and, on a second line, why, in the window's language.
QString InvalidCodeMessage(const EInvalidCode& Error);

} // namespace pelto
