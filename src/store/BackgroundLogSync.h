#pragma once
// Flushing the database's write-ahead log to the disk beside the thread that writes it, so that
// commits made without waiting for the disk are each flushed right after, without the writer
// waiting for it.
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

namespace brisko::store {

class Database;

// The connection's write-ahead log file, as the engine names it beside the database file.
std::filesystem::path WriteAheadLogFile(Database& db);

// Flushes the connection's write-ahead log through the engine's own file handle and waits for the
// disk; reaches the log even when its name no longer leads to it. On the connection's thread.
// Throws DatabaseError when the flush fails; does nothing while the connection has no log open.
void SyncWriteAheadLog(Database& db);

// A helper thread that flushes one file by its name when asked. It never touches a connection.
class BackgroundLogSync {
public:
    using SyncFile = std::function<bool(const std::filesystem::path&)>;

    // Flushes with the platform's SyncFileToDisk.
    explicit BackgroundLogSync(std::filesystem::path logFile);
    BackgroundLogSync(std::filesystem::path logFile, SyncFile sync);
    // Waits for every flush asked for, then ends the helper.
    ~BackgroundLogSync();
    BackgroundLogSync(const BackgroundLogSync&) = delete;
    BackgroundLogSync& operator=(const BackgroundLogSync&) = delete;

    // Asks for a flush that starts after this call, and returns at once. Requests made while a
    // flush runs are served together by the one flush after it.
    void Request();
    // True once a flush has failed since the last Wait(). Does not block.
    bool Failed() const;
    // Blocks until every flush asked for so far has finished; true when none failed since the
    // last Wait().
    bool Wait();

private:
    void Run();

    const std::filesystem::path logFile_;
    const SyncFile sync_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t requested_ = 0; // requests so far
    std::uint64_t served_ = 0;    // requests covered by a finished flush
    bool failed_ = false;
    bool stopping_ = false;
    std::thread helper_; // last: starts once everything above is ready
};

} // namespace brisko::store
