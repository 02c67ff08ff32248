// Signing in to the marketplace: the token request on the wire, the token stored, the result texts.
#include "MarketplaceFixture.h"

#include "BuildConstants.h"

namespace brisko::test {
namespace {

using sim::Answer;

class ConectaAiqfome : public MarketplaceTest {
protected:
    std::string Connect(const std::string& id) {
        return marketplace::ConectaAiqfome(Context(), id, kLogin, kPassword);
    }
    std::string Connect() { return Connect(std::to_string(accountId)); }

    store::ConfigDelivery Account() { return store::LeConfigDelivery(db).at(0); }

    // A previous token whose expiry still lies in the future.
    void StoreOldToken() {
        store::GravaTokenConfigDelivery(db, accountId, "old-token", AddSeconds(LocalNow(), 7200));
        oldValidade = Account().VALIDADE;
    }

    std::string oldValidade;
};

TEST_F(ConectaAiqfome, SendsTheTokenRequestByteForByteWithBasicThereAndBearerAfter) {
    simulator.AddAccount("lo\"ja\\", "se nha\t");
    simulator.AddOrder("lo\"ja\\", sim::MarketplaceSimulator::SampleOrder("501", std::chrono::minutes(5)));
    ASSERT_EQ(marketplace::ConectaAiqfome(Context(), std::to_string(accountId), "lo\"ja\\", "se nha\t"),
              "TRUE");

    const auto requests = simulator.Requests();
    ASSERT_EQ(requests.size(), 3u); // token, search, detail
    const sim::RecordedRequest& token = requests[0];
    EXPECT_EQ(token.method, "POST");
    EXPECT_EQ(token.target, "/alfredo/auth/token");
    // Two blanks first, one blank on each side of each colon, no other whitespace.
    EXPECT_EQ(token.body, R"(  {"username" : "lo\"ja\\","password" : "se nha\t"})");
    EXPECT_EQ(sim::BasicCredentials(token), std::make_pair(std::string(build::kMarketplaceClientUser),
                                                           std::string(build::kMarketplaceClientKey)));
    for (const sim::RecordedRequest& request : requests) {
        SCOPED_TRACE(request.target);
        EXPECT_EQ(request.Header("Accept"), "application/json");
        EXPECT_EQ(request.Header("Content-Type"), "application/json; charset=utf-8");
        EXPECT_EQ(request.Header("Connection"), "Keep-Alive");
        EXPECT_EQ(request.Header("Aiq-User-Agent"), build::kMarketplaceContactEmail);
    }
    const std::string bearer = "Bearer " + Account().TOKEN;
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].Header("Authorization"), bearer);
    EXPECT_EQ(requests[2].target, "/alfredo/orders/501");
    EXPECT_EQ(requests[2].Header("Authorization"), bearer);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Verificando token", "Verificando pedidos",
                                                  "Verificando pedido 501"}));
}

TEST_F(ConectaAiqfome, StoresTheTokenWithAnExpiryOfExpiresInSecondsFromNowAsNumberOrString) {
    for (const std::string literal : {"3600", "\"3600\""}) {
        SCOPED_TRACE(literal);
        StoreOldToken(); // a token still valid does not spare the sign-in
        simulator.SetExpiresIn(literal);
        const std::string earliest = FormatIsoDateTimeMs(AddSeconds(LocalNow(), 3600));
        ASSERT_EQ(Connect(), "TRUE");
        const std::string latest = FormatIsoDateTimeMs(AddSeconds(LocalNow(), 3600));

        const store::ConfigDelivery account = Account();
        EXPECT_NE(account.TOKEN, "old-token");
        EXPECT_EQ(account.TOKEN.rfind("aiq_", 0), 0u) << account.TOKEN;
        EXPECT_GE(account.VALIDADE, earliest);
        EXPECT_LE(account.VALIDADE, latest);
    }
}

TEST_F(ConectaAiqfome, AnExpiresInThatIsNotAWholeNumberFailsAndKeepsTheStoredToken) {
    for (const std::string literal :
         {"3600.5", "\"3600.0\"", "\"36e2\"", "null", "\"\"", "\" 3600\"", "\"+-1\"", "\"9999999999\""}) {
        SCOPED_TRACE(literal);
        StoreOldToken();
        simulator.SetExpiresIn(literal);
        EXPECT_TRUE(StartsWithGenericFailure(Connect()));
        EXPECT_EQ(Account().TOKEN, "old-token");
        EXPECT_EQ(Account().VALIDADE, oldValidade);
    }
    EXPECT_EQ(Targets(), std::vector<std::string>{}); // no search after a failed sign-in
}

