#include <gtest/gtest.h>

#include "LocalTime.h"

namespace brisko {
namespace {

TEST(LocalTime, AddSecondsRollsOverDaysMonthsAndYears) {
    const struct {
        LocalDateTime from;
        long long seconds;
        LocalDateTime to;
    } cases[] = {
        {{2024, 12, 31, 23, 59, 30, 250}, 45, {2025, 1, 1, 0, 0, 15, 250}},
        {{2024, 2, 28, 23, 0, 0, 0}, 3600, {2024, 2, 29, 0, 0, 0, 0}}, // leap year
        {{2023, 2, 28, 23, 0, 0, 0}, 3600, {2023, 3, 1, 0, 0, 0, 0}},
        {{2024, 5, 22, 18, 30, 5, 0}, 3600, {2024, 5, 22, 19, 30, 5, 0}},
        {{2024, 3, 1, 0, 0, 10, 0}, -20, {2024, 2, 29, 23, 59, 50, 0}},
        {{2024, 1, 1, 0, 0, 0, 0}, -1, {2023, 12, 31, 23, 59, 59, 0}},
        {{2024, 4, 30, 22, 0, 0, 0}, 7200 * 12 + 86400 * 30, {2024, 5, 31, 22, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AddSeconds(c.from, c.seconds), c.to) << FormatIsoDateTimeMs(c.from) << " + " << c.seconds;
    }
}

TEST(LocalTime, ParseIsoDateTimeTakesOnlyTheExactShapeWithValidValues) {
    const auto good = ParseIsoDateTime("2024-02-29 23:59:59");
    ASSERT_TRUE(good.has_value());
    EXPECT_EQ(*good, (LocalDateTime{2024, 2, 29, 23, 59, 59, 0}));

    for (const char* bad : {
             "",
             "2023-02-29 10:00:00", // not a leap year
             "2024-04-31 10:00:00",
             "2024-13-01 10:00:00",
             "2024-00-10 10:00:00",
             "2024-01-00 10:00:00",
             "2024-01-01 24:00:00",
             "2024-01-01 10:60:00",
             "2024-01-01 10:00:60",
             "2024-01-01T10:00:00",
             "2024-1-01 10:00:00",
             "2024-01-01 10:00:00 ",
             " 2024-01-01 10:00:00",
             "2024-01-01 10:00:00.000",
             "2024-01-01 10:00",
             "2024/01/01 10:00:00",
             "2024-01-01 1a:00:00",
             "+024-01-01 10:00:00",
             "2024-01-01 -1:00:00",
         }) {
        EXPECT_FALSE(ParseIsoDateTime(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(LocalTime, FormatsPadEveryField) {
    const LocalDateTime t{2025, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(FormatIsoDateTimeMs(t), "2025-01-02 03:04:05.006");
    EXPECT_EQ(FormatIsoDate(t), "2025-01-02");
    EXPECT_EQ(FormatBrDate(t), "02/01/2025");
    EXPECT_EQ(FormatBrDateTime(t), "02/01/2025 03:04:05");
    EXPECT_EQ(FormatHourMinute(t), "03:04");
}

} // namespace
} // namespace brisko
