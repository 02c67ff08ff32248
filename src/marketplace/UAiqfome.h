#pragma once
// The marketplace client: sign-in with a token, the order search and the import of one order.
// Every operation answers a result text ("TRUE" or a message for the operator) and never throws.
#include "Marketplace.h"

#include <string>
#include <string_view>

namespace brisko::marketplace {

// What ConectaAiqfome answers when the marketplace refuses the account's login and password.
inline constexpr std::string_view kLoginRefused = "401 LOGIN";

// Signs the account in, stores the new token on its CONFIGDELIVERY row (`id`, decimal text) and
// runs the order search with it.
std::string ConectaAiqfome(const Context& context, std::string_view id, std::string_view login,
                           std::string_view password);

// Lists yesterday's and today's orders and imports those a courier may be needed for that are not
// stored yet.
std::string BuscaPedidosAiqfome(const Context& context, std::string_view token);

// Fetches one order's detail and stores it when it still passes the tests.
std::string ImportaPedidoAiqfome(const Context& context, std::string_view token, std::string_view orderId);

// The token request's body: two blanks, then the object with one blank on each side of each colon.
std::string TokenRequestBody(std::string_view login, std::string_view password);

} // namespace brisko::marketplace
