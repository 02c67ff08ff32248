#include "SimServer.h"

#include "BuildConstants.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <cctype>

namespace brisko::sim {

namespace {

std::filesystem::path CertificateFolder() {
    return std::filesystem::path(build::kTestCaFile).parent_path();
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// Entries that the server library adds to a request's headers itself; no client sent them.
bool IsServerNote(std::string_view name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    while (!text.empty() && text.back() == '=') {
        text.remove_suffix(1);
    }
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        const std::size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

constexpr std::size_t kEndlessChunk = 16 * 1024;
// What a dropped answer promises beyond the body it actually sends.
constexpr std::size_t kMissingBytes = 1000;

} // namespace

ServerCertificate TestServerCertificate() {
    return {CertificateFolder() / "server.pem", CertificateFolder() / "server.key"};
}

ServerCertificate UnknownCaServerCertificate() {
    return {CertificateFolder() / "unknown-ca-server.pem", CertificateFolder() / "unknown-ca-server.key"};
}

std::filesystem::path TestCaFile() {
    return build::kTestCaFile;
}

std::string RecordedRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (SameName(key, name)) {
            return value;
        }
    }
    return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& h) { return SameName(h.first, name); });
}

std::optional<std::pair<std::string, std::string>> BasicCredentials(const RecordedRequest& request) {
    const std::string authorization = request.Header("Authorization");
    constexpr std::string_view kScheme = "Basic ";
    if (authorization.size() < kScheme.size() ||
        !SameName(authorization.substr(0, kScheme.size()), kScheme)) {
        return std::nullopt;
    }
    const std::optional<std::string> decoded =
        DecodeBase64(std::string_view(authorization).substr(kScheme.size()));
    if (!decoded) {
        return std::nullopt;
    }
    const std::size_t colon = decoded->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return std::make_pair(decoded->substr(0, colon), decoded->substr(colon + 1));
}

SimServer::SimServer(Handler fallback, SimOptions options)
    : fallback_(std::move(fallback)),
      server_(options.certificate.certificate.c_str(), options.certificate.key.c_str()) {
    if (server_.is_valid()) {
        SSL_CTX* context = server_.ssl_context();
        SSL_CTX_set_min_proto_version(context,
                                      options.minTlsVersion != 0 ? options.minTlsVersion : TLS1_2_VERSION);
        SSL_CTX_set_max_proto_version(context, options.maxTlsVersion);
    }
    // Without it every loopback answer waits for the delayed-ACK timer (about 40 ms).
    server_.set_tcp_nodelay(true);
    server_.set_keep_alive_timeout(1);
    const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
        Serve(request, response);
    };
    const std::string anyPath = ".*";
    server_.Get(anyPath, serve);
    server_.Post(anyPath, serve);
    server_.Put(anyPath, serve);
    server_.Patch(anyPath, serve);
    server_.Delete(anyPath, serve);
    server_.Options(anyPath, serve);
}

SimServer::~SimServer() {
    Stop();
}

bool SimServer::Start(int port) {
    if (!server_.is_valid() || thread_.joinable()) {
        return false;
    }
    port_ = port == 0 ? server_.bind_to_any_port("127.0.0.1")
                      : (server_.bind_to_port("127.0.0.1", port) ? port : -1);
    if (port_ <= 0) {
        port_ = 0;
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // Stopping before the accept loop runs would leave it running; wait until it does.
    while (!server_.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool SimServer::StartOnFixedPort(int port) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(75);
    while (!Start(port)) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

void SimServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    stopping_.notify_all();
    if (thread_.joinable()) {
        server_.stop();
        thread_.join();
    }
}

std::string SimServer::BaseUrl() const {
    return "https://127.0.0.1:" + std::to_string(port_);
}

void SimServer::Script(std::string method, std::string path, Answer answer) {
    std::lock_guard lock(mutex_);
    script_[{std::move(method), std::move(path)}].push_back(std::move(answer));
}

void SimServer::ClearScript() {
    std::lock_guard lock(mutex_);
    script_.clear();
}

std::vector<RecordedRequest> SimServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void SimServer::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void SimServer::SetAnswerDelay(std::chrono::milliseconds delay, std::string path) {
    std::lock_guard lock(mutex_);
    answerDelay_ = delay;
    delayedPath_ = std::move(path);
}

bool SimServer::WaitUnlessStopping(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !stopping_.wait_for(lock, duration, [this] { return stopRequested_; });
}

void SimServer::Serve(const httplib::Request& request, httplib::Response& response) {
    RecordedRequest record{request.method, request.target, request.path, {}, request.body};
    for (const auto& [name, value] : request.headers) {
        if (!IsServerNote(name)) {
            record.headers.emplace_back(name, value);
        }
    }
    std::chrono::milliseconds delay{0};
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(record));
        if (delayedPath_.empty() || delayedPath_ == request.path) {
            delay = answerDelay_;
        }
    }
    if (std::optional<Answer> scripted = TakeScripted(request.method, request.path)) {
        Apply(*scripted, response);
    } else if (fallback_) {
        fallback_(request, response);
    } else {
        response.status = 404;
    }
    if (delay.count() > 0) {
        WaitUnlessStopping(delay);
    }
}

std::optional<Answer> SimServer::TakeScripted(const std::string& method, const std::string& path) {
    std::lock_guard lock(mutex_);
    const auto found = script_.find({method, path});
    if (found == script_.end() || found->second.empty()) {
        return std::nullopt;
    }
    Answer answer = std::move(found->second.front());
    found->second.pop_front();
    return answer;
}

void SimServer::Apply(const Answer& answer, httplib::Response& response) {
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

} // namespace brisko::sim
