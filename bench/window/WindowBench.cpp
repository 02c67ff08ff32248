// The real main window (TMainForm) and delivery request dialog (TFEntrega) under the offscreen
// platform, against both simulators over HTTPS and a real database file:
//  - one order-list refresh with 500 orders in the window: the list timer's own handler (query,
//    model update, current row) followed by a synchronous repaint of the cards;
//  - the longest lateness of a 1 ms timer on the window thread during a sign-in against a platform
//    that answers after 10 s, a pass importing 200 orders, a pass sending 50 automatic requests,
//    and an estimate against a platform that answers after 10 s;
//  - the same with the database's write lock held by another process (the sqlite3 command) during
//    a sign-in, a settings save, a manual mark as delivered and an order-list refresh.
#include "ConfigDelivery.h"
#include "DispatchSimulator.h"
#include "Figures.h"
#include "MarketplaceSimulator.h"
#include "OrderCardGrid.h"
#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"
#include "UEntrega.h"
#include "WriteLockHolder.h"
#include "uMainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace brisko;
using namespace std::chrono_literals;

constexpr const char* kLogin = "loja-bench";
constexpr const char* kPassword = "segredo";

// Lets the window thread run until `done` holds; false when `limit` passed first.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() > limit.count()) {
            loop.quit();
        }
    });
    poll.start(10);
    loop.exec();
    return done();
}

// A 1 ms timer on the window thread; records how much later than due each of its ticks came.
class StallProbe {
public:
    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (last_ >= 0 && static_cast<double>(now - last_) / 1e6 - 1.0 > worst_) {
                worst_ = static_cast<double>(now - last_) / 1e6 - 1.0;
                worstAt_ = static_cast<double>(last_) / 1e6;
            }
            last_ = now;
        });
    }
    void Start() {
        worst_ = 0;
        last_ = -1;
        clock_.start();
        timer_.start();
    }
    double Stop() {
        timer_.stop();
        return worst_;
    }
    // When the longest stall began, in ms after Start().
    double WorstAt() const { return worstAt_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    double worst_ = 0;
    double worstAt_ = 0;
};

class Bench {
public:
    Bench() : dbFile_(folder_ / "BD" / "BANCO.db"), platform_(build::kDispatchApiKey) {
        std::filesystem::create_directories(dbFile_.parent_path());
        test::FreshDatabase(dbFile_);
        db_ = std::make_unique<store::Database>(dbFile_);
        if (!platform_.Start() || !market_.Start()) {
            throw std::runtime_error("simulators did not start");
        }
        market_.AddAccount(kLogin, kPassword);
        store::GravaContaConfigDelivery(*db_, store::InsereConfigDeliveryVazia(*db_), kLogin, kPassword);

        ui::MainFormOptions options;
        options.dispatch.baseUrl = platform_.BaseUrl();
        options.dispatch.caFile = sim::TestCaFile().string();
        options.marketplace.baseUrl = market_.BaseUrl();
        options.marketplace.caFile = sim::TestCaFile().string();
        form_ = std::make_unique<ui::TMainForm>(folder_.Path(), options);
        form_->show();
        RunUntil([] { return false; }, 300ms);
        // The window builds its dialogs once it has painted.
        if (!RunUntil([&] { return (entrega_ = form_->findChild<ui::TFEntrega*>()) != nullptr; }, 10s)) {
            throw std::runtime_error("the window did not build its delivery dialog");
        }
    }

