#include "DarkStyle.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>

namespace brisko::ui {

namespace {

constexpr QColor kAccent(0xf5, 0x8a, 0x1f);

QPalette DarkPalette() {
    const QColor window(0x2b, 0x2f, 0x36);
    const QColor base(0x1f, 0x22, 0x28);
    const QColor text(0xe8, 0xea, 0xed);
    const QColor disabledText(0x7d, 0x83, 0x8c);

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
    p.setColor(QPalette::Highlight, kAccent);
    p.setColor(QPalette::HighlightedText, QColor(0x10, 0x10, 0x10));
    p.setColor(QPalette::Link, kAccent.lighter(120));
    p.setColor(QPalette::LinkVisited, kAccent.darker(120));
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

// The few departures from Fusion, drawn by a style rather than an application style sheet: a sheet
// sends every widget of every window through its rule matching and gives each its own palette and
// font, which costs the window's first paint milliseconds and memory for widgets that no rule names.
class DarkProxyStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        switch (element) {
        case PE_FrameStatusBarItem:
            return; // the status panels sit on the bar without frames
        case PE_PanelTipLabel:
            painter->save();
            painter->setPen(option->palette.color(QPalette::Light));
            painter->setBrush(option->palette.toolTipBase());
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            painter->restore();
            return;
        case PE_PanelButtonCommand:
            if (qobject_cast<const QPushButton*>(widget) != nullptr) {
                DrawPushButtonFace(option, painter);
                return;
            }
            break;
        case PE_FrameFocusRect:
            if (qobject_cast<const QPushButton*>(widget) != nullptr) {
                return; // the face carries the focus mark
            }
            break;
        default:
            break;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override {
        switch (type) {
        case CT_PushButton:
            // Roomy buttons: 14 pixels each side of the caption and 6 above and below, and the default
            // one's outline around that; no minimum width.
            return contents + (IsDefaultButton(option) ? QSize(30, 14) : QSize(28, 12));
        case CT_LineEdit:
            return QProxyStyle::sizeFromContents(type, option, contents, widget) + QSize(8, 4);
        case CT_ComboBox:
            return QProxyStyle::sizeFromContents(type, option, contents, widget) + QSize(-2, 4);
        default:
            return QProxyStyle::sizeFromContents(type, option, contents, widget);
        }
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        // A password shows as asterisks, as the store's staff know it, not as Fusion's dots.
        return hint == SH_LineEdit_PasswordCharacter
                   ? '*'
                   : QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        // A list's drop-down keeps the box's 4 pixels above its first entry and below its last.
        return metric == PM_MenuVMargin && qobject_cast<const QComboBox*>(widget) != nullptr ? base + 4
                                                                                             : base;
    }

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override {
        const QRect rect = QProxyStyle::subElementRect(element, option, widget);
        // The text of a line box keeps 4 more pixels from each edge.
        return element == SE_LineEditContents ? rect.adjusted(4, 0, -4, 0) : rect;
    }

private:
    // A raised face that says "click here": lighter under the pointer, darker while pressed, ringed
    // in the accent colour while it has the focus; the default button keeps an accent outline.
    static void DrawPushButtonFace(const QStyleOption* option, QPainter* painter) {
        const QPalette& palette = option->palette;
        const bool enabled = option->state & State_Enabled;
        const bool focused = enabled && (option->state & State_HasFocus);
        QColor face = palette.color(QPalette::Button).lighter(125);
        QColor edge = palette.color(QPalette::Light).lighter(135);
        if (!enabled) {
            face = palette.color(QPalette::Active, QPalette::Button); // unlit, with grey text
            edge = palette.color(QPalette::Midlight);
        } else if (option->state & (State_Sunken | State_On)) {
            face = palette.color(QPalette::Dark);
        } else if (option->state & State_MouseOver) {
            face = face.lighter(130);
            edge = edge.lighter(130);
        }
        if (enabled && (focused || IsDefaultButton(option))) {
            edge = kAccent;
        }
        const qreal width = focused ? 2.0 : 1.0;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(edge, width));
        painter->setBrush(face);
        const qreal inset = width / 2;
        painter->drawRoundedRect(QRectF(option->rect).adjusted(inset, inset, -inset, -inset), 4, 4);
        painter->restore();
    }

    static bool IsDefaultButton(const QStyleOption* option) {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        return button != nullptr && (button->features & QStyleOptionButton::DefaultButton);
    }
};

} // namespace

void ApplyDarkStyle(QApplication& app) {
    QStyle* current = QApplication::style();
    if (dynamic_cast<DarkProxyStyle*>(current) == nullptr) {
        // Where Fusion is already the system's style, asking the factory again would only scan the
        // style plugins. The proxy takes the style it is given as its own.
        const bool fusion = current->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0;
        app.setStyle(new DarkProxyStyle(fusion ? current : QStyleFactory::create(QStringLiteral("Fusion"))));
    }
    app.setPalette(DarkPalette());
}

} // namespace brisko::ui