TEST_F(ConectaAiqfome, AnswersThatCarryNoUsableTokenGiveTheirResultTextAndKeepTheStoredToken) {
    struct Case {
        int status;
        std::string body;
        std::string expected; // "*" for the generic failure text
    };
    const std::vector<Case> cases{
        {401, R"({"success":false,"data":{"message":"Unauthenticated."}})", "401 LOGIN"},
        {401, "", "401 LOGIN"},
        {500, "Erro interno do servidor", "Erro interno do servidor"},
        {503, R"({"success":false,"data":{"message":"Manutencao"}})",
         R"({"success":false,"data":{"message":"Manutencao"}})"},
        {500, "", ""},
        {302, "moved", "moved"},
        {200, "<html>not json</html>", "<html>not json</html>"},
        {200, "", ""},
        {200, R"(["a"])", "*"},
        {200, R"({"success":true})", "*"},
        {200, R"({"data":{"expires_in":3600}})", "*"},
        {200, R"({"data":{"access_token":"t"}})", "*"},
        {200, R"({"data":"t"})", "*"},
    };
    StoreOldToken();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        simulator.Script("POST", "/alfredo/auth/token", Answer().WithStatus(c.status).WithBody(c.body));
        const std::string result = Connect();
        if (c.expected == "*") {
            EXPECT_TRUE(StartsWithGenericFailure(result)) << result;
        } else {
            EXPECT_EQ(result, c.expected);
        }
        EXPECT_EQ(Account().TOKEN, "old-token");
        EXPECT_EQ(Account().VALIDADE, oldValidade);
    }
    EXPECT_EQ(Targets(), std::vector<std::string>{});
}

TEST_F(ConectaAiqfome, WrongStoreOrIntegratorCredentialsGive401Login) {
    EXPECT_EQ(marketplace::ConectaAiqfome(Context(), std::to_string(accountId), kLogin, "errada"),
              "401 LOGIN");
    marketplace::Context wrongIntegrator = Context();
    wrongIntegrator.integrator.clientKey = "not-the-key";
    EXPECT_EQ(marketplace::ConectaAiqfome(wrongIntegrator, std::to_string(accountId), kLogin, kPassword),
              "401 LOGIN");
}

TEST_F(ConectaAiqfome, AnIdMatchingNoRowUpdatesNothingAndStillSearches) {
    StoreOldToken();
    EXPECT_EQ(Connect(std::to_string(accountId + 1)), "TRUE");
    EXPECT_EQ(Account().TOKEN, "old-token");
    EXPECT_EQ(Targets().size(), 1u);
}

TEST_F(ConectaAiqfome, AStorageFailureGivesTheBareMessage) {
    StoreOldToken();
    const std::string notANumber = Connect("1x");
    EXPECT_EQ(notANumber, "'1x' is not a valid integer value");

    db.Execute("DROP TABLE CONFIGDELIVERY");
    const std::string noTable = Connect();
    EXPECT_FALSE(StartsWithGenericFailure(noTable));
    EXPECT_NE(noTable.find("CONFIGDELIVERY"), std::string::npos) << noTable;
    EXPECT_EQ(Targets(), std::vector<std::string>{}); // the search never ran
}

TEST_F(ConectaAiqfome, NoAnswerGivesTheGenericTextAfterTheStatusText) {
    marketplace::Context context = Context();
    simulator.Stop();
    const std::string result =
        marketplace::ConectaAiqfome(context, std::to_string(accountId), kLogin, kPassword);
    EXPECT_TRUE(StartsWithGenericFailure(result)) << result;
    EXPECT_GT(result.size(), std::string("Sem Conexão - Verifique sua Internet! ,").size());
    EXPECT_EQ(statuses, std::vector<std::string>{"Verificando token"});
}

TEST_F(ConectaAiqfome, ASearchThatFailsGivesItsOwnText) {
    simulator.Script("GET", "/alfredo/orders/search", Answer().WithStatus(500).WithBody("busca fora do ar"));
    StoreOldToken();
    EXPECT_EQ(Connect(), "busca fora do ar");
    EXPECT_NE(Account().TOKEN, "old-token"); // the token was stored before the search
}

} // namespace
} // namespace brisko::test
