#include "MarketplaceSimulator.h"

#include "BuildConstants.h"
#include "Html.h"
#include "Json.h"
#include "LocalTime.h"

#include <algorithm>
#include <charconv>
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

} // namespace

MarketplaceSimulator::MarketplaceSimulator()
    : MarketplaceSimulator(
          IntegratorCredentials{build::kMarketplaceClientUser, build::kMarketplaceClientKey}) {}

MarketplaceSimulator::MarketplaceSimulator(IntegratorCredentials integrator, SimOptions options)
    : SimServer(
          [this](const httplib::Request& request, httplib::Response& response) { Handle(request, response); },
          std::move(options)),
      integrator_(std::move(integrator)) {}

MarketplaceSimulator::~MarketplaceSimulator() {
    Stop();
}

void MarketplaceSimulator::AddAccount(const std::string& login, const std::string& password) {
    std::lock_guard lock(mutex_);
    accounts_[login].password = password;
}

void MarketplaceSimulator::AddOrder(const std::string& login, SimOrder order) {
    std::lock_guard lock(mutex_);
    accounts_[login].orders.push_back(std::move(order));
}

bool MarketplaceSimulator::UpdateOrder(const std::string& orderId,
                                       const std::function<void(SimOrder&)>& change) {
    std::lock_guard lock(mutex_);
    for (auto& [login, account] : accounts_) {
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
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(login);
    return found == accounts_.end() ? std::vector<SimOrder>{} : found->second.orders;
}

std::string MarketplaceSimulator::IssueToken(const std::string& login) {
    std::lock_guard lock(mutex_);
    std::string token = NewTokenText();
    tokens_[token] = {login, Clock::now() + std::chrono::seconds(LifetimeSeconds(expiresIn_))};
    return token;
}

void MarketplaceSimulator::ExpireTokens() {
    std::lock_guard lock(mutex_);
    tokens_.clear();
}

void MarketplaceSimulator::SetExpiresIn(JsonLiteral literal) {
    std::lock_guard lock(mutex_);
    expiresIn_ = std::move(literal);
}

void MarketplaceSimulator::SetEscapeNonAscii(bool escape) {
    std::lock_guard lock(mutex_);
    escapeNonAscii_ = escape;
}

void MarketplaceSimulator::SetBeforeEachRequest(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    beforeEachRequest_ = std::move(hook);
}

SimOrder MarketplaceSimulator::SampleOrder(const std::string& orderId, Clock::duration ago) {
    SimOrder order;
    order.orderId = orderId;
    order.createdAt = LocalDateTimeText(Clock::now() - ago);
    order.userName = "Maria";
    order.userSurname = "Souza";
    order.userMobilePhone = JsonText("77999990000");
    order.address.street_name = JsonText("Rua das Flores");
    order.address.number = JsonText("120");
    order.address.complement = JsonText("Apto 2");
    order.address.reference = JsonText("Perto da praça");
    order.address.neighborhood_name = JsonText("Centro");
    order.address.phone = JsonText("7732214455");
    order.address.mobile_phone = JsonText("77999990000");
    order.address.city_name = JsonText("Vitória da Conquista");
    order.address.state_uf = JsonText("BA");
    order.address.zip_code = JsonText("45000-000");
    order.address.latitude = "-14.8615";
    order.address.longitude = "-40.8442";
    order.items = {{"Pizza grande", 1, "49.90", ""}, {"Refrigerante 2 L", 1, "12.00", "gelado"}};
    order.changeFor = JsonText("100.00");
    order.total = "61.90";
    return order;
}

std::string MarketplaceSimulator::LocalDateTimeText(Clock::time_point moment) {
    return FormatIsoDateTimeMs(ToLocal(moment)).substr(0, 19);
}

std::string MarketplaceSimulator::NewTokenText() {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device entropy;
    std::string token = "aiq_";
    token += std::to_string(++tokenCounter_);
    token += '_';
    for (int i = 0; i < 32; ++i) {
        token += kHex[entropy() % 16];
    }
    return token;
}

void MarketplaceSimulator::Json(httplib::Response& response, int status, const std::string& json) const {
    response.status = status;
    response.set_content(escapeNonAscii_ ? EscapeNonAscii(json) : json, "application/json; charset=utf-8");
}

void MarketplaceSimulator::Handle(const httplib::Request& request, httplib::Response& response) {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        hook = beforeEachRequest_;
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
    std::lock_guard lock(mutex_);
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

void MarketplaceSimulator::SignIn(const httplib::Request& request, httplib::Response& response) {
    RecordedRequest seen{request.method, request.target, request.path, {}, request.body};
    seen.headers.assign(request.headers.begin(), request.headers.end());
    const auto basic = BasicCredentials(seen);
    std::lock_guard lock(mutex_);
    if (!basic || basic->first != integrator_.clientUser || basic->second != integrator_.clientKey) {
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
    const auto account = accounts_.find(username->Text());
    if (account == accounts_.end() || account->second.password != password->Text()) {
        Json(response, 401, ErrorJson("Usuário ou senha inválidos."));
        return;
    }
    std::string token = NewTokenText();
    tokens_[token] = {account->first, Clock::now() + std::chrono::seconds(LifetimeSeconds(expiresIn_))};
    const std::string data = JsonObjectWriter()
                                 .Text("access_token", token)
                                 .Text("token_type", "Bearer")
                                 .Member("expires_in", expiresIn_)
                                 .Text("refresh_token", NewTokenText())
                                 .Close();
    Json(response, 200, JsonObjectWriter().Member("data", data).Close());
}

std::string MarketplaceSimulator::Authenticate(const httplib::Request& request,
                                               httplib::Response& response) const {
    const std::string authorization = request.get_header_value("Authorization");
    constexpr std::string_view kBearer = "Bearer ";
    if (authorization.rfind(kBearer, 0) == 0) {
        const auto token = tokens_.find(authorization.substr(kBearer.size()));
        if (token != tokens_.end() && token->second.expiry > Clock::now()) {
            return token->second.login;
        }
    }
    Json(response, 401, ErrorJson("Unauthenticated."));
    return {};
}

void MarketplaceSimulator::Search(const std::string& login, const httplib::Request& request,
                                  httplib::Response& response) {
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
    for (const SimOrder& order : accounts_.at(login).orders) {
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

void MarketplaceSimulator::Detail(const std::string& login, const std::string& orderId,
                                  httplib::Response& response) {
    for (const SimOrder& order : accounts_.at(login).orders) {
        if (order.orderId == orderId) {
            Json(response, 200, DetailJson(order));
            return;
        }
    }
    Json(response, 404, ErrorJson("Pedido não encontrado."));
}

void MarketplaceSimulator::OrdersPage(httplib::Response& response) const {
    std::lock_guard lock(mutex_);
    std::string html =
        "<!DOCTYPE html><html lang=\"pt-BR\"><head><meta charset=\"utf-8\">"
        "<title>Pedidos</title></head><body><h1>Pedidos</h1><table border=\"1\">"
        "<tr><th>Loja</th><th>Pedido</th><th>Criado em</th><th>Cliente</th><th>Estado</th></tr>";
    for (const auto& [login, account] : accounts_) {
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

} // namespace brisko::sim
