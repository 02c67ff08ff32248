#include "PaymentMethods.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brisko::courier {
namespace {

using Names = std::vector<std::string>;

TEST(PaymentChoices, OffersKnownCodesInListOrder) {
    const std::vector<std::pair<std::string, Names>> cases{
        {"[F] [D] [X] ", {"Faturado", "Dinheiro", "Pix"}},
        {"[X] [F] ", {"Pix", "Faturado"}},
        {"[f] ", {"Faturado"}},
        {"[F] [Q] [R] ", {"Faturado", "Carteria de creditos"}},
        {"[F] [F] ", {"Faturado", "Faturado"}},
        {"[ F ] ", {}},
        {"[FD] ", {}},
        {"", {}},
        {"[B] [C] [P] [H] ", {"Debito (Maquina)", "Credito (Maquina)", "Picpay", "Whatsapp"}},
    };
    for (const auto& [list, names] : cases) {
        EXPECT_EQ(PaymentChoices(list), names) << "list: " << list;
    }
}

TEST(PaymentCodeForName, MapsNamesBackIgnoringAsciiCase) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {"Carteria de creditos", "R"},
        {"Whatsapp", "H"},
        {"Debito (Maquina)", "B"},
        {"PIX", "X"},
        {"faturado", "F"},
        {"", std::nullopt},
        {"Débito (Maquina)", std::nullopt}, // accented letters are not folded
        {" Pix", std::nullopt},
        {"X", std::nullopt}, // a code is not a name
    };
    for (const auto& [name, code] : cases) {
        EXPECT_EQ(PaymentCodeForName(name), code) << "name: " << name;
    }
}

TEST(PaymentCodeForName, EveryOfferedNameMapsBackToItsOwnCode) {
    for (const std::string code : {"F", "D", "B", "C", "X", "P", "H", "R"}) {
        const auto name = PaymentNameForCode(code);
        ASSERT_TRUE(name) << code;
        EXPECT_EQ(PaymentCodeForName(*name), code);
    }
    EXPECT_EQ(PaymentNameForCode("Q"), std::nullopt);
    EXPECT_EQ(PaymentNameForCode(""), std::nullopt);
}

} // namespace
} // namespace brisko::courier
