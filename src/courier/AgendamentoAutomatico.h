#pragma once
// Requests a courier by itself for every order that has none, at the end of an integration pass.
#include "Database.h"
#include "Endpoint.h"
#include "Pedidos.h"
#include "SolicitaEntrega.h"

#include <functional>
#include <string>
#include <string_view>

namespace brisko::courier {

// The main window's inputs as they read when the scheduling starts.
struct SchedulingInputs {
    bool signedIn = false;    // vLogado
    bool automatic = false;   // CheckBoxRebimentoAutomatico
    std::string paymentName;  // ComboBoxPagamentos
    std::string categoryName; // ComboBoxCategorias
    std::string returnText;   // ComboBoxRetorno
    std::string minutesText;  // ComboBoxAgendar
};

// Where the scheduling reports. Both are called on the caller's thread.
struct SchedulingOutlets {
    std::function<void(const std::string&)> status;  // the second status panel
    std::function<void(const std::string&)> message; // a message box; returns once it was closed
    // What each order's request came to (its outcome and the platform's text), for the alerts.
    std::function<void(const store::Pedido&, RequestOutcome, const std::string&)> answered{};
};

// Sends one delivery request per pending order (ascending ID) through SolicitaEntrega, which leaves
// each "ROVEZOR" or "ERRO ROVEZOR"; an order another request claimed meanwhile is passed over. Once
// the endpoint's calls are abandoned no further order is sent. Never throws: an error ends the
// scheduling with its kind's name as the status.
void AbrirEntregaAgendarAutomatico(const SchedulingInputs& inputs, store::Database& db,
                                   std::string_view apiKey, const SchedulingOutlets& outlets,
                                   const dispatch::Endpoint& endpoint = {});

} // namespace brisko::courier
