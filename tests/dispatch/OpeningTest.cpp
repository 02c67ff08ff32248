// Delivery opening: the platform's acceptance or its reasons, and a whole request from sign-in on.
#include "DispatchFixture.h"

#include "DeliveryRequest.h"
#include "Http.h"

namespace brisko::dispatch {
namespace {

using ::testing::HasSubstr;

class OpeningTest : public DispatchTest {
protected:
    std::string Abrir(const std::string& document, const std::string& email = kLojaEmail) {
        return AbrirEntrega(kApiKey, email, kDemoPassword, document, endpoint);
    }

    // The document for order 4711 from the store's row that the last login wrote.
    std::string DocumentFor(const courier::DeliveryOptions& options) {
        const auto empresa = store::LeEmpresa(db);
        EXPECT_TRUE(empresa);
        const courier::StoreForRequest loja{empresa->IDROVEZOR, empresa->ENDERECO, empresa->BAIRRO,
                                            empresa->CIDADE,    empresa->UF,       empresa->LAT,
                                            empresa->LNG};
        const courier::OrderForRequest order{
            "4711", "Ana <b>Lima</b>", "(11) 99999-0000", "Rua Augusta, 500", "-23.5534", "-46.6528"};
        const courier::PickupTimeTexts pickup{"31/12/2024", "15:05"};
        return courier::BuildDeliveryRequest(options, pickup, loja, order);
    }
};

TEST_F(OpeningTest, TheAnswerBecomesTheResultText) {
    struct Case {
        std::string response;
        std::string expected;
    };
    const Case cases[] = {
        {R"({"id_mch":123})", "TRUE"},
        {R"({"id_mch":null})", "TRUE"},
        {R"({"erros":["ignored"],"id_mch":"abc"})", "TRUE"},
        {R"({"erros":["A","B"]})", " - A - B"},
        {R"({"erros":["A",7,null,{"x":1}]})", " - A - 7 - null - "},
        {R"({"erros":[]})", ""},
    };
    for (const Case& c : cases) {
        std::string body = R"({"response":)";
        body += c.response;
        body += '}';
        platform.Script("POST", "/api/integracao/abrirEntrega", JsonAnswer(200, body));
        EXPECT_EQ(Abrir("{}"), c.expected) << c.response;
    }
    for (const std::string body : {R"({"response":{}})", R"({"response":{"erros":"A"}})", R"({"id_mch":1})",
                                   R"({"response":[{"id_mch":1}]})"}) {
        platform.Script("POST", "/api/integracao/abrirEntrega", JsonAnswer(200, body));
        EXPECT_THAT(Abrir("{}"), IsGenericFailure()) << body;
    }
}

TEST_F(OpeningTest, WhatBecameOfTheRequestTellsWhetherACourierMayCome) {
    using namespace std::chrono_literals;
    struct Case {
        const char* what;
        sim::Answer answer;
        OpeningOutcome outcome;
    };
    const Case cases[] = {
        {"accepted", JsonAnswer(200, R"({"response":{"id_mch":1}})"), OpeningOutcome::Accepted},
        {"reasons", JsonAnswer(200, R"({"response":{"erros":["Fora da área"]}})"), OpeningOutcome::Refused},
        {"no reasons at all", JsonAnswer(200, R"({"response":{"erros":[]}})"), OpeningOutcome::Refused},
        {"a 401", JsonAnswer(401, R"({"errors":[{"message":"Senha"}]})"), OpeningOutcome::Refused},
        {"a 422", JsonAnswer(422, R"({"errors":[{"message":"Inválido"}]})"), OpeningOutcome::Refused},
        {"a 500", JsonAnswer(500, "{}"), OpeningOutcome::Unanswered},
        {"a 504 from a gateway", JsonAnswer(504, "Gateway Timeout"), OpeningOutcome::Unanswered},
        {"a 200 without its members", JsonAnswer(200, R"({"response":{}})"), OpeningOutcome::Unanswered},
        {"a 200 that is no JSON", JsonAnswer(200, "ok"), OpeningOutcome::Unanswered},
        {"a 201", JsonAnswer(201, R"({"response":{"erros":["A"]}})"), OpeningOutcome::Unanswered},
        {"dropped mid-answer", sim::Answer().WithBody(R"({"response":)").DroppedAfterHeaders(),
         OpeningOutcome::Unanswered},
        {"no answer in time", sim::Answer().WithDelay(3s).WithBody("{}"), OpeningOutcome::Unanswered},
    };
    for (const Case& c : cases) {
        platform.Script("POST", "/api/integracao/abrirEntrega", c.answer);
        // A short read time-out for the answer that is held back; the others have time to spare.
        Endpoint waits = endpoint;
        waits.readTimeout = c.answer.delay.count() > 0 ? 1s : 10s;
        const OpeningAnswer answer = AbrirEntregaComDesfecho(kApiKey, kLojaEmail, kDemoPassword, "{}", waits);
        EXPECT_EQ(answer.outcome, c.outcome) << c.what << ": " << answer.text;
    }

    // Nobody listens: the request never left.
    platform.Stop();
    EXPECT_EQ(AbrirEntregaComDesfecho(kApiKey, kLojaEmail, kDemoPassword, "{}", endpoint).outcome,
              OpeningOutcome::NotSent);
}

TEST_F(OpeningTest, AnAcceptedRequestIsListedOnTheManagementPage) {
    ASSERT_EQ(LoginLoja(), "TRUE");
    ASSERT_EQ(Abrir(DocumentFor({"X", true, "Bike", 30})), "TRUE");

    const auto deliveries = platform.Deliveries();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].idExterno, "aiqfome 4711");
    EXPECT_EQ(deliveries[0].cliente, "Ana <b>Lima</b>");
    EXPECT_EQ(deliveries[0].categoria, "Bike");
    EXPECT_EQ(deliveries[0].pagamento, "X");
    EXPECT_EQ(deliveries[0].data, "31/12/2024");

