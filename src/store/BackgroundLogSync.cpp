#include "BackgroundLogSync.h"

#include "Database.h"
#include "Errors.h"
#include "Platform.h"

#include <sqlite3.h>

#include <string>
#include <utility>

namespace brisko::store {

std::filesystem::path WriteAheadLogFile(Database& db) {
    const char* database = sqlite3_db_filename(db.Handle(), "main");
    if (database == nullptr || *database == '\0') { // a database in memory has no log file
        return {};
    }
    const char* log = sqlite3_filename_wal(database);
    const std::string text = log != nullptr ? log : std::string(database) + "-wal";
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

void SyncWriteAheadLog(Database& db) {
    sqlite3_file* log = nullptr;
    const int found = sqlite3_file_control(db.Handle(), "main", SQLITE_FCNTL_JOURNAL_POINTER, &log);
    if (found != SQLITE_OK) {
        throw DatabaseError(sqlite3_errstr(found));
    }
    if (log == nullptr || log->pMethods == nullptr) {
        return;
    }
    const int synced = log->pMethods->xSync(log, SQLITE_SYNC_FULL);
    if (synced != SQLITE_OK) {
        throw DatabaseError(sqlite3_errstr(synced));
    }
}

BackgroundLogSync::BackgroundLogSync(std::filesystem::path logFile)
    : BackgroundLogSync(std::move(logFile), platform::SyncFileToDisk) {}

BackgroundLogSync::BackgroundLogSync(std::filesystem::path logFile, SyncFile sync)
    : logFile_(std::move(logFile)), sync_(std::move(sync)), helper_([this] { Run(); }) {}

BackgroundLogSync::~BackgroundLogSync() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    helper_.join();
}

void BackgroundLogSync::Request() {
    {
        const std::lock_guard lock(mutex_);
        ++requested_;
    }
    changed_.notify_all();
}

bool BackgroundLogSync::Failed() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}

bool BackgroundLogSync::Wait() {
    std::unique_lock lock(mutex_);
    const std::uint64_t owed = requested_;
    changed_.wait(lock, [&] { return served_ >= owed; });
    return !std::exchange(failed_, false);
}

void BackgroundLogSync::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || served_ < requested_; });
        if (served_ == requested_) {
            return; // stopping, nothing owed
        }
        // One flush started now covers every request made before it.
        const std::uint64_t covered = requested_;
        lock.unlock();
        bool synced = false;
        try {
            synced = sync_(logFile_);
        } catch (...) {
        }
        lock.lock();
        served_ = covered;
        failed_ = failed_ || !synced;
        changed_.notify_all();
    }
}

} // namespace brisko::store
