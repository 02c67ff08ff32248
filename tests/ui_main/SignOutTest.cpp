// Signing out asks first; only Yes forgets the store's record.
#include "MainWindowFixture.h"

#include "ModalAnswerer.h"
#include "Store.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace brisko::test {
namespace {

using SignOutTest = MainWindowTest;

TEST_F(SignOutTest, OnlyYesSignsOutAndDeletesTheStoresRecord) {
    StoreAccount("", "");
    Open();
    SignIn();
    struct Case {
        const char* name;
        std::optional<QMessageBox::StandardButton> answer;
        bool signsOut;
    };
    for (const Case& c : {Case{"No", QMessageBox::No, false}, Case{"unanswered for 5 s", std::nullopt, false},
                          Case{"Yes", QMessageBox::Yes, true}}) {
        SCOPED_TRACE(c.name);
        ModalAnswerer answerer(c.answer);
        QTest::mouseClick(Main<QToolButton>("SpeedButton5"), Qt::LeftButton);
        ASSERT_TRUE(answerer.Seen());
        EXPECT_EQ(answerer.Seen()->text, QStringLiteral("Deseja sair da conta? "));
        EXPECT_EQ(form->EstaLogado(), !c.signsOut);
        EXPECT_EQ(Main("PanelLogin")->isVisible(), c.signsOut);
        EXPECT_EQ(Main("PanelPedidos")->isVisible(), !c.signsOut);
        EXPECT_EQ(store::LeEmpresa(Db()).has_value(), !c.signsOut);
        EXPECT_EQ(Main<QLineEdit>("EditSenha")->text().isEmpty(), c.signsOut);
    }
    EXPECT_EQ(Main<QLineEdit>("EditEmail")->text(), QStringLiteral("loja@demo.com"));
    EXPECT_EQ(form->focusWidget(), Main("EditEmail"));
}

} // namespace
} // namespace brisko::test
