#include "Answers.h"
#include "DispatchCall.h"
#include "URovezor.h"

namespace brisko::dispatch {

std::string AbrirEntrega(std::string_view apiKey, std::string_view email, std::string_view password,
                         std::string_view document, const Endpoint& endpoint) {
    const DispatchRequest request{
        "POST",         "/api/integracao/abrirEntrega", std::string(document), apiKey, email, password,
        kOpeningTimeout};
    return CallDispatch(request, endpoint, OpeningResult);
}

} // namespace brisko::dispatch
