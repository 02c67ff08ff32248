// Hostile strings from both services (quotes, backslashes, NUL, CR/LF, right-to-left override,
// HTML, invalid UTF-8, 1 MB fields): stored byte-exact, or as the marketplace's ASCII reduction
// makes them; every request document stays valid JSON; nothing adds a header line.
#include "CycleFixture.h"
#include "ResultText.h"
#include "UAiqfome.h"

#include "BodyText.h"
#include "BracketList.h"
#include "Json.h"
#include "JsonWriter.h"

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using ::testing::IsEmpty;
using ::testing::Optional;

struct Hostile {
    std::string name;
    std::string text;
    bool validUtf8 = true;
};

const std::vector<Hostile>& HostileTexts() {
    static const std::vector<Hostile> texts = {
        {"quotes", "Jo\"ao \"o Rei\" d'Ajuda"},
        {"backslashes", R"(C:\pasta\n\\ \u0041 \")"},
        {"NUL", std::string("antes\0depois", 12)},
        {"CR LF", "linha\r\nX-Injected: 1\r\n\r\nfim"},
        {"right-to-left override", "Rua \u202Egnp.exe"},
        {"HTML", "<b>Loja</b><script>alert('x')</script><img src=x onerror=y>"},
        {"1 MB", std::string(std::size_t{1} << 20, 'm')},
        {"invalid UTF-8", "a\xC3\x28 b\xFF\xFE c\xED\xA0\x80 d\xC3", false},
    };
    return texts;
}

// A JSON string literal of text: escaped as JSON requires, but invalid UTF-8 bytes go out raw.
std::string WireString(const Hostile& h) {
    return h.validUtf8 ? net::JsonString(h.text) : "\"" + h.text + "\"";
}

class HostileStrings : public CycleTest {
protected:
    // The store record as the platform would send it, with the hostile text in every text member.
    void ScriptStoreRecord(const Hostile& h) {
        const std::string s = WireString(h);
        platform.Script("GET", "/api/integracao/empresa",
                        sim::Answer().WithBody(R"({"response":{"id":77,"nome":)" + s + R"(,"endereco":)" + s +
                                               R"(,"bairro":)" + s + R"(,"cidade":)" + s +
                                               R"(,"uf":"SP","cep":"01000-000","lat":"-23.5","lng":"-46.6",)"
                                               R"("status_empresa":"A","telefone":)" +
                                               s +
                                               R"(,"documento":"1",)"
                                               R"("tipos_pagamento":["D"],"categorias":[{"nome":)" +
                                               s + "}]}}"));
    }

    std::string Login(const std::string& email = "loja@demo.com", const std::string& password = "demo123") {
        return dispatch::LoginEmpresa(services.dispatchApiKey, email, password, false, db, services.dispatch);
    }
};

TEST_F(HostileStrings, StoreRecordIsStoredByteExactAndEveryDocumentIsValidJson) {
    for (const Hostile& h : HostileTexts()) {
        SCOPED_TRACE(h.name);
        ScriptStoreRecord(h);
        ASSERT_EQ(Login(), "TRUE");
        // What the platform's text is once decoded: itself, or with U+FFFD for each stray byte.
        const std::string expected = net::ToValidUtf8(h.text);
        const store::Empresa empresa = *store::LeEmpresa(db);
        EXPECT_EQ(empresa.NOME, expected);
        EXPECT_EQ(empresa.ENDERECO, expected);
        EXPECT_EQ(empresa.TELEFONE, expected);
        EXPECT_EQ(empresa.CATEGORIAS, store::WriteBracketList({expected}));

        // An order holding the raw text, requested by the automatic pass with the category chosen.
        db.Execute("DELETE FROM PEDIDOS");
        store::InserePedido(db, {EngineTime(db, ""), "4711", h.text, h.text, h.text, "-23.5", "-46.6"});
        platform.ClearRequests();
        window.inputs.categoryName = h.text;
        Schedule();
        const auto sent = RequestsTo(platform, kOpenPath);
        ASSERT_EQ(sent.size(), 1u);
        const std::optional<net::JsonValue> document = net::ParseJson(sent[0].body);
        ASSERT_TRUE(document.has_value()) << "the request document is not valid JSON";
        const net::JsonValue& stop = document->ArrayAt("paradas").Items().at(0);
        EXPECT_EQ(stop.TextAt("nome_cliente_parada"), expected);
        EXPECT_EQ(stop.TextAt("endereco_parada"), expected);
        EXPECT_EQ(document->TextAt("categoria_nome"), expected);
        EXPECT_EQ(document->ObjectAt("partida").TextAt("bairro"), expected);
    }
}

TEST_F(HostileStrings, PlatformMessagesComeBackAsSent) {
    for (const Hostile& h : HostileTexts()) {
        SCOPED_TRACE(h.name);
        platform.Script(
            "GET", "/api/integracao/empresa",
            sim::Answer().WithStatus(422).WithBody(R"({"errors":[{"message":)" + WireString(h) + "}]}"));
        EXPECT_EQ(Login(), net::ToValidUtf8(h.text) + "\r\n");
    }
}