    void Run() {
        const double signIn = SlowSignIn();
        const double lockedSignIn = LockedSignIn();
        if (!Main<QWidget>("PanelPedidos")->isVisible()) {
            SignIn();
        }
        Refresh();
        const double imports = ImportPass();
        const double requests = RequestPass();
        const double estimate = SlowEstimate();
        const double worst = std::max({signIn, imports, requests, estimate});
        bench::PrintRow("window stall (longest lateness of a 1 ms timer on the window thread)",
                        "worst " + bench::Fixed(worst) + " ms: sign-in against a 10 s platform " +
                            bench::Fixed(signIn) + " ms; pass of 200 imports " + bench::Fixed(imports) +
                            " ms; pass of 50 requests " + bench::Fixed(requests) +
                            " ms; estimate against a 10 s platform " + bench::Fixed(estimate) + " ms",
                        "≤ 50 ms", worst <= 50);
        const double settings = LockedSettingsSave();
        const double mark = LockedManualMark();
        const double refresh = LockedRefresh();
        const double lockedWorst = std::max({lockedSignIn, settings, mark, refresh});
        bench::PrintRow("window stall under another process's write lock",
                        "worst " + bench::Fixed(lockedWorst) + " ms: sign-in " + bench::Fixed(lockedSignIn) +
                            " ms; settings save " + bench::Fixed(settings) + " ms; manual mark " +
                            bench::Fixed(mark) + " ms; list refresh " + bench::Fixed(refresh) + " ms",
                        "≤ 50 ms", lockedWorst <= 50);
    }

private:
    template <class W = QWidget> W* Main(const char* name) {
        for (W* widget : form_->findChildren<W*>(QString::fromLatin1(name))) {
            if (widget->window() == form_.get()) {
                return widget;
            }
        }
        throw std::runtime_error(std::string("no ") + name + " on the main window");
    }

    long long Count(const std::string& sql) {
        store::Statement statement = db_->Prepare(sql);
        statement.Step();
        return statement.Integer("N");
    }

    void ClickSignIn() {
        Main<QLineEdit>("EditEmail")->setText(QStringLiteral("loja@demo.com"));
        Main<QLineEdit>("EditSenha")->setText(QStringLiteral("demo123"));
        Main<QPushButton>("Button4")->click();
    }

