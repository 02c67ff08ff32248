#include "WriteLockHolder.h"

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace brisko::test {
namespace {

void Send(std::FILE* process, const std::string& text) {
    std::fputs(text.c_str(), process);
    std::fflush(process);
}

} // namespace

WriteLockHolder::WriteLockHolder(const std::filesystem::path& file) {
    const std::string command = "sqlite3 '" + file.string() + "' > /dev/null";
    std::FILE* process = popen(command.c_str(), "w");
    if (process == nullptr) {
        throw std::runtime_error("cannot start sqlite3");
    }
    holder_ = process;
    Send(process, "BEGIN IMMEDIATE;\n");
    sqlite3* probe = nullptr;
    sqlite3_open(file.string().c_str(), &probe);
    while (sqlite3_exec(probe, "BEGIN IMMEDIATE; ROLLBACK;", nullptr, nullptr, nullptr) != SQLITE_BUSY) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    sqlite3_close(probe);
}

void WriteLockHolder::Release() {
    if (holder_ != nullptr) {
        auto* process = static_cast<std::FILE*>(holder_);
        Send(process, "COMMIT;\n.quit\n");
        pclose(process);
        holder_ = nullptr;
    }
}

} // namespace brisko::test
