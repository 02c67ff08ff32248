// Texts from outside shown in the windows' message boxes: the platform's refusals in the delivery
// dialog, an engine error in the main window and in the account dialog (raised here by a trigger,
// so the engine's own message is the hostile text), and the cycle's payment message. Every box
// must draw its text as the characters they are, never as markup.
#include "MainWindowFixture.h"

#include "DeliveryOptions.h"
#include "OrderCardGrid.h"
#include "Store.h"
#include "TestDatabase.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace brisko::test {
namespace {

const QString kHostile = QStringLiteral("<b>x</b><script>alert(1)</script>");

struct OpenBox {
    QString name;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
};

// Reads every message box while it is open, then answers it with OK.
class BoxReader {
public:
    BoxReader() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) {
                return;
            }
            boxes.push_back({box->objectName(), box->text(), box->textFormat()});
            box->button(QMessageBox::Ok)->click();
        });
        poll_.start(20);
    }
    std::vector<OpenBox> boxes;

private:
    QTimer poll_;
};

class HostileMessageBoxTest : public MainWindowTest {
protected:
    void SignedIn() {
        StoreAccount("", "");
        Open();
        SignIn();
    }
    // The engine refuses every write to the table with the hostile text as its error message.
    void RefuseWritesTo(const std::string& table) {
        for (const char* when : {"INSERT", "UPDATE"}) {
            Db().Execute("CREATE TRIGGER hostil_" + std::string(when) + " BEFORE " + when + " ON " + table +
                         " BEGIN SELECT RAISE(ABORT, '" + kHostile.toStdString() + "'); END");
        }
    }
    static void ExpectPlainText(const OpenBox& box, const QString& expected) {
        EXPECT_EQ(box.format, Qt::PlainText) << box.name.toStdString();
        EXPECT_TRUE(box.text.contains(expected)) << box.name.toStdString() << ": " << box.text.toStdString();
    }
};

TEST_F(HostileMessageBoxTest, DeliveryDialogShowsThePlatformsRefusalsAsCharacters) {
    dispatch.Script("GET", "/api/integracao/estimarEntrega",
                    sim::Answer().WithStatus(422).WithBody(R"({"errors":[{"message":")" +
                                                           kHostile.toStdString() + R"("}]})"));
    dispatch.Script(
        "POST", "/api/integracao/abrirEntrega",
        sim::Answer().WithBody(R"({"response":{"erros":[")" + kHostile.toStdString() + R"("]}})"));
    const long long id = InsertOrderAt(Db(), {"um", std::nullopt}, "-1 hours");
    SignedIn();

    BoxReader reader;
    bool requested = false;
    QTimer driver; // the dialog's own event loop runs while it is open
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* opened = qobject_cast<ui::TFEntrega*>(QApplication::activeModalWidget());
        auto* request = opened ? opened->findChild<QPushButton*>(QStringLiteral("Button4")) : nullptr;
        if (request == nullptr || !request->isEnabled() || reader.boxes.empty()) {
            return;
        }
        if (!requested) {
            requested = true;
            QMetaObject::invokeMethod(request, &QPushButton::click, Qt::QueuedConnection);
        } else if (reader.boxes.size() >= 2) {
            opened->reject();
        }
    });
    driver.start(20);
    emit Main<ui::OrderCardGrid>("DBCtrlGrid1")
        ->courierRequested(*store::PedidoPorId(Db(), id), ui::OrderCardGrid::DateLine("2026-01-01 10:00:00"));

    ASSERT_EQ(reader.boxes.size(), 2u);
    ExpectPlainText(reader.boxes[0], kHostile); // the estimate
    ExpectPlainText(reader.boxes[1], kHostile); // the request
    EXPECT_TRUE(reader.boxes[1].text.startsWith(QStringLiteral("Erro: ")))
        << reader.boxes[1].text.toStdString();
}

TEST_F(HostileMessageBoxTest, MainWindowShowsAnEngineErrorAsCharacters) {
    SignedIn();
    RefuseWritesTo("CONFIGURACAO");
    BoxReader reader;
    Main<QCheckBox>("CheckBoxRebimentoAutomatico")->click(); // saves the settings
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.boxes.empty(); }, 10'000));
    EXPECT_EQ(reader.boxes[0].name, QStringLiteral("MensagemErro"));
    ExpectPlainText(reader.boxes[0], kHostile);
}

TEST_F(HostileMessageBoxTest, AccountDialogShowsAnEngineErrorAsCharacters) {
    SignedIn();
    RefuseWritesTo("CONFIGDELIVERY");
    BoxReader reader;
    AccountDialog()->show();
    AccountDialog()->findChild<QLineEdit*>(QStringLiteral("EditLogin"))->setText(QStringLiteral("loja"));
    AccountDialog()->findChild<QPushButton*>(QStringLiteral("Button4"))->click(); // saves the account
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.boxes.empty(); }, 10'000));
    EXPECT_EQ(reader.boxes[0].name, QStringLiteral("MensagemErro"));
    ExpectPlainText(reader.boxes[0], kHostile);
    EXPECT_TRUE(AccountDialog()->isVisible());
}

TEST_F(HostileMessageBoxTest, CyclesPaymentMessageIsPlainText) {
    InsertOrderAt(Db(), {"um", std::nullopt}, "-1 hours");
    SignedIn();
    BoxReader reader;
    Main<QComboBox>("ComboBoxPagamentos")->clear(); // no payment chosen
    Main<QCheckBox>("CheckBoxRebimentoAutomatico")->setChecked(true);
    form->PassoImediato();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.boxes.empty(); }, 20'000));
    EXPECT_EQ(reader.boxes[0].name, QStringLiteral("MensagemAgendamento"));
    ExpectPlainText(reader.boxes[0],
                    QString::fromUtf8(courier::kPaymentNotSpecifiedMessage.data(),
                                      static_cast<qsizetype>(courier::kPaymentNotSpecifiedMessage.size())));
}

} // namespace
} // namespace brisko::test
