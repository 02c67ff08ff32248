// Real HTTPS calls to a simulator on 127.0.0.1.
#include "BodyText.h"
#include "Http.h"
#include "SimServer.h"

#include "Emulation.h"
#include "SilentListener.h"

#include <gtest/gtest.h>
#ifndef BRISKO_REMOTE_SIMULATORS
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

namespace brisko::net {
namespace {

using namespace std::chrono_literals;
using sim::Answer;
using sim::SimServer;

class Https : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start()); }

    HttpRequest Request(const std::string& target, const std::string& method = "GET") {
        HttpRequest request;
        request.method = method;
        request.url = server.BaseUrl() + target;
        request.extraCaFile = sim::TestCaFile().string();
        request.connectTimeout = 5s;
        request.readTimeout = 5s;
        return request;
    }

    static HttpResponse Answered(const HttpOutcome& outcome) {
        EXPECT_TRUE(outcome.response.has_value()) << outcome.failure;
        EXPECT_EQ(outcome.failure, "");
        return outcome.response.value_or(HttpResponse{});
    }

    static std::string Failed(const HttpOutcome& outcome) {
        EXPECT_FALSE(outcome.response.has_value()) << "status " << outcome.response->status;
        EXPECT_NE(outcome.failure, "");
        return outcome.failure;
    }

    SimServer server{Answer().WithBody("{}").WithContentType("application/json")};
};

std::set<std::string> HeaderNames(const sim::RecordedRequest& request) {
    std::set<std::string> names;
    for (const auto& header : request.headers) {
        std::string name = header.first;
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        names.insert(name);
    }
    return names;
}

TEST_F(Https, SendsOnlyTheGivenHeadersBodyAndBasicOnTheFirstRequest) {
    HttpRequest post = Request("/api/integracao/abrirEntrega?x=1&y=%20", "POST");
    post.headers = {{"api-key", "bd_key"},
                    {"Content-Type", "application/json; charset=UTF-8"},
                    {"Connection", "Keep-Alive"},
                    {"User-Agent", "Mozilla/5.0 (test)"}};
    // Long enough that a client would normally ask for 100-continue first.
    post.body = "{\"nome\":\"Jo\xC3\xA3o\",\"pad\":\"" + std::string(4000, 'p') + "\"}";
    post.basic = std::make_pair("loja@exemplo.com.br", "se:nha\"\xC3\xA7");

    Answered(Perform(post));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u); // no challenge round trip
    const sim::RecordedRequest& seen = requests[0];
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.target, "/api/integracao/abrirEntrega?x=1&y=%20");
    EXPECT_EQ(seen.body, post.body);
    EXPECT_EQ(seen.Header("api-key"), "bd_key");
    EXPECT_EQ(seen.Header("Content-Type"), "application/json; charset=UTF-8");
    EXPECT_EQ(seen.Header("Connection"), "Keep-Alive");
    EXPECT_EQ(seen.Header("User-Agent"), "Mozilla/5.0 (test)");
    EXPECT_EQ(seen.Header("Content-Length"), std::to_string(post.body.size()));
    EXPECT_EQ(sim::BasicCredentials(seen), post.basic);
    EXPECT_EQ(HeaderNames(seen),
              (std::set<std::string>{"api-key", "authorization", "connection", "content-length",
                                     "content-type", "host", "user-agent"}));

    Answered(Perform(Request("/plain")));
    const sim::RecordedRequest get = server.Requests().at(1);
    EXPECT_EQ(get.method, "GET");
    EXPECT_EQ(HeaderNames(get), (std::set<std::string>{"host"}));
}

TEST_F(Https, NothingCarriesOverBetweenCalls) {
    server.Script("GET", "/first", Answer().WithHeader("Set-Cookie", "session=1"));
    HttpRequest first = Request("/first");
    first.basic = std::make_pair("user", "password");
    Answered(Perform(first));
    Answered(Perform(Request("/second")));

    const sim::RecordedRequest second = server.Requests().at(1);
    EXPECT_FALSE(second.HasHeader("Cookie"));
    EXPECT_FALSE(second.HasHeader("Authorization"));
}

