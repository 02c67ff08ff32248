// The integration cycle on screen: the countdown, the list refresh and the passes.
#include "MainWindowFixture.h"

#include "Store.h"
#include "TestDatabase.h"

#include "ModalAnswerer.h"
#include "OrderCardGrid.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

class CycleTest : public MainWindowTest {
protected:
    std::size_t TokenRequests() {
        std::size_t count = 0;
        for (const auto& request : marketplace.Requests()) {
            count += request.path == "/alfredo/auth/token" ? 1 : 0;
        }
        return count;
    }
    QLabel* Status() { return Main<QLabel>("StatusBar1Panel1"); }
};

// The countdown texts seen from now until `last` shows (the callers compare them, so a list that
// never reached `last` fails there).
QStringList CountdownUntil(QLabel* panel, const QString& last, std::chrono::milliseconds timeout) {
    QStringList seen;
    static_cast<void>(QTest::qWaitFor(
        [&] {
            if (seen.isEmpty() || seen.back() != panel->text()) {
                seen << panel->text();
            }
            return panel->text() == last;
        },
        static_cast<int>(timeout.count())));
    return seen;
}

TEST_F(CycleTest, SignedOutCountdownRunsFromFourEveryFiveSeconds) {
    Open();
    auto* panel = Main<QLabel>("StatusBar1Panel0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->text() == QStringLiteral("Verificando..."); }, 8'000));
    // One whole wait: "Verificando..." of the last, then the next countdown down to 2.
    const QStringList next =
        CountdownUntil(panel, QStringLiteral("Proxima Verificação em 2 segundos"), std::chrono::seconds(8));
    EXPECT_EQ(next, (QStringList{QStringLiteral("Verificando..."),
                                 QStringLiteral("Proxima Verificação em 4 segundos"),
                                 QStringLiteral("Proxima Verificação em 3 segundos"),
                                 QStringLiteral("Proxima Verificação em 2 segundos")}));
}

TEST_F(CycleTest, SignedInCountdownShowsVerificandoForItsLastTwoSeconds) {
    StoreAccount("", "");
    Open();
    SignIn();
    ASSERT_TRUE(WaitPassEnd());
    auto* countdown = form->findChild<QTimer*>(QStringLiteral("TimerCountDelivery"));
    ASSERT_NE(countdown, nullptr);
    QStringList seen;
    QObject receiver; // after `seen`: gone, and disconnected, first
    // Connected after the window's own handler, so this reads the text that the tick has just set.
    QObject::connect(countdown, &QTimer::timeout, &receiver, [&] { seen << Text("StatusBar1Panel0"); });
    countdown->setInterval(20); // the same steps at a faster pace; the next pass is still 30 s away
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 30; }, 10'000));
    QStringList expected;
    for (int second = 28; second >= 2; --second) {
        expected << QStringLiteral("Proxima Verificação em %1 segundos").arg(second);
    }
    expected << QStringLiteral("Verificando...") << QStringLiteral("Verificando...")
             << QStringLiteral("Verificando...");
    EXPECT_EQ(seen.mid(0, 30), expected);
}

TEST_F(CycleTest, OrderListFollowsTheTableAndKeepsTheCurrentOrder) {
    StoreAccount("", "");
    Open();
    SignIn();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Text("Label6PEDIDOS") == QStringLiteral("SEM PEDIDOS"); }, 10'000));
    EXPECT_TRUE(Main("DBCtrlGrid1")->isHidden());
    InsertOrderAt(Db(), {"um", std::nullopt}, "-2 hours");
    InsertOrderAt(Db(), {"dois", std::nullopt}, "-1 hours");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Text("Label6PEDIDOS") == QStringLiteral("2 PEDIDOS INTEGRADOS"); }, 10'000));
    EXPECT_TRUE(Main("DBCtrlGrid1")->isVisible());
}

