#include "PassRunner.h"

#include <exception>
#include <optional>
#include <utility>

namespace brisko::cycle {

PassRunner::PassRunner(std::filesystem::path databaseFile, PassServices services, PassOutlets outlets)
    : databaseFile_(std::move(databaseFile)), services_(std::move(services)), outlets_(std::move(outlets)),
      worker_([this] { Work(); }) {}

PassRunner::~PassRunner() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        requested_ = false;
    }
    wake_.notify_all();
    worker_.join();
}

void PassRunner::RequestPass() {
    {
        const std::lock_guard lock(mutex_);
        requested_ = true;
    }
    wake_.notify_all();
}

std::size_t PassRunner::WaitIdle() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return !requested_ && !running_; });
    return passesEnded_;
}

void PassRunner::Work() {
    // The worker's own connection: a connection is never shared between threads.
    std::optional<store::Database> db;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return requested_ || stopping_; });
        if (stopping_) {
            return;
        }
        requested_ = false;
        running_ = true;
        lock.unlock();
        try {
            if (!db) {
                try {
                    db.emplace(databaseFile_);
                } catch (const std::exception& e) {
                    // Reported and handed back like an error inside a pass; the next pass tries again.
                    if (outlets_.status) {
                        outlets_.status(e.what());
                    }
                    if (outlets_.handBack) {
                        outlets_.handBack();
                    }
                }
            }
            if (db) {
                RunIntegrationPass(*db, services_, outlets_);
            }
        } catch (...) {
            // Only an outlet can throw here; the worker must outlive it.
        }
        lock.lock();
        running_ = false;
        ++passesEnded_;
        wake_.notify_all();
    }
}

} // namespace brisko::cycle
