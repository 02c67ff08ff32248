#pragma once
// One request by the marketplace conventions: TLS 1.2 only, no redirects, the fixed headers, and
// the answer's body decoded by its charset and reduced to 7-bit ASCII before it is read.
#include "Http.h"
#include "Json.h"
#include "Marketplace.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brisko::marketplace {

// How large an answer may be. A token or an order's detail is a document of a few KiB (8 MiB leave
// room for an error page or long texts). The order search lists two days of orders in one page:
// 524,288 values are some ten thousand orders of fifty values each, a tree of about 70 MiB at
// worst. A longer body is refused unread, a document with more values unparsed: either is the
// no-answer text.
struct AnswerLimits {
    std::size_t maxBody;
    std::size_t maxJsonValues;
};
inline constexpr AnswerLimits kDocumentLimits{std::size_t{8} << 20, net::kMaxJsonValues};
inline constexpr AnswerLimits kSearchLimits{std::size_t{32} << 20, std::size_t{1} << 19};

struct MarketplaceAnswer {
    bool answered = false;              // false: no usable response came; `failure` says why
    std::string failure;                // set when not answered
    long status = 0;                    // when answered
    std::string text;                   // the body, decoded and reduced to ASCII
    std::optional<net::JsonValue> json; // the text parsed, when it is valid JSON
};

// How an answer that came is read: decoded by its charset, reduced to ASCII, parsed. A document
// of more than maxJsonValues values is not answered.
MarketplaceAnswer ReadAnswer(long status, std::string body, std::string_view charset,
                             std::size_t maxJsonValues = net::kMaxJsonValues);

// The HTTPS request of every marketplace call, before its body and authorization.
net::HttpRequest MarketplaceHttpRequest(const Context& context, std::string method, std::string_view path,
                                        std::size_t maxBody);

// path starts with "/alfredo/" and is already encoded.
MarketplaceAnswer PostWithBasic(const Context& context, std::string_view path, std::string body);
MarketplaceAnswer GetWithBearer(const Context& context, std::string_view path, std::string_view token,
                                const AnswerLimits& limits = kDocumentLimits);

} // namespace brisko::marketplace
