// Certificates that must be refused: signed by nobody we trust, signing themselves, expired, or
// made out for another host. Both clients give the generic text and send nothing: the server
// never sees a request, so no credential left the program.
#include "CycleFixture.h"
#include "ResultText.h"
#include "UAiqfome.h"

namespace brisko::test {
namespace {

using ::testing::IsEmpty;
using ::testing::StartsWith;

sim::ServerCertificate Certificate(const std::string& name) {
    const std::filesystem::path folder = sim::TestCaFile().parent_path();
    return {folder / (name + ".pem"), folder / (name + ".key")};
}

class RefusedCertificates : public CycleTest {};

TEST_F(RefusedCertificates, AreRefusedWithTheGenericTextBeforeAnythingIsSent) {
    const long long account = AddAccount(kMarketLogin, kMarketPassword);
    for (const std::string name :
         {"unknown-ca-server", "self-signed-server", "expired-server", "wrong-host-server"}) {
        SCOPED_TRACE(name);
        sim::SimServer server({}, sim::SimOptions{Certificate(name)});
        ASSERT_TRUE(server.Start());

        marketplace::Endpoint market = services.marketplace;
        market.baseUrl = server.BaseUrl();
        const marketplace::Context context{db, market, services.integrator, {}};
        EXPECT_THAT(
            marketplace::ConectaAiqfome(context, std::to_string(account), kMarketLogin, kMarketPassword),
            StartsWith(net::GenericFailure("")));

        dispatch::Endpoint platformEndpoint = services.dispatch;
        platformEndpoint.baseUrl = server.BaseUrl();
        EXPECT_THAT(dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", "demo123", false, db,
                                           platformEndpoint),
                    StartsWith(net::GenericFailure("")));
        EXPECT_THAT(dispatch::AbrirEntrega(services.dispatchApiKey, "loja@demo.com", "demo123", "{}",
                                           platformEndpoint),
                    StartsWith(net::GenericFailure("")));
        EXPECT_THAT(server.Requests(), IsEmpty());
    }
    // The same server with the certificate the test CA made for it is trusted: the refusals above
    // came from the certificates, not from the set-up. (It answers 404 with an empty body.)
    sim::SimServer trusted({}, sim::SimOptions{Certificate("server")});
    ASSERT_TRUE(trusted.Start());
    dispatch::Endpoint platformEndpoint = services.dispatch;
    platformEndpoint.baseUrl = trusted.BaseUrl();
    EXPECT_EQ(
        dispatch::AbrirEntrega(services.dispatchApiKey, "loja@demo.com", "demo123", "{}", platformEndpoint),
        "");
    EXPECT_EQ(trusted.Requests().size(), 1u);
}

} // namespace
} // namespace brisko::test
