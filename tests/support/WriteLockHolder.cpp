#include "WriteLockHolder.h"

#include <sqlite3.h>

#include <stdexcept>

namespace brisko::test {

WriteLockHolder::WriteLockHolder(const std::filesystem::path& file) {
    const std::string command = "sqlite3 '" + file.string() + "' > /dev/null";
    process_ = popen(command.c_str(), "w");
    if (process_ == nullptr) {
        throw std::runtime_error("cannot start sqlite3");
    }
    Send("BEGIN IMMEDIATE;\n");
    sqlite3* probe = nullptr;
    sqlite3_open(file.string().c_str(), &probe);
    while (sqlite3_exec(probe, "BEGIN IMMEDIATE; ROLLBACK;", nullptr, nullptr, nullptr) != SQLITE_BUSY) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    sqlite3_close(probe);
}

WriteLockHolder::~WriteLockHolder() {
    if (releaser_.joinable()) {
        releaser_.join();
    }
    Release();
}

void WriteLockHolder::ReleaseAfter(std::chrono::milliseconds held) {
    releaser_ = std::thread([this, held] {
        std::this_thread::sleep_for(held);
        Release();
    });
}

void WriteLockHolder::Release() {
    if (process_ != nullptr) {
        Send("COMMIT;\n.quit\n");
        pclose(process_);
        process_ = nullptr;
    }
}

void WriteLockHolder::Send(const std::string& text) {
    std::fputs(text.c_str(), process_);
    std::fflush(process_);
}

} // namespace brisko::test
