#pragma once
// Building request addresses.
#include <string>
#include <string_view>

namespace brisko::net {

// Percent-encodes one query value or path segment: every byte except the unreserved
// A-Z a-z 0-9 - . _ ~ becomes %XX (upper-case hex), so '&', '=', '+', '#', '/', blanks and
// UTF-8 bytes stay part of the value.
std::string PercentEncode(std::string_view value);

} // namespace brisko::net