TEST_F(Https, CallsMayOverlap) {
    server.Script("GET", "/slow", Answer().WithDelay(300ms).WithBody("slow"));
    std::vector<std::string> bodies(4);
    std::vector<std::thread> callers;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        callers.emplace_back([&, i] {
            const HttpOutcome outcome = Perform(Request(i == 0 ? "/slow" : "/fast"));
            bodies[i] = outcome.response ? outcome.response->body : outcome.failure;
        });
    }
    for (std::thread& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{"slow", "{}", "{}", "{}"}));
}

TEST_F(Https, EveryStatusIsAResponseWithItsBodyAndCharset) {
    struct Case {
        int status;
        std::string body;
        std::string contentType;
        std::string charset;
    };
    const Case cases[] = {
        {200, R"({"response":{}})", "application/json; charset=UTF-8", "utf-8"},
        {201, "", "application/json", ""},
        {204, "", "", ""},
        {400, R"({"errors":["x"]})", "application/json;charset=\"Windows-1252\"", "windows-1252"},
        {404, "<html>not here</html>", "text/html; charset=iso-8859-1; q=1", "iso-8859-1"},
        {500, "internal", "text/plain", ""},
        {503, "", "text/plain", ""},
    };
    for (const Case& c : cases) {
        server.Script("GET", "/status",
                      Answer().WithStatus(c.status).WithBody(c.body).WithContentType(c.contentType));
        const HttpResponse response = Answered(Perform(Request("/status")));
        EXPECT_EQ(response.status, c.status);
        EXPECT_EQ(response.body, c.body) << c.status;
        EXPECT_EQ(response.charset, c.charset) << c.status;
    }
}

TEST_F(Https, RedirectsFollowedOnlyWhenAsked) {
    const auto scriptRedirect = [&] {
        server.Script(
            "GET", "/old",
            Answer().WithStatus(302).WithBody("moved").WithHeader("Location", server.BaseUrl() + "/new"));
        server.Script("GET", "/new", Answer().WithBody("arrived"));
    };

    scriptRedirect();
    const HttpResponse notFollowed = Answered(Perform(Request("/old")));
    EXPECT_EQ(notFollowed.status, 302);
    EXPECT_EQ(notFollowed.body, "moved");
    EXPECT_EQ(server.Requests().size(), 1u);

    server.ClearScript();
    server.ClearRequests();
    scriptRedirect();
    HttpRequest follow = Request("/old");
    follow.redirects = Redirects::SameOrigin;
    const HttpResponse followed = Answered(Perform(follow));
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(followed.body, "arrived");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].target, "/new");
}

// Counting the connections a plain listener is offered takes POSIX sockets, which a build of the
// suites for another system has not.
#ifndef BRISKO_REMOTE_SIMULATORS
TEST_F(Https, OnlyHttpsIsSpokenForTheRequestAndAnyRedirect) {
    // A plain listener that counts the connections it is offered.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const std::string plain = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/new";

    HttpRequest direct = Request("/");
    direct.url = plain;
    EXPECT_NE(Failed(Perform(direct)).find("http"), std::string::npos);

    server.Script("GET", "/old", Answer().WithStatus(301).WithHeader("Location", plain));
    HttpRequest follow = Request("/old");
    follow.redirects = Redirects::SameOrigin;
    Failed(Perform(follow));

    pollfd offered{listener, POLLIN, 0};
    EXPECT_EQ(poll(&offered, 1, 0), 0) << "a plain connection was made";
    close(listener);
}
#endif

TEST_F(Https, ARedirectLoopEndsAfterFifteenHops) {
    for (int i = 0; i < 20; ++i) {
        server.Script("GET", "/loop", Answer().WithStatus(302).WithHeader("Location", "/loop"));
    }
    HttpRequest loop = Request("/loop");
    loop.redirects = Redirects::SameOrigin;
    EXPECT_EQ(Failed(Perform(loop)), "More than 15 redirects");
    EXPECT_EQ(server.Requests().size(), 16u);
}

