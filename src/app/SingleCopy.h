#pragma once
// One running copy per executable name in a session, as the instance lock says, and one per
// database on the whole computer, whatever session or runtime folder a copy runs in. A start that
// finds either taken leaves the front request for the copy that runs; when that copy is closing
// and takes no request any more, the start waits for it to end and runs after it.
#include "Platform.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace brisko::app {

// What a running copy holds until it ends.
struct CopyLocks {
    // Let go after the instance lock (members go in reverse order): a start that finds the instance
    // lock free must still find the database taken until this copy is gone, and wait for it.
    std::unique_ptr<platform::InstanceLock> database;
    std::unique_ptr<platform::InstanceLock> instance;
};

struct TurnWaits {
    std::chrono::milliseconds poll{100};       // how often the lock and the front request are looked at
    std::chrono::milliseconds longest{120000}; // how long a copy that takes no request is waited for
};

// Takes both locks. Answers them once this start may run its windows (a lock that cannot be made at
// all does not stop it); nothing when the running copy has taken the front request, or did not end
// within the longest wait: the start then ends with exit code 0, as a hand-over does.
std::optional<CopyLocks> TakeTurn(const std::filesystem::path& programFolder, const std::string& instanceName,
                                  const TurnWaits& waits = {});

} // namespace brisko::app
