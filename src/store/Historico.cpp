#include "Historico.h"

#include "Pedidos.h"

#include <exception>
#include <optional>

namespace brisko::store {
namespace {

constexpr long long kOrigemAiqfome = 1;

std::string Falha(const char* what) {
    return std::string("Histórico não gravado: ") + what;
}

} // namespace

std::string AnotaEvento(Database& db, const EventoPedido& evento) {
    try {
        const CommitsWithoutDiskWait quick(db);
        db.Prepare("INSERT INTO HISTORICO (ORIGEM,IDPEDIDO,DATAHORA,EVENTO,DETALHE,TAXA) VALUES "
                   "(:ORIGEM,:IDPEDIDO,strftime('%Y-%m-%d %H:%M:%S','now'),:EVENTO,:DETALHE,:TAXA)")
            .Bind(":ORIGEM", kOrigemAiqfome)
            .Bind(":IDPEDIDO", evento.idPedido)
            .Bind(":EVENTO", evento.evento)
            .Bind(":DETALHE", evento.detalhe)
            .Bind(":TAXA", evento.taxa)
            .Step();
        return {};
    } catch (const std::exception& e) {
        return Falha(e.what());
    } catch (...) {
        return Falha("?");
    }
}

std::string AnotaEstimativa(Database& db, long long id, std::string_view detalhe) {
    std::optional<Pedido> pedido;
    try {
        pedido = PedidoPorId(db, id);
    } catch (const std::exception& e) {
        return Falha(e.what());
    }
    return pedido ? AnotaEvento(db, {pedido->IDPEDIDO, kEventoEstimativa, detalhe, pedido->TAXAENTREGA})
                  : std::string();
}

std::vector<LinhaHistorico> HistoricoDoPedido(Database& db, std::string_view idPedido) {
    Statement row = db.Prepare("SELECT strftime('%d/%m/%Y %H:%M:%S', DATAHORA, 'localtime') AS HORA, EVENTO, "
                               "DETALHE, TAXA FROM HISTORICO WHERE ORIGEM = :ORIGEM AND IDPEDIDO = :IDPEDIDO "
                               "ORDER BY ID");
    row.Bind(":ORIGEM", kOrigemAiqfome).Bind(":IDPEDIDO", idPedido);
    std::vector<LinhaHistorico> linhas;
    while (row.Step()) {
        linhas.push_back({row.Text("HORA"), row.Text("EVENTO"), row.Text("DETALHE"), row.Text("TAXA")});
    }
    return linhas;
}

int ApagaHistoricoAntigo(Database& db) {
    Statement statement =
        db.Prepare("DELETE FROM HISTORICO WHERE DATAHORA < strftime('%Y-%m-%d %H:%M:%S', 'now', '-90 days')");
    statement.Step();
    return statement.Changes();
}

} // namespace brisko::store
