#include "Database.h"

#include "PathText.h"

#include <sqlite3.h>

#include <unordered_map>
#include <utility>

namespace brisko::store {
namespace {

// Column names compare as the engine compares identifiers: without regard to ASCII case.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

struct StatementCache {
    // Enough for every statement text the program runs; texts built at run time do not crowd it.
    static constexpr std::size_t kMaxIdle = 64;

    std::unordered_multimap<std::string, sqlite3_stmt*> idle;

    StatementCache() = default;
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;
    ~StatementCache() {
        for (const auto& entry : idle) {
            sqlite3_finalize(entry.second);
        }
    }

    sqlite3_stmt* Take(const std::string& sql) {
        const auto found = idle.find(sql);
        if (found == idle.end()) {
            return nullptr;
        }
        sqlite3_stmt* statement = found->second;
        idle.erase(found);
        return statement;
    }

    // False when full: the caller finalizes the statement.
    bool Give(const std::string& sql, sqlite3_stmt* statement) {
        if (idle.size() >= kMaxIdle) {
            return false;
        }
        idle.emplace(sql, statement);
        return true;
    }
};

namespace {

constexpr int kSynchronousNormal = 1;
constexpr int kSynchronousFull = 2;

// The connection's synchronous setting (0 off, 1 normal, 2 full, 3 extra); full when unreadable.
int SynchronousSetting(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    int setting = kSynchronousFull;
    if (sqlite3_prepare_v2(db, "PRAGMA synchronous", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        setting = sqlite3_column_int(statement, 0);
    }
    sqlite3_finalize(statement);
    return setting;
}

// Settings, not statements of the caller: run beside the fault hook's count.
void SetSynchronous(sqlite3* db, int setting) {
    sqlite3_exec(db, ("PRAGMA synchronous = " + std::to_string(setting)).c_str(), nullptr, nullptr, nullptr);
}

} // namespace

Database::Database(const std::filesystem::path& file, std::chrono::milliseconds busyTimeout)
    : cache_(std::make_shared<StatementCache>()) {
    const int rc = sqlite3_open_v2(PathText(file).c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError(message);
    }
    sqlite3_busy_timeout(db_, static_cast<int>(busyTimeout.count()));
    SetSynchronous(db_, kSynchronousFull);
}

Database::~Database() {
    Close();
}

std::filesystem::path Database::File() const {
    const char* name = db_ == nullptr ? nullptr : sqlite3_db_filename(db_, "main");
    if (name == nullptr || *name == '\0') {
        throw DatabaseError("the order database has no file");
    }
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(name)));
}

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), fault_(std::move(other.fault_)),
      cache_(std::move(other.cache_)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        Close();
        db_ = std::exchange(other.db_, nullptr);
        fault_.swap(other.fault_);
        cache_ = std::move(other.cache_);
    }
    return *this;
}

void Database::Close() {
    cache_.reset(); // statements still in use finalize themselves; the engine closes after them
    sqlite3_close_v2(db_);
}

Statement Database::Prepare(std::string_view sql) {
    return Statement(db_, sql, fault_.get(), cache_);
}

void Database::FailNthStatement(long long n) {
    *fault_ = StatementFault{n, 0};
}

void Database::Execute(std::string_view sql) {
    Statement statement = Prepare(sql);
    while (statement.Step()) {
    }
}

Statement::Statement(sqlite3* db, std::string_view sql, StatementFault* fault,
                     std::shared_ptr<StatementCache> cache)
    : db_(db), cache_(cache), fault_(fault) {
    if (db_ == nullptr) {
        throw DatabaseError("Database not open");
    }
    if (cache) {
        sql_ = sql;
        stmt_ = cache->Take(sql_);
    }
    const unsigned flags = cache ? SQLITE_PREPARE_PERSISTENT : 0;
    if (stmt_ == nullptr && sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), flags, &stmt_,
                                               nullptr) != SQLITE_OK) {
        Fail();
    }
    if (stmt_ == nullptr) { // only blanks or a comment
        throw DatabaseError("Empty statement");
    }
    const int count = sqlite3_column_count(stmt_);
    columns_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        columns_.emplace_back(sqlite3_column_name(stmt_, i));
    }
}

Statement::~Statement() {
    Release();
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)), cache_(std::move(other.cache_)),
      sql_(std::move(other.sql_)), columns_(std::move(other.columns_)), changes_(other.changes_),
      fault_(other.fault_), stepped_(other.stepped_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        Release();
        db_ = other.db_;
        stmt_ = std::exchange(other.stmt_, nullptr);
        cache_ = std::move(other.cache_);
        sql_ = std::move(other.sql_);
        columns_ = std::move(other.columns_);
        changes_ = other.changes_;
        fault_ = other.fault_;
        stepped_ = other.stepped_;
    }
    return *this;
}

