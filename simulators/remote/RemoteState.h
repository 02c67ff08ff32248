#pragma once
// A remote SimServer's state: the handle of its server in the sim-host, and the port it listens on.
#include "ControlChannel.h"
#include "SimServer.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace brisko::sim {

struct SimServer::Impl {
    using Members = std::initializer_list<std::pair<std::string_view, std::string>>;

    // Creates the server in the host; creation is the JSON object that says what to create.
    explicit Impl(const std::string& creation);

    // Carries out an operation on this server, with these members (JSON values) besides its handle.
    net::JsonValue Call(std::string_view operation, Members members = {}) const;

    std::string handle; // a JSON number
    int port = 0;
};

} // namespace brisko::sim
