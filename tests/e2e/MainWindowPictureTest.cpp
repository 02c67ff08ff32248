// The signed-in main window with one card in each courier state, grabbed offscreen into the test's
// output folder and checked loosely: the window's size, a dark picture, and something drawn on it.
#include "ProgramFolderFixture.h"

#include "DarkStyle.h"
#include "OrderCardDelegate.h"
#include "OrderCardModel.h"
#include "Store.h"
#include "uMainForm.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <tuple>

namespace brisko::test {
namespace {

using namespace std::chrono_literals;

class MainWindowPictureTest : public ProgramFolderTest {
protected:
    // An order imported `minutesAgo` minutes ago by the engine's clock, with its courier state.
    void AddOrder(const std::string& idPedido, const std::string& cliente, int minutesAgo,
                  void (*mark)(store::Database&, long long)) {
        auto now = db->Prepare("SELECT strftime('%Y-%m-%d %H:%M:%S', 'now', :AGO) AS T");
        now.Bind(":AGO", "-" + std::to_string(minutesAgo) + " minutes");
        now.Step();
        store::InserePedido(*db,
                            {now.Text("T"), idPedido, cliente, "77999990000",
                             "Rua das Flores, 120 - Centro - Vitória da Conquista", "-14.8615", "-40.8442"});
        if (mark != nullptr) {
            auto id = db->Prepare("SELECT ID FROM PEDIDOS WHERE IDPEDIDO = :IDPEDIDO");
            id.Bind(":IDPEDIDO", idPedido);
            id.Step();
            mark(*db, id.Integer("ID"));
        }
    }

    template <class W> W* Child(QWidget& window, const char* name) {
        W* widget = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
};

// Share of pixels darker than mid-grey, and how many colours the picture has.
struct PictureTraits {
    double darkShare = 0;
    int colours = 0;
};

PictureTraits Traits(const QImage& image) {
    PictureTraits traits;
    QSet<QRgb> colours;
    long long dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            dark += qGray(pixel) < 128 ? 1 : 0;
            colours.insert(pixel);
        }
    }
    traits.darkShare = static_cast<double>(dark) / (static_cast<double>(image.width()) * image.height());
    traits.colours = static_cast<int>(colours.size());
    return traits;
}

TEST_F(MainWindowPictureTest, SignedInWindowWithAPendingARequestedAndADeliveredCard) {
    marketplace.AddAccount(kMarketLogin, kMarketPassword); // an account with no orders of its own
    PrepareSignedInStore(false);
    AddOrder("7001", "Ana Lima", 30, nullptr);
    AddOrder("7002", "Bruno Reis", 20, &store::MarcaRovezor);
    AddOrder("7003", "Carla Dias", 10, &store::MarcaJaEntregue);

    // The style and the main window as the program makes them, with the build's own service addresses.
    ui::ApplyDarkStyle(*qApp);
    ui::TMainForm form(folder);
    form.show();

    auto* grid = Child<QAbstractItemView>(form, "DBCtrlGrid1");
    auto* count = Child<QLabel>(form, "Label6PEDIDOS");
    ASSERT_TRUE(grid && count);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form.EstaLogado() && grid->isVisible() && count->text() == "3 PEDIDOS INTEGRADOS"; },
        30'000))
        << "signed in: " << form.EstaLogado() << ", count line: " << count->text().toStdString();
    EXPECT_EQ(grid->model()->rowCount(), 3);

    const QImage picture = form.grab().toImage();
    const std::filesystem::path output = BRISKO_E2E_OUTPUT_DIR;
    std::filesystem::create_directories(output);
    const QString file = QString::fromStdString((output / "main-window-signed-in.png").string());
    ASSERT_TRUE(picture.save(file)) << file.toStdString();

    const QImage saved(file);
    EXPECT_GE(saved.width(), 886);
    EXPECT_GE(saved.height(), 565);
    const PictureTraits traits = Traits(saved);
    EXPECT_GT(traits.darkShare, 0.6) << "the dark style is not on the picture";
    EXPECT_GT(traits.colours, 64) << "the picture is nearly blank";
}

// A store with a fee ceiling: the held card in the window, and the delivery dialog of that order
// with its history under the controls. Both pictures go to the test's output folder.
TEST_F(MainWindowPictureTest, AHeldCardAndTheDeliveryDialogWithTheOrdersHistory) {
    marketplace.AddAccount(kMarketLogin, kMarketPassword);
    PrepareSignedInStore(false);
    ASSERT_TRUE(store::GravaTetoTaxa(*db, "15,00"));
    AddOrder("7101", "Dona Conceição", 25, nullptr);
    AddOrder("7102", "Bruno Reis", 20, &store::MarcaRovezor);
    for (const auto& [evento, detalhe, taxa] : {std::tuple{store::kEventoImportado, "Dona Conceição", ""},
                                                std::tuple{store::kEventoEstimativa, "Moto", "21.90"},
                                                std::tuple{store::kEventoRetido, "teto R$ 15,00", "21.90"}}) {
        ASSERT_EQ(store::AnotaEvento(*db, {"7101", evento, detalhe, taxa}), "");
    }
    store::RetemPedido(*db, "7101", "21.90", 1500);

    ui::ApplyDarkStyle(*qApp);
    ui::TMainForm form(folder);
    form.show();
    auto* grid = Child<QAbstractItemView>(form, "DBCtrlGrid1");
    ASSERT_TRUE(grid);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return form.EstaLogado() && grid->isVisible() && grid->model()->rowCount() == 2 &&
                   !grid->model()->index(0, 0).data(ui::OrderCardModel::HeldLineRole).toString().isEmpty();
        },
        30'000));
    const std::filesystem::path output = BRISKO_E2E_OUTPUT_DIR;
    std::filesystem::create_directories(output);
    const QString windowFile = QString::fromStdString((output / "main-window-held-card.png").string());
    ASSERT_TRUE(form.grab().toImage().save(windowFile));

    // The card's courier button opens the dialog modally: it is pictured once its estimate is in.
    QImage dialogPicture;
    int rows = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* list = dialog != nullptr ? dialog->findChild<QTreeWidget*>("ListaHistorico") : nullptr;
        auto* button = dialog != nullptr ? dialog->findChild<QWidget*>("Button4") : nullptr;
        if (list != nullptr && list->topLevelItemCount() >= 4 && button->isEnabled()) {
            rows = list->topLevelItemCount();
            dialogPicture = dialog->grab().toImage();
            dialog->reject();
        }
    });
    poll.start(50);
    const QRect card = grid->visualRect(grid->model()->index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      ui::OrderCardDelegate::CourierButtonRect(card).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogPicture.isNull(); }, 30'000));
    EXPECT_EQ(rows, 4); // the three events before, and this showing's estimate
    const QString dialogFile = QString::fromStdString((output / "delivery-dialog-history.png").string());
    ASSERT_TRUE(dialogPicture.save(dialogFile));
    EXPECT_EQ(dialogPicture.width(), 405);
}

} // namespace
} // namespace brisko::test
