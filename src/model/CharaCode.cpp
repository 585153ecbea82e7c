// The character code: Base64 of a small record closed by a CRC-8.
#include "model/CharaCode.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "model/InvalidCode.h"
#include "platform/Base64.h"
#include "platform/Crc8.h"
#include "sprites/wlojmajmp.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {
namespace {

constexpr std::uint8_t CodeVersion = 1;
constexpr int ColorNumberBytes = 5;
constexpr int ColorLevelCount = 12;

// The colour number's last byte is the check byte itself (see DecodeCharaCode).
constexpr std::size_t MinRecordBytes = 3 + ColorNumberBytes;
constexpr std::size_t MaxRecordBytes = 3 + 2 * SlotCount + ColorNumberBytes + 1;

bool IsBlank(char C) {
    return C == ' ' || C == '\t' || C == '\r' || C == '\n';
}

// Why Code, which decoded to Bytes, failed its length or its check. Skipped characters come
// first: they are the likeliest cause of what follows from them.
TInvalidCodeReason UnreadableReason(std::string_view Code, std::size_t Bytes) {
    for (const char C : Code)
        if (!IsBlank(C) && !IsCodeCharacter(C))
            return TInvalidCodeReason::ForeignCharacters;
    if (Bytes == 0)
        return TInvalidCodeReason::Empty;
    if (Bytes < MinRecordBytes)
        return TInvalidCodeReason::TooShort;
    if (Bytes > MaxRecordBytes)
        return TInvalidCodeReason::TooLong;
    return TInvalidCodeReason::Checksum;
}

} // namespace

bool IsCodeCharacter(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '+' ||
           C == '/' || C == '=';
}

std::string EncodeCharaCode(const TCharaDesign& Design) {
    std::vector<std::uint8_t> Bytes{CodeVersion, static_cast<std::uint8_t>(Design.Chara), 0};
    for (int Slot = 1; Slot <= SlotCount; ++Slot) {
        if (const std::uint16_t Id = Design.Parts[static_cast<std::size_t>(Slot - 1)]) {
            Bytes[2] |= static_cast<std::uint8_t>(1 << (Slot - 1));
            Bytes.push_back(static_cast<std::uint8_t>(Id));
            Bytes.push_back(static_cast<std::uint8_t>(Id >> 8));
        }
    }
    // The twelve levels read as one 12-digit decimal number, position 0 red first.
    std::uint64_t Number = 0;
    for (const auto& Levels : Design.Color)
        for (const std::uint8_t Level : Levels)
            Number = Number * 10 + Level % 10;
    for (int I = 0; I < ColorNumberBytes; ++I)
        Bytes.push_back(static_cast<std::uint8_t>(Number >> (8 * I)));
    Bytes.push_back(Crc8Maxim(Bytes));
    return Base64Encode(Bytes);
}

TCharaDesign DecodeCharaCode(std::string_view Code) {
    const std::vector<std::uint8_t> Bytes = Base64Decode(Code);
    // No record is shorter, so the length is told before the check, which it would fail too.
    if (Bytes.size() < MinRecordBytes ||
        Bytes.back() != Crc8Maxim(std::span(Bytes).first(Bytes.size() - 1)))
        throw EInvalidCode(UnreadableReason(Code, Bytes.size()));

    // Version, character and mask, then a 16-bit identifier per set mask bit (bits 6 and 7
    // take room but name no slot), then the colour number; the check byte counts as room.
    const std::size_t Length = Bytes.size();
    TCharaDesign Design;
    Design.Chara = Bytes[1];
    const std::uint8_t Mask = Bytes[2];
    std::size_t Pos = 3;
    for (int Bit = 0; Bit < 8; ++Bit) {
        if (!(Mask & (1 << Bit)))
            continue;
        if (Pos + 2 > Length)
            throw EInvalidCode(TInvalidCodeReason::Truncated);
        if (Bit < SlotCount)
            Design.Parts[static_cast<std::size_t>(Bit)] =
                static_cast<std::uint16_t>(Bytes[Pos] | (Bytes[Pos + 1] << 8));
        Pos += 2;
    }
    if (Pos + ColorNumberBytes > Length)
        throw EInvalidCode(TInvalidCodeReason::Truncated);
    std::uint64_t Number = 0;
    for (int I = ColorNumberBytes - 1; I >= 0; --I)
        Number = (Number << 8) | Bytes[Pos + static_cast<std::size_t>(I)];
    for (int Level = ColorLevelCount - 1; Level >= 0; --Level) {
        Design.Color[static_cast<std::size_t>(Level / 3)][static_cast<std::size_t>(Level % 3)] =
            static_cast<std::uint8_t>(Number % 10);
        Number /= 10;
    }
    return Design;
}

TCharaDesign DesignOfCode(std::string_view Code, const TGameData& Game) {
    return WornDesign(DecodeCharaCode(Code), Game);
}

std::string CodeOfDesign(const TCharaDesign& Design) {
    return Design.Chara >= 0 && Design.Chara < static_cast<int>(CharaData.size())
               ? EncodeCharaCode(Design)
               : std::string();
}

} // namespace pelto
