// Redirects that would carry the platform's API key and the store's credentials elsewhere: only a
// redirect to the same scheme, host and port is followed, and a POST only when it stays a POST.
// Anything else is the generic text, and nothing arrives where the redirect pointed.
#include "CycleFixture.h"
#include "ResultText.h"
#include "UAiqfome.h"

namespace brisko::test {
namespace {

using ::testing::AllOf;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::Matcher;
using ::testing::StartsWith;

constexpr const char* kLoginPath = "/api/integracao/empresa";

class Redirects : public CycleTest {
protected:
    std::string Login() {
        return dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", "demo123", false, db,
                                      services.dispatch);
    }
    std::string Open(const std::string& document) {
        return dispatch::AbrirEntrega(services.dispatchApiKey, "loja@demo.com", "demo123", document,
                                      services.dispatch);
    }
    static sim::Answer MovedTo(int status, const std::string& location) {
        return sim::Answer().WithStatus(status).WithHeader("Location", location).WithBody("moved");
    }
    std::string PlatformOrigin(const std::string& host) const {
        return "https://" + host + ":" + std::to_string(platform.Port());
    }
    // The platform's own host name, and another name of the same machine (a Windows build under
    // the emulator reaches its simulators as localhost, others as 127.0.0.1).
    std::string PlatformHost() const {
        return platform.BaseUrl().starts_with("https://localhost:") ? "localhost" : "127.0.0.1";
    }
    std::string OtherHost() const { return PlatformHost() == "localhost" ? "127.0.0.1" : "localhost"; }

    sim::SimServer elsewhere; // another port of the same machine, with a certificate we trust
};

TEST_F(Redirects, ToAnotherPortHostOrSchemeNothingArrivesThereAndTheTextIsGeneric) {
    ASSERT_TRUE(elsewhere.Start());
    const Matcher<std::string> refused =
        AllOf(StartsWith(net::GenericFailure("")), HasSubstr("another scheme, host or port"));
    struct Case {
        const char* name;
        std::string location;
    };
    const Case cases[] = {
        {"another port", elsewhere.BaseUrl() + kLoginPath},
        // The same server under another name: were it followed, it would arrive right here.
        {"another host", PlatformOrigin(OtherHost()) + kLoginPath},
        {"plain http", "http://127.0.0.1:" + std::to_string(platform.Port()) + kLoginPath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.ClearRequests();
        platform.Script("GET", kLoginPath, MovedTo(302, c.location));
        EXPECT_THAT(Login(), refused);
        EXPECT_EQ(platform.Requests().size(), 1u);
    }
    platform.Script("POST", kOpenPath, MovedTo(307, elsewhere.BaseUrl() + kOpenPath));
    EXPECT_THAT(Open("{\"id_externo\":\"1\"}"), refused);
    // Neither the API key nor the store's credentials, nor the document, reached the other server.
    EXPECT_TRUE(elsewhere.Requests().empty());
}

TEST_F(Redirects, ToTheSameOriginTheCallGoesOnAsSent) {
    platform.Script("GET", kLoginPath, MovedTo(302, std::string(kLoginPath) + "?de=novo"));
    EXPECT_EQ(Login(), "TRUE");
    ASSERT_EQ(platform.Requests().size(), 2u);
    const sim::RecordedRequest followed = platform.Requests()[1];
    EXPECT_EQ(followed.target, std::string(kLoginPath) + "?de=novo");
    EXPECT_EQ(followed.Header("api-key"), services.dispatchApiKey);
    EXPECT_EQ(sim::BasicCredentials(followed),
              std::make_pair(std::string("loja@demo.com"), std::string("demo123")));

    // 307 and 308 keep the method and the document.
    for (const int status : {307, 308}) {
        SCOPED_TRACE(status);
        platform.ClearRequests();
        platform.Script("POST", kOpenPath,
                        MovedTo(status, PlatformOrigin(PlatformHost()) + kOpenPath + "?de=novo"));
        Open("{\"id_externo\":\"9\"}");
        ASSERT_EQ(platform.Requests().size(), 2u);
        EXPECT_EQ(platform.Requests()[1].method, "POST");
        EXPECT_EQ(platform.Requests()[1].body, "{\"id_externo\":\"9\"}");
    }
}

TEST_F(Redirects, APostThatWouldBecomeAGetIsNotFollowedAndNotSentTwice) {
    // A 303 after a POST may mean the platform took the request: following it as a GET would lose
    // the document, and sending it again could ask for a second courier.
    for (const int status : {301, 302, 303}) {
        SCOPED_TRACE(status);
        platform.ClearRequests();
        platform.Script("POST", kOpenPath, MovedTo(status, kOpenPath));
        EXPECT_THAT(Open("{\"id_externo\":\"9\"}"),
                    AllOf(StartsWith(net::GenericFailure("")), HasSubstr("into a GET")));
        EXPECT_EQ(platform.Requests().size(), 1u);
    }
}

TEST_F(Redirects, TheMarketplaceFollowsNoneItsAnswerIsTheRedirect) {
    const long long account = AddAccount(kMarketLogin, kMarketPassword);
    market.Script("POST", "/alfredo/auth/token", MovedTo(307, "/alfredo/auth/token"));
    const marketplace::Context context{db, services.marketplace, services.integrator, {}};
    EXPECT_THAT(marketplace::ConectaAiqfome(context, std::to_string(account), kMarketLogin, kMarketPassword),
                Eq("moved"));
    EXPECT_EQ(market.Requests().size(), 1u);
}

} // namespace
} // namespace brisko::test
