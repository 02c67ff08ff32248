// The operator's alerts on the window (the offscreen desktop has no tray, so they come as the line
// over the banner), the health line of the status bar and the preferences of the alerts.
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"

#include "AlertasDaJanela.h"
#include "CycleStatusBar.h"
#include "IconeDoPrograma.h"
#include "Preferencias.h"
#include "Store.h"
#include "TestDatabase.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolButton>

#include <chrono>
#include <memory>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kRefusal = R"({"response":{"erros":["Endereço fora da área de entrega"]}})";

class AlertsTest : public MainWindowTest {
protected:
    QLabel* Line() { return Main<QLabel>("LabelAlerta"); }
    bool Tells(const char* words) { return Line()->text().contains(QString::fromUtf8(words)); }
    ui::AlertasDaJanela* Alerts() { return form->findChild<ui::AlertasDaJanela*>(); }
    // The alerts' minutes counted on a clock the test moves.
    void HandClock() {
        Alerts()->DefineRelogio([this] { return std::chrono::steady_clock::time_point(clock); });
    }
    void Automatic(bool on) {
        auto* box = Main<QCheckBox>("CheckBoxRebimentoAutomatico");
        if (box->isChecked() != on) {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        }
        ASSERT_EQ(box->isChecked(), on);
    }
    QDialog* Preferences() { return form->findChild<QDialog*>(QStringLiteral("FPreferencias")); }

    std::chrono::steady_clock::duration clock = 10h;
};

TEST_F(AlertsTest, TheDesktopOfTheTestsHasNoTraySoTheLineCarriesTheAlerts) {
    Open();
    EXPECT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    ASSERT_NE(Alerts(), nullptr);
    EXPECT_FALSE(Alerts()->TemBandeja());
    EXPECT_FALSE(Line()->isVisible());
}

// The tray tells the three states apart at a glance: three different pictures of one icon.
TEST_F(AlertsTest, TheTrayIconHasAPictureForEachState) {
    using cycle::EstadoDosAlertas;
    std::vector<QImage> pictures;
    for (const auto state :
         {EstadoDosAlertas::Normal, EstadoDosAlertas::Atencao, EstadoDosAlertas::SincronizacaoFalhando}) {
        const QImage picture = ui::IconeDoPrograma(state).pixmap(64, 64).toImage();
        ASSERT_FALSE(picture.isNull());
        for (const QImage& other : pictures) {
            EXPECT_NE(picture, other);
        }
        pictures.push_back(picture);
    }
}

// An automatic request the platform refuses: the line tells the order, the platform's reason and
// what to do; it stays, repeating, until the order is handled.
TEST_F(AlertsTest, AFailedAutomaticRequestShowsItsReasonUntilTheOrderIsHandled) {
    StoreAccount("", "");
    const long long id = InsertOrderAt(Db(), {"5150", std::nullopt}, "-10 minutes");
    dispatch.Script("POST", "/api/integracao/abrirEntrega", sim::Answer().WithBody(kRefusal));
    Open();
    HandClock();
    SignIn();
    Automatic(true);
    form->PassoImediato();
    // Before scheduling was switched on the line told of the new order; now it tells the failure.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Line()->isVisible() && Line()->text().contains(QStringLiteral("fora da área")); },
        15'000));
    EXPECT_TRUE(Tells("5150")) << Line()->text().toStdString();
    EXPECT_TRUE(Tells("Endereço fora da área de entrega")) << Line()->text().toStdString();
    EXPECT_TRUE(Tells("página de gestão de pedidos")) << Line()->text().toStdString();
    EXPECT_TRUE(Alerts()->Central().Aberta(cycle::Alerta::SolicitacaoFalhou, id));
    // The line lies over the banner's right end, clear of the logo and of every other control.
    EXPECT_EQ(Line()->parentWidget(), Main("VirtualImage1"));
    EXPECT_GE(Line()->geometry().left(), 600);
    EXPECT_EQ(Line()->geometry().right(), Main("VirtualImage1")->width() - 5);

    // Marked delivered by hand: the alert ends, and the line goes once its minute is over.
    Db().Execute("UPDATE PEDIDOS SET ID_MCH = 'JA ENTREGUE' WHERE ID = " + std::to_string(id));
    form->AtualizaListaImediata();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Alerts()->Central().Aberta(cycle::Alerta::SolicitacaoFalhou, id); }, 10'000));
    clock += 61s;
    form->AtualizaListaImediata();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Line()->isVisible(); }, 10'000));
}

