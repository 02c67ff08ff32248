#include "Conversions.h"

#include "Errors.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace brisko::marketplace {
namespace {

[[noreturn]] void Refuse(std::string_view text, std::string_view what) {
    std::string message = "'";
    message += text;
    message += "' is not a valid ";
    message += what;
    throw ConvertError(message);
}

} // namespace

long long ToWholeNumber(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1); // from_chars takes a minus but no plus
        if (!digits.empty() && digits.front() == '-') {
            Refuse(text, "integer value");
        }
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size()) {
        Refuse(text, "integer value");
    }
    return value;
}

LocalDateTime ReadSearchDateTime(std::string_view text) {
    if (const auto moment = ParseIsoDateTime(text)) {
        return *moment;
    }
    Refuse(text, "date and time");
}

} // namespace brisko::marketplace
