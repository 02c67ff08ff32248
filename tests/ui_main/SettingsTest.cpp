// The operator's settings: what each control saves, and when.
#include "MainWindowFixture.h"

#include "ModalAnswerer.h"
#include "Store.h"
#include "TestDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace brisko::test {
namespace {

class SettingsTest : public MainWindowTest {
protected:
    void SetUp() override {
        StoreAccount("", "");
        // Every insert into the settings table is counted, so a test can tell "saved" from "not".
        Db().Execute("CREATE TABLE SAVES (N INTEGER)");
        Db().Execute("INSERT INTO SAVES VALUES (0)");
        Db().Execute(
            "CREATE TRIGGER count_saves AFTER INSERT ON CONFIGURACAO BEGIN UPDATE SAVES SET N = N + 1; END");
    }
    long long Saves() {
        auto statement = Db().Prepare("SELECT N FROM SAVES");
        statement.Step();
        return statement.Integer("N");
    }
    store::Configuracao Stored() {
        const auto row = store::LeConfiguracao(Db());
        EXPECT_TRUE(row);
        return row.value_or(store::Configuracao{});
    }
    QLineEdit* Minutes() { return Main<QLineEdit>("ComboBoxAgendar"); }
    void Type(const QString& text) {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return Minutes()->isEnabled(); }, 10'000)); // disabled while a pass runs
        Minutes()->clear();
        QTest::keyClicks(Minutes(), text);
    }
};

TEST_F(SettingsTest, MinutesAreCorrectedIntoTheirRangeAndStored) {
    Open();
    SignIn();
    struct Case {
        const char* typed;
        const char* shown;
    };
    for (const Case& c : {Case{"0", "5"}, Case{"150", "120"}, Case{"007", "007"}, Case{"45", "45"}}) {
        SCOPED_TRACE(c.typed);
        Minutes()->setText(QString::fromLatin1(c.typed)); // pasted whole: typing "007" would pass by "0"
        EXPECT_EQ(Minutes()->text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(Stored().TEMPOAGENDAMENTO, c.shown);
        EXPECT_EQ(Stored().NOME, "PADRAO");
    }
}

TEST_F(SettingsTest, CorrectionSavesTwiceAndAnUnreadableNumberSavesNothing) {
    Open();
    SignIn();
    Minutes()->setText(QStringLiteral("300"));
    const long long before = Saves();
    Minutes()->setText(QStringLiteral("0"));
    EXPECT_EQ(Saves() - before, 2); // the corrected text saves, then the first run goes on and saves

    const long long beforeBad = Saves();
    ModalAnswerer answerer(QMessageBox::Ok);
    Minutes()->setText(QStringLiteral("99999999999"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answerer.Seen().has_value(); }, 10'000));
    EXPECT_EQ(Minutes()->text(), QStringLiteral("99999999999"));
    EXPECT_EQ(Saves(), beforeBad);
    EXPECT_EQ(Stored().TEMPOAGENDAMENTO, "5");
}

TEST_F(SettingsTest, EmptyMinutesSaveNothingAndTheNextTickPutsTheDefault) {
    Open();
    SignIn();
    Type(QStringLiteral("30"));
    const long long before = Saves();
    Minutes()->clear();
    EXPECT_EQ(Saves(), before);
    EXPECT_EQ(Stored().TEMPOAGENDAMENTO, "30");
    form->PassoImediato();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Minutes()->text() == QStringLiteral("120"); }, 10'000));
    EXPECT_EQ(Stored().TEMPOAGENDAMENTO, "120");
}

TEST_F(SettingsTest, CheckBoxStoresItsStateAndRefreshesTheListAtOnce) {
    Open();
    SignIn();
    auto* lista = form->findChild<QTimer*>(QStringLiteral("TimerPedidos"));
    ASSERT_NE(lista, nullptr);
    auto* box = Main<QCheckBox>("CheckBoxRebimentoAutomatico");
    for (const bool ticked : {true, false}) {
        SCOPED_TRACE(ticked);
        lista->stop(); // as while the delivery dialog is open: only the immediate refresh can run
        InsertOrderAt(Db(), {"novo" + std::to_string(ticked), std::nullopt}, "-1 minutes");
        const QString expected = QStringLiteral("%1 PEDIDOS INTEGRADOS").arg(Count("PEDIDOS"));
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(box->isChecked(), ticked);
        EXPECT_EQ(Stored().SOLICITACAOAUTOMATICO, ticked ? 1 : 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Text("Label6PEDIDOS") == expected; }, 1000));
        EXPECT_EQ(Main("PanelMenu")->height(), 80);
    }
}

