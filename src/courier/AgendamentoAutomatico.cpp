#include "AgendamentoAutomatico.h"

#include "Empresa.h"
#include "Errors.h"
#include "LocalTime.h"
#include "PaymentMethods.h"
#include "Pedidos.h"
#include "ScheduleMinutes.h"
#include "SolicitaEntrega.h"
#include "TetoTaxa.h"
#include "TetoTaxaAutomatico.h"

#include <exception>

namespace brisko::courier {

namespace {

void Schedule(const SchedulingInputs& inputs, store::Database& db, std::string_view apiKey,
              const SchedulingOutlets& outlets, const dispatch::Endpoint& endpoint) {
    const std::vector<store::Pedido> pending = store::PedidosPendentes(db);
    if (pending.empty()) {
        return;
    }
    // A store record that is gone reads as empty columns, as an empty query's fields do.
    const store::Empresa empresa = store::LeEmpresa(db).value_or(store::Empresa{});

    const auto paymentCode = PaymentCodeForName(inputs.paymentName);
    if (!paymentCode) {
        if (outlets.message) {
            outlets.message(std::string(kPaymentNotSpecifiedMessage));
        }
        return;
    }
    CourierRequest request;
    request.options.paymentCode = *paymentCode;
    request.options.returnTrip = ReturnFlag(inputs.returnText);
    request.options.category = inputs.categoryName;

    // One moment for the whole pass: every order gets the same pickup time.
    const LocalDateTime moment = LocalNow();
    request.options.minutes = MinutesFromText(inputs.minutesText);
    request.pickup = PickupTime(moment, request.options.minutes);

    // Off unless the operator set one: then every order's fee is asked for before its request.
    const std::optional<long long> teto = store::LeTetoTaxa(db);
    bool historyFailureTold = false; // once a pass: a failing disk would fail every write
    const auto tellHistoryFailure = [&](const std::string& failure) {
        if (!failure.empty() && !historyFailureTold && outlets.status) {
            outlets.status(failure);
            historyFailureTold = true;
        }
    };
    for (const store::Pedido& pedido : pending) {
        if (teto) {
            if (endpoint.abandon && endpoint.abandon->load()) {
                return;
            }
            const FeeCheck check = ConfereTeto(
                db, empresa, pedido,
                EstimateQueryFor(empresa, pedido, request.options.category, request.options.returnTrip),
                *teto, apiKey, endpoint);
            tellHistoryFailure(check.historyFailure);
            if (check.verdict == FeeVerdict::Unknown && outlets.status) {
                outlets.status("Erro: " + check.text);
            }
            if (check.verdict != FeeVerdict::Request) {
                continue;
            }
        }
        const CourierAnswer answer = SolicitaEntrega(db, empresa, pedido, request, apiKey, endpoint);
        if (outlets.answered) {
            outlets.answered(pedido, answer.outcome, answer.text);
        }
        tellHistoryFailure(answer.historyFailure);
        switch (answer.outcome) {
        case RequestOutcome::Abandoned:
            return; // the program is closing: no new request starts
        case RequestOutcome::Refused:
        case RequestOutcome::Unanswered:
            if (outlets.status) {
                outlets.status("Erro: " + answer.text);
            }
            break;
        case RequestOutcome::Accepted:
        case RequestOutcome::NotClaimed: // requested by someone else meanwhile: not ours to report
            break;
        }
    }
}

} // namespace

void AbrirEntregaAgendarAutomatico(const SchedulingInputs& inputs, store::Database& db,
                                   std::string_view apiKey, const SchedulingOutlets& outlets,
                                   const dispatch::Endpoint& endpoint) {
    if (!inputs.signedIn || !inputs.automatic) {
        return;
    }
    // Operators and support know the failures by their kind's name; the message stays out.
    std::string failure;
    try {
        Schedule(inputs, db, apiKey, outlets, endpoint);
        return;
    } catch (const std::exception& e) {
        failure = ErrorKindName(e);
    } catch (...) {
        failure = "Exception";
    }
    if (outlets.status) {
        outlets.status(failure);
    }
}

} // namespace brisko::courier
