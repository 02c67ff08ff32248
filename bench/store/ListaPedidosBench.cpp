// Times the order list, read every 2 seconds on the window thread, over a file holding two days of
// orders: 10,000 rows spread evenly over the last 48 hours, as retention leaves them at worst.
#include <benchmark/benchmark.h>

#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"

namespace {

using namespace brisko;

constexpr int kRows = 10'000;
constexpr int kSpanSeconds = 48 * 3600;

void FillTwoDays(store::Database& db) {
    store::Transaction transaction(db);
    for (int i = 0; i < kRows; ++i) {
        const int age = kSpanSeconds - i * (kSpanSeconds / kRows); // imported in time order
        const long long id = test::InsertOrderAt(db, {"order-" + std::to_string(i), std::nullopt},
                                                 std::to_string(-age) + " seconds");
        db.Prepare(
              "UPDATE PEDIDOS SET CLIENTE = :C, ENDERECO = :E, LATITUDE = '-23.55', LONGITUDE = '-46.63', "
              "TELEFONE = '(11) 99999-0000', VALUE = '' WHERE ID = :ID")
            .Bind(":C", "Cliente " + std::to_string(i))
            .Bind(":E", "Rua das Flores, " + std::to_string(i) + " - Centro - Vilamar")
            .Bind(":ID", id)
            .Step();
        if (i % 3 != 0) { // most older orders already have a courier
            store::MarcaRovezor(db, id);
        }
    }
    transaction.Commit();
}

void BM_OrderQuery(benchmark::State& state, std::vector<store::Pedido> (*query)(store::Database&)) {
    test::TempFolder folder;
    const auto file = folder / "BANCO.db";
    test::FreshDatabase(file);
    store::Database db(file);
    FillTwoDays(db);
    std::size_t rows = 0;
    for (auto _ : state) {
        const auto list = query(db);
        rows = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["rows_listed"] = static_cast<double>(rows);
}
BENCHMARK_CAPTURE(BM_OrderQuery, ListaPedidos, &store::ListaPedidos)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OrderQuery, PedidosPendentes, &store::PedidosPendentes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
