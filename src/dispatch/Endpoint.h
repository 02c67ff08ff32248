#pragma once
// Where the dispatch platform is reached and how long a call may wait. Tests point it at a
// simulator and shorten the waits; the program uses the build's constants.
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "BuildConstants.h"

namespace brisko::dispatch {

struct Endpoint {
    std::string baseUrl = brisko::build::kDispatchApiUrl; // https://host[:port]
    std::string caFile = brisko::build::kCaFile;          // trusted besides the system's; "" for none
    // Unset: the operation's own time-out (10 s for login and estimate, 25 s for the opening).
    std::optional<std::chrono::milliseconds> connectTimeout;
    std::optional<std::chrono::milliseconds> readTimeout;
    // Once it reads true (the program is closing), calls are abandoned at once and no new one is
    // made; a delivery opening already sent is still finished. Empty: never abandoned.
    std::shared_ptr<const std::atomic<bool>> abandon;
};

} // namespace brisko::dispatch
