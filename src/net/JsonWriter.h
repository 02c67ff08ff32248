#pragma once
// The one JSON string escaper that every JSON text we write goes through.
#include <string>
#include <string_view>

namespace brisko::net {

// Appends value as a JSON string literal (with its quotation marks): quotation mark, reverse
// solidus and control characters are escaped; a byte that is not part of well-formed UTF-8 becomes
// U+FFFD; every other character goes in unchanged.
void AppendJsonString(std::string& out, std::string_view value);

inline std::string JsonString(std::string_view value) {
    std::string out;
    AppendJsonString(out, value);
    return out;
}

} // namespace brisko::net
