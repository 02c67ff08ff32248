#pragma once
// The strict text conversions of the marketplace client. Each throws ConvertError with the text it
// refused; nothing here reads or changes any setting shared with the rest of the program.
#include "LocalTime.h"

#include <string_view>

namespace brisko::marketplace {

// An optional sign and decimal digits, within 32 bits: "3600", "-5", "+7". Nothing else: no
// blanks, no fraction, no exponent.
long long ToWholeNumber(std::string_view text);

// The search's own date-time form, "yyyy-mm-dd hh:nn:ss", read strictly.
LocalDateTime ReadSearchDateTime(std::string_view text);

} // namespace brisko::marketplace
