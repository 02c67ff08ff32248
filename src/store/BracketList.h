#pragma once
// The storage format of two EMPRESA columns: the store's payment codes and categories are each
// kept as one text of "[item] " entries.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brisko::store {

// Longest list text, in characters.
inline constexpr std::size_t kBracketListLimit = 255;

// Reads the items between brackets, in order. Brackets do not nest; a "]" always closes an item
// (an empty one when nothing was open); an item left open at the end is dropped; blanks are kept.
std::vector<std::string> ParseBracketList(std::string_view text);

// Writes "[item] " for every item, cut after kBracketListLimit characters. Items are not escaped,
// so an item holding "[" or "]" does not read back as itself.
std::string WriteBracketList(const std::vector<std::string>& items);

} // namespace brisko::store
