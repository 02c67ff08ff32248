// The marketplace account dialog: when sign-in opens it, and what saving writes.
#include "MainWindowFixture.h"

#include "Store.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace brisko::test {
namespace {

using AccountDialogTest = MainWindowTest;

// Closed without saving, the first dialog leaves its empty row: the table has a row, so the next
// sign-in does not open the dialog by itself (the operator has its button).
TEST_F(AccountDialogTest, FirstDialogClosedWithoutSavingIsNotOpenedByTheNextSignIn) {
    Open();
    WhenModal<ui::TFCadastroDelivery> first([](ui::TFCadastroDelivery* shown) { shown->reject(); });
    SignIn();
    ASSERT_TRUE(first.Seen());
    const auto rows = store::LeConfigDelivery(Db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].LOGIN, "");
    EXPECT_EQ(rows[0].SENHA, "");

    WhenModal<ui::TFCadastroDelivery> again([](ui::TFCadastroDelivery* shown) { shown->reject(); });
    Main<QPushButton>("Button4")->click(); // the whole sign-in again
    EXPECT_TRUE(form->EstaLogado());
    EXPECT_FALSE(again.Seen());
    EXPECT_EQ(Count("CONFIGDELIVERY"), 1);
}

TEST_F(AccountDialogTest, SavingWritesTheAccountAndLeavesTheRowsOtherColumnsAlone) {
    StoreAccount("", "");
    Db().Execute("UPDATE CONFIGDELIVERY SET EMPRESA = 'loja 9', TOKEN = 'tok-123', "
                 "VALIDADE = '2030-01-02 03:04:05.000'");
    const store::ConfigDelivery before = store::LeConfigDelivery(Db()).at(0);
    Open();
    SignIn();
    QTest::mouseClick(Main<QToolButton>("SpeedButton2"), Qt::LeftButton);
    ASSERT_TRUE(AccountDialog()->isVisible());
    Dialog<QLineEdit>("EditLogin")->setText(QStringLiteral(" nova "));
    Dialog<QLineEdit>("EditSenha")->setText(QStringLiteral("segredo"));
    QTest::mouseClick(Dialog<QPushButton>("Button4"), Qt::LeftButton);

    // Read at once: the pass the save asks for has not run yet.
    const auto rows = store::LeConfigDelivery(Db());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].ID, before.ID);
    EXPECT_EQ(rows[0].LOGIN, " nova "); // as typed
    EXPECT_EQ(rows[0].SENHA, "segredo");
    EXPECT_EQ(rows[0].EMPRESA, before.EMPRESA);
    EXPECT_EQ(rows[0].TOKEN, before.TOKEN);
    EXPECT_EQ(rows[0].VALIDADE, before.VALIDADE);
}

} // namespace
} // namespace brisko::test
