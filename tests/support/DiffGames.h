#pragma once

#include <cstdint>
#include <string>

namespace pelto::test {

/// Identifiers of the items of the two installations WriteDiffGames writes.
namespace diff_items {
inline constexpr std::uint16_t Cap = 100;   // the same in both, sprite 1101 in items1.jma
inline constexpr std::uint16_t Hat = 101;   // renamed "Top Hat"
inline constexpr std::uint16_t Coat = 102;  // ATK+5 becomes ATK+7
inline constexpr std::uint16_t Scarf = 103; // other colour words
inline constexpr std::uint16_t Boots = 104; // its sprite 1501 redrawn under the same number
inline constexpr std::uint16_t Ring = 105;  // removed; it led the hand list
inline constexpr std::uint16_t Glove = 106; // stays second in the hand list...
inline constexpr std::uint16_t Mitt = 107;  // ...which this one now leads
inline constexpr std::uint16_t Wand = 108;  // added, with a name that is markup
// Identifiers of more than one record, as goods have in a real table: Potion's second record
// is renamed "Hi-Potion" and a third added; Gem's second is removed.
inline constexpr std::uint16_t Potion = 109;
inline constexpr std::uint16_t Gem = 110;
} // namespace diff_items

/// The added item's name, markup to escape.
inline constexpr const char* HostileName = "<b>Wand&\"'";

/// Writes two installations below Folder, Folder/old/ and Folder/new/, that differ in exactly
/// what diff_items says, and besides in items1.jma, repacked in the new one in another order
/// with the same pictures (another sprite order, frame order and row padding).
void WriteDiffGames(const std::string& Folder);

} // namespace pelto::test
