// The program-wide dark look.
#include "DarkStyle.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStyleFactory>

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

// The look's own sizes: flat buttons with room around the caption and no minimum width, one more
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

} // namespace
} // namespace brisko::test
