// The database file held by another process for 30 s while the signed-in window runs: the window
// thread keeps answering, the status bar says what is wrong, and the order that came during the
// lock is imported once the file is free again.
#include "MainWindowFixture.h"
#include "StallMeter.h"
#include "WriteLockHolder.h"

#include <QElapsedTimer>
#include <QLabel>

#include <iostream>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kLogin = "loja-trava";
constexpr const char* kSenha = "senha-trava";

class LockedDatabaseWindowTest : public MainWindowTest {};

TEST_F(LockedDatabaseWindowTest, WindowKeepsAnsweringShowsTheLockAndImportsAfterwards) {
    marketplace.AddAccount(kLogin, kSenha);
    StoreAccount(kLogin, kSenha);
    Open();
    SignIn();
    auto* countdown = Main<QLabel>("StatusBar1Panel0");
    auto* status = Main<QLabel>("StatusBar1Panel1");
    // Lock just before a pass, so that the pass meets the lock.
    ASSERT_TRUE(WaitUntil(
        [&] { return countdown->text() == QStringLiteral("Proxima Verificação em 3 segundos"); }, 40s));

    StallMeter meter;
    QElapsedTimer held;
    held.start();
    {
        WriteLockHolder lock(dbFile);
        marketplace.AddOrder(kLogin, sim::MarketplaceSimulator::SampleOrder("5500321", 5min));
        EXPECT_TRUE(WaitUntil([&] { return status->text().contains(QStringLiteral("locked")); }, 30s))
            << "status: " << status->text().toStdString();
        WaitUntil([&] { return held.elapsed() >= 30000; }, 31s);
        std::cout << "status during the lock: " << status->text().toStdString() << "\n";
    }
    ASSERT_TRUE(WaitUntil([&] { return Count("PEDIDOS") == 1; }, 60s)) << "the order was lost";
    std::cout << "worst lateness of the window thread's 1 ms timer: " << meter.WorstMs() << " ms\n";
    // Not a speed figure: a window stuck behind the lock would miss its timer for seconds.
    EXPECT_LT(meter.WorstMs(), 2000);
}

} // namespace
} // namespace brisko::test
