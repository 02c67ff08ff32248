// Showing the main window and signing the store in at the dispatch simulator.
#include "MainWindowFixture.h"

#include "BracketList.h"
#include "BuildConstants.h"
#include "PaymentMethods.h"
#include "Store.h"
#include "TestDatabase.h"
#include "URovezor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace brisko::test {
namespace {

QStringList Items(QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->itemText(i);
    }
    return items;
}

QStringList Expected(const std::vector<std::string>& names) {
    QStringList items;
    for (const std::string& name : names) {
        items << QString::fromStdString(name);
    }
    return items;
}

using SignInTest = MainWindowTest;

TEST_F(SignInTest, ShownWithEmptyBoxesTickedBoxAndHeading) {
    Open();
    EXPECT_EQ(Text("Label7"), QStringLiteral("Entre com sua conta - ") + kDisplayName);
    EXPECT_TRUE(Main<QLineEdit>("EditEmail")->text().isEmpty());
    EXPECT_TRUE(Main<QLineEdit>("EditSenha")->text().isEmpty());
    EXPECT_TRUE(Main<QCheckBox>("CheckBoxAutoConect")->isChecked());
    EXPECT_EQ(form->focusWidget(), Main("EditEmail"));
}

TEST_F(SignInTest, BothBoxesEmptyAsksNothingOfThePlatform) {
    Open();
    QTest::mouseClick(Main<QPushButton>("Button4"), Qt::LeftButton);
    EXPECT_EQ(Text("LabelErro"), QStringLiteral("Usuário e/ou senhas inválidos."));
    EXPECT_TRUE(dispatch.Requests().empty());
    EXPECT_FALSE(form->EstaLogado());
}

TEST_F(SignInTest, RefusedSignInShowsThePlatformTextAndEnablesTheControlsAgain) {
    // What the client answers for these credentials, asked on a scratch database.
    TempFolder scratch;
    FreshDatabase(scratch / "scratch.db");
    store::Database scratchDb(scratch / "scratch.db");
    dispatch::Endpoint endpoint{dispatch.BaseUrl(), sim::TestCaFile().string(), {}, {}, {}};

    struct Case {
        const char* name;
        QString email;
        QString senha;
    };
    for (const Case& c : {Case{"wrong password", QStringLiteral("loja@demo.com"), QStringLiteral("errada")},
                          Case{"empty e-mail still asks", QString(), QStringLiteral("demo123")}}) {
        SCOPED_TRACE(c.name);
        const std::string expected = dispatch::LoginEmpresa(build::kDispatchApiKey, c.email.toStdString(),
                                                            c.senha.toStdString(), true, scratchDb, endpoint);
        ASSERT_NE(expected, "TRUE");
        ASSERT_FALSE(expected.empty());
        if (!form) {
            Open();
        }
        dispatch.ClearRequests();
        form->showMinimized(); // an automatic sign-in at start that fails must be seen
        Main<QLineEdit>("EditEmail")->setText(c.email);
        Main<QLineEdit>("EditSenha")->setText(c.senha);
        QTest::keyClick(Main<QLineEdit>("EditSenha"), Qt::Key_Return); // Enter signs in as the button does

        EXPECT_FALSE(form->isMinimized()) << "not brought forward";
        EXPECT_EQ(Text("LabelErro"), QString::fromStdString(expected));
        EXPECT_EQ(dispatch.Requests().size(), 1u);
        EXPECT_FALSE(form->EstaLogado());
        EXPECT_TRUE(Main("PanelLogin")->isVisible());
        auto* button = Main<QPushButton>("Button4");
        EXPECT_EQ(button->text(), QStringLiteral("ENTRAR"));
        for (const char* name : {"Button4", "EditEmail", "EditSenha", "CheckBoxAutoConect"}) {
            EXPECT_TRUE(Main(name)->isEnabled()) << name;
        }
    }
}

