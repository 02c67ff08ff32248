#pragma once
// The simulators' pages show data that tests fill with hostile strings: every text is escaped.
#include <string>
#include <string_view>

namespace brisko::sim {

std::string HtmlEscaped(std::string_view text);

} // namespace brisko::sim
