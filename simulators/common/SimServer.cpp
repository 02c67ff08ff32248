#include "SimServerImpl.h"

#include "BuildConstants.h"

#include <openssl/ssl.h>

#include <algorithm>

namespace brisko::sim {

namespace {

// Entries that the server library adds to a request's headers itself; no client sent them.
bool IsServerNote(std::string_view name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

int OpenSslVersion(SimTls tls) {
    switch (tls) {
    case SimTls::v1_0:
        return TLS1_VERSION;
    case SimTls::v1_1:
        return TLS1_1_VERSION;
    case SimTls::v1_2:
        return TLS1_2_VERSION;
    case SimTls::v1_3:
        return TLS1_3_VERSION;
    }
    return 0;
}

constexpr std::size_t kEndlessChunk = 16 * 1024;
// What a dropped answer promises beyond the body it actually sends.
constexpr std::size_t kMissingBytes = 1000;
// Connections remembered to tell a connection's first request from its next ones.
constexpr std::size_t kRecentConnections = 64;

} // namespace

std::filesystem::path TestCertificateFolder() {
    return std::filesystem::path(build::kTestCaFile).parent_path();
}

SimServer::Impl::Impl(std::optional<Answer> fallbackAnswer, const SimOptions& options)
    : fallback(std::move(fallbackAnswer)),
      server(options.certificate.certificate.c_str(), options.certificate.key.c_str()) {
    if (server.is_valid()) {
        SSL_CTX* context = server.ssl_context();
        SSL_CTX_set_min_proto_version(context, OpenSslVersion(options.lowestTls));
        SSL_CTX_set_max_proto_version(context, options.highestTls ? OpenSslVersion(*options.highestTls) : 0);
        if (options.highestTls && *options.highestTls < SimTls::v1_2) {
            // OpenSSL 3 speaks TLS 1.0 and 1.1 only at security level 0: a server that stands for
            // an outdated one must really offer them.
            SSL_CTX_set_security_level(context, 0);
            SSL_CTX_set_cipher_list(context, "DEFAULT:@SECLEVEL=0");
        }
    }
    // Without it every loopback answer waits for the delayed-ACK timer (about 40 ms).
    server.set_tcp_nodelay(true);
    server.set_keep_alive_timeout(1);
    // Address reuse only, no port sharing: a fixed port whose last connections are still closing
    // can be taken again at once, but one that another server listens on cannot, or the two would
    // split the requests between them.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
        Serve(request, response);
    };
    const std::string anyPath = ".*";
    server.Get(anyPath, serve);
    server.Post(anyPath, serve);
    server.Put(anyPath, serve);
    server.Patch(anyPath, serve);
    server.Delete(anyPath, serve);
    server.Options(anyPath, serve);
}

void SimServer::Impl::Handle(const httplib::Request&, httplib::Response& response) {
    if (fallback) {
        Apply(*fallback, response);
    } else {
        response.status = 404;
    }
}

bool SimServer::Impl::WaitUnlessStopping(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex);
    return !stopping.wait_for(lock, duration, [this] { return stopRequested; });
}

void SimServer::Impl::Serve(const httplib::Request& request, httplib::Response& response) {
    RecordedRequest record{request.method, request.target, request.path, {}, request.body};
    for (const auto& [name, value] : request.headers) {
        if (!IsServerNote(name)) {
            record.headers.emplace_back(name, value);
        }
    }
    std::chrono::milliseconds delay{0};
    std::chrono::milliseconds network{0};
    {
        std::lock_guard lock(mutex);
        requests.push_back(std::move(record));
        if (delayedPath.empty() || delayedPath == request.path) {
            delay = answerDelay;
        }
        network = NetworkDelay(request);
    }
    if (network.count() > 0 && !WaitUnlessStopping(network)) {
        return;
    }
    if (std::optional<Answer> scripted = TakeScripted(request.method, request.path)) {
        Apply(*scripted, response);
    } else {
        Handle(request, response);
    }
    if (delay.count() > 0) {
        WaitUnlessStopping(delay);
    }
}

