#pragma once
// A connection to the local database file and the statements run on it. One connection is used by
// one thread at a time; the window thread and the integration worker each open their own.
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"

struct sqlite3;
struct sqlite3_stmt;

namespace brisko::store {

class Statement;
struct StatementCache;

// Test hook for fault sweeps: counts the statements a connection runs and makes one of them fail
// like the engine would. Inert until armed; costs one branch per statement otherwise.
struct StatementFault {
    long long countdown = 0; // 0: disarmed; n: the nth statement run from now fails
    long long run = 0;       // statements run since the last arming
};

// How long a statement waits for a lock another connection holds before it fails with "database is
// locked".
inline constexpr std::chrono::milliseconds kBusyTimeout{5000};

class Database {
public:
    // Opens an existing file for reading and writing; a missing file is an open failure. Throws
    // DatabaseError carrying the engine's own message. Commits wait for the disk unless told
    // otherwise (CommitsWithoutDiskWait), whatever the engine was built to do by default.
    explicit Database(const std::filesystem::path& file,
                      std::chrono::milliseconds busyTimeout = kBusyTimeout);
    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    Statement Prepare(std::string_view sql);
    // Runs one statement that returns no rows.
    void Execute(std::string_view sql);
    sqlite3* Handle() { return db_; }
    // The file this connection has open, as the engine names it (absolute), for a connection of
    // another thread to open; throws DatabaseError when there is none.
    std::filesystem::path File() const;

    // Test hook: the nth statement run on this connection from now on fails at its first step with
    // the engine's "disk I/O error", before it touches the file; 0 disarms. It fires once.
    void FailNthStatement(long long n);
    // Statements run since the hook was last armed (or since the connection opened).
    long long StatementsRun() const { return fault_->run; }

private:
    void Close();

    sqlite3* db_ = nullptr;
    // On the heap so that statements keep a valid pointer when the connection is moved.
    std::unique_ptr<StatementFault> fault_ = std::make_unique<StatementFault>();
    // Statements already compiled, kept for the next use of the same text: the same few statements
    // run over and over, and compiling one cost more than running it.
    std::shared_ptr<StatementCache> cache_;
};

// A prepared statement. Parameters are bound by their name as written in the SQL (":ID"; the colon
// may be left out). Columns are read by name; NULL reads as the empty text or 0.
class Statement {
public:
    // Compiles `sql` on `db`, or takes it ready from `cache`, where it goes back when done with.
    Statement(sqlite3* db, std::string_view sql, StatementFault* fault = nullptr,
              std::shared_ptr<StatementCache> cache = nullptr);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(std::string_view name, std::string_view text);
    Statement& Bind(std::string_view name, long long value);
    // True while a row is available; false once the statement has run to its end.
    bool Step();
    std::string Text(std::string_view column) const;
    long long Integer(std::string_view column) const;
    // Rows changed by the last completed insert, update or delete.
    int Changes() const { return changes_; }

private:
    int ParameterIndex(std::string_view name) const;
    int ColumnIndex(std::string_view column) const;
    [[noreturn]] void Fail() const;
    void Release();

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    std::weak_ptr<StatementCache> cache_; // where the compiled statement goes back
    std::string sql_;                     // its text, the key there
    std::vector<std::string> columns_;
    int changes_ = 0;
    StatementFault* fault_ = nullptr; // counted at the first step only
    bool stepped_ = false;
};

// BEGIN IMMEDIATE on construction: the write lock is taken at once (waiting up to the busy
// time-out), so the transaction never fails half-way for want of it. Rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

private:
    Database& db_;
    bool done_ = false;
};

// Why the connection may not write its file, in the engine's words; empty when it may. A file in a
// folder that may not be written opens without error, and in WAL mode even its reads fail then.
// Other read errors (a damaged file, say) are left to the statements that meet them: empty.
std::string WriteRefusal(Database& db);

// Takes every right of the group and of others from a database file, from its write-ahead log and
// shared-memory files, and from its folder: the file holds the store's and the marketplace's
// passwords. Where a file is missing or another user's, or the system has no such rights, nothing
// changes. Never throws.
void KeepToOwner(const std::filesystem::path& file);

// While it lives, commits on the connection wait for the disk or not, whatever the connection's own
// setting; that setting comes back at the end. A setting that cannot be changed is left as it is.
class DiskWaitScope {
public:
    DiskWaitScope(const DiskWaitScope&) = delete;
    DiskWaitScope& operator=(const DiskWaitScope&) = delete;

protected:
    DiskWaitScope(Database& db, bool waitForDisk);
    ~DiskWaitScope();

private:
    sqlite3* db_;
    int kept_; // the connection's setting before
};

// Commits return before the disk has them (WAL with synchronous NORMAL): a crash of the program
// loses none of them, a power cut may take the last ones back until the next commit that waits for
// the disk, which makes them durable too. Only for writes that are repeated by themselves when
// undone, or whose loss leaves a state that is safe as it is.
class CommitsWithoutDiskWait : public DiskWaitScope {
public:
    explicit CommitsWithoutDiskWait(Database& db) : DiskWaitScope(db, false) {}
};

// Every commit is on the disk when it returns (synchronous FULL), also inside a
// CommitsWithoutDiskWait.
class CommitsWaitingForDisk : public DiskWaitScope {
public:
    explicit CommitsWaitingForDisk(Database& db) : DiskWaitScope(db, true) {}
};

} // namespace brisko::store
