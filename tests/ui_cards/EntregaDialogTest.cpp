// The delivery request dialog against the dispatch simulator over HTTPS and a real database file.
#include "BuildConstants.h"
#include "DeliveryOptions.h"
#include "DispatchSimulator.h"
#include "Json.h"
#include "ModalAnswerer.h"
#include "ResultText.h"
#include "SolicitaEntrega.h"
#include "Store.h"
#include "TempFolder.h"
#include "TestDatabase.h"
#include "UEntrega.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace brisko::ui {
namespace {

using namespace std::chrono_literals;
using test::ModalAnswerer;
using ::testing::HasSubstr;

constexpr const char* kEstimatePath = "/api/integracao/estimarEntrega";
constexpr const char* kOpenPath = "/api/integracao/abrirEntrega";

store::Empresa DemoStore() {
    store::Empresa e;
    e.IDROVEZOR = "1207";
    e.NOME = "Empório São Jorge";
    e.ENDERECO = "Avenida Paulista, 1578";
    e.BAIRRO = "Bela Vista";
    e.CIDADE = "São Paulo";
    e.UF = "SP";
    e.LAT = "-23.561414";
    e.LNG = "-46.655881";
    e.STATUS = "A";
    e.TIPOSPAGAMENTOS = "[F] [D] [X] [C] ";
    e.CATEGORIAS = "[Moto] [Bike] ";
    e.AUTOCONNECT = "N";
    e.EMAIL = "loja@demo.com";
    e.SENHA = "demo123";
    return e;
}

QStringList Entries(const QComboBox* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) {
        entries << list->itemText(i);
    }
    return entries;
}

class EntregaDialogTest : public ::testing::Test {
protected:
    EntregaDialogTest() : db(FreshDatabaseIn(folder)) {}

    void SetUp() override {
        ASSERT_TRUE(platform.Start());
        dispatch::Endpoint endpoint;
        endpoint.baseUrl = platform.BaseUrl();
        endpoint.caFile = sim::TestCaFile().string();
        endpoint.connectTimeout = 5s;
        endpoint.readTimeout = 5s;
        dialog.Attach(db, build::kDispatchApiKey, endpoint);
        store::SubstituiEmpresa(db, DemoStore());
        orderId = InsertOrder("4711", "Rua Augusta, 500");
    }

    void TearDown() override {
        if (dialog.isVisible()) {
            dialog.reject();
        }
    }

    long long InsertOrder(const std::string& idPedido, const std::string& endereco) {
        store::InserePedido(db, {test::EngineTime(db, ""), idPedido, "Maria <b>Souza</b>", "(11) 99999-0000",
                                 endereco, "-23.5534", "-46.6528"});
        auto find = db.Prepare("SELECT ID FROM PEDIDOS WHERE IDPEDIDO = :IDPEDIDO");
        find.Bind("IDPEDIDO", idPedido);
        EXPECT_TRUE(find.Step());
        return find.Integer("ID");
    }

    store::Pedido Row() { return store::PedidoPorId(db, orderId).value(); }

    std::vector<sim::RecordedRequest> RequestsTo(const std::string& path) const {
        std::vector<sim::RecordedRequest> found;
        for (const sim::RecordedRequest& r : platform.Requests()) {
            if (r.path == path) {
                found.push_back(r);
            }
        }
        return found;
    }

