// The program-wide dark look.
#include "DarkStyle.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QToolButton>

#include <array>

#include <gtest/gtest.h>

namespace brisko::test {
namespace {

TEST(DarkStyleTest, EveryGroupIsDarkWithReadableTextAndDarkFrames) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ui::ApplyDarkStyle(*app);

    const QPalette palette = QApplication::palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        SCOPED_TRACE(group);
        // Fusion paints bevels and frames with these; a light one shows as a glaring line.
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::Mid, QPalette::Dark,
                          QPalette::Light, QPalette::Midlight, QPalette::Shadow, QPalette::AlternateBase}) {
            EXPECT_LT(palette.color(group, role).lightness(), 100) << role;
        }
        const std::pair<QPalette::ColorRole, QPalette::ColorRole> readable[] = {
            {QPalette::Window, QPalette::WindowText},
            {QPalette::Base, QPalette::Text},
            {QPalette::Button, QPalette::ButtonText},
            {QPalette::ToolTipBase, QPalette::ToolTipText},
        };
        for (const auto& [background, text] : readable) {
            EXPECT_GT(palette.color(group, text).lightness() - palette.color(group, background).lightness(),
                      60)
                << text << " on " << background;
        }
    }
}

// The look's own sizes: buttons with room around the caption and no minimum width, one more
// pixel each side for the default one, and line boxes taller than Fusion's. Applying the look a
// second time must not add them twice.
TEST(DarkStyleTest, ButtonsAndBoxesTakeTheLooksRoomOnceHoweverOftenItIsApplied) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    const auto sizes = [] {
        QPushButton plain(QStringLiteral("OK"));
        QPushButton chosen(QStringLiteral("OK"));
        chosen.setDefault(true);
        QLineEdit box;
        const QSize text = plain.fontMetrics().size(Qt::TextShowMnemonic, QStringLiteral("OK"));
        return std::array{plain.sizeHint() - text, chosen.sizeHint() - text, box.sizeHint()};
    };
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QSize fusionBox = sizes()[2];

    ui::ApplyDarkStyle(*app);
    const auto once = sizes();
    EXPECT_EQ(once[0], QSize(28, 12)); // no 80-pixel minimum: "OK" stays narrow
    EXPECT_EQ(once[1], QSize(30, 14));
    EXPECT_EQ(once[2], fusionBox + QSize(8, 4));

    ui::ApplyDarkStyle(*app);
    EXPECT_EQ(sizes(), once);
}

// A password box shows one asterisk per character, whichever box it is.
TEST(DarkStyleTest, PasswordsShowAsAsterisks) {
    ui::ApplyDarkStyle(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    QLineEdit box;
    box.setEchoMode(QLineEdit::Password);
    box.setText(QStringLiteral("sé nha"));
    EXPECT_EQ(box.displayText(), QStringLiteral("******"));
}

// A push button must look like one: a face that stands out from the window's ground, and a
// different look under the pointer, while pressed, with the focus and when disabled.
TEST(DarkStyleTest, PushButtonsShowAFaceForEveryStateAndFlatButtonsStayFlat) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ui::ApplyDarkStyle(*app);
    const QColor ground = QApplication::palette().color(QPalette::Window);
    QPushButton button(QStringLiteral("ENTRAR"));
    const QSize size(120, 40);
    // The face drawn for `state` on the window's ground.
    const auto face = [&](QStyle::State state) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(ground);
        QStyleOptionButton option;
        option.initFrom(&button);
        option.rect = QRect(QPoint(), size);
        option.state = state;
        QPainter painter(&image);
        QApplication::style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, &button);
        return image;
    };
    const QStyle::State normal = QStyle::State_Enabled | QStyle::State_Raised;
    const struct {
        const char* name;
        QImage image;
    } looks[] = {
        {"normal", face(normal)},
        {"under the pointer", face(normal | QStyle::State_MouseOver)},
        {"pressed", face(QStyle::State_Enabled | QStyle::State_Sunken)},
        {"with the focus", face(normal | QStyle::State_HasFocus)},
        {"disabled", face(QStyle::State_Raised)},
    };
    const QPoint middle(size.width() / 2, size.height() / 2);
    const QPoint edge(size.width() / 2, 0);
    for (const auto& look : looks) {
        SCOPED_TRACE(look.name);
        EXPECT_NE(look.image.pixelColor(middle), ground) << "no face";
        EXPECT_NE(look.image.pixelColor(edge), ground) << "no edge";
        for (const auto& other : looks) {
            if (&other != &look) {
                EXPECT_NE(look.image, other.image) << "looks like " << other.name;
            }
        }
    }

    QToolButton flat; // "Deslogar": a caption on the ground until the pointer comes
    flat.setAutoRaise(true);
    flat.resize(size);
    const QImage flatImage = flat.grab().toImage();
    EXPECT_EQ(flatImage.pixelColor(middle), ground);
    EXPECT_EQ(flatImage.pixelColor(edge), ground);
}

} // namespace
} // namespace brisko::test
