// The alerts the operator gets: when each opens, when it is due again and when it ends, on a clock
// the test moves by hand.
#include "Alertas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using courier::RequestOutcome;
using cycle::Alerta;
using cycle::EstadoDosAlertas;
using cycle::Sincronizacao;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class AlertasTest : public ::testing::Test {
protected:
    // The kinds of the alerts due `after` the test's start.
    std::vector<Alerta> DueAt(std::chrono::seconds after) {
        std::vector<Alerta> kinds;
        for (const cycle::AlertaDevida& alerta : central.Devidas(start + after)) {
            kinds.push_back(alerta.tipo);
        }
        return kinds;
    }
    static store::Pedido Order(long long id, std::string mark = "") {
        store::Pedido pedido;
        pedido.ID = id;
        pedido.IDPEDIDO = std::to_string(9000 + id);
        pedido.ID_MCH = std::move(mark);
        return pedido;
    }
    void List(std::vector<store::Pedido> rows, bool automatic, std::chrono::seconds after) {
        central.Pedidos(rows, automatic, start + after);
    }

    const cycle::CentralDeAlertas::Instante start{std::chrono::hours(1)};
    cycle::CentralDeAlertas central;
};

TEST_F(AlertasTest, ANewOrderWithSchedulingOffRepeatsEveryMinuteUntilItHasACourier) {
    List({Order(1)}, false, 0s);
    const auto first = central.Devidas(start);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].tipo, Alerta::PedidoNovo);
    EXPECT_THAT(first[0].texto, HasSubstr("9001"));
    EXPECT_THAT(first[0].texto, HasSubstr("Solicite o entregador"));
    EXPECT_EQ(central.Estado(), EstadoDosAlertas::Atencao);

    EXPECT_THAT(DueAt(59s), IsEmpty());
    List({Order(1)}, false, 59s); // the same order read again opens nothing new
    EXPECT_THAT(DueAt(60s), ElementsAre(Alerta::PedidoNovo));
    EXPECT_THAT(DueAt(119s), IsEmpty());
    EXPECT_THAT(DueAt(120s), ElementsAre(Alerta::PedidoNovo));

    // Requested, or marked delivered: the alert ends.
    for (const char* mark : {"ROVEZOR", "JA ENTREGUE"}) {
        SCOPED_TRACE(mark);
        cycle::CentralDeAlertas fresh;
        fresh.Pedidos({Order(1)}, false, start);
        fresh.Pedidos({Order(1, mark)}, false, start + 10s);
        EXPECT_THAT(fresh.Devidas(start + 10min), IsEmpty());
        EXPECT_EQ(fresh.Estado(), EstadoDosAlertas::Normal);
    }
    // Gone from the list: ends too.
    List({}, false, 121s);
    EXPECT_THAT(DueAt(10min), IsEmpty());
}

TEST_F(AlertasTest, AnOrderTheFeeCeilingHoldsIsToldWithItsFeeUntilItIsHandledOrSeen) {
    const std::map<std::string, std::string> held{{"9001", "21.9"}, {"9002", "38"}};
    central.Pedidos({Order(1), Order(2, "ROVEZOR"), Order(3)}, true, start, held);
    const auto due = central.Devidas(start);
    ASSERT_EQ(due.size(), 1u) << "only the held order that is still pending";
    EXPECT_EQ(due[0].tipo, Alerta::PedidoRetido);
    EXPECT_THAT(due[0].texto, HasSubstr("9001"));
    EXPECT_THAT(due[0].texto, HasSubstr("R$ 21,90"));
    EXPECT_THAT(DueAt(60s), ElementsAre(Alerta::PedidoRetido));

    central.Pedidos({Order(1, "ROVEZOR")}, true, start + 61s, held); // requested by hand
    EXPECT_THAT(DueAt(10min), IsEmpty());

    cycle::CentralDeAlertas seen;
    seen.Pedidos({Order(1)}, true, start, held);
    seen.Olhou();
    seen.Pedidos({Order(1)}, true, start + 2s, held); // still held: not told again
    EXPECT_TRUE(seen.Devidas(start + 10min).empty());
}

TEST_F(AlertasTest, ANewOrderAlertEndsWhenTheOperatorLooksAndDoesNotComeBackForThatOrder) {
    List({Order(1)}, false, 0s);
    EXPECT_THAT(DueAt(0s), ElementsAre(Alerta::PedidoNovo));
    central.Olhou();
    List({Order(1)}, false, 30s);
    EXPECT_THAT(DueAt(5min), IsEmpty());
    // A later order still gets its own.
    List({Order(1), Order(2)}, false, 6min);
    EXPECT_THAT(DueAt(6min), ElementsAre(Alerta::PedidoNovo));
}

TEST_F(AlertasTest, NoNewOrderAlertForOrdersLeftToAutomaticScheduling) {
    List({Order(1)}, true, 0s);
    EXPECT_THAT(DueAt(0s), IsEmpty());
    // Switched on while one was open: scheduling takes the order, the alert ends.
    List({Order(2)}, false, 1s);
    List({Order(2)}, true, 2s);
    EXPECT_THAT(DueAt(5min), IsEmpty());
    EXPECT_EQ(central.Estado(), EstadoDosAlertas::Normal);
}