    template <class T> T* Find(const char* name) {
        auto* widget = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Waits until the dialog has made `estimates` estimate calls in all and has its answer.
    bool Settled(std::size_t estimates) {
        return QTest::qWaitFor(
            [&] {
                return RequestsTo(kEstimatePath).size() == estimates &&
                       Find<QPushButton>("Button4")->isEnabled();
            },
            10'000);
    }

    // Shows the dialog for the order without blocking the test, as the card's button would.
    void Show(std::size_t estimatesBefore = 0) {
        dialog.Fill(Row(), QStringLiteral("🕗 22/05/2024 14:30:00"));
        dialog.show();
        ASSERT_TRUE(Settled(estimatesBefore + 1));
    }

    // Presses a button and answers the message box it leads to; answers the box's text.
    QString PressAndAnswer(const char* button) {
        ModalAnswerer answerer(QMessageBox::Ok);
        Find<QPushButton>(button)->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return answerer.Seen().has_value(); }, 10'000)) << button;
        return answerer.Seen() ? answerer.Seen()->text : QString();
    }

    test::TempFolder folder;
    store::Database db;
    sim::DispatchSimulator platform{build::kDispatchApiKey};
    TFEntrega dialog;
    long long orderId = 0;

private:
    static store::Database FreshDatabaseIn(const test::TempFolder& where) {
        test::FreshDatabase(where / "BANCO.db");
        return store::Database(where / "BANCO.db");
    }
};

TEST_F(EntregaDialogTest, ShowingFillsTheDialogAndShowsTheStoredEstimate) {
    EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("R$0,00"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Solicitar entrega"));
    Show();

    EXPECT_EQ(Find<QLabel>("Label_IDPEDIDO")->text(), QStringLiteral("🧾 aiqfome 4711"));
    EXPECT_EQ(Find<QLabel>("LabelDATAHORA")->text(), QStringLiteral("🕗 22/05/2024 14:30:00"));
    EXPECT_EQ(Find<QLabel>("Label6CLIENTE")->text(), QStringLiteral("👤 Maria <b>Souza</b>"));
    EXPECT_EQ(Find<QLabel>("Label6CLIENTE")->textFormat(), Qt::PlainText);
    EXPECT_EQ(Find<QLabel>("LabelENDERECO")->text(), QStringLiteral("📍 Rua Augusta, 500"));
    EXPECT_EQ(Entries(Find<QComboBox>("ComboBoxPagamentos")),
              QStringList({"Faturado", "Dinheiro", "Pix", "Credito (Maquina)"}));
    EXPECT_EQ(Find<QComboBox>("ComboBoxPagamentos")->currentIndex(), 0);
    EXPECT_EQ(Entries(Find<QComboBox>("ComboBoxCategorias")), QStringList({"Moto", "Bike"}));
    EXPECT_EQ(Find<QComboBox>("ComboBoxCategorias")->currentIndex(), 0);
    EXPECT_EQ(Find<QComboBox>("ComboBoxAgendar")->count(), 23);
    EXPECT_EQ(Find<QComboBox>("ComboBoxAgendar")->currentText(), QStringLiteral("5"));
    EXPECT_EQ(Entries(Find<QComboBox>("ComboBoxRetorno")), QStringList({"Não", "Sim"}));
    EXPECT_EQ(Find<QComboBox>("ComboBoxRetorno")->currentText(), QStringLiteral("Não"));

    // One estimate for the showing, not one per entry filled in.
    const auto estimates = platform.Estimates();
    ASSERT_EQ(estimates.size(), 1u);
    const std::map<std::string, std::string> expected{
        {"endereco_partida", "Avenida Paulista, 1578"},
        {"bairro_partida", "Bela Vista"},
        {"cidade_partida", "São Paulo"},
        {"estado_partida", "SP"},
        {"lat_partida", "-23.561414"},
        {"lng_partida", "-46.655881"},
        {"endereco_desejado", "Rua Augusta, 500"},
        {"bairro_desejado", "Bela Vista"},
        {"cidade_desejado", "São Paulo"},
        {"estado_desejado", "SP"},
        {"lat_desejado", "-23.5534"},
        {"lng_desejado", "-46.6528"},
        {"latlng_paradas", ""},
        {"categoria_nome", "Moto"},
        {"com_retorno", "false"},
    };
    EXPECT_EQ(estimates[0], expected);
    const std::string taxa = Row().TAXAENTREGA;
    EXPECT_FALSE(taxa.empty());
    EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("R$ ") + QString::fromStdString(taxa));
}

TEST_F(EntregaDialogTest, CarriesItsFixedTextsAndOneSize) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Solicitar entrega"));
    EXPECT_EQ(dialog.size(), QSize(405, 393));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    QStringList captions; // the unnamed labels, top to bottom
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->objectName().isEmpty()) {
            captions << label->text();
        }
    }
    EXPECT_EQ(captions,
              QStringList({"Categoria", "Pagamento", "Agendar", "min", "Retorno", "TAXA DE ENTREGA"}));
    EXPECT_EQ(Find<QPushButton>("Button1")->text(), QStringLiteral("Já foi entregue"));
    EXPECT_EQ(Find<QPushButton>("Button4")->text(), QStringLiteral("Solicitar entrega"));
}

