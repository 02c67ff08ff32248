#include "DispatchSimulator.h"

#include "Html.h"
#include "Json.h"
#include "JsonWriter.h"
#include "SimServerImpl.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <numbers>
#include <optional>

namespace brisko::sim {

namespace {

constexpr std::string_view kJson = "application/json; charset=utf-8";
constexpr double kReturnTripFactor = 1.5;

std::optional<double> ParseNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Great-circle distance between two points given in degrees.
double HaversineKm(double lat1, double lng1, double lat2, double lng2) {
    constexpr double kEarthRadiusKm = 6371.0;
    const auto radians = [](double degrees) { return degrees * std::numbers::pi / 180.0; };
    const double dLat = radians(lat2 - lat1);
    const double dLng = radians(lng2 - lng1);
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) + std::cos(radians(lat1)) *
                                                                   std::cos(radians(lat2)) *
                                                                   std::sin(dLng / 2) * std::sin(dLng / 2);
    return 2 * kEarthRadiusKm * std::asin(std::min(1.0, std::sqrt(a)));
}

std::string Money(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// {"errors":[{"message":...}]}, the shape of every error status.
void Refuse(httplib::Response& response, int status, std::string_view message) {
    std::string body = R"({"errors":[{"message":)";
    net::AppendJsonString(body, message);
    body += "}]}";
    response.status = status;
    response.set_content(body, std::string(kJson));
}

// Status 200 with {"response":{"erros":[...]}}: how the platform turns a delivery request down.
void RefuseDelivery(httplib::Response& response, const std::vector<std::string>& reasons) {
    std::string body = R"({"response":{"erros":[)";
    for (std::size_t i = 0; i < reasons.size(); ++i) {
        if (i > 0) {
            body += ',';
        }
        net::AppendJsonString(body, reasons[i]);
    }
    body += "]}}";
    response.set_content(body, std::string(kJson));
}

void AppendMember(std::string& out, std::string_view name, std::string_view value) {
    if (out.back() != '{') {
        out += ',';
    }
    net::AppendJsonString(out, name);
    out += ':';
    net::AppendJsonString(out, value);
}

const SimCategory* FindCategory(const SimStore& store, std::string_view nome) {
    const auto found = std::find_if(store.categorias.begin(), store.categorias.end(),
                                    [&](const SimCategory& c) { return c.nome == nome; });
    return found == store.categorias.end() ? nullptr : &*found;
}

bool AcceptsPayment(const SimStore& store, std::string_view code) {
    const std::string literal = net::JsonString(code);
    return std::find(store.tiposPagamento.begin(), store.tiposPagamento.end(), literal) !=
           store.tiposPagamento.end();
}

// The reasons to turn a delivery request document down; none when it can be served.
std::vector<std::string> CheckDeliveryRequest(const SimStore& store, const net::JsonValue& document) {
    std::vector<std::string> reasons;
    const net::JsonValue* empresaId = document.Find("empresa_id");
    if (empresaId == nullptr || empresaId->Text() != std::to_string(store.id)) {
        reasons.emplace_back("Empresa não corresponde ao usuário autenticado");
    }
    const net::JsonValue* pagamento = document.Find("forma_pagamento");
    if (pagamento == nullptr || !AcceptsPayment(store, pagamento->Text())) {
        std::string reason = "Forma de pagamento não aceita pela empresa: ";
        reason += pagamento == nullptr ? "" : pagamento->Text();
        reasons.push_back(std::move(reason));
    }
    const net::JsonValue* categoria = document.Find("categoria_nome");
    if (categoria == nullptr || FindCategory(store, categoria->Text()) == nullptr) {
        std::string reason = "Categoria não encontrada: ";
        reason += categoria == nullptr ? "" : categoria->Text();
        reasons.push_back(std::move(reason));
    }
    const net::JsonValue* paradas = document.Find("paradas");
    if (paradas == nullptr || !paradas->IsArray() || paradas->Items().empty() ||
        !paradas->Items().front().IsObject()) {
        reasons.emplace_back("Informe ao menos uma parada");
    }
    return reasons;
}

std::string MemberText(const net::JsonValue& object, std::string_view name) {
    const net::JsonValue* member = object.Find(name);
    return member == nullptr ? std::string() : member->Text();
}

// The platform's own state and handler, behind DispatchSimulator.
class Platform final : public SimServer::Impl {
public:
    Platform(std::string apiKey, const SimOptions& options)
        : Impl(std::nullopt, options), apiKey_(std::move(apiKey)), stores_(DispatchSimulator::DemoStores()) {}

    void Handle(const httplib::Request& request, httplib::Response& response) override;
    std::vector<SimDelivery> Deliveries() const;
    std::vector<std::map<std::string, std::string>> Estimates() const;

private:
    // The store whose credentials the request carries; answers 401 and nullptr otherwise.
    const SimStore* Authenticate(const httplib::Request& request, httplib::Response& response) const;
    void Empresa(const SimStore& store, httplib::Response& response) const;
    void Estimate(const SimStore& store, const httplib::Request& request, httplib::Response& response);
    void Open(const SimStore& store, const httplib::Request& request, httplib::Response& response);
    void ManagementPage(httplib::Response& response) const;

    const std::string apiKey_;
    const std::vector<SimStore> stores_;
    mutable std::mutex mutex_;
    std::vector<SimDelivery> deliveries_;
    std::vector<std::map<std::string, std::string>> estimates_;
    long long nextIdMch_ = 5001;
};

} // namespace

std::vector<SimDelivery> Platform::Deliveries() const {
    std::lock_guard lock(mutex_);
    return deliveries_;
}

std::vector<std::map<std::string, std::string>> Platform::Estimates() const {
    std::lock_guard lock(mutex_);
    return estimates_;
}

void Platform::Handle(const httplib::Request& request, httplib::Response& response) {
    if (request.method == "GET" && request.path == "/solicitacao/gestaoPedido") {
        ManagementPage(response);
        return;
    }
    const bool empresa = request.method == "GET" && request.path == "/api/integracao/empresa";
    const bool estimate = request.method == "GET" && request.path == "/api/integracao/estimarEntrega";
    const bool open = request.method == "POST" && request.path == "/api/integracao/abrirEntrega";
    if (!empresa && !estimate && !open) {
        Refuse(response, 404, "Recurso não encontrado");
        return;
    }
    const SimStore* store = Authenticate(request, response);
    if (store == nullptr) {
        return;
    }
    if (empresa) {
        Empresa(*store, response);
    } else if (estimate) {
        Estimate(*store, request, response);
    } else {
        Open(*store, request, response);
    }
}

const SimStore* Platform::Authenticate(const httplib::Request& request, httplib::Response& response) const {
    if (request.get_header_value("api-key") != apiKey_) {
        Refuse(response, 401, "Chave de integração inválida");
        return nullptr;
    }
    RecordedRequest seen;
    seen.headers.assign(request.headers.begin(), request.headers.end());
    const auto credentials = BasicCredentials(seen);
    const auto found = std::find_if(stores_.begin(), stores_.end(), [&](const SimStore& store) {
        return credentials && credentials->first == store.email && credentials->second == store.password;
    });
    if (found == stores_.end()) {
        Refuse(response, 401, "E-mail ou senha inválidos");
        return nullptr;
    }
    return &*found;
}

void Platform::Empresa(const SimStore& store, httplib::Response& response) const {
    std::string record = "{";
    record += R"("id":)";
    record += std::to_string(store.id);
    AppendMember(record, "nome", store.nome);
    AppendMember(record, "endereco", store.endereco);
    AppendMember(record, "bairro", store.bairro);
    AppendMember(record, "cidade", store.cidade);
    AppendMember(record, "uf", store.uf);
    AppendMember(record, "cep", store.cep);
    AppendMember(record, "lat", store.lat);
    AppendMember(record, "lng", store.lng);
    AppendMember(record, "status_empresa", store.status);
    AppendMember(record, "telefone", store.telefone);
    AppendMember(record, "documento", store.documento);
    record += R"(,"tipos_pagamento":[)";
    for (std::size_t i = 0; i < store.tiposPagamento.size(); ++i) {
        record += i > 0 ? "," : "";
        record += store.tiposPagamento[i];
    }
    record += R"(],"categorias":[)";
    for (std::size_t i = 0; i < store.categorias.size(); ++i) {
        record += i > 0 ? R"(,{"id":)" : R"({"id":)";
        record += std::to_string(i + 1);
        AppendMember(record, "nome", store.categorias[i].nome);
        record += '}';
    }
    record += "]}";
    std::string body = R"({"response":)";
    body += record;
    body += '}';
    response.set_content(body, std::string(kJson));
}

void Platform::Estimate(const SimStore& store, const httplib::Request& request, httplib::Response& response) {
    std::map<std::string, std::string> values;
    for (const auto& [key, value] : request.params) {
        values.emplace(key, value);
    }
    {
        std::lock_guard lock(mutex_);
        estimates_.push_back(values);
    }
    const auto value = [&](const std::string& key) {
        const auto found = values.find(key);
        return found == values.end() ? std::string() : found->second;
    };
    const SimCategory* category = FindCategory(store, value("categoria_nome"));
    if (category == nullptr) {
        std::string message = "Categoria não encontrada: ";
        message += value("categoria_nome");
        Refuse(response, 422, message);
        return;
    }
    const std::optional<double> toLat = ParseNumber(value("lat_desejado"));
    const std::optional<double> toLng = ParseNumber(value("lng_desejado"));
    if (!toLat || !toLng) {
        Refuse(response, 422, "Coordenadas do destino inválidas");
        return;
    }
    // The start defaults to the store's own address when the caller leaves it out.
    const double fromLat = ParseNumber(value("lat_partida")).value_or(ParseNumber(store.lat).value_or(0));
    const double fromLng = ParseNumber(value("lng_partida")).value_or(ParseNumber(store.lng).value_or(0));
    double price = category->basePrice + category->pricePerKm * HaversineKm(fromLat, fromLng, *toLat, *toLng);
    if (value("com_retorno") == "true") {
        price *= kReturnTripFactor;
    }
    std::string body = R"({"response":{"estimativa_valor":)";
    body += Money(price);
    body += R"(,"desejado":{)";
    AppendMember(body, "lat", value("lat_desejado"));
    AppendMember(body, "lng", value("lng_desejado"));
    body += "}}}";
    response.set_content(body, std::string(kJson));
}

void Platform::Open(const SimStore& store, const httplib::Request& request, httplib::Response& response) {
    const std::optional<net::JsonValue> document = net::ParseJson(request.body);
    if (!document || !document->IsObject()) {
        RefuseDelivery(response, {"Documento da solicitação inválido (JSON mal formado)"});
        return;
    }
    const std::vector<std::string> reasons = CheckDeliveryRequest(store, *document);
    if (!reasons.empty()) {
        RefuseDelivery(response, reasons);
        return;
    }
    const net::JsonValue& parada = document->Find("paradas")->Items().front();
    SimDelivery delivery{0,
                         store.nome,
                         MemberText(parada, "id_externo"),
                         MemberText(parada, "nome_cliente_parada"),
                         MemberText(parada, "endereco_parada"),
                         MemberText(*document, "data"),
                         MemberText(*document, "hora"),
                         MemberText(*document, "categoria_nome"),
                         MemberText(*document, "forma_pagamento")};
    {
        std::lock_guard lock(mutex_);
        delivery.idMch = nextIdMch_++;
        deliveries_.push_back(delivery);
    }
    std::string body = R"({"response":{"id_mch":)";
    body += std::to_string(delivery.idMch);
    body += "}}";
    response.set_content(body, std::string(kJson));
}

void Platform::ManagementPage(httplib::Response& response) const {
    std::string page = "<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"utf-8\">"
                       "<title>Gestão de pedidos</title></head><body>\n<h1>Gestão de pedidos</h1>\n";
    const std::vector<SimDelivery> deliveries = Deliveries();
    if (deliveries.empty()) {
        page += "<p>Nenhuma entrega solicitada.</p>\n";
    } else {
        page += "<table border=\"1\"><tr><th>Entrega</th><th>Loja</th><th>Pedido</th><th>Cliente</th>"
                "<th>Endereço</th><th>Data</th><th>Hora</th><th>Categoria</th><th>Pagamento</th></tr>\n";
        for (const SimDelivery& d : deliveries) {
            page += "<tr>";
            for (const std::string& cell : {std::to_string(d.idMch), d.loja, d.idExterno, d.cliente,
                                            d.endereco, d.data, d.hora, d.categoria, d.pagamento}) {
                page += "<td>";
                page += HtmlEscaped(cell);
                page += "</td>";
            }
            page += "</tr>\n";
        }
        page += "</table>\n";
    }
    page += "</body></html>\n";
    response.set_content(page, "text/html; charset=utf-8");
}

DispatchSimulator::DispatchSimulator(std::string apiKey, SimOptions options)
    : SimServer(std::make_unique<Platform>(std::move(apiKey), options)) {}

std::vector<SimDelivery> DispatchSimulator::Deliveries() const {
    return static_cast<const Platform&>(State()).Deliveries();
}

std::vector<std::map<std::string, std::string>> DispatchSimulator::Estimates() const {
    return static_cast<const Platform&>(State()).Estimates();
}

} // namespace brisko::sim