TEST_F(AlertasTest, WhatEachAutomaticRequestOutcomeOpens) {
    struct Case {
        RequestOutcome outcome;
        std::vector<Alerta> opens;
        const char* says; // in the text, when an alert opens
    };
    const Case cases[] = {
        {RequestOutcome::Accepted, {}, ""},
        {RequestOutcome::NotClaimed, {}, ""},
        {RequestOutcome::Abandoned, {}, ""},
        {RequestOutcome::Refused, {Alerta::SolicitacaoFalhou}, "falhou: Fora da área."},
        {RequestOutcome::Unanswered, {Alerta::SolicitacaoSemResposta}, "página de gestão de pedidos"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.outcome));
        cycle::CentralDeAlertas fresh;
        fresh.Solicitacao(7, "9007", c.outcome, "Fora da área", start);
        const auto due = fresh.Devidas(start);
        std::vector<Alerta> kinds;
        for (const auto& alerta : due) {
            kinds.push_back(alerta.tipo);
            EXPECT_THAT(alerta.texto, HasSubstr("9007"));
            EXPECT_THAT(alerta.texto, HasSubstr(c.says));
        }
        EXPECT_EQ(kinds, c.opens);
    }
}

TEST_F(AlertasTest, AFailedRequestRepeatsThroughALookUntilTheOrderIsHandled) {
    List({Order(7, "ERRO ROVEZOR")}, true, 0s);
    central.Solicitacao(7, "9007", RequestOutcome::Refused, "Fora da área", start);
    EXPECT_THAT(DueAt(0s), ElementsAre(Alerta::SolicitacaoFalhou));
    central.Olhou();
    List({Order(7, "ERRO ROVEZOR")}, true, 30s);
    EXPECT_THAT(DueAt(60s), ElementsAre(Alerta::SolicitacaoFalhou));
    EXPECT_EQ(central.Estado(), EstadoDosAlertas::Atencao);
    // The operator requested it through the dialog.
    List({Order(7, "ROVEZOR")}, false, 61s);
    EXPECT_THAT(DueAt(10min), IsEmpty());
}

TEST_F(AlertasTest, AnUnansweredRequestRepeatsUntilTheOperatorLooks) {
    List({Order(7, "ERRO ROVEZOR")}, true, 0s);
    central.Solicitacao(7, "9007", RequestOutcome::Unanswered, "Read timed out", start);
    EXPECT_THAT(DueAt(0s), ElementsAre(Alerta::SolicitacaoSemResposta));
    EXPECT_THAT(DueAt(60s), ElementsAre(Alerta::SolicitacaoSemResposta));
    central.Olhou();
    EXPECT_THAT(DueAt(10min), IsEmpty());
}

TEST_F(AlertasTest, TheSyncAlertComesAtTheThirdFailedPassInARowAndOnceMoreWhenItRecovers) {
    const auto pass = [&](Sincronizacao result, std::chrono::seconds at) {
        central.Sincronizou(result,
                            result == Sincronizacao::Falhou ? "Sem Conexão - Verifique sua Internet! ,x" : "",
                            start + at);
        return DueAt(at);
    };
    EXPECT_THAT(pass(Sincronizacao::Falhou, 0s), IsEmpty());
    EXPECT_THAT(pass(Sincronizacao::Falhou, 30s), IsEmpty());
    EXPECT_THAT(pass(Sincronizacao::Conectada, 60s), IsEmpty()); // the run is broken
    EXPECT_THAT(pass(Sincronizacao::Falhou, 90s), IsEmpty());
    EXPECT_THAT(pass(Sincronizacao::Falhou, 120s), IsEmpty());
    EXPECT_THAT(pass(Sincronizacao::SemConta, 150s), IsEmpty()); // no account tried: neither way
    central.Sincronizou(Sincronizacao::Falhou, "Sem Conexão - Verifique sua Internet! ,x", start + 180s);
    const auto failing = central.Devidas(start + 180s);
    ASSERT_EQ(failing.size(), 1u);
    EXPECT_EQ(failing[0].tipo, Alerta::SincronizacaoFalhando);
    EXPECT_THAT(failing[0].texto, HasSubstr("Sem Conexão"));
    EXPECT_EQ(central.Estado(), EstadoDosAlertas::SincronizacaoFalhando);
    EXPECT_THAT(pass(Sincronizacao::Falhou, 210s), IsEmpty()); // told once, the icon keeps telling
    EXPECT_THAT(DueAt(10min), IsEmpty());

    EXPECT_THAT(pass(Sincronizacao::Conectada, 11min), ElementsAre(Alerta::SincronizacaoVoltou));
    EXPECT_EQ(central.Estado(), EstadoDosAlertas::Normal);
    EXPECT_THAT(pass(Sincronizacao::Conectada, 12min), IsEmpty());
}

TEST_F(AlertasTest, APauseHoldsEveryAlertForItsTimeAndTheyComeAfterIt) {
    List({Order(1)}, false, 0s);
    central.Pausa(start + 15min);
    EXPECT_THAT(DueAt(0s), IsEmpty());
    EXPECT_THAT(DueAt(14min), IsEmpty());
    EXPECT_THAT(DueAt(15min), ElementsAre(Alerta::PedidoNovo));
}

} // namespace
} // namespace brisko::test