TEST_F(SignInTest, InactiveStoreIsRefusedAndItsRecordAndOrdersKept) {
    const long long velho = InsertOrderAt(Db(), {"velho", std::nullopt}, "-3 days");
    Open();
    Main<QLineEdit>("EditEmail")->setText(QStringLiteral("inativa@demo.com"));
    Main<QLineEdit>("EditSenha")->setText(QStringLiteral("demo123"));
    form->showMinimized();
    QTest::mouseClick(Main<QPushButton>("Button4"), Qt::LeftButton);
    EXPECT_FALSE(form->isMinimized()) << "not brought forward";
    EXPECT_EQ(Text("LabelErro"), QStringLiteral("Empresa inativada pela ") + kDisplayName);
    EXPECT_FALSE(form->EstaLogado());
    EXPECT_TRUE(Main("PanelLogin")->isVisible());
    const auto empresa = store::LeEmpresa(Db());
    ASSERT_TRUE(empresa);
    EXPECT_EQ(empresa->AUTOCONNECT, "S");
    EXPECT_TRUE(store::PedidoPorId(Db(), velho)) << "retention runs only for a store that signed in";
}

TEST_F(SignInTest, ControlsWaitDisabledWhileThePlatformAnswers) {
    dispatch.Script("GET", "/api/integracao/empresa",
                    sim::Answer().WithStatus(500).WithDelay(std::chrono::milliseconds(800)));
    Open();
    Main<QLineEdit>("EditEmail")->setText(QStringLiteral("loja@demo.com"));
    Main<QLineEdit>("EditSenha")->setText(QStringLiteral("demo123"));
    bool sawWaiting = false;
    QTimer probe;
    // Runs while the sign-in waits, which shows the window thread stays free meanwhile.
    QObject::connect(&probe, &QTimer::timeout, [&] {
        auto* button = Main<QPushButton>("Button4");
        if (button->text() == QStringLiteral("CONECTANDO") && !button->isEnabled() &&
            !Main("EditEmail")->isEnabled() && !Main("EditSenha")->isEnabled() &&
            !Main("CheckBoxAutoConect")->isEnabled()) {
            sawWaiting = true;
        }
    });
    probe.start(50);
    QTest::mouseClick(Main<QPushButton>("Button4"), Qt::LeftButton);
    probe.stop();
    EXPECT_TRUE(sawWaiting);
    EXPECT_EQ(Main<QPushButton>("Button4")->text(), QStringLiteral("ENTRAR"));
    EXPECT_TRUE(Main("Button4")->isEnabled());
}

TEST_F(SignInTest, DatabaseErrorDuringSignInIsShownAndTheControlsComeBack) {
    struct Case {
        const char* name;
        const char* trigger;
        const char* message;
    };
    const Case cases[] = {
        {"storing the record",
         "CREATE TRIGGER falha BEFORE INSERT ON EMPRESA BEGIN SELECT RAISE(ABORT, 'disco cheio'); END",
         "disco cheio"},
        {"retention",
         "CREATE TRIGGER falha BEFORE DELETE ON PEDIDOS BEGIN SELECT RAISE(ABORT, 'tabela travada'); END",
         "tabela travada"},
    };
    StoreAccount("", "");
    InsertOrderAt(Db(), {"velho", std::nullopt}, "-3 days");
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Db().Execute(c.trigger);
        Main<QLineEdit>("EditEmail")->setText(QStringLiteral("loja@demo.com"));
        Main<QLineEdit>("EditSenha")->setText(QStringLiteral("demo123"));
        QTest::mouseClick(Main<QPushButton>("Button4"), Qt::LeftButton);
        EXPECT_TRUE(Text("LabelErro").contains(QString::fromLatin1(c.message)))
            << Text("LabelErro").toStdString();
        EXPECT_FALSE(form->EstaLogado());
        EXPECT_TRUE(Main("LabelErro")->isVisible());
        EXPECT_TRUE(Main("Button4")->isEnabled());
        EXPECT_EQ(Main<QPushButton>("Button4")->text(), QStringLiteral("ENTRAR"));
        Db().Execute("DROP TRIGGER falha");
    }
}

