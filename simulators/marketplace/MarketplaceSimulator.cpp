#include "MarketplaceSimulator.h"

#include "Html.h"
#include "Json.h"
#include "SimServerImpl.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <mutex>
#include <random>

namespace brisko::sim {
namespace {

constexpr std::string_view kApiPrefix = "/alfredo/";
constexpr std::string_view kOrdersPrefix = "/alfredo/orders/";

bool IsIsoDate(const std::string& text) {
    return text.size() == 10 && text[4] == '-' && text[7] == '-' &&
           std::all_of(text.begin(), text.end(), [](char c) { return c == '-' || (c >= '0' && c <= '9'); });
}

// A whole number of seconds in a literal, as a number or a string; 3600 otherwise.
long long LifetimeSeconds(const JsonLiteral& literal) {
    std::string_view digits = literal;
    if (digits.size() >= 2 && digits.front() == '"' && digits.back() == '"') {
        digits = digits.substr(1, digits.size() - 2);
    }
    long long seconds = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
    if (error != std::errc{} || end != digits.data() + digits.size()) {
        return 3600;
    }
    // The clock's nanoseconds reach only to 2262: a longer promised life is kept as a century.
    constexpr long long kCentury = 100LL * 365 * 24 * 60 * 60;
    return std::clamp(seconds, -kCentury, kCentury);
}

std::string PageLink(long long page) {
    std::string link = "/alfredo/orders/search?page=";
    link += std::to_string(page);
    return JsonText(link);
}

void AppendCell(std::string& html, std::string_view text) {
    html += "<td>";
    html += HtmlEscaped(text);
    html += "</td>";
}

std::string ParamOr(const httplib::Request& request, const std::string& name, std::string fallback) {
    return request.has_param(name.c_str()) ? request.get_param_value(name.c_str()) : std::move(fallback);
}

// The marketplace's accounts, tokens and handler, behind MarketplaceSimulator.
struct Market final : SimServer::Impl {
    Market(IntegratorCredentials credentials, const SimOptions& options)
        : Impl(std::nullopt, options), integrator(std::move(credentials)) {}

    struct Account {
        std::string password;
        std::vector<SimOrder> orders;
    };
    struct Token {
        std::string login;
        MarketplaceSimulator::Clock::time_point expiry;
    };

    void Handle(const httplib::Request& request, httplib::Response& response) override;
    void SignIn(const httplib::Request& request, httplib::Response& response);
    void Search(const std::string& login, const httplib::Request& request, httplib::Response& response);
    void Detail(const std::string& login, const std::string& orderId, httplib::Response& response);
    void OrdersPage(httplib::Response& response) const;
    // The login of the request's bearer token; answers 401 and "" otherwise. Caller holds accountsMutex.
    std::string Authenticate(const httplib::Request& request, httplib::Response& response) const;
    void Json(httplib::Response& response, int status, const std::string& json) const;
    // A new token of the account, living as long as "expires_in" says. Caller holds accountsMutex.
    std::string NewToken(const std::string& login);
    std::string NewTokenText();

