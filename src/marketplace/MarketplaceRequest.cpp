#include "MarketplaceRequest.h"

#include "BodyText.h"
#include "Http.h"

#include <utility>

namespace brisko::marketplace {
namespace {

net::HttpRequest Prepare(const Context& context, std::string method, std::string_view path) {
    net::HttpRequest request;
    request.method = std::move(method);
    request.url = context.endpoint.baseUrl;
    request.url += path;
    request.headers = {{"Accept", "application/json"},
                       {"Content-Type", "application/json; charset=utf-8"},
                       {"Connection", "Keep-Alive"},
                       {"Aiq-User-Agent", context.integrator.contactEmail}};
    request.tls = {net::Tls::v1_2, net::Tls::v1_2};
    request.followRedirects = false;
    request.connectTimeout = context.endpoint.connectTimeout;
    request.readTimeout = context.endpoint.readTimeout;
    request.extraCaFile = context.endpoint.caFile;
    request.abandon = context.endpoint.abandon;
    return request;
}

MarketplaceAnswer Send(const net::HttpRequest& request) {
    const net::HttpOutcome outcome = net::Perform(request);
    if (!outcome.response) {
        MarketplaceAnswer answer;
        answer.failure = outcome.failure;
        return answer;
    }
    return ReadAnswer(outcome.response->status, outcome.response->body, outcome.response->charset);
}

} // namespace

MarketplaceAnswer ReadAnswer(long status, std::string_view body, std::string_view charset) {
    MarketplaceAnswer answer;
    answer.answered = true;
    answer.status = status;
    answer.text = net::ReduceToAscii(net::DecodeBody(body, charset));
    answer.json = net::ParseJson(answer.text);
    return answer;
}

MarketplaceAnswer PostWithBasic(const Context& context, std::string_view path, std::string body) {
    net::HttpRequest request = Prepare(context, "POST", path);
    request.body = std::move(body);
    request.basic = std::make_pair(context.integrator.clientUser, context.integrator.clientKey);
    return Send(request);
}

MarketplaceAnswer GetWithBearer(const Context& context, std::string_view path, std::string_view token) {
    net::HttpRequest request = Prepare(context, "GET", path);
    std::string authorization = "Bearer ";
    authorization += token;
    request.headers.emplace_back("Authorization", std::move(authorization));
    return Send(request);
}

} // namespace brisko::marketplace