TEST_F(SettingsTest, ListsSaveOnTheOperatorsChoiceOnly) {
    Db().Execute("INSERT INTO CONFIGURACAO (NOME, TEMPOAGENDAMENTO) VALUES ('PADRAO', '120')");
    Db().Execute("INSERT INTO CONFIGURACAO (NOME, TEMPOAGENDAMENTO) VALUES ('OUTRA', '120')");
    Open();
    SignIn();
    EXPECT_EQ(Saves(), 2); // the two rows above; filling and restoring the lists saved nothing
    auto* retorno = Main<QComboBox>("ComboBoxRetorno");
    retorno->setCurrentIndex(1); // by the program
    EXPECT_EQ(Saves(), 2);

    retorno->setCurrentIndex(0);
    retorno->setFocus();
    QTest::keyClick(retorno, Qt::Key_Down); // the operator picks "Sim"
    EXPECT_EQ(Saves(), 3);
    EXPECT_EQ(Count("CONFIGURACAO"), 1);
    EXPECT_EQ(Stored().RETORNOPADRAO, "Sim");

    auto* categorias = Main<QComboBox>("ComboBoxCategorias");
    ASSERT_GE(categorias->count(), 2);
    categorias->setFocus();
    QTest::keyClick(categorias, Qt::Key_Down);
    EXPECT_EQ(Stored().CATEGORIAPADRAO, categorias->itemText(1).toStdString());
}

TEST_F(SettingsTest, SignInRestoreSavesOnlyWhatDiffersFromTheControls) {
    struct Case {
        const char* name;
        const char* minutes;
        long long automatic;
        long long saves;
    };
    // However many controls differ, the restore saves once, after the last one is back.
    for (const Case& c : {Case{"same as the controls", "120", 0, 0}, Case{"minutes differ", "45", 0, 1},
                          Case{"both differ", "45", 1, 1}}) {
        SCOPED_TRACE(c.name);
        form.reset(); // the window takes its dialogs with it
        store::Configuracao stored;
        stored.TEMPOAGENDAMENTO = c.minutes;
        stored.SOLICITACAOAUTOMATICO = c.automatic;
        store::SubstituiConfiguracao(Db(), stored);
        Db().Execute("UPDATE SAVES SET N = 0");
        Open();
        SignIn();
        EXPECT_EQ(Saves(), c.saves);
    }
}

// A save in the middle of the restore would take the return list before it is restored (still
// "Não") and overwrite the stored "Sim" at every sign-in.
TEST_F(SettingsTest, SignInKeepsEveryStoredChoiceWhateverTheRestoreSaves) {
    const auto loja = sim::DispatchSimulator::DemoStores().front();
    ASSERT_GE(loja.categorias.size(), 2u);
    for (const long long automatic : {0, 1}) {
        SCOPED_TRACE(automatic);
        form.reset(); // the window takes its dialogs with it
        store::Configuracao stored;
        stored.NOME = "PADRAO";
        stored.CATEGORIAPADRAO = loja.categorias[1].nome;
        stored.PAGAMENTOPADRAO = "Pix";
        stored.TEMPOAGENDAMENTO = "45";
        stored.RETORNOPADRAO = "Sim";
        stored.SOLICITACAOAUTOMATICO = automatic;
        store::SubstituiConfiguracao(Db(), stored);
        for (int signIn = 1; signIn <= 2; ++signIn) {
            SCOPED_TRACE(signIn);
            if (signIn == 2) {
                form.reset(); // the window takes its dialogs with it
            }
            Open();
            SignIn();
            const store::Configuracao after = Stored();
            EXPECT_EQ(after.CATEGORIAPADRAO, stored.CATEGORIAPADRAO);
            EXPECT_EQ(after.PAGAMENTOPADRAO, stored.PAGAMENTOPADRAO);
            EXPECT_EQ(after.TEMPOAGENDAMENTO, stored.TEMPOAGENDAMENTO);
            EXPECT_EQ(after.RETORNOPADRAO, stored.RETORNOPADRAO);
            EXPECT_EQ(after.SOLICITACAOAUTOMATICO, stored.SOLICITACAOAUTOMATICO);
            EXPECT_EQ(Main<QComboBox>("ComboBoxRetorno")->currentText(), QStringLiteral("Sim"));
            EXPECT_EQ(Main<QComboBox>("ComboBoxPagamentos")->currentText(), QStringLiteral("Pix"));
        }
    }
}

} // namespace
} // namespace brisko::test
