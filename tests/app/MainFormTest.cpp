// The main window created in-process on temporary program folders.
#include "ModalAnswerer.h"
#include "Polling.h"
#include "ProgramProcess.h"
#include "uMainForm.h"

#include "Database.h"
#include "Errors.h"

#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

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
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(commandMarker); })) << "the command file was not started";
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(commandMarker) == std::to_string(getpid()) + "\n"; }));
    EXPECT_EQ(form.windowTitle(), kCaption);
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

TEST_F(MainFormTest, SignInPanelControlsInTabOrder) {
    PlaceDatabase();
    TMainForm form(Folder());
    const char* order[] = {"EditEmail", "EditSenha", "CheckBoxAutoConect", "Button4"};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_EQ(NextTabStop(Find(form, order[i])), Find(form, order[i + 1])) << order[i];
    }
    for (const char* name : {"Label7", "LabelErro", "Label8", "Label9"}) {
        EXPECT_EQ(Find(form, name)->parentWidget(), Find(form, "PanelLogin")) << name;
    }
}

TEST_F(MainFormTest, FrontRequestMarkerIsConsumedRepeatedly) {
    PlaceDatabase();
    TMainForm form(Folder());
    form.show();
    form.showMinimized();
    const fs::path marker = Folder() / "open" / "open.ini";
    fs::create_directories(marker.parent_path());
    for (int request = 0; request < 2; ++request) {
        ASSERT_TRUE(form.isMinimized());
        std::ofstream(marker) << "[Tramel]\r\nAbrir=1\r\n";
        ASSERT_TRUE(WaitUntil([&] { return !fs::exists(marker); })) << "request " << request;
        EXPECT_TRUE(WaitUntil([&] { return !form.isMinimized(); })) << "request " << request;
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
