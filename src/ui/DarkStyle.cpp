#include "DarkStyle.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace brisko::ui {

namespace {

QPalette DarkPalette() {
    const QColor window(0x2b, 0x2f, 0x36);
    const QColor base(0x1f, 0x22, 0x28);
    const QColor text(0xe8, 0xea, 0xed);
    const QColor disabledText(0x7d, 0x83, 0x8c);
    const QColor accent(0xf5, 0x8a, 0x1f);

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabledText);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x35, 0x3a, 0x42));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xff, 0x5c, 0x5c));
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, QColor(0x10, 0x10, 0x10));
    p.setColor(QPalette::Link, accent.lighter(120));
    p.setColor(QPalette::LinkVisited, accent.darker(120));
    // Fusion draws frames, bevels and separators from these; left at their light defaults they glow.
    p.setColor(QPalette::Light, QColor(0x4a, 0x50, 0x5a));
    p.setColor(QPalette::Midlight, QColor(0x3e, 0x43, 0x4c));
    p.setColor(QPalette::Mid, QColor(0x25, 0x28, 0x2e));
    p.setColor(QPalette::Dark, QColor(0x18, 0x1a, 0x1f));
    p.setColor(QPalette::Shadow, QColor(0x0b, 0x0c, 0x0e));

    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, disabledText);
    }
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    p.setColor(QPalette::Disabled, QPalette::Button, window);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x50, 0x50));
    return p;
}

constexpr const char* kStyleSheet = R"(
QToolTip { color: #e8eaed; background-color: #1f2228; border: 1px solid #4a505a; }
QStatusBar::item { border: none; }
QPushButton { padding: 6px 14px; border-radius: 4px; }
QPushButton:default { border: 1px solid #f58a1f; }
QLineEdit, QComboBox { padding: 4px; }
)";

} // namespace

void ApplyDarkStyle(QApplication& app) {
    // Where Fusion is already the system's style, asking the factory again would only scan the
    // style plugins.
    if (QApplication::style()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0) {
        app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }
    app.setPalette(DarkPalette());
    app.setStyleSheet(QString::fromLatin1(kStyleSheet));
}

} // namespace brisko::ui