TEST_F(EntregaDialogTest, ChoicesAskForANewEstimateExceptTheMinutes) {
    Show();
    Find<QComboBox>("ComboBoxAgendar")->setCurrentIndex(5);
    Find<QComboBox>("ComboBoxPagamentos")->setCurrentIndex(2);
    ASSERT_TRUE(Settled(2));
    Find<QComboBox>("ComboBoxCategorias")->setCurrentIndex(1);
    ASSERT_TRUE(Settled(3));
    Find<QComboBox>("ComboBoxRetorno")->setCurrentText(QStringLiteral("Sim"));
    ASSERT_TRUE(Settled(4));
    // A change asks at once (the call waits in its own loop), so the count is final here.
    Find<QComboBox>("ComboBoxAgendar")->setCurrentIndex(7);
    EXPECT_EQ(RequestsTo(kEstimatePath).size(), 4u);

    const auto last = platform.Estimates().back();
    EXPECT_EQ(last.at("categoria_nome"), "Bike");
    EXPECT_EQ(last.at("com_retorno"), "true");
}

TEST_F(EntregaDialogTest, SecondShowingKeepsMinutesAndReturnAndSelectsTheFirstPaymentAndCategoryAgain) {
    QSignalSpy closed(&dialog, &TFEntrega::closed);
    Show();
    Find<QComboBox>("ComboBoxAgendar")->setCurrentText(QStringLiteral("30"));
    Find<QComboBox>("ComboBoxRetorno")->setCurrentText(QStringLiteral("Sim"));
    ASSERT_TRUE(Settled(2));
    Find<QComboBox>("ComboBoxPagamentos")->setCurrentIndex(3);
    ASSERT_TRUE(Settled(3));
    Find<QComboBox>("ComboBoxCategorias")->setCurrentIndex(1);
    ASSERT_TRUE(Settled(4));
    EXPECT_TRUE(dialog.close()); // the close box
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(Row().ID_MCH, "");

    Show(4);
    EXPECT_EQ(Find<QComboBox>("ComboBoxAgendar")->currentText(), QStringLiteral("30"));
    EXPECT_EQ(Find<QComboBox>("ComboBoxRetorno")->currentText(), QStringLiteral("Sim"));
    EXPECT_EQ(Find<QComboBox>("ComboBoxPagamentos")->currentIndex(), 0);
    EXPECT_EQ(Find<QComboBox>("ComboBoxCategorias")->currentIndex(), 0);
    EXPECT_EQ(platform.Estimates().back().at("com_retorno"), "true");
    EXPECT_EQ(platform.Estimates().back().at("categoria_nome"), "Moto");
}

TEST_F(EntregaDialogTest, RequestSendsTheChoicesAndMarksTheOrder) {
    QSignalSpy closed(&dialog, &TFEntrega::closed);
    Show();
    Find<QComboBox>("ComboBoxRetorno")->setCurrentText(QStringLiteral("Sim"));
    ASSERT_TRUE(Settled(2));
    Find<QComboBox>("ComboBoxPagamentos")->setCurrentText(QStringLiteral("Pix"));
    ASSERT_TRUE(Settled(3));

    EXPECT_EQ(PressAndAnswer("Button4"), QStringLiteral("Entrega solicitada com sucesso!"));

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(Row().ID_MCH, "ROVEZOR");
    const auto opened = RequestsTo(kOpenPath);
    ASSERT_EQ(opened.size(), 1u);
    const std::optional<net::JsonValue> document = net::ParseJson(opened[0].body);
    ASSERT_TRUE(document.has_value()) << opened[0].body;
    EXPECT_THAT(opened[0].body, HasSubstr(R"("retorno": true)"));
    EXPECT_EQ(document->Find("forma_pagamento")->Text(), "X");
    EXPECT_EQ(document->Find("categoria_nome")->Text(), "Moto");
    EXPECT_EQ(document->Find("empresa_id")->Text(), "1207");
    const net::JsonValue& parada = document->Find("paradas")->Items().front();
    EXPECT_EQ(parada.Find("id_externo")->Text(), "aiqfome 4711");
    EXPECT_EQ(parada.Find("nome_cliente_parada")->Text(), "Maria <b>Souza</b>");
}

