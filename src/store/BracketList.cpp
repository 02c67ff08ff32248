#include "BracketList.h"

namespace brisko::store {

std::vector<std::string> ParseBracketList(std::string_view text) {
    std::vector<std::string> items;
    std::string current;
    bool inside = false;
    for (const char c : text) {
        if (c == '[') {
            inside = true;
        } else if (c == ']') {
            items.push_back(std::move(current));
            current.clear();
            inside = false;
        } else if (inside) {
            current += c;
        }
    }
    return items;
}

namespace {

bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Byte length of the first `limit` characters of text. The lists keep their UTF-8 text rather
// than a single-byte character set, so the limit counts code points and a cut never splits a
// multi-byte character (its continuation bytes stay with the byte that starts it).
std::size_t PrefixBytes(std::string_view text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsUtf8Continuation(text[i]) && characters++ == limit) {
            return i;
        }
    }
    return text.size();
}

} // namespace

std::string WriteBracketList(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) {
        text += '[';
        text += item;
        text += "] ";
    }
    text.resize(PrefixBytes(text, kBracketListLimit));
    return text;
}

} // namespace brisko::store
