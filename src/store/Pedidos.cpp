#include "Pedidos.h"

namespace brisko::store {
namespace {

// Written by the engine: both connections, and the retention, judge the window by the same clock.
constexpr std::string_view kListaPedidos =
    "SELECT * FROM PEDIDOS WHERE DATAHORA >= strftime('%Y-%m-%d %H:%M:%S','now','-13 hours') "
    "ORDER BY CASE WHEN ID_MCH IS NULL OR ID_MCH = '' THEN 0 ELSE 1 END, ID DESC";

constexpr std::string_view kPedidosPendentes =
    "SELECT * FROM PEDIDOS WHERE DATAHORA >= strftime('%Y-%m-%d %H:%M:%S','now','-13 hours') "
    "AND (ID_MCH IS NULL OR ID_MCH = '') ORDER BY ID ASC";

constexpr std::string_view kInserePedido =
    "INSERT INTO PEDIDOS (ORIGEM,DATAHORA,IDPEDIDO,VALUE,CLIENTE,TELEFONE,ENDERECO,LATITUDE,LONGITUDE)\n"
    " VALUES (:ORIGEM,:DATAHORA,:IDPEDIDO,:VALUE,:CLIENTE,:TELEFONE,:ENDERECO,:LATITUDE,:LONGITUDE) ";

constexpr long long kOrigemAiqfome = 1;

Pedido LePedido(const Statement& row) {
    return {row.Integer("ID"),     row.Integer("ORIGEM"),     row.Text("IDPEDIDO"),
            row.Text("CLIENTE"),   row.Text("ENDERECO"),      row.Text("LATITUDE"),
            row.Text("LONGITUDE"), row.Integer("DESPACHADO"), row.Text("TAXAENTREGA"),
            row.Text("CATEGORIA"), row.Text("PAGAMENTO"),     row.Text("RETORNO"),
            row.Text("ID_MCH"),    row.Text("DATAHORA"),      row.Text("VALUE"),
            row.Text("TELEFONE"),  row.Text("LATITUDEMCH"),   row.Text("LONGITUDEMCH")};
}

std::vector<Pedido> LeTodos(Statement statement) {
    std::vector<Pedido> rows;
    while (statement.Step()) {
        rows.push_back(LePedido(statement));
    }
    return rows;
}

void MudaStatus(Database& db, std::string_view sql, long long id) {
    db.Prepare(sql).Bind(":ID", id).Step();
}

} // namespace

std::vector<Pedido> ListaPedidos(Database& db) {
    return LeTodos(db.Prepare(kListaPedidos));
}

std::vector<Pedido> PedidosPendentes(Database& db) {
    return LeTodos(db.Prepare(kPedidosPendentes));
}

bool PedidoJaImportado(Database& db, std::string_view idPedido) {
    return db.Prepare("SELECT * FROM PEDIDOS WHERE ORIGEM = 1 AND IDPEDIDO = :IDPEDIDO")
        .Bind(":IDPEDIDO", idPedido)
        .Step();
}

std::unordered_set<std::string> PedidosImportados(Database& db) {
    std::unordered_set<std::string> ids;
    Statement row = db.Prepare("SELECT IDPEDIDO FROM PEDIDOS WHERE ORIGEM = 1");
    while (row.Step()) {
        ids.insert(row.Text("IDPEDIDO"));
    }
    return ids;
}

void InserePedido(Database& db, const NovoPedido& pedido) {
    db.Prepare(kInserePedido)
        .Bind(":ORIGEM", kOrigemAiqfome)
        .Bind(":DATAHORA", pedido.DATAHORA)
        .Bind(":IDPEDIDO", pedido.IDPEDIDO)
        .Bind(":VALUE", "")
        .Bind(":CLIENTE", pedido.CLIENTE)
        .Bind(":TELEFONE", pedido.TELEFONE)
        .Bind(":ENDERECO", pedido.ENDERECO)
        .Bind(":LATITUDE", pedido.LATITUDE)
        .Bind(":LONGITUDE", pedido.LONGITUDE)
        .Step();
}

std::optional<Pedido> PedidoPorId(Database& db, long long id) {
    Statement statement = db.Prepare("SELECT * FROM PEDIDOS where ID = :ID  ");
    statement.Bind(":ID", id);
    if (!statement.Step()) {
        return std::nullopt;
    }
    return LePedido(statement);
}

void GravaEstimativa(Database& db, long long id, std::string_view taxa, std::string_view latitude,
                     std::string_view longitude) {
    db.Prepare("UPDATE PEDIDOS SET TAXAENTREGA = :TAXAENTREGA, LATITUDEMCH = :LATITUDEMCH, "
               "LONGITUDEMCH = :LONGITUDEMCH WHERE ID = :ID")
        .Bind(":TAXAENTREGA", taxa)
        .Bind(":LATITUDEMCH", latitude)
        .Bind(":LONGITUDEMCH", longitude)
        .Bind(":ID", id)
        .Step();
}

bool ReservaPedido(Database& db, long long id, std::string_view lido) {
    // The claim must outlive a power cut: a request sent on a claim the disk lost could be sent again.
    const CommitsWaitingForDisk durable(db);
    Statement claim = db.Prepare(
        "UPDATE PEDIDOS SET ID_MCH = 'ERRO ROVEZOR' WHERE ID = :ID AND COALESCE(ID_MCH, '') = :LIDO");
    claim.Bind(":ID", id).Bind(":LIDO", lido).Step();
    return claim.Changes() == 1;
}

void DevolvePedido(Database& db, long long id, std::string_view anterior) {
    db.Prepare("UPDATE PEDIDOS SET ID_MCH = NULLIF(:ANTERIOR, '') WHERE ID = :ID AND ID_MCH = 'ERRO ROVEZOR'")
        .Bind(":ANTERIOR", anterior)
        .Bind(":ID", id)
        .Step();
}

void MarcaRovezor(Database& db, long long id) {
    MudaStatus(db, "UPDATE  PEDIDOS SET ID_MCH = 'ROVEZOR' where ID = :ID  ", id);
}

void MarcaJaEntregue(Database& db, long long id) {
    MudaStatus(db, "UPDATE  PEDIDOS SET ID_MCH = 'JA ENTREGUE' where ID = :ID  ", id);
}

int ApagaPedidosAntigos(Database& db) {
    Statement statement =
        db.Prepare("DELETE FROM PEDIDOS WHERE DATAHORA < strftime('%Y-%m-%d %H:%M:%S', 'now', '-2 days')");
    statement.Step();
    return statement.Changes();
}

} // namespace brisko::store
