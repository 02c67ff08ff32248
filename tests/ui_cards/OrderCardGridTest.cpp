// The order cards: what each card shows, the courier button's picture and action, and the current row.
#include "OrderCardGrid.h"
#include "CardArtwork.h"
#include "OrderCardDelegate.h"
#include "OrderCardLines.h"
#include "OrderCardModel.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brisko::ui {
namespace {

store::Pedido Order(long long id, std::string idMch = {}, std::string datahora = "2024-05-22 14:30:00") {
    store::Pedido row;
    row.ID = id;
    row.IDPEDIDO = std::to_string(4700 + id);
    row.CLIENTE = "Cliente " + std::to_string(id);
    row.ENDERECO = "Rua " + std::to_string(id);
    row.ID_MCH = std::move(idMch);
    row.DATAHORA = std::move(datahora);
    return row;
}

class OrderCardGridTest : public ::testing::Test {
protected:
    void Show(std::vector<store::Pedido> rows) {
        grid.SetOrders(std::move(rows));
        grid.resize(OrderCardDelegate::kCardWidth, 4 * OrderCardDelegate::kCardHeight);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    QVariant Data(int row, int role) const { return grid.model()->data(grid.model()->index(row, 0), role); }
    QString Picture(int row) const {
        return CardPictureName(
            static_cast<CardPicture>(Data(row, OrderCardModel::CourierPictureRole).toInt()));
    }
    QPoint ButtonCentre(int row) const {
        return OrderCardDelegate::CourierButtonRect(grid.visualRect(grid.model()->index(row, 0))).center();
    }

    OrderCardGrid grid;
};

TEST_F(OrderCardGridTest, CourierButtonFollowsTheRequestStateAndTheAutomaticSwitch) {
    Show({Order(1), Order(2, "ROVEZOR"), Order(3, "ERRO ROVEZOR"), Order(4, "JA ENTREGUE")});
    QSignalSpy requested(&grid, &OrderCardGrid::courierRequested);

    const QStringList byHand{"entregador 4", "OK", "OK", "OK"};
    const QStringList automatic{"Solicitando", "OK", "OK", "OK"};
    for (const bool on : {true, false, true}) {
        grid.SetAutomatic(on);
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(Picture(row), (on ? automatic : byHand)[row]) << "automatic " << on << ", row " << row;
            EXPECT_EQ(Data(row, OrderCardModel::CourierActiveRole).toBool(), !on);
        }
        // Any state opens the dialog by hand; none does while scheduling is automatic.
        requested.clear();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, ButtonCentre(3));
        EXPECT_EQ(requested.count(), on ? 0 : 1) << "automatic " << on;
    }
}

TEST_F(OrderCardGridTest, ActiveButtonMakesItsRowCurrentAndHandsOverTheRowAndTheDateLineAsShown) {
    Show({Order(1), Order(2, "JA ENTREGUE", "2024-01-02 03:04:05"), Order(3)});
    QSignalSpy requested(&grid, &OrderCardGrid::courierRequested);
    ASSERT_TRUE(grid.SelectId(1));

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, ButtonCentre(1));

    ASSERT_EQ(requested.count(), 1);
    EXPECT_EQ(grid.CurrentId(), 2);
    const auto row = requested.at(0).at(0).value<store::Pedido>();
    EXPECT_EQ(row.ID, 2);
    EXPECT_EQ(row.IDPEDIDO, "4702");
    EXPECT_EQ(requested.at(0).at(1).toString(), QStringLiteral("🕗 02/01/2024 03:04:05"));
    EXPECT_EQ(requested.at(0).at(1).toString(), Data(1, OrderCardModel::DateLineRole).toString());
}

