#pragma once
// The dispatch platform's payment codes and the names the operator chooses from.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisko::courier {

// Name of the code after ASCII upper-casing ("f" gives "Faturado"); nothing for an unknown code.
std::optional<std::string> PaymentNameForCode(std::string_view code);

// Code of the name, both sides upper-cased in ASCII ("PIX" gives "X"); nothing for an unknown name.
std::optional<std::string> PaymentCodeForName(std::string_view name);

// Names to offer for the store's bracket list of codes: list order and repeats kept, unknown codes
// dropped.
std::vector<std::string> PaymentChoices(std::string_view bracketList);

} // namespace brisko::courier
