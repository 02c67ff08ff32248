#include "PaymentMethods.h"

#include "BracketList.h"

#include <algorithm>
#include <array>

namespace brisko::courier {

namespace {

struct PaymentMethod {
    std::string_view code;
    std::string_view name;
};

// One table for both directions; no two rows share a code or a name.
constexpr std::array<PaymentMethod, 8> kPaymentMethods{{
    {"F", "Faturado"},
    {"D", "Dinheiro"},
    {"B", "Debito (Maquina)"},
    {"C", "Credito (Maquina)"},
    {"X", "Pix"},
    {"P", "Picpay"},
    {"H", "Whatsapp"},
    {"R", "Carteria de creditos"},
}};

// Only a..z change; accented letters and every other byte stay as they are.
char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualAsciiUpper(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

} // namespace

std::optional<std::string> PaymentNameForCode(std::string_view code) {
    for (const auto& method : kPaymentMethods) {
        if (EqualAsciiUpper(code, method.code)) {
            return std::string(method.name);
        }
    }
    return std::nullopt;
}

std::optional<std::string> PaymentCodeForName(std::string_view name) {
    for (const auto& method : kPaymentMethods) {
        if (EqualAsciiUpper(name, method.name)) {
            return std::string(method.code);
        }
    }
    return std::nullopt;
}

std::vector<std::string> PaymentChoices(std::string_view bracketList) {
    std::vector<std::string> names;
    for (const auto& code : store::ParseBracketList(bracketList)) {
        if (auto name = PaymentNameForCode(code)) {
            names.push_back(std::move(*name));
        }
    }
    return names;
}

} // namespace brisko::courier