TEST_F(OrderCardGridTest, LogoClickAsksForThePortalAndTheButtonExplainsItself) {
    Show({Order(1)});
    QSignalSpy logo(&grid, &OrderCardGrid::logoClicked);
    const QRect card = grid.visualRect(grid.model()->index(0, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, OrderCardDelegate::LogoRect(card).center());
    EXPECT_EQ(logo.count(), 1);

    QHelpEvent help(QEvent::ToolTip, ButtonCentre(0), grid.viewport()->mapToGlobal(ButtonCentre(0)));
    QApplication::sendEvent(grid.viewport(), &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Solicitar entregador"));
}

TEST_F(OrderCardGridTest, LinesShowTheStoredTextsWithTheirSigns) {
    struct Case {
        std::string cliente, endereco, datahora;
        QString clientLine, addressLine, dateLine;
    };
    const Case cases[] = {
        {"Ana", " Rua A, 1 ", "2024-05-22 14:30:00", "👤 Ana", "📍  Rua A, 1 ", "🕗 22/05/2024 14:30:00"},
        {"", "", "2024-12-31 23:59:59", "👤 ", "📍 ", "🕗 31/12/2024 23:59:59"},
        // Unreadable dates keep the stored text.
        {"B", "C", "22/05/2024 14:30", "👤 B", "📍 C", "🕗 22/05/2024 14:30"},
        {"B", "C", "2024-02-30 10:00:00", "👤 B", "📍 C", "🕗 2024-02-30 10:00:00"},
        {"B", "C", "", "👤 B", "📍 C", "🕗 "},
    };
    for (const Case& c : cases) {
        store::Pedido row = Order(1);
        row.CLIENTE = c.cliente;
        row.ENDERECO = c.endereco;
        row.DATAHORA = c.datahora;
        grid.SetOrders({row});
        EXPECT_EQ(Data(0, OrderCardModel::OrderLineRole).toString(), QStringLiteral("🧾 4701"));
        EXPECT_EQ(Data(0, OrderCardModel::ClientLineRole).toString(), c.clientLine) << c.cliente;
        EXPECT_EQ(Data(0, OrderCardModel::AddressLineRole).toString(), c.addressLine) << c.endereco;
        EXPECT_EQ(Data(0, OrderCardModel::DateLineRole).toString(), c.dateLine) << c.datahora;
    }
}

// A card has room for one row per line: wrapped, a long name or address would show a clipped
// second row. Cut to one row, the whole text is the line's tool tip.
TEST_F(OrderCardGridTest, LongTextsShowOneRowEachAndTheirWholeTextAsTheTip) {
    store::Pedido longer = Order(1);
    longer.CLIENTE =
        "Maria Aparecida dos Santos Figueiredo de Albuquerque Cavalcanti Monteiro Vasconcelos Neta";
    longer.ENDERECO =
        "Rua Desembargador Guilherme Estellita Lins de Albuquerque 1250, Bloco C apartamento 1204 "
        "Em frente ao posto de saúde da Vila Nova - Vitória da Conquista BA";
    Show({longer, Order(2)});
    const auto tipAt = [&](const QPoint& at) {
        if (QToolTip::isVisible()) {
            QToolTip::hideText(); // after a short delay
            EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 10'000));
        }
        QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    for (int row = 0; row < 2; ++row) {
        const QRect card = grid.visualRect(grid.model()->index(row, 0));
        for (const CardLine& line : CardLines(OrderCardDelegate::TextRect(card))) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", role " << line.role);
            const QString text = Data(row, line.role).toString();
            const QString shown = ShownText(line, text);
            EXPECT_TRUE(card.contains(line.rect));
            const QFontMetrics metrics(line.font);
            const QRect drawn = metrics.boundingRect(line.rect, line.flags, shown);
            EXPECT_LE(drawn.width(), line.rect.width());
            EXPECT_EQ(drawn.height(), metrics.boundingRect(line.rect, line.flags, text.left(2)).height())
                << "more than the one row of its sign";
            const bool cut = row == 0 && (line.role == OrderCardModel::ClientLineRole ||
                                          line.role == OrderCardModel::AddressLineRole);
            EXPECT_EQ(shown != text, cut) << shown.toStdString();
            if (cut) {
                EXPECT_TRUE(shown.endsWith(QStringLiteral("…")));
                EXPECT_TRUE(text.startsWith(shown.chopped(1)));
            }
            EXPECT_EQ(tipAt(line.rect.center()), cut ? text : QString());
        }
    }
}

TEST_F(OrderCardGridTest, DrawingAnUnreadableDateRaisesNoMessage) {
    Show({Order(1, "", "ontem"), Order(2)});
    grid.viewport()->repaint();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<QMessageBox*>(top), nullptr);
    }
}

// Drawn as markup, "<b>x</b>" would look exactly like a bold "x" (the customer line is bold).
TEST_F(OrderCardGridTest, MarkupInACustomerNameIsDrawnAsItsCharacters) {
    const auto cardWith = [](const std::string& cliente) {
        OrderCardGrid one;
        store::Pedido row = Order(1);
        row.CLIENTE = cliente;
        one.SetOrders({row});
        one.resize(OrderCardDelegate::kCardWidth, OrderCardDelegate::kCardHeight);
        return one.grab().toImage();
    };
    EXPECT_NE(cardWith("<b>x</b>"), cardWith("x"));
    EXPECT_EQ(cardWith("x"), cardWith("x")); // the comparison itself is stable
}