TEST_F(AlertsTest, ANewOrderWithSchedulingOffIsToldAndNotForOneSchedulingTakes) {
    StoreAccount("", "");
    InsertOrderAt(Db(), {"6160", std::nullopt}, "-2 minutes");
    Open();
    HandClock();
    SignIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Line()->isVisible(); }, 10'000));
    EXPECT_TRUE(Tells("6160")) << Line()->text().toStdString();
    EXPECT_TRUE(Tells("Solicite o entregador")) << Line()->text().toStdString();

    // Switched on, scheduling takes the order (the platform accepts): nothing is left to tell.
    Automatic(true);
    form->PassoImediato();
    ASSERT_TRUE(WaitPassEnd());
    clock += 61s;
    form->AtualizaListaImediata();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Line()->isVisible(); }, 10'000));
    EXPECT_FALSE(Alerts()->Central().AlgumaAberta());
}

TEST_F(AlertsTest, TheHealthLineTellsTheLastSyncAndTurnsToTheWarningColourAfterTwoMinutes) {
    marketplace.AddAccount("loja-aiq", "certa");
    StoreAccount("loja-aiq", "certa");
    Open();
    auto* bar = Main<ui::CycleStatusBar>("StatusBar1");
    auto* health = Main<QLabel>("StatusBar1Panel2");
    QDateTime now(QDate(2026, 3, 4), QTime(14, 5, 9));
    bar->DefineRelogio([&] { return now; });
    bar->AtualizaSaude();
    EXPECT_EQ(health->text(), QStringLiteral("Última sincronização: --:--:--"));
    const QColor normal = health->palette().color(QPalette::WindowText);

    SignIn();
    ASSERT_TRUE(WaitPassEnd());
    EXPECT_EQ(health->text(), QStringLiteral("Última sincronização: 14:05:09"));
    const struct {
        int after;
        bool stale;
    } cases[] = {{120, false}, {121, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        now = QDateTime(QDate(2026, 3, 4), QTime(14, 5, 9)).addSecs(c.after);
        bar->AtualizaSaude();
        EXPECT_EQ(health->property("antiga").toBool(), c.stale);
        EXPECT_EQ(health->palette().color(QPalette::WindowText) == normal, !c.stale);
    }
    EXPECT_EQ(health->text(), QStringLiteral("Última sincronização: 14:05:09"));
    // The two specified panels are where and as wide as they were.
    EXPECT_EQ(Main("StatusBar1Panel0")->width(), 200);
    EXPECT_EQ(Main("StatusBar1Panel1")->width(), 500);
    EXPECT_LT(Main("StatusBar1Panel1")->geometry().right(), health->geometry().left());
}

TEST_F(AlertsTest, PreferencesAreStoredAndComeBackWithTheNextWindow) {
    StoreAccount("", "");
    Open();
    SignIn();
    QTest::mouseClick(Main<QToolButton>("ButtonPreferencias"), Qt::LeftButton);
    ASSERT_TRUE(Preferences()->isVisible());
    auto* alertas = Preferences()->findChild<QCheckBox*>(QStringLiteral("CheckBoxAlertas"));
    auto* som = Preferences()->findChild<QCheckBox*>(QStringLiteral("CheckBoxSom"));
    EXPECT_TRUE(alertas->isChecked()); // never stored: on
    EXPECT_TRUE(som->isChecked());
    QTest::mouseClick(som, Qt::LeftButton, {}, QPoint(5, som->height() / 2));
    EXPECT_EQ(store::LePreferencia(Db(), "SOM"), "0");
    EXPECT_EQ(store::LePreferencia(Db(), "ALERTAS"), std::nullopt);
    QTest::mouseClick(alertas, Qt::LeftButton, {}, QPoint(5, alertas->height() / 2));
    EXPECT_EQ(store::LePreferencia(Db(), "ALERTAS"), "0");
    Preferences()->close();

    // Alerts off: a new order with scheduling off is not told.
    form.reset();
    InsertOrderAt(Db(), {"7170", std::nullopt}, "-2 minutes");
    Open();
    SignIn();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Text("Label6PEDIDOS") == QStringLiteral("1 PEDIDOS INTEGRADOS"); }, 10'000));
    Alerts()->Mostra();
    EXPECT_FALSE(Line()->isVisible());
    QTest::mouseClick(Main<QToolButton>("ButtonPreferencias"), Qt::LeftButton);
    EXPECT_FALSE(Preferences()->findChild<QCheckBox*>(QStringLiteral("CheckBoxAlertas"))->isChecked());
    EXPECT_FALSE(Preferences()->findChild<QCheckBox*>(QStringLiteral("CheckBoxSom"))->isChecked());
    // Switched on again, the order waiting is told at once.
    auto* on = Preferences()->findChild<QCheckBox*>(QStringLiteral("CheckBoxAlertas"));
    QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(5, on->height() / 2));
    Alerts()->Mostra();
    EXPECT_TRUE(Line()->isVisible());
    EXPECT_TRUE(Tells("7170")) << Line()->text().toStdString();
}

