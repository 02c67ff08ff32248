#pragma once
// The dispatch platform client. Every operation makes one HTTPS call and answers a result text:
// "TRUE" on success, otherwise a message for the operator. None of them throws.
#include <string>
#include <string_view>

#include "Database.h"
#include "Endpoint.h"

namespace brisko::dispatch {

// Signs the store in and keeps the platform's record of it as the one EMPRESA row. The row is
// replaced only after the whole answer has been read.
std::string LoginEmpresa(std::string_view apiKey, std::string_view email, std::string_view password,
                         bool autoConnect, store::Database& db, const Endpoint& endpoint = {});

// The fifteen values of an estimate, in the order they go into the query.
struct EstimateQuery {
    std::string enderecoPartida;
    std::string bairroPartida;
    std::string cidadePartida;
    std::string estadoPartida;
    std::string latPartida;
    std::string lngPartida;
    std::string enderecoDesejado;
    std::string bairroDesejado;
    std::string cidadeDesejado;
    std::string estadoDesejado;
    std::string latDesejado;
    std::string lngDesejado;
    std::string latlngParadas;
    std::string categoriaNome;
    bool comRetorno = false;
};

// Asks the platform for the price of a delivery and stores it, with the destination's
// coordinates as the platform places them, on the order whose ID is pedidoId (decimal text).
std::string EstimarEntrega(std::string_view apiKey, std::string_view email, std::string_view password,
                           const EstimateQuery& query, std::string_view pedidoId, store::Database& db,
                           const Endpoint& endpoint = {});

// Sends a delivery request document unchanged. "TRUE" when the platform accepted it; otherwise
// the platform's reasons, each after " - " (the empty text when it gave none), or a failure text.
// Once sent, the request is finished even when the endpoint's calls are abandoned.
std::string AbrirEntrega(std::string_view apiKey, std::string_view email, std::string_view password,
                         std::string_view document, const Endpoint& endpoint = {});

// What became of a delivery opening, for a caller that must know whether a courier may be coming.
enum class OpeningOutcome {
    Accepted,   // "id_mch" came back: a courier is coming
    Refused,    // the platform said no: its reasons in a status-200 answer, or a 4xx status
    NotSent,    // the request never left (no connection, a refused certificate, abandoned first)
    Unanswered, // the request left and no readable answer came: the platform may have accepted it
};

struct OpeningAnswer {
    OpeningOutcome outcome = OpeningOutcome::Unanswered;
    std::string text; // AbrirEntrega's result text
};

// AbrirEntrega, with what became of the request.
OpeningAnswer AbrirEntregaComDesfecho(std::string_view apiKey, std::string_view email,
                                      std::string_view password, std::string_view document,
                                      const Endpoint& endpoint = {});

// The messages of an error body's "errors" array, each followed by CR LF; "" when the body has
// another shape or an item cannot be read.
std::string ExtraiErros(std::string_view body);

} // namespace brisko::dispatch
