#include "SolicitaEntrega.h"

#include "Historico.h"
#include "TetoTaxa.h"
#include "URovezor.h"

#include <exception>

namespace brisko::courier {

namespace {

constexpr std::string_view kClaimed = "ERRO ROVEZOR";

StoreForRequest StoreOf(const store::Empresa& empresa) {
    return {empresa.IDROVEZOR, empresa.ENDERECO, empresa.BAIRRO, empresa.CIDADE,
            empresa.UF,        empresa.LAT,      empresa.LNG};
}

OrderForRequest OrderOf(const store::Pedido& pedido) {
    return {pedido.IDPEDIDO, pedido.CLIENTE,  pedido.TELEFONE,
            pedido.ENDERECO, pedido.LATITUDE, pedido.LONGITUDE};
}

// Records one event; the first failed write is kept on the answer for the caller to report.
void Note(store::Database& db, const store::Pedido& pedido, CourierAnswer& answer, std::string_view evento,
          std::string_view detalhe = {}) {
    std::string failure = store::AnotaEvento(db, {pedido.IDPEDIDO, evento, detalhe});
    if (answer.historyFailure.empty()) {
        answer.historyFailure = std::move(failure);
    }
}

std::string_view SentEvent(Requester requester) {
    return requester == Requester::Operator ? store::kEventoEnvioManual : store::kEventoEnvioAutomatico;
}

// The operator asked for this order by hand: the fee ceiling's hold on it goes, so that the
// automatic pass estimates it again should it come back pending. The request goes on whatever.
void Release(store::Database& db, std::string_view idPedido, std::string& failure) {
    try {
        store::LiberaPedido(db, idPedido);
    } catch (const std::exception& e) {
        if (failure.empty()) {
            failure = e.what();
        }
    }
}

bool Abandoned(const dispatch::Endpoint& endpoint) {
    return endpoint.abandon && endpoint.abandon->load();
}

// Sends the claimed order's document and leaves the order as the outcome says.
CourierAnswer Send(store::Database& db, const store::Pedido& pedido, const CourierRequest& request,
                   const store::Empresa& empresa, std::string_view document, std::string_view apiKey,
                   const dispatch::Endpoint& endpoint) {
    const dispatch::OpeningAnswer opening =
        dispatch::AbrirEntregaComDesfecho(apiKey, empresa.EMAIL, empresa.SENHA, document, endpoint);
    switch (opening.outcome) {
    case dispatch::OpeningOutcome::Accepted: {
        // Not worth a wait for the disk: a power cut that takes the mark back leaves the claim,
        // which is never sent again either.
        const store::CommitsWithoutDiskWait quick(db);
        store::MarcaRovezor(db, pedido.ID);
        return {RequestOutcome::Accepted, opening.text, "ROVEZOR", {}};
    }
    case dispatch::OpeningOutcome::NotSent:
        if (Abandoned(endpoint)) {
            store::DevolvePedido(db, pedido.ID, pedido.ID_MCH);
            return {RequestOutcome::Abandoned, {}, pedido.ID_MCH, {}};
        }
        [[fallthrough]];
    case dispatch::OpeningOutcome::Refused:
        if (request.requester == Requester::Operator) {
            store::DevolvePedido(db, pedido.ID, pedido.ID_MCH);
            return {RequestOutcome::Refused, opening.text, pedido.ID_MCH, {}};
        }
        return {RequestOutcome::Refused, opening.text, std::string(kClaimed), {}};
    case dispatch::OpeningOutcome::Unanswered:
        break;
    }
    std::string text = opening.text;
    if (request.requester == Requester::Operator) {
        text += "\n";
        text += kMayHaveBeenAcceptedLine;
    }
    return {RequestOutcome::Unanswered, std::move(text), std::string(kClaimed), {}};
}

} // namespace

CourierAnswer SolicitaEntrega(store::Database& db, const store::Empresa& empresa, const store::Pedido& pedido,
                              const CourierRequest& request, std::string_view apiKey,
                              const dispatch::Endpoint& endpoint) {
    if (Abandoned(endpoint)) {
        return {RequestOutcome::Abandoned, {}, pedido.ID_MCH, {}};
    }
    // Built before the claim: nothing between the claim and the sending may fail.
    const std::string document =
        BuildDeliveryRequest(request.options, request.pickup, StoreOf(empresa), OrderOf(pedido));
    if (!store::ReservaPedido(db, pedido.ID, pedido.ID_MCH)) {
        return {RequestOutcome::NotClaimed, std::string(kAlreadyRequestedMessage), {}, {}};
    }
    std::string historyFailure = store::AnotaEvento(db, {pedido.IDPEDIDO, SentEvent(request.requester)});
    if (request.requester == Requester::Operator) {
        Release(db, pedido.IDPEDIDO, historyFailure);
    }
    CourierAnswer answer = Send(db, pedido, request, empresa, document, apiKey, endpoint);
    answer.historyFailure = std::move(historyFailure);
    switch (answer.outcome) {
    case RequestOutcome::Accepted:
        Note(db, pedido, answer, store::kEventoAceita);
        break;
    case RequestOutcome::Refused:
        Note(db, pedido, answer, store::kEventoRecusada, answer.text);
        break;
    case RequestOutcome::Unanswered:
        Note(db, pedido, answer, store::kEventoSemResposta, answer.text);
        break;
    case RequestOutcome::NotClaimed:
    case RequestOutcome::Abandoned:
        break;
    }
    return answer;
}

} // namespace brisko::courier
