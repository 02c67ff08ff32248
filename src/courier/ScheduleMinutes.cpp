#include "ScheduleMinutes.h"

#include "Errors.h"

#include <charconv>
#include <cstdint>

namespace brisko::courier {

const std::vector<std::string>& ScheduleMinuteChoices() {
    static const std::vector<std::string> choices = [] {
        std::vector<std::string> values;
        for (int minutes = 5; minutes <= 120; minutes += 5) {
            if (minutes != 40) {
                values.push_back(std::to_string(minutes));
            }
        }
        return values;
    }();
    return choices;
}

int MinutesFromText(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) {
        throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
    }
    return value;
}

std::optional<std::string> CorrectMinutesText(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const int minutes = MinutesFromText(text);
    if (minutes > 120) {
        return "120";
    }
    if (minutes <= 0) {
        return "5";
    }
    return std::string(text);
}

} // namespace brisko::courier