TEST_F(Https, FailuresWithoutACompleteAnswer) {
    // Never answers within the read time-out: the request reached the server.
    server.Script("GET", "/silent", Answer().WithDelay(60s));
    HttpRequest silent = Request("/silent");
    silent.readTimeout = 300ms;
    const HttpOutcome timedOut = Perform(silent);
    EXPECT_NE(Failed(timedOut).find("Read timed out"), std::string::npos);
    EXPECT_TRUE(timedOut.sent);

    // Headers, part of the body, then the connection is dropped.
    server.Script("GET", "/dropped", Answer().WithBody("{\"partial\":").DroppedAfterHeaders());
    const HttpOutcome dropped = Perform(Request("/dropped"));
    Failed(dropped);
    EXPECT_TRUE(dropped.sent);

    // A body that never ends is stopped at the size limit.
    server.Script("GET", "/endless", Answer().Endless());
    HttpRequest endless = Request("/endless");
    endless.maxBody = 1 << 20;
    EXPECT_EQ(Failed(Perform(endless)), "Response body larger than 1048576 bytes");

    // A body that trickles in keeps the watchdog quiet but still meets the limit.
    server.Script("GET", "/trickle", Answer().Endless(100ms));
    HttpRequest trickle = Request("/trickle");
    trickle.readTimeout = 300ms;
    trickle.maxBody = 64 * 1024;
    EXPECT_EQ(Failed(Perform(trickle)), "Response body larger than 65536 bytes");

    // Refused connection.
    SimServer stopped;
    ASSERT_TRUE(stopped.Start());
    const std::string closedUrl = stopped.BaseUrl() + "/";
    stopped.Stop();
    HttpRequest refused = Request("/");
    refused.url = closedUrl;
    const HttpOutcome notConnected = Perform(refused);
    Failed(notConnected);
    EXPECT_FALSE(notConnected.sent);

    // Name that does not resolve.
    HttpRequest unresolved = Request("/");
    unresolved.url = "https://host.invalid/";
    const HttpOutcome notResolved = Perform(unresolved);
    Failed(notResolved);
    EXPECT_FALSE(notResolved.sent);
}

