#include "DispatchCall.h"

#include "BodyText.h"
#include "DiagnosticLog.h"
#include "ResultText.h"
#include "URovezor.h"

#include <exception>

namespace brisko::dispatch {

namespace {

constexpr std::string_view kUserAgent = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 "
                                        "(KHTML, like Gecko) Chrome/58.0.3029.96 Safari/537.36";

} // namespace

net::HttpRequest DispatchHttpRequest(const DispatchRequest& request, const Endpoint& endpoint) {
    net::HttpRequest http;
    http.method = request.method;
    http.url = endpoint.baseUrl;
    http.url += request.pathAndQuery;
    http.headers = {{"api-key", std::string(request.apiKey)},
                    {"Content-Type", "application/json; charset=UTF-8"},
                    {"Connection", "Keep-Alive"},
                    {"User-Agent", std::string(kUserAgent)}};
    http.body = request.body;
    http.basic = std::make_pair(std::string(request.email), std::string(request.password));
    // Nothing older than TLS 1.2 is offered; 1.2 is also the newest the platform is known to speak.
    http.tls = {net::Tls::v1_2, net::Tls::v1_2};
    http.connectTimeout = endpoint.connectTimeout.value_or(request.timeout);
    http.readTimeout = endpoint.readTimeout.value_or(request.timeout);
    // The API key and the store's credentials go with every hop, so only the platform itself may
    // send the call elsewhere.
    http.redirects = net::Redirects::SameOrigin;
    http.extraCaFile = endpoint.caFile;
    http.maxBody = kMaxAnswerBody;
    http.abandon = endpoint.abandon;
    http.abandonOnceSent = !request.finishOnceSent;
    return http;
}

namespace {

std::string NotAnObject(net::JsonKind kind) {
    std::string message = "The answer is a JSON ";
    message += net::JsonKindName(kind);
    message += ", not an object";
    return message;
}

} // namespace

DispatchResult Dispatch(const DispatchRequest& request, const Endpoint& endpoint,
                        const SuccessPath& successPath) {
    DispatchResult result;
    try {
        const net::HttpOutcome outcome = net::Perform(DispatchHttpRequest(request, endpoint));
        if (!outcome.response) {
            result.sent = outcome.sent;
            result.text = net::GenericFailure(outcome.failure);
            return result;
        }
        result.sent = true;
        result.status = outcome.response->status;
        result.text = ResultOfResponse(*outcome.response, [&](const net::JsonValue& answer) {
            std::string text = successPath(answer);
            result.answerRead = true;
            return text;
        });
    } catch (const std::exception& e) {
        result.text = net::GenericFailure(e.what());
    }
    if (result.text != net::kTrue) {
        platform::LogFailure("plataforma", request.method, request.pathAndQuery, result.status, result.text);
    }
    return result;
}

std::string CallDispatch(const DispatchRequest& request, const Endpoint& endpoint,
                         const SuccessPath& successPath) {
    return Dispatch(request, endpoint, successPath).text;
}

std::string ResultOfResponse(const net::HttpResponse& response, const SuccessPath& successPath) {
    const std::string text = net::DecodeBody(response.body, response.charset);
    const std::optional<net::JsonValue> answer = net::ParseJson(text);
    if (answer && !answer->IsObject()) {
        return net::GenericFailure(NotAnObject(answer->Kind()));
    }
    if (response.status >= 300) {
        std::string errors = ExtraiErros(text);
        return errors.empty() ? text : errors;
    }
    if (response.status == 200 && answer) {
        return successPath(*answer);
    }
    return std::to_string(response.status);
}

} // namespace brisko::dispatch
