// The order cards of the signed-in window: the logo's address and a courier requested by hand.
#include "MainWindowFixture.h"

#include "BuildConstants.h"
#include "CardArtwork.h"
#include "OrderCardDelegate.h"
#include "OrderCardGrid.h"
#include "OrderCardModel.h"
#include "Store.h"
#include "TestDatabase.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace brisko::test {
namespace {

class OrderCardsTest : public MainWindowTest {
protected:
    // Signed in with one order on the cards; answers its ID.
    long long SignInWithOneOrder() {
        StoreAccount("", "");
        const long long id = InsertOrderAt(Db(), {"4711", std::nullopt}, "-1 hours");
        Db().Execute("UPDATE PEDIDOS SET LATITUDE = '-23.5534', LONGITUDE = '-46.6528'");
        Open();
        SignIn();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return Text("Label6PEDIDOS") == QStringLiteral("1 PEDIDOS INTEGRADOS"); }, 10'000));
        return id;
    }
    ui::OrderCardGrid* Grid() { return Main<ui::OrderCardGrid>("DBCtrlGrid1"); }
    QRect Card() { return Grid()->visualRect(Grid()->model()->index(0, 0)); }
    QString Picture() {
        const QVariant picture =
            Grid()->model()->data(Grid()->model()->index(0, 0), ui::OrderCardModel::CourierPictureRole);
        return ui::CardPictureName(static_cast<ui::CardPicture>(picture.toInt()));
    }
};

TEST_F(OrderCardsTest, LogoClickOpensTheMarketplacePortalsOrderPage) {
    const FakeOpener opener(folder.Path());
    SignInWithOneOrder();
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {},
                      ui::OrderCardDelegate::LogoRect(Card()).center());
    EXPECT_EQ(opener.Opened(), std::string(build::kMarketplacePortalUrl) + "/pedidos");
}

// A real click on the card's courier button, through the dialog, to a request the platform accepts.
// Closing the dialog starts the list refresh at once, so it runs under the success message, while
// the click that opened the dialog is still being handled.
TEST_F(OrderCardsTest, ClickThroughTheCardToASuccessfulRequest) {
    const long long id = SignInWithOneOrder();
    ASSERT_EQ(Picture(), QStringLiteral("entregador 4"));
    struct {
        bool pressed = false;
        QString message;
        QString pictureUnderMessage;
    } seen;
    QTimer driver; // runs inside the dialog's and the message's own event loops, which it answers
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.message = box->text();
            if (seen.message == QStringLiteral("Entrega solicitada com sucesso!") &&
                Picture() != QStringLiteral("OK")) {
                return; // wait for the refresh
            }
            seen.pictureUnderMessage = Picture();
            box->button(QMessageBox::Ok)->click();
            return;
        }
        auto* entrega = qobject_cast<ui::TFEntrega*>(modal);
        auto* solicitar = entrega ? entrega->findChild<QPushButton*>(QStringLiteral("Button4")) : nullptr;
        if (!seen.pressed && solicitar && solicitar->isEnabled() && !dispatch.Estimates().empty()) {
            seen.pressed = true;
            // Queued: the press runs its own loops, in which this driver must keep running.
            QTimer::singleShot(0, solicitar, [solicitar] { QTest::mouseClick(solicitar, Qt::LeftButton); });
        }
    });
    driver.start(20);
    QTimer::singleShot(std::chrono::seconds(20), [] { // a stuck dialog fails instead of hanging
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            modal->reject();
        }
    });

    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {},
                      ui::OrderCardDelegate::CourierButtonRect(Card()).center());

    driver.stop();
    EXPECT_TRUE(seen.pressed);
    EXPECT_EQ(seen.message, QStringLiteral("Entrega solicitada com sucesso!"));
    EXPECT_EQ(seen.pictureUnderMessage, QStringLiteral("OK"));
    EXPECT_FALSE(DeliveryDialog()->isVisible());
    EXPECT_EQ(store::PedidoPorId(Db(), id)->ID_MCH, "ROVEZOR");
    ASSERT_EQ(dispatch.Deliveries().size(), 1u);
    EXPECT_EQ(dispatch.Deliveries()[0].idExterno, "aiqfome 4711");
    EXPECT_EQ(Grid()->CurrentId(), id);
    EXPECT_EQ(Text("Label6PEDIDOS"), QStringLiteral("1 PEDIDOS INTEGRADOS"));
}

TEST_F(OrderCardsTest, TheDaysSummaryAHeldCardAndAFailedHistoryWriteReachTheWindow) {
    SignInWithOneOrder();
    for (const std::string_view evento :
         {store::kEventoImportado, store::kEventoEnvioAutomatico, store::kEventoRecusada}) {
        ASSERT_EQ(store::AnotaEvento(Db(), {"4711", evento}), "");
    }
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Text("LabelResumoDia") ==
                   QStringLiteral("Hoje: 1 pedidos · 1 solicitados · 1 falhas · 0 retidos");
        },
        10'000))
        << Text("LabelResumoDia").toStdString();
    EXPECT_TRUE(Main<QWidget>("BotaoRelatorioDia")->isVisible());

    store::RetemPedido(Db(), "4711", "21.9", 1500);
    ASSERT_EQ(store::AnotaEvento(Db(), {"4711", store::kEventoRetido, "teto R$ 15,00", "21.9"}), "");
    const auto held = [&] {
        return Grid()
            ->model()
            ->data(Grid()->model()->index(0, 0), ui::OrderCardModel::HeldLineRole)
            .toString();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return held() == QStringLiteral("RETIDO R$ 21,90"); }, 10'000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Text("LabelResumoDia").endsWith(QStringLiteral("· 0 falhas · 1 retidos")); }, 10'000));

    emit DeliveryDialog()->historyFailed(QStringLiteral("Histórico não gravado: disk I/O error"));
    EXPECT_EQ(Text("StatusBar1Panel1"), QStringLiteral("Histórico não gravado: disk I/O error"));
}

} // namespace
} // namespace brisko::test
