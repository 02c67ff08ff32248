#pragma once
// The operator's settings: the single CONFIGURACAO row.
#include <optional>
#include <string>

#include "Database.h"

namespace brisko::store {

struct Configuracao {
    std::string NOME{};
    long long SOLICITACAOAUTOMATICO = 0; // 1 when automatic scheduling is on
    std::string TEMPOAGENDAMENTO{};      // minutes, as typed
    std::string CATEGORIAPADRAO{};
    std::string PAGAMENTOPADRAO{};
    std::string RETORNOPADRAO{}; // "Não" or "Sim"
};

// The first row that comes back, if any.
std::optional<Configuracao> LeConfiguracao(Database& db);
// Leaves exactly one row, named "PADRAO" whatever `NOME` holds, with the other values as given (no
// trimming, no checks). Delete and insert commit together: a failed insert keeps the old row.
void SubstituiConfiguracao(Database& db, const Configuracao& configuracao);

} // namespace brisko::store
