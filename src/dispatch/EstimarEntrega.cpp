#include "Answers.h"
#include "DispatchCall.h"
#include "Errors.h"
#include "Pedidos.h"
#include "ResultText.h"
#include "URovezor.h"
#include "Url.h"

#include <charconv>
#include <utility>

namespace brisko::dispatch {

namespace {

std::string BuildQuery(const EstimateQuery& q) {
    const std::pair<std::string_view, std::string_view> values[] = {
        {"endereco_partida", q.enderecoPartida},
        {"bairro_partida", q.bairroPartida},
        {"cidade_partida", q.cidadePartida},
        {"estado_partida", q.estadoPartida},
        {"lat_partida", q.latPartida},
        {"lng_partida", q.lngPartida},
        {"endereco_desejado", q.enderecoDesejado},
        {"bairro_desejado", q.bairroDesejado},
        {"cidade_desejado", q.cidadeDesejado},
        {"estado_desejado", q.estadoDesejado},
        {"lat_desejado", q.latDesejado},
        {"lng_desejado", q.lngDesejado},
        {"latlng_paradas", q.latlngParadas},
        {"categoria_nome", q.categoriaNome},
        {"com_retorno", q.comRetorno ? "true" : "false"},
    };
    std::string query;
    for (const auto& [key, value] : values) {
        if (!query.empty()) {
            query += '&';
        }
        query += key;
        query += '=';
        query += net::PercentEncode(value); // each value on its own: & = + # stay inside it
    }
    return query;
}

long long OrderId(std::string_view text) {
    long long id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        std::string message = "'";
        message += text;
        message += "' is not a valid integer value";
        throw ConvertError(message);
    }
    return id;
}

} // namespace

std::string EstimarEntrega(std::string_view apiKey, std::string_view email, std::string_view password,
                           const EstimateQuery& query, std::string_view pedidoId, store::Database& db,
                           const Endpoint& endpoint) {
    std::string target = "/api/integracao/estimarEntrega?";
    target += BuildQuery(query);
    const DispatchRequest request{"GET", std::move(target), {}, apiKey, email, password, kEstimateTimeout};
    return CallDispatch(request, endpoint, [&](const net::JsonValue& answer) {
        // Everything is read before the update, so a faulty answer keeps the order's last estimate.
        const EstimateAnswer estimate = EstimateFromAnswer(answer);
        store::GravaEstimativa(db, OrderId(pedidoId), estimate.taxa, estimate.latitude, estimate.longitude);
        return std::string(net::kTrue);
    });
}

} // namespace brisko::dispatch
