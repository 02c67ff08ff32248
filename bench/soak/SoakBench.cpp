// Weeks without a restart: the real main window, signed in with automatic scheduling on, runs its
// integration pass and its order-list refresh back to back (the pass timer's and the list timer's
// own handlers, without their waits) against both simulators in a sim-host process, for as many
// passes as asked (default 86,400: 30 days of a pass every 30 s). A new order comes every few
// passes, to be imported and sent to a courier. Every 2,880 passes a "day" ends: the stored orders
// and the marketplace's are moved a day into the past, as a day's turn of the clock leaves them,
// and the retention that a sign-in runs deletes what is older than two days.
//
// Every 1,000 passes it records resident memory, open descriptors, threads, the database and WAL
// sizes, and the pass and refresh times. Run it under sim-host, so that what the simulators keep
// (every order and delivery of the run) is not counted in this process:
//   sim-host -- bench_soak [passes] [without-retention]
// "without-retention" leaves the daily retention out: the program as it runs when nobody signs in
// again, since only a sign-in runs it.
#include "ConfigDelivery.h"
#include "DispatchSimulator.h"
#include "Figures.h"
#include "MarketplaceSimulator.h"
#include "Pedidos.h"
#include "ProcessStatus.h"
#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"
#include "uMainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace brisko;
using namespace std::chrono_literals;

constexpr const char* kLogin = "loja-soak";
constexpr const char* kPassword = "segredo";
constexpr int kPassesPerDay = 2880; // one pass every 30 s
constexpr int kPassesPerOrder = 5;
constexpr int kRecordEvery = 1000;

// Quits `loop` when `done` holds after an event of `watched`, checked on every event it gets.
class QuitWhen : public QObject {
public:
    QuitWhen(QObject* watched, QEventLoop& loop, std::function<bool()> done)
        : watched_(watched), loop_(loop), done_(std::move(done)) {
        watched_->installEventFilter(this);
    }
    ~QuitWhen() override { watched_->removeEventFilter(this); }

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && done_()) {
            loop_.quit();
        }
        return QObject::eventFilter(object, event);
    }

private:
    QObject* watched_;
    QEventLoop& loop_;
    std::function<bool()> done_;
};

struct Checkpoint {
    int passes = 0;
    double seconds = 0;
    long long rssKb = 0;
    long long descriptors = 0;
    long long threads = 0;
    long long databaseKb = 0;
    long long walKb = 0;
    long long rows = 0;
    double passMedian = 0;
    double passMax = 0;
    double refreshMedian = 0;
};

long long SizeKb(const std::filesystem::path& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    return error ? 0 : static_cast<long long>(size / 1024);
}

class Soak {
public:
    Soak() : dbFile_(folder_ / "BD" / "BANCO.db"), platform_(build::kDispatchApiKey) {
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
        Wait(300ms);

        // A message box would stop the run: each is answered and counted.
        QObject::connect(&modalWatch_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++messages_;
                std::cerr << "closing a " << modal->metaObject()->className() << "\n";
                modal->close();
            }
        });
        modalWatch_.start(200);
    }

    ~Soak() { form_.reset(); }

    void Run(int passes, bool retention) {
        retention_ = retention;
        SignIn();
        auto* automatic = Find<QCheckBox>("CheckBoxRebimentoAutomatico");
        if (!automatic->isChecked()) {
            automatic->click();
        }
        auto* passTimer = form_->findChild<QTimer*>(QStringLiteral("TimerDelivery"));
        auto* listTimer = form_->findChild<QTimer*>(QStringLiteral("TimerPedidos"));
        auto* minutes = Find<QLineEdit>("ComboBoxAgendar");
        auto* grid = Find<QWidget>("DBCtrlGrid1");
        if (passTimer == nullptr || listTimer == nullptr) {
            throw std::runtime_error("the window's timers are not found by name");
        }

        std::vector<double> passTimes;
        std::vector<double> refreshTimes;
        const auto start = std::chrono::steady_clock::now();
        Record(0, 0, passTimes, refreshTimes);
        for (int pass = 1; pass <= passes; ++pass) {
            if (pass % kPassesPerOrder == 0) {
                NewOrder();
            }
            passTimes.push_back(bench::TimeMs([&] {
                QEventLoop loop;
                QuitWhen handedBack(minutes, loop, [&] { return minutes->isEnabled(); });
                QMetaObject::invokeMethod(passTimer, "timeout", Qt::DirectConnection);
                if (!minutes->isEnabled()) {
                    loop.exec();
                }
            }));
            refreshTimes.push_back(bench::TimeMs([&] {
                QMetaObject::invokeMethod(listTimer, "timeout", Qt::DirectConnection);
                grid->repaint();
            }));
            if (pass % kPassesPerDay == 0) {
                EndOfDay();
            }
            if (pass % kRecordEvery == 0 || pass == passes) {
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                Record(pass, seconds, passTimes, refreshTimes);
                passTimes.clear();
                refreshTimes.clear();
            }
        }
        Report();
    }

