#pragma once
// Another process (the sqlite3 command) holding the write lock of a database file until released,
// as a second program working on the same file would.
#include <chrono>
#include <cstdio>
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
    void Send(const std::string& text);

    std::FILE* process_ = nullptr;
    std::thread releaser_;
};

} // namespace brisko::test