std::chrono::milliseconds SimServer::Impl::NetworkDelay(const httplib::Request& request) {
    if (roundTrip.count() == 0) {
        return roundTrip;
    }
    // A client port not seen lately is a new connection (one request each, for our clients).
    if (std::find(recentClientPorts.begin(), recentClientPorts.end(), request.remote_port) !=
        recentClientPorts.end()) {
        return roundTrip;
    }
    recentClientPorts.push_back(request.remote_port);
    if (recentClientPorts.size() > kRecentConnections) {
        recentClientPorts.pop_front();
    }
    const int tlsRoundTrips = request.ssl != nullptr && SSL_version(request.ssl) >= TLS1_3_VERSION ? 1 : 2;
    return roundTrip * (1 + tlsRoundTrips + 1);
}

std::optional<Answer> SimServer::Impl::TakeScripted(const std::string& method, const std::string& path) {
    std::lock_guard lock(mutex);
    const auto found = script.find({method, path});
    if (found == script.end() || found->second.empty()) {
        return std::nullopt;
    }
    Answer answer = std::move(found->second.front());
    found->second.pop_front();
    return answer;
}

void SimServer::Impl::Apply(const Answer& answer, httplib::Response& response) {
    if (answer.delay.count() > 0 && !WaitUnlessStopping(answer.delay)) {
        return;
    }
    response.status = answer.status;
    for (const auto& [name, value] : answer.headers) {
        response.set_header(name, value);
    }
    switch (answer.ending) {
    case Answer::Ending::Complete:
        if (answer.contentType.empty()) {
            response.body = answer.body;
        } else {
            response.set_content(answer.body, answer.contentType);
        }
        break;
    case Answer::Ending::DropAfterHeaders:
        response.set_content_provider(answer.body.size() + kMissingBytes, answer.contentType,
                                      [body = answer.body](size_t offset, size_t, httplib::DataSink& sink) {
                                          if (offset < body.size()) {
                                              sink.write(body.data() + offset, body.size() - offset);
                                              return true;
                                          }
                                          return false; // closes the connection mid-body
                                      });
        break;
    case Answer::Ending::EndlessBody:
        response.set_chunked_content_provider(
            answer.contentType, [this, interval = answer.chunkInterval](size_t, httplib::DataSink& sink) {
                static const std::string chunk(kEndlessChunk, 'x');
                if (interval.count() > 0 && !WaitUnlessStopping(interval)) {
                    return false;
                }
                return sink.write(chunk.data(), chunk.size());
            });
        break;
    }
}

SimServer::SimServer(std::optional<Answer> fallback, SimOptions options)
    : SimServer(std::make_unique<Impl>(std::move(fallback), options)) {}

SimServer::SimServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SimServer::~SimServer() {
    // Before the state goes: the server's threads use it, a simulator's handler included.
    Stop();
}

bool SimServer::Start(int port) {
    Impl& s = *impl_;
    if (!s.server.is_valid() || s.thread.joinable()) {
        return false;
    }
    s.port = port == 0 ? s.server.bind_to_any_port("127.0.0.1")
                       : (s.server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (s.port <= 0) {
        s.port = 0;
        return false;
    }
    {
        std::lock_guard lock(s.mutex);
        s.stopRequested = false;
    }
    s.thread = std::thread([&s] { s.server.listen_after_bind(); });
    // Stopping before the accept loop runs would leave it running; wait until it does.
    while (!s.server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void SimServer::Stop() {
    Impl& s = *impl_;
    {
        std::lock_guard lock(s.mutex);
        s.stopRequested = true;
    }
    s.stopping.notify_all();
    if (s.thread.joinable()) {
        s.server.stop();
        s.thread.join();
    }
}

int SimServer::Port() const {
    return impl_->port;
}

std::string SimServer::BaseUrl() const {
    return "https://127.0.0.1:" + std::to_string(impl_->port);
}

void SimServer::Script(std::string method, std::string path, Answer answer) {
    std::lock_guard lock(impl_->mutex);
    impl_->script[{std::move(method), std::move(path)}].push_back(std::move(answer));
}

void SimServer::ClearScript() {
    std::lock_guard lock(impl_->mutex);
    impl_->script.clear();
}

std::vector<RecordedRequest> SimServer::Requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

void SimServer::ClearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

void SimServer::SetAnswerDelay(std::chrono::milliseconds delay, std::string path) {
    std::lock_guard lock(impl_->mutex);
    impl_->answerDelay = delay;
    impl_->delayedPath = std::move(path);
}

void SimServer::SetRoundTrip(std::chrono::milliseconds roundTrip) {
    std::lock_guard lock(impl_->mutex);
    impl_->roundTrip = roundTrip;
    impl_->recentClientPorts.clear();
}

} // namespace brisko::sim
