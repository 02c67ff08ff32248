#pragma once
// What the three operations share: the request set-up and the mapping of a response to a result
// text. Only the success path differs per operation.
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "Endpoint.h"
#include "Http.h"
#include "Json.h"

namespace brisko::dispatch {

// Connect and read time-outs of each operation.
inline constexpr std::chrono::milliseconds kLoginTimeout{10000};
inline constexpr std::chrono::milliseconds kEstimateTimeout{10000};
inline constexpr std::chrono::milliseconds kOpeningTimeout{25000};

// The platform answers each operation with a document of a few KiB; an error page or a store
// record with long texts may be larger. A longer body is refused unread, so that a hostile answer
// costs a few tens of MiB at most (its bytes, their decoding, a tree of at most kMaxJsonValues).
inline constexpr std::size_t kMaxAnswerBody = std::size_t{8} << 20;

struct DispatchRequest {
    std::string method;
    std::string pathAndQuery; // /api/integracao/..., the query already encoded
    std::string body;
    std::string_view apiKey;
    std::string_view email;
    std::string_view password;
    std::chrono::milliseconds timeout; // connect and read, unless the endpoint overrides them
    // Abandoned by the endpoint's flag only while it connects: once sent, the answer is waited for.
    bool finishOnceSent = false;
};

// What a call came to: its result text, and how far it got.
struct DispatchResult {
    std::string text;
    bool sent = false;       // the request may have reached the platform
    long status = 0;         // the status of the response; 0 when none came
    bool answerRead = false; // a status-200 answer that the success path read: its text stands
};

// Runs the answer's success path (status 200 with a JSON object) and answers its result text;
// a JsonError or any other exception it throws becomes the generic failure text.
using SuccessPath = std::function<std::string(const net::JsonValue& answer)>;

DispatchResult Dispatch(const DispatchRequest& request, const Endpoint& endpoint,
                        const SuccessPath& successPath);
// Dispatch's text alone.
std::string CallDispatch(const DispatchRequest& request, const Endpoint& endpoint,
                         const SuccessPath& successPath);

// The HTTPS request that CallDispatch sends: TLS 1.2 only, redirects followed only to the same
// scheme, host and port, the answer's body limited to kMaxAnswerBody.
net::HttpRequest DispatchHttpRequest(const DispatchRequest& request, const Endpoint& endpoint);

// The result text of a response that came: the error-status texts, the status digits, or the
// success path's text. Throws what the success path throws.
std::string ResultOfResponse(const net::HttpResponse& response, const SuccessPath& successPath);

} // namespace brisko::dispatch
