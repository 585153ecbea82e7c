#pragma once

#include "game/wloutils.h"
#include "platform/Stream.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pelto {

/// The fields of an item the viewer uses, for building records.
struct TItemInfo {
    std::uint8_t Kind = 0;
    std::uint16_t ItemID = 0;
    std::uint16_t IconNo = 0;
    std::array<std::uint16_t, 4> SpriteNo{};
    std::array<std::uint16_t, 2> StatType{};
    std::array<std::int32_t, 2> StatValue{100, 100}; // bonus + 100, as stored
    std::uint8_t Slot = 0;
    std::array<std::uint32_t, 16> ColorWords = NeutralColors();
    std::uint8_t ListNumber = 0;
    std::string Name; // Shift-JIS, at most 20 bytes
    std::string Text; // Shift-JIS, at most 254 bytes

    static constexpr std::array<std::uint32_t, 16> NeutralColors() {
        std::array<std::uint32_t, 16> Words{};
        Words.fill(444444444);
        return Words;
    }
};

/// A decoded record holding Info; every other byte is 0.
TWLOItemData MakeItemRecord(const TItemInfo& Info);

/// Builds an item table: the header record carrying the version, then the item records in
/// the order added, each stored scrambled.
class TItemTableWriter {
public:
    TItemTableWriter();

    void SetVersion(std::uint32_t Version);
    /// The header record as stored (it is never scrambled).
    TWLOItemData& Header() { return FHeader; }
    /// Adds a record given in decoded form.
    void Add(const TWLOItemData& Record);
    void Add(const TItemInfo& Info) { Add(MakeItemRecord(Info)); }
    /// Bytes written after the last record (a table whose size is not a whole number of
    /// records).
    void SetTail(std::vector<std::uint8_t> Tail) { FTail = std::move(Tail); }

    std::vector<std::uint8_t> Build() const;
    void Write(TStream& Dest) const;
    void WriteToFile(const std::string& FileName) const;

private:
    TWLOItemData FHeader;
    std::vector<TWLOItemData> FRecords; // scrambled
    std::vector<std::uint8_t> FTail;
};

} // namespace pelto
