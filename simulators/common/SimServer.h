#pragma once
// The base of our local HTTPS stand-ins for the outside services: an HTTPS server on 127.0.0.1
// with the test certificates, a log of every request it received, and answers that a test
// can script ahead per route. When nothing is scripted for a request, the simulator's own
// handler answers it.
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace brisko::sim {

// A certificate with its private key, both PEM files.
struct ServerCertificate {
    std::filesystem::path certificate;
    std::filesystem::path key;
};

// Made at build time (target brisko_test_certs), signed by the test CA that builds trust.
ServerCertificate TestServerCertificate();
// Signed by a CA that nobody trusts: clients must refuse it.
ServerCertificate UnknownCaServerCertificate();
// The test CA's certificate.
std::filesystem::path TestCaFile();

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

struct SimOptions {
    ServerCertificate certificate = TestServerCertificate();
    int minTlsVersion = 0; // an OpenSSL TLS1_x_VERSION; 0 keeps TLS 1.2 as the lowest
    int maxTlsVersion = 0; // 0: the highest the library knows
};

class SimServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    // fallback answers every request that nothing was scripted for; empty: 404 with no body.
    explicit SimServer(Handler fallback = {}, SimOptions options = {});
    // Stops the server. A derived simulator whose handler uses its own members must call Stop()
    // in its own destructor, before those members go.
    virtual ~SimServer();

    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Listens on 127.0.0.1:port (0: any free port). False when the port cannot be bound or the
    // certificate could not be loaded.
    bool Start(int port = 0);
    // Start on a fixed port, tried again for as long as a closed connection can hold it: fixed ports
    // lie in the range the system hands out for outgoing connections, and a closed one keeps its
    // port in TIME_WAIT for up to a minute. False if the port stays taken.
    bool StartOnFixedPort(int port);
    // Stops listening, wakes every delayed answer and waits for the server thread. Idempotent.
    void Stop();

    int Port() const { return port_; }
    std::string BaseUrl() const; // https://127.0.0.1:<port>

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

protected:
    // Waits up to duration; false when the server is stopping (the wait ended early).
    bool WaitUnlessStopping(std::chrono::milliseconds duration);

private:
    void Serve(const httplib::Request& request, httplib::Response& response);
    std::optional<Answer> TakeScripted(const std::string& method, const std::string& path);
    void Apply(const Answer& answer, httplib::Response& response);

    Handler fallback_;
    httplib::SSLServer server_;
    std::thread thread_;
    int port_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable stopping_;
    bool stopRequested_ = false;
    std::vector<RecordedRequest> requests_;
    std::map<std::pair<std::string, std::string>, std::deque<Answer>> script_;
    std::chrono::milliseconds answerDelay_{0};
    std::string delayedPath_;
};

} // namespace brisko::sim
