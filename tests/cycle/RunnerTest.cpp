// Passes carried out by the runner on its worker thread, with the worker's own connection.
#include "CycleFixture.h"

#include "PassRunner.h"

#include <atomic>
#include <future>
#include <thread>

namespace brisko::test {
namespace {

using ::testing::AnyOf;
using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using namespace std::chrono_literals;

class RunnerTest : public CycleTest {
protected:
    // Outlets that also watch that at most one pass is under way at any moment.
    cycle::PassOutlets WatchedOutlets() {
        cycle::PassOutlets o = window.Outlets();
        o.readStatus = [this, read = o.readStatus] {
            if (++underWay_ > 1) {
                overlapped_ = true;
            }
            return read();
        };
        o.handBack = [this, back = o.handBack] {
            back();
            --underWay_;
        };
        return o;
    }

    std::atomic<int> underWay_{0};
    std::atomic<bool> overlapped_{false};
};

// These hooks run inside the simulator's request handling: only with in-process simulators.
#ifndef BRISKO_REMOTE_SIMULATORS
constexpr const char* kTokenPath = "/alfredo/auth/token";

TEST_F(RunnerTest, RequestsDuringAPassBecomeOneFollowUpPassThatNeverOverlaps) {
    AddAccount(kMarketLogin, kMarketPassword);
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("990001", 10min));
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("990002", 8min));
    // Every marketplace request is slow and must come while exactly one pass is under way.
    std::promise<void> firstRequest;
    std::atomic<bool> announced{false};
    std::atomic<bool> outsideAPass{false};
    market.SetBeforeEachRequest([&] {
        if (underWay_ != 1) {
            outsideAPass = true;
        }
        if (!announced.exchange(true)) {
            firstRequest.set_value();
        }
        std::this_thread::sleep_for(150ms);
    });

    cycle::PassRunner runner(file_, services, WatchedOutlets());
    runner.RequestPass();
    ASSERT_EQ(firstRequest.get_future().wait_for(30s), std::future_status::ready);
    runner.RequestPass(); // both come while the first pass runs
    runner.RequestPass();
    EXPECT_EQ(runner.WaitIdle(), 2u);

    EXPECT_FALSE(overlapped_);
    EXPECT_FALSE(outsideAPass);
    EXPECT_EQ(window.Count("handBack"), 2u);
    EXPECT_EQ(RequestsTo(market, kTokenPath).size(), 2u);
    EXPECT_THAT(SentOrderIds(), UnorderedElementsAre("aiqfome 990001", "aiqfome 990002"));
    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR", "ROVEZOR"));
    // The marketplace log reads as two whole passes, one after the other: the orders' details
    // are fetched in the first only.
    std::vector<std::vector<std::string>> passes;
    for (const sim::RecordedRequest& request : market.Requests()) {
        if (request.path == kTokenPath) {
            passes.emplace_back();
        }
        ASSERT_FALSE(passes.empty()) << request.path;
        passes.back().push_back(request.path);
    }
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_THAT(passes[0], Contains("/alfredo/orders/990001"));
    EXPECT_THAT(passes[0], Contains("/alfredo/orders/990002"));
    EXPECT_THAT(passes[1], Each(AnyOf(kTokenPath, "/alfredo/orders/search")));
}

TEST_F(RunnerTest, DestructionWaitsForTheRunningPassAndDropsTheWaitingOne) {
    AddAccount(kMarketLogin, kMarketPassword);
    std::promise<void> firstRequest;
    std::atomic<bool> announced{false};
    market.SetBeforeEachRequest([&] {
        if (!announced.exchange(true)) {
            firstRequest.set_value();
        }
        std::this_thread::sleep_for(100ms);
    });
    {
        cycle::PassRunner runner(file_, services, window.Outlets());
        runner.RequestPass();
        ASSERT_EQ(firstRequest.get_future().wait_for(30s), std::future_status::ready);
        runner.RequestPass();
    }
    EXPECT_EQ(window.Count("handBack"), 1u);
    EXPECT_EQ(RequestsTo(market, kTokenPath).size(), 1u);
}
#endif

TEST_F(RunnerTest, RefusedPasswordReachesTheOutletsInEveryPassAndTheCycleGoesOn) {
    AddAccount(kMarketLogin, "errada");
    cycle::PassRunner runner(file_, services, window.Outlets());
    runner.RequestPass();
    EXPECT_EQ(runner.WaitIdle(), 1u);
    runner.RequestPass();
    EXPECT_EQ(runner.WaitIdle(), 2u);
    EXPECT_THAT(window.Texts("warning"),
                ElementsAre("LOGIN E SENHA AIQFOME INCORRETO", "LOGIN E SENHA AIQFOME INCORRETO"));
    EXPECT_EQ(window.Count("accountDialog"), 2u);
    EXPECT_EQ(window.Count("handBack"), 2u);
}

TEST_F(RunnerTest, FailingAccountQueryIsShownHandedBackAndALaterPassRuns) {
    AddAccount(kMarketLogin, kMarketPassword);
    db.Execute("DROP TABLE CONFIGDELIVERY");
    cycle::PassRunner runner(file_, services, window.Outlets());
    runner.RequestPass();
    EXPECT_EQ(runner.WaitIdle(), 1u);
    runner.RequestPass();
    EXPECT_EQ(runner.WaitIdle(), 2u);
    const auto statuses = window.Texts("status");
    ASSERT_FALSE(statuses.empty());
    EXPECT_THAT(statuses.back(), ::testing::HasSubstr("no such table: CONFIGDELIVERY"));
    EXPECT_EQ(window.Count("handBack"), 2u);
    EXPECT_THAT(market.Requests(), IsEmpty());
}

TEST_F(RunnerTest, DatabaseThatCannotBeOpenedIsReportedAndTriedAgainAtTheNextPass) {
    TempFolder elsewhere;
    cycle::PassRunner runner(elsewhere / "BANCO.db", services, window.Outlets());
    runner.RequestPass();
    EXPECT_EQ(runner.WaitIdle(), 1u);
    EXPECT_EQ(window.Texts("status").size(), 1u);
    EXPECT_THAT(window.Events().back(), "handBack:");

    FreshDatabase(elsewhere / "BANCO.db");
    runner.RequestPass();
    EXPECT_EQ(runner.WaitIdle(), 2u);
    EXPECT_THAT(window.Events(), ::testing::Contains("snapshot:")); // this pass got through
}

} // namespace
} // namespace brisko::test