TEST_F(SignInTest, SuccessFillsListsRestoresSettingsRunsRetentionAndAsksForTheAccount) {
    const long long velho = InsertOrderAt(Db(), {"velho", std::nullopt}, "-3 days");
    const long long novo = InsertOrderAt(Db(), {"novo", std::nullopt}, "-1 hours");
    // Stored defaults that differ from the first entries, so the restore has to pick them.
    const auto loja = sim::DispatchSimulator::DemoStores().front();
    ASSERT_GE(loja.categorias.size(), 2u);
    store::Configuracao stored;
    stored.CATEGORIAPADRAO = loja.categorias[1].nome;
    stored.TEMPOAGENDAMENTO = "45";
    stored.RETORNOPADRAO = "Sim";
    stored.SOLICITACAOAUTOMATICO = 1;
    stored.PAGAMENTOPADRAO = "nenhum destes"; // no entry equals it: the first entry stays
    store::SubstituiConfiguracao(Db(), stored);

    Open();
    bool modal = false;
    long long rowsWhileOpen = -1;
    WhenModal<ui::TFCadastroDelivery> account([&](ui::TFCadastroDelivery* shown) {
        modal = shown->isModal() && shown == AccountDialog();
        rowsWhileOpen = Count("CONFIGDELIVERY");
        shown->reject(); // closed without saving
    });
    SignIn();
    EXPECT_TRUE(account.Seen());
    EXPECT_TRUE(modal);
    EXPECT_EQ(rowsWhileOpen, 1); // the dialog added the empty account row

    EXPECT_FALSE(Main("PanelLogin")->isVisible());
    EXPECT_TRUE(Main("PanelMenu")->isVisible());
    EXPECT_TRUE(Main("SpeedButton5")->isVisible());
    const auto empresa = store::LeEmpresa(Db());
    ASSERT_TRUE(empresa);
    EXPECT_EQ(Text("LabelEmpresa"), QString::fromStdString(empresa->NOME));
    EXPECT_EQ(Text("LabelCIDADE"), QString::fromStdString(empresa->CIDADE + " - " + empresa->UF));
    EXPECT_EQ(Items(Main<QComboBox>("ComboBoxPagamentos")),
              Expected(courier::PaymentChoices(empresa->TIPOSPAGAMENTOS)));
    EXPECT_EQ(Items(Main<QComboBox>("ComboBoxCategorias")),
              Expected(store::ParseBracketList(empresa->CATEGORIAS)));

    EXPECT_EQ(Main<QComboBox>("ComboBoxCategorias")->currentText(),
              QString::fromStdString(loja.categorias[1].nome));
    EXPECT_EQ(Main<QComboBox>("ComboBoxPagamentos")->currentIndex(), 0);
    EXPECT_EQ(Main<QLineEdit>("ComboBoxAgendar")->text(), QStringLiteral("45"));
    EXPECT_EQ(Main<QComboBox>("ComboBoxRetorno")->currentText(), QStringLiteral("Sim"));
    EXPECT_TRUE(Main<QCheckBox>("CheckBoxRebimentoAutomatico")->isChecked());

    EXPECT_FALSE(store::PedidoPorId(Db(), velho));
    EXPECT_TRUE(store::PedidoPorId(Db(), novo));
    EXPECT_TRUE(Text("LabelErro").isEmpty());
    EXPECT_TRUE(Main("Button4")->isEnabled());
}

