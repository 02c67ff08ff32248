#pragma once
// The input of the answer targets: one byte picks the status, one the charset, the rest is the body.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brisko::fuzz {

inline constexpr std::array<long, 8> kStatuses = {200, 200, 200, 204, 302, 401, 422, 500};
inline constexpr std::array<std::string_view, 4> kCharsets = {"", "utf-8", "iso-8859-1", "windows-1252"};

struct AnswerInput {
    long status = 200;
    std::string_view charset;
    std::string_view body;
};

inline AnswerInput ReadInput(const std::uint8_t* data, std::size_t size) {
    AnswerInput input;
    if (size >= 2) {
        input.status = kStatuses[data[0] % kStatuses.size()];
        input.charset = kCharsets[data[1] % kCharsets.size()];
        data += 2;
        size -= 2;
    }
    input.body = std::string_view(reinterpret_cast<const char*>(data), size);
    return input;
}

} // namespace brisko::fuzz
