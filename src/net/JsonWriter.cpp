#include "JsonWriter.h"

#include "BodyText.h"

namespace brisko::net {

void AppendJsonString(std::string& out, std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    // A stray byte that is no UTF-8 would make the whole document invalid JSON.
    const std::string text = ToValidUtf8(value);
    out.reserve(out.size() + text.size() + 2);
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += kHex[(c >> 4) & 0xF];
                out += kHex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

} // namespace brisko::net