TEST_F(EntregaDialogTest, RefusedRequestKeepsTheDialogOpenAndASecondTryMarksTheOrderOnce) {
    Show();
    platform.Script("POST", kOpenPath,
                    sim::Answer().WithBody(R"({"response":{"erros":["Sem entregadores na região"]}})"));

    const QString refusal = PressAndAnswer("Button4");
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("Erro: "))) << refusal.toStdString();
    EXPECT_THAT(refusal.toStdString(), HasSubstr("Sem entregadores na região"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Row().ID_MCH, "");

    EXPECT_EQ(PressAndAnswer("Button4"), QStringLiteral("Entrega solicitada com sucesso!"));
    EXPECT_EQ(Row().ID_MCH, "ROVEZOR");
    EXPECT_EQ(RequestsTo(kOpenPath).size(), 2u);
    EXPECT_EQ(platform.Deliveries().size(), 1u);
}

TEST_F(EntregaDialogTest, AnOrderTheAutomaticPassClaimedMeanwhileIsNotRequestedAgain) {
    Show();
    ASSERT_TRUE(store::ReservaPedido(db, orderId, "")); // the pass took it while the dialog was open
    for (int press = 0; press < 2; ++press) {
        EXPECT_EQ(PressAndAnswer("Button4").toStdString(), courier::kAlreadyRequestedMessage);
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_TRUE(RequestsTo(kOpenPath).empty());
    EXPECT_EQ(Row().ID_MCH, "ERRO ROVEZOR");
}

TEST_F(EntregaDialogTest, ARequestLeftWithoutAnAnswerStaysClaimedAndSaysToCheckThePlatform) {
    Show();
    platform.Script("POST", kOpenPath, sim::Answer().WithStatus(502).WithBody("Bad gateway"));
    const QString unanswered = PressAndAnswer("Button4");
    EXPECT_EQ(unanswered, QStringLiteral("Erro: Bad gateway\n") +
                              QString::fromUtf8(courier::kMayHaveBeenAcceptedLine.data()));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Row().ID_MCH, "ERRO ROVEZOR") << "the platform may have opened it: never pending again";

    // The operator looked at the platform and asks again.
    EXPECT_EQ(PressAndAnswer("Button4"), QStringLiteral("Entrega solicitada com sucesso!"));
    EXPECT_EQ(Row().ID_MCH, "ROVEZOR");
    EXPECT_EQ(RequestsTo(kOpenPath).size(), 2u);
}

TEST_F(EntregaDialogTest, StoreWithoutKnownPaymentsStillEstimatesButRequestsNothing) {
    store::Empresa semCodigo = DemoStore();
    semCodigo.TIPOSPAGAMENTOS = "[Z] [7] ";
    store::SubstituiEmpresa(db, semCodigo);
    Show();
    EXPECT_EQ(Find<QComboBox>("ComboBoxPagamentos")->count(), 0);
    EXPECT_EQ(Find<QComboBox>("ComboBoxPagamentos")->currentText(), QString());

    EXPECT_EQ(PressAndAnswer("Button4").toStdString(), courier::kPaymentNotSpecifiedMessage);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(RequestsTo(kOpenPath).empty());
    EXPECT_EQ(Row().ID_MCH, "");
}

// "R$0,00" would read as a free delivery, and a fee left from an earlier opening may be another
// order's: a failed estimate shows that this order's fee is not known, unless it is on show.
TEST_F(EntregaDialogTest, FailedEstimateShowsTheAnswerAndNeverAFeeThatIsNotThisOrders) {
    const long long other = InsertOrder("4712", "Rua Frei Caneca, 77");
    const auto failEstimates = [&] {
        platform.Script(
            "GET", kEstimatePath,
            sim::Answer().WithStatus(422).WithBody(R"({"errors":[{"message":"Endereço não atendido"}]})"));
    };
    // Opens `id` with a failing estimate; answers the message shown.
    const auto openFailing = [&](long long id, std::size_t estimatesBefore) {
        failEstimates();
        ModalAnswerer answerer(QMessageBox::Ok);
        dialog.Fill(store::PedidoPorId(db, id).value(), QStringLiteral("🕗 22/05/2024 14:30:00"));
        dialog.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return answerer.Seen().has_value(); }, 10'000));
        EXPECT_TRUE(Settled(estimatesBefore + 1));
        return answerer.Seen() ? answerer.Seen()->text : QString();
    };
    const QString noFee = QStringLiteral("—");

    EXPECT_THAT(openFailing(orderId, 0).toStdString(), HasSubstr("Endereço não atendido"));
    EXPECT_EQ(Find<QLabel>("Label1")->text(), noFee) << "first opening";
    EXPECT_TRUE(dialog.isVisible());
    dialog.close();

    Show(1); // this order's fee now shows
    const QString fee = Find<QLabel>("Label1")->text();
    EXPECT_EQ(fee, QStringLiteral("R$ ") + QString::fromStdString(Row().TAXAENTREGA));
    failEstimates();
    ModalAnswerer answerer(QMessageBox::Ok);
    Find<QComboBox>("ComboBoxCategorias")->setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answerer.Seen().has_value(); }, 10'000));
    ASSERT_TRUE(Settled(3));
    EXPECT_EQ(Find<QLabel>("Label1")->text(), fee) << "the same order's fee stays";
    dialog.close();

    openFailing(other, 3);
    EXPECT_EQ(Find<QLabel>("Label1")->text(), noFee) << "another order";
    dialog.close();
    openFailing(orderId, 4);
    EXPECT_EQ(Find<QLabel>("Label1")->text(), noFee) << "back to the first order, whose fee is gone";
}

