#pragma once
// The one road of every courier request, the automatic pass's and the operator's. The order is
// claimed before anything is sent, so that no interleaving of passes, dialogs, copies of the
// program, kills or database failures can request a second courier for it.
#include "Database.h"
#include "DeliveryRequest.h"
#include "Empresa.h"
#include "Endpoint.h"
#include "Pedidos.h"

#include <string>
#include <string_view>

namespace brisko::courier {

// Who asks. They differ only in what a request that certainly opened no delivery leaves behind.
enum class Requester {
    Automatic, // the scheduling pass: "ERRO ROVEZOR", never sent again by itself
    Operator,  // the delivery dialog: the state the operator saw, so that the operator may try again
};

enum class RequestOutcome {
    Accepted,   // the platform opened a delivery: "ROVEZOR"
    Refused,    // certainly no delivery: the platform said no, or the request never left
    Unanswered, // the request left and no answer came: the platform may have accepted it, so the
                // order keeps "ERRO ROVEZOR" and is never sent again by itself
    NotClaimed, // the order was no longer in the state the caller read: another request has it
    Abandoned,  // the program is closing: nothing was sent, the order is as it was
};

struct CourierAnswer {
    RequestOutcome outcome = RequestOutcome::Abandoned;
    std::string text;  // "TRUE" when accepted; otherwise the text for the operator (empty: nothing to say)
    std::string state; // the order's ID_MCH as this request left it
    std::string historyFailure; // the first history write that failed, for the second status panel
};

// What one request asks for and who asks it.
struct CourierRequest {
    DeliveryOptions options;
    PickupTimeTexts pickup;
    Requester requester = Requester::Automatic;
};

// Shown when the order was claimed by another request meanwhile; nothing is sent.
inline constexpr std::string_view kAlreadyRequestedMessage =
    "A entrega deste pedido já está sendo solicitada. Confira a página de gestão de pedidos antes de "
    "solicitar de novo.";
// The line the operator's text gets when no answer came.
inline constexpr std::string_view kMayHaveBeenAcceptedLine =
    "A plataforma pode ter aceitado a solicitação: confira a página de gestão de pedidos antes de "
    "solicitar de novo.";

// Requests one courier for `pedido` as the caller read it (its ID_MCH is the state it is claimed
// from), with the store's record `empresa`: claims the order on `db` (ID_MCH to "ERRO ROVEZOR" in a
// commit on the disk), sends the document only when the claim changed that row, and marks
// "ROVEZOR" when the platform accepts. The sending and its outcome go into the order's history. Refused and
// unanswered texts are AbrirEntrega's; the operator's unanswered text gets kMayHaveBeenAcceptedLine on a line
// of its own. Throws DatabaseError when a statement fails; the order is then never left pending after a
// request left.
CourierAnswer SolicitaEntrega(store::Database& db, const store::Empresa& empresa, const store::Pedido& pedido,
                              const CourierRequest& request, std::string_view apiKey,
                              const dispatch::Endpoint& endpoint);

} // namespace brisko::courier
