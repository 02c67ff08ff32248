#include "RelatorioDia.h"

#include "Historico.h"
#include "TetoTaxa.h"

#include <initializer_list>
#include <optional>

namespace brisko::store {
namespace {

std::string Outcome(std::string_view evento, const std::string& detalhe) {
    std::string text(evento);
    if (!detalhe.empty()) {
        text += ": ";
        text += detalhe;
    }
    return text;
}

void Apply(LinhaRelatorio& linha, const std::string& evento, const std::string& hora,
           const std::string& detalhe, const std::string& taxa) {
    if (evento == kEventoImportado) {
        linha.importadoEm = hora;
        linha.cliente = detalhe;
    } else if (evento == kEventoEnvioAutomatico || evento == kEventoEnvioManual) {
        linha.solicitadoEm = hora;
        linha.como = evento == kEventoEnvioAutomatico ? "automática" : "manual";
        linha.resultado.clear();
    } else if (evento == kEventoAceita || evento == kEventoRecusada || evento == kEventoSemResposta ||
               evento == kEventoRetido) {
        linha.resultado = Outcome(evento, detalhe);
    } else if (evento == kEventoEstimativa) {
        // In reais with a comma, as a Brazilian spreadsheet reads a number.
        const std::optional<long long> centavos = Centavos(taxa);
        linha.taxaEstimada = centavos ? Reais(*centavos) : taxa;
    } else if (evento == kEventoEntregue) {
        linha.entregueEm = hora;
    }
}

bool NeedsQuotes(std::string_view field) {
    return field.find_first_of(";\"\r\n") != std::string_view::npos;
}

void AppendField(std::string& csv, std::string_view field) {
    if (!NeedsQuotes(field)) {
        csv += field;
        return;
    }
    csv += '"';
    for (const char c : field) {
        csv += c;
        if (c == '"') {
            csv += '"';
        }
    }
    csv += '"';
}

void AppendRow(std::string& csv, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first) {
            csv += ';';
        }
        first = false;
        AppendField(csv, field);
    }
    csv += "\r\n";
}

} // namespace

std::vector<LinhaRelatorio> RelatorioDoDia(Database& db, std::string_view dia) {
    // Every event of the orders imported that day, each order's in the order they happened. The day
    // is cut in UTC, as the events are stored, so that the index on their time finds it.
    Statement row = db.Prepare(
        "SELECT H.IDPEDIDO, H.EVENTO, H.DETALHE, H.TAXA, "
        "strftime('%d/%m/%Y %H:%M:%S', H.DATAHORA, 'localtime') AS HORA, I.PRIMEIRO FROM HISTORICO H JOIN "
        "(SELECT ORIGEM, IDPEDIDO, MIN(ID) AS PRIMEIRO FROM HISTORICO WHERE EVENTO = :IMPORTADO "
        "AND DATAHORA >= strftime('%Y-%m-%d %H:%M:%S', :DIA, 'utc') "
        "AND DATAHORA < strftime('%Y-%m-%d %H:%M:%S', :DIA, '+1 day', 'utc') GROUP BY ORIGEM, IDPEDIDO) I "
        "ON H.ORIGEM = I.ORIGEM AND H.IDPEDIDO = I.IDPEDIDO ORDER BY I.PRIMEIRO, H.ID");
    row.Bind(":IMPORTADO", kEventoImportado).Bind(":DIA", dia);
    std::vector<LinhaRelatorio> linhas;
    long long atual = 0;
    while (row.Step()) {
        if (linhas.empty() || row.Integer("PRIMEIRO") != atual) {
            atual = row.Integer("PRIMEIRO");
            linhas.push_back({});
            linhas.back().pedido = row.Text("IDPEDIDO");
        }
        Apply(linhas.back(), row.Text("EVENTO"), row.Text("HORA"), row.Text("DETALHE"), row.Text("TAXA"));
    }
    return linhas;
}

std::string RelatorioCsv(const std::vector<LinhaRelatorio>& linhas) {
    std::string csv = "\xEF\xBB\xBF";
    AppendRow(csv, {"Pedido", "Cliente", "Importado em", "Solicitado em", "Como", "Resultado",
                    "Taxa estimada", "Marcado entregue em"});
    for (const LinhaRelatorio& l : linhas) {
        AppendRow(csv, {l.pedido, l.cliente, l.importadoEm, l.solicitadoEm, l.como, l.resultado,
                        l.taxaEstimada, l.entregueEm});
    }
    return csv;
}

ResumoDia Resume(const std::vector<LinhaRelatorio>& linhas) {
    ResumoDia resumo;
    for (const LinhaRelatorio& l : linhas) {
        ++resumo.pedidos;
        resumo.solicitados += l.como.empty() ? 0 : 1;
        const auto is = [&l](std::string_view evento) { return l.resultado.starts_with(evento); };
        resumo.falhas += is(kEventoRecusada) || is(kEventoSemResposta) ? 1 : 0;
        resumo.retidos += is(kEventoRetido) ? 1 : 0;
    }
    return resumo;
}

} // namespace brisko::store
