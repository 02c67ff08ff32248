#include "AgendamentoAutomatico.h"

#include "DeliveryRequest.h"
#include "DurableMarks.h"
#include "Empresa.h"
#include "Errors.h"
#include "LocalTime.h"
#include "PaymentMethods.h"
#include "Pedidos.h"
#include "ScheduleMinutes.h"
#include "URovezor.h"

#include <exception>

namespace brisko::courier {

namespace {

StoreForRequest StoreOf(const store::Empresa& empresa) {
    return {empresa.IDROVEZOR, empresa.ENDERECO, empresa.BAIRRO, empresa.CIDADE,
            empresa.UF,        empresa.LAT,      empresa.LNG};
}

OrderForRequest OrderOf(const store::Pedido& pedido) {
    return {pedido.IDPEDIDO, pedido.CLIENTE,  pedido.TELEFONE,
            pedido.ENDERECO, pedido.LATITUDE, pedido.LONGITUDE};
}

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
    DeliveryOptions options;
    options.paymentCode = *paymentCode;
    options.returnTrip = ReturnFlag(inputs.returnText);
    options.category = inputs.categoryName;

    // One moment for the whole pass: every order gets the same pickup time.
    const LocalDateTime moment = LocalNow();
    options.minutes = MinutesFromText(inputs.minutesText);
    const PickupTimeTexts pickup = PickupTime(moment, options.minutes);

    const StoreForRequest storeForRequest = StoreOf(empresa);
    // Every mark is on the disk before the pass ends, whichever way it ends; the next request
    // does not wait for it.
    DurableMarks marks(db);
    for (const store::Pedido& pedido : pending) {
        const std::string document = BuildDeliveryRequest(options, pickup, storeForRequest, OrderOf(pedido));
        const std::string answer =
            dispatch::AbrirEntrega(apiKey, empresa.EMAIL, empresa.SENHA, document, endpoint);
        if (answer == "TRUE") {
            store::MarcaRovezor(db, pedido.ID);
        } else {
            if (outlets.status) {
                outlets.status("Erro: " + answer);
            }
            store::MarcaErroRovezor(db, pedido.ID);
        }
        marks.Written();
    }
    marks.Finish();
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
