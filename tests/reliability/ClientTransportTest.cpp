// How each client talks, as built (not as a test sets it): TLS 1.2 and nothing else, its own
// time-outs, its redirect rule, its body limits. CertificateTest shows a server offering nothing
// newer than TLS 1.1 refused by both.
#include "CycleFixture.h"
#include "DispatchCall.h"
#include "MarketplaceRequest.h"
#include "ResultText.h"
#include "UAiqfome.h"

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

TEST(ClientSettings, EachClientAsBuiltOffersTls12OnlyWithItsOwnTimeOutsRedirectsAndLimits) {
    const net::TlsRange tls12{net::Tls::v1_2, net::Tls::v1_2};
    struct Operation {
        const char* name;
        std::string method;
        std::chrono::milliseconds timeout;
    };
    const Operation operations[] = {
        {"LoginEmpresa", "GET", dispatch::kLoginTimeout},
        {"EstimarEntrega", "GET", dispatch::kEstimateTimeout},
        {"AbrirEntrega", "POST", dispatch::kOpeningTimeout},
    };
    for (const Operation& operation : operations) {
        SCOPED_TRACE(operation.name);
        const dispatch::DispatchRequest request{operation.method, "/api/integracao/x", {}, "k", "e", "s",
                                                operation.timeout};
        const net::HttpRequest http = dispatch::DispatchHttpRequest(request, dispatch::Endpoint{});
        EXPECT_EQ(http.tls.lowest, tls12.lowest);
        EXPECT_EQ(http.tls.highest, tls12.highest);
        EXPECT_EQ(http.connectTimeout, operation.timeout);
        EXPECT_EQ(http.readTimeout, operation.timeout);
        EXPECT_EQ(http.redirects, net::Redirects::SameOrigin);
        EXPECT_EQ(http.maxBody, std::size_t{8} << 20);
        EXPECT_EQ(http.url.rfind("https://", 0), 0u) << http.url;
    }
    EXPECT_EQ(dispatch::kLoginTimeout, 10s);
    EXPECT_EQ(dispatch::kEstimateTimeout, 10s);
    EXPECT_EQ(dispatch::kOpeningTimeout, 25s);

    TempFolder folder;
    FreshDatabase(folder / "BANCO.db");
    store::Database db(folder / "BANCO.db");
    const marketplace::Context context{db};
    for (const marketplace::AnswerLimits limits :
         {marketplace::kDocumentLimits, marketplace::kSearchLimits}) {
        const net::HttpRequest http =
            marketplace::MarketplaceHttpRequest(context, "GET", "/alfredo/orders/1", limits.maxBody);
        EXPECT_EQ(http.tls.lowest, tls12.lowest);
        EXPECT_EQ(http.tls.highest, tls12.highest);
        EXPECT_EQ(http.connectTimeout, 10s);
        EXPECT_EQ(http.readTimeout, 10s);
        EXPECT_EQ(http.redirects, net::Redirects::Returned);
        EXPECT_EQ(http.url.rfind("https://", 0), 0u) << http.url;
    }
    EXPECT_EQ(marketplace::kDocumentLimits.maxBody, std::size_t{8} << 20);
    EXPECT_EQ(marketplace::kSearchLimits.maxBody, std::size_t{32} << 20);
}

} // namespace
} // namespace brisko::test