TEST_F(SignInTest, AccountDialogIsBuiltWhenSignInNeedsItBeforeTheFirstPaint) {
    Create(); // never shown, so no paint builds the dialogs
    bool asked = false;
    WhenModal<ui::TFCadastroDelivery> account([&](ui::TFCadastroDelivery* shown) {
        asked = shown == AccountDialog();
        shown->reject();
    });
    Main<QLineEdit>("EditEmail")->setText(QStringLiteral("loja@demo.com"));
    Main<QLineEdit>("EditSenha")->setText(QStringLiteral("demo123"));
    Main<QPushButton>("Button4")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->EstaLogado(); }, 10'000));
    EXPECT_TRUE(asked);
    EXPECT_NE(DeliveryDialog(), nullptr);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SignInTest, StoredAutoConnectSignsInByItself) {
    StoreAccount("", "");
    store::Empresa empresa;
    empresa.AUTOCONNECT = "S";
    empresa.EMAIL = "loja@demo.com";
    empresa.SENHA = "demo123";
    empresa.STATUS = "A";
    store::SubstituiEmpresa(Db(), empresa);

    Open();
    EXPECT_EQ(Main<QLineEdit>("EditEmail")->text(), QStringLiteral("loja@demo.com"));
    EXPECT_EQ(Main<QLineEdit>("EditSenha")->text(), QStringLiteral("demo123"));
    EXPECT_TRUE(dispatch.Requests().empty()) << "not before half a second";
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->EstaLogado(); }, 10'000));
    EXPECT_EQ(dispatch.Requests().size(), 1u);
    EXPECT_EQ(Text("LabelEmpresa"),
              QString::fromStdString(sim::DispatchSimulator::DemoStores().front().nome));
}

TEST_F(SignInTest, BannerClickOpensTheManagementPage) {
    const FakeOpener opener(folder.Path());
    Open();
    QTest::mouseClick(Main("VirtualImage1"), Qt::LeftButton);
    EXPECT_EQ(opener.Opened(), std::string(build::kDispatchWebUrl) + "/solicitacao/gestaoPedido");
}

// Enter in the minutes box runs the whole sign-in again with the texts still in the two boxes:
// the store's record, its lists and the settings are read anew.
TEST_F(SignInTest, EnterInTheMinutesWhileSignedInSignsInAgain) {
    StoreAccount("", "");
    Open();
    SignIn();
    ASSERT_TRUE(WaitPassEnd()); // the box is disabled while a pass runs
    auto* categorias = Main<QComboBox>("ComboBoxCategorias");
    ASSERT_GE(categorias->count(), 2);
    categorias->setCurrentIndex(1); // by the program: not saved
    const std::size_t before = dispatch.Requests().size();

    QTest::keyClick(Main<QLineEdit>("ComboBoxAgendar"), Qt::Key_Return);

    EXPECT_EQ(dispatch.Requests().size(), before + 1);
    EXPECT_TRUE(form->EstaLogado());
    EXPECT_TRUE(Main("PanelPedidos")->isVisible());
    EXPECT_EQ(categorias->currentIndex(), 0) << "the lists were filled again";
    EXPECT_EQ(Main<QLineEdit>("ComboBoxAgendar")->text(), QStringLiteral("120"));
    EXPECT_EQ(Main<QLineEdit>("EditEmail")->text(), QStringLiteral("loja@demo.com"));
    EXPECT_TRUE(Text("LabelErro").isEmpty());
}

TEST_F(SignInTest, LongestCountdownTextFitsItsPanel) {
    Open();
    auto* panel = Main<QLabel>("StatusBar1Panel0");
    const QString longest = QStringLiteral("Proxima Verificação em 29 segundos");
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(longest), panel->contentsRect().width())
        << panel->font().family().toStdString() << " " << panel->font().pixelSize();
}

TEST_F(SignInTest, WindowHasOneFixedSizeNeverSmallerThanTheMinimum) {
    Open();
    // The design's inner 886 by 565, unless the outer size (frame included) falls below 900 by 600.
    const QSize frame = form->frameGeometry().size() - form->size();
    const QSize outer(std::max(886 + frame.width(), 900), std::max(565 + frame.height(), 600));
    EXPECT_EQ(form->frameGeometry().size(), outer);
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the operator could drag it to another size";
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    for (const QSize asked : {QSize(500, 300), QSize(950, 400), QSize(1000, 700)}) {
        form->resize(asked);
        EXPECT_EQ(form->frameGeometry().size(), outer);
    }
}

} // namespace
} // namespace brisko::test
