#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"

namespace brisko::test {
namespace {

namespace fs = std::filesystem;
using store::Database;

// Every row of every table of the first schema, as text, in a fixed order.
std::string FirstSchemaRows(Database& db) {
    std::string rows;
    store::Statement tables =
        db.Prepare("SELECT name FROM sqlite_master WHERE type='table' AND name IN "
                   "('EMPRESA','CONFIGURACAO','CONFIGDELIVERY','PEDIDOS') ORDER BY name");
    while (tables.Step()) {
        const std::string table = tables.Text("name");
        std::string columns;
        store::Statement info = db.Prepare("SELECT name FROM pragma_table_info(:T)");
        info.Bind(":T", table);
        while (info.Step()) {
            columns += (columns.empty() ? "" : "||'|'||") + std::string("quote(") + info.Text("name") + ")";
        }
        store::Statement row = db.Prepare("SELECT " + columns + " AS R FROM " + table + " ORDER BY rowid");
        while (row.Step()) {
            rows += table + ": " + row.Text("R") + "\n";
        }
    }
    return rows;
}

void FillEveryTable(Database& db) {
    db.Execute("INSERT INTO EMPRESA (IDROVEZOR,NOME,STATUS,EMAIL,SENHA) "
               "VALUES ('77','Pizzaria São João','A','loja@example.com','s3nh@')");
    db.Execute("INSERT INTO CONFIGURACAO VALUES ('PADRAO',1,'20','Moto','[1]','Não')");
    db.Execute("INSERT INTO CONFIGDELIVERY (IDORIGEM,ORIGEM,EMPRESA,LOGIN,SENHA,TOKEN,VALIDADE) "
               "VALUES (1,'AIQFOME','12','int@example.com','x','tok','2026-12-31')");
    InsertOrderAt(db, {"1001", std::nullopt}, "-1 hours");
    InsertOrderAt(db, {"1002", std::string("ROVEZOR")}, "-30 hours");
    InsertOrderWithText(db, {"1003", std::string("ERRO ROVEZOR")}, std::nullopt);
}

std::string FileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool HasTable(Database& db, const std::string& table) {
    store::Statement found = db.Prepare("SELECT 1 FROM sqlite_master WHERE type='table' AND name=:N");
    found.Bind(":N", table);
    return found.Step();
}

class MigrationTest : public ::testing::Test {
protected:
    MigrationTest() {
        FirstSchemaDatabase(file_);
        db_ = std::make_unique<Database>(file_);
        FillEveryTable(*db_);
        rows_ = FirstSchemaRows(*db_);
    }

    TempFolder folder_;
    fs::path file_ = folder_ / "BANCO.db";
    std::unique_ptr<Database> db_;
    std::string rows_;
};

TEST_F(MigrationTest, UpgradesAFileOfTheFirstSchemaInPlaceKeepingEveryRow) {
    ASSERT_EQ(store::SchemaVersion(*db_), 0);
    EXPECT_EQ(store::Migrate(*db_), 0);
    EXPECT_EQ(store::SchemaVersion(*db_), store::NewestSchemaVersion());
    EXPECT_TRUE(HasTable(*db_, "PREFERENCIAS"));
    EXPECT_EQ(FirstSchemaRows(*db_), rows_);
    // The new table works: a preference is stored, replaced and read back.
    EXPECT_EQ(store::LePreferencia(*db_, "SOM"), std::nullopt);
    store::GravaPreferencia(*db_, "SOM", "1");
    store::GravaPreferencia(*db_, "SOM", "0");
    EXPECT_EQ(store::LePreferencia(*db_, "SOM"), "0");

    // Another connection (the next start) finds it current and writes nothing.
    db_.reset();
    const std::string before = FileBytes(file_) + FileBytes(fs::path(file_.string() + "-wal"));
    Database again(file_);
    EXPECT_EQ(store::Migrate(again), store::NewestSchemaVersion());
    EXPECT_EQ(FileBytes(file_) + FileBytes(fs::path(file_.string() + "-wal")), before);
    EXPECT_EQ(FirstSchemaRows(again), rows_);
}

TEST_F(MigrationTest, AFailingScriptLeavesTheFileAsItWas) {
    std::vector<store::MigrationScript> scripts = store::MigrationScripts();
    const int planted = store::NewestSchemaVersion() + 1;
    scripts.push_back({planted, "planted.sql",
                       "CREATE TABLE PLANTADA (A TEXT); INSERT INTO PEDIDOS (ORIGEM) VALUES (1);"
                       "PRAGMA user_version = " +
                           std::to_string(planted) + ";"});
    try {
        store::Migrate(*db_, scripts);
        FAIL() << "a script that breaks a constraint was applied";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("planted.sql"), std::string::npos) << e.what();
    }
    EXPECT_EQ(store::SchemaVersion(*db_), 0);
    EXPECT_FALSE(HasTable(*db_, "PREFERENCIAS"));
    EXPECT_FALSE(HasTable(*db_, "PLANTADA"));
    EXPECT_EQ(FirstSchemaRows(*db_), rows_);

    // A script that forgets to set its version is refused the same way.
    scripts.back().sql = "CREATE TABLE PLANTADA (A TEXT);";
    EXPECT_THROW(store::Migrate(*db_, scripts), DatabaseError);
    EXPECT_EQ(store::SchemaVersion(*db_), 0);
    EXPECT_FALSE(HasTable(*db_, "PLANTADA"));
}

TEST_F(MigrationTest, AFileNewerThanTheProgramIsRefusedUntouched) {
    const int newer = store::NewestSchemaVersion() + 1;
    db_->Execute("PRAGMA user_version = " + std::to_string(newer));
    db_.reset();
    const std::string before = FileBytes(file_) + FileBytes(fs::path(file_.string() + "-wal"));
    {
        Database db(file_);
        try {
            store::Migrate(db);
            FAIL() << "a newer file was accepted";
        } catch (const DatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("versão mais nova do programa"), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(store::SchemaVersion(db), newer);
    }
    EXPECT_EQ(FileBytes(file_) + FileBytes(fs::path(file_.string() + "-wal")), before);
}

} // namespace
} // namespace brisko::test