TEST_F(Https, AbandonedCallsEndAtOnceAndSayWhetherTheRequestLeft) {
    const auto abandon = std::make_shared<std::atomic<bool>>(false);
    test::SilentListener handshakeNeverEnds;
    struct Case {
        const char* what;
        std::string url;
        bool abandonOnceSent;
        bool answered; // the call came to its end all the same
        bool sent;
    };
    // Each answer comes 3 s after its request, long after the flag is set: a call that ends with a
    // failure was abandoned, not timed out (the time-outs are longer still).
    server.SetAnswerDelay(3s);
    const Case cases[] = {
        {"waiting for its answer", server.BaseUrl() + "/a", true, false, true},
        {"sent, finished all the same", server.BaseUrl() + "/b", false, true, true},
        {"still connecting", handshakeNeverEnds.BaseUrl() + "/c", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        abandon->store(false);
        HttpRequest request = Request("/");
        request.url = c.url;
        request.connectTimeout = 10s;
        request.readTimeout = 10s;
        request.abandon = abandon;
        request.abandonOnceSent = c.abandonOnceSent;
        // Set once the server has the request, or a while into a handshake that never ends.
        const std::size_t received = server.Requests().size();
        std::thread setter([&] {
            if (c.sent) {
                while (server.Requests().size() == received) {
                    std::this_thread::sleep_for(5ms);
                }
            } else {
                std::this_thread::sleep_for(300ms);
            }
            abandon->store(true);
        });
        const HttpOutcome outcome = Perform(request);
        setter.join();
        EXPECT_EQ(outcome.response.has_value(), c.answered) << outcome.failure;
        if (!c.answered) {
            EXPECT_EQ(outcome.failure, "Call abandoned: the program is closing");
            EXPECT_EQ(outcome.sent, c.sent);
        }
    }
    // Once abandoned, a call is not made at all.
    HttpRequest late = Request("/late");
    late.abandon = abandon;
    const HttpOutcome notMade = Perform(late);
    EXPECT_EQ(Failed(notMade), "Call abandoned: the program is closing");
    EXPECT_FALSE(notMade.sent);
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(Https, BodyLimitIsInclusive) {
    const std::string body(1000, 'b');
    server.Script("GET", "/exact", Answer().WithBody(body));
    server.Script("GET", "/over", Answer().WithBody(body + "!"));
    HttpRequest exact = Request("/exact");
    exact.maxBody = body.size();
    EXPECT_EQ(Answered(Perform(exact)).body, body);
    HttpRequest over = Request("/over");
    over.maxBody = body.size();
    Failed(Perform(over));
}

TEST_F(Https, CertificatesAreVerified) {
    // The test CA is trusted only when given.
    if (test::SystemTrustStoreRefusesUnknownCas()) {
        HttpRequest systemOnly = Request("/");
        systemOnly.extraCaFile.clear();
        Failed(Perform(systemOnly));
    }

    HttpRequest missingCa = Request("/");
    missingCa.extraCaFile = "/nonexistent/ca.pem";
    EXPECT_NE(Failed(Perform(missingCa)).find("/nonexistent/ca.pem"), std::string::npos);

    // A certificate from a CA nobody trusts.
    sim::SimOptions untrusted;
    untrusted.certificate = sim::UnknownCaServerCertificate();
    SimServer unknown({}, untrusted);
    ASSERT_TRUE(unknown.Start());
    HttpRequest toUnknown = Request("/");
    toUnknown.url = unknown.BaseUrl() + "/";
    Failed(Perform(toUnknown));

    EXPECT_TRUE(unknown.Requests().empty());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(Https, TrustedCertificatesReadOnceStayWithTheirFile) {
    // The CAs are read once per process; what one call trusts must not reach a call without that file.
    EXPECT_EQ(Answered(Perform(Request("/"))).status, 200);
    const bool refused = test::SystemTrustStoreRefusesUnknownCas();
    if (refused) {
        HttpRequest systemOnly = Request("/");
        systemOnly.extraCaFile.clear();
        Failed(Perform(systemOnly));
    }
    EXPECT_EQ(Answered(Perform(Request("/"))).status, 200);

    // A CA file that could not be read is read again at the next call, not remembered as missing.
    const std::filesystem::path later =
        std::filesystem::temp_directory_path() / ("brisko-ca-" + std::to_string(::getpid()) + ".pem");
    std::filesystem::remove(later);
    HttpRequest fromLater = Request("/");
    fromLater.extraCaFile = later.string();
    Failed(Perform(fromLater));
    std::filesystem::copy_file(sim::TestCaFile(), later);
    EXPECT_EQ(Answered(Perform(fromLater)).status, 200);
    std::filesystem::remove(later);
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(Https, TlsRangeIsApplied) {
    sim::SimOptions upToTls12;
    upToTls12.highestTls = sim::SimTls::v1_2;
    SimServer tls12({}, upToTls12);
    ASSERT_TRUE(tls12.Start());
    HttpRequest request = Request("/");
    request.url = tls12.BaseUrl() + "/";
    EXPECT_EQ(Answered(Perform(request)).status, 404);

    request.tls = TlsRange{Tls::v1_3, Tls::v1_3};
    Failed(Perform(request));
    EXPECT_EQ(tls12.Requests().size(), 1u);
}

TEST_F(Https, Latin1BodyDecodedThenReducedToAscii) {
    server.Script("GET", "/latin",
                  Answer()
                      .WithBody("{\"nome\":\"Jos\xE9 Concei\xE7\xE3o\"}")
                      .WithContentType("application/json; charset=ISO-8859-1"));
    const HttpResponse response = Answered(Perform(Request("/latin")));
    const std::string text = DecodeBody(response.body, response.charset);
    EXPECT_EQ(text, "{\"nome\":\"Jos\xC3\xA9 Concei\xC3\xA7\xC3\xA3o\"}");
    EXPECT_EQ(ReduceToAscii(text), "{\"nome\":\"Jose Conceicao\"}");
}

} // namespace
} // namespace brisko::net
