#pragma once
// One integration pass: every marketplace account is synced, then the automatic scheduling runs,
// then the cycle is handed back to the window. Qt-free: the window is reached through outlets.
#include "AgendamentoAutomatico.h"
#include "Alertas.h"
#include "BuildConstants.h"
#include "Database.h"
#include "Endpoint.h"
#include "Marketplace.h"

#include <functional>
#include <string>

namespace brisko::cycle {

// What a pass reads from and does to the window. Every outlet is called on the worker thread; the
// window side carries each over to its own thread (a queued call for those that return nothing,
// a blocking queued call for readStatus, snapshot and message). An outlet left empty is skipped
// (readStatus then reads as empty, snapshot as signed out).
struct PassOutlets {
    std::function<std::string()> readStatus;             // second status panel, current text
    std::function<void(const std::string&)> status;      // second status panel, new text
    std::function<void(const std::string&)> showWarning; // LabelAvisos shown with the text
    std::function<void()> hideWarning;                   // LabelAvisos hidden
    std::function<void()> bringAccountDialog;            // start TimerCadastroEntrega
    std::function<courier::SchedulingInputs()> snapshot; // read when the scheduling starts
    std::function<void(const std::string&)> message;     // message box, returns once closed
    std::function<void()> handBack; // minutes box enabled, countdown 30, countdown and pass timers started
    // For the alerts and the health line: how the pass's sync went (with the last failure's text),
    // and what each automatic request came to.
    std::function<void(Sincronizacao, const std::string&)> synced{};
    std::function<void(const store::Pedido&, courier::RequestOutcome, const std::string&)> answered{};
};

// Where the two services are and with which key.
struct PassServices {
    marketplace::Endpoint marketplace{};
    marketplace::Integrator integrator{};
    dispatch::Endpoint dispatch{};
    std::string dispatchApiKey = build::kDispatchApiKey;
};

// Runs one pass on `db` (the calling thread's own connection). Never throws: an error that ends
// the pass early puts its message in the second panel, and the hand-back always comes last.
void RunIntegrationPass(store::Database& db, const PassServices& services, const PassOutlets& outlets);

} // namespace brisko::cycle
