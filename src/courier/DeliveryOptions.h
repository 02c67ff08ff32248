#pragma once
// The four options of one delivery request, and the choices the windows offer for them.
#include <string>
#include <string_view>
#include <vector>

namespace brisko::courier {

struct DeliveryOptions {
    std::string paymentCode; // one of PaymentMethods' codes
    bool returnTrip = false; // the courier comes back to the store
    std::string category;    // sent back to the platform unchanged
    int minutes = 0;         // pickup is this many minutes after the moment of building
};

// Shown when the chosen payment name maps to no code; no request is sent then.
inline constexpr std::string_view kPaymentNotSpecifiedMessage =
    "Tipo do pagamento da entrega não especificado!";

// The store's category names as the platform gave them: no trimming, repeats and empty items kept.
std::vector<std::string> CategoryChoices(std::string_view bracketList);

// "Não" first (the initial choice), then "Sim".
const std::vector<std::string>& ReturnChoices();

// True for "Sim" only.
bool ReturnFlag(std::string_view choice);

} // namespace brisko::courier
