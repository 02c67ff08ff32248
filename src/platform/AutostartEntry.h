#pragma once
// What every start-at-logon entry is called and what it appends to the program path; the
// program ignores the argument, it only tells a logon start apart in process lists.
#include <string_view>

namespace brisko::platform {

inline constexpr std::string_view kAutostartEntryName = "BriskoDerereve";
inline constexpr std::string_view kAutostartArgument = "--autostart";

} // namespace brisko::platform
