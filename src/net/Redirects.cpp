#include "Redirects.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>

namespace brisko::net {
namespace {

struct Origin {
    std::string scheme;
    std::string host;
    std::string port;

    bool operator==(const Origin&) const = default;
};

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> Part(CURLU* url, CURLUPart part, unsigned flags) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr) {
        return std::nullopt;
    }
    std::string value(text);
    curl_free(text);
    return value;
}

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The scheme, host and port of an absolute address (the scheme's own port when none is written).
std::optional<Origin> OriginOf(std::string_view address) {
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    const std::string text(address);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    const std::optional<std::string> scheme = Part(url.get(), CURLUPART_SCHEME, 0);
    const std::optional<std::string> host = Part(url.get(), CURLUPART_HOST, 0);
    const std::optional<std::string> port = Part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!scheme || !host || !port) {
        return std::nullopt;
    }
    return Origin{Lowercase(*scheme), Lowercase(*host), *port};
}

} // namespace

bool IsRedirectStatus(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string RedirectRefusal(std::string_view from, std::string_view to, std::string_view method,
                            long status) {
    const std::optional<Origin> origin = OriginOf(from);
    const std::optional<Origin> target = OriginOf(to);
    if (!origin || !target || *origin != *target) {
        return "Redirect to another scheme, host or port: not followed";
    }
    const bool keepsTheRequest = status == 307 || status == 308 || method == "GET" || method == "HEAD";
    if (!keepsTheRequest) {
        return "Redirect " + std::to_string(status) + " would turn the " + std::string(method) +
               " into a GET without its body: not followed";
    }
    return {};
}

} // namespace brisko::net
