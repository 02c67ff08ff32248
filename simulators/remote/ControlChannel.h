#pragma once
// The client side of the sim-host's control channel: plain HTTP with JSON on the loopback address
// that BRISKO_SIM_HOST names. One POST per operation, each on a connection of its own.
#include "Json.h"

#include <string>
#include <string_view>

namespace brisko::sim::remote {

// Sends one operation with its JSON object and answers the host's JSON object. Throws
// std::runtime_error when the host cannot be reached or refuses the operation.
net::JsonValue Call(std::string_view operation, const std::string& request = "{}");

} // namespace brisko::sim::remote
