#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "StoreFixture.h"
#include "WriteLockHolder.h"

namespace brisko::test {
namespace {

using store::Database;

TEST(DatabaseOpen, MissingFileFailsWithTheEngineMessageAndCreatesNothing) {
    TempFolder folder;
    const auto file = folder / "BD" / "BANCO.db";
    try {
        Database db(file);
        FAIL() << "opened a missing file";
    } catch (const DatabaseError& e) {
        EXPECT_STREQ(e.what(), "unable to open database file");
        EXPECT_STREQ(ErrorKindName(e), "EDatabaseError");
    }
    EXPECT_FALSE(std::filesystem::exists(file));

    std::filesystem::create_directory(folder / "BD");
    EXPECT_THROW(Database{file}, DatabaseError);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(DatabaseOpen, FileWithoutTablesOpensAndTheFirstStatementFails) {
    TempFolder folder;
    const auto file = folder / "BANCO.db";
    { std::ofstream{file}; } // an empty file is a valid empty database
    Database db(file);
    try {
        store::ListaPedidos(db);
        FAIL() << "read a missing table";
    } catch (const DatabaseError& e) {
        EXPECT_STREQ(e.what(), "no such table: PEDIDOS");
    }
}

TEST(DatabaseOpen, WriteRefusalNamesOnlyAFileThatMayNotBeWritten) {
    TempFolder folder;
    const auto file = folder / "BANCO.db";
    { std::ofstream{file}; }
    Database writable(file);
    EXPECT_EQ(store::WriteRefusal(writable), "");

    // A damaged file is no refusal to write: the statements that meet it report it.
    const auto damaged = folder / "DAMAGED.db";
    std::ofstream(damaged) << std::string(4096, 'x');
    Database broken(damaged);
    EXPECT_EQ(store::WriteRefusal(broken), "");
    EXPECT_THROW(store::ListaPedidos(broken), DatabaseError);
}

TEST(DatabaseOpen, KeepToOwnerClosesTheFileItsSideFilesAndItsFolderToOthers) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no group and other modes: the user's profile keeps the program to its user";
#endif
    namespace fs = std::filesystem;
    TempFolder folder;
    const fs::path bd = folder / "BD";
    const fs::path file = bd / "BANCO.db";
    fs::create_directory(bd);
    for (const fs::path& made : {file, fs::path(file) += "-wal"}) {
        std::ofstream{made};
        fs::permissions(made, fs::perms(0644));
    }
    fs::permissions(bd, fs::perms(0755));
    std::ofstream{folder / "other.txt"}; // beside the folder: not the database's
    fs::permissions(folder / "other.txt", fs::perms(0644));

    store::KeepToOwner(file);
    EXPECT_EQ(fs::status(bd).permissions(), fs::perms(0700));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(fs::path(file) += "-wal").permissions(), fs::perms(0600));
    EXPECT_FALSE(fs::exists(fs::path(file) += "-shm")); // a missing side file is not made
    EXPECT_EQ(fs::status(folder / "other.txt").permissions(), fs::perms(0644));

    // The owner's own rights are left as they are, read-only included.
    fs::permissions(file, fs::perms(0444));
    store::KeepToOwner(file);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0400));
    store::KeepToOwner(folder / "missing" / "BANCO.db"); // nothing to do, nothing thrown
}

TEST_F(StoreTest, NullColumnsReadAsEmptyTextAndZero) {
    db.Execute("INSERT INTO CONFIGURACAO (NOME) VALUES (NULL)");
    auto row = db.Prepare("SELECT * FROM CONFIGURACAO");
    ASSERT_TRUE(row.Step());
    EXPECT_EQ(row.Text("NOME"), "");
    EXPECT_EQ(row.Integer("SOLICITACAOAUTOMATICO"), 0);
    EXPECT_EQ(row.Text("solicitacaoautomatico"), "") << "column names are matched without regard to case";
    EXPECT_FALSE(row.Step());
}

TEST_F(StoreTest, TextsKeepEveryByteIncludingAccentsAndQuotes) {
    const std::string text = "Jo\xC3\xA3o d'\xC3\x81gua \"Ltda\"; DROP TABLE PEDIDOS; --";
    db.Prepare("INSERT INTO EMPRESA (NOME) VALUES (:NOME)").Bind("NOME", text).Step();
    EXPECT_EQ(store::LeEmpresa(db).value().NOME, text);
}

TEST_F(StoreTest, UnknownNamesAreDatabaseErrors) {
    auto statement = db.Prepare("SELECT * FROM PEDIDOS WHERE ID = :ID");
    EXPECT_THROW(statement.Bind(":IDX", 1LL), DatabaseError);
    EXPECT_THROW(db.Prepare("SELEC 1"), DatabaseError);
    db.Execute("INSERT INTO PEDIDOS (ORIGEM, IDPEDIDO) VALUES (1, 'a')");
    statement.Bind(":ID", 1LL);
    ASSERT_TRUE(statement.Step());
    EXPECT_THROW(statement.Text("NOPE"), DatabaseError);
}

TEST_F(StoreTest, ChangesCountsTheRowsOfTheLastStatement) {
    store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "1"});
    store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "2"});
    auto update = db.Prepare("UPDATE PEDIDOS SET CLIENTE = 'c'");
    EXPECT_FALSE(update.Step());
    EXPECT_EQ(update.Changes(), 2);
}

