#pragma once
// One HTTPS request per call. Every call builds its own client and releases it: no connection,
// cookie or credential carries over, nothing is retried, and only the caller's headers are sent
// (besides Host, Content-Length and Authorization, which the transfer itself needs). Only https
// addresses are reached, for the request and for any redirect.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brisko::net {

enum class Tls { v1_0, v1_1, v1_2, v1_3 };

// Lowest and highest TLS version offered.
struct TlsRange {
    Tls lowest = Tls::v1_2;
    Tls highest = Tls::v1_2;
};

// What a redirect (301, 302, 303, 307 or 308 with a Location) does to a call.
enum class Redirects {
    Returned,   // not followed: the redirect is the response
    SameOrigin, // followed when it keeps the scheme, host and port and the request goes on as sent
                // (see RedirectRefusal in Redirects.h); any other fails the call, and nothing is
                // sent where it points
};

struct HttpRequest {
    std::string method = "GET"; // GET, POST, or any other verb sent as given
    std::string url;            // https://host[:port]/path?query, already encoded
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body; // sent with Content-Length when not empty, or always for POST
    // HTTP Basic credentials (user, password), sent with the first request, not after a challenge.
    std::optional<std::pair<std::string, std::string>> basic;
    TlsRange tls;
    std::chrono::milliseconds connectTimeout{10000}; // TCP and TLS handshake
    // Longest wait without a single byte moving once connected; then the call fails. A whole call
    // also ends after connectTimeout + 3 x readTimeout, so that a server trickling a byte now and
    // then cannot hold the caller for ever.
    std::chrono::milliseconds readTimeout{10000};
    Redirects redirects = Redirects::Returned;
    // A CA certificate file (PEM) trusted besides the system's; empty: the system's only.
    std::string extraCaFile;
    std::size_t maxBody = std::size_t{32} << 20; // a longer body fails the call
    // Once it reads true (the program is closing), the call is abandoned within a few milliseconds
    // with a failure, and a call not yet under way is not made. Empty: never abandoned.
    std::shared_ptr<const std::atomic<bool>> abandon;
    // False: only a call still connecting is abandoned; a request already on its way is finished.
    bool abandonOnceSent = true;
};

struct HttpResponse {
    long status = 0;     // of the final response (after followed redirects)
    std::string body;    // as received, not decoded
    std::string charset; // the charset parameter of Content-Type, lower-cased; "" when none
};

// Exactly one of the two is set: a response for every HTTP status (2xx, 3xx not followed, 4xx,
// 5xx), or a failure message when no complete response came (connection, name resolution, TLS,
// time-out, body over the limit, ...).
struct HttpOutcome {
    std::optional<HttpResponse> response;
    std::string failure;
    // With a failure: the connection was made before it, so the request may have reached the
    // server. False: it certainly did not.
    bool sent = false;
};

// Never throws.
HttpOutcome Perform(const HttpRequest& request);

} // namespace brisko::net