    net::HttpRequest page;
    page.url = platform.BaseUrl() + "/solicitacao/gestaoPedido";
    page.extraCaFile = sim::TestCaFile().string();
    const net::HttpOutcome outcome = net::Perform(page);
    ASSERT_TRUE(outcome.response) << outcome.failure;
    EXPECT_EQ(outcome.response->status, 200);
    EXPECT_THAT(outcome.response->body, HasSubstr("aiqfome 4711"));
    EXPECT_THAT(outcome.response->body, HasSubstr("Ana &lt;b&gt;Lima&lt;/b&gt;")); // shown, not obeyed
}

TEST_F(OpeningTest, ThePlatformTurnsDownWhatTheStoreCannotServe) {
    ASSERT_EQ(LoginLoja(), "TRUE");
    EXPECT_EQ(Abrir(DocumentFor({"H", false, "Moto", 5})),
              " - Forma de pagamento não aceita pela empresa: H");
    EXPECT_EQ(Abrir(DocumentFor({"F", false, "Carroça", 5})), " - Categoria não encontrada: Carroça");
    EXPECT_EQ(Abrir(R"({"forma_pagamento":"F",)"), " - Documento da solicitação inválido (JSON mal formado)");

    // A store whose payment codes the program does not know can have nothing delivered.
    ASSERT_EQ(LoginEmpresa(kApiKey, "semcodigo@demo.com", kDemoPassword, false, db, endpoint), "TRUE");
    EXPECT_EQ(store::LeEmpresa(db)->TIPOSPAGAMENTOS, "[Z] [7] ");
    EXPECT_EQ(Abrir(DocumentFor({"F", false, "Moto", 5}), "semcodigo@demo.com"),
              " - Forma de pagamento não aceita pela empresa: F");
    EXPECT_TRUE(platform.Deliveries().empty());
}

} // namespace
} // namespace brisko::dispatch
