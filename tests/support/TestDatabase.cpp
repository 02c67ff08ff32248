#include "TestDatabase.h"

#include <sqlite3.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "BuildConstants.h"
#include "Migrations.h"

namespace brisko::test {
namespace {

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void BindIdMch(store::Statement& statement, const std::optional<std::string>& idMch) {
    if (idMch) {
        statement.Bind(":ID_MCH", *idMch);
    } // an unbound parameter is NULL
}

// The engine answers NULL for an empty modifier; "+0 seconds" is its way to say none.
std::string_view Modifier(std::string_view modifier) {
    return modifier.empty() ? std::string_view("+0 seconds") : modifier;
}

} // namespace

void FreshDatabase(const std::filesystem::path& file) {
    FirstSchemaDatabase(file);
    store::Database db(file);
    store::Migrate(db);
}

void FirstSchemaDatabase(const std::filesystem::path& file) {
    const std::string schema = ReadFile(build::kSchemaFile);
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* error = nullptr;
    if (rc != SQLITE_OK || sqlite3_exec(db, schema.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        sqlite3_close(db);
        throw std::runtime_error("cannot make " + file.string() + ": " + message);
    }
    sqlite3_close(db);
}

std::string EngineTime(store::Database& db, std::string_view modifier) {
    store::Statement statement = db.Prepare("SELECT strftime('%Y-%m-%d %H:%M:%S','now',:M) AS T");
    statement.Bind(":M", Modifier(modifier));
    statement.Step();
    return statement.Text("T");
}

long long InsertOrderAt(store::Database& db, const TestOrder& order, std::string_view modifier) {
    store::Statement statement =
        db.Prepare("INSERT INTO PEDIDOS (ORIGEM,IDPEDIDO,ID_MCH,DATAHORA) "
                   "VALUES (1,:IDPEDIDO,:ID_MCH,strftime('%Y-%m-%d %H:%M:%S','now',:M))");
    statement.Bind(":IDPEDIDO", order.idPedido).Bind(":M", Modifier(modifier));
    BindIdMch(statement, order.idMch);
    statement.Step();
    return sqlite3_last_insert_rowid(db.Handle());
}

long long InsertOrderWithText(store::Database& db, const TestOrder& order,
                              const std::optional<std::string>& dataHora) {
    store::Statement statement = db.Prepare(
        "INSERT INTO PEDIDOS (ORIGEM,IDPEDIDO,ID_MCH,DATAHORA) VALUES (1,:IDPEDIDO,:ID_MCH,:DATAHORA)");
    statement.Bind(":IDPEDIDO", order.idPedido);
    BindIdMch(statement, order.idMch);
    if (dataHora) {
        statement.Bind(":DATAHORA", *dataHora);
    }
    statement.Step();
    return sqlite3_last_insert_rowid(db.Handle());
}

} // namespace brisko::test
