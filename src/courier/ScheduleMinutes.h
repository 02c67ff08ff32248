#pragma once
// How many minutes ahead a pickup is requested: the dialog's fixed list and the main window's box.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisko::courier {

// The dialog's 23 choices, "5" to "120" in steps of 5 without "40"; "5" is the initial one.
const std::vector<std::string>& ScheduleMinuteChoices();

// The box's text as a 32-bit signed whole number. Throws brisko::ConvertError for anything else
// (empty, letters, blanks, out of range).
int MinutesFromText(std::string_view text);

// What the main window's minutes box must hold after its text changed: nothing for an empty box
// (it stays empty and nothing is stored), "120" above 120, "5" for 0 or below, else the text as it
// is (leading zeros kept). Throws brisko::ConvertError like MinutesFromText.
std::optional<std::string> CorrectMinutesText(std::string_view text);

} // namespace brisko::courier