TEST_F(AlertsTest, TheFeeCeilingIsSetInThePreferencesAndAHeldOrderIsTold) {
    StoreAccount("", "");
    Open();
    SignIn();
    QTest::mouseClick(Main<QToolButton>("ButtonPreferencias"), Qt::LeftButton);
    auto* teto = Preferences()->findChild<QLineEdit*>(QStringLiteral("EditTetoTaxa"));
    ASSERT_NE(teto, nullptr);
    EXPECT_TRUE(teto->text().isEmpty()); // never stored: no ceiling
    const auto type = [&](const QString& text) {
        teto->setText(text);
        emit teto->editingFinished();
    };
    struct Case {
        const char* typed;
        std::optional<long long> stored; // centavos
        const char* shown;
        bool refused;
    };
    for (const Case& c : {Case{"15,5", 1550, "15,50", false}, Case{"abc", 1550, "15,50", true},
                          Case{"", std::nullopt, "", false}, Case{"R$ 12", 1200, "12,00", false}}) {
        SCOPED_TRACE(c.typed);
        ModalAnswerer answerer(QMessageBox::Ok);
        type(QString::fromUtf8(c.typed));
        EXPECT_EQ(store::LeTetoTaxa(Db()), c.stored);
        EXPECT_EQ(teto->text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(answerer.Seen().has_value(), c.refused);
    }
    // The same ceiling typed again keeps the holds: saving would release them for a new estimate.
    InsertOrderAt(Db(), {"7180", std::nullopt}, "-2 minutes");
    store::RetemPedido(Db(), "7180", "21.9", 1200);
    type(QStringLiteral("12,00"));
    EXPECT_EQ(store::PedidosRetidos(Db()).size(), 1u);
    Preferences()->close();

    // The held order is told with its fee and what to do; handled, the alert ends.
    Automatic(true);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Text("Label6PEDIDOS") == QStringLiteral("1 PEDIDOS INTEGRADOS"); }, 10'000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            Alerts()->Mostra();
            return Tells("7180");
        },
        10'000));
    EXPECT_TRUE(Tells("R$ 21,90")) << Line()->text().toStdString();
    EXPECT_TRUE(Tells("teto")) << Line()->text().toStdString();
    EXPECT_TRUE(Alerts()->Central().Aberta(cycle::Alerta::PedidoRetido, store::ListaPedidos(Db()).at(0).ID));
    Db().Execute("UPDATE PEDIDOS SET ID_MCH = 'ROVEZOR' WHERE IDPEDIDO = '7180'");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !Alerts()->Central().Aberta(cycle::Alerta::PedidoRetido,
                                               store::ListaPedidos(Db()).at(0).ID);
        },
        10'000));
}

} // namespace
} // namespace brisko::test
