// The marketplace stand-in itself: what the client's tests rely on, and the demo account.
#include "MarketplaceFixture.h"

#include "DemoTimeline.h"
#include "Http.h"
#include "Json.h"

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

class Simulator : public MarketplaceTest {
protected:
    net::HttpResponse Get(const std::string& target, const std::string& token) {
        net::HttpRequest request;
        request.url = simulator.BaseUrl() + target;
        request.extraCaFile = sim::TestCaFile().string();
        request.headers = {{"Authorization", "Bearer " + token}};
        const net::HttpOutcome outcome = net::Perform(request);
        EXPECT_TRUE(outcome.response) << outcome.failure;
        return outcome.response.value_or(net::HttpResponse{});
    }

    std::vector<std::string> ListedIds(const std::string& target) {
        const net::HttpResponse response = Get(target, simulator.IssueToken(kLogin));
        std::vector<std::string> ids;
        if (const auto json = net::ParseJson(response.body)) {
            for (const net::JsonValue& element : json->ArrayAt("data").Items()) {
                ids.push_back(element.TextAt("order_id"));
            }
        }
        return ids;
    }
};

TEST_F(Simulator, HonoursTheFilterDatesWithBracketsLiteralOrEncoded) {
    AddOrder("today", 0min);
    AddOrder("three-days-ago", 72h);
    const std::string today = FormatIsoDate(LocalNow());
    const std::string yesterday = FormatIsoDate(AddSeconds(LocalNow(), -86400));
    for (const std::string& target :
         {"/alfredo/orders/search?filter%5Bdate_start%5D=" + yesterday + "&filter%5Bdate_end%5D=" + today,
          "/alfredo/orders/search?filter[date_start]=" + yesterday + "&filter[date_end]=" + today}) {
        EXPECT_EQ(ListedIds(target), std::vector<std::string>{"today"});
    }
    EXPECT_EQ(ListedIds("/alfredo/orders/search"), (std::vector<std::string>{"today", "three-days-ago"}));
}

TEST_F(Simulator, RefusesUnknownAndExpiredTokensAndOtherAccountsOrders) {
    simulator.AddAccount("outra", "x");
    simulator.AddOrder("outra", sim::MarketplaceSimulator::SampleOrder("77", 1min));
    const std::string token = simulator.IssueToken(kLogin);
    EXPECT_EQ(Get("/alfredo/orders/77", token).status, 404);
    EXPECT_EQ(Get("/alfredo/orders/search", "nope").status, 401);
    simulator.ExpireTokens();
    EXPECT_EQ(Get("/alfredo/orders/search", token).status, 401);
}

TEST_F(Simulator, DemoOrdersArriveAndMoveOn) {
    const auto start = sim::MarketplaceSimulator::Clock::now();
    sim::DemoTimeline demo(simulator, start);
    const auto before = simulator.Orders(sim::DemoTimeline::kLogin);
    ASSERT_FALSE(before.empty());
    const sim::SimOrder newest = before.back();
    EXPECT_FALSE(newest.isRead);

    demo.Advance(start + 10min);
    const auto after = simulator.Orders(sim::DemoTimeline::kLogin);
    EXPECT_EQ(after.size(), before.size() + 5); // one every two minutes
    EXPECT_TRUE(after[before.size() - 1].isRead);

    bool ready = false, pickup = false, cancelled = false;
    for (const sim::SimOrder& o : after) {
        ready = ready || o.isReady;
        pickup = pickup || o.isPickup;
        cancelled = cancelled || o.isCancelled;
    }
    EXPECT_TRUE(ready && pickup && cancelled);

    // The program's own sign-in and search work against the demo account.
    const std::string result = marketplace::ConectaAiqfome(
        Context(), std::to_string(accountId), sim::DemoTimeline::kLogin, sim::DemoTimeline::kPassword);
    EXPECT_EQ(result, "TRUE");
}

} // namespace
} // namespace brisko::test
