#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

#include "StoreFixture.h"

namespace brisko::test {
namespace {

constexpr int kOrders = 300;

// The integration worker's side: its own connection, one committed insert per order.
void ImportOrders(const std::filesystem::path& file, std::exception_ptr& failure, std::atomic<bool>& done) {
    try {
        store::Database worker(file);
        const std::string now = EngineTime(worker, "");
        for (int i = 0; i < kOrders; ++i) {
            store::InserePedido(worker, {.DATAHORA = now, .IDPEDIDO = "order-" + std::to_string(i)});
        }
    } catch (...) {
        failure = std::current_exception();
    }
    done = true;
}

std::string Message(const std::exception_ptr& failure) {
    if (!failure) {
        return "";
    }
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return e.what();
    }
}

TEST_F(StoreTest, WindowReadsTheListWhileTheWorkerImports) {
    std::exception_ptr workerFailure;
    std::atomic<bool> done{false};
    std::thread worker(ImportOrders, File(), std::ref(workerFailure), std::ref(done));

    std::size_t lastSeen = 0;
    int reads = 0;
    std::string readFailure;
    while (!done || reads == 0) {
        try {
            const std::size_t seen = store::ListaPedidos(db).size();
            EXPECT_GE(seen, lastSeen) << "a committed order went missing from a later read";
            lastSeen = seen;
            ++reads;
        } catch (const DatabaseError& e) {
            readFailure = e.what();
            break;
        }
    }
    worker.join();

    EXPECT_EQ(readFailure, "");
    EXPECT_EQ(Message(workerFailure), "");
    EXPECT_EQ(store::ListaPedidos(db).size(), static_cast<std::size_t>(kOrders));
}

TEST_F(StoreTest, SettingsSavedWhileTheWorkerImportsWaitForTheLockInsteadOfFailing) {
    std::exception_ptr workerFailure;
    std::atomic<bool> done{false};
    std::thread worker(ImportOrders, File(), std::ref(workerFailure), std::ref(done));

    int saves = 0;
    std::string saveFailure;
    while (!done || saves == 0) {
        try {
            store::SubstituiConfiguracao(db, {"", saves % 2, std::to_string(saves), "Moto", "Pix", "Sim"});
            ++saves;
            // An operator saves settings at human pace; back-to-back write transactions would starve the
            // worker's lock wait on a loaded machine and test SQLite's fairness instead of our code.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        } catch (const DatabaseError& e) {
            saveFailure = e.what();
            break;
        }
    }
    worker.join();

    EXPECT_EQ(saveFailure, "");
    EXPECT_EQ(Message(workerFailure), "");
    EXPECT_EQ(store::LeConfiguracao(db).value().TEMPOAGENDAMENTO, std::to_string(saves - 1));
    EXPECT_EQ(store::ListaPedidos(db).size(), static_cast<std::size_t>(kOrders));
}

} // namespace
} // namespace brisko::test
