#pragma once
// One request by the marketplace conventions: TLS 1.2 only, no redirects, the fixed headers, and
// the answer's body decoded by its charset and reduced to 7-bit ASCII before it is read.
#include "Json.h"
#include "Marketplace.h"

#include <optional>
#include <string>
#include <string_view>

namespace brisko::marketplace {

struct MarketplaceAnswer {
    bool answered = false;              // false: no response came; `failure` says why
    std::string failure;                // set when not answered
    long status = 0;                    // when answered
    std::string text;                   // the body, decoded and reduced to ASCII
    std::optional<net::JsonValue> json; // the text parsed, when it is valid JSON
};

// How an answer that came is read: decoded by its charset, reduced to ASCII, parsed.
MarketplaceAnswer ReadAnswer(long status, std::string_view body, std::string_view charset);

// path starts with "/alfredo/" and is already encoded.
MarketplaceAnswer PostWithBasic(const Context& context, std::string_view path, std::string body);
MarketplaceAnswer GetWithBearer(const Context& context, std::string_view path, std::string_view token);

} // namespace brisko::marketplace
