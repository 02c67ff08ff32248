#pragma once
// The operator's preferences of the features added after the first schema: the PREFERENCIAS rows,
// one value per name, as text.
#include <optional>
#include <string>
#include <string_view>

#include "Database.h"

namespace brisko::store {

// The value stored under `nome`, if any.
std::optional<std::string> LePreferencia(Database& db, std::string_view nome);
// Stores `valor` under `nome`, replacing what was there.
void GravaPreferencia(Database& db, std::string_view nome, std::string_view valor);

} // namespace brisko::store
