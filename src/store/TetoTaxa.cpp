#include "TetoTaxa.h"

#include "Preferencias.h"

#include <cctype>

namespace brisko::store {
namespace {

constexpr long long kOrigemAiqfome = 1;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::optional<long long> Centavos(std::string_view reais) {
    reais = Trimmed(reais);
    if (reais.starts_with("R$")) {
        reais = Trimmed(reais.substr(2));
    }
    long long whole = 0;
    long long cents = 0;
    int decimals = -1; // -1: no separator yet
    int digits = 0;
    for (const char c : reais) {
        if (c == ',' || c == '.') {
            if (decimals >= 0) {
                return std::nullopt;
            }
            decimals = 0;
        } else if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return std::nullopt;
        } else if (decimals < 0) {
            if (++digits > 12) {
                return std::nullopt;
            }
            whole = whole * 10 + (c - '0');
        } else if (++decimals > 2) {
            return std::nullopt;
        } else {
            cents = cents * 10 + (c - '0');
        }
    }
    if (digits == 0 && decimals <= 0) {
        return std::nullopt;
    }
    if (decimals == 1) {
        cents *= 10;
    }
    return whole * 100 + cents;
}

std::string Reais(long long centavos) {
    std::string cents = std::to_string(centavos % 100);
    return std::to_string(centavos / 100) + "," + (cents.size() < 2 ? "0" + cents : cents);
}

std::optional<long long> LeTetoTaxa(Database& db) {
    const std::optional<std::string> text = LePreferencia(db, kPreferenciaTetoTaxa);
    const std::optional<long long> teto = text ? Centavos(*text) : std::nullopt;
    if (!teto || *teto == 0) {
        return std::nullopt;
    }
    return teto;
}

bool GravaTetoTaxa(Database& db, std::string_view reais) {
    const std::optional<long long> teto =
        Trimmed(reais).empty() ? std::optional<long long>(0) : Centavos(reais);
    if (!teto) {
        return false;
    }
    Transaction transaction(db);
    GravaPreferencia(db, kPreferenciaTetoTaxa, *teto == 0 ? std::string() : Reais(*teto));
    db.Execute("DELETE FROM RETIDOS");
    transaction.Commit();
    return true;
}

void RetemPedido(Database& db, std::string_view idPedido, std::string_view taxa, long long teto) {
    db.Prepare("INSERT OR REPLACE INTO RETIDOS (ORIGEM,IDPEDIDO,TAXA,TETO,DATAHORA) VALUES "
               "(:ORIGEM,:IDPEDIDO,:TAXA,:TETO,strftime('%Y-%m-%d %H:%M:%S','now'))")
        .Bind(":ORIGEM", kOrigemAiqfome)
        .Bind(":IDPEDIDO", idPedido)
        .Bind(":TAXA", taxa)
        .Bind(":TETO", teto)
        .Step();
}

std::optional<PedidoRetido> RetencaoDoPedido(Database& db, std::string_view idPedido) {
    Statement row = db.Prepare(
        "SELECT IDPEDIDO, TAXA, TETO FROM RETIDOS WHERE ORIGEM = :ORIGEM AND IDPEDIDO = :IDPEDIDO");
    row.Bind(":ORIGEM", kOrigemAiqfome).Bind(":IDPEDIDO", idPedido);
    if (!row.Step()) {
        return std::nullopt;
    }
    return PedidoRetido{row.Text("IDPEDIDO"), row.Text("TAXA"), row.Integer("TETO")};
}

void LiberaPedido(Database& db, std::string_view idPedido) {
    db.Prepare("DELETE FROM RETIDOS WHERE ORIGEM = :ORIGEM AND IDPEDIDO = :IDPEDIDO")
        .Bind(":ORIGEM", kOrigemAiqfome)
        .Bind(":IDPEDIDO", idPedido)
        .Step();
}

std::vector<PedidoRetido> PedidosRetidos(Database& db) {
    Statement row = db.Prepare("SELECT R.IDPEDIDO, R.TAXA, R.TETO FROM RETIDOS R JOIN PEDIDOS P ON "
                               "P.ORIGEM = R.ORIGEM AND P.IDPEDIDO = R.IDPEDIDO "
                               "WHERE COALESCE(P.ID_MCH, '') = '' ORDER BY R.DATAHORA, R.rowid");
    std::vector<PedidoRetido> retidos;
    while (row.Step()) {
        retidos.push_back({row.Text("IDPEDIDO"), row.Text("TAXA"), row.Integer("TETO")});
    }
    return retidos;
}

int ApagaRetidosSemPedido(Database& db) {
    Statement statement = db.Prepare("DELETE FROM RETIDOS WHERE NOT EXISTS (SELECT 1 FROM PEDIDOS P WHERE "
                                     "P.ORIGEM = RETIDOS.ORIGEM AND P.IDPEDIDO = RETIDOS.IDPEDIDO)");
    statement.Step();
    return statement.Changes();
}

} // namespace brisko::store
