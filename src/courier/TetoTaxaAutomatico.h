#pragma once
// The fee ceiling's check before an automatic request: the platform's estimate of the order, and
// the order held back when its fee is above the ceiling.
#include "Database.h"
#include "Empresa.h"
#include "Endpoint.h"
#include "Pedidos.h"
#include "URovezor.h"

#include <string>
#include <string_view>

namespace brisko::courier {

// The estimate of one order from the store, as the delivery dialog and the ceiling ask it.
dispatch::EstimateQuery EstimateQueryFor(const store::Empresa& empresa, const store::Pedido& pedido,
                                         std::string_view category, bool returnTrip);

enum class FeeVerdict {
    Request, // the fee is at or below the ceiling
    Held,    // above it: held now, or held before at this same ceiling (not estimated again)
    Unknown, // no fee came: the order is neither requested nor held, the next pass estimates again
};

struct FeeCheck {
    FeeVerdict verdict = FeeVerdict::Unknown;
    std::string text;           // Unknown: the estimate's result text
    std::string historyFailure; // the first history write that failed
};

// Checks `pedido` against the ceiling `teto` (centavos). Throws DatabaseError when the hold cannot
// be read or written.
FeeCheck ConfereTeto(store::Database& db, const store::Empresa& empresa, const store::Pedido& pedido,
                     const dispatch::EstimateQuery& query, long long teto, std::string_view apiKey,
                     const dispatch::Endpoint& endpoint);

} // namespace brisko::courier
