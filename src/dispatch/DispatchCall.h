#pragma once
// What the three operations share: the request set-up and the mapping of a response to a result
// text. Only the success path differs per operation.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "Endpoint.h"
#include "Http.h"
#include "Json.h"

namespace brisko::dispatch {

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

// The result text of a response that came: the error-status texts, the status digits, or the
// success path's text. Throws what the success path throws.
std::string ResultOfResponse(const net::HttpResponse& response, const SuccessPath& successPath);

} // namespace brisko::dispatch
