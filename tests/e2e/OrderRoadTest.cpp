// The road of one order through the real program: it signs in by itself from the stored record,
// imports the marketplace's new order and, with automatic scheduling on, requests its courier.
#include "ProgramFolderFixture.h"

#include <QTest>

#include <gtest/gtest.h>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kOrderId = "8800123";

class OrderRoadTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        marketplace.AddAccount(kMarketLogin, kMarketPassword);
        marketplace.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder(kOrderId, 20min));
    }

    // The program signed in with the stored e-mail and password (the platform's record replaced the
    // prepared row) and imported the order as a marketplace order.
    void ExpectSignedInAndImported() {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return StoreName() == sim::DispatchSimulator::DemoStores()[0].nome; }, 30'000))
            << "the program never signed in by itself";
        ASSERT_TRUE(QTest::qWaitFor([&] { return Order(kOrderId).has_value(); }, 30'000))
            << "the order was never imported";
        const auto order = Order(kOrderId);
        EXPECT_EQ(order->origem, 1);
        EXPECT_NE(order->cliente.find("Maria"), std::string::npos) << order->cliente;
    }
};

TEST_F(OrderRoadTest, WithAutomaticSchedulingTheImportedOrderGetsItsCourierByItself) {
    PrepareSignedInStore(true);
    auto program = StartProgram();

    ExpectSignedInAndImported();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Order(kOrderId)->idMch == "ROVEZOR"; }, 60'000))
        << "ID_MCH stayed \"" << Order(kOrderId)->idMch << "\"";

    const auto deliveries = dispatch.Deliveries();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].idExterno, std::string("aiqfome ") + kOrderId);
    EXPECT_EQ(deliveries[0].categoria, "Moto");
    EXPECT_NE(Page(dispatch, "/solicitacao/gestaoPedido").find(kOrderId), std::string::npos);
    EXPECT_EQ(OrderRows(kOrderId), 1);
    EXPECT_TRUE(program->Running());
}

TEST_F(OrderRoadTest, WithoutAutomaticSchedulingTheOrderWaitsForTheOperator) {
    PrepareSignedInStore(false);
    auto program = StartProgram();

    ExpectSignedInAndImported();
    // Passes run one after another, so once the next pass signs in to the marketplace, the pass
    // that imported the order has ended, its scheduling step included.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Count(marketplace, "POST", kTokenPath) >= 2; }, 90'000))
        << "no second pass came";

    EXPECT_EQ(Order(kOrderId)->idMch, "");
    EXPECT_EQ(Count(dispatch, "POST", kOpenPath), 0u);
    EXPECT_TRUE(dispatch.Deliveries().empty());
    EXPECT_EQ(OrderRows(kOrderId), 1) << "the second pass imported the order again";
    EXPECT_TRUE(program->Running());
}

} // namespace
} // namespace brisko::test
