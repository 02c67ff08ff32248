#include <gtest/gtest.h>

#include <fstream>

#include "StoreFixture.h"

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

} // namespace
} // namespace brisko::test
