// One integration pass on the calling thread: both simulators over HTTPS, a real database file.
#include "CycleFixture.h"

#include "MarketplaceSimulator.h"
#include "UAiqfome.h"

#include <tuple>
#include <utility>

namespace brisko::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using namespace std::chrono_literals;

constexpr const char* kTokenPath = "/alfredo/auth/token";

class PassTest : public CycleTest {
protected:
    void Pass() { cycle::RunIntegrationPass(db, services, window.Outlets()); }
};

TEST_F(PassTest, NewOrdersAreImportedAndRequestedInTheSamePassAndOnlyOnce) {
    AddAccount(kMarketLogin, kMarketPassword);
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("880001", 10min));
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("880002", 5min));

    Pass();
    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR", "ROVEZOR"));
    EXPECT_THAT(SentOrderIds(), UnorderedElementsAre("aiqfome 880001", "aiqfome 880002"));
    const auto events = window.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "status:Verificando integração");
    EXPECT_EQ(events.back(), "handBack:");
    // The choices are read after the accounts were synced, not before.
    const auto connected = std::find(events.begin(), events.end(), "status:Aiqfome conectado");
    const auto snapshot = std::find(events.begin(), events.end(), "snapshot:");
    EXPECT_LT(connected - events.begin(), snapshot - events.begin());
    EXPECT_THAT(window.Texts("hideWarning"), ElementsAre(""));

    market.ClearRequests();
    Pass();
    EXPECT_EQ(Marks().size(), 2u);
    EXPECT_EQ(platform.Deliveries().size(), 2u);
    for (const sim::RecordedRequest& request : market.Requests()) {
        EXPECT_TRUE(request.path == kTokenPath || request.path == "/alfredo/orders/search") << request.path;
    }
}

TEST_F(PassTest, PanelTextIsKeptWhenItHoldsOneAndAccountlessPassOnlySchedules) {
    window.SetPanel("Erro: antes");
    window.inputs.automatic = false;
    Pass();
    EXPECT_THAT(window.Events(), ElementsAre("snapshot:", "handBack:"));
    EXPECT_THAT(market.Requests(), IsEmpty());
}

TEST_F(PassTest, EmptyAccountRowIsSkippedButOneEmptyFieldIsSent) {
    AddAccount("", "");
    Pass();
    EXPECT_THAT(window.Texts("status"), ElementsAre("Verificando integração", "Aiqfome não cadastrado"));
    EXPECT_THAT(market.Requests(), IsEmpty());

    AddAccount(kMarketLogin, "");
    Pass();
    ASSERT_EQ(RequestsTo(market, kTokenPath).size(), 1u);
    EXPECT_EQ(RequestsTo(market, kTokenPath)[0].body, marketplace::TokenRequestBody(kMarketLogin, ""));
}

TEST_F(PassTest, AccountOutcomesReachPanelWarningAndAccountDialog) {
    struct Case {
        const char* what;
        sim::Answer token;
        std::string shown;
        std::size_t dialogs;
    };
    const std::vector<Case> cases = {
        {"password refused", sim::Answer().WithStatus(401).WithBody("{}"), "LOGIN E SENHA AIQFOME INCORRETO",
         1},
        {"service down", sim::Answer().WithStatus(503).WithBody("Servico em manutencao"),
         "Servico em manutencao", 0},
    };
    AddAccount(kMarketLogin, kMarketPassword);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowRecorder recorder;
        market.Script("POST", kTokenPath, c.token);
        cycle::RunIntegrationPass(db, services, recorder.Outlets());
        EXPECT_THAT(recorder.Texts("status"), Contains(c.shown));
        EXPECT_THAT(recorder.Texts("warning"), ElementsAre(c.shown));
        EXPECT_EQ(recorder.Count("accountDialog"), c.dialogs);
        EXPECT_EQ(recorder.Count("hideWarning"), 0u);
        EXPECT_EQ(recorder.Events().back(), "handBack:");
    }
}

TEST_F(PassTest, ErrorEscapingThePassIsShownAndTheCycleIsHandedBack) {
    AddAccount(kMarketLogin, kMarketPassword);
    AddPending("701");
    db.Execute("DROP TABLE CONFIGDELIVERY");
    Pass();
    const auto statuses = window.Texts("status");
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[0], "Verificando integração");
    EXPECT_THAT(statuses[1], ::testing::HasSubstr("CONFIGDELIVERY"));
    EXPECT_EQ(window.Events().back(), "handBack:");
    EXPECT_EQ(window.Count("snapshot"), 0u); // the pass ended where the error came
    EXPECT_THAT(Marks(), ElementsAre(""));
}

} // namespace
} // namespace brisko::test

namespace brisko::test {
namespace {

// What the alerts and the health line hear from a pass: how the sync went, and each automatic
// request's outcome with the platform's own words.
TEST_F(PassTest, APassReportsItsSyncAndEachAutomaticRequestsOutcome) {
    struct Heard {
        std::vector<std::pair<cycle::Sincronizacao, std::string>> syncs;
        std::vector<std::tuple<std::string, courier::RequestOutcome, std::string>> answers;
    } heard;
    cycle::PassOutlets outlets = window.Outlets();
    outlets.synced = [&](cycle::Sincronizacao result, const std::string& text) {
        heard.syncs.emplace_back(result, text);
    };
    outlets.answered = [&](const store::Pedido& pedido, courier::RequestOutcome outcome,
                           const std::string& text) {
        heard.answers.emplace_back(pedido.IDPEDIDO, outcome, text);
    };

    cycle::RunIntegrationPass(db, services, outlets); // no account: nothing tried
    AddAccount(kMarketLogin, kMarketPassword);
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("880101", 10min));
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("880102", 5min));
    platform.Script("POST", kOpenPath, sim::Answer().WithBody(R"({"response":{"erros":["Fora da área"]}})"));
    cycle::RunIntegrationPass(db, services, outlets);
    market.Script("POST", kTokenPath, sim::Answer().WithStatus(401).WithBody("{}"));
    cycle::RunIntegrationPass(db, services, outlets);

    using S = cycle::Sincronizacao;
    EXPECT_THAT(heard.syncs,
                ElementsAre(std::pair{S::SemConta, std::string()}, std::pair{S::Conectada, std::string()},
                            std::pair{S::Falhou, std::string("LOGIN E SENHA AIQFOME INCORRETO")}));
    // The first order sent gets the scripted refusal, the second the simulator's acceptance.
    ASSERT_EQ(heard.answers.size(), 2u);
    EXPECT_EQ(std::get<1>(heard.answers[0]), courier::RequestOutcome::Refused);
    EXPECT_THAT(std::get<2>(heard.answers[0]), ::testing::HasSubstr("Fora da área"));
    EXPECT_EQ(std::get<1>(heard.answers[1]), courier::RequestOutcome::Accepted);
    EXPECT_NE(std::get<0>(heard.answers[0]), std::get<0>(heard.answers[1]));
}

} // namespace
} // namespace brisko::test
