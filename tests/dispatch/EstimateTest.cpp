// Delivery estimate: what it stores on the order, and the order left alone when it fails.
#include "DispatchFixture.h"

namespace brisko::dispatch {
namespace {

struct Estimate {
    std::string taxa, latitude, longitude;
    friend bool operator==(const Estimate&, const Estimate&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Estimate& e) {
        return out << '{' << e.taxa << ", " << e.latitude << ", " << e.longitude << '}';
    }
};

class EstimateTest : public DispatchTest {
protected:
    void SetUp() override {
        DispatchTest::SetUp();
        orderId = test::InsertOrderAt(db, {"4711", std::nullopt}, "");
        store::GravaEstimativa(db, orderId, "9.99", "-1", "-2");
        query = {"Avenida Paulista, 1578",
                 "Bela Vista",
                 "São Paulo",
                 "SP",
                 "-23.561414",
                 "-46.655881",
                 "Rua Augusta 500",
                 "Consolação",
                 "São Paulo",
                 "SP",
                 "-23.5534",
                 "-46.6528",
                 "",
                 "Moto",
                 false};
    }

    std::string Estimar() {
        return EstimarEntrega(kApiKey, kLojaEmail, kDemoPassword, query, std::to_string(orderId), db,
                              endpoint);
    }

    Estimate Stored() {
        const auto pedido = store::PedidoPorId(db, orderId);
        return pedido ? Estimate{pedido->TAXAENTREGA, pedido->LATITUDEMCH, pedido->LONGITUDEMCH} : Estimate{};
    }

    long long orderId = 0;
    EstimateQuery query;
    const Estimate earlier{"9.99", "-1", "-2"};
};

TEST_F(EstimateTest, StoresThePlatformsPriceAndPlaceOnTheOrder) {
    ASSERT_EQ(Estimar(), "TRUE");
    const Estimate stored = Stored();
    EXPECT_EQ(stored.latitude, "-23.5534");
    EXPECT_EQ(stored.longitude, "-46.6528");
    EXPECT_NE(stored.taxa, earlier.taxa);
    EXPECT_FALSE(stored.taxa.empty());
}

TEST_F(EstimateTest, ReadsEachValueAsItCame) {
    struct Case {
        std::string response;
        Estimate stored;
    };
    const Case cases[] = {
        {R"({"estimativa_valor":11.5,"desejado":{"lat":"-23.1","lng":-46.20}})", {"11.5", "-23.1", "-46.20"}},
        {R"({"estimativa_valor":"11,50","desejado":{"lat":null,"lng":"x"}})", {"11,50", "", "x"}},
        {R"({"estimativa_valor":null,"desejado":{"lat":1,"lng":2}})", {"null", "1", "2"}},
        {R"({"estimativa_valor":{},"desejado":{"lat":1,"lng":2}})", {"", "1", "2"}},
    };
    for (const Case& c : cases) {
        std::string body = R"({"response":)";
        body += c.response;
        body += '}';
        platform.Script("GET", "/api/integracao/estimarEntrega", JsonAnswer(200, body));
        EXPECT_EQ(Estimar(), "TRUE") << c.response;
        EXPECT_EQ(Stored(), c.stored) << c.response;
    }
}

TEST_F(EstimateTest, AFaultyAnswerLeavesTheOrderAsItWas) {
    const std::string faulty[] = {
        R"({"response":{"estimativa_valor":11.5}})",
        R"({"response":{"estimativa_valor":11.5,"desejado":"centro"}})",
        R"({"response":{"estimativa_valor":11.5,"desejado":{"lat":{},"lng":"1"}}})",
        R"({"response":{"estimativa_valor":11.5,"desejado":{"lat":"1","lng":[]}}})",
        R"({"response":{"estimativa_valor":11.5,"desejado":{"lat":"1"}}})",
        R"({"response":{"desejado":{"lat":"1","lng":"2"}}})",
        R"({"resposta":{}})",
    };
    for (const std::string& body : faulty) {
        platform.Script("GET", "/api/integracao/estimarEntrega", JsonAnswer(200, body));
        EXPECT_THAT(Estimar(), IsGenericFailure()) << body;
        EXPECT_EQ(Stored(), earlier) << body;
    }
    platform.Script("GET", "/api/integracao/estimarEntrega",
                    JsonAnswer(200, "preço: 11.5").WithContentType("text/plain"));
    EXPECT_EQ(Estimar(), "200");
    EXPECT_EQ(Stored(), earlier);
}

TEST_F(EstimateTest, AnObjectOrArrayCoordinateNamesTheRefusedConversion) {
    platform.Script(
        "GET", "/api/integracao/estimarEntrega",
        JsonAnswer(200, R"({"response":{"estimativa_valor":1,"desejado":{"lat":[],"lng":"1"}}})"));
    EXPECT_EQ(Estimar(), net::GenericFailure("Conversion from array to string is not supported"));
}

TEST_F(EstimateTest, AnOrderIdThatIsNoWholeNumberIsAGenericFailure) {
    for (const std::string id : {"", "12a", "1.0", " 1", "99999999999999999999"}) {
        EXPECT_THAT(EstimarEntrega(kApiKey, kLojaEmail, kDemoPassword, query, id, db, endpoint),
                    IsGenericFailure())
            << id;
    }
    EXPECT_EQ(Stored(), earlier);
}

TEST_F(EstimateTest, ThePlatformsRefusalIsShown) {
    query.categoriaNome = "Caminhão";
    EXPECT_EQ(Estimar(), "Categoria não encontrada: Caminhão\r\n");
    EXPECT_EQ(Stored(), earlier);
}

} // namespace
} // namespace brisko::dispatch
