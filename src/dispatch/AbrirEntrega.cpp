#include "DispatchCall.h"
#include "ResultText.h"
#include "URovezor.h"

namespace brisko::dispatch {

std::string AbrirEntrega(std::string_view apiKey, std::string_view email, std::string_view password,
                         std::string_view document, const Endpoint& endpoint) {
    using namespace std::chrono_literals;
    const DispatchRequest request{
        "POST", "/api/integracao/abrirEntrega", std::string(document), apiKey, email, password, 25s};
    return CallDispatch(request, endpoint, [](const net::JsonValue& answer) {
        const net::JsonValue& response = answer.ObjectAt("response");
        if (response.Find("id_mch") != nullptr) {
            return std::string(net::kTrue); // only its presence counts, whatever its value
        }
        std::string reasons;
        for (const net::JsonValue& item : response.ArrayAt("erros").Items()) {
            reasons += " - ";
            reasons += item.Text();
        }
        return reasons;
    });
}

} // namespace brisko::dispatch
