#include "Answers.h"
#include "DispatchCall.h"
#include "ResultText.h"
#include "URovezor.h"

namespace brisko::dispatch {

std::string LoginEmpresa(std::string_view apiKey, std::string_view email, std::string_view password,
                         bool autoConnect, store::Database& db, const Endpoint& endpoint) {
    const DispatchRequest request{"GET",        "/api/integracao/empresa", {}, apiKey, email, password,
                                  kLoginTimeout};
    return CallDispatch(request, endpoint, [&](const net::JsonValue& answer) {
        // The whole answer is read before the table is touched, so a faulty answer keeps the old row.
        store::SubstituiEmpresa(db, EmpresaFromAnswer(answer, email, password, autoConnect));
        return std::string(net::kTrue);
    });
}

} // namespace brisko::dispatch