TEST_F(StoreTest, TransactionRollsBackUnlessCommitted) {
    {
        store::Transaction transaction(db);
        db.Execute("DELETE FROM EMPRESA");
        db.Execute("INSERT INTO EMPRESA (NOME) VALUES ('rolled back')");
    }
    EXPECT_FALSE(store::LeEmpresa(db).has_value());
    {
        store::Transaction transaction(db);
        db.Execute("INSERT INTO EMPRESA (NOME) VALUES ('kept')");
        transaction.Commit();
    }
    EXPECT_EQ(store::LeEmpresa(db).value().NOME, "kept");
}

TEST_F(StoreTest, ConnectionUsesTheBusyTimeoutAndNormalLocking) {
    auto timeout = db.Prepare("PRAGMA busy_timeout");
    timeout.Step();
    EXPECT_EQ(timeout.Integer("timeout"), 5000);
    auto locking = db.Prepare("PRAGMA locking_mode");
    locking.Step();
    EXPECT_EQ(locking.Text("locking_mode"), "normal");
    auto journal = db.Prepare("PRAGMA journal_mode");
    journal.Step();
    EXPECT_EQ(journal.Text("journal_mode"), "wal");
}

// Statements are compiled once per connection and text, and handed out again when done with.
TEST_F(StoreTest, ReusedStatementStartsLikeAFreshOne) {
    const char* sql = "SELECT :A AS A, (SELECT COUNT(*) FROM PEDIDOS) AS N";
    {
        auto first = db.Prepare(sql);
        first.Bind(":A", "left bound");
        ASSERT_TRUE(first.Step()); // left open in the middle of its rows
        // The same text twice at once: each has a compiled statement of its own.
        auto second = db.Prepare(sql);
        second.Bind(":A", 2LL);
        ASSERT_TRUE(second.Step());
        EXPECT_EQ(second.Integer("A"), 2);
        EXPECT_EQ(first.Text("A"), "left bound");
    }
    // A write by another connection is seen: a statement left mid-way holds no snapshot once back.
    store::Database other(File());
    store::InserePedido(other, {.DATAHORA = "x", .IDPEDIDO = "1"});
    auto again = db.Prepare(sql);
    ASSERT_TRUE(again.Step());
    EXPECT_EQ(again.Text("A"), "") << "parameters start unbound";
    EXPECT_EQ(again.Integer("N"), 1);

    // A statement whose step failed is handed out ready to run again.
    store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "2"});
    EXPECT_THROW(store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "2"}), DatabaseError);
    store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "3"});
    auto count = db.Prepare("SELECT COUNT(*) AS N FROM PEDIDOS");
    count.Step();
    EXPECT_EQ(count.Integer("N"), 3);
}

TEST_F(StoreTest, StatementOutlivingItsConnectionIsFinishedSafely) {
    auto moved = std::make_unique<store::Database>(File());
    auto statement = moved->Prepare("SELECT 1 AS ONE");
    store::Database taken(std::move(*moved));
    EXPECT_TRUE(statement.Step()) << "the statement keeps working with the moved connection";
    moved.reset();
    { auto reused = taken.Prepare("SELECT 1 AS ONE"); }
    auto orphan = std::make_unique<store::Database>(File());
    auto last = orphan->Prepare("SELECT 1 AS ONE");
    orphan.reset(); // the engine closes once the statement is finished, which is not given back
}

TEST_F(StoreTest, CommitsWaitForTheDiskUnlessAScopeSaysOtherwise) {
    const auto synchronous = [&] {
        auto setting = db.Prepare("PRAGMA synchronous");
        setting.Step();
        return setting.Integer("synchronous");
    };
    const long long full = synchronous();
    EXPECT_EQ(full, 2);
    try {
        const store::CommitsWithoutDiskWait relaxed(db);
        EXPECT_EQ(synchronous(), 1);
        {
            const store::CommitsWaitingForDisk durable(db);
            EXPECT_EQ(synchronous(), 2);
        }
        EXPECT_EQ(synchronous(), 1);
        store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "1"});
        store::InserePedido(db, {.DATAHORA = "x", .IDPEDIDO = "1"}); // refused: a duplicate
    } catch (const DatabaseError&) {
    }
    EXPECT_EQ(synchronous(), full) << "a failure inside the scope leaves commits waiting again";
}

TEST_F(StoreTest, AShortBusyWaitFailsSoonUnderAnotherProcesssLock) {
    store::Database brief(File(), std::chrono::milliseconds(100));
    auto timeout = brief.Prepare("PRAGMA busy_timeout");
    timeout.Step();
    EXPECT_EQ(timeout.Integer("timeout"), 100);
    const WriteLockHolder lock(File());
    try {
        store::InserePedido(brief, {.DATAHORA = "x", .IDPEDIDO = "1"});
        FAIL() << "written under another process's lock";
    } catch (const DatabaseError& e) {
        EXPECT_STREQ(e.what(), "database is locked");
    }
    EXPECT_EQ(store::ListaPedidos(brief).size(), 0u) << "reads go on beside the lock";
}

} // namespace
} // namespace brisko::test
