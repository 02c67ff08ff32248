#include "BodyText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace brisko::net {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one well-formed UTF-8 sequence at pos (no overlong forms, no surrogates, at most
// U+10FFFF) and moves past it; on a malformed sequence moves past one byte and answers nullopt.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return std::nullopt;
    }
    if (pos + length > text.size()) {
        ++pos;
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return std::nullopt;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return std::nullopt;
    }
    pos += length;
    return cp;
}

// windows-1252 differs from latin-1 in 0x80..0x9F; its five unassigned bytes keep their value.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string FromSingleByte(std::string_view body, bool windows1252) {
    std::string out;
    out.reserve(body.size() * 2);
    for (const char c : body) {
        const auto b = static_cast<unsigned char>(c);
        const bool remapped = windows1252 && b >= 0x80 && b < 0xA0;
        AppendUtf8(out, remapped ? kWindows1252High[b - 0x80] : char32_t{b});
    }
    return out;
}

std::string Lowercase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Base letters of U+00C0..U+017F; '?' where the character is no accented Latin letter.
constexpr std::string_view kLatinBaseLetters = "AAAAAA?CEEEEIIII"
                                               "?NOOOOO?OUUUUY??"
                                               "aaaaaa?ceeeeiiii"
                                               "?nooooo?ouuuuy?y"
                                               "AaAaAaCcCcCcCcDd"
                                               "DdEeEeEeEeEeGgGg"
                                               "GgGgHhHhIiIiIiIi"
                                               "Ii??JjKk?LlLlLlL"
                                               "lLlNnNnNn???OoOo"
                                               "Oo??RrRrRrSsSsSs"
                                               "SsTtTtTtUuUuUuUu"
                                               "UuUuWwYyYZzZzZz?";

} // namespace

std::string ToValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        AppendUtf8(out, NextCodePoint(text, pos).value_or(kReplacement));
    }
    return out;
}

std::string DecodeBody(std::string_view body, std::string_view charset) {
    const std::string name = Lowercase(charset);
    if (name == "iso-8859-1" || name == "iso8859-1" || name == "iso_8859-1" || name == "latin1" ||
        name == "latin-1" || name == "l1") {
        return FromSingleByte(body, false);
    }
    if (name == "windows-1252" || name == "cp1252" || name == "x-cp1252") {
        return FromSingleByte(body, true);
    }
    return ToValidUtf8(body);
}

std::string ReduceToAscii(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::optional<char32_t> cp = NextCodePoint(utf8, pos);
        if (cp && *cp < 0x80) {
            out += static_cast<char>(*cp);
        } else if (cp && *cp >= 0xC0 && *cp < 0xC0 + kLatinBaseLetters.size()) {
            out += kLatinBaseLetters[*cp - 0xC0];
        } else if (cp && *cp >= 0x300 && *cp < 0x370) {
            continue; // combining accent: its letter is already written
        } else {
            out += '?';
        }
    }
    return out;
}

} // namespace brisko::net
