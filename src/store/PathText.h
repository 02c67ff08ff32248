// A path as UTF-8 text, whatever the system's code page: what SQLite opens and messages show.
// (path::string() throws on Windows for a name outside the ANSI code page.)
#pragma once

#include <filesystem>
#include <string>

namespace brisko::store {

inline std::string PathText(const std::filesystem::path& file) {
    const std::u8string text = file.u8string();
    return {text.begin(), text.end()};
}

} // namespace brisko::store
