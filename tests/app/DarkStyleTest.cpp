// The program-wide dark look.
#include "DarkStyle.h"

#include <QApplication>
#include <QPalette>

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
    EXPECT_FALSE(app->styleSheet().isEmpty());
}

} // namespace
} // namespace brisko::test
