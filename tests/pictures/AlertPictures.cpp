// Sets up the window's alert states and saves their pictures in the folder named by the first
// argument: the line telling a failed automatic request, and the preferences of the alerts.
// Usage: xvfb-run -a -s "-screen 0 1280x1024x24" alert_pictures docs/images
#include "MainWindowFixture.h"

#include "DarkStyle.h"
#include "TestDatabase.h"
#include "TestSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace brisko::test {
namespace {

QString pictureFolder;

class AlertPictures : public MainWindowTest {
protected:
    void Save(QWidget* widget, const char* name) {
        ASSERT_TRUE(widget->grab().save(pictureFolder + QLatin1Char('/') + QString::fromLatin1(name)));
    }
};

TEST_F(AlertPictures, FailedRequestLine) {
    StoreAccount("", "");
    InsertOrderAt(Db(), {"5150", std::nullopt}, "-10 minutes");
    dispatch.Script("POST", "/api/integracao/abrirEntrega",
                    sim::Answer().WithBody(R"({"response":{"erros":["Endereço fora da área de entrega"]}})"));
    Open();
    SignIn();
    auto* box = Main<QCheckBox>("CheckBoxRebimentoAutomatico");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    form->PassoImediato();
    auto* line = Main<QLabel>("LabelAlerta");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return line->isVisible() && line->text().contains(QStringLiteral("fora da área")); }, 15'000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text("Label6PEDIDOS").startsWith(QLatin1Char('1')); }, 5'000));
    form->AtualizaListaImediata(); // the card shows the failed request's picture
    QTest::qWait(300);
    Save(form.get(), "alert-banner-failed-request.png");
}

TEST_F(AlertPictures, Preferences) {
    StoreAccount("", "");
    Open();
    SignIn();
    QTest::mouseClick(Main<QToolButton>("ButtonPreferencias"), Qt::LeftButton);
    auto* dialog = form->findChild<QDialog*>(QStringLiteral("FPreferencias"));
    ASSERT_TRUE(dialog && dialog->isVisible());
    auto* som = dialog->findChild<QCheckBox*>(QStringLiteral("CheckBoxSom"));
    QTest::mouseClick(som, Qt::LeftButton, {}, QPoint(5, som->height() / 2));
    QTest::qWait(300);
    Save(dialog, "preferences.png");
    Save(form.get(), "preferences-button.png");
}

} // namespace
} // namespace brisko::test

int main(int argc, char** argv) {
    QTemporaryDir session;
    brisko::test::UseSessionFolder(session);
    QApplication app(argc, argv);
    brisko::ui::ApplyDarkStyle(app);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        return 2;
    }
    brisko::test::pictureFolder = QString::fromLocal8Bit(argv[1]);
    return RUN_ALL_TESTS();
}
