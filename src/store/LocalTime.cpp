#include "LocalTime.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace brisko {
namespace {

// std::localtime and std::mktime share static state; the worker and the window thread both call them.
std::mutex& TimeConversionMutex() {
    static std::mutex m;
    return m;
}

std::string Format(const char* pattern, int a, int b, int c) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
    return buffer;
}

bool ReadDigits(std::string_view text, std::size_t pos, std::size_t count, int& out) {
    out = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

LocalDateTime ToLocal(Clock::time_point moment) {
    const auto sinceEpoch = moment.time_since_epoch();
    const auto wholeSeconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - wholeSeconds).count();
    const std::time_t seconds = static_cast<std::time_t>(wholeSeconds.count());
    std::tm parts{};
    {
        std::lock_guard lock(TimeConversionMutex());
        parts = *std::localtime(&seconds);
    }
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,       parts.tm_hour,
            parts.tm_min,         parts.tm_sec,     static_cast<int>(ms)};
}

Clock::time_point FromLocal(const LocalDateTime& local) {
    std::tm parts{};
    parts.tm_year = local.year - 1900;
    parts.tm_mon = local.month - 1;
    parts.tm_mday = local.day;
    parts.tm_hour = local.hour;
    parts.tm_min = local.minute;
    parts.tm_sec = local.second;
    parts.tm_isdst = -1;
    std::time_t seconds;
    {
        std::lock_guard lock(TimeConversionMutex());
        seconds = std::mktime(&parts);
    }
    return Clock::from_time_t(seconds) + std::chrono::milliseconds(local.millisecond);
}

LocalDateTime AddSeconds(const LocalDateTime& moment, long long seconds) {
    using namespace std::chrono;
    const sys_days date = year_month_day{year{moment.year}, month{static_cast<unsigned>(moment.month)},
                                         day{static_cast<unsigned>(moment.day)}};
    const auto total = sys_seconds{date} + hours{moment.hour} + minutes{moment.minute} +
                       std::chrono::seconds{moment.second} + std::chrono::seconds{seconds};
    const auto newDate = floor<days>(total);
    const year_month_day ymd{newDate};
    const hh_mm_ss clock{total - newDate};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())),
            static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()),
            static_cast<int>(clock.seconds().count()),
            moment.millisecond};
}

std::optional<LocalDateTime> ParseIsoDateTime(std::string_view text) {
    // yyyy-mm-dd hh:nn:ss
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':') {
        return std::nullopt;
    }
    LocalDateTime t;
    if (!ReadDigits(text, 0, 4, t.year) || !ReadDigits(text, 5, 2, t.month) ||
        !ReadDigits(text, 8, 2, t.day) || !ReadDigits(text, 11, 2, t.hour) ||
        !ReadDigits(text, 14, 2, t.minute) || !ReadDigits(text, 17, 2, t.second)) {
        return std::nullopt;
    }
    const std::chrono::year_month_day ymd{std::chrono::year{t.year}, std::chrono::month{unsigned(t.month)},
                                          std::chrono::day{unsigned(t.day)}};
    if (!ymd.ok() || t.hour > 23 || t.minute > 59 || t.second > 59) {
        return std::nullopt;
    }
    return t;
}

std::string FormatIsoDate(const LocalDateTime& t) {
    return Format("%04d-%02d-%02d", t.year, t.month, t.day);
}

std::string FormatBrDate(const LocalDateTime& t) {
    return Format("%02d/%02d/%04d", t.day, t.month, t.year);
}

std::string FormatHourMinute(const LocalDateTime& t) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", t.hour, t.minute);
    return buffer;
}

std::string FormatBrDateTime(const LocalDateTime& t) {
    return FormatBrDate(t) + " " + Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

std::string FormatIsoDateTimeMs(const LocalDateTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return buffer;
}

} // namespace brisko
