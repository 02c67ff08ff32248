// Every statement of a pass may fail as the engine would fail it: nothing is left half-written,
// the failure surfaces as a text, the cycle is handed back, the next pass completes the work, and
// no order is ever requested twice.
#include "CycleFixture.h"
#include "ResultText.h"
#include "UAiqfome.h"

#include "IntegrationPass.h"

#include <iostream>
#include <map>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kEngineFailure = "disk I/O error";

TEST(StatementFaultHook, FailsTheNthStatementOnceThenStaysInert) {
    TempFolder folder;
    FreshDatabase(folder / "BANCO.db");
    store::Database db(folder / "BANCO.db");
    db.FailNthStatement(2);
    db.Execute("INSERT INTO PEDIDOS (ORIGEM, IDPEDIDO) VALUES (1, 'a')");
    try {
        db.Execute("INSERT INTO PEDIDOS (ORIGEM, IDPEDIDO) VALUES (1, 'b')");
        FAIL() << "the second statement ran";
    } catch (const DatabaseError& e) {
        EXPECT_STREQ(e.what(), kEngineFailure);
    }
    db.Execute("INSERT INTO PEDIDOS (ORIGEM, IDPEDIDO) VALUES (1, 'c')");
    EXPECT_EQ(db.StatementsRun(), 3);
    store::Statement ids = db.Prepare("SELECT group_concat(IDPEDIDO) AS IDS FROM PEDIDOS");
    ASSERT_TRUE(ids.Step());
    EXPECT_EQ(ids.Text("IDS"), "a,c"); // the failed statement never reached the file
}

// The columns an import writes, for comparing whole rows.
std::map<std::string, std::string> ImportedRows(store::Database& db) {
    std::map<std::string, std::string> rows;
    store::Statement row = db.Prepare("SELECT * FROM PEDIDOS ORDER BY ID");
    while (row.Step()) {
        rows[row.Text("IDPEDIDO")] = row.Text("ORIGEM") + "|" + row.Text("DATAHORA") + "|" +
                                     row.Text("VALUE") + "|" + row.Text("CLIENTE") + "|" +
                                     row.Text("TELEFONE") + "|" + row.Text("ENDERECO") + "|" +
                                     row.Text("LATITUDE") + "|" + row.Text("LONGITUDE");
    }
    return rows;
}

std::string IntegrityCheck(store::Database& db) {
    store::Statement check = db.Prepare("PRAGMA integrity_check");
    return check.Step() ? check.Text("integrity_check") : "";
}

class StatementFaultSweep : public CycleTest {
protected:
    void SetUp() override {
        CycleTest::SetUp();
        AddAccount(kMarketLogin, kMarketPassword);
        for (const char* id : {"770001", "770002", "770003"}) {
            market.AddOrder(kMarketLogin, sim::MarketplaceSimulator::SampleOrder(id, 20min));
        }
    }

    // A copy of the prepared state (store signed in, account entered, nothing imported) to spoil.
    store::Database Copy(const std::string& name) {
        const std::filesystem::path copy = file_.parent_path() / name;
        db.Execute("VACUUM INTO '" + copy.string() + "'");
        return store::Database(copy);
    }

    void Pass(store::Database& on, WindowRecorder& recorder) {
        cycle::RunIntegrationPass(on, services, recorder.Outlets());
    }

    std::vector<std::string> EmpresaColumns() {
        const std::optional<store::Empresa> e = store::LeEmpresa(db);
        if (!e) {
            return {};
        }
        return {e->IDROVEZOR,   e->NOME,  e->ENDERECO, e->BAIRRO,   e->CIDADE,          e->UF,
                e->CEP,         e->LAT,   e->LNG,      e->STATUS,   e->TIPOSPAGAMENTOS, e->CATEGORIAS,
                e->AUTOCONNECT, e->EMAIL, e->SENHA,    e->TELEFONE, e->DOCUMENTO};
    }

    std::vector<std::string> OrdersSentSince(std::size_t first) {
        const std::vector<std::string> all = SentOrderIds();
        return {all.begin() + static_cast<std::ptrdiff_t>(first), all.end()};
    }
};

