// The day report from the order history: what each order of the day came to, and a CSV that a
// spreadsheet reads back field for field, whatever the names and the platform's words hold.
#include "StoreFixture.h"

#include <gmock/gmock.h>

namespace brisko::test {
namespace {

using ::testing::ElementsAre;
using Row = std::vector<std::string>;

// RFC 4180 with ";" between fields: quoted fields may hold ";", doubled quotes and line breaks.
std::vector<Row> ReadCsv(std::string_view text) {
    std::vector<Row> rows;
    Row row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.empty() && row.empty()) << "the last row ends with CR LF";
    return rows;
}

class DayReportTest : public StoreTest {
protected:
    void Event(std::string_view pedido, std::string_view evento, std::string_view detalhe = {},
               std::string_view taxa = {}) {
        ASSERT_EQ(store::AnotaEvento(db, {pedido, evento, detalhe, taxa}), "");
    }
    std::string Today() {
        store::Statement today = db.Prepare("SELECT date('now','localtime') AS D");
        today.Step();
        return today.Text("D");
    }
};

TEST_F(DayReportTest, ADayWithAwkwardNamesAndWordsRoundTripsThroughTheCsv) {
    const std::string tricky = "Zé \"Nenê\"; da Silva\nBloco 2\r\nAp. 31 — Conceição";
    const std::string reasons = " - Sem entregador; tente \"já\"\r\n - Região: São João";
    Event("1001", store::kEventoImportado, tricky);
    Event("1001", store::kEventoEstimativa, "Moto", "11.50");
    Event("1001", store::kEventoEnvioAutomatico);
    Event("1001", store::kEventoRecusada, reasons);
    Event("1002", store::kEventoImportado, "Ana Lúcia");
    Event("1002", store::kEventoEnvioManual);
    Event("1002", store::kEventoAceita);
    Event("1002", store::kEventoEntregue);
    Event("1003", store::kEventoImportado, "Sem pressa");
    Event("1003", store::kEventoRetido, "teto R$ 10,00", "25.00");
    // Yesterday's order is not the day's.
    db.Execute("INSERT INTO HISTORICO (ORIGEM,IDPEDIDO,DATAHORA,EVENTO,DETALHE) VALUES "
               "(1,'0999',strftime('%Y-%m-%d %H:%M:%S','now','-2 days'),'Importado','Ontem')");

    const std::vector<store::LinhaRelatorio> day = store::RelatorioDoDia(db, Today());
    const std::string csv = store::RelatorioCsv(day);
    ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
    const std::vector<Row> rows = ReadCsv(std::string_view(csv).substr(3));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_THAT(rows[0], ElementsAre("Pedido", "Cliente", "Importado em", "Solicitado em", "Como",
                                     "Resultado", "Taxa estimada", "Marcado entregue em"));
    for (std::size_t i = 0; i < day.size(); ++i) {
        const store::LinhaRelatorio& l = day[i];
        EXPECT_THAT(rows[i + 1], ElementsAre(l.pedido, l.cliente, l.importadoEm, l.solicitadoEm, l.como,
                                             l.resultado, l.taxaEstimada, l.entregueEm));
    }
    EXPECT_EQ(rows[1][0], "1001");
    EXPECT_EQ(rows[1][1], tricky);
    EXPECT_EQ(rows[1][4], "automática");
    EXPECT_EQ(rows[1][5], "Solicitação recusada: " + reasons);
    EXPECT_EQ(rows[1][6], "11,50");
    EXPECT_EQ(rows[2][4], "manual");
    EXPECT_EQ(rows[2][5], "Entrega aceita");
    EXPECT_FALSE(rows[2][7].empty());
    EXPECT_EQ(rows[3][5], "Retido pelo teto da taxa: teto R$ 10,00");
    EXPECT_EQ(rows[1][2].size(), std::string("dd/mm/yyyy hh:mm:ss").size());

    const store::ResumoDia resumo = store::Resume(day);
    EXPECT_EQ(resumo.pedidos, 3);
    EXPECT_EQ(resumo.solicitados, 2);
    EXPECT_EQ(resumo.falhas, 1);
    EXPECT_EQ(resumo.retidos, 1);
}

} // namespace
} // namespace brisko::test
