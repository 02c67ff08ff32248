#pragma once
// Fresh database files made from the program's schema, and order rows whose DATAHORA the engine
// computes from its own clock, so that tests of the time window and the retention are exact.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Database.h"

namespace brisko::test {

// Makes a new database file at `file` as the build delivers it with the program: the first schema
// and every migration.
void FreshDatabase(const std::filesystem::path& file);
// Makes a new database file at `file` from the first schema only, as the first versions delivered it.
void FirstSchemaDatabase(const std::filesystem::path& file);

// The engine's "now" with a modifier ("-13 hours", "+1 second", "" for none), as YYYY-MM-DD HH:MM:SS.
std::string EngineTime(store::Database& db, std::string_view modifier);

struct TestOrder {
    std::string idPedido;
    std::optional<std::string> idMch; // nullopt stores NULL
};

// Inserts an order with DATAHORA = the engine's now plus `modifier` (for example "-13 hours");
// answers its ID.
long long InsertOrderAt(store::Database& db, const TestOrder& order, std::string_view modifier);
// Inserts an order with DATAHORA exactly as given (nullopt stores NULL); answers its ID.
long long InsertOrderWithText(store::Database& db, const TestOrder& order,
                              const std::optional<std::string>& dataHora);

// Runs `work` again until one run fell within a single second of the engine's clock, so that the
// bounds the engine computed inside it equal those computed around it; answers that run's result.
// `work` must be repeatable and should check nothing itself.
template <class Work> auto WithinOneEngineSecond(store::Database& db, Work&& work) {
    for (;;) {
        const std::string before = EngineTime(db, "");
        auto result = work();
        if (EngineTime(db, "") == before) {
            return result;
        }
    }
}

} // namespace brisko::test