TEST_F(StatementFaultSweep, EveryStatementOfAPassMayFailAndTheNextPassCompletesIt) {
    // What a pass without faults leaves: the reference for whole rows.
    store::Database clean = Copy("clean.db");
    WindowRecorder cleanWindow;
    Pass(clean, cleanWindow);
    const long long statementsPerPass = clean.StatementsRun();
    const std::map<std::string, std::string> reference = ImportedRows(clean);
    ASSERT_EQ(reference.size(), 3u);

    int swept = 0;
    int unmarkedRequests = 0; // sent, accepted, and the mark that records it failed
    int doubleRequests = 0;
    for (long long n = 1;; ++n) {
        SCOPED_TRACE("statement " + std::to_string(n) + " fails");
        store::Database spoilt = Copy("sweep-" + std::to_string(n) + ".db");
        WindowRecorder window;
        const std::size_t sentBefore = platform.Deliveries().size();
        spoilt.FailNthStatement(n);
        Pass(spoilt, window);
        if (spoilt.StatementsRun() < n) {
            break; // the pass ran fewer statements than n: every one has been failed once
        }
        ++swept;

        // The cycle goes on, and no row is half-written.
        const std::vector<std::string> events = window.Events();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back(), "handBack:");
        EXPECT_EQ(window.Count("handBack"), 1u);
        const std::map<std::string, std::string> afterFault = ImportedRows(spoilt);
        for (const auto& [id, row] : afterFault) {
            EXPECT_EQ(row, reference.at(id)) << id;
        }
        // The failure is told, unless it was an order's insert: the walk passes over those by
        // design and the order comes with the next sync.
        bool told = false;
        for (const std::string& event : events) {
            told = told || event.find(kEngineFailure) != std::string::npos ||
                   event.find("EDatabaseError") != std::string::npos;
        }
        EXPECT_TRUE(told || afterFault.size() < reference.size());

        std::map<std::string, int> sends;
        for (const std::string& id : OrdersSentSince(sentBefore)) {
            ++sends[id];
        }

        // The next pass completes everything that was not sent; what was sent is never sent again.
        const std::size_t sentBeforeRetry = platform.Deliveries().size();
        WindowRecorder retryWindow;
        Pass(spoilt, retryWindow);
        EXPECT_EQ(ImportedRows(spoilt), reference);
        for (const std::string& id : OrdersSentSince(sentBeforeRetry)) {
            sends[id] += 1;
        }
        store::Statement states = spoilt.Prepare("SELECT IDPEDIDO, ID_MCH FROM PEDIDOS");
        while (states.Step()) {
            const std::string id = "aiqfome " + states.Text("IDPEDIDO");
            const std::string state = states.Text("ID_MCH");
            EXPECT_EQ(sends[id], 1) << id << " ended " << state;
            doubleRequests += sends[id] > 1 ? 1 : 0;
            // Left claimed only by a mark that failed after the platform accepted the request.
            if (state != "ROVEZOR") {
                EXPECT_EQ(state, "ERRO ROVEZOR") << id;
                ++unmarkedRequests;
            }
        }
        EXPECT_EQ(IntegrityCheck(spoilt), "ok");
    }
    EXPECT_EQ(swept, statementsPerPass);
    EXPECT_EQ(doubleRequests, 0);
    // Figures for the reliability notes.
    std::cout << "[figure] statement faults: " << swept << " statements per pass swept; " << doubleRequests
              << " order(s) requested twice; " << unmarkedRequests
              << " order(s) left \"ERRO ROVEZOR\" with their one request (the mark after it failed)\n";
}

TEST_F(StatementFaultSweep, SignInAndEstimateReportAFailingStatementAndKeepTheOldData) {
    const std::vector<std::string> before = EmpresaColumns();
    for (long long n = 1; n <= 4; ++n) { // BEGIN, DELETE, INSERT, COMMIT
        SCOPED_TRACE("statement " + std::to_string(n) + " fails");
        db.FailNthStatement(n);
        const std::string result = dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", "demo123",
                                                          true, db, services.dispatch);
        EXPECT_EQ(result, net::GenericFailure(kEngineFailure));
        EXPECT_EQ(EmpresaColumns(), before); // the old row, never an empty table
    }
    db.FailNthStatement(0);
    EXPECT_EQ(dispatch::LoginEmpresa(services.dispatchApiKey, "loja@demo.com", "demo123", true, db,
                                     services.dispatch),
              "TRUE");

    const long long id = AddPending("990001");
    dispatch::EstimateQuery query;
    query.categoriaNome = "Moto";
    query.latDesejado = "-23.55";
    query.lngDesejado = "-46.65";
    db.FailNthStatement(1);
    EXPECT_EQ(dispatch::EstimarEntrega(services.dispatchApiKey, "loja@demo.com", "demo123", query,
                                       std::to_string(id), db, services.dispatch),
              net::GenericFailure(kEngineFailure));
    EXPECT_EQ(store::PedidoPorId(db, id)->TAXAENTREGA, "");
    EXPECT_EQ(dispatch::EstimarEntrega(services.dispatchApiKey, "loja@demo.com", "demo123", query,
                                       std::to_string(id), db, services.dispatch),
              "TRUE");
    EXPECT_NE(store::PedidoPorId(db, id)->TAXAENTREGA, "");
}

} // namespace
} // namespace brisko::test
