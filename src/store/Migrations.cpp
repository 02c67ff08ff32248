#include "Migrations.h"

#include <sqlite3.h>

namespace brisko::store {
namespace {

int Newest(const std::vector<MigrationScript>& scripts) {
    return scripts.empty() ? 0 : scripts.back().version;
}

void RunScript(Database& db, const MigrationScript& script) {
    char* error = nullptr;
    if (sqlite3_exec(db.Handle(), script.sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db.Handle());
        sqlite3_free(error);
        throw DatabaseError("Falha ao atualizar o banco de dados (" + script.name + "): " + message);
    }
    if (SchemaVersion(db) != script.version) {
        throw DatabaseError("Falha ao atualizar o banco de dados (" + script.name +
                            "): a versão gravada não é " + std::to_string(script.version));
    }
}

} // namespace

int NewestSchemaVersion() {
    return Newest(MigrationScripts());
}

int SchemaVersion(Database& db) {
    Statement statement = db.Prepare("PRAGMA user_version");
    statement.Step();
    return static_cast<int>(statement.Integer("user_version"));
}

int Migrate(Database& db) {
    return Migrate(db, MigrationScripts());
}

int Migrate(Database& db, const std::vector<MigrationScript>& scripts) {
    const int newest = Newest(scripts);
    const auto refuseNewer = [newest](int found) {
        return DatabaseError("O banco de dados é de uma versão mais nova do programa (esquema " +
                             std::to_string(found) + "; este programa conhece até o " +
                             std::to_string(newest) +
                             "). Instale a versão mais nova do programa; o banco de dados não foi alterado.");
    };
    const int found = SchemaVersion(db);
    if (found > newest) {
        throw refuseNewer(found);
    }
    if (found == newest) {
        return found;
    }
    // Another copy of the program may have upgraded the file between the read above and the lock.
    Transaction transaction(db);
    const int locked = SchemaVersion(db);
    if (locked > newest) {
        throw refuseNewer(locked);
    }
    for (const MigrationScript& script : scripts) {
        if (script.version > locked) {
            RunScript(db, script);
        }
    }
    transaction.Commit();
    return found;
}

} // namespace brisko::store
