// The main window created in-process on temporary program folders.
#include "ModalAnswerer.h"
#include "ProgramFiles.h"
#include "ProgramProcess.h"
#include "UCadastroDelivery.h"
#include "uMainForm.h"

#include "Database.h"
#include "Errors.h"
#include "Migrations.h"
#include "TestDatabase.h"

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>
#include <vector>

namespace brisko::test {
namespace {

namespace fs = std::filesystem;
using ui::TMainForm;

const QString kCaption = QStringLiteral("Brisko Derereve Vilamar - v5.7.0");

class MainFormTest : public ::testing::Test {
protected:
    fs::path Folder() const { return dir.path().toStdString(); }

    void PlaceDatabase() const {
        fs::create_directories(Folder() / "BD");
        fs::copy_file(fs::path(BRISKO_PROGRAM_DIR) / "BD" / "BANCO.db", Folder() / "BD" / "BANCO.db");
    }

    template <typename W = QWidget> static W* Find(TMainForm& form, const char* name) {
        auto* widget = form.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Labels sit in the focus chain too; Tab skips them.
    static QWidget* NextTabStop(QWidget* widget) {
        QWidget* next = widget->nextInFocusChain();
        while (next != widget && !(next->focusPolicy() & Qt::TabFocus)) {
            next = next->nextInFocusChain();
        }
        return next;
    }

    QTemporaryDir dir;
};

TEST_F(MainFormTest, MissingDatabaseShowsTheEngineMessageThenStartsTheCommandFileAndGoesOn) {
    const fs::path commandMarker = Folder() / "command-file-ran";
    // Stands in for the delivered command file: records the process id it was given.
    std::ofstream(Folder() / "fechar.sh") << "echo \"$1\" > \"" << commandMarker.string() << "\"\n";

    std::string engineMessage;
    try {
        store::Database probe(Folder() / "BD" / "BANCO.db");
    } catch (const DatabaseError& e) {
        engineMessage = e.what();
    }
    ASSERT_FALSE(engineMessage.empty());

    bool commandStartedBeforeMessage = false;
    ModalAnswerer answerer(QMessageBox::Ok, [&] { commandStartedBeforeMessage = fs::exists(commandMarker); });
    TMainForm form(Folder());

    ASSERT_TRUE(answerer.Seen()) << "no message box";
    EXPECT_EQ(answerer.Seen()->text,
              QStringLiteral("Erro: Avise o Suporte") + QString::fromStdString(engineMessage));
    EXPECT_FALSE(commandStartedBeforeMessage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(commandMarker); }, 10'000))
        << "the command file was not started";
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return ReadFile(commandMarker) == std::to_string(getpid()) + "\n"; }, 10'000));
    EXPECT_EQ(form.windowTitle(), kCaption);
}

TEST_F(MainFormTest, OpensAnOlderDatabaseUpgradedAndRefusesANewerOneUntouched) {
    fs::create_directories(Folder() / "BD");
    const fs::path file = Folder() / "BD" / "BANCO.db";
    FirstSchemaDatabase(file);
    {
        store::Database db(file);
        InsertOrderAt(db, {"1001", std::nullopt}, "-1 hours");
    }
    {
        ModalAnswerer unexpected(QMessageBox::Ok);
        TMainForm form(Folder());
        EXPECT_FALSE(unexpected.Seen()) << unexpected.Seen()->text.toStdString();
    }
    const int newest = store::NewestSchemaVersion();
    {
        store::Database db(file);
        EXPECT_EQ(store::SchemaVersion(db), newest);
        store::Statement order = db.Prepare("SELECT IDPEDIDO FROM PEDIDOS");
        ASSERT_TRUE(order.Step());
        EXPECT_EQ(order.Text("IDPEDIDO"), "1001");
        db.Execute("PRAGMA user_version = " + std::to_string(newest + 1));
    }

    const fs::path commandMarker = Folder() / "command-file-ran";
    std::ofstream(Folder() / "fechar.sh") << "echo \"$1\" > \"" << commandMarker.string() << "\"\n";
    ModalAnswerer answerer(QMessageBox::Ok);
    TMainForm form(Folder());
    ASSERT_TRUE(answerer.Seen()) << "a newer database was opened";
    EXPECT_TRUE(answerer.Seen()->text.startsWith(QStringLiteral("Erro: Avise o Suporte")));
    EXPECT_TRUE(answerer.Seen()->text.contains(QStringLiteral("versão mais nova do programa")))
        << answerer.Seen()->text.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(commandMarker); }, 10'000));
    store::Database db(file);
    EXPECT_EQ(store::SchemaVersion(db), newest + 1);
}

TEST_F(MainFormTest, CreatedSignedOutWithCaptionLogoAndStatusPanels) {
    PlaceDatabase();
    ModalAnswerer unexpected(QMessageBox::Ok);
    TMainForm form(Folder());
    EXPECT_FALSE(unexpected.Seen()) << unexpected.Seen()->text.toStdString();

    EXPECT_EQ(form.windowTitle(), kCaption);
    EXPECT_FALSE(Find<QLabel>(form, "VirtualImage1")->pixmap().isNull());
    EXPECT_EQ(Find(form, "PanelLogin")->height(), 450);
    EXPECT_EQ(Find<QLabel>(form, "Label6PEDIDOS")->text(), QStringLiteral("CALCULANDO PEDIDOS"));
    EXPECT_TRUE(Find(form, "LabelAvisos")->isHidden());
    for (const auto& [name, width] :
         {std::pair{"StatusBar1Panel0", 200}, std::pair{"StatusBar1Panel1", 500}}) {
        auto* panel = Find<QLabel>(form, name);
        EXPECT_EQ(panel->width(), width) << name;
        EXPECT_EQ(panel->alignment(), Qt::AlignCenter) << name;
        EXPECT_EQ(panel->parentWidget(), Find<QStatusBar>(form, "StatusBar1")) << name;
    }
}

TEST_F(MainFormTest, LogadoSwitchesPanelsBothWays) {
    PlaceDatabase();
    TMainForm form(Folder());
    form.show();
    struct Layout {
        bool signedIn;
        int loginHeight;
    };
    for (const Layout state : {Layout{true, 1}, Layout{false, 450}, Layout{true, 1}}) {
        form.Logado(state.signedIn);
        SCOPED_TRACE(state.signedIn ? "signed in" : "signed out");
        EXPECT_EQ(Find(form, "PanelLogin")->isVisible(), !state.signedIn);
        EXPECT_EQ(Find(form, "PanelLogin")->height(), state.loginHeight);
        for (const char* name : {"PanelPedidos", "PanelMenu", "SpeedButton5"}) {
            EXPECT_EQ(Find(form, name)->isVisible(), state.signedIn) << name;
        }
        for (const char* name : {"VirtualImage1", "StatusBar1"}) {
            EXPECT_TRUE(Find(form, name)->isVisible()) << name;
        }
    }
}

// The window's fixed texts and how each control stands in either state: one row per control.
TEST_F(MainFormTest, ControlsCarryTheirTextsStatesAndTabOrder) {
    PlaceDatabase();
    TMainForm form(Folder());
    form.show();
    enum class Shown { Always, SignedOut, SignedIn };
    struct Row {
        const char* name;
        QString text;
        Shown shown;
    };
    const Row rows[] = {
        {"SpeedButton5", QStringLiteral("Deslogar"), Shown::SignedIn},
        {"Label8", QStringLiteral("Digite seu email"), Shown::SignedOut},
        {"EditEmail", QString(), Shown::SignedOut},
        {"Label9", QStringLiteral("Digite sua senha"), Shown::SignedOut},
        {"EditSenha", QString(), Shown::SignedOut},
        {"CheckBoxAutoConect", QStringLiteral(" Continuar conectado"), Shown::SignedOut},
        {"Button4", QStringLiteral("ENTRAR"), Shown::SignedOut},
        {"CheckBoxRebimentoAutomatico", QStringLiteral("Agendar automático os pedidos em"), Shown::SignedIn},
        {"ComboBoxAgendar", QStringLiteral("120"), Shown::SignedIn},
        {"Label16", QStringLiteral("min"), Shown::SignedIn},
        {"Label12", QStringLiteral("Categoria"), Shown::SignedIn},
        {"Label13", QStringLiteral("Pagamento"), Shown::SignedIn},
        {"Label14", QStringLiteral("Retorno"), Shown::SignedIn},
        {"SpeedButton2", QStringLiteral("🔧 Configurar aiqfome"), Shown::SignedIn},
        {"Label6PEDIDOS", QStringLiteral("CALCULANDO PEDIDOS"), Shown::SignedIn},
    };
    for (const bool signedIn : {false, true}) {
        SCOPED_TRACE(signedIn ? "signed in" : "signed out");
        form.Logado(signedIn);
        for (const Row& row : rows) {
            QWidget* widget = Find(form, row.name);
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->property("text").toString(), row.text) << row.name;
            EXPECT_TRUE(widget->isEnabled()) << row.name;
            EXPECT_EQ(widget->isVisible(), row.shown == (signedIn ? Shown::SignedIn : Shown::SignedOut))
                << row.name;
        }
    }
    EXPECT_EQ(Find<QLineEdit>(form, "EditEmail")->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(Find<QLineEdit>(form, "EditSenha")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(Find<QToolButton>(form, "SpeedButton5")->autoRaise()) << "flat";
    EXPECT_TRUE(Find<QToolButton>(form, "SpeedButton2")->autoRaise()) << "flat";

    // Tab walks the sign-in panel, and the settings with the lists below the panel's visible height.
    const std::vector<std::vector<const char*>> chains{
        {"EditEmail", "EditSenha", "CheckBoxAutoConect", "Button4"},
        {"CheckBoxRebimentoAutomatico", "ComboBoxPagamentos", "ComboBoxCategorias", "ComboBoxRetorno",
         "ComboBoxAgendar"},
    };
    for (const auto& chain : chains) {
        for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
            EXPECT_EQ(NextTabStop(Find(form, chain[i])), Find(form, chain[i + 1])) << chain[i];
        }
    }
    for (const char* name : {"Label7", "LabelErro", "Label8", "Label9"}) {
        EXPECT_EQ(Find(form, name)->parentWidget(), Find(form, "PanelLogin")) << name;
    }
}

// The account dialog's fixed texts, its password box in clear and its tab order.
TEST_F(MainFormTest, AccountDialogCarriesItsTextsAndTabOrder) {
    PlaceDatabase();
    TMainForm form(Folder());
    store::Database db(Folder() / "BD" / "BANCO.db");
    ui::TFCadastroDelivery dialog(db, &form);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Cadastro"));
    EXPECT_EQ(dialog.size(), QSize(309, 333));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    const std::pair<const char*, QString> rows[] = {
        {"Label1", QStringLiteral("CADASTRAR INTEGRAÇÃO")},
        {"Label3", QString()},
        {"Label2", QStringLiteral("Usuario")},
        {"EditLogin", QString()},
        {"Label4", QStringLiteral("Senha")},
        {"EditSenha", QString()},
        {"Button4", QStringLiteral("SALVAR")},
    };
    for (const auto& [name, text] : rows) {
        auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(widget->property("text").toString(), text) << name;
        EXPECT_TRUE(widget->isVisible()) << name;
        EXPECT_TRUE(widget->isEnabled()) << name;
    }
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("EditSenha"))->echoMode(), QLineEdit::Normal);
    const char* chain[] = {"EditLogin", "EditSenha", "Button4"};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i) {
        EXPECT_EQ(NextTabStop(dialog.findChild<QWidget*>(QString::fromLatin1(chain[i]))),
                  dialog.findChild<QWidget*>(QString::fromLatin1(chain[i + 1])))
            << chain[i];
    }
}

