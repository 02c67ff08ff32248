// The order history written along the order's road: import, automatic and manual requests with
// every outcome, and a history that cannot be written changing nothing else.
#include "CycleFixture.h"
#include "DigitShape.h"

#include "SolicitaEntrega.h"

#include <chrono>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using courier::Requester;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class HistoryTest : public CycleTest {
protected:
    // "event|detail|fee" of every event of the order, oldest first.
    std::vector<std::string> Events(const std::string& idPedido) {
        std::vector<std::string> events;
        for (const store::LinhaHistorico& line : store::HistoricoDoPedido(db, idPedido)) {
            events.push_back(line.EVENTO + "|" + line.DETALHE + "|" + line.TAXA);
        }
        return events;
    }

    // failNth: the statement of the request itself that fails (0: none).
    courier::CourierAnswer Request(long long id, Requester requester, long long failNth = 0) {
        courier::CourierRequest request;
        request.options = {"D", false, "Moto", 30};
        request.pickup = {"01/01/2030", "10:00"};
        request.requester = requester;
        const store::Empresa empresa = *store::LeEmpresa(db);
        const store::Pedido pedido = *store::PedidoPorId(db, id);
        db.FailNthStatement(failNth);
        return courier::SolicitaEntrega(db, empresa, pedido, request, services.dispatchApiKey,
                                        services.dispatch);
    }
};

TEST_F(HistoryTest, AnImportedOrderAndItsAutomaticRequestAreRecorded) {
    AddAccount(kMarketLogin, kMarketPassword);
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("880001", 10min));
    cycle::RunIntegrationPass(db, services, window.Outlets());

    const std::vector<store::LinhaHistorico> lines = store::HistoricoDoPedido(db, "880001");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].EVENTO, store::kEventoImportado);
    EXPECT_EQ(lines[0].DETALHE, store::PedidoPorId(db, 1)->CLIENTE);
    EXPECT_EQ(lines[1].EVENTO, store::kEventoEnvioAutomatico);
    EXPECT_EQ(lines[2].EVENTO, store::kEventoAceita);
    EXPECT_EQ(DigitShape(lines[0].HORA), "99/99/9999 99:99:99");
}

TEST_F(HistoryTest, EachOutcomeOfARequestIsRecordedWithThePlatformsWords) {
    struct Case {
        const char* what;
        std::optional<sim::Answer> answer;
        const char* outcomeEvent;
        const char* detail;
    };
    const Case cases[] = {
        {"accepted", std::nullopt, "Entrega aceita", ""},
        {"refused with reasons",
         sim::Answer().WithBody(R"({"response":{"erros":["Sem entregador na região","Tente já"]}})"),
         "Solicitação recusada", " - Sem entregador na região - Tente já"},
        {"no answer that can be read", sim::Answer().WithStatus(500).WithBody("{}"),
         "Sem resposta da plataforma", nullptr},
    };
    int order = 0;
    for (const Case& c : cases) {
        for (const Requester requester : {Requester::Automatic, Requester::Operator}) {
            SCOPED_TRACE(std::string(c.what) +
                         (requester == Requester::Automatic ? ", automatic" : ", manual"));
            const std::string idPedido = std::to_string(5100 + ++order);
            const long long id = AddPending(idPedido);
            if (c.answer) {
                platform.Script("POST", kOpenPath, *c.answer);
            }
            const courier::CourierAnswer answer = Request(id, requester);
            EXPECT_EQ(answer.historyFailure, "");
            const std::vector<store::LinhaHistorico> lines = store::HistoricoDoPedido(db, idPedido);
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[0].EVENTO, requester == Requester::Automatic ? store::kEventoEnvioAutomatico
                                                                         : store::kEventoEnvioManual);
            EXPECT_EQ(lines[1].EVENTO, c.outcomeEvent);
            if (c.detail != nullptr) {
                EXPECT_EQ(lines[1].DETALHE, c.detail);
            } else {
                EXPECT_FALSE(lines[1].DETALHE.empty());
            }
        }
    }
}

TEST_F(HistoryTest, AHistoryThatCannotBeWrittenChangesNoOutcomeAndIsToldOncePerPass) {
    AddPending("7001");
    AddPending("7002");
    platform.Script("POST", kOpenPath, sim::Answer().WithBody(R"({"response":{"erros":["Fora da área"]}})"));
    db.Execute("CREATE TRIGGER no_history BEFORE INSERT ON HISTORICO "
               "BEGIN SELECT RAISE(ABORT, 'history refused'); END");
    Schedule();

    // What the requests leave is what they leave with a history.
    EXPECT_THAT(Marks(), ElementsAre("ERRO ROVEZOR", "ROVEZOR"));
    EXPECT_THAT(SentOrderIds(), ElementsAre("aiqfome 7002"));
    EXPECT_THAT(window.Texts("status"),
                ElementsAre("Histórico não gravado: history refused", "Erro:  - Fora da área"));

    // A statement of the history failing as the engine fails it: the same.
    db.Execute("DROP TRIGGER no_history");
    const long long id = AddPending("7003");
    // The claim, then the history's "sent".
    const courier::CourierAnswer answer = Request(id, Requester::Operator, 2);
    EXPECT_EQ(answer.outcome, courier::RequestOutcome::Accepted);
    EXPECT_THAT(answer.historyFailure, HasSubstr("Histórico não gravado: "));
    EXPECT_EQ(store::PedidoPorId(db, id)->ID_MCH, "ROVEZOR");
    EXPECT_THAT(Events("7003"), ElementsAre("Entrega aceita||"));
}

TEST_F(HistoryTest, TheHistoryOutlivesItsOrderFor90Days) {
    db.Execute("INSERT INTO HISTORICO (ORIGEM,IDPEDIDO,DATAHORA,EVENTO) VALUES "
               "(1,'old',strftime('%Y-%m-%d %H:%M:%S','now','-91 days'),'Importado'),"
               "(1,'kept',strftime('%Y-%m-%d %H:%M:%S','now','-89 days'),'Importado')");
    InsertOrderAt(db, {"kept", std::nullopt}, "-3 days");
    EXPECT_EQ(store::ApagaPedidosAntigos(db), 1);
    EXPECT_EQ(store::ApagaHistoricoAntigo(db), 1);
    EXPECT_THAT(Events("old"), ::testing::IsEmpty());
    EXPECT_THAT(Events("kept"), ElementsAre("Importado||"));
}

} // namespace
} // namespace brisko::test
