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
    return request;
}

MarketplaceAnswer Send(const net::HttpRequest& request) {
    const net::HttpOutcome outcome = net::Perform(request);
    MarketplaceAnswer answer;
    if (!outcome.response) {
        answer.failure = outcome.failure;
        return answer;
    }
    answer.answered = true;
    answer.status = outcome.response->status;
    answer.text = net::ReduceToAscii(net::DecodeBody(outcome.response->body, outcome.response->charset));
    answer.json = net::ParseJson(answer.text);
    return answer;
}

} // namespace

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