    double SlowSignIn() {
        platform_.Script("GET", "/api/integracao/empresa",
                         sim::Answer().WithStatus(503).WithBody("{}").WithDelay(10s));
        StallProbe probe;
        probe.Start();
        QElapsedTimer clock;
        clock.start();
        ClickSignIn();
        auto* button = Main<QPushButton>("Button4");
        RunUntil([&] { return clock.elapsed() > 10'000 && button->isEnabled(); }, 30s);
        const double worst = probe.Stop();
        std::cerr << "sign-in against a slow platform: worst lateness " << worst << " ms, from "
                  << probe.WorstAt() << " ms after the click; " << clock.elapsed() << " ms in all\n";
        return worst;
    }

    void SignIn() {
        ClickSignIn();
        if (!RunUntil([&] { return form_->EstaLogado(); }, 30s)) {
            throw std::runtime_error("the sign-in did not succeed");
        }
    }

    void Refresh() {
        {
            store::Transaction transaction(*db_);
            for (int i = 0; i < 500; ++i) {
                const long long id =
                    test::InsertOrderAt(*db_, {std::to_string(500000 + i), std::string("ROVEZOR")},
                                        std::to_string(-60 * i) + " seconds");
                db_->Prepare("UPDATE PEDIDOS SET CLIENTE = :C, ENDERECO = 'Rua das Flores, 10 - Centro', "
                             "LATITUDE = '-23.55', LONGITUDE = '-46.63', TELEFONE = '(11) 99999-0000' WHERE "
                             "ID = :ID")
                    .Bind(":C", "Cliente " + std::to_string(i))
                    .Bind(":ID", id)
                    .Step();
            }
            transaction.Commit();
        }
        auto* timer = form_->findChild<QTimer*>(QStringLiteral("TimerPedidos"));
        auto* grid = Main<ui::OrderCardGrid>("DBCtrlGrid1");
        std::vector<double> times;
        for (int i = 0; i < 31; ++i) {
            timer->stop(); // the handler is called below, not by the timer
            const double ms = bench::TimeMs([&] {
                QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
                grid->viewport()->repaint();
            });
            if (i > 0) { // the first one builds the cards' caches
                times.push_back(ms);
            }
        }
        timer->start();
        if (grid->RowCount() != 500) {
            throw std::runtime_error("the list holds " + std::to_string(grid->RowCount()) +
                                     " orders, not 500");
        }
        bench::PrintRow("order-list refresh (500 orders: query, model update, repaint)",
                        bench::Spread(times, "ms", 2), "≤ 5 ms median", bench::Median(times) <= 5);
        db_->Execute("DELETE FROM PEDIDOS");
    }

    double ImportPass() {
        for (int i = 0; i < 200; ++i) {
            market_.AddOrder(kLogin, sim::MarketplaceSimulator::SampleOrder(std::to_string(700000 + i),
                                                                            std::chrono::minutes(5 + i)));
        }
        auto* minutes = Main<QLineEdit>("ComboBoxAgendar");
        StallProbe probe;
        probe.Start();
        form_->PassoImediato();
        const bool done = RunUntil(
            [&] { return Count("SELECT COUNT(*) AS N FROM PEDIDOS") == 200 && minutes->isEnabled(); }, 120s);
        const double worst = probe.Stop();
        if (!done) {
            throw std::runtime_error("the import pass did not import 200 orders");
        }
        std::cerr << "pass of 200 imports: worst lateness " << worst << " ms, from " << probe.WorstAt()
                  << " ms after the pass was asked for\n";
        return worst;
    }

    double RequestPass() {
        db_->Execute("UPDATE PEDIDOS SET ID_MCH = 'ROVEZOR'");
        for (int i = 0; i < 50; ++i) {
            test::InsertOrderAt(*db_, {std::to_string(900000 + i), std::nullopt}, "");
        }
        db_->Execute("UPDATE PEDIDOS SET CLIENTE = 'Cliente', ENDERECO = 'Rua das Flores, 10 - Centro', "
                     "LATITUDE = '-23.55', LONGITUDE = '-46.63' WHERE ID_MCH IS NULL");
        auto* automatic = Main<QCheckBox>("CheckBoxRebimentoAutomatico");
        if (!automatic->isChecked()) {
            automatic->click();
        }
        auto* minutes = Main<QLineEdit>("ComboBoxAgendar");
        const std::size_t before = platform_.Deliveries().size();
        StallProbe probe;
        probe.Start();
        form_->PassoImediato();
        const bool done = RunUntil(
            [&] { return platform_.Deliveries().size() >= before + 50 && minutes->isEnabled(); }, 120s);
        const double worst = probe.Stop();
        if (!done) {
            throw std::runtime_error("the pass did not send 50 requests");
        }
        automatic->click();
        std::cerr << "pass of 50 requests: worst lateness " << worst << " ms, from " << probe.WorstAt()
                  << " ms after the pass was asked for\n";
        return worst;
    }

    double SlowEstimate() {
        const long long id = test::InsertOrderAt(*db_, {"990001", std::nullopt}, "");
        db_->Execute("UPDATE PEDIDOS SET CLIENTE = 'Cliente', ENDERECO = 'Rua das Flores, 10 - Centro', "
                     "LATITUDE = '-23.55', LONGITUDE = '-46.63' WHERE IDPEDIDO = '990001'");
        const store::Pedido row = *store::PedidoPorId(*db_, id);
        platform_.Script("GET", "/api/integracao/estimarEntrega",
                         sim::Answer().WithStatus(503).WithBody("{}").WithDelay(10s));
        StallProbe probe;
        probe.Start();
        QElapsedTimer clock;
        clock.start();
        bool closed = false;
        QTimer::singleShot(0, [&] {
            entrega_->OpenFor(row, ui::OrderCardGrid::DateLine(row.DATAHORA));
            closed = true;
        });
        // Inside the dialog's own loop: once the estimate has answered, the dialog is closed.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (clock.elapsed() < 10'000) {
                return;
            }
            // A message box about the failed estimate is answered first, then the dialog closed.
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal != entrega_) {
                std::cerr << "  closing " << modal->metaObject()->className() << "\n";
                modal->close();
            } else if (entrega_->isVisible()) {
                entrega_->reject();
            }
        });
        closer.start(50);
        RunUntil([&] { return closed; }, 60s);
        closer.stop();
        const double worst = probe.Stop();
        std::cerr << "estimate against a slow platform: worst lateness " << worst << " ms, from "
                  << probe.WorstAt() << " ms after the dialog was asked for; " << clock.elapsed()
                  << " ms in all\n";
        return worst;
    }

    // Runs `act` with the database's write lock held by another process, the window thread running
    // its events for `held` and then half a second more after the lock is gone; every message box
    // is answered after 100 ms. Answers the worst lateness of the window thread.
    double UnderLock(const char* what, const std::function<void()>& act, std::chrono::milliseconds held) {
        auto lock =
            std::make_unique<test::WriteLockHolder>(dbFile_); // before the probe: it waits for sqlite3
        QElapsedTimer shown;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == entrega_) {
                shown.invalidate();
            } else if (!shown.isValid()) {
                shown.start();
            } else if (shown.elapsed() >= 100) {
                const auto* label = modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                std::cerr << "  answered a " << modal->metaObject()->className() << ": "
                          << (label != nullptr ? label->text().toStdString() : std::string()) << "\n";
                modal->close();
                shown.invalidate();
            }
        });
        answerer.start(10);
        StallProbe probe;
        probe.Start();
        QTimer::singleShot(0, act); // inside the loop below, so that a message box's own loop is measured
        RunUntil([] { return false; }, held);
        lock->Release();
        RunUntil([] { return false; }, 500ms);
        const double worst = probe.Stop();
        answerer.stop();
        std::cerr << what << " under another process's write lock: worst lateness " << worst << " ms, from "
                  << probe.WorstAt() << " ms after the start\n";
        return worst;
    }

    // The whole sign-in (the store's row replaced, then the retention and the settings restore) with
    // the file locked longer than any of the program's connections waits for it.
    double LockedSignIn() {
        const double worst = UnderLock(
            "sign-in", [this] { ClickSignIn(); }, 6s);
        RunUntil([&] { return Main<QPushButton>("Button4")->isEnabled(); }, 30s);
        std::cerr << "  signed in: " << (Main<QWidget>("PanelPedidos")->isVisible() ? "yes" : "no")
                  << "; LabelErro: " << Main<QLabel>("LabelErro")->text().toStdString() << "\n";
        return worst;
    }

    double LockedSettingsSave() {
        auto* minutes = Main<QLineEdit>("ComboBoxAgendar");
        const QString next =
            minutes->text() == QStringLiteral("45") ? QStringLiteral("50") : QStringLiteral("45");
        return UnderLock(
            "settings save", [&] { minutes->setText(next); }, 2s);
    }

    double LockedManualMark() {
        const long long id = test::InsertOrderAt(*db_, {"990002", std::nullopt}, "");
        db_->Execute("UPDATE PEDIDOS SET CLIENTE = 'Cliente', ENDERECO = 'Rua das Flores, 10 - Centro', "
                     "LATITUDE = '-23.55', LONGITUDE = '-46.63' WHERE IDPEDIDO = '990002'");
        entrega_->Fill(*store::PedidoPorId(*db_, id), ui::OrderCardGrid::DateLine("2026-01-01 10:00:00"));
        entrega_->show();
        auto* delivered = entrega_->findChild<QPushButton*>(QStringLiteral("Button1"));
        RunUntil([&] { return delivered->isEnabled(); }, 30s);
        const double worst = UnderLock(
            "manual mark", [&] { delivered->click(); }, 2s);
        entrega_->hide();
        return worst;
    }

    double LockedRefresh() {
        auto* timer = form_->findChild<QTimer*>(QStringLiteral("TimerPedidos"));
        auto* grid = Main<ui::OrderCardGrid>("DBCtrlGrid1");
        return UnderLock(
            "list refresh",
            [&] {
                QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
                grid->viewport()->repaint();
            },
            2s);
    }

    test::TempFolder folder_;
    std::filesystem::path dbFile_;
    sim::DispatchSimulator platform_;
    sim::MarketplaceSimulator market_;
    std::unique_ptr<store::Database> db_;
    std::unique_ptr<ui::TMainForm> form_;
    ui::TFEntrega* entrega_ = nullptr; // the window's own
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        Bench bench;
        bench.Run();
    } catch (const std::exception& e) {
        std::cerr << "bench_window: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
