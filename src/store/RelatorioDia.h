#pragma once
// One day's orders from their history, for the store's own accounts: the CSV export and the
// window's summary line.
#include <string>
#include <string_view>
#include <vector>

#include "Database.h"

namespace brisko::store {

// One order imported on the day. Times are local "dd/mm/yyyy hh:mm:ss"; empty when it never came.
struct LinhaRelatorio {
    std::string pedido;
    std::string cliente;
    std::string importadoEm;
    std::string solicitadoEm; // the last request sent
    std::string como;         // "automática" or "manual"; empty when never requested
    std::string resultado;    // the last outcome, with the platform's words; empty when none yet
    std::string taxaEstimada; // the last fee estimated, "12,40" (as the platform wrote it if unreadable)
    std::string entregueEm;   // when the operator marked it delivered
};

// The orders imported on the local day `dia` ("yyyy-mm-dd"), in the order they came.
std::vector<LinhaRelatorio> RelatorioDoDia(Database& db, std::string_view dia);

// The report as a spreadsheet opens it: UTF-8 with a byte-order mark, ";" between fields, CR LF
// after every row, a field with ";", a quote or a line break in quotes (its quotes doubled).
std::string RelatorioCsv(const std::vector<LinhaRelatorio>& linhas);

struct ResumoDia {
    int pedidos = 0;     // imported
    int solicitados = 0; // a courier request was sent
    int falhas = 0;      // the last request was refused or got no answer
    int retidos = 0;     // the fee ceiling holds it
};
ResumoDia Resume(const std::vector<LinhaRelatorio>& linhas);

} // namespace brisko::store
