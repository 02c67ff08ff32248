// The road of one order through the real program: it signs in by itself from the stored record,
// imports the marketplace's new order and, with automatic scheduling on, requests its courier.
#include "ProgramFolderFixture.h"

#include "BuildConstants.h"
#include "DiagnosticLog.h"
#include "Store.h"

#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// The real program's support log after its own signed-in road: the pass is told, the history has the
// order's road, and none of the secrets it sent is in any log file.
TEST_F(OrderRoadTest, TheSupportLogOfARealRunTellsThePassesAndHoldsNoSecret) {
    PrepareSignedInStore(true);
    auto program = StartProgram();
    ExpectSignedInAndImported();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Order(kOrderId)->idMch == "ROVEZOR"; }, 60'000));

    const std::filesystem::path logs = platform::LogFolder(folder);
    const auto everyLog = [&] {
        std::string all;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(logs, error)) {
            std::ifstream in(entry.path(), std::ios::binary);
            all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return all;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return everyLog().find(" ms: ") != std::string::npos; }, 60'000))
        << everyLog();
    const std::string log = everyLog();
    EXPECT_NE(log.find(" início\n"), std::string::npos) << log;

    std::vector<std::string> events;
    for (const store::LinhaHistorico& line : store::HistoricoDoPedido(*db, kOrderId)) {
        events.push_back(line.EVENTO);
    }
    EXPECT_THAT(events, ::testing::ElementsAre(std::string(store::kEventoImportado),
                                               std::string(store::kEventoEnvioAutomatico),
                                               std::string(store::kEventoAceita)));

    const std::string token = store::LeConfigDelivery(*db).at(0).TOKEN;
    ASSERT_FALSE(token.empty());
    for (const std::string& secret :
         {std::string(kStorePassword), std::string(kMarketPassword), std::string(build::kDispatchApiKey),
          std::string(build::kMarketplaceClientKey), token, std::string("Authorization"),
          std::string("Bearer")}) {
        EXPECT_EQ(log.find(secret), std::string::npos) << secret;
    }
}

} // namespace
} // namespace brisko::test
