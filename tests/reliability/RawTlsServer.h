#pragma once
// A TLS server on 127.0.0.1 that answers with whatever bytes a test writes, at whatever pace, for
// the misbehaviour an HTTP server library will not produce (a byte now and then, a huge header
// line, a reset in the middle of a body). Each connection gets the request read in full, then the
// behaviour runs on the server's thread.
#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace brisko::test {

class RawConnection {
public:
    RawConnection(SSL* ssl, int socket, const std::atomic<bool>& stopping)
        : ssl_(ssl), socket_(socket), stopping_(stopping) {}

    // False once the client went away or the server is stopping.
    bool Write(std::string_view bytes);
    // Sleeps unless the server is stopping; false when it is.
    bool Pause(std::chrono::milliseconds duration) const;
    // Ends the connection with a TCP reset instead of an orderly close.
    void Reset();

private:
    SSL* ssl_;
    int socket_;
    const std::atomic<bool>& stopping_;
};

class RawTlsServer {
public:
    using Behaviour = std::function<void(RawConnection&)>;

    // certificate and key: PEM files.
    RawTlsServer(const std::string& certificate, const std::string& key, Behaviour behaviour);
    ~RawTlsServer();
    RawTlsServer(const RawTlsServer&) = delete;
    RawTlsServer& operator=(const RawTlsServer&) = delete;

    std::string BaseUrl() const { return "https://127.0.0.1:" + std::to_string(port_); }
    int Port() const { return port_; }
    // The requests read in full so far (request line, headers and body as received).
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Handle(int socket);

    SSL_CTX* context_ = nullptr;
    Behaviour behaviour_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

} // namespace brisko::test
