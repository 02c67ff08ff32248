#pragma once
// The schema's versions after the first one. Each script in src/store/migrations/ adds tables or
// columns and ends by setting PRAGMA user_version to its number; the build applies them all to the
// delivered database, and the program applies the missing ones to an older file when it opens it.
#include <string>
#include <vector>

#include "Database.h"

namespace brisko::store {

struct MigrationScript {
    int version = 0;  // the user_version the script leaves
    std::string name; // its file name, for messages
    std::string sql;
};

// Every script, in version order (generated from the files).
const std::vector<MigrationScript>& MigrationScripts();

// The newest version this program knows.
int NewestSchemaVersion();

// The file's PRAGMA user_version.
int SchemaVersion(Database& db);

// Brings the file up to the newest version: the missing scripts run in one transaction, so a failure
// leaves the file exactly as it was. A file at the newest version is not written. A file newer than
// this program is refused, untouched. Throws DatabaseError with a message for the operator; answers
// the version the file had.
int Migrate(Database& db);
// The same with the scripts given (tests plant a failing one).
int Migrate(Database& db, const std::vector<MigrationScript>& scripts);

} // namespace brisko::store
