#pragma once
// The order history (table HISTORICO): every change of an order's road with its time, kept for 90
// days whatever becomes of the order's own row. A history write never fails the step it records.
#include <string>
#include <string_view>
#include <vector>

#include "Database.h"

namespace brisko::store {

// The events, as the operator reads them.
inline constexpr std::string_view kEventoImportado = "Importado";
inline constexpr std::string_view kEventoEnvioAutomatico = "Solicitação automática enviada";
inline constexpr std::string_view kEventoEnvioManual = "Solicitação manual enviada";
inline constexpr std::string_view kEventoAceita = "Entrega aceita";
inline constexpr std::string_view kEventoRecusada = "Solicitação recusada";
inline constexpr std::string_view kEventoSemResposta = "Sem resposta da plataforma";
inline constexpr std::string_view kEventoEntregue = "Marcado como entregue";
inline constexpr std::string_view kEventoEstimativa = "Taxa estimada";
inline constexpr std::string_view kEventoRetido = "Retido pelo teto da taxa";

// One event of the marketplace order `idPedido`.
struct EventoPedido {
    std::string_view idPedido;
    std::string_view evento;
    std::string_view detalhe = {};
    std::string_view taxa = {}; // the fee, as the platform wrote it, when the event has one
};

// One stored event; HORA is the local time "dd/mm/yyyy hh:mm:ss".
struct LinhaHistorico {
    std::string HORA{};
    std::string EVENTO{};
    std::string DETALHE{};
    std::string TAXA{};
};

// Records one event now. Never throws: answers the text for the second status panel when the
// write failed, the empty text when it is stored. The commit does not wait for the disk: a power
// cut may take back the last events, never an order's own state.
std::string AnotaEvento(Database& db, const EventoPedido& evento);
// Records the estimate just stored on the order whose PEDIDOS ID is `id`, with its fee and
// `detalhe`. Never throws, like AnotaEvento; an order that is gone records nothing.
std::string AnotaEstimativa(Database& db, long long id, std::string_view detalhe);
// The events of one marketplace order, oldest first.
std::vector<LinhaHistorico> HistoricoDoPedido(Database& db, std::string_view idPedido);
// Deletes the events older than 90 days; answers how many went.
int ApagaHistoricoAntigo(Database& db);

} // namespace brisko::store
