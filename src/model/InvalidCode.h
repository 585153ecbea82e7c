#pragma once

#include "platform/Errors.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace pelto {

/// Why a text is not a character code, from the first failure the decoder meets.
enum class TInvalidCodeReason {
    Empty,             // nothing but blanks
    ForeignCharacters, // characters no code has, which the decoder skipped
    TooShort,          // fewer bytes than the smallest record
    TooLong,           // more bytes than the largest record, and a wrong check byte
    Checksum,          // the check byte does not match: mistyped or lost characters
    Truncated,         // the record ends before the items its mask names
    NoCharacter,       // it names none of the characters, and there is none to keep
};

/// The reasons in English, in the order of TInvalidCodeReason.
inline constexpr std::array<std::string_view, 7> InvalidCodeReasonTexts{
    "The code is empty.",
    "It holds characters no code has: a code is made of letters, digits, + and /.",
    "It is too short: a code has at least 12 characters.",
    "It is too long: a code has at most 28 characters.",
    "Its check does not match: a character was mistyped, added or lost.",
    "It ends before the items it names.",
    "It names none of the characters.",
};

/// A text that is not a character code. The message is the system's own, the same for every
/// reason; the reason is for a second line.
class EInvalidCode : public EWloError {
public:
    struct TReason {
        TInvalidCodeReason Kind;
        std::string_view Text; // English
    };

    explicit EInvalidCode(TInvalidCodeReason Reason)
        : EWloError("Invalid code error.", TFault::Asker), FReason(Reason) {}

    TReason Reason() const {
        return {FReason, InvalidCodeReasonTexts[static_cast<std::size_t>(FReason)]};
    }

private:
    TInvalidCodeReason FReason;
};

} // namespace pelto
