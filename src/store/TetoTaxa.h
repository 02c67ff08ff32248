#pragma once
// The fee ceiling of automatic scheduling and the orders it holds back. The ceiling is a preference
// in reais ("TETOTAXA"); none, or zero, leaves automatic scheduling as it always was.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Database.h"

namespace brisko::store {

inline constexpr std::string_view kPreferenciaTetoTaxa = "TETOTAXA";

// An amount of reais in centavos, from "12,50", "12.5", "R$ 12", " 7 ": digits with at most two
// decimals after a comma or a dot. Nothing for any other text.
std::optional<long long> Centavos(std::string_view reais);
// "12,50" for 1250.
std::string Reais(long long centavos);

// The ceiling in centavos; nothing when none is set (or it is zero or unreadable).
std::optional<long long> LeTetoTaxa(Database& db);
// Sets the ceiling ("" or "0": none) and releases every held order for a new estimate. Throws
// DatabaseError; answers false, changing nothing, for a text that is not an amount.
bool GravaTetoTaxa(Database& db, std::string_view reais);

struct PedidoRetido {
    std::string IDPEDIDO{};
    std::string TAXA{}; // the fee as the platform wrote it
    long long TETO = 0; // the ceiling it was above, in centavos
};

// Holds the order back with its fee above the ceiling `teto`.
void RetemPedido(Database& db, std::string_view idPedido, std::string_view taxa, long long teto);
// The order's hold, if it is held.
std::optional<PedidoRetido> RetencaoDoPedido(Database& db, std::string_view idPedido);
// Releases the order for a new estimate (the operator asked for a courier by hand).
void LiberaPedido(Database& db, std::string_view idPedido);
// Every held order still pending, the oldest hold first.
std::vector<PedidoRetido> PedidosRetidos(Database& db);
// Deletes the holds of orders that are gone; answers how many went.
int ApagaRetidosSemPedido(Database& db);

} // namespace brisko::store
