#include "DeliveryOptions.h"
#include "ScheduleMinutes.h"

#include <gtest/gtest.h>

namespace brisko::courier {
namespace {

using Texts = std::vector<std::string>;

TEST(DeliveryChoices, CategoriesComeBackUnchanged) {
    EXPECT_EQ(CategoryChoices("[A] [B] "), (Texts{"A", "B"}));
    EXPECT_EQ(CategoryChoices("[moto ] [] [moto ] "), (Texts{"moto ", "", "moto "}));
    EXPECT_EQ(CategoryChoices(""), Texts{});
}

TEST(DeliveryChoices, ReturnTripOnlyForSim) {
    EXPECT_EQ(ReturnChoices(), (Texts{"Não", "Sim"}));
    EXPECT_TRUE(ReturnFlag("Sim"));
    for (const char* other : {"Não", "", "sim", "SIM", "Sim "}) {
        EXPECT_FALSE(ReturnFlag(other)) << other;
    }
}

TEST(DeliveryChoices, ScheduleListSkips40) {
    EXPECT_EQ(ScheduleMinuteChoices(),
              (Texts{"5",  "10", "15", "20", "25", "30", "35",  "45",  "50",  "55",  "60", "65",
                     "70", "75", "80", "85", "90", "95", "100", "105", "110", "115", "120"}));
}

} // namespace
} // namespace brisko::courier
