#pragma once
// The store's record at the dispatch platform: the single EMPRESA row.
#include <optional>
#include <string>

#include "Database.h"

namespace brisko::store {

// The 17 columns, in the order they are written.
struct Empresa {
    std::string IDROVEZOR{};
    std::string NOME{};
    std::string ENDERECO{};
    std::string BAIRRO{};
    std::string CIDADE{};
    std::string UF{};
    std::string CEP{};
    std::string LAT{};
    std::string LNG{};
    std::string STATUS{}; // "A" is active
    std::string TIPOSPAGAMENTOS{};
    std::string CATEGORIAS{};
    std::string AUTOCONNECT{}; // "S" or "N"
    std::string EMAIL{};
    std::string SENHA{};
    std::string TELEFONE{};
    std::string DOCUMENTO{};
};

// The first row that comes back, if any.
std::optional<Empresa> LeEmpresa(Database& db);
// Leaves exactly the given row. Delete and insert commit together: a failed insert keeps the old row.
void SubstituiEmpresa(Database& db, const Empresa& empresa);
void ApagaEmpresa(Database& db);

} // namespace brisko::store
