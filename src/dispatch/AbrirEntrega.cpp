#include "Answers.h"
#include "DispatchCall.h"
#include "ResultText.h"
#include "URovezor.h"

namespace brisko::dispatch {

namespace {

OpeningOutcome OutcomeOf(const DispatchResult& result) {
    if (result.text == net::kTrue) {
        return OpeningOutcome::Accepted;
    }
    if (!result.sent) {
        return OpeningOutcome::NotSent;
    }
    // Only a platform that read the request and said no is sure to send nobody. A server error, a
    // redirect or an answer that cannot be read may come after the delivery was opened.
    const bool clientError = result.status >= 400 && result.status < 500;
    return clientError || result.answerRead ? OpeningOutcome::Refused : OpeningOutcome::Unanswered;
}

} // namespace

OpeningAnswer AbrirEntregaComDesfecho(std::string_view apiKey, std::string_view email,
                                      std::string_view password, std::string_view document,
                                      const Endpoint& endpoint) {
    DispatchRequest request{
        "POST",         "/api/integracao/abrirEntrega", std::string(document), apiKey, email, password,
        kOpeningTimeout};
    // A request that may have opened a delivery is never dropped: its answer says whether it did.
    request.finishOnceSent = true;
    const DispatchResult result = Dispatch(request, endpoint, OpeningResult);
    return {OutcomeOf(result), result.text};
}

std::string AbrirEntrega(std::string_view apiKey, std::string_view email, std::string_view password,
                         std::string_view document, const Endpoint& endpoint) {
    return AbrirEntregaComDesfecho(apiKey, email, password, document, endpoint).text;
}

} // namespace brisko::dispatch
