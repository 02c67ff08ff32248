// The order search: the list request, which listed orders are imported, and how the walk ends.
#include "MarketplaceFixture.h"

#include "OrderReading.h"

#include <algorithm>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using sim::Answer;
using sim::JsonText;

class BuscaPedidos : public MarketplaceTest {
protected:
    std::string Search() { return marketplace::BuscaPedidosAiqfome(Context(), simulator.IssueToken(kLogin)); }

    std::vector<std::string> DetailTargets() {
        std::vector<std::string> details;
        for (const std::string& target : Targets()) {
            if (target.rfind("/alfredo/orders/search", 0) != 0) {
                details.push_back(target);
            }
        }
        return details;
    }
};

TEST_F(BuscaPedidos, AsksForYesterdayAndTodayInOnePage) {
    EXPECT_EQ(Search(), "TRUE");
    const LocalDateTime today = LocalNow();
    const std::string expected = "/alfredo/orders/search?per_page=99999&filter%5Bdate_start%5D=" +
                                 FormatIsoDate(AddSeconds(today, -86400)) +
                                 "&filter%5Bdate_end%5D=" + FormatIsoDate(today);
    EXPECT_EQ(Targets(), std::vector<std::string>{expected});
    EXPECT_EQ(statuses, std::vector<std::string>{"Verificando pedidos"});
}

TEST_F(BuscaPedidos, AnEmptyListIsTrueAndTouchesNothing) {
    simulator.Script("GET", "/alfredo/orders/search", Answer().WithBody(R"({"data":[]})"));
    EXPECT_EQ(Search(), "TRUE");
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Targets().size(), 1u);
}

TEST_F(BuscaPedidos, OnlyOrdersLessThanFourHoursFromNowInEitherDirectionAreImported) {
    // The search asks for yesterday and today only: late in the evening an order 3 h 50 min ahead
    // falls on tomorrow, so the one ahead stays on today's date.
    const LocalDateTime now = LocalNow();
    const auto untilMidnight = 24h - (std::chrono::hours(now.hour) + std::chrono::minutes(now.minute) +
                                      std::chrono::seconds(now.second) + 1s);
    AddOrder("old", 4h + 10min);
    AddOrder("recent", 3h + 50min);
    AddOrder("ahead", -std::min<std::chrono::system_clock::duration>(3h + 50min, untilMidnight));
    AddOrder("far-ahead", -(4h + 10min));
    EXPECT_EQ(Search(), "TRUE");
    EXPECT_EQ(ImportedIds(), (std::vector<std::string>{"ahead", "recent"})); // listed newest first
}

TEST(OrderAge, AnOrderExactlyFourHoursFromNowIsTooOld) {
    // Local date-times carry milliseconds: on a whole millisecond these moments are exact.
    const Clock::time_point now = std::chrono::floor<std::chrono::milliseconds>(Clock::now());
    EXPECT_TRUE(marketplace::RecentEnough(ToLocal(now - 4h + 1ms), now));
    EXPECT_FALSE(marketplace::RecentEnough(ToLocal(now - 4h), now));
    EXPECT_TRUE(marketplace::RecentEnough(ToLocal(now + 4h - 1ms), now));
    EXPECT_FALSE(marketplace::RecentEnough(ToLocal(now + 4h), now));
}

TEST_F(BuscaPedidos, ListFlagsMustReadExactlyNotReadyNotPickupAndRead) {
    struct Case {
        std::string member;
        std::string literal;
        bool imported;
    };
    const std::vector<Case> cases{
        {"is_ready", "true", false},
        {"is_ready", JsonText("False"), false},
        {"is_ready", JsonText("false"), true},
        {"order_is_pickup", "true", false},
        {"is_read", "false", false},
        {"is_read", JsonText("TRUE"), false},
        {"is_read", "1", false},
        {"is_cancelled", "true", true}, // the list's own flag is not read
    };
    int n = 0;
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        sim::SimOrder order =
            sim::MarketplaceSimulator::SampleOrder(std::to_string(++n), std::chrono::minutes(n));
        order.searchOverrides[c.member] = c.literal;
        simulator.AddOrder(kLogin, order);
        if (c.imported) {
            expected.push_back(order.orderId);
        }
    }
    EXPECT_EQ(Search(), "TRUE");
    EXPECT_EQ(ImportedIds(), expected);
    EXPECT_EQ(DetailTargets().size(), expected.size()); // skipped orders are not fetched
}

TEST_F(BuscaPedidos, AnUnreadOrderIsImportedAtALaterSyncOnceRead) {
    sim::SimOrder order = AddOrder("700", 5min);
    simulator.UpdateOrder("700", [](sim::SimOrder& o) { o.isRead = false; });
    EXPECT_EQ(Search(), "TRUE");
    EXPECT_TRUE(Rows().empty());

    simulator.UpdateOrder("700", [](sim::SimOrder& o) { o.isRead = true; });
    EXPECT_EQ(Search(), "TRUE");
    EXPECT_EQ(ImportedIds(), std::vector<std::string>{"700"});
}

