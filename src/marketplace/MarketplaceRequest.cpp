#include "MarketplaceRequest.h"

#include "BodyText.h"
#include "DiagnosticLog.h"

#include <utility>

namespace brisko::marketplace {
namespace {

// The path of a marketplace address, for the log.
std::string_view PathOf(std::string_view url) {
    const std::size_t scheme = url.find("://");
    const std::size_t path = url.find('/', scheme == std::string_view::npos ? 0 : scheme + 3);
    return path == std::string_view::npos ? std::string_view("/") : url.substr(path);
}

MarketplaceAnswer Send(const net::HttpRequest& request, std::size_t maxJsonValues) {
    net::HttpOutcome outcome = net::Perform(request);
    if (!outcome.response) {
        MarketplaceAnswer answer;
        answer.failure = std::move(outcome.failure);
        platform::LogFailure("marketplace", request.method, PathOf(request.url), 0, answer.failure);
        return answer;
    }
    MarketplaceAnswer answer = ReadAnswer(outcome.response->status, std::move(outcome.response->body),
                                          outcome.response->charset, maxJsonValues);
    if (!answer.answered || answer.status != 200) {
        platform::LogFailure("marketplace", request.method, PathOf(request.url), answer.status,
                             answer.answered ? answer.text : answer.failure);
    }
    return answer;
}

} // namespace

MarketplaceAnswer ReadAnswer(long status, std::string body, std::string_view charset,
                             std::size_t maxJsonValues) {
    MarketplaceAnswer answer;
    answer.answered = true;
    answer.status = status;
    answer.text = net::DecodeToAscii(body, charset);
    body = std::string(); // the bytes go before the tree is built: a search may be many MiB
    try {
        answer.json = net::ParseJson(answer.text, maxJsonValues);
    } catch (const net::JsonError& e) {
        answer = MarketplaceAnswer{};
        answer.failure = e.what();
    }
    return answer;
}

net::HttpRequest MarketplaceHttpRequest(const Context& context, std::string method, std::string_view path,
                                        std::size_t maxBody) {
    net::HttpRequest request;
    request.method = std::move(method);
    request.url = context.endpoint.baseUrl;
    request.url += path;
    request.headers = {{"Accept", "application/json"},
                       {"Content-Type", "application/json; charset=utf-8"},
                       {"Connection", "Keep-Alive"},
                       {"Aiq-User-Agent", context.integrator.contactEmail}};
    request.tls = {net::Tls::v1_2, net::Tls::v1_2};
    request.redirects = net::Redirects::Returned;
    request.connectTimeout = context.endpoint.connectTimeout;
    request.readTimeout = context.endpoint.readTimeout;
    request.extraCaFile = context.endpoint.caFile;
    request.maxBody = maxBody;
    request.abandon = context.endpoint.abandon;
    return request;
}

MarketplaceAnswer PostWithBasic(const Context& context, std::string_view path, std::string body) {
    net::HttpRequest request = MarketplaceHttpRequest(context, "POST", path, kDocumentLimits.maxBody);
    request.body = std::move(body);
    request.basic = std::make_pair(context.integrator.clientUser, context.integrator.clientKey);
    return Send(request, kDocumentLimits.maxJsonValues);
}

MarketplaceAnswer GetWithBearer(const Context& context, std::string_view path, std::string_view token,
                                const AnswerLimits& limits) {
    net::HttpRequest request = MarketplaceHttpRequest(context, "GET", path, limits.maxBody);
    std::string authorization = "Bearer ";
    authorization += token;
    request.headers.emplace_back("Authorization", std::move(authorization));
    return Send(request, limits.maxJsonValues);
}

} // namespace brisko::marketplace