TEST_F(CycleTest, ListRefreshWaitsWhileTheDeliveryDialogIsOpenAndRunsWhenItCloses) {
    StoreAccount("", "");
    const long long id = InsertOrderAt(Db(), {"um", std::nullopt}, "-1 hours");
    Open();
    SignIn();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Text("Label6PEDIDOS") == QStringLiteral("1 PEDIDOS INTEGRADOS"); }, 10'000));
    auto* grid = Main<ui::OrderCardGrid>("DBCtrlGrid1");
    long long openedId = 0;
    bool refreshedWhileOpen = true;
    QElapsedTimer open;
    QTimer closer; // works from inside the dialog's own event loops, which must not be blocked
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->accept(); // the estimate's answer for this bare test order does not matter here
            return;
        }
        auto* opened = qobject_cast<ui::TFEntrega*>(QApplication::activeModalWidget());
        if (opened == nullptr) {
            return;
        }
        if (!open.isValid()) {
            openedId = opened->Pedido().ID;
            // An order arriving meanwhile does not show until the dialog closes.
            InsertOrderAt(Db(), {"dois", std::nullopt}, "-1 minutes");
            open.start();
        } else if (open.elapsed() > 2500) {
            refreshedWhileOpen = Text("Label6PEDIDOS") != QStringLiteral("1 PEDIDOS INTEGRADOS");
            opened->reject(); // refused while the estimate runs: tried again on the next tick
        }
    });
    closer.start(50);
    emit grid->courierRequested(*store::PedidoPorId(Db(), id),
                                ui::OrderCardGrid::DateLine("2026-01-01 10:00:00"));
    closer.stop();
    EXPECT_EQ(openedId, id);
    EXPECT_FALSE(refreshedWhileOpen);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Text("Label6PEDIDOS") == QStringLiteral("2 PEDIDOS INTEGRADOS"); }, 500));
}

TEST_F(CycleTest, ListRefreshErrorIsShownOnceAndTheRefreshGoesOn) {
    StoreAccount("", "");
    Open();
    SignIn();
    auto* panel = Main<QLabel>("StatusBar1Panel1");
    Db().Execute("ALTER TABLE PEDIDOS RENAME TO PEDIDOS_FORA");
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->text().contains(QStringLiteral("PEDIDOS")); }, 10'000))
        << panel->text().toStdString();
    Db().Execute("ALTER TABLE PEDIDOS_FORA RENAME TO PEDIDOS");
    InsertOrderAt(Db(), {"volta", std::nullopt}, "-1 minutes");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Text("Label6PEDIDOS") == QStringLiteral("1 PEDIDOS INTEGRADOS"); }, 10'000));
}

TEST_F(CycleTest, SignedInPassEndsAndCountsDownFromTwentyNine) {
    Open();
    StoreAccount("", "");
    SignIn();
    ASSERT_TRUE(WaitPassEnd());
    EXPECT_EQ(Status()->text(), QStringLiteral("Aiqfome não cadastrado"));
    EXPECT_EQ(TokenRequests(), 0u);
    EXPECT_TRUE(Main("ComboBoxAgendar")->isEnabled());
}

