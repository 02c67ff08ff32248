// The fee ceiling of automatic scheduling against the dispatch simulator: each order's estimate
// before its request, orders above the ceiling held and not estimated again, and no ceiling
// leaving the scheduling as it was.
#include "CycleFixture.h"

#include "SolicitaEntrega.h"

#include <cstring>

namespace brisko::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kEstimatePath = "/api/integracao/estimarEntrega";

sim::Answer Fee(const std::string& taxa) {
    return sim::Answer().WithBody(R"({"response":{"estimativa_valor":)" + taxa +
                                  R"(,"desejado":{"lat":"-23.5","lng":"-46.6"}}})");
}

class FeeCeilingTest : public CycleTest {
protected:
    std::size_t Estimates() { return RequestsTo(platform, kEstimatePath).size(); }

    std::vector<std::string> Held() {
        std::vector<std::string> held;
        for (const store::PedidoRetido& hold : store::PedidosRetidos(db)) {
            held.push_back(hold.IDPEDIDO + " " + hold.TAXA + " > " + store::Reais(hold.TETO));
        }
        return held;
    }
};

TEST(FeeCeilingAmounts, ReaisReadWithACommaOrADot) {
    struct Case {
        const char* text;
        std::optional<long long> centavos;
    };
    const Case cases[] = {
        {"12,50", 1250},         {"12.5", 1250},       {" R$ 7 ", 700},       {"0,05", 5},
        {"15.", 1500},           {",5", 50},           {"", std::nullopt},    {"12,505", std::nullopt},
        {"1.2,3", std::nullopt}, {"-3", std::nullopt}, {"doze", std::nullopt}};
    for (const Case& c : cases) {
        EXPECT_EQ(store::Centavos(c.text), c.centavos) << c.text;
    }
    EXPECT_EQ(store::Reais(1250), "12,50");
    EXPECT_EQ(store::Reais(5), "0,05");
}

TEST_F(FeeCeilingTest, BelowAndAtTheCeilingAreRequestedAboveIsHeldAndNotEstimatedAgain) {
    ASSERT_TRUE(store::GravaTetoTaxa(db, "12,50"));
    AddPending("301");
    AddPending("302");
    AddPending("303");
    platform.Script("GET", kEstimatePath, Fee("\"9.90\""));
    platform.Script("GET", kEstimatePath, Fee("12.50"));
    platform.Script("GET", kEstimatePath, Fee("\"12.51\""));
    Schedule();

    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR", "ROVEZOR", ""));
    EXPECT_THAT(SentOrderIds(), ElementsAre("aiqfome 301", "aiqfome 302"));
    EXPECT_THAT(Held(), ElementsAre("303 12.51 > 12,50"));
    EXPECT_THAT(window.Texts("status"), IsEmpty());
    const std::vector<store::LinhaHistorico> history = store::HistoricoDoPedido(db, "303");
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].EVENTO, store::kEventoEstimativa);
    EXPECT_EQ(history[1].EVENTO, store::kEventoRetido);
    EXPECT_EQ(history[1].DETALHE, "teto R$ 12,50");
    EXPECT_EQ(history[1].TAXA, "12.51");

    // The next passes leave the held order alone: no estimate, no request.
    Schedule();
    Schedule();
    EXPECT_EQ(Estimates(), 3u);
    EXPECT_EQ(platform.Deliveries().size(), 2u);

    // A new ceiling releases it for one new estimate.
    ASSERT_TRUE(store::GravaTetoTaxa(db, "13"));
    platform.Script("GET", kEstimatePath, Fee("\"12.51\""));
    Schedule();
    EXPECT_EQ(Estimates(), 4u);
    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR", "ROVEZOR", "ROVEZOR"));
    EXPECT_THAT(Held(), IsEmpty());
}

TEST_F(FeeCeilingTest, AnOrderWithoutAFeeWaitsAndTheOperatorReleasesAHeldOne) {
    ASSERT_TRUE(store::GravaTetoTaxa(db, "10.00"));
    const long long id = AddPending("401");
    platform.Script("GET", kEstimatePath, sim::Answer().WithStatus(500).WithBody("{}"));
    Schedule();
    EXPECT_THAT(Marks(), ElementsAre(""));
    EXPECT_THAT(Held(), IsEmpty());
    EXPECT_THAT(window.Texts("status"), ElementsAre(::testing::StartsWith("Erro: ")));

    platform.Script("GET", kEstimatePath, Fee("\"25.00\""));
    Schedule();
    EXPECT_THAT(Held(), ElementsAre("401 25.00 > 10,00"));

    // By hand, refused: the order is pending again, and no longer held.
    platform.Script("POST", kOpenPath, sim::Answer().WithBody(R"({"response":{"erros":["Fora da área"]}})"));
    courier::CourierRequest request;
    request.options = {"D", false, "Moto", 30};
    request.pickup = {"01/01/2030", "10:00"};
    request.requester = courier::Requester::Operator;
    courier::SolicitaEntrega(db, *store::LeEmpresa(db), *store::PedidoPorId(db, id), request,
                             services.dispatchApiKey, services.dispatch);
    EXPECT_THAT(Marks(), ElementsAre(""));
    EXPECT_THAT(Held(), IsEmpty());
}

TEST_F(FeeCeilingTest, NoCeilingAsksNoEstimate) {
    for (const char* off : {"", "0", "0,00"}) {
        SCOPED_TRACE(off);
        ASSERT_TRUE(store::GravaTetoTaxa(db, off));
        EXPECT_EQ(store::LeTetoTaxa(db), std::nullopt);
        AddPending(std::string("50") + std::to_string(std::strlen(off)));
        Schedule();
    }
    EXPECT_FALSE(store::GravaTetoTaxa(db, "muito"));
    EXPECT_EQ(Estimates(), 0u);
    EXPECT_THAT(Marks(), ElementsAre("ROVEZOR", "ROVEZOR", "ROVEZOR"));
}

} // namespace
} // namespace brisko::test
