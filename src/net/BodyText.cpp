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

bool IsLatin1(std::string_view name) {
    return name == "iso-8859-1" || name == "iso8859-1" || name == "iso_8859-1" || name == "latin1" ||
           name == "latin-1" || name == "l1";
}

bool IsWindows1252(std::string_view name) {
    return name == "windows-1252" || name == "cp1252" || name == "x-cp1252";
}

// Calls `take` with each character of `body` decoded by `charset`: a single-byte charset gives one
// character per byte; UTF-8 (any other name) gives U+FFFD for each byte that is not part of a
// well-formed sequence.
template <class Take> void ForEachCharacter(std::string_view body, std::string_view charset, Take take) {
    const std::string name = Lowercase(charset);
    const bool latin1 = IsLatin1(name);
    const bool windows1252 = IsWindows1252(name);
    if (latin1 || windows1252) {
        for (const char c : body) {
            const auto b = static_cast<unsigned char>(c);
            const bool remapped = windows1252 && b >= 0x80 && b < 0xA0;
            take(remapped ? kWindows1252High[b - 0x80] : char32_t{b});
        }
        return;
    }
    for (std::size_t pos = 0; pos < body.size();) {
        take(NextCodePoint(body, pos).value_or(kReplacement));
    }
}

// The ASCII stand-in of one character: itself, the letter without its accent, nothing for a
// combining accent (its letter is already written), or '?'.
void AppendAscii(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp >= 0xC0 && cp < 0xC0 + kLatinBaseLetters.size()) {
        out += kLatinBaseLetters[cp - 0xC0];
    } else if (cp < 0x300 || cp >= 0x370) {
        out += '?';
    }
}

} // namespace

std::string ToValidUtf8(std::string_view text) {
    return DecodeBody(text, "utf-8");
}

std::string DecodeBody(std::string_view body, std::string_view charset) {
    std::string out;
    out.reserve(body.size());
    ForEachCharacter(body, charset, [&out](char32_t cp) { AppendUtf8(out, cp); });
    return out;
}

std::string ReduceToAscii(std::string_view utf8) {
    return DecodeToAscii(utf8, "utf-8");
}

std::string DecodeToAscii(std::string_view body, std::string_view charset) {
    std::string out;
    out.reserve(body.size()); // one character per byte at most
    ForEachCharacter(body, charset, [&out](char32_t cp) { AppendAscii(out, cp); });
    return out;
}

} // namespace brisko::net