TEST_F(CycleTest, RefusedMarketplaceAccountBringsTheDialogForwardAfterEveryPass) {
    marketplace.AddAccount("loja-aiq", "certa");
    StoreAccount("loja-aiq", "errada");
    Open();
    SignIn();
    const QString warning = QStringLiteral("LOGIN E SENHA AIQFOME INCORRETO");
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        ASSERT_TRUE(QTest::qWaitFor([&] { return AccountDialog()->isVisible(); }, 10'000));
        EXPECT_FALSE(AccountDialog()->isModal());
        EXPECT_EQ(Dialog<QLabel>("Label3")->text(), warning);
        EXPECT_EQ(Status()->text(), warning);
        EXPECT_TRUE(Main("LabelAvisos")->isVisible());
        EXPECT_EQ(Text("LabelAvisos"), warning);
        AccountDialog()->hide();
        form->PassoImediato();
    }
    // Opened by the operator's button, the warning is gone.
    ASSERT_TRUE(QTest::qWaitFor([&] { return AccountDialog()->isVisible(); }, 10'000));
    AccountDialog()->hide();
    QTest::mouseClick(Main<QToolButton>("SpeedButton2"), Qt::LeftButton);
    EXPECT_TRUE(AccountDialog()->isVisible());
    EXPECT_TRUE(Dialog<QLabel>("Label3")->text().isEmpty());
    EXPECT_EQ(Dialog<QLineEdit>("EditLogin")->text(), QStringLiteral("loja-aiq"));
    EXPECT_EQ(Dialog<QLineEdit>("EditSenha")->text(), QStringLiteral("errada"));
}

TEST_F(CycleTest, SavingTheAccountRunsAPassAtOnce) {
    marketplace.AddAccount("loja-aiq", "certa");
    StoreAccount("", "");
    Open();
    SignIn();
    ASSERT_TRUE(WaitPassEnd());
    QTest::mouseClick(Main<QToolButton>("SpeedButton2"), Qt::LeftButton);
    ASSERT_TRUE(AccountDialog()->isVisible());
    Dialog<QLineEdit>("EditLogin")->setText(QStringLiteral("loja-aiq"));
    Dialog<QLineEdit>("EditSenha")->setText(QStringLiteral("certa"));
    QTest::mouseClick(Dialog<QPushButton>("Button4"), Qt::LeftButton);
    EXPECT_FALSE(AccountDialog()->isVisible());
    const auto rows = store::LeConfigDelivery(Db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].LOGIN, "loja-aiq");
    EXPECT_EQ(rows[0].SENHA, "certa");
    EXPECT_EQ(rows[0].ORIGEM, "AIQFOME");
    EXPECT_EQ(rows[0].IDORIGEM, 1);
    // Well before the 30-second wait would end.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Status()->text() == QStringLiteral("Aiqfome conectado"); }, 5'000))
        << Status()->text().toStdString();
    EXPECT_EQ(TokenRequests(), 1u);
    EXPECT_FALSE(Main("LabelAvisos")->isVisible());
}

TEST_F(CycleTest, AccountSaveFailureKeepsTheDialogOpenAndRunsNoPass) {
    StoreAccount("", "");
    Open();
    SignIn();
    ASSERT_TRUE(WaitPassEnd());
    Db().Execute("CREATE TRIGGER no_account BEFORE UPDATE ON CONFIGDELIVERY BEGIN SELECT RAISE(ABORT, "
                 "'somente leitura'); END");
    QTest::mouseClick(Main<QToolButton>("SpeedButton2"), Qt::LeftButton);
    Dialog<QLineEdit>("EditLogin")->setText(QStringLiteral("loja-aiq"));
    ModalAnswerer answerer(QMessageBox::Ok);
    QTest::mouseClick(Dialog<QPushButton>("Button4"), Qt::LeftButton);
    ASSERT_TRUE(answerer.Seen());
    EXPECT_TRUE(answerer.Seen()->text.contains(QStringLiteral("somente leitura")));
    EXPECT_TRUE(AccountDialog()->isVisible());
    EXPECT_EQ(Dialog<QLineEdit>("EditLogin")->text(), QStringLiteral("loja-aiq"));
    // The countdown goes on to its next second, and no pass began meanwhile.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Text("StatusBar1Panel0") != QStringLiteral("Proxima Verificação em 29 segundos"); },
        10'000));
    EXPECT_EQ(Main<QLabel>("StatusBar1Panel0")->text().left(23), QStringLiteral("Proxima Verificação em "));
}

TEST_F(CycleTest, PassThatFailsStillHandsTheCycleBack) {
    StoreAccount("", "");
    Open();
    SignIn();
    ASSERT_TRUE(WaitPassEnd());
    // The next pass cannot read the accounts at all.
    Db().Execute("ALTER TABLE CONFIGDELIVERY RENAME TO CONTAS_FORA");
    Status()->clear();
    form->PassoImediato();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Status()->text().contains(QStringLiteral("CONFIGDELIVERY")); }, 10'000))
        << Status()->text().toStdString();
    EXPECT_TRUE(WaitPassEnd()) << "no countdown after the failed pass";
    EXPECT_TRUE(Main("ComboBoxAgendar")->isEnabled());
    // Mended, the very next pass works again.
    Db().Execute("ALTER TABLE CONTAS_FORA RENAME TO CONFIGDELIVERY");
    form->PassoImediato();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Status()->text() == QStringLiteral("Aiqfome não cadastrado"); },
                                10'000));
}

