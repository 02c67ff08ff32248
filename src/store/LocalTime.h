#pragma once
// Local calendar time, to the millisecond. The marketplace, the pickup time and the token's
// expiry are all expressed in the store computer's local time.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace brisko {

struct LocalDateTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

using Clock = std::chrono::system_clock;

LocalDateTime ToLocal(Clock::time_point moment);
Clock::time_point FromLocal(const LocalDateTime& local);
inline LocalDateTime LocalNow() {
    return ToLocal(Clock::now());
}

// Adds whole seconds with day, month and year roll-over, on the calendar alone (no time zone).
LocalDateTime AddSeconds(const LocalDateTime& moment, long long seconds);

// "yyyy-mm-dd hh:nn:ss" read strictly (exactly that shape, valid calendar values); nothing else.
std::optional<LocalDateTime> ParseIsoDateTime(std::string_view text);

std::string FormatIsoDate(const LocalDateTime& t);       // yyyy-mm-dd
std::string FormatBrDate(const LocalDateTime& t);        // dd/mm/yyyy
std::string FormatHourMinute(const LocalDateTime& t);    // hh:nn
std::string FormatBrDateTime(const LocalDateTime& t);    // dd/mm/yyyy hh:nn:ss
std::string FormatIsoDateTimeMs(const LocalDateTime& t); // yyyy-mm-dd hh:nn:ss.mmm

} // namespace brisko
