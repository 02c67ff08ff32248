// The real program scheduling couriers by itself while the marketplace keeps bringing orders, as
// processes: killed (SIGKILL) at random moments of its passes and started again, killed while the
// platform holds a request it accepted, and started twice on one folder from two sessions. No order
// is stored twice, the database file stays sound, and no order ever gets a second courier.
#include "ProgramFolderFixture.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <thread>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

constexpr int kKills = 20;
constexpr int kFirstOrders = 10;
constexpr const char* kOrderPrefix = "aiqfome ";

class AutomaticRunTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        marketplace.AddAccount(kMarketLogin, kMarketPassword);
        for (int i = 0; i < kFirstOrders; ++i) {
            AddOrder();
        }
        PrepareSignedInStore(true);
    }

    void AddOrder() {
        const std::string id = std::to_string(9100000 + orders.size());
        marketplace.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder(id, 20min));
        orders.push_back(id);
    }

    long long Scalar(const std::string& sql) {
        auto statement = db->Prepare(sql);
        statement.Step();
        return statement.Integer("N");
    }

    // Orders the platform accepted, by marketplace id, with how many times each was accepted.
    std::map<std::string, int> Accepted() const {
        std::map<std::string, int> accepted;
        for (const sim::SimDelivery& delivery : dispatch.Deliveries()) {
            const std::string id = delivery.idExterno.rfind(kOrderPrefix, 0) == 0
                                       ? delivery.idExterno.substr(std::string(kOrderPrefix).size())
                                       : delivery.idExterno;
            ++accepted[id];
        }
        return accepted;
    }

    // Every order imported and no longer waiting for a request.
    bool AllDone() {
        for (const std::string& id : orders) {
            const auto order = Order(id);
            if (!order || (order->idMch != "ROVEZOR" && order->idMch != "ERRO ROVEZOR")) {
                return false;
            }
        }
        return true;
    }

    // The orders' final states against the platform's deliveries: answers how many orders were
    // requested twice, and checks that "ROVEZOR" had exactly one request and "ERRO ROVEZOR" at most one.
    int RequestedTwice() {
        const auto accepted = Accepted();
        int twice = 0;
        for (const std::string& id : orders) {
            const auto found = accepted.find(id);
            const int times = found == accepted.end() ? 0 : found->second;
            twice += times > 1 ? 1 : 0;
            const auto order = Order(id);
            EXPECT_TRUE(order.has_value()) << id;
            if (order && order->idMch == "ROVEZOR") {
                EXPECT_EQ(times, 1) << id;
            } else {
                EXPECT_LE(times, 1) << id << " ended " << (order ? order->idMch : "missing");
            }
        }
        return twice;
    }

    // Waits for the next pass to begin: the one before has then ended, and an order it had claimed
    // ("ERRO ROVEZOR" while its request is on the way) has been sent and marked.
    bool AnotherPassBegins() {
        const std::size_t tokens = Count(marketplace, "POST", kTokenPath);
        return QTest::qWaitFor([&] { return Count(marketplace, "POST", kTokenPath) > tokens; }, 60'000);
    }

    std::string Integrity() {
        auto check = db->Prepare("PRAGMA integrity_check");
        return check.Step() ? check.Text("integrity_check") : "";
    }

    std::vector<std::string> orders;
};

unsigned Seed() {
    const char* text = std::getenv("BRISKO_CRASH_SEED");
    return text != nullptr ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 20261210u;
}

