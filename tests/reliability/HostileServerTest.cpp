// Servers that misbehave, against both clients: every call ends within its time-outs with a clear
// result text, and nothing crashes. Shortened time-outs: connect 2 s, read 1 s; a whole call ends
// at the latest after its ceiling of connect + 3 x read.
#include "CycleFixture.h"
#include "RawTlsServer.h"
#include "ResultText.h"
#include "UAiqfome.h"

#include <zlib.h>

#include <iostream>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::Le;
using ::testing::Matcher;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr auto kConnectTimeout = 2s;
constexpr auto kReadTimeout = 1s;
constexpr auto kCeiling = kConnectTimeout + 3 * kReadTimeout;
// What a call may take at most: its connection, then its ceiling (a bound, not a speed figure).
constexpr auto kLongestCall = kConnectTimeout + kCeiling;

Matcher<std::string> Generic(const std::string& message = "") {
    return AllOf(StartsWith(net::GenericFailure("")), HasSubstr(message),
                 SizeIs(::testing::Gt(net::GenericFailure("").size())));
}

std::string Gzip(const std::string& plain) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, plain.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void Headers(RawConnection& c, const std::string& statusLine, const std::string& headers) {
    c.Write("HTTP/1.1 " + statusLine + "\r\n" + headers + "\r\n");
}

// Keeps writing `piece` until the client hangs up.
void Endless(RawConnection& c, const std::string& piece, std::chrono::milliseconds pause = 0ms) {
    while (c.Write(piece) && c.Pause(pause)) {
    }
}

struct HostileCase {
    std::string name;
    RawTlsServer::Behaviour behaviour;
    Matcher<std::string> marketplace; // ConectaAiqfome's result
    Matcher<std::string> dispatch;    // LoginEmpresa's result
};

std::vector<HostileCase> Cases() {
    const std::string chunked = "Content-Type: application/json\r\nTransfer-Encoding: chunked\r\n";
    const std::string bigChunk = "4000\r\n" + std::string(0x4000, 'x') + "\r\n";
    const std::string page = "<html><body><h1>503 Service Unavailable</h1><p>nginx</p></body></html>";
    static const std::string bomb = Gzip(std::string(std::size_t{64} << 20, '\0')); // 64 MiB of zeros
    const auto drip = [](std::chrono::milliseconds every) {
        return [every](RawConnection& c) {
            Headers(c, "500 Internal Server Error", "Content-Type: text/plain\r\nContent-Length: 5\r\n");
            for (const char byte : std::string("lento")) {
                if (!c.Pause(every) || !c.Write(std::string(1, byte))) {
                    return;
                }
            }
        };
    };
    return {
        {"no answer", [](RawConnection& c) { c.Pause(60s); }, Generic("Read timed out"),
         Generic("Read timed out")},
        {"endless body",
         [=](RawConnection& c) {
             Headers(c, "200 OK", chunked);
             Endless(c, bigChunk);
         },
         Generic("larger than"), Generic("larger than")},
        {"a byte every 0.6 s, under the read time-out", drip(600ms), Eq("lento"), Eq("lento")},
        {"a byte every 1.5 s, over the read time-out", drip(1500ms), Generic("Read timed out"),
         Generic("Read timed out")},
        {"a byte every 0.6 s without end",
         [=](RawConnection& c) {
             Headers(c, "200 OK", chunked);
             Endless(c, "1\r\nx\r\n", 600ms);
         },
         Generic("took longer than"), Generic("took longer than")},
        {"reset mid-body",
         [](RawConnection& c) {
             Headers(c, "200 OK", "Content-Type: application/json\r\nContent-Length: 1000\r\n");
             c.Write("{\"data\":{\"acc");
             c.Reset();
         },
         Generic(), Generic()},
        {"40 MB body",
         [](RawConnection& c) {
             Headers(c, "200 OK", "Content-Type: application/json\r\nContent-Length: 41943040\r\n");
             Endless(c, std::string(1 << 16, ' '));
         },
         // A token and a store record are documents of a few KiB: refused past 8 MiB.
         Generic("larger than 8388608"), Generic("larger than 8388608")},
        {"HTML error page",
         [=](RawConnection& c) {
             Headers(c, "503 Service Unavailable",
                     "Content-Type: text/html\r\nContent-Length: " + std::to_string(page.size()) + "\r\n");
             c.Write(page);
         },
         Eq(page), Eq(page)},
        {"gzip bomb",
         [](RawConnection& c) {
             Headers(c, "200 OK",
                     "Content-Type: application/json\r\nContent-Encoding: gzip\r\nContent-Length: " +
                         std::to_string(bomb.size()) + "\r\n");
             c.Write(bomb);
         },
         // Never inflated: the text is the compressed bytes, each non-ASCII one a '?' at most.
         SizeIs(Le(bomb.size())), Eq("200")},
        {"1 MB header line",
         [](RawConnection& c) {
             Headers(c, "200 OK", "X-Padding: " + std::string(1 << 20, 'a') + "\r\nContent-Length: 2\r\n");
             c.Write("{}");
         },
         Generic(), Generic()},
        {"redirect from https to http",
         [](RawConnection& c) {
             Headers(c, "302 Found",
                     "Location: http://127.0.0.1:9/api/integracao/empresa\r\nContent-Length: 5\r\n");
             c.Write("moved");
         },
         // The marketplace follows no redirect: the 302's body is its text. The platform's are
         // followed only to the same scheme, host and port.
         Eq("moved"), Generic("another scheme")},
    };
}

