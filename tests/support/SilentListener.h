#pragma once
// A TCP port on 127.0.0.1 that takes connections into its backlog and never speaks: an HTTPS call
// to it stays in its TLS handshake, connected to nothing, until it gives up.
#include <cstdint>
#include <string>

namespace brisko::test {

class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    std::string BaseUrl() const { return "https://127.0.0.1:" + std::to_string(port_); }

private:
    std::uintptr_t socket_ = 0; // a descriptor or a SOCKET, by system
    int port_ = 0;
};

} // namespace brisko::test