TEST_F(HostileStrings, MarketplaceTextsAreStoredAsTheAsciiReductionMakesThem) {
    const long long account = AddAccount(kMarketLogin, kMarketPassword);
    const marketplace::Context context{db, services.marketplace, services.integrator, {}};
    int next = 0;
    for (const bool escaped : {true, false}) {
        market.SetEscapeNonAscii(escaped);
        for (const Hostile& h : HostileTexts()) {
            SCOPED_TRACE(h.name + (escaped ? " (escaped)" : " (raw UTF-8)"));
            const std::string id = std::to_string(550000 + ++next);
            sim::SimOrder order = sim::MarketplaceSimulator::SampleOrder(id, 15min);
            order.userSurname = "S";
            order.userName = h.text;
            market.AddOrder(kMarketLogin, order);
            ASSERT_EQ(
                marketplace::ConectaAiqfome(context, std::to_string(account), kMarketLogin, kMarketPassword),
                "TRUE");
            store::Statement row = db.Prepare("SELECT CLIENTE FROM PEDIDOS WHERE IDPEDIDO = :ID");
            row.Bind(":ID", id);
            ASSERT_TRUE(row.Step());
            // \u escapes survive the reduction and are decoded by the parser; raw non-ASCII does not.
            // (A stray byte leaves the simulator as U+FFFD already.)
            const std::string sent = net::ToValidUtf8(h.text);
            const std::string name = escaped ? sent : net::ReduceToAscii(sent);
            EXPECT_EQ(row.Text("CLIENTE"), name + " S");
        }
    }
}

TEST_F(HostileStrings, MarketplaceErrorBodiesAreReducedToAscii) {
    const long long account = AddAccount(kMarketLogin, kMarketPassword);
    const marketplace::Context context{db, services.marketplace, services.integrator, {}};
    for (const Hostile& h : HostileTexts()) {
        SCOPED_TRACE(h.name);
        market.Script("POST", "/alfredo/auth/token", sim::Answer().WithStatus(500).WithBody(h.text));
        EXPECT_EQ(
            marketplace::ConectaAiqfome(context, std::to_string(account), kMarketLogin, kMarketPassword),
            net::ReduceToAscii(net::ToValidUtf8(h.text)));
    }
}

TEST_F(HostileStrings, OrdersDatedFarAwayAreSkippedAndTheWalkGoesOn) {
    const long long account = AddAccount(kMarketLogin, kMarketPassword);
    const marketplace::Context context{db, services.marketplace, services.integrator, {}};
    for (const char* far : {"1013-12-10 00:51:52", "0001-01-01 00:00:00", "9999-12-31 23:59:59"}) {
        sim::SimOrder order = sim::MarketplaceSimulator::SampleOrder(std::string("4400") + far[3], 0min);
        order.searchOverrides["created_at"] = sim::JsonText(far);
        market.AddOrder(kMarketLogin, order);
    }
    market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder("440099", 5min));
    EXPECT_EQ(marketplace::ConectaAiqfome(context, std::to_string(account), kMarketLogin, kMarketPassword),
              "TRUE");
    store::Statement ids = db.Prepare("SELECT group_concat(IDPEDIDO) AS IDS FROM PEDIDOS");
    ASSERT_TRUE(ids.Step());
    EXPECT_EQ(ids.Text("IDS"), "440099");
}

TEST_F(HostileStrings, NothingAddsAHeaderLine) {
    // A token with a line break is stored as it came, and the request that would carry it is refused.
    const long long account = AddAccount(kMarketLogin, kMarketPassword);
    const marketplace::Context context{db, services.marketplace, services.integrator, {}};
    market.Script(
        "POST", "/alfredo/auth/token",
        sim::Answer().WithBody(R"({"data":{"access_token":"abc\r\nX-Injected: 1","expires_in":3600}})"));
    EXPECT_EQ(
        marketplace::ConectaAiqfome(context, std::to_string(account), kMarketLogin, kMarketPassword),
        net::GenericFailure("Header Authorization holds a line break or NUL: the request was not sent"));
    EXPECT_EQ(store::LeConfigDelivery(db).at(0).TOKEN, "abc\r\nX-Injected: 1");
    EXPECT_THAT(RequestsTo(market, "/alfredo/orders/search"), IsEmpty());

    // Store credentials travel inside the Basic credentials, line breaks and all.
    platform.ClearRequests();
    // (Basic credentials cannot carry a colon in the user name, so the e-mail has none.)
    const std::string email = "loja@demo.com\r\nX-Injected 1";
    const std::string password = "demo123\r\nX-Other: 2";
    Login(email, password);
    const auto logins = RequestsTo(platform, "/api/integracao/empresa");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_THAT(sim::BasicCredentials(logins[0]), Optional(std::make_pair(email, password)));
    EXPECT_FALSE(logins[0].HasHeader("X-Injected"));
    EXPECT_FALSE(logins[0].HasHeader("X-Other"));

    // A key with a line break is refused before anything is sent.
    platform.ClearRequests();
    EXPECT_EQ(dispatch::LoginEmpresa("key\r\nX-Injected: 1", "loja@demo.com", "demo123", false, db,
                                     services.dispatch),
              net::GenericFailure("Header api-key holds a line break or NUL: the request was not sent"));
    EXPECT_THAT(platform.Requests(), IsEmpty());
}

} // namespace
} // namespace brisko::test
