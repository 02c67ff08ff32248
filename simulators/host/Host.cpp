#include "Host.h"

#include "DispatchSimulator.h"
#include "MarketplaceSimulator.h"
#include "Wire.h"

#include <functional>
#include <stdexcept>

namespace brisko::sim {

namespace {

const std::string kDone = "{}";

} // namespace

template <typename T> std::shared_ptr<T> Host::Find(const net::JsonValue& request) {
    std::lock_guard lock(mutex_);
    const auto found = servers_.find(wire::NumberAt(request, "server"));
    std::shared_ptr<T> server =
        found == servers_.end() ? nullptr : std::dynamic_pointer_cast<T>(found->second);
    if (!server) {
        throw std::invalid_argument("no such simulator: " + request.TextAt("server"));
    }
    return server;
}

std::string Host::Create(const net::JsonValue& request) {
    const std::string kind = request.TextAt("kind");
    const SimOptions options = wire::ReadOptions(request.ObjectAt("options"));
    std::shared_ptr<SimServer> server;
    if (kind == "server") {
        const net::JsonValue& fallback = request.At("fallback");
        server = std::make_shared<SimServer>(
            fallback.IsObject() ? std::optional(wire::ReadAnswer(fallback)) : std::nullopt, options);
    } else if (kind == "dispatch") {
        server = std::make_shared<DispatchSimulator>(wire::BytesAt(request, "apiKey"), options);
    } else if (kind == "marketplace") {
        server = std::make_shared<MarketplaceSimulator>(
            IntegratorCredentials{wire::BytesAt(request, "clientUser"), wire::BytesAt(request, "clientKey")},
            options);
    } else {
        throw std::invalid_argument("no such kind of simulator: " + kind);
    }
    std::lock_guard lock(mutex_);
    const long long handle = nextHandle_++;
    servers_.emplace(handle, std::move(server));
    return JsonObjectWriter().Member("server", std::to_string(handle)).Close();
}

void Host::Destroy(const net::JsonValue& request) {
    std::shared_ptr<SimServer> server = Find<SimServer>(request);
    {
        std::lock_guard lock(mutex_);
        servers_.erase(wire::NumberAt(request, "server"));
    }
    server.reset(); // stops it here, unless an operation still under way holds it
}

std::string Host::Carry(std::string_view operation, const net::JsonValue& request) {
    using Operation = std::function<std::string(Host&, const net::JsonValue&)>;
    using Market = MarketplaceSimulator;
    static const std::map<std::string, Operation, std::less<>> kOperations = {
        {"hello",
         [](Host&, const net::JsonValue&) {
             return JsonObjectWriter()
                 .Member("certificates", wire::Bytes(TestCertificateFolder().generic_string()))
                 .Close();
         }},
        {"create", [](Host& host, const net::JsonValue& r) { return host.Create(r); }},
        {"destroy",
         [](Host& host, const net::JsonValue& r) {
             host.Destroy(r);
             return kDone;
         }},
        {"start",
         [](Host& host, const net::JsonValue& r) {
             const auto server = host.Find<SimServer>(r);
             const bool started = server->Start(static_cast<int>(wire::NumberAt(r, "port")));
             return JsonObjectWriter()
                 .Flag("started", started)
                 .Member("port", std::to_string(server->Port()))
                 .Close();
         }},
        {"stop",
         [](Host& host, const net::JsonValue& r) {
             host.Find<SimServer>(r)->Stop();
             return kDone;
         }},
        {"script",
         [](Host& host, const net::JsonValue& r) {
             host.Find<SimServer>(r)->Script(wire::BytesAt(r, "method"), wire::BytesAt(r, "path"),
                                             wire::ReadAnswer(r.ObjectAt("answer")));
             return kDone;
         }},
        {"answer-delay",
         [](Host& host, const net::JsonValue& r) {
             host.Find<SimServer>(r)->SetAnswerDelay(std::chrono::milliseconds(wire::NumberAt(r, "ms")),
                                                     wire::BytesAt(r, "path"));
             return kDone;
         }},
        {"round-trip",
         [](Host& host, const net::JsonValue& r) {
             host.Find<SimServer>(r)->SetRoundTrip(std::chrono::milliseconds(wire::NumberAt(r, "ms")));
             return kDone;
         }},
        {"clear-script",
         [](Host& host, const net::JsonValue& r) {
             host.Find<SimServer>(r)->ClearScript();
             return kDone;
         }},
        {"requests",
         [](Host& host, const net::JsonValue& r) {
             return JsonObjectWriter()
                 .Member("requests", wire::WriteList(host.Find<SimServer>(r)->Requests()))
                 .Close();
         }},
        {"clear-requests",
         [](Host& host, const net::JsonValue& r) {
             host.Find<SimServer>(r)->ClearRequests();
             return kDone;
         }},
        {"deliveries",
         [](Host& host, const net::JsonValue& r) {
             return JsonObjectWriter()
                 .Member("deliveries", wire::WriteList(host.Find<DispatchSimulator>(r)->Deliveries()))
                 .Close();
         }},
        {"estimates",
         [](Host& host, const net::JsonValue& r) {
             return JsonObjectWriter()
                 .Member("estimates", wire::WriteList(host.Find<DispatchSimulator>(r)->Estimates()))
                 .Close();
         }},
        {"add-account",
         [](Host& host, const net::JsonValue& r) {
             host.Find<Market>(r)->AddAccount(wire::BytesAt(r, "login"), wire::BytesAt(r, "password"));
             return kDone;
         }},
        {"add-order",
         [](Host& host, const net::JsonValue& r) {
             host.Find<Market>(r)->AddOrder(wire::BytesAt(r, "login"), wire::ReadOrder(r.ObjectAt("order")));
             return kDone;
         }},
        {"orders",
         [](Host& host, const net::JsonValue& r) {
             return JsonObjectWriter()
                 .Member("orders", wire::WriteList(host.Find<Market>(r)->Orders(wire::BytesAt(r, "login"))))
                 .Close();
         }},
        {"order",
         [](Host& host, const net::JsonValue& r) {
             std::optional<SimOrder> order;
             host.Find<Market>(r)->UpdateOrder(wire::BytesAt(r, "orderId"), [&](SimOrder& o) { order = o; });
             return JsonObjectWriter().Member("order", order ? wire::Write(*order) : kJsonNull).Close();
         }},
        {"replace-order",
         [](Host& host, const net::JsonValue& r) {
             const SimOrder replacement = wire::ReadOrder(r.ObjectAt("order"));
             const bool found = host.Find<Market>(r)->UpdateOrder(wire::BytesAt(r, "orderId"),
                                                                  [&](SimOrder& o) { o = replacement; });
             return JsonObjectWriter().Flag("found", found).Close();
         }},
        {"issue-token",
         [](Host& host, const net::JsonValue& r) {
             const std::string token = host.Find<Market>(r)->IssueToken(wire::BytesAt(r, "login"));
             return JsonObjectWriter().Member("token", wire::Bytes(token)).Close();
         }},
        {"expire-tokens",
         [](Host& host, const net::JsonValue& r) {
             host.Find<Market>(r)->ExpireTokens();
             return kDone;
         }},
        {"set-expires-in",
         [](Host& host, const net::JsonValue& r) {
             host.Find<Market>(r)->SetExpiresIn(wire::BytesAt(r, "literal"));
             return kDone;
         }},
        {"set-escape-non-ascii",
         [](Host& host, const net::JsonValue& r) {
             host.Find<Market>(r)->SetEscapeNonAscii(r.At("escape").Kind() == net::JsonKind::True);
             return kDone;
         }},
    };
    const auto found = kOperations.find(operation);
    if (found == kOperations.end()) {
        throw std::invalid_argument("no such operation: " + std::string(operation));
    }
    return found->second(*this, request);
}

} // namespace brisko::sim