TEST_F(BuscaPedidos, AStoredOrderIsNotFetchedAgainWhateverItsStateNow) {
    AddOrder("800", 5min);
    AddOrder("801", 6min);
    EXPECT_EQ(Search(), "TRUE");
    simulator.UpdateOrder("800", [](sim::SimOrder& o) { o.detailOverrides["is_cancelled"] = "true"; });
    simulator.ClearRequests();

    EXPECT_EQ(Search(), "TRUE");
    EXPECT_EQ(DetailTargets(), std::vector<std::string>{});
    EXPECT_EQ(ImportedIds(), (std::vector<std::string>{"800", "801"}));
}

TEST_F(BuscaPedidos, AnOrderListedTwiceIsFetchedAndStoredOnce) {
    AddOrder("850", 5min);
    AddOrder("850", 5min);
    AddOrder("851", 6min);
    EXPECT_EQ(Search(), "TRUE");
    EXPECT_EQ(DetailTargets(), (std::vector<std::string>{"/alfredo/orders/850", "/alfredo/orders/851"}));
    EXPECT_EQ(ImportedIds(), (std::vector<std::string>{"850", "851"}));
}

TEST_F(BuscaPedidos, AFailedImportDoesNotStopTheWalk) {
    AddOrder("901", 5min);
    AddOrder("902", 6min);
    AddOrder("903", 7min);
    simulator.Script("GET", "/alfredo/orders/901", Answer().WithStatus(500).WithBody("falhou"));
    simulator.UpdateOrder("902", [](sim::SimOrder& o) { o.detailOverrides["user"] = "{}"; });
    EXPECT_EQ(Search(), "TRUE");
    EXPECT_EQ(ImportedIds(), std::vector<std::string>{"903"});

    EXPECT_EQ(Search(), "TRUE"); // the failed one is tried again at the next sync
    EXPECT_EQ(ImportedIds(), (std::vector<std::string>{"903", "901"}));
}

TEST_F(BuscaPedidos, AnUnreadableElementEndsTheWalkAndKeepsTheRowsBeforeIt) {
    AddOrder("1001", 5min);
    sim::SimOrder bad = sim::MarketplaceSimulator::SampleOrder("1002", 10min);
    bad.searchOverrides["created_at"] = JsonText("");
    simulator.AddOrder(kLogin, bad);
    AddOrder("1003", 15min);

    const std::string result = Search();
    EXPECT_EQ(result, "Sem Conexão - Verifique sua Internet! ,'' is not a valid date and time");
    EXPECT_EQ(ImportedIds(), std::vector<std::string>{"1001"});
    EXPECT_EQ(DetailTargets(), std::vector<std::string>{"/alfredo/orders/1001"});

    for (const auto& [member, literal] : std::vector<std::pair<std::string, std::string>>{
             {"created_at", JsonText("2026-02-30 10:00:00")},
             {"created_at", JsonText("10/12/2026 10:00:00")},
             {"is_ready", std::string()}, // left out: a member the walk reads is missing
             {"order_id", std::string()}}) {
        SCOPED_TRACE(member + " " + literal);
        simulator.UpdateOrder("1002", [&](sim::SimOrder& o) {
            o.searchOverrides.clear();
            o.searchOverrides[member] = literal.empty() ? std::nullopt : std::optional(literal);
        });
        EXPECT_TRUE(StartsWithGenericFailure(Search()));
        EXPECT_EQ(ImportedIds(), std::vector<std::string>{"1001"});
    }
}

TEST_F(BuscaPedidos, ListAnswersWithoutAWalkableListGiveTheirTexts) {
    struct Case {
        int status;
        std::string body;
        std::string expected; // "*" for the generic failure text
    };
    const std::vector<Case> cases{
        {500, "erro", "erro"},
        {404, "", ""},
        {200, "nao e json", "nao e json"},
        {200, "[]", "*"},
        {200, R"({"meta":{}})", "*"},
        {200, R"({"data":{}})", "*"},
        {200, R"({"data":[1]})", "*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        simulator.Script("GET", "/alfredo/orders/search", Answer().WithStatus(c.status).WithBody(c.body));
        const std::string result = Search();
        if (c.expected == "*") {
            EXPECT_TRUE(StartsWithGenericFailure(result)) << result;
        } else {
            EXPECT_EQ(result, c.expected);
        }
    }

    const std::string expired = marketplace::BuscaPedidosAiqfome(Context(), "not-a-token");
    EXPECT_EQ(expired, R"({"success":false,"data":{"message":"Unauthenticated."}})");
}

TEST_F(BuscaPedidos, ADuplicateCheckThatFailsEndsTheWalk) {
    AddOrder("1101", 5min);
    db.Execute("DROP TABLE PEDIDOS");
    const std::string result = Search();
    EXPECT_TRUE(StartsWithGenericFailure(result));
    EXPECT_NE(result.find("PEDIDOS"), std::string::npos) << result;
    EXPECT_EQ(DetailTargets(), std::vector<std::string>{});
    // The walk's commits do not wait for the disk; those after it (courier marks) wait again.
    store::Statement synchronous = db.Prepare("PRAGMA synchronous");
    synchronous.Step();
    EXPECT_EQ(synchronous.Integer("synchronous"), 2);
}

} // namespace
} // namespace brisko::test
