#include "WriteLockHolder.h"

#include "PathText.h"

#include <sqlite3.h>

#include <stdexcept>

namespace brisko::test {

WriteLockHolder::WriteLockHolder(const std::filesystem::path& file) {
    sqlite3* connection = nullptr;
    if (sqlite3_open(store::PathText(file).c_str(), &connection) != SQLITE_OK ||
        sqlite3_exec(connection, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(connection);
        throw std::runtime_error("cannot take the write lock of " + store::PathText(file));
    }
    holder_ = connection;
}

void WriteLockHolder::Release() {
    if (holder_ != nullptr) {
        auto* connection = static_cast<sqlite3*>(holder_);
        sqlite3_exec(connection, "COMMIT;", nullptr, nullptr, nullptr);
        sqlite3_close(connection);
        holder_ = nullptr;
    }
}

} // namespace brisko::test
