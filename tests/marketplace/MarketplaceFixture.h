#pragma once
// A fresh database file with one marketplace account row, and the marketplace simulator on a free
// port of 127.0.0.1 with that account ("loja" / "segredo"); the client talks real HTTPS to it.
#include <gtest/gtest.h>

#include "MarketplaceSimulator.h"
#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"
#include "UAiqfome.h"

#include <chrono>
#include <string>
#include <vector>

namespace brisko::test {

inline constexpr const char* kLogin = "loja";
inline constexpr const char* kPassword = "segredo";

// The PEDIDOS columns the import writes, and the storage kinds that tell "" from NULL.
struct ImportedRow {
    long long ORIGEM = 0;
    std::string IDPEDIDO, DATAHORA, VALUE, CLIENTE, TELEFONE, ENDERECO, LATITUDE, LONGITUDE;
    std::string valueKind; // typeof(VALUE)
    std::string idMchKind; // typeof(ID_MCH)
};

class MarketplaceTest : public ::testing::Test {
protected:
    MarketplaceTest() : file_((FreshDatabase(folder_ / "BANCO.db"), folder_ / "BANCO.db")), db(file_) {
        accountId = store::InsereConfigDeliveryVazia(db);
        store::GravaContaConfigDelivery(db, accountId, kLogin, kPassword);
        simulator.AddAccount(kLogin, kPassword);
    }

    void SetUp() override { ASSERT_TRUE(simulator.Start()); }

    marketplace::Context Context() {
        marketplace::Context context{db};
        context.endpoint.baseUrl = simulator.BaseUrl();
        context.endpoint.caFile = sim::TestCaFile().string();
        context.endpoint.connectTimeout = std::chrono::seconds(5);
        context.endpoint.readTimeout = std::chrono::seconds(5);
        context.status = [this](const std::string& text) { statuses.push_back(text); };
        return context;
    }

    // An order of the account, created `ago` before now, that passes every test of the import.
    sim::SimOrder AddOrder(const std::string& orderId, std::chrono::system_clock::duration ago) {
        sim::SimOrder order = sim::MarketplaceSimulator::SampleOrder(orderId, ago);
        simulator.AddOrder(kLogin, order);
        return order;
    }

    std::vector<ImportedRow> Rows() {
        store::Statement row = db.Prepare("SELECT *, typeof(VALUE) AS VALUEKIND, typeof(ID_MCH) AS MCHKIND "
                                          "FROM PEDIDOS ORDER BY ID");
        std::vector<ImportedRow> rows;
        while (row.Step()) {
            rows.push_back({row.Integer("ORIGEM"), row.Text("IDPEDIDO"), row.Text("DATAHORA"),
                            row.Text("VALUE"), row.Text("CLIENTE"), row.Text("TELEFONE"),
                            row.Text("ENDERECO"), row.Text("LATITUDE"), row.Text("LONGITUDE"),
                            row.Text("VALUEKIND"), row.Text("MCHKIND")});
        }
        return rows;
    }

    std::vector<std::string> ImportedIds() {
        std::vector<std::string> ids;
        for (const ImportedRow& row : Rows()) {
            ids.push_back(row.IDPEDIDO);
        }
        return ids;
    }

    // The targets (path and query) of the requests of that method, in order.
    std::vector<std::string> Targets(const std::string& method = "GET") const {
        std::vector<std::string> targets;
        for (const sim::RecordedRequest& request : simulator.Requests()) {
            if (request.method == method) {
                targets.push_back(request.target);
            }
        }
        return targets;
    }

private:
    TempFolder folder_;
    std::filesystem::path file_;

protected:
    store::Database db;
    long long accountId = 0;
    sim::MarketplaceSimulator simulator;
    std::vector<std::string> statuses;
};

inline bool StartsWithGenericFailure(const std::string& result) {
    return result.rfind("Sem Conexão - Verifique sua Internet! ,", 0) == 0;
}

} // namespace brisko::test