TEST_F(AutomaticRunTest, KilledDuringPassesNoOrderIsStoredOrRequestedTwice) {
    const unsigned seed = Seed();
    std::cout << "seed " << seed << " (set BRISKO_CRASH_SEED to repeat another run)\n";
    std::mt19937 random(seed);
    // A pass over one new order takes tens of milliseconds on loopback, so the kills fall within
    // its first tens of milliseconds: the import, the estimates and the requests.
    std::uniform_int_distribution<int> delayMs(0, 80);

    for (int kill = 1; kill <= kKills; ++kill) {
        const std::size_t tokensBefore = Count(marketplace, "POST", kTokenPath);
        auto program = StartProgram();
        // A pass has begun once the program asks the marketplace for a token.
        const bool passBegan =
            QTest::qWaitFor([&] { return Count(marketplace, "POST", kTokenPath) > tokensBefore; }, 60'000);
        const int delay = delayMs(random);
        std::cout << "kill " << kill << ": " << (passBegan ? "" : "no pass seen, ") << delay
                  << " ms into the pass\n";
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        program.reset(); // SIGKILL, then reaped

        // Where the kill landed: how far the orders had come.
        std::cout << "  after it: " << Scalar("SELECT COUNT(*) AS N FROM PEDIDOS") << " of " << orders.size()
                  << " imported, " << Scalar("SELECT COUNT(*) AS N FROM PEDIDOS WHERE ID_MCH = 'ROVEZOR'")
                  << " marked, " << Scalar("SELECT COUNT(*) AS N FROM PEDIDOS WHERE ID_MCH = 'ERRO ROVEZOR'")
                  << " claimed and unmarked, " << Accepted().size() << " accepted by the platform\n";
        // New orders keep coming, so every pass has work to be killed in.
        AddOrder();
    }

    auto program = StartProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllDone(); }, 240'000)) << "an order was never requested";
    program.reset();

    const long long duplicates = Scalar("SELECT COUNT(*) AS N FROM (SELECT ORIGEM, IDPEDIDO FROM PEDIDOS "
                                        "GROUP BY ORIGEM, IDPEDIDO HAVING COUNT(*) > 1)");
    const int twice = RequestedTwice();
    const auto accepted = Accepted();
    int claimedAccepted = 0;
    int claimedNotSent = 0;
    for (const std::string& id : orders) {
        if (Order(id)->idMch == "ERRO ROVEZOR") {
            ++(accepted.count(id) != 0 ? claimedAccepted : claimedNotSent);
        }
    }
    const std::string integrity = Integrity();
    std::cout << "orders " << orders.size() << ", rows " << Scalar("SELECT COUNT(*) AS N FROM PEDIDOS")
              << ", duplicate rows " << duplicates << ", orders requested twice " << twice
              << "; left \"ERRO ROVEZOR\" by a kill: " << claimedAccepted << " accepted once, "
              << claimedNotSent << " never sent; integrity " << integrity << "\n";
    EXPECT_EQ(duplicates, 0);
    EXPECT_EQ(twice, 0);
    EXPECT_EQ(integrity, "ok");
    EXPECT_EQ(Scalar("SELECT COUNT(*) AS N FROM PEDIDOS"), static_cast<long long>(orders.size()));
}

TEST_F(AutomaticRunTest, KilledWhileThePlatformHoldsAnAcceptedRequestTheNextStartSendsNothingForIt) {
    // The platform opens the delivery at once and answers only 30 s later.
    dispatch.SetAnswerDelay(30s, kOpenPath);
    auto program = StartProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dispatch.Deliveries().empty(); }, 60'000))
        << "no request was sent";
    program.reset();
    ASSERT_EQ(dispatch.Deliveries().size(), 1u);
    const std::string held = Accepted().begin()->first;
    EXPECT_EQ(Order(held)->idMch, "ERRO ROVEZOR");

    dispatch.SetAnswerDelay(0ms);
    program = StartProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllDone(); }, 120'000));
    // One more whole pass, long enough for anything still pending to have been sent.
    ASSERT_TRUE(AnotherPassBegins());
    program.reset();

    EXPECT_EQ(Accepted().at(held), 1) << "the held order was sent again";
    EXPECT_EQ(Order(held)->idMch, "ERRO ROVEZOR");
    EXPECT_EQ(RequestedTwice(), 0);
    EXPECT_EQ(Accepted().size(), orders.size());
}

TEST_F(AutomaticRunTest, TwoCopiesOnOneFolderFromTwoSessionsRequestEveryOrderOnce) {
    // Another login session: its own runtime folder, so the instance lock does not see the first.
    Session otherSession;
    auto first = StartProgram();
    auto second =
        std::make_unique<ProgramProcess>(folder / BRISKO_PROGRAM_FILE_NAME, otherSession.Environment());

    // Whichever lost the race for the database hands over and ends; the other does the work.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !first->Running() || !second->Running(); }, 30'000))
        << "both copies run on one database";
    ProgramProcess& ended = first->Running() ? *second : *first;
    EXPECT_EQ(ended.WaitExit(0ms), std::optional<int>(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllDone(); }, 120'000));
    for (int i = 0; i < 3; ++i) {
        AddOrder();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllDone(); }, 120'000));
    ASSERT_TRUE(AnotherPassBegins());
    EXPECT_TRUE(first->Running() != second->Running());

    EXPECT_EQ(RequestedTwice(), 0);
    EXPECT_EQ(Accepted().size(), orders.size());
    EXPECT_EQ(Integrity(), "ok");
}

} // namespace
} // namespace brisko::test