TEST_F(EntregaDialogTest, HelperConnectionThatCannotOpenFailsWithTheGenericText) {
    Show();
    // The window's connection stays open; a new one finds no file.
    std::filesystem::rename(folder / "BANCO.db", folder / "BANCO.fora");
    ModalAnswerer answerer(QMessageBox::Ok);
    Find<QComboBox>("ComboBoxCategorias")->setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answerer.Seen().has_value(); }, 10'000));
    std::filesystem::rename(folder / "BANCO.fora", folder / "BANCO.db");
    const std::string shown = answerer.Seen()->text.toStdString();
    EXPECT_TRUE(shown.starts_with(net::GenericFailure(""))) << shown;
    EXPECT_THAT(shown, HasSubstr("unable to open database file"));
    EXPECT_EQ(RequestsTo(kEstimatePath).size(), 1u);
}

// Disabled during each platform call, the controls lose the focus; it comes back where it was.
TEST_F(EntregaDialogTest, FocusReturnsToItsControlAfterEveryPlatformCall) {
    Show();
    EXPECT_EQ(dialog.focusWidget(), Find<QWidget>("ComboBoxAgendar")) << "after the first estimate";

    auto* categorias = Find<QComboBox>("ComboBoxCategorias");
    categorias->setFocus();
    QTest::keyClick(categorias, Qt::Key_Down); // the operator's choice asks for an estimate
    ASSERT_TRUE(Settled(2));
    EXPECT_EQ(dialog.focusWidget(), categorias) << "after an estimate asked for by a list";

    platform.Script("POST", kOpenPath,
                    sim::Answer().WithBody(R"({"response":{"erros":["Sem entregadores na região"]}})"));
    PressAndAnswer("Button4");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), Find<QWidget>("ComboBoxAgendar")) << "after a refused request";
}

// Restoring a minimised dialog sends it a show event of the window system's: the choices stay and
// no new estimate is asked for.
TEST_F(EntregaDialogTest, RestoredFromMinimisedIsNotANewShowing) {
    Show();
    Find<QComboBox>("ComboBoxPagamentos")->setCurrentIndex(2);
    ASSERT_TRUE(Settled(2));
    dialog.setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    dialog.setWindowState(Qt::WindowNoState);
    QTest::qWait(300);
    EXPECT_EQ(RequestsTo(kEstimatePath).size(), 2u);
    EXPECT_EQ(Find<QComboBox>("ComboBoxPagamentos")->currentIndex(), 2);
}

TEST_F(EntregaDialogTest, ControlsWaitAndTheDialogStaysOpenWhileThePlatformAnswers) {
    platform.Script("GET", kEstimatePath,
                    sim::Answer().WithDelay(600ms).WithBody(
                        R"({"response":{"estimativa_valor":12.34,"desejado":{"lat":"1","lng":"2"}}})"));
    // The wait runs its own event loop, so the look is taken from a timer inside it.
    struct Seen {
        bool waited = false, allDisabled = false, closed = true;
    } seen;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (seen.waited || !dialog.isVisible() || Find<QPushButton>("Button4")->isEnabled()) {
            return;
        }
        seen.waited = true;
        seen.allDisabled = true;
        for (const char* name : {"Button1", "ComboBoxCategorias", "ComboBoxPagamentos", "ComboBoxRetorno"}) {
            seen.allDisabled = seen.allDisabled && !Find<QWidget>(name)->isEnabled();
        }
        dialog.close();
        dialog.reject(); // the Escape key
        seen.closed = !dialog.isVisible();
    });
    look.start(20);
    Show();
    EXPECT_TRUE(seen.waited);
    EXPECT_TRUE(seen.allDisabled);
    EXPECT_FALSE(seen.closed);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("R$ 12.34"));
}