// Reset and without bindings, a statement holds no lock and no snapshot, and its next user starts
// from NULL parameters as from a fresh compile.
void Statement::Release() {
    if (stmt_ == nullptr) {
        return;
    }
    if (const std::shared_ptr<StatementCache> cache = cache_.lock()) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        if (cache->Give(sql_, stmt_)) {
            stmt_ = nullptr;
            return;
        }
    }
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
}

void Statement::Fail() const {
    throw DatabaseError(sqlite3_errmsg(db_));
}

int Statement::ParameterIndex(std::string_view name) const {
    const bool hasPrefix =
        !name.empty() && (name.front() == ':' || name.front() == '@' || name.front() == '$');
    std::string key;
    key.reserve(name.size() + 1);
    if (!hasPrefix) {
        key += ':';
    }
    key += name;
    const int index = sqlite3_bind_parameter_index(stmt_, key.c_str());
    if (index == 0) {
        throw DatabaseError("Parameter '" + std::string(name) + "' not found");
    }
    return index;
}

int Statement::ColumnIndex(std::string_view column) const {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (SameName(columns_[i], column)) {
            return static_cast<int>(i);
        }
    }
    throw DatabaseError("Field '" + std::string(column) + "' not found");
}

Statement& Statement::Bind(std::string_view name, std::string_view text) {
    if (sqlite3_bind_text64(stmt_, ParameterIndex(name), text.data(), text.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8) != SQLITE_OK) {
        Fail();
    }
    return *this;
}

Statement& Statement::Bind(std::string_view name, long long value) {
    if (sqlite3_bind_int64(stmt_, ParameterIndex(name), value) != SQLITE_OK) {
        Fail();
    }
    return *this;
}

bool Statement::Step() {
    if (fault_ != nullptr && !std::exchange(stepped_, true)) {
        ++fault_->run;
        if (fault_->countdown > 0 && --fault_->countdown == 0) {
            throw DatabaseError(sqlite3_errstr(SQLITE_IOERR));
        }
    }
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        changes_ = sqlite3_changes(db_);
        return false;
    }
    Fail();
}

std::string Statement::Text(std::string_view column) const {
    const int index = ColumnIndex(column);
    const auto* text = sqlite3_column_text(stmt_, index);
    if (text == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char*>(text),
            static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index))};
}

long long Statement::Integer(std::string_view column) const {
    return sqlite3_column_int64(stmt_, ColumnIndex(column));
}

Transaction::Transaction(Database& db) : db_(db) {
    db_.Execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (!done_) {
        // A failed rollback leaves nothing to do here: the engine rolls back on its own when the
        // failing statement already ended the transaction.
        try {
            db_.Execute("ROLLBACK");
        } catch (const DatabaseError&) {
        }
    }
}

void Transaction::Commit() {
    db_.Execute("COMMIT");
    done_ = true;
}

std::string WriteRefusal(Database& db) {
    const std::string readOnly = sqlite3_errstr(SQLITE_READONLY);
    try {
        db.Prepare("SELECT COUNT(*) FROM sqlite_master").Step();
    } catch (const DatabaseError& e) {
        return std::string(e.what()).find(readOnly) != std::string::npos ? e.what() : std::string();
    }
    return sqlite3_db_readonly(db.Handle(), "main") == 1 ? readOnly : std::string();
}

void KeepToOwner(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    constexpr fs::perms kNotTheOwners = fs::perms::group_all | fs::perms::others_all;
    const fs::path paths[] = {file.parent_path(), fs::path(file) += "-wal", fs::path(file) += "-shm", file};
    for (const fs::path& path : paths) {
        std::error_code ignored;
        const fs::file_status status = fs::status(path, ignored);
        if (fs::exists(status) && (status.permissions() & kNotTheOwners) != fs::perms::none) {
            fs::permissions(path, kNotTheOwners, fs::perm_options::remove, ignored);
        }
    }
}

DiskWaitScope::DiskWaitScope(Database& db, bool waitForDisk)
    : db_(db.Handle()), kept_(SynchronousSetting(db_)) {
    SetSynchronous(db_, waitForDisk ? kSynchronousFull : kSynchronousNormal);
}

DiskWaitScope::~DiskWaitScope() {
    SetSynchronous(db_, kept_);
}

} // namespace brisko::store
