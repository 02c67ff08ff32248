// Automatic scheduling against the dispatch simulator and a real database file.
#include "CycleFixture.h"

#include "DeliveryRequest.h"
#include "Json.h"
#include "LocalTime.h"

namespace brisko::test {
namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

sim::Answer Accepted() {
    return sim::Answer().WithBody(R"({"response":{"id_mch":77}})");
}

TEST_F(CycleTest, SecondRefusedOfThreeIsMarkedAndReportedOthersGoThroughWithOnePickupTime) {
    AddPending("101");
    AddPending("102");
    AddPending("103");
    platform.Script("POST", kOpenPath, Accepted());
    platform.Script(
        "POST", kOpenPath,
        sim::Answer().WithBody(R"({"response":{"erros":["Sem entregador na região","Tente já"]}})"));
    platform.Script("POST", kOpenPath, Accepted());

    const LocalDateTime before = LocalNow();
    Schedule();
    const LocalDateTime after = LocalNow();

    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR", "ERRO ROVEZOR", "ROVEZOR"));
    EXPECT_THAT(window.Texts("status"), ElementsAre("Erro:  - Sem entregador na região - Tente já"));
    EXPECT_THAT(window.Texts("message"), IsEmpty());

    const auto requests = RequestsTo(platform, kOpenPath);
    ASSERT_EQ(requests.size(), 3u);
    std::vector<std::string> sentIds, dates, times;
    for (const sim::RecordedRequest& request : requests) {
        const auto document = net::ParseJson(request.body);
        ASSERT_TRUE(document && document->IsObject()) << request.body;
        dates.push_back(document->TextAt("data"));
        times.push_back(document->TextAt("hora"));
        sentIds.push_back(document->ArrayAt("paradas").Items().at(0).TextAt("id_externo"));
    }
    EXPECT_THAT(sentIds, ElementsAre("aiqfome 101", "aiqfome 102", "aiqfome 103"));
    EXPECT_THAT(dates, ElementsAre(dates[0], dates[0], dates[0]));
    EXPECT_THAT(times, ElementsAre(times[0], times[0], times[0]));
    // One clock reading plus the box's 120 minutes, taken during the call.
    const courier::PickupTimeTexts early = courier::PickupTime(before, 120);
    const courier::PickupTimeTexts late = courier::PickupTime(after, 120);
    EXPECT_THAT(dates[0], AnyOf(early.date, late.date));
    EXPECT_THAT(times[0], AnyOf(early.time, late.time));
}

TEST_F(CycleTest, RequestsCarryTheStoreAndTheWindowChoicesAndReachThePlatform) {
    AddPending("555");
    window.inputs.returnText = "Sim";
    window.inputs.categoryName = "Bike";
    window.inputs.paymentName = "pix"; // names match without case
    Schedule();

    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR"));
    EXPECT_THAT(window.Events(), IsEmpty()); // a success shows nothing
    ASSERT_EQ(platform.Deliveries().size(), 1u);
    const sim::SimDelivery delivery = platform.Deliveries()[0];
    EXPECT_EQ(delivery.idExterno, "aiqfome 555");
    EXPECT_EQ(delivery.categoria, "Bike");
    EXPECT_EQ(delivery.pagamento, "X");
    const auto document = net::ParseJson(RequestsTo(platform, kOpenPath).at(0).body);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->TextAt("empresa_id"), "1207");
}

TEST_F(CycleTest, EmptyPaymentChoiceAsksOnlyWhenOrdersWait) {
    window.inputs.paymentName = "";
    Schedule();
    EXPECT_THAT(window.Events(), IsEmpty());

    AddPending("201");
    AddPending("202");
    Schedule();
    Schedule();
    EXPECT_THAT(window.Texts("message"), ElementsAre("Tipo do pagamento da entrega não especificado!",
                                                     "Tipo do pagamento da entrega não especificado!"));
    EXPECT_THAT(Marks(), ElementsAre("", ""));
    EXPECT_THAT(RequestsTo(platform, kOpenPath), IsEmpty());
}

TEST_F(CycleTest, NothingIsSentWhenSignedOutOrUnticked) {
    AddPending("301");
    for (const auto& [signedIn, automatic] : {std::pair{false, true}, std::pair{true, false}}) {
        window.inputs.signedIn = signedIn;
        window.inputs.automatic = automatic;
        Schedule();
    }
    EXPECT_THAT(Marks(), ElementsAre(""));
    EXPECT_THAT(window.Events(), IsEmpty());
    EXPECT_THAT(platform.Requests(), IsEmpty());
}

TEST_F(CycleTest, OnlyOrdersWithoutARequestAreSent) {
    InsertOrderAt(db, {"401", std::string("ERRO ROVEZOR")}, "");
    InsertOrderAt(db, {"402", std::string("ROVEZOR")}, "");
    InsertOrderAt(db, {"403", std::string("JA ENTREGUE")}, "");
    InsertOrderAt(db, {"404", std::string("")}, "");
    AddPending("405");
    Schedule();
    Schedule(); // the second run finds nothing left
    EXPECT_THAT(SentOrderIds(), ElementsAre("aiqfome 404", "aiqfome 405"));
    EXPECT_THAT(Marks(), ElementsAre("ERRO ROVEZOR", "ROVEZOR", "JA ENTREGUE", "ROVEZOR", "ROVEZOR"));
}

TEST_F(CycleTest, ErrorsEndTheSchedulingWithTheirKindNameAndChangeNothing) {
    struct Case {
        const char* what;
        std::string minutes;
        const char* sql; // run before the scheduling; nullptr for none
        const char* kind;
    };
    const std::vector<Case> cases = {
        {"letters in the minutes box", "abc", nullptr, "EConvertError"},
        {"empty minutes box", "", nullptr, "EConvertError"},
        {"a fraction of minutes", "1.5", nullptr, "EConvertError"},
        {"the store table is gone", "120", "DROP TABLE EMPRESA", "EDatabaseError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        FreshDatabase(folder / "BANCO.db");
        store::Database local(folder / "BANCO.db");
        InsertOrderAt(local, {"501", std::nullopt}, "");
        if (c.sql) {
            local.Execute(c.sql);
        }
        WindowRecorder recorder;
        recorder.inputs.minutesText = c.minutes;
        courier::AbrirEntregaAgendarAutomatico(recorder.inputs, local, services.dispatchApiKey,
                                               recorder.SchedulingOutlets(), services.dispatch);
        EXPECT_THAT(recorder.Texts("status"), ElementsAre(c.kind));
        EXPECT_EQ(store::PedidosPendentes(local).size(), 1u); // still pending
    }
    EXPECT_THAT(platform.Requests(), IsEmpty());
}

TEST_F(CycleTest, UnreachablePlatformFailsEveryOrderOfThePassWithTheConnectionText) {
    AddPending("601");
    AddPending("602");
    platform.Stop();
    Schedule();
    EXPECT_THAT(Marks(), ElementsAre("ERRO ROVEZOR", "ERRO ROVEZOR"));
    const auto statuses = window.Texts("status");
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[1].rfind("Erro: Sem Conexão - Verifique sua Internet! ,", 0), 0u) << statuses[1];
}

} // namespace
} // namespace brisko::test
