#include "SimServer.h"

#include <algorithm>
#include <cctype>

namespace brisko::sim {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    while (!text.empty() && text.back() == '=') {
        text.remove_suffix(1);
    }
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        const std::size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

} // namespace

std::string RecordedRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (SameName(key, name)) {
            return value;
        }
    }
    return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& h) { return SameName(h.first, name); });
}

std::optional<std::pair<std::string, std::string>> BasicCredentials(const RecordedRequest& request) {
    const std::string authorization = request.Header("Authorization");
    constexpr std::string_view kScheme = "Basic ";
    if (authorization.size() < kScheme.size() ||
        !SameName(authorization.substr(0, kScheme.size()), kScheme)) {
        return std::nullopt;
    }
    const std::optional<std::string> decoded =
        DecodeBase64(std::string_view(authorization).substr(kScheme.size()));
    if (!decoded) {
        return std::nullopt;
    }
    const std::size_t colon = decoded->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return std::make_pair(decoded->substr(0, colon), decoded->substr(colon + 1));
}

} // namespace brisko::sim
