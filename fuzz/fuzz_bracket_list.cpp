// The bracket-list reader on any text, and the writer on what it read: the written list never
// passes its limit and never splits a character.
#include "BracketList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> items = brisko::store::ParseBracketList(text);
    const std::string written = brisko::store::WriteBracketList(items);
    std::size_t characters = 0;
    for (const char c : written) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    if (characters > brisko::store::kBracketListLimit) {
        std::abort();
    }
    return 0;
}
