#include "Answers.h"
#include "DispatchCall.h"
#include "URovezor.h"

namespace brisko::dispatch {

std::string AbrirEntrega(std::string_view apiKey, std::string_view email, std::string_view password,
                         std::string_view document, const Endpoint& endpoint) {
    using namespace std::chrono_literals;
    const DispatchRequest request{
        "POST", "/api/integracao/abrirEntrega", std::string(document), apiKey, email, password, 25s};
    return CallDispatch(request, endpoint, OpeningResult);
}

} // namespace brisko::dispatch