TEST_F(OrderCardGridTest, CurrentRowIsFoundByIdMovedByTheWheelAndFallsBackToTheLast) {
    Show({Order(10), Order(11), Order(12), Order(13), Order(14), Order(15)});
    EXPECT_TRUE(grid.SelectId(12));
    EXPECT_EQ(grid.CurrentId(), 12);
    EXPECT_FALSE(grid.SelectId(99));
    EXPECT_EQ(grid.CurrentId(), 12);

    // Over the cards and over the scroll bar alike.
    const auto wheel = [&](QWidget* over, int delta) {
        const QPointF at(5, 5);
        QWheelEvent event(at, over->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
        EXPECT_TRUE(event.isAccepted());
    };
    ASSERT_TRUE(grid.verticalScrollBar()->isVisible());
    wheel(grid.viewport(), -120); // towards the user: one row on
    EXPECT_EQ(grid.CurrentId(), 13);
    wheel(grid.viewport(), 240); // away: two rows back
    EXPECT_EQ(grid.CurrentId(), 11);
    wheel(grid.viewport(), 100); // less than a step moves nothing
    EXPECT_EQ(grid.CurrentId(), 11);
    wheel(grid.verticalScrollBar(), -240);
    EXPECT_EQ(grid.CurrentId(), 13);
    wheel(grid.verticalScrollBar(), 120);
    EXPECT_EQ(grid.CurrentId(), 12);
    grid.MoveCurrent(-5);
    EXPECT_EQ(grid.CurrentId(), 10);
    grid.MoveCurrent(50);
    EXPECT_EQ(grid.CurrentId(), 15);

    // A refresh without the current order: the last row becomes current and is in view.
    grid.SetOrders({Order(20), Order(21), Order(22), Order(23), Order(24), Order(25), Order(26)});
    EXPECT_EQ(grid.CurrentId(), 0);
    EXPECT_FALSE(grid.SelectId(15));
    grid.SelectLast();
    EXPECT_EQ(grid.CurrentId(), 26);
    const QRect last = grid.visualRect(grid.model()->index(6, 0));
    EXPECT_TRUE(grid.viewport()->rect().contains(last))
        << last.top() << ".." << last.bottom() << " in " << grid.viewport()->height();
}

TEST_F(OrderCardGridTest, CardsFollowEachOtherWithoutGapsAndKeepTheirButtonInView) {
    Show({Order(1), Order(2), Order(3), Order(4), Order(5)}); // more than fit: a scroll bar appears
    const QRect first = grid.visualRect(grid.model()->index(0, 0));
    const QRect second = grid.visualRect(grid.model()->index(1, 0));
    EXPECT_EQ(first.height(), OrderCardDelegate::kCardHeight);
    EXPECT_EQ(second.top(), first.bottom() + 1);
    EXPECT_TRUE(grid.viewport()->rect().contains(OrderCardDelegate::CourierButtonRect(first)));
    EXPECT_GE(grid.minimumHeight(), 4 * OrderCardDelegate::kCardHeight);
}

// The fee ceiling's hold is a band of its own on the card: the four lines and the button stay as
// they are drawn without it, and a requested order shows no hold.
TEST_F(OrderCardGridTest, AHeldOrderSaysSoWithItsFeeAndTheRestOfTheCardIsUnchanged) {
    Show({Order(1), Order(2, "ROVEZOR")});
    const QImage before = grid.grab().toImage();
    grid.SetHeld({{"4701", "25.5"}, {"4702", "30.00"}});
    EXPECT_EQ(Data(0, OrderCardModel::HeldLineRole).toString(), QStringLiteral("RETIDO R$ 25,50"));
    EXPECT_EQ(Data(1, OrderCardModel::HeldLineRole).toString(), QString());
    const QImage held = grid.grab().toImage();
    EXPECT_NE(held, before);
    // Only the logo's foot of the held card changed.
    const QRect card = grid.visualRect(grid.model()->index(0, 0));
    const QRect logo = OrderCardDelegate::LogoRect(card);
    for (int y = 0; y < held.height(); ++y) {
        for (int x = 0; x < held.width(); ++x) {
            if (held.pixel(x, y) != before.pixel(x, y)) {
                ASSERT_TRUE(logo.contains(x, y) && y > logo.center().y()) << x << "," << y;
            }
        }
    }
    grid.SetHeld({});
    EXPECT_EQ(grid.grab().toImage(), before);
}

} // namespace
} // namespace brisko::ui
