#pragma once
// The imported orders (table PEDIDOS) and every statement run on them.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "Database.h"

namespace brisko::store {

// One PEDIDOS row, every column in table order.
struct Pedido {
    long long ID = 0;
    long long ORIGEM = 0;
    std::string IDPEDIDO{};
    std::string CLIENTE{};
    std::string ENDERECO{};
    std::string LATITUDE{};
    std::string LONGITUDE{};
    long long DESPACHADO = 0;
    std::string TAXAENTREGA{};
    std::string CATEGORIA{};
    std::string PAGAMENTO{};
    std::string RETORNO{};
    std::string ID_MCH{}; // courier request state: "" none, "ROVEZOR", "ERRO ROVEZOR", "JA ENTREGUE"
    std::string DATAHORA{};
    std::string VALUE{};
    std::string TELEFONE{};
    std::string LATITUDEMCH{};
    std::string LONGITUDEMCH{};
};

// The texts of an order that passed the import filters; ORIGEM and VALUE are fixed by the insert.
struct NovoPedido {
    std::string DATAHORA{};
    std::string IDPEDIDO{};
    std::string CLIENTE{};
    std::string TELEFONE{};
    std::string ENDERECO{};
    std::string LATITUDE{};
    std::string LONGITUDE{};
};

// Orders of the last 13 hours (engine's UTC clock), orders without a courier request first, then
// the latest import first.
std::vector<Pedido> ListaPedidos(Database& db);
// Orders of the last 13 hours without a courier request, the oldest import first.
std::vector<Pedido> PedidosPendentes(Database& db);
bool PedidoJaImportado(Database& db, std::string_view idPedido);
// IDPEDIDO of every marketplace order stored: what PedidoJaImportado answers true for, in one query.
std::unordered_set<std::string> PedidosImportados(Database& db);
void InserePedido(Database& db, const NovoPedido& pedido);
std::optional<Pedido> PedidoPorId(Database& db, long long id);
void GravaEstimativa(Database& db, long long id, std::string_view taxa, std::string_view latitude,
                     std::string_view longitude);
// Claims the order for one courier request before it is sent: its ID_MCH goes from `lido`, the state
// the caller read (NULL reads as ""), to "ERRO ROVEZOR", in a commit that is on the disk when this
// returns. True when exactly that row changed; false when the order is not in that state any more
// (another request has claimed it) or is gone. Only a true answer lets the request be sent.
bool ReservaPedido(Database& db, long long id, std::string_view lido);
// A claimed order whose request certainly opened no delivery goes back to `anterior`, the state it
// was claimed from ("" back to NULL); an order that is no longer claimed is left alone.
void DevolvePedido(Database& db, long long id, std::string_view anterior);
void MarcaRovezor(Database& db, long long id);
void MarcaJaEntregue(Database& db, long long id);
// Deletes the orders older than two days, whatever their request state; answers how many went.
int ApagaPedidosAntigos(Database& db);

} // namespace brisko::store
