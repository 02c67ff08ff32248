#include "ScheduleMinutes.h"

#include "Errors.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brisko::courier {
namespace {

TEST(CorrectMinutesText, KeepsTheBoxBetween1And120) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {"150", "120"},     {"121", "120"},       {"2147483647", "120"}, {"0", "5"},
        {"-3", "5"},        {"-2147483648", "5"}, {"120", "120"},        {"1", "1"},
        {"007", "007"}, // leading zeros stay: the text is only replaced when out of range
        {"", std::nullopt},
    };
    for (const auto& [text, corrected] : cases) {
        EXPECT_EQ(CorrectMinutesText(text), corrected) << "text: " << text;
    }
}

TEST(CorrectMinutesText, TextThatIsNoWholeNumberIsAConversionError) {
    for (const char* text : {"abc", "99999999999", "2147483648", "-2147483649", "12a", " 12", "1.5", "+"}) {
        EXPECT_THROW(CorrectMinutesText(text), ConvertError) << text;
        EXPECT_THROW(MinutesFromText(text), ConvertError) << text;
    }
    try {
        MinutesFromText("abc");
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

TEST(MinutesFromText, ConvertsWithoutCorrecting) {
    EXPECT_EQ(MinutesFromText("120"), 120);
    EXPECT_EQ(MinutesFromText("007"), 7);
    EXPECT_EQ(MinutesFromText("-5"), -5);
    EXPECT_THROW(MinutesFromText(""), ConvertError);
}

} // namespace
} // namespace brisko::courier
