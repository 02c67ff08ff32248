#pragma once
// Another process (the sqlite3 command) holding the write lock of a database file until released,
// as a second program working on the same file would. On Windows (where the suites run under wine,
// without that command) a connection of this process holds it: SQLite refuses and waits alike.
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace brisko::test {

class WriteLockHolder {
public:
    // Returns once the lock is held: a connection that does not wait is refused it.
    explicit WriteLockHolder(const std::filesystem::path& file);
    ~WriteLockHolder();
    WriteLockHolder(const WriteLockHolder&) = delete;
    WriteLockHolder& operator=(const WriteLockHolder&) = delete;

    // Releases the lock from a thread of its own after `held`.
    void ReleaseAfter(std::chrono::milliseconds held);
    void Release();

private:
    void* holder_ = nullptr; // the sqlite3 process's pipe, or the holding connection
    std::thread releaser_;
};

} // namespace brisko::test
