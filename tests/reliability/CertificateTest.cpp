// Servers that must be refused: certificates signed by nobody we trust, signing themselves,
// expired, or made out for another host; and a server that offers nothing newer than TLS 1.1.
// Both clients give the generic text and send nothing: the server never sees a request, so no
// credential left the program.
#include "CycleFixture.h"
#include "ResultText.h"
#include "UAiqfome.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace brisko::test {
namespace {

using ::testing::IsEmpty;
using ::testing::StartsWith;

sim::ServerCertificate Certificate(const std::string& name) {
    const std::filesystem::path folder = sim::TestCaFile().parent_path();
    return {folder / (name + ".pem"), folder / (name + ".key")};
}

// The TLS version a client that accepts anything from TLS 1.0 up agrees on with the server on
// `port`; 0 when the handshake fails.
int NegotiatedVersion(int port) {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    SSL_CTX_set_security_level(context, 0);
    SSL_CTX_set_cipher_list(context, "DEFAULT:@SECLEVEL=0");
    SSL_CTX_set_min_proto_version(context, TLS1_VERSION);
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    int version = 0;
    if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        SSL* ssl = SSL_new(context);
        SSL_set_fd(ssl, socket);
        if (SSL_connect(ssl) == 1) {
            version = SSL_version(ssl);
        }
        SSL_free(ssl);
    }
    close(socket);
    SSL_CTX_free(context);
    return version;
}

class RefusedServers : public CycleTest {
protected:
    // The marketplace sign-in, the store login and a delivery opening, each sent to `server`.
    void ExpectEveryCallRefused(const sim::SimServer& server) {
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

    long long account = AddAccount(kMarketLogin, kMarketPassword);
};

TEST_F(RefusedServers, UntrustedCertificatesGiveTheGenericTextBeforeAnythingIsSent) {
    for (const std::string name :
         {"unknown-ca-server", "self-signed-server", "expired-server", "wrong-host-server"}) {
        SCOPED_TRACE(name);
        sim::SimServer server({}, sim::SimOptions{Certificate(name)});
        ASSERT_TRUE(server.Start());
        ExpectEveryCallRefused(server);
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

TEST_F(RefusedServers, OnlyTls10And11OfferedGivesTheGenericTextBeforeAnythingIsSent) {
    sim::SimOptions old;
    old.lowestTls = sim::SimTls::v1_0;
    old.highestTls = sim::SimTls::v1_1;
    sim::SimServer server({}, old);
    ASSERT_TRUE(server.Start());
    // The server really speaks TLS 1.1 to a client that takes it.
    ASSERT_EQ(NegotiatedVersion(server.Port()), TLS1_1_VERSION);
    ExpectEveryCallRefused(server);
}

} // namespace
} // namespace brisko::test
