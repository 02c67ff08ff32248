#include "RawTlsServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace brisko::test {

namespace {

constexpr int kPollMs = 20;

// Reads the request line, the headers and a Content-Length body; "" when the client gave up.
std::string ReadRequest(SSL* ssl, const std::atomic<bool>& stopping) {
    std::string request;
    char buffer[4096];
    std::size_t wanted = std::string::npos;
    while (!stopping) {
        const int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0) {
            return {};
        }
        request.append(buffer, static_cast<std::size_t>(n));
        const std::size_t end = request.find("\r\n\r\n");
        if (end != std::string::npos && wanted == std::string::npos) {
            wanted = end + 4;
            const std::size_t length = request.find("Content-Length: ");
            if (length != std::string::npos && length < end) {
                wanted += std::strtoul(request.c_str() + length + 16, nullptr, 10);
            }
        }
        if (request.size() >= wanted) {
            return request;
        }
    }
    return {};
}

} // namespace

bool RawConnection::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (stopping_) {
            return false;
        }
        const int n = SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()));
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool RawConnection::Pause(std::chrono::milliseconds duration) const {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
        if (stopping_) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return !stopping_;
}

void RawConnection::Reset() {
    const linger hard{1, 0};
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    shutdown(socket_, SHUT_RDWR);
}

RawTlsServer::RawTlsServer(const std::string& certificate, const std::string& key, Behaviour behaviour)
    : behaviour_(std::move(behaviour)) {
    // A client that hangs up mid-answer must end a write with an error, not the test process.
    std::signal(SIGPIPE, SIG_IGN);
    context_ = SSL_CTX_new(TLS_server_method());
    if (context_ == nullptr || SSL_CTX_use_certificate_chain_file(context_, certificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context_, key.c_str(), SSL_FILETYPE_PEM) != 1) {
        throw std::runtime_error("RawTlsServer: cannot load " + certificate);
    }
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("RawTlsServer: cannot listen");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

RawTlsServer::~RawTlsServer() {
    stopping_ = true;
    thread_.join();
    close(listener_);
    SSL_CTX_free(context_);
}

std::vector<std::string> RawTlsServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void RawTlsServer::Serve() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, kPollMs) <= 0) {
            continue;
        }
        const int socket = accept(listener_, nullptr, nullptr);
        if (socket >= 0) {
            Handle(socket); // one connection at a time: each call here makes one
            close(socket);
        }
    }
}

void RawTlsServer::Handle(int socket) {
    SSL* ssl = SSL_new(context_);
    SSL_set_fd(ssl, socket);
    if (SSL_accept(ssl) == 1) {
        std::string request = ReadRequest(ssl, stopping_);
        if (!request.empty()) {
            {
                const std::lock_guard lock(mutex_);
                requests_.push_back(std::move(request));
            }
            RawConnection connection(ssl, socket, stopping_);
            behaviour_(connection);
        }
    }
    SSL_free(ssl);
}

} // namespace brisko::test
