#include "TetoTaxaAutomatico.h"

#include "Historico.h"
#include "ResultText.h"
#include "TetoTaxa.h"

namespace brisko::courier {

dispatch::EstimateQuery EstimateQueryFor(const store::Empresa& e, const store::Pedido& pedido,
                                         std::string_view category, bool returnTrip) {
    // An order holds no district, city or state: the store's stand in.
    return {e.ENDERECO,
            e.BAIRRO,
            e.CIDADE,
            e.UF,
            e.LAT,
            e.LNG,
            pedido.ENDERECO,
            e.BAIRRO,
            e.CIDADE,
            e.UF,
            pedido.LATITUDE,
            pedido.LONGITUDE,
            {},
            std::string(category),
            returnTrip};
}

FeeCheck ConfereTeto(store::Database& db, const store::Empresa& empresa, const store::Pedido& pedido,
                     const dispatch::EstimateQuery& query, long long teto, std::string_view apiKey,
                     const dispatch::Endpoint& endpoint) {
    FeeCheck check;
    if (const auto hold = store::RetencaoDoPedido(db, pedido.IDPEDIDO); hold && hold->TETO == teto) {
        check.verdict = FeeVerdict::Held;
        return check;
    }
    check.text = dispatch::EstimarEntrega(apiKey, empresa.EMAIL, empresa.SENHA, query,
                                          std::to_string(pedido.ID), db, endpoint);
    if (check.text != net::kTrue) {
        return check;
    }
    const std::string taxa = store::PedidoPorId(db, pedido.ID).value_or(store::Pedido{}).TAXAENTREGA;
    const std::optional<long long> fee = store::Centavos(taxa);
    if (!fee) {
        check.text = "Taxa não reconhecida: " + taxa;
        return check;
    }
    check.historyFailure =
        store::AnotaEvento(db, {pedido.IDPEDIDO, store::kEventoEstimativa, query.categoriaNome, taxa});
    if (*fee <= teto) {
        check.verdict = FeeVerdict::Request;
        return check;
    }
    store::RetemPedido(db, pedido.IDPEDIDO, taxa, teto);
    std::string failure = store::AnotaEvento(
        db, {pedido.IDPEDIDO, store::kEventoRetido, "teto R$ " + store::Reais(teto), taxa});
    if (check.historyFailure.empty()) {
        check.historyFailure = std::move(failure);
    }
    check.verdict = FeeVerdict::Held;
    return check;
}

} // namespace brisko::courier