    const IntegratorCredentials integrator;
    mutable std::mutex accountsMutex;
    std::map<std::string, Account> accounts;
    std::map<std::string, Token> tokens;
    JsonLiteral expiresIn = "3600";
    bool escapeNonAscii = true;
    std::function<void()> beforeEachRequest;
    unsigned long long tokenCounter = 0;
};

} // namespace

std::string Market::NewTokenText() {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device entropy;
    std::string token = "aiq_";
    token += std::to_string(++tokenCounter);
    token += '_';
    for (int i = 0; i < 32; ++i) {
        token += kHex[entropy() % 16];
    }
    return token;
}

std::string Market::NewToken(const std::string& login) {
    std::string token = NewTokenText();
    tokens[token] = {login,
                     MarketplaceSimulator::Clock::now() + std::chrono::seconds(LifetimeSeconds(expiresIn))};
    return token;
}

void Market::Json(httplib::Response& response, int status, const std::string& json) const {
    response.status = status;
    response.set_content(escapeNonAscii ? EscapeNonAscii(json) : json, "application/json; charset=utf-8");
}

void Market::Handle(const httplib::Request& request, httplib::Response& response) {
    std::function<void()> hook;
    {
        std::lock_guard lock(accountsMutex);
        hook = beforeEachRequest;
    }
    if (hook) {
        hook();
    }
    const std::string& path = request.path;
    if (request.method == "GET" && path == "/pedidos") {
        OrdersPage(response);
        return;
    }
    if (request.method == "POST" && path == "/alfredo/auth/token") {
        SignIn(request, response);
        return;
    }
    std::lock_guard lock(accountsMutex);
    if (request.method != "GET" || path.rfind(kApiPrefix, 0) != 0) {
        Json(response, 404, ErrorJson("Not found"));
        return;
    }
    const std::string login = Authenticate(request, response);
    if (login.empty()) {
        return;
    }
    if (path == "/alfredo/orders/search") {
        Search(login, request, response);
    } else if (path.rfind(kOrdersPrefix, 0) == 0 && path.size() > kOrdersPrefix.size()) {
        Detail(login, path.substr(kOrdersPrefix.size()), response);
    } else {
        Json(response, 404, ErrorJson("Not found"));
    }
}

void Market::SignIn(const httplib::Request& request, httplib::Response& response) {
    RecordedRequest seen{request.method, request.target, request.path, {}, request.body};
    seen.headers.assign(request.headers.begin(), request.headers.end());
    const auto basic = BasicCredentials(seen);
    std::lock_guard lock(accountsMutex);
    if (!basic || basic->first != integrator.clientUser || basic->second != integrator.clientKey) {
        Json(response, 401, ErrorJson("Credenciais do integrador inválidas."));
        return;
    }
    const std::optional<net::JsonValue> body = net::ParseJson(request.body);
    const net::JsonValue* username = body ? body->Find("username") : nullptr;
    const net::JsonValue* password = body ? body->Find("password") : nullptr;
    if (username == nullptr || password == nullptr || username->Kind() != net::JsonKind::String ||
        password->Kind() != net::JsonKind::String) {
        Json(response, 422, ErrorJson("Os campos username e password são obrigatórios."));
        return;
    }
    const auto account = accounts.find(username->Text());
    if (account == accounts.end() || account->second.password != password->Text()) {
        Json(response, 401, ErrorJson("Usuário ou senha inválidos."));
        return;
    }
    const std::string token = NewToken(account->first);
    const std::string data = JsonObjectWriter()
                                 .Text("access_token", token)
                                 .Text("token_type", "Bearer")
                                 .Member("expires_in", expiresIn)
                                 .Text("refresh_token", NewTokenText())
                                 .Close();
    Json(response, 200, JsonObjectWriter().Member("data", data).Close());
}

std::string Market::Authenticate(const httplib::Request& request, httplib::Response& response) const {
    const std::string authorization = request.get_header_value("Authorization");
    constexpr std::string_view kBearer = "Bearer ";
    if (authorization.rfind(kBearer, 0) == 0) {
        const auto token = tokens.find(authorization.substr(kBearer.size()));
        if (token != tokens.end() && token->second.expiry > MarketplaceSimulator::Clock::now()) {
            return token->second.login;
        }
    }
    Json(response, 401, ErrorJson("Unauthenticated."));
    return {};
}

void Market::Search(const std::string& login, const httplib::Request& request, httplib::Response& response) {
    const std::string start = ParamOr(request, "filter[date_start]", "0000-00-00");
    const std::string end = ParamOr(request, "filter[date_end]", "9999-99-99");
    if (!IsIsoDate(start) || !IsIsoDate(end)) {
        Json(response, 422, ErrorJson("As datas do filtro devem estar no formato AAAA-MM-DD."));
        return;
    }
    long long perPage = 15;
    long long page = 1;
    const std::string perPageText = ParamOr(request, "per_page", "15");
    const std::string pageText = ParamOr(request, "page", "1");
    std::from_chars(perPageText.data(), perPageText.data() + perPageText.size(), perPage);
    std::from_chars(pageText.data(), pageText.data() + pageText.size(), page);
    perPage = std::max(perPage, 1LL);
    page = std::max(page, 1LL);

    std::vector<const SimOrder*> listed;
    for (const SimOrder& order : accounts.at(login).orders) {
        const std::string day = order.createdAt.substr(0, 10);
        if (day >= start && day <= end) {
            listed.push_back(&order);
        }
    }
    // Newest first, as the marketplace lists them.
    std::stable_sort(listed.begin(), listed.end(),
                     [](const SimOrder* a, const SimOrder* b) { return a->createdAt > b->createdAt; });
    const auto total = static_cast<long long>(listed.size());
    const long long first = std::min(total, (page - 1) * perPage);
    const long long last = std::min(total, first + perPage);
    std::string data = "[";
    for (long long i = first; i < last; ++i) {
        if (data.size() > 1) {
            data += ',';
        }
        data += SearchElementJson(*listed[static_cast<std::size_t>(i)]);
    }
    data += ']';
    const long long lastPage = std::max(1LL, (total + perPage - 1) / perPage);
    const std::string links = JsonObjectWriter()
                                  .Member("first", PageLink(1))
                                  .Member("last", PageLink(lastPage))
                                  .Member("prev", page > 1 ? PageLink(page - 1) : kJsonNull)
                                  .Member("next", page < lastPage ? PageLink(page + 1) : kJsonNull)
                                  .Close();
    const std::string meta = JsonObjectWriter()
                                 .Member("current_page", std::to_string(page))
                                 .Member("from", total == 0 ? kJsonNull : std::to_string(first + 1))
                                 .Member("last_page", std::to_string(lastPage))
                                 .Member("per_page", std::to_string(perPage))
                                 .Member("to", total == 0 ? kJsonNull : std::to_string(last))
                                 .Member("total", std::to_string(total))
                                 .Close();
    Json(response, 200,
         JsonObjectWriter().Member("data", data).Member("links", links).Member("meta", meta).Close());
}

void Market::Detail(const std::string& login, const std::string& orderId, httplib::Response& response) {
    for (const SimOrder& order : accounts.at(login).orders) {
        if (order.orderId == orderId) {
            Json(response, 200, DetailJson(order));
            return;
        }
    }
    Json(response, 404, ErrorJson("Pedido não encontrado."));
}

void Market::OrdersPage(httplib::Response& response) const {
    std::lock_guard lock(accountsMutex);
    std::string html =
        "<!DOCTYPE html><html lang=\"pt-BR\"><head><meta charset=\"utf-8\">"
        "<title>Pedidos</title></head><body><h1>Pedidos</h1><table border=\"1\">"
        "<tr><th>Loja</th><th>Pedido</th><th>Criado em</th><th>Cliente</th><th>Estado</th></tr>";
    for (const auto& [login, account] : accounts) {
        for (const SimOrder& order : account.orders) {
            std::string state = order.isCancelled   ? "cancelado"
                                : order.isDelivered ? "entregue"
                                : order.isReady     ? "pronto"
                                : order.isRead      ? "aceito"
                                                    : "novo";
            if (order.isPickup) {
                state += ", retirada";
            }
            html += "<tr>";
            AppendCell(html, login);
            AppendCell(html, order.orderId);
            AppendCell(html, order.createdAt);
            AppendCell(html, order.userName + " " + order.userSurname);
            AppendCell(html, state);
            html += "</tr>";
        }
    }
    html += "</table></body></html>";
    response.status = 200;
    response.set_content(html, "text/html; charset=utf-8");
}

MarketplaceSimulator::MarketplaceSimulator(IntegratorCredentials integrator, SimOptions options)
    : SimServer(std::make_unique<Market>(std::move(integrator), options)) {}

void MarketplaceSimulator::AddAccount(const std::string& login, const std::string& password) {
    auto& market = static_cast<Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    market.accounts[login].password = password;
}

void MarketplaceSimulator::AddOrder(const std::string& login, SimOrder order) {
    auto& market = static_cast<Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    market.accounts[login].orders.push_back(std::move(order));
}

bool MarketplaceSimulator::UpdateOrder(const std::string& orderId,
                                       const std::function<void(SimOrder&)>& change) {
    auto& market = static_cast<Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    for (auto& [login, account] : market.accounts) {
        for (SimOrder& order : account.orders) {
            if (order.orderId == orderId) {
                change(order);
                return true;
            }
        }
    }
    return false;
}

std::vector<SimOrder> MarketplaceSimulator::Orders(const std::string& login) const {
    const auto& market = static_cast<const Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    const auto found = market.accounts.find(login);
    return found == market.accounts.end() ? std::vector<SimOrder>{} : found->second.orders;
}

std::string MarketplaceSimulator::IssueToken(const std::string& login) {
    auto& market = static_cast<Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    return market.NewToken(login);
}

void MarketplaceSimulator::ExpireTokens() {
    auto& market = static_cast<Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    market.tokens.clear();
}

void MarketplaceSimulator::SetExpiresIn(JsonLiteral literal) {
    auto& market = static_cast<Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    market.expiresIn = std::move(literal);
}

void MarketplaceSimulator::SetEscapeNonAscii(bool escape) {
    auto& market = static_cast<Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    market.escapeNonAscii = escape;
}

void MarketplaceSimulator::SetBeforeEachRequest(std::function<void()> hook) {
    auto& market = static_cast<Market&>(State());
    std::lock_guard lock(market.accountsMutex);
    market.beforeEachRequest = std::move(hook);
}

} // namespace brisko::sim