private:
    template <class W> W* Find(const char* name) {
        for (W* widget : form_->findChildren<W*>(QString::fromLatin1(name))) {
            if (widget->window() == form_.get()) {
                return widget;
            }
        }
        throw std::runtime_error(std::string("no ") + name + " on the main window");
    }

    static void Wait(std::chrono::milliseconds duration) {
        QEventLoop loop;
        QTimer::singleShot(duration, &loop, &QEventLoop::quit);
        loop.exec();
    }

    void SignIn() {
        Find<QLineEdit>("EditEmail")->setText(QStringLiteral("loja@demo.com"));
        Find<QLineEdit>("EditSenha")->setText(QStringLiteral("demo123"));
        Find<QPushButton>("Button4")->click();
        auto* orders = Find<QWidget>("PanelPedidos");
        for (int i = 0; i < 300 && !orders->isVisible(); ++i) {
            Wait(100ms);
        }
        if (!orders->isVisible()) {
            throw std::runtime_error("the sign-in did not succeed");
        }
    }

    void NewOrder() {
        const std::string id = std::to_string(1'000'000 + nextOrder_++);
        const auto created = sim::MarketplaceSimulator::Clock::now() - 1min;
        market_.AddOrder(kLogin, sim::MarketplaceSimulator::SampleOrder(id, 1min));
        recent_.push_back({id, created, 0});
    }

    // The clock's day turn, seen from the data: every order a day older. The marketplace lists
    // yesterday's and today's orders, so an order leaves its search after two turns.
    void EndOfDay() {
        db_->Execute("UPDATE PEDIDOS SET DATAHORA = strftime('%Y-%m-%d %H:%M:%S', DATAHORA, '-1 day')");
        for (Recent& order : recent_) {
            ++order.turns;
            const std::string createdAt =
                sim::MarketplaceSimulator::LocalDateTimeText(order.created - order.turns * 24h);
            market_.UpdateOrder(order.id, [&](sim::SimOrder& o) { o.createdAt = createdAt; });
        }
        while (!recent_.empty() && recent_.front().turns >= 2) {
            recent_.pop_front();
        }
        // What the sign-in does; the running program itself never signs in again.
        const int deleted = retention_ ? store::ApagaPedidosAntigos(*db_) : 0;
        platform_.ClearRequests();
        market_.ClearRequests();
        std::cerr << "day " << ++day_ << " ended: " << deleted << " orders older than two days deleted\n";
    }

    void Record(int passes, double seconds, const std::vector<double>& passTimes,
                const std::vector<double>& refreshTimes) {
        Checkpoint c;
        c.passes = passes;
        c.seconds = seconds;
        c.rssKb = bench::StatusField(getpid(), "VmRSS");
        c.threads = bench::StatusField(getpid(), "Threads");
        c.descriptors = bench::OpenDescriptors(getpid());
        c.databaseKb = SizeKb(dbFile_);
        c.walKb = SizeKb(dbFile_.string() + "-wal");
        store::Statement count = db_->Prepare("SELECT COUNT(*) AS N FROM PEDIDOS");
        count.Step();
        c.rows = count.Integer("N");
        c.passMedian = bench::Median(passTimes);
        c.passMax = bench::Max(passTimes);
        c.refreshMedian = bench::Median(refreshTimes);
        checkpoints_.push_back(c);
        std::cerr << "passes " << c.passes << " after " << bench::Fixed(c.seconds) << " s: RSS " << c.rssKb
                  << " kB, fds " << c.descriptors << ", threads " << c.threads << ", DB " << c.databaseKb
                  << " kB, WAL " << c.walKb << " kB, rows " << c.rows << ", pass median "
                  << bench::Fixed(c.passMedian, 2) << " ms (max " << bench::Fixed(c.passMax, 1)
                  << "), refresh median " << bench::Fixed(c.refreshMedian, 2) << " ms, message boxes "
                  << messages_ << std::endl;
    }

    // Warm-up: the first two days, after which the database holds what retention keeps. The list
    // grows through each day and empties at its end, and memory follows it, so a day is compared
    // with a day: the records of the first day after warm-up with those of the last day.
    std::vector<Checkpoint> Day(bool last) const {
        const int lastPasses = checkpoints_.back().passes;
        const int from = last ? std::max(2 * kPassesPerDay, lastPasses - kPassesPerDay) : 2 * kPassesPerDay;
        std::vector<Checkpoint> day;
        for (const Checkpoint& c : checkpoints_) {
            if (c.passes >= from && c.passes <= from + kPassesPerDay) {
                day.push_back(c);
            }
        }
        return day;
    }

    template <class Field>
    static std::vector<double> Values(const std::vector<Checkpoint>& day, Field field) {
        std::vector<double> values;
        for (const Checkpoint& c : day) {
            values.push_back(static_cast<double>(c.*field));
        }
        return values;
    }

    void Report() const {
        std::cout << "\n| passes | elapsed s | RSS kB | fds | threads | DB kB | WAL kB | orders stored | "
                     "pass median ms | pass max ms | refresh median ms "
                     "|\n|---|---|---|---|---|---|---|---|---|---|---|\n";
        for (const Checkpoint& c : checkpoints_) {
            std::cout << "| " << c.passes << " | " << bench::Fixed(c.seconds, 0) << " | " << c.rssKb << " | "
                      << c.descriptors << " | " << c.threads << " | " << c.databaseKb << " | " << c.walKb
                      << " | " << c.rows << " | " << bench::Fixed(c.passMedian, 2) << " | "
                      << bench::Fixed(c.passMax, 1) << " | " << bench::Fixed(c.refreshMedian, 2) << " |\n";
        }
        std::cout << "\n";
        const std::vector<Checkpoint> first = Day(false);
        const std::vector<Checkpoint> last = Day(true);
        if (first.empty()) {
            std::cout << "too short for figures after warm-up (two days, " << 2 * kPassesPerDay
                      << " passes)\n";
            return;
        }
        const double firstPeak = bench::Max(Values(first, &Checkpoint::rssKb));
        const double lastPeak = bench::Max(Values(last, &Checkpoint::rssKb));
        bench::PrintRow(
            "soak: resident memory, highest of the first day after warm-up and of the last day (" +
                std::to_string(checkpoints_.back().passes) + " passes)",
            bench::Fixed(firstPeak, 0) + " kB and " + bench::Fixed(lastPeak, 0) +
                " kB: " + bench::Fixed(lastPeak - firstPeak, 0) + " kB more",
            "< 1024 kB more", lastPeak - firstPeak < 1024);
        std::vector<Checkpoint> after;
        for (const Checkpoint& c : checkpoints_) {
            if (c.passes >= first.front().passes) {
                after.push_back(c);
            }
        }
        const auto range = [&](auto field) {
            const std::vector<double> v = Values(after, field);
            return std::pair{bench::Min(v), bench::Max(v)};
        };
        const auto [fdsLow, fdsHigh] = range(&Checkpoint::descriptors);
        const auto [threadsLow, threadsHigh] = range(&Checkpoint::threads);
        const auto [walLow, walHigh] = range(&Checkpoint::walKb);
        const auto [dbLow, dbHigh] = range(&Checkpoint::databaseKb);
        bench::PrintRow("soak: descriptors, threads, WAL and database after warm-up",
                        "fds " + bench::Fixed(fdsLow, 0) + "-" + bench::Fixed(fdsHigh, 0) + ", threads " +
                            bench::Fixed(threadsLow, 0) + "-" + bench::Fixed(threadsHigh, 0) + ", WAL " +
                            bench::Fixed(walLow, 0) + "-" + bench::Fixed(walHigh, 0) + " kB, database " +
                            bench::Fixed(dbLow, 0) + "-" + bench::Fixed(dbHigh, 0) + " kB",
                        "flat", fdsLow == fdsHigh && threadsLow == threadsHigh && dbHigh - dbLow <= 64);
        const double firstPass = bench::Median(Values(first, &Checkpoint::passMedian));
        const double lastPass = bench::Median(Values(last, &Checkpoint::passMedian));
        bench::PrintRow("soak: pass time, median of the first day after warm-up and of the last day",
                        bench::Fixed(firstPass, 2) + " ms and " + bench::Fixed(lastPass, 2) + " ms",
                        "flat (last ≤ 1.25 × first)", lastPass <= 1.25 * firstPass);
        std::cout << "message boxes answered during the run: " << messages_ << "\n";
    }

    struct Recent {
        std::string id;
        sim::MarketplaceSimulator::Clock::time_point created;
        int turns = 0;
    };

    test::TempFolder folder_;
    std::filesystem::path dbFile_;
    sim::DispatchSimulator platform_;
    sim::MarketplaceSimulator market_;
    std::unique_ptr<store::Database> db_;
    std::unique_ptr<ui::TMainForm> form_;
    QTimer modalWatch_;
    std::deque<Recent> recent_;
    std::vector<Checkpoint> checkpoints_;
    int nextOrder_ = 0;
    int day_ = 0;
    int messages_ = 0;
    bool retention_ = true;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int passes = argc > 1 ? std::atoi(argv[1]) : 30 * kPassesPerDay;
    try {
        Soak soak;
        soak.Run(passes > 0 ? passes : 30 * kPassesPerDay,
                 !(argc > 2 && std::string(argv[2]) == "without-retention"));
    } catch (const std::exception& e) {
        std::cerr << "bench_soak: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