TEST_F(EntregaDialogTest, AlreadyDeliveredMarksARequestedOrderWithoutCallingThePlatform) {
    store::MarcaRovezor(db, orderId);
    QSignalSpy closed(&dialog, &TFEntrega::closed);
    bool pressed = false;
    // OpenFor blocks until the dialog closes, so the press comes from inside its loop.
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (dialog.isVisible() && Find<QPushButton>("Button4")->isEnabled() &&
            RequestsTo(kEstimatePath).size() == 1) {
            press.stop();
            pressed = true;
            Find<QPushButton>("Button1")->click();
        }
    });
    press.start(20);
    QTimer::singleShot(10s, &dialog, &QDialog::reject); // a stuck dialog fails instead of hanging

    dialog.OpenFor(Row(), QStringLiteral("🕗 22/05/2024 14:30:00"));

    EXPECT_TRUE(pressed);
    EXPECT_EQ(Row().ID_MCH, "JA ENTREGUE");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(RequestsTo(kOpenPath).empty());
}

TEST_F(EntregaDialogTest, TheOrdersHistoryListsUnderTheControlsWhichKeepTheirPlaces) {
    const char* kControls[] = {"Panel1",
                               "ComboBoxCategorias",
                               "ComboBoxPagamentos",
                               "ComboBoxAgendar",
                               "ComboBoxRetorno",
                               "Label1",
                               "Button1",
                               "Button4"};
    dialog.layout()->activate();
    std::vector<QRect> placed;
    for (const char* name : kControls) {
        placed.push_back(Find<QWidget>(name)->geometry());
    }
    ASSERT_EQ(store::AnotaEvento(db, {"4711", store::kEventoImportado, "Maria <b>Souza</b>"}), "");
    Show();

    const auto* list = Find<QTreeWidget>("ListaHistorico");
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Importado"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("Maria <b>Souza</b>"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("Taxa estimada"));
    EXPECT_EQ(list->topLevelItem(1)->text(2),
              QStringLiteral("R$ ") + QString::fromStdString(Row().TAXAENTREGA) + QStringLiteral(" (Moto)"));
    EXPECT_EQ(list->topLevelItem(1)->flags() & Qt::ItemIsEditable, Qt::ItemFlags{});
    // Grown downward only: every specified control where it was, the list below the buttons.
    EXPECT_EQ(dialog.width(), 405);
    EXPECT_GT(dialog.height(), 393);
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        EXPECT_EQ(Find<QWidget>(kControls[i])->geometry(), placed[i]) << kControls[i];
    }
    EXPECT_GT(list->geometry().top(), Find<QWidget>("Button1")->geometry().bottom());

    Find<QPushButton>("Button1")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 10'000));
    EXPECT_EQ(store::HistoricoDoPedido(db, "4711").back().EVENTO, store::kEventoEntregue);
}

TEST_F(EntregaDialogTest, AHistoryThatCannotBeWrittenIsToldAndChangesNothingElse) {
    db.Execute("CREATE TRIGGER no_history BEFORE INSERT ON HISTORICO "
               "BEGIN SELECT RAISE(ABORT, 'history refused'); END");
    QSignalSpy told(&dialog, &TFEntrega::historyFailed);
    Show();
    EXPECT_EQ(Find<QLabel>("Label1")->text(),
              QStringLiteral("R$ ") + QString::fromStdString(Row().TAXAENTREGA));
    ASSERT_EQ(told.count(), 1);
    EXPECT_EQ(told.at(0).at(0).toString(), QStringLiteral("Histórico não gravado: history refused"));

    EXPECT_EQ(PressAndAnswer("Button4"), QStringLiteral("Entrega solicitada com sucesso!"));
    EXPECT_EQ(Row().ID_MCH, "ROVEZOR");
    EXPECT_EQ(told.count(), 2);
    EXPECT_EQ(dialog.size(), QSize(405, 393)); // no history to show
}

} // namespace
} // namespace brisko::ui
