// The platform client's answer handling, for each of the three operations' success paths, on any
// status, charset and body: a result text always comes, as the call would give it.
#include "AnswerInput.h"
#include "Answers.h"
#include "DispatchCall.h"
#include "ResultText.h"

#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

using brisko::dispatch::SuccessPath;

const SuccessPath kPaths[] = {
    [](const brisko::net::JsonValue& answer) {
        (void)brisko::dispatch::EmpresaFromAnswer(answer, "loja@demo.com", "demo123", true);
        return std::string(brisko::net::kTrue);
    },
    [](const brisko::net::JsonValue& answer) {
        (void)brisko::dispatch::EstimateFromAnswer(answer);
        return std::string(brisko::net::kTrue);
    },
    brisko::dispatch::OpeningResult,
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const brisko::fuzz::AnswerInput input = brisko::fuzz::ReadInput(data, size);
    brisko::net::HttpResponse response;
    response.status = input.status;
    response.charset = std::string(input.charset);
    response.body = std::string(input.body);
    for (const SuccessPath& path : kPaths) {
        try {
            (void)brisko::dispatch::ResultOfResponse(response, path);
        } catch (const std::exception&) {
            // The call turns these into the generic failure text.
        }
    }
    return 0;
}