TEST_F(MainFormTest, FrontRequestMarkerIsConsumedRepeatedly) {
    PlaceDatabase();
    TMainForm form(Folder());
    form.show();
    form.showMinimized();
    const fs::path marker = platform::FrontRequestMarker(Folder());
    fs::create_directories(marker.parent_path());
    for (int request = 0; request < 2; ++request) {
        ASSERT_TRUE(form.isMinimized());
        std::ofstream(marker) << "[Tramel]\r\nAbrir=1\r\n";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !fs::exists(marker); }, 10'000)) << "request " << request;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isMinimized(); }, 10'000)) << "request " << request;
        form.showMinimized();
    }
}

TEST_F(MainFormTest, CloseQuestionOnlyYesClosesTheWindow) {
    PlaceDatabase();
    struct Case {
        const char* name;
        std::optional<QMessageBox::StandardButton> answer;
        bool closes;
    };
    for (const Case& c : {Case{"No", QMessageBox::No, false}, Case{"Yes", QMessageBox::Yes, true},
                          Case{"unanswered", std::nullopt, false}}) {
        SCOPED_TRACE(c.name);
        TMainForm form(Folder());
        form.show();
        ModalAnswerer answerer(c.answer);
        EXPECT_EQ(form.close(), c.closes);
        ASSERT_TRUE(answerer.Seen());
        EXPECT_EQ(answerer.Seen()->text,
                  QStringLiteral("A integração irá para de funcionar! Deseja encerrar a aplicação? "));
        EXPECT_EQ(form.isVisible(), !c.closes);
    }
}

} // namespace
} // namespace brisko::test
