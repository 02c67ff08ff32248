#pragma once
// Reading the platform's status-200 answers, apart from the call and the database, so that each
// can be checked on its own. Each throws JsonError when the answer lacks what it relies on.
#include <string>
#include <string_view>

#include "Empresa.h"
#include "Json.h"

namespace brisko::dispatch {

// The EMPRESA row of a store login's answer, with the credentials and choice of the call.
store::Empresa EmpresaFromAnswer(const net::JsonValue& answer, std::string_view email,
                                 std::string_view password, bool autoConnect);

struct EstimateAnswer {
    std::string taxa;
    std::string latitude;
    std::string longitude;
};

// The price and the destination's coordinates of an estimate's answer.
EstimateAnswer EstimateFromAnswer(const net::JsonValue& answer);

// The result text of a delivery opening's answer: "TRUE" when "id_mch" is there, else the reasons.
std::string OpeningResult(const net::JsonValue& answer);

} // namespace brisko::dispatch