class HostileServers : public CycleTest {
protected:
    std::string AskMarketplace(const std::string& baseUrl) {
        marketplace::Endpoint endpoint = services.marketplace;
        endpoint.baseUrl = baseUrl;
        endpoint.connectTimeout = kConnectTimeout;
        endpoint.readTimeout = kReadTimeout;
        const marketplace::Context context{db, endpoint, services.integrator, {}};
        return marketplace::ConectaAiqfome(context, std::to_string(accountId), kMarketLogin, kMarketPassword);
    }

    std::string AskDispatch(const std::string& baseUrl) {
        dispatch::Endpoint endpoint = services.dispatch;
        endpoint.baseUrl = baseUrl;
        endpoint.connectTimeout = kConnectTimeout;
        endpoint.readTimeout = kReadTimeout;
        return dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", "demo123", true, db,
                                      endpoint);
    }

    long long accountId = AddAccount(kMarketLogin, kMarketPassword);
};

TEST_F(HostileServers, EveryCallEndsInTimeWithAClearText) {
    const std::vector<std::string> empresaBefore = {store::LeEmpresa(db)->NOME, store::LeEmpresa(db)->EMAIL};
    const sim::ServerCertificate certificate = sim::TestServerCertificate();
    int calls = 0;
    for (const HostileCase& c : Cases()) {
        for (const bool toMarketplace : {true, false}) {
            SCOPED_TRACE(c.name + (toMarketplace ? " (marketplace)" : " (dispatch platform)"));
            RawTlsServer server(certificate.certificate.string(), certificate.key.string(), c.behaviour);
            const auto start = std::chrono::steady_clock::now();
            const std::string result =
                toMarketplace ? AskMarketplace(server.BaseUrl()) : AskDispatch(server.BaseUrl());
            const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            EXPECT_THAT(result, toMarketplace ? c.marketplace : c.dispatch);
            EXPECT_EQ(server.Requests().size(), 1u); // nothing is retried
            EXPECT_LE(took, kLongestCall);
            ++calls;
            std::cout << "[figure] " << c.name << " | " << (toMarketplace ? "marketplace" : "dispatch")
                      << " | " << took.count() << " ms | " << result.size() << " bytes | "
                      << result.substr(0, std::min<std::size_t>(result.size(), 90)) << "\n";
        }
    }
    // No hostile answer reached the tables.
    EXPECT_EQ((std::vector<std::string>{store::LeEmpresa(db)->NOME, store::LeEmpresa(db)->EMAIL}),
              empresaBefore);
    store::Statement orders = db.Prepare("SELECT count(*) AS N FROM PEDIDOS");
    ASSERT_TRUE(orders.Step());
    EXPECT_EQ(orders.Integer("N"), 0);
    std::cout << "[figure] hostile-server calls: " << calls << "\n";
}

} // namespace
} // namespace brisko::test
