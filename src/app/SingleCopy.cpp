#include "SingleCopy.h"

#include "FrontRequest.h"
#include "ProgramFiles.h"

#include <system_error>

namespace brisko::app {

namespace fs = std::filesystem;
using platform::LockState;

namespace {

// Waits for the holder of `lock`: true once the lock is ours (the holder ended), false once the
// front request is gone (the holder came to the front) or after the longest wait.
bool WaitForHolder(platform::InstanceLock& lock, const fs::path& marker, const TurnWaits& waits) {
    const auto giveUp = std::chrono::steady_clock::now() + waits.longest;
    for (;;) {
        if (lock.WaitForRelease(waits.poll)) {
            return true;
        }
        std::error_code ignored;
        if (!fs::exists(marker, ignored) || std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
    }
}

} // namespace

std::optional<CopyLocks> TakeTurn(const fs::path& programFolder, const std::string& instanceName,
                                  const TurnWaits& waits) {
    const fs::path marker = platform::FrontRequestMarker(programFolder);
    CopyLocks locks;
    locks.instance = platform::AcquireInstanceLock(instanceName);
    if (locks.instance->State() == LockState::AlreadyRunning) {
        WriteFrontRequest(programFolder);
        locks.database = platform::AcquireFileLock(platform::DatabaseLockFile(programFolder));
        // The copy that runs works on another folder's database: it never sees this marker.
        if (locks.database->State() != LockState::AlreadyRunning) {
            return std::nullopt;
        }
        if (!WaitForHolder(*locks.instance, marker, waits) ||
            !locks.database->WaitForRelease(waits.longest)) {
            return std::nullopt;
        }
        return locks;
    }
    locks.database = platform::AcquireFileLock(platform::DatabaseLockFile(programFolder));
    if (locks.database->State() == LockState::AlreadyRunning) {
        // A copy of another session works on this database.
        WriteFrontRequest(programFolder);
        if (!WaitForHolder(*locks.database, marker, waits)) {
            return std::nullopt;
        }
    }
    return locks;
}

} // namespace brisko::app