TEST_F(CycleTest, WheelOverTheCardsMovesTheCurrentOrder) {
    StoreAccount("", "");
    for (const char* order : {"a", "b", "c", "d"}) {
        InsertOrderAt(Db(), {order, std::nullopt}, "-1 hours");
    }
    Open();
    SignIn();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Text("Label6PEDIDOS") == QStringLiteral("4 PEDIDOS INTEGRADOS"); }, 10'000));
    auto* grid = Main<ui::OrderCardGrid>("DBCtrlGrid1");
    std::vector<long long> ids;
    for (const auto& row : store::ListaPedidos(Db())) {
        ids.push_back(row.ID);
    }
    ASSERT_TRUE(grid->SelectId(ids[3]));
    struct Step {
        int delta;
        long long current;
    };
    for (const Step& step : {Step{240, ids[1]}, Step{100, ids[1]}, Step{-120, ids[2]}}) {
        SCOPED_TRACE(step.delta);
        const QPoint inside = grid->viewport()->rect().center();
        QWheelEvent wheel(inside, grid->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, step.delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &wheel);
        EXPECT_TRUE(wheel.isAccepted());
        EXPECT_EQ(grid->CurrentId(), step.current);
    }
}

TEST_F(CycleTest, ImmediatePassAskedDuringAPassRunsAfterItAndTheCycleStaysHeldUntilItEnds) {
    marketplace.AddAccount("loja-aiq", "certa");
    StoreAccount("loja-aiq", "certa");
    // Both token requests take a while: long enough to ask for more passes and to look around.
    for (int pass = 0; pass < 2; ++pass) {
        marketplace.Script("POST", "/alfredo/auth/token",
                           sim::Answer().WithStatus(503).WithBody("{}").WithDelay(1500ms));
    }
    Open();
    SignIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return TokenRequests() == 1; }, 10'000));
    auto* passTimer = form->findChild<QTimer*>(QStringLiteral("TimerDelivery"));
    auto* countdown = form->findChild<QTimer*>(QStringLiteral("TimerCountDelivery"));
    ASSERT_TRUE(passTimer && countdown);
    // While a pass runs or one waits, the minutes box is disabled and neither timer runs.
    const auto held = [&] {
        return !Main("ComboBoxAgendar")->isEnabled() && !passTimer->isActive() && !countdown->isActive();
    };
    QStringList released;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        const QString when = QStringLiteral("after %1 token request(s)").arg(TokenRequests());
        if (!held() && !released.contains(when)) {
            released << when;
        }
    });
    look.start(5);
    form->PassoImediato();
    QTest::qWait(100);
    form->PassoImediato();
    QTest::qWait(500);
    EXPECT_EQ(TokenRequests(), 1u) << "a second pass ran beside the first";
    ASSERT_TRUE(QTest::qWaitFor([&] { return TokenRequests() == 2; }, 10'000));
    QTest::qWait(1000); // the second pass waits 1.5 s for its token: it still runs here
    look.stop();
    EXPECT_TRUE(released.isEmpty()) << released.join(QStringLiteral(", ")).toStdString();

    // The next pass comes 30 s after the last one ended: its timer started when that pass ended, the
    // moment the minutes box comes back.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Main("ComboBoxAgendar")->isEnabled(); }, 10'000));
    EXPECT_GT(passTimer->remainingTime(), 28500);
    ASSERT_TRUE(WaitPassEnd());
    QTest::qWait(1000);
    EXPECT_EQ(TokenRequests(), 2u) << "the requests asked for meanwhile make one pass after it";
}

} // namespace
} // namespace brisko::test
