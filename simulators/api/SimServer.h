#pragma once
// The base of our local HTTPS stand-ins for the outside services: an HTTPS server with the test
// certificates, a log of every request it received, and answers that a test can script ahead per
// route. When nothing is scripted for a request, the simulator's own handler answers it.
//
// Two implementations share this header, chosen at link time: in-process (brisko_sim_common and
// the simulators' libraries; the server runs in this process on 127.0.0.1) and remote
// (brisko_sim_remote; the server runs in a sim-host process and is driven over its control
// channel, for test programs that cannot host it themselves). What only the in-process one offers
// says so.
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brisko::sim {

// A certificate with its private key, both PEM files.
struct ServerCertificate {
    std::filesystem::path certificate;
    std::filesystem::path key;
};

// Where the test certificates are, made at build time (target brisko_test_certs); remote, the
// host's folder (its paths are good for the test program too).
std::filesystem::path TestCertificateFolder();

// Signed by the test CA that builds trust.
inline ServerCertificate TestServerCertificate() {
    return {TestCertificateFolder() / "server.pem", TestCertificateFolder() / "server.key"};
}
// Signed by a CA that nobody trusts: clients must refuse it.
inline ServerCertificate UnknownCaServerCertificate() {
    return {TestCertificateFolder() / "unknown-ca-server.pem",
            TestCertificateFolder() / "unknown-ca-server.key"};
}
// The test CA's certificate.
inline std::filesystem::path TestCaFile() {
    return TestCertificateFolder() / "ca.pem";
}

struct RecordedRequest {
    std::string method;
    std::string target;                                       // path with the query, as sent
    std::string path;                                         // decoded path, without the query
    std::vector<std::pair<std::string, std::string>> headers; // as received (names sorted)
    std::string body;

    // The first value of a header, names compared without case; "" when absent.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

// HTTP Basic credentials of a request (user, password); nullopt when absent or malformed.
std::optional<std::pair<std::string, std::string>> BasicCredentials(const RecordedRequest& request);

// One scripted answer. Build it with the With... setters, e.g.
// Answer().WithStatus(302).WithHeader("Location", url).WithBody("moved").
struct Answer {
    enum class Ending {
        Complete,         // status, headers and the whole body
        DropAfterHeaders, // headers promising more body, part of the body, then the connection closes
        EndlessBody,      // a chunked body that never ends (until the client gives up)
    };

    int status = 200;
    std::string body;
    std::string contentType = "application/json; charset=utf-8"; // "" sends no Content-Type
    std::vector<std::pair<std::string, std::string>> headers;
    std::chrono::milliseconds delay{0}; // before anything is answered
    Ending ending = Ending::Complete;
    std::chrono::milliseconds chunkInterval{0}; // EndlessBody: pause between chunks

    Answer& WithStatus(int value) { return status = value, *this; }
    Answer& WithBody(std::string value) { return body = std::move(value), *this; }
    Answer& WithContentType(std::string value) { return contentType = std::move(value), *this; }
    Answer& WithHeader(std::string name, std::string value) {
        headers.emplace_back(std::move(name), std::move(value));
        return *this;
    }
    Answer& WithDelay(std::chrono::milliseconds value) { return delay = value, *this; }
    Answer& DroppedAfterHeaders() { return ending = Ending::DropAfterHeaders, *this; }
    Answer& Endless(std::chrono::milliseconds interval = std::chrono::milliseconds{0}) {
        ending = Ending::EndlessBody;
        chunkInterval = interval;
        return *this;
    }
};

enum class SimTls { v1_0, v1_1, v1_2, v1_3 };

struct SimOptions {
    ServerCertificate certificate = TestServerCertificate();
    SimTls lowestTls = SimTls::v1_2;
    std::optional<SimTls> highestTls =
        std::nullopt; // none: the highest the TLS library knows; below TLS 1.2, offered for real
};

class SimServer {
public:
    // fallback answers every request that nothing was scripted for; none: 404 with no body.
    explicit SimServer(std::optional<Answer> fallback = std::nullopt, SimOptions options = {});
    // Stops the server.
    virtual ~SimServer();

    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Listens on 127.0.0.1:port (0: any free port). False when the port cannot be bound (another
    // server listens there) or the certificate could not be loaded. Fixed ports are chosen below
    // the systems' ranges for outgoing connections, so no client connection ever holds one.
    bool Start(int port = 0);
    // Stops listening, wakes every delayed answer and waits for the server thread. Idempotent.
    void Stop();

    int Port() const;
    // https://127.0.0.1:<port> in-process; https://localhost:<port> remote, since TLS stacks that
    // match a host name only against the certificate's DNS names refuse the address.
    std::string BaseUrl() const;

    // Queues an answer for the next request of method and path (without query); each scripted
    // answer is used once, in the order given.
    void Script(std::string method, std::string path, Answer answer);
    void ClearScript();

    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();

    // Every answer to `path` (to any path when empty), scripted or not, leaves this long after its
    // request was handled: a service that did its work at once behind a slow network. 0, the
    // start: at once.
    void SetAnswerDelay(std::chrono::milliseconds delay, std::string path = {});

    // A network `roundTrip` away, as across the internet (0, the start: loopback's own). Each
    // request waits one round trip before it is handled, and the first request of a connection
    // also the connection's own: one round trip for TCP's handshake and one per round trip of the
    // TLS handshake that was spoken (two for TLS 1.2 and below, one for TLS 1.3). A client sees the
    // same total as if each part had been waited for where it happens.
    void SetRoundTrip(std::chrono::milliseconds roundTrip);

    // The flavour's own state: the server itself, or its handle in the host.
    struct Impl;

protected:
    // For the simulators, whose flavour builds a state of its own (derived from Impl in-process).
    explicit SimServer(std::unique_ptr<Impl> impl);
    Impl& State() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace brisko::sim
